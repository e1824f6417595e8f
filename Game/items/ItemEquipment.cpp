#include "Game/items/ItemEquipment.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ItemEquipment, Item)

void ItemEquipment::GetDefenseAttributes(CombatAttributeAccumulator&) const {}
void ItemEquipment::GetRetaliationAttributes(CombatAttributeAccumulator&) const {}

}  // namespace GAME
