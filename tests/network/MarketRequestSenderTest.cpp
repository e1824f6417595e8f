// A client's purchase and sell-back reach the host's market only for the client's own
// player: the buyer's id carries the sender's host number.
#include "Game/core/GameEngineServicesModule.h"
#include "Game/items/MarketServer.h"
#include "Game/network/ItemTradePackets.h"
#include "host/HostDispatch.h"
#include "tests/network/GameWireFixture.h"

using namespace GAME;

namespace {

class MarketRequestSenderTest : public GameWireTest {
protected:
    void TearDown() override
    {
        UnregisterHostDispatch();
        GameWireTest::TearDown();
    }
    template <class Packet>
    void Receive(Packet packet, uint32_t buyer)
    {
        packet.marketId = kMarket;
        packet.level = server->GetBracket();
        packet.seed = server->GetSeed();
        packet.itemIndex = 3;
        packet.buyerId = buyer;
        transport.Feed(1, Written(packet));
        gEngine->UpdateFrame(0);
    }

    static constexpr uint32_t kMarket = 42;
    MarketServer* server = nullptr;
};

}  // namespace

TEST_F(MarketRequestSenderTest, ARequestSpeaksOnlyForTheSendersOwnPlayer)
{
    engine->SetAsNetworkServer();
    RegisterHostDispatch();
    transport.Connect(1);
    engine->GetClientServices()->CreateMarketClient(kMarket);
    server = engine->GetServerServices()->GetMarketServer(kMarket);
    ASSERT_NE(server, nullptr);
    server->Update(0);

    LogCapture log;
    Receive(MarketC2SPurchaseRequestPacket(), 0x20000001);
    EXPECT_TRUE(log.Contains(
        "MarketC2SPurchaseRequestPacket from host 1 dropped: it speaks for 536870913, which is not the host's"));
    EXPECT_EQ(server->GetItemStatus(3), MarketItemStatus_OnSale);

    Receive(MarketC2SPurchaseRequestPacket(), 0x10000001);
    EXPECT_EQ(server->GetItemStatus(3), MarketItemStatus_Sold);
    Receive(MarketC2SSellBackPacket(), 0x20000001);
    EXPECT_TRUE(
        log.Contains("MarketC2SSellBackPacket from host 1 dropped: it speaks for 536870913, which is not the host's"));
    EXPECT_EQ(server->GetItemStatus(3), MarketItemStatus_Sold);
    Receive(MarketC2SSellBackPacket(), 0x10000001);
    EXPECT_EQ(server->GetItemStatus(3), MarketItemStatus_OnSale);
}
