// The player's states, registered by ControllerPlayer::RegisterStates in the order of
// GAME_PLAYER_STATES. Three families: standing, walking and acting on objects; using
// skills; impairments, death and respawn.
#pragma once

#include "Engine/Math.h"
#include "Game/ai/ControllerPlayerState.h"

namespace GAME {

// Registered name and class, in registration order; "Dead" is a second Dying.
#define GAME_PLAYER_STATES(X)                                                      \
    X("Startup", ControllerPlayerStateStartup)                                     \
    X("Idle", ControllerPlayerStateIdle)                                           \
    X("LongIdle", ControllerPlayerStateLongIdle)                                   \
    X("MoveTo", ControllerPlayerStateMoveTo)                                       \
    X("MoveToNpc", ControllerPlayerStateMoveToNpc)                                 \
    X("TalkToNpc", ControllerPlayerStateTalkToNpc)                                 \
    X("MoveToItem", ControllerPlayerStateMoveToItem)                               \
    X("PickupItem", ControllerPlayerStatePickupItem)                               \
    X("MoveToFixedItem", ControllerPlayerStateMoveToFixedItem)                     \
    X("UseFixedItem", ControllerPlayerStateUseFixedItem)                           \
    X("MoveToUseSkill", ControllerPlayerStateMoveToUseSkill)                       \
    X("UseSkill", ControllerPlayerStateUseSkill)                                   \
    X("MoveToStrategicMovement", ControllerPlayerStateMoveToStrategicMovement)     \
    X("DoStrategicMovement", ControllerPlayerStateDoStrategicMovement)             \
    X("Dying", ControllerPlayerStateDying)                                         \
    X("Dead", ControllerPlayerStateDying)                                          \
    X("Immobilized", ControllerPlayerStateImmobilized)                             \
    X("Stunned", ControllerPlayerStateStunned)                                     \
    X("Trapped", ControllerPlayerStateTrapped)                                     \
    X("UseSkillWhileTrapped", ControllerPlayerStateUseSkillWhileTrapped)           \
    X("Respawning", ControllerPlayerStateRespawning)

// A state that takes every request through the defaults and answers the begin notices
// with the impairment states. The ordinary states derive from it.
class ControllerPlayerStateActive : public ControllerPlayerState {
public:
    using ControllerPlayerState::ControllerPlayerState;

    void OnBegin() override {}
    void OnEnd() override {}
    void OnUpdate(int) override {}
    bool RequestSkillAction(bool inPlace, bool second, uint32_t skillId, const WorldVec3& point,
                            uint32_t& target) override
    {
        return DefaultRequestSkillAction(inPlace, second, skillId, point, target);
    }
    void RequestNpcAction(bool inPlace, bool second, const WorldVec3& point, const Npc* npc) override
    {
        DefaultRequestNpcAction(inPlace, second, point, npc);
    }
    void RequestItemAction(bool inPlace, bool second, const WorldVec3& point, const Item* item) override
    {
        DefaultRequestItemAction(inPlace, second, point, item);
    }
    void RequestFixedItemAction(bool inPlace, bool second, const WorldVec3& point, const FixedItem* fixedItem) override
    {
        DefaultRequestFixedItemAction(inPlace, second, point, fixedItem);
    }
    void RequestStrategicMovementAction(bool inPlace, bool second, const WorldVec3& point,
                                        const StrategicMovementBase* marker) override
    {
        DefaultRequestStrategicMovementAction(inPlace, second, point, marker);
    }
    void RequestMoveAction(bool inPlace, bool second, const WorldVec3& point) override
    {
        DefaultRequestMoveAction(inPlace, second, point);
    }
    bool RequestUseItem(uint32_t itemId, bool remove) override { return DefaultRequestUseItemAction(itemId, remove); }
    bool RequestReleasePet(uint32_t petId) override { return DefaultRequestReleasePetAction(petId); }
    bool RequestUseRelic(uint32_t relicId, uint32_t itemId) override
    {
        return DefaultRequestUseRelicAction(relicId, itemId);
    }
    void BeginImmobilize() override { DefaultBeginImmobilizeAction(); }
    void BeginTrap() override { DefaultBeginTrapAction(); }
    void BeginStun() override { DefaultBeginStunAction(); }
};

// A state that takes no request: skills refused, objects and moves ignored, begin
// notices ignored. Whether item use, pet release and relic use still pass is the
// subclass's (`passesUses`).
class ControllerPlayerStatePassive : public ControllerPlayerState {
public:
    ControllerPlayerStatePassive(ControllerPlayer& controller, bool passesUses)
        : ControllerPlayerState(controller), m_passesUses(passesUses)
    {
    }

