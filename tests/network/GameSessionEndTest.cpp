// A client whose server has gone ends once it has applied what the server sent: the game's
// processes that it started run to their end first, for a bounded time.
#include "core/EngineFixture.h"
#include "Engine/ConnectionManager.h"
#include "Game/core/ActivityManager.h"
#include "Game/network/GameSession.h"

namespace GAME {
namespace {

// A process of the game that runs for a number of updates (for ever at -1).
class CountedActivity : public GameActivity {
public:
    explicit CountedActivity(int updates) : m_left(updates) {}
    void Update(int) override
    {
        if (m_left > 0)
            --m_left;
    }
    bool IsFinished() override { return m_left == 0; }

private:
    int m_left;
};

class GameSessionEndTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ConnectionManager::Get().SetTransport(&transport);
        network.SetRole(GameSession::Role::Client);
        network.Start(*engine);
        network.BeginPlay(0);
    }
    void TearDown() override
    {
        network.Stop();
        ActivityManager::Get()->Clear();
        ConnectionManager::Get().SetTransport(nullptr);
        EngineTest::TearDown();
    }
    // One frame of the client's game of `ms`: what arrived, then the game's processes.
    void Frame(int ms)
    {
        gEngine->UpdateFrame(ms);
        ActivityManager::Get()->Update(ms);
    }

    RecordingTransport transport;
    GameSession network;
};

TEST_F(GameSessionEndTest, AClientPlaysOnAfterItsServerWentUntilWhatItStartedHasRun)
{
    Frame(100);
    EXPECT_FALSE(network.ShouldStop());
    ActivityManager::Get()->InstallActivity(new CountedActivity(3));
    transport.QueueEvent({NetConnectionEvent::ServerLost, 0, "the server closed the game"});
    int frames = 0;
    do {
        Frame(100);
        ++frames;
    } while (!network.ShouldStop() && frames < 10);
    EXPECT_TRUE(engine->HasLostServer());
    EXPECT_EQ(frames, 3);   // the three updates of the process, the first in the loss's frame
    EXPECT_FALSE(ActivityManager::Get()->HasActivities());
}

TEST_F(GameSessionEndTest, AProcessThatNeverEndsHoldsTheClientForTheBoundedTimeOnly)
{
    ActivityManager::Get()->InstallActivity(new CountedActivity(-1));
    transport.QueueEvent({NetConnectionEvent::ServerLost, 0, "the server closed the game"});
    Frame(100);
    EXPECT_FALSE(network.ShouldStop());
    Frame(static_cast<int>(GameSession::kDrainMs) - 100);
    EXPECT_FALSE(network.ShouldStop());
    Frame(100);
    EXPECT_TRUE(network.ShouldStop());
    EXPECT_TRUE(ActivityManager::Get()->HasActivities());
}

}  // namespace
}  // namespace GAME
