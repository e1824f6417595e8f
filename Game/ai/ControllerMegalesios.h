// A quest-driven boss that stands invincible until a quest makes it launch its bursts,
// then attacks the conduit beside it until the conduit is gone. The conduit fights on the
// players' side and has a minimal controller of its own.
#pragma once

#include <cstdint>

#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"
#include "Game/characters/Monster.h"

namespace GAME {

class Megalesios : public Monster {
    GAME_DECLARE_CLASS(Megalesios)

public:
    // The monster's state, then the two flags of the fight.
    void SaveState(BinaryWriter& writer) override;
    void RestoreState(BinaryReader& reader) override;

    bool GetBurstsLaunched() const { return m_burstsLaunched; }
    void SetBurstsLaunched(bool on) { m_burstsLaunched = on; }
    bool GetConduitFinished() const { return m_conduitFinished; }
    void SetConduitFinished(bool on) { m_conduitFinished = on; }

private:
    bool m_burstsLaunched = false;
    bool m_conduitFinished = false;
};

// Stands with the players and never angers anyone.
class MegalesiosConduit : public Monster {
    GAME_DECLARE_CLASS(MegalesiosConduit)

public:
    void InitialUpdate() override;
    bool CausesAnger() const override { return false; }
};

class ControllerMegalesios : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerMegalesios)

public:
    static constexpr float kDefaultCheckForPlayerRadius = 20.0f;

    // The monster's keys, then "CheckForPlayerRadius".
    void Load(const LoadTable& table) override;
    void RegisterStates() override;

    float GetCheckForPlayerRadius() const { return m_checkForPlayerRadius; }
    Megalesios* GetMegalesios() const;

private:
    float m_checkForPlayerRadius = kDefaultCheckForPlayerRadius;
};

class ControllerMegalesiosConduit : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerMegalesiosConduit)

public:
    // Only "Startup", "Idle", "Dying" and "Dead".
    void RegisterStates() override;
};

// The boss's states share the monster state base; they reach their own controller and
// boss through it.
class ControllerMegalesiosState : public MonsterState {
public:
    using MonsterState::MonsterState;
    bool ShouldFindEnemy() const override { return false; }
    bool ShouldFindClosestEnemy() const override { return false; }

protected:
    ControllerMegalesios& Boss() const { return static_cast<ControllerMegalesios&>(*GetController()); }
    Megalesios* Body() const { return Boss().GetMegalesios(); }
};

class ControllerMegalesiosStateStartup : public ControllerMegalesiosState {
public:
    using ControllerMegalesiosState::ControllerMegalesiosState;
    void OnBegin() override;
    void QuestCommandUseSkill(uint32_t skillId, uint32_t targetId) override;
};

class ControllerMegalesiosStateLaunchBursts : public ControllerMegalesiosState {
public:
    using ControllerMegalesiosState::ControllerMegalesiosState;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
};

class ControllerMegalesiosStateAttackConduit : public ControllerMegalesiosState {
public:
    // What a quest-commanded skill adds to the wait before the next automatic attack.
    static constexpr int kQuestSkillHoldMs = 1000000;
    static constexpr float kSearchMargin = 2.0f;

    using ControllerMegalesiosState::ControllerMegalesiosState;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void OnEnd() override;
    void QuestCommandMove(uint32_t id, const WorldVec3& point) override { DefaultQuestCommandMoveResponse(id, point); }
    void QuestCommandWalk(uint32_t id, const WorldVec3& point) override { DefaultQuestCommandWalkResponse(id, point); }
    void QuestCommandPlayAnimation(AnimationSet_Type type, bool loop) override
    {
        DefaultQuestCommandPlayAnimationResponse(type, loop);
    }
    void QuestCommandUseSkill(uint32_t skillId, uint32_t targetId) override;

    int GetCountdown() const { return m_countdownMs; }
    uint32_t GetConduitId() const { return m_conduitId; }

private:
    void FindConduit(Character& boss);
    int m_countdownMs = 0;
    uint32_t m_conduitId = 0;
};

}  // namespace GAME
