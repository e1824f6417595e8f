// The ENet transport on loopback, every host in this process: host numbers, reliable
// ordered delivery and relaying, the host limit, oversize packets, peers that vanish or
// leave, and the same packets as the recording transport for the same session.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <enet/enet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <map>
#include <thread>

#include "Engine/ChatPacket.h"
#include "Engine/ConnectionManager.h"
#include "Engine/EnetTransport.h"
#include "Engine/Engine.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/NetPacketRegistry.h"
#include "tests/ConnectServing.h"
#include "tests/HangGuard.h"
#include "tests/RequestSocket.h"

namespace GAME {
namespace {

using Bytes = std::vector<unsigned char>;

// Rounds and wall time that only end a wait that would never end (see HangGuard): a
// loaded machine's slow delivery is waited for.
constexpr int kServiceRoundLimit = 20000;
constexpr int kHangGuardMs = 120000;

// Services the hosts (and runs `step`) until `done` holds; false once the guard expired.
bool ServiceUntil(const std::vector<EnetTransport*>& hosts, const std::function<bool()>& done,
                  const std::function<void()>& step = {})
{
    const HangGuard guard(kServiceRoundLimit, kHangGuardMs);
    for (int rounds = 0; !done(); ++rounds) {
        if (guard.Expired(rounds))
            return false;
        for (EnetTransport* host : hosts)
            host->Service();
        if (step)
            step();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A packet that carries its sequence number and `size` bytes in all.
Bytes Numbered(uint32_t sequence, size_t size)
{
    Bytes bytes(std::max(size, sizeof sequence), static_cast<unsigned char>(sequence));
    std::memcpy(bytes.data(), &sequence, sizeof sequence);
    return bytes;
}

class EnetTransportTest : public ::testing::Test {
protected:
    // The hosts of a test share its thread, so none answers another's goodbye while that one
    // closes: the wait only sends the goodbye.
    static constexpr int kGoodbyeWaitMs = 200;

    void SetUp() override
    {
        std::string error;
        server = EnetTransport::Listen(0, error);
        ASSERT_TRUE(server) << error;
        server->SetGoodbyeWait(kGoodbyeWaitMs);
        ASSERT_NE(server->GetPort(), 0);
    }

    // Connects a client while this thread keeps the server serviced.
    std::unique_ptr<EnetTransport> Join(std::string& error)
    {
        return ConnectServing(server->GetPort(), 3000, kGoodbyeWaitMs, error, [&] { server->Service(); });
    }
    std::unique_ptr<EnetTransport> Join()
    {
        std::string error;
        auto client = Join(error);
        EXPECT_TRUE(client) << error;
        return client;
    }

    // The server's connection events as "kind:host:reason".
    std::vector<std::string> ServerEvents()
    {
        std::vector<std::string> seen;
        for (NetConnectionEvent event; server->PollConnectionEvent(event);)
            seen.push_back(std::to_string(event.kind) + ":" + std::to_string(event.host) + ":" + event.reason);
        return seen;
    }

    // Welcomes every connection that answered, lets `service` (the clients') acknowledge it,
    // and makes `hosts` play: their players stand in the world and have sent a heartbeat.
    void Play(const std::vector<int>& hosts, const std::function<void()>& service)
    {
        ServerEvents();
        for (int round = 0; round < 10; ++round) {
            service();
            server->Service();
        }
        for (int host : hosts) {
            server->ConfirmInWorld(host);
            server->ConfirmJoined(host);
        }
    }

    // Services the hosts until `to` has received `count` packets; returns them in order.
    static std::vector<Bytes> Drain(EnetTransport& to, std::vector<EnetTransport*> hosts, size_t count, int& fromHost)
    {
        std::vector<Bytes> got;
        ServiceUntil(hosts, [&] {
            for (Bytes bytes; got.size() < count && to.Receive(fromHost, bytes);)
                got.push_back(std::move(bytes));
            return got.size() == count;
        });
        return got;
    }

    std::unique_ptr<EnetTransport> server;
    LogCapture log;
};

// A raw ENet client, for what our own transport never sends. It joins as our client does,
// answering the server's challenge and the host number it is offered, unless told not to
// answer that number.
struct RawPeer {
    explicit RawPeer(uint16_t port, bool joins = true) : joins(joins)
    {
        host = enet_host_create(nullptr, 1, 2, 0, 0);
        EnetTransport::AnswerChallenges(host);
        ENetAddress address{};
        enet_address_set_host(&address, "127.0.0.1");
        address.port = port;
        peer = enet_host_connect(host, &address, 2, 0);
    }
    ~RawPeer() { enet_host_destroy(host); }
    void Service()
    {
        for (ENetEvent event; enet_host_service(host, &event, 0) > 0;) {
            if (event.type == ENET_EVENT_TYPE_CONNECT)
                connected = true;
            if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                const enet_uint8* data = event.packet->data;
                offered = offered || (event.channelID == 1 && event.packet->dataLength == 2 && data[0] == 1);
                welcomed = welcomed || (event.channelID == 1 && event.packet->dataLength == 1 && data[0] == 3);
                if (joins && event.channelID == 1 && event.packet->dataLength == 2 && data[0] == 1) {
                    const enet_uint8 answer[2] = {2, data[1]};
                    enet_peer_send(peer, 1, enet_packet_create(answer, sizeof answer, ENET_PACKET_FLAG_RELIABLE));
                }
                enet_packet_destroy(event.packet);
            }
            if (event.type == ENET_EVENT_TYPE_DISCONNECT)
                disconnected = true;
        }
    }
    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
    bool joins = true;
    bool connected = false;
    bool offered = false;   // the server offered it a host number
    bool welcomed = false;
    bool disconnected = false;
};

TEST_F(EnetTransportTest, ClientsAreNumberedAndPacketsArriveInOrderEachWayAndRelayed)
{
    auto one = Join();
    auto two = Join();
    auto three = Join();
    ASSERT_TRUE(one && two && three);
    EXPECT_EQ(one->GetLocalHost(), 1);
    EXPECT_EQ(two->GetLocalHost(), 2);
    EXPECT_EQ(three->GetLocalHost(), 3);
    EXPECT_EQ(ServerEvents(), (std::vector<std::string>{"0:1:", "0:2:", "0:3:"}));

    // A client that leaves frees its number for the next one.
    two.reset();
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return !server->IsConnected(2); }));
    EXPECT_EQ(ServerEvents(), (std::vector<std::string>{"1:2:left"}));
    two = Join();
    ASSERT_TRUE(two);
    EXPECT_EQ(two->GetLocalHost(), 2);
    EXPECT_TRUE(server->IsConnected(2));
    EXPECT_TRUE(one->IsConnected(ConnectionManager::kServerHost));
    EXPECT_FALSE(server->IsConnected(ConnectionManager::kServerHost));

