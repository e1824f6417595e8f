#include "Game/ai/ControllerCombat.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerCombat, ControllerCharacter)

ControllerCombat::~ControllerCombat() = default;

}  // namespace GAME
