// Character attributes: bonuses to a character's basic statistics (strength, life,
// regeneration, speeds, offensive and defensive ability, requirement reductions,
// experience) that a record gives to an item, a skill, a character or an attribute pack.
//
// An attribute holds a value per level and the fixed bonuses of an item's prefix and
// suffix records, may be jittered and scaled while its item is built, writes its line of
// interface text, adds its worth to an item's price and adds itself into a
// CharAttributeAccumulator, the per-type sums from which a character's statistics come.
// The leaves are declared from the two tables below, one row each.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Engine/Object.h"
#include "Game/combat/CharAttributeType.h"
#include "Game/combat/DamageAttributeArithmetic.h"

namespace GAME {

class LoadTable;
class RandomUniform;

// The per-type sums of a character: values and their percentage modifiers.
class CharAttributeAccumulator {
public:
    // A type outside the table is ignored.
    void AddValue(CharAttributeType type, float value);
    void AddModifier(CharAttributeType type, float modifier);
    // value + |value| x modifier x 0.01; 0 outside the table.
    float GetValue(CharAttributeType type) const;
    float GetModifier(CharAttributeType type) const;
    // The sum of the values alone, before the modifier; 0 outside the table.
    float GetValueSum(CharAttributeType type) const { return type < kCharAttributeTypeCount ? m_sums[type] : 0.0f; }
    void Clear();

    // Every sum has a place: the value sum of a type at the type, its modifier sum at
    // kCharAttributeTypeCount + type, so that a list of additions (what a contribution
    // keeps) needs no test of which sum it adds to.
    static constexpr uint32_t kSumCount = 2 * kCharAttributeTypeCount;
    static constexpr uint32_t ValuePlace(CharAttributeType type) { return type; }
    static constexpr uint32_t ModifierPlace(CharAttributeType type) { return kCharAttributeTypeCount + type; }
    // Adds to the sum at a place below kSumCount (the caller has checked it).
    void AddAtPlace(uint32_t place, float amount) { m_sums[place] = AddInRange(m_sums[place], amount); }

private:
    std::array<float, kSumCount> m_sums{};
};

// One category of an item's price: the sum of the values and how many there are.
struct CharAttributeCost {
    float sum = 0.0f;
    uint32_t count = 0;
};

// The totals that item pricing reads: every sum and count is 0 after construction and
// after Reset; attributes only add.
struct CostInfo_CharacterAttributes {
    CharAttributeCost primaryValue;
    CharAttributeCost secondaryValue;
    CharAttributeCost plainValue;
    CharAttributeCost primaryModifier;
    CharAttributeCost secondaryModifier;
    CharAttributeCost plainModifier;
    CharAttributeCost attackSpeed;
    CharAttributeCost otherSpeed;
    CharAttributeCost attackSpeedModifier;
    CharAttributeCost otherSpeedModifier;

    void Reset() { *this = CostInfo_CharacterAttributes(); }
    // The ten counts together, held at the largest count.
    uint32_t GetCount() const;
    // The heading, then a line for each category whose sum or count is not 0 (log level 0).
    void Dump() const;
};

// Declares the class information of one class of the family and its Clone.
#define GAME_DECLARE_CHAR_ATTRIBUTE(Class)                 \
    GAME_DECLARE_CLASS(Class)                              \
public:                                                    \
    std::unique_ptr<CharAttribute> Clone() const override; \
                                                           \
private:

class CharAttribute {
public:
    using TextList = std::vector<std::u16string>;
    using CostCategory = CharAttributeCost CostInfo_CharacterAttributes::*;

    CharAttribute(const CharAttribute&) = default;
    CharAttribute(CharAttribute&&) = default;
    CharAttribute& operator=(const CharAttribute&) = delete;
    virtual ~CharAttribute();

    // The root of the family's own class tree ("CharAttribute", no parent): these are
    // not engine objects.
    virtual const RTTI_ClassInfo& GetClassInfo() const { return classInfo; }
    static const RTTI_ClassInfo& GetStaticClassInfo() { return classInfo; }
    template <class T>
    bool IsA() const { return GetClassInfo().IsA(&T::GetStaticClassInfo()); }

