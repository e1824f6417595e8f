#include <gtest/gtest.h>

#include <cmath>

#include "Engine/GameClock.h"
#include "Engine/InputDevice.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/GameCamera.h"
#include "Game/core/foundation/MathUtil.h"

using namespace GAME;

namespace {

bool Inside(const WorldFrustum& frustum, const Vec3& point)
{
    for (const Plane& plane : frustum.planes) {
        if (Dot(plane.normal, point) + plane.distance < 0.0f)
            return false;
    }
    return true;
}

class GameCameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GameClock::Get().Reset();
        InputDevice::Get().Reset();
        region = World::Get().AddRegion(1, "Home", {100, 0, 0});
        GAME::srand(7);
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        GameClock::Get().Reset();
        InputDevice::Get().Reset();
    }

    // Advances real (and game) time and runs one input step.
    void Step(GameCamera& camera, uint32_t ms)
    {
        GameClock::Get().Advance(ms);
        camera.UpdateFromInputImpl();
    }

    // The settings a game-wide record would give: distance 5..25 (default 10),
    // pitch 30..60 degrees (default 45).
    void Configure(GameCamera& camera)
    {
        camera.SetCameraDistanceDefault(10.0f);
        camera.SetCameraPitchDefault(45.0f);
        camera.SetCameraDistance(10.0f);
        camera.SetCameraPitch(DegreesToRadians(45.0f));
        camera.SetMovementExtents(5.0f, 25.0f, 30.0f, 60.0f);
    }

    Region* region = nullptr;
};

TEST_F(GameCameraTest, ConstructionSetsDefaults)
{
    GameCamera camera;
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), camera.GetCameraDistanceDefault());
    EXPECT_FLOAT_EQ(camera.GetCameraPitch(), DegreesToRadians(camera.GetCameraPitchDefault()));
    EXPECT_FLOAT_EQ(camera.GetCameraYaw(), DegreesToRadians(50.0f));
    EXPECT_FLOAT_EQ(camera.GetFieldOfView(), kGameCameraFieldOfView);
    EXPECT_EQ(camera.GetPlayer(), nullptr);
}

TEST_F(GameCameraTest, ZoomMovesTargetsByATenthAndStopsAtTheEnds)
{
    GameCamera camera;
    Configure(camera);
    EXPECT_FLOAT_EQ(camera.GetDampedDistance().GetTarget(), 0.25f);
    EXPECT_FLOAT_EQ(camera.GetDampedPitch().GetTarget(), 0.5f);

    camera.Zoom(1.0f);
    EXPECT_FLOAT_EQ(camera.GetDampedDistance().GetTarget(), 0.35f);
    EXPECT_FLOAT_EQ(camera.GetDampedPitch().GetTarget(), 0.6f);

    for (int i = 0; i < 20; ++i)
        camera.Zoom(1.0f);
    EXPECT_EQ(camera.GetDampedDistance().GetTarget(), 1.0f);
    EXPECT_EQ(camera.GetDampedPitch().GetTarget(), 1.0f);
    for (int i = 0; i < 30; ++i)
        camera.Zoom(-1.0f);
    EXPECT_EQ(camera.GetDampedDistance().GetTarget(), 0.0f);
    EXPECT_EQ(camera.GetDampedPitch().GetTarget(), 0.0f);
}

TEST_F(GameCameraTest, EasingRatesAndSnap)
{
    GameCamera camera;
    Configure(camera);
    camera.Zoom(1.0f);   // distance 0.25 -> 0.35, pitch 0.5 -> 0.6

    // 250 ms or more (f >= 1) covers half of the remaining way.
    Step(camera, 250);
    EXPECT_FLOAT_EQ(camera.GetDampedDistance().GetCurrent(), 0.30f);
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), 11.0f);
    EXPECT_FLOAT_EQ(camera.GetCameraPitch(), DegreesToRadians(46.5f));
    Step(camera, 1000);
    EXPECT_FLOAT_EQ(camera.GetDampedDistance().GetCurrent(), 0.325f);

    // 16 ms (f = 0.064) covers 3.2 % of it.
    Step(camera, 16);
    EXPECT_FLOAT_EQ(camera.GetDampedDistance().GetCurrent(), 0.325f + 0.025f * 0.032f);

    // Once the rest is within 0.001 the value lands exactly on the target.
    int steps = 0;
    while (camera.GetDampedDistance().GetCurrent() != camera.GetDampedDistance().GetTarget() && steps < 1000) {
        const float before = camera.GetDampedDistance().GetTarget() - camera.GetDampedDistance().GetCurrent();
        Step(camera, 250);
        if (camera.GetDampedDistance().GetCurrent() != camera.GetDampedDistance().GetTarget()) {
            EXPECT_GT(before, 0.001f);
        }
        ++steps;
    }
    EXPECT_LT(steps, 20);
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), 12.0f);
}

