// Admission on a real server over ENet, every host in this process, each client's ENet
// host serviced every frame (it acknowledges what it gets): a connection keeps its number
// while it progresses through its join and until it plays or its deadline passes, a full
// server refuses a newcomer, connections from another address (127.0.0.2 and on) that
// flood it or hold every number they can hold at most their address's few numbers and
// peers, and requests to connect never answered, from any address, hold nothing. The
// deadline's clock is the test's to move.
#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "Engine/EnetTransport.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/session/GamePacketDispatch.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/session/SpawnReplication.h"
#include "core/EngineFixture.h"
#include "tests/ConnectServing.h"
#include "tests/RequestSocket.h"
#include "tests/network/PacketTestUtil.h"
#include "tests/network/RawJoin.h"

namespace GAME {
namespace {

class HostileJoinTest : public EngineTest {
protected:
    static constexpr int kDeadlineMs = 20000;
    static constexpr int kStepMs = EnetTransport::kDefaultJoinStepMs;
    static constexpr int kFrameLimit = 100000;
    static constexpr float kBeatLife = 60.0f;

    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        World::Get().AddRegion(1, "Arena");
        RegisterGamePacketDispatch();
        std::string error;
        server = EnetTransport::Listen(0, error);
        ASSERT_TRUE(server) << error;
        server->SetGoodbyeWait(200);
        server->SetJoinDeadline(kDeadlineMs);
        server->SetClock([this] { return now; });
        ConnectionManager::Get().SetTransport(server.get());
        engine->SetAsNetworkServer();
        ConnectionManager::Get().SetConnectionListener(
            [this](const NetConnectionEvent& event) { engine->HandleConnectionEvent(event); });
    }
    void TearDown() override
    {
        UnregisterGamePacketDispatch();
        ConnectionManager::Get().SetConnectionListener({});
        ConnectionManager::Get().SetTransport(nullptr);
        clients.clear();
        server.reset();
        EngineTest::TearDown();
    }

    // One server frame, the clients' transports serviced after it; the hosts each client
    // heard leave are kept.
    void Frame()
    {
        ConnectionManager::Get().ProcessIncoming();
        gEngine->UpdateFrame(16);
        engine->Update(16);
        for (auto& client : clients) {
            client->Service();
            int from = 0;
            PlayerLeftPacket left;
            for (Bytes bytes; client->Receive(from, bytes);)
                if (NetPacketType type = 0; NetPacketRegistry::PeekType(bytes.data(), bytes.size(), type) &&
                                            type == PlayerLeftPacket::kType && ReadInto(left, bytes))
                    heardLeave[client.get()].push_back(static_cast<int>(left.host));
        }
    }
    bool RunUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < kFrameLimit && !done(); ++i)
            Frame();
        return done();
    }
    // Connects a client while the server's frames run; null, with the reason, when refused.
    EnetTransport* Connect(std::string& error)
    {
        std::unique_ptr<EnetTransport> client = ConnectServing(server->GetPort(), 20000, 200, error, [this] { Frame(); });
        if (!client)
            return nullptr;
        clients.push_back(std::move(client));
        return clients.back().get();
    }
    static uint32_t PlayerOf(const EnetTransport& client)
    {
        return (static_cast<uint32_t>(client.GetLocalHost()) << ConnectionManager::kPlayerIdShift) | 1u;
    }
    // The client sends its player's roster record; with `stands` its player, as a client
    // does once its world arrived; with `beats` its first heartbeat.
    static void Join(EnetTransport& client, bool beats, bool stands = false)
    {
        SinglePlayerBasicInfoPacket join;
        join.info.playerId = PlayerOf(client);
        join.info.maxLife = join.info.life = 100.0f;
        SendToServer(client, join);
        if (stands) {
            auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr",
                                                                             PlayerOf(client));
            ASSERT_TRUE(player && World::Get().AddEntity(player, WorldCoords(World::Get().GetRegionById(1), Coords())));
            std::unique_ptr<SpawnPlayerPacket> spawn = MakeSpawnPacket(*player);
            ObjectManager::Get().DestroyObjectEx(player, __FILE__, __LINE__);
            ObjectManager::Get().FlushDestroyedObjects();
            ASSERT_TRUE(spawn);
            SendToServer(client, *spawn);
        }
        if (beats)
            Beat(client, kBeatLife);
    }
    // A heartbeat whose life the server's record then shows.
    static void Beat(EnetTransport& client, float life)
    {
        SinglePlayerHeartbeatPacket beat;
        beat.info.playerId = PlayerOf(client);
        beat.info.maxLife = 100.0f;
        beat.info.life = life;
        SendToServer(client, beat);
    }
    // Whether the server's record of the client's player shows that life.
    bool RecordShows(const EnetTransport& client, float life) const
    {
        for (const PlayerNetBasicInfo& record : engine->GetPlayerManagerServer()->GetPlayerInfos())
            if (record.playerId == PlayerOf(client))
                return record.life == life;
        return false;
    }
    static void SendToServer(EnetTransport& client, NetPacket& packet)
    {
        const Bytes bytes = Written(packet);
        client.Send({NetDestination::Server, ConnectionManager::kServerHost}, bytes.data(), bytes.size());
    }
    size_t RosterSize() const { return engine->GetPlayerManagerServer()->GetPlayerInfos().size(); }
    // `count` clients of this process's address that join and play, one after the other.
    void FillWithPlayers(int count)
    {
        std::string error;
        for (int i = 0; i < count; ++i) {
            EnetTransport* client = Connect(error);
            ASSERT_NE(client, nullptr) << error;
            Join(*client, true, true);
            ASSERT_TRUE(RunUntil([&] { return RecordShows(*client, kBeatLife); }));
        }
    }
    // Every client beats with that life (it is heard within a few frames).
    void BeatAll(float life)
    {
        for (auto& client : clients)
            Beat(*client, life);
    }

    std::unique_ptr<EnetTransport> server;
    std::vector<std::unique_ptr<EnetTransport>> clients;
    std::map<const EnetTransport*, std::vector<int>> heardLeave;
    int64_t now = 0;
};

