#include "Game/quests/QuestRepository.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "Engine/ConnectionManager.h"
#include "Engine/Crc32.h"
#include "Engine/Engine.h"
#include "Engine/FileSystem.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/LoadTable.h"
#include "Engine/NetDropLog.h"
#include "Engine/ObjectManager.h"
#include "Engine/Trigger.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestConditions.h"
#include "Game/quests/QuestStateSaveThread.h"
#include "Game/quests/QuestTargetedActions.h"
#include "Game/world/Proxy.h"

namespace GAME {

namespace {

QuestRepository* gQuestRepository = nullptr;

// The most records a main file lists, of fired triggers and of rewards.
constexpr uint32_t kMaxSavedRecords = 1u << 20;

char QuestRecordChar(char c)
{
    return c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

template <class L>
void AddQuestListener(std::map<std::string, std::vector<L*>, QuestRepository::RecordNameLess>& table,
                 const std::string& record, L* listener)
{
    if (!listener || record.empty())
        return;
    std::vector<L*>& list = table[GetNormalizedPath(record)];
    if (std::find(list.begin(), list.end(), listener) == list.end())
        list.push_back(listener);
}

template <class Table>
void RemoveFrom(Table& table, const void* listener)
{
    for (auto& [record, list] : table)
        std::erase_if(list, [listener](const auto* each) { return static_cast<const void*>(each) == listener; });
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool QuestRepository::RecordNameLess::operator()(std::string_view a, std::string_view b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return QuestRecordChar(x) < QuestRecordChar(y); });
}

// ---- Life --------------------------------------------------------------------------------

QuestRepository::QuestRepository() : m_saveThread(std::make_unique<QuestStateSaveThread>())
{
    m_handlers.push_back(std::make_unique<GameEventListener<QuestRepository, GameEvent_ConversationBegin>>(
        "GameEvent_ConversationBegin", &QuestRepository::OnConversationBegin, this));
    m_handlers.push_back(std::make_unique<GameEventListener<QuestRepository, GameEvent_CompleteQuestNow>>(
        "GameEvent_CompleteQuestNow", &QuestRepository::OnCompleteQuestNow, this));
    m_handlers.push_back(std::make_unique<GameEventListener<QuestRepository, GameEvent_CreatureInitialUpdate>>(
        "GameEvent_CreatureInitialUpdate", &QuestRepository::OnCreatureInitialUpdate, this));
    m_handlers.push_back(std::make_unique<GameEventListener<QuestRepository, GameEvent_EnterBoundingVolume>>(
        "GameEvent_EnterBoundingVolume", &QuestRepository::OnEnterBoundingVolume, this));
    m_handlers.push_back(std::make_unique<GameEventListener<QuestRepository, GameEvent_GenericEntityInitialUpdate>>(
        "GameEvent_GenericEntityInitialUpdate", &QuestRepository::OnGenericEntityInitialUpdate, this));
    m_handlers.push_back(std::make_unique<GameEventListener<QuestRepository, GameEvent_CreatureDeath>>(
        "GameEvent_CreatureDeath", &QuestRepository::OnCreatureDeath, this));
    m_handlers.push_back(std::make_unique<GameEventListener<QuestRepository, GameEvent_Reward>>(
        "GameEvent_Reward", &QuestRepository::OnReward, this));
}

// The pending write is finished and the thread ended before the quests go.
QuestRepository::~QuestRepository()
{
    m_saveThread.reset();
    m_handlers.clear();
    m_quests.clear();
}

QuestRepository* QuestRepository::Get()
{
    // Left alive at exit: the event manager and the thread library may be gone by then.
    if (!gQuestRepository)
        gQuestRepository = new QuestRepository;
    return gQuestRepository;
}

void QuestRepository::Destroy()
{
    delete gQuestRepository;
    gQuestRepository = nullptr;
}

Player* QuestRepository::GetLocalPlayer()
{
    const uint32_t id = GetLocalPlayerId();
    return id ? ObjectManager::Get().GetObject<Player>(id) : nullptr;
}

uint32_t QuestRepository::GetLocalPlayerId()
{
    return gGameEngine ? gGameEngine->GetPlayerId() : 0;
}

bool QuestRepository::IsServerOrSingle()
{
    return !gGameEngine || gGameEngine->IsServerOrSingle();
}

bool QuestRepository::IsNetworked()
{
    return gGameEngine && gGameEngine->GetNetworkRole() != NetworkRole::Single;
}

bool QuestRepository::IsPartyPlayerInGame(uint32_t playerId)
{
    if (!gGameEngine)
        return false;
    const PlayerManagerClient* roster = gGameEngine->GetPlayerManagerClient();
    const PartyManager* party = gGameEngine->GetPartyManager();
    return roster && party && roster->IsPlayerInGame(playerId) &&
           party->AreInPartyTogether(GetLocalPlayerId(), playerId);
}

// ---- Quests ------------------------------------------------------------------------------

Quest* QuestRepository::GetQuest(const Name& handle) const
{
    for (const std::unique_ptr<Quest>& quest : m_quests)
        if (quest->GetHandle() == handle)
            return quest.get();
    return nullptr;
}

void QuestRepository::Load()
{
    WaitDone();
    World& world = World::Get();
    for (size_t i = 0; i < world.GetNumQuestFiles(); ++i)
        LoadQuestFile(world.GetQuestFile(i));
    RebuildActiveTriggers();
}

// Record names are filed lower case with '\\': the file is found under the data root by
// its '/' path, each component matched without regard to case.
std::unique_ptr<Quest> QuestRepository::ReadQuestFile(const std::string& fileName, uint32_t id, std::string& why)
{
    std::string relative(RecordDatabase::SkipLeadingSeparators(fileName));
    ConvertToForwardSlashes(relative);
    const std::string path = RecordDatabase::FindPathIgnoringCase(RecordDatabase::Get().GetDataRoot(), relative);
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error)) {
        why = "not found";
        return nullptr;
    }
    if (std::filesystem::is_directory(path, error)) {
        why = "is a folder, not a file";
        return nullptr;
    }
    std::string text;
    if (why = ReadWholeFile(path, text); !why.empty())
        return nullptr;
    std::vector<unsigned char> bytes(text.begin(), text.end());
    const uint32_t crc = Crc32(bytes.data(), bytes.size());
    IOStreamRead stream(std::move(bytes));
    std::unique_ptr<Quest> quest = Quest::Spawn(id);
    quest->SetCrc(crc);
    quest->Serialize(stream);
    if (stream.Failed()) {
        why = "does not read (" + stream.GetError() + ")";
        return nullptr;
    }
    quest->SetHandle(Name::Create(GetNormalizedPath(fileName)), fileName);
    return quest;
}