    // Client 1 to the server, whatever it names; the server passes each on to the others.
    constexpr uint32_t kCount = 300;
    std::vector<Bytes> sent;
    for (uint32_t i = 0; i < kCount; ++i) {
        sent.push_back(Numbered(i, i % 50 == 0 ? 5000 : 40 + i % 200));   // some span several datagrams
        one->Send({NetDestination::Host, 3}, sent.back().data(), sent.back().size());
        server->Send({NetDestination::Host, 1}, sent.back().data(), sent.back().size());
    }
    int from = -1;
    std::vector<Bytes> atServer;
    ASSERT_TRUE(ServiceUntil({server.get(), one.get()}, [&] {
        for (Bytes bytes; server->Receive(from, bytes);) {
            EXPECT_EQ(from, 1);
            server->Send({NetDestination::OtherClients, from}, bytes.data(), bytes.size());
            atServer.push_back(std::move(bytes));
        }
        return atServer.size() == kCount;
    }));
    EXPECT_EQ(atServer, sent);
    EXPECT_EQ(Drain(*one, {server.get(), one.get()}, kCount, from), sent);
    EXPECT_EQ(from, ConnectionManager::kServerHost);
    EXPECT_EQ(Drain(*three, {server.get(), three.get()}, kCount, from), sent);
    EXPECT_EQ(Drain(*two, {server.get(), two.get()}, kCount, from), sent);
    EXPECT_FALSE(one->Receive(from, atServer.front()));   // nothing came back to the sender

    const EnetTransport::Stats stats = server->GetStats();
    EXPECT_EQ(stats.packetsReceived, kCount);
    EXPECT_EQ(stats.packetsSent, 3 * kCount);
    EXPECT_EQ(stats.bytesSent, 3 * stats.bytesReceived);
    EXPECT_EQ(one->GetStats().bytesSent, stats.bytesReceived);
}

TEST_F(EnetTransportTest, TheSeventeenthHostIsRefusedAsServerFull)
{
    // Each client plays (its player stands in the world and beats) before the next comes:
    // one address holds only a few connections that do not play.
    std::vector<std::unique_ptr<EnetTransport>> clients;
    for (int i = 0; i < EnetTransport::kMaxClients; ++i) {
        clients.push_back(Join());
        ASSERT_TRUE(clients.back());
        EXPECT_EQ(clients.back()->GetLocalHost(), i + 1);
        Play({i + 1}, [&] { clients.back()->Service(); });
    }
    std::string error;
    EXPECT_FALSE(Join(error));
    EXPECT_EQ(error, "server full");
    EXPECT_EQ(ServerEvents(), (std::vector<std::string>{"3:-1:server full"}));
    for (int host = 1; host <= EnetTransport::kMaxClients; ++host)
        EXPECT_TRUE(server->IsConnected(host)) << host;
}

// A client that sends many times what any client sends is disconnected, with one line in
// the log, and hears why; one that sends within the burst keeps its place, and every packet
// of it arrives.
TEST_F(EnetTransportTest, AClientThatSendsFarMoreThanAnyClientIsDisconnected)
{
    auto modest = Join();
    auto flooder = Join();
    ASSERT_TRUE(modest && flooder);
    ServerEvents();
    const Bytes bytes = Numbered(1, 8);
    const NetDestination toServer{NetDestination::Server, ConnectionManager::kServerHost};
    const uint32_t modestCount = EnetTransport::kFloodBurstPackets / 2;
    for (uint32_t i = 0; i < modestCount; ++i)
        modest->Send(toServer, bytes.data(), bytes.size());
    for (uint32_t i = 0; i < 10 * EnetTransport::kFloodBurstPackets; ++i)
        flooder->Send(toServer, bytes.data(), bytes.size());
    NetConnectionEvent lost;
    uint32_t fromModest = 0;
    ASSERT_TRUE(ServiceUntil({server.get(), modest.get(), flooder.get()}, [&] {
        server->Service();   // a new round of what the server takes of each client
        int from = -1;
        for (Bytes got; server->Receive(from, got);)
            fromModest += from == modest->GetLocalHost();
        return fromModest == modestCount && !flooder->IsConnected(ConnectionManager::kServerHost);
    }));
    ASSERT_TRUE(flooder->PollConnectionEvent(lost));
    EXPECT_EQ(lost.reason, "disconnected by the server for sending too much");
    EXPECT_TRUE(server->IsConnected(modest->GetLocalHost()));
    const std::vector<std::string> lines = log.Texts();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
                  return line.rfind("EnetTransport: a connection from host ", 0) == 0 &&
                         line.find("packets a second") != std::string::npos;
              }),
              1);
}

