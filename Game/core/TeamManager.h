// The game's access point for the friend and foe rule of teams: between two teams,
// two characters or two object ids; and the standard teams.
#pragma once

#include <cstdint>

#include "Engine/CriticalSection.h"
#include "Game/core/Team.h"

namespace GAME {

class Character;

class TeamManager {
public:
    TeamManager() = default;
    TeamManager(const TeamManager&) = delete;
    TeamManager& operator=(const TeamManager&) = delete;

    bool IsFriend(const Team& a, const Team& b) const { return a.IsFriend(b); }
    bool IsFoe(const Team& a, const Team& b) const { return a.IsFoe(b); }
    bool IsFriend(const Character& a, const Character& b) const;
    bool IsFoe(const Character& a, const Character& b) const;
    // False when either id names no character. A character is never its own foe; it is
    // its own friend only as its team says (a player without a team number is not).
    bool IsFriend(uint32_t a, uint32_t b) const;
    bool IsFoe(uint32_t a, uint32_t b) const;

    static Team BuildTeam(uint32_t major, uint32_t minor);
    static Team DefaultPlayerTeam();
    static Team DefaultMonsterTeam();
    // The team of a character nobody can see: friendly, nobody's foe.
    static Team InvisibleTeam();

private:
    CriticalSection m_lock;
};

}  // namespace GAME
