// The per-attack combat attributes: one piece of damage, a damage modifier, a defence or a
// defence modifier, living for one attack in its CombatAttributeAccumulator.
//
// Damage and defence attribute classes create them from their record values; the
// accumulator lets modifiers act on their targets, processes each object with the side's
// reductions, lets each defence act on each damage and finally executes each damage on
// the defender. Percentages are plain numbers (25 means 25 percent) applied as x 0.01, in
// float. Times handed to the character are whole milliseconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "Engine/Object.h"
#include "Game/combat/CombatAttributeType.h"

namespace GAME {

class Character;
class CombatAttributeArena;

// One bit per combat attribute type (bit t for type t); a type past the last bit stands
// for every type.
inline uint64_t CombatAttributeTypeBit(CombatAttributeType type)
{
    const auto t = static_cast<uint32_t>(type);
    return t < 64 ? uint64_t{1} << t : ~uint64_t{0};
}

// What one object does to another in Execute(target, region), for the stages that let
// every object of one list act on every object of another: the target's operation it
// calls and the types it passes through that operation's absolute and duration forms.
struct CombatAttributeReach {
    enum class Calls : uint8_t {
        Any,               // anything at all: always executed
        None,              // nothing: never executed
        DamageReduction,   // ReduceAbsoluteDamage, ReduceDurationDamage
        DefenseModifier,   // ModifyAbsoluteDefense, ModifyDurationDefense
    };
    Calls calls = Calls::Any;
    uint64_t absolute = 0;
    uint64_t duration = 0;
};

// The types whose calls of one kind may change an object as it stands: a call of another
// type leaves every byte of it as it was.
struct CombatAttributeTypeMask {
    uint64_t absolute = ~uint64_t{0};
    uint64_t duration = ~uint64_t{0};
};

// Declares the class information of one kind and its clones, which copy type, values
// and current modifiers: on the heap, or into an attack's storage (CombatAttribute.cpp
// defines them from its table of kinds).
#define GAME_DECLARE_COMBAT_ATTRIBUTE(Class)                                 \
    GAME_DECLARE_CLASS(Class)                                                \
public:                                                                      \
    std::unique_ptr<CombatAttribute> Clone() const override;                 \
    CombatAttribute* CloneIn(CombatAttributeArena& arena) const override;    \
                                                                             \
private:

// The defence cap of the side whose defences are processed, asked of the character once
// however many of its defences are held to it.
class DefenseCap {
public:
    explicit DefenseCap(const Character& side) : m_side(side) {}
    DefenseCap(const DefenseCap&) = delete;
    DefenseCap& operator=(const DefenseCap&) = delete;
    float Get();

private:
    const Character& m_side;
    float m_value = 0.0f;
    bool m_read = false;
};

class CombatAttribute {
public:
    explicit CombatAttribute(CombatAttributeType type) : m_type(type) {}
    CombatAttribute(const CombatAttribute&) = default;
    CombatAttribute& operator=(const CombatAttribute&) = delete;
    // Inline and empty, so that letting go of an attack's objects costs one call each.
    virtual ~CombatAttribute() = default;

    // The root of the family's own class tree ("CombatAttribute", no parent): these are
    // not engine objects.
    virtual const RTTI_ClassInfo& GetClassInfo() const { return classInfo; }
    static const RTTI_ClassInfo& GetStaticClassInfo() { return classInfo; }
    template <class T>
    bool IsA() const { return GetClassInfo().IsA(&T::GetStaticClassInfo()); }

    virtual std::unique_ptr<CombatAttribute> Clone() const = 0;
    // The clone placed into the arena; whoever holds it destroys it in place.
    virtual CombatAttribute* CloneIn(CombatAttributeArena& arena) const = 0;
    virtual CombatAttributeType GetType() const { return m_type; }

