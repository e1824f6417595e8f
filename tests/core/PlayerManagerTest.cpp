#include "EngineFixture.h"
#include "Engine/Localization.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PlayerManagerServer.h"

using namespace GAME;
using ::testing::_;
using ::testing::Field;
using ::testing::InSequence;
using ::testing::SizeIs;

namespace {

class PlayerManagerTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        client = engine->GetPlayerManagerClient();
        host = engine->GetPlayerManagerServer();
        LocalizationManager::Instance().RegisterTags("tagMessageGameJoin=%s joined\n"
                                                     "tagMessageGameLeave=%s left the game\n"
                                                     "tagMessageLeave=%s left\n");
    }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }

    // Routes the operations to the mock; a role change would route them away again.
    void Watch() { engine->InstallNetworkInterface(&network); }

    // Fills the host roster without sending anything.
    void HostRoster(std::initializer_list<uint32_t> ids)
    {
        for (const PlayerNetBasicInfo& record : Roster(ids))
            host->HandleNewPlayer(record);
    }

    PlayerManagerClient* client = nullptr;
    PlayerManagerServer* host = nullptr;
    StrictNetwork network;
};

// ---- Heartbeats ------------------------------------------------------------------------

TEST_F(PlayerManagerTest, ClientHeartbeatGoesOutAfterMoreThan900Ms)
{
    Player* player = MakeMainPlayer();
    player->SetCharLevel(9);
    player->SetPlayerName(u"Ann");
    Watch();
    for (int frame = 1; frame <= 56; ++frame)   // 56 x 16 = 896
        client->Update(16);
    ::testing::Mock::VerifyAndClearExpectations(&network);

    EXPECT_CALL(network, CtoS_SinglePlayerHeartbeat(AllOf(Field(&PlayerNetHeartbeatInfo::playerId,
                                                                player->GetObjectId()),
                                                          Field(&PlayerNetHeartbeatInfo::level, 9))));
    client->Update(16);   // 912
    ::testing::Mock::VerifyAndClearExpectations(&network);

    // The timer starts again from 0: exactly 900 sends nothing, one more does.
    client->Update(900);
    ::testing::Mock::VerifyAndClearExpectations(&network);
    EXPECT_CALL(network, CtoS_SinglePlayerHeartbeat(_));
    client->Update(1);
}

TEST_F(PlayerManagerTest, HostSendsAt1101MsAndEveryFourthSendIsTheWholeRoster)
{
    HostRoster({0x10000001, 0x20000002});
    Watch();
    host->Update(1100);
    ::testing::Mock::VerifyAndClearExpectations(&network);

    std::vector<char> sends;
    EXPECT_CALL(network, StoC_AllPlayersHeartbeat(_))
        .WillRepeatedly([&](const std::vector<PlayerNetHeartbeatInfo>& heartbeats) {
            ASSERT_EQ(heartbeats.size(), 2u);
            EXPECT_EQ(heartbeats[0].playerId, 0x10000001u);
            EXPECT_EQ(heartbeats[1].playerId, 0x20000002u);
            sends.push_back('h');
        });
    EXPECT_CALL(network, StoC_AllPlayersUpdate(SizeIs(2))).WillRepeatedly([&](auto&) { sends.push_back('R'); });
    host->Update(1);   // 1101 ms
    for (int send = 2; send <= 9; ++send)
        host->Update(1101);
    EXPECT_EQ(std::string(sends.begin(), sends.end()), "hhhhRhhhR");
}

TEST_F(PlayerManagerTest, ReceivedHeartbeatsRefreshEveryoneButTheOwnPlayer)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    std::vector<PlayerNetBasicInfo> roster = Roster({self, 0x20000002});
    client->HandlePlayerUpdate(roster);

    PlayerNetHeartbeatInfo own, other;
    own.playerId = self;
    other.playerId = 0x20000002;
    own.level = other.level = 12;
    client->HandlePlayerHeartbeatInbound({own, other});
    EXPECT_EQ(client->GetPlayerInfo(self).level, 1);   // from the player object, not the heartbeat
    EXPECT_EQ(client->GetPlayerInfo(0x20000002).level, 12);
    EXPECT_EQ(client->GetPlayerName(0x20000002), u"P536870914");   // only the heartbeat part changed
}

// ---- Joining, leaving, host ids --------------------------------------------------------

TEST_F(PlayerManagerTest, PlayerIdsCarryTheirHostInTheTopFourBits)
{
    EXPECT_EQ(PlayerHostId(0xF0000001), 15);
    EXPECT_EQ(PlayerHostId(0x0FFFFFFF), 0);
    client->HandlePlayerUpdate(Roster({0x10000001, 0x20000002, 0x10000003}));
    EXPECT_EQ(client->GetPlayerIdFromHostId(1), 0x10000001u);
    EXPECT_EQ(client->GetPlayerIdFromHostId(2), 0x20000002u);
    EXPECT_EQ(client->GetPlayerIdFromHostId(3), 0u);

    client->RemovePlayerFromGame(1);
    EXPECT_FALSE(client->IsPlayerInGame(0x10000003));
    EXPECT_FALSE(client->IsPlayerInList(0x10000001));
    EXPECT_TRUE(client->IsPlayerInList(0x20000002));
}

