// A shield: blocks a share of the hits its bearer takes, then needs time to recover.
#pragma once

#include "Game/items/Weapon.h"

namespace GAME {

class SoundPak;

class WeaponArmor_Shield : public Weapon {
    GAME_DECLARE_CLASS(WeaponArmor_Shield)

public:
    // Reads the block chance, defence, absorption, recovery time (seconds) and sound.
    void Load(const LoadTable& table) override;

    Weapon_Type GetWeaponType() const override { return Weapon_Shield; }
    float GetShieldBlockChance() const { return m_blockChance; }
    float GetShieldDefense() const { return m_blockDefense; }
    float GetShieldAbsorption() const { return m_blockAbsorption; }
    // Whole milliseconds, truncated toward zero.
    int GetShieldRecoveryTime() const;
    void PlayBlockSound(const WorldVec3& where);

    void SetShieldValues(float blockChance, float blockDefense, float blockAbsorption, float recoverySeconds);
    void SetBlockSound(SoundPak* sound) { m_blockSound = sound; }

private:
    float m_blockChance = 0.0f;
    float m_blockDefense = 0.0f;
    float m_blockAbsorption = 0.0f;
    float m_blockRecoveryTime = 0.0f;   // seconds
    SoundPak* m_blockSound = nullptr;   // not owned
};

}  // namespace GAME