    // The side's numbers: on the attacker's side a damage percent, the offensive
    // reduction and the total damage reduction percent and absolute; on the defender's
    // side 0, the defensive reduction and the total resistance reduction percent and
    // absolute.
    virtual void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                         float reductionAbsolute);
    // Process for a defence among others of one side, whose cap they share (the
    // accumulator reads it once for all of them). By default, Process.
    virtual void ProcessDefense(const Character& side, float percent, float absoluteCut, float reductionPercent,
                                float reductionAbsolute, DefenseCap& cap);
    virtual float ProcessBluntDamageModifier(float modifier);
    virtual void Execute(Character& defender);
    virtual void Execute(CombatAttribute* target, CombatAttributeRegion region);
    virtual void GetTotalDamage(float& absolute, float& overTime) const;
    virtual void GetTotalDefense(float& absolute, float& overTime) const;
    virtual void ModifyAbsoluteDamage(CombatAttributeType type, float value);
    virtual void ModifyDurationDamage(CombatAttributeType type, float damage, float duration);
    virtual void ModifyAbsoluteDefense(CombatAttributeType type, float value);
    virtual void ModifyDurationDefense(CombatAttributeType type, float value);
    virtual void ReduceAbsoluteDamage(CombatAttributeType type, float percent);
    virtual void DamageReductionByShield(Character& defender, float shieldDefense, float shieldAbsorption);
    virtual void ReduceDurationDamage(CombatAttributeType type, float percent);
    virtual void ScaleDamage(float percent);
    virtual bool GetFilterForReflectDamage() const { return m_filterForReflect; }
    virtual float GetDefense() const { return 0.0f; }
    virtual bool MergeDefense(CombatAttribute* other);
    // What Execute(target, region) does to a target (by default: anything), and which
    // types of such calls may change this object now (by default: every type). A kind
    // that changes what its Execute calls, or what its reductions and modifications react
    // to, answers these for itself; the pairing stages skip only the calls these rule out.
    virtual CombatAttributeReach GetReach() const { return {}; }
    virtual CombatAttributeTypeMask GetChangedBy(CombatAttributeReach::Calls) const { return {}; }

protected:
    static RTTI_ClassInfo classInfo;
    static void* RTTI_new();

    // Kinds that never come back with reflected damage (crowd control, influences).
    void SetFilterForReflect() { m_filterForReflect = true; }

private:
    CombatAttributeType m_type;
    bool m_filterForReflect = false;
};

// ---- Damage -------------------------------------------------------------------------

// What the kinds that carry one amount of damage share: applying it, counting it, and the
// reductions, shield and scaling that act on it. Not a kind of its own: it adds no class
// information, and each kind names its own parent in the class tree.
class CombatAttributeDamageAmount : public CombatAttribute {
public:
    CombatAttributeDamageAmount(CombatAttributeType type, float damage) : CombatAttribute(type), m_damage(damage) {}

    float GetDamage() const { return m_damage; }

    // The type given at construction, for every kind that carries one amount; final, so
    // that the kinds read it without a virtual call.
    CombatAttributeType GetType() const final { return CombatAttribute::GetType(); }
    void Execute(Character& defender) override;
    void GetTotalDamage(float& absolute, float& overTime) const override;
    void ReduceAbsoluteDamage(CombatAttributeType type, float percent) override;
    void DamageReductionByShield(Character& defender, float shieldDefense, float shieldAbsorption) override;
    void ScaleDamage(float percent) override;
    CombatAttributeTypeMask GetChangedBy(CombatAttributeReach::Calls calls) const override;

protected:
    float m_damage;
};

// An absolute amount of damage of its type, applied at once.
class CombatAttributeAbsDamage : public CombatAttributeDamageAmount {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeAbsDamage)

public:
    using CombatAttributeDamageAmount::CombatAttributeDamageAmount;

    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) override;
    void ModifyAbsoluteDamage(CombatAttributeType type, float value) override;

protected:
    // The common processing: modifier, percent, (the elemental formula), reductions.
    void ProcessDamage(const Character& side, float percent, float reductionPercent, float reductionAbsolute,
                       float (Character::*formula)(float) const);

    float m_modifier = 0.0f;
};

class CombatAttributeAbsDamageElemental : public CombatAttributeAbsDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeAbsDamageElemental)

public:
    using CombatAttributeAbsDamage::CombatAttributeAbsDamage;
    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) override;
};

// Damage per second over a duration in seconds, handed to the damage-over-time manager.
class CombatAttributeDurDamage : public CombatAttributeDamageAmount {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeDurDamage)