Quest* QuestRepository::LoadQuestFile(const std::string& fileName)
{
    const Name handle = Name::Create(GetNormalizedPath(fileName));
    if (Quest* loaded = GetQuest(handle))
        return loaded;
    if (m_quests.size() >= kMaxQuests) {
        gEngine->Log(LOG_ERROR, "QuestRepository: more than %zu quests, \"%s\" skipped", kMaxQuests,
                     fileName.c_str());
        return nullptr;
    }
    std::string why;
    std::unique_ptr<Quest> quest = ReadQuestFile(fileName, static_cast<uint32_t>(m_quests.size()) << 24, why);
    if (!quest) {
        gEngine->Log(LOG_ERROR, "QuestRepository: quest file \"%s\" %s%s", fileName.c_str(), why.c_str(),
                     why == "not found" ? "" : ", skipped");
        return nullptr;
    }
    m_quests.push_back(std::move(quest));
    return m_quests.back().get();
}

void QuestRepository::Reset()
{
    WaitDone();
    TakeFailedSaves();
    {
        CriticalSectionLock lock(m_lock);
        m_activeTriggers.clear();
        m_firedTriggers.clear();
        m_rewards.clear();
        m_badQuests.clear();
    }
    m_delayedActions.clear();
    m_delayedMessages.clear();
    m_pendingTimeouts.clear();
    m_timeouts.clear();
    m_quests.clear();
    m_activeQuests.clear();
    m_satisfiedElsewhere.clear();
    m_proxySpawns.clear();
    m_conversationStarts.clear();
    m_creatureInitialUpdates.clear();
    m_volumeEntries.clear();
    m_genericInitialUpdates.clear();
    m_creatureDeaths.clear();
    m_completeQuestNow.clear();
    m_delayedActionsEnabled = false;
    EventManager::Get().Send(GameEvent_QuestReset(), "GameEvent_QuestReset");
}

void QuestRepository::Update(int ms)
{
    {
        CriticalSectionLock lock(m_lock);
        // By index: an action that fires may reset the repository, which empties the list.
        for (size_t i = 0; i < m_activeTriggers.size(); ++i)
            m_activeTriggers[i]->OnStatusChange(false);
    }
    if (!m_delayedActionsEnabled)
        FireDelayedActions();
    m_timeouts.insert(m_timeouts.end(), m_pendingTimeouts.begin(), m_pendingTimeouts.end());
    m_pendingTimeouts.clear();
    const float elapsed = static_cast<float>(ms) * 0.001f;
    for (size_t i = 0; i < m_timeouts.size();) {
        Timeout& timeout = m_timeouts[i];
        timeout.seconds -= elapsed;
        if (timeout.seconds > 0.0f) {
            ++i;
            continue;
        }
        TriggerCondition* condition = timeout.condition;
        m_timeouts.erase(m_timeouts.begin() + static_cast<long>(i));
        if (condition && !condition->GetSatisfied()) {
            condition->SetSatisfied(true);
            condition->ParentStatusChange(false);
        }
    }
    TakeFailedSaves();
}

void QuestRepository::FireTriggers()
{
    CriticalSectionLock lock(m_lock);
    const std::vector<FiredTrigger> records = m_firedTriggers;
    for (const FiredTrigger& record : records) {
        Quest* quest = GetQuest(record.questName);
        if (!quest)
            continue;
        quest->SetActive(true);
        QuestStep* step = record.step >= 0 ? quest->GetQuestStepAtIndx(static_cast<size_t>(record.step)) : nullptr;
        Trigger* trigger =
            step && record.trigger >= 0 ? step->GetTriggerOfIdx(static_cast<size_t>(record.trigger)) : nullptr;
        if (trigger)
            trigger->ReFire(record.target);
    }
}

void QuestRepository::SimulateRewards()
{
    CriticalSectionLock lock(m_lock);
    const std::vector<Reward> rewards = m_rewards;
    for (const Reward& reward : rewards) {
        GameEvent_Reward event;
        event.simulated = true;
        event.questName = reward.questName;
        event.region = reward.region;
        event.locationTag = reward.locationTag;
        event.titleTag = reward.titleTag;
        event.text = reward.text;
        EventManager::Get().Send(event, "GameEvent_Reward");
    }
}

