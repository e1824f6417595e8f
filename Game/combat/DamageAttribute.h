// Damage attributes: the offensive properties that a record gives to a skill level, an
// item or an attribute pack (an amount of damage, damage over time, a percentage modifier
// of damage, a status effect the hit may carry), each with an optional chance per level.
//
// An attribute loads itself from a record through the keys its kind names and joins a
// DamageAttributeStore; for each attack it tests its chance through the attack's
// accumulator, draws its value with the attack's generator and adds per-attack combat
// attributes. It also writes its lines of interface text, adds its share of an item's
// cost, and takes loot jitter and scaling while its item is built.
//
// This file holds the root and the family classes; the concrete kinds are declared from
// their tables in DamageAttributeKinds.h, physical damage and mana burn in
// DamageAttributePhysical.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "Engine/Object.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/DamageAttributeArithmetic.h"

namespace GAME {

class DamageAttributeStore;
class LoadTable;
class RandomUniform;

// The store list that a loaded attribute joins, chosen by its Global and XOR keys; None
// when the record holds none of its values.
enum class DamageAttributeList {
    None,
    Attributes,   // rolls its own chance with every attack
    GlobalAnd,    // applies with the store's global chance, with every other member
    GlobalXor,    // one member, picked by weighted chance, applies with the global chance
};

// The three text lists of a store's interface text.
enum class DamageTextList {
    First,    // base damage of a weapon
    Second,   // base and modifier lines
    Third,    // bonus damage and effects
};

// The totals that item pricing reads: every field is 0 after construction and after
// Reset; attributes only add.
struct CostInfo_DamageAttributes {
    float avgBase = 0.0f;
    float avgPierceRatio = 0.0f;
    float avgBonus = 0.0f;
    float avgOverTime = 0.0f;
    float mod = 0.0f;
    float modDur = 0.0f;
    uint32_t count = 0;

    void Reset() { *this = CostInfo_DamageAttributes(); }
    uint32_t GetCount() const { return count; }
    // The heading, then a line for each field that is not 0 (log level 0).
    virtual void Dump() const;
};

// The retaliation store's totals: the same record, of which only the bonus, over-time,
// modifier and count fields are filled, and so only those are shown.
struct CostInfo_RetaliationAttributes : CostInfo_DamageAttributes {
    void Dump() const override;
};

// Every per-attack object that a damage attribute makes is made here, in the attack's own
// storage, one function per accumulator list.
template <class T, class... Args>
GAME_DAMAGE_ROLL_INLINE void AddDamageObject(CombatAttributeAccumulator& acc, Args... args)
{
    acc.MakeDamage<T>(args...);
}
template <class T, class... Args>
GAME_DAMAGE_ROLL_INLINE void AddDamageModifierObject(CombatAttributeAccumulator& acc, Args... args)
{
    acc.MakeDamageModifier<T>(args...);
}

// Adds the per-attack objects of one roll: one object of a per-attack class, built from
// the type and the rolled numbers, or a group's several (a class whose Add spreads the
// numbers over its types).
template <class Objects, class... Numbers>
GAME_DAMAGE_ROLL_INLINE void AddRolledObjects(CombatAttributeAccumulator& acc, CombatAttributeType type, Numbers... numbers)
{
    if constexpr (std::is_base_of_v<CombatAttribute, Objects>)
        AddDamageObject<Objects>(acc, type, numbers...);
    else
        Objects::Add(acc, numbers...);
}

// Declares the class information of one kind and its Clone (the kind tables define both).
#define GAME_DECLARE_DAMAGE_ATTRIBUTE(Class)                  \
    GAME_DECLARE_CLASS(Class)                                 \
public:                                                       \
    std::unique_ptr<DamageAttribute> Clone() const override;  \
                                                              \
private:

// A value per level: the smallest value and the spread above it, with the largest value
// (their sum held to the float range) worked out once when either changes, not per roll.
class DamageValueRange {
public:
    DamageValueRange() = default;
    DamageValueRange(float min, float range) : m_min(min), m_range(range), m_max(AddInRange(min, range)) {}

