#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Engine/WorldCamera.h"

using namespace GAME;

namespace {

class StaticEntity : public Entity {
    GAME_DECLARE_CLASS(StaticEntity)

public:
    bool IsStatic() const override { return true; }
};
GAME_IMPLEMENT_CLASS(StaticEntity, Entity)

class AnyEntity : public FilterFunction<Entity> {
public:
    bool operator()(const Entity*) const override { return true; }
};

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home = World::Get().AddRegion(1, "Home");
        east = World::Get().AddRegion(2, "East", {100, 0, 0});
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
    }

    Entity* Place(const Vec3& at, Region* region = nullptr, const char* className = "Actor")
    {
        Entity* entity = DynamicCast<Entity>(ObjectManager::Get().CreateObject(className));
        World::Get().AddEntity(entity, WorldCoords(region ? region : home, Coords::MakeTranslation(at)));
        return entity;
    }

    Region* home = nullptr;
    Region* east = nullptr;
};

}  // namespace

TEST_F(WorldTest, RegionsById)
{
    EXPECT_EQ(home, World::Get().GetRegionById(1));
    EXPECT_EQ(nullptr, World::Get().GetRegionById(3));
    LogCapture log;
    EXPECT_EQ(nullptr, World::Get().AddRegion(1, "Again"));
    EXPECT_EQ(nullptr, World::Get().AddRegion(0, "Zero"));
    EXPECT_EQ(2u, log.Lines().size());
}

TEST_F(WorldTest, PositionsSubtractAcrossRegions)
{
    const WorldVec3 a(home, {1, 2, 3});
    const WorldVec3 b(east, {-99, 2, 3});
    EXPECT_EQ((Vec3{0, 0, 0}), b - a);
    EXPECT_EQ((Vec3{-5, 0, 0}), WorldVec3(home, {-4, 2, 3}) - a);
    EXPECT_EQ((Vec3{}), WorldVec3() - a);
    WorldVec3 moved = a;
    moved.Translate({1, 1, 1});
    EXPECT_EQ(WorldVec3(home, {2, 3, 4}), moved);
    EXPECT_EQ(1u, moved.GetRegionId());
    EXPECT_EQ(0u, WorldVec3().GetRegionId());
}

TEST_F(WorldTest, QueriesKeepTheOrderOfPlacement)
{
    Entity* first = Place({0, 0, 0});
    Entity* second = Place({1, 0, 0});
    Entity* third = Place({2, 0, 0});
    World::Get().RemoveEntity(second);
    Entity* fourth = Place({3, 0, 0});
    World::Get().AddEntity(first, WorldCoords(home, Coords::MakeTranslation({4, 0, 0})));   // moves, keeps its place
    World::Get().AddEntity(second, WorldCoords(home, Coords{}));                             // back at the end

    std::vector<Entity*> found;
    World::Get().GetEntities(found, AnyEntity(), EntityList_All);
    EXPECT_EQ((std::vector<Entity*>{first, third, fourth, second}), found);

    found.clear();
    World::Get().GetEntitiesInSphere(found, home, Sphere{{3, 0, 0}, 1.0f}, EntityList_All);
    EXPECT_EQ((std::vector<Entity*>{first, third, fourth}), found);   // bounding radius 0.5 reaches 1.5 away
}

// The queries test a copy of each entity's position and radius: a move, a new radius and
// a removal ahead of it in the list must all reach that copy.
TEST_F(WorldTest, QueriesSeeMovesAndRadiiChangedWhilePlaced)
{
    Entity* gone = Place({50, 0, 0});
    Entity* grown = Place({3, 0, 0});
    Entity* mover = Place({40, 0, 0});
    World::Get().RemoveEntity(gone);
    grown->SetBoundingRadius(2.5f);
    World::Get().SetCoords(mover, WorldCoords(east, Coords::MakeTranslation({-99, 0, 0})));   // world x = 1
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, home, Sphere{{0, 0, 0}, 1.0f}, EntityList_All);
    EXPECT_EQ((std::vector<Entity*>{grown, mover}), found);
    found.clear();
    World::Get().GetEntitiesInBox(found, home, OBBox(Coords::MakeTranslation({50, 0, 0}), {1, 1, 1}),
                                  EntityList_All);
    EXPECT_TRUE(found.empty());   // the removed one is not tested

    // Out of the world a new radius or place waits for the next placement.
    World::Get().RemoveEntity(grown);
    grown->SetBoundingRadius(0.1f);
    World::Get().AddEntity(gone, WorldCoords(home, Coords::MakeTranslation({0, 0, 0})));
    World::Get().AddEntity(grown, WorldCoords(home, Coords::MakeTranslation({2, 0, 0})));
    std::vector<RayIntersection> hits;
    World::Get().GetAllIntersections(hits, WorldVec3(home, {-5, 0, 0}), {1, 0, 0}, 20.0f);
    ASSERT_EQ(3u, hits.size());
    EXPECT_EQ(gone, hits[0].entity);
    EXPECT_EQ(mover, hits[1].entity);
    EXPECT_EQ(grown, hits[2].entity);
    EXPECT_NEAR(6.9f, hits[2].distance, 1e-4f);
}

