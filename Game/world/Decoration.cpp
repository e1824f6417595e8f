#include "Game/world/Decoration.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Decoration, Actor)

}  // namespace GAME