    virtual std::unique_ptr<CharAttribute> Clone() const = 0;

    // The values per level; a lone 0 counts as none.
    virtual void LoadBaseTable(const LoadTable& table);
    // The fixed bonus of a prefix or suffix record; with a generator it is jittered by
    // the record's own "lootRandomizerJitter", as it stands.
    virtual void LoadPrefixTable(const LoadTable& table, RandomUniform* rng);
    virtual void LoadSuffixTable(const LoadTable& table, RandomUniform* rng);
    // The tag with the value of the level, to the bonus lines; nothing for 0.
    virtual void CreateText(unsigned level, TextList& baseLines, TextList& bonusLines) const;
    // The next level's line when its value differs.
    virtual void CreateNextText(unsigned level, unsigned nextLevel, TextList& baseLines, TextList& bonusLines) const;
    virtual void AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const = 0;
    // The single value, without prefix or suffix bonus.
    virtual void SetBaseValue(float value);
    // The values per level (not the prefix and suffix); nothing unless the percent is
    // above 0 and there is a generator.
    virtual void AddJitter(float percent, RandomUniform* rng);
    // The values, the prefix and the suffix bonus.
    virtual void ScaleAttribute(float percent);
    // Always for level 1.
    virtual void GetCostInfo(CostInfo_CharacterAttributes& info) const = 0;

    CharAttributeType GetType() const { return m_type; }
    // 0 at level 0; otherwise the value of the level (the last one past the end, none
    // without values) plus the prefix and suffix bonus.
    float GetValue(unsigned level) const;
    bool IsNotEmpty() const { return !m_values.empty() || m_prefixValue != 0.0f || m_suffixValue != 0.0f; }
    // How many levels have values of their own.
    size_t GetLevelCount() const { return m_values.size(); }

protected:
    static RTTI_ClassInfo classInfo;
    static void* RTTI_new();

    CharAttribute(CharAttributeType type, const char* recordKey, const char* textTag)
        : m_type(type), m_recordKey(recordKey), m_textTag(textTag)
    {
    }

    // A value above or below 0 adds to the category and counts once.
    static void AddCost(CostInfo_CharacterAttributes& info, CostCategory category, float value, uint32_t count = 1);
    const char* GetTextTag() const { return m_textTag; }

private:
    float LoadBonus(const LoadTable& table, RandomUniform* rng) const;

