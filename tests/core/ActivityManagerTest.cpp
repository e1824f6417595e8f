#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/GraphicsCanvas.h"
#include "Engine/World.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeleportConfirmActivity.h"
#include "Game/quests/DialogManager.h"
#include "EngineFixture.h"

using namespace GAME;

namespace {

// Records what happens to it in a shared journal; finishes after a set number of updates.
class JournalActivity : public GameActivity {
public:
    JournalActivity(std::string name, std::vector<std::string>& journal, int updatesToFinish = 1000)
        : m_name(std::move(name)), m_journal(journal), m_updatesLeft(updatesToFinish)
    {
    }
    ~JournalActivity() override { m_journal.push_back(m_name + " destroyed"); }

    void Update(int ms) override
    {
        m_journal.push_back(m_name + " update " + std::to_string(ms));
        --m_updatesLeft;
        if (onUpdate)
            onUpdate();
    }
    void Render(GraphicsCanvas& canvas) override
    {
        m_journal.push_back(m_name + " render");
        canvas.RenderRect(Rect{0, 0, 1, 1}, Color{0, 0, 0, 1});
    }
    bool IsFinished() override { return m_updatesLeft <= 0; }

    std::function<void()> onUpdate;

private:
    std::string m_name;
    std::vector<std::string>& m_journal;
    int m_updatesLeft;
};

class ActivityManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ActivityManager::Destroy(); }
    void TearDown() override { ActivityManager::Destroy(); }

    ActivityManager& manager() { return *ActivityManager::Get(); }
    JournalActivity* Make(const char* name, int updatesToFinish = 1000)
    {
        return new JournalActivity(name, journal, updatesToFinish);
    }

    std::vector<std::string> journal;
};

using Journal = std::vector<std::string>;

TEST_F(ActivityManagerTest, IdsAndInstallation)
{
    manager().InstallActivity(nullptr);
    manager().FastInstallActivity(nullptr);
    JournalActivity* a = Make("a");
    JournalActivity* b = Make("b");
    manager().InstallActivity(a);
    manager().FastInstallActivity(b);
    EXPECT_EQ(a->GetActivityId(), 1u);   // null used no id
    EXPECT_EQ(b->GetActivityId(), 2u);

    // Installed waits for the next update; fast-installed is active at once.
    EXPECT_FALSE(manager().IsActivityActive(1));
    EXPECT_EQ(manager().GetActivity(2), b);
    manager().Update(16);
    EXPECT_EQ(manager().GetActivity(1), a);
    EXPECT_EQ(manager().GetActivity(3), nullptr);
    // Already active ones run first, then the pending ones join in order.
    EXPECT_EQ(journal, (Journal{"b update 16", "a update 16"}));
}

TEST_F(ActivityManagerTest, InstalledDuringUpdateStartsNextFrame)
{
    JournalActivity* first = Make("first");
    first->onUpdate = [this, first] {
        if (first->GetActivityId() != 0 && !manager().IsActivityActive(2))
            manager().InstallActivity(Make("second"));
    };
    manager().InstallActivity(first);
    manager().Update(10);
    EXPECT_EQ(journal, (Journal{"first update 10"}));
    EXPECT_FALSE(manager().IsActivityActive(2));
    journal.clear();
    manager().Update(20);
    EXPECT_EQ(journal, (Journal{"first update 20", "second update 20"}));
}

TEST_F(ActivityManagerTest, FinishedAfterFirstUpdateIsDestroyedAndNeverRendered)
{
    manager().InstallActivity(Make("once", 1));
    manager().InstallActivity(Make("stays"));
    manager().Update(5);
    EXPECT_EQ(journal, (Journal{"once update 5", "once destroyed", "stays update 5"}));
    EXPECT_FALSE(manager().IsActivityActive(1));

    journal.clear();
    GraphicsCanvas canvas(800, 600);
    manager().Render(canvas);
    EXPECT_EQ(journal, (Journal{"stays render"}));
    EXPECT_EQ(canvas.GetRenderedRects().size(), 1u);
}

