#include "EngineFixture.h"
#include "Engine/Localization.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PlayerManagerServer.h"

using namespace GAME;
using ::testing::_;
using ::testing::ElementsAre;
using ::testing::InSequence;

namespace {

// Runs until it is cleared away.
struct IdleActivity : GameActivity {
    void Update(int) override {}
    bool IsFinished() override { return false; }
};

class GameEngineRoleTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        LocalizationManager::Instance().RegisterTags("tagMessageBan=%s was banned\n");
    }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }

    // Routes the operations to the mock; a role change would route them away again.
    void Watch() { engine->InstallNetworkInterface(&network); }

    NiceNetwork network;
};

TEST_F(GameEngineRoleTest, ServerAnswersFollowTheRole)
{
    PlayerManagerServer* host = engine->GetPlayerManagerServer();
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(engine->IsServerOrSingle());
    EXPECT_EQ(engine->GetNetworkInterface(), engine->GetInboundNetworkInterface());

    engine->SetAsNetworkClient();
    EXPECT_FALSE(engine->IsServerOrSingle());
    EXPECT_EQ(engine->GetPlayerManagerServer(), nullptr);

    engine->SetAsNetworkServer();
    EXPECT_TRUE(engine->IsServerOrSingle());
    EXPECT_EQ(engine->GetPlayerManagerServer(), host);
    EXPECT_NE(engine->GetNetworkInterface(), engine->GetInboundNetworkInterface());
}

TEST_F(GameEngineRoleTest, DifficultyNamesAndBalanceLevel)
{
    EXPECT_EQ(GameEngine::GetGameDifficultyAsString(GameDifficulty_Normal), "Normal");
    EXPECT_EQ(GameEngine::GetGameDifficultyAsString(GameDifficulty_Legendary), "Legendary");
    EXPECT_EQ(GameEngine::GetGameDifficultyAsString(static_cast<GameDifficulty>(3)), "Invalid");
    EXPECT_EQ(GameEngine::GetGameDifficultyAsString(static_cast<GameDifficulty>(-1)), "Invalid");

    EventCapture events;
    events.Keep<GameEvent_GameBalanceLevel>("GameEvent_GameBalanceLevel");
    engine->GetInboundNetworkInterface()->GameBalanceUpdate(7);
    EXPECT_EQ(engine->GetBalanceDifficulty(), 7u);
    const auto sent = events.Kept<GameEvent_GameBalanceLevel>("GameEvent_GameBalanceLevel");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent.front().level, 7);
}

TEST_F(GameEngineRoleTest, PlayerQuestionsReadTheRoster)
{
    EXPECT_EQ(engine->GetPlayerName(0x20000005), u"");
    EXPECT_EQ(engine->GetHostPlayer(2), nullptr);

    Player* player = MakeMainPlayer();
    player->SetCharLevel(14);
    const uint32_t id = player->GetObjectId();
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({0x20000005, id}));
    EXPECT_EQ(engine->GetPlayerName(0x20000005), u"P536870917");
    EXPECT_EQ(engine->GetHostPlayer(2), nullptr);   // listed, but no object
    EXPECT_EQ(engine->GetHostPlayer(static_cast<int>(id >> 28)), player);

    engine->SetGameDifficulty(GameDifficulty_Epic);
    PlayerInfo info;
    engine->GetPlayerInfo(info);
    EXPECT_EQ(info.averagePlayerLevel, 14u);
    EXPECT_EQ(info.numberOfPlayers, 1u);
    EXPECT_EQ(info.gameDifficulty, 1u);
}

TEST_F(GameEngineRoleTest, BanTellsEveryoneButTheBanned)
{
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({1, 2, 3}));
    Watch();
    EXPECT_CALL(network, DisplayWMessageRemote(1, true, std::u16string(u"P2 was banned")));
    EXPECT_CALL(network, DisplayWMessageRemote(3, true, _));
    EXPECT_CALL(network, DisplayWMessageRemote(2, _, _)).Times(0);
    engine->BanPlayer(2, false);
}

