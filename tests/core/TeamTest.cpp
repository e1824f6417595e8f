// Teams: the friend and foe rule, the legacy team words, the standard teams, the tests by
// character id, and the team's packet form.
#include <gtest/gtest.h>

#include <vector>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/Team.h"
#include "Game/core/TeamManager.h"

namespace GAME {
namespace {

Team Make(uint32_t major, uint32_t minor)
{
    return TeamManager::BuildTeam(major, minor);
}

Team Monsters(uint32_t minor)
{
    return Make(kTeamMajorMonster, minor);
}

Team Players(uint32_t minor)
{
    return Make(kTeamMajorHuman, minor);
}

class TeamTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        GameInfo::Get().Reset();
        ObjectManager::Get().DestroyAllObjects();
    }

    template <class T>
    T* Create(const Team& team)
    {
        T* character = DynamicCast<T>(ObjectManager::Get().CreateObject(T::GetStaticClassInfo().GetName()));
        character->SetTeam(team);
        return character;
    }

    TeamManager teams;
};

TEST_F(TeamTest, MonstersByMinorTeam)
{
    EXPECT_FALSE(Monsters(0).IsFoe(Monsters(0)));
    EXPECT_TRUE(Monsters(0).IsFriend(Monsters(0)));
    // Minor 1 is hostile to every monster, another of minor 1 included.
    for (uint32_t minor : {0u, 1u, 2u, 8u}) {
        EXPECT_TRUE(Monsters(1).IsFoe(Monsters(minor))) << minor;
        EXPECT_TRUE(Monsters(minor).IsFoe(Monsters(1))) << minor;
    }
    EXPECT_TRUE(Monsters(kTeamMinorMonsterRed).IsFoe(Monsters(kTeamMinorMonsterBlue)));
    EXPECT_FALSE(Monsters(kTeamMinorMonsterRed).IsFriend(Monsters(kTeamMinorMonsterBlue)));
    EXPECT_FALSE(Monsters(kTeamMinorMonsterRed).IsFoe(Monsters(0)));
    EXPECT_FALSE(Monsters(0).IsFoe(Monsters(kTeamMinorMonsterRed)));
    EXPECT_FALSE(Monsters(kTeamMinorMonsterRed).IsFoe(Monsters(kTeamMinorMonsterRed)));
}

TEST_F(TeamTest, PlayersFollowThePlayerVersusPlayerSwitch)
{
    GameInfo::Get().SetPvP(false);
    EXPECT_FALSE(Players(4).IsFoe(Players(5)));
    EXPECT_TRUE(Players(4).IsFriend(Players(4)));
    GameInfo::Get().SetPvP(true);
    EXPECT_TRUE(Players(4).IsFoe(Players(5)));
    EXPECT_FALSE(Players(4).IsFriend(Players(5)));
    EXPECT_FALSE(Players(4).IsFoe(Players(4)));
    EXPECT_TRUE(Players(4).IsFriend(Players(4)));
    // Without a team number a player is nobody's foe among players, and nobody's friend.
    for (bool pvp : {false, true}) {
        GameInfo::Get().SetPvP(pvp);
        EXPECT_FALSE(Players(0).IsFoe(Players(0)));
        EXPECT_FALSE(Players(0).IsFriend(Players(0)));
        EXPECT_FALSE(Players(0).IsFoe(Players(3)));
    }
}

TEST_F(TeamTest, MajorTeamsDecideFirst)
{
    const Team hostile = Make(kTeamMajorHostile, 0);
    const Team friendly = Make(kTeamMajorFriendly, 0);
    EXPECT_TRUE(hostile.IsFoe(hostile));
    EXPECT_TRUE(friendly.IsFoe(hostile));
    EXPECT_FALSE(friendly.IsFriend(hostile));
    for (const Team& other : {friendly, Players(0), Players(3), Monsters(1), Make(7, 0)}) {
        EXPECT_FALSE(friendly.IsFoe(other));
        EXPECT_TRUE(friendly.IsFriend(other));
        EXPECT_FALSE(other.IsFoe(friendly));
    }
    GameInfo::Get().SetPvP(false);
    EXPECT_TRUE(Players(0).IsFoe(Monsters(0)));
    EXPECT_TRUE(Monsters(kTeamMinorMonsterGreen).IsFoe(Players(2)));
    // An unknown major team is a foe of itself.
    EXPECT_TRUE(Make(5, 0).IsFoe(Make(5, 0)));
}

TEST_F(TeamTest, StandardTeamsAreSet)
{
    EXPECT_FALSE(Team().IsInitialized());
    EXPECT_EQ(TeamManager::DefaultPlayerTeam(), Players(0));
    EXPECT_EQ(TeamManager::DefaultMonsterTeam(), Monsters(0));
    EXPECT_EQ(TeamManager::InvisibleTeam(), Make(kTeamMajorFriendly, 0));
    EXPECT_TRUE(TeamManager::InvisibleTeam().IsInitialized());
}

