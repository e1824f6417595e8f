// The roster records the player managers keep per player and exchange between peers: the
// frequently refreshed heartbeat, and the basic record that adds the name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/World.h"

namespace GAME {

// A player id carries the id of its network host in its top 4 bits.
inline constexpr int kPlayerHostIdShift = 28;
inline constexpr int PlayerHostId(uint32_t playerId)
{
    return static_cast<int>(playerId >> kPlayerHostIdShift);
}

struct PlayerNetHeartbeatInfo {
    uint32_t playerId = 0;   // its top 4 bits are the player's network host id
    float life = 0.0f;
    float maxLife = 0.0f;
    float mana = 0.0f;
    float maxMana = 0.0f;
    int32_t level = 0;
    uint32_t partyId = 0;    // 0: no party
    WorldVec3 position;
    std::string classTag;
    std::vector<std::string> statusSkills;   // record names of the active status skills

    bool operator==(const PlayerNetHeartbeatInfo&) const = default;
};

// Assigning a heartbeat onto a basic record replaces only its heartbeat part.
struct PlayerNetBasicInfo : PlayerNetHeartbeatInfo {
    PlayerNetBasicInfo() = default;
    PlayerNetBasicInfo(const PlayerNetBasicInfo&) = default;
    PlayerNetBasicInfo(PlayerNetBasicInfo&&) = default;
    PlayerNetBasicInfo& operator=(const PlayerNetBasicInfo&) = default;
    PlayerNetBasicInfo& operator=(PlayerNetBasicInfo&&) = default;
    virtual ~PlayerNetBasicInfo() = default;
    using PlayerNetHeartbeatInfo::operator=;

    std::u16string playerName;
    bool isMale = false;

    bool operator==(const PlayerNetBasicInfo&) const = default;
};

// A roster: the ids of the players in the game and a record per player, kept parallel.

// Sets the party of every record of that player.
inline void SetRosterParty(std::vector<PlayerNetBasicInfo>& records, uint32_t player, int party)
{
    for (PlayerNetBasicInfo& record : records)
        if (record.playerId == player)
            record.partyId = static_cast<uint32_t>(party);
}

// Removes every id of that network host with its record, telling `leaving` each id first.
template <class OnLeave>
void RemoveRosterHost(std::vector<uint32_t>& ids, std::vector<PlayerNetBasicInfo>& records, int host,
                      OnLeave leaving)
{
    for (size_t i = 0; i < ids.size();) {
        if (PlayerHostId(ids[i]) != host) {
            ++i;
            continue;
        }
        leaving(ids[i]);
        ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(i));
        if (i < records.size())
            records.erase(records.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

}  // namespace GAME
