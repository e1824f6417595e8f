// The states of the monster controller, in the order it registers them. Each state is one
// small class; until the monster's behaviours are filled in, a state keeps the monster
// where it is and answers every question with the interface's default.
#pragma once

#include "Game/ai/ControllerAIState.h"

namespace GAME {

class ControllerMonster;
class Monster;

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
    void DefaultAllyNeedsHelpResponse(uint32_t allyId, uint32_t enemyId);
    void DefaultAllyDiedResponse(uint32_t allyId);
    void DefaultLowHealthResponse();
    void DefaultConfusedResponse(int ms);
    void DefaultPanicResponse(uint32_t scarerId);
    void DefaultRequestAttackResponse(uint32_t requesterId, uint32_t targetId);
    void DefaultRequestMoveResponse(uint32_t requesterId, const WorldVec3& point);
    bool DefaultRequestConversationResponse(uint32_t partnerId);
    void DefaultQuestCommandMoveResponse(uint32_t id, const WorldVec3& point);
    void DefaultQuestCommandWalkResponse(uint32_t id, const WorldVec3& point);
    void DefaultQuestCommandPlayAnimationResponse();
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
    void AllyNeedsHelp(uint32_t ally, uint32_t enemy) override { S::DefaultAllyNeedsHelpResponse(ally, enemy); }
    void RequestAttack(uint32_t requester, uint32_t target) override { S::DefaultRequestAttackResponse(requester, target); }
    void RequestMove(uint32_t requester, const WorldVec3& point) override
    {
        S::DefaultRequestMoveResponse(requester, point);
    }
    void QuestCommandMove(uint32_t id, const WorldVec3& point) override { S::DefaultQuestCommandMoveResponse(id, point); }
    void QuestCommandWalk(uint32_t id, const WorldVec3& point) override { S::DefaultQuestCommandWalkResponse(id, point); }
    void QuestCommandPlayAnimation(AnimationSet_Type, bool) override { S::DefaultQuestCommandPlayAnimationResponse(); }
    void QuestCommandUseSkill(uint32_t skill, uint32_t target) override
    {
        S::DefaultQuestCommandUseSkillResponse(skill, target);
    }
    void ProjectileNotification(uint32_t id) override { S::DefaultProjectileNotificationResponse(id); }
    void Confused(int ms) override { S::DefaultConfusedResponse(ms); }
};

using MonsterState = ControllerMonsterState<ControllerMonster, Monster>;
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
    void EndOfPathReached() override { AttackOr("Return"); }
    void LostSlot() override;
    void RequestAttack(uint32_t requester, uint32_t target) override { RequestAttackUnlessCurrent(requester, target); }

    int GetPursuitTimer() const { return m_pursuitTimerMs; }

protected:
    int m_pursuitTimerMs = 0;
    int m_recheckTimerMs = 0;
};

class ControllerMonsterStateEmoteBeforePursue : public MonsterState {
public:
    using MonsterState::MonsterState;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
    void QuestCommandMove(uint32_t id, const WorldVec3& point) override { DefaultQuestCommandMoveResponse(id, point); }
    void QuestCommandWalk(uint32_t id, const WorldVec3& point) override { DefaultQuestCommandWalkResponse(id, point); }
    void QuestCommandPlayAnimation(AnimationSet_Type, bool) override { DefaultQuestCommandPlayAnimationResponse(); }
    void QuestCommandUseSkill(uint32_t skill, uint32_t target) override
    {
        DefaultQuestCommandUseSkillResponse(skill, target);
    }
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

private:
    void AttackEnemy();
    bool m_reposition = false;
};

class ControllerMonsterStateRepositionForAttack : public ControllerMonsterStateCombat {
public:
    using ControllerMonsterStateCombat::ControllerMonsterStateCombat;
    void OnBegin() override;
    void OnEnd() override;
    void EndOfPathReached() override { AttackOr("Return"); }
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

class ControllerMonsterStateDodgeAttack : public MonsterState {
public:
    using MonsterState::MonsterState;
    bool ShouldFindEnemy() const override { return true; }
    void OnBegin() override;
    void EndOfPathReached() override { SetState("Return", Data(GetCurrentEnemy())); }
    void RequestMove(uint32_t requester, const WorldVec3& point) override { DefaultRequestMoveResponse(requester, point); }
    void QuestCommandMove(uint32_t id, const WorldVec3& point) override { DefaultQuestCommandMoveResponse(id, point); }
    void QuestCommandWalk(uint32_t id, const WorldVec3& point) override { DefaultQuestCommandWalkResponse(id, point); }
    void QuestCommandPlayAnimation(AnimationSet_Type, bool) override { DefaultQuestCommandPlayAnimationResponse(); }
    void QuestCommandUseSkill(uint32_t skill, uint32_t target) override
    {
        DefaultQuestCommandUseSkillResponse(skill, target);
    }
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

// The states still kept where they are: they answer with the interface's defaults.
#define GAME_MONSTER_STUB_STATES(X)                              \
    X("Flee", Flee)                                              \
    X("Roam", Roam)                                              \
    X("Wander", Wander)                                          \
    X("WanderPause", WanderPause)                                \
    X("Return", ReturnFast)                                      \
    X("Dying", Dying)                                            \
    X("Dead", Dead)                                              \
    X("FollowLeader", FollowLeader)                              \
    X("DefendLeader", DefendLeader)                              \
    X("Move", Move)                                              \
    X("Panic", Panic)                                            \
    X("Paralyze", Paralyze)                                      \
    X("Confused", Confused)                                      \
    X("Immobile", Immobile)                                      \
    X("Trapped", Trapped)                                        \
    X("TrappedAttack", TrappedAttack)                            \
    X("Stunned", Stunned)                                        \
    X("Scared", Scared)                                          \
    X("Patrol", Patrol)                                          \
    X("QuestMove", QuestMove)                                    \
    X("QuestWalk", QuestWalk)                                    \
    X("QuestPlayAnimation", QuestPlayAnimation)                  \
    X("QuestUseSkill", QuestUseSkill)

#define GAME_MONSTER_STATE_CLASS(Word, Suffix)                                          \
    class ControllerMonsterState##Suffix : public MonsterState {                             \
    public:                                                                             \
        using MonsterState::MonsterState;                                          \
    };
GAME_MONSTER_STUB_STATES(GAME_MONSTER_STATE_CLASS)
// The walking return, kept beside the running one the controller registers as "Return".
GAME_MONSTER_STATE_CLASS("", Return)
#undef GAME_MONSTER_STATE_CLASS

// A temporary state hands control back after its first frame, so the state it covered
// goes on.
#define GAME_MONSTER_TEMPORARY_STATE_CLASS(Word, Suffix)                                \
    class ControllerMonsterState##Suffix : public MonsterState {                             \
    public:                                                                             \
        using MonsterState::MonsterState;                                          \
        void OnUpdate(int /*elapsedMs*/) override { SetDone(true); }                    \
    };
GAME_MONSTER_TEMPORARY_STATES(GAME_MONSTER_TEMPORARY_STATE_CLASS)
#undef GAME_MONSTER_TEMPORARY_STATE_CLASS

}  // namespace GAME
