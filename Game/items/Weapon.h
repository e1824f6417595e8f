// Weapons: what a character holds in its hands. Melee (sword, axe, mace), hunting (bow,
// spear) and magical (staff) weapons, and the shield, an armour piece held in a weapon
// hand. A weapon adds to the equipment item its swipe and hit sounds, its trail, the
// projectile a ranged attack fires and its piercing chance, and the visual enchantment a
// skill lays on it. The kinds differ only in the numbers of one table row.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Game/combat/CharAttributeType.h"
#include "Game/items/EquipmentKind.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemTypes.h"

namespace GAME {

class EffectEntity;
class ProjectileBase;
class SoundPak;
class WeaponEnchantment;
class WeaponTrail;

// The weapon classes, one row each: class, parent, declared by the table (P) or by hand
// (H), item-cost key, stem of the requirement keys ("sword" gives "swordStrengthEquation",
// "swordDexterityEquation", "swordIntelligenceEquation", "swordLevelEquation"; empty: none),
// the first of the kind's three requirement reductions (strength, then dexterity and
// intelligence after it; 0: none), enchantment kind (0 none, 1 melee, 2 bow, 3 staff),
// weapon type, item type, right and left hand types, market type.
#define GAME_WEAPON_KINDS(X)                                                                 \
    X(Weapon, ItemEquipment, H, "weaponCostEquation", "", 0, 1, 1, 0, 0, 0, 4)              \
    X(WeaponMelee, Weapon, P, "weaponCostEquation", "", 26, 1, 1, 8, 2, 1, 4)               \
    X(WeaponMelee_Sword, WeaponMelee, P, "weaponCostEquation", "sword", 26, 1, 3, 8, 2, 1, 2)   \
    X(WeaponMelee_Axe, WeaponMelee, P, "weaponCostEquation", "axe", 26, 1, 2, 8, 2, 1, 2)       \
    X(WeaponMelee_Mace, WeaponMelee, P, "weaponCostEquation", "mace", 26, 1, 4, 8, 2, 1, 2)     \
    X(WeaponHunting, Weapon, P, "weaponCostEquation", "", 29, 1, 1, 8, 0, 0, 4)             \
    X(WeaponHunting_Bow, WeaponHunting, P, "weaponRangedCostEquation", "bow", 29, 2, 6, 8, 0, 4, 3) \
    X(WeaponHunting_Spear, WeaponHunting, P, "weaponCostEquation", "spear", 29, 1, 5, 8, 8, 0, 3) \
    X(WeaponMagical, Weapon, P, "weaponCostEquation", "", 0, 1, 1, 8, 0, 0, 3)              \
    X(WeaponMagical_Staff, WeaponMagical, P, "weaponRangedCostEquation", "staff", 32, 3, 7, 8, 0, 16, 3) \
    X(WeaponArmor, Weapon, H, "weaponCostEquation", "", 0, 1, 1, 7, 0, 0, 4)                \
    X(WeaponArmor_Shield, WeaponArmor, H, "shieldCostEquation", "shield", 35, 0, 9, 7, 0, 32, 1)

#define GAME_WEAPON_KIND_ENUMERATOR(name, ...) WeaponKind_##name,
enum WeaponKind : uint8_t { GAME_WEAPON_KINDS(GAME_WEAPON_KIND_ENUMERATOR) WeaponKind_Count };
#undef GAME_WEAPON_KIND_ENUMERATOR

// One row of the weapon table.
struct WeaponKindRow {
    const char* className;
    const char* costKey;
    const char* requirementStem;
    uint32_t firstKindReduction;
    int enchantmentKind;
    Weapon_Type weaponType;
    Item_Type itemType;
    int rightHandType;
    int leftHandType;
    int marketType;
};
const WeaponKindRow& GetWeaponKindRow(WeaponKind kind);

class Weapon : public ItemEquipment {
    GAME_DECLARE_CLASS(Weapon)

public:
    // Enchantment kinds: which sounds and extras an enchantment record gives the weapon.
    enum { Enchantment_None = 0, Enchantment_Melee = 1, Enchantment_Bow = 2, Enchantment_Staff = 3 };

    Weapon();
    // Destroys the sounds and the basic projectile, deletes the enchantment and its effects
    // and the trail.
    ~Weapon() override;

    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    std::u16string GetGameDescription() const override;
    void GetUIGameDescription(std::vector<GameTextLine>& lines) const override;
    // Scaled to the wearer's weapon scale, then attached; the weapon's own trail follows.
    void AttachItem(Character& character, const std::string& bone) override;
    // Back to its base scale, without enchantment or trail, then detached.
    void DetachItem(Character& character) override;
    void CreateUIAttributeText(std::vector<GameTextLine>& lines) const override;