// Connections from one address, each a bare ENet host of a port of its own, serviced every
// frame, that answer the server's challenge: each goes as far as `goes` says, and with
// `comeBack` one the server refuses or drops connects again at once, from the same port.
class Strangers {
public:
    enum Goes { Silent, Answers, Beats };   // answers nothing; answers and sends a player; and beats once

    Strangers(const char* address, uint16_t port, Goes goes, bool comeBack)
        : m_address(address), m_port(port), m_goes(goes), m_comeBack(comeBack)
    {
    }
    ~Strangers()
    {
        for (ENetHost* host : m_hosts)
            enet_host_destroy(host);
    }
    Strangers(const Strangers&) = delete;
    Strangers& operator=(const Strangers&) = delete;

    void Open()
    {
        ENetAddress local{};
        enet_address_set_host(&local, m_address);
        ENetHost* host = enet_host_create(&local, 1, 2, 0, 0);
        if (host)
            EnetTransport::AnswerChallenges(host);
        if (host && Connect(host))
            m_hosts.push_back(host);
        else if (host)
            enet_host_destroy(host);
    }
    void Service()
    {
        std::erase_if(m_hosts, [this](ENetHost* host) { return !ServiceOne(host); });
        int holding = 0;
        for (ENetHost* host : m_hosts)
            holding += host->peers[0].data != nullptr;
        mostHeld = std::max(mostHeld, holding);
        held = holding;
    }

    int held = 0, mostHeld = 0;   // numbers held now, and at most
    int refused = 0;              // "server full"
    int dropped = 0;              // disconnected after they were offered a number

private:
    bool Connect(ENetHost* host)
    {
        ENetAddress to{};
        enet_address_set_host(&to, "127.0.0.1");
        to.port = m_port;
        ENetPeer* peer = enet_host_connect(host, &to, 2, 0);
        if (peer)
            enet_peer_timeout(peer, 0, 1000, 1000);   // a handshake left unanswered ends soon
        return peer != nullptr;
    }
    // False once its connection ended for good (the host is destroyed).
    bool ServiceOne(ENetHost* host)
    {
        for (ENetEvent event; enet_host_service(host, &event, 0) > 0;) {
            if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
                const bool offered = event.peer->data != nullptr;
                event.peer->data = nullptr;
                refused += event.data == 2;
                dropped += offered;
                if (m_comeBack && event.data != 0 && Connect(host))
                    continue;
                enet_host_destroy(host);
                return false;
            }
            if (event.type != ENET_EVENT_TYPE_RECEIVE)
                continue;
            const ENetPacket& offer = *event.packet;
            if (event.channelID == 1 && offer.dataLength == 2 && offer.data[0] == 1) {
                event.peer->data = host;   // holds a number
                if (m_goes != Silent)
                    TakeHostNumber(
                        event,
                        [](int number) { return (static_cast<uint32_t>(number) << ConnectionManager::kPlayerIdShift) | 2u; },
                        m_goes == Beats);
            }
            enet_packet_destroy(event.packet);
        }
        return true;
    }

    const char* m_address;
    uint16_t m_port;
    Goes m_goes;
    bool m_comeBack;
    std::vector<ENetHost*> m_hosts;
};