// A packet above the limit is never sent by us; one announced by a peer is dropped and its
// sender disconnected, while one at the limit arrives whole.
TEST_F(EnetTransportTest, APacketAboveTheLimitIsDroppedAndItsSenderDisconnected)
{
    const Bytes tooLarge(NetLimits::kMaxPacketSize + 1, 7);
    server->Send({NetDestination::AllClients, -1}, tooLarge.data(), tooLarge.size());
    EXPECT_TRUE(log.Contains("EnetTransport: a packet of 65537 bytes is above the limit of 65536 bytes; not sent"));

    RawPeer raw(server->GetPort());
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return raw.connected && server->IsConnected(1); },
                             [&] { raw.Service(); }));
    ServerEvents();
    const Bytes atLimit(NetLimits::kMaxPacketSize, 3);
    for (const Bytes* bytes : {&atLimit, &tooLarge, &atLimit})
        enet_peer_send(raw.peer, 0, enet_packet_create(bytes->data(), bytes->size(), ENET_PACKET_FLAG_RELIABLE));

    int from = -1;
    Bytes got;
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return !server->IsConnected(1); }, [&] { raw.Service(); }));
    EXPECT_TRUE(log.Contains("EnetTransport: a packet of 65537 bytes from host 1 is above the limit of 65536 bytes; dropped"));
    EXPECT_EQ(ServerEvents(), (std::vector<std::string>{"1:1:sent a packet above the limit"}));
    ASSERT_TRUE(server->Receive(from, got));
    EXPECT_EQ(got, atLimit);
    EXPECT_FALSE(server->Receive(from, got));   // nothing after the dropped packet
}

TEST_F(EnetTransportTest, AVanishedClientTimesOutAndALostServerIsReported)
{
    server->SetPeerTimeout(200, 1000);
    RawPeer raw(server->GetPort());
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return raw.connected && server->IsConnected(1); },
                             [&] { raw.Service(); }));
    auto client = Join();
    ASSERT_TRUE(client);
    EXPECT_EQ(client->GetLocalHost(), 2);
    Play({1, 2}, [&] {
        raw.Service();
        client->Service();
    });

    enet_peer_reset(raw.peer);   // gone without a word
    std::vector<std::string> events;
    ASSERT_TRUE(ServiceUntil({server.get(), client.get()}, [&] {
        for (const std::string& event : ServerEvents())
            events.push_back(event);
        return !events.empty();
    }));
    EXPECT_EQ(events, (std::vector<std::string>{"2:1:timed out"}));
    EXPECT_TRUE(server->IsConnected(2));

    server.reset();
    NetConnectionEvent lost;
    ASSERT_TRUE(ServiceUntil({client.get()}, [&] { return client->PollConnectionEvent(lost); }));
    EXPECT_EQ(lost.kind, NetConnectionEvent::ServerLost);
    EXPECT_EQ(lost.host, ConnectionManager::kServerHost);
    EXPECT_EQ(lost.reason, "the server closed the game");
    EXPECT_FALSE(client->IsConnected(ConnectionManager::kServerHost));
}

// A relay on the loopback between a client and the server: it passes datagrams both ways
// until it is told to drop them, and then keeps the kernel's stamp of each of the client's
// it drops (when it arrived, however late this thread reads it), in milliseconds.
class StallingRelay {
public:
    explicit StallingRelay(uint16_t serverPort)
    {
        sockaddr_in server = Loopback(serverPort);
        const int on = 1;
        EXPECT_EQ(setsockopt(m_front, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on), 0);
        EXPECT_EQ(connect(m_back, reinterpret_cast<sockaddr*>(&server), sizeof server), 0);
    }
    ~StallingRelay()
    {
        close(m_front);
        close(m_back);
    }
    StallingRelay(const StallingRelay&) = delete;
    StallingRelay& operator=(const StallingRelay&) = delete;

    uint16_t Port() const
    {
        sockaddr_in bound{};
        socklen_t length = sizeof bound;
        getsockname(m_front, reinterpret_cast<sockaddr*>(&bound), &length);
        return ntohs(bound.sin_port);
    }
    // Passes on (or, `stalled`, drops) every datagram waiting either way.
    void Pump(bool stalled)
    {
        unsigned char bytes[4096];
        for (;;) {
            iovec data{bytes, sizeof bytes};
            alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
            msghdr message{};
            message.msg_name = &m_client;
            message.msg_namelen = sizeof m_client;
            message.msg_iov = &data;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            const ssize_t size = recvmsg(m_front, &message, MSG_DONTWAIT);
            if (size < 0)
                break;
            if (!stalled) {
                send(m_back, bytes, static_cast<size_t>(size), 0);
                continue;
            }
            for (cmsghdr* item = CMSG_FIRSTHDR(&message); item; item = CMSG_NXTHDR(&message, item)) {
                if (item->cmsg_level == SOL_SOCKET && item->cmsg_type == SCM_TIMESTAMPNS) {
                    timespec stamp{};
                    std::memcpy(&stamp, CMSG_DATA(item), sizeof stamp);
                    droppedFromClientMs.push_back(int64_t{stamp.tv_sec} * 1000 + stamp.tv_nsec / 1000000);
                }
            }
        }
        for (ssize_t size; (size = recv(m_back, bytes, sizeof bytes, MSG_DONTWAIT)) >= 0;)
            if (!stalled && m_client.sin_port != 0)
                sendto(m_front, bytes, static_cast<size_t>(size), 0, reinterpret_cast<sockaddr*>(&m_client),
                       sizeof m_client);
    }

    std::vector<int64_t> droppedFromClientMs;

private:
    static sockaddr_in Loopback(uint16_t port)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }
    static int Bound()
    {
        const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in any = Loopback(0);
        EXPECT_EQ(bind(socket, reinterpret_cast<sockaddr*>(&any), sizeof any), 0);
        return socket;
    }

    int m_front = Bound();   // the client's side
    int m_back = Bound();    // the server's side
    sockaddr_in m_client{};
};

