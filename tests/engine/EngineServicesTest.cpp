// Engine services the game calls by name: the network shim, the path finder's point test,
// frames and positions (facing, turning, blending, the floor), timers and the singleton
// manager.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "Engine/ChatPacket.h"
#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/GameClock.h"
#include "Engine/GameTimer.h"
#include "Engine/NetworkShim.h"
#include "Engine/PathFinder.h"
#include "Engine/Singleton.h"
#include "Engine/World.h"

using namespace GAME;

namespace {

class EngineServicesTest : public ::testing::Test {
protected:
    void SetUp() override { home = World::Get().AddRegion(1, "Home", Vec3{10, 0, 0}); }
    void TearDown() override
    {
        gEngine->GetNetworkShim()->SetRole(NetworkShim::Role_Off);
        ConnectionManager::Get().SetTransport(nullptr);
        GameClock::Get().SetPaused(false);
        World::Get().Reset();
    }
    Region* home = nullptr;
};

}  // namespace

TEST_F(EngineServicesTest, TheNetworkShimSendsWhereTheRoleSaysOnlyWhileOn)
{
    RecordingTransport transport;
    ConnectionManager::Get().SetTransport(&transport);
    ChatPacket packet;
    EXPECT_FALSE(gEngine->IsNetworkEnabled());
    EXPECT_FALSE(gEngine->GetNetworkShim()->Send(packet));
    EXPECT_TRUE(transport.sent.empty());

    gEngine->GetNetworkShim()->SetRole(NetworkShim::Role_Server);
    EXPECT_TRUE(gEngine->IsNetworkEnabled());
    EXPECT_TRUE(gEngine->GetNetworkShim()->Send(packet));
    gEngine->GetNetworkShim()->SetRole(NetworkShim::Role_Client);
    EXPECT_TRUE(gEngine->GetNetworkShim()->Send(packet));
    ASSERT_EQ(transport.sent.size(), 2u);
    EXPECT_EQ(transport.sent[0].to.kind, NetDestination::AllClients);
    EXPECT_EQ(transport.sent[1].to.kind, NetDestination::Server);
}

TEST_F(EngineServicesTest, APointCollidesOnlyStrictlyInsideAnObstacleInForce)
{
    DynamicObstacle obstacle(home, Sphere{Vec3{0, 0, 0}, 2.0f});
    const WorldVec3 inside(home, Vec3{1.5f, 0, 0});
    const WorldVec3 onSurface(home, Vec3{2.0f, 0, 0});
    EXPECT_FALSE(PathFinder::TestPointCollide(inside));   // not attached: not in force
    obstacle.Attach();
    EXPECT_TRUE(PathFinder::TestPointCollide(inside));
    EXPECT_FALSE(PathFinder::TestPointCollide(onSurface));
    obstacle.Detach();
    EXPECT_FALSE(PathFinder::TestPointCollide(inside));
}

TEST_F(EngineServicesTest, FramesFaceLevelTurnAboutAPointBlendAndPositionsGoDownToTheFloor)
{
    // Facing a target above and to the side: the frame stands at the position and never
    // leans.
    const WorldCoords facing =
        WorldCoords::LookAtNoLean(WorldVec3(home, Vec3{1, 2, 3}), WorldVec3(home, Vec3{4, 9, 7}), Vec3{0, 1, 0});
    EXPECT_EQ(facing.GetRegion(), home);
    EXPECT_EQ(facing.GetRegionCoords().origin, (Vec3{1, 2, 3}));
    EXPECT_FLOAT_EQ(facing.GetRegionCoords().zAxis.x, 0.6f);
    EXPECT_FLOAT_EQ(facing.GetRegionCoords().zAxis.y, 0.0f);
    EXPECT_FLOAT_EQ(facing.GetRegionCoords().zAxis.z, 0.8f);
    EXPECT_FALSE(WorldCoords::LookAtNoLean(WorldVec3(), WorldVec3(home, Vec3{}), Vec3{0, 1, 0}).IsValid());

    // A quarter turn about the vertical through (1, 0, 0): (3, 0, 0) swings to (1, 0, -2).
    WorldCoords cursor(home, Coords::MakeTranslation(Vec3{3, 0, 0}));
    cursor.RotateAroundPoint(Vec3{1, 0, 0}, Vec3{0, 1, 0}, 1.5707964f);
    EXPECT_NEAR(cursor.GetRegionCoords().origin.x, 1.0f, 1e-5f);
    EXPECT_NEAR(cursor.GetRegionCoords().origin.z, -2.0f, 1e-5f);
    EXPECT_NEAR(cursor.GetRegionCoords().zAxis.x, 1.0f, 1e-5f);

    // Halfway between two frames turned apart: the middle position, a square unit frame.
    Coords turned = Coords::MakeRotation(Vec3{0, 1, 0}, 1.5707964f);
    turned.origin = Vec3{4, 2, 0};
    const WorldCoords half = Lerp(WorldCoords(home, Coords()), WorldCoords(home, turned), 0.5f);
    EXPECT_EQ(half.GetRegionCoords().origin, (Vec3{2, 1, 0}));
    EXPECT_NEAR(half.GetRegionCoords().zAxis.Length(), 1.0f, 1e-6f);
    EXPECT_NEAR(Dot(half.GetRegionCoords().xAxis, half.GetRegionCoords().zAxis), 0.0f, 1e-6f);

    home->SetFloor(0.5f, 1);
    WorldVec3 high(home, Vec3{1, 3, 1});
    EXPECT_TRUE(high.PutOnFloor());
    EXPECT_EQ(high.GetRegionPosition(), (Vec3{1, 0.5f, 1}));
    WorldVec3 below(home, Vec3{1, 0, 1});
    EXPECT_FALSE(below.PutOnFloor());
    EXPECT_EQ(below.GetRegionPosition(), (Vec3{1, 0, 1}));
}

TEST_F(EngineServicesTest, AGameTimerStandsStillWhilePausedARealTimerRuns)
{
    GameTimer game;
    Timer real;
    gEngine->UpdateFrame(100);
    GameClock::Get().SetPaused(true);
    gEngine->UpdateFrame(50);
    EXPECT_EQ(game.GetTotalElapsedTime(), 100u);
    EXPECT_EQ(real.GetTotalElapsedTime(), 150u);
    real.Update();
    EXPECT_EQ(real.GetElapsedTime(), 150u);
    game.Reset();
    EXPECT_EQ(game.GetTotalElapsedTime(), 0u);
}

namespace {
std::vector<std::string> gDestroyed;
void DestroyFirst() { gDestroyed.push_back("first"); }
// Unregisters itself as it goes, as a singleton's destructor does.
void DestroySecond()
{
    gDestroyed.push_back("second");
    SingletonManager::Get().Unregister("second");
}
}  // namespace

TEST(SingletonManagerTest, DestroysEverySingletonOnceNewestFirst)
{
    SingletonManager& manager = SingletonManager::Get();
    ASSERT_EQ(manager.GetCount(), 0u);   // nothing else alive in this program to destroy with them
    manager.Register("first", &DestroyFirst);
    manager.Register("second", &DestroySecond);
    manager.Register("first", &DestroyFirst);   // entered already: keeps its place
    manager.Register("", &DestroyFirst);
    EXPECT_EQ(manager.GetCount(), 2u);
    manager.DestroyAll();
    EXPECT_EQ(gDestroyed, (std::vector<std::string>{"second", "first"}));
    EXPECT_FALSE(manager.IsRegistered("first"));
    EXPECT_EQ(manager.GetCount(), 0u);
}
