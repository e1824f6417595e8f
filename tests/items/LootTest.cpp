// Loot tables, the loot loader and gold piles, driven with scripted draws over records
// registered in memory.
#include <deque>
#include <numeric>
#include <utility>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/characters/Monster.h"
#include "Game/items/LootLoader.h"
#include "Game/items/loot/GoldGenerator.h"
#include "Game/items/loot/LootBase.h"
#include "Game/items/loot/LootDynWeight.h"
#include "Game/items/loot/LootRandomizer.h"
#include "Game/items/loot/LootTable.h"

using namespace GAME;
using ::testing::_;

namespace {

// Gives the scripted values in order, then the low end of each range; remembers the
// ranges asked for.
class ScriptedRandom : public RandomUniform {
public:
    int IGenerate(int min, int max) override
    {
        ranges.emplace_back(min, max);
        return Next(ints, min);
    }
    float FGenerate(float min, float /*max*/) override { return Next(floats, min); }

    std::deque<int> ints;
    std::deque<float> floats;
    std::vector<std::pair<int, int>> ranges;

private:
    template <class T>
    static T Next(std::deque<T>& values, T fallback)
    {
        if (values.empty())
            return fallback;
        const T value = values.front();
        values.pop_front();
        return value;
    }
};

class LootTest : public EngineTest {
protected:
    static void Record(const std::string& name, const std::string& text)
    {
        RecordDatabase::Get().RegisterRecord(name, text);
    }
    // A chain of affix tables T1 -> T2 -> ... -> Tn -> "Affix".
    static void AffixChain(int length)
    {
        for (int i = 1; i <= length; ++i)
            Record("T" + std::to_string(i), "Class,LootRandomizerTable,\nrandomizerWeight1,1,\nrandomizerName1," +
                                                (i == length ? std::string("Affix") : "T" + std::to_string(i + 1)) +
                                                ",\n");
    }
    ScriptedRandom random;
};

}  // namespace

