// The states of the monster controller, in the order it registers them. Each state is one
// small class; what it does not answer itself it leaves to the interface's default.
#pragma once

#include "Game/ai/ControllerAIState.h"
#include "Game/ai/ControllerMonster.h"

namespace GAME {

class DynamicBarrier;
class Monster;
class Skill;

// How near a point must be reachable for a monster to go there.
inline constexpr float kMonsterMoveTolerance = 0.5f;
// Whether an animation event is the end of the animation.
bool IsMonsterAnimationEnd(const Name& event);

// The base of every monster-like state, bound to a controller and a character class. It
// holds the monster's standard reactions; the concrete states forward their events to
// these default responses. The members are defined in ControllerMonsterStates.cpp and
// instantiated there for the controller classes that use them.
template <class ControllerT, class CharacterT>
class ControllerMonsterState : public ControllerAIStateT<ControllerT, CharacterT> {
public:
    using ControllerAIStateT<ControllerT, CharacterT>::ControllerAIStateT;

    void OnBegin() override {}
    void OnEnd() override {}
    void OnUpdate(int /*elapsedMs*/) override {}
    bool RespondsToFear() const override { return true; }
    bool RequestConversation(uint32_t /*otherId*/) override { return false; }
    void BeginImmobilize() override;
    void BeginTrap() override;
    void BeginStun() override;
    void Panic(uint32_t scarerId) override;
    void SkillUsed(uint32_t skillId) override;

protected:
    using Base = ControllerAIStateT<ControllerT, CharacterT>;
    static ControllerAIStateData Data(uint32_t enemy, uint32_t ally = 0, uint32_t skill = 0,
                                      const WorldVec3& point = WorldVec3())
    {
        return ControllerAIStateData(enemy, ally, skill, point);
    }

    void DefaultEnemyFoundResponse(uint32_t enemyId);
    void DefaultClosestEnemyFoundResponse(uint32_t enemyId, float distance);
    void DefaultAttackedResponse(uint32_t attackerId);
    void DefaultAllyAttackedResponse(uint32_t allyId, uint32_t attackerId);
    void DefaultAllyNeedsHelpResponse(uint32_t enemyId, uint32_t allyId);
    void DefaultAllyDiedResponse(uint32_t allyId);
    void DefaultLowHealthResponse();
    void DefaultConfusedResponse(int ms);
    void DefaultPanicResponse(uint32_t scarerId);
    void DefaultRequestAttackResponse(uint32_t requesterId, uint32_t targetId);
    void DefaultRequestMoveResponse(uint32_t requesterId, const WorldVec3& point);
    bool DefaultRequestConversationResponse(uint32_t partnerId);
    void DefaultQuestCommandMoveResponse(uint32_t id, const WorldVec3& point);
    void DefaultQuestCommandWalkResponse(uint32_t id, const WorldVec3& point);
    void DefaultQuestCommandPlayAnimationResponse(AnimationSet_Type animation, bool looping);
    void DefaultQuestCommandUseSkillResponse(uint32_t skillId, uint32_t targetId);
    void DefaultProjectileNotificationResponse(uint32_t projectileId);

    bool ShouldBuffSelf() const;
    void CallForFollowers();
    void JoinLeader(uint32_t leaderId);
    void HealAllyWhenAttacked(uint32_t allyId);
    // The point of a random try round the centre that the character can walk to; false
    // after five failed tries.
    bool PickRandomPointInVicinity(WorldVec3& out, CharacterT& character, const WorldVec3& centre, float minRadius,
                                   float maxRadius, float minDistance, float verticalLimit);
    // Adds the buff-other skill for the best ally when it may be used on it.
    void BuffBestAlly();
    // The monster's leader, when the monster has one.
    uint32_t GetLeaderId() const;
    // Runs (or walks) to the point; false when the move did not start. A move that cannot
    // start reports the end of its path at once: that report is no arrival, and the state's
    // EndOfPathReached leaves it to this caller (see EndOfPathFromStart).
    bool StartMove(const WorldVec3& point, uint32_t targetId, uint32_t skillId, bool walk);
    // True, noting the refusal, while StartMove is on the stack.
    bool EndOfPathFromStart();

private:
    bool m_moveStarting = false;
    bool m_moveRefused = false;
};

// A state that reacts to everything a roaming or idle monster hears with the default
// responses (the "D" rows of the reaction table).
template <class ControllerT, class CharacterT>
class ControllerMonsterStateDefaults : public ControllerMonsterState<ControllerT, CharacterT> {
public:
    using ControllerMonsterState<ControllerT, CharacterT>::ControllerMonsterState;
    using S = ControllerMonsterState<ControllerT, CharacterT>;