    void OnBegin() override {}
    void OnEnd() override {}
    void OnUpdate(int) override {}
    bool RequestSkillAction(bool, bool, uint32_t, const WorldVec3&, uint32_t&) override { return false; }
    void RequestNpcAction(bool, bool, const WorldVec3&, const Npc*) override {}
    void RequestItemAction(bool, bool, const WorldVec3&, const Item*) override {}
    void RequestFixedItemAction(bool, bool, const WorldVec3&, const FixedItem*) override {}
    void RequestStrategicMovementAction(bool, bool, const WorldVec3&, const StrategicMovementBase*) override {}
    void RequestMoveAction(bool, bool, const WorldVec3&) override {}
    bool RequestUseItem(uint32_t itemId, bool remove) override
    {
        return m_passesUses && DefaultRequestUseItemAction(itemId, remove);
    }
    bool RequestReleasePet(uint32_t petId) override { return m_passesUses && DefaultRequestReleasePetAction(petId); }
    bool RequestUseRelic(uint32_t relicId, uint32_t itemId) override
    {
        return m_passesUses && DefaultRequestUseRelicAction(relicId, itemId);
    }

private:
    bool m_passesUses;
};

// ---- Standing, walking, acting on objects ---------------------------------------------

class ControllerPlayerStateStartup : public ControllerPlayerStatePassive {
public:
    explicit ControllerPlayerStateStartup(ControllerPlayer& controller) : ControllerPlayerStatePassive(controller, false) {}
    void OnBegin() override;
};

class ControllerPlayerStateIdle : public ControllerPlayerStateActive {
public:
    using ControllerPlayerStateActive::ControllerPlayerStateActive;
    void OnBegin() override;
    // Counts down to the long idle, drawn again every frame the player is under attack.
    void OnUpdate(int elapsedMs) override;
    int GetIdleCountdown() const { return m_idleCountdown; }

private:
    int m_idleCountdown = 0;
};

class ControllerPlayerStateLongIdle : public ControllerPlayerStateActive {
public:
    using ControllerPlayerStateActive::ControllerPlayerStateActive;
    void OnBegin() override;
    void Attacked(uint32_t attackerId) override;
};

class ControllerPlayerStateMoveTo : public ControllerPlayerStateActive {
public:
    using ControllerPlayerStateActive::ControllerPlayerStateActive;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
    void RequestMoveAction(bool inPlace, bool second, const WorldVec3& point) override;
    const WorldVec3& GetQueuedPoint() const { return m_queuedPoint; }

private:
    // The level unit vector from the path position to the point.
    Vec3 DirectionTo(const WorldVec3& point) const;

    Vec3 m_moveDirection{};
    WorldVec3 m_queuedPoint;
};

// The approach states: walk to the object of the state data, then act on it.
class ControllerPlayerStateMoveToActorBase : public ControllerPlayerStateActive {
public:
    using ControllerPlayerStateActive::ControllerPlayerStateActive;
    void OnBegin() override;
};

class ControllerPlayerStateMoveToNpc : public ControllerPlayerStateMoveToActorBase {
public:
    using ControllerPlayerStateMoveToActorBase::ControllerPlayerStateMoveToActorBase;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
    void RequestNpcAction(bool inPlace, bool second, const WorldVec3& point, const Npc* npc) override;
};

class ControllerPlayerStateMoveToItem : public ControllerPlayerStateMoveToActorBase {
public:
    using ControllerPlayerStateMoveToActorBase::ControllerPlayerStateMoveToActorBase;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
    void RequestItemAction(bool inPlace, bool second, const WorldVec3& point, const Item* item) override;
};

class ControllerPlayerStateMoveToFixedItem : public ControllerPlayerStateMoveToActorBase {
public:
    using ControllerPlayerStateMoveToActorBase::ControllerPlayerStateMoveToActorBase;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
    void RequestFixedItemAction(bool inPlace, bool second, const WorldVec3& point, const FixedItem* fixedItem) override;
};

class ControllerPlayerStateMoveToStrategicMovement : public ControllerPlayerStateMoveToActorBase {
public:
    using ControllerPlayerStateMoveToActorBase::ControllerPlayerStateMoveToActorBase;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
    void RequestStrategicMovementAction(bool inPlace, bool second, const WorldVec3& point,
                                        const StrategicMovementBase* marker) override;
};

class ControllerPlayerStateTalkToNpc : public ControllerPlayerStateActive {
public:
    using ControllerPlayerStateActive::ControllerPlayerStateActive;
    void OnBegin() override;
    void RequestNpcAction(bool inPlace, bool second, const WorldVec3& point, const Npc* npc) override;
};

class ControllerPlayerStatePickupItem : public ControllerPlayerStateActive {
public:
    using ControllerPlayerStateActive::ControllerPlayerStateActive;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
    void RequestItemAction(bool inPlace, bool second, const WorldVec3& point, const Item* item) override;
};

class ControllerPlayerStateUseFixedItem : public ControllerPlayerStateActive {
public:
    using ControllerPlayerStateActive::ControllerPlayerStateActive;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
    void RequestFixedItemAction(bool inPlace, bool second, const WorldVec3& point, const FixedItem* fixedItem) override;
};

class ControllerPlayerStateDoStrategicMovement : public ControllerPlayerStateActive {
public:
    using ControllerPlayerStateActive::ControllerPlayerStateActive;
    void OnBegin() override;
    void RequestStrategicMovementAction(bool inPlace, bool second, const WorldVec3& point,
                                        const StrategicMovementBase* marker) override;
};

// ---- Skills -------------------------------------------------------------------------------

class ControllerPlayerStateMoveToUseSkill : public ControllerPlayerStateMoveToActorBase {
public:
    using ControllerPlayerStateMoveToActorBase::ControllerPlayerStateMoveToActorBase;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
    bool RequestSkillAction(bool inPlace, bool second, uint32_t skillId, const WorldVec3& point,
                            uint32_t& target) override;
};

class ControllerPlayerStateUseSkill : public ControllerPlayerStateActive {
public:
    // The least time between two uses of a skill held on one target.
    static constexpr int kReuseDelayMs = 200;

