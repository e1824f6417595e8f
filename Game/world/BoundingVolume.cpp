#include "Game/world/BoundingVolume.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(BoundingVolume, Actor)

}  // namespace GAME
