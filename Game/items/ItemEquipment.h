// An item that a character wears or wields: armour, jewellery, weapons, shields.
#pragma once

#include "Game/items/Item.h"

namespace GAME {

class CombatAttributeAccumulator;

class ItemEquipment : public Item {
    GAME_DECLARE_CLASS(ItemEquipment)

public:
    // The item's defences and retaliation for an attack on its wearer. The item's
    // attribute stores add to these; a plain item adds nothing.
    virtual void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;
};

}  // namespace GAME
