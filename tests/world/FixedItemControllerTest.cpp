// Loot of fixed items: the number of items, the loot table by level, the entry drawn,
// the copies made, driven with scripted draws over records registered in memory.
#include <deque>

#include "ScriptedRandom.h"
#include "world/PlacedObjectFixture.h"

#include "Engine/LoadTable.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/world/FixedItemController.h"

namespace GAME {

namespace {

using ::testing::_;


class FixedItemControllerTest : public PlacedObjectTest {
protected:
    const LoadTable& Table(const std::string& keys)
    {
        const std::string name = NewRecord("LootRecord", keys);
        return *ObjectManager::Get().LoadTableFile(name);
    }
    void Drops()
    {
        engine->InstallNetworkInterface(&network);
        EXPECT_CALL(network, CreateItem(0, _, _, nullptr))
            .WillRepeatedly([&](auto, auto, const ItemReplicaInfo& item, auto) { made.push_back(item); });
    }
    NiceNetwork network;
    std::vector<ItemReplicaInfo> made;
    ScriptedRandom random;
    FixedItemController controller;
};

TEST_F(FixedItemControllerTest, TheWeightsGiveTheFirstIndexTheDrawReaches)
{
    controller.SetRandomGen(&random);
    const LoadTable& weights = Table("numberWeights,5;3;2,\n");
    const std::pair<int, unsigned> cases[] = {{0, 0}, {5, 0}, {6, 1}, {8, 1}, {9, 2}, {10, 2}};
    for (const auto& [draw, count] : cases) {
        random.ints = {draw};
        EXPECT_EQ(controller.SelectLootNumber(weights), count) << draw;
    }
    EXPECT_EQ(random.ranges.back(), std::pair(0, 10));
    random.ints = {0};
    EXPECT_EQ(controller.SelectLootNumber(Table("")), 0u);   // no weights: nothing
}

TEST_F(FixedItemControllerTest, TheBoundFormulasDrawBetweenTheSmallerAndTheLarger)
{
    controller.SetRandomGen(&random);
    struct Case {
        const char* keys;
        std::pair<int, int> range;
    };
    const Case cases[] = {{"numSpawnMinEquation,3+0,\nnumSpawnMaxEquation,1+0,\n", {1, 3}},
                          {"numSpawnMinEquation,1.4+0,\nnumSpawnMaxEquation,2.5+0,\n", {1, 3}},
                          {"numSpawnMinEquation,0-4,\n", {0, 0}},
                          {"numSpawnMinEquation,2+0,\nnumSpawnMaxEquation,(((,\n", {0, 2}}};
    for (const Case& c : cases) {
        random.ranges.clear();
        controller.SelectLootNumber(Table(c.keys));
        ASSERT_EQ(random.ranges.size(), 1u) << c.keys;
        EXPECT_EQ(random.ranges[0], c.range) << c.keys;
    }
}

TEST_F(FixedItemControllerTest, TheLevelPicksTheTableAndTheFormulaGivesTheLevel)
{
    NewRecord("LevelFormula", "levelEquation,6.5+0,\n");
    const LoadTable& item = Table("tables,A;B;C,\n");
    std::string picked;
    controller.PickLootRecord(item, picked);
    EXPECT_EQ(picked, "A");   // level 0 takes the first

    const std::string formula = NewRecord("LevelFormula", "levelEquation,6.5+0,\n");
    controller.CalculateFixedItemLevel(Table("levelEquationFile," + formula + ",\n"));
    EXPECT_EQ(controller.GetLevel(), 7u);
    controller.PickLootRecord(item, picked);
    EXPECT_EQ(picked, "C");

    const std::string negative = NewRecord("LevelFormula", "levelEquation,0-3,\n");
    controller.CalculateFixedItemLevel(Table("levelEquationFile," + negative + ",\n"));
    EXPECT_EQ(controller.GetLevel(), 0u);
    const std::string broken = NewRecord("LevelFormula", "levelEquation,)(,\n");
    controller.CalculateFixedItemLevel(Table("levelEquationFile," + broken + ",\n"));
    EXPECT_EQ(controller.GetLevel(), 0u);

    std::string untouched = "kept";
    controller.PickLootRecord(Table(""), untouched);
    EXPECT_EQ(untouched, "kept");
}

TEST_F(FixedItemControllerTest, TheProxyLevelIsTheItemsAsItIsWhenAsked)
{
    FixedItem* chest = MakeOf<FixedItem>("FixedItem");
    controller.SetParent(chest);
    chest->SetProxyLevel(7);   // a spawn pool sets it after the controller exists
    float value = 0.0f;
    ASSERT_TRUE(controller.GetDesignerVariable("proxyLevel", value));
    EXPECT_EQ(value, 7.0f);

    const std::string formula = NewRecord("LevelFormula", "levelEquation,proxyLevel+0,\n");
    const LoadTable& item = Table("levelEquationFile," + formula + ",\n");
    chest->SetProxyLevel(4);
    controller.CalculateFixedItemLevel(item);
    EXPECT_EQ(controller.GetLevel(), 4u);
    EXPECT_FALSE(controller.GetDesignerVariable("proxylevel", value));   // names match exactly
}

TEST_F(FixedItemControllerTest, ADrawOfZeroTakesAnEntryWhoseRunningChanceIsZero)
{
    controller.SetRandomGen(&random);
    const LoadTable& loot = Table(
        "loot1Chance,0,\nloot1Name1,Records/First.dbr,\nloot1Weight1,1,\n"
        "loot2Chance,0.5,\nloot2Name1,Records/Second.dbr,\nloot2Weight1,1,\n"
        "loot3Chance,0.5,\nloot3Name1,Records/Third.dbr,\nloot3Weight1,1,\n");
    const std::pair<float, const char*> cases[] = {{0.0f, "Records/First.dbr"},
                                                   {0.25f, "Records/Second.dbr"},
                                                   {0.5f, "Records/Second.dbr"},
                                                   {0.75f, "Records/Third.dbr"},
                                                   {1.0f, "Records/Third.dbr"},
                                                   {2.0f, ""}};
    for (const auto& [draw, name] : cases) {
        random.floats = {draw};
        std::string base, prefix, suffix;
        controller.SelectLoot(loot, base, prefix, suffix, 1, ChestClassification_Common);
        EXPECT_EQ(base, name) << draw;
    }
}

TEST_F(FixedItemControllerTest, CopiesAndPartyDropsAreObjectsOfTheirOwn)
{
    Drops();
    FixedItem* chest = MakeOf<FixedItem>("FixedItem");
    controller.SetParent(chest);
    ItemReplicaInfo info;
    info.objectId = 77;
    info.seed = 5;
    info.baseName = "Records/Thing.dbr";
    controller.DropAdditionalItems(info, 3);
    ASSERT_EQ(made.size(), 3u);
    EXPECT_NE(made[0].objectId, made[1].objectId);
    EXPECT_NE(made[1].objectId, made[2].objectId);
    for (const ItemReplicaInfo& copy : made)
        EXPECT_EQ(copy.seed, 5u);
    made.clear();
    controller.DropAdditionalItems(info, 0);
    EXPECT_EQ(made.size(), 1u);

    // A chest without loot tables drops only its per-party item.
    made.clear();
    chest->SetDropPerPartyMemberItem(info);
    controller.LoadFromDatabase(NewRecord("FixedItem", ""));
    controller.LoadDropLoot();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].baseName, "Records/Thing.dbr");

    // Its gold is that of level 0: the amount is drawn between 5 and 5, not 15 and 15.
    made.clear();
    controller.SetRandomGen(&random);
    random.ranges.clear();
    const std::string gold = NewRecord("GoldGenerator", "goldAmountEquation,5+(generatorLevel*10),\ngoldValueMax,1000,\n"
                                                        "goldSplitMin,1,\ngoldSplitMax,1,\ngoldActors,Pile,\n");
    controller.LoadFromDatabase(NewRecord("FixedItem", "goldGenerator," + gold + ",\ngoldGeneratorChance,100,\n"));
    controller.LoadDropLoot();
    ASSERT_EQ(random.ranges.size(), 4u);   // no items, the amount, the piles, the pile's name
    EXPECT_EQ(random.ranges[0], std::pair(0, 0));
    EXPECT_EQ(random.ranges[1], std::pair(5, 5));
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0].baseName, "Pile");
}

}  // namespace

}  // namespace GAME
