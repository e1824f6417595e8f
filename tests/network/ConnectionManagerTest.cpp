// Sending through the connection manager and dispatching what arrives: decoded by type
// number into a new packet, checked, and handed to the handler of that type.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Engine/ChatPacket.h"
#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "tests/network/EngineKindsPacket.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {
namespace {

class ConnectionManagerTest : public PacketTest {
protected:
    void SetUp() override
    {
        PacketTest::SetUp();
        manager.SetTransport(&transport);
    }
    void TearDown() override
    {
        manager.SetTransport(nullptr);
        NetPacketRegistry::Get().ClearHandlers();
        ObjectManager::Get().DestroyAllObjects();
        PacketTest::TearDown();
    }

    // Records every gold packet that reaches its handler.
    void HandleGold()
    {
        NetPacketRegistry::Get().SetHandler(GiveGoldPacket::kType, [this](NetPacket& packet, int fromHost) {
            auto* gold = DynamicCast<GiveGoldPacket>(&packet);
            ASSERT_NE(gold, nullptr);
            received.push_back({fromHost, gold->amount});
        });
    }

    ConnectionManager& manager = *gEngine->GetNetworkConnectionManager();
    RecordingTransport transport;
    std::vector<std::pair<int, int32_t>> received;
    LogCapture log;
};

TEST_F(ConnectionManagerTest, SendsToTheServerToEveryClientAndToThePlayersHost)
{
    GiveGoldPacket gold;
    gold.playerId = 0x30000007;
    gold.amount = 5;
    EXPECT_TRUE(manager.SendToServer(gold));
    EXPECT_TRUE(manager.SendToAllClients(gold));
    EXPECT_TRUE(manager.SendToPlayer(0xB0000001, gold));
    ASSERT_EQ(transport.sent.size(), 3u);
    EXPECT_EQ(transport.sent[0].to, (NetDestination{NetDestination::Server, ConnectionManager::kServerHost}));
    EXPECT_EQ(transport.sent[1].to.kind, NetDestination::AllClients);
    EXPECT_EQ(transport.sent[2].to, (NetDestination{NetDestination::Host, 11}));
    EXPECT_EQ(transport.sent[2].bytes, Written(gold));
    EXPECT_EQ(transport.sent[2].Type(), GiveGoldPacket::kType);
}

TEST_F(ConnectionManagerTest, ObjectsMadeOnAHostCarryItsNumber)
{
    manager.SetLocalHostId(3);
    EXPECT_EQ(ObjectManager::Get().CreateObject("Object")->GetObjectId() >> 28, 3u);
    manager.SetLocalHostId(ConnectionManager::kServerHost);
    EXPECT_EQ(ObjectManager::Get().CreateObject("Object")->GetObjectId() >> 28, 0u);
}

// What an inbox hands out, as (host, first byte) pairs, until it has nothing more this round.
std::vector<std::pair<int, int>> InboxDrain(NetInbox& inbox)
{
    std::vector<std::pair<int, int>> taken;
    int from = 0;
    for (std::vector<unsigned char> bytes; inbox.PopPacket(from, bytes);)
        taken.emplace_back(from, bytes.empty() ? -1 : bytes[0]);
    return taken;
}

// A peer that sends faster than the game drains the inbox fills its own queue only, to its
// limits, with one log line for a whole flood: another host's packets still find room and
// come out among the flood's in the order they arrived.
TEST_F(ConnectionManagerTest, TheInboxHoldsAtMostItsLimitsForEachHost)
{
    // The drop log's second stands still, however slow the machine.
    NetDropLog::SetClock([] { return uint64_t{0}; });
    LogCapture log;
    NetInbox inbox;
    inbox.PushPacket(2, {7});
    for (size_t i = 0; i < NetInbox::kMaxPackets + 10; ++i)
        inbox.PushPacket(1, {1, 2});
    inbox.PushPacket(2, {8});
    const std::vector<std::pair<int, int>> taken = InboxDrain(inbox);
    ASSERT_EQ(taken.size(), NetInbox::kMaxPackets + 2);
    EXPECT_EQ(taken.front(), std::make_pair(2, 7));
    EXPECT_EQ(taken.back(), std::make_pair(2, 8));
    inbox.PushPacket(1, std::vector<unsigned char>(NetInbox::kMaxBytes + 1));
    inbox.PushPacket(1, {3});
    EXPECT_EQ(InboxDrain(inbox), (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(log.Texts(),
              (std::vector<std::string>{"NetInbox: a received packet from host 1 dropped: the host's queue is full"}));
    NetDropLog::SetClock(nullptr);
}

// With a round budget each host is handed at most its budget a round, oldest first (a
// packet larger than the byte budget goes alone, as its host's first); the rest waits for
// the next round.
TEST_F(ConnectionManagerTest, ARoundHandsOutEachHostsPacketsUpToItsBudget)
{
    NetInbox inbox;
    inbox.SetRoundBudget(3, 100);
    for (unsigned char i = 0; i < 8; ++i)
        inbox.PushPacket(1, {i});
    inbox.PushPacket(2, std::vector<unsigned char>(150, 20));
    inbox.PushPacket(2, {21});
    using Taken = std::vector<std::pair<int, int>>;
    EXPECT_EQ(InboxDrain(inbox), (Taken{{1, 0}, {1, 1}, {1, 2}, {2, 20}}));
    inbox.NextRound();
    EXPECT_EQ(InboxDrain(inbox), (Taken{{1, 3}, {1, 4}, {1, 5}, {2, 21}}));
    inbox.NextRound();
    EXPECT_EQ(InboxDrain(inbox), (Taken{{1, 6}, {1, 7}}));
}

// A client is a host from 1 to 15 that the transport has connected and not dropped.
TEST_F(ConnectionManagerTest, ClientsCountAsConnectedUntilDisconnected)
{
    for (int host : {0, 3, 15, 16, -1})
        transport.Connect(host);
    for (int host : {0, 3, 15, 16, -1, 4})
        EXPECT_EQ(manager.IsClientConnected(host), host == 3 || host == 15) << host;
    manager.Disconnect(3, "ban");
    EXPECT_FALSE(manager.IsClientConnected(3));

    // What a client sent goes on to the others.
    GiveGoldPacket gold;
    EXPECT_TRUE(manager.SendToOtherClients(3, gold));
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to, (NetDestination{NetDestination::OtherClients, 3}));
    manager.SetTransport(nullptr);
    EXPECT_FALSE(manager.IsClientConnected(15));
}

TEST_F(ConnectionManagerTest, WhatCannotBeBuiltOrHasNowhereToGoIsNotSent)
{
    ChatPacket chat;
    chat.text.assign(NetLimits::kMaxWideStringLength + 1, u'x');
    EXPECT_FALSE(manager.SendToServer(chat));
    EXPECT_TRUE(transport.sent.empty());

    manager.SetTransport(nullptr);
    chat.text = u"hello";
    EXPECT_FALSE(manager.SendToServer(chat));
    EXPECT_TRUE(log.Contains("ConnectionManager: no transport; ChatPacket not sent"));
}

TEST_F(ConnectionManagerTest, ReceivedPacketsReachTheHandlerOfTheirType)
{
    HandleGold();
    GiveGoldPacket gold;
    gold.amount = -40;
    transport.Feed(3, Written(gold));
    gold.amount = 12;
    transport.Feed(4, Written(gold));
    EXPECT_EQ(manager.ProcessIncoming(), 2);
    EXPECT_EQ(received, (std::vector<std::pair<int, int32_t>>{{3, -40}, {4, 12}}));
    EXPECT_EQ(manager.ProcessIncoming(), 0);
}

// A packet is handled by the registry's own handler, kept alive while it runs: handling
// copies no handler, and a handler that replaces its own type's handler while it runs is
// not destroyed before its end, which still sees what it captured; the next packet of the
// type reaches the new handler.
TEST_F(ConnectionManagerTest, AHandlerReplacedWhileItRunsRunsToItsEnd)
{
    struct Counts {
        int copies = 0;
        int destroyed = 0;
        int destroyedWhileRunning = -1;
    } counts;
    // Counts its copies and its destructions in `counts`.
    struct Replacing {
        Counts* counts;
        std::vector<std::pair<int, int32_t>>* received;
        std::string name = "the first handler, with a name too long to be kept in place";
        Replacing(Counts* c, std::vector<std::pair<int, int32_t>>* r) : counts(c), received(r) {}
        Replacing(const Replacing& other) : counts(other.counts), received(other.received), name(other.name)
        {
            ++counts->copies;
        }
        ~Replacing() { ++counts->destroyed; }
        void operator()(NetPacket&, int fromHost) const
        {
            const int before = counts->destroyed;
            auto* into = received;
            NetPacketRegistry::Get().SetHandler(GiveGoldPacket::kType,
                                                [into](NetPacket&, int host) { into->push_back({host, 2}); });
            counts->destroyedWhileRunning = counts->destroyed - before;
            received->push_back({fromHost, static_cast<int32_t>(name.size())});
        }
    };
    NetPacketRegistry::Get().SetHandler(GiveGoldPacket::kType, Replacing(&counts, &received));
    const int copiesBefore = counts.copies;
    GiveGoldPacket gold;
    transport.Feed(3, Written(gold));
    transport.Feed(4, Written(gold));
    EXPECT_EQ(manager.ProcessIncoming(), 2);
    EXPECT_EQ(counts.copies, copiesBefore);
    EXPECT_EQ(counts.destroyedWhileRunning, 0);
    EXPECT_EQ(received, (std::vector<std::pair<int, int32_t>>{{3, 59}, {4, 2}}));
}

// The transport is serviced first, then every join and leave reaches the listener in
// order, then the packets are dispatched.
TEST_F(ConnectionManagerTest, ConnectionEventsReachTheListenerBeforeThePackets)
{
    struct ServicedTransport : RecordingTransport {
        void Service() override
        {
            if (serviced++ == 0)
                QueueEvent({NetConnectionEvent::Left, 4, "bye"});
        }
        int serviced = 0;
    } serviced;
    manager.SetTransport(&serviced);
    std::vector<std::string> seen;
    manager.SetConnectionListener([&](const NetConnectionEvent& event) {
        seen.push_back(std::to_string(event.kind) + ":" + std::to_string(event.host) + ":" + event.reason +
                       ":" + std::to_string(received.size()));
    });
    HandleGold();
    serviced.QueueEvent({NetConnectionEvent::Joined, 4, ""});
    EXPECT_TRUE(manager.IsClientConnected(4));
    GiveGoldPacket gold;
    gold.amount = 9;
    serviced.Feed(4, Written(gold));

    EXPECT_EQ(manager.ProcessIncoming(), 1);
    EXPECT_EQ(serviced.serviced, 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"0:4::0", "1:4:bye:0"}));
    EXPECT_EQ(received, (std::vector<std::pair<int, int32_t>>{{4, 9}}));
    EXPECT_FALSE(manager.IsClientConnected(4));

