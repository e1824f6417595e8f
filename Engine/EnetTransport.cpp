#include "Engine/EnetTransport.h"

#include <enet/enet.h>
#include <enet/time.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <random>

#include "Engine/Engine.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacketBuffer.h"

namespace GAME {
namespace {

constexpr uint8_t kGameChannel = 0;       // the game's packets, reliable and in order
constexpr uint8_t kTransportChannel = 1;  // the transport's own messages
constexpr size_t kChannelCount = 2;

// The transport's messages: one kind byte and its value. The server offers a host number,
// the client joins by answering with it, and the server welcomes it.
constexpr uint8_t kYourHostNumber = 1;   // server to client: the number
constexpr uint8_t kJoining = 2;          // client to server: the number it was offered
constexpr uint8_t kWelcome = 3;          // server to client: joined (no value)

// Why a peer was disconnected, carried by the disconnection; ENet reports a time-out as 0.
enum DisconnectReason : uint32_t {
    kTimedOut = 0,
    kClosed = 1,   // the peer closed the game or left it
    kServerFull = 2,
    kDropped = 3,  // the server disconnected this client
    kNotJoined = 4,  // the client did not join in time
    kSilent = 5,     // the client's player sent no heartbeat in time
    kSentTooMuch = 6,  // the client sent more packets than any client sends
};

const char* ServerLostReason(uint32_t data)
{
    switch (data) {
    case kTimedOut: return "the server does not answer";
    case kServerFull: return "server full";
    case kDropped: return "disconnected by the server";
    case kNotJoined: return "did not join in time";
    case kSilent: return "sent no heartbeat in time";
    case kSentTooMuch: return "disconnected by the server for sending too much";
    case kClosed: return NetConnectionEvent::kServerClosed;
    default: return "the server closed the connection for a reason this client does not know";
    }
}

// ENet is initialised while any transport exists.
std::mutex gEnetUsersLock;
int gEnetUsers = 0;

bool AcquireEnet()
{
    std::lock_guard<std::mutex> lock(gEnetUsersLock);
    if (gEnetUsers == 0 && enet_initialize() != 0)
        return false;
    ++gEnetUsers;
    return true;
}

void ReleaseEnet()
{
    std::lock_guard<std::mutex> lock(gEnetUsersLock);
    if (--gEnetUsers == 0)
        enet_deinitialize();
}

// The transport whose host is being serviced on this thread: ENet's datagram hook has no
// argument of its own.
thread_local EnetTransport* tServicing = nullptr;

uint16_t Read16(const unsigned char* at)
{
    uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return ENET_NET_TO_HOST_16(value);
}

uint32_t Read32(const unsigned char* at)
{
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return ENET_NET_TO_HOST_32(value);
}

// The largest packet that a datagram's fragments announce, 0 when it carries none. The
// walk stops at the first command it cannot read whole, as ENet's own does.
uint32_t LargestAnnouncedPacket(const unsigned char* data, size_t size)
{
    if (size < offsetof(ENetProtocolHeader, sentTime))
        return 0;
    const uint16_t flags = Read16(data) & ENET_PROTOCOL_HEADER_FLAG_MASK;
    if (flags & ENET_PROTOCOL_HEADER_FLAG_COMPRESSED)
        return 0;   // no compressor is set, so ENet drops it unread
    size_t at = (flags & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) ? sizeof(ENetProtocolHeader)
                                                              : offsetof(ENetProtocolHeader, sentTime);
    uint32_t largest = 0;
    while (at + sizeof(ENetProtocolCommandHeader) <= size) {
        const uint8_t command = data[at] & ENET_PROTOCOL_COMMAND_MASK;
        if (command >= ENET_PROTOCOL_COMMAND_COUNT)
            break;
        const size_t commandSize = enet_protocol_command_size(command);
        if (commandSize == 0 || at + commandSize > size)
            break;
        size_t payload = 0;
        switch (command) {
        case ENET_PROTOCOL_COMMAND_SEND_RELIABLE:
            payload = Read16(data + at + offsetof(ENetProtocolSendReliable, dataLength));
            break;
        case ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE:
            payload = Read16(data + at + offsetof(ENetProtocolSendUnreliable, dataLength));
            break;
        case ENET_PROTOCOL_COMMAND_SEND_UNSEQUENCED:
            payload = Read16(data + at + offsetof(ENetProtocolSendUnsequenced, dataLength));
            break;
        case ENET_PROTOCOL_COMMAND_SEND_FRAGMENT:
        case ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE_FRAGMENT:
            payload = Read16(data + at + offsetof(ENetProtocolSendFragment, dataLength));
            largest = std::max(largest, Read32(data + at + offsetof(ENetProtocolSendFragment, totalLength)));
            break;
        default:
            break;
        }
        at += commandSize + payload;
    }
    return largest;
}

// ---- The handshake's challenge
//
// A request to connect is a datagram of no peer (the peer id ENet keeps for none) whose
// first command is a whole CONNECT: ENet gives a peer to no other. The server's challenge
// to it: the same peer id, a command number ENet does not have (an ENet host stops reading
// the datagram there), the rest of a mark, the request's connect id as it came and the
// cookie in network order; 14 bytes, where a request takes at least 50.
constexpr unsigned char kChallengeMark[6] = {0x0F, 0xFF, 0xFF, 'c', 'k', 1};
constexpr size_t kChallengeSize = sizeof kChallengeMark + 2 * sizeof(uint32_t);

// The request's connect id (as sent: ENet compares it unconverted) and connect data; false
// when the datagram asks for no connection.
bool ReadConnectRequest(const unsigned char* data, size_t size, uint32_t& connectId, uint32_t& connectData)
{
    if (size < offsetof(ENetProtocolHeader, sentTime))
        return false;
    const uint16_t field = Read16(data);
    const uint16_t flags = field & ENET_PROTOCOL_HEADER_FLAG_MASK;
    if ((field & ENET_PROTOCOL_MAXIMUM_PEER_ID) != ENET_PROTOCOL_MAXIMUM_PEER_ID ||
        (flags & ENET_PROTOCOL_HEADER_FLAG_COMPRESSED))
        return false;   // a peer's, or one ENet drops unread
    const size_t at = (flags & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) ? sizeof(ENetProtocolHeader)
                                                                    : offsetof(ENetProtocolHeader, sentTime);
    if (at + sizeof(ENetProtocolConnect) > size ||
        (data[at] & ENET_PROTOCOL_COMMAND_MASK) != ENET_PROTOCOL_COMMAND_CONNECT)
        return false;
    std::memcpy(&connectId, data + at + offsetof(ENetProtocolConnect, connectID), sizeof connectId);
    connectData = Read32(data + at + offsetof(ENetProtocolConnect, data));
    return true;
}

uint64_t Rotate(uint64_t value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

// SipHash-2-4 of `data` under a 128-bit key.
uint64_t KeyedHash(const uint64_t key[2], const unsigned char* data, size_t size)
{
    uint64_t v0 = 0x736f6d6570736575ULL ^ key[0], v1 = 0x646f72616e646f6dULL ^ key[1];
    uint64_t v2 = 0x6c7967656e657261ULL ^ key[0], v3 = 0x7465646279746573ULL ^ key[1];
    const auto round = [&] {
        v0 += v1; v1 = Rotate(v1, 13); v1 ^= v0; v0 = Rotate(v0, 32);
        v2 += v3; v3 = Rotate(v3, 16); v3 ^= v2;
        v0 += v3; v3 = Rotate(v3, 21); v3 ^= v0;
        v2 += v1; v1 = Rotate(v1, 17); v1 ^= v2; v2 = Rotate(v2, 32);
    };
    const auto absorb = [&](uint64_t word) {
        v3 ^= word;
        round();
        round();
        v0 ^= word;
    };
    // Little-endian words; the last holds the length in its top byte.
    uint64_t word = 0;
    for (size_t i = 0; i < size; ++i) {
        word |= uint64_t{data[i]} << (8 * (i % 8));
        if (i % 8 == 7) {
            absorb(word);
            word = 0;
        }
    }
    absorb(word | (uint64_t{size} << 56));
    v2 ^= 0xff;
    for (int i = 0; i < 4; ++i)
        round();
    return v0 ^ v1 ^ v2 ^ v3;
}

// A client's side of the challenge: the peer whose request it answers (connecting to its
// sender, with its connect id) connects again with the cookie. True when the datagram was
// a challenge, answered or not (one to a request given up since is only consumed).
bool AnswerChallenge(ENetHost* host)
{
    uint32_t connectId = 0, cookie = 0;
    if (!EnetTransport::ReadChallenge(host->receivedData, host->receivedDataLength, connectId, cookie))
        return false;
    const ENetAddress from = host->receivedAddress;
    ENetPeer* const end = host->peers + host->peerCount;
    ENetPeer* const peer = std::find_if(host->peers, end, [&](const ENetPeer& candidate) {
        return candidate.state == ENET_PEER_STATE_CONNECTING && candidate.connectID == connectId &&
               candidate.address.host == from.host && candidate.address.port == from.port;
    });
    if (peer == end)
        return true;
    const size_t channels = peer->channelCount;
    void* const data = peer->data;
    const uint32_t limit = peer->timeoutLimit, minimum = peer->timeoutMinimum, maximum = peer->timeoutMaximum;
    const uint32_t ping = peer->pingInterval;
    enet_peer_reset(peer);   // the server holds nothing of it to be told
    // ENet connects the first free peer: the free ones before it are held aside meanwhile,
    // so that whoever holds the peer keeps it.
    std::vector<ENetPeer*> aside;
    for (ENetPeer* other = host->peers; other != peer; ++other)
        if (other->state == ENET_PEER_STATE_DISCONNECTED) {
            other->state = ENET_PEER_STATE_ZOMBIE;
            aside.push_back(other);
        }
    const bool again = enet_host_connect(host, &from, channels, cookie) == peer;
    for (ENetPeer* other : aside)
        other->state = ENET_PEER_STATE_DISCONNECTED;
    if (!again)
        return true;   // no memory for its channels: the request is given up
    peer->data = data;
    peer->timeoutLimit = limit;
    peer->timeoutMinimum = minimum;
    peer->timeoutMaximum = maximum;
    peer->pingInterval = ping;
    return true;
}

// The window of `windowMs` that the time `ms` falls in.
int64_t WindowOf(int64_t ms, int64_t windowMs)
{
    return ms / windowMs - (ms % windowMs < 0);
}

int AnswerChallengeOnly(ENetHost* host, ENetEvent*)
{
    return AnswerChallenge(host) ? 1 : 0;
}

// A dotted address, for the log.
std::string AddressName(uint32_t address)
{
    ENetAddress named{};
    named.host = address;
    char name[64] = "?";
    enet_address_get_host_ip(&named, name, sizeof name);
    return name;
}

// A packet budget at `level` on ENet's time `since`, refilled at the budget's rate until
// `now`, up to the burst.
double Refilled(double level, uint32_t since, uint32_t now)
{
    const double filled = ENET_TIME_DIFFERENCE(now, since) * (EnetTransport::kFloodPacketsPerSecond / 1000.0);
    return std::min<double>(EnetTransport::kFloodBurstPackets, level + filled);
}

}  // namespace

bool EnetTransport::ReadChallenge(const unsigned char* datagram, size_t size, uint32_t& connectId, uint32_t& cookie)
{
    if (size != kChallengeSize || std::memcmp(datagram, kChallengeMark, sizeof kChallengeMark) != 0)
        return false;
    std::memcpy(&connectId, datagram + sizeof kChallengeMark, sizeof connectId);
    cookie = Read32(datagram + sizeof kChallengeMark + sizeof connectId);
    return true;
}

void EnetTransport::AnswerChallenges(ENetHost* host)
{
    host->intercept = &AnswerChallengeOnly;
}

uint32_t EnetTransport::Cookie(const ENetAddress& from, int64_t window) const
{
    unsigned char input[sizeof from.host + sizeof from.port + sizeof window];
    std::memcpy(input, &from.host, sizeof from.host);
    std::memcpy(input + sizeof from.host, &from.port, sizeof from.port);
    std::memcpy(input + sizeof from.host + sizeof from.port, &window, sizeof window);
    return static_cast<uint32_t>(KeyedHash(m_cookieKey, input, sizeof input));
}

void EnetTransport::SendChallenge(const ENetAddress& to, uint32_t connectId)
{
    const int64_t window = WindowOf(m_clock(), kCookieWindowMs);
    unsigned char challenge[kChallengeSize];
    std::memcpy(challenge, kChallengeMark, sizeof kChallengeMark);
    std::memcpy(challenge + sizeof kChallengeMark, &connectId, sizeof connectId);
    const uint32_t cookie = ENET_HOST_TO_NET_32(Cookie(to, window));
    std::memcpy(challenge + sizeof kChallengeMark + sizeof connectId, &cookie, sizeof cookie);
    ENetBuffer buffer;
    buffer.data = challenge;
    buffer.dataLength = sizeof challenge;
    enet_socket_send(m_host->socket, &to, &buffer, 1);
}

bool EnetTransport::AdmitConnection(uint32_t connectId, uint32_t cookie)
{
    // The one place a request to connect is judged.
    const ENetAddress from = m_host->receivedAddress;
    const int64_t window = WindowOf(m_clock(), kCookieWindowMs);
    if (cookie != Cookie(from, window) && cookie != Cookie(from, window - 1)) {
        // A first request carries none; one that carries another is out of date or made up.
        if (cookie != 0)
            LogNetDrop("EnetTransport: a request to connect", -1, "its cookie is not its sender's or is out of date");
        SendChallenge(from, connectId);
        return false;
    }
    if (PendingAt(from.host) >= kPendingPerAddress) {
        NoteAddress(from.host, AddressEvent::OverLimit,
                    "EnetTransport: a connection request from %s ignored: it holds %d peers that do not play, its most",
                    AddressName(from.host).c_str(), kPendingPerAddress);
        return false;
    }
    return true;
}

// ---- Making and ending --------------------------------------------------------------------

EnetTransport::EnetTransport(ENetHost* host, int localHost) : m_host(host), m_localHost(localHost)
{
    SetClock({});
}

void EnetTransport::SetClock(Clock clock)
{
    if (!clock)
        clock = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
    m_clock = std::move(clock);
}

ENetHost* EnetTransport::CreateHost(bool server, uint16_t port)
{
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    ENetHost* host = enet_host_create(server ? &address : nullptr, server ? kPeerSlots : 1,
                                      kChannelCount, 0, 0);
    if (!host)
        return nullptr;
    // ENet refuses a larger packet before it allocates; the hook logs it first.
    host->maximumPacketSize = NetLimits::kMaxPacketSize;
    host->intercept = &EnetTransport::InterceptDatagram;
    return host;
}

std::unique_ptr<EnetTransport> EnetTransport::Listen(uint16_t port, std::string& error)
{
    if (!AcquireEnet()) {
        error = "ENet could not be initialised";
        return nullptr;
    }
    errno = 0;
    ENetHost* host = CreateHost(true, port);
    if (!host) {
        // The socket's reason (the port in use, or not ours to take).
        const int reason = errno;
        ReleaseEnet();
        error = reason != 0 ? std::strerror(reason) : "the port cannot be bound";
        return nullptr;
    }
    std::unique_ptr<EnetTransport> transport(new EnetTransport(host, ConnectionManager::kServerHost));
    transport->m_inbox.SetRoundBudget(kFramePackets, kFrameBytes);
    try {
        std::random_device device;
        for (uint64_t& word : transport->m_cookieKey)
            word = (uint64_t{device()} << 32) ^ device();
    } catch (const std::exception&) {
        // A secret a stranger could guess lets it forge cookies: said, not hidden.
        gEngine->Log(LOG_WARNING, "EnetTransport: no random source; the handshake's secret is drawn from the clock");
        const auto now = static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
        transport->m_cookieKey[0] = now;
        transport->m_cookieKey[1] = now * 0x9E3779B97F4A7C15ULL ^ reinterpret_cast<uintptr_t>(transport.get());
    }
    return transport;
}

std::unique_ptr<EnetTransport> EnetTransport::Connect(const std::string& address, uint16_t port, int timeoutMs,
                                                      std::string& error)
{
    const std::string where = address + ":" + std::to_string(port);
    if (!AcquireEnet()) {
        error = "ENet could not be initialised";
        return nullptr;
    }
    ENetAddress server{};
    server.port = port;
    if (enet_address_set_host(&server, address.c_str()) != 0) {
        ReleaseEnet();
        error = "unknown address " + address;
        return nullptr;
    }
    ENetHost* host = CreateHost(false, 0);
    if (!host) {
        ReleaseEnet();
        error = "cannot open a socket to connect to " + where;
        return nullptr;
    }
    // From here the transport owns the host and frees it on every way out.
    std::unique_ptr<EnetTransport> transport(new EnetTransport(host, -1));
    transport->m_peers[0] = enet_host_connect(host, &server, kChannelCount, 0);
    if (!transport->m_peers[0]) {
        error = "cannot connect to " + where;
        return nullptr;
    }
    // The handshake is given up at the caller's deadline, not at ENet's own (30 s), which
    // would end the wait first when the deadline is longer.
    const uint32_t handshakeMs = static_cast<uint32_t>(std::max(timeoutMs, 1));
    enet_peer_timeout(transport->m_peers[0], 0, handshakeMs, handshakeMs);

    // Connected, told the host number, joined and welcomed; a refusal or a lost connection
    // ends the wait.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    while (transport->m_localHost < 0 && transport->m_peers[0]) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        transport->ServiceFor(static_cast<uint32_t>(std::min<int64_t>(left.count(), 10)));
    }
    if (transport->m_localHost > 0) {
        if (transport->m_peers[0])
            transport->ApplyTimeout(transport->m_peers[0], ConnectionManager::kServerHost);
        return transport;
    }

