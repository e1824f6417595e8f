// The combat formulas of the combat record, the variables they read, and the rolls of an
// attack that use them: probability to hit, dodge, deflection and shield block.
#include <algorithm>
#include <string_view>

#include "Game/characters/Character.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/CombatTrace.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

namespace {
// A character value that the formulas read as it is at each evaluation.
constexpr int kCharacterLevelKey = -1;   // otherwise the key is a CharAttributeType

float ReadCharacterValue(const void* manager, int key)
{
    const Character* owner = static_cast<const CombatManager*>(manager)->GetCharacter();
    if (!owner)
        return 0.0f;
    if (key == kCharacterLevelKey)
        return static_cast<float>(owner->GetCharLevel());
    return owner->GetTotalCharAttribute(static_cast<CharAttributeType>(key));
}
}  // namespace

float CombatManager::Evaluate(CombatFormula formula, float fallback) const
{
    const DesignerEquation_Algebra* equation = m_formulas[formula].get();
    return equation ? FiniteFormulaResult(formula, (*equation)()) : fallback;
}

// Each name a formula uses is bound once, when the formula loads: the designer variables to
// their fields, the character's values to a read of the character at each evaluation.
DesignerVariableSlot<float> CombatManager::BindDesignerVariable(const char* name)
{
    using Slot = DesignerVariableSlot<float>;
    // Only the slot of the name found is made: every formula of every monster binds its
    // names here while it loads.
    struct Row {
        std::string_view name;
        float DesignerVariables::*field;   // null: the character's value under `key`
        int key;
    };
    static constexpr Row kRows[] = {
        {"physicalDamageDV", &DesignerVariables::physicalDamage, 0},
        {"pierceDamageDV", &DesignerVariables::pierceDamage, 0},
        {"elementalDamageDV", &DesignerVariables::elementalDamage, 0},
        {"sumProtectionDV", &DesignerVariables::sumProtection, 0},
        {"sumAbsorptionDV", &DesignerVariables::sumAbsorption, 0},
        {"bonusDV", &DesignerVariables::bonus, 0},
        {"offensiveAbilityDV", &DesignerVariables::offensiveAbility, 0},
        {"offensiveAbilityModifierDV", &DesignerVariables::offensiveAbilityModifier, 0},
        {"defensiveAbilityDV", &DesignerVariables::defensiveAbility, 0},
        {"defensiveAbilityModifierDV", &DesignerVariables::defensiveAbilityModifier, 0},
        {"strengthDV", nullptr, CharAttributeType_Strength},
        {"dexterityDV", nullptr, CharAttributeType_Dexterity},
        {"intelligenceDV", nullptr, CharAttributeType_Intelligence},
        {"characterLevelDV", nullptr, kCharacterLevelKey},
        {"probabilityToHitDV", &DesignerVariables::probabilityToHit, 0},
        {"blockChanceDV", &DesignerVariables::blockChance, 0},
        {"blockChanceModifierDV", &DesignerVariables::blockChanceModifier, 0},
        {"damageDV", &DesignerVariables::damage, 0},
        {"shieldDefenseDV", &DesignerVariables::shieldDefense, 0},
        {"shieldAbsorptionDV", &DesignerVariables::shieldAbsorption, 0},
    };
    if (!name)
        return Slot::Unknown();
    const std::string_view wanted(name);
    for (const Row& row : kRows)
        if (row.name == wanted)
            return row.field ? Slot::Of(m_vars.*row.field) : Slot::Computed(&ReadCharacterValue, this, row.key);
    return Slot::Unknown();
}

// ---- Damage ------------------------------------------------------------------------

float CombatManager::DesignerCalculatePhysicalDamage(float damage)
{
    m_vars.physicalDamage = damage;
    return Evaluate(CombatFormula_PhysicalDamage, damage);
}

float CombatManager::DesignerCalculatePierceDamage(float damage)
{
    m_vars.pierceDamage = damage;
    return Evaluate(CombatFormula_PierceDamage, damage);
}

float CombatManager::DesignerCalculateElementalDamage(float damage)
{
    m_vars.elementalDamage = damage;
    return Evaluate(CombatFormula_ElementalDamage, damage);
}