public:
    CombatAttributeDurDamage(CombatAttributeType type, float damage, float duration)
        : CombatAttributeDamageAmount(type, damage), m_duration(duration)
    {
    }

    float GetDuration() const { return m_duration; }

    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) override;
    void Execute(Character& defender) override;
    void GetTotalDamage(float& absolute, float& overTime) const override;
    void ModifyDurationDamage(CombatAttributeType type, float damage, float duration) override;
    void ReduceDurationDamage(CombatAttributeType type, float percent) override;
    CombatAttributeTypeMask GetChangedBy(CombatAttributeReach::Calls calls) const override;

protected:
    void ProcessDamage(const Character& side, float percent, float reductionPercent, float reductionAbsolute,
                       float (Character::*formula)(float) const);

    float m_duration;
    float m_damageModifier = 0.0f;
    float m_durationModifier = 0.0f;
};

class CombatAttributeDurDamageElemental : public CombatAttributeDurDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeDurDamageElemental)

public:
    using CombatAttributeDurDamage::CombatAttributeDurDamage;
    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) override;
};

// A fixed level (a slow, a reduction) for a duration; never applied as damage.
class CombatAttributeDurFixedDamage : public CombatAttributeDurDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeDurFixedDamage)

public:
    using CombatAttributeDurDamage::CombatAttributeDurDamage;
    void Execute(Character& defender) override;
    void GetTotalDamage(float& absolute, float& overTime) const override;
};

// Stun, freeze, trap, petrify: the value is a duration in seconds at level 1.
class CombatAttributeReflexDamage : public CombatAttributeAbsDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeReflexDamage)

public:
    CombatAttributeReflexDamage(CombatAttributeType type, float duration);
    void Execute(Character& defender) override;
    void GetTotalDamage(float& absolute, float& overTime) const override;
};

// An influence on the defender's mind; each kind executes only for a value above 0.
class CombatAttributeInfluenceDamage : public CombatAttributeAbsDamage {
    GAME_DECLARE_CLASS(CombatAttributeInfluenceDamage)

public:
    CombatAttributeInfluenceDamage(CombatAttributeType type, float value);
    void Execute(Character& defender) override = 0;
    void GetTotalDamage(float& absolute, float& overTime) const override;
};

class CombatAttributeInfluenceDamage_Taunt : public CombatAttributeInfluenceDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeInfluenceDamage_Taunt)

public:
    using CombatAttributeInfluenceDamage::CombatAttributeInfluenceDamage;
    void Execute(Character& defender) override;
};

class CombatAttributeInfluenceDamage_Fear : public CombatAttributeInfluenceDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeInfluenceDamage_Fear)

public:
    using CombatAttributeInfluenceDamage::CombatAttributeInfluenceDamage;
    void Execute(Character& defender) override;
};

class CombatAttributeInfluenceDamage_Confusion : public CombatAttributeInfluenceDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeInfluenceDamage_Confusion)

public:
    using CombatAttributeInfluenceDamage::CombatAttributeInfluenceDamage;
    void Execute(Character& defender) override;
};

// The defender joins the attacker's side for the value in seconds, unless the attacker is
// more than five levels below it.
class CombatAttributeInfluenceDamage_Convert : public CombatAttributeInfluenceDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeInfluenceDamage_Convert)

public:
    using CombatAttributeInfluenceDamage::CombatAttributeInfluenceDamage;
    uint32_t GetAttackerId() const { return m_attackerId; }

    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) override;
    void Execute(Character& defender) override;

private:
    uint32_t m_attackerId = 0;
};

// Damage as a percent of the defender's current life.
class CombatAttributeAbsDamage_PercentLife : public CombatAttributeAbsDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeAbsDamage_PercentLife)

public:
    using CombatAttributeAbsDamage::CombatAttributeAbsDamage;
    void Execute(Character& defender) override;
    void GetTotalDamage(float& absolute, float& overTime) const override;
    void ReduceAbsoluteDamage(CombatAttributeType type, float percent) override;
    CombatAttributeTypeMask GetChangedBy(CombatAttributeReach::Calls calls) const override;
};

