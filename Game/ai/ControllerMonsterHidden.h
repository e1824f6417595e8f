// A monster that stays hidden (in its long idle) until a foe comes near, then pops out
// with its spawn animation and attacks.
#pragma once

#include "Game/ai/ControllerMonster.h"

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

}  // namespace GAME
