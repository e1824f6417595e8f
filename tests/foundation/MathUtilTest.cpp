#include <gtest/gtest.h>

#include <limits>

#include "Engine/InstanceGroupManager.h"
#include "Engine/World.h"
#include "Game/core/foundation/InstanceEntity.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/world/LightAnchor.h"
#include "Engine/ObjectManager.h"

using namespace GAME;

TEST(MathUtilTest, ClampIndexIsThePerLevelRule)
{
    EXPECT_EQ(2u, ClampIndex(9, 3));
    EXPECT_EQ(0u, ClampIndex(0, 3));
    EXPECT_EQ(1u, ClampIndex(1, 3));
    EXPECT_EQ(0u, ClampIndex(5, 0));   // an empty table never yields an index past its end
    EXPECT_EQ(3, Clamp(7, -2, 3));
    EXPECT_EQ(-2, Clamp(-9, -2, 3));
}

// Seconds formed in float (0.7 s is 700 ms), beyond the int range held at its ends, and
// what is not a number as 0 (no undefined conversion).
TEST(MathUtilTest, SecondsToMsHoldsToTheIntRange)
{
    EXPECT_EQ(700, SecondsToMs(0.7f));
    EXPECT_EQ(699, ExactSecondsToMs(0.7f));   // the float's exact value, in double
    EXPECT_EQ(INT32_MAX, ExactSecondsToMs(3.0e38f));
    EXPECT_EQ(INT32_MIN, SecondsToMs(-3.0e38f));
    EXPECT_EQ(0, SecondsToMs(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(INT32_MAX, WholeSecondsToMs(3000000));
}

TEST(MathUtilTest, PerpendicularUnit)
{
    const Vec3 flat = GetPerpendicularUnit({1, 0, 0});
    EXPECT_FLOAT_EQ(1.0f, flat.Length());
    EXPECT_FLOAT_EQ(0.0f, Dot(flat, {1, 0, 0}));
    // Straight up the y axis cannot serve; the answer is still a unit perpendicular.
    const Vec3 up = GetPerpendicularUnit({0, 1, 0});
    EXPECT_FLOAT_EQ(1.0f, up.Length());
    EXPECT_FLOAT_EQ(0.0f, Dot(up, {0, 1, 0}));
}

TEST(MathUtilTest, InflatedPlanesReplaceTheOutput)
{
    const Plane planes[] = {{{1, 0, 0}, 2.0f}, {{0, -1, 0}, -1.0f}};
    std::vector<Plane> out{Plane{}};
    InflateFrustumPlanes(planes, 0.5f, out);
    ASSERT_EQ(2u, out.size());
    EXPECT_FLOAT_EQ(2.5f, out[0].distance);
    EXPECT_FLOAT_EQ(-0.5f, out[1].distance);
    EXPECT_EQ((Vec3{0, -1, 0}), out[1].normal);
}

TEST(MathUtilTest, InstanceEntityPositionNeedsEntityAndRegion)
{
    InstanceGroupManager::Get().Clear();
    UniqueId id;
    id.Generate();
    WorldVec3 out;
    EXPECT_FALSE(GetInstanceEntityPosition(id, out));
    InstanceGroupManager::Get().RegisterEntityData(id, {5, {1, 2, 3}});
    EXPECT_FALSE(GetInstanceEntityPosition(id, out));   // region 5 is not loaded
    EXPECT_FALSE(out.IsValid());
    Region* region = World::Get().AddRegion(5, "Shrine");
    ASSERT_TRUE(GetInstanceEntityPosition(id, out));
    EXPECT_EQ(WorldVec3(region, {1, 2, 3}), out);
    World::Get().Reset();
    InstanceGroupManager::Get().Clear();
}
// The cross product is right-handed, antisymmetric, and zero for parallel vectors.
TEST(CrossProductTest, RightHandedAndZeroForParallels)
{
    const struct { Vec3 a, b, expected; } rows[] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{2, 0, 0}, {-4, 0, 0}, {0, 0, 0}},
        {{0, 0, 0}, {1, 2, 3}, {0, 0, 0}},
        {{1, 2, 3}, {4, 5, 6}, {-3, 6, -3}},
    };
    for (const auto& row : rows) {
        const Vec3 c = CrossProduct(row.a, row.b);
        EXPECT_EQ(c.x, row.expected.x);
        EXPECT_EQ(c.y, row.expected.y);
        EXPECT_EQ(c.z, row.expected.z);
    }
}

// A light anchor made by class name starts as a point light of radius 20 whose blue
// channel stays above 1, and is a light.
TEST(LightAnchorTest, StartsBlueAndBrightAndIsALight)
{
    Object* object = ObjectManager::Get().CreateObject("LightAnchor");
    auto* anchor = DynamicCast<LightAnchor>(object);
    ASSERT_NE(anchor, nullptr);
    EXPECT_STREQ(anchor->GetClassInfo().GetName(), "LightAnchor");
    EXPECT_TRUE(anchor->IsA<Light>());
    EXPECT_EQ(anchor->GetType(), Light::Type_Point);
    EXPECT_EQ(anchor->GetColor().red, 0.28f);
    EXPECT_EQ(anchor->GetColor().green, 0.28f);
    EXPECT_EQ(anchor->GetColor().blue, 1.96f);
    EXPECT_EQ(anchor->GetColor().alpha, 1.0f);
    EXPECT_EQ(anchor->GetRadius(), 20.0f);
    ObjectManager::Get().DestroyAllObjects();
}
