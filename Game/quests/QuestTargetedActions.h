// The trigger actions that act on something the level makes by itself: a character, what a
// spawn proxy produced, a door, a chest, a lockable fixed item, a quest location. Each names
// its target by record, learns the target's object id from the spawn reports (the quest
// repository's creature and entity tables, fixed-item and creature spawn events) and
// applies its effect at once when the target is known, or stays pending and applies it as
// soon as the target is reported.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Engine/EventManager.h"
#include "Game/quests/QuestRepository.h"

namespace GAME {

class Object;
struct GameEvent_CreatureSpawn;
struct GameEvent_FixedItemSpawn;

// The shared frame: the pending flag, the target ids in order of arrival, the report
// listeners and the apply step. Which reports an action takes is fixed per kind.
class TargetedQuestAction : public PendingQuestAction,
                            public CreatureInitialUpdateListener,
                            public GenericEntityInitialUpdateListener {
public:
    // The reports that resolve the target.
    enum Reports : unsigned {
        kCreatures = 1,        // creatures of the record (repository table)
        kProxyPrimary = 2,     // what a proxy of the record spawned
        kProxyAccessory = 4,   // the accessory objects of a proxy of the record
        kEntityItself = 8,     // the id of the reported entity (a location, a proxy)
        kFixedItems = 16,      // "GameEvent_FixedItemSpawn"
        kCreatureSpawns = 32,  // "GameEvent_CreatureSpawn"
    };
    // A record names at most this many targets; later reports are logged and dropped.
    static constexpr size_t kMaxTargets = 256;

    TargetedQuestAction(uint32_t id, Trigger* parent, const char* key, unsigned reports, bool streamsPending);
    ~TargetedQuestAction() override;

    void StreamChildProperties(IOStream& stream) override;
    void OnCreatureInitialUpdate(const GameEvent_CreatureInitialUpdate& event) override;
    void OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event) override;
    void OnGenericEntityInitialUpdate_Net(const QuestNetMsg_ProxySpawn& message) override;
    void OnFixedItemSpawn(const GameEvent_FixedItemSpawn& event);
    void OnCreatureSpawn(const GameEvent_CreatureSpawn& event);

    // The record that names the target; setting it enters the action in the report tables.
    void SetTargetRecord(const std::string& record);
    const std::string& GetTargetRecord() const { return m_record; }
    const std::vector<uint32_t>& GetTargets() const { return m_targets; }
    bool HasTarget(uint32_t id) const;
    void SetPending(bool pending) { m_pendingFire = pending; }

    // Record names match at equal length, ignoring case, '/' and '\\' counted equal.
    static bool TargetRecordMatches(const std::string& record, const std::string& name);
    // A networked client: it forwards character, lock and animation commands to the server.
    static bool IsNetClient();
    // Whether the server applies a quest command a client sent for that object: only when an
    // action of that kind waits (is pending) to command it. Logged when not.
    static bool AcceptClientCommand(const char* actionType, uint32_t objectId);
    // Whether the object is one this action commands: a known target, or of its record.
    virtual bool Commands(const Object& object) const;

protected:
    // Applies the effect to the known targets and clears pending on success.
    virtual void TryFire() = 0;
    // Enters the action in the report tables its kind listens to (after its keys are read).
    void Listen();
    void AddTarget(uint32_t id);
    void AppendTargets(const std::vector<uint32_t>& ids);
    // The one target of the kinds that keep one id: the latest reported.
    uint32_t GetTarget() const { return m_targets.empty() ? 0 : m_targets.back(); }
    void StreamTargetRecord(IOStream& stream);

    const char* m_key;
    unsigned m_reports;
    bool m_streamsPending;
    std::string m_record;
    std::vector<uint32_t> m_targets;
    std::unique_ptr<GameEventListener<TargetedQuestAction, GameEvent_FixedItemSpawn>> m_fixedItemListener;
    std::unique_ptr<GameEventListener<TargetedQuestAction, GameEvent_CreatureSpawn>> m_creatureSpawnListener;
};