// Conditions waiting for an animation that a trigger fired before the last save played:
// the animation is not played again after a load, so the conditions of its character are
// told that it completed.
void QuestRepository::FindZombieAnimationCompleteConditions()
{
    std::vector<TriggerAction*> played;
    FindActionsByType("Action_NpcPlayAnimation", kFiredTriggers, played);
    std::vector<std::string> records;
    for (TriggerAction* each : played)
        if (const auto* action = dynamic_cast<const Action_NpcPlayAnimation*>(each))
            records.push_back(GetNormalizedPath(action->GetNpc()));
    if (records.empty())
        return;
    std::vector<TriggerCondition*> waiting;
    FindConditionsByType("Condition_AnimationCompleted", kUnfiredTriggers | kUnsatisfied, waiting);
    for (TriggerCondition* each : waiting) {
        auto* condition = dynamic_cast<Condition_AnimationCompleted*>(each);
        if (!condition || std::find(records.begin(), records.end(),
                                    GetNormalizedPath(condition->GetCharacterRecord())) == records.end())
            continue;
        GameEvent_AnimationCompleted event;
        event.objectName = condition->GetCharacterRecord();
        condition->OnAnimationCompleted(event);
    }
}

// ---- Look-ups ----------------------------------------------------------------------------

TriggerCondition* QuestRepository::FindCondition(ConditionId id) const
{
    if (id.IsNone() || id.Quest() >= m_quests.size())
        return nullptr;
    const QuestStep* step = m_quests[id.Quest()]->GetQuestStepAtIndx(id.Step());
    const Trigger* trigger = step ? step->GetTriggerOfIdx(id.TriggerIndex()) : nullptr;
    return trigger ? trigger->GetConditionAtIdx(id.Condition()) : nullptr;
}

TriggerAction* QuestRepository::FindActionById(uint32_t id) const
{
    const ConditionId bytes(id);
    if (!bytes.IsNone() && bytes.Quest() < m_quests.size()) {
        const QuestStep* step = m_quests[bytes.Quest()]->GetQuestStepAtIndx(bytes.Step());
        const Trigger* trigger = step ? step->GetTriggerOfIdx(bytes.TriggerIndex()) : nullptr;
        if (TriggerAction* action = trigger ? trigger->GetActionAtIdx(bytes.Condition()) : nullptr)
            return action;
    }
    for (const std::unique_ptr<QuestAction>& action : m_actions)
        if (action->GetId() == id)
            return action.get();
    return nullptr;
}

namespace {

template <class Visit>
void ForEachTrigger(const std::vector<std::unique_ptr<Quest>>& quests, int flags, Visit visit)
{
    for (const std::unique_ptr<Quest>& quest : quests)
        for (size_t s = 0; s < quest->GetStepCount(); ++s) {
            const QuestStep* step = quest->GetQuestStepAtIndx(s);
            for (size_t t = 0; t < step->GetTriggerCount(); ++t) {
                Trigger* trigger = step->GetTriggerOfIdx(t);
                const bool taken = trigger->m_fired ? (flags & QuestRepository::kFiredTriggers)
                                                    : (flags & QuestRepository::kUnfiredTriggers);
                if (taken)
                    visit(*trigger);
            }
        }
}

}  // namespace

void QuestRepository::FindConditionsByType(const char* typeName, int flags, std::vector<TriggerCondition*>& out) const
{
    const std::string_view type(typeName ? typeName : "");
    ForEachTrigger(m_quests, flags, [&](Trigger& trigger) {
        for (size_t c = 0; c < trigger.GetConditionCount(); ++c) {
            TriggerCondition* condition = trigger.GetConditionAtIdx(c);
            const bool taken = condition->GetSatisfied() ? (flags & kSatisfied) : (flags & kUnsatisfied);
            if (taken && type == condition->GetName())
                out.push_back(condition);
        }
    });
}

void QuestRepository::FindActionsByType(const char* typeName, int flags, std::vector<TriggerAction*>& out) const
{
    const std::string_view type(typeName ? typeName : "");
    ForEachTrigger(m_quests, flags, [&](Trigger& trigger) {
        for (size_t a = 0; a < trigger.GetActionCount(); ++a)
            if (type == trigger.GetActionAtIdx(a)->GetName())
                out.push_back(trigger.GetActionAtIdx(a));
    });
}

// ---- Fired triggers, rewards, bad quests -------------------------------------------------

void QuestRepository::AddTrigger(const Name& questName, int step, int trigger, uint32_t target)
{
    CriticalSectionLock lock(m_lock);
    const FiredTrigger record{questName, step, trigger, target};
    if (std::find(m_firedTriggers.begin(), m_firedTriggers.end(), record) == m_firedTriggers.end())
        m_firedTriggers.push_back(record);
}

void QuestRepository::ClearTriggers()
{
    CriticalSectionLock lock(m_lock);
    m_firedTriggers.clear();
}

std::vector<QuestRepository::FiredTrigger> QuestRepository::GetFiredTriggers() const
{
    CriticalSectionLock lock(m_lock);
    return m_firedTriggers;
}

std::vector<QuestRepository::Reward> QuestRepository::GetRewards() const
{
    CriticalSectionLock lock(m_lock);
    return m_rewards;
}

void QuestRepository::BadQuestState(Quest& quest)
{
    {
        CriticalSectionLock lock(m_lock);
        quest.SetDirty(true);
        if (!IsBadQuest(quest.GetHandle()))
            m_badQuests.push_back(quest.GetHandle());
        std::erase_if(m_firedTriggers, [&](const FiredTrigger& each) { return each.questName == quest.GetHandle(); });
        std::erase_if(m_rewards, [&](const Reward& each) { return each.questName == quest.GetHandle(); });
    }
    gEngine->Log(LOG_WARNING, "QuestRepository: the saved state of quest \"%s\" does not match its file, dropped",
                 quest.GetFileName().c_str());
    GameEvent_QuestUpdate event;
    event.flag = true;
    EventManager::Get().Send(event, "GameEvent_QuestUpdate");
}

