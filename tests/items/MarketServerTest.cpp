// The market server: its record, the level bracket, refreshes around a chatting merchant,
// new seeds, and its verdicts on purchases and sell-backs.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/items/MarketServer.h"

using namespace GAME;
using ::testing::_;

namespace {

constexpr uint32_t kBuyer = 0x10000001;
constexpr uint32_t kOther = 0x20000001;

std::string Join(const std::vector<uint32_t>& values)
{
    std::string text;
    for (uint32_t value : values)
        text += " " + std::to_string(value);
    return text;
}

class MarketServerTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        engine->InstallNetworkInterface(&network);
        ON_CALL(network, S2C_MarketUpdate(_, _, _, _, _))
            .WillByDefault([this](uint32_t, const std::string& name, uint32_t bracket, uint32_t seed,
                                  const std::vector<uint32_t>& sold) {
                sent.push_back("update " + name + " " + std::to_string(bracket) + Join(sold));
                seeds.push_back(seed);
            });
        ON_CALL(network, S2C_MarketPurchaseConfirmation(_, _, _)).WillByDefault([this](uint32_t, uint32_t i, uint32_t p) {
            sent.push_back("confirm" + Join({i, p}));
        });
        ON_CALL(network, S2C_MarketPurchaseDenied(_, _, _, _))
            .WillByDefault([this](uint32_t, uint32_t i, uint32_t p, MarketItemStatus s) {
                sent.push_back("deny" + Join({i, p, s}));
            });
        ON_CALL(network, S2C_MarketItemStatusUpdate(_, _, _)).WillByDefault([this](uint32_t, uint32_t i, MarketItemStatus s) {
            sent.push_back("status" + Join({i, s}));
        });
    }
    void TearDown() override
    {
        server.reset();
        engine->InstallNetworkInterface(nullptr);
        EngineTest::TearDown();
    }
    // A merchant whose market record has these keys, and its server, loaded.
    MarketServer& Serve(const std::string& marketKeys, const std::string& merchantKeys = "")
    {
        RecordDatabase::Get().RegisterRecord("Records/Test/Market.dbr", marketKeys);
        RecordDatabase::Get().RegisterRecord("Records/Test/Merchant.dbr",
                                             "Class,NpcMerchant,\nmarketFileName,Records/Test/Market.dbr,\n" +
                                                 merchantKeys);
        merchant = ObjectManager::Get().CreateObjectFromFile<NpcMerchant>("Records/Test/Merchant.dbr");
        EXPECT_NE(merchant, nullptr);
        return Load(merchant ? merchant->GetObjectId() : 0);
    }
    MarketServer& Load(uint32_t merchantId)
    {
        auto* services = static_cast<GameEngineServerServicesModule*>(engine->GetServerServices());
        server = std::make_unique<MarketServer>(services, merchantId);
        server->LoadFromMerchant();
        return *server;
    }
    std::vector<std::string> Take() { return std::exchange(sent, {}); }

    NiceNetwork network;
    NpcMerchant* merchant = nullptr;
    std::unique_ptr<MarketServer> server;
    std::vector<std::string> sent;
    std::vector<uint32_t> seeds;
};

}  // namespace

TEST_F(MarketServerTest, RecordTimesAreWholeMillisecondsAndThresholdsMakeBrackets)
{
    LogCapture log;
    MarketServer& market = Serve("marketRefreshTimeMin,300000.9,\nmarketRefreshTimeMax,600000,\n"
                                 "marketPlayerLevel,10;20;30,\n");
    EXPECT_EQ(market.GetMarketRecordName(), "Records/Test/Market.dbr");
    EXPECT_EQ(market.GetRefreshTimeMin(), 300000);
    EXPECT_EQ(market.GetRefreshTimeMax(), 600000);
    EXPECT_GE(market.GetCountdown(), 300000);
    EXPECT_LE(market.GetCountdown(), 600000);
    for (auto [level, bracket] : {std::pair{5u, 1u}, {10u, 1u}, {11u, 2u}, {20u, 2u}, {31u, 4u}})
        EXPECT_EQ(market.GetBracketOfLevel(level), bracket) << level;

    // A negative threshold counts as 0; no thresholds give one bracket.
    MarketServer& careless = Serve("marketPlayerLevel,-5;7,\n");
    EXPECT_EQ(careless.GetLevelThresholds(), (std::vector<uint32_t>{0, 7}));
    EXPECT_TRUE(log.Contains("Market record (Records/Test/Market.dbr): a negative player level threshold counts as 0"));
    EXPECT_EQ(Serve("").GetBracketOfLevel(99), 1u);
}

TEST_F(MarketServerTest, PlayerLevelComesFromTheFormulaOrTheHighestPlayer)
{
    MakeMainPlayer()->SetCharLevel(31);
    RecordDatabase::Get().RegisterRecord("Records/Test/Level.dbr", "playerLevelEquation,maxPlayerLevel-20,\n");
    MarketServer& market =
        Serve("marketPlayerLevel,10;20;30,\nmarketPlayerLevelEquationFile,Records/Test/Level.dbr,\n");
    EXPECT_TRUE(market.HasPlayerLevelEquation());
    EXPECT_EQ(market.GetPlayerLevel(), 11u);
    market.Update(0);
    EXPECT_EQ(market.GetBracket(), 2u);

    // A formula below 0 is level 0; one that does not parse is logged and left out.
    RecordDatabase::Get().RegisterRecord("Records/Test/Level.dbr", "playerLevelEquation,minPlayerLevel-99,\n");
    EXPECT_EQ(Serve("marketPlayerLevelEquationFile,Records/Test/Level.dbr,\n").GetPlayerLevel(), 0u);
    LogCapture log;
    RecordDatabase::Get().RegisterRecord("Records/Test/Level.dbr", "playerLevelEquation,(1+,\n");
    MarketServer& broken = Serve("marketPlayerLevel,10;20;30,\nmarketPlayerLevelEquationFile,Records/Test/Level.dbr,\n");
    EXPECT_TRUE(log.Contains("-=- Market Equation load failure : playerLevelEquation"));
    EXPECT_FALSE(broken.HasPlayerLevelEquation());
    EXPECT_EQ(broken.GetPlayerLevel(), 31u);
}