// Fourteen clients of one address play (the players of an address are not counted against
// it); the fifteenth number goes to a stranger that never answers it. A newcomer is refused
// "server full" and takes no number; the stranger, stuck at its first step, loses its number
// at the step time, and a newcomer then takes it. The players keep theirs.
TEST_F(HostileJoinTest, AFullServerRefusesANewcomerAndAConnectionLosesItsNumberOnlyWhenItStopsProgressing)
{
    LogCapture quiet;
    FillWithPlayers(EnetTransport::kMaxClients - 1);
    const uint16_t port = server->GetPort();
    Strangers mute("127.0.0.2", port, Strangers::Silent, false);
    mute.Open();
    ASSERT_TRUE(RunUntil([&] { mute.Service(); return mute.held == 1; }));

    now = kStepMs - 1;
    BeatAll(kBeatLife + 1.0f);
    Strangers late("127.0.0.3", port, Strangers::Answers, false);
    late.Open();
    ASSERT_TRUE(RunUntil([&] { mute.Service(); late.Service(); return late.refused == 1; }));
    EXPECT_EQ(late.mostHeld, 0);
    EXPECT_EQ(mute.held, 1);

    now = kStepMs;
    late.Open();
    // The newcomer's player joins the players'.
    ASSERT_TRUE(RunUntil([&] { mute.Service(); late.Service(); return RosterSize() == clients.size() + 1; }));
    EXPECT_EQ(late.held, 1);
    EXPECT_EQ(mute.dropped, 1);
    for (const auto& client : clients)
        EXPECT_TRUE(server->IsConnected(client->GetLocalHost()));
}

// Fifteen connections from one stranger that answer, send a player and beat once, but whose
// player never stands in the world, hold no more than their address's few numbers: a client
// that comes takes a free one and plays, and theirs go at their deadline.
TEST_F(HostileJoinTest, FifteenConnectionsOfOneStrangerHoldOnlyTheirAddresssFewNumbers)
{
    LogCapture quiet;
    Strangers squatters("127.0.0.2", server->GetPort(), Strangers::Beats, false);
    for (int i = 0; i < EnetTransport::kMaxClients; ++i)
        squatters.Open();
    ASSERT_TRUE(RunUntil([&] { squatters.Service(); return squatters.held == EnetTransport::kPendingPerAddress; }));
    RunUntil([&] { squatters.Service(); return RosterSize() == EnetTransport::kPendingPerAddress; });
    std::string error;
    EnetTransport* honest = Connect(error);
    ASSERT_NE(honest, nullptr) << error;
    Join(*honest, true, true);
    ASSERT_TRUE(RunUntil([&] { squatters.Service(); return RecordShows(*honest, kBeatLife); }));
    EXPECT_EQ(squatters.mostHeld, EnetTransport::kPendingPerAddress);
    now = kDeadlineMs - 1;
    Beat(*honest, kBeatLife + 1.0f);
    ASSERT_TRUE(RunUntil([&] { squatters.Service(); return RecordShows(*honest, kBeatLife + 1.0f); }));
    now = kDeadlineMs;
    ASSERT_TRUE(RunUntil([&] { squatters.Service(); return RosterSize() == 1; }));
    EXPECT_TRUE(server->IsConnected(honest->GetLocalHost()));
    EXPECT_EQ(squatters.mostHeld, EnetTransport::kPendingPerAddress);
}

// A client that plays keeps its number however long the game runs while it beats; one that
// stops beating loses it once it has been silent for the deadline, and the others hear its
// player leave.
TEST_F(HostileJoinTest, APlayerThatStopsBeatingLosesItsNumberAndTheOthersSeeItLeave)
{
    LogCapture quiet;
    std::string error;
    EnetTransport* beating = Connect(error);
    EnetTransport* silent = Connect(error);
    ASSERT_TRUE(beating && silent) << error;
    Join(*beating, true, true);
    Join(*silent, true, true);
    ASSERT_TRUE(RunUntil([&] { return RecordShows(*beating, kBeatLife) && RecordShows(*silent, kBeatLife); }));
    const int silentHost = silent->GetLocalHost();
    for (int step = 1; step <= 6; ++step) {
        now = int64_t{step} * kDeadlineMs / 2;
        const float life = kBeatLife + static_cast<float>(step);
        Beat(*beating, life);
        ASSERT_TRUE(RunUntil([&] { return RecordShows(*beating, life); }));
        EXPECT_EQ(server->IsConnected(silentHost), step < 2) << step;
    }
    EXPECT_TRUE(server->IsConnected(beating->GetLocalHost()));
    EXPECT_FALSE(ObjectManager::Get().GetObject<Player>(PlayerOf(*silent)));
    EXPECT_EQ(heardLeave[beating], std::vector<int>{silentHost});
}