TEST_F(WorldTest, ListTypesSplitStaticFromDynamic)
{
    Entity* moving = Place({0, 0, 0});
    Entity* fixed = Place({0, 0, 0}, nullptr, "StaticEntity");
    std::vector<Entity*> found;
    World::Get().GetEntities(found, AnyEntity(), EntityList_Static);
    EXPECT_EQ((std::vector<Entity*>{fixed}), found);
    found.clear();
    World::Get().GetEntities(found, AnyEntity(), EntityList_Dynamic);
    EXPECT_EQ((std::vector<Entity*>{moving}), found);
}

TEST_F(WorldTest, SphereAndBoxQueriesWorkAcrossRegions)
{
    Entity* near = Place({-98, 0, 0}, east);   // world x = 2
    Entity* far = Place({9, 0, 0});
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, home, Sphere{{0, 0, 0}, 2.0f}, EntityList_All);
    EXPECT_EQ((std::vector<Entity*>{near}), found);

    // A box turned a quarter about y: its long axis runs along world x.
    Coords frame = Coords::MakeRotation({0, 1, 0}, 1.5707963f);
    frame.origin = {5, 0, 0};
    found.clear();
    World::Get().GetEntitiesInBox(found, home, OBBox(frame, {1, 1, 3.6f}), EntityList_All);
    EXPECT_EQ((std::vector<Entity*>{near, far}), found);
    found.clear();
    World::Get().GetEntitiesInBox(found, home, OBBox(frame, {3.6f, 1, 1}), EntityList_All);
    EXPECT_TRUE(found.empty());
}

TEST_F(WorldTest, RayHitsNearestFirst)
{
    Entity* farther = Place({10, 0, 0});
    Entity* behind = Place({-5, 0, 0});
    Entity* nearer = Place({4, 0, 0});
    Entity* beyond = Place({30, 0, 0});
    std::vector<RayIntersection> hits;
    World::Get().GetAllIntersections(hits, WorldVec3(home, {0, 0, 0}), {1, 0, 0}, 20.0f);
    ASSERT_EQ(2u, hits.size());
    EXPECT_EQ(nearer, hits[0].entity);
    EXPECT_FLOAT_EQ(3.5f, hits[0].distance);
    EXPECT_EQ(farther, hits[1].entity);
    (void)behind;
    (void)beyond;
}

// Hits at one distance come in the world's order, and what the list held before stays
// ahead of the new hits, however many rays used the same list.
TEST_F(WorldTest, RayHitsAtOneDistanceKeepTheWorldsOrder)
{
    const struct {
        std::vector<float> placed;    // x of each entity, in the order placed
        std::vector<size_t> order;    // the hits, as indices into `placed`
    } cases[] = {
        {{10, 4, 10, 7, 4}, {1, 4, 3, 0, 2}},
        {{6, 6, 6}, {0, 1, 2}},
        {{9, 8, 7, 6}, {3, 2, 1, 0}},
        {{3}, {0}},
    };
    std::vector<RayIntersection> hits;
    for (const auto& test : cases) {
        std::vector<Entity*> placed;
        for (float x : test.placed)
            placed.push_back(Place({x, 0, 0}));
        Entity* earlier = Place({-50, 0, 0});
        hits.assign(1, RayIntersection{earlier, 99.0f});
        World::Get().GetAllIntersections(hits, WorldVec3(home, {0, 0, 0}), {1, 0, 0}, 20.0f);
        ASSERT_EQ(test.order.size() + 1, hits.size());
        EXPECT_EQ(earlier, hits[0].entity);
        for (size_t i = 0; i < test.order.size(); ++i)
            EXPECT_EQ(placed[test.order[i]], hits[i + 1].entity) << "hit " << i;
        for (Entity* entity : placed)
            World::Get().RemoveEntity(entity);
        World::Get().RemoveEntity(earlier);
    }
}