    float Min() const { return m_min; }
    float Range() const { return m_range; }
    float Max() const { return m_max; }

private:
    float m_min = 0.0f;
    float m_range = 0.0f;
    float m_max = 0.0f;
};

class DamageAttribute {
public:
    using TextList = std::vector<std::u16string>;

    DamageAttribute() = default;
    DamageAttribute(const DamageAttribute&) = default;
    DamageAttribute& operator=(const DamageAttribute&) = default;
    DamageAttribute(DamageAttribute&&) = default;
    DamageAttribute& operator=(DamageAttribute&&) = default;
    virtual ~DamageAttribute();

    // The root of the family's own class tree ("DamageAttribute", no parent): these are
    // not engine objects.
    virtual const RTTI_ClassInfo& GetClassInfo() const { return classInfo; }
    static const RTTI_ClassInfo& GetStaticClassInfo() { return classInfo; }
    template <class T>
    bool IsA() const { return GetClassInfo().IsA(&T::GetStaticClassInfo()); }

    virtual std::unique_ptr<DamageAttribute> Clone() const = 0;

    // Loads the attribute from the record and hands it to the store, in the list its
    // flags choose. Returns the attribute, now the store's; null when the record holds
    // none of its values, and the attribute is destroyed.
    static DamageAttribute* Load(std::unique_ptr<DamageAttribute> attribute, DamageAttributeStore& store,
                                 const LoadTable& record);
    // The same for a new attribute of the kind, which is made on the heap only when the
    // record holds its values: a record without them costs no allocation. The store
    // loaders name their classes by this.
    template <class Kind>
        requires std::is_final_v<Kind>
    static DamageAttribute* Load(DamageAttributeStore& store, const LoadTable& record)
    {
        Kind loading;
        const DamageAttributeList list = static_cast<DamageAttribute&>(loading).LoadFromTable(record);
        if (list == DamageAttributeList::None)
            return nullptr;
        return Keep(std::make_unique<Kind>(std::move(loading)), list, store);
    }

    // The chance of the level in percent; 0 (always) without a chance array.
    virtual float GetChance(unsigned level) const;
    virtual CombatAttributeType GetType() const = 0;
    // Appends the attribute's line for the level (GetText) to its own list;
    // CreateNextText writes what changes at the next level, and nothing when nothing does.
    virtual void CreateText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level) const;
    virtual void CreateNextText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level,
                                unsigned nextLevel) const;
    // With `force` the attribute applies without testing its chance (the store decided).
    virtual void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                        bool force) const = 0;
    virtual void AddModifierToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                          bool force) const = 0;
    // The passes of an attack in which the attribute can add anything: a store offers it
    // only to those, so the other pass (which draws nothing and adds nothing) is skipped.
    enum Pass : unsigned { kDamagePass = 1u, kModifierPass = 2u };
    virtual unsigned GetPasses() const { return kDamagePass | kModifierPass; }
    virtual void ScaleAttribute(float percent) = 0;
    // Loot jitter; nothing unless the percent is above 0 and there is a generator.
    virtual void AddJitter(float percent, RandomUniform* rng) = 0;
    // Always for level 1.
    virtual void GetCostInfo(CostInfo_DamageAttributes& info) const = 0;

    // Lines then start with the indent text instead of the chance text (a store's group
    // shows one chance for all its members).
    void SetHideChanceIndentLine(bool hide) { m_hideChanceIndentLine = hide; }

