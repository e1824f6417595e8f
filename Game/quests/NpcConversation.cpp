#include "Game/quests/NpcConversation.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Singleton.h"
#include "Game/ai/ControllerAI.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/ProcessRandom.h"

namespace GAME {

namespace {

NpcConversationManager* gConversationManager = nullptr;

template <class T>
bool ConversationListHas(const std::vector<T>& list, const T& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

template <class T>
void ConversationListAdd(std::vector<T>& list, const T& value)
{
    if (!ConversationListHas(list, value))
        list.push_back(value);
}

template <class T>
bool ConversationListRemove(std::vector<T>& list, const T& value)
{
    return std::erase(list, value) != 0;
}

}  // namespace

// ---- One conversation --------------------------------------------------------------------

void Conversation::Load(const LoadTable& table)
{
    m_speakers.clear();
    m_speechOrder.clear();
    std::vector<Speaker> bySpeaker(kMaxSpeakers);
    std::vector<int> order;   // the speaker number of each line
    for (int n = 1; n <= kMaxLines; ++n) {
        const std::string tag = table.GetString(("dialogTag" + std::to_string(n)).c_str(), "");
        const int speaker = table.GetInt(("dialogSpeaker" + std::to_string(n)).c_str(), 0);
        if (tag.empty() || speaker == 0)
            continue;
        if (speaker < 1 || speaker > kMaxSpeakers) {
            gEngine->Log(LOG_WARNING, "Conversation %s: line %d names speaker %d; skipped", table.GetName().c_str(), n,
                         speaker);
            continue;
        }
        bySpeaker[speaker - 1].number = speaker;
        bySpeaker[speaker - 1].lines.push_back(tag);
        order.push_back(speaker);
    }
    for (Speaker& speaker : bySpeaker)
        if (speaker.number != 0)
            m_speakers.push_back(std::move(speaker));
    for (int number : order)
        for (size_t i = 0; i < m_speakers.size(); ++i)
            if (m_speakers[i].number == number)
                m_speechOrder.push_back(i);
}

void Conversation::SetConversationActors(const uint32_t* ids)
{
    for (size_t i = 0; ids && i < m_speakers.size(); ++i)
        m_speakers[i].actorId = ids[i];
}

void Conversation::GetConversationActors(std::vector<uint32_t>& out) const
{
    for (const Speaker& speaker : m_speakers)
        out.push_back(speaker.actorId);
}

WorldVec3 Conversation::GetCenterPoint() const
{
    if (m_useFirstSpeakerAsCenter && !m_speakers.empty())
        if (const Character* first = ObjectManager::Get().GetObject<Character>(m_speakers.front().actorId))
            return first->GetCoords().GetPosition();
    return m_center;
}

template <class Call>
void Conversation::ForEachActorController(Call call) const
{
    for (const Speaker& speaker : m_speakers) {
        const Character* actor = ObjectManager::Get().GetObject<Character>(speaker.actorId);
        if (ControllerAI* controller = actor ? ObjectManager::Get().GetObject<ControllerAI>(actor->GetControllerId()) : nullptr)
            call(*controller);
    }
}

void Conversation::OnBeginConverse()
{
    m_nextLine = 0;
    for (Speaker& speaker : m_speakers)
        speaker.nextLine = 0;
    m_useFirstSpeakerAsCenter = RandomFloat(0.0f, 1.0f) <= kFirstSpeakerCentreChance;
    const WorldVec3 centre = m_center;
    ForEachActorController([&](ControllerAI& controller) { controller.RequestSidelineConversation(centre); });
    GameEvent_StartSidelineConversation event;
    event.conversation = this;
    EventManager::Get().Send(event, "GameEvent_StartSidelineConversation");
}

void Conversation::OnEndConverse()
{
    ForEachActorController([](ControllerAI& controller) { controller.NotifySidelineConversationEnd(); });
    NpcConversationManager::Get().OnEndConversation(this);
}

bool Conversation::GetNextSpeakerAndSpeech(uint32_t& speaker, std::string& tag)
{
    speaker = 0;
    tag.clear();
    if (m_nextLine >= m_speechOrder.size()) {
        ++m_nextLine;
        return false;
    }
    Speaker& line = m_speakers[m_speechOrder[m_nextLine++]];
    speaker = line.actorId;
    if (line.nextLine < line.lines.size())
        tag = line.lines[line.nextLine++];
    return true;
}

// ---- The manager -------------------------------------------------------------------------

namespace {
// The manager's entry with the engine's singleton manager.
constexpr const char* kSingletonName = "NpcConversationManager";
}  // namespace

NpcConversationManager& NpcConversationManager::Get()
{
    if (!gConversationManager)
        gConversationManager = new NpcConversationManager();
    return *gConversationManager;
}

void NpcConversationManager::Destroy()
{
    delete gConversationManager;
    gConversationManager = nullptr;
}

NpcConversationManager::NpcConversationManager()
    : m_enterHandler("GameEvent_EnterBoundingVolume", &NpcConversationManager::OnEnterBoundingVolume, this),
      m_exitHandler("GameEvent_ExitBoundingVolume", &NpcConversationManager::OnExitBoundingVolume, this)
{
    SingletonManager::Get().Register(kSingletonName, &NpcConversationManager::Destroy);
}

NpcConversationManager::~NpcConversationManager() { SingletonManager::Get().Unregister(kSingletonName); }

void NpcConversationManager::OnStartConversation(Conversation* conversation, const uint32_t* actorIds,
                                                 const WorldVec3& centre)
{
    if (!conversation)
        return;
    conversation->SetConversationActors(actorIds);
    conversation->SetCenterPoint(centre);
    std::vector<uint32_t> actors;
    conversation->GetConversationActors(actors);
    for (uint32_t id : actors)
        _MakeUnavailable(id);
    _MakeUnavailable(conversation);
    conversation->OnBeginConverse();
    m_counter = 0;
}

// A conversation disabled while it ran leaves the busy list now and is listed as disabled
// once; any other goes back to the available list.
void NpcConversationManager::OnEndConversation(Conversation* conversation)
{
    if (!conversation)
        return;
    std::vector<uint32_t> actors;
    conversation->GetConversationActors(actors);
    for (uint32_t id : actors)
        _MakeAvailable(id);
    if (conversation->IsPendingDisable()) {
        ConversationListRemove(m_busy, conversation);
        ConversationListAdd(m_disabled, conversation);
        conversation->SetPendingDisable(false);
    } else {
        _MakeAvailable(conversation);
    }
}

void NpcConversationManager::GetAvailableNpcsList(std::vector<uint32_t>& out) const
{
    out.insert(out.end(), m_availableNpcs.begin(), m_availableNpcs.end());
}

void NpcConversationManager::_EnableConversationPak(const std::string& record) { EnablePak(record, false); }

void NpcConversationManager::_EnableCollisionConversationPak(const std::string& record) { EnablePak(record, true); }

void NpcConversationManager::EnablePak(const std::string& record, bool collision)
{
    if (record.empty())
        return;
    const Name name = Name::Create(record);
    for (const auto& pak : m_paks)
        if (pak->name == name) {
            for (const auto& conversation : pak->conversations)
                _MakeEnabled(conversation.get(), pak->collision);
            return;
        }
    ObjectManager& objects = ObjectManager::Get();
    const LoadTable* table = objects.LoadTableFile(record) ? objects.GetLoadTable(record) : nullptr;
    if (!table) {
        gEngine->Log(LOG_WARNING, "NpcConversationManager: conversation pack %s could not be loaded", record.c_str());
        return;
    }
    auto pak = std::make_unique<Pak>();
    pak->name = name;
    pak->collision = collision;
    std::vector<std::string> names;
    table->GetStringArray("allConversations", names);
    for (const std::string& each : names) {
        const LoadTable* conversationTable = objects.LoadTableFile(each) ? objects.GetLoadTable(each) : nullptr;
        if (!conversationTable) {
            gEngine->Log(LOG_WARNING, "NpcConversationManager: conversation %s of pack %s could not be loaded",
                         each.c_str(), record.c_str());
            continue;
        }
        auto conversation = std::make_unique<Conversation>();
        conversation->Load(*conversationTable);
        pak->conversations.push_back(std::move(conversation));
    }
    for (const auto& conversation : pak->conversations)
        _MakeEnabled(conversation.get(), collision);
    m_paks.push_back(std::move(pak));
}

void NpcConversationManager::_DisableConversationPak(const std::string& record)
{
    const Name name = Name::Create(record);
    for (const auto& pak : m_paks)
        if (pak->name == name)
            for (const auto& conversation : pak->conversations)
                _MakeDisabled(conversation.get());
}

void NpcConversationManager::_MakeAvailable(uint32_t id)
{
    if (ConversationListRemove(m_unavailableNpcs, id))
        ConversationListAdd(m_availableNpcs, id);
}

void NpcConversationManager::_MakeUnavailable(uint32_t id)
{
    ConversationListRemove(m_availableNpcs, id);
    ConversationListAdd(m_unavailableNpcs, id);
}

void NpcConversationManager::_MakeEnabled(uint32_t id) { ConversationListAdd(m_availableNpcs, id); }

void NpcConversationManager::_MakeDisabled(uint32_t id)
{
    ConversationListRemove(m_availableNpcs, id);
    ConversationListRemove(m_unavailableNpcs, id);
}

void NpcConversationManager::_MakeAvailable(Conversation* conversation)
{
    if (ConversationListRemove(m_busy, conversation))
        ConversationListAdd(m_available, conversation);
}

void NpcConversationManager::_MakeUnavailable(Conversation* conversation)
{
    ConversationListRemove(m_available, conversation);
    ConversationListAdd(m_busy, conversation);
}

// A conversation is listed once; one still running stays busy and is listed again when it
// ends.
void NpcConversationManager::_MakeEnabled(Conversation* conversation, bool collision)
{
    if (ConversationListRemove(m_disabled, conversation))
        conversation->SetPendingDisable(false);
    if (!ConversationListHas(m_busy, conversation))
        ConversationListAdd(collision ? m_collision : m_available, conversation);
}

void NpcConversationManager::_MakeDisabled(Conversation* conversation)
{
    if (ConversationListRemove(m_available, conversation)) {
        ConversationListAdd(m_disabled, conversation);
    } else if (ConversationListHas(m_busy, conversation)) {
        conversation->SetPendingDisable(true);
        ConversationListAdd(m_disabled, conversation);
    } else if (ConversationListRemove(m_collision, conversation)) {
        ConversationListAdd(m_disabled, conversation);
    }
}

}  // namespace GAME