TEST_F(LootTest, CumulativeAndRunningSumPicksCoverTheirRanges)
{
    Record("Fixed", "Class,LootItemTable_FixedWeight,\nlootName1,A,\nlootWeight1,10,\nlootName2,B,\nlootWeight2,0,\n"
                    "lootName3,C,\nlootWeight3,30,\n");
    std::unique_ptr<LootBase> fixed = LootBase::Create("Fixed");
    ASSERT_NE(fixed, nullptr);
    for (auto [roll, want] : {std::pair{0, "A"}, {9, "A"}, {10, "C"}, {39, "C"}}) {
        std::string base, prefix, suffix;
        int depth = 5;
        random.ints = {roll};
        random.ranges.clear();
        fixed->GetLootName(base, prefix, suffix, random, depth);
        EXPECT_EQ(base, want) << roll;
        EXPECT_EQ(random.ranges.front(), std::pair(0, 39));
    }

    Record("Plain", "Class,LootTable,\nlootName1,A,\nlootWeight1,10,\nlootName2,B,\nlootWeight2,20,\n"
                    "bothPrefixSuffix,1,\n");
    LootTable plain;
    ASSERT_TRUE(plain.ManualLoad("Plain"));
    for (auto [roll, want] : {std::pair{0, "A"}, {10, "A"}, {11, "B"}, {30, "B"}}) {
        std::string base;
        std::string prefix = "p", suffix = "s";
        random.ints = {roll};
        random.ranges.clear();
        plain.GetLootName(base, prefix, suffix, random);
        EXPECT_EQ(base, want) << roll;
        EXPECT_EQ(random.ranges.front(), std::pair(0, 30));
    }
    // The exact class word, case and all.
    Record("Lower", "Class,lootTable,\nlootName1,A,\nlootWeight1,1,\n");
    EXPECT_FALSE(LootTable().ManualLoad("Lower"));
    EXPECT_FALSE(LootRandomizerTable().ManualLoad("Plain"));

    // Weights past the generator's range pick nothing, with one line.
    Record("Huge", "Class,LootTable,\nlootName1,A,\nlootWeight1,2000000000,\nlootName2,B,\nlootWeight2,2000000000,\n");
    LogCapture log;
    LootTable huge;
    ASSERT_TRUE(huge.ManualLoad("Huge"));
    EXPECT_TRUE(huge.GetItems().IsEmpty());
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(LootTest, RandomizerOutcomesModifiersAndChances)
{
    Record("Pre", "Class,LootRandomizerTable,\nrandomizerName1,P,\nrandomizerWeight1,1,\n");
    Record("Suf", "Class,LootRandomizerTable,\nrandomizerName1,S,\nrandomizerWeight1,1,\n");
    Record("Items", "prefixRandomizerChance,100,\nsuffixRandomizerChance,100,\nprefixRandomizerName1,Pre,\n"
                    "prefixRandomizerWeight1,1,\nsuffixRandomizerName1,Suf,\nsuffixRandomizerWeight1,1,\n"
                    "noPrefixNoSuffix,50,\nbrokenOnly,20,\n");
    // All five outcomes 0 (modifiers 0): the roll of 0..0 gives both affixes, and a chance
    // of exactly 100 passes at a draw of 100.
    {
        LootItemTableRandomizer randomizer;
        Record("Zero", "prefixRandomizerChance,100,\nsuffixRandomizerChance,100,\nprefixRandomizerName1,Pre,\n"
                       "prefixRandomizerWeight1,1,\nsuffixRandomizerName1,Suf,\nsuffixRandomizerWeight1,1,\n");
        randomizer.LoadFromDatabase("Zero");
        std::string prefix, suffix;
        random.floats = {100.0f, 100.0f};
        randomizer.GetRandomizerNames(prefix, suffix, random);
        EXPECT_EQ(prefix, "P");
        EXPECT_EQ(suffix, "S");
        EXPECT_EQ(random.ranges.front(), std::pair(0, 0));
    }
    LootItemTableRandomizer randomizer;
    randomizer.LoadFromDatabase("Items");
    randomizer.SetNoBrokenItems();
    EXPECT_EQ(randomizer.GetOutcomes().noPrefixNoSuffix, 70u);
    EXPECT_EQ(randomizer.GetOutcomes().brokenOnly, 0u);
    // Unsigned 32-bit arithmetic as written: 70 x 0xFFFFFFFF wraps to 2^32 - 70, / 100.
    RandomizerWeightModifiers modifiers;
    modifiers.noPrefixNoSuffix = -1;
    modifiers.bothPrefixSuffix = 50;
    randomizer.SetWeightModifiers(modifiers);
    EXPECT_EQ(randomizer.GetOutcomes().noPrefixNoSuffix, 70u + 42949672u);
    EXPECT_EQ(randomizer.GetOutcomes().bothPrefixSuffix, 0u);

    // A plain table's chance is strict: 0 never picks, even at a draw of 0.
    Record("Plain", "Class,LootTable,\nlootName1,A,\nlootWeight1,1,\nprefixRandomizerChance,0,\n"
                    "prefixRandomizerName1,P,\nprefixRandomizerWeight1,1,\nsuffixRandomizerChance,100,\n"
                    "suffixRandomizerName1,S,\nsuffixRandomizerWeight1,1,\nbothPrefixSuffix,1,\n");
    LootTable plain;
    ASSERT_TRUE(plain.ManualLoad("Plain"));
    std::string base, prefix, suffix;
    random.floats = {0.0f, 99.9f};
    plain.GetLootName(base, prefix, suffix, random);
    EXPECT_EQ(prefix, "");
    EXPECT_EQ(suffix, "S");
}

TEST_F(LootTest, DynamicWindowFallbackAndBellSlope)
{
    Record("L10", "itemLevel,10,\n");
    Record("L20", "itemLevel,20,\n");
    Record("L30", "itemLevel,30,\n");
    auto validOf = [&](const char* window) {
        Record("Dyn", std::string("Class,LootItemTable_DynWeight,\nitemNames,L10;L20;L30,\ndefaultWeight,10,\n") +
                          window);
        std::unique_ptr<LootBase> made = LootBase::Create("Dyn");
        auto* table = DynamicCast<LootItemTable_DynWeight>(made.get());
        table->ComputeWeights();
        std::vector<std::pair<bool, uint32_t>> result;
        for (const auto& entry : table->GetEntries())
            result.emplace_back(entry.valid, entry.weight);
        return result;
    };
    using V = std::vector<std::pair<bool, uint32_t>>;
    EXPECT_EQ(validOf("minItemLevelEquation,1+0,\nmaxItemLevelEquation,5+0,\n"),
              (V{{true, 10}, {false, 10}, {false, 10}}));
    EXPECT_EQ(validOf("minItemLevelEquation,25+0,\nmaxItemLevelEquation,28+0,\n"),
              (V{{false, 10}, {true, 10}, {false, 10}}));
    // A slope of three values reaches distances 0..2 from the target only.
    Record("L21", "itemLevel,21,\n");
    Record("L22", "itemLevel,22,\n");
    Record("L23", "itemLevel,23,\n");
    Record("Dyn", "Class,LootItemTable_DynWeight,\nitemNames,L20;L21;L22;L23,\ndefaultWeight,10,\n"
                  "bellSlope,100;50.9;20,\nminItemLevelEquation,0+0,\nmaxItemLevelEquation,parentLevel*2,\n"
                  "targetLevelEquation,parentLevel+0.5,\n");
    std::unique_ptr<LootBase> made = LootBase::Create("Dyn");
    auto* table = DynamicCast<LootItemTable_DynWeight>(made.get());
    table->SetLevel(20, 0);
    std::string base, prefix, suffix;
    int depth = 5;
    random.ints = {14};
    table->GetLootName(base, prefix, suffix, random, depth);
    std::vector<uint32_t> weights;
    for (const auto& entry : table->GetEntries())
        weights.push_back(entry.weight);
    EXPECT_EQ(weights, (std::vector<uint32_t>{5, 10, 5, 2}));   // target 21
    EXPECT_EQ(table->GetTotalWeight(), 22u);
    EXPECT_EQ(base, "L21");
    // Worked out once: a new level changes nothing.
    table->SetLevel(1, 0);
    random.ints = {21};
    table->GetLootName(base, prefix, suffix, random, depth);
    EXPECT_EQ(base, "L23");
}

// Tables made from one record share what was read of it: each works out its window from
// its own level, and a table's names outlive the first table and the record's change.
TEST_F(LootTest, DynamicTablesOfOneRecordEachReadTheirOwnLevel)
{
    for (int level : {10, 20, 30})
        Record("L" + std::to_string(level), "itemLevel," + std::to_string(level) + ",\n");
    Record("Dyn", "Class,LootItemTable_DynWeight,\nitemNames,L10;L20;L30,\ndefaultWeight,10,\n"
                  "minItemLevelEquation,parentLevel-1,\nmaxItemLevelEquation,parentLevel+1,\n"
                  "targetLevelEquation,parentLevel+,\n");
    auto validOf = [](LootBase& made, uint32_t level) {
        auto& table = *DynamicCast<LootItemTable_DynWeight>(&made);
        table.SetLevel(level, 0);
        table.ComputeWeights();
        std::vector<std::string> valid;
        for (const auto& entry : table.GetEntries())
            if (entry.valid)
                valid.emplace_back(entry.name);
        return valid;
    };
    std::vector<std::unique_ptr<LootBase>> tables;
    LogCapture log;
    for (int i = 0; i < 3; ++i)
        tables.push_back(LootBase::Create("Dyn"));
    EXPECT_EQ(log.Count("-=- LootItemTable_DynWeight:: Equation  load failure : targetLevelEquation "), 3u);
    EXPECT_EQ(validOf(*tables[1], 20), (std::vector<std::string>{"L20"}));
    tables[0].reset();
    Record("Dyn", "Class,LootItemTable_DynWeight,\nitemNames,L10,\n");
    EXPECT_EQ(validOf(*tables[2], 30), (std::vector<std::string>{"L30"}));
}

TEST_F(LootTest, LoaderResolvesTablesItemsAndStopsDeepChains)
{
    Record("Item", "Class,Item,\n");
    Record("Fixed", "Class,LootItemTable_FixedWeight,\nlootName1,Item,\nlootWeight1,1,\n");
    Record("MasterA", "Class,LootMasterTable,\nlootName1,MasterB,\nlootWeight1,1,\nlootName2,Fixed,\nlootWeight2,1,\n");
    Record("MasterB", "Class,LootMasterTable,\nlootName1,MasterA,\nlootWeight1,1,\n");
    Record("Loot", "chanceToEquipHeadItem1,1,\nlootHeadItem1,MasterA,\n");
    const LoadTable& table = *RecordDatabase::Get().Load("Loot");
    LootLoader loader;
    loader.Load(table, LootLoader::Head, 6, 0);
    {
        // A cycle A -> B -> A ... uses up the shared depth and stops without a word.
        LogCapture log;
        std::string base, prefix, suffix;
        loader.GetLootName(base, prefix, suffix, random);
        EXPECT_EQ(base, "MasterA");
        EXPECT_EQ(random.ranges.size(), 6u);   // the loader's draw and five master picks
        EXPECT_TRUE(log.Lines().empty());
    }
    {
        std::string base, prefix, suffix;
        random.ints = {0, 1};
        loader.GetLootName(base, prefix, suffix, random);
        EXPECT_EQ(base, "Item");
    }
    // An item record comes back as it is.
    Record("Loot", "chanceToEquipHeadItem1,1,\nlootHeadItem1,Item,\n");
    loader.Load(*RecordDatabase::Get().Load("Loot"), LootLoader::Head, 6, 0);
    std::string base, prefix = "p", suffix = "s";
    loader.GetLootName(base, prefix, suffix, random);
    EXPECT_EQ(base + prefix + suffix, "Itemps");

    // Plain tables naming plain tables: six are followed, then one line.
    for (int i = 1; i <= 8; ++i)
        Record("Plain" + std::to_string(i), "Class,LootTable,\nlootWeight1,1,\nlootName1,Plain" +
                                                std::to_string(i + 1) + ",\nnoPrefixNoSuffix,1,\n");
    LogCapture log;
    base = "Plain1";
    loader.ValidateSelectLootRecursive(base, prefix, suffix, 5, random);
    EXPECT_EQ(base, "Plain7");
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(LootTest, ItemTablesPickWithTheAffixRulesTheirRecordHasNow)
{
    // The rules are kept from pick to pick; a record registered again is read afresh.
    for (std::string affix : {"AffixA", "AffixB"})
        Record("Table" + affix, "Class,LootRandomizerTable,\nrandomizerWeight1,1,\nrandomizerName1," + affix + ",\n");
    const std::string rules = "Class,LootItemTable_FixedWeight,\nlootName1,Item,\nlootWeight1,1,\nbothPrefixSuffix,1,\n"
                              "prefixRandomizerChance,100,\nprefixRandomizerWeight1,1,\nprefixRandomizerName1,Table";
    for (std::string affix : {"AffixA", "AffixA", "AffixB"}) {
        Record("Fixed", rules + affix + ",\n");
        for (int pick = 0; pick < 2; ++pick) {
            std::unique_ptr<LootBase> table = LootBase::Create("Fixed");
            ASSERT_TRUE(table);
            std::string base, prefix, suffix;
            int depth = 1;
            table->GetLootName(base, prefix, suffix, random, depth);
            EXPECT_EQ(base + "/" + prefix, "Item/" + affix);
        }
    }
}

TEST_F(LootTest, NestedAffixTablesStopAfterSixWithOneLine)
{
    Record("Plain", "Class,LootTable,\nlootName1,A,\nlootWeight1,1,\nprefixRandomizerChance,100,\n"
                    "prefixRandomizerName1,T1,\nprefixRandomizerWeight1,1,\nbothPrefixSuffix,1,\n");
    LootTable plain;
    ASSERT_TRUE(plain.ManualLoad("Plain"));
    for (auto [length, want, lines] : {std::tuple{6, "Affix", 0u}, {7, "T7", 1u}}) {
        AffixChain(length);
        LogCapture log;
        std::string base, prefix, suffix;
        plain.GetLootName(base, prefix, suffix, random);
        EXPECT_EQ(prefix, want);
        EXPECT_EQ(log.Lines().size(), lines);
    }
}

TEST_F(LootTest, GoldSplitsIntoPilesOfAtLeastOne)
{
    auto run = [&](const std::string& keys, std::deque<int> ints, float chance = 100.0f) {
        Record("Gold", "goldActors,Pile,\n" + keys);
        GoldGenerator gold;
        gold.LoadFromDatabase("Gold");
        gold.SetChance(chance);
        random.ints = std::move(ints);
        random.ranges.clear();
        std::vector<ItemReplicaInfo> piles;
        gold.RunGenerator(piles, random);
        std::vector<uint32_t> amounts;
        for (const ItemReplicaInfo& pile : piles) {
            EXPECT_EQ(pile.baseName, "Pile");
            amounts.push_back(pile.var1);
        }
        return amounts;
    };
    using A = std::vector<uint32_t>;
    const std::string hundred = "goldAmountEquation,100+0,\ngoldValueMax,1000,\n";
    EXPECT_EQ(run(hundred + "goldSplitMin,1,\ngoldSplitMax,1,\n", {100, 1}), (A{100}));
    EXPECT_EQ(run(hundred + "goldSplitMin,3,\ngoldSplitMax,3,\ngoldSplitSizeMin,60,\n", {100, 3}), (A{100}));
    // Two formulas: the amount is drawn between them.
    run("goldAmountEquation,50+0,\ngoldAmountEquation2,20+0,\ngoldValueMax,1000,\n", {});
    EXPECT_EQ(random.ranges.front(), std::pair(20, 50));
    // A minimum of 0 still makes piles of 1 or more.
    EXPECT_EQ(run(hundred + "goldSplitMin,3,\ngoldSplitMax,3,\ngoldSplitSizeMin,0,\n", {100, 3, 1, 98}), (A{1, 98, 1}));
    EXPECT_EQ(random.ranges[2], std::pair(1, 99));
    // A formula without a finite value is held to the record's range, not converted undefined.
    EXPECT_EQ(run("goldAmountEquation,1/0,\ngoldValueMax,700,\ngoldSplitMin,1,\ngoldSplitMax,1,\n", {}), (A{700}));
    // Split counts past the most piles a drop makes are held to it, with a log line.
    {
        LogCapture log;
        const A piles = run(hundred + "goldSplitMin,2000000000,\ngoldSplitMax,2000000000,\n", {100, 100});
        EXPECT_EQ(random.ranges[1], std::pair(GoldGenerator::kMaxPiles, GoldGenerator::kMaxPiles));
        EXPECT_EQ(std::accumulate(piles.begin(), piles.end(), 0u), 100u);
        EXPECT_EQ(log.Lines().size(), 1u);
    }
    // A chance of 0 or less drops without the chance roll.
    random.floats = {50.0f};
    EXPECT_EQ(run(hundred, {100}, 0.0f), (A{100}));
    EXPECT_EQ(random.floats.size(), 1u);
}

TEST_F(LootTest, DeathDropsGoldFirstWithFreshIdsAtTheBody)
{
    NiceNetwork network;
    engine->InstallNetworkInterface(&network);
    Record("Gold", "goldAmountEquation,40+0,\ngoldValueMax,1000,\ngoldSplitMin,1,\ngoldSplitMax,1,\n"
                   "goldActors,Records/Item/OneShot/Gold.dbr,\n");
    Record("Brute", "Class,Monster,\ngoldGenerator,Gold,\ngoldGeneratorChance,100,\ncharLevel,3,\n");
    auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>("Brute");
    ASSERT_NE(monster, nullptr);
    auto* controller = DynamicCast<ControllerCombat>(ObjectManager::Get().CreateObject("ControllerCombat"));
    controller->AttachParent(monster->GetObjectId());
    std::vector<ItemReplicaInfo> made;
    EXPECT_CALL(network, CreateItem(0, _, _, nullptr)).WillRepeatedly([&](auto, auto, const ItemReplicaInfo& item, auto) {
        EXPECT_TRUE(monster->IsAlive());   // before the character starts dying
        made.push_back(item);
    });
    controller->KillMe();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].var1, 40u);
    EXPECT_NE(made[0].objectId, 0u);
    EXPECT_FALSE(monster->IsAlive());
}

