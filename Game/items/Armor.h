// A piece of armour worn on the body, head, arms or legs.
#pragma once

#include "Game/items/ItemEquipment.h"

namespace GAME {

class SoundPak;

class Armor : public ItemEquipment {
    GAME_DECLARE_CLASS(Armor)

public:
    // Armour has base protection and no base attack speed.
    Armor()
    {
        m_armor = true;
        m_baseProtection = true;
    }

    // Plays the armour's impact sound, when it has one, where the wearer was hit.
    void PlayImpactSound(const WorldVec3& where);
    void SetImpactSound(SoundPak* sound) { m_impactSound = sound; }

private:
    SoundPak* m_impactSound = nullptr;   // not owned
};

}  // namespace GAME
