// Creating items from their identity with every record already cached: an equipment item
// with a base, a prefix and a suffix (about ten attributes each, a cost formula and three
// requirement formulas), a potion, and beside them the equipment's five attribute stores
// loaded alone from the same records. Each iteration creates the item, destroys it and
// frees it, so the figures are the whole life of an item that is made and thrown away.
#include <string>

#include <benchmark/benchmark.h>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/DamageAttributeStore.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/combat/RetaliationAttributeStore.h"
#include "Game/combat/SkillAttributeStore.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/Item.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemReplicaInfo.h"

#include "AllocationCounter.h"

namespace {

using namespace GAME;

constexpr const char* kSword = "Records/Item/Bench/BenchSword.dbr";
constexpr const char* kPrefix = "Records/Item/Bench/BenchPrefix.dbr";
constexpr const char* kSuffix = "Records/Item/Bench/BenchSuffix.dbr";
constexpr const char* kItemCost = "Records/Item/Bench/BenchItemCost.dbr";
constexpr const char* kPotion = "Records/Item/Bench/BenchPotion.dbr";
constexpr uint32_t kSeed = 0x5eed;

// The bundled data by the full path the build gives, wherever the program is run from.
std::string DataRoot() { return GAME_DATA_DIR; }

// The bundled data, with every record the items read loaded once before timing: one item
// of each kind is made and destroyed, which also caches what their loads open.
struct CachedRecords {
    CachedRecords()
    {
        RecordDatabase::Get().SetDataRoot(DataRoot());
        InitializeObjects();
        for (const char* record : {kSword, kPrefix, kSuffix, kItemCost, kPotion})
            ObjectManager::Get().LoadTableFile(record);
        Destroy(Item::CreateItem(Identity(kSword, kPrefix, kSuffix)));
        Destroy(Item::CreateItem(Identity(kPotion, "", "")));
    }
    ~CachedRecords()
    {
        ObjectManager::Get().DestroyAllObjects();
        ShutdownObjects();
    }

    static ItemReplicaInfo Identity(const char* base, const char* prefix, const char* suffix)
    {
        ItemReplicaInfo identity;
        identity.baseName = base;
        identity.prefixName = prefix;
        identity.suffixName = suffix;
        identity.seed = kSeed;
        return identity;
    }

    static void Destroy(Item* item)
    {
        if (item)
            ObjectManager::Get().DestroyObjectEx(item, __FILE__, __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
    }
};

// How many priced attributes the item carries, from its five stores' cost records.
double PricedAttributes(const Item* item)
{
    const auto* equipment = DynamicCast<ItemEquipment>(item);
    if (!equipment)
        return 0.0;
    return static_cast<double>(equipment->GetCharCostInfo().GetCount()) + equipment->GetSkillCostInfo().GetCount() +
           equipment->GetDefenseCostInfo().GetCount() + equipment->GetDamageCostInfo().GetCount() +
           equipment->GetRetaliationCostInfo().GetCount();
}

void CreateAndDestroy(benchmark::State& state, const ItemReplicaInfo& identity)
{
    CachedRecords records;
    Item* probe = Item::CreateItem(identity);
    if (!probe) {
        state.SkipWithError("the bench record does not make an item");
        return;
    }
    state.counters["priced_attributes"] = PricedAttributes(probe);
    state.counters["cost"] = probe->GetItemCost(false);
    CachedRecords::Destroy(probe);

    const long long before = gAllocations.load();
    for (auto _ : state) {
        Item* item = Item::CreateItem(identity);
        benchmark::DoNotOptimize(item);
        CachedRecords::Destroy(item);
    }
    ReportAllocations(state, before);
}

// Goal: under 100 microseconds.
void BM_CreateEquipmentItem(benchmark::State& state)
{
    CreateAndDestroy(state, CachedRecords::Identity(kSword, kPrefix, kSuffix));
}
BENCHMARK(BM_CreateEquipmentItem)->Unit(benchmark::kMicrosecond);

// Goal: under 10 microseconds.
void BM_CreatePotion(benchmark::State& state)
{
    CreateAndDestroy(state, CachedRecords::Identity(kPotion, "", ""));
}
BENCHMARK(BM_CreatePotion)->Unit(benchmark::kMicrosecond);

// The five stores of the equipment item above loaded from the same cached records with one
// generator, in the item's order, into fresh stores: the part of the item's creation that
// the attribute stores take.
void BM_LoadEquipmentStoresAlone(benchmark::State& state)
{
    CachedRecords records;
    ObjectManager& objects = ObjectManager::Get();
    const LoadTable* base = objects.LoadTableFile(kSword);
    const LoadTable* prefix = objects.LoadTableFile(kPrefix);
    const LoadTable* suffix = objects.LoadTableFile(kSuffix);
    if (!base || !prefix || !suffix) {
        state.SkipWithError("the bench records are missing");
        return;
    }

    const long long before = gAllocations.load();
    for (auto _ : state) {
        RandomUniform generator;
        generator.Seed(kSeed);
        CharAttributeStore_Equipment character;
        SkillAttributeStore_Equipment skill;
        DamageAttributeStore_Equipment damage;
        RetaliationAttributeStore_Equipment retaliation;
        DefenseAttributeStore_Equipment defense;
        ItemEquipment::LoadAttributeStores({character, skill, damage, retaliation, defense}, generator, *base, prefix,
                                           suffix, false, false, CombatAttributeRegion_FullyProtected);
        benchmark::DoNotOptimize(&defense);
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_LoadEquipmentStoresAlone)->Unit(benchmark::kMicrosecond);

}  // namespace