TEST_F(GameCameraTest, YawAlwaysResolvesToFifty)
{
    GameCamera camera;
    Configure(camera);
    camera.Zoom(3.0f);
    for (int i = 0; i < 10; ++i)
        Step(camera, 100);
    EXPECT_FLOAT_EQ(camera.GetCameraYaw(), DegreesToRadians(50.0f));
    EXPECT_FLOAT_EQ(camera.GetDampedYaw().GetValue(), 50.0f);

    // A yaw turned from outside comes back with the reset keys.
    camera.SetCameraYaw(1.0f);
    InputDevice::Get().SetKeyDown(kCameraResetKeyA, true);
    InputDevice::Get().SetKeyDown(kCameraResetKeyB, true);
    Step(camera, 100);
    EXPECT_FLOAT_EQ(camera.GetCameraYaw(), DegreesToRadians(50.0f));
}

TEST_F(GameCameraTest, ShakeDecaysAndStopsAfterItsTime)
{
    GameCamera camera;
    camera.SetTarget(WorldVec3(region, {1, 2, 3}));
    camera.Shake(500, 0.12f);
    Step(camera, 0);   // the zoom timer starts now

    for (int left = 500; left > 0; left -= 100) {
        Step(camera, 100);
        // The noise stays within [0, 1], so each axis moves at most half the magnitude.
        const float bound = 0.5f * static_cast<float>(left) / 500.0f * 0.12f + 1e-6f;
        const Vec3& offset = camera.GetCameraOffset();
        EXPECT_LE(std::fabs(offset.x), bound);
        EXPECT_LE(std::fabs(offset.y), bound);
        EXPECT_LE(std::fabs(offset.z), bound);
        EXPECT_EQ(camera.GetShakeTimeLeft(), left - 100);
        if (camera.GetShakeTimeLeft() > 0) {
            EXPECT_EQ(camera.GetTarget().GetRegionPosition(), Vec3(1, 2, 3) + offset);
        }
    }
    EXPECT_EQ(camera.GetTarget().GetRegionPosition(), Vec3(1, 2, 3));

    // No shake without a duration.
    camera.Shake(0, 1.0f);
    Step(camera, 100);
    EXPECT_EQ(camera.GetTarget().GetRegionPosition(), Vec3(1, 2, 3));
}

TEST_F(GameCameraTest, PausedGameFreezesShakeAndEasing)
{
    GameCamera camera;
    Configure(camera);
    camera.Shake(500, 0.12f);
    camera.Zoom(1.0f);
    Step(camera, 0);

    GameClock::Get().SetPaused(true);
    Step(camera, 400);
    Step(camera, 400);
    EXPECT_EQ(camera.GetShakeTimeLeft(), 500);
    EXPECT_FLOAT_EQ(camera.GetDampedDistance().GetCurrent(), 0.25f);

    // Time that passed while paused is not counted afterwards.
    GameClock::Get().SetPaused(false);
    Step(camera, 100);
    EXPECT_EQ(camera.GetShakeTimeLeft(), 400);
}

