// A hostile client trades: what it offers is held to what the server holds of its player
// (gold within its money, items from its bag), a refused step goes no further than the
// drop log, and the server's copies of both players follow the trade as it completes.
#include <algorithm>

#include "Engine/NetDropLog.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/TradeManager.h"
#include "Game/network/ItemTradePackets.h"
#include "tests/network/HostileClientFixture.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace {

constexpr const char* kHelm = "Records/Item/ArenaHelm.dbr";

// A trade step from `from` to `to`, with what `set` fills in.
template <class P>
P Step(uint32_t from, uint32_t to, const std::function<void(P&)>& set = {})
{
    P packet;
    packet.sender = from;
    packet.receiver = to;
    if (set)
        set(packet);
    return packet;
}

class HostileTradeRelayTest : public HostileServerTest {};

// Two clients trade through the server, which passes on only what the sender's player holds
// here and moves the gold between its copies once both have finalized.
TEST_F(HostileTradeRelayTest, OffersBeyondWhatTheServerHoldsAreDroppedAndTheTradeMovesTheRest)
{
    constexpr uint32_t kPartner = 0x20000001;
    transport.Connect(2);
    auto* partner = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kPartner));
    World::Get().AddEntity(partner, Here());
    client->AddMoney(100);
    ItemReplicaInfo helm;
    helm.baseName = kHelm;
    helm.seed = 7;
    Item* held = Item::CreateItem(helm);
    ASSERT_NE(held, nullptr);
    client->GetInventory().AddItemToInventory(held->GetObjectId(), true);
    const auto fromPartner = [](auto packet) {
        const Bytes bytes = Written(packet);
        ConnectionManager::Get().HandleIncoming(2, bytes.data(), bytes.size());
    };
    const auto gold = [&](uint32_t amount) {
        auto packet = Step<TradeSetGoldPacket>(kClientPlayer, kPartner, [&](auto& p) { p.goldAmount = amount; });
        Send(packet);
    };
    const auto offer = [&](uint32_t copyId, uint32_t seed) {
        auto packet = Step<TradeAddItemPacket>(kClientPlayer, kPartner, [&](auto& p) {
            p.item = helm;
            p.item.objectId = copyId;
            p.item.seed = seed;
        });
        Send(packet);
    };
    const auto passed = [&](NetPacketType type) {
        return std::count_if(transport.sent.begin(), transport.sent.end(),
                             [type](const auto& p) { return p.Type() == type && p.to == HostOf(2); });
    };
    LogCapture log;
    transport.sent.clear();
    const uint64_t drops = NetDropLog::GetTotal();
    gold(50);   // before any trade runs
    auto invitation = Step<TradeInitiatePacket>(kClientPlayer, kPartner);
    Send(invitation);
    fromPartner(Step<TradeInitiatePacket>(kPartner, kClientPlayer));
    for (uint32_t amount : {0xFFFFFFFFu, 0x80000000u, 5000u, 60u})
        gold(amount);
    offer(0x10000100, 8);   // an item it does not hold
    offer(0x10000101, 7);
    offer(0x10000101, 7);   // the same copy twice
    offer(0x10000102, 7);   // a second helm it does not hold
    EXPECT_EQ(NetDropLog::GetTotal() - drops, 7u);
    EXPECT_EQ(passed(TradeSetGoldPacket::kType), 1);
    EXPECT_EQ(passed(TradeAddItemPacket::kType), 1);
    EXPECT_TRUE(log.Contains("TradeSetGoldPacket from host 1 dropped: it offers more gold than its player holds"));
    EXPECT_TRUE(log.Contains("TradeAddItemPacket from host 1 dropped: it offers an item its player does not hold"));

    // Money spent since the offer: the finalize waits until the offer is covered again.
    auto finalize = Step<TradeFinalizePacket>(kClientPlayer, kPartner);
    client->SubtractMoney(50);
    Send(finalize);
    EXPECT_EQ(passed(TradeFinalizePacket::kType), 0);
    client->AddMoney(50);
    Send(finalize);
    fromPartner(Step<TradeFinalizePacket>(kPartner, kClientPlayer));
    EXPECT_EQ(passed(TradeFinalizePacket::kType), 1);
    EXPECT_EQ(client->GetCurrentMoney(), 40u);
    EXPECT_EQ(partner->GetCurrentMoney(), 60u);
    EXPECT_TRUE(client->GetInventory().GetInventoryItems().empty());
}

class HostileTradeTest : public HostileClientTest {};

// Over ENet, with the server's own player as the partner, which accepts and finalizes
// whatever it is offered: gold the client does not have and items it never had.
TEST_F(HostileTradeTest, ForgedGoldAndItemOffersGiveTheServersPlayerNothing)
{
    bool serverFinalized = false;
    const auto watch = [&, this] {
        AnswerDialogs(true);
        TradeManager& trades = *engine->GetTradeManager();
        if (trades.GetIsTradeActive() && trades.GetHisTradeState().GetFinalized() && !serverFinalized) {
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
            const auto forge = [](auto packet) { Forge(packet); };
            for (uint32_t amount : {0xFFFFFFFFu, 0x80000000u, 5000u})
                forge(Step<TradeSetGoldPacket>(self, kServerPlayer, [&](auto& p) { p.goldAmount = amount; }));
            for (uint32_t i = 0; i < 3; ++i)
                forge(Step<TradeAddItemPacket>(self, kServerPlayer, [&](auto& p) {
                    p.placement = Vec2(static_cast<float>(2 * i), 0);
                    p.item.objectId = self + 0x100 + i;
                    p.item.baseName = kHelm;
                    p.item.seed = i;
                }));
            forge(Step<TradeFinalizePacket>(self, kServerPlayer));
            // The server's player finalizes in answer, completing the trade if it may.
            RunUntil([&] { return trades.GetHisTradeState().GetFinalized() || !trades.GetIsTradeActive(); });
            trades.HandleCancelTradeOutbound(kServerPlayer);
            return std::string("traded\n");
        },
        watch);
    EXPECT_EQ(outcome.hostile, "traded\n");
    EXPECT_TRUE(serverFinalized);
    EXPECT_EQ(outcome.after, outcome.before);
    EXPECT_EQ(ServerPlayer()->GetCurrentMoney(), 0u);
    EXPECT_TRUE(ServerPlayer()->GetInventory().GetInventoryItems().empty());
}

}  // namespace
}  // namespace GAME
