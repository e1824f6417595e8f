#include "Game/world/Lightning.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Lightning, LineEffect)

}  // namespace GAME
