// What each client host sees: the server keeps, per client host, the frustum it views the
// world through and the ids of the objects it has been sent, so that it knows what to send
// when that view changes.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "Engine/WorldCamera.h"

namespace GAME {

struct NetworkFrustumEntry {
    int hostId = -1;
    WorldFrustum frustum;
    std::vector<uint32_t> objectIds;
};

class NetworkEntityList {
public:
    static NetworkEntityList& Get();

    // Replaces the host's entry (a host has at most one).
    void SetFrustumEntry(const NetworkFrustumEntry& entry);
    // A copy of the host's entry; false when it has none.
    bool GetFrustumEntry(int hostId, NetworkFrustumEntry& out) const;
    // Takes the host's entry out of the list (while its player is between places); null
    // when it has none.
    std::unique_ptr<NetworkFrustumEntry> StealFrustumEntryOfHost(int hostId);
    // Puts a taken entry back, replacing any the host has gained meanwhile; null is ignored.
    void ReturnFrustumEntry(std::unique_ptr<NetworkFrustumEntry> entry);
    void RemoveHost(int hostId);
    void Clear();

private:
    mutable std::mutex m_lock;
    std::vector<NetworkFrustumEntry> m_entries;
};

}  // namespace GAME
