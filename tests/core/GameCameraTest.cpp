#include <gtest/gtest.h>

#include <cmath>

#include "Engine/GameClock.h"
#include "Engine/GridRegion.h"
#include "Engine/InputDevice.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
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
        GAME::srand(7);
        region = World::Get().AddRegion(1, "Home", {100, 0, 0});
        // What a game-wide record gives: distance 5..25 (default 10), pitch 30..60 (45).
        camera.SetCameraDistanceDefault(10.0f);
        camera.SetCameraPitchDefault(45.0f);
        camera.SetCameraDistance(10.0f);
        camera.SetCameraPitch(DegreesToRadians(45.0f));
        camera.SetMovementExtents(5.0f, 25.0f, 30.0f, 60.0f);
        Step(0);   // the zoom timer counts from here
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        GameClock::Get().Reset();
        InputDevice::Get().Reset();
    }

    void Step(uint32_t ms)
    {
        GameClock::Get().Advance(ms);
        camera.UpdateFromInputImpl();
    }
    Player* PlacePlayer(const Vec3& at)
    {
        auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
        World::Get().AddEntity(player, WorldCoords(region, Coords::MakeTranslation(at)));
        return player;
    }
    float Distance() const { return camera.GetDampedDistance().GetCurrent(); }

    Region* region = nullptr;
    GameCamera camera;
};

TEST_F(GameCameraTest, ZoomMovesTargetsByATenthAndStopsAtTheEnds)
{
    camera.Zoom(1.0f);
    EXPECT_FLOAT_EQ(camera.GetDampedDistance().GetTarget(), 0.35f);
    EXPECT_FLOAT_EQ(camera.GetDampedPitch().GetTarget(), 0.6f);
    for (int i = 0; i < 20; ++i)
        camera.Zoom(1.0f);
    EXPECT_EQ(camera.GetDampedDistance().GetTarget(), 1.0f);
    for (int i = 0; i < 30; ++i)
        camera.Zoom(-1.0f);
    EXPECT_EQ(camera.GetDampedPitch().GetTarget(), 0.0f);
}

TEST_F(GameCameraTest, EasingRatesSnapAndFixedYaw)
{
    camera.Zoom(1.0f);   // distance 0.25 -> 0.35
    Step(250);           // f = 1: half the remaining way
    EXPECT_FLOAT_EQ(Distance(), 0.30f);
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), 11.0f);
    EXPECT_FLOAT_EQ(camera.GetCameraPitch(), DegreesToRadians(46.5f));
    Step(1000);          // f is capped at 1
    EXPECT_FLOAT_EQ(Distance(), 0.325f);
    Step(16);            // f = 0.064: 3.2 %
    EXPECT_FLOAT_EQ(Distance(), 0.325f + 0.025f * 0.032f);

    // Within 0.001 of the target the value lands on it exactly.
    const float target = camera.GetDampedDistance().GetTarget();
    for (int i = 0; i < 20 && Distance() != target; ++i) {
        const float before = target - Distance();
        Step(250);
        if (before <= 0.001f) {
            EXPECT_EQ(Distance(), target);
        } else {
            EXPECT_NEAR(target - Distance(), before * 0.5f, 1e-6f);
        }
    }
    EXPECT_EQ(Distance(), target);
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), 12.0f);
    EXPECT_FLOAT_EQ(camera.GetCameraYaw(), DegreesToRadians(50.0f));
}

TEST_F(GameCameraTest, ResetKeysEaseBackAndRestoreYaw)
{
    camera.Zoom(2.0f);
    Step(250);
    camera.SetTargetOffset({4.0f, 0.0f, 0.0f});
    camera.SetCameraYaw(1.0f);
    const float zoomed = camera.GetCameraDistance();

    InputDevice::Get().SetKeyDown(kCameraResetKeyA, true);
    Step(0);   // one key alone does nothing
    EXPECT_EQ(camera.GetTargetOffset(), Vec3(4.0f, 0.0f, 0.0f));
    InputDevice::Get().SetKeyDown(kCameraResetKeyB, true);
    Step(0);
    InputDevice::Get().Reset();
    EXPECT_EQ(camera.GetTargetOffset(), Vec3());
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), zoomed);   // eases, no jump
    EXPECT_FLOAT_EQ(camera.GetCameraYaw(), DegreesToRadians(50.0f));
    for (int i = 0; i < 30; ++i)
        Step(250);
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), 10.0f);
}

