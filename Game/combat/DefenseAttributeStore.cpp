#include "Game/combat/DefenseAttributeStore.h"

#include <iterator>
#include <memory>
#include <span>
#include <vector>

#include "Engine/LoadTable.h"
#include "Game/combat/DefenseAttributeKinds.h"
#include "Game/core/foundation/RecordKeptReads.h"

namespace GAME {

namespace {

// The base record's attributes of an item jitter by this percent.
constexpr float kEquipmentJitter = 20.0f;
constexpr const char* kLootJitterKey = "lootRandomizerJitter";

// An attribute a record gave at a position of a load order, as read (before any draw);
// a record's, by position.
struct DefenseKindRead {
    size_t index;
    std::unique_ptr<const DefenseAttribute> attribute;
};
using DefenseKindReads = std::vector<DefenseKindRead>;

// The attributes kept records gave in each load order, as read: every item made from a
// record loads its stores afresh, and copying what was read costs less than reading the
// record's keys again. Records are named by records, so they are few.
using KeptDefenseKindReads = RecordLoadReads<DefenseKindRead>::Kept;

KeptDefenseKindReads& KeptDefenseReads()
{
    thread_local KeptDefenseKindReads kept(4096);
    return kept;
}

// Loads one kind from a record into the store and jitters it by `jitter`; nothing (and
// no allocation) when the record does not hold the kind. With `reads`, notes there what
// the record gave (at the kind's position `index`) before the jitter.
template <class T>
void LoadDefenseAttribute(DefenseAttributeStore& store, const LoadTable& record, float jitter, size_t index,
                          DefenseKindReads* reads)
{
    T attribute;
    if (!attribute.LoadFromTable(record, false))
        return;
    if (reads)
        reads->push_back({index, std::make_unique<T>(attribute)});
    attribute.AddJitter(jitter, store.GetRandomGen());
    store.AddAttribute(std::make_unique<T>(std::move(attribute)));
}

// A character's kind: always kept, the single value 0 when the record has none.
template <class T>
void LoadCharacterDefenseAttribute(DefenseAttributeStore& store, const LoadTable& table)
{
    T attribute;
    if (attribute.LoadFromTable(table, true))
        store.AddAttribute(std::make_unique<T>(std::move(attribute)));
}

using Loader = void (*)(DefenseAttributeStore&, const LoadTable&, float, size_t, DefenseKindReads*);

// The load orders, as runs of kinds. An item loads absolute before duration physical, a
// skill the other way round; only skills load convert, mana burn ratio and percent of
// current life.
constexpr Loader kEquipmentHead[] = {
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Protection>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Absorption>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Physical>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Physical>,
    &LoadDefenseAttribute<DefenseAttributeDur_Physical>,
    &LoadDefenseAttribute<DefenseAttributeDurMod_Physical>,
};
constexpr Loader kSkillHead[] = {
    &LoadDefenseAttribute<DefenseAttribute_SkillProtectionAbsorption>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Protection>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Absorption>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Physical>,
    &LoadDefenseAttribute<DefenseAttributeDur_Physical>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Physical>,
    &LoadDefenseAttribute<DefenseAttributeDurMod_Physical>,
};
constexpr Loader kSharedKinds[] = {
    &LoadDefenseAttribute<DefenseAttributeAbs_Pierce>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Pierce>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Bleeding>,
    &LoadDefenseAttribute<DefenseAttributeDur_Bleeding>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Bleeding>,
    &LoadDefenseAttribute<DefenseAttributeDurMod_Bleeding>,
    &LoadDefenseAttribute<DefenseAttributeAbs_ElementalResistance>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Fire>,
    &LoadDefenseAttribute<DefenseAttributeDur_Fire>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Fire>,
    &LoadDefenseAttribute<DefenseAttributeDurMod_Fire>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Cold>,
    &LoadDefenseAttribute<DefenseAttributeDur_Cold>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Cold>,
    &LoadDefenseAttribute<DefenseAttributeDurMod_Cold>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Lightning>,
    &LoadDefenseAttribute<DefenseAttributeDur_Lightning>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Lightning>,
    &LoadDefenseAttribute<DefenseAttributeDurMod_Lightning>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Poison>,
    &LoadDefenseAttribute<DefenseAttributeDur_Poison>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Poison>,
    &LoadDefenseAttribute<DefenseAttributeDurMod_Poison>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Life>,
    &LoadDefenseAttribute<DefenseAttributeDur_Life>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Life>,
    &LoadDefenseAttribute<DefenseAttributeDurMod_Life>,
    &LoadDefenseAttribute<DefenseAttributeAbs_LifeLeach>,
    &LoadDefenseAttribute<DefenseAttributeDur_LifeLeach>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_LifeLeach>,
    &LoadDefenseAttribute<DefenseAttributeDurMod_LifeLeach>,
    &LoadDefenseAttribute<DefenseAttributeAbs_ManaLeach>,
    &LoadDefenseAttribute<DefenseAttributeDur_ManaLeach>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_ManaLeach>,
    &LoadDefenseAttribute<DefenseAttributeDurMod_ManaLeach>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Stun>,
    &LoadDefenseAttribute<DefenseAttributeAbsMod_Stun>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Trap>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Freeze>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Petrify>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Disruption>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Taunt>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Fear>,
    &LoadDefenseAttribute<DefenseAttributeAbs_Confusion>,
};
constexpr Loader kSkillOnlyKinds[] = {
    &LoadDefenseAttribute<DefenseAttributeAbs_Convert>,
};
constexpr Loader kMiscKinds[] = {
    &LoadDefenseAttribute<DefenseAttributeMisc_BlockModifier>,
    &LoadDefenseAttribute<DefenseAttributeMisc_Reflect>,
};
constexpr Loader kSkillTailKinds[] = {
    &LoadDefenseAttribute<DefenseAttributeAbs_ManaBurnRatio>,
    &LoadDefenseAttribute<DefenseAttributeAbs_PercentCurrentLife>,
};

using LoaderRun = std::span<const Loader>;
constexpr LoaderRun kEquipmentOrder[] = {kEquipmentHead, kSharedKinds, kMiscKinds};
constexpr LoaderRun kSkillOrder[] = {kSkillHead, kSharedKinds, kSkillOnlyKinds, kMiscKinds, kSkillTailKinds};

constexpr size_t KindCount(std::span<const LoaderRun> order)
{
    size_t count = 0;
    for (LoaderRun run : order)
        count += run.size();
    return count;
}
static_assert(KindCount(kEquipmentOrder) == 52, "an item loads 52 kinds after its base protection");
static_assert(KindCount(kSkillOrder) == 56, "a skill loads 56 kinds");

// Each kind from the base record (jittered by `jitter`), then from the prefix and the
// suffix (each by its own): a record adds at most one attribute of each kind. A kept
// record's attributes are read once and copied at every later load, in the same order
// and with the same draws.
void LoadInOrder(std::span<const LoaderRun> order, DefenseAttributeStore& store, const LoadTable& table,
                 const LoadTable* prefix, const LoadTable* suffix, float jitter)
{
    const LoadTable* const records[] = {&table, prefix, suffix};
    const float jitters[] = {jitter, prefix ? prefix->GetFloat(kLootJitterKey, 0.0f) : 0.0f,
                             suffix ? suffix->GetFloat(kLootJitterKey, 0.0f) : 0.0f};
    RecordLoadReads<DefenseKindRead> reads(KeptDefenseReads(), records, order.data());
    const auto add = [&](int i, const DefenseKindRead& read) {
        std::unique_ptr<DefenseAttribute> copy = read.attribute->Clone();
        copy->AddJitter(jitters[i], store.GetRandomGen());
        store.AddAttribute(std::move(copy));
    };
    if (reads.AllKnown()) {
        reads.ApplyAllKnown(add);
        return;
    }
    size_t index = 0;
    for (LoaderRun run : order) {
        for (Loader load : run) {
            for (int i = 0; i < 3; ++i) {
                if (!records[i])
                    continue;
                if (reads.IsKnown(i))
                    reads.ApplyKnown(i, index, [&](const DefenseKindRead& read) { add(i, read); });
                else
                    load(store, *records[i], jitters[i], index, reads.Reading(i));
            }
            ++index;
        }
    }
    reads.Keep();
}

using CharacterLoader = void (*)(DefenseAttributeStore&, const LoadTable&);

constexpr CharacterLoader kCharacterOrder[] = {
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Physical>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Pierce>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Bleeding>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Fire>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Cold>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Lightning>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Poison>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Life>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Stun>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Trap>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Freeze>,
    &LoadCharacterDefenseAttribute<DefenseAttributeAbs_Petrify>,
};
static_assert(std::size(kCharacterOrder) == 12, "a character loads 12 kinds");

}  // namespace

// ---- The store ----------------------------------------------------------------------

DefenseAttributeStore::~DefenseAttributeStore() = default;

void DefenseAttributeStore::CreateText(TextList& baseLines, TextList& bonusLines, unsigned level) const
{
    for (const auto& attribute : m_attributes)
        attribute->CreateText(level, baseLines, bonusLines);
}

void DefenseAttributeStore::CreateNextText(TextList& baseLines, TextList& bonusLines, unsigned level,
                                           unsigned nextLevel) const
{
    for (const auto& attribute : m_attributes)
        attribute->CreateNextText(level, nextLevel, baseLines, bonusLines);
}

void DefenseAttributeStore::AddAttribute(std::unique_ptr<DefenseAttribute> attribute)
{
    m_attributes.Add(std::move(attribute));
    Changed();
}

const std::vector<DefenseAttributeStore::LevelEntry>& DefenseAttributeStore::EntriesAt(unsigned level) const
{
    if (m_levelCache.Holds(level, GetRevision()))
        return m_levelCache.Entries();
    std::vector<LevelEntry>& entries = m_levelCache.Refill(level, GetRevision());
    entries.reserve(m_attributes.size());
    for (const auto& attribute : m_attributes)
        entries.push_back({attribute->GetLevelNumbers(level), attribute.get()});
    return entries;
}

// Each attribute as its own AddToAccumulator would add it, from the numbers kept for the
// level: the chance test (none for a chance of 0), then the value times the chance
// multiplier.
void DefenseAttributeStore::AddToAccumulator(CombatAttributeAccumulator& acc, unsigned level) const
{
    if (m_attributes.empty())
        return;
    for (const LevelEntry& entry : EntriesAt(level)) {
        const DefenseAttribute::LevelNumbers& numbers = entry.numbers;
        if (!numbers.make) {
            entry.attribute->AddToAccumulator(acc, level, acc.GetRandomGen(), false);
            continue;
        }
        if (numbers.chance != 0.0f && !acc.EvaluateChance(numbers.chance))
            continue;
        numbers.make(acc, numbers.type, MultiplyInRange(numbers.value, acc.GetChanceMultiplier(numbers.chance)));
    }
}

void DefenseAttributeStore::ScaleAttributes(float percent)
{
    ScaleEach(percent);
}

// ---- The three kinds ----------------------------------------------------------------

void DefenseAttributeStore_Equipment::Load(const LoadTable& table, const LoadTable* prefix, const LoadTable* suffix,
                                           bool withBaseProtection, CombatAttributeRegion region)
{
    Clear();
    if (withBaseProtection)
        DefenseAttribute_BaseProtectionAbsorption::Create_BaseAbsorptionProtection(*this, table, prefix, suffix,
                                                                                   kEquipmentJitter, region);
    LoadInOrder(kEquipmentOrder, *this, table, prefix, suffix, kEquipmentJitter);
}

void DefenseAttributeStore_Skill::Load(const LoadTable& table)
{
    Clear();
    LoadInOrder(kSkillOrder, *this, table, nullptr, nullptr, 0.0f);
}

void DefenseAttributeStore_Character::Load(const LoadTable& table)
{
    Clear();
    m_attributes.Reserve(std::size(kCharacterOrder));   // each kind is kept, 0 when the record has none
    for (CharacterLoader load : kCharacterOrder)
        load(*this, table);
}

}  // namespace GAME