bool QuestRepository::IsBadQuest(const Name& handle) const
{
    CriticalSectionLock lock(m_lock);
    return std::find(m_badQuests.begin(), m_badQuests.end(), handle) != m_badQuests.end();
}

void QuestRepository::DetectUnsolvableQuests(bool strict)
{
    for (const ConditionId& id : m_satisfiedElsewhere) {
        TriggerCondition* condition = FindCondition(id);
        if (!condition || !condition->m_exclusive || (strict && condition->m_lenient))
            continue;
        bool satisfied = true;
        condition->IsSatisfied(satisfied);
        Quest* quest = m_quests[id.Quest()].get();
        if (!satisfied && !quest->IsUnsolvable())
            quest->SetUnsolvable();
    }
}

void QuestRepository::AddActiveQuest(const Name& name)
{
    if (!IsQuestActive(name))
        m_activeQuests.push_back(name);
}

bool QuestRepository::IsQuestActive(const Name& name) const
{
    return std::find(m_activeQuests.begin(), m_activeQuests.end(), name) != m_activeQuests.end();
}

void QuestRepository::RebuildActiveTriggers()
{
    CriticalSectionLock lock(m_lock);
    m_activeTriggers.clear();
    for (const std::unique_ptr<Quest>& quest : m_quests)
        quest->GetActiveTriggers(m_activeTriggers);
}

// ---- Actions and delays ------------------------------------------------------------------

void QuestRepository::FireAction(TriggerAction* action, uint32_t playerId)
{
    if (!action)
        return;
    if (m_delayedActionsEnabled && action->CanDelay())
        m_delayedActions.push_back({action, playerId});
    else
        action->Fire(playerId, false);
}

void QuestRepository::FireDelayedActions()
{
    const std::vector<DelayedAction> actions = std::exchange(m_delayedActions, {});
    for (const DelayedAction& delayed : actions)
        delayed.action->Fire(delayed.playerId, false);
    std::vector<DelayedMessage> messages = std::exchange(m_delayedMessages, {});
    for (const DelayedMessage& delayed : messages)
        SendNetMsg(*delayed.message, delayed.target);
}

void QuestRepository::FlushDelayedActions()
{
    m_delayedActionsEnabled = false;
    FireDelayedActions();
}

void QuestRepository::AddTimeoutCondition(TriggerCondition* condition, float seconds)
{
    if (condition)
        m_pendingTimeouts.push_back({condition, seconds});
}

// Characters keep pointers to the actions they show, so an action once added stays: a
// second action with a held id is logged and dropped rather than freeing the first.
void QuestRepository::AddAction(std::unique_ptr<QuestAction> action)
{
    if (!action)
        return;
    for (const std::unique_ptr<QuestAction>& held : m_actions)
        if (held->GetId() == action->GetId()) {
            gEngine->Log(LOG_WARNING, "QuestRepository: a second action with id %u is ignored", action->GetId());
            return;
        }
    m_actions.push_back(std::move(action));
}

// ---- Messages between hosts --------------------------------------------------------------

void QuestRepository::SendNetMsg(const QuestNetMsg& message, uint32_t target)
{
    if (message.GetKind() == QuestNetMsg::kSatisfied)
        RegisterConditionSatisfied(message.id);
    message.Write(m_words);
    if (gGameEngine)
        gGameEngine->SendQuestPacket(m_words, target, false);
}

void QuestRepository::SendDelayedNetMsg(const QuestNetMsg& message, uint32_t target)
{
    if (message.GetKind() >= QuestNetMsg::kKindCount)
        return;
    m_delayedMessages.push_back({message.Clone(), target});
}

void QuestRepository::RequestClientData()
{
    QuestNetMsg_RequestData message;
    message.sender = GetLocalPlayerId();
    SendNetMsg(message, 0);
}

void QuestRepository::SendProxySpawnList(uint32_t target)
{
    for (const std::unique_ptr<QuestNetMsg_ProxySpawn>& message : m_proxySpawns)
        SendNetMsg(*message, target);
}

void QuestRepository::SendConditionSet(uint32_t target)
{
    m_words.clear();
    for (const ConditionId& id : m_satisfiedElsewhere)
        m_words.push_back(id.packed);
    if (gGameEngine)
        gGameEngine->SendQuestPacket(m_words, target, true);
}

bool QuestRepository::MaySend(uint32_t packetSender, bool isConditionSet, const std::vector<uint32_t>& words) const
{
    constexpr uint32_t kHostShift = 28;   // a player id carries its host's number in its top bits
    if (packetSender == GetLocalPlayerId() || (packetSender >> kHostShift) == 0)
        return true;
    const bool clientKind = !isConditionSet && words.size() >= QuestNetMsg::kHeadWords &&
                            (words[0] == QuestNetMsg::kConversationStart || words[0] == QuestNetMsg::kRequestData) &&
                            words[2] == packetSender;
    if (!clientKind)
        NetPacketRegistry::DropHandled("QuestRepository", "player %08x may not send this quest %s", packetSender,
                                       isConditionSet ? "condition set" : "message");
    return clientKind;
}

void QuestRepository::RecvNetMsg(const std::vector<uint32_t>& words)
{
    gEngine->ChannelLog(LOG_INFO, gEngine->FindLogChannel(kQuestLogChannel),
                        "QuestRepository: message received (%zu words)", words.size());
    if (std::unique_ptr<QuestNetMsg> message = QuestNetMsg::FromWords(words))
        RecvNetMsg(*message);
}

