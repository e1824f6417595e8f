// The side a character is on: a major team (friendly, hostile, players, monsters) and a
// minor team within it, with the fixed friend and foe rule between two teams.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

// Major teams.
inline constexpr uint32_t kTeamMajorFriendly = 0;   // never anyone's foe
inline constexpr uint32_t kTeamMajorHostile = 1;    // foe of everyone
inline constexpr uint32_t kTeamMajorHuman = 2;      // players
inline constexpr uint32_t kTeamMajorMonster = 3;

// Minor teams of monsters; for players the minor team is a team number, 0 for none.
inline constexpr uint32_t kTeamMinorNone = 0;
inline constexpr uint32_t kTeamMinorMonsterFriendly = 0;
inline constexpr uint32_t kTeamMinorMonsterHostile = 1;   // hostile to every other monster
inline constexpr uint32_t kTeamMinorMonsterRed = 2;
inline constexpr uint32_t kTeamMinorMonsterOrange = 3;
inline constexpr uint32_t kTeamMinorMonsterYellow = 4;
inline constexpr uint32_t kTeamMinorMonsterGreen = 5;
inline constexpr uint32_t kTeamMinorMonsterBlue = 6;
inline constexpr uint32_t kTeamMinorMonsterIndigo = 7;
inline constexpr uint32_t kTeamMinorMonsterViolet = 8;

class Team {
public:
    Team() = default;

    // Stores both numbers and marks the team as set.
    void Set(uint32_t major, uint32_t minor);
    bool IsInitialized() const { return m_initialized; }
    uint32_t GetTeamMajor() const { return m_major; }
    uint32_t GetTeamMinor() const { return m_minor; }

    bool IsFoe(const Team& other) const;
    bool IsFriend(const Team& other) const;

    // Sets the team from the words records name teams with ("TeamMajor_Monster",
    // "TeamMinorMonster_Red" ...). A word that is not known leaves its half as it was.
    void ConvertFromHistoricalTeam(const std::string& majorName, const std::string& minorName);

    // The packet form: one byte (major team in bits 0-1, set flag in bit 2, bit 3 when
    // the minor team follows in one byte), then the minor team in one byte or in four
    // little-endian bytes. Only majors 0 to 3 survive the trip.
    void AddToPacket(std::vector<uint8_t>& out) const;
    // Reads the packet form at `cursor` and moves the cursor past it. Data that ends
    // too early is logged and rejected: the team and the cursor stay as they were.
    bool RemoveFromPacket(const uint8_t*& cursor, const uint8_t* end);

    bool operator==(const Team& other) const = default;

private:
    uint32_t m_major = kTeamMajorFriendly;
    uint32_t m_minor = kTeamMinorNone;
    bool m_initialized = false;
};

}  // namespace GAME
