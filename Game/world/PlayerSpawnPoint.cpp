#include "Game/world/PlayerSpawnPoint.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(PlayerSpawnPoint, Actor)

}  // namespace GAME