TEST_F(GameCameraTest, ShakeDecaysStopsAndWaitsOutAPause)
{
    camera.SetTarget(WorldVec3(region, {1, 2, 3}));
    camera.Shake(500, 0.12f);
    GameClock::Get().SetPaused(true);
    Step(400);
    EXPECT_EQ(camera.GetShakeTimeLeft(), 500);
    GameClock::Get().SetPaused(false);

    for (int left = 500; left > 0; left -= 100) {
        Step(100);
        // The noise stays in [0, 1]: each axis moves at most half the fading magnitude.
        const float bound = 0.5f * static_cast<float>(left) / 500.0f * 0.12f + 1e-6f;
        const Vec3& offset = camera.GetCameraOffset();
        EXPECT_LE(std::fabs(offset.x), bound);
        EXPECT_LE(std::fabs(offset.z), bound);
        EXPECT_EQ(camera.GetShakeTimeLeft(), left - 100);
    }
    EXPECT_EQ(camera.GetTarget().GetRegionPosition(), Vec3(1, 2, 3));
}

TEST_F(GameCameraTest, TargetOffsetIsClamped)
{
    camera.SetTargetOffset({50.0f, -20.0f, -3.0f});
    camera.ClampTargetOffset();
    EXPECT_EQ(camera.GetTargetOffset(), Vec3(40.0f, -15.0f, -3.0f));
    camera.SetTarget(WorldVec3(region, {1, 2, 3}));
    EXPECT_EQ(camera.GetTarget().GetRegionPosition(), Vec3(41, -13, 0));
}

TEST_F(GameCameraTest, RecordWithoutCameraKeysGivesFiniteValues)
{
    camera.SetCameraDistance(0.0f);
    camera.SetCameraPitch(0.0f);
    camera.SetMovementExtents(0.0f, 0.0f, 0.0f, 0.0f);
    camera.Zoom(1.0f);
    Step(250);
    EXPECT_FLOAT_EQ(camera.GetCameraDistance(), 1.0f);   // kept at its lower limit
    EXPECT_TRUE(std::isfinite(camera.GetCameraPitch()));
}

TEST_F(GameCameraTest, FollowsThePlayerAndSeesItThroughTheFrustum)
{
    Player* player = PlacePlayer({3, 0, 4});
    player->SetAttachPoint(Name("Camera"), {0, 2, 0});
    camera.SetPlayer(player);
    camera.Update();
    EXPECT_EQ(camera.GetTarget(), WorldVec3(region, {3, 2, 4}));

    const Vec3 target{3, 2, 4};
    const Vec3 eye = camera.GetCoords().GetRegionCoords().origin;
    const Vec3 view = camera.GetViewDirection();
    EXPECT_NEAR((target - eye).Length(), 10.0f, 1e-4f);
    EXPECT_NEAR(Dot((target - eye).Unit(), view), 1.0f, 1e-5f);
    EXPECT_GT(eye.y, target.y);

    WorldFrustum full;
    camera.GetFrustum(full, Viewport());
    EXPECT_EQ(full.region, region);
    EXPECT_TRUE(Inside(full, target));
    EXPECT_FALSE(Inside(full, eye - view));
    // The screen's right half holds what lies to the right of the centre line.
    const Vec3 right = Cross(view, camera.GetCoords().GetRegionCoords().yAxis).Unit();
    WorldFrustum half, narrow;
    camera.GetSubFrustum(half, Viewport(), 0.5f, 0.0f, 1.0f, 1.0f, 100.0f);
    camera.GetSubFrustum(narrow, Viewport(), 0.45f, 0.45f, 0.55f, 0.55f, 100.0f);
    EXPECT_TRUE(Inside(half, target + right));
    EXPECT_FALSE(Inside(half, target - right));
    EXPECT_TRUE(Inside(full, target + right));
    EXPECT_FALSE(Inside(narrow, target + right));
}

