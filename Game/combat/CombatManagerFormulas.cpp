// The combat formulas of the combat record, the variables they read, and the rolls of an
// attack that use them: probability to hit, dodge, deflection and shield block.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "Game/characters/Character.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/CombatTrace.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

namespace {
// Equal texts of a known length (4 or more bytes), compared a machine word at a time; the
// last word overlaps the one before it rather than reading past the end.
bool SameText(const char* a, const char* b, size_t length)
{
    const auto word = [](const char* p, auto kind) {
        decltype(kind) value;
        std::memcpy(&value, p, sizeof value);
        return value;
    };
    if (length < sizeof(uint64_t))
        return word(a, uint32_t{}) == word(b, uint32_t{}) &&
               word(a + length - 4, uint32_t{}) == word(b + length - 4, uint32_t{});
    for (size_t at = 0; at + sizeof(uint64_t) < length; at += sizeof(uint64_t))
        if (word(a + at, uint64_t{}) != word(b + at, uint64_t{}))
            return false;
    return word(a + length - 8, uint64_t{}) == word(b + length - 8, uint64_t{});
}
}  // namespace

float CombatManager::Evaluate(CombatFormula formula, float fallback) const
{
    const DesignerEquation_Algebra* equation = m_formulas[formula].get();
    return equation ? FiniteFormulaResult(formula, (*equation)()) : fallback;
}

// Formulas ask for their variables by name at every evaluation.
bool CombatManager::GetDesignerVariable(const char* name, float& value)
{
    enum class From { Variable, Attribute, Level };
    struct Entry {
        std::string_view name;
        From from;
        float DesignerVariables::*variable;
        CharAttributeType attribute;
    };
    static constexpr Entry kEntries[] = {
        {"physicalDamageDV", From::Variable, &DesignerVariables::physicalDamage, {}},
        {"pierceDamageDV", From::Variable, &DesignerVariables::pierceDamage, {}},
        {"elementalDamageDV", From::Variable, &DesignerVariables::elementalDamage, {}},
        {"sumProtectionDV", From::Variable, &DesignerVariables::sumProtection, {}},
        {"sumAbsorptionDV", From::Variable, &DesignerVariables::sumAbsorption, {}},
        {"bonusDV", From::Variable, &DesignerVariables::bonus, {}},
        {"offensiveAbilityDV", From::Variable, &DesignerVariables::offensiveAbility, {}},
        {"offensiveAbilityModifierDV", From::Variable, &DesignerVariables::offensiveAbilityModifier, {}},
        {"defensiveAbilityDV", From::Variable, &DesignerVariables::defensiveAbility, {}},
        {"defensiveAbilityModifierDV", From::Variable, &DesignerVariables::defensiveAbilityModifier, {}},
        {"strengthDV", From::Attribute, nullptr, CharAttributeType_Strength},
        {"dexterityDV", From::Attribute, nullptr, CharAttributeType_Dexterity},
        {"intelligenceDV", From::Attribute, nullptr, CharAttributeType_Intelligence},
        {"characterLevelDV", From::Level, nullptr, {}},
        {"probabilityToHitDV", From::Variable, &DesignerVariables::probabilityToHit, {}},
        {"blockChanceDV", From::Variable, &DesignerVariables::blockChance, {}},
        {"blockChanceModifierDV", From::Variable, &DesignerVariables::blockChanceModifier, {}},
        {"damageDV", From::Variable, &DesignerVariables::damage, {}},
        {"shieldDefenseDV", From::Variable, &DesignerVariables::shieldDefense, {}},
        {"shieldAbsorptionDV", From::Variable, &DesignerVariables::shieldAbsorption, {}},
    };
    // Each name has its own slot, found from its length and its first and fourth letters,
    // so a look-up compares one name only.
    static constexpr size_t kSlots = 64;
    constexpr auto slotOf = [](size_t length, char first, char fourth) {
        return (length * 2 + static_cast<unsigned char>(first) * 15 + static_cast<unsigned char>(fourth)) % kSlots;
    };
    static constexpr auto kBySlot = [slotOf] {
        std::array<int8_t, kSlots> table{};
        table.fill(-1);
        for (size_t i = 0; i < std::size(kEntries); ++i)
            table[slotOf(kEntries[i].name.size(), kEntries[i].name[0], kEntries[i].name[3])] = static_cast<int8_t>(i);
        return table;
    }();
    static_assert(std::count_if(kBySlot.begin(), kBySlot.end(), [](int8_t i) { return i >= 0; }) ==
                      std::ssize(kEntries),
                  "two designer variables share a slot: change slotOf");
    if (!name)
        return false;
    const size_t length = std::strlen(name);
    if (length < 4)
        return false;
    const int8_t index = kBySlot[slotOf(length, name[0], name[3])];
    if (index < 0)
        return false;
    const Entry& entry = kEntries[index];
    if (entry.name.size() != length || !SameText(entry.name.data(), name, length))
        return false;
    switch (entry.from) {
    case From::Variable: value = m_vars.*entry.variable; break;
    case From::Attribute: value = m_owner ? m_owner->GetTotalCharAttribute(entry.attribute) : 0.0f; break;
    case From::Level: value = m_owner ? static_cast<float>(m_owner->GetCharLevel()) : 0.0f; break;
    }
    return true;
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