TEST_F(TeamTest, LegacyTeamWords)
{
    Team team;
    team.ConvertFromHistoricalTeam("TeamMajor_Monster", "TeamMinorMonster_Indigo");
    EXPECT_EQ(team, Monsters(kTeamMinorMonsterIndigo));

    Team untouched;
    untouched.ConvertFromHistoricalTeam("", "");
    EXPECT_FALSE(untouched.IsInitialized());

    // Words that are not known leave their half as it was; either known word sets the team.
    Team minorOnly;
    minorOnly.ConvertFromHistoricalTeam("TeamMajor_Nobody", "TeamMinorMonster_Violet");
    EXPECT_EQ(minorOnly, Make(kTeamMajorFriendly, kTeamMinorMonsterViolet));
    Team majorOnly = Monsters(kTeamMinorMonsterRed);
    majorOnly.ConvertFromHistoricalTeam("TeamMajor_Hostile", "teamminormonster_blue");
    EXPECT_EQ(majorOnly, Make(kTeamMajorHostile, kTeamMinorMonsterRed));

    // The hostile minor word leaves the team unset, so the character's kind gives its default.
    Team hostile;
    hostile.ConvertFromHistoricalTeam("TeamMajor_Monster", "TeamMinorMonster_Hostile");
    EXPECT_FALSE(hostile.IsInitialized());
    EXPECT_EQ(hostile.GetTeamMinor(), 0u);
}

TEST_F(TeamTest, TestsByCharacterAndId)
{
    Monster* hostileMonster = Create<Monster>(Make(kTeamMajorHostile, 0));
    Monster* monster = Create<Monster>(Monsters(0));
    Player* player = Create<Player>(Players(0));
    const uint32_t hostileId = hostileMonster->GetObjectId();

    EXPECT_TRUE(teams.IsFoe(*monster, *player));
    EXPECT_TRUE(teams.IsFoe(hostileId, monster->GetObjectId()));
    EXPECT_FALSE(teams.IsFoe(hostileId, hostileId));
    EXPECT_FALSE(teams.IsFoe(hostileId, 999999u));
    EXPECT_FALSE(teams.IsFriend(monster->GetObjectId(), 999999u));
    EXPECT_TRUE(teams.IsFriend(monster->GetObjectId(), monster->GetObjectId()));
    EXPECT_FALSE(teams.IsFriend(player->GetObjectId(), player->GetObjectId()));
}

TEST_F(TeamTest, PacketFormsByMinorTeam)
{
    std::vector<uint8_t> bytes;
    Monsters(255).AddToPacket(bytes);
    // Major 3, set (bit 2), short form (bit 3); the minor team in one byte.
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x0F, 0xFF}));

    bytes.clear();
    Monsters(256).AddToPacket(bytes);
    // Long form: the minor team in four little-endian bytes.
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x07, 0x00, 0x01, 0x00, 0x00}));

    bytes.clear();
    Team().AddToPacket(bytes);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x08, 0x00}));
}

TEST_F(TeamTest, PacketRoundTrips)
{
    std::vector<uint8_t> bytes;
    const std::vector<Team> sent = {Players(4), Monsters(0x12345678), Team(), Make(5, 9)};
    for (const Team& team : sent)
        team.AddToPacket(bytes);

    const uint8_t* cursor = bytes.data();
    const uint8_t* end = bytes.data() + bytes.size();
    std::vector<Team> received(sent.size());
    for (Team& team : received)
        ASSERT_TRUE(team.RemoveFromPacket(cursor, end));
    EXPECT_EQ(cursor, end);
    EXPECT_EQ(received[0], sent[0]);
    EXPECT_EQ(received[1], sent[1]);
    EXPECT_EQ(received[2], sent[2]);
    // Only majors 0 to 3 survive: 5 reads back as 1.
    EXPECT_EQ(received[3], Make(1, 9));
}

TEST_F(TeamTest, TruncatedTeamDataIsRejected)
{
    for (const Team& team : {Monsters(7), Monsters(70000)}) {
        std::vector<uint8_t> bytes;
        team.AddToPacket(bytes);
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            LogCapture log;
            const std::vector<uint8_t> shortData(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
            const uint8_t* cursor = shortData.data();
            Team received = Players(3);
            EXPECT_FALSE(received.RemoveFromPacket(cursor, shortData.data() + shortData.size())) << cut;
            EXPECT_EQ(cursor, shortData.data());
            EXPECT_EQ(received, Players(3));
            EXPECT_EQ(log.Lines().size(), 1u);
        }
    }
    // The form bit decides the length: a long-form byte with one byte after it is short.
    LogCapture log;
    const std::vector<uint8_t> flipped = {0x07, 0x05};
    const uint8_t* cursor = flipped.data();
    Team received;
    EXPECT_FALSE(received.RemoveFromPacket(cursor, flipped.data() + flipped.size()));
    EXPECT_TRUE(log.Contains("Team: packet ends inside the team (2 of 5 bytes)"));
}

}  // namespace
}  // namespace GAME