TEST_F(ActivityManagerTest, ClearAndDestroyFreeEverything)
{
    manager().InstallActivity(Make("a"));
    manager().Update(1);
    manager().InstallActivity(Make("pending"));
    manager().Clear();
    EXPECT_EQ(journal, (Journal{"a update 1", "a destroyed"}));

    // Pending activities survive Clear, and are destroyed with the manager.
    journal.clear();
    ActivityManager::Destroy();
    EXPECT_EQ(journal, (Journal{"pending destroyed"}));
}

TEST_F(ActivityManagerTest, ClearDuringAnUpdateDestroysAfterIt)
{
    JournalActivity* clearer = Make("clearer");
    clearer->onUpdate = [this] { manager().Clear(); };
    manager().InstallActivity(clearer);
    manager().InstallActivity(Make("next"));
    manager().Update(3);
    EXPECT_EQ(journal, (Journal{"clearer update 3", "clearer destroyed", "next destroyed"}));
    EXPECT_FALSE(manager().IsActivityActive(1));
    EXPECT_FALSE(manager().IsActivityActive(2));
}

// Teleport confirmation, against the real game engine and its dialog manager.
class RecordingTeleportConfirm : public TeleportConfirmActivity {
public:
    explicit RecordingTeleportConfirm(std::vector<Vec3>& teleports) : m_teleports(teleports) {}

protected:
    void InitiatePlayerTeleport(int x, int y, int z) override
    {
        m_teleports.push_back(Vec3(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)));
    }

private:
    std::vector<Vec3>& m_teleports;
};

class TeleportConfirmTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(5, "Far", {100, 0, -200});
    }

    DialogManager& dialogs() { return engine->GetDialogManager(); }

    Region* region = nullptr;
    std::vector<Vec3> teleports;
};

TEST_F(TeleportConfirmTest, AsksOnceAndTeleportsOnYes)
{
    RecordingTeleportConfirm activity(teleports);
    activity.Set(WorldVec3(region, {1.9f, 2.5f, 10.7f}), "tagTeleportQuestion");
    activity.Update(16);
    activity.Update(16);
    ASSERT_EQ(dialogs().GetNumDialog(), 1u);
    const DialogManager::Dialog* dialog = dialogs().PeekTopDialog();
    EXPECT_EQ(dialog->type, kDialogTypeYesNo);
    EXPECT_EQ(dialog->party, DialogParty::kTeleportConfirm);
    EXPECT_FALSE(activity.IsFinished());
    EXPECT_TRUE(teleports.empty());

    dialogs().AddResponse(DialogParty::kTeleportConfirm, true);
    activity.Update(16);
    EXPECT_TRUE(activity.IsFinished());
    // Whole world units, truncated toward zero.
    ASSERT_EQ(teleports.size(), 1u);
    EXPECT_EQ(teleports[0], Vec3(101, 2, -189));
}

TEST_F(TeleportConfirmTest, NoOrNowhereFinishesWithoutTeleport)
{
    RecordingTeleportConfirm declined(teleports);
    declined.Set(WorldVec3(region, {1, 2, 3}), "tagTeleportQuestion");
    declined.Update(16);
    dialogs().AddResponse(DialogParty::kTeleportConfirm, false);
    declined.Update(16);
    EXPECT_TRUE(declined.IsFinished());

    RecordingTeleportConfirm nowhere(teleports);
    nowhere.Set(WorldVec3(), "tagTeleportQuestion");
    nowhere.Update(16);
    dialogs().AddResponse(DialogParty::kTeleportConfirm, true);
    nowhere.Update(16);
    EXPECT_TRUE(nowhere.IsFinished());
    EXPECT_TRUE(teleports.empty());

    // Answers meant for other askers are left alone.
    RecordingTeleportConfirm waiting(teleports);
    waiting.Update(16);
    dialogs().AddResponse(DialogParty::kPartyInvite, true);
    waiting.Update(16);
    EXPECT_FALSE(waiting.IsFinished());
    EXPECT_EQ(dialogs().GetNumResponsesFor(DialogParty::kPartyInvite), 1);
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