TEST_F(PlayerManagerTest, NewPlayerGetsTheRosterAndTheOthersANotice)
{
    HostRoster({0x10000001, 0x20000002});
    Watch();
    {
        InSequence order;
        EXPECT_CALL(network, StoC_AllPlayersUpdate(SizeIs(3)));
        EXPECT_CALL(network, DisplayMessageRemote(0x10000001u, 0x30000003u, true, std::string("tagMessageGameJoin")));
        EXPECT_CALL(network, DisplayMessageRemote(0x20000002u, 0x30000003u, true, std::string("tagMessageGameJoin")));
    }
    host->HandleNewPlayer(Roster({0x30000003})[0]);
    // Already in the roster: nothing is sent (the strict mock would fail on any call).
    host->HandleNewPlayer(Roster({0x30000003})[0]);
    EXPECT_EQ(host->GetNumberOfPlayers(), 3u);
}

TEST_F(PlayerManagerTest, MainPlayerJoinsTheHostRosterHereOrByTheJoinSentToIt)
{
    Player* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
    player->SetPlayerName(u"Ann");
    player->SetGender(Character_Gender_Male);
    const uint32_t id = player->GetObjectId();
    client->SetMainPlayer(id);
    client->SetMainPlayer(id);   // already listed: nothing more
    ASSERT_EQ(host->GetNumberOfPlayers(), 1u);
    EXPECT_EQ(host->GetPlayerInfos()[0].playerName, u"Ann");
    EXPECT_TRUE(host->GetPlayerInfos()[0].isMale);
    ASSERT_EQ(client->GetPlayerInfoCache().size(), 1u);   // the host's roster came back at once
    EXPECT_EQ(GameInfo::Get().GetPlayerList(), std::vector<std::u16string>{u"Ann"});
    EXPECT_EQ(GameInfo::Get().GetNumOfPlayers(), 1u);

    // A client sends its player's record to the host.
    engine->ExitPlayingMode();
    engine->SetAsNetworkClient();
    Watch();
    EXPECT_CALL(network, CtoS_AddNewPlayer(Field(&PlayerNetBasicInfo::playerName, std::u16string(u"Ann"))));
    client->SetMainPlayer(id);
    ::testing::Mock::VerifyAndClearExpectations(&network);
    EXPECT_EQ(host->GetNumberOfPlayers(), 0u);
    EXPECT_EQ(client->GetPlayerName(id), u"Ann");

    // A main player without its object yet keeps the ids and records parallel, and sends
    // no heartbeat.
    client->SetMainPlayer(0x10000009);
    Watch();
    client->Update(5000);
    EXPECT_EQ(client->GetPlayerInfoCache().size(), 2u);
    EXPECT_TRUE(client->IsPlayerInGame(0x10000009));
}

TEST_F(PlayerManagerTest, LeavingIsAnnouncedToTheOthers)
{
    HostRoster({0x10000001, 0x20000002, 0x20000004, 0x30000003});
    client->HandlePlayerUpdate(Roster({0x10000001, 0x20000002, 0x20000004, 0x30000003}));
    Watch();
    // The last player of host 2 is the one named.
    EXPECT_CALL(network, DisplayWMessageRemote(0x10000001u, true, std::u16string(u"P536870916 left the game")));
    EXPECT_CALL(network, DisplayWMessageRemote(0x20000002u, true, _));
    EXPECT_CALL(network, DisplayWMessageRemote(0x30000003u, true, _));
    host->RemovePlayerFromGame(2);
    EXPECT_EQ(host->GetNumberOfPlayers(), 2u);
    ::testing::Mock::VerifyAndClearExpectations(&network);

    host->RemovePlayerFromGame(7);   // nobody of that host: nobody to announce
    host->HandleRemovePlayer(0x70000007);

    EXPECT_CALL(network, DisplayWMessageRemote(0x30000003u, true, std::u16string(u"P268435457 left")));
    host->HandleRemovePlayer(0x10000001);
    EXPECT_EQ(host->GetPlayerInfos().size(), 1u);
    EXPECT_EQ(host->GetPlayerInfos()[0].playerId, 0x30000003u);
}

// ---- Balance level ---------------------------------------------------------------------

