#include <cmath>
#include <limits>

#include "host/HostDispatch.h"
#include "tests/network/GameWireFixture.h"

using namespace GAME;

namespace {

constexpr int kClientHost = 1;

class DispatchTest : public GameWireTest {
protected:
    void SetUp() override
    {
        GameWireTest::SetUp();
        RegisterHostDispatch();
    }
    void TearDown() override
    {
        UnregisterHostDispatch();
        GameWireTest::TearDown();
    }

    // Delivers the bytes as host 1's and runs the engine's part of a frame.
    void Receive(const Bytes& bytes)
    {
        transport.Feed(kClientHost, bytes);
        gEngine->UpdateFrame(0);
    }
    Bytes Gold(uint32_t player, int32_t amount)
    {
        GiveGoldPacket packet;
        packet.playerId = player;
        packet.amount = amount;
        return Written(packet);
    }
};

TEST_F(DispatchTest, ReceivedGoldIsAddedDuringTheEngineFrame)
{
    engine->SetAsNetworkServer();
    Player* player = MakeMainPlayer();
    transport.Feed(kClientHost, Gold(player->GetObjectId(), 250));
    EXPECT_EQ(player->GetMoney(), 0u);   // nothing is applied before the frame
    gEngine->UpdateFrame(0);
    EXPECT_EQ(player->GetMoney(), 250u);
    Receive(Gold(player->GetObjectId(), -100));
    EXPECT_EQ(player->GetMoney(), 150u);
}

TEST_F(DispatchTest, ReceivedChatIsQueuedAndMessagesShown)
{
    engine->SetAsNetworkClient();
    ChatPacket chat;
    chat.sender = u"Al";
    chat.text = u"hi";
    chat.kind = 2;
    Receive(Written(chat));
    std::vector<ChatMessage> lines;
    engine->RemovePendingMessages(lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].sender, u"Al");
    EXPECT_EQ(lines[0].text, u"hi");

    // A tag that takes a number, sent with a player to name: shown as its plain text.
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({5}));
    LogCapture log;
    RemoteMessagePacket message;
    message.receiver = 7;
    message.optionalInsert = 5;
    message.asBubble = true;
    message.textTag = "tagCount";
    Receive(Written(message));
    EXPECT_EQ(engine->TakeTopNotification().texts, (std::vector<std::u16string>{u"%d items"}));
    EXPECT_TRUE(log.Contains("Localization: text tag \"tagCount\" does not take a name; shown as plain text"));
}

TEST_F(DispatchTest, PacketThatDoesNotReadCleanlyIsDroppedWhole)
{
    engine->SetAsNetworkServer();
    Player* player = MakeMainPlayer();
    Bytes shortGold = Gold(player->GetObjectId(), 250);
    shortGold.pop_back();
    LogCapture log;
    Receive(shortGold);
    EXPECT_EQ(player->GetMoney(), 0u);
    ASSERT_EQ(log.Texts().size(), 1u);
    EXPECT_EQ(log.Texts()[0].rfind("GiveGoldPacket from host 1 dropped: ", 0), 0u) << log.Texts()[0];
}

TEST_F(DispatchTest, TeleportToACoordinateNoWholeNumberHoldsIsRefused)
{
    engine->SetAsNetworkServer();
    LogCapture log;
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), 3.0e9f, -std::numeric_limits<float>::infinity()}) {
        StartTeleportPacket teleport;
        teleport.playerId = 0x10000001;
        teleport.x = bad;
        Receive(Written(teleport));
    }
    EXPECT_EQ(log.Count("StartTeleportPacket for player 268435457 dropped: its destination is out of range"), 3u);
}

TEST_F(DispatchTest, UnregisteredTableAppliesNothing)
{
    engine->SetAsNetworkServer();
    Player* player = MakeMainPlayer();
    UnregisterHostDispatch();
    LogCapture log;
    Receive(Gold(player->GetObjectId(), 250));
    EXPECT_EQ(player->GetMoney(), 0u);
    EXPECT_TRUE(log.Contains("GiveGoldPacket from host 1 dropped: no handler"));
}

}  // namespace
