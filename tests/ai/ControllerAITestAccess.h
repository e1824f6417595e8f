// Puts a controller straight into a named state: for tests of states that play reaches only
// through a long scene (a paralysis, a wait for a free attack position) or that must be
// entered with chosen state data.
#pragma once

#include <string>

#include "Game/ai/ControllerAI.h"

namespace GAME {

struct ControllerAITestAccess {
    static void SetState(ControllerAI& controller, const std::string& name, const ControllerAIStateData& data)
    {
        controller.SetState(name, data);
    }
    static void AddTemporaryState(ControllerAI& controller, const std::string& name, const ControllerAIStateData& data)
    {
        controller.AddTemporaryState(name, data);
    }
};

}  // namespace GAME