// A client that answered its number waits for its welcome as long as its caller lets it,
// however long its server is silent meanwhile: past ENet's own longest time-out (30 s) of
// what it sent unanswered, it still sends, and it is welcomed once the server is back. The
// silence is real time, on a relay that drops the datagrams both ways; that the client
// outlasted ENet's time-out is read from the kernel's stamps of the datagrams it went on
// sending, so a client thread the machine leaves unscheduled only makes the test longer.
// Only the server's thread and the client's use ENet, and neither moves its clock.
TEST_F(EnetTransportTest, AClientWaitsForItsWelcomeThroughAStallOfTheServer)
{
    constexpr int kWaitMs = 300000;   // the caller's, and the server's deadline for joining
    constexpr int64_t kEnetLongestTimeoutMs = 30000;
    server->SetJoinDeadline(kWaitMs);
    StallingRelay relay(server->GetPort());
    std::string error;
    auto pending = std::async(std::launch::async,
                              [&] { return EnetTransport::Connect("127.0.0.1", relay.Port(), kWaitMs, error); });
    const auto ended = [&] { return pending.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; };
    // It answered its number; the game has not heard of it yet, so it is not welcomed.
    ASSERT_TRUE(ServiceUntil(
        {server.get()}, [&] { return server->IsConnected(1) || ended(); }, [&] { relay.Pump(false); }));
    const std::vector<int64_t>& sent = relay.droppedFromClientMs;
    ASSERT_TRUE(ServiceUntil(
        {}, [&] { return ended() || (!sent.empty() && sent.back() - sent.front() > kEnetLongestTimeoutMs + 1000); },
        [&] { relay.Pump(true); }));
    ASSERT_FALSE(ended()) << error;
    ASSERT_TRUE(ServiceUntil(
        {server.get()},
        [&] {
            ServerEvents();   // the game hears of it: it is welcomed
            return ended();
        },
        [&] { relay.Pump(false); }));
    auto client = pending.get();
    ASSERT_TRUE(client) << error;
    client->SetGoodbyeWait(kGoodbyeWaitMs);
    EXPECT_EQ(client->GetLocalHost(), 1);
}

// A host that paused past its peers' time-out (a slow frame) does not count the pause
// against them: a client that answers only after it (slowed as well) stays, one that does
// not is still dropped. The pause is ENet's clock moved on, not a wait.
TEST_F(EnetTransportTest, AfterALongPauseAClientThatAnsweredStaysAndASilentOneTimesOut)
{
    server->SetPeerTimeout(5000, 5000);
    auto answering = Join();
    auto silent = Join();
    ASSERT_TRUE(answering && silent);
    Play({1, 2}, [&] {
        answering->Service();
        silent->Service();
    });

    const Bytes bytes = Numbered(7, 16);
    const uint32_t sentAt = enet_time_get();
    server->Send({NetDestination::AllClients, -1}, bytes.data(), bytes.size());
    server->Service();
    enet_time_set(enet_time_get() + 6000);
    // The server resends what it waits for, and goes on in short frames past that resend's
    // own time-out; then the answer comes.
    for (int frame = 0; frame < 10; ++frame) {
        server->Service();
        enet_time_set(enet_time_get() + 200);
    }
    std::vector<std::string> events = ServerEvents();
    EXPECT_EQ(events, std::vector<std::string>{});
    int from = -1;
    ASSERT_EQ(Drain(*answering, {answering.get()}, 1, from), std::vector<Bytes>{bytes});

    // Every service from here follows a long pause: pauses excuse a silent peer only so long.
    ASSERT_TRUE(ServiceUntil({server.get(), answering.get()}, [&] {
        for (const std::string& event : ServerEvents())
            events.push_back(event);
        enet_time_set(enet_time_get() + 300);
        return !events.empty();
    }));
    EXPECT_EQ(events, (std::vector<std::string>{"2:2:timed out"}));
    EXPECT_TRUE(server->IsConnected(1));
    // Timed out once its packet went unanswered for twice its time-out, in the service
    // that found it so: the clock moves 300 ms a service, and a little on its own.
    EXPECT_LT(enet_time_get() - sentAt, 2 * 5000u + 1500u);
}

// One scripted session through the connection manager on each transport: two clients join
// and send chat lines, the server answers each sender and passes the line on. What the
// server handles and what each client receives are the same bytes on both.
TEST_F(EnetTransportTest, TheRecordingAndTheRealTransportDeliverTheSamePackets)
{
    struct Seen {
        std::vector<std::string> events;
        std::map<int, std::vector<Bytes>> atServer, atClient;
    };
    auto chat = [](const char16_t* text, int i) {
        ChatPacket packet;
        packet.sender = u"client";
        packet.text = text + std::u16string(static_cast<size_t>(i), u'!');
        packet.recipients.assign(static_cast<size_t>(i), 0x10000000u + static_cast<uint32_t>(i));
        const uint32_t size = packet.PrepareOutBuffer();
        return Bytes(packet.GetOutBuffer(), packet.GetOutBuffer() + size);
    };
    constexpr int kLines = 20;
    ConnectionManager& manager = ConnectionManager::Get();
    auto run = [&](NetTransport& transport, const std::function<void(int, const Bytes&)>& clientSends,
                   const std::function<void()>& service) {
        Seen seen;
        manager.SetTransport(&transport);
        manager.SetConnectionListener([&](const NetConnectionEvent& event) {
            seen.events.push_back(std::to_string(event.kind) + ":" + std::to_string(event.host));
        });
        NetPacketRegistry::Get().SetHandler(ChatPacket::kType, [&](NetPacket& packet, int fromHost) {
            auto& line = static_cast<ChatPacket&>(packet);
            const uint32_t size = line.PrepareOutBuffer();
            seen.atServer[fromHost].push_back(Bytes(line.GetOutBuffer(), line.GetOutBuffer() + size));
            manager.SendToOtherClients(fromHost, line);
            line.text = u"heard";
            manager.SendToHost(fromHost, line);
        });
        for (int i = 0; i < kLines; ++i)
            for (int host : {1, 2})
                clientSends(host, chat(host == 1 ? u"one" : u"two", i));
        size_t handled = 0;
        ServiceUntil({}, [&] { return handled == 2 * kLines; },
                     [&] { handled += static_cast<size_t>(manager.ProcessIncoming()); service(); });
        manager.SetTransport(nullptr);
        manager.SetConnectionListener(nullptr);
        NetPacketRegistry::Get().ClearHandlers();
        return seen;
    };

    RecordingTransport recording;
    recording.QueueEvent({NetConnectionEvent::Joined, 1, ""});
    recording.QueueEvent({NetConnectionEvent::Joined, 2, ""});
    Seen recorded = run(recording, [&](int host, const Bytes& bytes) { recording.Feed(host, bytes); }, [] {});
    for (const RecordingTransport::SentPacket& packet : recording.sent)
        for (int host : {1, 2})
            if (packet.to.kind == NetDestination::AllClients ||
                (packet.to.kind == NetDestination::Host && packet.to.host == host) ||
                (packet.to.kind == NetDestination::OtherClients && packet.to.host != host))
                recorded.atClient[host].push_back(packet.bytes);

    std::unique_ptr<EnetTransport> clients[3] = {nullptr, Join(), Join()};
    ASSERT_TRUE(clients[1] && clients[2]);
    Seen real = run(*server, [&](int host, const Bytes& bytes) {
        clients[host]->Send({NetDestination::Server, 0}, bytes.data(), bytes.size());
    }, [&] { clients[1]->Service(); clients[2]->Service(); });
    for (int host : {1, 2}) {
        int from = -1;
        real.atClient[host] =
            Drain(*clients[host], {server.get(), clients[host].get()}, recorded.atClient[host].size(), from);
    }

    EXPECT_EQ(real.events, (std::vector<std::string>{"0:1", "0:2"}));
    EXPECT_EQ(real.events, recorded.events);
    ASSERT_EQ(recorded.atServer[1].size(), size_t{kLines});
    EXPECT_TRUE(real.atServer == recorded.atServer) << real.atServer[1].size() << " " << real.atServer[2].size();
    ASSERT_EQ(recorded.atClient[1].size(), 2u * kLines);
    EXPECT_TRUE(real.atClient == recorded.atClient) << real.atClient[1].size() << " " << real.atClient[2].size();
}

}  // namespace
}  // namespace GAME