// Adds the value in seconds to the cooldown of the defender's skills.
class CombatAttributeAbsDamage_Disruption : public CombatAttributeAbsDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeAbsDamage_Disruption)

public:
    using CombatAttributeAbsDamage::CombatAttributeAbsDamage;
    void Execute(Character& defender) override;
    void GetTotalDamage(float& absolute, float& overTime) const override;
};

// A life-leech percent gathered by the defender's combat manager; counts into the totals.
class CombatAttributeAbsDamage_LifeLeech : public CombatAttributeAbsDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeAbsDamage_LifeLeech)

public:
    using CombatAttributeAbsDamage::CombatAttributeAbsDamage;
    void Execute(Character& defender) override;
};

// Burns a percent of the defender's mana and deals a ratio (percent) of what burnt.
class CombatAttributeAbsDamage_ManaBurn : public CombatAttributeAbsDamage {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeAbsDamage_ManaBurn)

public:
    CombatAttributeAbsDamage_ManaBurn(CombatAttributeType type, float burnPercent, float ratio)
        : CombatAttributeAbsDamage(type, burnPercent), m_ratio(ratio)
    {
    }
    float GetRatio() const { return m_ratio; }

    void Execute(Character& defender) override;
    void GetTotalDamage(float& absolute, float& overTime) const override;
    void ModifyAbsoluteDamage(CombatAttributeType type, float value) override;
    void ReduceAbsoluteDamage(CombatAttributeType type, float percent) override;
    CombatAttributeTypeMask GetChangedBy(CombatAttributeReach::Calls calls) const override;

private:
    float m_ratio;
};

// The weapon's physical hit: physical damage with a share that pierces, armour gathered
// from the defences, and the combat formulas.
class CombatAttributeDamage_BasePhysical : public CombatAttribute {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeDamage_BasePhysical)

public:
    CombatAttributeDamage_BasePhysical(CombatAttributeType type, float physical, float pierceRatio, bool useFormulas)
        : CombatAttribute(type), m_physical(physical), m_pierceRatio(pierceRatio), m_useFormulas(useFormulas)
    {
    }

    float GetPhysical() const { return m_physical; }
    float GetPierce() const { return m_pierce; }
    float GetPierceRatio() const { return m_pierceRatio; }
    float GetProtection() const { return m_protection; }
    float GetProtectionAbsorption() const { return m_protectionAbsorption; }

    CombatAttributeType GetType() const override { return CombatAttributeType_PhysicalPierce; }
    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) override;
    float ProcessBluntDamageModifier(float modifier) override;
    void Execute(Character& defender) override;
    void GetTotalDamage(float& absolute, float& overTime) const override;
    void ModifyAbsoluteDamage(CombatAttributeType type, float value) override;
    void ReduceAbsoluteDamage(CombatAttributeType type, float percent) override;
    void DamageReductionByShield(Character& defender, float shieldDefense, float shieldAbsorption) override;
    void ScaleDamage(float percent) override;
    CombatAttributeTypeMask GetChangedBy(CombatAttributeReach::Calls calls) const override;

private:
    float m_physical;
    float m_pierceRatio;   // percent of the physical damage that pierces
    float m_pierce = 0.0f;
    float m_protectionAbsorption = 0.0f;
    float m_protection = 0.0f;
    float m_bonus = 0.0f;
    float m_physicalModifier = 0.0f;
    float m_pierceRatioModifier = 0.0f;
    float m_pierceModifier = 0.0f;
    bool m_useFormulas;
};

// Bonus physical damage: applied as it stands, without processing.
class CombatAttributeDamage_BonusPhysical : public CombatAttributeDamageAmount {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeDamage_BonusPhysical)

public:
    using CombatAttributeDamageAmount::CombatAttributeDamageAmount;
};

// ---- Damage modifiers ---------------------------------------------------------------

class CombatAttributeAbsDamageMod : public CombatAttribute {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeAbsDamageMod)

public:
    CombatAttributeAbsDamageMod(CombatAttributeType type, float value) : CombatAttribute(type), m_value(value) {}
    void Execute(CombatAttribute* target, CombatAttributeRegion region) override;

private:
    float m_value;
};

