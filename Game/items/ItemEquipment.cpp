#include "Game/items/ItemEquipment.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ItemEquipment, Item)

}  // namespace GAME
