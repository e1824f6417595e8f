// The session a host runs a game through: a joining client is told of the world, the
// handlers go with the session, an address is checked before it is used; and a client
// whose server has gone ends once it has applied what the server sent: the game's
// processes that it started run to their end first, for a bounded time.
#include <algorithm>

#include "core/EngineFixture.h"
#include "Engine/ConnectionManager.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/core/ActivityManager.h"
#include "Game/session/GameSession.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/PlayerRosterPackets.h"

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

// The server closing the game ends a client's run as expected: information, not a warning.
// A server lost otherwise is still a warning.
TEST_F(GameSessionEndTest, AServerThatClosedTheGameIsInformationAndALostOneAWarning)
{
    for (const bool closed : {true, false}) {
        LogCapture log;
        transport.QueueEvent({NetConnectionEvent::ServerLost, 0,
                              closed ? NetConnectionEvent::kServerClosed : "the server does not answer"});
        Frame(100);
        const std::vector<LogLine> lines = log.Lines();
        const auto it = std::find_if(lines.begin(), lines.end(), [](const LogLine& line) {
            return line.text.find("The server went away") != std::string::npos;
        });
        ASSERT_NE(it, lines.end()) << closed;
        EXPECT_EQ(it->level, closed ? LOG_INFO : LOG_WARNING) << it->text;
    }
}

TEST(GameSessionAddressTest, OnlyAHostAndAPortInRangeMakeAnAddress)
{
    std::string host;
    uint16_t port = 0;
    EXPECT_TRUE(GameSession::ParseAddress("127.0.0.1:7000", host, port));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, 7000);
    for (const char* text : {"127.0.0.1", ":7000", "h:", "h:0", "h:65536", "h:70x", "h:-1"})
        EXPECT_FALSE(GameSession::ParseAddress(text, host, port)) << text;
    GameSession session;
    std::string error;
    EXPECT_FALSE(session.Listen(70000, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(session.Connect("nowhere", error));
    EXPECT_FALSE(session.IsNetworked());
}

class GameSessionServerTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ConnectionManager::Get().SetTransport(&transport);
    }
    void TearDown() override
    {
        ConnectionManager::Get().SetTransport(nullptr);
        EngineTest::TearDown();
    }
    // A joining client's roster entry, as the client sends it.
    bool Join(int host)
    {
        SinglePlayerBasicInfoPacket join;
        join.info.playerId = (static_cast<uint32_t>(host) << 28) | 5u;
        join.info.playerName = u"Guest";
        const uint32_t size = join.PrepareOutBuffer();
        return NetPacketRegistry::Get().Dispatch(host, join.GetOutBuffer(), size);
    }

    RecordingTransport transport;
};

TEST_F(GameSessionServerTest, AJoiningClientIsToldOfTheWorldAndTheHandlersGoWithTheSession)
{
    std::vector<std::string> heard;
    {
        GameSession session;
        GameSession::Observers observers;
        observers.connection = [&heard](const NetConnectionEvent& event) {
            heard.push_back("joined " + std::to_string(event.host));
        };
        observers.worldSent = [&heard](int host, int characters, int items) {
            heard.push_back("told " + std::to_string(host) + ": " + std::to_string(characters) + " characters, " +
                            std::to_string(items) + " items");
        };
        session.SetObservers(std::move(observers));
        session.SetRole(GameSession::Role::Server);
        session.Start(*engine);
        EXPECT_EQ(engine->GetNetworkRole(), NetworkRole::Server);
        session.BeginPlay(0);
        transport.Connect(1);
        transport.QueueEvent({NetConnectionEvent::Joined, 1, ""});
        session.Poll();
        EXPECT_EQ(heard, (std::vector<std::string>{"joined 1", "told 1: 0 characters, 0 items"}));
        ASSERT_FALSE(transport.sent.empty());
        EXPECT_EQ(transport.sent.back().Type(), ServerSpawnCompletePacket::kType);
        EXPECT_TRUE(Join(1));
    }
    // The session went without Stop: its handlers and its hearing of connections went too.
    heard.clear();
    transport.Connect(2);
    transport.QueueEvent({NetConnectionEvent::Joined, 2, ""});
    ConnectionManager::Get().ProcessIncoming();
    EXPECT_TRUE(heard.empty());
    EXPECT_FALSE(Join(2));
}

// A server that runs for long keeps what it sent only of the monsters that live: each
// monster's entry goes as it is destroyed.
TEST_F(GameSessionServerTest, TheMonstersSentAreKeptOnlyWhileTheyLive)
{
    LogCapture quiet;
    RecordDatabase::Get().RegisterRecord("Records/Test/Monster.dbr", "Class,Monster,\ncharacterLife,100,\n");
    Region* region = World::Get().AddRegion(1, "Test");
    GameSession session;
    session.SetRole(GameSession::Role::Server);
    session.Start(*engine);
    session.BeginPlay(0);
    transport.Connect(1);
    transport.QueueEvent({NetConnectionEvent::Joined, 1, ""});
    session.Poll();
    std::vector<Monster*> living;
    for (int round = 0; round < 100; ++round) {
        for (int i = 0; i < 100; ++i) {
            auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Test/Monster.dbr");
            ASSERT_NE(monster, nullptr);
            World::Get().AddEntity(monster, WorldCoords(region, Coords()));
            living.push_back(monster);
        }
        gEngine->UpdateFrame(16);
        session.EndFrame();
        ASSERT_EQ(session.GetSentMonsterCount(), living.size());
        // All but one of each round go again; the one left is struck, and sent again.
        for (size_t i = living.size() - 100; i + 1 < living.size(); ++i)
            ObjectManager::Get().DestroyObjectEx(living[i], "test", __LINE__);
        living.erase(living.end() - 100, living.end() - 1);
        living.back()->GetCharacterBio().SubtractLife(1.0f);
        transport.sent.clear();
        gEngine->UpdateFrame(16);
        session.EndFrame();
        EXPECT_EQ(transport.sent.size(), 1u);
        ASSERT_EQ(session.GetSentMonsterCount(), living.size());
    }
    EXPECT_EQ(session.GetSentMonsterCount(), 100u);
    session.Stop();
    EXPECT_EQ(session.GetSentMonsterCount(), 0u);
}

}  // namespace
}  // namespace GAME