TEST_F(LootTest, MonstersFromOneLootSeedWearTheSameRolledItems)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    engine->LoadFromDatabase("Records/Game/GameEngine.dbr");
    std::string wear = "Class,Monster,\nmonsterClassification,Boss,\ncharLevel,6,\n";
    for (const char* location : {"Head", "Torso", "LowerBody", "Finger1"})
        wear += std::string("chanceToEquip") + location + ",100,\nloot" + location +
                "Item1,Records/Loot/ArenaMaster.dbr,\nchanceToEquip" + location + "Item1,1,\n";
    wear += "chanceToEquipLeftHand,100,\nlootLeftHandItem1,Records/Loot/ArenaChest.dbr,\nchanceToEquipLeftHandItem1,1,\n";
    Record("Wearer", wear);
    bool anyAffix = false;
    for (uint16_t seed : {1, 77, 4242}) {
        std::vector<InventoryReplica> worn[2];
        for (auto& replicas : worn) {
            engine->GetRandomGen().Seed(seed);   // the loot seed a monster takes at load
            ObjectManager::Get().CreateObjectFromFile<Monster>("Wearer")->GetInventoryReplica(replicas);
        }
        ASSERT_EQ(worn[0].size(), worn[1].size());
        EXPECT_FALSE(worn[0].empty());
        for (size_t i = 0; i < worn[0].size(); ++i) {
            EXPECT_EQ(worn[0][i].info, worn[1][i].info) << seed << " " << i;
            EXPECT_EQ(worn[0][i].info.baseName.find("Records/Loot"), std::string::npos);
            anyAffix = anyAffix || !worn[0][i].info.prefixName.empty() || !worn[0][i].info.suffixName.empty();
        }
    }
    EXPECT_TRUE(anyAffix);
}