TEST_F(GameEngineRoleTest, InvitationIsAnnouncedByPartySize)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    Watch();
    {
        InSequence order;
        EXPECT_CALL(network, DisplayMessageRemote(self, 8u, true, std::string("tagInviteSend")));
        EXPECT_CALL(network, InvitePlayerToParty(8u, 0));
    }
    engine->InvitePlayerToParty(8, 0);

    // In a party of two the members are told instead (by the party manager).
    std::vector<PlayerNetBasicInfo> roster = Roster({self, 4});
    roster[0].partyId = roster[1].partyId = self;
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(roster);
    {
        InSequence order;
        EXPECT_CALL(network, DisplayMessageRemote(self, 9u, true, std::string("tagInviteSend")));
        EXPECT_CALL(network, DisplayMessageRemote(4u, 9u, true, std::string("tagInviteSend")));
        EXPECT_CALL(network, InvitePlayerToParty(9u, static_cast<int>(self)));
    }
    engine->InvitePlayerToParty(9, static_cast<int>(self));
}

TEST_F(GameEngineRoleTest, ForwardsFillInWhatThePeersNeed)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({7, 8}));
    Watch();
    uint32_t sentId = 0;
    EXPECT_CALL(network, CreateEntity(_, std::string("Records/Test/Tree.dbr"), _))
        .WillOnce([&](const WorldCoords&, const std::string&, uint32_t id) { sentId = id; });
    EXPECT_CALL(network, HandleQuestMessagePacket(self, true, ElementsAre(1u, 2u), 5u));
    {
        InSequence order;
        EXPECT_CALL(network, DisplayMessageRemote(7u, 3u, false, std::string("tagHello")));
        EXPECT_CALL(network, DisplayMessageRemote(8u, 3u, false, std::string("tagHello")));
    }
    engine->CreateEntity(WorldCoords(), "Records/Test/Tree.dbr", 0);
    engine->SendQuestPacket({1, 2}, 5, true);
    engine->BroadcastMessageRemote(3, false, "tagHello");
    EXPECT_NE(sentId, 0u);
}

TEST_F(GameEngineRoleTest, RemovingAHostAndLeavingThePlay)
{
    PlayerManagerClient* client = engine->GetPlayerManagerClient();
    PlayerManagerServer* host = engine->GetPlayerManagerServer();
    client->HandlePlayerUpdate(Roster({0x10000001, 0x20000002, 0x10000003}));
    // A copy: alone, each newcomer's roster reaches the client roster at once.
    const std::vector<PlayerNetBasicInfo> joining = client->GetPlayerInfoCache();
    for (const PlayerNetBasicInfo& record : joining)
        host->HandleNewPlayer(record);

    engine->RemovePlayerFromGame(1);
    EXPECT_EQ(client->GetPlayerInfoCache().size(), 1u);
    EXPECT_EQ(client->GetPlayerIdFromHostId(2), 0x20000002u);
    EXPECT_EQ(host->GetNumberOfPlayers(), 1u);

    MakeMainPlayer();
    engine->RegisterLocalPet(44);
    auto* activity = new IdleActivity;
    ActivityManager::Get()->FastInstallActivity(activity);
    const uint32_t activityId = activity->GetActivityId();
    engine->GetCamera().SetTargetOffset({1.0f, 2.0f, 3.0f});
    AmbianceManager::Get().UpdateEnvironmentEffects(WorldVec3());

    engine->ExitPlayingMode();
    EXPECT_EQ(engine->GetPlayerId(), 0u);
    EXPECT_TRUE(client->GetPlayerInfoCache().empty());
    EXPECT_EQ(host->GetNumberOfPlayers(), 0u);
    EXPECT_TRUE(engine->GetLocalPetList().empty());
    EXPECT_FALSE(ActivityManager::Get()->IsActivityActive(activityId));
    EXPECT_EQ(engine->GetCamera().GetTargetOffset(), Vec3());
    EXPECT_EQ(AmbianceManager::Get().GetUpdateCount(), 0);
}

}  // namespace
