// A merchant's market between two peers, each in its own process and running the same
// frames in lockstep. The server's peer keeps the market server and a market client of its
// own; the client's peer only a market client. Both rebuild the same stock from the
// server's key, the client buys an item and sells it back, the server's own player asks
// for the item the client holds, and two refreshes follow each other while the peers are
// still building the first.
#include <sstream>
#include <string>
#include <vector>

#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/items/MarketClient.h"
#include "core/EngineFixture.h"
#include "Game/session/GamePacketDispatch.h"
#include "tests/network/PeerProcess.h"

namespace GAME {
namespace {

// Above every id the peers make themselves; the merchant is the level's, alike on both.
constexpr uint32_t kMarketHostPlayer = 0x0FFFFF10;
constexpr uint32_t kMarketGuestPlayer = 0x1FFFFF10;
constexpr uint32_t kMarketMerchant = 0x0FFFFE10;
constexpr int kMarketGuestHost = 1;
constexpr int kMarketFrameMs = 50;
constexpr uint32_t kMarketBought = 1;   // the stock index the guest buys
constexpr const char* kMarketRecord = "Records/Test/PeerMarket.dbr";
constexpr const char* kMerchantRecord = "Records/Test/PeerMerchant.dbr";

// The script, by frame. A dozen items are built one a frame: the first stock is complete
// long before the purchase, and the second refresh comes while the first is being built.
constexpr int kGuestBuysFrame = 40;
constexpr int kHostAsksFrame = 50;
constexpr int kGuestSellsFrame = 60;
constexpr int kFirstRefreshFrame = 80;
constexpr int kSecondRefreshFrame = 84;
constexpr int kLastFrame = 140;

// The lines of a report that start with `prefix`.
std::string Lines(const std::string& report, const std::string& prefix)
{
    std::istringstream in(report);
    std::string line, text;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0)
            text += line + "\n";
    return text;
}

std::string StockLines(const std::string& label, const std::vector<ItemReplicaInfo>& identities)
{
    std::string text;
    for (size_t i = 0; i < identities.size(); ++i)
        text += label + " " + std::to_string(i) + ": " + identities[i].baseName + " " + identities[i].prefixName +
                " " + identities[i].suffixName + " " + std::to_string(identities[i].seed) + "\n";
    return text;
}

class MarketPeersTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RegisterGamePacketDispatch();
        RecordDatabase& records = RecordDatabase::Get();
        records.SetDataRoot(GAME_DATA_DIR);
        LocalizationManager::Instance().Load();
        // Two kinds of six from a bundled table, no level brackets.
        records.RegisterRecord(kMarketRecord, "marketNumSwordMin,6,\nmarketNumSwordMax,6,\n"
                                              "marketSwordTable1,Records/Loot/ArenaWeapons.dbr,\n"
                                              "marketNumHelmMin,6,\nmarketNumHelmMax,6,\n"
                                              "marketHelmTable1,Records/Loot/ArenaWeapons.dbr,\n"
                                              "marketCostAdjustment,25,\nmarketRefreshTimeMin,600000,\n"
                                              "marketRefreshTimeMax,600000,\n");
        records.RegisterRecord(kMerchantRecord,
                               std::string("Class,NpcMerchant,\nmarketFileName,") + kMarketRecord + ",\n");
    }
    void TearDown() override
    {
        UnregisterGamePacketDispatch();
        ConnectionManager::Get().SetTransport(nullptr);
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }

    // The same scene on each peer: both players with a full purse (each peer holds the
    // other's money, as a player's spawn carries it), this peer's own played here, and
    // the merchant.
    void BuildScene(bool server)
    {
        Region* region = World::Get().AddRegion(1, "Market");
        for (uint32_t id : {kMarketHostPlayer, kMarketGuestPlayer}) {
            auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr", id);
            ASSERT_NE(player, nullptr);
            World::Get().AddEntity(player, WorldCoords(region, Coords()));
            player->AddMoney(100000);
        }
        own = ObjectManager::Get().GetObject<Player>(server ? kMarketHostPlayer : kMarketGuestPlayer);
        own->SetIsControllingCharacter(true);
        engine->GetPlayerManagerClient()->SetMainPlayer(own->GetObjectId());
        auto* merchant = ObjectManager::Get().CreateObjectFromFile<NpcMerchant>(kMerchantRecord, kMarketMerchant);
        ASSERT_NE(merchant, nullptr);
        World::Get().AddEntity(merchant, WorldCoords(region, Coords::MakeTranslation(Vec3(5, 0, 0))));
        engine->GetRandomGen().Seed(2903);   // the static goods and the server's seeds
    }

    MarketClient& Market() const { return *engine->GetClientServices()->GetMarketClient(kMarketMerchant); }
    const MarketClient::StockEntry& Entry(uint32_t index) const { return Market().GetGeneratedStock().at(index); }

    // The generated stock's identities in index order, then their prices.
    void NoteStock(const std::string& label)
    {
        std::vector<ItemReplicaInfo> identities;
        report << "prices of the " << label << " stock:";
        for (const MarketClient::StockEntry& entry : Market().GetGeneratedStock()) {
            identities.push_back(entry.identity);
            report << " " << entry.price;
        }
        report << "\n" << StockLines(label, identities);
    }

    // The peer's whole run; its report, a line each.
    std::string Play(bool server, int linkEnd)
    {
        peer.Join(*engine, server, kMarketGuestHost, linkEnd);
        BuildScene(server);
        for (int frame = 1; frame <= kLastFrame; ++frame) {
            if (frame == kGuestBuysFrame)
                NoteStock("first");
            server ? HostScript(frame) : GuestScript(frame);
            if (frame == kGuestSellsFrame + 4)
                report << "after the sell-back: status " << Entry(kMarketBought).status << "\n";
            NoteBuild();
            engine->Update(kMarketFrameMs);
            gEngine->UpdateFrame(kMarketFrameMs);
            if (!peer.Exchange())
                return "the other peer is gone\n";
        }
        NoteStock("final");
        report << "keys mid-build: " << keysMidBuild << "\n";
        return report.str();
    }

    void GuestScript(int frame)
    {
        if (frame == kGuestBuysFrame) {
            money = own->GetCurrentMoney();
            report << "guest asks: " << engine->PlayerPurchaseRequest(kMarketMerchant, Entry(kMarketBought).itemId)
                   << " status " << Entry(kMarketBought).status << "\n";
        }
        if (frame == kGuestBuysFrame + 4) {
            // Worn at once when a hand or a place is free, or else in the bag.
            std::vector<uint32_t> carried = own->GetInventoryItems();
            carried.insert(carried.end(), own->GetAttachedItems().begin(), own->GetAttachedItems().end());
            report << "guest after the verdict: status " << Entry(kMarketBought).status << ", paid the price "
                   << (money - own->GetCurrentMoney() == Entry(kMarketBought).price) << ", carries "
                   << carried.size() << "\n";
            boughtCopy = carried.empty() ? 0 : carried.back();
        }
        if (frame == kGuestSellsFrame)
            report << "guest sells: " << engine->PlayerSaleRequest(kMarketMerchant, boughtCopy, true)
                   << ", money back " << (own->GetCurrentMoney() == money) << "\n";
    }

    void HostScript(int frame)
    {
        if (frame == kHostAsksFrame) {
            // The guest's purchase was answered to the guest alone: here the item still
            // shows on sale, and only the server's verdict tells otherwise.
            money = own->GetCurrentMoney();
            report << "host sees status " << Entry(kMarketBought).status << ", asks: "
                   << engine->PlayerPurchaseRequest(kMarketMerchant, Entry(kMarketBought).itemId) << ", then status "
                   << Entry(kMarketBought).status << ", money kept " << (own->GetCurrentMoney() == money)
                   << ", dialog " << TopDialog() << "\n";
        }
        if (frame == kFirstRefreshFrame || frame == kSecondRefreshFrame)
            engine->ForceMarketRefresh(kMarketMerchant);
    }

    std::string TopDialog() const
    {
        const DialogManager::Dialog* dialog = engine->GetDialogManager().PeekTopDialog();
        return dialog ? LocalizationManager::ToChar(dialog->text) : "none";
    }

    // Counts the new keys that found identities of the last one still waiting.
    void NoteBuild()
    {
        if (Market().GetSeed() != lastSeed && lastSeed != 0 && waiting > 0)
            ++keysMidBuild;
        lastSeed = Market().GetSeed();
        waiting = Market().GetGeneratedQueue().size();
    }

    LockstepPeer peer;
    std::ostringstream report;
    Player* own = nullptr;
    uint32_t money = 0, boughtCopy = 0, lastSeed = 0;
    size_t waiting = 0;
    int keysMidBuild = 0;
};

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

    // The same stock, in order and at the same prices, before and after the refreshes.
    EXPECT_NE(Lines(served, "first 9: "), "") << served;
    for (const char* part : {"first", "final", "prices"})
        EXPECT_EQ(Lines(guestReport, part), Lines(served, part));
    EXPECT_NE(Lines(served, "final"), Lines(served, "first"));
    // The second key reached both peers mid-build, and each holds exactly its stock: what a
    // fresh build of that key makes.
    EXPECT_EQ(Lines(guestReport, "keys mid-build:") + Lines(served, "keys mid-build:"),
              "keys mid-build: 1\nkeys mid-build: 1\n");
    MarketClient fresh(nullptr, kMarketMerchant + 1);
    fresh.S2C_MarketUpdate(Market().GetMarketRecordName(), Market().GetBracket(), Market().GetSeed(), {});
    const std::vector<ItemReplicaInfo> rebuilt(fresh.GetGeneratedQueue().begin(), fresh.GetGeneratedQueue().end());
    EXPECT_EQ(Lines(served, "final"), StockLines("final", rebuilt));

    // The guest's purchase is confirmed and paid; the host, asking for the same item, is
    // refused by its own market server as sold and told so.
    EXPECT_EQ(Lines(guestReport, "guest"), "guest asks: 1 status 2\n"
                                           "guest after the verdict: status 3, paid the price 1, carries 1\n"
                                           "guest sells: 1, money back 1\n");
    EXPECT_EQ(Lines(served, "host"),
              "host sees status 1, asks: 1, then status 3, money kept 1, dialog That is no longer for sale.\n");
    // The sell-back puts the item on sale for both.
    EXPECT_EQ(Lines(guestReport, "after") + Lines(served, "after"),
              "after the sell-back: status 1\nafter the sell-back: status 1\n");
}

}  // namespace
}  // namespace GAME
