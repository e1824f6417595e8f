// A merchant's market between two peers, each in its own process and running the same
// frames in lockstep: before every frame each peer takes what the other sent in its last
// one (through the recording transport, carried over a socket pair). The server's peer
// keeps the market server and a market client of its own; the client's peer only a
// market client. Both rebuild the same stock from the server's key, the client buys an
// item and sells it back, the server's own player asks for the item the client holds,
// and two refreshes follow each other while the client is still building the first.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/items/Item.h"
#include "Game/items/MarketClient.h"
#include "Game/items/MarketServer.h"
#include "core/EngineFixture.h"
#include "host/HostDispatch.h"
#include "tests/network/PeerProcess.h"

namespace GAME {
namespace {

// Above every id the peers make themselves.
constexpr uint32_t kMarketHostPlayer = 0x0FFFFF10;    // the server's player
constexpr uint32_t kMarketGuestPlayer = 0x1FFFFF10;   // the client's player, host 1
constexpr uint32_t kMarketMerchant = 0x0FFFFE10;      // placed by the level on both peers
constexpr int kMarketGuestHost = 1;
constexpr int kMarketFrameMs = 50;
constexpr uint32_t kMarketPurse = 100000;
constexpr uint32_t kMarketBoughtIndex = 1;

constexpr const char* kMarketRecord = "Records/Test/PeerMarket.dbr";
constexpr const char* kMerchantRecord = "Records/Test/PeerMerchant.dbr";

// The script, by frame. The stock has a dozen generated items and is built one a frame, so
// the first build ends well before the purchase; the second refresh reaches the client
// while it still builds the first.
constexpr int kGuestBuysFrame = 40;
constexpr int kHostAsksFrame = 50;
constexpr int kGuestSellsFrame = 60;
constexpr int kFirstRefreshFrame = 80;
constexpr int kSecondRefreshFrame = 84;
constexpr int kLastFrame = 140;

std::string IdentityText(const ItemReplicaInfo& identity)
{
    return identity.baseName + " " + identity.prefixName + " " + identity.suffixName + " " +
           std::to_string(identity.seed);
}

class MarketPeersTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RegisterHostDispatch();
        RecordDatabase& records = RecordDatabase::Get();
        records.SetDataRoot(GAME_DATA_DIR);
        LocalizationManager::Instance().Load();
        // Six swords and six helms from the bundled tables, the rest of the keys absent.
        records.RegisterRecord(kMarketRecord, "marketNumSwordMin,6,\nmarketNumSwordMax,6,\n"
                                              "marketSwordTable1,Records/Loot/ArenaWeapons.dbr,\n"
                                              "marketNumHelmMin,6,\nmarketNumHelmMax,6,\n"
                                              "marketHelmTable1,Records/Loot/ArenaWeapons.dbr,\n"
                                              "marketCostAdjustment,25,\nmarketDepreciation,50,\n"
                                              "marketRefreshTimeMin,600000,\nmarketRefreshTimeMax,600000,\n"
                                              "marketHealthPotion,Records/Item/OneShot/HealthPotion.dbr,\n");
        records.RegisterRecord(kMerchantRecord, std::string("Class,NpcMerchant,\nmarketFileName,") + kMarketRecord +
                                                    ";" + kMarketRecord + ";" + kMarketRecord +
                                                    ",\nmerchantType,Melee,\n");
    }
    void TearDown() override
    {
        UnregisterHostDispatch();
        ConnectionManager::Get().SetTransport(nullptr);
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }

    // The same scene on each peer: both players under their own ids, this peer's one
    // played here with a full purse, and the merchant the level places.
    void BuildScene(bool server)
    {
        Region* region = World::Get().AddRegion(1, "Market");
        for (uint32_t id : {kMarketHostPlayer, kMarketGuestPlayer}) {
            auto* player = DynamicCast<Player>(
                ObjectManager::Get().CreateObjectFromFile("Records/Creatures/ArenaPlayer.dbr", id));
            ASSERT_NE(player, nullptr);
            World::Get().AddEntity(player, WorldCoords(region, Coords()));
        }
        own = ObjectManager::Get().GetObject<Player>(server ? kMarketHostPlayer : kMarketGuestPlayer);
        own->SetIsControllingCharacter(true);
        own->AddMoney(kMarketPurse);
        engine->GetPlayerManagerClient()->SetMainPlayer(own->GetObjectId());
        auto* merchant = ObjectManager::Get().CreateObjectFromFile<NpcMerchant>(kMerchantRecord, kMarketMerchant);
        ASSERT_NE(merchant, nullptr);
        World::Get().AddEntity(merchant, WorldCoords(region, Coords::MakeTranslation(Vec3(5, 0, 0))));
    }

