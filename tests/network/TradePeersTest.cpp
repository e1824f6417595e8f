// A trade between the server's player and a client's player, each peer in its own process
// running the same frames in lockstep. Each side reports what its own player holds before
// and after: nothing is lost or made twice, whatever the trade went through.
#include <sstream>
#include <string>

#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/Texture.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/items/Inventory.h"
#include "Game/items/TradeManager.h"
#include "core/EngineFixture.h"
#include "Game/session/GamePacketDispatch.h"
#include "tests/network/PeerProcess.h"

namespace GAME {
namespace {

constexpr uint32_t kTradeHost = 0x0FFFFF20;
constexpr uint32_t kTradeGuest = 0x1FFFFF20;
constexpr int kTradeGuestHost = 1;
constexpr int kTradeFrameMs = 50;
constexpr const char* kTradeRing = "Records/Test/TradeRing.dbr";

// The steps of one trade, each at its frame; `offer` rings come from the offering side.
struct TradeScript {
    int rings = 3;          // rings each player is given
    int offer = 1;          // rings each offers
    uint32_t hostGold = 300;
    uint32_t guestGold = 99999;   // more than the guest has
    uint32_t guestGoldAfterFinalize = 100;
    bool hostCancels = false;
};

class TradePeersTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RegisterGamePacketDispatch();
        LocalizationManager::Instance().RegisterTags("SimpleStringFormat=%s\ntagTradeError03=%s wants to trade\n");
        auto& records = RecordDatabase::Get();
        records.SetDataRoot(GAME_DATA_DIR);
        records.RegisterRecord(kTradeRing, "Class,ArmorJewelry_Ring,\nbitmap,TradeRing.tex,\n");
        Texture::RegisterSize("TradeRing.tex", 32, 32);
    }
    void TearDown() override
    {
        UnregisterGamePacketDispatch();
        ConnectionManager::Get().SetTransport(nullptr);
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
        Texture::ClearSizes();
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }

    // Rings, gold and what stands offered in the trade window.
    std::string Holdings(const char* when)
    {
        const TradeManager& trades = *engine->GetTradeManager();
        std::ostringstream line;
        line << when << ": items " << own->GetInventory().GetInventoryItems().size() + own->GetAttachedItems().size()
             << " offered " << trades.GetMyTradeState().GetInventorySack().GetInventory().size() << " gold "
             << own->GetCurrentMoney() << "\n";
        return line.str();
    }

