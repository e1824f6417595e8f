#include "Game/core/Team.h"

#include <iterator>

#include "Engine/GameServices.h"
#include "Engine/NetPacketBuffer.h"

namespace GAME {

namespace {

struct HistoricalName {
    const char* word;
    uint32_t team;
};

constexpr HistoricalName kHistoricalMajors[] = {
    {"TeamMajor_Hostile", kTeamMajorHostile},
    {"TeamMajor_Friendly", kTeamMajorFriendly},
    {"TeamMajor_Human", kTeamMajorHuman},
    {"TeamMajor_Monster", kTeamMajorMonster},
};

constexpr HistoricalName kHistoricalMinors[] = {
    {"TeamMinorMonster_Friendly", kTeamMinorMonsterFriendly},
    {"TeamMinorMonster_Red", kTeamMinorMonsterRed},
    {"TeamMinorMonster_Orange", kTeamMinorMonsterOrange},
    {"TeamMinorMonster_Yellow", kTeamMinorMonsterYellow},
    {"TeamMinorMonster_Green", kTeamMinorMonsterGreen},
    {"TeamMinorMonster_Blue", kTeamMinorMonsterBlue},
    {"TeamMinorMonster_Indigo", kTeamMinorMonsterIndigo},
    {"TeamMinorMonster_Violet", kTeamMinorMonsterViolet},
};

// Records have always given monsters with this word the default monster team: it sets
// no minor team and leaves the team to be filled in by the character's kind.
constexpr const char* kHistoricalMinorHostile = "TeamMinorMonster_Hostile";

// The first byte of the packet form.
constexpr uint8_t kPacketMajorMask = 0x03;
constexpr uint8_t kPacketInitializedBit = 0x04;
constexpr uint8_t kPacketShortFormBit = 0x08;
constexpr uint32_t kShortFormLimit = 256;

const HistoricalName* FindHistorical(const HistoricalName* begin, const HistoricalName* end, const std::string& word)
{
    for (const HistoricalName* entry = begin; entry != end; ++entry)
        if (word == entry->word)
            return entry;
    return nullptr;
}

bool MonstersAreFoes(uint32_t a, uint32_t b)
{
    if (a == kTeamMinorMonsterHostile || b == kTeamMinorMonsterHostile)
        return true;
    if (a == kTeamMinorMonsterFriendly)
        return false;
    return b != kTeamMinorMonsterFriendly && b != a;
}

bool PlayersAreFoes(uint32_t a, uint32_t b)
{
    return GameInfo::Get().GetPvP() && a != kTeamMinorNone && b != kTeamMinorNone && a != b;
}

}  // namespace

void Team::Set(uint32_t major, uint32_t minor)
{
    m_major = major;
    m_minor = minor;
    m_initialized = true;
}

bool Team::IsFoe(const Team& other) const
{
    if (m_major == kTeamMajorHostile || other.m_major == kTeamMajorHostile)
        return true;
    if (m_major == kTeamMajorFriendly || other.m_major == kTeamMajorFriendly)
        return false;
    if (m_major != other.m_major)
        return true;
    if (m_major == kTeamMajorHuman)
        return PlayersAreFoes(m_minor, other.m_minor);
    if (m_major == kTeamMajorMonster)
        return MonstersAreFoes(m_minor, other.m_minor);
    return true;
}

bool Team::IsFriend(const Team& other) const
{
    if (m_major == kTeamMajorHuman && other.m_major == kTeamMajorHuman)
        return m_minor == other.m_minor && m_minor != kTeamMinorNone;
    return !IsFoe(other);
}

void Team::ConvertFromHistoricalTeam(const std::string& majorName, const std::string& minorName)
{
    if (majorName.empty() && minorName.empty())
        return;
    if (const HistoricalName* major =
            FindHistorical(std::begin(kHistoricalMajors), std::end(kHistoricalMajors), majorName)) {
        m_major = major->team;
        m_initialized = true;
    }
    if (const HistoricalName* minor =
            FindHistorical(std::begin(kHistoricalMinors), std::end(kHistoricalMinors), minorName)) {
        m_minor = minor->team;
        m_initialized = true;
    } else if (minorName == kHistoricalMinorHostile) {
        m_initialized = false;
    }
}

void Team::AddToPacket(NetPacketOutBuffer& out) const
{
    const bool shortForm = m_minor < kShortFormLimit;
    uint8_t flags = static_cast<uint8_t>(m_major & kPacketMajorMask);
    if (m_initialized)
        flags |= kPacketInitializedBit;
    if (shortForm)
        flags |= kPacketShortFormBit;
    out.AddU8(flags);
    if (shortForm)
        out.AddU8(static_cast<uint8_t>(m_minor));
    else
        out.AddU32(m_minor);
}

bool Team::RemoveFromPacket(NetPacketInBuffer& in)
{
    const uint8_t flags = in.RemoveU8();
    m_major = flags & kPacketMajorMask;
    m_initialized = (flags & kPacketInitializedBit) != 0;
    m_minor = (flags & kPacketShortFormBit) ? in.RemoveU8() : in.RemoveU32();
    return in.IsOk();
}

}  // namespace GAME
