#include "Game/world/NpcTrafficNode.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(NpcTrafficNode, BoundingVolume)

}  // namespace GAME