    bool ShouldFindEnemy() const override { return true; }
    bool ShouldFindClosestEnemy() const override { return true; }
    void EnemyFound(uint32_t id) override { S::DefaultEnemyFoundResponse(id); }
    void ClosestEnemyFound(uint32_t id, float d) override { S::DefaultClosestEnemyFoundResponse(id, d); }
    void Attacked(uint32_t id) override { S::DefaultAttackedResponse(id); }
    void AllyAttacked(uint32_t ally, uint32_t attacker) override { S::DefaultAllyAttackedResponse(ally, attacker); }
    void LowHealth() override { S::DefaultLowHealthResponse(); }
    void AllyDied(uint32_t ally) override { S::DefaultAllyDiedResponse(ally); }
    void AllyNeedsHelp(uint32_t enemy, uint32_t ally) override { S::DefaultAllyNeedsHelpResponse(enemy, ally); }
    void RequestAttack(uint32_t requester, uint32_t target) override { S::DefaultRequestAttackResponse(requester, target); }
    void RequestMove(uint32_t requester, const WorldVec3& point) override
    {
        S::DefaultRequestMoveResponse(requester, point);
    }
    void QuestCommandMove(uint32_t id, const WorldVec3& point) override { S::DefaultQuestCommandMoveResponse(id, point); }
    void QuestCommandWalk(uint32_t id, const WorldVec3& point) override { S::DefaultQuestCommandWalkResponse(id, point); }
    void QuestCommandPlayAnimation(AnimationSet_Type type, bool loop) override
    {
        S::DefaultQuestCommandPlayAnimationResponse(type, loop);
    }
    void QuestCommandUseSkill(uint32_t skill, uint32_t target) override
    {
        S::DefaultQuestCommandUseSkillResponse(skill, target);
    }
    void ProjectileNotification(uint32_t id) override { S::DefaultProjectileNotificationResponse(id); }
    void Confused(int ms) override { S::DefaultConfusedResponse(ms); }
};

// A state that ignores enemies and attacks but obeys the quest commands.
template <class ControllerT, class CharacterT>
class ControllerMonsterStateQuestable : public ControllerMonsterState<ControllerT, CharacterT> {
public:
    using ControllerMonsterState<ControllerT, CharacterT>::ControllerMonsterState;
    using S = ControllerMonsterState<ControllerT, CharacterT>;

    void QuestCommandMove(uint32_t id, const WorldVec3& point) override { S::DefaultQuestCommandMoveResponse(id, point); }
    void QuestCommandWalk(uint32_t id, const WorldVec3& point) override { S::DefaultQuestCommandWalkResponse(id, point); }
    void QuestCommandPlayAnimation(AnimationSet_Type type, bool loop) override
    {
        S::DefaultQuestCommandPlayAnimationResponse(type, loop);
    }
    void QuestCommandUseSkill(uint32_t skill, uint32_t target) override
    {
        S::DefaultQuestCommandUseSkillResponse(skill, target);
    }
};

using MonsterState = ControllerMonsterState<ControllerMonster, Monster>;
using MonsterStateQuestable = ControllerMonsterStateQuestable<ControllerMonster, Monster>;
using MonsterStateDefaults = ControllerMonsterStateDefaults<ControllerMonster, Monster>;

class ControllerMonsterStateStartup : public MonsterState {
public:
    using MonsterState::MonsterState;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;

private:
    void UseInitialSkill();
    bool m_spawnPlayed = false;
};

class ControllerMonsterStateIdle : public MonsterStateDefaults {
public:
    using MonsterStateDefaults::MonsterStateDefaults;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    bool RequestConversation(uint32_t otherId) override { return DefaultRequestConversationResponse(otherId); }

private:
    int m_roamTimerMs = 0;
};

// The combat states answer a conversation with false and ignore allies being attacked
// unless they say otherwise.
class ControllerMonsterStateCombat : public MonsterStateDefaults {
public:
    using MonsterStateDefaults::MonsterStateDefaults;
    bool RequestConversation(uint32_t /*otherId*/) override { return false; }
    void AllyAttacked(uint32_t /*allyId*/, uint32_t /*attackerId*/) override {}

protected:
    // A new enemy: attack at once when in reach with a clear path, else pursue it.
    void EngageNewEnemy(uint32_t enemyId);
    // The attack when in reach with a clear path, otherwise the fallback state.
    void AttackOr(const char* fallback);
    // The leader's attack request; one naming the current enemy changes nothing.
    void RequestAttackUnlessCurrent(uint32_t requesterId, uint32_t targetId);
    bool PathClearTo(uint32_t enemyId);
};

class ControllerMonsterStatePursue : public ControllerMonsterStateCombat {
public:
    using ControllerMonsterStateCombat::ControllerMonsterStateCombat;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EnemyFound(uint32_t enemyId) override { EngageNewEnemy(enemyId); }
    void EndOfPathReached() override
    {
        if (!EndOfPathFromStart())
            AttackOr("Return");
    }
    void LostSlot() override;
    void RequestAttack(uint32_t requester, uint32_t target) override { RequestAttackUnlessCurrent(requester, target); }