namespace GAME {
namespace {

// Time on the server's join deadline is this test's to move.
class HostileTransportTest : public EnetTransportTest {
protected:
    void SetUp() override
    {
        EnetTransportTest::SetUp();
        server->SetClock([this] { return now; });
    }
    int64_t now = 0;
};

// The cookie of the server's challenge to the request `connectId` waiting for `socket`; 0
// when none waits.
uint32_t ChallengeCookie(RequestSocket& socket, uint32_t connectId)
{
    uint32_t answers = 0, cookie = 0;
    const Bytes datagram = socket.Received();
    return EnetTransport::ReadChallenge(datagram.data(), datagram.size(), answers, cookie) && answers == connectId ? cookie
                                                                                                                  : 0;
}

// A bare host's peer that answers a challenge connects again as itself, whatever other
// peer of the host is free, and keeps the time-outs it was given.
TEST_F(HostileTransportTest, ABareHostsPeerAnswersAChallengeAsItself)
{
    ENetHost* host = enet_host_create(nullptr, 2, 2, 0, 0);
    ASSERT_NE(host, nullptr);
    EnetTransport::AnswerChallenges(host);
    ENetAddress address{};
    enet_address_set_host(&address, "127.0.0.1");
    address.port = server->GetPort();
    ENetPeer* given = enet_host_connect(host, &address, 2, 0);
    ENetPeer* answering = enet_host_connect(host, &address, 2, 0);
    enet_peer_timeout(answering, 0, 60000, 60000);
    enet_peer_reset(given);   // free, before the one that answers
    const bool connected = ServiceUntil({server.get()}, [&] { return answering->state == ENET_PEER_STATE_CONNECTED; }, [&] {
        for (ENetEvent event; enet_host_service(host, &event, 0) > 0;)
            if (event.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(event.packet);
    });
    EXPECT_TRUE(connected);
    EXPECT_EQ(answering->timeoutMaximum, 60000u);
    enet_host_destroy(host);
}

// A cookie serves only the address and port it was made for, in its window and the next.
TEST_F(HostileTransportTest, ACookieServesOnlyItsSendersAddressAndPortInItsWindowAndTheNext)
{
    constexpr int64_t kWindow = EnetTransport::kCookieWindowMs;
    const uint16_t port = server->GetPort();
    RequestSocket asker("127.0.0.1"), neighbour("127.0.0.1");
    RequestSocket stranger("127.0.0.5", asker.Port());   // the asker's port, on another address
    ASSERT_TRUE(asker.Bound() && neighbour.Bound() && stranger.Bound());
    asker.Request(port, 1, 0);
    server->Service();
    const uint32_t first = ChallengeCookie(asker, 1);
    ASSERT_NE(first, 0u);
    neighbour.Request(port, 2, first);
    stranger.Request(port, 3, first);
    server->Service();
    now = 2 * kWindow;
    asker.Request(port, 4, first);
    server->Service();
    EXPECT_EQ(server->PeersHeld(), 0u);
    EXPECT_NE(ChallengeCookie(neighbour, 2), 0u);
    EXPECT_NE(ChallengeCookie(stranger, 3), 0u);
    const uint32_t renewed = ChallengeCookie(asker, 4);
    EXPECT_NE(renewed, 0u);

    now = 4 * kWindow - 1;
    asker.Request(port, 5, renewed);
    server->Service();
    EXPECT_EQ(server->PeersHeld(), 1u);
    EXPECT_EQ(ChallengeCookie(asker, 5), 0u);
}

// Connections that never answer their number hold it only for the step time: as many as one
// address may hold keep a client of that address out until then, but the game hears of none
// of them, nor gets a packet from them; then the client joins.
TEST_F(HostileTransportTest, ConnectionsThatNeverAnswerTheirNumberLoseItAtTheStepTime)
{
    std::vector<std::unique_ptr<RawPeer>> silent;
    for (int i = 0; i < EnetTransport::kPendingPerAddress; ++i)
        silent.push_back(std::make_unique<RawPeer>(server->GetPort(), false));
    const auto serviceSilent = [&] {
        for (auto& raw : silent)
            raw->Service();
    };
    const auto dropped = [&] {
        return std::count_if(silent.begin(), silent.end(), [](const auto& raw) { return raw->disconnected; });
    };
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] {
        return std::all_of(silent.begin(), silent.end(), [](const auto& raw) { return raw->offered; });
    }, serviceSilent));
    const Bytes forged = Numbered(7, 40);
    enet_peer_send(silent.back()->peer, 0, enet_packet_create(forged.data(), forged.size(), ENET_PACKET_FLAG_RELIABLE));
    now = EnetTransport::kDefaultJoinStepMs - 1;
    std::string error;
    auto pending = std::async(std::launch::async, [&] {
        return EnetTransport::Connect("127.0.0.1", server->GetPort(), 60000, error);
    });
    for (int round = 0; round < 200; ++round) {
        server->Service();
        serviceSilent();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(dropped(), 0);
    EXPECT_FALSE(server->IsConnected(EnetTransport::kPendingPerAddress + 1));

    now = EnetTransport::kDefaultJoinStepMs;
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] {
        ServerEvents();   // the game hears of the client, which is welcomed
        return pending.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready;
    }, serviceSilent));
    auto client = pending.get();
    ASSERT_TRUE(client) << error;
    client->SetGoodbyeWait(kGoodbyeWaitMs);
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return dropped() == EnetTransport::kPendingPerAddress; }, serviceSilent));
    int from = -1;
    Bytes got;
    EXPECT_FALSE(server->Receive(from, got));
    EXPECT_TRUE(server->IsConnected(client->GetLocalHost()));
    EXPECT_TRUE(log.Contains("EnetTransport: a game packet from host " + std::to_string(EnetTransport::kPendingPerAddress) +
                             " dropped: the host has not joined"));
    const std::vector<std::string> lines = log.Texts();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("EnetTransport: a connection from host 1 dropped: it did not answer its number in time", 0) == 0;
    })) << ::testing::PrintToString(lines);
}

