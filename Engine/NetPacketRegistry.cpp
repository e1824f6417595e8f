#include "Engine/NetPacketRegistry.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "Engine/Engine.h"
#include "Engine/GameClock.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacketBuffer.h"

namespace GAME {

namespace {

// The packet this thread's handler runs, and its sender (see DropHandled).
struct Handling {
    const NetPacket* packet = nullptr;
    int fromHost = 0;
    bool mayHold = false;             // whether the handler may ask to be asked again
    const char* holdReason = nullptr; // set when it asked (HoldHandled)
};
thread_local Handling tHandling;

}  // namespace

NetPacketRegistry& NetPacketRegistry::Get()
{
    static NetPacketRegistry registry;
    return registry;
}

bool NetPacketRegistry::RegisterType(NetPacketType type, const RTTI_ClassInfo& info)
{
    CriticalSectionLock lock(m_lock);
    auto [it, added] = m_types.emplace(type, &info);
    if (!added)
        gEngine->Log(LOG_ERROR, "NetPacketRegistry: type %u is taken by %s; %s is not registered", type,
                     it->second->GetName(), info.GetName());
    return added;
}

const RTTI_ClassInfo* NetPacketRegistry::FindType(NetPacketType type) const
{
    CriticalSectionLock lock(m_lock);
    auto it = m_types.find(type);
    return it == m_types.end() ? nullptr : it->second;
}

std::vector<NetPacketType> NetPacketRegistry::GetTypes() const
{
    CriticalSectionLock lock(m_lock);
    std::vector<NetPacketType> types;
    for (const auto& entry : m_types)
        types.push_back(entry.first);
    return types;
}

std::unique_ptr<NetPacket> NetPacketRegistry::Create(NetPacketType type) const
{
    const RTTI_ClassInfo* info = FindType(type);
    if (!info || !info->GetFactory())
        return nullptr;
    std::unique_ptr<NetPacket> packet(static_cast<NetPacket*>(info->GetFactory()()));
    if (packet && packet->GetType() != type) {
        gEngine->Log(LOG_ERROR, "NetPacketRegistry: %s is registered as type %u but has type %u", info->GetName(),
                     type, packet->GetType());
        return nullptr;
    }
    return packet;
}

void NetPacketRegistry::SetHandler(NetPacketType type, Handler handler)
{
    CriticalSectionLock lock(m_lock);
    if (handler)
        m_handlers[type] = std::make_shared<const Handler>(std::move(handler));
    else
        m_handlers.erase(type);
}

void NetPacketRegistry::ClearHandlers()
{
    CriticalSectionLock lock(m_lock);
    m_handlers.clear();
}

void NetPacketRegistry::SwapHandlers(Handlers& handlers)
{
    CriticalSectionLock lock(m_lock);
    Handlers previous;
    for (auto& [type, handler] : m_handlers)
        previous.emplace(type, *handler);
    m_handlers.clear();
    for (auto& [type, handler] : handlers)
        if (handler)
            m_handlers.emplace(type, std::make_shared<const Handler>(std::move(handler)));
    handlers.swap(previous);
}

void NetPacketRegistry::SetAppliedObserver(Handler observer)
{
    CriticalSectionLock lock(m_lock);
    m_appliedObserver = observer ? std::make_shared<const Handler>(std::move(observer)) : nullptr;
}

bool NetPacketRegistry::PeekType(const unsigned char* data, size_t size, NetPacketType& type)
{
    if (!data || size < NetLimits::kHeaderSize)
        return false;
    type = NetBytes::LoadU16(data);
    return true;
}

bool NetPacketRegistry::Dispatch(int fromHost, const unsigned char* data, size_t size)
{
    NetPacketType type = 0;
    if (!PeekType(data, size, type))
        return LogNetDrop("Packet", fromHost, "%zu bytes is shorter than a header", size);
    const auto typed = [type] { return "Packet of type " + std::to_string(type); };
    if (size > NetLimits::kMaxPacketSize)
        return LogNetDrop(typed(), fromHost, "%zu bytes is larger than the largest packet", size);
    std::unique_ptr<NetPacket> packet = Create(type);
    if (!packet)
        return LogNetDrop(typed(), fromHost, "no packet of that type (%zu bytes)", size);
    if (!packet->CopyInbound(data, static_cast<int>(size))) {
        // Each read error is a reason of its own; the kinds the drop log keeps are bounded.
        const std::string error = packet->GetReadError();
        return NetDropLog::Note(packet->GetClassName(), fromHost, error.c_str(), error);
    }
    const bool resolves = packet->CheckObjects(0);
    std::vector<uint32_t> waitsFor;
    bool mayHold = false;
    {
        CriticalSectionLock lock(m_lock);
        mayHold = m_holdTries > 1;
        if (!resolves && m_holdTries <= 1)
            return LogNetDrop(packet->GetClassName(), fromHost, "it names objects that do not exist");
        if (!m_held.empty()) {
            std::vector<uint32_t> named;
            packet->CollectObjectIds(named, false);
            waitsFor = HeldWaitsFor(named);
        }
        if (!resolves || !waitsFor.empty()) {
            if (!resolves)
                packet->CollectObjectIds(waitsFor, true);
            if (m_held.size() >= kMaxHeld)
                DropOldestOfBusiestHost();
            static constexpr const char* kHeld = "it names objects that do not exist yet";
            static constexpr const char* kBehind = "it follows packets held for the same objects";
            const char* reason = resolves ? kBehind : kHeld;
            NetDropLog::Note(packet->GetClassName(), fromHost, reason, reason, "held");
            m_held.push_back({std::move(packet), fromHost, 1, GameClock::Get().GetRealTime(), std::move(waitsFor)});
            return false;
        }
    }
    const char* heldFor = nullptr;
    const bool applied = Handle(*packet, fromHost, mayHold, &heldFor);
    if (heldFor) {
        // The handler waits for the game to come to something: the packet is held, and what
        // comes later for the objects it names waits behind it.
        std::vector<uint32_t> named;
        packet->CollectObjectIds(named, false);
        const char* className = packet->GetClassName();
        CriticalSectionLock lock(m_lock);
        if (m_held.size() >= kMaxHeld)
            DropOldestOfBusiestHost();
        NetDropLog::Note(className, fromHost, heldFor, heldFor, "held");
        m_held.push_back({std::move(packet), fromHost, 1, GameClock::Get().GetRealTime(), std::move(named)});
    }
    return applied;
}

std::vector<uint32_t> NetPacketRegistry::HeldWaitsFor(const std::vector<uint32_t>& named) const
{
    std::vector<uint32_t> shared;
    for (uint32_t id : named) {
        const bool waited = std::any_of(m_held.begin(), m_held.end(), [id](const Held& held) {
            return std::find(held.waitsFor.begin(), held.waitsFor.end(), id) != held.waitsFor.end();
        });
        if (waited && std::find(shared.begin(), shared.end(), id) == shared.end())
            shared.push_back(id);
    }
    return shared;
}

bool NetPacketRegistry::HoldHandled(const char* reason)
{
    if (!tHandling.packet || !tHandling.mayHold || !reason)
        return false;
    tHandling.holdReason = reason;
    return true;
}

bool NetPacketRegistry::Handle(NetPacket& packet, int fromHost, bool mayHold, const char** heldFor)
{
    std::shared_ptr<const Handler> handler;
    std::shared_ptr<const Handler> observer;
    {
        CriticalSectionLock lock(m_lock);
        auto it = m_handlers.find(packet.GetType());
        if (it != m_handlers.end())
            handler = it->second;
        observer = m_appliedObserver;
    }
    if (!handler)
        return LogNetDrop(packet.GetClassName(), fromHost, "no handler");
    // A handler refuses through the drop log: a drop it noted on this thread (other threads
    // drop on their own) means the packet, or a part of it, was refused, and it is not
    // reported as applied.
    const uint64_t dropsBefore = NetDropLog::GetThreadTotal();
    const Handling outer = tHandling;
    tHandling = {&packet, fromHost, mayHold && heldFor, nullptr};
    (*handler)(packet, fromHost);
    const char* holdReason = tHandling.holdReason;
    tHandling = outer;
    if (heldFor)
        *heldFor = holdReason;
    if (holdReason)
        return false;   // neither applied nor refused: asked again later
    packet.FinishObjectProcessing();
    const bool refused = NetDropLog::GetThreadTotal() != dropsBefore;
    if (observer && !refused)
        (*observer)(packet, fromHost);
    return !refused;
}

bool NetPacketRegistry::DropHandled(const char* what, const char* reasonFormat, ...)
{
    va_list arguments;
    va_start(arguments, reasonFormat);
    if (tHandling.packet) {
        LogNetDropV(tHandling.packet->GetClassName(), tHandling.fromHost, reasonFormat, arguments);
    } else {
        char reason[512];
        std::vsnprintf(reason, sizeof reason, reasonFormat, arguments);
        gEngine->Log(LOG_WARNING, "%s: %s", what, reason);
    }
    va_end(arguments);
    return false;
}

bool NetPacketRegistry::NoteHandledDrop(const char* reasonKey, std::string_view reason)
{
    if (!tHandling.packet)
        return false;
    NetDropLog::Note(tHandling.packet->GetClassName(), tHandling.fromHost, reasonKey, reason);
    return true;
}

void NetPacketRegistry::SetHoldLimits(int tries, int ms)
{
    CriticalSectionLock lock(m_lock);
    m_holdTries = std::max(tries, 0);
    m_holdMs = std::max(ms, 0);
    m_held.clear();
}

size_t NetPacketRegistry::GetHeldCount() const
{
    CriticalSectionLock lock(m_lock);
    return m_held.size();
}

int NetPacketRegistry::RetryHeld()
{
    // Most frames hold nothing: they leave before any list is made (a deque allocates).
    {
        CriticalSectionLock lock(m_lock);
        if (m_held.empty())
            return 0;
    }
    // What is held now is tried once; a handler may hold or dispatch further packets.
    std::deque<Held> pending;
    int maxTries = 0;
    uint32_t maxAge = 0;
    {
        CriticalSectionLock lock(m_lock);
        pending.swap(m_held);
        maxTries = m_holdTries;
        maxAge = static_cast<uint32_t>(m_holdMs);
    }
    int applied = 0;
    const uint32_t now = GameClock::Get().GetRealTime();
    std::deque<Held> still;
    // The objects the packets that stay wait for: a later packet naming one stays too.
    std::vector<uint32_t> blocked;
    std::vector<uint32_t> named;
    const auto block = [&blocked](const std::vector<uint32_t>& ids) {
        for (uint32_t id : ids)
            if (std::find(blocked.begin(), blocked.end(), id) == blocked.end())
                blocked.push_back(id);
    };
    for (Held& held : pending) {
        named.clear();
        held.packet->CollectObjectIds(named, false);
        const bool behind = std::any_of(named.begin(), named.end(), [&blocked](uint32_t id) {
            return std::find(blocked.begin(), blocked.end(), id) != blocked.end();
        });
        if (behind) {
            block(held.waitsFor);
            still.push_back(std::move(held));
            continue;
        }
        if (held.packet->CheckObjects(held.tries)) {
            // A handler that asks again at its last try refuses instead.
            const bool last = held.tries + 1 >= maxTries || now - held.since >= maxAge;
            const char* heldFor = nullptr;
            applied += Handle(*held.packet, held.fromHost, !last, &heldFor) ? 1 : 0;
            if (!heldFor)
                continue;
            ++held.tries;
            block(held.waitsFor);
            still.push_back(std::move(held));
            continue;
        }
        ++held.tries;
        if (held.tries >= maxTries || now - held.since >= maxAge) {
            LogNetDrop(held.packet->GetClassName(), held.fromHost, "the objects it names did not arrive (%d tries)",
                       held.tries);
            continue;
        }
        // What it waited for before still orders the packets behind it, arrived or not.
        named.clear();
        held.packet->CollectObjectIds(named, true);
        for (uint32_t id : named)
            if (std::find(held.waitsFor.begin(), held.waitsFor.end(), id) == held.waitsFor.end())
                held.waitsFor.push_back(id);
        block(held.waitsFor);
        still.push_back(std::move(held));
    }
    CriticalSectionLock lock(m_lock);
    // Packets held meanwhile came later: they stay behind the older ones.
    for (Held& held : m_held)
        still.push_back(std::move(held));
    m_held.swap(still);
    while (m_held.size() > kMaxHeld)
        DropOldestOfBusiestHost();
    return applied;
}

void NetPacketRegistry::DropOldestOfBusiestHost()
{
    if (m_held.empty())
        return;
    std::map<int, size_t> heldBy;
    for (const Held& held : m_held)
        ++heldBy[held.fromHost];
    const int busiest = std::max_element(heldBy.begin(), heldBy.end(), [](const auto& a, const auto& b) {
                            return a.second < b.second;
                        })->first;
    const auto oldest = std::find_if(m_held.begin(), m_held.end(), [busiest](const Held& held) { return held.fromHost == busiest; });
    if (oldest == m_held.end())
        return;
    LogNetDrop(oldest->packet->GetClassName(), oldest->fromHost, "too many packets wait for their objects");
    m_held.erase(oldest);
}

}  // namespace GAME
