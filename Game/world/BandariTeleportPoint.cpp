#include "Game/world/BandariTeleportPoint.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(BandariTeleportPoint, Actor)

}  // namespace GAME
