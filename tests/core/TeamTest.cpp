// Teams: the friend and foe rule, the legacy team words, the tests by character id, and
// the team's packet form.
#include <gtest/gtest.h>

#include <vector>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/TeamManager.h"

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

TEST_F(TeamTest, PacketFormsRoundTripsAndShortData)
{
    std::vector<uint8_t> bytes;
    Make(kTeamMajorMonster, 255).AddToPacket(bytes);   // major 3, set, short form; minor
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x0F, 0xFF}));
    bytes.clear();
    Make(kTeamMajorMonster, 256).AddToPacket(bytes);   // long form: minor little-endian
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x07, 0x00, 0x01, 0x00, 0x00}));

    Team().AddToPacket(bytes);
    Make(5, 9).AddToPacket(bytes);
    const uint8_t* cursor = bytes.data();
    const uint8_t* end = bytes.data() + bytes.size();
    Team read[3];
    for (Team& team : read)
        ASSERT_TRUE(team.RemoveFromPacket(cursor, end));
    EXPECT_EQ(cursor, end);
    EXPECT_EQ(read[0], Make(kTeamMajorMonster, 256));
    EXPECT_EQ(read[1], Team());
    EXPECT_EQ(read[2], Make(1, 9));   // only majors 0 to 3 survive

    // Cut short at every byte: rejected with one line, nothing read, the cursor kept.
    const std::vector<uint8_t> longForm(bytes.begin(), bytes.begin() + 5);
    for (size_t cut = 0; cut < longForm.size(); ++cut) {
        LogCapture log;
        cursor = longForm.data();
        Team team = Make(kTeamMajorHuman, 3);
        EXPECT_FALSE(team.RemoveFromPacket(cursor, longForm.data() + cut)) << cut;
        EXPECT_EQ(cursor, longForm.data());
        EXPECT_EQ(team, Make(kTeamMajorHuman, 3));
        EXPECT_EQ(log.Lines().size(), 1u);
        if (cut == 2) {
            EXPECT_TRUE(log.Contains("Team: packet ends inside the team (2 of 5 bytes)"));
        }
    }
}

}  // namespace
}  // namespace GAME
