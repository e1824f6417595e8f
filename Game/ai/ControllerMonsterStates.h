// The states of the monster controller, in the order it registers them. Each state is one
// small class; until the monster's behaviours are filled in, a state keeps the monster
// where it is and answers every question with the interface's default.
#pragma once

#include "Game/ai/ControllerAIState.h"

namespace GAME {

class ControllerMonster;
class Monster;

// The base of every monster-like state, bound to a controller and a character class.
template <class ControllerT, class CharacterT>
class ControllerMonsterState : public ControllerAIStateT<ControllerT, CharacterT> {
public:
    using ControllerAIStateT<ControllerT, CharacterT>::ControllerAIStateT;

    void OnBegin() override {}
    void OnEnd() override {}
    void OnUpdate(int /*elapsedMs*/) override {}
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

#define GAME_MONSTER_STATE_CLASS(Word, Suffix)                                          \
    class ControllerMonsterState##Suffix : public ControllerMonsterState<ControllerMonster, Monster> { \
    public:                                                                             \
        using ControllerMonsterState::ControllerMonsterState;                           \
    };
GAME_MONSTER_STATES(GAME_MONSTER_STATE_CLASS)
// The walking return, kept beside the running one the controller registers as "Return".
GAME_MONSTER_STATE_CLASS("", Return)
#undef GAME_MONSTER_STATE_CLASS

// A temporary state hands control back after its first frame, so the state it covered
// goes on.
#define GAME_MONSTER_TEMPORARY_STATE_CLASS(Word, Suffix)                                \
    class ControllerMonsterState##Suffix : public ControllerMonsterState<ControllerMonster, Monster> { \
    public:                                                                             \
        using ControllerMonsterState::ControllerMonsterState;                           \
        void OnUpdate(int /*elapsedMs*/) override { SetDone(true); }                    \
    };
GAME_MONSTER_TEMPORARY_STATES(GAME_MONSTER_TEMPORARY_STATE_CLASS)
#undef GAME_MONSTER_TEMPORARY_STATE_CLASS

}  // namespace GAME