protected:
    static RTTI_ClassInfo classInfo;
    static void* RTTI_new();

    // The formats of one value and of a range of values.
    static constexpr const char* kSingleFormatTag = "DamageSingleFormat";
    static constexpr const char* kRangeFormatTag = "DamageRangeFormat";
    static constexpr float kHalf = 0.5f;

    // Reads the record's arrays: the list chosen by the Global and XOR keys, or None when
    // the values are absent.
    virtual DamageAttributeList LoadFromTable(const LoadTable& record) = 0;
    virtual const char* GetLoadChanceTag() const = 0;
    virtual const char* GetLoadXorTag() const = 0;
    virtual const char* GetLoadGlobalTag() const = 0;
    virtual const char* GetDisplayTag() const = 0;
    // Loot jitter and scaling of one value (DamageAttributeArithmetic).
    virtual float Jitter(float value, float percent, RandomUniform& rng) const;
    virtual float Scale(float value, float percent) const;
    virtual DamageTextList GetTextList() const = 0;
    // The line of a level, and the line of the next level when anything shown changes.
    virtual void GetText(std::u16string&, unsigned) const {}
    virtual void GetNextText(std::u16string&, unsigned, unsigned) const {}

    // Hands a loaded attribute to the store, in the list its load chose.
    static DamageAttribute* Keep(std::unique_ptr<DamageAttribute> attribute, DamageAttributeList list,
                                 DamageAttributeStore& store);

    // The chance array, taken as it stands (no one-zero rule), and its value per level.
    void LoadChance(const LoadTable& record);
    GAME_DAMAGE_ROLL_INLINE float ChanceAt(unsigned level) const { return PerLevelValue(m_chance, level); }
    // Global key false (or absent): the plain list, whatever the XOR key says; otherwise
    // the XOR key, read only then, picks the XOR or the AND group.
    DamageAttributeList ChooseList(const LoadTable& record) const;
    // Whether the attribute applies: forced, or its chance passes; a chance of 0 always
    // passes, without a draw.
    GAME_DAMAGE_ROLL_INLINE static bool PassesChance(CombatAttributeAccumulator& acc, float chance, bool force)
    {
        return force || chance == 0.0f || acc.EvaluateChance(chance);
    }

    // Texts. A line's pieces are joined with no separator.
    void AppendChancePrefix(std::u16string& line, float chance) const;
    static void AppendAmount(std::u16string& line, const char* singleFormatTag, const char* rangeFormatTag, float min,
                             float max);
    static void AppendText(std::u16string& line, const char* tag);
    static void AppendText(std::u16string& line, const char* tag, float value);
    // The line being written: one buffer per thread, emptied, whose capacity stays from
    // line to line. A line is several appends; grown afresh each time it cost more
    // allocations than the words. Lines leave it by a copy of their own length.
    static std::u16string& StartLine();
    // A non-empty line goes to the attribute's own list.
    void AppendLine(TextList& texts1, TextList& texts2, TextList& texts3, std::u16string_view line) const;

    // Record arrays. The one-zero rule: a value, duration or modifier array holding the
    // single entry 0 counts as empty.
    static void ReadArray(const LoadTable& record, const char* key, std::vector<float>& out, bool oneZeroRule);
    // Pairs from a minimum and a maximum array: one per minimum; a missing maximum
    // repeats the last one given (the first minimum when none is); the range is never
    // negative.
    static void ReadRanges(const LoadTable& record, const char* minKey, const char* maxKey,
                           std::vector<DamageValueRange>& out);
    GAME_DAMAGE_ROLL_INLINE static DamageValueRange GetRange(const std::vector<DamageValueRange>& ranges, unsigned level)
    {
        const DamageValueRange* range = PerLevelEntry(ranges, level);
        return range ? *range : DamageValueRange{};
    }
    // One draw between the level's ends (the range read once).
    GAME_DAMAGE_ROLL_INLINE static float DrawInRange(RandomUniform& rng, const std::vector<DamageValueRange>& ranges,
                                                     unsigned level)
    {
        const DamageValueRange range = GetRange(ranges, level);
        return rng.FGenerate(range.Min(), range.Max());
    }
    GAME_DAMAGE_ROLL_INLINE static float GetRangeMax(const std::vector<DamageValueRange>& ranges, unsigned level)
    {
        return GetRange(ranges, level).Max();
    }

    // Jitter and scaling. Whether to jitter: a percent above 0 and a generator; the
    // percent is then held to [0, 50].
    static bool JittersWith(float& percent, const RandomUniform* rng);
    void JitterRanges(std::vector<DamageValueRange>& ranges, float percent, RandomUniform& rng) const;
    void JitterValues(std::vector<float>& values, float percent, RandomUniform& rng) const;
    void ScaleMinimums(std::vector<DamageValueRange>& ranges, float percent) const;
    void ScaleValues(std::vector<float>& values, float percent) const;

    // Costs: the sum of two ends, halved when both are above 0; scaled by a chance above
    // 0. Totals are held to the float range.
    static float HalvedSum(float a, float b);
    static float ChanceScaled(float value, float chance);
    static void AddCost(float& total, float value);
    // A value above 0 adds to the total and counts once.
    static void AddCountedCost(CostInfo_DamageAttributes& info, float CostInfo_DamageAttributes::*total, float value);

