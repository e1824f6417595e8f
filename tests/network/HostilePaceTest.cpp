// A server host's pacing to its clients, on its real session and transport with clients
// over ENet in this process: a client that joins, beats once and goes silent while its
// connection stays up, then leaves and joins again, three times, beside a client that
// beats all along. The server's waits are measured on a clock of the test's, which moves
// only while the server waits, so what a wait cost is known whatever the machine's speed.
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/EnetTransport.h"
#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/World.h"
#include "Game/core/PlayerNetInfo.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/session/SpawnReplication.h"
#include "core/EngineFixture.h"
#include "host/HostNetwork.h"
#include "tests/ConnectServing.h"
#include "tests/HangGuard.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {
namespace {

class HostilePaceTest : public EngineTest {
protected:
    static constexpr int kStepMs = 250;
    static constexpr int kSilentFrames = 60;   // 15 s of game time: far past the lead
    static constexpr int kHonestBeatFrames = 4;

    void StartServer(bool pace)
    {
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        World::Get().AddRegion(1, "Arena");
        HostOptions options;
        options.role = "server";
        options.listenPort = 0;
        options.stepMs = kStepMs;
        options.pace = pace;
        ASSERT_TRUE(network.Open(options));
        network.StartGame(*engine, options.role);
        network.Start(*engine, MakeMainPlayer()->GetObjectId());
        // The transport's deadlines stand still: a client is kept or dropped here by the
        // pace alone, however slow the machine runs the frames.
        network.Session().GetTransport()->SetClock([] { return int64_t{0}; });
        // Each look at the clock moves it on: a wait as long as the grace, or the paced
        // server's long one, takes a few dozen looks (the other clients are not serviced
        // while the server waits).
        const int tickMs = pace ? 1000 : 100;
        network.SetClock([this, tickMs] { return waitedMs += tickMs; });
        network.WatchTraffic(
            [this](const unsigned char* data, size_t size) {
                SinglePlayerHeartbeatPacket beat;
                NetPacketType type = 0;
                if (NetPacketRegistry::PeekType(data, size, type) && type == SinglePlayerHeartbeatPacket::kType &&
                    beat.CopyInbound(data, static_cast<int>(size)))
                    ++heard[PlayerHostId(beat.info.playerId)];
            },
            {});
    }
    void TearDown() override
    {
        // The clients leave first, so that the server does not wait for their goodbyes.
        for (auto* client : {&silent, &honest}) {
            if (!*client)
                continue;
            const int host = (*client)->GetLocalHost();
            client->reset();
            RunUntil([host] { return !ConnectionManager::Get().IsClientConnected(host); });
        }
        network.Close();
        EngineTest::TearDown();
    }

