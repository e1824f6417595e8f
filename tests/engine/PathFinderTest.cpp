// Straight paths bent around obstacles, the furthest reachable point, placement,
// disturbances and the floor probe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Engine/World.h"

using namespace GAME;

namespace {

class PathFinderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home = World::Get().AddRegion(1, "Home");
        east = World::Get().AddRegion(2, "East", {10, 0, 0});
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
    }
    std::unique_ptr<Path> Find(const WorldVec3& from, const WorldVec3& to, float size = 0.5f)
    {
        return World::Get().FindPath(size, from, to, Vec3{}, 0, 0, 0, 0, 30);
    }
    Region* home = nullptr;
    Region* east = nullptr;
};

}  // namespace

TEST_F(PathFinderTest, StraightAcrossRegionsAndWalkedByTheCursor)
{
    auto path = Find(WorldVec3(home, {0, 0, 0}), WorldVec3(east, {-4, 0, 0}));
    ASSERT_TRUE(path);
    EXPECT_EQ(2u, path->GetPoints().size());
    EXPECT_FLOAT_EQ(6.0f, path->GetLength());
    EXPECT_EQ(east, path->GetEnd().GetRegion());
    WorldVec3 at;
    Vec3 direction;
    EXPECT_TRUE(path->Advance(2.5f, at, direction));
    EXPECT_FLOAT_EQ(2.5f, at.ToWorldSpace().x);
    EXPECT_FLOAT_EQ(1.0f, direction.x);
    EXPECT_FLOAT_EQ(3.5f, path->GetRemainingLength());
    EXPECT_TRUE(path->Advance(-1.0f, at, direction));   // never backwards
    EXPECT_FLOAT_EQ(3.5f, path->GetRemainingLength());
    EXPECT_FALSE(path->Advance(100.0f, at, direction));
    EXPECT_EQ(path->GetEnd(), at);

    EXPECT_EQ(nullptr, Find(WorldVec3(), WorldVec3(home, {1, 0, 0})));
    EXPECT_EQ(nullptr, Find(WorldVec3(home, {std::numeric_limits<float>::quiet_NaN(), 0, 0}), WorldVec3(home, {})));
}

// The cursor keeps the stretch it is on: every step must give what the path's own
// measure gives (GetPointAt), bit for bit, on each stretch in turn, and a path filled
// again must be walked on its new points.
TEST_F(PathFinderTest, TheCursorWalksEachStretchAsThePathMeasuresItAndARefilledPath)
{
    const WorldVec3 points[] = {WorldVec3(home, {0, 0, 0}), WorldVec3(home, {3, 0, 0}), WorldVec3(home, {3, 0, 0}),
                                WorldVec3(east, {-7, 0, 4}), WorldVec3(east, {-1, 0, 4})};
    Path path;
    path.Assign(points, std::size(points));
    WorldVec3 at;
    Vec3 direction;
    float travelled = 0.0f;
    for (const float step : {1.0f, 1.7f, 0.3f, 0.0f, 2.2f, 0.9f, 3.3f, 2.6f}) {
        travelled = std::min(path.GetLength(), travelled + step);
        EXPECT_TRUE(path.Advance(step, at, direction));
        EXPECT_EQ(path.GetPointAt(travelled), at) << travelled;
        // Along x for 3, nothing, along z for 4, along x for 6.
        const bool alongZ = travelled > 3.0f && travelled <= 7.0f;
        EXPECT_EQ(alongZ ? Vec3(0, 0, 1) : Vec3(1, 0, 0), direction) << travelled;
    }
    EXPECT_FALSE(path.Advance(5.0f, at, direction));
    EXPECT_EQ(points[4], at);

    // Refilled while the cursor stood on its first stretch: the new points count.
    Path again;
    again.Assign(points, 2);
    again.Advance(1.0f, at, direction);
    const WorldVec3 other[] = {WorldVec3(home, {0, 0, 0}), WorldVec3(home, {0, 0, -8})};
    again.Assign(other, 2);
    EXPECT_TRUE(again.Advance(2.0f, at, direction));
    EXPECT_EQ(WorldVec3(home, {0, 0, -2}), at);
    EXPECT_EQ(Vec3(0, 0, -1), direction);
}

