// Bytes become up to eight loot records that name one another (cycles included), each
// read as every kind of loot table, a loot loader and a gold record, and picked from at a
// seed. Two picks at one seed must give the same names, and every name must come from
// the records or from the caller; gold piles are never empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/LootLoader.h"
#include "Game/items/loot/GoldGenerator.h"
#include "Game/items/loot/LootBase.h"
#include "Game/items/loot/LootRandomizer.h"
#include "Game/items/loot/LootTable.h"
#include "fuzz/FuzzBytes.h"

using namespace GAME;

namespace {

constexpr int kMaxRecords = 8;

using Bytes = FuzzBytes;

const char* const kClasses[] = {"LootMasterTable", "LootItemTable_FixedWeight", "LootItemTable_DynWeight",
                                "LootTable", "LootRandomizerTable", "Item", "lootTable", ""};
const char* const kBaseKinds[] = {"LootBase", "LootMasterTable", "LootItemTable_FixedWeight",
                                  "LootItemTable_DynWeight"};
const char* const kNames[] = {"I0", "I1", "Missing", ""};
const char* const kFormulas[] = {"parentLevel",     "(parentLevel+3)", "(averagePlayerLevel-2)", "(1/0)",
                                 "(0-1000)",        "1e30",            "(gameDifficulty*numberOfPlayers)",
                                 "((",              "unknownName",     "(generatorLevel*currentPlayerLevel)"};
const char* const kFloats[] = {"0", "100", "50.5", "-3", "nan", "inf", "-inf", "1e30", "99.99"};

enum class Value { Name, Names, Int, Float, Floats, Formula };
struct Key {
    const char* name;
    Value value;
    bool numbered;
};
const Key kKeys[] = {
    {"lootName", Value::Name, true},          {"lootWeight", Value::Int, true},
    {"prefixRandomizerName", Value::Name, true}, {"prefixRandomizerWeight", Value::Int, true},
    {"suffixRandomizerName", Value::Name, true}, {"suffixRandomizerWeight", Value::Int, true},
    {"brokenRandomizerName", Value::Name, true}, {"brokenRandomizerWeight", Value::Int, true},
    {"randomizerName", Value::Name, true},    {"randomizerWeight", Value::Int, true},
    {"lootHeadItem", Value::Names, true},     {"chanceToEquipHeadItem", Value::Int, true},
    {"itemNames", Value::Names, false},       {"bellSlope", Value::Floats, false},
    {"defaultWeight", Value::Float, false},   {"itemLevel", Value::Int, false},
    {"minItemLevelEquation", Value::Formula, false}, {"maxItemLevelEquation", Value::Formula, false},
    {"targetLevelEquation", Value::Formula, false},  {"prefixRandomizerChance", Value::Float, false},
    {"suffixRandomizerChance", Value::Float, false}, {"brokenRandomizerChance", Value::Float, false},
    {"bothPrefixSuffix", Value::Int, false},  {"noPrefixNoSuffix", Value::Int, false},
    {"prefixOnly", Value::Int, false},        {"suffixOnly", Value::Int, false},
    {"brokenOnly", Value::Int, false},        {"goldAmountEquation", Value::Formula, false},
    {"goldAmountEquation2", Value::Formula, false}, {"goldValueMin", Value::Int, false},
    {"goldValueMax", Value::Int, false},      {"goldSplitMin", Value::Int, false},
    {"goldSplitMax", Value::Int, false},      {"goldSplitSizeMin", Value::Int, false},
    {"goldActors", Value::Names, false},
};

template <class T, size_t N>
const T& Choose(const T (&list)[N], uint8_t byte)
{
    return list[byte % N];
}

std::string RecordName(int index) { return "F" + std::to_string(index); }

std::string MakeName(Bytes& in, int records)
{
    const uint8_t byte = in.Byte();
    return byte & 1 ? RecordName((byte >> 1) % records) : std::string(Choose(kNames, byte >> 1));
}

std::string MakeInt(Bytes& in)
{
    const uint8_t kind = in.Byte();
    if (kind % 4 == 0)
        return std::to_string(static_cast<int32_t>(in.Word()));
    return std::to_string(static_cast<int>(kind) - 64);
}

// One record's text, with every name it writes added to `names`.
std::string MakeRecord(Bytes& in, int records, std::set<std::string>& names)
{
    std::string text = std::string("Class,") + Choose(kClasses, in.Byte()) + ",\n";
    const int rows = in.Byte() % 48;
    for (int row = 0; row < rows && !in.Empty(); ++row) {
        const Key& key = Choose(kKeys, in.Byte());
        std::string line = key.name;
        if (key.numbered)
            line += std::to_string(in.Byte() % 64);
        std::string value;
        switch (key.value) {
        case Value::Name: value = MakeName(in, records); break;
        case Value::Names:
            for (int n = in.Byte() % 6; n >= 0; --n) {
                const std::string name = MakeName(in, records);
                names.insert(name);
                value += name + (n ? ";" : "");
            }
            break;
        case Value::Int: value = MakeInt(in); break;
        case Value::Float: value = Choose(kFloats, in.Byte()); break;
        case Value::Floats:
            for (int n = in.Byte() % 6; n >= 0; --n)
                value += std::string(Choose(kFloats, in.Byte())) + (n ? ";" : "");
            break;
        case Value::Formula: value = Choose(kFormulas, in.Byte()); break;
        }
        names.insert(value);
        text += line + "," + value + ",\n";
    }
    return text;
}

struct Names {
    std::string base, prefix, suffix;
    bool operator==(const Names&) const = default;
};

void CheckFrom(const Names& names, const std::set<std::string>& known)
{
    for (const std::string* name : {&names.base, &names.prefix, &names.suffix})
        Check(name->empty() || *name == "caller" || known.count(*name) != 0);
}

// Picks twice from fresh state at one seed; both must agree.
template <class Pick>
void PickTwice(uint32_t seed, const std::set<std::string>& known, Pick&& pick)
{
    Names results[2];
    for (Names& result : results) {
        result = {"caller", "", "caller"};
        RandomUniform random;
        random.Seed(seed);
        pick(result, random);
    }
    Check(results[0] == results[1]);
    CheckFrom(results[0], known);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in(data, size);
    RecordDatabase& records = RecordDatabase::Get();
    records.Clear();
    const int count = 1 + in.Byte() % kMaxRecords;
    std::set<std::string> known;
    for (int i = 0; i < count; ++i)
        records.RegisterRecord(RecordName(i), MakeRecord(in, count, known));
    const uint32_t seed = in.Word();
    RandomizerWeightModifiers modifiers;
    modifiers.noPrefixNoSuffix = static_cast<int32_t>(in.Word());
    modifiers.bothPrefixSuffix = static_cast<int8_t>(in.Byte());
    modifiers.prefixOnly = static_cast<int8_t>(in.Byte());
    modifiers.suffixOnly = static_cast<int8_t>(in.Byte());
    modifiers.brokenOnly = static_cast<int8_t>(in.Byte());
    const uint32_t level = in.Byte();
    const bool noBroken = in.Byte() & 1;

    for (int i = 0; i < count; ++i) {
        const std::string name = RecordName(i);
        const LoadTable& table = *records.Load(name);
        for (const char* kind : kBaseKinds) {
            // Made as the tables are for a pick: the caller's own object, no object id.
            std::unique_ptr<LootBase> loot(
                static_cast<LootBase*>(static_cast<Object*>(LootBase::GetStaticClassInfo().CreateObjectByName(kind))));
            loot->SetObjectName(name);
            loot->Load(table);
            loot->SetLevel(level, level);
            loot->SetNoBrokenItems(noBroken);
            loot->SetRandomizerWeightModifiers(modifiers);
            PickTwice(seed, known, [&](Names& out, RandomUniform& random) {
                int depth = LootLimits::kNestingDepth;
                loot->GetLootName(out.base, out.prefix, out.suffix, random, depth);
            });
            Names tested;
            RandomUniform random;
            loot->OverrideTest(tested.base, tested.prefix, tested.suffix, random);
            CheckFrom(tested, known);
        }
        PickTwice(seed, known, [&](Names& out, RandomUniform& random) {
            LootTable plain;
            if (plain.ManualLoad(name))
                plain.GetLootName(out.base, out.prefix, out.suffix, random);
        });
        PickTwice(seed, known, [&](Names& out, RandomUniform& random) {
            LootItemTableRandomizer randomizer;
            randomizer.LoadFromDatabase(name);
            randomizer.SetWeightModifiers(modifiers);
            if (noBroken)
                randomizer.SetNoBrokenItems();
            randomizer.GetRandomizerNames(out.prefix, out.suffix, random);
        });
        PickTwice(seed, known, [&](Names& out, RandomUniform& random) {
            LootLoader loader;
            loader.SetLevel(level, level);
            loader.SetRandomizerWeightModifiers(modifiers);
            if (noBroken)
                loader.SetNoBrokenItems();
            if (level & 1)
                loader.Load(table, LootLoader::Head, level % 8, level % 3);
            else
                loader.Load(table, "lootName", "lootWeight", level % 40, level % 3);
            loader.GetLootName(out.base, out.prefix, out.suffix, random);
        });
        GoldGenerator gold;
        gold.LoadFromDatabase(name);
        gold.SetChance(static_cast<float>(static_cast<int>(level) - 50));
        gold.SetGeneratorLevel(static_cast<float>(level));
        RandomUniform random;
        random.Seed(seed);
        std::vector<ItemReplicaInfo> piles;
        gold.RunGenerator(piles, random);
        for (const ItemReplicaInfo& pile : piles) {
            Check(pile.var1 >= 1 && pile.var1 <= static_cast<uint32_t>(INT32_MAX));
            Check(known.count(pile.baseName) != 0);
        }
        ObjectManager::Get().FlushDestroyedObjects();
    }
    return 0;
}
