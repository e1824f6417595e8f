#include "Engine/ConnectionManager.h"

#include <algorithm>
#include <iterator>

#include "Engine/ObjectManager.h"

#include "Engine/Engine.h"
#include "Engine/GameClock.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacketRegistry.h"

namespace GAME {

// ---- Inbox ------------------------------------------------------------------------------

namespace {
constexpr const char* kQueueFull = "the host's queue is full";
}

bool NetInbox::Admit(int fromHost, size_t size)
{
    if (fromHost < 0 || fromHost >= kHosts)
        return LogNetDrop("NetInbox: a received packet", fromHost, "no host has that number");
    const HostQueue& queue = m_hosts[static_cast<size_t>(fromHost)];
    // A fixed reason: a flood's drops are only counted, at no cost of formatting each.
    if (queue.packets.size() >= kMaxPackets || size > kMaxBytes - queue.bytes)
        return NetDropLog::Note("NetInbox: a received packet", fromHost, kQueueFull, kQueueFull);
    return true;
}

void NetInbox::PushPacket(int fromHost, std::vector<unsigned char> bytes)
{
    if (Admit(fromHost, bytes.size()))
        Store(fromHost, std::move(bytes));
}

void NetInbox::PushPacket(int fromHost, const unsigned char* data, size_t size)
{
    if (Admit(fromHost, size))
        Store(fromHost, std::vector<unsigned char>(data, data + size));
}

void NetInbox::Store(int fromHost, std::vector<unsigned char> bytes)
{
    HostQueue& queue = m_hosts[static_cast<size_t>(fromHost)];
    queue.bytes += bytes.size();
    queue.packets.emplace_back(m_arrivals++, std::move(bytes));
}

bool NetInbox::PopPacket(int& fromHost, std::vector<unsigned char>& bytes)
{
    HostQueue* oldest = nullptr;
    for (HostQueue& queue : m_hosts) {
        if (queue.packets.empty() || (oldest && oldest->packets.front().first < queue.packets.front().first))
            continue;
        const size_t size = queue.packets.front().second.size();
        const bool spent = (m_roundPackets && queue.takenPackets >= m_roundPackets) ||
                           (m_roundBytes && queue.takenPackets > 0 && size > m_roundBytes - std::min(m_roundBytes, queue.takenBytes));
        if (!spent)
            oldest = &queue;
    }
    if (!oldest)
        return false;
    fromHost = static_cast<int>(oldest - m_hosts.data());
    bytes = std::move(oldest->packets.front().second);
    oldest->packets.pop_front();
    oldest->bytes -= bytes.size();
    ++oldest->takenPackets;
    oldest->takenBytes += bytes.size();
    return true;
}

void NetInbox::SetRoundBudget(size_t packets, size_t bytes)
{
    m_roundPackets = packets;
    m_roundBytes = bytes;
}

void NetInbox::NextRound()
{
    for (HostQueue& queue : m_hosts)
        queue.takenPackets = queue.takenBytes = 0;
}

void NetInbox::DiscardHost(int host)
{
    if (host < 0 || host >= kHosts || m_hosts[static_cast<size_t>(host)].packets.empty())
        return;
    HostQueue& queue = m_hosts[static_cast<size_t>(host)];
    LogNetDrop("NetInbox: a received packet", host, "%zu waiting from a connection that is gone, its number given to another",
               queue.packets.size());
    queue.packets.clear();
    queue.bytes = 0;
}

bool NetInbox::Holds(int host) const
{
    return host >= 0 && host < kHosts && !m_hosts[static_cast<size_t>(host)].packets.empty();
}

void NetInbox::PushEvent(NetConnectionEvent event)
{
    if (m_droppedEvents.Admit(m_events.size(), kMaxEvents))
        m_events.push_back(std::move(event));
}

bool NetInbox::PopEvent(NetConnectionEvent& event)
{
    if (m_events.empty())
        return false;
    event = std::move(m_events.front());
    m_events.pop_front();
    return true;
}

// ---- Recording transport --------------------------------------------------------------

NetPacketType RecordingTransport::SentPacket::Type() const
{
    NetPacketType type = 0;
    NetPacketRegistry::PeekType(bytes.data(), bytes.size(), type);
    return type;
}

void RecordingTransport::Send(const NetDestination& to, const unsigned char* data, size_t size)
{
    sent.push_back({to, std::vector<unsigned char>(data, data + size)});
}

bool RecordingTransport::Receive(int& fromHost, std::vector<unsigned char>& bytes)
{
    return m_inbox.PopPacket(fromHost, bytes);
}

void RecordingTransport::Disconnect(int host, const std::string& reason)
{
    disconnections.push_back({host, reason});
    m_connected.erase(host);
}

bool RecordingTransport::IsConnected(int host) const
{
    return m_connected.count(host) != 0;
}

void RecordingTransport::Connect(int host)
{
    m_connected.insert(host);
}

void RecordingTransport::Feed(int fromHost, std::vector<unsigned char> bytes)
{
    m_inbox.PushPacket(fromHost, std::move(bytes));
}

void RecordingTransport::QueueEvent(NetConnectionEvent event)
{
    if (event.kind == NetConnectionEvent::Joined)
        m_connected.insert(event.host);
    else if (event.kind == NetConnectionEvent::Left || event.kind == NetConnectionEvent::TimedOut)
        m_connected.erase(event.host);
    m_inbox.PushEvent(std::move(event));
}

bool RecordingTransport::PollConnectionEvent(NetConnectionEvent& event)
{
    return m_inbox.PopEvent(event);
}

// ---- Connection manager ---------------------------------------------------------------

ConnectionManager& ConnectionManager::Get()
{
    static ConnectionManager manager;
    return manager;
}

ConnectionManager* Engine::GetNetworkConnectionManager()
{
    return &ConnectionManager::Get();
}

// Other peers, another session: what was counted of the last one is logged and forgotten.
void ConnectionManager::SetTransport(NetTransport* transport)
{
    NetDropLog::Reset();
    CriticalSectionLock lock(m_lock);
    m_transport = transport;
    m_requestBudgets.clear();
}

NetTransport* ConnectionManager::GetTransport() const
{
    CriticalSectionLock lock(m_lock);
    return m_transport;
}

void ConnectionManager::SetLocalHostId(int host)
{
    {
        CriticalSectionLock lock(m_lock);
        m_localHost = host;
    }
    // Objects this host makes carry its number, so no two hosts make the same id.
    if (host >= 0)
        ObjectManager::Get().SetIdHost(host);
}

int ConnectionManager::GetLocalHostId() const
{
    CriticalSectionLock lock(m_lock);
    return m_localHost;
}

bool ConnectionManager::Send(const NetDestination& to, NetPacket& packet)
{
    CriticalSectionLock lock(m_lock);
    if (!m_transport) {
        gEngine->Log(LOG_WARNING, "ConnectionManager: no transport; %s not sent", packet.GetClassName());
        return false;
    }
    const uint32_t size = packet.PrepareOutBuffer();
    if (size == 0)
        return false;   // PrepareOutBuffer logged why
    m_transport->Send(to, packet.GetOutBuffer(), size);
    return true;
}

bool ConnectionManager::SendToServer(NetPacket& packet)
{
    return Send({NetDestination::Server, kServerHost}, packet);
}

bool ConnectionManager::SendToAllClients(NetPacket& packet)
{
    return Send({NetDestination::AllClients, -1}, packet);
}

bool ConnectionManager::SendToHost(int host, NetPacket& packet)
{
    return Send({NetDestination::Host, host}, packet);
}

bool ConnectionManager::SendToPlayer(uint32_t playerId, NetPacket& packet)
{
    return SendToHost(HostOfPlayer(playerId), packet);
}

bool ConnectionManager::SendToOtherClients(int exceptHost, NetPacket& packet)
{
    return Send({NetDestination::OtherClients, exceptHost}, packet);
}

bool ConnectionManager::SendActorCommand(NetPacket& packet, int fromHost)
{
    const bool server = GetLocalHostId() == kServerHost;
    if (fromHost < 0)
        return server ? SendToAllClients(packet) : SendToServer(packet);
    if (!server || fromHost == kServerHost || fromHost > kMaxHost)
        return false;
    return SendToOtherClients(fromHost, packet);
}

void ConnectionManager::Disconnect(int host, const std::string& reason)
{
    CriticalSectionLock lock(m_lock);
    if (m_transport)
        m_transport->Disconnect(host, reason);
}

void ConnectionManager::ConfirmJoined(int host)
{
    ConfirmJoinStep(host, &NetTransport::ConfirmJoined);
}

void ConnectionManager::ConfirmInWorld(int host)
{
    ConfirmJoinStep(host, &NetTransport::ConfirmInWorld);
}

void ConnectionManager::ConfirmJoinStep(int host, void (NetTransport::*confirm)(int))
{
    if (host <= kServerHost || host > kMaxHost)
        return;
    CriticalSectionLock lock(m_lock);
    if (m_transport)
        (m_transport->*confirm)(host);
}

bool ConnectionManager::IsClientConnected(int host) const
{
    if (host <= kServerHost || host > kMaxHost)
        return false;
    CriticalSectionLock lock(m_lock);
    return m_transport && m_transport->IsConnected(host);
}

bool ConnectionManager::HandleIncoming(int fromHost, const unsigned char* data, size_t size)
{
    return NetPacketRegistry::Get().Dispatch(fromHost, data, size);
}

void ConnectionManager::SetConnectionListener(std::function<void(const NetConnectionEvent&)> listener)
{
    CriticalSectionLock lock(m_lock);
    m_listener = std::move(listener);
}

int ConnectionManager::ProcessIncoming()
{
    NetDropLog::Flush();
    {
        CriticalSectionLock lock(m_lock);
        if (m_transport)
            m_transport->Service();
    }
    // Joins and leaves come before the packets, so a packet from a host that has just
    // joined finds it known. The listener runs unlocked: it may send or disconnect.
    NetConnectionEvent event;
    for (;;) {
        std::function<void(const NetConnectionEvent&)> listener;
        {
            CriticalSectionLock lock(m_lock);
            if (!m_transport || !m_transport->PollConnectionEvent(event))
                break;
            listener = m_listener;
        }
        if (event.kind == NetConnectionEvent::Joined || event.kind == NetConnectionEvent::Left ||
            event.kind == NetConnectionEvent::TimedOut)
            ForgetRequests(event.host);
        if (listener)
            listener(event);
    }

    int handled = 0;
    int fromHost = 0;
    std::vector<unsigned char> bytes;
    for (;;) {
        {
            CriticalSectionLock lock(m_lock);
            if (!m_transport || !m_transport->Receive(fromHost, bytes))
                break;
        }
        if (HandleIncoming(fromHost, bytes.data(), bytes.size()))
            ++handled;
    }
    return handled;
}

bool ConnectionManager::TakeRequest(int host, unsigned kind, RequestRate rate)
{
    if (host < 0 || host > kMaxHost)
        return false;
    constexpr uint64_t kWhole = 1000;   // a request, in the budget's thousandths
    const uint64_t full = uint64_t{rate.burst} * kWhole;
    const uint32_t now = GameClock::Get().GetRealTime();
    CriticalSectionLock lock(m_lock);
    auto [budget, added] = m_requestBudgets.try_emplace({host, kind}, RequestBudget{full, now});
    if (!added) {
        // perSecond requests a second are perSecond thousandths a millisecond.
        const uint64_t elapsed = now - budget->second.filledAt;
        budget->second.left = std::min(full, budget->second.left + elapsed * rate.perSecond);
        budget->second.filledAt = now;
    }
    if (budget->second.left < kWhole)
        return false;
    budget->second.left -= kWhole;
    return true;
}

void ConnectionManager::ForgetRequests(int host)
{
    CriticalSectionLock lock(m_lock);
    for (auto it = m_requestBudgets.begin(); it != m_requestBudgets.end();)
        it = it->first.first == host ? m_requestBudgets.erase(it) : std::next(it);
}

}  // namespace GAME