namespace {

// Whether a condition of that class may be named by a message of that kind.
bool ConditionMatchesKind(uint32_t kind, TriggerCondition* condition)
{
    switch (kind) {
    case QuestNetMsg::kSatisfied: return condition != nullptr;
    case QuestNetMsg::kKillCreature: return dynamic_cast<Condition_KillCreature*>(condition) != nullptr;
    case QuestNetMsg::kKillAllFromProxy: return dynamic_cast<Condition_KillAllCreaturesFromProxy*>(condition) != nullptr;
    case QuestNetMsg::kConversationStart: return dynamic_cast<Condition_ConversationStart*>(condition) != nullptr;
    case QuestNetMsg::kKillCreatureHerd: return dynamic_cast<Condition_KillCreatureHerd*>(condition) != nullptr;
    default: return true;
    }
}

}  // namespace

void QuestRepository::RecvNetMsg(const QuestNetMsg& message)
{
    const uint32_t kind = message.GetKind();
    TriggerCondition* condition = message.id.IsNone() ? nullptr : FindCondition(message.id);
    const bool needsCondition = kind <= QuestNetMsg::kKillCreatureHerd;
    if (needsCondition && !ConditionMatchesKind(kind, condition)) {
        NetPacketRegistry::DropHandled("QuestRepository",
                                       "a message of kind %u names condition %08x, which is not one of its kind here",
                                       kind, message.id.packed);
        return;
    }
    const uint32_t local = GetLocalPlayerId();
    const uint32_t sender = message.sender;
    const bool isLocal = sender == local;
    const bool partner = !isLocal && IsPartyPlayerInGame(sender);
    const PlayerManagerClient* roster = gGameEngine ? gGameEngine->GetPlayerManagerClient() : nullptr;
    const bool inGame = roster && roster->IsPlayerInGame(sender);

    switch (kind) {
    case QuestNetMsg::kSatisfied:
        if (isLocal || partner)
            return;
        RegisterConditionSatisfied(message.id);
        DetectUnsolvableQuests(false);
        return;
    case QuestNetMsg::kKillCreature:
    case QuestNetMsg::kKillAllFromProxy:
    case QuestNetMsg::kKillCreatureHerd:
        HandleKillMessage(message, condition, isLocal || !inGame || partner);
        return;
    case QuestNetMsg::kConversationStart:
        if (isLocal || (inGame && !partner))
            return;
        if (!static_cast<Condition_ConversationStart*>(condition)->SatisfyByPartner(sender))
            NetDropLog::Note("QuestMessagePacket", ConnectionManager::HostOfPlayer(sender), "conversation not seen",
                             "a conversation start waits until the server sees its player begin that conversation",
                             "held");
        return;
    case QuestNetMsg::kProxySpawn:
        if (!isLocal)
            OnGenericEntityInitialUpdate_Net(static_cast<const QuestNetMsg_ProxySpawn&>(message));
        return;
    case QuestNetMsg::kRequestData:
        if (isLocal || !IsServerOrSingle())
            return;
        SendConditionSet(sender);
        SendProxySpawnList(sender);
        return;
    default: return;
    }
}

void QuestRepository::HandleKillMessage(const QuestNetMsg& message, TriggerCondition* condition, bool acceptSender)
{
    const uint32_t kind = message.GetKind();
    const uint32_t args[3] = {message.GetArg(0), message.GetArg(1), message.GetArg(2)};
    if (acceptSender) {
        bool satisfied = true;
        condition->IsSatisfied(satisfied);
        if (satisfied)
            return;
        if (kind == QuestNetMsg::kKillCreature)
            static_cast<Condition_KillCreature*>(condition)->Satisfy(args[0], args[1], false);
        else if (kind == QuestNetMsg::kKillAllFromProxy)
            static_cast<Condition_KillAllCreaturesFromProxy*>(condition)->Satisfy(args[0], false);
        else
            static_cast<Condition_KillCreatureHerd*>(condition)->Satisfy(args[0], args[1], false);
        return;
    }
    const uint32_t exclusive = kind == QuestNetMsg::kKillAllFromProxy ? args[1] : args[2];
    if (exclusive != 0)
        m_quests[message.id.Quest()]->SetUnsolvable();
}

void QuestRepository::RecvConditionSet(const std::set<ConditionId>& set)
{
    m_satisfiedElsewhere.insert(set.begin(), set.end());
    DetectUnsolvableQuests(true);
}

// Ids that name no condition here are skipped (logged once per set).
void QuestRepository::RecvConditionSet(const std::vector<uint32_t>& words)
{
    gEngine->ChannelLog(LOG_INFO, gEngine->FindLogChannel(kQuestLogChannel),
                        "QuestRepository: condition set received (%zu words)", words.size());
    std::set<ConditionId> set;
    size_t skipped = 0;
    for (uint32_t word : words) {
        const ConditionId id(word);
        if (FindCondition(id))
            set.insert(id);
        else
            ++skipped;
    }
    if (skipped)
        NetPacketRegistry::DropHandled("QuestRepository", "%zu condition ids of a received set name nothing here, skipped",
                                       skipped);
    RecvConditionSet(set);
}

