#include "Game/items/Weapon.h"

#include "Engine/LoadTable.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Weapon, ItemEquipment)
GAME_IMPLEMENT_CLASS(WeaponMelee, Weapon)
GAME_IMPLEMENT_CLASS(WeaponMelee_Sword, WeaponMelee)
GAME_IMPLEMENT_CLASS(WeaponMelee_Axe, WeaponMelee)
GAME_IMPLEMENT_CLASS(WeaponMelee_Mace, WeaponMelee)
GAME_IMPLEMENT_CLASS(WeaponHunting, Weapon)
GAME_IMPLEMENT_CLASS(WeaponHunting_Bow, WeaponHunting)
GAME_IMPLEMENT_CLASS(WeaponHunting_Spear, WeaponHunting)
GAME_IMPLEMENT_CLASS(WeaponMagical, Weapon)
GAME_IMPLEMENT_CLASS(WeaponMagical_Staff, WeaponMagical)

void Weapon::Load(const LoadTable& table)
{
    ItemEquipment::Load(table);
    m_basicProjectileName = table.GetString("basicProjectileName", "");
}

}  // namespace GAME