    // One frame of the server as gamehost plays it; the honest client beats every fourth.
    void Frame()
    {
        ++frame;
        network.BeforeFrame(frame);
        network.Session().UpdateGame(kStepMs);
        network.Session().UpdateWorld(kStepMs);
        network.AfterFrame(frame);
        for (EnetTransport* client : {honest.get(), silent.get()}) {
            if (!client)
                continue;
            client->Service();
            int from = 0;
            for (std::vector<unsigned char> bytes; client->Receive(from, bytes);) {
            }
        }
        if (honest && frame % kHonestBeatFrames == 0) {
            Send(*honest, Beat(*honest));
            ++honestSent;
        }
    }
    bool RunUntil(const std::function<bool()>& done)
    {
        HangGuard guard(2000, 120000);
        for (int frames = 0; !done() && !guard.Expired(frames); ++frames)
            Frame();
        return done();
    }
    // Connects a client while the server's frames run, and joins with its player's record,
    // its spawn and its first heartbeat.
    std::unique_ptr<EnetTransport> Join()
    {
        std::string error;
        std::unique_ptr<EnetTransport> client =
            ConnectServing(network.Session().GetPort(), 20000, 200, error, [this] { Frame(); });
        if (!client)
            return nullptr;
        const uint32_t id = PlayerOf(*client);
        SinglePlayerBasicInfoPacket record;
        record.info.playerId = id;
        record.info.playerName = u"Guest";
        record.info.maxLife = record.info.life = 300.0f;
        Send(*client, record);
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr", id);
        if (!player || !World::Get().AddEntity(player, WorldCoords(World::Get().GetRegionById(1), Coords())))
            return nullptr;
        std::unique_ptr<SpawnPlayerPacket> spawn = MakeSpawnPacket(*player);
        ObjectManager::Get().DestroyObjectEx(player, __FILE__, __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        if (!spawn)
            return nullptr;
        Send(*client, *spawn);
        Send(*client, Beat(*client));
        return client;
    }
    static uint32_t PlayerOf(const EnetTransport& client)
    {
        return (static_cast<uint32_t>(client.GetLocalHost()) << ConnectionManager::kPlayerIdShift) | 1u;
    }
    static SinglePlayerHeartbeatPacket Beat(const EnetTransport& client)
    {
        SinglePlayerHeartbeatPacket beat;
        beat.info.playerId = PlayerOf(client);
        beat.info.maxLife = beat.info.life = 300.0f;
        return beat;
    }
    static void Send(EnetTransport& client, NetPacket&& packet)
    {
        const Bytes bytes = Written(packet);
        client.Send({NetDestination::Server, ConnectionManager::kServerHost}, bytes.data(), bytes.size());
    }
    static void Send(EnetTransport& client, NetPacket& packet) { Send(client, std::move(packet)); }

    // Beside the honest client, a client joins, beats once and stays silent for
    // kSilentFrames of the server's, then leaves; three times. Returns the silent client's
    // host numbers.
    std::vector<int> JoinSilentThrice()
    {
        honest = Join();
        EXPECT_TRUE(honest);
        if (!honest || !RunUntil([&] { return heard[honest->GetLocalHost()] > 0; }))
            return {};
        std::vector<int> hosts;
        for (int round = 0; round < 3; ++round) {
            silent = Join();
            EXPECT_TRUE(silent);
            if (!silent)
                return hosts;
            const int host = silent->GetLocalHost();
            hosts.push_back(host);
            const int before = heard[host];
            EXPECT_TRUE(RunUntil([&] { return heard[host] > before; }));
            const int silentFrom = frame;
            // The server plays on, its frames running far ahead of the silent client's one beat.
            EXPECT_TRUE(RunUntil([&] { return frame >= silentFrom + kSilentFrames; }));
            EXPECT_TRUE(ConnectionManager::Get().IsClientConnected(host));
            silent.reset();
            EXPECT_TRUE(RunUntil([&] { return !ConnectionManager::Get().IsClientConnected(host); }));
        }
        // Every heartbeat the honest client sent reached the server's game.
        EXPECT_TRUE(RunUntil([&] { return heard[honest->GetLocalHost()] >= honestSent + 1; }));
        EXPECT_EQ(heard[honest->GetLocalHost()], honestSent + 1);
        return hosts;
    }

    HostNetwork network;
    std::unique_ptr<EnetTransport> honest, silent;
    int frame = 0;
    int honestSent = 0;
    int64_t waitedMs = 0;
    std::map<int, int> heard;
};

// A silent client that joins three times under one host number is waited for `waitMs` once,
// with the give-up line `gaveUp` printed once.
void ExpectOneWait(const std::vector<int>& hosts, const std::string& printed, int64_t waitedMs,
                   int waitMs, const std::string& gaveUp)
{
    ASSERT_EQ(hosts.size(), 3u);
    EXPECT_EQ(std::count(hosts.begin(), hosts.end(), hosts[0]), 3);
    EXPECT_GE(waitedMs, waitMs);
    EXPECT_LT(waitedMs, 2 * waitMs);
    const std::string line = "host " + std::to_string(hosts[0]) + " did not catch up within " + gaveUp;
    EXPECT_NE(printed.find(line), std::string::npos) << printed;
    EXPECT_EQ(printed.find(line), printed.rfind(line));
}

// A server that strangers join waits for a silent client within its short grace, once: the
// same client (under the same host number) joining again gets no more of it.
TEST_F(HostilePaceTest, ASilentClientHoldsTheServerForItsGraceOnceHoweverOftenItJoins)
{
    LogCapture quiet;
    testing::internal::CaptureStdout();
    StartServer(false);
    const std::vector<int> hosts = JoinSilentThrice();
    const std::string printed = testing::internal::GetCapturedStdout();
    ExpectOneWait(hosts, printed, waitedMs, HostNetwork::kGraceMs, "its grace of 0.5 s");
}

// A server told to pace waits for a silent client up to the long wait, and then no more:
// not for the same client joining again either.
TEST_F(HostilePaceTest, APacedServerWaitsTheLongWaitOnceAndNotAgainForARejoin)
{
    LogCapture quiet;
    testing::internal::CaptureStdout();
    StartServer(true);
    const std::vector<int> hosts = JoinSilentThrice();
    const std::string printed = testing::internal::GetCapturedStdout();
    ExpectOneWait(hosts, printed, waitedMs, HostNetwork::kPaceWaitMs, "60 s");
}

}  // namespace
}  // namespace GAME