    int GetPursuitTimer() const { return m_pursuitTimerMs; }

    // How many barrier and range tests pursuits have made, for the benchmarks.
    struct Counters {
        uint64_t barrierTests = 0;
        uint64_t rangeTests = 0;
    };
    static Counters& GetCounters();

protected:
    int m_pursuitTimerMs = 0;
    int m_recheckTimerMs = 0;
};

class ControllerMonsterStateEmoteBeforePursue : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
    void Confused(int ms) override { DefaultConfusedResponse(ms); }
};

// A pursuit that walks straight at the enemy until the path clears.
class ControllerMonsterStateNavigateObstacle : public ControllerMonsterStatePursue {
public:
    using ControllerMonsterStatePursue::ControllerMonsterStatePursue;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
};

class ControllerMonsterStateAttack : public ControllerMonsterStateCombat {
public:
    using ControllerMonsterStateCombat::ControllerMonsterStateCombat;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void HandleEvent(const Name& event) override;
    void ProjectileCollisionCallback(const ProjectileInfo& info, const CollisionData& collision) override;
    void Attacked(uint32_t attackerId) override;
    void AllyAttacked(uint32_t allyId, uint32_t /*attackerId*/) override { HealAllyWhenAttacked(allyId); }
    void EnemyFound(uint32_t enemyId) override { EngageNewEnemy(enemyId); }
    void LostSlot() override;
    void RequestAttack(uint32_t requester, uint32_t target) override { RequestAttackUnlessCurrent(requester, target); }

    bool GetRepositionFlag() const { return m_reposition; }

    // Where to aim at the target: ahead of it, on its way, when the monster leads its
    // shots with a ranged weapon (the leading data is then filled in).
    WorldVec3 LeadingAimPoint(Character& target, TargetLeadingData& leading);

private:
    void AttackEnemy();
    bool m_reposition = false;
};

class ControllerMonsterStateRepositionForAttack : public ControllerMonsterStateCombat {
public:
    using ControllerMonsterStateCombat::ControllerMonsterStateCombat;
    void OnBegin() override;
    void OnEnd() override;
    void EndOfPathReached() override
    {
        if (!EndOfPathFromStart())
            AttackOr("Return");
    }
    void EnemyFound(uint32_t enemyId) override { EngageNewEnemy(enemyId); }
    void RequestAttack(uint32_t requester, uint32_t target) override { RequestAttackUnlessCurrent(requester, target); }
};

// No free attack position round the enemy: emote or roam near it until one frees.
class ControllerMonsterStateWaitToAttack : public MonsterStateDefaults {
public:
    using MonsterStateDefaults::MonsterStateDefaults;
    static constexpr int kCheckMs = 333;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
    void HandleEvent(const Name& event) override;
    void RequestAttack(uint32_t requester, uint32_t target) override;

    const WorldVec3& GetWanderCentre() const { return m_centre; }
    float GetWanderRadius() const { return m_radius; }

