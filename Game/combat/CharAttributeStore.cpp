#include "Game/combat/CharAttributeStore.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <span>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/combat/RecordKindHits.h"

namespace GAME {

namespace {

// The item record's values of most kinds jitter by this percent.
constexpr float kJ = 20.0f;

// Loads one class from the record and the optional prefix and suffix records; it stays
// when it holds anything, or always with `keep`, and is then jittered by `jitter`. A
// class the records lack allocates nothing. `hits`, when given, notes for each of the
// three records whether it gives the class anything on its own (values, or a bonus
// before jitter).
template <class T>
void LoadCharAttribute(CharAttributeStore& store, const LoadTable& record, const LoadTable* prefix,
                       const LoadTable* suffix, float jitter, bool keep, RecordKindHits* hits)
{
    if (hits) {
        if (hits[0].IsNoting()) {
            T probe;
            probe.LoadBaseTable(record);
            hits[0].Note(probe.IsNotEmpty());
        }
        for (int i = 1; i < 3; ++i) {
            if (hits[i].IsNoting()) {
                T probe;
                if (i == 1)
                    probe.LoadPrefixTable(*prefix, nullptr);
                else
                    probe.LoadSuffixTable(*suffix, nullptr);
                hits[i].Note(probe.IsNotEmpty());
            }
        }
    }
    T attribute;
    attribute.LoadBaseTable(record);
    if (prefix)
        attribute.LoadPrefixTable(*prefix, store.GetRandomGen());
    if (suffix)
        attribute.LoadSuffixTable(*suffix, store.GetRandomGen());
    if (!keep && !attribute.IsNotEmpty())
        return;
    if (jitter > 0.0f)
        attribute.AddJitter(jitter, store.GetRandomGen());
    store.AddToStore(std::make_unique<T>(std::move(attribute)));
}

// One step of a load order: the class, the jitter of the item record's values, and
// whether it stays when empty.
struct LoadStep {
    void (*load)(CharAttributeStore&, const LoadTable&, const LoadTable*, const LoadTable*, float, bool,
                 RecordKindHits*);
    float jitter = 0.0f;
    bool keep = false;
};

template <class T>
constexpr LoadStep Step(float jitter = 0.0f, bool keep = false)
{
    return {&LoadCharAttribute<T>, jitter, keep};
}

constexpr bool kKeep = true;

// A class none of the records names loads nothing (its bonuses are 0 and draw nothing):
// unless it stays when empty, it is not tried again on records seen without it.
void Run(CharAttributeStore& store, std::span<const LoadStep> steps, const LoadTable& record, const LoadTable* prefix,
         const LoadTable* suffix)
{
    const LoadTable* records[] = {&record, prefix, suffix};
    RecordKindHits hits[] = {{records[0], steps.data()}, {records[1], steps.data()}, {records[2], steps.data()}};
    for (size_t index = 0; index < steps.size(); ++index) {
        const LoadStep& step = steps[index];
        if (step.keep || hits[0].MayHold(index) || hits[1].MayHold(index) || hits[2].MayHold(index))
            step.load(store, record, prefix, suffix, step.jitter, step.keep, hits);
    }
    for (RecordKindHits& each : hits)
        each.Keep(steps.size());
}

// The 21 requirement reductions, in load order; `jitter` for each.
#define GAME_REQUIREMENT_REDUCTION_STEPS(jitter)                   \
    Step<CharAttributeVal_WeaponStrengthReqReduction>(jitter),     \
    Step<CharAttributeVal_WeaponDexterityReqReduction>(jitter),    \
    Step<CharAttributeVal_WeaponIntelligenceReqReduction>(jitter), \
    Step<CharAttributeVal_MeleeStrengthReqReduction>(jitter),      \
    Step<CharAttributeVal_MeleeDexterityReqReduction>(jitter),     \
    Step<CharAttributeVal_MeleeIntelligenceReqReduction>(jitter),  \
    Step<CharAttributeVal_ArmorStrengthReqReduction>(jitter),      \
    Step<CharAttributeVal_ArmorDexterityReqReduction>(jitter),     \
    Step<CharAttributeVal_ArmorIntelligenceReqReduction>(jitter),  \
    Step<CharAttributeVal_JewelryStrengthReqReduction>(jitter),    \
    Step<CharAttributeVal_JewelryDexterityReqReduction>(jitter),   \
    Step<CharAttributeVal_JewelryIntelligenceReqReduction>(jitter),\
    Step<CharAttributeVal_ShieldStrengthReqReduction>(jitter),     \
    Step<CharAttributeVal_ShieldDexterityReqReduction>(jitter),    \
    Step<CharAttributeVal_ShieldIntelligenceReqReduction>(jitter), \
    Step<CharAttributeVal_HuntingStrengthReqReduction>(jitter),    \
    Step<CharAttributeVal_HuntingDexterityReqReduction>(jitter),   \
    Step<CharAttributeVal_HuntingIntelligenceReqReduction>(jitter),\
    Step<CharAttributeVal_StaffStrengthReqReduction>(jitter),      \
    Step<CharAttributeVal_StaffDexterityReqReduction>(jitter),     \
    Step<CharAttributeVal_StaffIntelligenceReqReduction>(jitter)

constexpr LoadStep kBioOrder[] = {
    Step<CharAttributeVal_Strength>(0, kKeep),
    Step<CharAttributeVal_Intelligence>(0, kKeep),
    Step<CharAttributeVal_Dexterity>(0, kKeep),
    Step<CharAttributeVal_Life>(0, kKeep),
    Step<CharAttributeVal_LifeRegen>(),
    Step<CharAttributeVal_Mana>(0, kKeep),
    Step<CharAttributeVal_ManaRegen>(),
    Step<CharAttributeVal_AttackSpeed>(),
    Step<CharAttributeVal_SpellCastSpeed>(),
    Step<CharAttributeVal_RunSpeed>(),
    Step<CharAttributeVal_OffensiveAbility>(),
    Step<CharAttributeVal_DefensiveAbility>(),
};
static_assert(std::size(kBioOrder) == 12);

constexpr LoadStep kSkillOrder[] = {
    Step<CharAttributeVal_Strength>(),
    Step<CharAttributeMod_Strength>(),
    Step<CharAttributeVal_Intelligence>(),
    Step<CharAttributeMod_Intelligence>(),
    Step<CharAttributeVal_Dexterity>(),
    Step<CharAttributeMod_Dexterity>(),
    Step<CharAttributeVal_Life>(),
    Step<CharAttributeMod_Life>(),
    Step<CharAttributeVal_LifeRegen>(),
    Step<CharAttributeMod_LifeRegen>(),
    Step<CharAttributeVal_Mana>(),
    Step<CharAttributeMod_Mana>(),
    Step<CharAttributeVal_ManaRegen>(),
    Step<CharAttributeMod_ManaRegen>(),
    Step<CharAttributeVal_ManaLimitReserveReduction>(),
    Step<CharAttributeMod_ManaLimitReserveReduction>(),
    Step<CharAttributeVal_OffensiveAbility>(),
    Step<CharAttributeVal_OffensiveAbilityModifier>(),
    Step<CharAttributeVal_DefensiveAbility>(),
    Step<CharAttributeVal_DefensiveAbilityModifier>(),
    Step<CharAttributeMod_TotalSpeed>(),
    Step<CharAttributeVal_RunSpeed>(),
    Step<CharAttributeMod_RunSpeed>(),
    Step<CharAttributeVal_AttackSpeed>(),
    Step<CharAttributeMod_AttackSpeed>(),
    Step<CharAttributeVal_SpellCastSpeed>(),
    Step<CharAttributeMod_SpellCastSpeed>(),
    Step<CharAttributeVal_DefensiveBlockRecoveryReduction>(),
    Step<CharAttributeVal_EnergyAbsorptionPercent>(),
    Step<CharAttributeVal_DodgePercent>(),
    Step<CharAttributeVal_DeflectProjectile>(),
    Step<CharAttributeVal_GlobalReqReduction>(),
    GAME_REQUIREMENT_REDUCTION_STEPS(0),
    Step<CharAttributeVal_LevelReqReduction>(),
    Step<CharAttributeVal_IncreasedExperience>(),
};
static_assert(std::size(kSkillOrder) == 55);

constexpr LoadStep kSkillPenaltyOrder[] = {
    Step<CharAttributeVal_ManaLimitReserve>(),
    Step<CharAttributeMod_ManaLimitReserve>(),
};

// After the base attack speed. Life, the regenerations and the speed values of the item
// record are not jittered; mana is.
constexpr LoadStep kEquipmentOrder[] = {
    Step<CharAttributeVal_Strength>(kJ),
    Step<CharAttributeMod_Strength>(kJ),
    Step<CharAttributeVal_Intelligence>(kJ),
    Step<CharAttributeMod_Intelligence>(kJ),
    Step<CharAttributeVal_Dexterity>(kJ),
    Step<CharAttributeMod_Dexterity>(kJ),
    Step<CharAttributeVal_Life>(0),
    Step<CharAttributeMod_Life>(kJ),
    Step<CharAttributeVal_LifeRegen>(0),
    Step<CharAttributeMod_LifeRegen>(kJ),
    Step<CharAttributeVal_Mana>(kJ),
    Step<CharAttributeMod_Mana>(kJ),
    Step<CharAttributeVal_ManaRegen>(0),
    Step<CharAttributeMod_ManaRegen>(kJ),
    Step<CharAttributeVal_ManaLimitReserve>(kJ),
    Step<CharAttributeMod_ManaLimitReserve>(kJ),
    Step<CharAttributeVal_ManaLimitReserveReduction>(kJ),
    Step<CharAttributeMod_ManaLimitReserveReduction>(kJ),
    Step<CharAttributeVal_OffensiveAbility>(kJ),
    Step<CharAttributeVal_OffensiveAbilityModifier>(kJ),
    Step<CharAttributeVal_DefensiveAbility>(kJ),
    Step<CharAttributeVal_DefensiveAbilityModifier>(kJ),
    Step<CharAttributeMod_TotalSpeed>(kJ),
    Step<CharAttributeVal_AttackSpeed>(0),
    Step<CharAttributeMod_AttackSpeed>(kJ),
    Step<CharAttributeVal_SpellCastSpeed>(0),
    Step<CharAttributeMod_SpellCastSpeed>(kJ),
    Step<CharAttributeVal_RunSpeed>(0),
    Step<CharAttributeMod_RunSpeed>(kJ),
    Step<CharAttributeVal_DefensiveBlockRecoveryReduction>(kJ),
    Step<CharAttributeVal_EnergyAbsorptionPercent>(kJ),
    Step<CharAttributeVal_DodgePercent>(kJ),
    Step<CharAttributeVal_DeflectProjectile>(kJ),
    Step<CharAttributeVal_GlobalReqReduction>(0),
    GAME_REQUIREMENT_REDUCTION_STEPS(0),
    Step<CharAttributeVal_LevelReqReduction>(0),
    Step<CharAttributeVal_IncreasedExperience>(0),
};
static_assert(std::size(kEquipmentOrder) == 57, "an item loads 57 classes after its base attack speed");

#undef GAME_REQUIREMENT_REDUCTION_STEPS

constexpr LoadStep kBaseAttackSpeed = Step<CharAttributeVal_BaseAttackSpeed>(0, kKeep);

}  // namespace

// ---- The store ----------------------------------------------------------------------

CharAttributeStore::~CharAttributeStore() = default;

void CharAttributeStore::CreateText(TextList& baseLines, TextList& bonusLines, unsigned level) const
{
    for (const auto& attribute : m_attributes)
        attribute->CreateText(level, baseLines, bonusLines);
}

void CharAttributeStore::CreateNextText(TextList& baseLines, TextList& bonusLines, unsigned level,
                                        unsigned nextLevel) const
{
    for (const auto& attribute : m_attributes)
        attribute->CreateNextText(level, nextLevel, baseLines, bonusLines);
}

void CharAttributeStore::AddToStore(std::unique_ptr<CharAttribute> attribute)
{
    m_attributes.Add(std::move(attribute));
}

void CharAttributeStore::AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const
{
    for (const auto& attribute : m_attributes)
        attribute->AddToAccumulator(acc, level);
}

void CharAttributeStore::ScaleAttributes(float percent)
{
    ScaleEach(percent);
}

size_t CharAttributeStore::GetLevelCount() const
{
    size_t levels = 0;
    for (const auto& attribute : m_attributes)
        levels = std::max(levels, attribute->GetLevelCount());
    return levels;
}

// ---- The flat contribution ------------------------------------------------------------

static_assert(kCharAttributeTypeCount <= 256, "a contribution keeps a type in one byte");

void CharAttributeContribution::Clear()
{
    m_inlineCount = 0;
    m_more.clear();
}

void CharAttributeContribution::Append(uint32_t place, float amount)
{
    if (m_inlineCount < kInline) {
        m_inlinePlaces[m_inlineCount] = static_cast<uint8_t>(place);
        m_inlineAmounts[m_inlineCount++] = amount;
    } else {
        m_more.push_back({static_cast<uint8_t>(place), amount});
    }
}

void CharAttributeContribution::Build(const CharAttributeStore& store, unsigned level)
{
    Clear();
    CharAttributeAccumulator one;
    for (const auto& attribute : store.GetAttributes()) {
        // An attribute may add to several types (the speeds); each amount is what it
        // adds to an empty sum, which is what it adds to any sum.
        one.Clear();
        attribute->AddToAccumulator(one, level);
        for (uint32_t type = 0; type < kCharAttributeTypeCount; ++type) {
            const auto kind = static_cast<CharAttributeType>(type);
            if (const float value = one.GetValueSum(kind); value != 0.0f)
                Append(CharAttributeAccumulator::ValuePlace(kind), value);
            if (const float modifier = one.GetModifier(kind); modifier != 0.0f)
                Append(CharAttributeAccumulator::ModifierPlace(kind), modifier);
        }
    }
}

void CharAttributeContribution::AddMoreToAccumulator(CharAttributeAccumulator& acc) const
{
    for (const Entry& entry : m_more)
        acc.AddAtPlace(entry.place, entry.amount);
}

// ---- The four kinds -----------------------------------------------------------------

void CharAttributeStore_Bio::Load(const LoadTable& table)
{
    Clear();
    EditAttributes().Reserve(std::size(kBioOrder));   // one record adds at most one of each kind
    Run(*this, kBioOrder, table, nullptr, nullptr);
}

void CharAttributeStore_Bio::SetBaseValue(CharAttributeType type, float value)
{
    for (auto& attribute : EditAttributes()) {
        if (attribute->GetType() == type) {
            attribute->SetBaseValue(value);
            return;
        }
    }
    gEngine->Log(LOG_WARNING, "CharAttributeStore_Bio: Could not find type (%u) to set base values",
                 static_cast<unsigned>(type));
}

float CharAttributeStore_Bio::GetBaseValue(CharAttributeType type) const
{
    for (const auto& attribute : GetAttributes())
        if (attribute->GetType() == type)
            return attribute->GetValue(1);
    return 0.0f;
}

void CharAttributeStore_Equipment::Load(const LoadTable& table, const LoadTable* prefix, const LoadTable* suffix,
                                        bool noBaseAttackSpeed)
{
    Clear();
    if (!noBaseAttackSpeed)
        kBaseAttackSpeed.load(*this, table, prefix, suffix, kBaseAttackSpeed.jitter, kBaseAttackSpeed.keep, nullptr);
    Run(*this, kEquipmentOrder, table, prefix, suffix);
}

void CharAttributeStore_Skill::Load(const LoadTable& table)
{
    Clear();
    Run(*this, kSkillOrder, table, nullptr, nullptr);
}

void CharAttributeStore_SkillPenalty::Load(const LoadTable& table)
{
    Clear();
    Run(*this, kSkillPenaltyOrder, table, nullptr, nullptr);
}

}  // namespace GAME
