// A hostile client trades: what it offers is held to what the server holds of its player
// (gold within its money, items from its bag), a refused step goes no further than the
// drop log, and the server's copies of both players follow the trade as it completes.
#include <algorithm>
#include <optional>

#include "Engine/NetDropLog.h"
#include "Engine/Texture.h"
#include "Game/items/Inventory.h"
#include "Game/items/TradeManager.h"
#include "Game/network/ItemTradePackets.h"
#include "tests/network/HostileClientFixture.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace {

constexpr const char* kForgedRecord = "Records/Item/ArenaHelm.dbr";

// Two clients trade through the server, which passes their steps on.
class HostileTradeRelayTest : public HostileServerTest {
protected:
    static constexpr int kPartnerHost = 2;
    static constexpr uint32_t kPartner = 0x20000001;
    static constexpr const char* kRing = "Records/Test/HostileRing.dbr";

    void SetUp() override
    {
        HostileServerTest::SetUp();
        RecordDatabase::Get().RegisterRecord(kRing, "Class,ArmorJewelry_Ring,\nbitmap,HostileRing.tex,\n");
        Texture::RegisterSize("HostileRing.tex", 32, 32);
        transport.Connect(kPartnerHost);
        partner = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kPartner));
        ASSERT_NE(partner, nullptr);
        World::Get().AddEntity(partner, Here());
        client->AddMoney(100);
        ring.baseName = kRing;
        ring.seed = 7;
        engine->GetInboundNetworkInterface()->CreateItem(kClientPlayer, Here(), ring, nullptr);
        ASSERT_EQ(client->GetInventory().GetInventoryItems().size(), 1u);
        transport.sent.clear();
    }
    void TearDown() override
    {
        Texture::ClearSizes();
        HostileServerTest::TearDown();
    }
    void SendFrom(int host, NetPacket& packet)
    {
        const Bytes bytes = Written(packet);
        ConnectionManager::Get().HandleIncoming(host, bytes.data(), bytes.size());
    }
    template <class P>
    P Step(uint32_t from, uint32_t to)
    {
        P packet;
        packet.sender = from;
        packet.receiver = to;
        return packet;
    }
    void Gold(uint32_t amount)
    {
        auto packet = Step<TradeSetGoldPacket>(kClientPlayer, kPartner);
        packet.goldAmount = amount;
        Send(packet);
    }
    void Offer(const ItemReplicaInfo& item)
    {
        auto packet = Step<TradeAddItemPacket>(kClientPlayer, kPartner);
        packet.item = item;
        Send(packet);
    }
    size_t Passed(NetPacketType type) const
    {
        return static_cast<size_t>(std::count_if(transport.sent.begin(), transport.sent.end(), [type](const auto& p) {
            return p.Type() == type && p.to == HostOf(kPartnerHost);
        }));
    }

    Player* partner = nullptr;
    ItemReplicaInfo ring;
};

TEST_F(HostileTradeRelayTest, OffersBeyondWhatTheServerHoldsAreDroppedAndTheTradeMovesTheRest)
{
    LogCapture log;
    const uint64_t dropsBefore = NetDropLog::GetTotal();
    Gold(50);   // no trade runs yet
    auto invitation = Step<TradeInitiatePacket>(kClientPlayer, kPartner);
    Send(invitation);
    auto acceptance = Step<TradeInitiatePacket>(kPartner, kClientPlayer);
    SendFrom(kPartnerHost, acceptance);
    for (uint32_t amount : {0xFFFFFFFFu, 0x80000000u, 5000u, 60u})
        Gold(amount);
    ItemReplicaInfo forged = ring;
    forged.objectId = 0x10000100;
    forged.baseName = kForgedRecord;
    Offer(forged);
    ItemReplicaInfo offered = ring;
    offered.objectId = 0x10000101;
    Offer(offered);
    Offer(offered);   // the same copy twice
    offered.objectId = 0x10000102;
    Offer(offered);   // a second ring it does not have
    EXPECT_EQ(NetDropLog::GetTotal() - dropsBefore, 7u);
    EXPECT_EQ(Passed(TradeSetGoldPacket::kType), 1u);
    EXPECT_EQ(Passed(TradeAddItemPacket::kType), 1u);
    EXPECT_TRUE(log.Contains("TradeSetGoldPacket from host 1 dropped: it offers more gold than its player holds"));
    EXPECT_TRUE(log.Contains("TradeAddItemPacket from host 1 dropped: it offers an item its player does not hold"));

    // The money leaves the server's copy before the finalize: it is refused until the
    // offer is covered again.
    client->SubtractMoney(50);
    auto finalize = Step<TradeFinalizePacket>(kClientPlayer, kPartner);
    Send(finalize);
    EXPECT_EQ(Passed(TradeFinalizePacket::kType), 0u);
    client->AddMoney(50);
    Send(finalize);
    auto answer = Step<TradeFinalizePacket>(kPartner, kClientPlayer);
    SendFrom(kPartnerHost, answer);
    EXPECT_EQ(Passed(TradeFinalizePacket::kType), 1u);
    EXPECT_EQ(client->GetCurrentMoney(), 40u);
    EXPECT_EQ(partner->GetCurrentMoney(), 60u);
    EXPECT_TRUE(client->GetInventory().GetInventoryItems().empty());
}

