// The objects placed in levels that characters use where they stand: chests, doors,
// shrines, portals, traps. The base keeps what every kind shares: the replicated state and
// the lock, the trap or blessing skill that fires a while after a use, the sounds, the
// bonus given to the users, the path obstacles of its mesh, the saved state, and where a
// character stands to use it. A quest can lock one so that nobody can use it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/EventManager.h"
#include "Engine/GameTimer.h"
#include "Game/core/Bonus.h"
#include "Game/core/Team.h"
#include "Game/items/ItemReplicaInfo.h"

namespace GAME {

class AnimationSound;
class AuraManager;
class BinaryReader;
class BinaryWriter;
class DynamicObstacle;
class FixedItemController;
class FixedItemSkill;
class NetPacketInBuffer;
class NetPacketOutBuffer;
class SoundPak;
class SpecialFX;

// The replicated state of a fixed item: one enumeration for every kind, each kind using
// its own range. Values stay below 128 (the replication byte keeps 7 bits of it).
enum FixedItem_State : uint32_t {
    FixedItemState_None = 0,
    FixedItemState_Closed = 1,
    FixedItemState_Open = 2,
    FixedItemState_Idle = 3,
    FixedItemState_IdleToActive = 4,
    FixedItemState_Active = 5,
    FixedItemState_ActiveToDormant = 6,
    FixedItemState_Dormant = 7,
    FixedItemState_DormantToIdle = 8,
    FixedItemState_DoorClosed = 9,
    FixedItemState_DoorOpen = 10,
    FixedItemState_DoorOpenByTrigger = 11,
};

// A fixed item entered the world: the item's record name and its id.
struct GameEvent_FixedItemSpawn : GameEvent {
    std::string objectName;
    uint32_t objectId = 0;
};

// A player used a fixed item: the item's record name, the user's id and the item's id.
struct GameEvent_FixedItemUse : GameEvent {
    std::string objectName;
    uint32_t actorId = 0;
    uint32_t objectId = 0;
};

class FixedItem : public Actor {
    GAME_DECLARE_CLASS(FixedItem)

public:
    // The replication byte: the state in the low seven bits, the lock in the top bit.
    static constexpr uint8_t kReplicatedStateMask = 0x7F;
    static constexpr uint8_t kReplicatedLockBit = 0x80;
    static constexpr int kSoundCount = 5;   // "sound1" .. "sound5"
    // Monster allies within this distance hear that the item was used against them.
    static constexpr float kAllyCallRadius = 20.0f;

    FixedItem();
    ~FixedItem() override;

    // ---- Engine actor ---------------------------------------------------------------
    void Load(const LoadTable& table) override;
    // The skill, the locked sound and every animation sound.
    void PreLoad(bool flag) override;
    void OnAddToLevel() override;
    void OnMoveInLevel() override;
    void OnRemoveFromLevel() override;
    // Lets go of what the item owns: its auras, skill, locked sound and effect.
    void OnDestroy() override;
    // Applies a restored or replicated state at once, without effects, registers the
    // animation sounds and announces "GameEvent_FixedItemSpawn".
    void InitialUpdate() override;
    // Times, auras, the skill countdown and the path-obstacle upkeep.
    void UpdateSelf(int elapsedMs) override;
    void AnimationCallback(const Name& event) override;
    void DebugRender() override;
    bool ShouldServerSpawn() const override { return true; }
    bool IsStatic() const override { return false; }
    bool OccludesPathing() const override { return false; }
    virtual bool DeleteOnEnteringUnloadedLevel() const { return false; }
    virtual bool ShouldSaveState() const { return true; }
    virtual bool GetIsPartOfLevel() const { return true; }
    // The item's name from its "description" tag, yellow ("^y") when highlighted; a
    // locked item not highlighted adds its locked text on a new line ("^n").
    virtual std::u16string GetGameDescription(bool highlighted) const;