// The text is a hexadecimal number (an optional "0x" before it), nothing else.
void QuestRepository::CompleteCondition(const std::string& hexText)
{
    const char* text = hexText.c_str();
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 16);
    if (hexText.empty() || end == text || *end != '\0' || errno != 0 || value > 0xFFFFFFFFull ||
        hexText.find('-') != std::string::npos) {
        gEngine->Log(LOG_WARNING, "QuestRepository: \"%s\" is not a condition id", hexText.c_str());
        return;
    }
    RecvConditionSet(std::vector<uint32_t>{static_cast<uint32_t>(value)});
}

uint32_t QuestRepository::StringToNetworkIndex(const std::string& recordName)
{
    const std::string normalised = GetNormalizedPath(recordName);
    return Crc32(normalised.data(), normalised.size());
}

std::string QuestRepository::NetworkIndexToString(uint32_t index) const
{
    for (const auto& [record, listeners] : m_genericInitialUpdates)
        if (Crc32(record.data(), record.size()) == index)
            return record;
    return {};
}

void QuestRepository::OnProxyInitialUpdate(const std::string& recordName, uint32_t proxyId,
                                           const std::vector<uint32_t>& primary,
                                           const std::vector<uint32_t>& accessory)
{
    if (!IsServerOrSingle())
        return;
    auto message = std::make_unique<QuestNetMsg_ProxySpawn>();
    message->sender = GetLocalPlayerId();
    message->recordIndex = StringToNetworkIndex(recordName);
    message->proxyId = proxyId;
    message->primaryObjects = primary;
    message->accessoryObjects = accessory;
    SendNetMsg(*message, 0);
    m_proxySpawns.push_back(std::move(message));
}

// ---- Listener tables ---------------------------------------------------------------------

void QuestRepository::AddConversationStart(const std::string& record, Condition_ConversationStart* listener)
{
    AddQuestListener(m_conversationStarts, record, listener);
}

void QuestRepository::AddCreatureInitialUpdate(const std::string& record, CreatureInitialUpdateListener* listener)
{
    AddQuestListener(m_creatureInitialUpdates, record, listener);
}

void QuestRepository::AddEnterBoundingVolume(const std::string& record, Condition_EnterVolume* listener)
{
    AddQuestListener(m_volumeEntries, record, listener);
}

void QuestRepository::AddGenericEntityInitialUpdate(const std::string& record,
                                                    GenericEntityInitialUpdateListener* listener)
{
    AddQuestListener(m_genericInitialUpdates, record, listener);
}

void QuestRepository::AddCreatureDeath(const std::string& record, CreatureDeathListener* listener)
{
    AddQuestListener(m_creatureDeaths, record, listener);
}

void QuestRepository::AddCompleteQuestNow(const Name& handle, Quest* quest)
{
    std::vector<Quest*>& list = m_completeQuestNow[handle];
    if (quest && std::find(list.begin(), list.end(), quest) == list.end())
        list.push_back(quest);
}

CreatureDeathListener::~CreatureDeathListener() { QuestRepository::Forget(this); }
CreatureInitialUpdateListener::~CreatureInitialUpdateListener() { QuestRepository::Forget(this); }
GenericEntityInitialUpdateListener::~GenericEntityInitialUpdateListener() { QuestRepository::Forget(this); }

void QuestRepository::Forget(const void* listener)
{
    if (gQuestRepository)
        gQuestRepository->RemoveListener(listener);
}

void QuestRepository::RemoveListener(const void* listener)
{
    RemoveFrom(m_conversationStarts, listener);
    RemoveFrom(m_creatureInitialUpdates, listener);
    RemoveFrom(m_volumeEntries, listener);
    RemoveFrom(m_genericInitialUpdates, listener);
    RemoveFrom(m_creatureDeaths, listener);
    for (auto& [handle, list] : m_completeQuestNow)
        std::erase(list, static_cast<Quest*>(const_cast<void*>(listener)));
    std::erase_if(m_timeouts, [listener](const Timeout& each) { return each.condition == listener; });
    std::erase_if(m_pendingTimeouts, [listener](const Timeout& each) { return each.condition == listener; });
    std::erase_if(m_delayedActions, [listener](const DelayedAction& each) { return each.action == listener; });
}

// ---- Event members -----------------------------------------------------------------------

namespace {

// Calls each listener of the record, in the order they were added, over a copy of the
// list (a listener may add or remove listeners). The copies are kept per nesting depth
// and reused, so routing an event allocates nothing once they have grown; a deque keeps
// an outer copy in place while an event sent from a listener routes at the next depth.
template <class Table, class Call>
bool RouteByRecord(const Table& table, std::string_view record, std::deque<std::vector<void*>>& copies, size_t& depth,
                   Call call)
{
    using Listener = typename Table::mapped_type::value_type;
    auto found = table.find(record);
    if (found == table.end() || found->second.empty())
        return false;
    if (copies.size() <= depth)
        copies.emplace_back();
    std::vector<void*>& copy = copies[depth];
    copy.assign(found->second.begin(), found->second.end());
    ++depth;
    for (void* each : copy)
        call(*static_cast<Listener>(each));
    --depth;
    return true;
}

}  // namespace

void QuestRepository::OnConversationBegin(const GameEvent_ConversationBegin& event)
{
    RouteByRecord(m_conversationStarts, event.npcName, m_routeCopies, m_routeDepth,
                  [&](Condition_ConversationStart& listener) { listener.OnConversationBegin(event); });
}

void QuestRepository::OnCompleteQuestNow(const GameEvent_CompleteQuestNow& event)
{
    auto found = m_completeQuestNow.find(Name::Create(GetNormalizedPath(event.questFile)));
    if (found == m_completeQuestNow.end())
        return;
    const std::vector<Quest*> quests = found->second;
    for (Quest* quest : quests)
        quest->OnCompleteQuestNow(event);
}