// Whatever every frame of the server takes, a playing client that stops beating loses its
// number once silent for the deadline, while one whose heartbeats the same services read
// keeps it: each frame here follows a pause of the server longer than its long pauses.
TEST_F(HostileJoinTest, APlayerThatStopsBeatingLosesItsNumberWhenEveryFrameOfTheServerIsLong)
{
    LogCapture quiet;
    FillWithPlayers(2);
    EnetTransport& beating = *clients[0];
    const int silentHost = clients[1]->GetLocalHost();
    const auto slowFrame = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Frame();
    };
    for (int step = 1; step <= 4; ++step) {
        now = int64_t{step} * kDeadlineMs / 2;
        const float life = kBeatLife + static_cast<float>(step);
        Beat(beating, life);
        while (!RecordShows(beating, life))
            slowFrame();
        slowFrame();
        EXPECT_EQ(server->IsConnected(silentHost), step < 2) << step;
        EXPECT_TRUE(server->IsConnected(beating.GetLocalHost())) << step;
    }
}

// A stranger opens `rate` connections a second of the server's clock, each going as far as
// it can without a player in the world (its number answered, its player sent and, with
// `beats`, one heartbeat), and with `comeBack` connecting again whenever it is refused or
// dropped. Frames are short: a frame opens at most one of them.
class StrangerFloodTest : public HostileJoinTest {
protected:
    static constexpr int kFrameMs = 4;
    static constexpr int64_t kSlowGameMs = 3000;   // the honest client's game brings its player after it

    void Flood(Strangers& strangers, int rate)
    {
        now += kFrameMs;
        for (; opened < now * rate / 1000; ++opened)
            strangers.Open();
        Frame();
        strangers.Service();
    }
    // The honest client, connected, joins after its slow game and must play, and keep
    // playing past its deadline, while the flood goes on; the players beat meanwhile.
    void JoinAndPlayBeside(Strangers& strangers, int rate, EnetTransport& honest)
    {
        const int64_t joinedAt = now;
        const auto flood = [&] {
            Flood(strangers, rate);
            if (now % 5000 < kFrameMs)
                BeatAll(kBeatLife);
        };
        while (now < joinedAt + kSlowGameMs)
            flood();
        Join(honest, true, true);
        while (!RecordShows(honest, kBeatLife) && now < joinedAt + kDeadlineMs)
            flood();
        EXPECT_TRUE(RecordShows(honest, kBeatLife));
        while (now < joinedAt + kDeadlineMs + 1000)
            flood();
        EXPECT_TRUE(server->IsConnected(honest.GetLocalHost()));
        EXPECT_TRUE(ObjectManager::Get().GetObject<Player>(PlayerOf(honest)));
    }
    int64_t opened = 0;
};

// Fourteen clients play and the honest fifteenth is joining: 50 connections a second from a
// stranger, whether they come back when refused or not, are all refused and take no number.
class StrangerFloodBesideAJoinTest : public StrangerFloodTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StrangerFloodBesideAJoinTest, CannotPushOutTheFifteenthClientWhileItJoins)
{
    LogCapture quiet;
    constexpr int kRate = 50;
    FillWithPlayers(EnetTransport::kMaxClients - 1);
    std::string error;
    EnetTransport* honest = Connect(error);
    ASSERT_NE(honest, nullptr) << error;
    Strangers strangers("127.0.0.2", server->GetPort(), Strangers::Beats, GetParam());
    JoinAndPlayBeside(strangers, kRate, *honest);
    EXPECT_EQ(strangers.mostHeld, 0);
    EXPECT_GT(strangers.refused, 2 * EnetTransport::kMaxClients);
    EXPECT_EQ(RosterSize(), static_cast<size_t>(EnetTransport::kMaxClients));
}

INSTANTIATE_TEST_SUITE_P(ComesBack, StrangerFloodBesideAJoinTest, ::testing::Bool());

// A server with free numbers: a stranger's flood, at 50 or 200 connections a second, with or
// without a heartbeat, coming back or not, holds at most its address's few numbers, and an
// honest client that comes half a second into it joins and plays.
class StrangerFloodOfAFreeServerTest : public StrangerFloodTest,
                                       public ::testing::WithParamInterface<std::tuple<int, bool, bool>> {};

