#include "Game/world/PatrolPoint.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(PatrolPoint, Actor)

}  // namespace GAME
