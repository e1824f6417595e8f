// The market server: its record, the level bracket, refreshes around a chatting merchant,
// new seeds, and its verdicts on purchases and sell-backs.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/characters/Player.h"
#include "Game/items/MarketClient.h"
#include "Game/items/MarketServer.h"

using namespace GAME;

namespace {

// The server's messages, one line each.
struct MarketWire : NiceNetwork {
    void S2C_MarketUpdate(uint32_t, const std::string& name, uint32_t bracket, uint32_t seed,
                          const std::vector<uint32_t>& sold) override
    {
        Say("update " + name, {bracket}, sold);
        seeds.push_back(seed);
    }
    void S2C_MarketPurchaseConfirmation(uint32_t, uint32_t i, uint32_t p) override { Say("yes", {i, p}); }
    void S2C_MarketPurchaseDenied(uint32_t, uint32_t i, uint32_t p, MarketItemStatus v) override
    {
        Say("no", {i, p, v});
    }
    void S2C_MarketItemStatusUpdate(uint32_t, uint32_t i, MarketItemStatus s) override { Say("status", {i, s}); }
    void Say(std::string text, std::vector<uint32_t> values, const std::vector<uint32_t>& more = {})
    {
        values.insert(values.end(), more.begin(), more.end());
        for (uint32_t value : values)
            text += " " + std::to_string(value);
        sent.push_back(text);
    }
    std::vector<std::string> Take() { return std::exchange(sent, {}); }
    std::vector<std::string> sent;
    std::vector<uint32_t> seeds;
};

class MarketServerTest : public EngineTest {
protected:
    // A merchant whose market record has these keys, and its server, loaded.
    MarketServer& Serve(const std::string& marketKeys)
    {
        engine->InstallNetworkInterface(&wire);
        RecordDatabase::Get().RegisterRecord("Market", marketKeys);
        RecordDatabase::Get().RegisterRecord("Merchant", "Class,NpcMerchant,\nmarketFileName,Market,\n");
        merchant = ObjectManager::Get().CreateObjectFromFile<NpcMerchant>("Merchant");
        auto* services = static_cast<GameEngineServerServicesModule*>(engine->GetServerServices());
        server = std::make_unique<MarketServer>(services, merchant->GetObjectId());
        server->LoadFromMerchant();
        return *server;
    }

    // This machine's own market client of the merchant, holding `count` wares of the
    // server's current key at `price` each: the stock the server sells from.
    MarketClient& Stock(size_t count, uint32_t price)
    {
        RecordDatabase::Get().RegisterRecord("Ware", "Class,ArmorJewelry_Amulet,\nitemCost," + std::to_string(price) +
                                                         ",\n");
        engine->CreateMarketClient(merchant->GetObjectId());
        MarketClient& market = *engine->GetClientServices()->GetMarketClient(merchant->GetObjectId());
        market.S2C_MarketUpdate(server->GetMarketRecordName(), server->GetBracket(), server->GetSeed(), {});
        ItemReplicaInfo ware;
        ware.baseName = "Ware";
        for (size_t i = 0; i < count; ++i)
            market.QueueGeneratedItem(ware, 0);
        while (!market.GetGeneratedQueue().empty())
            market.Update(0);
        return market;
    }
    Player* Buyer(uint32_t id, uint32_t money)
    {
        auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", id));
        player->AddMoney(money);
        return player;
    }

    MarketWire wire;
    NpcMerchant* merchant = nullptr;
    std::unique_ptr<MarketServer> server;
};

}  // namespace