float CombatManager::DesignerCalculateElementalDurationDamage(float damage)
{
    m_vars.elementalDamage = damage;
    return Evaluate(CombatFormula_ElementalDurationDamage, damage);
}

// ---- Defence -----------------------------------------------------------------------

float CombatManager::DesignerCalculatePhysicalDamageDefense(float damage, float protection, float protectionAbsorption,
                                                            float bonus)
{
    if (protection <= 0.0f)
        return damage;
    const float absorption = protectionAbsorption / protection;
    m_vars.physicalDamage = damage;
    m_vars.sumProtection = protection + protection * bonus;
    m_vars.sumAbsorption = absorption + absorption * bonus;
    GAME_COMBAT_TRACE("    protection = %f\n", protection);
    GAME_COMBAT_TRACE("    protectionAbsorption = %f\n", protectionAbsorption);
    GAME_COMBAT_TRACE("    absorption = %f\n", absorption);
    GAME_COMBAT_TRACE("    bonus = %f\n", bonus);
    GAME_COMBAT_TRACE("    modified protection = %f\n", m_vars.sumProtection);
    GAME_COMBAT_TRACE("    modified absorption = %f\n", m_vars.sumAbsorption);
    const CombatFormula formula = damage > m_vars.sumProtection ? CombatFormula_PhysicalDefenseDamageGreater
                                                                : CombatFormula_PhysicalDefenseDamageAtMost;
    return std::max(Evaluate(formula, damage), 0.0f);
}

float CombatManager::DesignerCalculateShieldBlockDamageReduction(float damage, float shieldDefense,
                                                                float shieldAbsorption)
{
    m_vars.damage = damage;
    m_vars.shieldDefense = shieldDefense;
    m_vars.shieldAbsorption = shieldAbsorption;
    const bool greater = damage > shieldDefense;
    const CombatFormula formula =
        greater ? CombatFormula_ShieldReductionDamageGreater : CombatFormula_ShieldReductionDamageAtMost;
    if (!m_formulas[formula])
        return damage;
    GAME_COMBAT_TRACE(greater ? "    Shield Block Reduction (Damage > Block)\n"
                              : "    Shield Block Reduction (Damage <= Block)\n");
    const float result = std::max(Evaluate(formula, damage), 0.0f);
    GAME_COMBAT_TRACE("           Damage (%f) Result (%f)\n", damage, result);
    return result;
}

// ---- Abilities and the hit roll ----------------------------------------------------

float CombatManager::DesignerCalculateOffensiveAbility(float bonus)
{
    m_vars.bonus = bonus;
    m_vars.offensiveAbility = m_owner ? m_owner->GetTotalCharAttribute(CharAttributeType_OffensiveAbility) : 0.0f;
    m_vars.offensiveAbilityModifier =
        m_owner ? m_owner->GetTotalCharAttribute(CharAttributeType_OffensiveAbilityModifier) : 0.0f;
    return ContributeOffensiveAbility(Evaluate(CombatFormula_OffensiveAbility, 0.0f));
}

float CombatManager::DesignerCalculateDefensiveAbility(float bonus)
{
    m_vars.bonus = bonus;
    m_vars.defensiveAbility = m_owner ? m_owner->GetTotalCharAttribute(CharAttributeType_DefensiveAbility) : 0.0f;
    m_vars.defensiveAbilityModifier =
        m_owner ? m_owner->GetTotalCharAttribute(CharAttributeType_DefensiveAbilityModifier) : 0.0f;
    return ContributeDefensiveAbility(Evaluate(CombatFormula_DefensiveAbility, 0.0f));
}

float CombatManager::DesignerCalculateProbabilityToHit(float offensiveAbility, float defensiveAbility)
{
    m_vars.offensiveAbility = offensiveAbility;
    m_vars.defensiveAbility = defensiveAbility;
    const float pth = Evaluate(CombatFormula_ProbabilityToHit, 0.0f);
    GAME_COMBAT_TRACE("    PTH Offensive Ability %f\n", offensiveAbility);
    GAME_COMBAT_TRACE("    PTH Defensive Ability %f\n", defensiveAbility);
    GAME_COMBAT_TRACE("    PTH %f\n", pth);
    return pth;
}