TEST_F(GameCameraTest, TargetOffsetClampAndReset)
{
    GameCamera camera;
    camera.SetTargetOffset({50.0f, -20.0f, -41.0f});
    camera.ClampTargetOffset();
    EXPECT_EQ(camera.GetTargetOffset(), Vec3(40.0f, -15.0f, -40.0f));
    camera.SetTargetOffset({-3.0f, 14.0f, 39.0f});
    camera.ClampTargetOffset();
    EXPECT_EQ(camera.GetTargetOffset(), Vec3(-3.0f, 14.0f, 39.0f));

    camera.SetTarget(WorldVec3(region, {1, 2, 3}));
    EXPECT_EQ(camera.GetTarget().GetRegionPosition(), Vec3(-2, 16, 42));
    camera.ResetToDefaults(true);
    EXPECT_EQ(camera.GetTargetOffset(), Vec3());

    // Without a region the target is not moved.
    camera.SetTargetOffset({5.0f, 0.0f, 0.0f});
    camera.SetTarget(WorldVec3());
    EXPECT_FALSE(camera.GetTarget().IsValid());
    EXPECT_EQ(camera.GetTarget().GetRegionPosition(), Vec3());
}

TEST_F(GameCameraTest, ResetKeysEaseBackToDefaults)
{
    GameCamera camera;
    Configure(camera);
    camera.Zoom(2.0f);
    Step(camera, 0);
    Step(camera, 250);
    camera.SetTargetOffset({4.0f, 0.0f, 0.0f});
    const float zoomed = camera.GetCameraDistance();
    ASSERT_GT(zoomed, 10.0f);

    // One key alone does nothing.
    InputDevice::Get().SetKeyDown(kCameraResetKeyA, true);
    Step(camera, 0);
    EXPECT_EQ(camera.GetTargetOffset(), Vec3(4.0f, 0.0f, 0.0f));

    InputDevice::Get().SetKeyDown(kCameraResetKeyB, true);
    Step(camera, 0);
    InputDevice::Get().Reset();
    EXPECT_EQ(camera.GetTargetOffset(), Vec3());
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), zoomed);   // no jump
    EXPECT_FLOAT_EQ(camera.GetDampedDistance().GetTarget(), 0.25f);
    for (int i = 0; i < 30; ++i)
        Step(camera, 250);
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), 10.0f);
    EXPECT_FLOAT_EQ(camera.GetCameraPitch(), DegreesToRadians(45.0f));
}

TEST_F(GameCameraTest, InputStepKeepsTheCameraWithinLimits)
{
    GameCamera camera;
    camera.SetCameraDistance(5000.0f);
    camera.SetCameraPitch(DegreesToRadians(120.0f));
    Step(camera, 0);
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), 1000.0f);
    EXPECT_FLOAT_EQ(camera.GetCameraPitch(), DegreesToRadians(89.0f));
    camera.SetCameraDistance(0.0f);
    camera.SetCameraPitch(-1.0f);
    Step(camera, 0);
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), 1.0f);
    EXPECT_FLOAT_EQ(camera.GetCameraPitch(), 0.0f);
}

TEST_F(GameCameraTest, RecordWithoutCameraKeysGivesFiniteValues)
{
    // A game-wide record without the camera keys gives every camera setting 0.
    GameCamera camera;
    camera.SetCameraDistanceDefault(0.0f);
    camera.SetCameraPitchDefault(0.0f);
    camera.SetCameraDistance(0.0f);
    camera.SetCameraPitch(0.0f);
    camera.SetMovementExtents(0.0f, 0.0f, 0.0f, 0.0f);
    camera.Zoom(1.0f);
    Step(camera, 0);
    Step(camera, 250);
    EXPECT_TRUE(std::isfinite(camera.GetCameraDistance()));
    EXPECT_TRUE(std::isfinite(camera.GetCameraPitch()));
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), 1.0f);
}

TEST_F(GameCameraTest, FollowsThePlayersCameraPoint)
{
    Player* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
    ASSERT_NE(player, nullptr);
    World::Get().AddEntity(player, WorldCoords(region, Coords::MakeTranslation({3, 0, 4})));
    player->SetAttachPoint(Name("Camera"), {0, 2, 0});

    GameCamera camera;
    camera.SetPlayer(player);
    camera.Update();
    EXPECT_EQ(camera.GetTarget(), WorldVec3(region, {3, 2, 4}));

    // The camera stands its distance away, looking at the target from above.
    const Vec3 eye = camera.GetCoords().GetRegionCoords().origin;
    const Vec3 toTarget = Vec3(3, 2, 4) - eye;
    EXPECT_EQ(camera.GetCoords().GetRegion(), region);
    EXPECT_NEAR(toTarget.Length(), camera.GetCameraDistance(), 1e-4f);
    EXPECT_NEAR(Dot(toTarget.Unit(), camera.GetViewDirection()), 1.0f, 1e-5f);
    EXPECT_GT(eye.y, 2.0f);
}

