#include "Game/world/StrategicMovementTeleportShrine.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(StrategicMovementTeleportShrine, StrategicMovementBase)

}  // namespace GAME
