#include "Game/combat/CombatManager.h"

#include <algorithm>
#include <array>
#include <memory>
#include <cmath>
#include <cstdint>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/RecordKept.h"
#include "Game/characters/Character.h"
#include "Game/combat/CombatArithmetic.h"
#include "Game/combat/CombatAttribute.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/CombatFilter.h"
#include "Game/core/Bonus.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

int gLogCombat = 0;

namespace {

using CombatArithmetic::kPercent;

// The formula keys in the order the combat record is read, with the slot each fills.
// "physcialDamageDefenseEquationDLEP" is spelt as every combat record spells it.
struct FormulaKey {
    const char* key;
    CombatFormula slot;
};
constexpr FormulaKey kFormulaKeys[] = {
    {"physicalDamageEquation", CombatFormula_PhysicalDamage},
    {"pierceDamageEquation", CombatFormula_PierceDamage},
    {"elementalDamageEquation", CombatFormula_ElementalDamage},
    {"elementalDurationDamageEquation", CombatFormula_ElementalDurationDamage},
    {"physicalDamageDefenseEquationDGP", CombatFormula_PhysicalDefenseDamageGreater},
    {"physcialDamageDefenseEquationDLEP", CombatFormula_PhysicalDefenseDamageAtMost},
    {"offensiveAbilityEquation", CombatFormula_OffensiveAbility},
    {"defensiveAbilityEquation", CombatFormula_DefensiveAbility},
    {"probabilityToHitEquation", CombatFormula_ProbabilityToHit},
    {"meleeBlockEquation", CombatFormula_MeleeBlock},
    {"projectileBlockEquation", CombatFormula_ProjectileBlock},
    {"shieldDamageReductionEquationDGB", CombatFormula_ShieldReductionDamageGreater},
    {"shieldDamageReductionEquationDLEB", CombatFormula_ShieldReductionDamageAtMost},
    {"normalPTHEquation", CombatFormula_NormalPTH},
};
static_assert(std::size(kFormulaKeys) == CombatFormula_Count);

constexpr const char* kLadderThresholdKeys[CombatManager::kLadderSteps] = {
    "pthThreshold1", "pthThreshold2", "pthThreshold3", "pthThreshold4", "pthThreshold5", "pthThreshold6"};
constexpr const char* kLadderModifierKeys[CombatManager::kLadderSteps] = {
    "pthDamageModifier1", "pthDamageModifier2", "pthDamageModifier3",
    "pthDamageModifier4", "pthDamageModifier5", "pthDamageModifier6"};

// One minus a debuff level in percent.
float Slowed(float value, float percent) { return value * (1.0f - percent * kPercent); }

}  // namespace

CombatManager::CombatManager() = default;
CombatManager::~CombatManager() = default;

void CombatManager::AssignParent(Character* owner)
{
    m_owner = owner;
    m_equipment.AttachParent(owner);
    m_durationDamage.AssignParents(owner, this);
}

void CombatManager::Load(const LoadTable& table)
{
    m_equipment.Load(table);
    m_handHitDamageMin = table.GetFloat("handHitDamageMin", 0.0f);
    m_handHitDamageMax = table.GetFloat("handHitDamageMax", 0.0f);
    m_footHitDamageMin = table.GetFloat("footHitDamageMin", 0.0f);
    m_footHitDamageMax = table.GetFloat("footHitDamageMax", 0.0f);
}

void CombatManager::AttachItemAction(uint32_t itemId, EquipLocations location)
{
    m_equipment.AttachItemAction(itemId, location);
    EquipmentChanged();
}

void CombatManager::DetachItemAction(uint32_t itemId)
{
    m_equipment.DetachItemAction(itemId);
    EquipmentChanged();
}

void CombatManager::EquipmentChanged()
{
    if (m_owner)
        m_owner->GetSkillManager().EquipmentChanged();
}

// ---- The combat record ----------------------------------------------------------------

void CombatManager::LoadRecord(const std::string& recordName)
{
    LoadRecord(ObjectManager::Get().GetRecordOrEmpty(recordName));
}

struct CombatManager::KeptRecord {
    // Reading logged a warning: such a record is read afresh at every load, so that every
    // load logs it.
    bool warned = false;
    std::vector<RegionChance> regionChances;
    uint32_t regionChanceTotal = 0;
    // By position in kFormulaKeys: whether the key gives a text, and the text parsed (null
    // when it does not parse).
    std::array<bool, CombatFormula_Count> written{};
    std::array<std::shared_ptr<const EqNode<float>>, CombatFormula_Count> trees;
    std::array<LadderStep, kLadderSteps> ladder{};
    // By position: the formula as the first combat manager to bind it compiled it, and where
    // that manager was. Every manager binds each name to the same member, so later ones
    // copy the program moved onto themselves instead of compiling the tree again. Filled
    // while binding; the kept records are each thread's own, so no other thread sees it.
    mutable std::array<BoundFormulaModel, CombatFormula_Count> models;
};

namespace {

// The combat records are kept with their records under this.
constexpr char kKeptCombatRecordKind = 0;

}  // namespace