// Frustums of different planes asked one after the other: each query reads its own.
TEST_F(WorldTest, FrustumQueriesEachReadTheirOwnPlanes)
{
    Entity* west = Place({-5, 0, 0});
    Entity* middle = Place({0, 0, 0});
    Entity* across = Place({-95, 0, 0}, east);   // world x = 5
    const auto halfSpace = [](const Vec3& normal, float distance, const Region* region) {
        WorldFrustum frustum;
        frustum.region = region;
        frustum.planes.push_back(Plane{normal, distance});
        return frustum;
    };
    WorldFrustum slab = halfSpace({1, 0, 0}, 2.0f, home);   // x >= -2
    slab.planes.push_back(Plane{{-1, 0, 0}, 2.0f});          // x <= 2
    const struct {
        WorldFrustum frustum;
        std::vector<Entity*> expected;
    } cases[] = {
        {halfSpace({1, 0, 0}, -3.0f, home), {across}},          // x >= 3
        {slab, {middle}},
        {halfSpace({-1, 0, 0}, -3.0f, home), {west}},           // x <= -3
        {halfSpace({-1, 0, 0}, -98.0f, east), {west, middle}},   // east's x <= -98: world x <= 2
        {WorldFrustum{home, {}}, {west, middle, across}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::vector<Entity*> found;
        World::Get().GetEntitiesInFrustum(found, cases[i].frustum, EntityList_All);
        EXPECT_EQ(cases[i].expected, found) << "frustum " << i;
    }
}

TEST_F(WorldTest, DestroyedEntitiesLeaveTheWorldAtOnce)
{
    Entity* doomed = Place({0, 0, 0});
    Entity* kept = Place({0, 0, 0});
    ObjectManager::Get().DestroyObjectEx(doomed, __FILE__, __LINE__);
    std::vector<Entity*> found;
    World::Get().GetEntities(found, AnyEntity(), EntityList_All);
    EXPECT_EQ((std::vector<Entity*>{kept}), found);   // before the objects are freed

    auto* loose = new Actor();   // never handed to the object manager
    World::Get().AddEntity(loose, WorldCoords(home, Coords{}));
    delete loose;
    EXPECT_EQ(1u, World::Get().GetEntityCount());
}

TEST_F(WorldTest, PlacingWithoutARegionIsRefused)
{
    LogCapture log;
    Entity* entity = DynamicCast<Entity>(ObjectManager::Get().CreateObject("Actor"));
    World::Get().AddEntity(entity, WorldCoords());
    EXPECT_FALSE(entity->IsInWorld());
    EXPECT_EQ(0u, World::Get().GetEntityCount());
    EXPECT_EQ(1u, log.Lines().size());
}

TEST_F(WorldTest, AnUnloadedRegionIsNotFoundEvenJustAfterALookUp)
{
    ASSERT_EQ(home, World::Get().GetRegionById(1));   // the last region found
    World::Get().Reset();
    EXPECT_EQ(nullptr, World::Get().GetRegionById(1));
    Region* other = World::Get().AddRegion(3, "Other");
    ASSERT_EQ(other, World::Get().GetRegionById(3));
    EXPECT_EQ(nullptr, World::Get().GetRegionById(1));
    home = World::Get().AddRegion(1, "Home");
    EXPECT_EQ(home, World::Get().GetRegionById(1));
    EXPECT_EQ(other, World::Get().GetRegionById(3));
}

TEST_F(WorldTest, ResetKeepsOldPositionsReadable)
{
    Entity* entity = Place({1, 2, 3});
    Region* before = home;
    World::Get().Reset();
    EXPECT_FALSE(entity->IsInWorld());
    EXPECT_EQ(nullptr, World::Get().GetRegionById(1));
    EXPECT_EQ("Home", entity->GetRegion()->GetName());   // still allocated

    // Loading the same region again reuses it, so unloads do not pile regions up, and
    // the old position names the region as it is now.
    for (int unload = 0; unload < 3; ++unload) {
        home = World::Get().AddRegion(1, "Home again", {7, 0, 0});
        EXPECT_EQ(before, home);
        World::Get().Reset();
    }
    home = World::Get().AddRegion(1, "Home again", {7, 0, 0});
    EXPECT_EQ(home, World::Get().GetRegionById(1));
    EXPECT_EQ((Vec3{8, 2, 3}), entity->GetCoords().GetPosition().ToWorldSpace());
    EXPECT_NE(nullptr, World::Get().AddRegion(3, "New"));
}

// The grid that picks the candidates of the sphere, box and ray queries must answer as
// the walk over everything does, in the same order, while entities move across cells,
// change size, leave and come back; large and far entities included.
TEST_F(WorldTest, IndexedQueriesAnswerAsTheWalkOverEverything)
{
    std::vector<Entity*> placed;
    uint32_t seed = 12345;
    const auto next = [&seed](float lo, float hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
    };
    for (int i = 0; i < 300; ++i) {
        Entity* entity = Place({next(-40, 40), next(-5, 5), next(-40, 40)}, i % 7 == 0 ? east : home);
        entity->SetBoundingRadius(i % 25 == 0 ? 30.0f : next(0.0f, 1.5f));
        placed.push_back(entity);
    }
    Place({5.0e6f, 0, 0})->SetBoundingRadius(1.0f);   // beyond the grid: always looked at
    AnyEntity any;
    for (int round = 0; round < 40; ++round) {
        // Stir: moves (some far), new sizes, leaving and coming back.
        for (int k = 0; k < 30; ++k) {
            Entity* entity = placed[static_cast<size_t>(next(0, 299.99f))];
            if (k % 10 == 0) {
                World::Get().RemoveEntity(entity);
                World::Get().AddEntity(entity, entity->GetCoords());
            } else if (k % 3 == 0) {
                entity->SetBoundingRadius(next(0.0f, 3.0f));
            } else {
                World::Get().SetCoords(entity, WorldCoords(entity->GetRegion(),
                                                           Coords::MakeTranslation({next(-60, 60), 0, next(-60, 60)})));
            }
        }
        std::vector<Entity*> everything;
        World::Get().GetEntities(everything, any, EntityList_All);
        const Vec3 centre{next(-50, 50), next(-3, 3), next(-50, 50)};
        const float radius = next(0.0f, 12.0f);

        std::vector<Entity*> inSphere, expectedSphere;
        World::Get().GetEntitiesInSphere(inSphere, home, Sphere{centre, radius}, EntityList_All);
        for (Entity* e : everything) {
            const float reach = radius + e->GetBoundingRadius();
            if ((e->GetCoords().GetPosition().ToWorldSpace() - centre).LengthSquared() <= reach * reach)
                expectedSphere.push_back(e);
        }
        EXPECT_EQ(inSphere, expectedSphere) << round;

        std::vector<Entity*> inBox, expectedBox;
        OBBox box;
        box.coords.origin = centre;
        box.extents = {radius, 2.0f, radius * 0.5f};
        World::Get().GetEntitiesInBox(inBox, home, box, EntityList_All);
        for (Entity* e : everything) {
            const Vec3 p = e->GetCoords().GetPosition().ToWorldSpace() - centre;
            const Vec3 out{p.x - std::clamp(p.x, -box.extents.x, box.extents.x),
                           p.y - std::clamp(p.y, -box.extents.y, box.extents.y),
                           p.z - std::clamp(p.z, -box.extents.z, box.extents.z)};
            if (out.LengthSquared() <= e->GetBoundingRadius() * e->GetBoundingRadius())
                expectedBox.push_back(e);
        }
        EXPECT_EQ(inBox, expectedBox) << round;

        const Vec3 direction{next(-1, 1), next(-0.2f, 0.2f), next(-1, 1)};
        std::vector<RayIntersection> hits;
        World::Get().GetAllIntersections(hits, WorldVec3(home, centre), direction, radius * 3.0f);
        std::vector<RayIntersection> expectedHits;
        for (Entity* e : everything) {
            const float d = Sphere{e->GetCoords().GetPosition().ToWorldSpace(), e->GetBoundingRadius()}.IntersectRay(
                centre, direction);
            if (d <= radius * 3.0f)
                expectedHits.push_back({e, d});
        }
        std::stable_sort(expectedHits.begin(), expectedHits.end(),
                         [](const RayIntersection& a, const RayIntersection& b) { return a.distance < b.distance; });
        ASSERT_EQ(hits.size(), expectedHits.size()) << round;
        for (size_t i = 0; i < hits.size(); ++i) {
            EXPECT_EQ(hits[i].entity, expectedHits[i].entity) << round;
            EXPECT_EQ(hits[i].distance, expectedHits[i].distance) << round;
        }
    }
}

// A sphere query answers the walk over everything (it reads a column of cells only as far
// as a disc round the centre reaches), and a filtered one that list filtered afterwards:
// entities on the 3-unit cells' borders, exactly at the sphere's edge, in columns sharing
// a bucket (768 apart), too large for a cell, static or not, while cells empty and fill.
TEST_F(WorldTest, AFilteredSphereQueryIsTheWalkOverEverythingFilteredAfterwards)
{
    class OddIds : public FilterFunction<Entity> {
    public:
        bool operator()(const Entity* entity) const override { return entity->GetObjectId() % 2 == 1; }
    } keep;
    std::vector<Entity*> placed;
    for (int i = 0; i < 120; ++i) {
        const float x = static_cast<float>(i % 11 - 5) * 3.0f + (i % 4 == 0 ? 0.0f : i % 4 == 1 ? -1e-4f : 1.5f);
        const float z = static_cast<float>(i / 11 - 5) * 3.0f + (i % 3 == 0 ? 0.0f : 3.0f - 1e-4f);
        placed.push_back(Place({x + (i % 17 == 0 ? 768.0f : 0.0f), 0, z}, nullptr, i % 5 ? "Actor" : "StaticEntity"));
        placed.back()->SetBoundingRadius(i % 29 == 0 ? 20.0f : static_cast<float>(i % 7) * 0.15f);
    }
    for (const Vec3 at : {Vec3{0, 0, 9}, Vec3{-9, 0, 0}, Vec3{5.4f, 0, 7.2f}})
        Place(at)->SetBoundingRadius(0.0f);
    size_t seen = 0;
    for (int round = 0; round < 3; ++round) {
        for (const float radius : {0.0f, 1.0f, 3.0f, 4.5f, 7.9999f, 9.0f, 20.0f, 5000.0f})
            for (const Vec3 c : {Vec3{0, 0, 0}, Vec3{-1.5f, 0, 4.5f}, Vec3{768, 0, 0}, Vec3{2.9999f, 0, 6.0001f}})
                for (const EntityListType type : {EntityList_All, EntityList_Dynamic, EntityList_Static}) {
                    std::vector<Entity*> everything, walked, all, filtered;
                    World::Get().GetEntities(everything, AnyEntity(), type);
                    for (Entity* e : everything) {
                        const float reach = radius + e->GetBoundingRadius();
                        if ((e->GetCoords().GetPosition().ToWorldSpace() - c).LengthSquared() <= reach * reach)
                            walked.push_back(e);
                    }
                    World::Get().GetEntitiesInSphere(all, home, Sphere{c, radius}, type);
                    EXPECT_EQ(all, walked) << c.x << ", " << c.z << " radius " << radius;
                    World::Get().GetEntitiesInSphere(filtered, home, Sphere{c, radius}, type, keep);
                    std::erase_if(walked, [&](const Entity* e) { return !keep(e); });
                    EXPECT_EQ(filtered, walked) << c.x << ", " << c.z << " radius " << radius;
                    seen += filtered.size();
                }
        for (size_t i = static_cast<size_t>(round); i < placed.size(); i += 2)   // every other one 6 along x
            World::Get().SetCoords(placed[i], WorldCoords(home, Coords::MakeTranslation(
                                                                    placed[i]->GetCoords().GetRegionCoords().origin +
                                                                    Vec3{6, 0, 0})));
    }
    EXPECT_GT(seen, 500u);
}