    bool StartRoaming();

private:
    bool EmoteOrRoam();
    int m_pauseMs = 0;
    WorldVec3 m_centre;
    float m_radius = 0.0f;
    bool m_waiting = false;
    int m_checkMs = 0;
};

class ControllerMonsterStateDodgeAttack : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    bool ShouldFindEnemy() const override { return true; }
    void OnBegin() override;
    void EndOfPathReached() override
    {
        if (!EndOfPathFromStart())
            SetState("Return", Data(GetCurrentEnemy()));
    }
    void RequestMove(uint32_t requester, const WorldVec3& point) override { DefaultRequestMoveResponse(requester, point); }
    void Confused(int ms) override { DefaultConfusedResponse(ms); }
};

// The main states: registered name, class suffix.
#define GAME_MONSTER_STATES(X)                                   \
    X("Startup", Startup)                                        \
    X("Idle", Idle)                                              \
    X("Pursue", Pursue)                                          \
    X("EmoteBeforePursue", EmoteBeforePursue)                    \
    X("Attack", Attack)                                          \
    X("RepositionForAttack", RepositionForAttack)                \
    X("Flee", Flee)                                              \
    X("Roam", Roam)                                              \
    X("Wander", Wander)                                          \
    X("WanderPause", WanderPause)                                \
    X("Return", ReturnFast)                                      \
    X("Dying", Dying)                                            \
    X("Dead", Dead)                                              \
    X("FollowLeader", FollowLeader)                              \
    X("DefendLeader", DefendLeader)                              \
    X("NavigateObstacle", NavigateObstacle)                      \
    X("Move", Move)                                              \
    X("DodgeAttack", DodgeAttack)                                \
    X("Panic", Panic)                                            \
    X("Paralyze", Paralyze)                                      \
    X("Confused", Confused)                                      \
    X("Immobile", Immobile)                                      \
    X("Trapped", Trapped)                                        \
    X("TrappedAttack", TrappedAttack)                            \
    X("Stunned", Stunned)                                        \
    X("Scared", Scared)                                          \
    X("Patrol", Patrol)                                          \
    X("WaitToAttack", WaitToAttack)                              \
    X("QuestMove", QuestMove)                                    \
    X("QuestWalk", QuestWalk)                                    \
    X("QuestPlayAnimation", QuestPlayAnimation)                  \
    X("QuestUseSkill", QuestUseSkill)

// The temporary states.
#define GAME_MONSTER_TEMPORARY_STATES(X)                         \
    X("UseSkillOnAlly", UseSkillOnAlly)                          \
    X("UseSkillOnPoint", UseSkillOnPoint)

// ---- Movement states (ControllerMonsterMoveStates.cpp) -----------------------------------------

// Roams round the spawn point, resting in Idle between walks.
class ControllerMonsterStateRoam : public MonsterStateDefaults {
public:
    using MonsterStateDefaults::MonsterStateDefaults;
    static constexpr int kRoamAgainChance = 20;
    void OnBegin() override;
    void OnEnd() override;
    void EndOfPathReached() override;

private:
    bool StartRoaming();
};

// Wanders round the leader.
class ControllerMonsterStateWander : public MonsterStateDefaults {
public:
    using MonsterStateDefaults::MonsterStateDefaults;
    void OnBegin() override;
    void OnEnd() override;
    void OnUpdate(int /*elapsedMs*/) override { LeaderCheck(); }
    void EndOfPathReached() override
    {
        if (!EndOfPathFromStart())
            SetState("WanderPause", ControllerAIStateData());
    }

protected:
    // Switches away (true) when the leader is gone or too far.
    bool LeaderCheck();
};

class ControllerMonsterStateWanderPause : public ControllerMonsterStateWander {
public:
    using ControllerMonsterStateWander::ControllerMonsterStateWander;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;

private:
    int m_pauseMs = 0;
};

// Walks home (registered by no controller of its own; ReturnFast runs).
class ControllerMonsterStateReturn : public MonsterStateDefaults {
public:
    using MonsterStateDefaults::MonsterStateDefaults;
    void OnBegin() override;
    void EndOfPathReached() override
    {
        if (!EndOfPathFromStart())
            SetState("Idle", ControllerAIStateData());
    }
    virtual bool ShouldWalk() const { return true; }
};

