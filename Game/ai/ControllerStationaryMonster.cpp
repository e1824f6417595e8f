#include "Game/ai/ControllerStationaryMonster.h"

#include "Game/characters/Monster.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerStationaryMonster, ControllerMonster)

void ControllerStationaryMonster::RegisterStates()
{
    AddState("Startup", new ControllerMonsterStateStartup(*this));
    AddState("Idle", new ControllerStationaryMonsterStateIdle(*this));
    AddState("Pursue", new ControllerStationaryMonsterStatePursue(*this));
    AddState("Attack", new ControllerMonsterStateAttack(*this));
    AddState("Flee", new ControllerStationaryMonsterStateToIdle(*this));
    AddState("Return", new ControllerStationaryMonsterStateToIdle(*this));
    AddState("Dying", new ControllerMonsterStateDying(*this));
    AddState("Dead", new ControllerMonsterStateDead(*this));
    AddState("Stunned", new ControllerMonsterStateStunned(*this));
    AddState("FollowLeader", new ControllerStationaryMonsterStateToIdle(*this));
    AddState("DefendLeader", new ControllerStationaryMonsterStateToIdle(*this));
    AddState("Move", new ControllerStationaryMonsterStateToIdle(*this));
    AddState("Paralyze", new ControllerMonsterStateParalyze(*this));
    AddState("Confused", new ControllerMonsterStateConfused(*this));
}

void ControllerStationaryMonsterStatePursue::OnBegin()
{
    const uint32_t enemy = GetCurrentEnemy();
    const uint32_t skill = GetCurrentSkillID();
    const Character* target = ValidateObjectId(enemy, "Pursue");
    Entity* blocker = nullptr;
    if (target && target->IsAlive() && CloseEnoughToUseSkill(enemy, skill) && IsPathClear(enemy, blocker)) {
        SetState("Attack", Data(enemy, 0, skill));
        return;
    }
    SetState("Idle", ControllerAIStateData());
}

}  // namespace GAME
