// A hostile client cannot starve an honest one on a real server over ENet: a flood of
// packets ends with the flooder disconnected, costing the honest client nothing, and
// connections renewed for ever without joining hold no more than their address's few
// numbers.
#include <enet/enet.h>
#include <poll.h>
#include <sys/socket.h>

#include "tests/network/HostileClientFixture.h"
#include "tests/network/PacketTestUtil.h"

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
    // The honest client's answers in all stay within what the server takes of a client at
    // once, however fast the frames run: it sends no more than a client may.
    static constexpr int kMostPrompts = EnetTransport::kFloodBurstPackets / kTicksPerPrompt / 2;
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
// client every frame (a few prompts at most unanswered, and a bounded number in all) and it
// answers each prompt with a
// few packets: every answer arrives, and the flooder is disconnected, with one line.
TEST_F(HostileFairnessTest, AFloodEndsWithTheFlooderDisconnectedAndLosesTheHonestClientNothing)
{
    LogCapture log;
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
        // A prompt each frame, a few at most unanswered, until the flooder is gone.
        EXPECT_TRUE(RunUntil([&] {
            if (prompts < kMostPrompts && prompts - sniffer->Count(honestHost, kTick) / kTicksPerPrompt < kPromptsAhead) {
                sniffer->Signal({NetDestination::Host, honestHost}, kPrompt);
                ++prompts;
            }
            return !sniffer->IsConnected(hostileHost);
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
    EXPECT_EQ(sniffer->Count(hostileHost, SniffingTransport::kDone), 0);
    const std::vector<std::string> lines = log.Texts();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("EnetTransport", 0) == 0 && line.find("packets a second") != std::string::npos; }),
              1);
}

// Fifteen connections from another address that never join, each connecting again at once
// when it is refused or dropped, hold no more than their address's few numbers. A client
// that comes meanwhile joins and plays. The deadline's clock stands still, so that no
// squatter is ever dropped for its age.
TEST_F(HostileFairnessTest, ConnectionsRenewedWithoutJoiningCannotKeepAClientOut)
{
    LogCapture quiet;
    Serve();
    int link[2] = {-1, -1};
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, link), 0);
    // The squatters: they tell the parent once they hold their address's few numbers, and
    // renew until it tells them to stop.
    PeerProcess squatters(link[1], [this, fd = link[1]] {
        static LogCapture quiet;
        (void)sniffer.release();   // the parent's to close
        ENetAddress local{};
        enet_address_set_host(&local, "127.0.0.2");
        ENetHost* host = enet_host_create(&local, kSquatters, 2, 0, 0);
        if (!host)
            return std::string("no host at 127.0.0.2\n");
        EnetTransport::AnswerChallenges(host);
        ENetAddress server{};
        enet_address_set_host(&server, "127.0.0.1");
        server.port = port;
        for (int i = 0; i < kSquatters; ++i)
            enet_host_connect(host, &server, 2, 0);
        int holding = 0, most = 0;
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
            }
            most = std::max(most, holding);
            if (!told && holding == EnetTransport::kPendingPerAddress)
                told = write(fd, "h", 1) == 1;
        }
        // They leave with a word, so that the server does not wait on them at its close.
        for (size_t i = 0; i < host->peerCount; ++i)
            if (host->peers[i].state == ENET_PEER_STATE_CONNECTED)
                enet_peer_disconnect_now(&host->peers[i], 0);
        enet_host_destroy(host);
        return "held at most " + std::to_string(most) + " numbers\n";
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
    EXPECT_EQ(squatters.GetReport(), "held at most " + std::to_string(EnetTransport::kPendingPerAddress) + " numbers\n");
}

}  // namespace
}  // namespace GAME
