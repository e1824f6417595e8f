#include "Game/combat/CombatAttributeAccumulator.h"

#include <algorithm>

namespace GAME {

namespace {

// A chance is rolled as a whole number in this range.
constexpr int kChanceDrawMin = 0;
constexpr int kChanceDrawMax = 100;

void CloneInto(CombatAttributeList& target, const CombatAttributeList& source)
{
    target.reserve(target.size() + source.size());
    for (const auto& attribute : source)
        target.push_back(attribute->Clone());
}

// Modifier-major: each modifier acts on every target before the next modifier does.
void ApplyModifiers(const CombatAttributeList& modifiers, const CombatAttributeList& targets,
                    CombatAttributeRegion region)
{
    for (const auto& modifier : modifiers)
        for (const auto& target : targets)
            modifier->Execute(target.get(), region);
}

}  // namespace

CombatAttributeAccumulator::CombatAttributeAccumulator(const CombatAttributeAccumulator& other)
{
    AppendClones(other);
    SetSeed(other.m_seed);
    m_region = other.m_region;
}

CombatAttributeAccumulator& CombatAttributeAccumulator::operator=(const CombatAttributeAccumulator& other)
{
    // Appending its own clones would walk each list while it grows.
    if (this == &other)
        return *this;
    AppendClones(other);
    SetSeed(other.m_seed);
    m_region = other.m_region;
    return *this;
}

CombatAttributeAccumulator::~CombatAttributeAccumulator() = default;

void CombatAttributeAccumulator::AppendClones(const CombatAttributeAccumulator& other)
{
    CloneInto(m_damages, other.m_damages);
    CloneInto(m_damageModifiers, other.m_damageModifiers);
    CloneInto(m_defenses, other.m_defenses);
    CloneInto(m_defenseModifiers, other.m_defenseModifiers);
}

bool CombatAttributeAccumulator::EvaluateChance(float chance)
{
    if (chance == 0.0f)
        return true;
    const int draw = m_randomGen.IGenerate(kChanceDrawMin, kChanceDrawMax);
    return static_cast<float>(draw) <= chance;
}

float CombatAttributeAccumulator::GetChanceMultiplier(float) { return 1.0f; }

void CombatAttributeAccumulator::SetSeed(uint32_t seed)
{
    m_seed = seed;
    m_randomGen.Seed(seed);
}

namespace {
// An attack gathers a handful of objects in each list: room for them is made at the
// first, rather than growing the list one doubling at a time.
constexpr size_t kListStartCapacity = 8;

void Append(CombatAttributeList& list, std::unique_ptr<CombatAttribute> attribute)
{
    if (list.capacity() == 0)
        list.reserve(kListStartCapacity);
    list.push_back(std::move(attribute));
}
}  // namespace

void CombatAttributeAccumulator::AddDamage(std::unique_ptr<CombatAttribute> attribute)
{
    if (attribute)
        Append(m_damages, std::move(attribute));
}

void CombatAttributeAccumulator::AddDamageModifier(std::unique_ptr<CombatAttribute> attribute)
{
    if (attribute)
        Append(m_damageModifiers, std::move(attribute));
}

void CombatAttributeAccumulator::AddDefenseModifier(std::unique_ptr<CombatAttribute> attribute)
{
    if (attribute)
        Append(m_defenseModifiers, std::move(attribute));
}

void CombatAttributeAccumulator::AddDefense(std::unique_ptr<CombatAttribute> attribute)
{
    if (!attribute)
        return;
    for (const auto& defense : m_defenses)
        if (defense->MergeDefense(attribute.get()))
            return;   // merged: the new object is dropped here
    Append(m_defenses, std::move(attribute));
}

void CombatAttributeAccumulator::ProcessDamage(const Character& side, float percent, float absoluteCut,
                                               float reductionPercent, float reductionAbsolute)
{
    ApplyModifiers(m_damageModifiers, m_damages, m_region);
    m_damageModifiers.clear();
    for (const auto& damage : m_damages)
        damage->Process(side, percent, absoluteCut, reductionPercent, reductionAbsolute);
}

void CombatAttributeAccumulator::ProcessDefense(Character& side, float percent, float absoluteCut,
                                                float reductionPercent, float reductionAbsolute)
{
    ApplyModifiers(m_defenseModifiers, m_defenses, m_region);
    m_defenseModifiers.clear();
    for (const auto& defense : m_defenses)
        defense->Process(side, percent, absoluteCut, reductionPercent, reductionAbsolute);
}

void CombatAttributeAccumulator::ExecuteDefense()
{
    ApplyModifiers(m_defenses, m_damages, m_region);
    m_defenses.clear();
}

void CombatAttributeAccumulator::ExecuteDamage(Character& defender)
{
    for (const auto& damage : m_damages)
        damage->Execute(defender);
}

float CombatAttributeAccumulator::ProcessBluntDamageModifier(float modifier)
{
    float sum = 0.0f;
    for (const auto& damage : m_damages)
        sum += damage->ProcessBluntDamageModifier(modifier);
    return sum;
}

void CombatAttributeAccumulator::ReduceDamage(float percent)
{
    for (const auto& damage : m_damages)
        damage->ReduceAbsoluteDamage(damage->GetType(), percent);
}

void CombatAttributeAccumulator::DamageReductionByShield(const Character& defender, float shieldDefense,
                                                         float shieldAbsorption)
{
    for (const auto& damage : m_damages)
        damage->DamageReductionByShield(defender, shieldDefense, shieldAbsorption);
}

void CombatAttributeAccumulator::ScaleDamage(float percent)
{
    if (percent <= 0.0f)
        return;
    for (const auto& damage : m_damages)
        damage->ScaleDamage(percent);
}

void CombatAttributeAccumulator::FilterReflectDamage()
{
    std::erase_if(m_damages, [](const auto& damage) { return damage->GetFilterForReflectDamage(); });
}

void CombatAttributeAccumulator::GetTotalDamage(float& absolute, float& overTime) const
{
    for (const auto& damage : m_damages)
        damage->GetTotalDamage(absolute, overTime);
}

void CombatAttributeAccumulator::GetTotalDamageType(float& absolute, float& overTime, CombatAttributeType type) const
{
    for (const auto& damage : m_damages)
        if (damage->GetType() == type)
            damage->GetTotalDamage(absolute, overTime);
}

uint64_t CombatAttributeAccumulator::GetTotalDamageByType(DamageByType& absolute, DamageByType& overTime) const
{
    uint64_t types = 0;
    for (const auto& damage : m_damages) {
        const CombatAttributeType type = damage->GetType();
        if (type < kCombatAttributeTypeCount) {
            damage->GetTotalDamage(absolute[type], overTime[type]);
            types |= uint64_t{1} << type;
        }
    }
    return types;
}

float CombatAttributeAccumulator::GetTotalDefenseType(CombatAttributeType type) const
{
    float absolute = 0.0f;
    float overTime = 0.0f;   // ignored
    for (const auto& defense : m_defenses)
        if (defense->GetType() == type)
            defense->GetTotalDefense(absolute, overTime);
    return absolute;
}

void CombatAttributeAccumulator::Clear()
{
    m_damages.clear();
    m_damageModifiers.clear();
    ClearDefenses();
}

void CombatAttributeAccumulator::ClearDefenses()
{
    m_defenses.clear();
    m_defenseModifiers.clear();
}

}  // namespace GAME
