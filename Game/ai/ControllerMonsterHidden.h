// A monster that stays hidden (in its long idle) until a foe comes near, then pops out
// with its spawn animation and attacks.
#pragma once

#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"

namespace GAME {

class ControllerMonsterHidden : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerMonsterHidden)

public:
    static constexpr float kDefaultAppearDistance = 5.0f;

    // The monster keys, then "appearDistance".
    void Load(const LoadTable& table) override;
    // The monster's states, with the hidden start-up in place of the ordinary one.
    void RegisterStates() override;

    float GetAppearDistance() const { return m_appearDistance; }

private:
    float m_appearDistance = kDefaultAppearDistance;
};

// The start-up state of a hidden monster: hidden until the nearest foe comes within the
// appear distance.
class ControllerMonsterStateHidden : public ControllerMonsterState<ControllerMonsterHidden, Monster> {
public:
    using ControllerMonsterState<ControllerMonsterHidden, Monster>::ControllerMonsterState;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void HandleEvent(const Name& event) override;
    // Hidden, it hears nothing but a foe coming near: no fear, stun, trap or panic.
    bool RespondsToFear() const override { return false; }
    void BeginImmobilize() override {}
    void BeginTrap() override {}
    void BeginStun() override {}
    void Panic(uint32_t /*scarerId*/) override {}

    uint32_t GetTarget() const { return m_target; }

private:
    uint32_t m_target = 0;
};

}  // namespace GAME