// Tables of one record share the rows read from it until the record is registered again;
// a table made outside the record database under the same name reads its own rows.
TEST_F(LootTest, ItemTableRowsAreSharedUntilTheRecordChanges)
{
    Record("Shared", "Class,LootItemTable_FixedWeight,\nlootName1,A,\nlootWeight1,10,\n");
    std::unique_ptr<LootBase> first = LootBase::Create("Shared");
    std::unique_ptr<LootBase> second = LootBase::Create("shared");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const auto& rows = static_cast<LootItemTable_FixedWeight&>(*first).GetList().GetEntries();
    EXPECT_EQ(&rows, &static_cast<LootItemTable_FixedWeight&>(*second).GetList().GetEntries());
    ASSERT_EQ(rows.size(), 1u);

    LoadTable own("Shared");
    own.Parse("lootName1,B,\nlootWeight1,5,\n", 28, "Shared");
    LootItemTable_FixedWeight outside;
    outside.Load(own);
    ASSERT_EQ(outside.GetList().GetEntries().size(), 1u);
    EXPECT_EQ(outside.GetList().GetEntries()[0].name, "B");

    Record("Shared", "Class,LootItemTable_FixedWeight,\nlootName1,C,\nlootWeight1,3,\nlootName2,D,\nlootWeight2,4,\n");
    std::unique_ptr<LootBase> after = LootBase::Create("Shared");
    const CumulativeLootList& list = static_cast<LootItemTable_FixedWeight&>(*after).GetList();
    ASSERT_EQ(list.GetEntries().size(), 2u);
    EXPECT_EQ(list.GetTotal(), 7u);
    EXPECT_EQ(rows[0].name, "A");   // what the earlier table read stays whole
}

