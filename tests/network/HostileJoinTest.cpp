// Connections that take every host number on a real server over ENet, every host in this
// process: a client whose player the game took in but that never plays gives its number
// up to a newcomer, or at the join deadline; one that plays keeps it. The deadline's clock
// is the test's to move.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Engine/EnetTransport.h"
#include "Engine/ObjectManager.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/session/GamePacketDispatch.h"
#include "Game/network/PlayerRosterPackets.h"
#include "core/EngineFixture.h"
#include "tests/ConnectServing.h"
#include "tests/network/PacketTestUtil.h"

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

    // One server frame, the clients' transports serviced after it.
    void Frame()
    {
        ConnectionManager::Get().ProcessIncoming();
        gEngine->UpdateFrame(16);
        engine->Update(16);
        for (auto& client : clients)
            client->Service();
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
    // The client sends its player's roster record, and with `plays` its first heartbeat.
    static void Join(EnetTransport& client, bool plays)
    {
        SinglePlayerBasicInfoPacket join;
        join.info.playerId = PlayerOf(client);
        join.info.maxLife = join.info.life = 100.0f;
        SendToServer(client, join);
        if (!plays)
            return;
        SinglePlayerHeartbeatPacket beat;
        beat.info = join.info;
        beat.info.life = kBeatLife;   // the server's record shows the beat arrived
        SendToServer(client, beat);
    }
    static void SendToServer(EnetTransport& client, NetPacket& packet)
    {
        const Bytes bytes = Written(packet);
        client.Send({NetDestination::Server, ConnectionManager::kServerHost}, bytes.data(), bytes.size());
    }
    size_t RosterSize() const { return engine->GetPlayerManagerServer()->GetPlayerInfos().size(); }

    std::unique_ptr<EnetTransport> server;
    std::vector<std::unique_ptr<EnetTransport>> clients;
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
    Join(playing, true);
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

    now = kDeadlineMs;
    ASSERT_TRUE(RunUntil([&] { return RosterSize() == 1; }));
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetPlayerInfos()[0].playerId, PlayerOf(playing));
    for (int host = 1; host <= EnetTransport::kMaxClients; ++host)
        EXPECT_EQ(server->IsConnected(host), host == playing.GetLocalHost() || host == gone) << host;
    EXPECT_NE(Connect(error), nullptr) << error;
}

}  // namespace
}  // namespace GAME
