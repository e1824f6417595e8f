// A merchant's shop on one peer: the stock rebuilt from the server's key, purchases and
// their refusals, sales, the buy-back page, and what a hostile server cannot do to it.
#include "core/EngineFixture.h"
#include "Engine/Localization.h"
#include "Engine/Texture.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/items/Item.h"
#include "Game/items/MarketClient.h"

namespace GAME {
namespace {

using ::testing::_;

constexpr uint32_t kMerchant = 77;

class MarketClientTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        LocalizationManager::Instance().RegisterTags("SimpleStringFormat=%s\ntagMarketError01=E1\ntagMarketError02=E2\n"
                                                     "tagMarketError03=E3\ntagMarketError04=E4\n");
        auto& records = RecordDatabase::Get();
        records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        records.RegisterRecord("Costs", "armorCostEquation,itemBaseCost+0,\nweaponCostEquation,itemBaseCost+0,\n"
                                        "weaponRangedCostEquation,itemBaseCost+0,\njewelryCostEquation,itemBaseCost+0,\n");
        for (auto [name, kind, cost] : {std::tuple{"Bow", "WeaponHunting_Bow", 500}, {"Sword", "WeaponMelee_Sword", 500},
                                        {"Helm", "ArmorProtective_Head", 300}, {"Ring", "ArmorJewelry_Ring", 200},
                                        {"Tonic", "ArmorJewelry_Amulet", 40}, {"Wide", "ArmorJewelry_Amulet", 90},
                                        {"Big", "ArmorJewelry_Amulet", 80}}) {
            records.RegisterRecord(name, std::string("Class,") + kind + ",\nitemCostName,Costs,\nitemCost," +
                                             std::to_string(cost) + ",\nbitmap," + name + ".tex,\n");
            records.RegisterRecord(std::string("Loot") + name, std::string("Class,LootItemTable_FixedWeight,\n"
                                                                           "lootName1,") + name + ",\nlootWeight1,1,\n");
        }
        Texture::RegisterSize("Wide.tex", 300, 32), Texture::RegisterSize("Big.tex", 256, 224);   // two fill page 5
        std::string stock = "marketHealthPotion,Tonic,\nmarketCostAdjustment,10,\nmaxPlayerPurchase,100,\n";
        for (const char* kind : {"Bow", "Sword", "Helm", "Ring"})
            stock += std::string("marketNum") + kind + "Min,1,\nmarketNum" + kind + "Max,1,\nmarket" + kind +
                     "Table2,Loot" + kind + ",\n";
        records.RegisterRecord("Shop", stock);
        records.RegisterRecord("Cheap", stock + "marketDepreciation,150,\n");

        engine->InstallNetworkInterface(&network);
        ON_CALL(network, CreateItem(_, _, _, _)).WillByDefault([this](uint32_t to, auto, const ItemReplicaInfo& info, auto) {
            made = to == kMainPlayerId ? Item::CreateItem(info)->GetObjectId() : 0;
        });
        player = MakeMainPlayer();
        player->SetIsControllingCharacter(true);
        engine->CreateMarketClient(kMerchant);
        market = engine->GetClientServices()->GetMarketClient(kMerchant);
    }
    void TearDown() override { Texture::ClearSizes(), LocalizationManager::Instance().Clear(), EngineTest::TearDown(); }
    void Build()
    {
        while (!market->GetGeneratedQueue().empty() || !market->GetStaticQueue().empty())
            market->Update(0);
    }
    std::vector<std::string> Dialogs()
    {
        std::vector<std::string> texts;
        for (DialogManager& dialogs = engine->GetDialogManager(); dialogs.PeekTopDialog(); dialogs.RemoveTopDialog())
            texts.emplace_back(dialogs.PeekTopDialog()->text.begin(), dialogs.PeekTopDialog()->text.end());
        return texts;
    }
    uint32_t Bought(uint32_t index)   // the player's item after a confirmed purchase
    {
        made = 0;
        market->S2C_MarketPurchaseConfirmation(index, kMainPlayerId);
        return made;
    }

    NiceNetwork network;
    Player* player = nullptr;
    MarketClient* market = nullptr;
    uint32_t made = 0;   // the last item made for the main player
};