class ControllerMonsterStateReturnFast : public ControllerMonsterStateReturn {
public:
    using ControllerMonsterStateReturn::ControllerMonsterStateReturn;
    bool ShouldWalk() const override { return false; }
};

class ControllerMonsterStatePatrol : public MonsterStateDefaults {
public:
    using MonsterStateDefaults::MonsterStateDefaults;
    bool UsePathPositionAsHome() const override { return true; }
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;

    int GetIdleTimer() const { return m_idleMs; }

private:
    bool MoveToCurrentPoint();
    void MoveToNextPoint();
    int m_idleMs = 0;
};

// The leader-bound states ignore allies being attacked and react to the ally's death.
class ControllerMonsterStateLeaderBound : public MonsterStateDefaults {
public:
    using MonsterStateDefaults::MonsterStateDefaults;
    void AllyAttacked(uint32_t /*allyId*/, uint32_t /*attackerId*/) override {}
    void AllyDied(uint32_t allyId) override;

protected:
    // Teleports to a leader farther than the teleport distance (never when it is 0).
    void TeleportWhenFar(Character& leader);
    // Whether the point the monster would move to beside the leader is somewhere to go.
    bool FollowPointFor(Character& leader, WorldVec3& point);
};

class ControllerMonsterStateFollowLeader : public ControllerMonsterStateLeaderBound {
public:
    using ControllerMonsterStateLeaderBound::ControllerMonsterStateLeaderBound;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override
    {
        if (!EndOfPathFromStart())
            SetState("DefendLeader", Data(0, GetCurrentAlly()));
    }
    void LostSlot() override { SetState("DefendLeader", Data(0, GetCurrentAlly())); }
};

class ControllerMonsterStateDefendLeader : public ControllerMonsterStateLeaderBound {
public:
    using ControllerMonsterStateLeaderBound::ControllerMonsterStateLeaderBound;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override {}

private:
    int m_distanceTestMs = 0;
    int m_wanderMs = 0;
};

// Goes where its leader sent it.
class ControllerMonsterStateMove : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    bool ShouldFindEnemy() const override { return true; }
    void OnBegin() override;
    void EndOfPathReached() override
    {
        if (!EndOfPathFromStart())
            SetState("Idle", ControllerAIStateData());
    }
    void RequestMove(uint32_t requester, const WorldVec3& point) override { DefaultRequestMoveResponse(requester, point); }
    void Confused(int ms) override { DefaultConfusedResponse(ms); }
};

// ---- Impairment, flight and death (ControllerMonsterImpairStates.cpp) -----------------------------

class ControllerMonsterStateFlee : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    void OnBegin() override;
    void OnEnd() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override
    {
        if (!EndOfPathFromStart())
            SetState("Idle", ControllerAIStateData());
    }
    void Confused(int ms) override { DefaultConfusedResponse(ms); }

    // Where the flight goes by the record's flee target; false when there is nowhere.
    bool FindFleePoint(WorldVec3& out);
    bool HasFled() const { return m_fled; }

private:
    int m_fleeMs = 0;
    bool m_fled = false;
};

// Runs from a scarer until another state is set.
class ControllerMonsterStatePanic : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    static constexpr float kRunDistance = 24.0f;
    void OnBegin() override;
    void Confused(int ms) override { DefaultConfusedResponse(ms); }
};

class ControllerMonsterStateParalyze : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;

    int GetParalysisTimer() const { return m_paralysisMs; }

private:
    int m_paralysisMs = 0;
};

class ControllerMonsterStateConfused : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    // The combat attribute type whose effect shows the confusion.
    static constexpr uint32_t kEffectType = 42;
    void OnBegin() override;
    void OnEnd() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override
    {
        if (!EndOfPathFromStart())
            WalkRandomly();
    }

private:
    void WalkRandomly();
    int m_randomAttackMs = 0;
};

class ControllerMonsterStateImmobile : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    void OnBegin() override;
    void EndImmobilize() override { SetState("Return", ControllerAIStateData()); }
};

class ControllerMonsterStateTrapped : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    bool ShouldFindEnemy() const override { return true; }
    void OnBegin() override;
    void EndTrap() override;
    void EnemyFound(uint32_t enemyId) override;
};

class ControllerMonsterStateTrappedAttack : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
    void EndTrap() override;
};