private:
    std::vector<float> m_chance;
    bool m_hideChanceIndentLine = false;
};

// ---- Absolute damage: a value range per level ----------------------------------------

class DamageAttributeAbs : public DamageAttribute {
    GAME_DECLARE_CLASS(DamageAttributeAbs)

public:
    // The per-attack class of the family's roll.
    using PerAttack = CombatAttributeAbsDamage;

    DamageAttributeAbs() = default;

    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override
    {
        AddRolled<PerAttack>(acc, level, rng, force, GetType());
    }
    void AddModifierToAccumulator(CombatAttributeAccumulator&, unsigned, RandomUniform&, bool) const override {}
    unsigned GetPasses() const override { return kDamagePass; }
    void ScaleAttribute(float percent) override;
    void AddJitter(float percent, RandomUniform* rng) override;
    void GetCostInfo(CostInfo_DamageAttributes& info) const override;

protected:
    // The reflex and influence families show their values in formats of their own.
    DamageAttributeAbs(const char* singleFormatTag, const char* rangeFormatTag)
        : m_singleFormatTag(singleFormatTag), m_rangeFormatTag(rangeFormatTag)
    {
    }

    DamageAttributeList LoadFromTable(const LoadTable& record) override;
    virtual const char* GetLoadValueMinTag() const = 0;
    virtual const char* GetLoadValueMaxTag() const = 0;
    GAME_DAMAGE_ROLL_INLINE float GetValueMin(unsigned level) const { return GetRange(m_values, level).Min(); }
    GAME_DAMAGE_ROLL_INLINE float GetValueMax(unsigned level) const { return GetRangeMax(m_values, level); }
    void GetText(std::u16string& line, unsigned level) const override;
    void GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const override;

    // The chance test, one value draw and the chance multiplier; false when the chance
    // fails.
    GAME_DAMAGE_ROLL_INLINE bool RollValue(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                           bool force, float& value) const
    {
        const float chance = ChanceAt(level);
        if (!PassesChance(acc, chance, force))
            return false;
        const float drawn = DrawInRange(rng, m_values, level);
        value = MultiplyInRange(drawn, acc.GetChanceMultiplier(chance));
        return true;
    }
    // The chance test and the roll, then the objects of the family or of the kind.
    template <class Objects>
    GAME_DAMAGE_ROLL_INLINE void AddRolled(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng, bool force,
                   CombatAttributeType type) const
    {
        float value = 0.0f;
        if (RollValue(acc, level, rng, force, value))
            AddRolledObjects<Objects>(acc, type, value);
    }
    // The cost of level 1 (0 when it adds nothing).
    float GetAverageCost() const;

    std::vector<DamageValueRange> m_values;

private:
    void WriteLine(std::u16string& line, unsigned level) const;

    const char* m_singleFormatTag = kSingleFormatTag;
    const char* m_rangeFormatTag = kRangeFormatTag;
};