TEST_F(GameCameraTest, FrustumAndSubFrustum)
{
    GameCamera camera;
    camera.SetTarget(WorldVec3(region, {0, 0, 0}));
    camera.Update();
    const Vec3 eye = camera.GetCoords().GetRegionCoords().origin;
    const Vec3 view = camera.GetViewDirection();

    WorldFrustum full;
    camera.GetFrustum(full, Viewport());
    EXPECT_EQ(full.region, region);
    ASSERT_EQ(full.planes.size(), 6u);
    EXPECT_TRUE(Inside(full, {0, 0, 0}));
    EXPECT_FALSE(Inside(full, eye - view));                 // behind the camera
    EXPECT_FALSE(Inside(full, eye + view * 2000.0f));       // past the far plane
    EXPECT_FALSE(Inside(full, Vec3(0, 0, 0) + Cross(view, {0, 1, 0}).Unit() * 50.0f));   // far to the side

    // A point a little off the centre line is in the full view but not in a narrow window.
    const Vec3 side = Cross(view, camera.GetCoords().GetRegionCoords().yAxis).Unit();
    const Vec3 offCentre = Vec3(0, 0, 0) + side * 1.0f;
    WorldFrustum narrow;
    camera.GetSubFrustum(narrow, Viewport(), 0.45f, 0.45f, 0.55f, 0.55f, 100.0f);
    EXPECT_TRUE(Inside(full, offCentre));
    EXPECT_TRUE(Inside(narrow, {0, 0, 0}));
    EXPECT_FALSE(Inside(narrow, offCentre));
    // The window's right edge is on the screen's right.
    WorldFrustum rightHalf;
    camera.GetSubFrustum(rightHalf, Viewport(), 0.5f, 0.0f, 1.0f, 1.0f, 100.0f);
    EXPECT_TRUE(Inside(rightHalf, offCentre));
    EXPECT_FALSE(Inside(rightHalf, Vec3(0, 0, 0) - side * 1.0f));
}

TEST_F(GameCameraTest, TransparencyFrustum)
{
    GameCamera camera;
    // No target region: nothing is computed.
    camera.UpdateTransparencyFrustum(Viewport());
    EXPECT_TRUE(camera.GetTransparencyFrustum().planes.empty());

    camera.SetTarget(WorldVec3(region, {0, 1, 0}));
    camera.Update();
    camera.UpdateTransparencyFrustum(Viewport());
    const WorldFrustum& noPlayer = camera.GetTransparencyFrustum();
    EXPECT_EQ(noPlayer.region, region);
    EXPECT_EQ(camera.GetTransparencyHeight(), 0.0f);
    ASSERT_EQ(noPlayer.planes.size(), 7u);

    const Vec3 view = camera.GetViewDirection();
    const Vec3 target{0, 1, 0};
    EXPECT_FALSE(Inside(noPlayer, target));                  // the player is never see-through
    EXPECT_FALSE(Inside(noPlayer, target - view * 2.9f));
    EXPECT_TRUE(Inside(noPlayer, target - view * 3.1f));

    Player* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
    World::Get().AddEntity(player, WorldCoords(region, Coords::MakeTranslation({0, 1, 0})));
    camera.SetPlayer(player);
    camera.Update();
    camera.UpdateTransparencyFrustum(Viewport());
    const WorldFrustum& withPlayer = camera.GetTransparencyFrustum();
    EXPECT_FLOAT_EQ(camera.GetTransparencyHeight(), 4.0f);
    ASSERT_EQ(withPlayer.planes.size(), 8u);
    // Between the camera and the player only what is above the head is included.
    const Vec3 eye = camera.GetCoords().GetRegionCoords().origin;
    const Vec3 between = target + (eye - target) * 0.5f;
    ASSERT_GT(between.y, 4.0f);
    EXPECT_TRUE(Inside(withPlayer, between));
    EXPECT_FALSE(Inside(withPlayer, target - view * 3.5f));  // below the head height
}

}  // namespace
