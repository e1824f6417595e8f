// The base of every AI and player controller.
#pragma once

#include <cstdint>

#include "Game/ai/ControllerCombat.h"

namespace GAME {

class ControllerAI : public ControllerCombat {
    GAME_DECLARE_CLASS(ControllerAI)

public:
    ControllerAI() = default;
    ~ControllerAI() override;

    // Reactions; nothing happens at this level.
    virtual void Panic(uint32_t /*sourceId*/) {}
    virtual void WakeUp(uint32_t /*sourceId*/) {}
    // The character changed sides.
    virtual void TeamChanged() {}
};

}  // namespace GAME
