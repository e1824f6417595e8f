#include "Game/world/StrategicMovementRespawnShrine.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(StrategicMovementRespawnShrine, StrategicMovementBase)

}  // namespace GAME