// A full server refuses a newcomer, whoever holds the numbers: one that came least far (it
// never acknowledged the world it was sent) keeps its number until its step time, one whose
// world arrived but whose game is slow to bring its player until its deadline.
TEST_F(HostileTransportTest, NoConnectionGivesWayAndOneThatStopsAcknowledgingGoesAtItsStepTime)
{
    RawPeer stalled(server->GetPort());
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return server->IsConnected(1); }, [&] { stalled.Service(); }));
    const Bytes world = Numbered(1, 40);
    server->Send({NetDestination::Host, 1}, world.data(), world.size());
    ServerEvents();   // the game heard of it: it is welcomed, and no longer serviced
    server->ConfirmInWorld(1);
    std::vector<std::unique_ptr<EnetTransport>> clients;
    clients.push_back(Join());   // its game is slow to bring its player
    for (int host = 3; host <= EnetTransport::kMaxClients; ++host) {
        clients.push_back(Join());
        ASSERT_TRUE(clients.back());
        Play({host}, [&] { clients.back()->Service(); });
    }
    ServiceUntil({server.get()}, [&] { return server->IsConnected(2); }, [&] { clients[0]->Service(); });
    std::string error;
    now = EnetTransport::kDefaultJoinStepMs - 1;
    EXPECT_FALSE(Join(error));
    EXPECT_EQ(error, "server full");
    now = EnetTransport::kDefaultJoinStepMs;
    server->Service();
    EXPECT_EQ(ServerEvents(), (std::vector<std::string>{"3:-1:server full",
                                                        "1:1:it did not acknowledge its world in time"}));
    EXPECT_TRUE(server->IsConnected(2));
    for (auto& client : clients)
        client->SetGoodbyeWait(0);
}

// Its player may stand in the world before the acknowledgement of its world comes (one lost
// on the way is resent after the player): it counts once that comes, and a heartbeat then
// makes the client play.
TEST_F(HostileTransportTest, APlayerBroughtBeforeTheWorldsAcknowledgementCountsOnceThatComes)
{
    RawPeer late(server->GetPort());
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return server->IsConnected(1); }, [&] { late.Service(); }));
    const Bytes world = Numbered(1, 40);
    server->Send({NetDestination::Host, 1}, world.data(), world.size());
    ServerEvents();   // welcomed: nothing it acknowledges reaches the server before it is serviced
    server->ConfirmInWorld(1);
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return late.welcomed; }, [&] { late.Service(); }));
    for (int round = 0; round < 10; ++round) {
        late.Service();
        server->Service();
    }
    now = EnetTransport::kDefaultJoinDeadlineMs - 1;
    server->ConfirmJoined(1);
    now = EnetTransport::kDefaultJoinDeadlineMs;
    server->Service();
    EXPECT_TRUE(server->IsConnected(1));
    EXPECT_FALSE(log.Contains("EnetTransport: a heartbeat from host 1 dropped: promotes nothing: its player does not "
                              "stand in the world"));
}

// A client building the world it was sent answers nothing meanwhile: while it joins it may
// stay silent as long as its deadline for joining, past the peers' time-out; once it plays,
// the time-out holds again.
TEST_F(HostileTransportTest, AJoiningClientMayBeSilentUntilItsDeadlineAndAPlayingOneUntilTheTimeOut)
{
    server->SetPeerTimeout(200, 200);
    server->SetJoinDeadline(600000);   // its clock stands still: only ENet's time-out could drop it
    RawPeer building(server->GetPort());
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return server->IsConnected(1); }, [&] { building.Service(); }));
    const Bytes world = Numbered(1, 40);
    server->Send({NetDestination::Host, 1}, world.data(), world.size());
    ServerEvents();   // welcomed, and the world sent: unacknowledged while the client builds
    const auto silentFor = [&](int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until) {
            server->Service();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    silentFor(1000);
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return building.welcomed; }, [&] { building.Service(); }));
    EXPECT_TRUE(ServerEvents().empty());
    Play({1}, [&] { building.Service(); });
    server->Send({NetDestination::Host, 1}, world.data(), world.size());
    EXPECT_TRUE(ServiceUntil({server.get()}, [&] { return !ServerEvents().empty(); }));
    EXPECT_FALSE(server->IsConnected(1));
}

