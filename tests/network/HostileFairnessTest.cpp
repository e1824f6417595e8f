// A hostile client cannot starve an honest one on a real server over ENet: a flood of
// packets loses only the flood's own, and connections renewed for ever without joining, or
// opened by the hundred from the client's own address, cannot keep a client out.
#include <enet/enet.h>
#include <poll.h>
#include <sys/socket.h>

#include "Game/network/PlayerRosterPackets.h"
#include "tests/network/HostileClientFixture.h"
#include "tests/network/PacketTestUtil.h"
#include "tests/network/RawJoin.h"

namespace GAME {
namespace {

class HostileFairnessTest : public HostileClientTest {
protected:
    static constexpr NetPacketType kPrompt = 0xFE11;   // server to the honest client: answer with a tick
    static constexpr NetPacketType kTick = 0xFE12;
    static constexpr NetPacketType kStop = 0xFE13;     // no more prompts
    static constexpr NetPacketType kFlood = 0xFE14;    // a type no game packet has
    static constexpr int kFloodPackets = 200000;
    // Well within what the server takes of a client in a frame.
    static constexpr int kTicksPerPrompt = 16;
    static constexpr int kPromptsAhead = 8;
    static constexpr int kSquatters = EnetTransport::kMaxClients;

    // Whether the other end of a socket pair wrote a byte (or closed); the byte in `got`.
    static bool Heard(int fd, char& got)
    {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 0) != 1)
            return false;
        if (read(fd, &got, 1) != 1)
            got = 0;
        return true;
    }
};

// While one client floods the server with 200,000 packets, the server prompts the honest
// client every frame (a few prompts at most unanswered) and it answers each prompt with a
// few packets: every answer arrives.
TEST_F(HostileFairnessTest, AFloodLosesOnlyItsOwnPackets)
{
    LogCapture quiet;
    Serve();
    PeerProcess honest = Client(u"Honest", 0, [this] {
        int answered = 0;
        RunUntil([&] {
            for (const int prompts = sniffer->Count(ConnectionManager::kServerHost, kPrompt); answered < prompts; ++answered)
                for (int i = 0; i < kTicksPerPrompt; ++i)
                    sniffer->Signal({NetDestination::Server, ConnectionManager::kServerHost}, kTick);
            return sniffer->Count(ConnectionManager::kServerHost, kStop) > 0;
        });
        SignalDoneUntilBye();
        return "answered " + std::to_string(answered) + "\n";
    });
    const int honestHost = AwaitJoin(honest);
    PeerProcess hostile = Client(u"Mallory", 0, [this] {
        for (int i = 0; i < kFloodPackets; ++i)
            sniffer->Signal({NetDestination::Server, ConnectionManager::kServerHost}, kFlood);
        SignalDoneUntilBye();
        return std::string();
    });
    const int hostileHost = AwaitJoin(hostile);
    int prompts = 0;
    if (honestHost != 0 && hostileHost != 0) {
        Go(honestHost);
        Go(hostileHost);
        // A prompt each frame, a few at most unanswered, until the whole flood has come (or
        // been dropped).
        EXPECT_TRUE(RunUntil([&] {
            if (prompts - sniffer->Count(honestHost, kTick) / kTicksPerPrompt < kPromptsAhead) {
                sniffer->Signal({NetDestination::Host, honestHost}, kPrompt);
                ++prompts;
            }
            return sniffer->Count(hostileHost, SniffingTransport::kDone) > 0;
        }));
        sniffer->Signal({NetDestination::Host, honestHost}, kStop);
        EXPECT_TRUE(AwaitDone(honestHost));
    }
    EndClients({&honest, &hostile});
    ASSERT_NE(honestHost, 0) << honest.GetReport();
    ASSERT_NE(hostileHost, 0) << hostile.GetReport();
    EXPECT_EQ(honest.GetReport(), "answered " + std::to_string(prompts) + "\n");
    EXPECT_EQ(sniffer->Count(honestHost, kTick), prompts * kTicksPerPrompt)
        << "of the flood's " << kFloodPackets << ", " << sniffer->Count(hostileHost, kFlood) << " arrived";
}