    // One byte: the state (the pending one when set) in bits 0-6, the lock in bit 7.
    virtual uint8_t WriteReplicationData() const;
    // Keeps the byte's state and lock until ApplyReplicationData.
    virtual void ReadReplicationData(uint8_t data);
    // The received lock takes effect; the received state waits for InitialUpdate.
    virtual void ApplyReplicationData();
    // The replication data in a packet: the byte above, then what a kind adds.
    virtual void WriteReplicationData(NetPacketOutBuffer& out) const;
    // False (nothing kept, logged) when the packet ends early.
    virtual bool ReadReplicationData(NetPacketInBuffer& in);
    // After the actor's data: the state (4 bytes), the lock (4 bytes), the per-party
    // drop item's identity.
    virtual void SaveState(BinaryWriter& writer);
    // Reads the same fields; the state is applied at InitialUpdate. False (nothing
    // applied, logged) when the blob ends early or holds a state of 128 or more.
    virtual bool RestoreState(BinaryReader& reader);

    // ---- Use ------------------------------------------------------------------------
    // A character asks to use the item: a locked item (or one locked to this actor)
    // plays its locked sound; the kinds add their own answer.
    virtual void RequestToUse(uint32_t actorId);
    // The item's use took effect on its user and on the targets. A player user is
    // announced with "GameEvent_FixedItemUse"; every target takes the item's bonus.
    virtual void UseOnTarget(uint32_t actorId, const std::vector<uint32_t>& targets);
    // The item's skill acts on the targets; an item without a skill does nothing.
    virtual void UseSkillOnTargets(uint32_t actorId, const std::vector<uint32_t>& targets);
    // Puts the item into a state. The base knows no state and ignores every one; the kinds
    // take the states of their own range (instant: without animation; withEffects: with
    // sounds and effects).
    virtual void SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool withEffects);
    virtual bool IsOfInterest() const { return false; }
    virtual bool CanIUse(uint32_t /*actorId*/) const { return true; }
    // Where the character stands to use the item: on the line from the item to the
    // character, at the standing distance, put on the floor; the item's own position for
    // an item without a mesh or an actor that is no character.
    virtual WorldVec3 GetMoveToPoint(uint32_t actorId) const;
    WorldVec3 GetUsePoint(const Entity& user) const { return GetMoveToPoint(user.GetObjectId()); }
    virtual float GetExtraReach() const { return 1.0f; }
    virtual FixedItemSkill* GetSkill() const;
    virtual int GetSkillDelay() const { return m_skillDelay; }
    virtual void SetLock(bool locked) { m_locked = locked; }
    virtual bool IsLocked() const { return m_locked; }
    // Whether the character stands on the side the item faces (exactly beside it is
    // behind).
    virtual bool IsCharacterInFront(const WorldCoords& character) const;
    // How far from the item's position a character of that size stands to use it.
    virtual float GetStandingDistance(float characterExtents) const;
    virtual bool IsAutoCloseEnabled() const { return false; }
    virtual bool IsAlternateLock(uint32_t /*actorId*/) const { return false; }

    // ---- Skill countdown --------------------------------------------------------------
    // Starts the skill's countdown for a use by `actorId` (nothing without a skill).
    // When it runs out, where the rules are decided, the skill chooses its targets and
    // FixedItemSkillTargetConfigCmd takes them to every peer: it fires once.
    void StartSkillCountdown(uint32_t actorId);
    bool IsSkillPending() const { return m_skillCountdown > 0; }