class CombatAttributeDurDamageMod : public CombatAttribute {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeDurDamageMod)

public:
    CombatAttributeDurDamageMod(CombatAttributeType type, float damage, float duration)
        : CombatAttribute(type), m_damage(damage), m_duration(duration)
    {
    }
    void Execute(CombatAttribute* target, CombatAttributeRegion region) override;

private:
    float m_damage;
    float m_duration;
};

// ---- Defences -----------------------------------------------------------------------

// What the absolute and duration defences share: a value with its modifier, merged with
// another defence of the same kind and type. Not a kind of its own (no class information).
class CombatAttributeDefenseValue : public CombatAttribute {
public:
    CombatAttributeDefenseValue(CombatAttributeType type, float value) : CombatAttribute(type), m_value(value) {}

    // As for the damage amounts: the type given, read by the kinds without a virtual call.
    CombatAttributeType GetType() const final { return CombatAttribute::GetType(); }
    float GetDefense() const override { return m_value; }
    // A duration defence never merges into an absolute one of the same type, nor the
    // other way round, and restricted defences stay apart from plain ones.
    bool MergeDefense(CombatAttribute* other) override;

protected:
    float m_value;
    float m_modifier = 0.0f;
};

// Reduces damage of its type by its value in percent; may go negative through reductions.
class CombatAttributeAbsDefense : public CombatAttributeDefenseValue {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeAbsDefense)

public:
    using CombatAttributeDefenseValue::CombatAttributeDefenseValue;

    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) override;
    void ProcessDefense(const Character& side, float percent, float absoluteCut, float reductionPercent,
                        float reductionAbsolute, DefenseCap& cap) override;
    void Execute(CombatAttribute* target, CombatAttributeRegion region) override;
    void GetTotalDefense(float& absolute, float& overTime) const override;
    void ModifyAbsoluteDefense(CombatAttributeType type, float value) override;
    CombatAttributeReach GetReach() const override;
    CombatAttributeTypeMask GetChangedBy(CombatAttributeReach::Calls calls) const override;
};

// An absolute defence that the side's reductions do not touch.
class CombatAttributeAbsDefenseRestricted : public CombatAttributeAbsDefense {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeAbsDefenseRestricted)

public:
    using CombatAttributeAbsDefense::CombatAttributeAbsDefense;
    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) final;
    void ProcessDefense(const Character& side, float percent, float absoluteCut, float reductionPercent,
                        float reductionAbsolute, DefenseCap& cap) final;
};

// Shortens damage over time of its type by its value in percent; never below 0.
class CombatAttributeDurDefense : public CombatAttributeDefenseValue {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeDurDefense)

public:
    using CombatAttributeDefenseValue::CombatAttributeDefenseValue;

    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) final;
    void ProcessDefense(const Character& side, float percent, float absoluteCut, float reductionPercent,
                        float reductionAbsolute, DefenseCap& cap) final;
    void Execute(CombatAttribute* target, CombatAttributeRegion region) override;
    void GetTotalDefense(float& absolute, float& overTime) const override;
    void ModifyDurationDefense(CombatAttributeType type, float value) override;
    CombatAttributeReach GetReach() const override;
    CombatAttributeTypeMask GetChangedBy(CombatAttributeReach::Calls calls) const override;
};

// Block modifier and reflect: read as totals by the combat manager, never executed.
class CombatAttributeDefenseMisc : public CombatAttribute {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeDefenseMisc)

public:
    CombatAttributeDefenseMisc(CombatAttributeType type, float value) : CombatAttribute(type), m_value(value) {}

    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) override;
    void GetTotalDefense(float& absolute, float& overTime) const override;
    void ModifyAbsoluteDefense(CombatAttributeType type, float value) override;
    CombatAttributeReach GetReach() const override;
    CombatAttributeTypeMask GetChangedBy(CombatAttributeReach::Calls calls) const override;

private:
    float m_value;
    float m_modifier = 0.0f;
};

// ---- Defence modifiers --------------------------------------------------------------

class CombatAttributeAbsDefenseMod : public CombatAttribute {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeAbsDefenseMod)

