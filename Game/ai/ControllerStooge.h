// The controller of an ambient creature that only stands there: a target for practice
// and the like. It reacts to nothing on its own; being a combat controller, it hears of
// the attacks on its character.
#pragma once

#include "Game/ai/ControllerCombat.h"

namespace GAME {

class ControllerStooge : public ControllerCombat {
    GAME_DECLARE_CLASS(ControllerStooge)

public:
    ControllerStooge() = default;
    ~ControllerStooge() override;
};

}  // namespace GAME
