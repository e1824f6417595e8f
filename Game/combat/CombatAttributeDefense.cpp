// The defence kinds of the per-attack combat attributes and their modifiers; the damage
// kinds and the class table are in CombatAttribute.cpp.
#include "Game/characters/Character.h"
#include "Game/combat/CombatArithmetic.h"
#include "Game/combat/CombatAttribute.h"
#include "Game/combat/DamageAttributeArithmetic.h"

namespace GAME {

using namespace CombatArithmetic;

namespace {

// The common start of a defence's processing: its modifier, then the percent (only a
// positive one scales a defence).
float ModifiedDefense(float value, float modifier, float percent)
{
    return ScaleByPositivePercent(ApplyModifier(value, modifier), percent);
}

using Calls = CombatAttributeReach::Calls;

// A defence's reach or answer through one form (absolute or duration) of one kind of call.
CombatAttributeReach Passes(Calls calls, bool absolute, uint64_t types)
{
    return {calls, absolute ? types : 0, absolute ? 0 : types};
}
CombatAttributeTypeMask ChangedThrough(bool absolute, uint64_t types) { return {absolute ? types : 0, absolute ? 0 : types}; }

// Some characters hold their defences below a cap (0: no cap).
float Capped(DefenseCap& cap, float value)
{
    const float limit = cap.Get();
    return limit > 0.0f && value > limit ? limit : value;
}

}  // namespace

float DefenseCap::Get()
{
    if (!m_read) {
        m_value = m_side.GetDefenseAttributeCap();
        m_read = true;
    }
    return m_value;
}

// ---- Defence values -----------------------------------------------------------------

bool CombatAttributeDefenseValue::MergeDefense(CombatAttribute* other)
{
    // One kind would vanish into the other (a cold duration reduction turning into cold
    // resistance, or the other way round): only the same kind and type merge.
    if (!other || other->GetType() != GetType() || !other->GetClassInfo().IsSame(&GetClassInfo()))
        return false;
    // Record values near the ends of the float range hold there rather than turning
    // infinite when several sources of one defence add up.
    m_value = AddInRange(m_value, other->GetDefense());
    return true;
}

// ---- AbsDefense ---------------------------------------------------------------------

void CombatAttributeAbsDefense::Process(const Character& side, float percent, float absoluteCut,
                                        float reductionPercent, float reductionAbsolute)
{
    DefenseCap cap(side);
    CombatAttributeAbsDefense::ProcessDefense(side, percent, absoluteCut, reductionPercent, reductionAbsolute, cap);
}

void CombatAttributeAbsDefense::ProcessDefense(const Character&, float percent, float, float reductionPercent,
                                               float reductionAbsolute, DefenseCap& cap)
{
    // No lower bound: a defence reduced below 0 makes the damage it meets larger.
    m_value = ApplyReduction(ModifiedDefense(m_value, m_modifier, percent), reductionPercent, reductionAbsolute);
    m_modifier = 0.0f;
    m_value = Capped(cap, m_value);
}

void CombatAttributeAbsDefense::Execute(CombatAttribute* target, CombatAttributeRegion)
{
    if (target)
        target->ReduceAbsoluteDamage(GetType(), m_value);
}

void CombatAttributeAbsDefense::GetTotalDefense(float& absolute, float&) const
{
    absolute = AddInRange(absolute, m_value);
}

void CombatAttributeAbsDefense::ModifyAbsoluteDefense(CombatAttributeType type, float value)
{
    if (type == GetType())
        m_modifier += value;
}

CombatAttributeReach CombatAttributeAbsDefense::GetReach() const
{
    return Passes(Calls::DamageReduction, true, CombatAttributeTypeBit(GetType()));
}

CombatAttributeTypeMask CombatAttributeAbsDefense::GetChangedBy(Calls calls) const
{
    return calls == Calls::DefenseModifier ? ChangedThrough(true, CombatAttributeTypeBit(GetType()))
                                           : CombatAttribute::GetChangedBy(calls);
}

void CombatAttributeAbsDefenseRestricted::Process(const Character& side, float percent, float, float, float)
{
    CombatAttributeAbsDefense::Process(side, percent, 0.0f, 0.0f, 0.0f);
}

void CombatAttributeAbsDefenseRestricted::ProcessDefense(const Character& side, float percent, float, float, float,
                                                         DefenseCap& cap)
{
    CombatAttributeAbsDefense::ProcessDefense(side, percent, 0.0f, 0.0f, 0.0f, cap);
}

// ---- DurDefense ---------------------------------------------------------------------

void CombatAttributeDurDefense::Process(const Character& side, float percent, float absoluteCut,
                                        float reductionPercent, float reductionAbsolute)
{
    DefenseCap cap(side);
    ProcessDefense(side, percent, absoluteCut, reductionPercent, reductionAbsolute, cap);
}

void CombatAttributeDurDefense::ProcessDefense(const Character&, float percent, float, float, float, DefenseCap& cap)
{
    m_value = NonNegative(ModifiedDefense(m_value, m_modifier, percent));
    m_modifier = 0.0f;
    m_value = Capped(cap, m_value);
}

void CombatAttributeDurDefense::Execute(CombatAttribute* target, CombatAttributeRegion)
{
    if (target)
        target->ReduceDurationDamage(GetType(), m_value);
}

void CombatAttributeDurDefense::GetTotalDefense(float&, float& overTime) const
{
    overTime = AddInRange(overTime, m_value);
}

void CombatAttributeDurDefense::ModifyDurationDefense(CombatAttributeType type, float value)
{
    if (type == GetType())
        m_modifier += value;
}

CombatAttributeReach CombatAttributeDurDefense::GetReach() const
{
    return Passes(Calls::DamageReduction, false, CombatAttributeTypeBit(GetType()));
}

CombatAttributeTypeMask CombatAttributeDurDefense::GetChangedBy(Calls calls) const
{
    return calls == Calls::DefenseModifier ? ChangedThrough(false, CombatAttributeTypeBit(GetType()))
                                           : CombatAttribute::GetChangedBy(calls);
}

// ---- DefenseMisc --------------------------------------------------------------------

void CombatAttributeDefenseMisc::Process(const Character&, float percent, float, float reductionPercent,
                                         float reductionAbsolute)
{
    m_value = ApplyReduction(ModifiedDefense(m_value, m_modifier, percent), reductionPercent, reductionAbsolute);
    m_modifier = 0.0f;
}

void CombatAttributeDefenseMisc::GetTotalDefense(float& absolute, float&) const
{
    absolute = AddInRange(absolute, m_value);
}

void CombatAttributeDefenseMisc::ModifyAbsoluteDefense(CombatAttributeType type, float value)
{
    if (type == GetType())
        m_modifier += value;
}

// Read as a total, never executed on damage.
CombatAttributeReach CombatAttributeDefenseMisc::GetReach() const { return {Calls::None}; }

CombatAttributeTypeMask CombatAttributeDefenseMisc::GetChangedBy(Calls calls) const
{
    return calls == Calls::DefenseModifier ? ChangedThrough(true, CombatAttributeTypeBit(GetType()))
                                           : CombatAttribute::GetChangedBy(calls);
}

// ---- Armour -------------------------------------------------------------------------

void CombatAttributeDefense_AbsorptionProtection::Process(const Character&, float percent, float absoluteCut,
                                                          float reductionPercent, float reductionAbsolute)
{
    m_absorption = ApplyModifier(m_absorption, m_absorptionModifier);
    m_protection = ModifiedDefense(m_protection, m_protectionModifier, percent);
    m_protection -= absoluteCut;
    m_protection = ApplyReduction(m_protection, reductionPercent, reductionAbsolute);
    m_absorptionModifier = 0.0f;
    m_protectionModifier = 0.0f;
}

void CombatAttributeDefense_AbsorptionProtection::Execute(CombatAttribute* target, CombatAttributeRegion hitRegion)
{
    // A piece covers its own region only; FullyProtected on either side covers all.
    const bool covers = m_region == CombatAttributeRegion_FullyProtected ||
                        hitRegion == CombatAttributeRegion_FullyProtected || m_region == hitRegion;
    if (!target || !covers)
        return;
    target->ReduceAbsoluteDamage(CombatAttributeType_AbsorptionProtection, ApplyPercent(m_protection, m_absorption));
    target->ReduceAbsoluteDamage(CombatAttributeType_Protection, m_protection);
}

void CombatAttributeDefense_AbsorptionProtection::GetTotalDefense(float& absolute, float&) const
{
    absolute = AddInRange(absolute, m_protection);
}

void CombatAttributeDefense_AbsorptionProtection::ModifyAbsoluteDefense(CombatAttributeType type, float value)
{
    if (type == CombatAttributeType_Absorption)
        m_absorptionModifier += value;
    else if (type == CombatAttributeType_Protection)
        m_protectionModifier += value;
}

CombatAttributeReach CombatAttributeDefense_AbsorptionProtection::GetReach() const
{
    return Passes(Calls::DamageReduction, true,
                  CombatAttributeTypeBit(CombatAttributeType_AbsorptionProtection) |
                      CombatAttributeTypeBit(CombatAttributeType_Protection));
}

CombatAttributeTypeMask CombatAttributeDefense_AbsorptionProtection::GetChangedBy(Calls calls) const
{
    if (calls != Calls::DefenseModifier)
        return CombatAttribute::GetChangedBy(calls);
    return ChangedThrough(true, CombatAttributeTypeBit(CombatAttributeType_Absorption) |
                                    CombatAttributeTypeBit(CombatAttributeType_Protection));
}

// ---- Defence modifiers --------------------------------------------------------------

void CombatAttributeAbsDefenseMod::Execute(CombatAttribute* target, CombatAttributeRegion)
{
    if (target)
        target->ModifyAbsoluteDefense(GetType(), m_value);
}

void CombatAttributeDurDefenseMod::Execute(CombatAttribute* target, CombatAttributeRegion)
{
    if (target)
        target->ModifyDurationDefense(GetType(), m_value);
}

CombatAttributeReach CombatAttributeAbsDefenseMod::GetReach() const
{
    return Passes(Calls::DefenseModifier, true, CombatAttributeTypeBit(GetType()));
}

CombatAttributeReach CombatAttributeDurDefenseMod::GetReach() const
{
    return Passes(Calls::DefenseModifier, false, CombatAttributeTypeBit(GetType()));
}

}  // namespace GAME
