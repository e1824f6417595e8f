// Damage attributes: every kind loaded from a record that holds all of their keys and
// from one that holds none (a record look-up by key beside the lower-cased copy it used
// to make), and a weapon's attributes added to a seeded accumulator beside the same
// per-attack objects built by hand. Every heap allocation is counted.
#include <memory>
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

#include "AllocationCounter.h"

namespace {

using namespace GAME;

std::string SourceRoot()
{
    std::string path = __FILE__;
    return path.substr(0, path.rfind("/bench/"));
}

const LoadTable& EveryKeyRecord()
{
    static const LoadTable* record = [] {
        RecordDatabase::Get().SetDataRoot(SourceRoot() + "/tests/data");
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

struct Weapon {
    DamageAttributeStore store;
    Weapon()
    {
        LoadTable record("weapon");
        record.Parse(kWeapon, std::char_traits<char>::length(kWeapon), "weapon");
        DamageAttribute_BasePhysical::Create_BasePhysical(store, record);
        DamageAttribute::Load(std::make_unique<DamageAttributeAbsBase_Fire>(), store, record);
        DamageAttribute::Load(std::make_unique<DamageAttributeDur_Fire>(), store, record);
        DamageAttribute::Load(std::make_unique<DamageAttributeReflex_Stun>(), store, record);
        DamageAttribute::Load(std::make_unique<DamageAttributeAbsMod_Fire>(), store, record);
    }
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
        for (const auto& attribute : weapon.store.GetAttributes())
            attribute->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), false);
        for (const auto& attribute : weapon.store.GetAttributes())
            attribute->AddModifierToAccumulator(acc, 1, acc.GetRandomGen(), false);
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

}  // namespace