TEST_F(MarketClientTest, StockIsRebuiltFromTheKeyOneItemPerFrameAndTheSameKeyOnlyRemarks)
{
    EXPECT_CALL(network, C2S_MarketUpdateRequest(kMerchant)).Times(1);
    RandomUniform game = engine->GetRandomGen();
    market->S2C_MarketUpdate("Shop", 2, 4321, {1});
    // The game's generator gives the potion's seed, then the static goods' count, and no more.
    const uint32_t potionSeed = static_cast<uint32_t>(game.IGenerate(GameEngine::kSeedMin, GameEngine::kSeedMax));
    game.IGenerate(0, 0);
    EXPECT_EQ(engine->GetRandomGen().IGenerate(0, 1000), game.IGenerate(0, 1000));
    Build();
    EXPECT_EQ(market->GetStaticStock()[0].identity.seed, potionSeed);
    std::vector<ItemReplicaInfo> first;
    for (const auto& entry : market->GetGeneratedStock())
        first.push_back(entry.identity);
    ASSERT_EQ(first.size(), 4u);
    // Another key, then this one again mid-build, with the game's generator elsewhere: the
    // shared stock is the same, and nothing of the interrupted build is left.
    market->S2C_MarketUpdate("Shop", 2, 1, {});
    market->Update(0);
    engine->GetRandomGen().Seed(99);
    market->S2C_MarketUpdate("shop", 2, 4321, {1});
    EXPECT_TRUE(market->GetGeneratedStock().empty());
    Build();
    const auto& stock = market->GetGeneratedStock();
    ASSERT_EQ(stock.size(), first.size());
    for (uint32_t i = 0; i < stock.size(); ++i)
        EXPECT_TRUE(stock[i].index == i && stock[i].identity == first[i]);
    EXPECT_EQ(stock[3].identity.baseName, "Ring");   // bow, sword, helm, ring: the generators' order
    EXPECT_EQ(stock[1].status, MarketItemStatus_Sold);
    EXPECT_EQ(stock[0].price, 550u);   // 500 and 10 percent
    EXPECT_EQ(market->GetInventorySack(Market_PageRanged)->GetInventory().count(stock[0].itemId), 1u);
    EXPECT_EQ(market->GetInventorySack(Market_PageGoods)->GetInventory().size(), 2u);   // ring and potion

    const uint32_t helm = stock[2].itemId;
    market->S2C_MarketUpdate("SHOP", 2, 4321, {2});
    EXPECT_TRUE(stock[1].status == MarketItemStatus_OnSale && stock[2].status == MarketItemStatus_Sold);
    EXPECT_EQ(stock[2].itemId, helm);

    // A hostile server: indices past the stock, statuses past 3 and overlong lists change nothing.
    market->S2C_MarketItemStatusUpdate(9, MarketItemStatus_Sold);
    market->S2C_MarketPurchaseDenied(0, kMainPlayerId, static_cast<MarketItemStatus>(4));
    std::vector<uint32_t> longList(MarketClient::kMaxUnavailable, 3);
    longList.push_back(0);
    market->S2C_MarketUpdate("Shop", 2, 4321, longList);
    EXPECT_EQ(stock[0].status, MarketItemStatus_OnSale);
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(MarketClientTest, RefusalsComeInOrderAndPendingPricesCountAsSpent)
{
    market->S2C_MarketUpdate("Shop", 2, 1, {3});
    Build();
    const auto& stock = market->GetGeneratedStock();
    player->SetCurrentMoney(600);
    EXPECT_FALSE(market->PlayerPurchaseRequest(stock[3].itemId));   // sold
    player->SetIsControllingCharacter(false);
    EXPECT_FALSE(market->PlayerPurchaseRequest(stock[0].itemId));   // no room
    player->SetIsControllingCharacter(true);
    EXPECT_CALL(network, C2S_MarketPurchaseRequest(kMerchant, 2, 1, 0, kMainPlayerId));
    EXPECT_TRUE(market->PlayerPurchaseRequest(stock[0].itemId));
    EXPECT_EQ(market->GetMarketItemStatus(stock[0].itemId), MarketItemStatus_PurchasePending);
    EXPECT_FALSE(market->GetIsItemAffordable(stock[1].itemId));
    EXPECT_FALSE(market->PlayerPurchaseRequest(stock[1].itemId));   // 550 + 550 above 600
    EXPECT_EQ(Dialogs(), (std::vector<std::string>{"E3", "E2", "E1"}));

    market->S2C_MarketPurchaseDenied(0, kMainPlayerId, MarketItemStatus_Sold);
    EXPECT_EQ(Dialogs(), std::vector<std::string>{"E3"});
    EXPECT_CALL(network, C2S_MarketPurchaseRequest(kMerchant, 2, 1, 1, kMainPlayerId));
    EXPECT_TRUE(market->PlayerPurchaseRequest(stock[1].itemId));
    Bought(1);
    EXPECT_EQ(player->GetCurrentMoney(), 50u);
    EXPECT_TRUE(stock[1].status == MarketItemStatus_Sold && stock[1].boughtThisVisit);
}

TEST_F(MarketClientTest, SalesRefundVisitPricesCapOthersAndFeedTheBuyBackPage)
{
    market->S2C_MarketUpdate("Shop", 2, 1, {});
    Build();
    player->SetCurrentMoney(1000);
    const auto& stock = market->GetGeneratedStock();
    ASSERT_TRUE(market->PlayerPurchaseRequest(stock[0].itemId));
    const uint32_t bow = Bought(0);
    EXPECT_EQ(market->GetSaleValue(bow, false), 550u);
    EXPECT_EQ(market->GetSaleValue(stock[1].itemId, false), 0u);   // the merchant's, not the player's

    // The bow refunds exactly its price and goes back on sale through the server.
    EXPECT_CALL(network, C2S_MarketSellBack(kMerchant, 2, 1, 0, kMainPlayerId));
    EXPECT_TRUE(market->PlayerSaleRequest(bow, true));
    EXPECT_EQ(player->GetCurrentMoney(), 1000u);
    // Once the visit ends the price paid is forgotten: the sword sells at its value, capped
    // by the record at 100, onto page 5.
    ASSERT_TRUE(market->PlayerPurchaseRequest(stock[1].itemId));
    const uint32_t sword = Bought(1);
    market->CloseMarket();
    EXPECT_EQ(market->GetSaleValue(sword, false), 100u);
    EXPECT_TRUE(market->PlayerSaleRequest(sword, true));
    ASSERT_EQ(market->GetBuyBackStock().size(), 1u);
    EXPECT_EQ(market->GetBuyBackStock()[0].price, 100u);
    EXPECT_TRUE(market->PlayerPurchaseRequest(market->GetBuyBackStock()[0].itemId));   // bought back
    EXPECT_TRUE(market->GetInventorySack(Market_PageBuyBack)->GetInventory().empty());

    // A depreciation above 100 sells for nothing instead of wrapping.
    market->S2C_MarketUpdate("Cheap", 2, 1, {});
    EXPECT_EQ(market->GetSaleValue(sword, false), 0u);
    EXPECT_FALSE(market->PlayerSaleRequest(sword, true));
    EXPECT_EQ(Dialogs(), std::vector<std::string>{"E4"});
}

TEST_F(MarketClientTest, BuyBackPageMakesRoomOrDropsTheCopyAndTheShopOpensOnAFullPage)
{
    market->S2C_MarketUpdate("Shop", 2, 1, {});
    Build();
    player->SetCurrentMoney(1000);
    ASSERT_TRUE(market->PlayerPurchaseRequest(market->GetStaticStock()[0].itemId));
    EXPECT_TRUE(market->PlayerSaleRequest(made, true));
    EXPECT_EQ(player->GetCurrentMoney(), 1000u);
    EXPECT_TRUE(market->GetBuyBackStock().empty());

    auto sell = [&](const char* record) {   // an item of the player's of that record
        ItemReplicaInfo info;
        info.baseName = record;
        return market->PlayerSaleRequest(Item::CreateItem(info)->GetObjectId(), true);
    };
    ASSERT_TRUE(sell("Big") && sell("Big"));
    const uint32_t second = market->GetBuyBackStock()[1].itemId;
    EXPECT_TRUE(sell("Big"));   // the oldest makes room
    ASSERT_EQ(market->GetBuyBackStock().size(), 2u);
    EXPECT_EQ(market->GetBuyBackStock()[0].itemId, second);
    // Wider than the page: the sale stands, the copy goes, the page keeps its items.
    const uint32_t before = player->GetCurrentMoney();
    EXPECT_TRUE(sell("Wide"));
    EXPECT_EQ(player->GetCurrentMoney(), before + 90u);
    EXPECT_EQ(market->GetInventorySack(Market_PageBuyBack)->GetInventory().size(), 2u);

    // Opening on an empty page: the goods page while nothing is built, else the first of
    // pages 2, 3, 1 with strictly more items.
    market->S2C_MarketUpdate("Shop", 2, 7, {});
    Market_TypeEnum page = Market_PageBuyBack;
    market->OpenMarket(page, Vec2(0, 0));
    EXPECT_EQ(page, Market_PageGoods);
    Build();
    page = Market_PageBuyBack;
    market->OpenMarket(page, Vec2(0, 0));
    EXPECT_EQ(page, Market_PageMelee);   // one item on each of pages 1 to 3

    const uint32_t item = market->GetGeneratedStock()[0].itemId;
    engine->DestroyMarketClient(kMerchant);
    EXPECT_EQ(ObjectManager::Get().GetObject(item), nullptr);
}

}  // namespace
}  // namespace GAME
