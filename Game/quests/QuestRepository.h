// The one owner of the quests of the running world: loads the quest files, keeps which
// triggers fired and which rewards were given, routes game events by record name to the
// conditions that wait for them, delays actions and messages during a conversation,
// shares quest progress between hosts, and writes and reads the saved quest state, in the
// background on its own thread when asked to.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/EventManager.h"
#include "Engine/Name.h"
#include "Game/quests/QuestActions.h"
#include "Game/quests/QuestNetMsg.h"

namespace GAME {

class Condition_ConversationStart;
class Condition_EnterVolume;
class Player;
class Quest;
class QuestStateSaveThread;
struct QuestSaveFile;
class Trigger;
class TriggerAction;
class TriggerCondition;
struct GameEvent_AnimationCompleted;
struct GameEvent_CompleteQuestNow;
struct GameEvent_ConversationBegin;
struct GameEvent_CreatureDeath;
struct GameEvent_CreatureInitialUpdate;
struct GameEvent_EnterBoundingVolume;
struct GameEvent_GenericEntityInitialUpdate;
struct GameEvent_Reward;

// The log channel that traces the repository's work.
inline constexpr const char* kQuestLogChannel = "Quests";

// A listener leaves the repository's tables when it is destroyed.
class CreatureDeathListener {
public:
    virtual ~CreatureDeathListener();
    virtual void OnCreatureDeath(const GameEvent_CreatureDeath& event) = 0;
};

class CreatureInitialUpdateListener {
public:
    virtual ~CreatureInitialUpdateListener();
    virtual void OnCreatureInitialUpdate(const GameEvent_CreatureInitialUpdate& event) = 0;
};

class GenericEntityInitialUpdateListener {
public:
    virtual ~GenericEntityInitialUpdateListener();
    virtual void OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event) = 0;
    virtual void OnGenericEntityInitialUpdate_Net(const QuestNetMsg_ProxySpawn& message) = 0;
};

class QuestRepository {
public:
    // Keys of the listener tables are normalised record names; a look-up by any spelling
    // compares normalised characters in place, so routing an event makes no string.
    struct RecordNameLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    // The most quests: the quest number takes the high byte of every id.
    static constexpr size_t kMaxQuests = 256;

    QuestRepository();
    ~QuestRepository();
    QuestRepository(const QuestRepository&) = delete;
    QuestRepository& operator=(const QuestRepository&) = delete;

    static QuestRepository* Get();
    static void Destroy();

    // The local player and its id (the game engine's player id); null or 0 without one.
    static Player* GetLocalPlayer();
    static uint32_t GetLocalPlayerId();
    static bool IsServerOrSingle();
    static bool IsNetworked();
    // A player in the game (on the client roster) and in one party with the local player.
    static bool IsPartyPlayerInGame(uint32_t playerId);

    // ---- Quests ----
    // Loads the quest files the world names; a file already loaded (by handle) is skipped.
    void Load();
    // Loads one quest file (relative to the data root); null when it cannot be read or
    // does not parse (logged), or when the repository holds kMaxQuests quests.
    Quest* LoadQuestFile(const std::string& fileName);
    // Reads one quest file (relative to the data root) into a quest of its own with the id
    // `id`, kept by the caller and not by the repository; null when the file is not found,
    // is a folder, cannot be read or does not parse, and `why` then says which ("not found",
    // "does not read (REASON)"), which the repository does not log (the stream logs its own
    // failure). A run checks its quest this way before it starts.
    static std::unique_ptr<Quest> ReadQuestFile(const std::string& fileName, uint32_t id, std::string& why);
    size_t GetQuestCount() const { return m_quests.size(); }
    Quest* GetQuestAt(size_t index) const { return index < m_quests.size() ? m_quests[index].get() : nullptr; }
    Quest* GetQuest(const Name& handle) const;
    void Reset();

    void Update(int ms);
    void FireTriggers();
    void SimulateRewards();
    void FindZombieAnimationCompleteConditions();

    // ---- Look-ups ----
    TriggerCondition* FindCondition(ConditionId id) const;
    // By quest number, step, trigger and action index from the id's bytes; an id no quest
    // action has falls back to the actions added with AddAction.
    TriggerAction* FindActionById(uint32_t id) const;
    enum FindFlags : int { kUnfiredTriggers = 1, kFiredTriggers = 2, kUnsatisfied = 4, kSatisfied = 8 };
    void FindConditionsByType(const char* typeName, int flags, std::vector<TriggerCondition*>& out) const;
    void FindActionsByType(const char* typeName, int flags, std::vector<TriggerAction*>& out) const;

