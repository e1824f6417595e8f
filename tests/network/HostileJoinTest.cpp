// Connections that take every host number on a real server over ENet, every host in this
// process, each client's ENet host serviced every frame (it acknowledges what it gets): a
// client whose player the game took in but that never plays gives its number up to a
// newcomer, or at the join deadline; one that plays keeps it while it beats. The deadline's
// clock is the test's to move.
#include <enet/enet.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
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
#include "tests/network/PacketTestUtil.h"
#include "tests/network/RawJoin.h"

namespace GAME {
namespace {

class HostileJoinTest : public EngineTest {
protected:
    static constexpr int kDeadlineMs = 10000;
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

    std::unique_ptr<EnetTransport> server;
    std::vector<std::unique_ptr<EnetTransport>> clients;
    std::map<const EnetTransport*, std::vector<int>> heardLeave;
    int64_t now = 0;
};

// Every host number is held: 13 clients whose player the game took in but that never
// play, one that plays, and one still joining. Inside their deadline a newcomer takes the
// number of the oldest that does not play (the game hears it left and its player goes); at
// the deadline every other one that does not play is dropped. The one that plays stays.
TEST_F(HostileJoinTest, ANumberGoesOnlyFromAConnectionThatDoesNotPlay)
{
    LogCapture quiet;
    std::string error;
    for (int i = 0; i < EnetTransport::kMaxClients; ++i)
        ASSERT_NE(Connect(error), nullptr) << error;
    EnetTransport& playing = *clients[0];
    Join(playing, true, true);
    for (size_t i = 1; i + 1 < clients.size(); ++i)
        Join(*clients[i], false);
    ASSERT_TRUE(RunUntil([&] {
        const std::vector<PlayerNetBasicInfo>& roster = engine->GetPlayerManagerServer()->GetPlayerInfos();
        return roster.size() == clients.size() - 1 &&
               std::any_of(roster.begin(), roster.end(), [&](const PlayerNetBasicInfo& record) {
                   return record.playerId == PlayerOf(playing) && record.life == kBeatLife;
               });
    }));

    now = kDeadlineMs - 1;
    const int gone = clients[1]->GetLocalHost();
    EnetTransport* newcomer = Connect(error);
    ASSERT_NE(newcomer, nullptr) << error;
    EXPECT_EQ(newcomer->GetLocalHost(), gone);
    ASSERT_TRUE(RunUntil([&] { return RosterSize() == clients.size() - 3; }));
    for (int host = 1; host <= EnetTransport::kMaxClients; ++host)
        EXPECT_TRUE(server->IsConnected(host)) << host;

    Beat(playing, kBeatLife + 1.0f);
    ASSERT_TRUE(RunUntil([&] { return RecordShows(playing, kBeatLife + 1.0f); }));
    now = kDeadlineMs;
    ASSERT_TRUE(RunUntil([&] { return RosterSize() == 1; }));
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetPlayerInfos()[0].playerId, PlayerOf(playing));
    for (int host = 1; host <= EnetTransport::kMaxClients; ++host)
        EXPECT_EQ(server->IsConnected(host), host == playing.GetLocalHost() || host == gone) << host;
    EXPECT_NE(Connect(error), nullptr) << error;
}

// Fifteen connections that answer, send a player and one heartbeat and fall silent (their
// links alive) hold every number, but none plays: its player never stood in the world. A
// client that comes takes a number and plays; the silent ones go at their deadline.
TEST_F(HostileJoinTest, ConnectionsThatBeatOnceWithoutAPlayerInTheWorldCannotKeepAClientOut)
{
    LogCapture quiet;
    std::string error;
    for (int i = 0; i < EnetTransport::kMaxClients; ++i) {
        EnetTransport* squatter = Connect(error);
        ASSERT_NE(squatter, nullptr) << error;
        Join(*squatter, true);
    }
    ASSERT_TRUE(RunUntil([&] {
        return std::all_of(clients.begin(), clients.end(), [&](const auto& c) { return RecordShows(*c, kBeatLife); });
    }));
    now = kDeadlineMs - 1;
    EnetTransport* honest = Connect(error);
    ASSERT_NE(honest, nullptr) << error;
    Join(*honest, true, true);
    ASSERT_TRUE(RunUntil([&] { return RecordShows(*honest, kBeatLife); }));
    now = kDeadlineMs;
    ASSERT_TRUE(RunUntil([&] { return RosterSize() == 1; }));
    for (int host = 1; host <= EnetTransport::kMaxClients; ++host)
        EXPECT_EQ(server->IsConnected(host), host == honest->GetLocalHost()) << host;
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

// A flood from the client's own address: `rate` new connections a second of the server's
// clock, each from a port of its own and serviced every frame (so it acknowledges its world
// and keeps its link alive), each answering its number and sending a player and, with
// `beats`, one heartbeat. A client that comes when the flood holds every number, and whose
// game then takes 3 s to bring its player, keeps its number, plays, and keeps playing past
// its deadline for joining while the flood goes on.
class OwnAddressFloodTest : public HostileJoinTest, public ::testing::WithParamInterface<std::tuple<int, bool>> {
protected:
    // Short frames: a frame opens at most one of the flood's connections.
    static constexpr int kFrameMs = 4;
    static constexpr int64_t kSlowGameMs = 3000;
    static constexpr int64_t kJoinWithinMs = 5000;

    void TearDown() override
    {
        for (ENetHost* host : flood)
            enet_host_destroy(host);
        HostileJoinTest::TearDown();
    }
    // A frame of the server's clock: the connections due by its end open, the flood is serviced.
    void FloodFrame()
    {
        now += kFrameMs;
        const auto [rate, beats] = GetParam();
        for (; opened < now * rate / 1000; ++opened) {
            ENetAddress local{}, to{};
            enet_address_set_host(&local, "127.0.0.1");
            enet_address_set_host(&to, "127.0.0.1");
            to.port = server->GetPort();
            ENetHost* host = enet_host_create(&local, 1, 2, 0, 0);
            if (host && enet_host_connect(host, &to, 2, 0))
                flood.push_back(host);
            else if (host)
                enet_host_destroy(host);
        }
        Frame();
        std::erase_if(flood, [&, beats = beats](ENetHost* host) { return !ServiceFlood(host, beats); });
    }
    // False once the server disconnected it (and it is gone).
    bool ServiceFlood(ENetHost* host, bool beats)
    {
        for (ENetEvent event; enet_host_service(host, &event, 0) > 0;) {
            if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
                askedBack += (event.data & 0xFF) == 6;   // asked to come back
                enet_host_destroy(host);
                return false;
            }
            if (event.type != ENET_EVENT_TYPE_RECEIVE)
                continue;
            TakeHostNumber(
                event, [](int number) { return (static_cast<uint32_t>(number) << ConnectionManager::kPlayerIdShift) | 2u; },
                beats);
            enet_packet_destroy(event.packet);
        }
        return true;
    }
    std::vector<ENetHost*> flood;
    int64_t opened = 0;
    int askedBack = 0;   // flood connections the server asked to come back
};

TEST_P(OwnAddressFloodTest, CannotTakeTheNumberOfAClientWhoseGameIsSlowToBringItsPlayer)
{
    LogCapture quiet;
    while (now < 500)
        FloodFrame();
    std::string error;
    std::unique_ptr<EnetTransport> client =
        ConnectServing(server->GetPort(), 20000, 200, error, [this] { FloodFrame(); });
    ASSERT_TRUE(client) << error;
    clients.push_back(std::move(client));
    EnetTransport& honest = *clients.back();
    const int64_t joinedAt = now;
    while (now < joinedAt + kSlowGameMs)
        FloodFrame();
    Join(honest, true, true);
    while (!RecordShows(honest, kBeatLife) && now < joinedAt + kJoinWithinMs)
        FloodFrame();
    EXPECT_TRUE(RecordShows(honest, kBeatLife));
    while (now < joinedAt + kDeadlineMs + 1000)
        FloodFrame();
    EXPECT_TRUE(server->IsConnected(honest.GetLocalHost()));
    EXPECT_TRUE(ObjectManager::Get().GetObject<Player>(PlayerOf(honest)));
    // The flood held every number and kept coming.
    EXPECT_GT(askedBack, 2 * EnetTransport::kMaxClients);
}

INSTANTIATE_TEST_SUITE_P(NewConnectionsASecond, OwnAddressFloodTest,
                         ::testing::Combine(::testing::Values(50, 200), ::testing::Bool()));

}  // namespace
}  // namespace GAME