    using ControllerPlayerStateActive::ControllerPlayerStateActive;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void HandleEvent(const Name& event) override;
    float GetSkillUseTolerance(uint32_t targetId) const override;
    bool RequestSkillAction(bool inPlace, bool second, uint32_t skillId, const WorldVec3& point,
                            uint32_t& target) override;
    void RequestMoveAction(bool inPlace, bool second, const WorldVec3& point) override;
    int GetReuseCountdown() const { return m_reuseCountdown; }

private:
    int m_reuseCountdown = 0;
};

// ---- Impairments ----------------------------------------------------------------------------

class ControllerPlayerStateImmobilized : public ControllerPlayerStatePassive {
public:
    explicit ControllerPlayerStateImmobilized(ControllerPlayer& controller) : ControllerPlayerStatePassive(controller, true) {}
    void OnBegin() override;
    void OnEnd() override;
    void EndImmobilize() override;
};

class ControllerPlayerStateStunned : public ControllerPlayerStatePassive {
public:
    explicit ControllerPlayerStateStunned(ControllerPlayer& controller) : ControllerPlayerStatePassive(controller, true) {}
    void OnBegin() override;
    void OnEnd() override;
    void EndStun() override;
};

class ControllerPlayerStateTrapped : public ControllerPlayerStatePassive {
public:
    explicit ControllerPlayerStateTrapped(ControllerPlayer& controller) : ControllerPlayerStatePassive(controller, true) {}
    void OnBegin() override;
    void OnEnd() override;
    void EndTrap() override;
    // A skill only within reach: a trapped player never walks.
    bool RequestSkillAction(bool inPlace, bool second, uint32_t skillId, const WorldVec3& point,
                            uint32_t& target) override;
};

class ControllerPlayerStateUseSkillWhileTrapped : public ControllerPlayerStatePassive {
public:
    explicit ControllerPlayerStateUseSkillWhileTrapped(ControllerPlayer& controller)
        : ControllerPlayerStatePassive(controller, true)
    {
    }
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
    void EndTrap() override;
};

// ---- Death and respawn --------------------------------------------------------------------

// "Dying" and "Dead": the controller leads on to "Respawning" from its death update.
class ControllerPlayerStateDying : public ControllerPlayerStatePassive {
public:
    explicit ControllerPlayerStateDying(ControllerPlayer& controller) : ControllerPlayerStatePassive(controller, false) {}
    void CharacterIsDying() override {}
    void CharacterIsDead() override {}
};

class ControllerPlayerStateRespawning : public ControllerPlayerStatePassive {
public:
    explicit ControllerPlayerStateRespawning(ControllerPlayer& controller)
        : ControllerPlayerStatePassive(controller, false)
    {
    }
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
    void CharacterIsDying() override {}
    void CharacterIsDead() override;
};

}  // namespace GAME