// Fifteen connections from another address that never join hold every host number, and
// each one the server drops connects again at once. A client that comes meanwhile still
// joins and plays: the squatters give way to it, and then to each other. The deadline's
// clock stands still, so that no squatter is ever dropped for its age.
TEST_F(HostileFairnessTest, ConnectionsRenewedWithoutJoiningCannotKeepAClientOut)
{
    LogCapture quiet;
    Serve();
    int link[2] = {-1, -1};
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, link), 0);
    // The squatters: they tell the parent once they hold every number, and renew until it
    // tells them to stop.
    PeerProcess squatters(link[1], [this, fd = link[1]] {
        static LogCapture quiet;
        (void)sniffer.release();   // the parent's to close
        ENetAddress local{};
        enet_address_set_host(&local, "127.0.0.2");
        ENetHost* host = enet_host_create(&local, kSquatters, 2, 0, 0);
        if (!host)
            return std::string("no host at 127.0.0.2\n");
        ENetAddress server{};
        enet_address_set_host(&server, "127.0.0.1");
        server.port = port;
        for (int i = 0; i < kSquatters; ++i)
            enet_host_connect(host, &server, 2, 0);
        int holding = 0, renewed = 0;
        bool told = false;
        char word = 0;
        int frames = 0;
        for (const HangGuard guard(kFrameLimit, kHangGuardMs); !guard.Expired(frames) && !Heard(fd, word); ++frames) {
            ENetEvent event;
            if (enet_host_service(host, &event, 1) <= 0)
                continue;
            if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                // The server offered this connection a number: it holds one.
                if (event.channelID == 1 && event.packet->dataLength == 2 && event.packet->data[0] == 1 &&
                    !event.peer->data) {
                    event.peer->data = event.peer;
                    ++holding;
                }
                enet_packet_destroy(event.packet);
            } else if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
                holding -= event.peer->data != nullptr;
                event.peer->data = nullptr;
                enet_host_connect(host, &server, 2, 0);
                ++renewed;
            }
            if (!told && holding == kSquatters)
                told = write(fd, "h", 1) == 1;
        }
        // They leave with a word, so that the server does not wait on them at its close.
        for (size_t i = 0; i < host->peerCount; ++i)
            if (host->peers[i].state == ENET_PEER_STATE_CONNECTED)
                enet_peer_disconnect_now(&host->peers[i], 0);
        enet_host_destroy(host);
        return std::string(told ? "held every number" : "never held every number") +
               (renewed > 0 ? ", renewed\n" : ", never renewed\n");
    });
    char word = 0;
    ASSERT_TRUE(RunUntil([&] { return Heard(link[0], word) || squatters.IsDone(); }));
    ASSERT_EQ(word, 'h') << squatters.GetReport();

    PeerProcess honest = Client(u"Honest", 0, [this] {
        SignalDoneUntilBye();
        return std::string("joined\n");
    });
    const int host = AwaitJoin(honest);
    if (host != 0) {
        Go(host);
        EXPECT_TRUE(AwaitDone(host));
    }
    EXPECT_EQ(write(link[0], "s", 1), 1);
    EndClients({&honest});
    RunUntil([&] { return squatters.IsDone(); });
    close(link[0]);
    EXPECT_NE(host, 0) << honest.GetReport();
    EXPECT_EQ(honest.GetReport(), "joined\n");
    EXPECT_EQ(squatters.GetReport(), "held every number, renewed\n");
}

// A process at the honest client's own address opens new connections, `rate` a second of
// the server's clock (which moves a frame at a time while the flood runs), each of which
// answers its number, sends its player's roster record and is never heard from again. The
// honest client comes half a second into the flood, when the flood holds every number. The
// flood's later connections are asked to come back, which they never do; the honest client,
// asked too, comes back and takes the number of one of the flood's. The transport never
// hears that it plays (see SniffingTransport), so it holds its number only because no
// connection that did not come back takes it, until its deadline for joining (5 s) is a
// frame away, and it plays on after the flood.
class FloodFromOwnAddressTest : public HostileFairnessTest, public ::testing::WithParamInterface<int> {
protected:
    static constexpr int kJoinDeadlineMs = 5000;
    static constexpr int64_t kHonestAfterMs = 500;

    // The host whose player the server took in, stands in the world and beats.
    int PlayingHost() const
    {
        for (int host = 1; host <= EnetTransport::kMaxClients; ++host)
            if (sniffer->IsConnected(host) && ObjectManager::Get().GetObject<Player>(PlayerOf(host)) &&
                sniffer->Count(host, SinglePlayerHeartbeatPacket::kType) > 0)
                return host;
        return 0;
    }
};