    manager.SetConnectionListener(nullptr);   // events without a listener are dropped
    serviced.QueueEvent({NetConnectionEvent::TimedOut, 2, ""});
    EXPECT_EQ(manager.ProcessIncoming(), 0);
    NetConnectionEvent left;
    EXPECT_FALSE(serviced.PollConnectionEvent(left));
}

TEST_F(ConnectionManagerTest, BytesThatChooseNoRegisteredPacketAreDropped)
{
    HandleGold();
    EXPECT_FALSE(manager.HandleIncoming(2, Bytes{0xE7, 0x03, 0, 0}.data(), 4));
    EXPECT_TRUE(log.Contains("Packet of type 999 from host 2 dropped: no packet of that type (4 bytes)"));
    const Bytes one = {0x70};
    EXPECT_FALSE(manager.HandleIncoming(2, one.data(), one.size()));
    EXPECT_TRUE(log.Contains("Packet from host 2 dropped: 1 bytes is shorter than a header"));
    EXPECT_TRUE(received.empty());
}

TEST_F(ConnectionManagerTest, APacketWithoutAHandlerIsDropped)
{
    WorldInitPacket init;
    EXPECT_FALSE(manager.HandleIncoming(1, Written(init).data(), Written(init).size()));
    EXPECT_TRUE(log.Contains("WorldInitPacket from host 1 dropped: no handler"));
}