    // ---- Kind numbers (the class's table row) ----
    Item_Type GetItemType() const override { return Row().itemType; }
    int GetRightHandType() const override { return Row().rightHandType; }
    int GetLeftHandType() const override { return Row().leftHandType; }
    int GetItemMarketType() const override { return Row().marketType; }
    virtual Weapon_Type GetWeaponType() const { return Row().weaponType; }
    int GetEnchantmentKind() const { return Row().enchantmentKind; }

    // ---- Projectile ----
    // The enchantment's projectile when it names one, else the record's basic projectile.
    const std::string& GetProjectileName() const;
    void SetBasicProjectileName(const std::string& recordName) { m_basicProjectileName = recordName; }
    float GetProjectilePiercingChance() const { return m_piercingChance; }

    // ---- Sounds ----
    // The enchantment's sound of that kind, if any, then the weapon's own, if any.
    void PlaySwipeSound(const WorldVec3& position) const;
    void PlayHitSound(const WorldVec3& position) const;
    SoundPak* GetSwipeSound() const { return m_swipeSound.Get(); }
    SoundPak* GetHitSound() const { return m_hitSound.Get(); }

    // ---- Trail ----
    // Starts the trail and the enchantment's active effect; stops both.
    virtual void EnableWeaponTrail();
    virtual void DisableWeaponTrail();
    // Replaces the attached trail with one made from the record (none for an empty name);
    // the new trail is not started.
    virtual void SwitchWeaponTrail(const char* name);
    WeaponTrail* GetWeaponTrail() const;
    const std::string& GetCurrentTrailName() const { return m_currentTrailName; }
    bool IsWeaponTrailOn() const;

    // ---- Enchantment ----
    // Clears the current enchantment and lays the one the record names (none when empty).
    virtual void SetWeaponEnchantment(Character& character, const std::string& record);
    // Deletes the enchantment, restores the tint and the own trail; its effects live on in
    // the world when the character is in it, else they are destroyed.
    void ClearWeaponEnchantment(Character& character);
    const WeaponEnchantment* GetWeaponEnchantment() const { return m_enchantment.get(); }
    EffectEntity* GetEnchantmentEffect() const;
    EffectEntity* GetEnchantmentActiveEffect() const;

protected:
    // Sets what the kind's row gives: cost and requirement keys, kind reductions.
    void SetWeaponKind(WeaponKind kind);
    const WeaponKindRow& Row() const { return GetWeaponKindRow(m_kind); }
    // The wearer's weapon scale applied to the base scale; 1.0 when neither is above 0.
    float AttachScale(const Character& character) const;
    float DetachScale() const;
    // The lines of the tooltip's name, filled from the weapon or armour format tags.
    std::u16string FormatName(const char* commonTag, const char* magicalTag) const;

private:
    void ReleaseEffect(OwnedObject<EffectEntity>& effect, Character& character);
    void RemoveTrail();

    WeaponKind m_kind = WeaponKind_Weapon;
    std::unique_ptr<WeaponEnchantment> m_enchantment;
    OwnedObject<EffectEntity> m_enchantmentEffect;         // attached to the weapon
    OwnedObject<EffectEntity> m_enchantmentActiveEffect;   // attached; emits with the trail
    OwnedObject<SoundPak> m_swipeSound;
    OwnedObject<SoundPak> m_hitSound;
    OwnedObject<WeaponTrail> m_trail;   // attached to the weapon
    std::string m_currentTrailName;
    std::string m_trailName;
    std::string m_basicProjectileName;
    OwnedObject<ProjectileBase> m_basicProjectile;   // kept for preloading
    float m_piercingChance = 0.0f;
};

// The classes that differ from their parent only by their table row.
#define GAME_WEAPON_KIND_CLASS_H(name, parent)
#define GAME_WEAPON_KIND_CLASS_P(name, parent)     \
    class name : public parent {                   \
        GAME_DECLARE_CLASS(name)                   \
    public:                                        \
        name() { SetWeaponKind(WeaponKind_##name); } \
    };
#define GAME_WEAPON_KIND_CLASS(name, parent, declared, ...) GAME_WEAPON_KIND_CLASS_##declared(name, parent)
GAME_WEAPON_KINDS(GAME_WEAPON_KIND_CLASS)
#undef GAME_WEAPON_KIND_CLASS
#undef GAME_WEAPON_KIND_CLASS_P
#undef GAME_WEAPON_KIND_CLASS_H

// An armour piece held in a weapon hand. Its tooltip shows its own lines first and no
// character bonuses among its base lines.
class WeaponArmor : public Weapon {
    GAME_DECLARE_CLASS(WeaponArmor)

public:
    WeaponArmor() { SetWeaponKind(WeaponKind_WeaponArmor); }
    void CreateUIAttributeText(std::vector<GameTextLine>& lines) const override;
    virtual void GetUIArmorSpecificText(std::vector<GameTextLine>& /*lines*/) const {}
};

}  // namespace GAME