TEST_P(FloodFromOwnAddressTest, CannotKeepOutAClientThatGoesFurther)
{
    const int rate = GetParam();
    LogCapture quiet;
    Serve();
    sniffer->enet->SetJoinDeadline(kJoinDeadlineMs);
    int link[2] = {-1, -1};
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, link), 0);
    // The flood: a connection for each 'c' it reads, each of its own port. Once it has
    // answered its number and sent its player, its port is closed (so it acknowledges nothing
    // more), and the parent hears 'a' ('x' for one that ended before it was offered one).
    PeerProcess flood(link[1], [this, fd = link[1]] {
        static LogCapture quiet;
        (void)sniffer.release();   // the parent's to close
        ENetAddress local{}, server{};
        enet_address_set_host(&local, "127.0.0.1");
        enet_address_set_host(&server, "127.0.0.1");
        server.port = port;
        std::vector<ENetHost*> pending;
        int opened = 0, answered = 0;
        bool stop = false;
        const HangGuard guard(kFrameLimit, kHangGuardMs);
        for (int frames = 0; !stop && !guard.Expired(frames); ++frames) {
            for (char word = 0; !stop && Heard(fd, word);) {
                stop = word != 'c';   // 's', or the parent is gone
                ENetHost* host = stop ? nullptr : enet_host_create(&local, 1, 2, 0, 0);
                if (host && enet_host_connect(host, &server, 2, 0))
                    pending.push_back(host);
                else if (!stop)
                    (void)!write(fd, "x", 1);
                opened += !stop;
            }
            std::erase_if(pending, [&](ENetHost* host) {
                ENetEvent event;
                char outcome = 0;
                while (!outcome && enet_host_service(host, &event, 0) > 0) {
                    if (event.type == ENET_EVENT_TYPE_DISCONNECT)
                        outcome = 'x';
                    if (event.type != ENET_EVENT_TYPE_RECEIVE)
                        continue;
                    // Not the id the client that later holds this number joins with:
                    // this process's copy of the server's roster is the honest client's too.
                    if (TakeHostNumber(event, [this](int number) { return PlayerOf(number) + 1; }, false)) {
                        enet_host_flush(host);
                        outcome = 'a';
                        ++answered;
                    }
                    enet_packet_destroy(event.packet);
                }
                if (outcome) {
                    (void)!write(fd, &outcome, 1);
                    enet_host_destroy(host);   // the server hears nothing of it
                }
                return outcome != 0;
            });
            Pause();
        }
        for (ENetHost* host : pending)
            enet_host_destroy(host);
        return "opened " + std::to_string(opened) + ", answered " + std::to_string(answered) + "\n";
    });

    // A frame of the server's clock: the flood's connections due by its end are opened, and
    // the server runs frames until each has answered or ended.
    int requested = 0, settled = 0, answered = 0, refused = 0, clockFrames = 0;
    const auto floodFrame = [&] {
        serverClockMs += kFrameMs;
        const int due = static_cast<int>(int64_t{++clockFrames} * kFrameMs * rate / 1000);
        for (; requested < due; ++requested)
            EXPECT_EQ(write(link[0], "c", 1), 1);
        Frame();
        return RunUntil([&] {
            for (char word = 0; settled < requested && Heard(link[0], word) && word != 0; ++settled) {
                answered += word == 'a';
                refused += word == 'x';
            }
            return settled == requested || flood.IsDone();
        });
    };
    while (serverClockMs < kHonestAfterMs)
        ASSERT_TRUE(floodFrame());
    const int floodBefore = answered;
    const int refusedBefore = refused;
    const int64_t honestFrom = serverClockMs;
    PeerProcess honest = Client(u"Honest", 0, [this] {
        SignalDoneUntilBye();
        return std::string("joined\n");
    });
    // The flood goes on until the honest client's deadline for joining is a frame away.
    while (!honest.IsDone() && !flood.IsDone() && serverClockMs + kFrameMs < honestFrom + kJoinDeadlineMs)
        ASSERT_TRUE(floodFrame());
    const int host = PlayingHost();
    const int refusedDuring = refused - refusedBefore;
    EXPECT_EQ(write(link[0], "s", 1), 1);
    RunUntil([&] { return flood.IsDone(); });
    RunFrames(2);
    // What is left of the flood goes; the honest client plays on and leaves.
    for (int other = 1; other <= EnetTransport::kMaxClients; ++other)
        if (other != host && sniffer->IsConnected(other))
            sniffer->Disconnect(other, "the flood is over");
    joinedHosts.assign(host != 0, host);
    if (host != 0) {
        Go(host);
        EXPECT_TRUE(AwaitDone(host));
    }
    EndClients({&honest});
    close(link[0]);
    EXPECT_NE(host, 0) << honest.GetReport();
    EXPECT_EQ(honest.GetReport(), "joined\n");
    EXPECT_GE(floodBefore, EnetTransport::kMaxClients) << flood.GetReport();
    EXPECT_GT(refusedDuring, 2 * EnetTransport::kMaxClients) << flood.GetReport();
}

INSTANTIATE_TEST_SUITE_P(NewConnectionsASecond, FloodFromOwnAddressTest, ::testing::Values(50, 200));

}  // namespace
}  // namespace GAME
