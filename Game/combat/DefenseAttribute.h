// Defence attributes: the defensive properties that a record gives to a character, an
// item, a skill or an attribute pack (a resistance against one kind of damage, a shorter
// duration of damage over time, a percentage modifier of such a resistance, a chance to
// resist a status effect, block and reflection modifiers, an elemental resistance, and an
// armour's protection with its absorption).
//
// An attribute reads its arrays per level from a record, may be jittered and scaled once
// while its item is built, writes its lines of interface text, adds to an item's cost,
// and for each attack on its owner adds one per-attack defence (several for the elemental
// resistance) to the attack's accumulator, in the attack's own storage. Only the defence
// attribute stores create and drive them.
//
// This file holds the root, the families and the two protection classes; the leaves are
// declared from their tables in DefenseAttributeKinds.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "Engine/Object.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/DamageAttributeArithmetic.h"

namespace GAME {

class DefenseAttributeStore;
class LoadTable;
class RandomUniform;

// The totals that item pricing reads: every field is 0 after construction and after
// Reset; attributes only add.
struct CostInfo_DefenseAttributes {
    float protection = 0.0f;         // armour
    float absolute = 0.0f;           // the base defences
    float duration = 0.0f;           // their durations
    float absoluteModifier = 0.0f;
    float durationModifier = 0.0f;
    uint32_t count = 0;

    void Reset() { *this = CostInfo_DefenseAttributes(); }
    uint32_t GetCount() const { return count; }
    // The heading, then a line for each field that is not 0 (log level 0).
    void Dump() const;
};

// Declares the class information of one class of the family and its Clone.
#define GAME_DECLARE_DEFENSE_ATTRIBUTE(Class)                  \
    GAME_DECLARE_CLASS(Class)                                  \
public:                                                        \
    std::unique_ptr<DefenseAttribute> Clone() const override;  \
                                                               \
private:

class DefenseAttribute {
public:
    using TextList = std::vector<std::u16string>;

    DefenseAttribute() = default;
    DefenseAttribute(const DefenseAttribute&) = default;
    DefenseAttribute(DefenseAttribute&&) = default;
    DefenseAttribute& operator=(const DefenseAttribute&) = delete;
    virtual ~DefenseAttribute();

    // The root of the family's own class tree ("DefenseAttribute", no parent): these are
    // not engine objects.
    virtual const RTTI_ClassInfo& GetClassInfo() const { return classInfo; }
    static const RTTI_ClassInfo& GetStaticClassInfo() { return classInfo; }
    template <class T>
    bool IsA() const { return GetClassInfo().IsA(&T::GetStaticClassInfo()); }

    virtual std::unique_ptr<DefenseAttribute> Clone() const = 0;

    // Reads the record; true when the attribute takes it. With keepEmpty an attribute
    // without values takes it too, holding the single value 0.
    virtual bool LoadFromTable(const LoadTable& table, bool keepEmpty);
    // Value lines go to the bonus lines; only an item's base protection writes to the
    // base lines.
    virtual void CreateText(unsigned level, TextList& baseLines, TextList& bonusLines) const = 0;
    virtual void CreateNextText(unsigned level, unsigned nextLevel, TextList& baseLines,
                                TextList& bonusLines) const = 0;
    // Makes the attribute's defences for an attack in the attack's storage. Unless
    // skipChance, the chance of the level is tested first.
    virtual void AddToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                  bool skipChance) const = 0;
    virtual void ScaleAttribute(float percent) = 0;
    // Loot jitter; nothing unless the percent is above 0 and there is a generator.
    virtual void AddJitter(float percent, RandomUniform* rng) = 0;