    std::string Play(bool server, int linkEnd, const TradeScript& script)
    {
        peer.Join(*engine, server, kTradeGuestHost, linkEnd);
        Region* region = World::Get().AddRegion(1, "Trade");
        for (uint32_t id : {kTradeHost, kTradeGuest}) {
            auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr", id);
            World::Get().AddEntity(player, WorldCoords(region, Coords()));
        }
        own = ObjectManager::Get().GetObject<Player>(server ? kTradeHost : kTradeGuest);
        own->SetIsControllingCharacter(true);
        own->AddMoney(server ? 1000 : 500);
        // The server holds the guest's purse as the guest does: offers are held to it.
        Player* guestHere = ObjectManager::Get().GetObject<Player>(kTradeGuest);
        if (server)
            guestHere->AddMoney(500);
        engine->GetPlayerManagerClient()->SetMainPlayer(own->GetObjectId());
        TradeManager& trades = *engine->GetTradeManager();
        const uint32_t partner = server ? kTradeGuest : kTradeHost;
        std::ostringstream report;
        for (int frame = 1; frame <= 60; ++frame) {
            if (frame == 2)
                for (int i = 0; i < script.rings; ++i) {
                    ItemReplicaInfo ring;
                    ring.baseName = kTradeRing;
                    ring.objectId = ObjectManager::Get().CreateObjectID();
                    engine->CreateItemForCharacter(own->GetObjectId(), own->GetCoords(), ring, nullptr);
                }
            if (frame == 6)
                report << Holdings("before");
            if (frame == 8 && server)
                trades.HandleInitiateTradeOutbound(partner, true);
            for (DialogManager& dialogs = engine->GetDialogManager(); dialogs.PeekTopDialog(); dialogs.RemoveTopDialog())
                if (dialogs.PeekTopDialog()->type == kDialogTypeYesNo)
                    dialogs.AddResponse(dialogs.PeekTopDialog()->party, true);
            if (frame == 14) {
                std::vector<uint32_t> carried = own->GetInventory().GetInventoryItems();
                int accepted = 0;
                for (int i = 0; i < script.offer && i < static_cast<int>(carried.size()); ++i)
                    accepted += trades.HandleAddItemOutbound(Vec2(), carried[i]);
                trades.HandleSetGoldAmountOutbound(server ? script.hostGold : script.guestGold);
                report << "offered " << accepted << " rings and " << trades.GetMyTradeState().GetGoldAmount()
                       << " gold\n";
            }
            if (frame == 18 && server)
                script.hostCancels ? trades.HandleCancelTradeOutbound(partner) : trades.HandleFinalizeTradeOutbound();
            if (frame == 22 && !server)
                trades.HandleSetGoldAmountOutbound(script.guestGoldAfterFinalize);
            if (frame == 24)
                report << "finalized " << trades.GetMyTradeState().GetFinalized()
                       << trades.GetHisTradeState().GetFinalized() << "\n";
            if ((frame == 26 && server) || (frame == 30 && !server))
                trades.HandleFinalizeTradeOutbound();
            if (frame == 40)
                report << Holdings("after") << "trading " << trades.GetIsTradeActive() << "\n";
            if (frame == 40 && server)
                report << "guest here: gold " << guestHere->GetCurrentMoney() << "\n";
            engine->Update(kTradeFrameMs);
            gEngine->UpdateFrame(kTradeFrameMs);
            if (!peer.Exchange())
                return "the other peer is gone\n";
        }
        return report.str();
    }

    // Both peers' reports, the guest's first.
    std::string Trade(const TradeScript& script)
    {
        int ends[2] = {-1, -1};
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        PeerProcess guest(ends[1], [&] {
            close(ends[0]);
            return Play(false, ends[1], script);
        });
        const std::string served = Play(true, ends[0], script);
        while (!guest.IsDone())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return "guest\n" + guest.GetReport() + "host\n" + served;
    }

    LockstepPeer peer;
    Player* own = nullptr;
};

// Each offers a ring; the guest's gold is held to its purse, then changed after the host
// finalized, which asks both to finalize again; the changed amount is what moves, on
// the server's copy of the guest too.
TEST_F(TradePeersTest, ATradeMovesRingsAndGoldAndNothingElse)
{
    EXPECT_EQ(Trade({}), "guest\nbefore: items 3 offered 0 gold 500\noffered 1 rings and 500 gold\nfinalized 00\n"
                         "after: items 3 offered 0 gold 700\ntrading 0\n"
                         "host\nbefore: items 3 offered 0 gold 1000\noffered 1 rings and 300 gold\nfinalized 00\n"
                         "after: items 3 offered 0 gold 800\ntrading 0\nguest here: gold 700\n");
}

// The guest fills its trade window with the whole bag (the 63rd ring finds no room and is
// never its own); the host cancels, and every offered ring comes back to the guest.
TEST_F(TradePeersTest, ACancelReturnsEveryOfferAndAFullWindowRefusesTheRest)
{
    TradeScript script;
    script.rings = 63;   // two are worn at once, 60 fill the bag, one finds no room
    script.offer = 61;
    script.hostCancels = true;
    const std::string reports = Trade(script);
    EXPECT_NE(reports.find("guest\nbefore: items 62 offered 0 gold 500\noffered 60 rings and 500 gold\n"),
              std::string::npos)
        << reports;
    EXPECT_NE(reports.find("after: items 62 offered 0 gold 500\ntrading 0\nhost\n"), std::string::npos) << reports;
    EXPECT_NE(reports.find("host\nbefore: items 62 offered 0 gold 1000\n"), std::string::npos) << reports;
    EXPECT_NE(reports.find("after: items 62 offered 0 gold 1000\ntrading 0\nguest here: gold 500\n"),
              std::string::npos)
        << reports;
}

}  // namespace
}  // namespace GAME
