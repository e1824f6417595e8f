// The end of the game: the music at once, the story dialog after the record's delay, the
// end sequence when the dialog is closed and again when the activity goes.
#include <memory>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/core/GameUIInterface.h"
#include "Game/world/EndGameActivity.h"

using namespace GAME;

namespace {

class StoryUI : public GameUIInterface {
public:
    bool DisplaySkillReallocationWindow(uint32_t) override { return true; }
    bool SaveGame(GameDifficulty) override { return true; }
    bool SaveGame() override { return true; }
    bool SaveQuest(bool) override { return true; }
    bool BackupGame() override { return true; }
    void ShowDialog(Dialog&) override
    {
        ++shown;
        showing = true;
    }
    bool IsShowingDialog() const override { return showing; }
    void EndSequence() override { ++endSequences; }

    int shown = 0, endSequences = 0;
    bool showing = false;
};

class EndGameActivityTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        engine->SetUI(&ui);
    }
    void TearDown() override
    {
        engine->SetUI(nullptr);
        EngineTest::TearDown();
    }
    StoryUI ui;
};

}  // namespace

TEST_F(EndGameActivityTest, TheDialogOpensOnceMoreThanTheDelayHasPassedAndClosingItEndsTheGame)
{
    auto activity = std::make_unique<EndGameActivity>();
    ASSERT_EQ(activity->GetDialogDelay(), 4000);
    activity->Update(0);
    EXPECT_FALSE(activity->IsMusicStarted());
    activity->Update(1000);
    EXPECT_TRUE(activity->IsMusicStarted());
    EXPECT_EQ(Jukebox::Get().GetEventMusic(), EndGameActivity::kMusic);
    for (int i = 0; i < 3; ++i)
        activity->Update(1000);
    EXPECT_EQ(activity->GetElapsed(), 4000);
    EXPECT_FALSE(activity->IsDialogOpened());
    EXPECT_EQ(ui.shown, 0);
    activity->Update(1);
    EXPECT_TRUE(activity->IsDialogOpened());
    EXPECT_EQ(ui.shown, 1);
    activity->Update(1000);
    EXPECT_FALSE(activity->IsFinished());
    EXPECT_EQ(ui.endSequences, 0);
    ui.showing = false;   // the player closes it
    activity->Update(16);
    EXPECT_TRUE(activity->IsFinished());
    EXPECT_EQ(ui.endSequences, 1);
    activity->Update(16);
    EXPECT_EQ(ui.endSequences, 1);
    EXPECT_EQ(Jukebox::Get().GetEventMusicPlayCount(), 1);
    activity.reset();
    EXPECT_EQ(ui.endSequences, 2);
}

TEST_F(EndGameActivityTest, ADelayOutOfRangeIsLoggedAndHeldToTheRange)
{
    RecordDatabase::Get().RegisterRecord(EndGameActivity::kDelayRecord, "time,-250,\n");
    LogCapture log;
    EndGameActivity early;
    EXPECT_EQ(early.GetDialogDelay(), 0);
    EXPECT_EQ(log.Lines().size(), 1u);
    early.Update(1);
    EXPECT_TRUE(early.IsDialogOpened());
}