public:
    CombatAttributeAbsDefenseMod(CombatAttributeType type, float value) : CombatAttribute(type), m_value(value) {}
    void Execute(CombatAttribute* target, CombatAttributeRegion region) override;
    CombatAttributeReach GetReach() const override;

private:
    float m_value;
};

class CombatAttributeDurDefenseMod : public CombatAttribute {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeDurDefenseMod)

public:
    CombatAttributeDurDefenseMod(CombatAttributeType type, float value) : CombatAttribute(type), m_value(value) {}
    void Execute(CombatAttribute* target, CombatAttributeRegion region) override;
    CombatAttributeReach GetReach() const override;

private:
    float m_value;
};

// ---- Armour -------------------------------------------------------------------------

// One armour piece: protection with an absorption percent, covering one hit region
// (FullyProtected covers all of them).
class CombatAttributeDefense_AbsorptionProtection : public CombatAttribute {
    GAME_DECLARE_COMBAT_ATTRIBUTE(CombatAttributeDefense_AbsorptionProtection)

public:
    CombatAttributeDefense_AbsorptionProtection(float absorption, float protection, CombatAttributeRegion region)
        : CombatAttribute(CombatAttributeType_Unknown), m_absorption(absorption), m_protection(protection), m_region(region)
    {
    }

    float GetAbsorption() const { return m_absorption; }
    float GetProtection() const { return m_protection; }
    CombatAttributeRegion GetRegion() const { return m_region; }

    CombatAttributeType GetType() const override { return CombatAttributeType_AbsorptionProtection; }
    void Process(const Character& side, float percent, float absoluteCut, float reductionPercent,
                 float reductionAbsolute) override;
    void Execute(CombatAttribute* target, CombatAttributeRegion hitRegion) override;
    void GetTotalDefense(float& absolute, float& overTime) const override;
    void ModifyAbsoluteDefense(CombatAttributeType type, float value) override;
    CombatAttributeReach GetReach() const override;
    CombatAttributeTypeMask GetChangedBy(CombatAttributeReach::Calls calls) const override;

private:
    float m_absorption;   // percent
    float m_protection;
    float m_absorptionModifier = 0.0f;
    float m_protectionModifier = 0.0f;
    CombatAttributeRegion m_region;
};

// Every executor acts on every target, executor by executor, in list order: as
// executor->Execute(target, region) for each pair, but without the calls that the
// executor's reach and the target's answer rule out as changing nothing. The targets'
// answers are read before the executors of one kind of call and held while only such
// executors run: those calls only ever narrow them (a negative amount, which reacts to
// every type, is held at 0 by the first reduction that reaches it).
template <class Executors, class Targets>
void ExecuteEachOnEach(const Executors& executors, const Targets& targets, CombatAttributeRegion region)
{
    constexpr size_t kHeldAnswers = 32;
    const size_t count = targets.size();
    if (count == 0 || executors.size() == 0)
        return;
    uint64_t answeredAbsolute[kHeldAnswers];   // written before they are read
    uint64_t answeredDuration[kHeldAnswers];
    bool answered = false;
    CombatAttributeReach::Calls answeredFor = CombatAttributeReach::Calls::Any;
    for (const auto& executor : executors) {
        const CombatAttributeReach reach = count <= kHeldAnswers ? executor->GetReach() : CombatAttributeReach{};
        if (reach.calls == CombatAttributeReach::Calls::None)
            continue;
        if (reach.calls == CombatAttributeReach::Calls::Any) {
            for (const auto& target : targets)
                executor->Execute(target.get(), region);
            answered = false;   // it may have changed anything
            continue;
        }
        if (!answered || answeredFor != reach.calls) {
            for (size_t i = 0; i < count; ++i) {
                const CombatAttributeTypeMask answer = targets[i]->GetChangedBy(reach.calls);
                answeredAbsolute[i] = answer.absolute;
                answeredDuration[i] = answer.duration;
            }
            answered = true;
            answeredFor = reach.calls;
        }
        for (size_t i = 0; i < count; ++i)
            if (((answeredAbsolute[i] & reach.absolute) | (answeredDuration[i] & reach.duration)) != 0)
                executor->Execute(targets[i].get(), region);
    }
}

}  // namespace GAME
