// Damage attributes: every kind loaded from a record that holds all of their keys and
// from one that holds none (a record look-up by key beside the lower-cased copy it used
// to make), a weapon's attributes added to a seeded accumulator beside the same
// per-attack objects built by hand, an item's two equipment stores loaded from base,
// prefix and suffix records and offered to an attack, and a copy of a loaded skill
// profile. Every heap allocation is counted.
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unordered_map>

#include <benchmark/benchmark.h>

#include "Engine/LoadTable.h"
#include "Engine/TextUtil.h"
#include "Game/combat/CombatAttribute.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/DamageAttributeKinds.h"
#include "Game/combat/DamageAttributePhysical.h"
#include "Game/combat/DamageAttributeStore.h"
#include "Game/combat/RetaliationAttributeStore.h"
#include "Game/skills/SkillProfile.h"

#include "AllocationCounter.h"

namespace {

using namespace GAME;

// The tests' data by the full path the build gives, wherever the program is run from.
std::string TestDataRoot() { return GAME_TEST_DATA_DIR; }

const LoadTable& EveryKeyRecord()
{
    static const LoadTable* record = [] {
        RecordDatabase::Get().SetDataRoot(TestDataRoot());
        return RecordDatabase::Get().Load("Records/Item/EveryDamageKey.dbr");
    }();
    return *record;
}

void LoadEveryKind(benchmark::State& state, const LoadTable& record)
{
    const long long before = gAllocations.load();
    for (auto _ : state) {
        DamageAttributeStore store;
        for (const DamageAttributeKind& kind : GetDamageAttributeKinds())
            DamageAttribute::Load(kind.create(), store, record);
        benchmark::DoNotOptimize(store.GetAttributes().data());
    }
    ReportAllocations(state, before);
}

void BM_LoadEveryKindFromFullRecord(benchmark::State& state)
{
    if (!EveryKeyRecord().GetKeyCount()) {
        state.SkipWithError("no record with every key");
        return;
    }
    LoadEveryKind(state, EveryKeyRecord());
}
BENCHMARK(BM_LoadEveryKindFromFullRecord);

// Every kind is made and dropped again: one allocation per kind, none per absent key.
void BM_LoadEveryKindFromEmptyRecord(benchmark::State& state) { LoadEveryKind(state, LoadTable("empty")); }
BENCHMARK(BM_LoadEveryKindFromEmptyRecord);

// A long key: absent (0), present as the record writes it (1), present in other case (2).
const char* LongKey(int64_t which)
{
    static const char* const keys[] = {"offensiveSlowNothingDurationModifier",
                                       "offensiveSlowOffensiveReductionDurationModifier",
                                       "OFFENSIVESLOWOFFENSIVEREDUCTIONDURATIONMODIFIER"};
    return keys[which];
}

void BM_RecordLookupLongKey(benchmark::State& state)
{
    const LoadTable& record = EveryKeyRecord();
    const char* key = LongKey(state.range(0));
    const long long before = gAllocations.load();
    for (auto _ : state)
        benchmark::DoNotOptimize(record.HasKey(key));
    ReportAllocations(state, before);
}
BENCHMARK(BM_RecordLookupLongKey)->DenseRange(0, 2);

// The same look-up the way records used to make it: the key lower-cased into a string.
void BM_LowerCasedCopyLookupLongKey(benchmark::State& state)
{
    std::unordered_map<std::string, int> map;
    for (int i = 0; i < 367; ++i)
        map["offensivekey" + std::to_string(i) + "durationmodifier"] = i;
    map["offensiveslowoffensivereductiondurationmodifier"] = 1;
    const char* key = LongKey(state.range(0));
    const long long before = gAllocations.load();
    for (auto _ : state)
        benchmark::DoNotOptimize(map.find(LowerAscii(key)) != map.end());
    ReportAllocations(state, before);
}
BENCHMARK(BM_LowerCasedCopyLookupLongKey)->DenseRange(0, 2);

// A weapon: base physical with pierce, base fire, a burn, a stun and a fire modifier.
const char* const kWeapon = "offensivePhysicalMin,24,\noffensivePhysicalMax,32,\noffensivePierceRatioMin,15,\n"
                            "offensiveBaseFireMin,5,\noffensiveBaseFireMax,7,\n"
                            "offensiveSlowFireMin,4,\noffensiveSlowFireDurationMin,2,\n"
                            "offensiveStunMin,1,\noffensiveStunMax,1.5,\n"
                            "offensiveFireModifier,20,\n";

LoadTable Parsed(const char* name, const std::string& text)
{
    LoadTable record(name);
    record.Parse(text.data(), text.size(), name);
    return record;
}

struct Weapon {
    DamageAttributeStore_Equipment store;
    Weapon() { store.Load(Parsed("weapon", kWeapon), nullptr, nullptr, false); }
};

void BM_AddWeaponAttributes(benchmark::State& state)
{
    const Weapon weapon;
    CombatAttributeAccumulator acc;
    uint32_t seed = 1;
    const long long before = gAllocations.load();
    for (auto _ : state) {
        acc.Clear();
        acc.SetSeed(seed++);
        weapon.store.AddDamageToAccumulator(acc, 1);
        weapon.store.AddModifierToAccumulator(acc, 1);
        benchmark::DoNotOptimize(acc.GetDamages().begin());
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_AddWeaponAttributes);

// The same five objects made directly in the attack's storage, with the same draws.
void BM_BuildAttackOnly(benchmark::State& state)
{
    CombatAttributeAccumulator acc;
    uint32_t seed = 1;
    const long long before = gAllocations.load();
    for (auto _ : state) {
        acc.Clear();
        acc.SetSeed(seed++);
        RandomUniform& rng = acc.GetRandomGen();
        acc.AddDamage(acc.Make<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Unknown,
                                                                           rng.FGenerate(24, 32), 15.0f, true));
        acc.AddDamage(acc.Make<CombatAttributeAbsDamageElemental>(CombatAttributeType_Fire, rng.FGenerate(5, 7)));
        const float burn = rng.FGenerate(4, 4);
        acc.AddDamage(acc.Make<CombatAttributeDurDamageElemental>(CombatAttributeType_Fire, burn, rng.FGenerate(2, 2)));
        acc.AddDamage(acc.Make<CombatAttributeReflexDamage>(CombatAttributeType_Stun, rng.FGenerate(1, 1.5f)));
        acc.AddDamageModifier(acc.Make<CombatAttributeAbsDamageMod>(CombatAttributeType_Fire, 20.0f));
        benchmark::DoNotOptimize(acc.GetDamages().begin());
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_BuildAttackOnly);

// ---- An item's equipment stores ------------------------------------------------------

// A sword with a prefix (its own jitter, a global XOR pair of retaliation) and a suffix
// (a global AND group), each record holding a few of the 121 classes the two stores load.
const char* const kSwordBase = "offensivePhysicalMin,24,\noffensivePhysicalMax,32,\noffensivePierceRatioMin,15,\n"
                               "offensiveBaseFireMin,5,\noffensiveBaseFireMax,7,\n"
                               "offensiveSlowFireMin,4,\noffensiveSlowFireDurationMin,2,\n"
                               "offensiveStunMin,1,\noffensiveStunMax,1.5,\noffensiveStunChance,10,\n"
                               "retaliationPhysicalMin,6,\nretaliationPhysicalMax,9,\n";
const char* const kSwordPrefix = "lootRandomizerJitter,15,\noffensiveFireModifier,20,\n"
                                 "retaliationGlobalChance,60,\n"
                                 "retaliationFireMin,6,\nretaliationFireMax,9,\nretaliationFireChance,60,\n"
                                 "retaliationFireGlobal,1,\nretaliationFireXOR,1,\n"
                                 "retaliationColdMin,4,\nretaliationColdMax,6,\nretaliationColdChance,40,\n"
                                 "retaliationColdGlobal,1,\nretaliationColdXOR,1,\n";
const char* const kSwordSuffix = "lootRandomizerJitter,10,\noffensiveGlobalChance,35,\n"
                                 "offensiveLightningMin,3,\noffensiveLightningMax,6,\noffensiveLightningGlobal,1,\n"
                                 "offensiveSlowColdMin,2,\noffensiveSlowColdDurationMin,3,\noffensiveSlowColdGlobal,1,\n";

struct SwordRecords {
    LoadTable base = Parsed("base", kSwordBase);
    LoadTable prefix = Parsed("prefix", kSwordPrefix);
    LoadTable suffix = Parsed("suffix", kSwordSuffix);
};

struct SwordStores {
    DamageAttributeStore_Equipment damage;
    RetaliationAttributeStore_Equipment retaliation;

    // As an item loads them: one generator from the item's seed, damage then retaliation.
    void Load(const LoadTable& base, const LoadTable* prefix, const LoadTable* suffix, uint32_t seed)
    {
        RandomUniform generator;
        generator.Seed(seed);
        damage.SetRandomGen(&generator);
        damage.Load(base, prefix, suffix, false);
        retaliation.SetRandomGen(&generator);
        retaliation.Load(base, prefix, suffix, false);
        damage.SetRandomGen(nullptr);
        retaliation.SetRandomGen(nullptr);
    }
};

void BM_LoadSwordThroughEquipmentStores(benchmark::State& state)
{
    const SwordRecords records;
    uint32_t seed = 1;
    const long long before = gAllocations.load();
    for (auto _ : state) {
        SwordStores stores;
        stores.Load(records.base, &records.prefix, &records.suffix, seed++);
        benchmark::DoNotOptimize(stores.damage.GetAttributes().data());
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_LoadSwordThroughEquipmentStores)->Unit(benchmark::kMicrosecond);

// Records that hold none of the classes: every class is looked for and none is made. What
// is left is the weapon's base physical damage, which a weapon always carries, and the
// list that holds it (two allocations); loading each class on the heap first and dropping
// it when absent made 362.
void BM_LoadEquipmentStoresFromEmptyRecords(benchmark::State& state)
{
    const LoadTable empty("empty");
    uint32_t seed = 1;
    const long long before = gAllocations.load();
    for (auto _ : state) {
        SwordStores stores;
        stores.Load(empty, &empty, &empty, seed++);
        benchmark::DoNotOptimize(stores.damage.GetAttributes().data());
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_LoadEquipmentStoresFromEmptyRecords)->Unit(benchmark::kMicrosecond);

// The loaded sword offered to one attack: its damage and modifiers, then the armour side's
// retaliation of the same stores, into an attack whose storage is kept between attacks.
void BM_OfferSwordStoresToAnAttack(benchmark::State& state)
{
    const SwordRecords records;
    SwordStores stores;
    stores.Load(records.base, &records.prefix, &records.suffix, 7);
    CombatAttributeAccumulator acc;
    uint32_t seed = 1;
    long long objects = 0;
    const long long before = gAllocations.load();
    for (auto _ : state) {
        acc.Clear();
        acc.SetSeed(seed++);
        stores.damage.AddDamageToAccumulator(acc, 1);
        stores.damage.AddModifierToAccumulator(acc, 1);
        stores.retaliation.AddDamageToAccumulator(acc, 1);
        stores.retaliation.AddModifierToAccumulator(acc, 1);
        objects += static_cast<long long>(acc.GetDamages().size() + acc.GetDamageModifiers().size());
        benchmark::DoNotOptimize(acc.GetDamages().begin());
    }
    ReportAllocations(state, before);
    state.counters["objects_per_iter"] =
        benchmark::Counter(static_cast<double>(objects) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_OfferSwordStoresToAnAttack);

// ---- A skill profile ------------------------------------------------------------------

std::string ReadTestRecord(const char* name)
{
    std::ifstream file(TestDataRoot() + "/Records/Item/" + name);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A profile whose record holds every offensive and every retaliation key: 70 damage and 49
// retaliation attributes, every one cloned by a copy.
void BM_CopyLoadedSkillProfile(benchmark::State& state)
{
    const LoadTable record =
        Parsed("skill", ReadTestRecord("EveryDamageKey.dbr") + ReadTestRecord("EveryRetaliationKey.dbr"));
    SkillProfile profile;
    profile.LoadProfile(record);
    if (profile.GetRetaliationAttrStore().GetAttributes().empty()) {
        state.SkipWithError("no records with every key");
        return;
    }
    const long long before = gAllocations.load();
    for (auto _ : state) {
        SkillProfile copy(profile);
        benchmark::DoNotOptimize(&copy);
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_CopyLoadedSkillProfile)->Unit(benchmark::kMicrosecond);

}  // namespace