void CombatManager::LoadRecord(const LoadTable& table)
{
    ClearRecord();
    const std::shared_ptr<const KeptRecord> read = GetKeptRecord(table);
    m_regionChances = read->regionChances;
    m_regionChanceTotal = read->regionChanceTotal;
    BindFormulas(*read);
    m_ladder = read->ladder;
}

std::shared_ptr<const CombatManager::KeptRecord> CombatManager::GetKeptRecord(const LoadTable& table)
{
    const auto readRecord = [&table] {
        auto read = std::make_shared<KeptRecord>();
        ReadRegions(table, *read);
        ReadFormulas(table, *read);
        ReadLadder(table, *read);
        return read;
    };
    // A record without keys reads alike every time, and never warns. A character that names
    // no combat record gets the empty table, which no database holds and so keeps nothing:
    // one reading serves every such load.
    if (table.GetKeyCount() == 0) {
        static const std::shared_ptr<const KeptRecord> kEmpty = readRecord();
        return kEmpty;
    }
    if (std::shared_ptr<const void> kept = RecordKept::Find(table, &kKeptCombatRecordKind, 0))
        return std::static_pointer_cast<const KeptRecord>(std::move(kept));
    std::shared_ptr<KeptRecord> read = readRecord();
    if (!read->warned)
        RecordKept::Keep(table, &kKeptCombatRecordKind, 0, read);
    return read;
}

// A record loaded again replaces the first: its regions would otherwise be walked twice
// (and their chances counted twice) and its formulas leaked.
void CombatManager::ClearRecord()
{
    m_regionChances.clear();
    m_regionChanceTotal = 0;
    for (auto& formula : m_formulas)
        formula.reset();
    m_ladder = {};
}

void CombatManager::ReadRegions(const LoadTable& table, KeptRecord& read)
{
    uint64_t total = 0;
    read.regionChances.reserve(kCombatAttributeRegionCount);
    for (uint32_t region = 0; region < kCombatAttributeRegionCount; ++region) {
        const char* key = GetCombatAttributeRegionChanceKey(static_cast<CombatAttributeRegion>(region));
        int chance = table.GetInt(key, 0);
        if (chance < 0) {
            gEngine->Log(LOG_WARNING, "CombatManager: %s in %s is negative (%d); counted as 0", key,
                         table.GetName().c_str(), chance);
            read.warned = true;
            chance = 0;
        }
        total += static_cast<uint32_t>(chance);
        read.regionChances.push_back({static_cast<CombatAttributeRegion>(region), static_cast<uint32_t>(chance)});
    }
    // The region draw is a whole number up to the total: it must fit an int.
    if (total > static_cast<uint64_t>(std::numeric_limits<int>::max())) {
        gEngine->Log(LOG_WARNING, "CombatManager: region chances in %s add up past %d; every hit is FullyProtected",
                     table.GetName().c_str(), std::numeric_limits<int>::max());
        read.warned = true;
        for (RegionChance& entry : read.regionChances)
            entry.chance = 0;
        total = 0;
    }
    read.regionChanceTotal = static_cast<uint32_t>(total);
}

void CombatManager::ReadFormulas(const LoadTable& table, KeptRecord& read)
{
    for (size_t i = 0; i < std::size(kFormulaKeys); ++i) {
        const char* text = table.GetString(kFormulaKeys[i].key, "");
        if (!text || !*text)
            continue;
        read.written[i] = true;
        read.trees[i] = DesignerEquation_Algebra::KeptTree(text);
    }
}

void CombatManager::BindFormulas(const KeptRecord& read)
{
    for (size_t i = 0; i < std::size(kFormulaKeys); ++i) {
        if (!read.written[i])
            continue;
        const FormulaKey& entry = kFormulaKeys[i];
        auto formula = std::make_unique<DesignerEquation_Algebra>();
        if (read.models[i]) {
            read.models[i].CopyTo(*formula, this);
        } else if (!read.trees[i] || !formula->BindTree(*read.trees[i], this)) {
            gEngine->Log(LOG_WARNING, "-=- Combat Manager Equation load failure : %s", entry.key);
            continue;
        } else {
            read.models[i].Keep(*formula, this);
        }
        m_formulas[entry.slot] = std::move(formula);
    }
}

float CombatManager::NonFiniteFormulaResult(CombatFormula formula, float value) const
{
    if (!m_nonFiniteWarned.test(formula)) {
        m_nonFiniteWarned.set(formula);
        const auto entry = std::find_if(std::begin(kFormulaKeys), std::end(kFormulaKeys),
                                        [formula](const FormulaKey& key) { return key.slot == formula; });
        gEngine->Log(LOG_WARNING, "CombatManager: %s gave %f, which counts as 0", entry->key, value);
    }
    return 0.0f;
}

void CombatManager::ReadLadder(const LoadTable& table, KeptRecord& read)
{
    for (int step = 0; step < kLadderSteps; ++step) {
        read.ladder[step].threshold = table.GetFloat(kLadderThresholdKeys[step], 0.0f);
        read.ladder[step].damageModifier = table.GetFloat(kLadderModifierKeys[step], 0.0f);
    }
}

