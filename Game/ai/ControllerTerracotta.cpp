#include "Game/ai/ControllerTerracotta.h"

#include <cmath>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerTerracotta, ControllerMonster)

void ControllerTerracotta::Load(const LoadTable& table)
{
    ControllerMonster::Load(table);
    m_attackRange = ReadMonsterAIFloat(table, "AttackRange", m_attackRange);
    m_marchRange = ReadMonsterAIFloat(table, "MarchRange", m_marchRange);
}

void ControllerTerracotta::RegisterStates()
{
    ControllerMonster::RegisterStates();
    AddState("Startup", new ControllerTerracottaStateStartup(*this));
    AddState("AttackMarch", new ControllerTerracottaStateAttackMarch(*this));
}

void ControllerTerracotta::AttackMarch()
{
    SetState("AttackMarch", ControllerAIStateData());
}

void ControllerTerracotta::Return()
{
    SetState("Return", ControllerAIStateData());
}

float ControllerTerracotta::GetForwardDistance(uint32_t enemyId) const
{
    const Character* warrior = GetParentCharacter();
    const auto* enemy = ObjectManager::Get().GetObject<Character>(enemyId);
    if (!warrior || !enemy)
        return 0.0f;
    const Vec3 toEnemy = enemy->GetCoords().GetPosition() - warrior->GetCoords().GetPosition();
    const float ahead = Dot(toEnemy, warrior->GetCoords().GetRegionCoords().zAxis);
    return ahead > 0.0f ? ahead : 0.0f;
}

bool ControllerTerracottaState::HatedEnemyDistance(float& distance) const
{
    const uint32_t enemy = Warrior().GetMostHatedEnemy();
    if (enemy == 0)
        return false;
    distance = Warrior().GetForwardDistance(enemy);
    return true;
}

void ControllerTerracottaStateStartup::OnUpdate(int /*elapsedMs*/)
{
    float distance = 0.0f;
    if (!HatedEnemyDistance(distance))
        return;
    if (distance < Warrior().GetMarchRange())
        Warrior().AttackMarch();
    else if (distance < Warrior().GetAttackRange())
        Warrior().Return();
}

void ControllerTerracottaStateAttackMarch::StepForward()
{
    const Character* warrior = GetCharacter();
    if (!warrior)
        return;
    WorldVec3 ahead = warrior->GetCoords().GetPosition();
    ahead.Translate(warrior->GetCoords().GetRegionCoords().zAxis * ControllerTerracotta::kMarchStep);
    m_retryStep = false;
    m_stepping = true;
    WalkTo(ahead, 0);
    m_stepping = false;
}

void ControllerTerracottaStateAttackMarch::EndOfPathReached()
{
    if (m_stepping)
        m_retryStep = true;
    else
        StepForward();
}

void ControllerTerracottaStateAttackMarch::OnUpdate(int /*elapsedMs*/)
{
    if (m_retryStep)
        StepForward();
    float distance = 0.0f;
    if (HatedEnemyDistance(distance) && distance < Warrior().GetAttackRange())
        Warrior().Return();
}

}  // namespace GAME
