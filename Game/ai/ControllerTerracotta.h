// Warriors that stand until told to march, then walk straight ahead in steps until an
// enemy is close in front of them, and then fight as monsters do.
#pragma once

#include <cstdint>

#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"

namespace GAME {

class ControllerTerracotta : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerTerracotta)

public:
    static constexpr float kDefaultAttackRange = 2.0f;
    static constexpr float kMarchStep = 5.0f;

    // The monster's keys, then "AttackRange" and "MarchRange".
    void Load(const LoadTable& table) override;
    // The monster's states, with a standing "Startup" and "AttackMarch".
    void RegisterStates() override;

    void AttackMarch();
    void Return();
    // How far the enemy stands in front of the warrior along its facing; 0 for an enemy
    // behind it or one that is gone.
    float GetForwardDistance(uint32_t enemyId) const;
    float GetAttackRange() const { return m_attackRange; }
    float GetMarchRange() const { return m_marchRange; }

private:
    float m_attackRange = kDefaultAttackRange;
    float m_marchRange = 0.0f;
};

class ControllerTerracottaState : public MonsterState {
public:
    using MonsterState::MonsterState;
    bool ShouldFindEnemy() const override { return true; }
    bool ShouldFindClosestEnemy() const override { return false; }

protected:
    ControllerTerracotta& Warrior() const { return static_cast<ControllerTerracotta&>(*GetController()); }
    // The forward distance of the most hated enemy; false when there is none.
    bool HatedEnemyDistance(float& distance) const;
};

class ControllerTerracottaStateStartup : public ControllerTerracottaState {
public:
    using ControllerTerracottaState::ControllerTerracottaState;
    void OnBegin() override { Idle(); }
    void OnUpdate(int elapsedMs) override;
};

class ControllerTerracottaStateAttackMarch : public ControllerTerracottaState {
public:
    using ControllerTerracottaState::ControllerTerracottaState;
    void OnBegin() override { StepForward(); }
    // The next step. A walk that ends while its step is being issued (no path ahead)
    // is tried again next frame, not at once: at once would step for ever in one frame.
    void EndOfPathReached() override;
    void OnUpdate(int elapsedMs) override;

private:
    void StepForward();
    bool m_stepping = false;
    bool m_retryStep = false;
};

}  // namespace GAME
