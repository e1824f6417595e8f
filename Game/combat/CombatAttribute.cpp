#include "Game/combat/CombatAttribute.h"

#include <algorithm>
#include <cmath>

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/CombatArithmetic.h"
#include "Game/combat/CombatAttributeArena.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/combat/DurationDamageManager.h"

namespace GAME {

// ---- Class information --------------------------------------------------------------

RTTI_ClassInfo CombatAttribute::classInfo("CombatAttribute", nullptr, &CombatAttribute::RTTI_new);
void* CombatAttribute::RTTI_new() { return nullptr; }

// Every kind that can be cloned: its name and the kind it derives from. None is created
// by name, so each registers without a factory.
#define GAME_COMBAT_ATTRIBUTE_KINDS(X)                                                   \
    X(CombatAttributeAbsDamage, CombatAttribute)                                         \
    X(CombatAttributeAbsDamageElemental, CombatAttributeAbsDamage)                       \
    X(CombatAttributeDurDamage, CombatAttribute)                                         \
    X(CombatAttributeDurDamageElemental, CombatAttributeDurDamage)                       \
    X(CombatAttributeDurFixedDamage, CombatAttributeDurDamage)                           \
    X(CombatAttributeReflexDamage, CombatAttributeAbsDamage)                             \
    X(CombatAttributeInfluenceDamage_Taunt, CombatAttributeInfluenceDamage)              \
    X(CombatAttributeInfluenceDamage_Fear, CombatAttributeInfluenceDamage)               \
    X(CombatAttributeInfluenceDamage_Confusion, CombatAttributeInfluenceDamage)          \
    X(CombatAttributeInfluenceDamage_Convert, CombatAttributeInfluenceDamage)            \
    X(CombatAttributeAbsDamage_PercentLife, CombatAttributeAbsDamage)                    \
    X(CombatAttributeAbsDamage_Disruption, CombatAttributeAbsDamage)                     \
    X(CombatAttributeAbsDamage_LifeLeech, CombatAttributeAbsDamage)                      \
    X(CombatAttributeAbsDamage_ManaBurn, CombatAttributeAbsDamage)                       \
    X(CombatAttributeDamage_BasePhysical, CombatAttribute)                               \
    X(CombatAttributeDamage_BonusPhysical, CombatAttribute)                              \
    X(CombatAttributeAbsDamageMod, CombatAttribute)                                      \
    X(CombatAttributeDurDamageMod, CombatAttribute)                                      \
    X(CombatAttributeAbsDefense, CombatAttribute)                                        \
    X(CombatAttributeAbsDefenseRestricted, CombatAttributeAbsDefense)                    \
    X(CombatAttributeDurDefense, CombatAttribute)                                        \
    X(CombatAttributeDefenseMisc, CombatAttribute)                                       \
    X(CombatAttributeAbsDefenseMod, CombatAttribute)                                     \
    X(CombatAttributeDurDefenseMod, CombatAttribute)                                     \
    X(CombatAttributeDefense_AbsorptionProtection, CombatAttribute)

#define GAME_IMPLEMENT_COMBAT_ATTRIBUTE(Class, Parent)                                   \
    GAME_IMPLEMENT_ABSTRACT_CLASS(Class, Parent)                                         \
    std::unique_ptr<CombatAttribute> Class::Clone() const { return std::make_unique<Class>(*this); } \
    CombatAttribute* Class::CloneIn(CombatAttributeArena& arena) const { return arena.Create<Class>(*this); }

GAME_COMBAT_ATTRIBUTE_KINDS(GAME_IMPLEMENT_COMBAT_ATTRIBUTE)
GAME_IMPLEMENT_ABSTRACT_CLASS(CombatAttributeInfluenceDamage, CombatAttributeAbsDamage)

#undef GAME_IMPLEMENT_COMBAT_ATTRIBUTE
#undef GAME_COMBAT_ATTRIBUTE_KINDS

using namespace CombatArithmetic;

namespace {

// What passes a shield block, never below 0.
float ShieldReduced(Character& defender, float value, float shieldDefense, float shieldAbsorption)
{
    return NonNegative(defender.DesignerCalculateShieldBlockDamageReduction(value, shieldDefense, shieldAbsorption));
}

PlayStatsDamageType DamageOfType(CombatAttributeType type) { return {PlayStatsDamageKind_CombatAttributeType, type}; }

constexpr uint64_t kEveryType = ~uint64_t{0};

// The types whose reductions change an amount: its own, and any while it is below 0 (a
// reduction of any type holds it at 0).
uint64_t ReducedBy(float amount, uint64_t types) { return amount < 0.0f ? kEveryType : types; }

}  // namespace

// ---- Base: every operation does nothing -----------------------------------------------

void CombatAttribute::Process(const Character&, float, float, float, float) {}

void CombatAttribute::ProcessDefense(const Character& side, float percent, float absoluteCut, float reductionPercent,
                                     float reductionAbsolute, DefenseCap&)
{
    Process(side, percent, absoluteCut, reductionPercent, reductionAbsolute);
}
float CombatAttribute::ProcessBluntDamageModifier(float) { return 0.0f; }
void CombatAttribute::Execute(Character&) {}
void CombatAttribute::Execute(CombatAttribute*, CombatAttributeRegion) {}
void CombatAttribute::GetTotalDamage(float&, float&) const {}
void CombatAttribute::GetTotalDefense(float&, float&) const {}
void CombatAttribute::ModifyAbsoluteDamage(CombatAttributeType, float) {}
void CombatAttribute::ModifyDurationDamage(CombatAttributeType, float, float) {}
void CombatAttribute::ModifyAbsoluteDefense(CombatAttributeType, float) {}
void CombatAttribute::ModifyDurationDefense(CombatAttributeType, float) {}
void CombatAttribute::ReduceAbsoluteDamage(CombatAttributeType, float) {}
void CombatAttribute::DamageReductionByShield(Character&, float, float) {}
void CombatAttribute::ReduceDurationDamage(CombatAttributeType, float) {}
void CombatAttribute::ScaleDamage(float) {}
bool CombatAttribute::MergeDefense(CombatAttribute*) { return false; }

// ---- One amount of damage -----------------------------------------------------------

void CombatAttributeDamageAmount::Execute(Character& defender)
{
    defender.ApplyDamage(m_damage, DamageOfType(GetType()), GetType());
}

void CombatAttributeDamageAmount::GetTotalDamage(float& absolute, float&) const
{
    absolute = AddInRange(absolute, m_damage);
}

void CombatAttributeDamageAmount::ReduceAbsoluteDamage(CombatAttributeType type, float percent)
{
    m_damage = ReduceWhen(type == GetType(), m_damage, percent);
}

CombatAttributeTypeMask CombatAttributeDamageAmount::GetChangedBy(CombatAttributeReach::Calls calls) const
{
    if (calls != CombatAttributeReach::Calls::DamageReduction)
        return CombatAttribute::GetChangedBy(calls);
    return {ReducedBy(m_damage, CombatAttributeTypeBit(GetType())), 0};
}

void CombatAttributeDamageAmount::DamageReductionByShield(Character& defender, float shieldDefense,
                                                          float shieldAbsorption)
{
    m_damage = ShieldReduced(defender, m_damage, shieldDefense, shieldAbsorption);
}

void CombatAttributeDamageAmount::ScaleDamage(float percent)
{
    m_damage = ScaleByPositivePercent(m_damage, percent);
}

// ---- AbsDamage ----------------------------------------------------------------------

void CombatAttributeAbsDamage::ProcessDamage(const Character& side, float percent, float reductionPercent,
                                             float reductionAbsolute, float (Character::*formula)(float) const)
{
    m_damage = ApplyModifier(m_damage, m_modifier);
    if (percent != 0.0f)
        m_damage = ApplyPercent(m_damage, percent);
    if (formula && m_damage > 0.0f)
        m_damage = (side.*formula)(m_damage);
    m_damage = NonNegative(ApplyReduction(m_damage, reductionPercent, reductionAbsolute));
    m_modifier = 0.0f;
}

void CombatAttributeAbsDamage::Process(const Character& side, float percent, float, float reductionPercent,
                                       float reductionAbsolute)
{
    ProcessDamage(side, percent, reductionPercent, reductionAbsolute, nullptr);
}

void CombatAttributeAbsDamage::ModifyAbsoluteDamage(CombatAttributeType type, float value)
{
    if (type == GetType())
        m_modifier += value;
}

void CombatAttributeAbsDamageElemental::Process(const Character& side, float percent, float,
                                                float reductionPercent, float reductionAbsolute)
{
    ProcessDamage(side, percent, reductionPercent, reductionAbsolute, &Character::DesignerCalculateElementalDamage);
}

// ---- DurDamage ----------------------------------------------------------------------

void CombatAttributeDurDamage::ProcessDamage(const Character& side, float percent, float reductionPercent,
                                             float reductionAbsolute, float (Character::*formula)(float) const)
{
    m_damage = ApplyModifier(m_damage, m_damageModifier);
    if (percent != 0.0f)
        m_damage = ApplyPercent(m_damage, percent);
    if (formula && m_damage > 0.0f)
        m_damage = (side.*formula)(m_damage);
    m_damage = NonNegative(ApplyReduction(m_damage, reductionPercent, reductionAbsolute));
    m_duration = NonNegative(ApplyModifier(m_duration, m_durationModifier));
    m_damageModifier = 0.0f;
    m_durationModifier = 0.0f;
}

void CombatAttributeDurDamage::Process(const Character& side, float percent, float, float reductionPercent,
                                       float reductionAbsolute)
{
    ProcessDamage(side, percent, reductionPercent, reductionAbsolute, nullptr);
}

void CombatAttributeDurDamage::Execute(Character& defender)
{
    defender.GetDurationDamageMgr().AddDamage(GetType(), m_damage, m_duration);
}

void CombatAttributeDurDamage::GetTotalDamage(float&, float& overTime) const
{
    overTime = AddInRange(overTime, m_damage);
}

void CombatAttributeDurDamage::ModifyDurationDamage(CombatAttributeType type, float damage, float duration)
{
    if (type != GetType())
        return;
    m_damageModifier += damage;
    m_durationModifier += duration;
}

void CombatAttributeDurDamage::ReduceDurationDamage(CombatAttributeType type, float percent)
{
    m_duration = ReduceWhen(percent > 0.0f && type == GetType(), m_duration, percent);
}

CombatAttributeTypeMask CombatAttributeDurDamage::GetChangedBy(CombatAttributeReach::Calls calls) const
{
    CombatAttributeTypeMask changedBy = CombatAttributeDamageAmount::GetChangedBy(calls);
    if (calls == CombatAttributeReach::Calls::DamageReduction)
        changedBy.duration = ReducedBy(m_duration, CombatAttributeTypeBit(GetType()));
    return changedBy;
}

void CombatAttributeDurDamageElemental::Process(const Character& side, float percent, float,
                                                float reductionPercent, float reductionAbsolute)
{
    ProcessDamage(side, percent, reductionPercent, reductionAbsolute,
                  &Character::DesignerCalculateElementalDurationDamage);
}

void CombatAttributeDurFixedDamage::Execute(Character& defender)
{
    defender.GetDurationDamageMgr().AddFixedDamage(GetType(), m_damage, m_duration);
}

void CombatAttributeDurFixedDamage::GetTotalDamage(float&, float&) const {}

// ---- Reflexes and influences ----------------------------------------------------------

CombatAttributeReflexDamage::CombatAttributeReflexDamage(CombatAttributeType type, float duration)
    : CombatAttributeAbsDamage(type, duration)
{
    SetFilterForReflect();
}

void CombatAttributeReflexDamage::Execute(Character& defender)
{
    if (m_damage > 0.0f)
        defender.GetDurationDamageMgr().AddFixedDamage(GetType(), kReflexLevel, m_damage);
}

void CombatAttributeReflexDamage::GetTotalDamage(float&, float&) const {}

CombatAttributeInfluenceDamage::CombatAttributeInfluenceDamage(CombatAttributeType type, float value)
    : CombatAttributeAbsDamage(type, value)
{
    SetFilterForReflect();
}

void CombatAttributeInfluenceDamage::GetTotalDamage(float&, float&) const {}

void CombatAttributeInfluenceDamage_Taunt::Execute(Character& defender)
{
    if (m_damage > 0.0f)
        defender.CombatExertInfluenceTaunt(m_damage);
}

void CombatAttributeInfluenceDamage_Fear::Execute(Character& defender)
{
    if (m_damage > 0.0f)
        defender.CombatExertInfluenceFear(SecondsToMs(m_damage));
}

void CombatAttributeInfluenceDamage_Confusion::Execute(Character& defender)
{
    if (m_damage > 0.0f)
        defender.CombatExertInfluenceConfusion(SecondsToMs(m_damage));
}

void CombatAttributeInfluenceDamage_Convert::Process(const Character& side, float percent, float absoluteCut,
                                                     float reductionPercent, float reductionAbsolute)
{
    CombatAttributeAbsDamage::Process(side, percent, absoluteCut, reductionPercent, reductionAbsolute);
    m_attackerId = side.GetObjectId();
}

void CombatAttributeInfluenceDamage_Convert::Execute(Character& defender)
{
    if (m_damage <= 0.0f)
        return;
    const Character* attacker = ObjectManager::Get().GetObject<Character>(m_attackerId);
    if (attacker && attacker->GetCharLevel() + kConvertLevelMargin >= defender.GetCharLevel())
        defender.JoinMe(m_attackerId, SecondsToMs(m_damage), true);
}

// ---- AbsDamage kinds with their own effect ---------------------------------------------

void CombatAttributeAbsDamage_PercentLife::Execute(Character& defender)
{
    if (m_damage > 0.0f)
        defender.ApplyDamage(ApplyPercent(defender.GetCurrentLife(), m_damage),
                             DamageOfType(GetType()), GetType());
}

void CombatAttributeAbsDamage_PercentLife::GetTotalDamage(float&, float&) const {}

void CombatAttributeAbsDamage_PercentLife::ReduceAbsoluteDamage(CombatAttributeType type, float percent)
{
    m_damage = ReduceWhen(type == GetType() || type == CombatAttributeType_Life, m_damage, percent);
}

CombatAttributeTypeMask CombatAttributeAbsDamage_PercentLife::GetChangedBy(CombatAttributeReach::Calls calls) const
{
    if (calls != CombatAttributeReach::Calls::DamageReduction)
        return CombatAttribute::GetChangedBy(calls);
    return {ReducedBy(m_damage, CombatAttributeTypeBit(GetType()) | CombatAttributeTypeBit(CombatAttributeType_Life)),
            0};
}

void CombatAttributeAbsDamage_Disruption::Execute(Character& defender)
{
    if (m_damage > 0.0f)
        defender.CombatAddCooldownDamage(SecondsToMs(m_damage));
}

void CombatAttributeAbsDamage_Disruption::GetTotalDamage(float&, float&) const {}

void CombatAttributeAbsDamage_LifeLeech::Execute(Character& defender)
{
    if (m_damage > 0.0f)
        defender.CombatAddLifeLeechDamage(m_damage);
}

void CombatAttributeAbsDamage_ManaBurn::Execute(Character& defender)
{
    if (m_damage <= 0.0f)
        return;
    const float burnable = ApplyPercent(defender.GetTotalCharAttribute(CharAttributeType_Mana), m_damage);
    const float drained = std::min(defender.GetCurrentMana(), burnable);
    defender.SubtractMana(drained);
    const float damage = ApplyPercent(drained, m_ratio);
    if (damage > 0.0f)
        defender.ApplyDamage(damage, DamageOfType(GetType()), GetType());
}

void CombatAttributeAbsDamage_ManaBurn::GetTotalDamage(float&, float&) const {}

void CombatAttributeAbsDamage_ManaBurn::ModifyAbsoluteDamage(CombatAttributeType type, float value)
{
    if (type == GetType())
        m_ratio += value;
}

void CombatAttributeAbsDamage_ManaBurn::ReduceAbsoluteDamage(CombatAttributeType type, float percent)
{
    m_damage = ReduceWhen(type == GetType() || type == CombatAttributeType_ManaLeach, m_damage, percent);
    if (type == CombatAttributeType_ManaBurnRatio)
        m_ratio = ReduceWhen(true, m_ratio, percent);
}

CombatAttributeTypeMask CombatAttributeAbsDamage_ManaBurn::GetChangedBy(CombatAttributeReach::Calls calls) const
{
    if (calls != CombatAttributeReach::Calls::DamageReduction)
        return CombatAttribute::GetChangedBy(calls);
    return {ReducedBy(m_damage, CombatAttributeTypeBit(GetType()) | CombatAttributeTypeBit(CombatAttributeType_ManaLeach) |
                                    CombatAttributeTypeBit(CombatAttributeType_ManaBurnRatio)),
            0};
}

// ---- Physical -----------------------------------------------------------------------

void CombatAttributeDamage_BasePhysical::Process(const Character& side, float percent, float absoluteCut,
                                                 float reductionPercent, float reductionAbsolute)
{
    m_physical = NonNegative(ApplyModifier(m_physical, m_physicalModifier));
    if (m_physical > 0.0f && m_useFormulas)
        m_physical = side.DesignerCalculatePhysicalDamage(m_physical);

    m_pierceRatio = std::clamp(ApplyModifier(m_pierceRatio, m_pierceRatioModifier), 0.0f, kFullPercent);

    // Move the pierce share of the physical damage over to the pierce damage. It adds to
    // what pierces already: after a first processing the ratio is 0, and a second one must
    // not throw the split pierce damage away.
    const float split = ApplyPercent(m_physical, m_pierceRatio);
    m_physical = NonNegative(m_physical - split);
    m_pierce += split;

    m_pierce = NonNegative(ApplyModifier(m_pierce, m_pierceModifier));
    if (m_pierce > 0.0f && m_useFormulas)
        m_pierce = NonNegative(side.DesignerCalculatePierceDamage(m_pierce));

    if (percent != 0.0f) {
        m_physical = ApplyPercent(m_physical, percent);
        m_pierce = ApplyPercent(m_pierce, percent);
    }
    m_physical -= absoluteCut;
    m_pierce -= absoluteCut;
    m_physical = NonNegative(ApplyReduction(m_physical, reductionPercent, reductionAbsolute));
    m_pierce = NonNegative(ApplyReduction(m_pierce, reductionPercent, reductionAbsolute));

    // The split is done: processing again must not split a second time.
    m_pierceRatio = 0.0f;
    m_physicalModifier = 0.0f;
    m_pierceRatioModifier = 0.0f;
    m_pierceModifier = 0.0f;
}

float CombatAttributeDamage_BasePhysical::ProcessBluntDamageModifier(float modifier)
{
    m_physical = NonNegative(modifier * m_physical);
    m_pierce = NonNegative(modifier * m_pierce);
    return m_physical;
}

void CombatAttributeDamage_BasePhysical::Execute(Character& defender)
{
    if (m_physical > 0.0f)
        m_physical = defender.DesignerCalculatePhysicalDamageDefense(m_physical, m_protection, m_protectionAbsorption, m_bonus);
    if (m_physical > 0.0f)
        defender.ApplyDamage(m_physical, DamageOfType(CombatAttributeType_Physical),
                             CombatAttributeType_Physical);
    if (m_pierce > 0.0f)
        defender.ApplyDamage(m_pierce, DamageOfType(CombatAttributeType_Pierce),
                             CombatAttributeType_Pierce);
}

void CombatAttributeDamage_BasePhysical::GetTotalDamage(float& absolute, float&) const
{
    absolute = AddInRange(absolute, AddInRange(m_physical, m_pierce));
}

void CombatAttributeDamage_BasePhysical::ModifyAbsoluteDamage(CombatAttributeType type, float value)
{
    switch (type) {
    case CombatAttributeType_Physical: m_physicalModifier += value; break;
    case CombatAttributeType_PierceRatio: m_pierceRatioModifier += value; break;
    case CombatAttributeType_Pierce: m_pierceModifier += value; break;
    default: break;
    }
}

void CombatAttributeDamage_BasePhysical::ReduceAbsoluteDamage(CombatAttributeType type, float percent)
{
    switch (type) {
    case CombatAttributeType_Physical: m_physical = ReduceWhen(true, m_physical, percent); break;
    case CombatAttributeType_Pierce: m_pierce = ReduceWhen(true, m_pierce, percent); break;
    case CombatAttributeType_PhysicalPierce:
        m_physical = ReduceWhen(true, m_physical, percent);
        m_pierce = ReduceWhen(true, m_pierce, percent);
        break;
    // Armour hands its numbers over for the physical defence formula.
    case CombatAttributeType_AbsorptionProtection: m_protectionAbsorption += percent; break;
    case CombatAttributeType_Protection: m_protection += percent; break;
    default: break;
    }
}

CombatAttributeTypeMask CombatAttributeDamage_BasePhysical::GetChangedBy(CombatAttributeReach::Calls calls) const
{
    if (calls != CombatAttributeReach::Calls::DamageReduction)
        return CombatAttribute::GetChangedBy(calls);
    constexpr CombatAttributeType kReducedBy[] = {CombatAttributeType_Physical, CombatAttributeType_Pierce,
                                                  CombatAttributeType_PhysicalPierce,
                                                  CombatAttributeType_AbsorptionProtection,
                                                  CombatAttributeType_Protection};
    uint64_t types = 0;
    for (CombatAttributeType type : kReducedBy)
        types |= CombatAttributeTypeBit(type);
    return {types, 0};
}

void CombatAttributeDamage_BasePhysical::DamageReductionByShield(Character& defender, float shieldDefense,
                                                                 float shieldAbsorption)
{
    m_physical = ShieldReduced(defender, m_physical, shieldDefense, shieldAbsorption);
    m_pierce = ShieldReduced(defender, m_pierce, shieldDefense, shieldAbsorption);
}

void CombatAttributeDamage_BasePhysical::ScaleDamage(float percent)
{
    m_physical = ScaleByPositivePercent(m_physical, percent);
    m_pierce = ScaleByPositivePercent(m_pierce, percent);
}

// ---- Damage modifiers ----------------------------------------------------------------------

void CombatAttributeAbsDamageMod::Execute(CombatAttribute* target, CombatAttributeRegion)
{
    if (target)
        target->ModifyAbsoluteDamage(GetType(), m_value);
}

void CombatAttributeDurDamageMod::Execute(CombatAttribute* target, CombatAttributeRegion)
{
    if (target)
        target->ModifyDurationDamage(GetType(), m_damage, m_duration);
}

}  // namespace GAME