    MarketClient* Market() const
    {
        return engine->GetClientServices()->GetMarketClient(kMarketMerchant);
    }

    // The generated stock, one line an entry in index order: the identity and the price.
    std::string StockText() const
    {
        std::string text;
        const MarketClient* market = Market();
        if (!market)
            return "no market\n";
        for (const MarketClient::StockEntry& entry : market->GetGeneratedStock())
            text += std::to_string(entry.index) + " " + IdentityText(entry.identity) + " price " +
                    std::to_string(entry.price) + "\n";
        return text;
    }
    MarketItemStatus StatusOf(uint32_t index) const
    {
        const MarketClient* market = Market();
        if (!market || index >= market->GetGeneratedStock().size())
            return MarketItemStatus_NotInMarket;
        return market->GetGeneratedStock()[index].status;
    }
    uint32_t ItemAt(uint32_t index) const
    {
        const MarketClient* market = Market();
        return market && index < market->GetGeneratedStock().size() ? market->GetGeneratedStock()[index].itemId : 0;
    }

    // The peer's whole run; its report, a line each, `name: value`.
    std::string Play(bool server, int linkEnd)
    {
        peer.Join(*engine, server, kMarketGuestHost, linkEnd);
        BuildScene(server);
        for (int frame = 1; frame <= kLastFrame; ++frame) {
            if (server)
                ServerScript(frame);
            else
                GuestScript(frame);
            engine->Update(kMarketFrameMs);
            gEngine->UpdateFrame(kMarketFrameMs);
            if (!peer.Exchange())
                return "the other peer is gone\n";
        }
        report << "keys mid-build: " << keysMidBuild << "\n";
        report << "final stock:\n" << StockText();
        report << "key: " << Market()->GetMarketRecordName() << " " << Market()->GetBracket() << " " << Market()->GetSeed()
               << "\n";
        return report.str();
    }

    void GuestScript(int frame)
    {
        MarketClient* market = Market();
        if (frame == kGuestBuysFrame) {
            report << "first stock:\n" << StockText();
            money = own->GetCurrentMoney();
            bought = ItemAt(kMarketBoughtIndex);
            report << "guest asks: " << engine->PlayerPurchaseRequest(kMarketMerchant, bought) << " status "
                   << StatusOf(kMarketBoughtIndex) << "\n";
        }
        if (frame == kGuestBuysFrame + 4) {
            // The confirmation made the item in the player's inventory, paid for.
            const std::vector<uint32_t>& bag = own->GetInventoryItems();
            report << "guest after the verdict: status " << StatusOf(kMarketBoughtIndex) << " paid "
                   << money - own->GetCurrentMoney() << " of price "
                   << market->GetGeneratedStock()[kMarketBoughtIndex].price << ", items " << bag.size() << "\n";
            boughtCopy = bag.empty() ? 0 : bag.back();
        }
        if (frame == kGuestSellsFrame)
            report << "guest sells: " << engine->PlayerSaleRequest(kMarketMerchant, boughtCopy, true) << " money back "
                   << (own->GetCurrentMoney() == money) << "\n";
        if (frame == kGuestSellsFrame + 4)
            report << "after the sell-back: status " << StatusOf(kMarketBoughtIndex) << "\n";
        NoteBuild(market);
    }

    void ServerScript(int frame)
    {
        if (frame == kGuestBuysFrame)
            report << "first stock:\n" << StockText();
        if (frame == kHostAsksFrame) {
            // The guest's purchase was answered to the guest alone: here the item still shows
            // on sale, and only the server's verdict tells otherwise.
            money = own->GetCurrentMoney();
            report << "host sees before asking: status " << StatusOf(kMarketBoughtIndex) << "\n";
            report << "host asks: "
                   << engine->PlayerPurchaseRequest(kMarketMerchant, ItemAt(kMarketBoughtIndex)) << "\n";
            report << "host after the verdict: status " << StatusOf(kMarketBoughtIndex) << " money kept "
                   << (own->GetCurrentMoney() == money) << " dialog " << TopDialog() << "\n";
        }
        if (frame == kGuestSellsFrame + 4)
            report << "after the sell-back: status " << StatusOf(kMarketBoughtIndex) << "\n";
        if (frame == kFirstRefreshFrame || frame == kSecondRefreshFrame)
            engine->ForceMarketRefresh(kMarketMerchant);
        NoteBuild(Market());
    }

