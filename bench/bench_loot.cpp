// One drop resolved through four levels of loot tables with every record cached: three
// master tables, each over the next, ending in a 100-item dynamic-weight table whose
// randomizer always gives a prefix and a suffix. Each iteration makes and frees the
// tables as a drop does. Beside it, the same sequence of picks over lists built once
// (no records read, no objects made): what the record reading and object making cost.
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/LootLoader.h"

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
    for (auto _ : state) {
        base.clear();
        prefix.clear();
        suffix.clear();
        records.loader.GetLootName(base, prefix, suffix, random);
        ObjectManager::Get().FlushDestroyedObjects();
        benchmark::DoNotOptimize(base);
    }
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

}  // namespace
