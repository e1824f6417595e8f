// What every peer knows of each player in a networked game: a heartbeat record,
// refreshed often, and the basic record, which adds the player's name and gender.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/World.h"

namespace GAME {

struct PlayerNetHeartbeatInfo {
    uint32_t playerId = 0;   // top 4 bits: the player's host
    float life = 0.0f;
    float maxLife = 0.0f;
    float mana = 0.0f;
    float maxMana = 0.0f;
    int32_t level = 0;
    uint32_t partyId = 0;
    WorldVec3 position;
    std::string classTag;                   // "tagCClass" and a number, normally
    std::vector<std::string> statusSkills;  // record names of the active status skills

    bool operator==(const PlayerNetHeartbeatInfo&) const = default;
};

struct PlayerNetBasicInfo : PlayerNetHeartbeatInfo {
    PlayerNetBasicInfo() = default;
    PlayerNetBasicInfo(const PlayerNetBasicInfo&) = default;
    PlayerNetBasicInfo& operator=(const PlayerNetBasicInfo&) = default;
    virtual ~PlayerNetBasicInfo() = default;

    // Replaces only the heartbeat part.
    PlayerNetBasicInfo& operator=(const PlayerNetHeartbeatInfo& heartbeat)
    {
        PlayerNetHeartbeatInfo::operator=(heartbeat);
        return *this;
    }

    std::u16string playerName;
    bool isMale = false;

    bool operator==(const PlayerNetBasicInfo&) const = default;
};

}  // namespace GAME