class ControllerMonsterStateStunned : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    void OnBegin() override;
    void EndStun() override { SetState("Return", ControllerAIStateData()); }
};

class ControllerMonsterStateScared : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override
    {
        if (!EndOfPathFromStart())
            RunOrHide();
    }

private:
    bool FindRunToPoint(WorldVec3& out);
    void RunOrHide();
    void Hide();
    int m_runMs = 0;
    int m_hideMs = 0;
};

// Dying and dead monsters hear nothing: no enemies, fear, stuns, traps or immobilisation.
class ControllerMonsterStateDeathBase : public MonsterState {
public:
    using MonsterState::MonsterState;
    bool RespondsToFear() const override { return false; }
    void BeginImmobilize() override {}
    void BeginTrap() override {}
    void BeginStun() override {}
    void StunMe(float /*durationMs*/) override {}
    void Panic(uint32_t /*scarerId*/) override {}
};

class ControllerMonsterStateDying : public ControllerMonsterStateDeathBase {
public:
    using ControllerMonsterStateDeathBase::ControllerMonsterStateDeathBase;
    void OnBegin() override;
};

class ControllerMonsterStateDead : public ControllerMonsterStateDeathBase {
public:
    using ControllerMonsterStateDeathBase::ControllerMonsterStateDeathBase;
    void OnBegin() override;
};

// ---- Quest commands and skill use (ControllerMonsterQuestStates.cpp) ------------------------------

// Runs to the quest's point. The quest states hear enemies only when the command allows
// interruptions, and always queue their completion command when they end.
class ControllerMonsterStateQuestMove : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    bool ShouldFindEnemy() const override { return Interruptible(); }
    bool ShouldFindClosestEnemy() const override { return Interruptible(); }
    bool RespondsToFear() const override { return false; }
    void OnBegin() override;
    void OnEnd() override;
    void EndOfPathReached() override;
    void EnemyFound(uint32_t id) override;
    void ClosestEnemyFound(uint32_t id, float d) override;
    void Attacked(uint32_t id) override;
    void AllyAttacked(uint32_t ally, uint32_t attacker) override;
    void LowHealth() override;
    void AllyDied(uint32_t ally) override;
    void AllyNeedsHelp(uint32_t enemy, uint32_t ally) override;
    void RequestAttack(uint32_t requester, uint32_t target) override;
    void RequestMove(uint32_t requester, const WorldVec3& point) override;
    void ProjectileNotification(uint32_t id) override;
    void Confused(int ms) override;

protected:
    bool Interruptible() const;
    virtual bool ShouldWalk() const { return false; }
    // Queues the command that tells the quest system an animation or skill use is done.
    void QueueAnimationCompleted();
};

class ControllerMonsterStateQuestWalk : public ControllerMonsterStateQuestMove {
public:
    using ControllerMonsterStateQuestMove::ControllerMonsterStateQuestMove;

protected:
    bool ShouldWalk() const override { return true; }
};

class ControllerMonsterStateQuestPlayAnimation : public ControllerMonsterStateQuestMove {
public:
    using ControllerMonsterStateQuestMove::ControllerMonsterStateQuestMove;
    void OnBegin() override;
    void OnEnd() override { QueueAnimationCompleted(); }
    void HandleEvent(const Name& event) override;
};

class ControllerMonsterStateQuestUseSkill : public ControllerMonsterStateQuestMove {
public:
    using ControllerMonsterStateQuestMove::ControllerMonsterStateQuestMove;
    void OnBegin() override;
    void OnEnd() override { QueueAnimationCompleted(); }
    void HandleEvent(const Name& event) override;
};

// A temporary state: uses its skill on the ally, then hands control back.
class ControllerMonsterStateUseSkillOnAlly : public MonsterStateQuestable {
public:
    using MonsterStateQuestable::MonsterStateQuestable;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;

protected:
    // The skill of the state data when it is there and ready; done (null) otherwise.
    Skill* ReadySkillOrDone();
};

class ControllerMonsterStateUseSkillOnPoint : public ControllerMonsterStateUseSkillOnAlly {
public:
    using ControllerMonsterStateUseSkillOnAlly::ControllerMonsterStateUseSkillOnAlly;
    void OnBegin() override;
};

}  // namespace GAME
