#include "Game/items/Weapon.h"

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"

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

namespace {

uint32_t MakeSound(const LoadTable& table, const char* key)
{
    const std::string name = table.GetString(key, "");
    if (name.empty())
        return 0;
    SoundPak* pak = ObjectManager::Get().CreateObjectFromFile<SoundPak>(name);
    return pak ? pak->GetObjectId() : 0;
}

void PlaySound(uint32_t id, const WorldVec3& position)
{
    if (SoundPak* pak = ObjectManager::Get().GetObject<SoundPak>(id))
        pak->Play(position, 0, true);
}

void DestroySound(uint32_t& id)
{
    if (SoundPak* pak = ObjectManager::Get().GetObject<SoundPak>(id))
        ObjectManager::Get().DestroyObjectEx(pak, "Weapon", __LINE__);
    id = 0;
}

}  // namespace

Weapon::~Weapon()
{
    DestroySound(m_swipeSound);
    DestroySound(m_hitSound);
}

void Weapon::Load(const LoadTable& table)
{
    ItemEquipment::Load(table);
    m_basicProjectileName = table.GetString("basicProjectileName", "");
    DestroySound(m_swipeSound);
    DestroySound(m_hitSound);
    m_swipeSound = MakeSound(table, "swipeSound");
    m_hitSound = MakeSound(table, "hitSound");
}

void Weapon::PlaySwipeSound(const WorldVec3& position) const { PlaySound(m_swipeSound, position); }

void Weapon::PlayHitSound(const WorldVec3& position) const { PlaySound(m_hitSound, position); }

SoundPak* Weapon::GetSwipeSound() const { return ObjectManager::Get().GetObject<SoundPak>(m_swipeSound); }

}  // namespace GAME
