// Teams: the friend and foe rule, the legacy team words, the tests by character id, and
// the team's packet form.
#include <gtest/gtest.h>

#include <vector>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/TeamManager.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {
namespace {

Team Make(uint32_t major, uint32_t minor) { return TeamManager::BuildTeam(major, minor); }

class TeamTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        GameInfo::Get().Reset();
        ObjectManager::Get().DestroyAllObjects();
    }
};

TEST_F(TeamTest, FriendAndFoeMatrix)
{
    constexpr uint32_t H = kTeamMajorHuman, M = kTeamMajorMonster;
    struct Row {
        Team a, b;
        bool pvp, foe, isFriend;
    };
    const Row rows[] = {
        {Make(M, 0), Make(M, 0), false, false, true},
        {Make(M, 1), Make(M, 1), false, true, false},   // minor 1: hostile to every monster
        {Make(M, 0), Make(M, 1), false, true, false},
        {Make(M, 2), Make(M, 6), false, true, false},   // red and blue
        {Make(M, 2), Make(M, 0), false, false, true},
        {Make(M, 0), Make(M, 2), false, false, true},
        {Make(H, 4), Make(H, 5), false, false, false},
        {Make(H, 4), Make(H, 5), true, true, false},
        {Make(H, 4), Make(H, 4), true, false, true},
        {Make(H, 0), Make(H, 0), true, false, false},   // no team number: neither
        {Make(H, 0), Make(M, 0), false, true, false},
        {Make(1, 0), Make(1, 0), false, true, false},   // hostile is a foe of itself
        {Make(0, 0), Make(1, 0), false, true, false},
        {Make(0, 0), Make(M, 1), false, false, true},   // friendly: nobody's foe
        {Make(0, 0), Make(H, 0), true, false, true},
        {Make(5, 0), Make(5, 0), false, true, false},   // any other major: foes
    };
    for (const Row& row : rows) {
        GameInfo::Get().SetPvP(row.pvp);
        EXPECT_EQ(row.a.IsFoe(row.b), row.foe) << row.a.GetTeamMajor() << "/" << row.a.GetTeamMinor() << " "
                                               << row.b.GetTeamMajor() << "/" << row.b.GetTeamMinor();
        EXPECT_EQ(row.b.IsFoe(row.a), row.foe);
        EXPECT_EQ(row.a.IsFriend(row.b), row.isFriend);
    }
}

TEST_F(TeamTest, LegacyTeamWords)
{
    Team team;
    team.ConvertFromHistoricalTeam("", "");
    EXPECT_FALSE(team.IsInitialized());
    team.ConvertFromHistoricalTeam("TeamMajor_Monster", "TeamMinorMonster_Indigo");
    EXPECT_EQ(team, Make(kTeamMajorMonster, kTeamMinorMonsterIndigo));
    // An unknown word (case counts) leaves its half as it was.
    team.ConvertFromHistoricalTeam("TeamMajor_Hostile", "teamminormonster_blue");
    EXPECT_EQ(team, Make(kTeamMajorHostile, kTeamMinorMonsterIndigo));
    // The hostile minor word leaves the team unset: the character's kind gives its default.
    Team hostile;
    hostile.ConvertFromHistoricalTeam("TeamMajor_Monster", "TeamMinorMonster_Hostile");
    EXPECT_FALSE(hostile.IsInitialized());
}

TEST_F(TeamTest, TestsByCharacterId)
{
    TeamManager teams;
    auto make = [](const char* className, const Team& team) {
        auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject(className));
        character->SetTeam(team);
        return character->GetObjectId();
    };
    const uint32_t hostile = make("Monster", Make(kTeamMajorHostile, 0));
    const uint32_t monster = make("Monster", TeamManager::DefaultMonsterTeam());
    const uint32_t player = make("Player", TeamManager::DefaultPlayerTeam());
    EXPECT_TRUE(teams.IsFoe(hostile, monster));
    EXPECT_FALSE(teams.IsFoe(hostile, hostile));
    EXPECT_FALSE(teams.IsFoe(hostile, 999999u));
    EXPECT_FALSE(teams.IsFriend(monster, 999999u));
    EXPECT_TRUE(teams.IsFriend(monster, monster));
    EXPECT_FALSE(teams.IsFriend(player, player));
}

// Two teams as a character packet carries them.
class TwoTeamsPacket : public NetPacketOf<TwoTeamsPacket, 201> {
    GAME_DECLARE_CLASS(TwoTeamsPacket)

public:
    Team first;
    Team second;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::team, first);
        v(Wire::team, second);
    }
};
GAME_IMPLEMENT_PACKET(TwoTeamsPacket, NetPacket)

TEST_F(TeamTest, PacketFormsRoundTrip)
{
    TwoTeamsPacket packet;
    packet.first = Make(kTeamMajorMonster, 255);
    packet.second = Make(kTeamMajorMonster, 256);
    const Bytes bytes = {
        0xC9, 0x00,                     // type 201
        0x0F, 0xFF,                     // major 3, set, short form; minor 255
        0x07, 0x00, 0x01, 0x00, 0x00,   // major 3, set, long form; minor 256 little-endian
    };
    EXPECT_EQ(Written(packet), bytes);
    TwoTeamsPacket back;
    ASSERT_TRUE(ReadInto(back, bytes)) << back.GetReadError();
    EXPECT_EQ(back.first, packet.first);
    EXPECT_EQ(back.second, packet.second);

    packet.first = Team();
    packet.second = Make(5, 9);
    EXPECT_EQ(Written(packet), (Bytes{0xC9, 0x00, 0x08, 0x00, 0x0D, 0x09}));
    ASSERT_TRUE(ReadInto(back, Written(packet)));
    EXPECT_EQ(back.first, Team());
    EXPECT_EQ(back.second, Make(1, 9));   // only majors 0 to 3 survive
}

// Cut short at every byte: refused with its reason.
TEST_F(TeamTest, APacketCutInsideATeamIsRefused)
{
    const Bytes bytes = {0xC9, 0x00, 0x07, 0x00, 0x01, 0x00, 0x00, 0x0E, 0x02};
    for (size_t cut = 2; cut < bytes.size(); ++cut) {
        TwoTeamsPacket back;
        back.second = Make(kTeamMajorHuman, 3);
        EXPECT_FALSE(back.CopyInbound(bytes.data(), static_cast<int>(cut))) << cut;
        EXPECT_NE(back.second, Make(kTeamMajorHuman, 3)) << cut;   // nothing stale is left
    }
    TwoTeamsPacket back;
    EXPECT_FALSE(back.CopyInbound(bytes.data(), 4));
    EXPECT_EQ(back.GetReadError(), "short field: 4 bytes needed, 1 left (at byte 3)");
}

}  // namespace
}  // namespace GAME
