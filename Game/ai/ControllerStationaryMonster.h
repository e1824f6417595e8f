// The controller of a monster rooted to the spot: it keeps the monster's sight, anger and
// skill choice but has no movement states, so it attacks what it can hit from where it
// stands and lets everything else go.
#pragma once

#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"

namespace GAME {

class ControllerStationaryMonster : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerStationaryMonster)

public:
    // Its own set of states in place of the monster's; the temporary states stay.
    void RegisterStates() override;
    bool CanMove() const override { return false; }
};

// The monster idle, without its own start: only the idle action.
class ControllerStationaryMonsterStateIdle : public ControllerMonsterStateIdle {
public:
    using ControllerMonsterStateIdle::ControllerMonsterStateIdle;
    void OnBegin() override { Idle(); }
};

// A pursuit that is an attack at once or nothing.
class ControllerStationaryMonsterStatePursue : public MonsterState {
public:
    using MonsterState::MonsterState;
    bool ShouldFindEnemy() const override { return true; }
    void OnBegin() override;
};

// Every state that would walk (flight, return, following, scripted moves) ends in Idle.
class ControllerStationaryMonsterStateToIdle : public MonsterState {
public:
    using MonsterState::MonsterState;
    void OnBegin() override { SetState("Idle", ControllerAIStateData()); }
};

}  // namespace GAME