    // The numbers of one level as a store keeps them between attacks: the chance, the
    // value and the maker of the attribute's objects, which adds them as AddToAccumulator
    // does after its chance test. A kind that adds its objects in a way of its own has no
    // maker and is asked each attack.
    struct LevelNumbers {
        using MakeObjects = void (*)(CombatAttributeAccumulator& acc, CombatAttributeType type, float value);
        MakeObjects make = nullptr;
        float chance = 0.0f;
        float value = 0.0f;
        CombatAttributeType type = CombatAttributeType_Unknown;
    };
    virtual LevelNumbers GetLevelNumbers(unsigned) const { return {}; }
    // Always for level 1.
    virtual void GetCostInfo(CostInfo_DefenseAttributes& info) const = 0;

    CombatAttributeType GetType() const { return m_type; }
    float GetChance(unsigned level) const { return PerLevelValue(m_chances, level); }

protected:
    static RTTI_ClassInfo classInfo;
    static void* RTTI_new();

    DefenseAttribute(CombatAttributeType type, const char* chanceKey) : m_type(type), m_chanceKey(chanceKey) {}

    static float Jitter(float value, float percent, RandomUniform& rng) { return LootJitter(value, percent, rng); }
    static float Scale(float value, float percent) { return LootScale(value, percent); }
    static void AppendText(std::u16string& line, const char* tag, float value);

private:
    CombatAttributeType m_type = CombatAttributeType_Unknown;
    const char* m_chanceKey = nullptr;   // not owned
    std::vector<float> m_chances;        // percent, by level
};

// The common shape of every kind but protection: a value per level under one key, shown
// with one tag, jittered and scaled as a whole.
class DefenseAttribute_Typical : public DefenseAttribute {
    GAME_DECLARE_CLASS(DefenseAttribute_Typical)

public:
    // Chances, then values; a lone 0 counts as no value.
    bool LoadFromTable(const LoadTable& table, bool keepEmpty) override;
    // "ChanceOfTag" with the chance when it is above 0, then the tag with the value; no
    // line for a value of 0. A kind without a tag writes nothing.
    void CreateText(unsigned level, TextList& baseLines, TextList& bonusLines) const override;
    // The next level's line whenever its value or chance differs.
    void CreateNextText(unsigned level, unsigned nextLevel, TextList& baseLines, TextList& bonusLines) const override;
    void ScaleAttribute(float percent) override;
    void AddJitter(float percent, RandomUniform* rng) override;

    float GetValue(unsigned level) const { return PerLevelValue(m_values, level); }

protected:
    DefenseAttribute_Typical(CombatAttributeType type, const char* chanceKey, const char* valueKey, const char* textTag)
        : DefenseAttribute(type, chanceKey), m_valueKey(valueKey), m_textTag(textTag)
    {
    }

    // The chance test and the value of one attack: the value times the chance
    // multiplier; false when the chance fails. A chance of 0 always passes, without a
    // draw, so it is not put to the accumulator.
    GAME_DAMAGE_ROLL_INLINE bool RollValue(CombatAttributeAccumulator& acc, unsigned level, bool skipChance,
                                           float& value) const
    {
        const float chance = GetChance(level);
        if (!skipChance && chance != 0.0f && !acc.EvaluateChance(chance))
            return false;
        value = MultiplyInRange(GetValue(level), acc.GetChanceMultiplier(chance));
        return true;
    }
    // The cost of level 1: the value, times the chance in percent when there is one.
    float GetCostValue() const;
    void AddCost(CostInfo_DefenseAttributes& info, float CostInfo_DefenseAttributes::*total) const;

private:
    void WriteLine(TextList& lines, float chance, float value) const;

    const char* m_valueKey = nullptr;   // not owned
    const char* m_textTag = nullptr;    // not owned; null: the kind writes no text
    std::vector<float> m_values;
};

// Which of the accumulator's two defence lists a family's objects join.
enum class DefenseList { Defenses, Modifiers };

