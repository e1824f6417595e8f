#include "Game/world/StrategicMovementBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(StrategicMovementBase, Tile)

}  // namespace GAME