TEST_F(GameCameraTest, ADestroyedPlayerIsNoLongerFollowed)
{
    Player* player = PlacePlayer({3, 0, 4});
    camera.SetPlayer(player);
    camera.Update();
    EXPECT_EQ(camera.GetPlayer(), player);
    const WorldVec3 followed = camera.GetTarget();

    ObjectManager::Get().DestroyObjectEx(player, __FILE__, __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(camera.GetPlayer(), nullptr);
    camera.Update();   // keeps the last target
    EXPECT_EQ(camera.GetTarget(), followed);
    camera.UpdateTransparencyFrustum(Viewport());
    EXPECT_EQ(camera.GetTransparencyHeight(), 0.0f);
}

TEST_F(GameCameraTest, TransparencyFrustum)
{
    camera.UpdateTransparencyFrustum(Viewport());   // no target region: nothing
    EXPECT_TRUE(camera.GetTransparencyFrustum().planes.empty());

    const Vec3 target{0, 1, 0};
    camera.SetTarget(WorldVec3(region, target));
    camera.Update();
    camera.UpdateTransparencyFrustum(Viewport());
    const Vec3 view = camera.GetViewDirection();
    EXPECT_EQ(camera.GetTransparencyFrustum().region, region);
    EXPECT_EQ(camera.GetTransparencyHeight(), 0.0f);   // no player
    EXPECT_FALSE(Inside(camera.GetTransparencyFrustum(), target - view * 2.9f));
    EXPECT_TRUE(Inside(camera.GetTransparencyFrustum(), target - view * 3.1f));

    camera.SetPlayer(PlacePlayer(target));
    camera.Update();
    camera.UpdateTransparencyFrustum(Viewport());
    EXPECT_FLOAT_EQ(camera.GetTransparencyHeight(), 4.0f);
    const Vec3 eye = camera.GetCoords().GetRegionCoords().origin;
    EXPECT_TRUE(Inside(camera.GetTransparencyFrustum(), target + (eye - target) * 0.5f));   // above the head
    EXPECT_FALSE(Inside(camera.GetTransparencyFrustum(), target - view * 3.5f));            // below it
}

// Underground, the open lattice next to the target goes to the level's grid as two boxes:
// one along z and one along x, each through the lattice line on the camera's side of the
// target, 1.5 either side of it, from the cell's floor to 5 above, over the whole open run.
// Above ground, or where the target's own lattice is closed, no box goes.
TEST_F(GameCameraTest, UndergroundTransparencyFollowsTheOpenLatticeRuns)
{
    auto grid = std::make_shared<GridRegion>(Vec3(2.0f, 4.0f, 2.0f), 10, 2, 10);
    for (int x = 0; x <= 20; ++x)
        for (int z = 0; z <= 20; ++z)
            grid->SetLatticeValue(x, 0, z, true);
    EXPECT_FALSE(grid->GetLatticeValue(21, 0, 0));
    EXPECT_FALSE(grid->GetLatticeValue(0, 1, 0));
    region->SetGridRegion(grid);
    const Vec3 target{5.0f, 1.0f, 5.0f};
    camera.SetTarget(WorldVec3(region, target));
    camera.Update();
    camera.UpdateTransparencyFrustum(Viewport());
    EXPECT_TRUE(grid->GetTransparentBoxes().empty());   // not underground

    region->SetUnderground(true);
    camera.UpdateTransparencyFrustum(Viewport());
    const auto& boxes = grid->GetTransparentBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    const Vec3 view = camera.GetViewDirection();
    // Planes in order: +x, -x, +y, -y, +z, -z; a box spans [-d of +axis, d of -axis].
    const struct { int across, along; float toward; } runs[] = {{0, 2, view.x}, {2, 0, view.z}};
    for (size_t i = 0; i < 2; ++i) {
        const auto& box = boxes[i];
        ASSERT_EQ(box.size(), 6u);
        auto low = [&](int axis) { return -box[2 * axis].distance; };
        auto high = [&](int axis) { return box[2 * axis + 1].distance; };
        const int across = runs[i].across, along = runs[i].along;
        EXPECT_FLOAT_EQ(high(across) - low(across), 3.0f) << i;
        const float line = (low(across) + high(across)) * 0.5f;
        const float at = across == 0 ? target.x : target.z;
        EXPECT_FLOAT_EQ(std::fabs(line - at), 1.0f) << i;
        EXPECT_LT((line - at) * runs[i].toward, 0.0f) << i;   // on the camera's side
        EXPECT_FLOAT_EQ(low(1), 0.0f) << i;
        EXPECT_FLOAT_EQ(high(1), 5.0f) << i;
        EXPECT_FLOAT_EQ(low(along), -2.0f) << i;
        EXPECT_FLOAT_EQ(high(along), 18.0f) << i;
    }

    grid->ClearTransparency();
    for (int x = 0; x <= 20; ++x)
        for (int z = 0; z <= 20; ++z)
            grid->SetLatticeValue(x, 0, z, false);
    camera.UpdateTransparencyFrustum(Viewport());
    EXPECT_TRUE(grid->GetTransparentBoxes().empty());
}

}  // namespace
