// An item that a character wears or wields: armour, jewellery, weapons, shields.
#pragma once

#include "Game/items/Item.h"

namespace GAME {

class ItemEquipment : public Item {
    GAME_DECLARE_CLASS(ItemEquipment)
};

}  // namespace GAME
