// Players remembered for a while, one entry each, as many as a game has hosts: a full list
// forgets its oldest entry to take a new one, so that no peer can make it grow.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Engine/ConnectionManager.h"

namespace GAME {

class HostPlayerList {
public:
    static constexpr size_t kMaxPlayers = ConnectionManager::kMaxHost + 1;

    // Remembers `player` (once, however often it is added).
    void Add(uint32_t player)
    {
        if (std::find(m_players.begin(), m_players.end(), player) != m_players.end())
            return;
        if (m_players.size() >= kMaxPlayers)
            m_players.erase(m_players.begin());
        m_players.push_back(player);
    }
    // Forgets `player`; false when it was not remembered.
    bool Take(uint32_t player)
    {
        const auto found = std::find(m_players.begin(), m_players.end(), player);
        if (found == m_players.end())
            return false;
        m_players.erase(found);
        return true;
    }
    void Clear() { m_players.clear(); }

private:
    std::vector<uint32_t> m_players;
};

}  // namespace GAME