float CombatManager::CalculateDamageModifier(float pth, float random)
{
    GAME_COMBAT_TRACE("    PTH %f, Rand Seed %f\n", pth, random);
    if (pth < m_certainHitThreshold) {
        const float roll = random * kPthRollScale;
        GAME_COMBAT_TRACE("    PTH Random Number %f\n", roll);
        if (roll > pth) {
            GAME_COMBAT_TRACE("    PTH Missed Hit\n");
            return 0.0f;
        }
    }
    if (pth <= m_ladder[0].threshold) {
        m_vars.probabilityToHit = pth;
        const float modifier = Evaluate(CombatFormula_NormalPTH, kNormalModifier);
        GAME_COMBAT_TRACE("    PTH Modifier Equation result %f\n", modifier);
        return modifier;
    }
    const float value = pth * random;
    GAME_COMBAT_TRACE("    PTH Random Number %f\n", value);
    GAME_COMBAT_TRACE("    PTH Uber Hit\n");
    const float modifier = LadderModifier(value);
    GAME_COMBAT_TRACE("    PTH Modifier value %f\n", modifier);
    return modifier;
}

// The highest rung whose threshold the value passes, from the sixth down to the second;
// below them all, the first rung's modifier.
float CombatManager::LadderModifier(float value) const
{
    for (int step = kLadderSteps - 1; step > 0; --step)
        if (value > m_ladder[step].threshold)
            return m_ladder[step].damageModifier;
    return m_ladder[0].damageModifier;
}

// ---- Avoidance and block -----------------------------------------------------------

bool CombatManager::RollAvoidance(float chance, RandomUniform& random, const char* caused, const char* notMet)
{
    if (chance <= 0.0f)
        return false;
    const float roll = random.FGenerate(0.0f, kAvoidanceRollMax);
    if (roll < chance) {
        GAME_COMBAT_TRACE(caused, chance);
        return true;
    }
    GAME_COMBAT_TRACE(notMet, chance, roll);
    return false;
}

bool CombatManager::CanIDodgeAttack(RandomUniform& random)
{
    const float chance = m_owner ? m_owner->GetTotalCharAttribute(CharAttributeType_DodgePercent) : 0.0f;
    return RollAvoidance(chance, random, "    ^yDodge Chance (%f) caused a miss\n",
                         "    ^yDodge Chance (%f) not met (%f)\n");
}

bool CombatManager::CanIDeflectProjectile(RandomUniform& random)
{
    const float chance = m_owner ? m_owner->GetTotalCharAttribute(CharAttributeType_DeflectProjectile) : 0.0f;
    return RollAvoidance(chance, random, "    ^yDeflect Projectile Chance (%f) caused a deflection\n",
                         "    ^yDeflect Projectile Chance (%f) not met (%f)\n");
}

bool CombatManager::RollBlock(bool melee, float blockChance, float modifiers, float pth, RandomUniform& random)
{
    m_vars.probabilityToHit = pth;
    m_vars.blockChance = blockChance;
    m_vars.blockChanceModifier = modifiers;
    const float chance = Evaluate(melee ? CombatFormula_MeleeBlock : CombatFormula_ProjectileBlock, 0.0f);
    const float roll = random.FGenerate(kBlockRollMin, kBlockRollMax);
    const char* kind = melee ? "Melee" : "Projectile";
    GAME_COMBAT_TRACE("    %s Block Chance %f\n", kind, blockChance);
    GAME_COMBAT_TRACE("    %s Block Chance Modifiers %f\n", kind, modifiers);
    GAME_COMBAT_TRACE("    %s Block PTH %f\n", kind, pth);
    GAME_COMBAT_TRACE("    %s Block Chance %f, Random Chance (%f)\n", kind, chance, roll);
    const bool blocked = chance >= roll;
    GAME_COMBAT_TRACE("    %s Block %s\n", kind, blocked ? "True" : "False");
    return blocked;
}

bool CombatManager::DesignerCalculateMeleeBlockChance(float blockChance, float modifiers, float pth,
                                                      RandomUniform& random)
{
    return RollBlock(true, blockChance, modifiers, pth, random);
}

bool CombatManager::DesignerCalculateProjectileBlockChance(float blockChance, float modifiers, float pth,
                                                           RandomUniform& random)
{
    return RollBlock(false, blockChance, modifiers, pth, random);
}

}  // namespace GAME
