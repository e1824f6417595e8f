// One drop resolved through four levels of loot tables with every record cached: three
// master tables, each over the next, ending in a 100-item dynamic-weight table whose
// randomizer always gives a prefix and a suffix. Each iteration makes and frees the
// tables as a drop does. Beside it, the same sequence of picks over lists built once
// (no records read, no objects made): what the record reading and object making cost.
// Last, a merchant's 60-item stock drawn from its key, identities only.
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "AllocationCounter.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/LootLoader.h"
#include "Game/items/MarketClient.h"
#include "Game/items/market/MarketMiniMart.h"

namespace {

using namespace GAME;

constexpr int kItems = 100;
constexpr int kAffixes = 10;
constexpr int kMasterRows = 3;   // the first row leads on, the others are dead ends

std::string Row(const char* nameKey, const char* weightKey, int n, const std::string& name, int weight)
{
    return std::string(nameKey) + std::to_string(n) + "," + name + ",\n" + weightKey + std::to_string(n) + "," +
           std::to_string(weight) + ",\n";
}

struct CachedRecords {
    CachedRecords()
    {
        InitializeObjects();
        RecordDatabase& records = RecordDatabase::Get();
        std::string names;
        for (int i = 0; i < kItems; ++i) {
            const std::string item = "Bench/Loot/Item" + std::to_string(i);
            records.RegisterRecord(item, "Class,Item,\nitemLevel," + std::to_string(1 + i % 40) + ",\n");
            names += (i ? ";" : "") + item;
        }
        for (const char* kind : {"Prefix", "Suffix"}) {
            std::string text = "Class,LootRandomizerTable,\n";
            for (int i = 1; i <= kAffixes; ++i)
                text += Row("randomizerName", "randomizerWeight", i, std::string("Bench/Loot/") + kind + "Affix" +
                                                                         std::to_string(i), 10 + i);
            records.RegisterRecord(std::string("Bench/Loot/") + kind + "es", text);
        }
        records.RegisterRecord(
            "Bench/Loot/Dyn",
            "Class,LootItemTable_DynWeight,\nitemNames," + names + ",\ndefaultWeight,10,\nbellSlope,100;90;70;50;30,\n"
            "minItemLevelEquation,parentLevel-8,\nmaxItemLevelEquation,parentLevel+8,\n"
            "targetLevelEquation,parentLevel+0,\nprefixRandomizerChance,100,\nsuffixRandomizerChance,100,\n"
            "bothPrefixSuffix,100,\n" +
                Row("prefixRandomizerName", "prefixRandomizerWeight", 1, "Bench/Loot/Prefixes", 1) +
                Row("suffixRandomizerName", "suffixRandomizerWeight", 1, "Bench/Loot/Suffixes", 1));
        const char* chain[] = {"Bench/Loot/Master1", "Bench/Loot/Master2", "Bench/Loot/Master3", "Bench/Loot/Dyn"};
        for (int level = 0; level < 3; ++level) {
            std::string text = "Class,LootMasterTable,\n" + Row("lootName", "lootWeight", 1, chain[level + 1], 1000);
            for (int n = 2; n <= kMasterRows; ++n)
                text += Row("lootName", "lootWeight", n, "Bench/Loot/Missing", 0);
            records.RegisterRecord(chain[level], text);
        }
        records.RegisterRecord("Bench/Loot/Monster", "chanceToEquipHeadItem1,1,\nlootHeadItem1,Bench/Loot/Master1,\n");
        loader.Load(*records.Load("Bench/Loot/Monster"), LootLoader::Head, 6, 0);
        loader.SetLevel(20, 20);
    }
    ~CachedRecords()
    {
        ObjectManager::Get().DestroyAllObjects();
        ShutdownObjects();
    }
    LootLoader loader;
};

CachedRecords& Records()
{
    static CachedRecords records;
    return records;
}

void BM_LootDropFourLevels(benchmark::State& state)
{
    CachedRecords& records = Records();
    RandomUniform random;
    random.Seed(7);
    std::string base, prefix, suffix;
    const long long before = gAllocations.load();
    for (auto _ : state) {
        base.clear();
        prefix.clear();
        suffix.clear();
        records.loader.GetLootName(base, prefix, suffix, random);
        ObjectManager::Get().FlushDestroyedObjects();
        benchmark::DoNotOptimize(base);
    }
    ReportAllocations(state, before);
    if (prefix.empty() || suffix.empty())
        state.SkipWithError("the drop came without both affixes");
}
BENCHMARK(BM_LootDropFourLevels);

// The same draws over lists built once: three cumulative master picks, the weighted walk
// of the dynamic table, the outcome roll and the two affix picks (chance, list, table).
struct PrebuiltLists {
    PrebuiltLists()
    {
        for (int i = 0; i < kItems; ++i) {
            names.push_back("Bench/Loot/Item" + std::to_string(i));
            const int distance = std::abs(1 + i % 40 - 20);
            const bool valid = distance <= 8;
            static const int slope[] = {100, 90, 70, 50, 30};
            weights.push_back(!valid ? 0 : distance < 5 ? slope[distance] * 10 / 100 : 10);
            total += weights.back();
        }
        for (int i = 1; i <= kAffixes; ++i) {
            affixes.push_back("Bench/Loot/PrefixAffix" + std::to_string(i));
            affixWeights.push_back(10 + i);
            affixTotal += 10 + i;
        }
    }
    std::vector<std::string> names;
    std::vector<int> weights;
    int total = 0;
    std::vector<std::string> affixes;
    std::vector<int> affixWeights;
    int affixTotal = 0;
};

void BM_SamePicksOverPrebuiltLists(benchmark::State& state)
{
    static const PrebuiltLists lists;
    RandomUniform random;
    random.Seed(7);
    std::string base, prefix, suffix;
    auto pickAffix = [&](std::string& out) {
        if (random.FGenerate(0.0f, 100.0f) > 100.0f)
            return;
        random.IGenerate(0, 0);   // the one table of the affix list
        const int roll = random.IGenerate(0, lists.affixTotal);
        int sum = 0;
        for (size_t i = 0; i < lists.affixes.size(); ++i)
            if (roll <= (sum += lists.affixWeights[i])) {
                out = lists.affixes[i];
                return;
            }
    };
    for (auto _ : state) {
        random.IGenerate(0, 1);   // the loader's list
        for (int level = 0; level < 3; ++level)
            random.IGenerate(0, 999);
        const int roll = random.IGenerate(0, lists.total - 1);
        int sum = 0;
        for (size_t i = 0; i < lists.names.size(); ++i)
            if (lists.weights[i] && roll < (sum += lists.weights[i])) {
                base = lists.names[i];
                break;
            }
        random.IGenerate(0, 100);   // the outcome
        pickAffix(prefix);
        pickAffix(suffix);
        benchmark::DoNotOptimize(base);
    }
}
BENCHMARK(BM_SamePicksOverPrebuiltLists);

// A merchant's stock from its key (market record, bracket, seed), as the market client
// draws it into its queues: the static generator from the game's generator, then the
// fourteen others from one seeded with the key; no items are made. Each kind's table is a master table over a fixed-weight
// table of 30 items and the 100-item dynamic table; four items of each kind, 60 in all.
constexpr uint32_t kBracket = 20;
constexpr int kItemsPerKind = 4;
const char* const kStockRecord = "Bench/Market/Shop";

// One kind's tables; returns its lines of the market record.
std::string RegisterStockKind(const MarketStockKindInfo& kind, int offset)
{
    RecordDatabase& records = RecordDatabase::Get();
    const std::string stem = std::string("Bench/Market/") + kind.tablePrefix;
    std::string fixed = "Class,LootItemTable_FixedWeight,\nprefixRandomizerChance,50,\nsuffixRandomizerChance,50,\n"
                        "bothPrefixSuffix,20,\nnoPrefixNoSuffix,40,\nprefixOnly,20,\nsuffixOnly,20,\n" +
                        Row("prefixRandomizerName", "prefixRandomizerWeight", 1, "Bench/Loot/Prefixes", 1) +
                        Row("suffixRandomizerName", "suffixRandomizerWeight", 1, "Bench/Loot/Suffixes", 1);
    for (int n = 1; n <= 30; ++n)
        fixed += Row("lootName", "lootWeight", n, "Bench/Loot/Item" + std::to_string((n * 3 + offset) % kItems), n);
    records.RegisterRecord(stem + "Fixed", fixed);
    records.RegisterRecord(stem + "Master", "Class,LootMasterTable,\n" +
                                                Row("lootName", "lootWeight", 1, stem + "Fixed", 60) +
                                                Row("lootName", "lootWeight", 2, "Bench/Loot/Dyn", 40));
    return std::string(kind.minKey) + "," + std::to_string(kItemsPerKind) + ",\n" + kind.maxKey + "," +
           std::to_string(kItemsPerKind) + ",\n" + kind.tablePrefix + std::to_string(kBracket) + "," + stem + "Master,\n";
}

const LoadTable& StockRecord()
{
    static const LoadTable& record = []() -> const LoadTable& {
        Records();   // the items, affixes and dynamic table of the drop above
        RecordDatabase& records = RecordDatabase::Get();
        std::string shop;
        int offset = 0;
        for (const MarketStockKindInfo& kind : kMarketStockKinds)
            if (kind.tablePrefix)
                shop += RegisterStockKind(kind, offset++);
        return *records.RegisterRecord(kStockRecord, shop);
    }();
    return record;
}

void BM_MarketStockFromKey(benchmark::State& state)
{
    StockRecord();
    MarketClient market(nullptr, 1);
    uint32_t seed = 1;
    const long long before = gAllocations.load();
    for (auto _ : state) {
        // A new key each time: the whole stock is drawn again (the same key only re-marks).
        market.S2C_MarketUpdate(kStockRecord, kBracket, seed++ & 0xFFFFu, {});
        benchmark::DoNotOptimize(market.GetGeneratedQueue().size());
    }
    ReportAllocations(state, before);
    state.counters["items"] =
        static_cast<double>(market.GetGeneratedQueue().size() + market.GetStaticQueue().size());
}
BENCHMARK(BM_MarketStockFromKey)->Unit(benchmark::kMicrosecond);

}  // namespace
