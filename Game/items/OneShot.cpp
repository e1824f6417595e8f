#include "Game/items/OneShot.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(OneShot, Item)
GAME_IMPLEMENT_CLASS(OneShot_PotionHealth, OneShot)
GAME_IMPLEMENT_CLASS(OneShot_PotionMana, OneShot)

void OneShot::Use(Character&) {}

}  // namespace GAME