// A weapon's base damage: first text list, no jitter, cost into the base total.
class DamageAttributeAbsBase : public DamageAttributeAbs {
    GAME_DECLARE_CLASS(DamageAttributeAbsBase)

public:
    void AddJitter(float, RandomUniform*) override {}
    void GetCostInfo(CostInfo_DamageAttributes& info) const override;

protected:
    DamageTextList GetTextList() const override { return DamageTextList::First; }
};

class DamageAttributeAbsBaseElemental : public DamageAttributeAbsBase {
    GAME_DECLARE_CLASS(DamageAttributeAbsBaseElemental)

public:
    using PerAttack = CombatAttributeAbsDamageElemental;
    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override
    {
        AddRolled<PerAttack>(acc, level, rng, force, GetType());
    }
};

class DamageAttributeAbsBonus : public DamageAttributeAbs {
    GAME_DECLARE_CLASS(DamageAttributeAbsBonus)

public:
    DamageAttributeAbsBonus() = default;

protected:
    using DamageAttributeAbs::DamageAttributeAbs;
    DamageTextList GetTextList() const override { return DamageTextList::Third; }
};

class DamageAttributeAbsBonusElemental : public DamageAttributeAbsBonus {
    GAME_DECLARE_CLASS(DamageAttributeAbsBonusElemental)

public:
    using PerAttack = CombatAttributeAbsDamageElemental;
    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override
    {
        AddRolled<PerAttack>(acc, level, rng, force, GetType());
    }
};

// Stun, freeze, petrify, trap: the value is the length of the effect in seconds.
class DamageAttributeReflex : public DamageAttributeAbsBonus {
    GAME_DECLARE_CLASS(DamageAttributeReflex)

public:
    using PerAttack = CombatAttributeReflexDamage;

    DamageAttributeReflex() : DamageAttributeAbsBonus("DamageReflexSingleFormat", "DamageReflexRangeFormat") {}

    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override
    {
        AddRolled<PerAttack>(acc, level, rng, force, GetType());
    }
};

// Effects on the victim's behaviour.
class DamageAttributeInfluence : public DamageAttributeAbsBonus {
    GAME_DECLARE_CLASS(DamageAttributeInfluence)

public:
    DamageAttributeInfluence()
        : DamageAttributeAbsBonus("DamageInfluenceSingleFormat", "DamageInfluenceRangeFormat")
    {
    }
};

class DamageAttributeInfluenceHidden : public DamageAttributeInfluence {
    GAME_DECLARE_CLASS(DamageAttributeInfluenceHidden)

public:
    void CreateText(TextList&, TextList&, TextList&, unsigned) const override {}
    void CreateNextText(TextList&, TextList&, TextList&, unsigned, unsigned) const override {}
};

// ---- Damage over time: a value range and a duration range per level -------------------

class DamageAttributeDur : public DamageAttribute {
    GAME_DECLARE_CLASS(DamageAttributeDur)

public:
    using PerAttack = CombatAttributeDurDamage;

    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override
    {
        AddRolled<PerAttack>(acc, level, rng, force, GetType());
    }
    void AddModifierToAccumulator(CombatAttributeAccumulator&, unsigned, RandomUniform&, bool) const override {}
    unsigned GetPasses() const override { return kDamagePass; }
    // Values only: durations keep their values.
    void ScaleAttribute(float percent) override;
    void AddJitter(float percent, RandomUniform* rng) override;
    void GetCostInfo(CostInfo_DamageAttributes& info) const override;

protected:
    DamageAttributeList LoadFromTable(const LoadTable& record) override;
    virtual const char* GetLoadValueMinTag() const = 0;
    virtual const char* GetLoadValueMaxTag() const = 0;
    virtual const char* GetLoadDurationMinTag() const = 0;
    virtual const char* GetLoadDurationMaxTag() const = 0;
    GAME_DAMAGE_ROLL_INLINE float GetValueMin(unsigned level) const { return GetRange(m_values, level).Min(); }
    GAME_DAMAGE_ROLL_INLINE float GetValueMax(unsigned level) const { return GetRangeMax(m_values, level); }
    GAME_DAMAGE_ROLL_INLINE float GetDurationMin(unsigned level) const { return GetRange(m_durations, level).Min(); }
    GAME_DAMAGE_ROLL_INLINE float GetDurationMax(unsigned level) const { return GetRangeMax(m_durations, level); }
    void GetText(std::u16string& line, unsigned level) const override;
    void GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const override;