    // Whether a new key found identities of the last one still waiting to be built.
    void NoteBuild(const MarketClient* market)
    {
        if (!market)
            return;
        if (market->GetSeed() != lastSeed && lastSeed != 0 && waiting > 0)
            ++keysMidBuild;
        lastSeed = market->GetSeed();
        waiting = market->GetGeneratedQueue().size();
    }

    std::string TopDialog() const
    {
        const DialogManager::Dialog* dialog = engine->GetDialogManager().PeekTopDialog();
        return dialog ? LocalizationManager::ToChar(dialog->text) : "none";
    }

    LockstepPeer peer;
    std::ostringstream report;
    Player* own = nullptr;
    uint32_t money = 0;
    uint32_t bought = 0;
    uint32_t boughtCopy = 0;
    uint32_t lastSeed = 0;
    size_t waiting = 0;
    int keysMidBuild = 0;
};

// The lines of a report that begin with `name`, up to the next line without a leading
// digit (a stock listing) or the next named line.
std::string Section(const std::string& report, const std::string& name)
{
    std::istringstream lines(report);
    std::string line, text;
    bool in = false;
    while (std::getline(lines, line)) {
        if (in && !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) {
            text += line + "\n";
            continue;
        }
        in = line.rfind(name, 0) == 0;
        if (in)
            text += line + "\n";
    }
    return text;
}

TEST_F(MarketPeersTest, BothPeersShareTheStockAndTheServerArbitrates)
{
    int ends[2] = {-1, -1};
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    PeerProcess guest(ends[1], [&] {
        close(ends[0]);
        return Play(false, ends[1]);
    });
    const std::string served = Play(true, ends[0]);
    while (!guest.IsDone())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::string& guestReport = guest.GetReport();

    // The same generated stock, in order and at the same prices, before and after the
    // refreshes, from the same key.
    const std::string firstStock = Section(served, "first stock:");
    EXPECT_GT(std::count(firstStock.begin(), firstStock.end(), '\n'), 8) << served;
    EXPECT_EQ(Section(guestReport, "first stock:"), firstStock);
    EXPECT_EQ(Section(guestReport, "final stock:"), Section(served, "final stock:"));
    EXPECT_EQ(Section(guestReport, "key:"), Section(served, "key:"));
    EXPECT_NE(Section(served, "final stock:"), firstStock);
    // The second key reached both peers while the first was still being built, and each
    // holds exactly the stock of the second: what a fresh build of that key makes.
    EXPECT_EQ(Section(guestReport, "keys mid-build:"), "keys mid-build: 1\n");
    EXPECT_EQ(Section(served, "keys mid-build:"), "keys mid-build: 1\n");
    MarketClient fresh(nullptr, kMarketMerchant + 1);
    fresh.S2C_MarketUpdate(Market()->GetMarketRecordName(), Market()->GetBracket(), Market()->GetSeed(), {});
    std::string rebuilt = "final stock:\n";
    for (size_t i = 0; i < fresh.GetGeneratedQueue().size(); ++i)
        rebuilt += std::to_string(i) + " " + IdentityText(fresh.GetGeneratedQueue()[i]) + "\n";
    std::string finalStock = Section(served, "final stock:");
    for (size_t at; (at = finalStock.find(" price ")) != std::string::npos;)
        finalStock.erase(at, finalStock.find('\n', at) - at);
    EXPECT_EQ(finalStock, rebuilt);

    // The guest's purchase is confirmed and paid for; the host, asking for the same item,
    // is refused by its own market server with "sold" and told so.
    EXPECT_NE(guestReport.find("guest asks: 1 status 2"), std::string::npos) << guestReport;
    EXPECT_NE(guestReport.find("guest after the verdict: status 3"), std::string::npos) << guestReport;
    EXPECT_NE(served.find("host sees before asking: status 1"), std::string::npos) << served;
    EXPECT_NE(served.find("host asks: 1"), std::string::npos) << served;
    EXPECT_NE(served.find("host after the verdict: status 3 money kept 1"), std::string::npos) << served;
    // The sell-back refunds the exact price and puts the item on sale for both.
    EXPECT_NE(guestReport.find("guest sells: 1 money back 1"), std::string::npos) << guestReport;
    EXPECT_EQ(Section(guestReport, "after the sell-back:"), "after the sell-back: status 1\n");
    EXPECT_EQ(Section(served, "after the sell-back:"), "after the sell-back: status 1\n");
}

}  // namespace
}  // namespace GAME
