#include "Game/world/FixedItem.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FixedItem, Actor)

}  // namespace GAME