// Adds the per-attack objects of one value: one object of a per-attack class, built from
// the type and the value, or a group's several (a class whose Add spreads the value over
// its types).
template <class Objects, DefenseList List>
GAME_DAMAGE_ROLL_INLINE void AddDefenseObjects(CombatAttributeAccumulator& acc, CombatAttributeType type, float value)
{
    if constexpr (!std::is_base_of_v<CombatAttribute, Objects>)
        Objects::Add(acc, value);
    else if constexpr (List == DefenseList::Defenses)
        acc.AddNewDefense<Objects>(type, value);
    else
        acc.AddDefenseModifier(acc.Make<Objects>(type, value));
}

// AddDefenseObjects as a function of its own, for the stores' level numbers.
template <class Objects, DefenseList List>
void MakeDefenseObjects(CombatAttributeAccumulator& acc, CombatAttributeType type, float value)
{
    AddDefenseObjects<Objects, List>(acc, type, value);
}

// A family: its per-attack class, the list its objects join and its cost total. Each
// leaf adds its objects through AddRolled, naming its own objects and type outright.
template <class PerAttackClass, DefenseList List, float CostInfo_DefenseAttributes::*Total>
class DefenseAttributeFamily : public DefenseAttribute_Typical {
public:
    using PerAttack = PerAttackClass;
    static constexpr DefenseList kList = List;

    void GetCostInfo(CostInfo_DefenseAttributes& info) const override { AddCost(info, Total); }

protected:
    using DefenseAttribute_Typical::DefenseAttribute_Typical;

    template <class Objects>
    GAME_DAMAGE_ROLL_INLINE void AddRolled(CombatAttributeAccumulator& acc, unsigned level, bool skipChance,
                                           CombatAttributeType type) const
    {
        float value = 0.0f;
        if (RollValue(acc, level, skipChance, value))
            AddDefenseObjects<Objects, List>(acc, type, value);
    }
    // What AddRolled reads at a level, and the maker of the same objects.
    template <class Objects>
    LevelNumbers NumbersOf(unsigned level, CombatAttributeType type) const
    {
        return {&MakeDefenseObjects<Objects, List>, GetChance(level), GetValue(level), type};
    }
};

// Absolute resistance; also the base of the status-effect, elemental, block, reflect,
// mana burn ratio and percent-of-current-life kinds.
class DefenseAttributeAbs
    : public DefenseAttributeFamily<CombatAttributeAbsDefense, DefenseList::Defenses,
                                    &CostInfo_DefenseAttributes::absolute> {
    GAME_DECLARE_CLASS(DefenseAttributeAbs)

protected:
    using DefenseAttributeFamily::DefenseAttributeFamily;
};

// Resistance to a status effect: the defender's reductions do not touch it.
class DefenseAttributeAbsRestricted : public DefenseAttributeAbs {
    GAME_DECLARE_CLASS(DefenseAttributeAbsRestricted)

public:
    using PerAttack = CombatAttributeAbsDefenseRestricted;

protected:
    using DefenseAttributeAbs::DefenseAttributeAbs;
};

// Shorter damage over time of one type.
class DefenseAttributeDur
    : public DefenseAttributeFamily<CombatAttributeDurDefense, DefenseList::Defenses,
                                    &CostInfo_DefenseAttributes::duration> {
    GAME_DECLARE_CLASS(DefenseAttributeDur)

protected:
    using DefenseAttributeFamily::DefenseAttributeFamily;
};

// A percentage modifier of the absolute resistances of one type.
class DefenseAttributeAbsMod
    : public DefenseAttributeFamily<CombatAttributeAbsDefenseMod, DefenseList::Modifiers,
                                    &CostInfo_DefenseAttributes::absoluteModifier> {
    GAME_DECLARE_CLASS(DefenseAttributeAbsMod)

protected:
    using DefenseAttributeFamily::DefenseAttributeFamily;
};