#define GAME_TARGETED_ACTION_NAME(Name)                      \
public:                                                      \
    const char* GetName() const override { return #Name; }   \
    std::string GetDescription() const override;

// A character or what a proxy made, and one item record per difficulty.
class ItemToTargetAction : public TargetedQuestAction {
public:
    ItemToTargetAction(uint32_t id, Trigger* parent, const char* key, unsigned reports)
        : TargetedQuestAction(id, parent, key, reports, true)
    {
    }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void Fire(uint32_t playerId, bool reFire) override;
    void SetItem(int difficulty, const std::string& record);
    void SetItemNormal(const char* v) { SetItem(0, v ? v : ""); }
    void SetItemEpic(const char* v) { SetItem(1, v ? v : ""); }
    void SetItemLegendary(const char* v) { SetItem(2, v ? v : ""); }
    const char* GetItemNormal() const { return m_item[0].c_str(); }
    const char* GetItemEpic() const { return m_item[1].c_str(); }
    const char* GetItemLegendary() const { return m_item[2].c_str(); }

protected:
    const std::string& GetItemForDifficulty() const;
    std::string m_item[3];
};

class Action_DispenseItemFromNpc : public ItemToTargetAction {
    GAME_TARGETED_ACTION_NAME(Action_DispenseItemFromNpc)
    Action_DispenseItemFromNpc(uint32_t id, Trigger* parent) : ItemToTargetAction(id, parent, "npc", kCreatures | kProxyPrimary) {}
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
    bool CanReFire() const override { return true; }

protected:
    void TryFire() override;
};

class Action_DropItemFromNpc : public ItemToTargetAction {
    GAME_TARGETED_ACTION_NAME(Action_DropItemFromNpc)
    Action_DropItemFromNpc(uint32_t id, Trigger* parent) : ItemToTargetAction(id, parent, "npc", kCreatures | kProxyPrimary) {}
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
    void Fire(uint32_t playerId, bool reFire) override;
    uint32_t GetDroppedItemId() const { return m_droppedItemId; }

protected:
    void TryFire() override;

private:
    uint32_t m_droppedItemId = 0;
};

class Action_DispenseItemFromChest : public ItemToTargetAction {
    GAME_TARGETED_ACTION_NAME(Action_DispenseItemFromChest)
    Action_DispenseItemFromChest(uint32_t id, Trigger* parent) : ItemToTargetAction(id, parent, "chest", kFixedItems) {}
    void SetChest(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetChest() const { return m_record.c_str(); }
    bool CanReFire() const override { return true; }

protected:
    void TryFire() override;
};

class Action_TaskCreatureToLocation : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_TaskCreatureToLocation)
    Action_TaskCreatureToLocation(uint32_t id, Trigger* parent);
    ~Action_TaskCreatureToLocation() override;
    bool CanReFire() const override { return true; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void Fire(uint32_t playerId, bool reFire) override;
    void OnCreatureInitialUpdate(const GameEvent_CreatureInitialUpdate& event) override;
    void OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event) override;
    void SetCreature(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetCreature() const { return m_record.c_str(); }
    void SetCanReFire(bool v) { m_canReFire = v; }
    bool GetCanReFire() const { return m_canReFire; }
    // The location record; setting it enters the action in the creature and entity tables.
    void SetLocation(const char* record);
    const char* GetLocation() const { return m_location.c_str(); }
    void SetFight(bool fight) { m_fight = fight; }
    bool GetFight() const { return m_fight; }

protected:
    void TryFire() override;

private:
    std::string m_location;
    uint32_t m_locationId = 0;
    bool m_fight = false;
    bool m_canReFire = true;
};

class Action_SpawnEntityAtLocation : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_SpawnEntityAtLocation)
    Action_SpawnEntityAtLocation(uint32_t id, Trigger* parent)
        : TargetedQuestAction(id, parent, "location", kEntityItself, true)
    {
    }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void Fire(uint32_t playerId, bool reFire) override;
    void SetEntity(const char* record) { m_entity = record ? record : ""; }
    const char* GetEntity() const { return m_entity.c_str(); }
    void SetLocation(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetLocation() const { return m_record.c_str(); }

protected:
    void TryFire() override;

private:
    std::string m_entity;
};