// A heartbeat makes a client play only once it acknowledged its world and its player stands
// in the world: before that it promotes nothing (the drop log says why) and the client goes
// at its deadline for joining. One that plays keeps its number while it beats, and loses it,
// the game hearing that it left, once it has sent none for the deadline.
TEST_F(HostileTransportTest, AClientPlaysOnceItsPlayerStandsAndKeepsItsNumberWhileItBeats)
{
    constexpr int kDeadline = EnetTransport::kDefaultJoinDeadlineMs;
    auto early = Join();
    auto playing = Join();
    ASSERT_TRUE(early && playing);
    RawPeer stalled(server->GetPort());
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return server->IsConnected(3); }, [&] { stalled.Service(); }));
    ServerEvents();   // the game heard of it: it is welcomed, and no longer serviced
    const int e = early->GetLocalHost(), p = playing->GetLocalHost();
    const std::string dropped = "EnetTransport: a heartbeat from host ";
    server->ConfirmJoined(3);
    EXPECT_TRUE(log.Contains(dropped + "3 dropped: promotes nothing: the client has not acknowledged its world"));
    // Once the clients' acknowledgements arrived, their heartbeats wait for their players.
    const std::string notStanding = "dropped: promotes nothing: its player does not stand in the world";
    ASSERT_TRUE(ServiceUntil({server.get(), early.get(), playing.get()}, [&] {
        server->ConfirmJoined(e);
        server->ConfirmJoined(p);
        return log.Contains(dropped + std::to_string(e) + " " + notStanding) &&
               log.Contains(dropped + std::to_string(p) + " " + notStanding);
    }));
    server->ConfirmInWorld(p);
    server->ConfirmJoined(p);
    ServerEvents();
    const auto serviceAll = [&] {
        for (int i = 0; i < 3; ++i)
            for (EnetTransport* host : {server.get(), early.get(), playing.get()})
                host->Service();
    };
    // The stalled one never acknowledged its world: it goes at the step time; the others
    // wait on their games, until the deadline.
    now = kDeadline - 1;
    server->ConfirmJoined(p);
    serviceAll();
    EXPECT_TRUE(server->IsConnected(e) && server->IsConnected(p));
    EXPECT_EQ(ServerEvents(), (std::vector<std::string>{"1:3:it did not acknowledge its world in time"}));
    now = kDeadline;
    serviceAll();
    EXPECT_EQ(ServerEvents(), (std::vector<std::string>{"1:" + std::to_string(e) + ":it did not join in time"}));
    now = 2 * kDeadline - 2;
    serviceAll();
    EXPECT_TRUE(server->IsConnected(p));
    // A service reads heartbeats the game has not handled yet, however long the pause
    // before it: a client is judged silent at the next, once the game was handed them.
    now = 2 * kDeadline - 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    server->Service();
    EXPECT_TRUE(server->IsConnected(p));
    serviceAll();
    EXPECT_EQ(ServerEvents(),
              (std::vector<std::string>{"1:" + std::to_string(p) + ":its player sent no heartbeat in time"}));
    NetConnectionEvent lost;
    ASSERT_TRUE(ServiceUntil({playing.get()}, [&] { return playing->PollConnectionEvent(lost); }));
    EXPECT_EQ(lost.reason, "sent no heartbeat in time");
    early->SetGoodbyeWait(0);
    playing->SetGoodbyeWait(0);
}


// Moves ENet's clock on by `ms` in steps short of a pause of the hosts', servicing them at
// each: what they sent is answered on the way.
void PassEnetTime(const std::vector<EnetTransport*>& hosts, uint32_t ms)
{
    for (uint32_t passed = 0; passed < ms; passed += 200) {
        enet_time_set(enet_time_get() + 200);
        for (EnetTransport* host : hosts)
            host->Service();
    }
}

// A client's budget refills at its rate: one sending at a real client's busiest pace for far
// longer than the burst would last stays. It refills no further than the burst: one idle for
// a minute that then sends three bursts at once is disconnected. ENet's clock is moved on.
TEST_F(HostileTransportTest, ABudgetRefillsAtItsRateUpToTheBurst)
{
    auto paced = Join();
    auto idle = Join();
    ASSERT_TRUE(paced && idle);
    ServerEvents();
    const std::vector<EnetTransport*> hosts{server.get(), paced.get(), idle.get()};
    const Bytes bytes = Numbered(1, 8);
    const NetDestination toServer{NetDestination::Server, ConnectionManager::kServerHost};
    constexpr uint64_t kPace = 110;
    const uint64_t seconds = EnetTransport::kFloodBurstPackets / kPace + 3;
    for (uint64_t second = 1; second <= seconds; ++second) {
        for (uint64_t i = 0; i < kPace; ++i)
            paced->Send(toServer, bytes.data(), bytes.size());
        ASSERT_TRUE(ServiceUntil(hosts, [&] {
            return server->GetStats().packetsReceived == second * kPace || !server->IsConnected(1);
        }));
        PassEnetTime(hosts, 1000);
    }
    EXPECT_TRUE(server->IsConnected(1));

    PassEnetTime(hosts, 60000);
    const uint64_t before = server->GetStats().packetsReceived;
    for (uint32_t i = 0; i < 3 * EnetTransport::kFloodBurstPackets; ++i)
        idle->Send(toServer, bytes.data(), bytes.size());
    ASSERT_TRUE(ServiceUntil(hosts, [&] {
        return !idle->IsConnected(ConnectionManager::kServerHost) ||
               server->GetStats().packetsReceived == before + 3 * EnetTransport::kFloodBurstPackets;
    }));
    NetConnectionEvent lost;
    ASSERT_TRUE(idle->PollConnectionEvent(lost));
    EXPECT_EQ(lost.reason, "disconnected by the server for sending too much");
    EXPECT_TRUE(server->IsConnected(1));
}