TEST_F(ConnectionManagerTest, ATypeNumberKeepsItsFirstClass)
{
    EXPECT_FALSE(NetPacketRegistry::Get().RegisterType(GiveGoldPacket::kType, ChatPacket::GetStaticClassInfo()));
    EXPECT_TRUE(log.Contains("NetPacketRegistry: type 112 is taken by GiveGoldPacket; ChatPacket is not registered"));
    EXPECT_TRUE(NetPacketRegistry::Get().FindType(GiveGoldPacket::kType)->IsSame(&GiveGoldPacket::GetStaticClassInfo()));
}

TEST_F(ConnectionManagerTest, DisconnectsReachTheTransport)
{
    manager.Disconnect(5, "ban");
    ASSERT_EQ(transport.disconnections.size(), 1u);
    EXPECT_EQ(transport.disconnections[0].host, 5);
    EXPECT_EQ(transport.disconnections[0].reason, "ban");
}

TEST_F(ConnectionManagerTest, ObjectIdsMustNameLiveObjectsUnlessTheyMayBeNone)
{
    const uint32_t live = ObjectManager::Get().CreateObject("Object")->GetObjectId();
    EngineKindsPacket packet;
    EXPECT_EQ(packet.GetEnteredIdCount(), 2u);
    EXPECT_EQ(packet.GetEnteredListCount(), 2u);
    packet.actor = live;
    packet.slots = std::vector<uint32_t>{0, live};
    EXPECT_TRUE(packet.CheckObjects(0));

    EngineKindsPacket copy(packet);   // checks its own fields, not the original's
    packet.actor = packet.target;   // takes the id 0, but still needs an object
    EXPECT_FALSE(packet.CheckObjects(0));
    EXPECT_TRUE(copy.CheckObjects(0));
    copy.members = std::vector<uint32_t>{live, live + 1000};
    EXPECT_FALSE(copy.CheckObjects(0));
}