float CombatManager::GetRegionChance(CombatAttributeRegion region) const
{
    for (const RegionChance& entry : m_regionChances)
        if (entry.region == region)
            return static_cast<float>(entry.chance);
    return 0.0f;
}

CombatAttributeRegion CombatManager::PickRegion(RandomUniform& random) const
{
    const uint32_t x = static_cast<uint32_t>(random.IGenerate(1, static_cast<int>(m_regionChanceTotal)));
    uint32_t sum = 0;
    for (const RegionChance& entry : m_regionChances) {
        sum += entry.chance;
        if (sum >= x)
            return entry.region;
    }
    return CombatAttributeRegion_FullyProtected;
}

// ---- Frame and lifecycle -----------------------------------------------------------

void CombatManager::Update(int elapsedMs)
{
    // Held at 0 (and summed wide): a server that runs for weeks without an attack on a
    // character must not wrap its timer round to a long stay in combat.
    m_combatStateTimer = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{m_combatStateTimer} - elapsedMs, 0, std::numeric_limits<int32_t>::max()));
    if (m_combatStateTimer < 1)
        m_combatState = CombatManager_NotInCombat;
    if (m_blockRecoveryTimer > 0)
        m_blockRecoveryTimer -= elapsedMs;
    m_durationDamage.Update(elapsedMs);
}

void CombatManager::ImDying()
{
    m_durationDamage.DelayedClearHack();
    m_combatState = CombatManager_NotInCombat;
    m_combatStateTimer = 0;
}

void CombatManager::AddCombatFilter(CombatFilter* filter)
{
    if (filter && std::find(m_combatFilters.begin(), m_combatFilters.end(), filter) == m_combatFilters.end()) {
        m_combatFilters.push_back(filter);
        ++m_combatFiltersChanged;
    }
}

void CombatManager::RemoveCombatFilter(CombatFilter* filter)
{
    if (std::erase(m_combatFilters, filter) != 0)
        ++m_combatFiltersChanged;
}

void CombatManager::GiveBonus(const Bonus& bonus, uint32_t characterId)
{
    if (Character* character = ObjectManager::Get().GetObject<Character>(characterId))
        character->TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
}

void CombatManager::GetHandHitDamage(CombatAttributeAccumulator& accumulator)
{
    const float damage = accumulator.GetRandomGen().FGenerate(m_handHitDamageMin, m_handHitDamageMax);
    if (damage > 0.0f)
        accumulator.AddDamage(
            accumulator.Make<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Physical, damage, 0.0f, true));
}

void CombatManager::GetHandHitDamage(float& min, float& max) const
{
    min = m_handHitDamageMin;
    max = m_handHitDamageMax;
}

// ---- Debuff contributions ----------------------------------------------------------

float CombatManager::GetRunSpeed(float speed) const { return Slowed(speed, FixedDamage(CombatAttributeType_RunSpeed)); }

float CombatManager::GetAttackSpeed(float speed) const
{
    return Slowed(speed, FixedDamage(CombatAttributeType_AttackSpeed));
}

// Spell casting is slowed by its own debuff (spell-cast slow), not by the attack slow.
float CombatManager::ContributeSpellCastSpeed(float speed) const
{
    return Slowed(speed, FixedDamage(CombatAttributeType_SpellCastSpeed));
}

float CombatManager::ContributeOffensiveAbility(float value) const
{
    return std::max(Slowed(value, FixedDamage(CombatAttributeType_OffensiveAbility)), 0.0f);
}

float CombatManager::ContributeDefensiveAbility(float value) const
{
    return std::max(Slowed(value, FixedDamage(CombatAttributeType_DefensiveAbility)), 0.0f);
}

float CombatManager::ContributeOffensiveReduction() const { return FixedDamage(CombatAttributeType_OffensiveReduction); }
float CombatManager::ContributeDefensiveReduction() const { return FixedDamage(CombatAttributeType_DefensiveReduction); }
float CombatManager::ContributeFumbleDamage() const { return FixedDamage(CombatAttributeType_Fumble); }

float CombatManager::ContributeProjectileFumbleDamage() const
{
    return FixedDamage(CombatAttributeType_ProjectileFumble);
}

float CombatManager::ContributeTotalDamageReductionPercent() const
{
    return FixedDamage(CombatAttributeType_TotalDamageReductionPercent);
}

float CombatManager::ContributeTotalDamageReductionAbsolute() const
{
    return FixedDamage(CombatAttributeType_TotalDamageReductionAbsolute);
}

float CombatManager::ContributeTotalResistanceReductionPercent() const
{
    return FixedDamage(CombatAttributeType_TotalResistanceReductionPercent);
}

float CombatManager::ContributeTotalResistanceReductionAbsolute() const
{
    return FixedDamage(CombatAttributeType_TotalResistanceReductionAbsolute);
}

}  // namespace GAME
