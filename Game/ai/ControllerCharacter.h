// The controller layer of characters that carry equipment.
#pragma once

#include "Game/ai/ControllerBaseCharacter.h"

namespace GAME {

class ControllerCharacter : public ControllerBaseCharacter {
    GAME_DECLARE_CLASS(ControllerCharacter)

public:
    ControllerCharacter() = default;
    ~ControllerCharacter() override;

    // Puts the character at the coordinates' position on its path.
    void Teleport(const WorldCoords& coords) override;
    // Whether the character may hold a weapon in each hand; passed to its equipment.
    virtual void AllowDualWieldWeapons(bool allow);
};

}  // namespace GAME