TEST_F(LootTest, ListsOfOneRecordAreKeptApartByTheirKeysAndRows)
{
    const LoadTable* record = RecordDatabase::Get().RegisterRecord(
        "Lists", "lootName1,A,\nlootWeight1,1,\nlootName2,B,\nlootWeight2,2,\notherName1,C,\notherWeight1,5,\n");
    ASSERT_NE(record, nullptr);
    // Read twice each, in an order that would hand a list kept under the wrong key back.
    const struct {
        const char* names;
        const char* weights;
        unsigned rows;
        size_t entries;
        uint32_t total;
        const char* first;
    } kCases[] = {
        {"lootName", "lootWeight", 2, 2, 3, "A"},  {"otherName", "otherWeight", 2, 1, 5, "C"},
        {"lootName", "lootWeight", 1, 1, 1, "A"},  {"lootName", "otherWeight", 2, 1, 5, "A"},
        {"lootName", "lootWeight", 2, 2, 3, "A"},  {"otherName", "otherWeight", 2, 1, 5, "C"},
    };
    for (const auto& c : kCases) {
        CumulativeLootList list;
        list.Load(*record, "Lists", c.names, c.weights, c.rows);
        EXPECT_EQ(list.GetEntries().size(), c.entries) << c.names << " " << c.weights << " " << c.rows;
        EXPECT_EQ(list.GetTotal(), c.total) << c.names << " " << c.weights << " " << c.rows;
        ASSERT_FALSE(list.IsEmpty());
        EXPECT_EQ(list.GetEntries()[0].name, c.first);
    }
}