TEST_F(MarketServerTest, NoRefreshWhileTheMerchantChatsUnlessOneIsForced)
{
    MarketServer& market = Serve("marketRefreshTimeMin,1000,\nmarketRefreshTimeMax,1000,\n");
    market.C2S_MarketUpdateRequest();   // nothing to tell before the first key
    EXPECT_TRUE(sent.empty());
    market.Update(0);
    ASSERT_EQ(Take(), (std::vector<std::string>{"update Records/Test/Market.dbr 1"}));
    EXPECT_FALSE(market.IsRefreshPending());
    EXPECT_EQ(market.GetCountdown(), 1000);

    merchant->AddSocialTarget(kBuyer);
    market.Update(5000);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(market.GetCountdown(), 1000);
    market.ForceRefresh();
    market.Update(16);
    EXPECT_EQ(Take().size(), 1u);

    merchant->DeleteSocialTarget(kBuyer);
    market.Update(999);
    EXPECT_TRUE(sent.empty());
    market.Update(1);
    EXPECT_EQ(Take().size(), 1u);
    ASSERT_EQ(seeds.size(), 3u);
    for (size_t i = 1; i < seeds.size(); ++i) {
        EXPECT_NE(seeds[i], seeds[i - 1]);
        EXPECT_LE(seeds[i], 0xFFFFu);
    }
}

// The game's generator at its fixed point gives one seed for ever: the next value is taken.
TEST_F(MarketServerTest, ANewSeedDiffersEvenFromAStuckGenerator)
{
    MarketServer& market = Serve("");
    engine->GetRandomGen().Seed(0);
    market.Update(0);
    LogCapture log;
    market.ForceRefresh();
    market.Update(0);
    ASSERT_EQ(seeds.size(), 2u);
    EXPECT_EQ(seeds[0], static_cast<uint32_t>(GameEngine::kSeedMin));
    EXPECT_EQ(seeds[1], seeds[0] + 1);
    EXPECT_EQ(log.Count("MarketServer " + std::to_string(merchant->GetObjectId()) + ": no new seed drawn; 2 follows 1"),
              1u);
}

TEST_F(MarketServerTest, VerdictsOnPurchasesAndSellBacks)
{
    MarketServer& market = Serve("marketPlayerLevel,10,\n");
    market.Update(0);
    const uint32_t bracket = market.GetBracket();
    const uint32_t seed = market.GetSeed();
    Take();

    market.C2S_MarketPurchaseRequest(bracket, seed, 600, kBuyer);
    market.C2S_MarketPurchaseRequest(bracket + 1, seed, 1, kBuyer);
    market.C2S_MarketPurchaseRequest(bracket, seed + 1, 1, kBuyer);
    market.C2S_MarketPurchaseRequest(bracket, seed, 5, kBuyer);
    market.C2S_MarketPurchaseRequest(bracket, seed, 5, kOther);
    market.C2S_MarketPurchaseRequest(bracket, seed, 599, kOther);
    EXPECT_EQ(Take(), (std::vector<std::string>{"deny 600 268435457 0", "deny 1 268435457 0", "deny 1 268435457 0",
                                                "confirm 5 268435457", "deny 5 536870913 3", "confirm 599 536870913"}));
    EXPECT_EQ(market.GetNumStatuses(), 600u);
    EXPECT_EQ(market.GetItemStatus(4), MarketItemStatus_OnSale);
    market.C2S_MarketUpdateRequest();
    EXPECT_EQ(Take(), (std::vector<std::string>{"update Records/Test/Market.dbr 1 5 599"}));

    // Stale keys, items on sale and another player's purchase are not sold back.
    LogCapture log;
    market.C2S_MarketSellBack(bracket, seed + 1, 5, kBuyer);
    market.C2S_MarketSellBack(bracket, seed, 4, kBuyer);
    market.C2S_MarketSellBack(bracket, seed, 700, kBuyer);
    market.C2S_MarketSellBack(bracket, seed, 5, kOther);
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(log.Contains("MarketServer " + std::to_string(merchant->GetObjectId()) +
                             ": player 536870913 sells back item 5, which player 268435457 bought; ignored"));
    market.C2S_MarketSellBack(bracket, seed, 5, kBuyer);
    EXPECT_EQ(Take(), (std::vector<std::string>{"status 5 1"}));
    EXPECT_EQ(market.GetItemStatus(5), MarketItemStatus_OnSale);

    // A refresh puts everything on sale under the new key.
    market.ForceRefresh();
    market.Update(0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"update Records/Test/Market.dbr 1"}));
    EXPECT_EQ(market.GetNumStatuses(), 0u);
}

TEST_F(MarketServerTest, AnIdThatNamesNoMerchantLoadsNothing)
{
    MarketServer& market = Load(12345);
    EXPECT_EQ(market.GetMarketRecordName(), "");
    EXPECT_EQ(market.GetRefreshTimeMin(), MarketServer::kDefaultRefreshTimeMs);
    EXPECT_EQ(market.GetCountdown(), MarketServer::kDefaultRefreshTimeMs);
    market.Update(0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"update  1"}));
    market.Update(9);
    EXPECT_TRUE(sent.empty());
    market.Update(1);
    EXPECT_EQ(Take().size(), 1u);
}
