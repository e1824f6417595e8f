#include "Game/items/Weapon.h"

#include "Engine/LoadTable.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Weapon, ItemEquipment)

void Weapon::Load(const LoadTable& table)
{
    ItemEquipment::Load(table);
    m_basicProjectileName = table.GetString("basicProjectileName", "");
}

}  // namespace GAME
