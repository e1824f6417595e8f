// A hostile client shops at the server's market: a purchase is confirmed only for an index
// of the stock the server built, and only when the buyer's money, as the server holds it,
// covers the price, which the server then takes.
#include "Game/characters/NpcMerchant.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/items/MarketClient.h"
#include "Game/items/MarketServer.h"
#include "Game/network/ItemTradePackets.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace {

constexpr uint32_t kMerchant = 0x0FFFFE10;
constexpr const char* kShop = "Records/Test/HostileShop.dbr";
constexpr const char* kShopkeeper = "Records/Test/HostileShopkeeper.dbr";

class HostileMarketTest : public HostileServerTest {
protected:
    void SetUp() override
    {
        HostileServerTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kShop, "marketNumSwordMin,6,\nmarketNumSwordMax,6,\n"
                                      "marketSwordTable1,Records/Loot/ArenaWeapons.dbr,\n"
                                      "marketRefreshTimeMin,600000,\nmarketRefreshTimeMax,600000,\n");
        records.RegisterRecord(kShopkeeper, std::string("Class,NpcMerchant,\nmarketFileName,") + kShop + ",\n");
        auto* merchant = ObjectManager::Get().CreateObjectFromFile<NpcMerchant>(kShopkeeper, kMerchant);
        ASSERT_NE(merchant, nullptr);
        World::Get().AddEntity(merchant, Here());
        server = engine->GetServerServices()->GetMarketServer(kMerchant);
        ASSERT_NE(server, nullptr);
        // The first frame draws the key; the server's own market client builds the stock,
        // an item a frame. The key decides how many of the six asked for are told apart
        // (an item drawn again is left out), so the cases read the stock's size.
        market = engine->GetClientServices()->GetMarketClient(kMerchant);
        ASSERT_NE(market, nullptr);
        for (int frame = 0; frame < 20; ++frame)
            engine->Update(16);
        stock = &market->GetGeneratedStock();
        ASSERT_TRUE(market->GetGeneratedQueue().empty());
        ASSERT_GE(stock->size(), 2u);
        transport.sent.clear();
    }
    void Buy(uint32_t index)
    {
        MarketC2SPurchaseRequestPacket request;
        request.marketId = kMerchant;
        request.level = server->GetBracket();
        request.seed = server->GetSeed();
        request.itemIndex = index;
        request.buyerId = kClientPlayer;
        Send(request);
    }
    size_t Sent(NetPacketType type) const
    {
        return static_cast<size_t>(std::count_if(transport.sent.begin(), transport.sent.end(),
                                                 [type](const auto& packet) { return packet.Type() == type; }));
    }

    MarketServer* server = nullptr;
    const MarketClient* market = nullptr;
    const std::vector<MarketClient::StockEntry>* stock = nullptr;
};

TEST_F(HostileMarketTest, NothingIsSoldPastTheStockOrToABuyerWhoCannotPay)
{
    LogCapture log;
    const uint32_t price = (*stock)[1].price;
    ASSERT_GT(price, 0u);
    client->AddMoney(price - 1);
    const auto past = static_cast<uint32_t>(stock->size());
    for (uint32_t index : {1u, past, past + 15, 599u})
        Buy(index);
    EXPECT_EQ(server->GetUnavailableIndices(), std::vector<uint32_t>{});
    EXPECT_EQ(client->GetCurrentMoney(), price - 1);
    EXPECT_EQ(Sent(MarketS2CPurchaseConfirmationPacket::kType), 0u);
    EXPECT_EQ(Sent(MarketS2CPurchaseDeniedPacket::kType), 4u);
    // Refused through the drop log: a line for each reason.
    const std::string denied =
        "MarketC2SPurchaseRequestPacket from host 1 dropped: MarketServer " + std::to_string(kMerchant) + ": purchase of item ";
    EXPECT_TRUE(log.Contains(denied + "1 by player 268435457 denied: the buyer's money does not cover the price"));
    EXPECT_TRUE(log.Contains(denied + std::to_string(past) + " by player 268435457 denied: the stock has no such item"));

    // A new key: an index this machine has still to build stays on sale, unsold. The new
    // key's stock is queued here in the frame that draws it; what is built of it is
    // the first indices, and the next one waits.
    server->ForceRefresh();
    engine->Update(16);
    ASSERT_EQ(market->GetSeed(), server->GetSeed());
    ASSERT_FALSE(market->GetGeneratedQueue().empty());
    const auto unbuilt = static_cast<uint32_t>(stock->size());
    client->AddMoney(100000);
    Buy(unbuilt);
    EXPECT_TRUE(log.Contains(denied + std::to_string(unbuilt) +
                             " by player 268435457 denied: the item is not built here yet"));
    EXPECT_EQ(server->GetUnavailableIndices(), std::vector<uint32_t>{});
}