TEST_F(ConnectionManagerTest, APacketNamingMissingObjectsIsDropped)
{
    bool handled = false;
    NetPacketRegistry::Get().SetHandler(EngineKindsPacket::kType, [&handled](NetPacket&, int) { handled = true; });
    EngineKindsPacket packet;
    packet.actor = 12345;
    const Bytes bytes = Written(packet);
    EXPECT_FALSE(manager.HandleIncoming(6, bytes.data(), bytes.size()));
    EXPECT_TRUE(log.Contains("EngineKindsPacket from host 6 dropped: it names objects that do not exist"));
    EXPECT_FALSE(handled);
}

TEST_F(ConnectionManagerTest, ASpawnedPlayerNeedNotExistYet)
{
    bool handled = false;
    NetPacketRegistry::Get().SetHandler(SpawnPlayerPacket::kType, [&handled](NetPacket& packet, int) {
        handled = static_cast<SpawnPlayerPacket&>(packet).playerObjectId.GetId() == 0x10000099;
    });
    SpawnPlayerPacket spawn;
    spawn.playerObjectId = 0x10000099;
    const Bytes bytes = Written(spawn);
    EXPECT_TRUE(manager.HandleIncoming(1, bytes.data(), bytes.size()));
    EXPECT_TRUE(handled);
}

}  // namespace
}  // namespace GAME