// A peer is timed out at its longest time-out: one whose packet waited unanswered past its
// shortest, while ENet resent it but a few times, stays and then answers.
TEST_F(HostileTransportTest, APeerIsTimedOutAtItsLongestTimeOutNotItsShortest)
{
    auto client = Join();
    ASSERT_TRUE(client);
    Play({1}, [&] { client->Service(); });
    server->SetPeerTimeout(1, 60000);
    const Bytes bytes = Numbered(3, 16);
    server->Send({NetDestination::Host, 1}, bytes.data(), bytes.size());
    server->Service();
    // Five services, each 200 ms on: ENet resends at most once in each, short of the six
    // times its own shortest time-out waits for.
    PassEnetTime({server.get()}, 1000);
    EXPECT_EQ(ServerEvents(), std::vector<std::string>{});
    int from = -1;
    EXPECT_EQ(Drain(*client, {server.get(), client.get()}, 1, from), std::vector<Bytes>{bytes});
    EXPECT_TRUE(server->IsConnected(1));
}

// A playing client's heartbeat that waits in the server's queue, the game not having taken
// it yet, keeps the client from being dropped as silent.
TEST_F(HostileTransportTest, AHeartbeatWaitingInTheQueueKeepsAPlayingClient)
{
    auto client = Join();
    ASSERT_TRUE(client);
    Play({1}, [&] { client->Service(); });
    const Bytes beat = Numbered(9, 12);
    client->Send({NetDestination::Server, ConnectionManager::kServerHost}, beat.data(), beat.size());
    ASSERT_TRUE(ServiceUntil({server.get(), client.get()}, [&] { return server->GetStats().packetsReceived == 1; }));
    now = EnetTransport::kDefaultJoinDeadlineMs;
    server->Service();   // found silent
    server->Service();   // still silent to the game, but its heartbeat waits
    EXPECT_TRUE(server->IsConnected(1));
    int from = -1;
    Bytes got;
    ASSERT_TRUE(server->Receive(from, got));
    server->ConfirmJoined(from);
    server->Service();
    EXPECT_TRUE(server->IsConnected(1));
    EXPECT_EQ(ServerEvents(), std::vector<std::string>{});
}

// A flooder that comes back whenever it is dropped or unanswered is disconnected once, and
// its address is refused for the refusal time (the game hearing of none of its tries), at the
// cost of a few lines of the log; a player at the same address plays on meanwhile. Once the
// refusal is over, the address connects again.
TEST_F(HostileTransportTest, AFlooderIsDisconnectedOnceAndKeptOutWhileAPlayerAtItsAddressPlays)
{
    server->SetJoinDeadline(10 * EnetTransport::kFloodRefusalMs);   // the clock passes the refusal at once
    auto player = Join();
    ASSERT_TRUE(player);
    Play({1}, [&] { player->Service(); });
    const size_t linesBefore = log.Texts().size();
    const Bytes bytes = Numbered(5, 8);
    auto flooder = std::make_unique<RawPeer>(server->GetPort());
    int tries = 1, connections = 0, waited = 0, beats = 0, heard = 0;
    bool counted = false;
    const auto hear = [&] {
        int from = -1;
        for (Bytes got; server->Receive(from, got);) {
            if (from == 1) {
                server->ConfirmJoined(from);
                ++heard;
            }
        }
    };
    const auto round = [&](bool floods) {
        player->Send({NetDestination::Server, ConnectionManager::kServerHost}, bytes.data(), bytes.size());
        ++beats;
        hear();
        player->Service();
        flooder->Service();
        if (flooder->connected && !counted) {
            ++connections;
            counted = true;
        }
        for (int i = 0; floods && flooder->welcomed && !flooder->disconnected && i < 200; ++i)
            enet_peer_send(flooder->peer, 0, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
        if (flooder->disconnected || (!flooder->connected && ++waited == 20)) {
            flooder = std::make_unique<RawPeer>(server->GetPort());
            ++tries;
            waited = 0;
            counted = false;
        }
    };
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return tries > 30; }, [&] { round(true); }));
    EXPECT_EQ(connections, 1);
    EXPECT_EQ(ServerEvents(), (std::vector<std::string>{
                                  "0:2:", "1:2:it sent more than " + std::to_string(EnetTransport::kFloodPacketsPerSecond) +
                                              " packets a second (beyond a burst of " +
                                              std::to_string(EnetTransport::kFloodBurstPackets) + ")"}));
    now = EnetTransport::kFloodRefusalMs;
    ASSERT_TRUE(ServiceUntil({server.get()}, [&] { return flooder->welcomed; }, [&] { round(false); }));
    EXPECT_EQ(connections, 2);
    EXPECT_EQ(ServerEvents(), std::vector<std::string>{"0:2:"});
    EXPECT_TRUE(player->IsConnected(ConnectionManager::kServerHost));
    ASSERT_TRUE(ServiceUntil({server.get(), player.get()}, [&] {
        hear();
        return heard == beats;
    }));

    const std::vector<std::string> lines = log.Texts();
    const std::vector<std::string> added(lines.begin() + static_cast<std::ptrdiff_t>(linesBefore), lines.end());
    EXPECT_LE(added.size(), 4u) << ::testing::PrintToString(added);
    EXPECT_TRUE(std::any_of(added.begin(), added.end(), [](const std::string& line) {
        return line.rfind("EnetTransport: from 127.0.0.1 since its last line: ", 0) == 0 &&
               line.find("more connection requests refused") != std::string::npos;
    })) << ::testing::PrintToString(added);
}

}  // namespace
}  // namespace GAME