    // The chance test, the value (multiplied) and the duration (not), then the objects of
    // the family or of the kind.
    template <class Objects>
    GAME_DAMAGE_ROLL_INLINE void AddRolled(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng, bool force,
                   CombatAttributeType type) const
    {
        const float chance = ChanceAt(level);
        if (!PassesChance(acc, chance, force))
            return;
        const float drawn = DrawInRange(rng, m_values, level);
        const float value = MultiplyInRange(drawn, acc.GetChanceMultiplier(chance));
        const float duration = DrawInRange(rng, m_durations, level);
        AddRolledObjects<Objects>(acc, type, value, duration);
    }

    // Texts: nothing without a value or without a duration; nothing at the next level
    // when nothing changes. The totals (value x duration) and the time of damage over
    // time; the value itself and its fixed time for the effects that hold.
    bool HasText(unsigned level) const;
    bool ChangesAt(unsigned level, unsigned nextLevel) const;
    void WriteLine(std::u16string& line, unsigned level, bool holdsValue) const;

    std::vector<DamageValueRange> m_values;
    std::vector<DamageValueRange> m_durations;
};

class DamageAttributeDurBase : public DamageAttributeDur {
    GAME_DECLARE_CLASS(DamageAttributeDurBase)

protected:
    DamageTextList GetTextList() const override { return DamageTextList::Second; }
};

class DamageAttributeDurBaseElemental : public DamageAttributeDurBase {
    GAME_DECLARE_CLASS(DamageAttributeDurBaseElemental)

public:
    using PerAttack = CombatAttributeDurDamageElemental;
    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override
    {
        AddRolled<PerAttack>(acc, level, rng, force, GetType());
    }
};

class DamageAttributeDurBonus : public DamageAttributeDur {
    GAME_DECLARE_CLASS(DamageAttributeDurBonus)

protected:
    DamageTextList GetTextList() const override { return DamageTextList::Third; }
};

class DamageAttributeDurBonusElemental : public DamageAttributeDurBonus {
    GAME_DECLARE_CLASS(DamageAttributeDurBonusElemental)

public:
    using PerAttack = CombatAttributeDurDamageElemental;
    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override
    {
        AddRolled<PerAttack>(acc, level, rng, force, GetType());
    }
};

// Effects whose value holds for the whole duration: slows, ability and resistance
// reductions, fumble.
class DamageAttributeDurFixed : public DamageAttributeDur {
    GAME_DECLARE_CLASS(DamageAttributeDurFixed)

public:
    using PerAttack = CombatAttributeDurFixedDamage;
    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override
    {
        AddRolled<PerAttack>(acc, level, rng, force, GetType());
    }

protected:
    DamageTextList GetTextList() const override { return DamageTextList::Third; }
    void GetText(std::u16string& line, unsigned level) const override;
    void GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const override;
};

// ---- Modifiers of damage of one type, in percent -------------------------------------

class DamageAttributeAbsMod : public DamageAttribute {
    GAME_DECLARE_CLASS(DamageAttributeAbsMod)

public:
    using PerAttack = CombatAttributeAbsDamageMod;

    void AddDamageToAccumulator(CombatAttributeAccumulator&, unsigned, RandomUniform&, bool) const override {}
    unsigned GetPasses() const override { return kModifierPass; }
    // Draws nothing from the generator.
    void AddModifierToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform&,
                                  bool force) const override
    {
        AddRolledModifier<PerAttack>(acc, level, force, GetType());
    }
    void ScaleAttribute(float percent) override;
    void AddJitter(float percent, RandomUniform* rng) override;
    void GetCostInfo(CostInfo_DamageAttributes& info) const override;