TEST_F(HostileMarketTest, TheServerTakesThePriceAndGivesItBackOnTheSellBack)
{
    const uint32_t price = (*stock)[1].price;
    client->AddMoney(price + 5);
    Buy(1);
    EXPECT_EQ(server->GetUnavailableIndices(), std::vector<uint32_t>{1});
    EXPECT_EQ(client->GetCurrentMoney(), 5u);
    EXPECT_EQ(Sent(MarketS2CPurchaseConfirmationPacket::kType), 1u);
    Buy(1);   // sold: the price is not taken twice
    EXPECT_EQ(client->GetCurrentMoney(), 5u);

    MarketC2SSellBackPacket sale;
    sale.marketId = kMerchant;
    sale.level = server->GetBracket();
    sale.seed = server->GetSeed();
    sale.itemIndex = 1;
    sale.buyerId = kClientPlayer;
    Send(sale);
    EXPECT_EQ(server->GetUnavailableIndices(), std::vector<uint32_t>{});
    EXPECT_EQ(client->GetCurrentMoney(), price + 5);
}

// A request names the stock on offer now, by its bracket and key: any other buys or sells
// back nothing. And only the buyer sells its item back.
TEST_F(HostileMarketTest, AnotherKeysRequestOrAnotherBuyersSellBackChangesNothing)
{
    constexpr int kOtherHost = 2;
    constexpr uint32_t kOther = 0x20000001;
    transport.Connect(kOtherHost);
    auto* other = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kOther));
    ASSERT_TRUE(other && World::Get().AddEntity(other, Here()));
    other->AddMoney(1000);
    const uint32_t price = (*stock)[1].price;
    client->AddMoney(price);
    const auto send = [this](NetPacket& packet, uint32_t player) {
        const Bytes bytes = Written(packet);
        ConnectionManager::Get().HandleIncoming(ConnectionManager::HostOfPlayer(player), bytes.data(), bytes.size());
    };
    const auto request = [&](auto packet, uint32_t player, uint32_t bracket, uint32_t seed) {
        packet.marketId = kMerchant;
        packet.level = bracket;
        packet.seed = seed;
        packet.itemIndex = 1;
        packet.buyerId = player;
        send(packet, player);
    };
    const uint32_t bracket = server->GetBracket(), seed = server->GetSeed();
    request(MarketC2SPurchaseRequestPacket{}, kClientPlayer, bracket, seed + 1);
    request(MarketC2SPurchaseRequestPacket{}, kClientPlayer, bracket + 1, seed);
    EXPECT_EQ(server->GetUnavailableIndices(), std::vector<uint32_t>{});
    EXPECT_EQ(client->GetCurrentMoney(), price);
    Buy(1);
    ASSERT_EQ(server->GetUnavailableIndices(), std::vector<uint32_t>{1});

    request(MarketC2SSellBackPacket{}, kOther, bracket, seed);
    request(MarketC2SSellBackPacket{}, kClientPlayer, bracket, seed + 1);
    request(MarketC2SSellBackPacket{}, kClientPlayer, bracket + 1, seed);
    EXPECT_EQ(server->GetUnavailableIndices(), std::vector<uint32_t>{1});
    EXPECT_EQ(client->GetCurrentMoney(), 0u);
    EXPECT_EQ(other->GetCurrentMoney(), 1000u);
    request(MarketC2SSellBackPacket{}, kClientPlayer, bracket, seed);
    EXPECT_EQ(server->GetUnavailableIndices(), std::vector<uint32_t>{});
    EXPECT_EQ(client->GetCurrentMoney(), price);
}

}  // namespace
}  // namespace GAME
