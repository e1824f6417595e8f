// A spell-casting boss in two phases: first a telekinesis cast every twelve seconds, each
// after an emote, on enemies that are not players first; after twelve casts its direct
// attack every five seconds, on players first.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/GameTimer.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"

namespace GAME {

class ControllerTelkine : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerTelkine)

public:
    // Only the three spell records; the monster's keys keep their defaults.
    void Load(const LoadTable& table) override;
    // The states start, then the spell records become the character's skill ids.
    void InitialUpdate() override;
    // "Startup", "AttackPhase1", "AttackPhase2", the monster's "Dying" and "Dead", and the
    // temporary "Emote".
    void RegisterStates() override;
    void RegisterTemporaryStates() override;

    uint32_t GetSkeletonSpellId() const { return m_skeletonSpellId; }
    uint32_t GetTelekinesisSpellId() const { return m_telekinesisSpellId; }
    uint32_t GetDirectAttackId() const { return m_directAttackId; }

private:
    std::string m_skeletonSpell;
    std::string m_telekinesisSpell;
    std::string m_directAttack;
    uint32_t m_skeletonSpellId = 0;
    uint32_t m_telekinesisSpellId = 0;
    uint32_t m_directAttackId = 0;
};

class ControllerTelkineState : public MonsterState {
public:
    using MonsterState::MonsterState;
    bool ShouldFindEnemy() const override { return false; }
    bool ShouldFindClosestEnemy() const override { return false; }

protected:
    ControllerTelkine& Boss() const { return static_cast<ControllerTelkine&>(*GetController()); }
    uint32_t GetTelekinesisSpellId() const { return Boss().GetTelekinesisSpellId(); }
    uint32_t GetDirectAttackId() const { return Boss().GetDirectAttackId(); }
    // The nearest living player and the nearest living other enemy in sight (0: none);
    // on equal distances the enemy seen first.
    void FindTargets(uint32_t& closestPlayer, uint32_t& closestOther);
};

class ControllerTelkineStateStartup : public ControllerTelkineState {
public:
    using ControllerTelkineState::ControllerTelkineState;
    void OnBegin() override { SetState("AttackPhase1", ControllerAIStateData()); }
};

class ControllerTelkineStateAttackPhase1 : public ControllerTelkineState {
public:
    static constexpr int kCastLimit = 12;
    static constexpr int kCastIntervalMs = 12000;

    using ControllerTelkineState::ControllerTelkineState;
    // Entered again after a stun, no cast it began is awaited any more: the stun cut it off.
    void OnBegin() override { m_waitingForCast = false; }
    void OnUpdate(int elapsedMs) override;
    void HandleEvent(const Name& event) override;

    int GetTimeSinceCast() const { return m_sinceCastMs; }
    int GetCastCount() const { return m_castCount; }
    bool IsWaitingForCast() const { return m_waitingForCast; }

private:
    int m_sinceCastMs = 0;
    int m_castCount = 0;
    bool m_waitingForCast = false;
    bool m_emotePending = true;
};

class ControllerTelkineStateAttackPhase2 : public ControllerTelkineState {
public:
    static constexpr uint32_t kAttackIntervalMs = 5000;

    using ControllerTelkineState::ControllerTelkineState;
    void OnBegin() override { m_timer.Reset(); }
    void OnUpdate(int elapsedMs) override;

private:
    GameTimer m_timer;
};

class ControllerTelkineStateEmote : public ControllerTelkineState {
public:
    using ControllerTelkineState::ControllerTelkineState;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
    void OnEnd() override { Idle(); }
};

}  // namespace GAME
