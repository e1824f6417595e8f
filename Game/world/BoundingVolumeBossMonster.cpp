#include "Game/world/BoundingVolumeBossMonster.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(BoundingVolumeBossMonster, BoundingVolume)

}  // namespace GAME