    CharAttributeType m_type;
    std::vector<float> m_values;
    float m_prefixValue = 0.0f;
    float m_suffixValue = 0.0f;
    const char* m_recordKey;   // not owned
    const char* m_textTag;     // not owned
};

// ---- Families -----------------------------------------------------------------------

// Adds to the value sum of its type.
class CharAttributeVal : public CharAttribute {
    GAME_DECLARE_CLASS(CharAttributeVal)

public:
    void AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const override;
    void GetCostInfo(CostInfo_CharacterAttributes& info) const override;

protected:
    using CharAttribute::CharAttribute;
    virtual CostCategory GetCostCategory() const { return &CostInfo_CharacterAttributes::plainValue; }
};

// Adds to the modifier sum of its type.
class CharAttributeMod : public CharAttribute {
    GAME_DECLARE_CLASS(CharAttributeMod)

public:
    void AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const override;
    void GetCostInfo(CostInfo_CharacterAttributes& info) const override;

protected:
    using CharAttribute::CharAttribute;
    virtual CostCategory GetCostCategory() const { return &CostInfo_CharacterAttributes::plainModifier; }
};

// A family that only prices its values in a category of its own.
#define GAME_CHAR_ATTRIBUTE_FAMILY(Class, Base, Category)                                              \
    class Class : public Base {                                                                        \
        GAME_DECLARE_CLASS(Class)                                                                      \
    protected:                                                                                         \
        using Base::Base;                                                                              \
        CostCategory GetCostCategory() const override { return &CostInfo_CharacterAttributes::Category; } \
    };

GAME_CHAR_ATTRIBUTE_FAMILY(CharAttributeValPri, CharAttributeVal, primaryValue)
GAME_CHAR_ATTRIBUTE_FAMILY(CharAttributeValSec, CharAttributeVal, secondaryValue)
GAME_CHAR_ATTRIBUTE_FAMILY(CharAttributePriMod, CharAttributeMod, primaryModifier)
GAME_CHAR_ATTRIBUTE_FAMILY(CharAttributeSecMod, CharAttributeMod, secondaryModifier)
GAME_CHAR_ATTRIBUTE_FAMILY(CharAttributeAttackSpeedMod, CharAttributeMod, attackSpeedModifier)
GAME_CHAR_ATTRIBUTE_FAMILY(CharAttributeOtherSpeedMod, CharAttributeMod, otherSpeedModifier)

// Speeds: never jittered or scaled.
class CharAttributeValSpeed : public CharAttributeVal {
    GAME_DECLARE_CLASS(CharAttributeValSpeed)

public:
    void AddJitter(float, RandomUniform*) override {}
    void ScaleAttribute(float) override {}

protected:
    using CharAttributeVal::CharAttributeVal;
};

GAME_CHAR_ATTRIBUTE_FAMILY(CharAttributeAttackSpeed, CharAttributeValSpeed, attackSpeed)
GAME_CHAR_ATTRIBUTE_FAMILY(CharAttributeOtherSpeed, CharAttributeValSpeed, otherSpeed)

#undef GAME_CHAR_ATTRIBUTE_FAMILY

// ---- Leaves -------------------------------------------------------------------------

// Value leaves: class, family, type, record key, text tag.
#define GAME_CHAR_ATTRIBUTE_VALUE_KINDS(X) \
    X(CharAttributeVal_Strength, CharAttributeValPri, Strength, "characterStrength", "CharacterStrength") \
    X(CharAttributeVal_Dexterity, CharAttributeValPri, Dexterity, "characterDexterity", "CharacterDexterity") \
    X(CharAttributeVal_Intelligence, CharAttributeValPri, Intelligence, "characterIntelligence", "CharacterIntelligence") \
    X(CharAttributeVal_LifeRegen, CharAttributeValPri, LifeRegen, "characterLifeRegen", "CharacterLifeRegen") \
    X(CharAttributeVal_ManaRegen, CharAttributeValPri, ManaRegen, "characterManaRegen", "CharacterManaRegen") \
    X(CharAttributeVal_Life, CharAttributeValSec, Life, "characterLife", "CharacterLife") \
    X(CharAttributeVal_Mana, CharAttributeValSec, Mana, "characterMana", "CharacterMana") \
    X(CharAttributeVal_OffensiveAbility, CharAttributeValSec, OffensiveAbility, "characterOffensiveAbility", "CharacterOffensiveAbility") \
    X(CharAttributeVal_DefensiveAbility, CharAttributeValSec, DefensiveAbility, "characterDefensiveAbility", "CharacterDefensiveAbility") \
    X(CharAttributeVal_AttackSpeed, CharAttributeAttackSpeed, AttackSpeed, "characterAttackSpeed", "CharacterAttackSpeed") \
    X(CharAttributeVal_SpellCastSpeed, CharAttributeAttackSpeed, SpellCastSpeed, "characterSpellCastSpeed", "CharacterSpellCastSpeed") \
    X(CharAttributeVal_RunSpeed, CharAttributeOtherSpeed, RunSpeed, "characterRunSpeed", "CharacterRunSpeed") \
    X(CharAttributeVal_ManaLimitReserveReduction, CharAttributeVal, ManaLimitReserveReduction, "characterManaLimitReserveReduction", "CharacterManaLimitReserveReduction") \
    X(CharAttributeVal_OffensiveAbilityModifier, CharAttributeVal, OffensiveAbilityModifier, "characterOffensiveAbilityModifier", "CharacterOffensiveAbilityModifier") \
    X(CharAttributeVal_DefensiveAbilityModifier, CharAttributeVal, DefensiveAbilityModifier, "characterDefensiveAbilityModifier", "CharacterDefensiveAbilityModifier") \
    X(CharAttributeVal_DefensiveBlockRecoveryReduction, CharAttributeVal, DefensiveBlockRecoveryReduction, "characterDefensiveBlockRecoveryReduction", "CharacterDefensiveBlockRecoveryReduction") \
    X(CharAttributeVal_EnergyAbsorptionPercent, CharAttributeVal, EnergyAbsorptionPercent, "characterEnergyAbsorptionPercent", "CharacterEnergyAbsorptionPercent") \
    X(CharAttributeVal_DodgePercent, CharAttributeVal, DodgePercent, "characterDodgePercent", "CharacterDodgePercent") \
    X(CharAttributeVal_DeflectProjectile, CharAttributeVal, DeflectProjectile, "characterDeflectProjectile", "CharacterDeflectProjectiles") \
    X(CharAttributeVal_WeaponStrengthReqReduction, CharAttributeVal, WeaponStrengthReqReduction, "characterWeaponStrengthReqReduction", "CharacterWeaponStrengthReqReduction") \
    X(CharAttributeVal_WeaponDexterityReqReduction, CharAttributeVal, WeaponDexterityReqReduction, "characterWeaponDexterityReqReduction", "CharacterWeaponDexterityReqReduction") \
    X(CharAttributeVal_WeaponIntelligenceReqReduction, CharAttributeVal, WeaponIntelligenceReqReduction, "characterWeaponIntelligenceReqReduction", "CharacterWeaponIntelligenceReqReduction") \
    X(CharAttributeVal_MeleeStrengthReqReduction, CharAttributeVal, MeleeStrengthReqReduction, "characterMeleeStrengthReqReduction", "CharacterMeleeStrengthReqReduction") \
    X(CharAttributeVal_MeleeDexterityReqReduction, CharAttributeVal, MeleeDexterityReqReduction, "characterMeleeDexterityReqReduction", "CharacterMeleeDexterityReqReduction") \
    X(CharAttributeVal_MeleeIntelligenceReqReduction, CharAttributeVal, MeleeIntelligenceReqReduction, "characterMeleeIntelligenceReqReduction", "CharacterMeleeIntelligenceReqReduction") \
    X(CharAttributeVal_HuntingStrengthReqReduction, CharAttributeVal, HuntingStrengthReqReduction, "characterHuntingStrengthReqReduction", "CharacterHuntingStrengthReqReduction") \
    X(CharAttributeVal_HuntingDexterityReqReduction, CharAttributeVal, HuntingDexterityReqReduction, "characterHuntingDexterityReqReduction", "CharacterHuntingDexterityReqReduction") \
    X(CharAttributeVal_HuntingIntelligenceReqReduction, CharAttributeVal, HuntingIntelligenceReqReduction, "characterHuntingIntelligenceReqReduction", "CharacterHuntingIntelligenceReqReduction") \
    X(CharAttributeVal_StaffStrengthReqReduction, CharAttributeVal, StaffStrengthReqReduction, "characterStaffStrengthReqReduction", "CharacterStaffStrengthReqReduction") \
    X(CharAttributeVal_StaffDexterityReqReduction, CharAttributeVal, StaffDexterityReqReduction, "characterStaffDexterityReqReduction", "CharacterStaffDexterityReqReduction") \
    X(CharAttributeVal_StaffIntelligenceReqReduction, CharAttributeVal, StaffIntelligenceReqReduction, "characterStaffIntelligenceReqReduction", "CharacterStaffIntelligenceReqReduction") \
    X(CharAttributeVal_ShieldStrengthReqReduction, CharAttributeVal, ShieldStrengthReqReduction, "characterShieldStrengthReqReduction", "CharacterShieldStrengthReqReduction") \
    X(CharAttributeVal_ShieldDexterityReqReduction, CharAttributeVal, ShieldDexterityReqReduction, "characterShieldDexterityReqReduction", "CharacterShieldDexterityReqReduction") \
    X(CharAttributeVal_ShieldIntelligenceReqReduction, CharAttributeVal, ShieldIntelligenceReqReduction, "characterShieldIntelligenceReqReduction", "CharacterShieldIntelligenceReqReduction") \
    X(CharAttributeVal_ArmorStrengthReqReduction, CharAttributeVal, ArmorStrengthReqReduction, "characterArmorStrengthReqReduction", "CharacterArmorStrengthReqReduction") \
    X(CharAttributeVal_ArmorDexterityReqReduction, CharAttributeVal, ArmorDexterityReqReduction, "characterArmorDexterityReqReduction", "CharacterArmorDexterityReqReduction") \
    X(CharAttributeVal_ArmorIntelligenceReqReduction, CharAttributeVal, ArmorIntelligenceReqReduction, "characterArmorIntelligenceReqReduction", "CharacterArmorIntelligenceReqReduction") \
    X(CharAttributeVal_JewelryStrengthReqReduction, CharAttributeVal, JewelryStrengthReqReduction, "characterJewelryStrengthReqReduction", "CharacterJewelryStrengthReqReduction") \
    X(CharAttributeVal_JewelryDexterityReqReduction, CharAttributeVal, JewelryDexterityReqReduction, "characterJewelryDexterityReqReduction", "CharacterJewelryDexterityReqReduction") \
    X(CharAttributeVal_JewelryIntelligenceReqReduction, CharAttributeVal, JewelryIntelligenceReqReduction, "characterJewelryIntelligenceReqReduction", "CharacterJewelryIntelligenceReqReduction") \
    X(CharAttributeVal_GlobalReqReduction, CharAttributeVal, GlobalReqReduction, "characterGlobalReqReduction", "CharcterItemGlobalReduction") \
    X(CharAttributeVal_IncreasedExperience, CharAttributeVal, IncreasedExperience, "characterIncreasedExperience", "CharacterIncreasedExperience")

// Modifier leaves: class, family, type, record key, text tag.
#define GAME_CHAR_ATTRIBUTE_MODIFIER_KINDS(X) \
    X(CharAttributeMod_Strength, CharAttributePriMod, Strength, "characterStrengthModifier", "CharacterStrengthModifier") \
    X(CharAttributeMod_Dexterity, CharAttributePriMod, Dexterity, "characterDexterityModifier", "CharacterDexterityModifier") \
    X(CharAttributeMod_Intelligence, CharAttributePriMod, Intelligence, "characterIntelligenceModifier", "CharacterIntelligenceModifier") \
    X(CharAttributeMod_LifeRegen, CharAttributePriMod, LifeRegen, "characterLifeRegenModifier", "CharacterLifeRegenModifier") \
    X(CharAttributeMod_ManaRegen, CharAttributePriMod, ManaRegen, "characterManaRegenModifier", "CharacterManaRegenModifier") \
    X(CharAttributeMod_Life, CharAttributeSecMod, Life, "characterLifeModifier", "CharacterLifeModifier") \
    X(CharAttributeMod_Mana, CharAttributeSecMod, Mana, "characterManaModifier", "CharacterManaModifier") \
    X(CharAttributeMod_ManaLimitReserve, CharAttributeMod, ManaLimitReserve, "characterManaLimitReserveModifier", "CharacterManaLimitReserveModifier") \
    X(CharAttributeMod_ManaLimitReserveReduction, CharAttributeMod, ManaLimitReserveReduction, "characterManaLimitReserveReductionModifier", "CharacterManaLimitReserveReductionModifier") \
    X(CharAttributeMod_RunSpeed, CharAttributeOtherSpeedMod, RunSpeed, "characterRunSpeedModifier", "CharacterRunSpeedModifier") \
    X(CharAttributeMod_SpellCastSpeed, CharAttributeAttackSpeedMod, SpellCastSpeed, "characterSpellCastSpeedModifier", "CharacterSpellCastSpeedModifier")

#define GAME_DECLARE_CHAR_ATTRIBUTE_KIND(Class, Base, Type, Key, Tag)           \
    class Class final : public Base {                                          \
        GAME_DECLARE_CHAR_ATTRIBUTE(Class)                                     \
    public:                                                                    \
        Class() : Base(CharAttributeType_##Type, Key, Tag) {}                  \
    };

GAME_CHAR_ATTRIBUTE_VALUE_KINDS(GAME_DECLARE_CHAR_ATTRIBUTE_KIND)
GAME_CHAR_ATTRIBUTE_MODIFIER_KINDS(GAME_DECLARE_CHAR_ATTRIBUTE_KIND)

#undef GAME_DECLARE_CHAR_ATTRIBUTE_KIND

// The five leaves with ways of their own.

// The mana a skill reserves: not priced.
class CharAttributeVal_ManaLimitReserve final : public CharAttributeVal {
    GAME_DECLARE_CHAR_ATTRIBUTE(CharAttributeVal_ManaLimitReserve)

public:
    CharAttributeVal_ManaLimitReserve()
        : CharAttributeVal(CharAttributeType_ManaLimitReserve, "characterManaLimitReserve", "CharacterManaLimitReserve")
    {
    }
    void GetCostInfo(CostInfo_CharacterAttributes&) const override {}
};

// Never jittered or scaled.
class CharAttributeVal_LevelReqReduction final : public CharAttributeVal {
    GAME_DECLARE_CHAR_ATTRIBUTE(CharAttributeVal_LevelReqReduction)

public:
    CharAttributeVal_LevelReqReduction()
        : CharAttributeVal(CharAttributeType_LevelReqReduction, "characterLevelReqReduction",
                           "CharacterLevelReqReduction")
    {
    }
    void AddJitter(float, RandomUniform*) override {}
    void ScaleAttribute(float) override {}
};

// Also raises the base attack speed.
class CharAttributeMod_AttackSpeed final : public CharAttributeAttackSpeedMod {
    GAME_DECLARE_CHAR_ATTRIBUTE(CharAttributeMod_AttackSpeed)

public:
    CharAttributeMod_AttackSpeed()
        : CharAttributeAttackSpeedMod(CharAttributeType_AttackSpeed, "characterAttackSpeedModifier",
                                      "CharacterAttackSpeedModifier")
    {
    }
    void AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const override;
};

// Raises run, attack, base attack and spell cast speed, not a total of its own; priced
// as two attack speed modifiers and one other speed modifier.
class CharAttributeMod_TotalSpeed final : public CharAttributeMod {
    GAME_DECLARE_CHAR_ATTRIBUTE(CharAttributeMod_TotalSpeed)

public:
    CharAttributeMod_TotalSpeed()
        : CharAttributeMod(CharAttributeType_TotalSpeed, "characterTotalSpeedModifier", "CharacterTotalSpeedModifier")
    {
    }
    void AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const override;
    void GetCostInfo(CostInfo_CharacterAttributes& info) const override;
};

// A weapon's base speed: its line is a tag that the record chooses, shown as it stands
// in the base lines; no prefix or suffix bonus, no jitter, no scaling.
class CharAttributeVal_BaseAttackSpeed final : public CharAttributeVal {
    GAME_DECLARE_CHAR_ATTRIBUTE(CharAttributeVal_BaseAttackSpeed)

public:
    CharAttributeVal_BaseAttackSpeed()
        : CharAttributeVal(CharAttributeType_BaseAttackSpeed, "characterBaseAttackSpeed", "CharacterBaseAttackSpeed")
    {
    }
    void LoadBaseTable(const LoadTable& table) override;
    void LoadPrefixTable(const LoadTable&, RandomUniform*) override {}
    void LoadSuffixTable(const LoadTable&, RandomUniform*) override {}
    void CreateText(unsigned level, TextList& baseLines, TextList& bonusLines) const override;
    void CreateNextText(unsigned, unsigned, TextList&, TextList&) const override {}
    void AddJitter(float, RandomUniform*) override {}
    void ScaleAttribute(float) override {}
    void GetCostInfo(CostInfo_CharacterAttributes& info) const override;

    const std::string& GetTagText() const { return m_tagText; }

private:
    std::string m_tagText;
};

// Every character attribute class by name: the two tables in order, then the five
// leaves of their own.
struct CharAttributeKind {
    const char* name;
    std::unique_ptr<CharAttribute> (*create)();
};
std::span<const CharAttributeKind> GetCharAttributeKinds();

}  // namespace GAME