class Action_BoatDialog : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_BoatDialog)
    Action_BoatDialog(uint32_t id, Trigger* parent) : TargetedQuestAction(id, parent, "npc", kCreatures, false) {}
    bool CanReFire() const override { return true; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void Fire(uint32_t playerId, bool reFire) override;
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
    void SetOnOff(bool v) { m_onOff = v; }
    bool GetOnOff() const { return m_onOff; }
    void SetTag(const char* v) { m_tag = v ? v : ""; }
    const char* GetTag() const { return m_tag.c_str(); }
    void SetX(int v) { m_x = v; }
    void SetY(int v) { m_y = v; }
    void SetZ(int v) { m_z = v; }
    int GetX() const { return m_x; }
    int GetY() const { return m_y; }
    int GetZ() const { return m_z; }

protected:
    void TryFire() override;

private:
    bool m_onOff = false;
    std::string m_tag;
    int m_x = 0, m_y = 0, m_z = 0;
};

// A door or a lockable fixed item named by record, with an optional re-fire flag.
class FixedItemAction : public TargetedQuestAction {
public:
    FixedItemAction(uint32_t id, Trigger* parent, const char* key, unsigned reports, bool hasReFire,
                    bool canReFireAnswer)
        : TargetedQuestAction(id, parent, key, reports, false), m_hasReFire(hasReFire), m_canReFireAnswer(canReFireAnswer)
    {
    }
    bool CanReFire() const override { return m_canReFireAnswer; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetCanReFire(bool v) { m_canReFire = v; }
    bool GetCanReFire() const { return m_canReFire; }

protected:
    bool m_hasReFire;
    bool m_canReFireAnswer;
    bool m_canReFire = true;
    bool m_reFire = false;
};

// Opens (or closes) a door: the state command goes through the door's own queue, so that
// every peer applies it; a re-fire after a load opens it without its effect.
class DoorAction : public FixedItemAction {
public:
    DoorAction(uint32_t id, Trigger* parent, bool open)
        : FixedItemAction(id, parent, "door", kFixedItems, true, true), m_open(open)
    {
    }
    void Fire(uint32_t playerId, bool reFire) override;

protected:
    void TryFire() override;

private:
    bool m_open;
};

class Action_OpenDoor : public DoorAction {
    GAME_TARGETED_ACTION_NAME(Action_OpenDoor)
    Action_OpenDoor(uint32_t id, Trigger* parent) : DoorAction(id, parent, true) {}
    void SetDoor(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetDoor() const { return m_record.c_str(); }
};

class Action_CloseDoor : public DoorAction {
    GAME_TARGETED_ACTION_NAME(Action_CloseDoor)
    Action_CloseDoor(uint32_t id, Trigger* parent) : DoorAction(id, parent, false) {}
    void SetDoor(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetDoor() const { return m_record.c_str(); }
};

class LockAction : public FixedItemAction {
public:
    LockAction(uint32_t id, Trigger* parent, bool lock)
        : FixedItemAction(id, parent, "fixedItem", kFixedItems | kProxyAccessory, !lock, !lock), m_lock(lock)
    {
    }
    void Fire(uint32_t playerId, bool reFire) override;

protected:
    void TryFire() override;

private:
    bool m_lock;
};

class Action_LockFixedItem : public LockAction {
    GAME_TARGETED_ACTION_NAME(Action_LockFixedItem)
    Action_LockFixedItem(uint32_t id, Trigger* parent) : LockAction(id, parent, true) {}
    void SetFixedItem(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetFixedItem() const { return m_record.c_str(); }
};

class Action_UnlockFixedItem : public LockAction {
    GAME_TARGETED_ACTION_NAME(Action_UnlockFixedItem)
    Action_UnlockFixedItem(uint32_t id, Trigger* parent) : LockAction(id, parent, false) {}
    void SetFixedItem(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetFixedItem() const { return m_record.c_str(); }
};

class Action_KillCreature : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_KillCreature)
    Action_KillCreature(uint32_t id, Trigger* parent)
        : TargetedQuestAction(id, parent, "creatureRecord", kCreatureSpawns | kProxyPrimary, false)
    {
    }
    void SerializeChildProperties(IOStream& stream) override;
    void Fire(uint32_t playerId, bool reFire) override;
    void SetCreatureRecord(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetCreatureRecord() const { return m_record.c_str(); }
    void SetCanReFire(bool v) { m_canReFire = v; }
    bool GetCanReFire() const { return m_canReFire; }

protected:
    void TryFire() override;

private:
    bool m_canReFire = true;
};

// Talks to the character at once when it is known; it never waits.
class Action_TalkNPC : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_TalkNPC)
    Action_TalkNPC(uint32_t id, Trigger* parent) : TargetedQuestAction(id, parent, "npc", kCreatures, false) {}
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
    void SerializeChildProperties(IOStream& stream) override { StreamTargetRecord(stream); }
    void Fire(uint32_t playerId, bool reFire) override;

protected:
    void TryFire() override {}
};

class Action_ClearNPCDialog : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_ClearNPCDialog)
    Action_ClearNPCDialog(uint32_t id, Trigger* parent) : TargetedQuestAction(id, parent, "npc", kCreatures, true) {}
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
    bool CanReFire() const override { return true; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override { StreamTargetRecord(stream); }
    void Fire(uint32_t playerId, bool reFire) override;

protected:
    void TryFire() override;
};

class Action_SetCharacterInvincible : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_SetCharacterInvincible)
    Action_SetCharacterInvincible(uint32_t id, Trigger* parent)
        : TargetedQuestAction(id, parent, "npc", kCreatures | kProxyPrimary, true)
    {
    }
    bool CanReFire() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void Fire(uint32_t playerId, bool reFire) override;
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
    void SetInvincible(bool v) { m_invincible = v; }
    bool GetInvincible() const { return m_invincible; }
    void SetCanReFire(bool v) { m_canReFire = v; }
    bool GetCanReFire() const { return m_canReFire; }