TEST_F(PlayerManagerTest, BalanceLevelIsSentOnlyWhenItChanges)
{
    HostRoster({0x10000001});
    Watch();
    GameEngineServerServicesModuleBase* services = engine->GetServerServices();
    EXPECT_CALL(network, GameBalanceUpdate(1));
    services->Update(16);
    services->Update(16);
    ::testing::Mock::VerifyAndClearExpectations(&network);

    engine->SetGameDifficulty(GameDifficulty_Epic);
    EXPECT_CALL(network, GameBalanceUpdate(7));
    services->Update(16);
    services->Update(16);
}

// ---- Questions -------------------------------------------------------------------------

TEST_F(PlayerManagerTest, NamesAndPartyLevelsFromTheRoster)
{
    std::vector<PlayerNetBasicInfo> roster = Roster({1, 2, 3, 4});
    const int levels[] = {10, 11, 20, 30};
    for (size_t i = 0; i < roster.size(); ++i)
        roster[i].level = levels[i];
    roster[0].partyId = roster[1].partyId = 1;   // 10 and 11: average 10.5, rounded up
    client->HandlePlayerUpdate(roster);
    EXPECT_EQ(client->GetAveragePartyLevel(2), 11u);
    EXPECT_EQ(client->GetAveragePartyLevel(3), 20u);   // without a party: a party of one
    EXPECT_EQ(client->GetAveragePartyLevel(9), 0u);
    EXPECT_EQ(client->GetPlayerLevel(4), u"30");

    EXPECT_EQ(client->GetPlayerWithName(u"p4"), 4u);
    EXPECT_EQ(client->GetPlayerWithName(u"\"P3\""), 3u);
    EXPECT_EQ(client->GetPlayerWithName(u"\"P"), 0u);
    EXPECT_EQ(client->GetPlayerWithName(u"P7"), 0u);
    EXPECT_EQ(client->GetPlayerName(7), u"ErrorName");
}

TEST_F(PlayerManagerTest, BanDropsTheHostOfEveryPlayerOfExactlyThatName)
{
    Player* ann = MakeMainPlayer();
    ann->SetPlayerName(u"Ann");
    Player* other = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", 0x30000040));
    other->SetPlayerName(u"Bob");
    std::vector<PlayerNetBasicInfo> roster = Roster({ann->GetObjectId(), 0x30000040, 0x40000001});
    client->HandlePlayerUpdate(roster);

    LogCapture log;
    client->BanPlayer("bob");   // names compare exactly
    client->BanPlayer(u"Bo");
    EXPECT_TRUE(log.Texts().empty());
    client->BanPlayer("Bob");
    client->BanPlayer(std::u16string(u"Bob"));
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"Banning Host 3 (Bob)", "Banning Host 3 (Bob)"}));
}

// A banned host is dropped by the server's own hand, which no transport reports as a
// leave: its players leave the game at once, their characters too.
TEST_F(PlayerManagerTest, ABanOnTheServerRemovesTheBannedHostsPlayers)
{
    engine->SetAsNetworkServer();
    auto* bob = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", 0x30000040));
    bob->SetPlayerName(u"Bob");
    HostRoster({0x30000040, 0x40000001});
    client->BanPlayer("Bob");
    EXPECT_FALSE(client->IsPlayerInGame(0x30000040));
    EXPECT_EQ(host->GetNumberOfPlayers(), 1u);
    EXPECT_EQ(ObjectManager::Get().GetObject(0x30000040), nullptr);
}

// A client's heartbeat sent before a party change reached it does not undo the change.
TEST_F(PlayerManagerTest, TheHostKeepsThePartyALateHeartbeatLacks)
{
    HostRoster({0x10000001});
    host->AddPlayerToParty(0x10000001, 0x100);
    PlayerNetHeartbeatInfo late = Roster({0x10000001})[0];
    late.level = 9;
    host->HandlePlayerHeartbeatInbound(late);
    EXPECT_EQ(host->GetPlayerInfos()[0].partyId, 0x100u);
    EXPECT_EQ(host->GetPlayerInfos()[0].level, 9);
}

// ---- Bonuses on a peer -----------------------------------------------------------------

TEST_F(PlayerManagerTest, PeerAppliesTheSharesOfOthersOnly)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    Player* friendPlayer = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
    Bonus bonus;
    bonus.receiver = friendPlayer->GetObjectId();
    bonus.goldPoints = 30;
    bonus.experiencePoints = 200;
    bonus.skillPoints = 1;
    bonus.source = 999;   // a creature
    client->HandleBonus(bonus);
    EXPECT_EQ(friendPlayer->GetCurrentMoney(), 30u);
    EXPECT_EQ(friendPlayer->GetPlayStats().GetExperienceGained(), 200);
    EXPECT_EQ(friendPlayer->GetSkillPoints(), 1u);

    bonus.source = self;   // applied already where it was earned
    client->HandleBonus(bonus);
    EXPECT_EQ(friendPlayer->GetCurrentMoney(), 30u);
}

}  // namespace