    // ---- Fired triggers and rewards ----
    struct FiredTrigger {
        Name questName;
        int32_t step = 0;
        int32_t trigger = 0;
        uint32_t target = 0;
        bool operator==(const FiredTrigger&) const = default;
    };
    struct Reward {
        Name questName;
        int32_t region = 0;
        std::string locationTag;
        std::string titleTag;
        std::u16string text;
    };
    void AddTrigger(const Name& questName, int step, int trigger, uint32_t target);
    void ClearTriggers();
    std::vector<FiredTrigger> GetFiredTriggers() const;
    std::vector<Reward> GetRewards() const;
    void BadQuestState(Quest& quest);
    bool IsBadQuest(const Name& handle) const;
    void DetectUnsolvableQuests(bool strict);
    void AddActiveQuest(const Name& name);
    bool IsQuestActive(const Name& name) const;
    const std::vector<Name>& GetActiveQuestList() const { return m_activeQuests; }
    size_t GetActiveTriggerCount() const { return m_activeTriggers.size(); }

    // ---- Actions and delays ----
    void FireAction(TriggerAction* action, uint32_t playerId);
    void EnableDelayedActions(bool enabled) { m_delayedActionsEnabled = enabled; }
    bool AreDelayedActionsEnabled() const { return m_delayedActionsEnabled; }
    void FlushDelayedActions();
    void AddTimeoutCondition(TriggerCondition* condition, float seconds);
    // The stand-in actions non-player characters show (until quest files carry them):
    // owned here for the whole game; an id already held keeps its first action.
    void AddAction(std::unique_ptr<QuestAction> action);
    void ClearActions() { m_actions.clear(); }

    // ---- Messages between hosts ----
    void CompleteCondition(const std::string& hexText);
    void RegisterConditionSatisfied(ConditionId id) { m_satisfiedElsewhere.insert(id); }
    const std::set<ConditionId>& GetConditionsSatisfiedElsewhere() const { return m_satisfiedElsewhere; }
    void SendNetMsg(const QuestNetMsg& message, uint32_t target);
    void SendDelayedNetMsg(const QuestNetMsg& message, uint32_t target);
    void RecvNetMsg(const QuestNetMsg& message);
    void RecvNetMsg(const std::vector<uint32_t>& words);
    // Whether the player whose packet carried the words may send them: the server (host 0)
    // and this machine send any; a client sends only what a client sends (kinds 3 and 6)
    // under its own id. Logged when not.
    bool MaySend(uint32_t packetSender, bool isConditionSet, const std::vector<uint32_t>& words) const;
    void SendConditionSet(uint32_t target);
    void RecvConditionSet(const std::set<ConditionId>& set);
    void RecvConditionSet(const std::vector<uint32_t>& words);
    void SendProxySpawnList(uint32_t target);
    void RequestClientData();
    // A record name as a word both hosts agree on (the CRC-32 of the normalised name), and
    // back among the records that proxy listeners wait on; empty when none matches.
    static uint32_t StringToNetworkIndex(const std::string& recordName);
    std::string NetworkIndexToString(uint32_t index) const;
    // On the server or in single play, announces a proxy's first update to the other hosts
    // (kind 5) and keeps a copy for hosts that ask later. The local listeners are not
    // called: they heard the update itself.
    void OnProxyInitialUpdate(const std::string& recordName, uint32_t proxyId, const std::vector<uint32_t>& primary,
                              const std::vector<uint32_t>& accessory);

    // ---- Listener tables, by normalised record name ----
    void AddConversationStart(const std::string& record, Condition_ConversationStart* listener);
    void AddCreatureInitialUpdate(const std::string& record, CreatureInitialUpdateListener* listener);
    void AddEnterBoundingVolume(const std::string& record, Condition_EnterVolume* listener);
    void AddGenericEntityInitialUpdate(const std::string& record, GenericEntityInitialUpdateListener* listener);
    void AddCreatureDeath(const std::string& record, CreatureDeathListener* listener);
    void AddCompleteQuestNow(const Name& handle, Quest* quest);
    // Takes a listener off every table (a condition being destroyed).
    void RemoveListener(const void* listener);
    // RemoveListener on the repository when there is one.
    static void Forget(const void* listener);

