// The market's stock generators: the count draw, the uniqueness rule and the shared
// depth of one item's attempts.
#include <deque>
#include <tuple>
#include <utility>

#include "ScriptedRandom.h"
#include "core/EngineFixture.h"
#include "Game/items/MarketClient.h"
#include "Game/items/MarketServer.h"
#include "Game/items/loot/LootBase.h"
#include "Game/items/market/MarketMiniMart.h"

using namespace GAME;

namespace {


// Hands out scripted names, spending one level of depth per pick.
class ScriptedTable : public LootBase {
public:
    void GetLootName(std::string& base, std::string& prefix, std::string& suffix, RandomUniform&, int& depth) override
    {
        depths.push_back(depth--);
        if (names.empty())
            return;
        std::tie(base, prefix, suffix) = names.front();
        names.pop_front();
    }
    std::deque<std::tuple<std::string, std::string, std::string>> names;
    std::vector<int> depths;
};

class StockGeneratorTest : public EngineTest {
protected:
    MarketClient market{nullptr, 7};
    ScriptedRandom random;
};

}  // namespace

TEST_F(StockGeneratorTest, CountIsDrawnEvenWithoutKeysOrTable)
{
    const LoadTable* record = RecordDatabase::Get().RegisterRecord("Shop", "marketNumBowMin,2,\nmarketNumBowMax,4,\n");
    ASSERT_NE(record, nullptr);
    MarketWeapon_Axe axe;
    MarketWeapon_Bow bow;
    MarketArmor_Used used;
    MarketMisc_Static statics;
    for (MarketMiniMart* kind : std::initializer_list<MarketMiniMart*>{&axe, &bow, &used, &statics}) {
        kind->SetMarket(&market);
        kind->Refresh(*record, 3, random);
    }
    const std::vector<std::pair<int, int>> want = {{0, 0}, {2, 4}, {0, 0}, {0, 0}};
    EXPECT_EQ(random.ranges, want);
    EXPECT_TRUE(market.GetGeneratedQueue().empty());
    EXPECT_EQ(bow.GetTableName(*record, 3), "");

    RecordDatabase::Get().RegisterRecord("Shop2", "marketBowTable12,Loot/Bows,\n"
                                                  "marketBodyArmorTable4294967295,Loot/Coats,\n");
    const LoadTable& shop2 = *RecordDatabase::Get().Find("Shop2");
    EXPECT_EQ(bow.GetTableName(shop2, 12), "Loot/Bows");
    EXPECT_EQ(bow.GetTableName(shop2, 1), "");
    // The longest stem with the largest bracket still names its key whole.
    EXPECT_EQ(MarketArmor_BodyArmor().GetTableName(shop2, 4294967295u), "Loot/Coats");
}

TEST_F(StockGeneratorTest, UniquenessIsCaseSensitiveIgnoresSeedsAndSharesDepth)
{
    MarketMisc_Ring ring;
    ring.SetMarket(&market);
    ScriptedTable table;
    table.names = {{"Ring", "", ""}, {"ring", "", ""}, {"Ring", "", ""}, {"Ring", "P", ""}, {"", "", ""}};
    random.ints = {100, 200, 300};
    for (int i = 0; i < 4; ++i)
        ring.LoadItem(table, random);
    ASSERT_EQ(ring.GetItems().size(), 3u);
    EXPECT_EQ(ring.GetItems()[1].baseName, "ring");
    EXPECT_EQ(ring.GetItems()[2].prefixName, "P");
    EXPECT_EQ(ring.GetItems()[2].seed, 300u);
    EXPECT_EQ(random.ranges.back(), std::pair(GameEngine::kSeedMin, GameEngine::kSeedMax));

    // Five repeats of a kept identity add nothing, with one depth budget across them.
    table.depths.clear();
    for (int i = 0; i < 6; ++i)
        table.names.emplace_back("ring", "", "");
    ring.LoadItem(table, random);
    EXPECT_EQ(ring.GetItems().size(), 3u);
    EXPECT_EQ(table.depths, (std::vector<int>{5, 4, 3, 2, 1}));

    ring.UploadItems();
    EXPECT_TRUE(ring.GetItems().empty());
    EXPECT_EQ(market.GetGeneratedQueue().size(), 3u);
    EXPECT_TRUE(market.GetStaticQueue().empty());
}

// Generators that together draw past the server's limit list only the indices it sells:
// the first identities in draw order.
TEST_F(StockGeneratorTest, TheWholeStockStopsWhereTheServerStopsSelling)
{
    MarketWeapon_Axe axe;
    MarketMisc_Ring ring;
    ScriptedTable table;
    for (uint32_t i = 0; i < MarketServer::kStockLimit + 2; ++i)
        table.names.emplace_back("Item" + std::to_string(i), "", "");
    for (MarketMiniMart* kind : std::initializer_list<MarketMiniMart*>{&axe, &ring}) {
        kind->SetMarket(&market);
        for (uint32_t i = 0; i < MarketServer::kStockLimit / 2 + 1; ++i)
            kind->LoadItem(table, random);
        kind->UploadItems();
    }
    ASSERT_EQ(market.GetGeneratedQueue().size(), MarketServer::kStockLimit);
    EXPECT_EQ(market.GetGeneratedQueue().back().baseName, "Item" + std::to_string(MarketServer::kStockLimit - 1));
}
