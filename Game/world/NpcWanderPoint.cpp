#include "Game/world/NpcWanderPoint.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(NpcWanderPoint, Actor)

}  // namespace GAME