void QuestRepository::OnCreatureInitialUpdate(const GameEvent_CreatureInitialUpdate& event)
{
    RouteByRecord(m_creatureInitialUpdates, event.objectName, m_routeCopies, m_routeDepth,
                  [&](CreatureInitialUpdateListener& listener) { listener.OnCreatureInitialUpdate(event); });
}

void QuestRepository::OnEnterBoundingVolume(const GameEvent_EnterBoundingVolume& event)
{
    const Object* volume = ObjectManager::Get().GetObject(event.volumeId);
    if (!volume)
        return;
    RouteByRecord(m_volumeEntries, volume->GetObjectName(), m_routeCopies, m_routeDepth,
                  [&](Condition_EnterVolume& listener) { listener.OnEnterBoundingVolume(event); });
}

// A proxy's first update also goes to the other hosts, with the monsters it spawned. The
// local listeners hear of it once, here: the message is for hosts that did not see it.
void QuestRepository::OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event)
{
    const bool listened =
        RouteByRecord(m_genericInitialUpdates, event.objectName, m_routeCopies, m_routeDepth,
                      [&](GenericEntityInitialUpdateListener& listener) { listener.OnGenericEntityInitialUpdate(event); });
    const Proxy* proxy = listened ? ObjectManager::Get().GetObject<Proxy>(event.objectId) : nullptr;
    if (!proxy)
        return;
    std::vector<uint32_t> primary;
    std::vector<uint32_t> accessory;
    proxy->GetPrimaryObjects(primary);
    proxy->GetAccessoryObjects(accessory);
    OnProxyInitialUpdate(event.objectName, event.objectId, primary, accessory);
}

void QuestRepository::OnGenericEntityInitialUpdate_Net(const QuestNetMsg_ProxySpawn& message)
{
    const std::string record = NetworkIndexToString(message.recordIndex);
    if (record.empty())
        return;
    RouteByRecord(m_genericInitialUpdates, record, m_routeCopies, m_routeDepth, [&](GenericEntityInitialUpdateListener& listener) {
        listener.OnGenericEntityInitialUpdate_Net(message);
    });
}

void QuestRepository::OnCreatureDeath(const GameEvent_CreatureDeath& event)
{
    auto call = [&](CreatureDeathListener& listener) { listener.OnCreatureDeath(event); };
    if (RouteByRecord(m_creatureDeaths, event.objectName, m_routeCopies, m_routeDepth, call))
        return;
    const Monster* monster = ObjectManager::Get().GetObject<Monster>(event.objectId);
    if (monster && !monster->GetProxyParent().empty())
        RouteByRecord(m_creatureDeaths, monster->GetProxyParent(), m_routeCopies, m_routeDepth, call);
}

void QuestRepository::OnReward(const GameEvent_Reward& event)
{
    if (event.simulated)
        return;
    CriticalSectionLock lock(m_lock);
    m_rewards.push_back({event.questName, event.region, event.locationTag, event.titleTag, event.text});
}

// ---- Saved state -------------------------------------------------------------------------

std::string QuestRepository::GetQuestStatePath(const std::string& directory, const Quest& quest)
{
    uint32_t words[4];
    quest.GetHandle().GetHashWords(words);
    char name[40];
    std::snprintf(name, sizeof(name), "/%08x%08x%08x%08x.que", words[0], words[1], words[2], words[3]);
    return directory + name;
}

// A main file: block { "numberOfTriggers", per record: "questName" (the handle's text),
// "stepIdx", "triggerIdx", "target" }, block { "numRewards", per reward: "questName",
// "region", "locationTag", "titleTag", "text" }. Records of bad quests are not taken.
void QuestRepository::StreamProperties(IOStream& stream)
{
    CriticalSectionLock lock(m_lock);
    const bool reading = stream.IsReading();

    stream.BeginBlock();
    int32_t count = static_cast<int32_t>(IOStream::SavedCount(m_firedTriggers.size(), kMaxSavedRecords, "numberOfTriggers"));
    stream.StreamInt32("numberOfTriggers", count);
    if (count < 0)
        count = 0;
    if (!stream.CheckCount("numberOfTriggers", static_cast<uint32_t>(count), kMaxSavedRecords, "questName"))
        return;
    std::vector<FiredTrigger> triggers;
    for (int32_t i = 0; i < count && !stream.Failed(); ++i) {
        FiredTrigger record = reading ? FiredTrigger{} : m_firedTriggers[static_cast<size_t>(i)];
        std::string name = record.questName.c_str();
        stream.StreamString("questName", name);
        stream.StreamInt32("stepIdx", record.step);
        stream.StreamInt32("triggerIdx", record.trigger);
        stream.StreamUInt32("target", record.target);
        record.questName = Name::Create(name);
        if (reading && !IsBadQuest(record.questName) &&
            std::find(triggers.begin(), triggers.end(), record) == triggers.end())
            triggers.push_back(record);
    }
    stream.EndBlock();

    stream.BeginBlock();
    count = static_cast<int32_t>(IOStream::SavedCount(m_rewards.size(), kMaxSavedRecords, "numRewards"));
    stream.StreamInt32("numRewards", count);
    if (count < 0)
        count = 0;
    if (!stream.CheckCount("numRewards", static_cast<uint32_t>(count), kMaxSavedRecords, "questName"))
        return;
    std::vector<Reward> rewards;
    for (int32_t i = 0; i < count && !stream.Failed(); ++i) {
        Reward reward = reading ? Reward{} : m_rewards[static_cast<size_t>(i)];
        std::string name = reward.questName.c_str();
        stream.StreamString("questName", name);
        stream.StreamInt32("region", reward.region);
        stream.StreamString("locationTag", reward.locationTag);
        stream.StreamString("titleTag", reward.titleTag);
        stream.StreamWString("text", reward.text);
        reward.questName = Name::Create(name);
        if (reading && !IsBadQuest(reward.questName))
            rewards.push_back(std::move(reward));
    }
    stream.EndBlock();

    // A main file that does not read changes nothing.
    if (reading && !stream.Failed()) {
        m_firedTriggers = std::move(triggers);
        m_rewards = std::move(rewards);
    }
    RebuildActiveTriggers();
}