TEST_P(StrangerFloodOfAFreeServerTest, CannotKeepOutAClient)
{
    LogCapture quiet;
    const int rate = std::get<0>(GetParam());
    const bool beats = std::get<1>(GetParam()), comeBack = std::get<2>(GetParam());
    Strangers strangers("127.0.0.2", server->GetPort(), beats ? Strangers::Beats : Strangers::Answers, comeBack);
    while (now < 500)
        Flood(strangers, rate);
    std::string error;
    std::unique_ptr<EnetTransport> client =
        ConnectServing(server->GetPort(), 20000, 200, error, [&] { Flood(strangers, rate); });
    ASSERT_TRUE(client) << error;
    clients.push_back(std::move(client));
    JoinAndPlayBeside(strangers, rate, *clients.back());
    EXPECT_EQ(strangers.mostHeld, EnetTransport::kPendingPerAddress);
    EXPECT_GT(strangers.dropped, 0);   // the flood's connections went at their deadline
}

INSTANTIATE_TEST_SUITE_P(NewConnectionsASecond, StrangerFloodOfAFreeServerTest,
                         ::testing::Combine(::testing::Values(50, 200), ::testing::Bool(), ::testing::Bool()));

// Requests to connect, each sent from a port of its own and never answered, as a sender of
// made-up addresses or one that leaves its handshakes half open sends them: 40 from one
// stranger, 20 from each of ten, or one from each of 256, and 4 more from the honest
// client's own address. Each is answered with a challenge no larger than itself and holds
// no peer: the honest client joins within 10 s and plays.
class HalfOpenHandshakesTest : public HostileJoinTest, public ::testing::WithParamInterface<std::tuple<int, int>> {
protected:
    void Begin(const std::string& address, uint32_t connectId)
    {
        senders.push_back(std::make_unique<RequestSocket>(address));
        ASSERT_TRUE(senders.back()->Bound()) << address;
        requestSize = senders.back()->Request(server->GetPort(), connectId);
        ASSERT_NE(requestSize, 0u);
        if (senders.size() % 16 == 0)
            Frame();   // what waits for the server stays within its socket's buffer
    }
    // How many senders the server challenged; any other answer is ENet's, to a request it
    // took in (counted in `taken`).
    size_t Challenged()
    {
        for (size_t i = 0; i < senders.size(); ++i)
            for (Bytes datagram; !(datagram = senders[i]->Received()).empty();) {
                uint32_t connectId = 0, cookie = 0;
                if (EnetTransport::ReadChallenge(datagram.data(), datagram.size(), connectId, cookie) &&
                    datagram.size() <= requestSize)
                    challenged.insert(i);
                else
                    ++taken;
            }
        return challenged.size();
    }
    std::vector<std::unique_ptr<RequestSocket>> senders;
    size_t requestSize = 0;
    std::set<size_t> challenged;
    int taken = 0;
};

TEST_P(HalfOpenHandshakesTest, LeaveRoomForAClient)
{
    LogCapture quiet;
    const int addresses = std::get<0>(GetParam()), each = std::get<1>(GetParam());
    for (int a = 0; a < addresses; ++a)
        for (int i = 0; i < each; ++i)
            Begin("127.1." + std::to_string(a / 128) + "." + std::to_string(1 + a % 128),
                  static_cast<uint32_t>(a * 1000 + i + 1));
    for (int i = 0; i < EnetTransport::kPendingPerAddress; ++i)
        Begin("127.0.0.1", static_cast<uint32_t>(i + 1));
    ASSERT_TRUE(RunUntil([&] { return Challenged() == senders.size(); }));
    EXPECT_EQ(server->PeersHeld(), 0u);
    std::string error;
    std::unique_ptr<EnetTransport> client = ConnectServing(server->GetPort(), 10000, 200, error, [&] { Frame(); });
    ASSERT_TRUE(client) << error;
    clients.push_back(std::move(client));
    Join(*clients.back(), true, true);
    EXPECT_TRUE(RunUntil([&] { return RecordShows(*clients.back(), kBeatLife); }));
    Challenged();
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(server->PeersHeld(), 1u);
}

INSTANTIATE_TEST_SUITE_P(AddressesAndEach, HalfOpenHandshakesTest,
                         ::testing::Values(std::make_tuple(1, 40), std::make_tuple(10, 20), std::make_tuple(256, 1)));

}  // namespace
}  // namespace GAME
