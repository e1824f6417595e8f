#include "Game/world/Proxy.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Proxy, Actor)

}  // namespace GAME
