#include "Game/items/Item.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Item, Actor)

}  // namespace GAME
