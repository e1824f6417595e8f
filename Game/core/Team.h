// The side a character is on: a major team (friendly, hostile, players, monsters) and a
// minor team within it, with the fixed friend and foe rule between two teams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace GAME {

class NetPacketOutBuffer;
class NetPacketInBuffer;

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
    void AddToPacket(NetPacketOutBuffer& out) const;
    // Reads the packet form at the buffer's cursor. False when the bytes end too early:
    // the buffer keeps the reason, and the team holds what was read and zeros after it.
    bool RemoveFromPacket(NetPacketInBuffer& in);

    bool operator==(const Team& other) const = default;

private:
    uint32_t m_major = kTeamMajorFriendly;
    uint32_t m_minor = kTeamMinorNone;
    bool m_initialized = false;
};

namespace Wire {
// A team in its packet form, as character packets carry it.
struct TeamForm {
    static constexpr size_t kMinSize = 2;
    static void Write(NetPacketOutBuffer& out, const Team& value) { value.AddToPacket(out); }
    static void Read(NetPacketInBuffer& in, Team& value) { value.RemoveFromPacket(in); }
};
inline constexpr TeamForm team{};
}  // namespace Wire

}  // namespace GAME