TEST_F(MarketServerTest, RecordTimesThresholdsAndTheLevelFormula)
{
    MakeMainPlayer()->SetCharLevel(31);
    RecordDatabase::Get().RegisterRecord("Level", "playerLevelEquation,maxPlayerLevel-20,\n");
    const std::string keys = "marketPlayerLevel,10;20;30,\nmarketPlayerLevelEquationFile,Level,\n";
    MarketServer& market = Serve("marketRefreshTimeMin,300000.9,\nmarketRefreshTimeMax,600000,\n" + keys);
    EXPECT_EQ(market.GetRefreshTimeMin(), 300000);   // milliseconds as written
    for (auto [level, bracket] : {std::pair{5u, 1u}, {10u, 1u}, {11u, 2u}, {31u, 4u}})
        EXPECT_EQ(market.GetBracketOfLevel(level), bracket) << level;
    market.Update(0);
    EXPECT_EQ(market.GetBracket(), 2u);   // level 31 - 20

    LogCapture log;
    RecordDatabase::Get().RegisterRecord("Level", "playerLevelEquation,(1+,\n");
    EXPECT_EQ(Serve(keys).GetPlayerLevel(), 31u);   // the highest player's
    EXPECT_TRUE(log.Contains("-=- Market Equation load failure : playerLevelEquation"));
    EXPECT_EQ(Serve("marketPlayerLevel,-5;7,\n").GetLevelThresholds(), (std::vector<uint32_t>{0, 7}));
}

TEST_F(MarketServerTest, NoRefreshWhileTheMerchantChatsAndEverySeedIsNew)
{
    engine->GetRandomGen().Seed(12345);
    MarketServer& market = Serve("marketRefreshTimeMin,1000,\nmarketRefreshTimeMax,1000,\n");
    market.C2S_MarketUpdateRequest();   // no key to tell before the first refresh
    market.Update(0);
    EXPECT_EQ(wire.Take(), (std::vector<std::string>{"update Market 1"}));
    merchant->AddSocialTarget(7);
    market.Update(5000);
    EXPECT_TRUE(wire.sent.empty());
    market.ForceRefresh();   // forced: refreshes even so
    market.Update(16);
    merchant->DeleteSocialTarget(7);
    market.Update(999);
    EXPECT_EQ(wire.Take().size(), 1u);
    market.Update(1);
    EXPECT_EQ(wire.Take().size(), 1u);

    // The game's generator at its fixed point keeps giving one seed: the next is taken.
    engine->GetRandomGen().Seed(0);
    for (int i = 0; i < 2; ++i) {
        market.ForceRefresh();
        market.Update(0);
    }
    ASSERT_EQ(wire.seeds.size(), 5u);
    for (size_t i = 1; i < wire.seeds.size(); ++i)
        EXPECT_NE(wire.seeds[i], wire.seeds[i - 1]);
    EXPECT_EQ(wire.seeds[4], wire.seeds[3] + 1);
}

TEST_F(MarketServerTest, VerdictsOnPurchasesAndSellBacks)
{
    MarketServer& market = Serve("");
    market.Update(0);
    const uint32_t b = market.GetBracket(), s = market.GetSeed(), buyer = 0x10000001, other = 0x20000001;
    Stock(600, 0);
    Buyer(buyer, 0), Buyer(other, 0);
    wire.Take();
    market.C2S_MarketPurchaseRequest(b, s, 600, buyer);
    market.C2S_MarketPurchaseRequest(b + 1, s, 1, buyer);
    market.C2S_MarketPurchaseRequest(b, s, 5, buyer);
    market.C2S_MarketPurchaseRequest(b, s, 5, other);
    market.C2S_MarketPurchaseRequest(b, s, 599, other);
    market.C2S_MarketUpdateRequest();
    EXPECT_EQ(wire.Take(), (std::vector<std::string>{"no 600 268435457 0", "no 1 268435457 0",
                                                     "yes 5 268435457", "no 5 536870913 3", "yes 599 536870913",
                                                     "update Market 1 5 599"}));
    EXPECT_EQ(market.GetNumStatuses(), 600u);

    // Stale keys, items on sale and another player's purchase are not sold back.
    market.C2S_MarketSellBack(b, s + 1, 5, buyer);
    market.C2S_MarketSellBack(b, s, 4, buyer);
    market.C2S_MarketSellBack(b, s, 5, other);
    market.C2S_MarketSellBack(b, s, 5, buyer);
    market.ForceRefresh();
    market.Update(0);
    EXPECT_EQ(wire.Take(), (std::vector<std::string>{"status 5 1", "update Market 1"}));
}
