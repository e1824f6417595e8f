#include <limits>

#include "EngineFixture.h"
#include "Game/core/ActivityManager.h"

using namespace GAME;

namespace {

using FrameTest = EngineTest;

TEST_F(FrameTest, TimedTutorialPagesAtTheirBoundaries)
{
    MakeMainPlayer()->SetSkillPoints(1);
    engine->Update(600000);
    EXPECT_FALSE(Unlocked(kTutorialPageUnspentPoints));
    engine->Update(1);
    EXPECT_TRUE(Unlocked(kTutorialPageUnspentPoints));

    GameEngine::TutorialWatch& watch = engine->GetTutorialWatch();
    watch.unspentSkillPoints = 3;
    watch.hotSlotsChanged = true;
    engine->Update(300000);
    EXPECT_EQ(watch.skillPointsTimer, 0);
    watch.hotSlotsChanged = false;
    engine->Update(299999);
    EXPECT_FALSE(Unlocked(kTutorialPageSkillPointsWaiting));
    engine->Update(1);
    EXPECT_TRUE(Unlocked(kTutorialPageSkillPointsWaiting));
}

TEST_F(FrameTest, CountedTutorialPages)
{
    GameEngine::TutorialWatch& watch = engine->GetTutorialWatch();
    watch.unspentMasteryPoints = 8;
    watch.playTimerStopped = true;
    watch.itemsReceived = 15;
    watch.mainPlayerDeaths = 3;
    watch.potionReceived = watch.potionUsed = true;
    engine->Update(700000);
    EXPECT_TRUE(engine->GetTutorialUnlockList().empty());

    watch.unspentMasteryPoints = 9;
    watch.playTimerStopped = watch.potionUsed = false;
    watch.itemsReceived = 16;
    engine->Update(0);
    EXPECT_EQ(engine->GetTutorialUnlockList(),
              (std::vector<uint32_t>{kTutorialPageMasteryPoints, kTutorialPagePlayTime, kTutorialPageDeathsWithoutPotion}));
}

TEST_F(FrameTest, EmptyFrameKeepsTimersAndLongSessionsDoNotWrap)
{
    Player* player = MakeMainPlayer();
    player->SetSkillPoints(1);
    player->SetModifierPoints(1);
    engine->GetTutorialWatch().unspentSkillPoints = 1;
    engine->Update(5);
    engine->Update(0);
    const GameEngine::TutorialWatch& watch = engine->GetTutorialWatch();
    EXPECT_EQ(watch.playTimer + watch.skillPointsTimer + watch.modifierPointsTimer + watch.unspentPointsTimer, 20);

    for (int i = 0; i < 3; ++i)
        engine->Update(std::numeric_limits<int>::max());
    EXPECT_EQ(watch.playTimer, std::numeric_limits<int32_t>::max());
}

TEST_F(FrameTest, PendingQuestionsTakeOneAnswer)
{
    RecordingNetwork network;
    engine->InstallNetworkInterface(&network);
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({2, 3}));
    DialogManager& dialogs = engine->GetDialogManager();

    engine->SetPendingPortalRequest(WorldCoords(), 7, 9, "tagPortal");
    engine->BanPlayer(3, true);
    engine->Update(16);   // no answers yet: both stay pending
    dialogs.AddResponse(kPortalDialogParty, false);
    dialogs.AddResponse(kBanDialogParty, false);
    engine->Update(16);
    EXPECT_TRUE(network.calls.empty());

    engine->SetPendingPortalRequest(WorldCoords(), 7, 9, "tagPortal");
    engine->BanPlayer(3, true);
    for (int i = 0; i < 2; ++i) {
        dialogs.AddResponse(kPortalDialogParty, true);
        dialogs.AddResponse(kBanDialogParty, true);
        engine->Update(16);
    }
    EXPECT_EQ(network.calls, (std::vector<std::string>{"portal 7 9 tagPortal 0", "message 2"}));
    EXPECT_EQ(dialogs.GetNumResponsesFor(kPortalDialogParty), 1);
    EXPECT_EQ(dialogs.GetNumResponsesFor(kBanDialogParty), 1);
}

// Looks, from inside the activity manager's step, at what the other steps have done.
// It stays installed, so the manager frees it with the engine.
struct OrderProbe : GameActivity {
    explicit OrderProbe(RecordingNetwork& watched) : network(watched) {}
    void Update(int) override
    {
        tutorialDone = !gGameEngine->GetTutorialUnlockList().empty();
        portalDone = network.calls.size() == 1;
        musicDone = Jukebox::Get().IsTrackedPlayerDead();
        banDone = gGameEngine->GetDialogManager().GetNumResponsesFor(kBanDialogParty) == 0;
        ambianceBefore = AmbianceManager::Get().GetUpdateCount();
    }
    bool IsFinished() override { return false; }

    RecordingNetwork& network;
    bool tutorialDone = false, portalDone = false, musicDone = false, banDone = false;
    int ambianceBefore = -1;
};

TEST_F(FrameTest, StepsRunInOrder)
{
    RecordingNetwork network;
    engine->InstallNetworkInterface(&network);
    MakeMainPlayer()->SetCharLevel(12);
    engine->GetTutorialWatch().itemsReceived = 16;
    engine->SetPendingPortalRequest(WorldCoords(), 1, 2, "");
    engine->GetDialogManager().AddResponse(kPortalDialogParty, true);
    engine->BanPlayer(5, true);
    engine->GetDialogManager().AddResponse(kBanDialogParty, false);
    Jukebox::Get().SetTrackedPlayer(999);   // gone: counts as dead
    auto* probe = new OrderProbe(network);
    ActivityManager::Get()->InstallActivity(probe);

    engine->Update(16);
    EXPECT_TRUE(probe->tutorialDone && probe->portalDone && probe->musicDone && probe->banDone);
    EXPECT_EQ(probe->ambianceBefore, 0);
    EXPECT_EQ(AmbianceManager::Get().GetUpdateCount(), 2);
    EXPECT_EQ(GameInfo::Get().GetPlayerLevel(), 12u);
}

}  // namespace
