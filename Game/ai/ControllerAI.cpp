#include "Game/ai/ControllerAI.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerAI, ControllerCombat)

ControllerAI::~ControllerAI() = default;

}  // namespace GAME
