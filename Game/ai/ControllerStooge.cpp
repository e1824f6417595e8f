#include "Game/ai/ControllerStooge.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerStooge, ControllerCombat)

ControllerStooge::~ControllerStooge() = default;

}  // namespace GAME