// A percentage modifier of the duration resistances of one type.
class DefenseAttributeDurMod
    : public DefenseAttributeFamily<CombatAttributeDurDefenseMod, DefenseList::Modifiers,
                                    &CostInfo_DefenseAttributes::durationModifier> {
    GAME_DECLARE_CLASS(DefenseAttributeDurMod)

protected:
    using DefenseAttributeFamily::DefenseAttributeFamily;
};

// ---- Protection and absorption ------------------------------------------------------

// An item's armour: protection per level from its own record, flat protection from its
// prefix and suffix records, and the game-wide absorption. No chance, no type.
class DefenseAttribute_BaseProtectionAbsorption : public DefenseAttribute {
    GAME_DECLARE_DEFENSE_ATTRIBUTE(DefenseAttribute_BaseProtectionAbsorption)

public:
    DefenseAttribute_BaseProtectionAbsorption() : DefenseAttribute(CombatAttributeType_Unknown, nullptr) {}

    // Creates the attribute from the item's records, sets its region and jitters its
    // prefix and suffix protection with the store's generator, and hands it to the store.
    static void Create_BaseAbsorptionProtection(DefenseAttributeStore& store, const LoadTable& table,
                                                const LoadTable* prefix, const LoadTable* suffix, float jitter,
                                                CombatAttributeRegion region);

    // The absorption (when the game engine exists) and the protection array; always
    // takes the record, even without protection.
    bool LoadFromTable(const LoadTable& table, bool keepEmpty) override;
    // The same, after reading the prefix's and suffix's flat protection.
    bool LoadFromTable(const LoadTable& table, const LoadTable* prefix, const LoadTable* suffix, bool keepEmpty);
    void SetRegion(CombatAttributeRegion region) { m_region = region; }

    // The protection line goes to the base lines, the prefix and suffix bonus to the
    // bonus lines; no next-level text.
    void CreateText(unsigned level, TextList& baseLines, TextList& bonusLines) const override;
    void CreateNextText(unsigned, unsigned, TextList&, TextList&) const override {}
    // Armour of the total protection when both it and the absorption are above 0.
    void AddToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                          bool skipChance) const override;
    // The protection array; not the prefix and suffix protection.
    void ScaleAttribute(float percent) override;
    // The prefix and suffix protection; not the array.
    void AddJitter(float percent, RandomUniform* rng) override;
    void GetCostInfo(CostInfo_DefenseAttributes& info) const override;

    float GetProtection(unsigned level) const { return PerLevelValue(m_protection, level); }
    float GetAbsorption() const { return m_absorption; }
    CombatAttributeRegion GetRegion() const { return m_region; }
    float GetPrefixProtection() const { return m_prefixProtection; }
    float GetSuffixProtection() const { return m_suffixProtection; }

protected:
    static constexpr const char* kProtectionKey = "defensiveProtection";
    static constexpr const char* kProtectionTag = "DefenseAbsorptionProtection";
    static constexpr const char* kProtectionBonusTag = "DefenseAbsorptionProtectionBonus";

    // The protection of the level plus the prefix and suffix protection.
    float GetTotalProtection(unsigned level) const;

private:
    float m_absorption = 0.0f;
    std::vector<float> m_protection;
    CombatAttributeRegion m_region = CombatAttributeRegion_FullyProtected;
    float m_prefixProtection = 0.0f;
    float m_suffixProtection = 0.0f;
};

// A skill's or a pack's protection: it covers every region and has no prefix or suffix;
// its lines are bonus lines, and it writes the next level's.
class DefenseAttribute_SkillProtectionAbsorption : public DefenseAttribute_BaseProtectionAbsorption {
    GAME_DECLARE_DEFENSE_ATTRIBUTE(DefenseAttribute_SkillProtectionAbsorption)

public:
    void CreateText(unsigned level, TextList& baseLines, TextList& bonusLines) const override;
    void CreateNextText(unsigned level, unsigned nextLevel, TextList& baseLines, TextList& bonusLines) const override;
};

}  // namespace GAME
