#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/GraphicsCanvas.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/TeleportConfirmActivity.h"

using namespace GAME;

namespace {

using Journal = std::vector<std::string>;

// Writes what happens to it into a shared journal; finishes after a number of updates.
class JournalActivity : public GameActivity {
public:
    JournalActivity(std::string name, Journal& journal, int updates)
        : m_name(std::move(name)), m_journal(journal), m_left(updates)
    {
    }
    ~JournalActivity() override { m_journal.push_back(m_name + " destroyed"); }
    void Update(int ms) override
    {
        m_journal.push_back(m_name + " update " + std::to_string(ms));
        --m_left;
        if (onUpdate)
            onUpdate();
    }
    void Render(GraphicsCanvas&) override { m_journal.push_back(m_name + " render"); }
    bool IsFinished() override { return m_left <= 0; }

    std::function<void()> onUpdate;

private:
    std::string m_name;
    Journal& m_journal;
    int m_left;
};

class ActivityManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ActivityManager::Destroy(); }
    void TearDown() override { ActivityManager::Destroy(); }

    ActivityManager& manager() { return *ActivityManager::Get(); }
    JournalActivity* Make(const char* name, int updates = 1000) { return new JournalActivity(name, journal, updates); }

    Journal journal;
};

TEST_F(ActivityManagerTest, IdsAndWhenActivitiesStart)
{
    manager().InstallActivity(nullptr);   // uses no id
    JournalActivity* a = Make("a");
    JournalActivity* b = Make("b");
    a->onUpdate = [this] { manager().InstallActivity(Make("c")); };
    manager().InstallActivity(a);
    manager().FastInstallActivity(b);
    EXPECT_EQ(a->GetActivityId(), 1u);
    EXPECT_FALSE(manager().IsActivityActive(1));   // waits for the next update
    EXPECT_EQ(manager().GetActivity(2), b);        // active at once

    manager().Update(16);
    a->onUpdate = nullptr;
    // c, installed during a's update, starts on the next frame.
    EXPECT_EQ(journal, (Journal{"b update 16", "a update 16"}));
    EXPECT_FALSE(manager().IsActivityActive(3));
    manager().Update(20);
    EXPECT_TRUE(manager().IsActivityActive(3));
}

TEST_F(ActivityManagerTest, FinishedAfterFirstUpdateIsDestroyedAndNeverRendered)
{
    manager().InstallActivity(Make("once", 1));
    manager().InstallActivity(Make("stays"));
    manager().Update(5);
    GraphicsCanvas canvas(800, 600);
    manager().Render(canvas);
    EXPECT_EQ(journal, (Journal{"once update 5", "once destroyed", "stays update 5", "stays render"}));
}

TEST_F(ActivityManagerTest, ClearDestroyAndClearingFromInsideAnUpdate)
{
    JournalActivity* clearer = Make("clearer");
    clearer->onUpdate = [this] { manager().Clear(); };
    manager().InstallActivity(clearer);
    manager().InstallActivity(Make("next"));
    manager().Update(3);
    EXPECT_EQ(journal, (Journal{"clearer update 3", "clearer destroyed", "next destroyed"}));

    // Pending activities go with Clear too, and never start in a later game.
    journal.clear();
    manager().InstallActivity(Make("pending"));
    manager().Clear();
    EXPECT_EQ(journal, (Journal{"pending destroyed"}));
    manager().Update(1);
    EXPECT_EQ(journal, (Journal{"pending destroyed"}));
}

class RecordingTeleportConfirm : public TeleportConfirmActivity {
public:
    std::vector<Vec3> teleports;

protected:
    void InitiatePlayerTeleport(int x, int y, int z) override
    {
        teleports.push_back(Vec3(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)));
    }
};

class TeleportConfirmTest : public EngineTest {
protected:
    // Asks, then answers for the teleport party (and once for another party first).
    void AskAndAnswer(RecordingTeleportConfirm& activity, bool answer)
    {
        activity.Update(16);
        dialogs().AddResponse(DialogParty::kPartyInvite, true);
        activity.Update(16);
        EXPECT_FALSE(activity.IsFinished());
        dialogs().AddResponse(DialogParty::kTeleportConfirm, answer);
        activity.Update(16);
        EXPECT_TRUE(activity.IsFinished());
    }
    DialogManager& dialogs() { return engine->GetDialogManager(); }
};

TEST_F(TeleportConfirmTest, AsksOnceAndTeleportsOnlyOnYesWithARegion)
{
    Region* far = World::Get().AddRegion(5, "Far", {100, 0, -200});
    RecordingTeleportConfirm yes;
    yes.Set(WorldVec3(far, {1.9f, 2.5f, 10.7f}), "tagTeleportQuestion");
    AskAndAnswer(yes, true);
    ASSERT_EQ(dialogs().GetNumDialog(), 1u);
    EXPECT_EQ(dialogs().PeekTopDialog()->type, kDialogTypeYesNo);
    EXPECT_EQ(dialogs().PeekTopDialog()->party, DialogParty::kTeleportConfirm);
    EXPECT_EQ(yes.teleports, (std::vector<Vec3>{Vec3(101, 2, -189)}));   // truncated toward zero

    RecordingTeleportConfirm no;
    no.Set(WorldVec3(far, {1, 2, 3}), "tagTeleportQuestion");
    AskAndAnswer(no, false);
    RecordingTeleportConfirm nowhere;
    AskAndAnswer(nowhere, true);
    EXPECT_TRUE(no.teleports.empty());
    EXPECT_TRUE(nowhere.teleports.empty());
    EXPECT_EQ(dialogs().GetNumResponsesFor(DialogParty::kPartyInvite), 3);   // not taken

    // A destination past the int range is held at its ends.
    RecordingTeleportConfirm distant;
    distant.Set(WorldVec3(far, {3.0e9f, -3.0e38f, 10.0f}), "tagTeleportQuestion");
    AskAndAnswer(distant, true);
    EXPECT_EQ(distant.teleports, (std::vector<Vec3>{Vec3(2147483647.0f, -2147483648.0f, -190)}));
}

TEST(TeleportConfirmWithoutEngine, FinishesWithALogLine)
{
    ASSERT_EQ(gGameEngine, nullptr);
    LogCapture log;
    TeleportConfirmActivity activity;
    activity.Set(WorldVec3(), "tagTeleportQuestion");
    activity.Update(16);
    EXPECT_TRUE(activity.IsFinished());
    EXPECT_TRUE(log.Contains("TeleportConfirmActivity: no game engine to ask \"tagTeleportQuestion\""));
}

}  // namespace
