// A weapon: melee, hunting, magical, or a shield. For now it names the projectile it
// fires.
#pragma once

#include <cstdint>
#include <string>

#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemTypes.h"

namespace GAME {

class SoundPak;

class Weapon : public ItemEquipment {
    GAME_DECLARE_CLASS(Weapon)

public:
    void Load(const LoadTable& table) override;

    // The record name of the projectile the weapon fires; empty when none.
    const std::string& GetProjectileName() const { return m_basicProjectileName; }
    void SetBasicProjectileName(const std::string& recordName) { m_basicProjectileName = recordName; }
    // The weapon family; each kind answers its own.
    virtual Weapon_Type GetWeaponType() const { return Weapon_Other; }

    // ---- sounds and trail ----
    // Destroys the weapon's sound packs.
    ~Weapon() override;
    // The swipe ("swipeSound") and hit ("hitSound") packs at a position, when the record
    // names them.
    void PlaySwipeSound(const WorldVec3& position) const;
    void PlayHitSound(const WorldVec3& position) const;
    SoundPak* GetSwipeSound() const;
    // The trail of a swing; there is no trail object yet, so only whether it is on.
    virtual void EnableWeaponTrail() { m_trailOn = true; }
    virtual void DisableWeaponTrail() { m_trailOn = false; }
    bool IsWeaponTrailOn() const { return m_trailOn; }
    // ---- end sounds and trail ----

private:
    std::string m_basicProjectileName;
    uint32_t m_swipeSound = 0;   // owned sound packs, by object id
    uint32_t m_hitSound = 0;
    bool m_trailOn = false;
};

// The weapon kinds, each answering its family.
class WeaponMelee : public Weapon {
    GAME_DECLARE_CLASS(WeaponMelee)
};
class WeaponMelee_Sword : public WeaponMelee {
    GAME_DECLARE_CLASS(WeaponMelee_Sword)
public:
    Weapon_Type GetWeaponType() const override { return Weapon_Sword; }
};
class WeaponMelee_Axe : public WeaponMelee {
    GAME_DECLARE_CLASS(WeaponMelee_Axe)
public:
    Weapon_Type GetWeaponType() const override { return Weapon_Axe; }
};
class WeaponMelee_Mace : public WeaponMelee {
    GAME_DECLARE_CLASS(WeaponMelee_Mace)
public:
    Weapon_Type GetWeaponType() const override { return Weapon_Mace; }
};
class WeaponHunting : public Weapon {
    GAME_DECLARE_CLASS(WeaponHunting)
};
class WeaponHunting_Bow : public WeaponHunting {
    GAME_DECLARE_CLASS(WeaponHunting_Bow)
public:
    Weapon_Type GetWeaponType() const override { return Weapon_Bow; }
};
class WeaponHunting_Spear : public WeaponHunting {
    GAME_DECLARE_CLASS(WeaponHunting_Spear)
public:
    Weapon_Type GetWeaponType() const override { return Weapon_Spear; }
};
class WeaponMagical : public Weapon {
    GAME_DECLARE_CLASS(WeaponMagical)
};
class WeaponMagical_Staff : public WeaponMagical {
    GAME_DECLARE_CLASS(WeaponMagical_Staff)
public:
    Weapon_Type GetWeaponType() const override { return Weapon_Staff; }
};

}  // namespace GAME