    NetConnectionEvent lost;
    if (!transport->m_peers[0] && transport->PollConnectionEvent(lost))
        error = lost.reason;
    else
        error = "no answer from " + where + " within " + std::to_string(timeoutMs) + " ms";
    if (transport->m_peers[0]) {
        enet_peer_reset(transport->m_peers[0]);
        transport->m_peers[0] = nullptr;
    }
    return nullptr;
}

EnetTransport::~EnetTransport()
{
    // What was sent goes out before the goodbye; then the wait lasts until every peer has
    // answered it, so that each has taken everything and sees a clean leave rather than
    // a time-out. A peer that never answers is dropped by ENet at its time-out; the cap
    // only keeps a stuck host from waiting for ever.
    if (m_localHost == ConnectionManager::kServerHost)
        SweepAddresses(true);
    int open = 0;
    for (ENetPeer*& peer : m_peers) {
        if (peer) {
            enet_peer_disconnect_later(peer, kClosed);
            peer = nullptr;
            ++open;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_goodbyeWaitMs);
    ENetEvent event;
    while (open > 0 && std::chrono::steady_clock::now() < deadline && enet_host_service(m_host, &event, 5) >= 0) {
        if (event.type == ENET_EVENT_TYPE_RECEIVE)
            enet_packet_destroy(event.packet);
        else if (event.type == ENET_EVENT_TYPE_DISCONNECT)
            --open;
    }
    enet_host_flush(m_host);
    enet_host_destroy(m_host);
    ReleaseEnet();
}

// ---- Servicing ----------------------------------------------------------------------------

void EnetTransport::Service()
{
    m_inbox.NextRound();
    ServiceFor(0);
}

void EnetTransport::ServiceFor(uint32_t waitMs)
{
    EnetTransport* outer = tServicing;
    tServicing = this;
    // ENet judges its peers' time-outs before it reads what they sent meanwhile, and it
    // judges a peer on the oldest of its packets left unanswered. After a long pause of this
    // host (a slow frame) the peers' answers wait unread, and those that were to come were
    // not asked for meanwhile: the pause is added to every connected peer's time-out until
    // the peer has answered what it was sent before it (a peer slowed as well may take a
    // while). So a peer is judged on what it sent, never on how long this host was away; one
    // that stays silent is timed out once silent for its time-out besides the pauses, at
    // most as long again (TimeOutUnanswering holds it to that). A handshake not finished
    // is no connection yet: it keeps ENet's own time-out.
    //
    // A playing client is judged silent on what the game was handed before this service:
    // its heartbeats may be among what this one reads.
    if (m_localHost == ConnectionManager::kServerHost)
        ExpireSilentPlayers();
    const uint32_t now = enet_time_get();
    // ENet's clock wraps; a clock that went back counts as no pause.
    const uint32_t since = now - m_servicedAt;
    const uint32_t paused = m_servicedAt == 0 || since > (uint32_t{1} << 31) ? 0 : since;
    if (paused >= kLongPauseMs)
        LiftTimeouts(paused, now);
    // A game that did not ask for its events since a client answered has sent it all it
    // will before this service.
    if (m_localHost == ConnectionManager::kServerHost)
        WelcomeAnswered();
    ENetEvent event;
    int got = enet_host_service(m_host, &event, waitMs);
    while (got > 0) {
        HandleEvent(event);
        got = enet_host_service(m_host, &event, 0);
    }
    RestoreTimeouts();
    TimeOutUnanswering();
    m_servicedAt = enet_time_get();
    if (m_servicedAt == 0)
        m_servicedAt = 1;   // 0 is "never serviced"
    tServicing = outer;
    if (got < 0)
        gEngine->Log(LOG_WARNING, "EnetTransport: servicing the host failed");
    DropOversizeSenders();
    if (m_localHost == ConnectionManager::kServerHost)
        ExpireJoins();
    if (!m_addresses.empty())
        SweepAddresses(false);
}

namespace {

uint32_t AddBounded(uint32_t ms, uint32_t addedMs)
{
    return ms > UINT32_MAX - addedMs ? UINT32_MAX : ms + addedMs;
}

}  // namespace

std::vector<EnetTransport::PausedPeer>::iterator EnetTransport::FindPaused(const ENetPeer* peer)
{
    return std::find_if(m_paused.begin(), m_paused.end(), [peer](const PausedPeer& paused) {
        return paused.peer == peer && paused.connectId == peer->connectID;
    });
}

void EnetTransport::LiftTimeouts(uint32_t pausedMs, uint32_t now)
{
    for (ENetPeer* peer : m_peers) {
        if (!peer || peer->state != ENET_PEER_STATE_CONNECTED)
            continue;
        auto paused = FindPaused(peer);
        if (paused == m_paused.end())
            paused = m_paused.insert(m_paused.end(), {peer, peer->connectID, peer->timeoutMinimum, peer->timeoutMaximum, 0, now});
        paused->addedMs = AddBounded(paused->addedMs, pausedMs);
        paused->pauseEnd = now;
        Lift(*paused);
    }
}

void EnetTransport::Lift(PausedPeer& paused)
{
    // At most as much again as its longest time-out: a host whose every service follows a
    // long pause (a slow loop) still times out a peer that never answers.
    paused.addedMs = std::min(paused.addedMs, paused.maximum);
    paused.peer->timeoutMinimum = AddBounded(paused.minimum, paused.addedMs);
    paused.peer->timeoutMaximum = AddBounded(paused.maximum, paused.addedMs);
}

void EnetTransport::RestoreTimeouts()
{
    std::erase_if(m_paused, [](const PausedPeer& paused) {
        ENetPeer* peer = paused.peer;
        if (peer->state == ENET_PEER_STATE_DISCONNECTED || peer->connectID != paused.connectId)
            return true;   // gone, or its slot taken by another connection
        // ENet clears the oldest unanswered time when the peer answers; what it sent since
        // the pause is judged as ever.
        if (peer->earliestTimeout != 0 && ENET_TIME_LESS(peer->earliestTimeout, paused.pauseEnd))
            return false;
        peer->timeoutMinimum = paused.minimum;
        peer->timeoutMaximum = paused.maximum;
        return true;
    });
}

void EnetTransport::TimeOutUnanswering()
{
    // ENet judges a peer's time-out only when one of its packets is due to be sent again,
    // which after many resends is seconds apart: a peer is held to its time-out here.
    const uint32_t now = enet_time_get();
    for (ENetPeer* peer : m_peers) {
        if (!peer || peer->state != ENET_PEER_STATE_CONNECTED || peer->earliestTimeout == 0 ||
            ENET_TIME_DIFFERENCE(now, peer->earliestTimeout) < peer->timeoutMaximum)
            continue;
        HandleDisconnect(peer, kTimedOut);
        enet_peer_reset(peer);
    }
}

void EnetTransport::ExpireJoins()
{
    const int64_t now = m_clock();
    for (int host = 1; host <= kMaxClients; ++host) {
        if (!m_peers[host] || m_step[host] == JoinStep::Playing)
            continue;
        JoinProgress(host);   // notes a world acknowledged since
        // The steps the client's transport takes by itself; the others wait on a game.
        const bool stepByItself = m_step[host] == JoinStep::Offered || m_step[host] == JoinStep::Welcomed;
        if (now - m_connectedAt[host] >= m_joinDeadlineMs)
            DropConnection(host, kNotJoined, "it did not join in time");
        else if (stepByItself && now - m_stepAt[host] >= std::min(m_joinStepMs, m_joinDeadlineMs))
            DropConnection(host, kNotJoined, m_step[host] == JoinStep::Offered ? "it did not answer its number in time"
                                                                                : "it did not acknowledge its world in time");
    }
}

void EnetTransport::ExpireSilentPlayers()
{
    // Found silent at two service starts in a row, the game having been handed between
    // them all that had arrived of it: at the latest twice the deadline, whatever waits.
    const int64_t now = m_clock();
    for (int host = 1; host <= kMaxClients; ++host) {
        if (!m_peers[host] || m_step[host] != JoinStep::Playing)
            continue;
        const int64_t silentMs = now - m_beatAt[host];
        if (silentMs < m_joinDeadlineMs) {
            m_silent[host] = false;
            continue;
        }
        if ((m_silent[host] && !m_inbox.Holds(host)) || silentMs >= int64_t{2} * m_joinDeadlineMs)
            DropConnection(host, kSilent, "its player sent no heartbeat in time");
        else
            m_silent[host] = true;
    }
}

void EnetTransport::DropConnection(int host, uint32_t reason, const char* why, bool log)
{
    ENetPeer* peer = m_peers[host];
    if (log)
        LogNetDrop("EnetTransport: a connection", host, "%s (from %s)", why, PeerName(peer).c_str());
    RememberBudget(host);
    m_peers[host] = nullptr;
    // At once: its slot in ENet is free for the next connection, whether it answers or not.
    enet_peer_disconnect_now(peer, reason);
    // The game heard of a connection that shook hands: it hears that it went.
    if (Joined(host))
        m_inbox.PushEvent({NetConnectionEvent::Left, host, why});
    m_step[host] = JoinStep::Offered;
}

int EnetTransport::FreeHost() const
{
    for (int host = 1; host <= kMaxClients; ++host)
        if (!m_peers[host])
            return host;
    return -1;
}

int EnetTransport::PendingAt(uint32_t address) const
{
    // Every peer of the address in ENet's table, but those that play.
    int pending = 0;
    for (size_t i = 0; i < m_host->peerCount; ++i)
        pending += m_host->peers[i].state != ENET_PEER_STATE_DISCONNECTED && m_host->peers[i].address.host == address;
    for (int host = 1; host <= kMaxClients; ++host)
        pending -= m_peers[host] && m_step[host] == JoinStep::Playing && m_peers[host]->address.host == address;
    return pending;
}

bool EnetTransport::WithinBudget(int host)
{
    // Filled at the budget's rate since the last packet, up to the burst; on ENet's time of
    // this service, which costs no clock read a packet.
    const uint32_t now = m_host->serviceTime;
    m_budget[host] = Refilled(m_budget[host], m_budgetAt[host], now);
    m_budgetAt[host] = now;
    if (m_budget[host] < 1.0)
        return false;
    m_budget[host] -= 1.0;
    return true;
}

void EnetTransport::DropFlooder(int host)
{
    const uint32_t address = m_peers[host]->address.host;
    AddressMemory* memory = FindAddress(address, true);
    memory->refused = true;
    memory->refusedUntil = m_clock() + kFloodRefusalMs;
    char why[96];
    std::snprintf(why, sizeof why, "it sent more than %u packets a second (beyond a burst of %u)", kFloodPacketsPerSecond,
                  kFloodBurstPackets);
    NoteAddress(address, AddressEvent::Flooded,
                "EnetTransport: a connection from host %d dropped: %s (from %s); its address is refused for %d s", host, why,
                PeerName(m_peers[host]).c_str(), kFloodRefusalMs / 1000);
    DropConnection(host, kSentTooMuch, why, false);
}

void EnetTransport::RememberBudget(int host)
{
    if (m_localHost != ConnectionManager::kServerHost || host <= ConnectionManager::kServerHost || !m_peers[host])
        return;
    // The least that any connection of the address left, as it stands now; a full budget is
    // nothing to remember.
    const uint32_t now = m_host->serviceTime;
    const double left = Refilled(m_budget[host], m_budgetAt[host], now);
    AddressMemory* memory = FindAddress(m_peers[host]->address.host, left < kFloodBurstPackets);
    if (!memory)
        return;
    memory->budget = std::min(Refilled(memory->budget, memory->budgetAt, now), left);
    memory->budgetAt = now;
}

EnetTransport::AddressMemory* EnetTransport::FindAddress(uint32_t address, bool make)
{
    for (AddressMemory& memory : m_addresses)
        if (memory.address == address)
            return &memory;
    if (!make)
        return nullptr;
    if (m_addresses.size() < kAddressMemory) {
        m_addresses.emplace_back();
        m_addresses.back().address = address;
        return &m_addresses.back();
    }
    // Full: an address not refused goes first, then the one whose refusal ends first. What
    // its log counted is logged now.
    auto forgotten = std::min_element(m_addresses.begin(), m_addresses.end(), [](const AddressMemory& a, const AddressMemory& b) {
        return std::make_pair(a.refused, a.refusedUntil) < std::make_pair(b.refused, b.refusedUntil);
    });
    if (forgotten->logging)
        EndLogPeriod(*forgotten, m_clock());
    *forgotten = AddressMemory{};
    forgotten->address = address;
    return &*forgotten;
}

bool EnetTransport::RefusedAddress(uint32_t address)
{
    AddressMemory* memory = FindAddress(address, false);
    if (!memory || !memory->refused)
        return false;
    const int64_t leftMs = memory->refusedUntil - m_clock();
    if (leftMs <= 0) {
        memory->refused = false;
        return false;
    }
    NoteAddress(memory->address, AddressEvent::Refused,
                "EnetTransport: a connection request from %s refused: the address was disconnected for sending too much; "
                "refused for %lld s more",
                AddressName(memory->address).c_str(), static_cast<long long>((leftMs + 999) / 1000));
    return true;
}

void EnetTransport::NoteAddress(uint32_t address, AddressEvent event, const char* format, ...)
{
    AddressMemory& memory = *FindAddress(address, true);
    const int64_t now = m_clock();
    if (memory.logging && now - memory.logFrom >= kAddressLogPeriodMs)
        EndLogPeriod(memory, now);
    if (!memory.logging) {
        memory.logging = true;
        memory.logFrom = now;
        std::fill(std::begin(memory.logged), std::end(memory.logged), false);
    }
    const size_t kind = static_cast<size_t>(event);
    if (memory.logged[kind]) {
        ++memory.counted[kind];
        return;
    }
    memory.logged[kind] = true;
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    gEngine->Log(LOG_WARNING, "%s", line);
}

void EnetTransport::EndLogPeriod(AddressMemory& memory, int64_t now)
{
    static constexpr const char* kCounted[kAddressEvents] = {
        "connections disconnected for sending too much",
        "connection requests refused",
        "connection requests ignored over its limit of peers that do not play",
    };
    std::string counts;
    for (size_t kind = 0; kind < kAddressEvents; ++kind) {
        if (memory.counted[kind] == 0)
            continue;
        counts += (counts.empty() ? "" : ", ") + std::to_string(memory.counted[kind]) + " more " + kCounted[kind];
        memory.counted[kind] = 0;
    }
    if (counts.empty()) {
        memory.logging = false;
        return;
    }
    gEngine->Log(LOG_WARNING, "EnetTransport: from %s since its last line: %s", AddressName(memory.address).c_str(),
                 counts.c_str());
    memory.logFrom = now;
}

void EnetTransport::SweepAddresses(bool closing)
{
    if (closing) {
        // The clock may be gone with its owner.
        for (AddressMemory& memory : m_addresses)
            if (memory.logging)
                EndLogPeriod(memory, 0);
        return;
    }
    const int64_t now = m_clock();
    for (AddressMemory& memory : m_addresses) {
        if (memory.logging && now - memory.logFrom >= kAddressLogPeriodMs)
            EndLogPeriod(memory, now);
        if (memory.refused && now >= memory.refusedUntil)
            memory.refused = false;
    }
    const uint32_t enetNow = m_host->serviceTime;
    std::erase_if(m_addresses, [enetNow](const AddressMemory& memory) {
        return !memory.logging && !memory.refused &&
               Refilled(memory.budget, memory.budgetAt, enetNow) >= kFloodBurstPackets;
    });
}

void EnetTransport::Advance(int host, JoinStep step)
{
    m_step[host] = step;
    m_stepAt[host] = m_clock();
}

int EnetTransport::JoinProgress(int host)
{
    if (m_step[host] == JoinStep::Welcomed && AcknowledgedWorld(host))
        Advance(host, JoinStep::WorldReceived);
    switch (m_step[host]) {
    case JoinStep::WorldReceived: return m_playerBrought[host] ? 2 : 1;
    case JoinStep::Playing: return 2;
    default: return 0;
    }
}

bool EnetTransport::AcknowledgedWorld(int host) const
{
    const WorldPackets* world = m_world[host].get();
    return world && world->unreleased == 0 && !world->lost;
}

bool EnetTransport::SendCounted(ENetPeer* peer, int host, uint8_t channel, const unsigned char* data, size_t size)
{
    ENetPacket* packet = enet_packet_create(data, size, ENET_PACKET_FLAG_RELIABLE);
    if (!packet)
        return false;
    // ENet releases a reliable packet once every peer it went to acknowledged it, and marks
    // it sent; one released unsent went to a peer that was reset.
    packet->userData = new std::shared_ptr<WorldPackets>(m_world[host]);
    packet->freeCallback = &EnetTransport::ReleaseWorldPacket;
    ++m_world[host]->unreleased;
    if (enet_peer_send(peer, channel, packet) == 0)
        return true;
    enet_packet_destroy(packet);
    return false;
}

void EnetTransport::ReleaseWorldPacket(ENetPacket* packet)
{
    auto* world = static_cast<std::shared_ptr<WorldPackets>*>(packet->userData);
    packet->userData = nullptr;
    if (!world)
        return;
    --(*world)->unreleased;
    if (!(packet->flags & ENET_PACKET_FLAG_SENT))
        (*world)->lost = true;
    delete world;
}

void EnetTransport::WelcomeAnswered()
{
    bool welcomed = false;
    for (int host = 1; host <= kMaxClients; ++host) {
        if (!m_peers[host] || m_step[host] != JoinStep::Answered)
            continue;
        Advance(host, JoinStep::Welcomed);
        const unsigned char welcome[1] = {kWelcome};
        SendCounted(m_peers[host], host, kTransportChannel, welcome, sizeof welcome);
        welcomed = true;
    }
    // The world and the welcome leave now, not at the next frame's service.
    if (welcomed)
        enet_host_flush(m_host);
}

int EnetTransport::InterceptDatagram(ENetHost* host, ENetEvent*)
{
    EnetTransport* self = tServicing;
    if (!self || self->m_host != host)
        return 0;
    if (self->m_localHost == ConnectionManager::kServerHost) {
        uint32_t connectId = 0, cookie = 0;
        if (ReadConnectRequest(host->receivedData, host->receivedDataLength, connectId, cookie) &&
            (self->RefusedAddress(host->receivedAddress.host) || !self->AdmitConnection(connectId, cookie)))
            return 1;
    } else if (AnswerChallenge(host)) {
        return 1;
    }
    const uint32_t announced = LargestAnnouncedPacket(host->receivedData, host->receivedDataLength);
    if (announced <= NetLimits::kMaxPacketSize)
        return 0;
    // The whole datagram goes, before ENet reads a fragment of it. A reliable stream
    // cannot go on without the packet, so its sender is disconnected afterwards.
    for (int number = 0; number <= ConnectionManager::kMaxHost; ++number) {
        ENetPeer* peer = self->m_peers[number];
        if (peer && peer->address.host == host->receivedAddress.host && peer->address.port == host->receivedAddress.port) {
            if (std::find(self->m_oversizeSenders.begin(), self->m_oversizeSenders.end(), peer) ==
                self->m_oversizeSenders.end()) {
                gEngine->Log(LOG_WARNING, "EnetTransport: a packet of %u bytes from host %d is above the limit of %zu bytes; dropped",
                             announced, number, NetLimits::kMaxPacketSize);
                self->m_oversizeSenders.push_back(peer);
            }
            break;
        }
    }
    return 1;
}

void EnetTransport::DropOversizeSenders()
{
    for (ENetPeer* peer : m_oversizeSenders) {
        const int host = HostOfPeer(peer);
        if (host < 0)
            continue;
        RememberBudget(host);
        m_peers[host] = nullptr;
        enet_peer_disconnect(peer, kDropped);
        if (m_localHost == ConnectionManager::kServerHost && !Joined(host))
            continue;   // the game never heard of it
        if (m_localHost == ConnectionManager::kServerHost)
            m_inbox.PushEvent({NetConnectionEvent::Left, host, "sent a packet above the limit"});
        else
            m_inbox.PushEvent({NetConnectionEvent::ServerLost, ConnectionManager::kServerHost,
                                "the server sent a packet above the limit"});
    }
    m_oversizeSenders.clear();
}

void EnetTransport::HandleEvent(ENetEvent& event)
{
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
        HandleConnect(event.peer);
        break;
    case ENET_EVENT_TYPE_RECEIVE:
        HandleReceive(event.peer, event.channelID, event.packet->data, event.packet->dataLength);
        enet_packet_destroy(event.packet);
        break;
    case ENET_EVENT_TYPE_DISCONNECT:
        HandleDisconnect(event.peer, event.data);
        break;
    case ENET_EVENT_TYPE_NONE:
        break;
    }
}

void EnetTransport::HandleConnect(ENetPeer* peer)
{
    if (m_localHost != ConnectionManager::kServerHost) {
        // A client accepts no connections of its own. Its server's keeps the time-out of the
        // caller's wait until it has joined (Connect): the server welcomes it only once its
        // game has heard of it, which a busy server may take long for.
        if (peer != m_peers[0])
            enet_peer_reset(peer);
        return;
    }
    // Every number taken: a connection past its deadline or its step time makes room (it
    // would go at the end of this service anyway). No other gives way.
    int host = FreeHost();
    if (host < 0) {
        ExpireJoins();
        host = FreeHost();
    }
    if (host < 0) {
        LogNetDrop("EnetTransport: a connection", -1, "server full (from %s)", PeerName(peer).c_str());
        enet_peer_disconnect(peer, kServerFull);
        m_inbox.PushEvent({NetConnectionEvent::Refused, -1, "server full"});
        return;
    }
    m_peers[host] = peer;
    Advance(host, JoinStep::Offered);
    m_playerBrought[host] = false;
    m_silent[host] = false;
    m_world[host] = std::make_shared<WorldPackets>();
    m_connectedAt[host] = m_clock();
    // What the address's connections that left had left, refilled since.
    const AddressMemory* memory = FindAddress(peer->address.host, false);
    m_budgetAt[host] = m_host->serviceTime;
    m_budget[host] = memory ? Refilled(memory->budget, memory->budgetAt, m_budgetAt[host]) : kFloodBurstPackets;
    m_inbox.DiscardHost(host);
    ApplyTimeout(peer, host);
    // The game hears of the client once it has joined.
    const unsigned char message[2] = {kYourHostNumber, static_cast<unsigned char>(host)};
    SendTransportMessage(peer, message, sizeof message);
}

void EnetTransport::SendTransportMessage(ENetPeer* peer, const unsigned char* data, size_t size)
{
    if (ENetPacket* packet = enet_packet_create(data, size, ENET_PACKET_FLAG_RELIABLE))
        if (enet_peer_send(peer, kTransportChannel, packet) != 0)
            enet_packet_destroy(packet);
}

void EnetTransport::HandleReceive(ENetPeer* peer, uint8_t channel, const unsigned char* data, size_t size)
{
    const int host = HostOfPeer(peer);
    if (host < 0)
        return;   // a peer that is no longer ours
    if (m_localHost == ConnectionManager::kServerHost && !WithinBudget(host)) {
        DropFlooder(host);
        return;
    }
    if (channel == kTransportChannel) {
        HandleTransportMessage(host, data, size);
        return;
    }
    if (channel != kGameChannel || size > NetLimits::kMaxPacketSize) {
        LogNetDrop("EnetTransport: a packet", host, "%zu bytes on channel %u", size, channel);
        return;
    }
    if (m_localHost == ConnectionManager::kServerHost && !Joined(host)) {
        LogNetDrop("EnetTransport: a game packet", host, "the host has not joined");
        return;
    }
    ++m_stats.packetsReceived;
    m_stats.bytesReceived += size;
    m_inbox.PushPacket(host, data, size);
}

void EnetTransport::HandleTransportMessage(int host, const unsigned char* data, size_t size)
{
    const bool server = m_localHost == ConnectionManager::kServerHost;
    if (!server && m_localHost == -1 && size == 2 && data[0] == kYourHostNumber && data[1] >= 1 &&
        data[1] <= kMaxClients) {
        m_offeredHost = data[1];
        const unsigned char answer[2] = {kJoining, data[1]};
        SendTransportMessage(m_peers[0], answer, sizeof answer);
        return;
    }
    if (!server && m_localHost == -1 && m_offeredHost > 0 && size == 1 && data[0] == kWelcome) {
        m_localHost = m_offeredHost;
        return;
    }
    if (server && m_step[host] == JoinStep::Offered && size == 2 && data[0] == kJoining && data[1] == host) {
        // Welcomed once the game has heard of it (WelcomeAnswered), after what the game
        // sends it then.
        Advance(host, JoinStep::Answered);
        m_inbox.PushEvent({NetConnectionEvent::Joined, host, ""});
        return;
    }
    LogNetDrop("EnetTransport: a transport message", host, "%zu bytes that say nothing expected", size);
}

void EnetTransport::HandleDisconnect(ENetPeer* peer, uint32_t data)
{
    const int host = HostOfPeer(peer);
    if (host < 0)
        return;   // refused, or already disconnected by this side
    RememberBudget(host);
    m_peers[host] = nullptr;
    if (m_localHost == ConnectionManager::kServerHost && !Joined(host))
        return;   // it left before it joined: the game never heard of it
    if (m_localHost != ConnectionManager::kServerHost && host == ConnectionManager::kServerHost)
        m_inbox.PushEvent({NetConnectionEvent::ServerLost, host, ServerLostReason(data)});
    else if (data == kTimedOut)
        m_inbox.PushEvent({NetConnectionEvent::TimedOut, host, "timed out"});
    else
        m_inbox.PushEvent({NetConnectionEvent::Left, host, "left"});
}

// ---- The transport ------------------------------------------------------------------------

void EnetTransport::Send(const NetDestination& to, const unsigned char* data, size_t size)
{
    if (size > NetLimits::kMaxPacketSize) {
        gEngine->Log(LOG_WARNING, "EnetTransport: a packet of %zu bytes is above the limit of %zu bytes; not sent", size,
                     NetLimits::kMaxPacketSize);
        return;
    }
    // A client reaches only the server, whatever the packet is for.
    const bool server = m_localHost == ConnectionManager::kServerHost;
    ENetPacket* packet = nullptr;
    for (int host = 0; host <= ConnectionManager::kMaxHost; ++host) {
        ENetPeer* peer = m_peers[host];
        if (!peer || (server && !Joined(host)))
            continue;
        const bool chosen = !server || to.kind == NetDestination::AllClients ||
                            (to.kind == NetDestination::OtherClients && host != to.host) ||
                            (to.kind == NetDestination::Host && host == to.host);
        if (!chosen)
            continue;
        // What goes to a client before its welcome is its world, each packet its own.
        if (server && m_step[host] == JoinStep::Answered) {
            if (SendCounted(peer, host, kGameChannel, data, size)) {
                ++m_stats.packetsSent;
                m_stats.bytesSent += size;
            }
            continue;
        }
        if (!packet && !(packet = enet_packet_create(data, size, ENET_PACKET_FLAG_RELIABLE))) {
            gEngine->Log(LOG_WARNING, "EnetTransport: no memory for a packet of %zu bytes", size);
            return;
        }
        if (enet_peer_send(peer, kGameChannel, packet) == 0) {
            ++m_stats.packetsSent;
            m_stats.bytesSent += size;
        }
    }
    if (packet && packet->referenceCount == 0)
        enet_packet_destroy(packet);   // no peer took it
}

bool EnetTransport::Receive(int& fromHost, std::vector<unsigned char>& bytes)
{
    return m_inbox.PopPacket(fromHost, bytes);
}

void EnetTransport::Disconnect(int host, const std::string& reason)
{
    if (host < 0 || host > ConnectionManager::kMaxHost || !m_peers[host])
        return;
    gEngine->Log(LOG_INFO, "EnetTransport: disconnecting host %d: %s", host, reason.c_str());
    // What was sent to it still goes out first.
    enet_peer_disconnect_later(m_peers[host], m_localHost == ConnectionManager::kServerHost ? kDropped : kClosed);
    RememberBudget(host);
    m_peers[host] = nullptr;
    enet_host_flush(m_host);
}

void EnetTransport::ConfirmJoined(int host)
{
    if (m_localHost != ConnectionManager::kServerHost || host <= ConnectionManager::kServerHost ||
        host > ConnectionManager::kMaxHost || !m_peers[host] || !Joined(host))
        return;
    if (m_step[host] != JoinStep::Playing && JoinProgress(host) < 2) {
        LogNetDrop("EnetTransport: a heartbeat", host, "promotes nothing: %s",
                   JoinProgress(host) == 0 ? "the client has not acknowledged its world"
                                           : "its player does not stand in the world");
        return;
    }
    if (m_step[host] != JoinStep::Playing) {
        Advance(host, JoinStep::Playing);
        ApplyTimeout(m_peers[host], host);
    }
    m_beatAt[host] = m_clock();
    m_silent[host] = false;
}

void EnetTransport::ConfirmInWorld(int host)
{
    // A player brought before its world arrived is no step further until the world's
    // acknowledgement comes (one lost on the way is resent, after the client's player).
    if (m_localHost != ConnectionManager::kServerHost || host <= ConnectionManager::kServerHost ||
        host > ConnectionManager::kMaxHost || !m_peers[host] || !Joined(host))
        return;
    m_playerBrought[host] = true;
}

bool EnetTransport::IsConnected(int host) const
{
    if (host < 0 || host > ConnectionManager::kMaxHost)
        return false;
    if (m_localHost == ConnectionManager::kServerHost)
        return host != ConnectionManager::kServerHost && m_peers[host] && Joined(host);
    return m_peers[host] != nullptr;
}

bool EnetTransport::PollConnectionEvent(NetConnectionEvent& event)
{
    if (m_inbox.PopEvent(event))
        return true;
    // The game has heard every client that answered and sent each its world.
    if (m_localHost == ConnectionManager::kServerHost)
        WelcomeAnswered();
    return false;
}

size_t EnetTransport::PeersHeld() const
{
    return static_cast<size_t>(std::count_if(m_host->peers, m_host->peers + m_host->peerCount, [](const ENetPeer& peer) {
        return peer.state != ENET_PEER_STATE_DISCONNECTED;
    }));
}

uint16_t EnetTransport::GetPort() const
{
    ENetAddress address{};
    if (enet_socket_get_address(m_host->socket, &address) != 0)
        return m_host->address.port;
    return address.port;
}

void EnetTransport::SetPeerTimeout(uint32_t minimumMs, uint32_t maximumMs)
{
    m_timeoutMinimum = minimumMs;
    m_timeoutMaximum = maximumMs;
    ApplyTimeouts();
}

void EnetTransport::SetJoinDeadline(int maximumMs)
{
    m_joinDeadlineMs = maximumMs;
    ApplyTimeouts();   // a joining connection's time-out follows it
}

void EnetTransport::ApplyTimeouts()
{
    for (int host = 0; host <= ConnectionManager::kMaxHost; ++host)
        if (m_peers[host])
            ApplyTimeout(m_peers[host], host);
}

void EnetTransport::ApplyTimeout(ENetPeer* peer, int host)
{
    // 0 is ENet's default: a connected peer takes the transport's time-out, never the one
    // its handshake had.
    uint32_t minimum = m_timeoutMinimum, maximum = m_timeoutMaximum;
    const bool joining = m_localHost == ConnectionManager::kServerHost && host > ConnectionManager::kServerHost &&
                         m_step[host] != JoinStep::Playing;
    const uint32_t deadline = m_joinDeadlineMs > 0 ? static_cast<uint32_t>(m_joinDeadlineMs) : 0;
    if (joining && maximum != 0 && deadline > maximum)
        minimum = maximum = deadline;
    enet_peer_timeout(peer, 0, minimum, maximum);
    const auto paused = FindPaused(peer);
    if (paused == m_paused.end())
        return;
    paused->minimum = peer->timeoutMinimum;
    paused->maximum = peer->timeoutMaximum;
    Lift(*paused);
}

int EnetTransport::HostOfPeer(const ENetPeer* peer) const
{
    for (int host = 0; host <= ConnectionManager::kMaxHost; ++host)
        if (m_peers[host] == peer)
            return host;
    return -1;
}

std::string EnetTransport::PeerName(const ENetPeer* peer) const
{
    return AddressName(peer->address.host) + ":" + std::to_string(peer->address.port);
}

}  // namespace GAME