protected:
    void TryFire() override;

private:
    bool m_invincible = true;
    bool m_canReFire = true;
};

class Action_NpcPlayAnimation : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_NpcPlayAnimation)
    Action_NpcPlayAnimation(uint32_t id, Trigger* parent)
        : TargetedQuestAction(id, parent, "npc", kCreatures | kProxyPrimary, true)
    {
    }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void Fire(uint32_t playerId, bool reFire) override;
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
    void SetAnimation(int animation) { m_animation = animation; }
    int GetAnimation() const { return m_animation; }
    void SetAllowInterruptions(bool v) { m_allowInterruptions = v; }
    bool GetAllowInterruptions() const { return m_allowInterruptions; }
    void SetLooping(bool v) { m_looping = v; }
    bool GetLooping() const { return m_looping; }

    // An animation condition not heard from for this long after the action played its
    // animation is given up on.
    static constexpr float kAnimationTimeoutSeconds = 15.0f;

protected:
    void TryFire() override;

private:
    int32_t m_animation = 0;
    bool m_allowInterruptions = false;
    bool m_looping = false;
};

// Lights up a character: 1 an exclamation mark, 2 a question mark, 3 the glow effect;
// with the deluminate flag it takes the light away instead.
class Action_IlluminateNpc : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_IlluminateNpc)
    Action_IlluminateNpc(uint32_t id, Trigger* parent) : TargetedQuestAction(id, parent, "npc", kCreatures, true) {}
    Action_IlluminateNpc(uint32_t id, std::string npcName, int kind, bool deluminate = false)
        : TargetedQuestAction(id, nullptr, "npc", kCreatures, true), m_kind(kind), m_deluminate(deluminate)
    {
        m_record = std::move(npcName);
    }
    // Shows the light on the character of the record now in the world (a saved state).
    void Execute();
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanReFire() const override { return true; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void StreamChildProperties(IOStream& stream) override;
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
    // The "type" key: 1 Primary, 2 Secondary, 3 Tertiary.
    void SetType(int type) { m_kind = type; }
    int GetType() const { return m_kind; }
    int GetKind() const { return m_kind; }
    bool GetDeluminate() const { return m_deluminate; }
    bool IsDeluminate() const { return m_deluminate; }
    // The character took the light away on its own (the player talked to it).
    void SetDeluminate() { m_deluminate = true; }

protected:
    void TryFire() override;

private:
    int32_t m_kind = 1;
    bool m_deluminate = false;
};

// Gives a character a new dialog pak.
class Action_UpdateNPCDialog : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_UpdateNPCDialog)
    Action_UpdateNPCDialog(uint32_t id, Trigger* parent) : TargetedQuestAction(id, parent, "npc", kCreatures, true) {}
    Action_UpdateNPCDialog(uint32_t id, std::string npcName, std::string dialogRecord)
        : TargetedQuestAction(id, nullptr, "npc", kCreatures, true), m_dialogRecord(std::move(dialogRecord))
    {
        m_record = std::move(npcName);
    }
    // Gives the pak to the character of the record now in the world (a saved state).
    void Execute();
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanReFire() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void StreamChildProperties(IOStream& stream) override;
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
    void SetDialogFile(const char* record) { m_dialogRecord = record ? record : ""; }
    const char* GetDialogFile() const { return m_dialogRecord.c_str(); }
    // Set once the player heard the pak's primary dialog.
    void SetNoPrimaryDialog(bool value) { m_noPrimaryDialog = value; }
    bool GetNoPrimaryDialog() const { return m_noPrimaryDialog; }
    const std::string& GetDialogRecord() const { return m_dialogRecord; }