class HostileTradeTest : public HostileClientTest {};

// With the server's own player the server completes the trade itself: the client's
// offer is held to its money here again then, and the server's copy of the client pays.
TEST_F(HostileTradeRelayTest, TheServersOwnTradeCompletesOnlyWhatTheClientsMoneyCovers)
{
    TradeManager& trades = *engine->GetTradeManager();
    trades.HandleInitiateTradeOutbound(kClientPlayer, true);
    auto acceptance = Step<TradeInitiatePacket>(kClientPlayer, kMainPlayerId);
    Send(acceptance);
    ASSERT_TRUE(trades.GetIsTradeActive());
    auto gold = Step<TradeSetGoldPacket>(kClientPlayer, kMainPlayerId);
    gold.goldAmount = 60;
    Send(gold);
    auto finalize = Step<TradeFinalizePacket>(kClientPlayer, kMainPlayerId);
    Send(finalize);
    client->SubtractMoney(50);
    LogCapture log;
    trades.HandleFinalizeTradeOutbound();
    EXPECT_TRUE(trades.GetIsTradeActive());
    EXPECT_FALSE(trades.GetHisTradeState().GetFinalized());
    EXPECT_TRUE(log.Contains("TradeManager from host 1 dropped: completion with player 268435457 held: it no "
                             "longer holds the gold it offers"));
    Send(finalize);   // still not covered
    EXPECT_FALSE(trades.GetHisTradeState().GetFinalized());
    client->AddMoney(50);
    Send(finalize);
    EXPECT_FALSE(trades.GetIsTradeActive());
    EXPECT_EQ(engine->GetMainPlayer()->GetCurrentMoney(), 60u);
    EXPECT_EQ(client->GetCurrentMoney(), 40u);
}

// Against a real server over ENet, with the server's own player as the partner, which
// accepts and finalizes whatever it is offered.
TEST_F(HostileTradeTest, ForgedGoldAndItemOffersGiveTheServersPlayerNothing)
{
    bool serverFinalized = false;
    std::optional<size_t> itemsBefore;
    const auto watch = [&, this] {
        AnswerDialogs(true);
        TradeManager& trades = *engine->GetTradeManager();
        if (!itemsBefore)
            itemsBefore = ServerPlayer()->GetInventory().GetInventoryItems().size();
        if (trades.GetIsTradeActive() && trades.GetHisTradeState().GetFinalized() &&
            !trades.GetMyTradeState().GetFinalized()) {
            trades.HandleFinalizeTradeOutbound();
            serverFinalized = true;
        }
    };
    const Outcome outcome = RunHostile(
        [this] {
            TradeManager& trades = *engine->GetTradeManager();
            trades.HandleInitiateTradeOutbound(kServerPlayer, true);
            if (!RunUntil([&] { return trades.GetIsTradeActive(); }))
                return std::string("no trade\n");
            const uint32_t self = OwnPlayer()->GetObjectId();
            for (uint32_t amount : {0xFFFFFFFFu, 0x80000000u, 5000u}) {
                TradeSetGoldPacket gold;
                gold.sender = self;
                gold.receiver = kServerPlayer;
                gold.goldAmount = amount;
                Forge(gold);
            }
            for (uint32_t i = 0; i < 3; ++i) {
                TradeAddItemPacket offer;
                offer.sender = self;
                offer.receiver = kServerPlayer;
                offer.placement = Vec2(static_cast<float>(2 * i), 0);
                offer.item.objectId = self + 0x100 + i;
                offer.item.baseName = kForgedRecord;
                offer.item.seed = i;
                Forge(offer);
            }
            TradeFinalizePacket finalize;
            finalize.sender = self;
            finalize.receiver = kServerPlayer;
            Forge(finalize);
            // The server's player finalizes in answer, completing the trade if it may; the
            // trade ends here either way.
            RunUntil([&] { return trades.GetHisTradeState().GetFinalized() || !trades.GetIsTradeActive(); });
            trades.HandleCancelTradeOutbound(kServerPlayer);
            return std::string("traded\n");
        },
        watch);
    EXPECT_EQ(outcome.hostile, "traded\n");
    EXPECT_TRUE(serverFinalized);
    EXPECT_EQ(outcome.after, outcome.before);
    EXPECT_EQ(ServerPlayer()->GetCurrentMoney(), 0u);
    EXPECT_EQ(ServerPlayer()->GetInventory().GetInventoryItems().size(), itemsBefore);
}

}  // namespace
}  // namespace GAME
