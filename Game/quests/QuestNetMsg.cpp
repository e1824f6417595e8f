#include "Game/quests/QuestNetMsg.h"

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"

namespace GAME {

std::unique_ptr<QuestNetMsg> QuestNetMsg::Create(uint32_t kind)
{
    switch (kind) {
    case kSatisfied: return std::make_unique<QuestNetMsg_Satisfied>();
    case kKillCreature: return std::make_unique<QuestNetMsg_KillCreature>();
    case kKillAllFromProxy: return std::make_unique<QuestNetMsg_KillAllFromProxy>();
    case kConversationStart: return std::make_unique<QuestNetMsg_ConversationStart>();
    case kKillCreatureHerd: return std::make_unique<QuestNetMsg_KillCreatureHerd>();
    case kProxySpawn: return std::make_unique<QuestNetMsg_ProxySpawn>();
    case kRequestData: return std::make_unique<QuestNetMsg_RequestData>();
    default: return nullptr;
    }
}

std::unique_ptr<QuestNetMsg> QuestNetMsg::FromWords(const std::vector<uint32_t>& words)
{
    if (words.size() < kHeadWords) {
        NetPacketRegistry::DropHandled("QuestRepository", "a message of %zu words is short of its head, dropped",
                     words.size());
        return nullptr;
    }
    std::unique_ptr<QuestNetMsg> message = Create(words[0]);
    if (!message) {
        NetPacketRegistry::DropHandled("QuestRepository", "a message of kind %u is not known, dropped", words[0]);
        return nullptr;
    }
    if (!message->Read(words)) {
        NetPacketRegistry::DropHandled("QuestRepository", "a message of kind %u with %zu words does not match its kind, dropped",
                     words[0], words.size());
        return nullptr;
    }
    return message;
}

void QuestNetMsg::Write(std::vector<uint32_t>& out) const
{
    out.clear();
    out.push_back(m_kind);
    out.push_back(id.packed);
    out.push_back(sender);
    WriteBody(out);
}

bool QuestNetMsg::Read(const std::vector<uint32_t>& words)
{
    if (words.size() < kHeadWords || words[0] != m_kind)
        return false;
    id = ConditionId(words[1]);
    sender = words[2];
    return ReadBody(words.data() + kHeadWords, words.size() - kHeadWords);
}

void QuestNetMsg_ProxySpawn::WriteBody(std::vector<uint32_t>& out) const
{
    out.push_back(recordIndex);
    out.push_back(static_cast<uint32_t>(primaryObjects.size()));
    out.insert(out.end(), primaryObjects.begin(), primaryObjects.end());
    out.push_back(static_cast<uint32_t>(accessoryObjects.size()));
    out.insert(out.end(), accessoryObjects.begin(), accessoryObjects.end());
}

// Each count is checked against the words that follow it before anything is copied.
bool QuestNetMsg_ProxySpawn::ReadBody(const uint32_t* words, size_t count)
{
    size_t at = 0;
    if (count < 2)
        return false;
    recordIndex = words[at++];
    const uint32_t primary = words[at++];
    if (primary > kMaxObjectIds || primary > count - at || count - at - primary < 1)
        return false;
    primaryObjects.assign(words + at, words + at + primary);
    at += primary;
    const uint32_t accessory = words[at++];
    if (accessory > kMaxObjectIds || accessory != count - at)
        return false;
    accessoryObjects.assign(words + at, words + at + accessory);
    return true;
}

}  // namespace GAME
