#include "Engine/NetworkEntityList.h"

#include <algorithm>

namespace GAME {

NetworkEntityList& NetworkEntityList::Get()
{
    static NetworkEntityList list;
    return list;
}

void NetworkEntityList::SetFrustumEntry(const NetworkFrustumEntry& entry)
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (NetworkFrustumEntry& held : m_entries) {
        if (held.hostId == entry.hostId) {
            held = entry;
            return;
        }
    }
    m_entries.push_back(entry);
}

bool NetworkEntityList::GetFrustumEntry(int hostId, NetworkFrustumEntry& out) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (const NetworkFrustumEntry& held : m_entries) {
        if (held.hostId == hostId) {
            out = held;
            return true;
        }
    }
    return false;
}

std::unique_ptr<NetworkFrustumEntry> NetworkEntityList::StealFrustumEntryOfHost(int hostId)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto found = std::find_if(m_entries.begin(), m_entries.end(),
                              [hostId](const NetworkFrustumEntry& held) { return held.hostId == hostId; });
    if (found == m_entries.end())
        return nullptr;
    auto taken = std::make_unique<NetworkFrustumEntry>(std::move(*found));
    m_entries.erase(found);
    return taken;
}

void NetworkEntityList::ReturnFrustumEntry(std::unique_ptr<NetworkFrustumEntry> entry)
{
    if (entry)
        SetFrustumEntry(*entry);
}

void NetworkEntityList::RemoveHost(int hostId)
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::erase_if(m_entries, [hostId](const NetworkFrustumEntry& held) { return held.hostId == hostId; });
}

void NetworkEntityList::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.clear();
}

}  // namespace GAME