    // ---- Event members ----
    void OnConversationBegin(const GameEvent_ConversationBegin& event);
    void OnCompleteQuestNow(const GameEvent_CompleteQuestNow& event);
    void OnCreatureInitialUpdate(const GameEvent_CreatureInitialUpdate& event);
    void OnEnterBoundingVolume(const GameEvent_EnterBoundingVolume& event);
    void OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event);
    void OnGenericEntityInitialUpdate_Net(const QuestNetMsg_ProxySpawn& message);
    void OnCreatureDeath(const GameEvent_CreatureDeath& event);
    void OnReward(const GameEvent_Reward& event);

    // ---- Saved state ----
    void StreamProperties(IOStream& stream);
    void StreamQuestState(IOStream* stream, Quest& quest);
    enum class ReadWrite { Read, Write };
    void StreamQuestProperties(const std::string& directory, ReadWrite direction);
    // Reads the saved state; false (logged) when the main file, or the state file of a quest,
    // is there but does not read: what did not read is left as a fresh game has it.
    bool LoadQuestState(const std::string& directory, const std::string& fileName);
    void SaveQuestState(const std::string& directory, const std::string& fileName, bool inBackground);
    // Returns once no save handed to the thread is pending.
    void WaitDone();
    // The state file of a quest: the directory, "/", its handle's four words in hex, ".que".
    static std::string GetQuestStatePath(const std::string& directory, const Quest& quest);
    // Whether the saved state in `directory` is one of `quest` as its file is now: empty when
    // the quest's state file is there and was written from a file of the quest's crc, else
    // what the folder holds instead ("holds no state of the quest FILE", ...). Only the
    // file's stored crc is read, before the state is loaded: a state of another version of
    // the quest is found first; a damaged body is found only by the load.
    static std::string CheckQuestState(const std::string& directory, const Quest& quest);

private:
    friend class QuestStateSaveThread;
    struct DelayedAction {
        TriggerAction* action;
        uint32_t playerId;
    };
    struct DelayedMessage {
        std::unique_ptr<QuestNetMsg> message;
        uint32_t target;
    };
    struct Timeout {
        TriggerCondition* condition;
        float seconds;
    };

    void FireDelayedActions();
    // Serialises, on the game thread, what a save writes; clears the dirty flags.
    std::vector<QuestSaveFile> PrepareSave(const std::string& directory, const std::string& fileName);
    // Marks dirty again the quests whose state file could not be written.
    void TakeFailedSaves();
    void RebuildActiveTriggers();
    void SendConditionSatisfiedCheck(const QuestNetMsg& message, TriggerCondition* condition);
    void HandleKillMessage(const QuestNetMsg& message, TriggerCondition* condition, bool acceptSender);

    template <class L>
    using ListenerTable = std::map<std::string, std::vector<L*>, RecordNameLess>;

    mutable CriticalSection m_lock;
    std::vector<std::unique_ptr<Quest>> m_quests;
    std::vector<FiredTrigger> m_firedTriggers;
    std::vector<Trigger*> m_activeTriggers;
    std::vector<Name> m_activeQuests;
    std::set<ConditionId> m_satisfiedElsewhere;
    std::vector<Name> m_badQuests;
    std::vector<std::unique_ptr<QuestNetMsg_ProxySpawn>> m_proxySpawns;
    bool m_delayedActionsEnabled = false;
    std::vector<DelayedAction> m_delayedActions;
    std::vector<DelayedMessage> m_delayedMessages;
    std::vector<Timeout> m_pendingTimeouts;
    std::vector<Timeout> m_timeouts;
    ListenerTable<Condition_ConversationStart> m_conversationStarts;
    ListenerTable<CreatureInitialUpdateListener> m_creatureInitialUpdates;
    ListenerTable<Condition_EnterVolume> m_volumeEntries;
    ListenerTable<GenericEntityInitialUpdateListener> m_genericInitialUpdates;
    ListenerTable<CreatureDeathListener> m_creatureDeaths;
    std::map<Name, std::vector<Quest*>> m_completeQuestNow;
    std::vector<Reward> m_rewards;
    std::vector<std::unique_ptr<QuestAction>> m_actions;
    std::vector<std::unique_ptr<EventHandlerInterface>> m_handlers;
    std::unique_ptr<QuestStateSaveThread> m_saveThread;
    // Scratch words for sending without allocating per message, and the listener copies
    // of event routing by nesting depth.
    std::vector<uint32_t> m_words;
    std::deque<std::vector<void*>> m_routeCopies;
    size_t m_routeDepth = 0;
};

}  // namespace GAME
