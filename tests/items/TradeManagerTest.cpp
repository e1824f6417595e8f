// One side of a trade: the local player's offers and what the partner's steps do to them.
// The partner's steps are played straight into the trade manager; what the local player
// sends is caught by the installed network interface.
#include "core/EngineFixture.h"
#include "Engine/Localization.h"
#include "Engine/Texture.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/TradeManager.h"

namespace GAME {
namespace {

using ::testing::_;

constexpr uint32_t kPartner = 0x10000005;
constexpr uint32_t kStranger = 0x20000007;

class TradeManagerTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        LocalizationManager::Instance().RegisterTags("SimpleStringFormat=%s\ntagTradeError03=%s asks\n");
        auto& records = RecordDatabase::Get();
        records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        records.RegisterRecord("Ring", "Class,ArmorJewelry_Ring,\nbitmap,Ring.tex,\n");
        Texture::RegisterSize("Ring.tex", 32, 32);
        engine->InstallNetworkInterface(&network);
        ON_CALL(network, CreateItem(_, _, _, _)).WillByDefault([this](uint32_t to, auto where, const auto& item, auto) {
            engine->GetInboundNetworkInterface()->CreateItem(to, where, item, nullptr);
        });
        player = MakeMainPlayer();
        player->SetIsControllingCharacter(true);
        trades = engine->GetTradeManager();
    }
    void TearDown() override { Texture::ClearSizes(), LocalizationManager::Instance().Clear(), EngineTest::TearDown(); }

    uint32_t GiveRing()
    {
        ItemReplicaInfo ring;
        ring.baseName = "Ring";
        engine->GetInboundNetworkInterface()->CreateItem(kMainPlayerId, WorldCoords(), ring, nullptr);
        return player->GetInventory().GetInventoryItems().back();
    }
    void Open()
    {
        trades->HandleInitiateTradeOutbound(kPartner, true);
        trades->HandleInitiateTradeInbound(kPartner);
        ASSERT_TRUE(trades->GetIsTradeActive());
    }
    size_t Held() const { return player->GetInventory().GetInventoryItems().size(); }
    static bool Exists(uint32_t id) { return ObjectManager::Get().GetObject(id) != nullptr; }

    NiceNetwork network;
    Player* player = nullptr;
    TradeManager* trades = nullptr;
};

// The offered original leaves the player once its command runs; a cancel brings the item
// back afresh and leaves no copy behind.
TEST_F(TradeManagerTest, AnOfferTakesTheOriginalAndACancelReturnsItWithoutCopies)
{
    ASSERT_NE(player->GetPlayerController(), nullptr);
    const uint32_t ring = GiveRing();
    Open();
    ItemReplicaInfo sent;
    EXPECT_CALL(network, TradeAddItem(kMainPlayerId, kPartner, Vec2(0, 0), _)).WillOnce([&](auto, auto, auto, auto& i) {
        sent = i;
    });
    ASSERT_TRUE(trades->HandleAddItemOutbound(Vec2(), ring));
    EXPECT_FALSE(trades->HandleAddItemOutbound(Vec2(), ring));   // once
    gEngine->RunActorCommands();
    EXPECT_FALSE(Exists(ring));
    EXPECT_EQ(Held(), 0u);
    EXPECT_TRUE(Exists(sent.objectId));
    trades->HandleCancelTradeInbound(kPartner);
    EXPECT_FALSE(Exists(sent.objectId));
    ASSERT_EQ(Held(), 1u);
    EXPECT_EQ(ObjectManager::Get().GetObject<Item>(player->GetInventory().GetInventoryItems()[0])->GetObjectName(),
              "Ring");
}

// The window holds 60 rings; the copy of one more is destroyed, not left behind.
TEST_F(TradeManagerTest, AnOfferThatFindsNoRoomLeavesNoCopy)
{
    std::vector<uint32_t> rings;
    for (int i = 0; i < 61; ++i)
        rings.push_back(GiveRing());
    Open();
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(trades->HandleAddItemOutbound(Vec2(), rings[i]));
    const uint32_t next = ObjectManager::Get().CreateObjectID();
    EXPECT_FALSE(trades->HandleAddItemOutbound(Vec2(), rings[60]));
    EXPECT_FALSE(Exists(next + 1));
    EXPECT_TRUE(Exists(rings[60]));
}

// What the partner offers: an item that cannot be made is skipped, a place outside the
// window or on another item is replaced by the first free one, the same item twice stands
// once; a stranger changes nothing.
TEST_F(TradeManagerTest, ThePartnersOffersAreCheckedAndAStrangersIgnored)
{
    Open();
    ItemReplicaInfo ring;
    ring.baseName = "Ring";
    ring.objectId = 0x100000A0;
    ItemReplicaInfo broken = ring;
    broken.baseName = "Records/Missing.dbr";
    const InventorySack& his = trades->GetHisTradeState().GetInventorySack();
    trades->HandleAddItemInbound(kPartner, Vec2(2, 1), broken);
    EXPECT_TRUE(his.GetInventory().empty());
    trades->HandleAddItemInbound(kPartner, Vec2(2, 1), ring);
    trades->HandleAddItemInbound(kPartner, Vec2(2, 1), ring);
    ring.objectId += 1;
    trades->HandleAddItemInbound(kPartner, Vec2(2, 1), ring);
    ring.objectId += 1;
    trades->HandleAddItemInbound(kPartner, Vec2(1e9f, -4), ring);
    trades->HandleAddItemInbound(kStranger, Vec2(0, 0), ring);
    trades->HandleSetGoldAmountInbound(kStranger, 0xFFFFFFFF);
    trades->HandleFinalizeTradeInbound(kStranger);
    std::vector<Vec2> places;
    for (const auto& [id, rect] : his.GetInventory())
        places.emplace_back(rect.x, rect.y);
    EXPECT_EQ(places, (std::vector<Vec2>{{64, 32}, {0, 0}, {32, 0}}));
    EXPECT_EQ(trades->GetHisTradeState().GetGoldAmount(), 0u);
    EXPECT_FALSE(trades->GetHisTradeState().GetFinalized());
    // The partner takes one back: its copy here goes.
    const uint32_t copy = his.GetInventory().begin()->first;
    trades->HandleRemoveItemInbound(kPartner, 0x100000A0);
    EXPECT_FALSE(Exists(copy));
}

