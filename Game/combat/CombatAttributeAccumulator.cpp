#include "Game/combat/CombatAttributeAccumulator.h"

#include <algorithm>

namespace GAME {

namespace {

// A chance is rolled as a whole number in this range.
constexpr int kChanceDrawMin = 0;
constexpr int kChanceDrawMax = 100;

// An attack gathers a handful of objects in each list: room for them is made at the
// first, rather than growing the list one doubling at a time.
constexpr uint32_t kListStartCapacity = 8;

// Modifier-major: each modifier acts on every target before the next modifier does.
void ApplyModifiers(const CombatAttributeList& modifiers, const CombatAttributeList& targets,
                    CombatAttributeRegion region)
{
    ExecuteEachOnEach(modifiers, targets, region);
}

}  // namespace

CombatAttributeAccumulator::CombatAttributeAccumulator(const CombatAttributeAccumulator& other)
{
    AppendClones(other);
    SetSeed(other.m_seed);
    m_region = other.m_region;
}

CombatAttributeAccumulator::CombatAttributeAccumulator(const CombatAttributeAccumulator& other,
                                                       ReflectionClones clones)
{
    for (const auto& damage : other.m_damages)
        if (!damage->GetFilterForReflectDamage())
            Append(m_damages, Clone(*damage));
    if (clones.defenses) {
        for (const auto& defense : other.m_defenses)
            Append(m_defenses, Clone(*defense));
        for (const auto& modifier : other.m_defenseModifiers)
            Append(m_defenseModifiers, Clone(*modifier));
    }
    SetSeed(other.m_seed);
    m_region = other.m_region;
}

CombatAttributeAccumulator::CombatAttributeAccumulator(CombatAttributeAccumulator&& other) noexcept
    : m_arena(std::move(other.m_arena)), m_randomGen(other.m_randomGen), m_seed(other.m_seed), m_region(other.m_region)
{
    TakeLists(other);
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

CombatAttributeAccumulator& CombatAttributeAccumulator::operator=(CombatAttributeAccumulator&& other) noexcept
{
    if (this == &other)
        return *this;
    const bool holdsNothing = m_damages.empty() && m_damageModifiers.empty() && m_defenses.empty() &&
                              m_defenseModifiers.empty();
    if (holdsNothing) {
        m_arena = std::move(other.m_arena);
        TakeLists(other);
    } else {
        // The other's entries join this one's lists, which may have to grow into the
        // other's storage: take that storage over first.
        m_arena.Adopt(std::move(other.m_arena));
        AppendMoved(m_damages, other.m_damages);
        AppendMoved(m_damageModifiers, other.m_damageModifiers);
        AppendMoved(m_defenses, other.m_defenses);
        AppendMoved(m_defenseModifiers, other.m_defenseModifiers);
    }
    SetSeed(other.m_seed);
    m_region = other.m_region;
    return *this;
}

// ---- Lists --------------------------------------------------------------------------

// The entries move to a larger array in the storage; the old one stays unused until the
// storage is rewound.
void CombatAttributeAccumulator::Grow(CombatAttributeList& list)
{
    const uint32_t capacity = list.m_capacity == 0 ? kListStartCapacity : 2 * list.m_capacity;
    auto* items = static_cast<CombatAttributePtr*>(
        m_arena.Allocate(sizeof(CombatAttributePtr) * capacity, alignof(CombatAttributePtr)));
    for (uint32_t i = 0; i < list.m_size; ++i) {
        new (&items[i]) CombatAttributePtr(std::move(list.m_items[i]));
        list.m_items[i].~CombatAttributePtr();
    }
    list.m_items = items;
    list.m_capacity = capacity;
}

void CombatAttributeAccumulator::AppendMoved(CombatAttributeList& list, CombatAttributeList& other)
{
    for (uint32_t i = 0; i < other.m_size; ++i) {
        Append(list, std::move(other.m_items[i]));
        other.m_items[i].~CombatAttributePtr();
    }
    other = {};
}

void CombatAttributeAccumulator::TakeLists(CombatAttributeAccumulator& other)
{
    m_damages = std::exchange(other.m_damages, {});
    m_damageModifiers = std::exchange(other.m_damageModifiers, {});
    m_defenses = std::exchange(other.m_defenses, {});
    m_defenseModifiers = std::exchange(other.m_defenseModifiers, {});
}

// Made by another accumulator, whose storage may go before this one.
void CombatAttributeAccumulator::CloneFromElsewhere(CombatAttributePtr& attribute)
{
    attribute = Clone(*attribute);
}

void CombatAttributeAccumulator::AppendClones(const CombatAttributeAccumulator& other)
{
    const auto cloneInto = [this](CombatAttributeList& target, const CombatAttributeList& source) {
        for (const auto& attribute : source)
            Append(target, Clone(*attribute));
    };
    cloneInto(m_damages, other.m_damages);
    cloneInto(m_damageModifiers, other.m_damageModifiers);
    cloneInto(m_defenses, other.m_defenses);
    cloneInto(m_defenseModifiers, other.m_defenseModifiers);
}

void CombatAttributeAccumulator::AddDefense(CombatAttributePtr attribute)
{
    if (!attribute)
        return;
    // Only defences of one type merge; a type the list never held skips the walk.
    const CombatAttributeType type = attribute->GetType();
    if (m_defenses.MayHold(type))
        for (const auto& defense : m_defenses)
            if (defense.m_listedType == type && defense->MergeDefense(attribute.get()))
                return;   // merged: the new object is dropped here
    Own(attribute);
    Append(m_defenses, std::move(attribute), type);
}

// ---- Chances ------------------------------------------------------------------------

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

// ---- Stages -------------------------------------------------------------------------

void CombatAttributeAccumulator::ProcessDamage(const Character& side, float percent, float absoluteCut,
                                               float reductionPercent, float reductionAbsolute)
{
    if (m_damages.empty() && m_damageModifiers.empty())
        return;
    ApplyModifiers(m_damageModifiers, m_damages, m_region);
    ClearList(m_damageModifiers);
    for (const auto& damage : m_damages)
        damage->Process(side, percent, absoluteCut, reductionPercent, reductionAbsolute);
}

void CombatAttributeAccumulator::ProcessDefense(Character& side, float percent, float absoluteCut,
                                                float reductionPercent, float reductionAbsolute)
{
    if (m_defenses.empty() && m_defenseModifiers.empty())
        return;
    ApplyModifiers(m_defenseModifiers, m_defenses, m_region);
    ClearList(m_defenseModifiers);
    DefenseCap cap(side);
    for (const auto& defense : m_defenses)
        defense->ProcessDefense(side, percent, absoluteCut, reductionPercent, reductionAbsolute, cap);
}

void CombatAttributeAccumulator::ExecuteDefense()
{
    ApplyModifiers(m_defenses, m_damages, m_region);
    ClearList(m_defenses);
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
        damage->ReduceAbsoluteDamage(damage.m_listedType, percent);
}

void CombatAttributeAccumulator::DamageReductionByShield(Character& defender, float shieldDefense,
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
    uint32_t kept = 0;
    for (uint32_t i = 0; i < m_damages.m_size; ++i) {
        CombatAttributePtr& damage = m_damages.m_items[i];
        if (damage->GetFilterForReflectDamage())
            damage.reset();
        else if (kept != i)
            m_damages.m_items[kept++] = std::move(damage);
        else
            ++kept;
    }
    for (uint32_t i = kept; i < m_damages.m_size; ++i)
        m_damages.m_items[i].~CombatAttributePtr();
    m_damages.m_size = kept;
}

// ---- Totals -------------------------------------------------------------------------

void CombatAttributeAccumulator::GetTotalDamage(float& absolute, float& overTime) const
{
    for (const auto& damage : m_damages)
        damage->GetTotalDamage(absolute, overTime);
}

void CombatAttributeAccumulator::GetTotalDamageType(float& absolute, float& overTime, CombatAttributeType type) const
{
    if (!m_damages.MayHold(type))
        return;
    for (const auto& damage : m_damages)
        if (damage.m_listedType == type)
            damage->GetTotalDamage(absolute, overTime);
}

uint64_t CombatAttributeAccumulator::GetTotalDamageByType(DamageByType& absolute, DamageByType& overTime) const
{
    uint64_t types = 0;
    for (const auto& damage : m_damages) {
        const CombatAttributeType type = damage.m_listedType;
        if (type >= kCombatAttributeTypeCount)
            continue;
        const uint64_t bit = uint64_t{1} << type;
        if ((types & bit) == 0) {
            absolute[type] = 0.0f;
            overTime[type] = 0.0f;
            types |= bit;
        }
        damage->GetTotalDamage(absolute[type], overTime[type]);
    }
    return types;
}

float CombatAttributeAccumulator::GetTotalDefenseType(CombatAttributeType type) const
{
    if (!m_defenses.MayHold(type))
        return 0.0f;
    float absolute = 0.0f;
    float overTime = 0.0f;   // ignored
    for (const auto& defense : m_defenses)
        if (defense.m_listedType == type)
            defense->GetTotalDefense(absolute, overTime);
    return absolute;
}

// ---- Clearing -----------------------------------------------------------------------

void CombatAttributeAccumulator::Clear()
{
    ClearList(m_damages);
    ClearList(m_damageModifiers);
    ClearDefenses();
    // Nothing lives in the storage any more: it starts over (keeping its first block),
    // so an accumulator used again and again does not grow. The lists start over too.
    m_arena.Rewind();
    m_damages = {};
    m_damageModifiers = {};
    m_defenses = {};
    m_defenseModifiers = {};
}

void CombatAttributeAccumulator::ClearDefenses()
{
    ClearList(m_defenses);
    ClearList(m_defenseModifiers);
}

}  // namespace GAME