protected:
    DamageAttributeList LoadFromTable(const LoadTable& record) override;
    virtual const char* GetLoadModifierTag() const = 0;
    GAME_DAMAGE_ROLL_INLINE float GetModifierValue(unsigned level) const { return PerLevelValue(m_modifiers, level); }
    void GetText(std::u16string& line, unsigned level) const override;
    void GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const override;

    // The chance test, then the modifier (multiplied) as the family's object or the kind's.
    template <class Objects>
    GAME_DAMAGE_ROLL_INLINE void AddRolledModifier(CombatAttributeAccumulator& acc, unsigned level, bool force, CombatAttributeType type) const
    {
        const float chance = ChanceAt(level);
        if (!PassesChance(acc, chance, force))
            return;
        const float modifier = MultiplyInRange(GetModifierValue(level), acc.GetChanceMultiplier(chance));
        if constexpr (std::is_base_of_v<CombatAttribute, Objects>)
            AddDamageModifierObject<Objects>(acc, type, modifier);
        else
            Objects::Add(acc, modifier);
    }

    std::vector<float> m_modifiers;

private:
    void WriteLine(std::u16string& line, unsigned level) const;
};

class DamageAttributeAbsModBase : public DamageAttributeAbsMod {
    GAME_DECLARE_CLASS(DamageAttributeAbsModBase)

protected:
    DamageTextList GetTextList() const override { return DamageTextList::Second; }
};

class DamageAttributeAbsModBonus : public DamageAttributeAbsMod {
    GAME_DECLARE_CLASS(DamageAttributeAbsModBonus)

protected:
    DamageTextList GetTextList() const override { return DamageTextList::Second; }
};

// Modifiers of the value and of the duration of damage over time of one type.
class DamageAttributeDurMod : public DamageAttribute {
    GAME_DECLARE_CLASS(DamageAttributeDurMod)

public:
    void AddDamageToAccumulator(CombatAttributeAccumulator&, unsigned, RandomUniform&, bool) const override {}
    unsigned GetPasses() const override { return kModifierPass; }
    // Draws nothing from the generator; the duration modifier is not multiplied.
    void AddModifierToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                  bool force) const override;
    void ScaleAttribute(float percent) override;
    void AddJitter(float percent, RandomUniform* rng) override;
    void GetCostInfo(CostInfo_DamageAttributes& info) const override;

protected:
    // Fails only when both arrays are empty.
    DamageAttributeList LoadFromTable(const LoadTable& record) override;
    virtual const char* GetLoadModifierTag() const = 0;
    virtual const char* GetLoadDurationModifierTag() const = 0;
    GAME_DAMAGE_ROLL_INLINE float GetModifierValue(unsigned level) const { return PerLevelValue(m_modifiers, level); }
    GAME_DAMAGE_ROLL_INLINE float GetDurationModifierValue(unsigned level) const { return PerLevelValue(m_durationModifiers, level); }
    void GetText(std::u16string& line, unsigned level) const override;
    void GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const override;

    std::vector<float> m_modifiers;
    std::vector<float> m_durationModifiers;

private:
    void WriteLine(std::u16string& line, unsigned level) const;
};

class DamageAttributeDurModBase : public DamageAttributeDurMod {
    GAME_DECLARE_CLASS(DamageAttributeDurModBase)

protected:
    DamageTextList GetTextList() const override { return DamageTextList::Second; }
};

class DamageAttributeDurModBonus : public DamageAttributeDurMod {
    GAME_DECLARE_CLASS(DamageAttributeDurModBonus)

protected:
    DamageTextList GetTextList() const override { return DamageTextList::Third; }
};

}  // namespace GAME
