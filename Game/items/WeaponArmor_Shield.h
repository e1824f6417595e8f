// A shield: blocks a share of the hits its bearer takes, then needs time to recover.
#pragma once

#include "Game/items/Weapon.h"

namespace GAME {

class SoundPak;

class WeaponArmor_Shield : public WeaponArmor {
    GAME_DECLARE_CLASS(WeaponArmor_Shield)

public:
    WeaponArmor_Shield() { SetWeaponKind(WeaponKind_WeaponArmor_Shield); }

    // Reads the block sound and the four block values, and gives the values as read to
    // the item's shield cost record.
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    void AttachItem(Character& character, const std::string& bone) override;
    void DetachItem(Character& character) override;
    // The affixes' "shieldBlockChanceModifier" and "shieldBlockModifier" percentages,
    // always applied to the values Load read, so a second initialisation gives the same.
    void InitializeEquipmentSpecial(const LoadTable* prefix, const LoadTable* suffix) override;
    // One base line: "tagShieldBlockInfo" with the block chance and defence.
    void GetUIArmorSpecificText(std::vector<GameTextLine>& lines) const override;

    // The block values after the affix modifiers.
    float GetShieldBlockChance() const { return m_blockChance; }
    float GetShieldDefense() const { return m_blockDefense; }
    float GetShieldAbsorption() const { return m_blockAbsorption; }
    // Whole milliseconds, truncated toward zero.
    int GetShieldRecoveryTime() const;
    void PlayBlockSound(const WorldVec3& where);

    // Sets the values as read (tests and benchmarks) and applies no modifier.
    void SetShieldValues(float blockChance, float blockDefense, float blockAbsorption, float recoverySeconds);

private:
    // As the record gives them.
    float m_recordBlockChance = 0.0f;
    float m_recordBlockDefense = 0.0f;
    // After the affix modifiers.
    float m_blockChance = 0.0f;
    float m_blockDefense = 0.0f;
    float m_blockAbsorption = 0.0f;
    float m_blockRecoveryTime = 0.0f;   // seconds
    OwnedObject<SoundPak> m_blockSound;
};

}  // namespace GAME