// Gold offered is held to the purse when set and again at completion; the partner's gold
// arrives, and a change after both finalized asks for both again.
TEST_F(TradeManagerTest, OfferedGoldIsHeldToTheMoneyAndAChangeUnfinalizes)
{
    player->AddMoney(500);
    Open();
    EXPECT_CALL(network, TradeSetGoldAmount(kMainPlayerId, kPartner, 500)).Times(1);
    trades->HandleSetGoldAmountOutbound(0xFFFFFFFF);
    trades->HandleSetGoldAmountInbound(kPartner, 40);
    trades->HandleFinalizeTradeOutbound();
    player->SubtractMoney(200);   // spent elsewhere meanwhile
    EXPECT_CALL(network, TradeSetGoldAmount(kMainPlayerId, kPartner, 300)).Times(1);
    trades->HandleFinalizeTradeInbound(kPartner);
    EXPECT_TRUE(trades->GetIsTradeActive());
    EXPECT_FALSE(trades->GetMyTradeState().GetFinalized() || trades->GetHisTradeState().GetFinalized());
    EXPECT_EQ(player->GetCurrentMoney(), 300u);
    trades->HandleFinalizeTradeOutbound();
    trades->HandleFinalizeTradeInbound(kPartner);
    EXPECT_FALSE(trades->GetIsTradeActive());
    EXPECT_EQ(player->GetCurrentMoney(), 40u);
}

// Only a change made unfinalizes: an offer refused here would leave the partner holding
// this side's finalize alone. A cancel during a trade always reaches the partner.
TEST_F(TradeManagerTest, ARefusedOfferKeepsTheFinalizeAndACancelReachesThePartner)
{
    Open();
    trades->HandleFinalizeTradeOutbound();
    EXPECT_FALSE(trades->HandleAddItemOutbound(Vec2(), 12345));
    EXPECT_FALSE(trades->HandleRemoveItemOutbound(12345));
    EXPECT_TRUE(trades->GetMyTradeState().GetFinalized());
    EXPECT_CALL(network, TradeCancel(kMainPlayerId, kPartner)).Times(1);
    trades->HandleCancelTradeOutbound(kStranger);
    EXPECT_FALSE(trades->GetIsTradeActive());
}

// An invitation asks the player, naming the inviter; a "no" tells the inviter and cancels.
TEST_F(TradeManagerTest, AnInvitationIsAskedAndADeclineIsSent)
{
    engine->GetInboundNetworkInterface()->StoC_AllPlayersUpdate(Roster({kPartner}));
    trades->HandleInitiateTradeInbound(kPartner);
    ASSERT_NE(engine->GetDialogManager().PeekTopDialog(), nullptr);
    EXPECT_EQ(engine->GetDialogManager().PeekTopDialog()->text, u"P268435461 asks");
    EXPECT_EQ(engine->GetDialogManager().PeekTopDialog()->party, DialogParty::kTradeInvite);
    EXPECT_CALL(network, DisplayMessageRemote(kPartner, kMainPlayerId, false, "tagTradeError02")).Times(1);
    EXPECT_CALL(network, TradeCancel(kMainPlayerId, kPartner)).Times(1);
    engine->GetDialogManager().AddResponse(DialogParty::kTradeInvite, false);
    trades->Update();
    EXPECT_TRUE(trades->AbleToTrade());
}

// A third player's invitation during a trade is refused at once.
TEST_F(TradeManagerTest, AnInvitationDuringATradeIsRefused)
{
    Open();
    EXPECT_CALL(network, DisplayMessageRemote(kStranger, kMainPlayerId, false, "tagTradeError01")).Times(1);
    EXPECT_CALL(network, TradeCancel(kMainPlayerId, kStranger)).Times(1);
    trades->HandleInitiateTradeInbound(kStranger);
    EXPECT_EQ(trades->GetTradePartner(), kPartner);
}

// The request flag: a second request while one waits is not sent, and the invited
// player's acceptance clears it.
TEST_F(TradeManagerTest, TheRequestLastsUntilTheInvitedPlayerAccepts)
{
    EXPECT_CALL(network, TradeInitiate(kMainPlayerId, kPartner)).Times(1);
    EXPECT_CALL(network, TradeInitiate(kMainPlayerId, kStranger)).Times(0);
    trades->HandleInitiateTradeOutbound(kPartner, true);
    trades->HandleInitiateTradeOutbound(kStranger, true);
    EXPECT_EQ(trades->GetRequestedPartner(), kPartner);
    trades->HandleInitiateTradeInbound(kPartner);
    EXPECT_TRUE(trades->GetIsTradeActive());
    EXPECT_EQ(trades->GetTradePartner(), kPartner);
    EXPECT_EQ(trades->GetRequestedPartner(), 0u);
}

}  // namespace
}  // namespace GAME