    // ---- State ------------------------------------------------------------------------
    FixedItem_State GetCurrentState() const { return m_state; }
    FixedItem_State GetPendingState() const { return m_pendingState; }
    void SetProxyLevel(uint32_t level) { m_proxyLevel = level; }
    uint32_t GetProxyLevel() const { return m_proxyLevel; }
    const Team& GetTeam() const { return m_team; }
    const Bonus& GetBonus() const { return m_bonus; }
    const std::string& GetSoundName(int index) const;
    const std::string& GetLockedTextTag() const { return m_lockedTextTag; }
    SoundPak* GetLockedSound() const;
    SpecialFX& GetActiveEffect() { return *m_activeEffect; }
    void SetDropPerPartyMemberItem(const ItemReplicaInfo& item) { m_dropPerPartyMember = item; }
    ItemReplicaInfo GetDropPerPartyMemberItem() const { return m_dropPerPartyMember; }
    // Where loot lands: the "SpawnPoint" attach point when the item has one (it is the
    // item's position otherwise).
    WorldVec3 GetLootDropCoords() const;
    void PlayLockedSound();
    // Shows the skill's warning (a chest opens, a door opens, a shrine wakes).
    void PlaySkillWarningFx();
    // The item's monster allies nearby react as if an ally had been attacked by the user.
    void NotifyAllies(uint32_t attackerId) const;
    int GetElapsed() const { return m_elapsed; }
    // Creates max(count, 1) items of that identity through the controller (none without).
    void DropAdditionalItems(ItemReplicaInfo& info, unsigned count);

    // ---- Controller -------------------------------------------------------------------
    // The rules of the item where the world is decided; null elsewhere. The item owns it
    // and tells it of touches, states, updates and animation events.
    void SetController(std::unique_ptr<FixedItemController> controller);
    // Where the rules of the world are decided: not on a network client, not in the editor.
    static bool DecidesRules();
    FixedItemController* GetController() const { return m_controller.get(); }

    // ---- Path obstacles ---------------------------------------------------------------
    // Asks for the obstacles to be built again: it happens in the second update after.
    void RequestPathObstacleRebuild() { m_rebuildObstacles = true; }
    size_t GetPathObstacleCount() const { return m_pathObstacles.size(); }
    int GetObstacleCountdown() const { return m_obstacleCountdown; }

protected:
    // The one way the state changes; the kinds call it from their SetFixedItemState.
    void SetCurrentState(FixedItem_State state);
    void GiveBonusToTargets(const std::vector<uint32_t>& targets);
    // One obstacle per hit box of the mesh (the mesh's box: one while it has a mesh).
    virtual void CreatePathObstacle();
    virtual void RemovePathObstacle();
    // What a kind saves after the base's fields, read whole before anything is applied:
    // a blob cut short inside a kind's fields leaves the item as it was.
    virtual void WriteKindState(BinaryWriter& /*writer*/) const {}
    // False when the kind's fields are not all there; keeps them for ApplyKindState.
    virtual bool ReadKindState(BinaryReader& /*reader*/) { return true; }
    virtual void ApplyKindState() {}
    // Attaches an obstacle a kind built and keeps it with the others.
    void KeepPathObstacle(std::unique_ptr<DynamicObstacle> obstacle);

private:
    // Runs out the skill countdown; on the deciding side the targets go out as a command.
    void UpdateSkillCountdown(int elapsedMs);

    FixedItem_State m_state = FixedItemState_None;
    std::unique_ptr<FixedItemController> m_controller;
    FixedItem_State m_pendingState = FixedItemState_None;
    std::unique_ptr<SpecialFX> m_activeEffect;
    Bonus m_bonus;
    std::unique_ptr<AuraManager> m_auraManager;
    std::unique_ptr<AnimationSound> m_animationSounds;
    std::string m_soundNames[kSoundCount];
    uint32_t m_skill = 0;   // owned, by id
    int m_skillDelay = 0;   // ms, never 0 once loaded
    int m_skillCountdown = 0;
    uint32_t m_skillUser = 0;
    std::vector<std::unique_ptr<DynamicObstacle>> m_pathObstacles;
    bool m_rebuildObstacles = false;
    Team m_team;
    uint32_t m_proxyLevel = 0;
    GameTimer m_timer;
    int m_elapsed = 0;
    uint32_t m_lastUpdateFrame = 0;
    bool m_locked = false;
    std::string m_lockedTextTag;
    std::string m_descriptionTag;
    ItemReplicaInfo m_dropPerPartyMember;
    uint32_t m_lockedSound = 0;   // owned, by id
    int m_obstacleCountdown = 0;
    FixedItem_State m_replicatedState = FixedItemState_None;
    bool m_replicatedLocked = false;
    bool m_replicationPending = false;
};

}  // namespace GAME