TEST_F(PathFinderTest, PathsBendAroundObstaclesInForceOnly)
{
    const WorldVec3 from(home, {0, 0, 0});
    const WorldVec3 to(home, {10, 0, 0});
    DynamicObstacle stone(home, Sphere{{5, 0, 0.2f}, 1.0f});
    EXPECT_EQ(2u, Find(from, to)->GetPoints().size());   // not attached yet
    stone.Attach();
    auto bent = Find(from, to);
    ASSERT_TRUE(bent);
    ASSERT_GT(bent->GetPoints().size(), 2u);
    EXPECT_EQ(from, bent->GetStart());
    EXPECT_EQ(to, bent->GetEnd());
    EXPECT_GT(bent->GetLength(), 10.0f);
    // Every stretch keeps the body (0.5) clear of the stone (1.0), passing on the far side.
    for (float d = 0.0f; d <= bent->GetLength(); d += 0.05f) {
        const Vec3 p = bent->GetPointAt(d).ToWorldSpace();
        EXPECT_GE((p - Vec3{5, 0, 0.2f}).Length(), 1.5f - 1e-3f) << d;
    }
    EXPECT_LT(bent->GetPointAt(5.0f).GetRegionPosition().z, 0.0f);

    // An obstacle holding an end is left out; the furthest point stops at the stone.
    DynamicObstacle onTarget(home, Sphere{{10, 0, 0}, 1.0f});
    onTarget.Attach();
    EXPECT_EQ(bent->GetPoints().size(), Find(from, to)->GetPoints().size());
    const WorldVec3 furthest = PathFinder::GetFurthestPoint(0.5f, from, to);
    EXPECT_NEAR(5.0f - std::sqrt(1.5f * 1.5f - 0.04f), furthest.ToWorldSpace().x, 1e-4f);
    stone.Detach();
    EXPECT_EQ(2u, Find(from, to)->GetPoints().size());
    EXPECT_NEAR(8.5f, PathFinder::GetFurthestPoint(0.5f, from, to).ToWorldSpace().x, 1e-4f);
    EXPECT_EQ(from, PathFinder::GetFurthestPoint(0.5f, from, WorldVec3()));
}

TEST_F(PathFinderTest, SetCoordsDisturbancesAndTheFloorProbe)
{
    auto* actor = DynamicCast<Entity>(ObjectManager::Get().CreateObject("Actor"));
    LogCapture log;
    EXPECT_FALSE(World::Get().SetCoords(actor, WorldCoords()));
    EXPECT_EQ(1u, log.Lines().size());
    EXPECT_TRUE(World::Get().SetCoords(actor, WorldCoords(east, Coords::MakeTranslation({1, 2, 3}))));
    EXPECT_FALSE(actor->IsInWorld());
    EXPECT_EQ(east, actor->GetRegion());

    const uint64_t before = World::Get().GetDisturbanceCount();
    for (size_t i = 0; i < World::kMaxDisturbances + 3; ++i)
        World::Get().CreateDisturbance(WorldVec3(home, {static_cast<float>(i), 0, 0}), {1, 1, 1}, 2.0f, 1);
    EXPECT_EQ(before + World::kMaxDisturbances + 3, World::Get().GetDisturbanceCount());
    ASSERT_EQ(World::kMaxDisturbances, World::Get().GetDisturbances().size());
    EXPECT_FLOAT_EQ(3.0f, World::Get().GetDisturbances().front().position.GetRegionPosition().x);

    home->SetFloor(-1.0f, 1);
    FloorHit hit;
    EXPECT_TRUE(World::Get().ProbeFloor(WorldVec3(home, {0, 2, 0}), 100.0f, hit));
    EXPECT_FLOAT_EQ(3.0f, hit.distance);
    EXPECT_EQ(1, hit.surface);
    EXPECT_FALSE(World::Get().ProbeFloor(WorldVec3(home, {0, 2, 0}), 2.0f, hit));    // too short
    EXPECT_FALSE(World::Get().ProbeFloor(WorldVec3(home, {0, -2, 0}), 100.0f, hit));  // below the floor
    EXPECT_FALSE(World::Get().ProbeFloor(WorldVec3(), 100.0f, hit));
    home->SetFloor(std::numeric_limits<float>::infinity(), 2);
    EXPECT_EQ(1, home->GetFloorSurface());

    // A region loaded again under its id starts with a flat floor above ground.
    home->SetUnderground(true);
    World::Get().Reset();
    home = World::Get().AddRegion(1, "Home again");
    EXPECT_FALSE(home->IsUnderground());
    EXPECT_EQ(0, home->GetFloorSurface());
}

TEST_F(PathFinderTest, APointSetsFirstBodyStepsOutOfAnObstacleAtTheCentre)
{
    const WorldVec3 centre(home, {4, 0, 0});
    std::vector<WorldVec3> points;
    // Nothing in the way: the body stands at the centre.
    ASSERT_TRUE(PathFinder::FillPointSet(centre, {0.5f}, points, true));
    ASSERT_EQ(1u, points.size());
    EXPECT_EQ(centre, points[0]);

    // A body in the way there: the nearest clear ring, and the next body clear of both.
    DynamicObstacle crowd(home, Sphere{{4, 0, 0}, 1.0f});
    crowd.Attach();
    ASSERT_TRUE(PathFinder::FillPointSet(centre, {0.5f, 0.5f}, points, true));
    ASSERT_EQ(2u, points.size());
    EXPECT_NEAR(2.0f, (points[0].GetRegionPosition() - Vec3{4, 0, 0}).Length(), 1e-4f);
    EXPECT_GE((points[1].GetRegionPosition() - Vec3{4, 0, 0}).Length(), 1.5f - 1e-4f);
    EXPECT_GE((points[1].GetRegionPosition() - points[0].GetRegionPosition()).Length(), 1.0f - 1e-4f);

    // No room anywhere near: no places at all.
    DynamicObstacle boulder(home, Sphere{{4, 0, 0}, 50.0f});
    boulder.Attach();
    EXPECT_FALSE(PathFinder::FillPointSet(centre, {0.5f}, points, true));
    EXPECT_TRUE(points.empty());
}