// A state file: block { "crcFile" (unsigned), the quest's StreamProperties }.
void QuestRepository::StreamQuestState(IOStream* stream, Quest& quest)
{
    if (stream && !stream->Failed()) {
        stream->BeginBlock();
        uint32_t crc = quest.GetCrc();
        stream->StreamUInt32("crcFile", crc);
        if (!stream->Failed() && crc == quest.GetCrc()) {
            quest.StreamProperties(*stream);
            stream->EndBlock();
            if (!stream->Failed())
                return;
        }
    }
    BadQuestState(quest);
}

std::string QuestRepository::CheckQuestState(const std::string& directory, const Quest& quest)
{
    const std::string path = GetQuestStatePath(directory, quest);
    if (!FileExists(path))
        return "holds no state of the quest " + quest.GetFileName();
    IOStreamRead stream(path);
    stream.BeginBlock();
    uint32_t crc = 0;
    stream.StreamUInt32("crcFile", crc);
    if (stream.Failed())
        return "holds a state of the quest " + quest.GetFileName() + " that does not read (" + stream.GetError() + ")";
    if (crc != quest.GetCrc())
        return "holds the state of another version of the quest " + quest.GetFileName();
    return {};
}

void QuestRepository::StreamQuestProperties(const std::string& directory, ReadWrite direction)
{
    for (const std::unique_ptr<Quest>& quest : m_quests) {
        const std::string path = GetQuestStatePath(directory, *quest);
        if (direction == ReadWrite::Write) {
            if (!quest->IsDirty())
                continue;
            IOStreamWrite stream(path);
            StreamQuestState(&stream, *quest);
            if (!stream.Close()) {
                gEngine->Log(LOG_ERROR, "QuestRepository: cannot write \"%s\"", path.c_str());
                quest->SetDirty(true);
            }
            continue;
        }
        if (!FileExists(path)) {
            StreamQuestState(nullptr, *quest);
            continue;
        }
        IOStreamRead stream(path);
        StreamQuestState(&stream, *quest);
    }
}

bool QuestRepository::LoadQuestState(const std::string& directory, const std::string& fileName)
{
    WaitDone();
    StreamQuestProperties(directory, ReadWrite::Read);
    // A quest whose state file is there but was dropped did not read.
    bool read = true;
    for (const std::unique_ptr<Quest>& quest : m_quests)
        if (IsBadQuest(quest->GetHandle()) && FileExists(GetQuestStatePath(directory, *quest)))
            read = false;
    const std::string path = directory + "/" + fileName;
    if (fileName.empty() || !FileExists(path)) {
        RebuildActiveTriggers();
        return read;
    }
    IOStreamRead stream(path);
    StreamProperties(stream);
    if (!stream.Failed())
        return read;
    gEngine->Log(LOG_ERROR, "QuestRepository: the quest main file \"%s\" does not read, ignored", path.c_str());
    return false;
}

std::vector<QuestSaveFile> QuestRepository::PrepareSave(const std::string& directory, const std::string& fileName)
{
    std::vector<QuestSaveFile> files;
    if (directory.empty())
        return files;
    CriticalSectionLock lock(m_lock);
    for (const std::unique_ptr<Quest>& quest : m_quests) {
        if (!quest->IsDirty())
            continue;
        IOStreamWrite stream;
        StreamQuestState(&stream, *quest);
        if (!stream.Close())
            continue;
        const auto bytes = stream.GetBytes();
        files.push_back({GetQuestStatePath(directory, *quest), {bytes.begin(), bytes.end()}, quest->GetId(), true});
    }
    if (!fileName.empty()) {
        IOStreamWrite stream;
        StreamProperties(stream);
        if (stream.Close()) {
            const auto bytes = stream.GetBytes();
            files.push_back({directory + "/" + fileName, {bytes.begin(), bytes.end()}, 0, false});
        }
    }
    return files;
}

void QuestRepository::TakeFailedSaves()
{
    for (uint32_t questId : m_saveThread->TakeFailed()) {
        const size_t index = questId >> 24;
        if (index < m_quests.size())
            m_quests[index]->SetDirty(true);
    }
}

void QuestRepository::SaveQuestState(const std::string& directory, const std::string& fileName, bool inBackground)
{
    TakeFailedSaves();
    if (directory.empty())
        return;
    if (!inBackground) {
        WaitDone();
        StreamQuestProperties(directory, ReadWrite::Write);
        if (fileName.empty())
            return;
        CriticalSectionLock lock(m_lock);
        IOStreamWrite stream(directory + "/" + fileName);
        StreamProperties(stream);
        if (!stream.Close())
            gEngine->Log(LOG_ERROR, "QuestRepository: cannot write \"%s/%s\"", directory.c_str(), fileName.c_str());
        return;
    }
    m_saveThread->HandOff(PrepareSave(directory, fileName));
}

void QuestRepository::WaitDone()
{
    m_saveThread->WaitDone();
    TakeFailedSaves();
}

}  // namespace GAME