protected:
    void TryFire() override;

private:
    std::string m_dialogRecord;
    bool m_noPrimaryDialog = false;
};

// Hides or shows a character, or disables a proxy, named by record.
class NpcVisibilityAction : public TargetedQuestAction {
public:
    NpcVisibilityAction(uint32_t id, Trigger* parent, const char* key, unsigned reports, bool hasReFire)
        : TargetedQuestAction(id, parent, key, reports, true), m_hasReFire(hasReFire)
    {
    }
    bool CanReFire() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void Fire(uint32_t playerId, bool reFire) override;
    void SetCanReFire(bool v) { m_canReFire = v; }
    bool GetCanReFire() const { return m_canReFire; }

protected:
    bool m_hasReFire;
    bool m_canReFire = true;
};

class ShowHideNpcAction : public NpcVisibilityAction {
public:
    ShowHideNpcAction(uint32_t id, Trigger* parent, bool visible)
        : NpcVisibilityAction(id, parent, "npc", kCreatures, true), m_visible(visible)
    {
    }

protected:
    void TryFire() override;

private:
    bool m_visible;
};

class Action_HideNpc : public ShowHideNpcAction {
    GAME_TARGETED_ACTION_NAME(Action_HideNpc)
    Action_HideNpc(uint32_t id, Trigger* parent) : ShowHideNpcAction(id, parent, false) {}
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
};

class Action_ShowNpc : public ShowHideNpcAction {
    GAME_TARGETED_ACTION_NAME(Action_ShowNpc)
    Action_ShowNpc(uint32_t id, Trigger* parent) : ShowHideNpcAction(id, parent, true) {}
    void SetNpc(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetNpc() const { return m_record.c_str(); }
};

class Action_DisableProxy : public NpcVisibilityAction {
    GAME_TARGETED_ACTION_NAME(Action_DisableProxy)
    Action_DisableProxy(uint32_t id, Trigger* parent) : NpcVisibilityAction(id, parent, "proxy", kEntityItself, false) {}
    void SetProxy(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetProxy() const { return m_record.c_str(); }

protected:
    void TryFire() override;
};

class Action_FireSkill : public TargetedQuestAction {
    GAME_TARGETED_ACTION_NAME(Action_FireSkill)
    Action_FireSkill(uint32_t id, Trigger* parent)
        : TargetedQuestAction(id, parent, "target", kCreatures | kProxyPrimary, false)
    {
    }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void Fire(uint32_t playerId, bool reFire) override;
    void OnCreatureInitialUpdate(const GameEvent_CreatureInitialUpdate& event) override;
    void OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event) override;
    void OnGenericEntityInitialUpdate_Net(const QuestNetMsg_ProxySpawn& message) override;
    void SetSkill(const char* skill) { m_skill = skill ? skill : ""; }
    const char* GetSkill() const { return m_skill.c_str(); }
    // The source record; setting it enters the action in the creature and entity tables.
    void SetSource(const char* record);
    const char* GetSource() const { return m_source.c_str(); }
    void SetTarget(const char* record) { SetTargetRecord(record ? record : ""); }
    const char* GetTarget() const { return m_record.c_str(); }
    void SetAllowInterruptions(bool v) { m_allowInterruptions = v; }
    bool GetAllowInterruptions() const { return m_allowInterruptions; }
    const std::vector<uint32_t>& GetSources() const { return m_sources; }
    bool Commands(const Object& object) const override;

protected:
    void TryFire() override;

private:
    // Appends to the source list, the target list or both, by which record the name matches.
    void Route(const std::string& record, const std::vector<uint32_t>& ids);

    std::string m_skill;
    std::string m_source;
    std::vector<uint32_t> m_sources;
    bool m_allowInterruptions = false;
};

#undef GAME_TARGETED_ACTION_NAME

}  // namespace GAME
