// The physics step: bodies move by their velocities and gravity, stop on the floor of
// their region and are told of the contact; the floor below a point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/World.h"

namespace GAME {

// Writes down the contacts it is told of; may leave the world on the first.
class ContactBody : public Actor {
    GAME_DECLARE_CLASS(ContactBody)

public:
    void CollisionCallback(const CollisionData& collision) override
    {
        contacts.push_back(collision);
        if (leaveOnContact)
            World::Get().RemoveEntity(this);
    }
    std::vector<CollisionData> contacts;
    bool leaveOnContact = false;
};
GAME_IMPLEMENT_CLASS(ContactBody, Actor)

}  // namespace GAME

using namespace GAME;

namespace {

class PhysicsStepTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        region = World::Get().AddRegion(1, "Home");
        region->SetFloor(0.0f, 3);
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        PhysicsEngine::Get().Reset();
    }
    ContactBody* Body(const Vec3& at)
    {
        auto* body = DynamicCast<ContactBody>(ObjectManager::Get().CreateObject("ContactBody"));
        EXPECT_TRUE(World::Get().AddEntity(body, WorldCoords(region, Coords::MakeTranslation(at))));
        body->SetPhysicsType(Entity::kPhysicsTypeDynamic);
        return body;
    }
    static Vec3 At(const Entity* entity) { return entity->GetCoords().GetRegionCoords().origin; }
    Region* region = nullptr;
};

}  // namespace

TEST_F(PhysicsStepTest, VelocityMovesOnlySimulatedDynamicBodies)
{
    ContactBody* moving = Body({0, 5, 0});
    ContactBody* staticType = Body({0, 5, 0});
    staticType->SetPhysicsType(0);
    ContactBody* removed = Body({0, 5, 0});
    for (ContactBody* body : {moving, staticType, removed}) {
        body->SetGravity(false);
        body->SetLinearVelocity({2, 0, -1});
    }
    EXPECT_TRUE(moving->IsSimulationEnabled());
    removed->RemoveFromSimulation();
    EXPECT_FALSE(removed->IsSimulationEnabled());
    EXPECT_EQ(removed->GetLinearVelocity(), Vec3{});

    EXPECT_EQ(PhysicsEngine::Get().Step(World::Get(), 500), 1);
    EXPECT_NEAR(At(moving).x, 1.0f, 1e-5f);
    EXPECT_NEAR(At(moving).z, -0.5f, 1e-5f);
    EXPECT_EQ(At(staticType), (Vec3{0, 5, 0}));
    EXPECT_EQ(At(removed), (Vec3{0, 5, 0}));
    EXPECT_TRUE(moving->contacts.empty());

    // A velocity that is not a number never reaches the body.
    moving->SetLinearVelocity({std::numeric_limits<float>::quiet_NaN(), 0, 0});
    moving->SetAngularVelocity({0, std::numeric_limits<float>::infinity(), 0});
    EXPECT_EQ(moving->GetLinearVelocity(), (Vec3{2, 0, -1}));
    EXPECT_EQ(moving->GetAngularVelocity(), Vec3{});
}

TEST_F(PhysicsStepTest, GravityFallsToTheFloorStopsAndReportsOneContact)
{
    ContactBody* body = Body({0, 3, 0});
    body->SetGravity(true);
    body->SetAngularVelocity({0, 2, 0});
    EXPECT_TRUE(body->GetGravity());
    int frames = 0;
    while (body->IsSimulationEnabled() && frames < 100) {
        PhysicsEngine::Get().Step(World::Get(), 50);
        ++frames;
    }
    // 3 units take about 0.78 s under 9.8.
    EXPECT_GE(frames, 14);
    EXPECT_LE(frames, 17);
    EXPECT_EQ(At(body).y, 0.0f);
    EXPECT_EQ(body->GetLinearVelocity(), Vec3{});
    ASSERT_EQ(body->contacts.size(), 1u);
    EXPECT_EQ(body->contacts[0].type, CollisionData::kCollisionFloor);
    EXPECT_EQ(body->contacts[0].otherId, 0u);
    EXPECT_EQ(body->contacts[0].position, WorldVec3(region, At(body)));
    // The turn kept the frame a rotation.
    EXPECT_NEAR(body->GetCoords().GetRegionCoords().zAxis.Length(), 1.0f, 1e-4f);

    // At rest it stays, until something wakes it.
    PhysicsEngine::Get().Step(World::Get(), 50);
    EXPECT_EQ(body->contacts.size(), 1u);
    body->SetLinearVelocity({0, 4, 0});
    PhysicsEngine::Get().Step(World::Get(), 50);
    EXPECT_GT(At(body).y, 0.0f);
}

TEST_F(PhysicsStepTest, ATossedBodyRisesFallsNoFasterThanItsLimitAndLands)
{
    // What a dropped item is given: a velocity upwards and a fall limit, gravity as it is.
    ContactBody* item = Body({0, 0, 0});
    EXPECT_TRUE(item->GetGravity());
    item->SetLinearVelocity({0, 4, 0});
    PhysicsEngine::Get().SetEntityMaxFallVelocity(item, -2.0f);
    float highest = 0.0f;
    int frames = 0;
    while (item->IsSimulationEnabled() && frames < 200) {
        PhysicsEngine::Get().Step(World::Get(), 20);
        highest = std::max(highest, At(item).y);
        EXPECT_GE(item->GetLinearVelocity().y, -2.0f);
        ++frames;
    }
    EXPECT_GT(highest, 0.7f);
    EXPECT_LT(highest, 0.9f);   // 4^2 / (2 x 9.8)
    EXPECT_EQ(At(item).y, 0.0f);
    EXPECT_EQ(item->contacts.size(), 1u);
    // Gravity off: it keeps its line.
    ContactBody* missile = Body({0, 1, 0});
    missile->SetGravity(false);
    missile->SetLinearVelocity({5, 0, 0});
    PhysicsEngine::Get().Step(World::Get(), 200);
    EXPECT_EQ(At(missile), (Vec3{1, 1, 0}));
}

TEST_F(PhysicsStepTest, TheEngineFrameStepsAndABodyLeavingInItsContactIsSkipped)
{
    ContactBody* leaving = Body({0, 0.1f, 0});
    leaving->leaveOnContact = true;
    leaving->SetLinearVelocity({0, -10, 0});
    ContactBody* next = Body({0, 2, 0});
    next->SetLinearVelocity({1, 0, 0});
    gEngine->UpdateFrame(100);
    EXPECT_FALSE(leaving->IsInWorld());
    EXPECT_EQ(leaving->contacts.size(), 1u);
    EXPECT_NEAR(At(next).x, 0.1f, 1e-5f);
    // A body below the floor never "lands" on it.
    ContactBody* below = Body({0, -2, 0});
    below->SetLinearVelocity({0, -1, 0});
    gEngine->UpdateFrame(100);
    EXPECT_TRUE(below->contacts.empty());
}

TEST_F(PhysicsStepTest, FloorBelowAPointIsNotFiniteWhenThereIsNone)
{
    region->SetFloor(1.5f, 3);
    EXPECT_EQ(World::Get().GetFloorHeightBelow(WorldVec3(region, {4, 3, 4})), 1.5f);
    EXPECT_EQ(World::Get().GetFloorHeightBelow(WorldVec3(region, {4, 1.5f, 4})), 1.5f);
    EXPECT_FALSE(std::isfinite(World::Get().GetFloorHeightBelow(WorldVec3(region, {4, 1, 4}))));
    EXPECT_FALSE(std::isfinite(World::Get().GetFloorHeightBelow(WorldVec3())));
}
