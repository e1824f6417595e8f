#include <gtest/gtest.h>

#include <cmath>

#include "Engine/Math.h"
#include "Engine/Random.h"

using namespace GAME;

namespace {

constexpr float kTolerance = 1e-5f;

void ExpectNear(const Vec3& expected, const Vec3& actual, float tolerance = kTolerance)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

float Determinant(const Coords& c)
{
    return Dot(c.xAxis, Cross(c.yAxis, c.zAxis));
}

}  // namespace

TEST(Vec3Test, LengthAndUnitOfDegenerateVectors)
{
    EXPECT_EQ(0.0f, Vec3{}.Length());
    EXPECT_EQ(Vec3{}, Vec3{}.Unit());   // no NaN from a zero vector
    EXPECT_EQ(0.0f, (Vec3{NAN, 0, 0}).Length());
    EXPECT_FLOAT_EQ(5.0f, (Vec3{3, 4, 0}).Length());
    ExpectNear({0.6f, 0.8f, 0}, Vec3{3, 4, 0}.Unit());
}

TEST(CoordsTest, RotationFollowsRightHandRule)
{
    const Coords quarter = Coords::MakeRotation({0, 0, 1}, 1.5707963f);
    ExpectNear({0, 1, 0}, quarter.TransformVector({1, 0, 0}));
    ExpectNear({-1, 0, 0}, quarter.TransformVector({0, 1, 0}));
    EXPECT_EQ(Coords{}.xAxis, Coords::MakeRotation({0, 0, 0}, 1.0f).xAxis);
}

TEST(CoordsTest, LookAtFacesTheTargetWithAProperRotation)
{
    const Vec3 eye{1, 2, 3};
    const Vec3 target{4, 2, 7};
    const Coords frame = Coords::LookAt(eye, target, {0, 1, 0});
    ExpectNear(eye, frame.origin);
    ExpectNear({0.6f, 0, 0.8f}, frame.zAxis);
    ExpectNear({0, 1, 0}, frame.yAxis);
    EXPECT_NEAR(1.0f, Determinant(frame), kTolerance);
    // Looking along +z with y up leaves the identity rotation.
    const Coords along = Coords::LookAlong({0, 0, 0}, {0, 0, 5}, {0, 1, 0});
    ExpectNear({1, 0, 0}, along.xAxis);
    ExpectNear({0, 0, 1}, along.zAxis);
    // A tilted up vector is made perpendicular to the facing.
    const Coords tilted = Coords::LookAlong({0, 0, 0}, {1, 0, 0}, {1, 1, 0});
    EXPECT_NEAR(0.0f, Dot(tilted.yAxis, tilted.zAxis), kTolerance);
    EXPECT_NEAR(1.0f, Determinant(tilted), kTolerance);
    // Facing straight up cannot be framed: the rotation stays the identity.
    ExpectNear({0, 0, 1}, Coords::LookAlong({0, 0, 0}, {0, 3, 0}, {0, 1, 0}).zAxis);
}

TEST(CoordsTest, QuaternionRoundTripsThroughEveryBranch)
{
    // Small angles use the trace; half turns about each axis use each diagonal branch.
    const Vec3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 2, 3}};
    const float angles[] = {0.3f, 3.14159265f, -2.5f};
    for (const Vec3& axis : axes) {
        for (float angle : angles) {
            const Matrix3 rotation = Coords::MakeRotation(axis, angle).GetRotation();
            const Quaternion q(rotation);
            EXPECT_NEAR(1.0f, q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1e-4f);
            const Matrix3 back(q);
            for (int col = 0; col < 3; ++col)
                ExpectNear(rotation.GetColumn(col), back.GetColumn(col), 1e-4f);
        }
    }
    EXPECT_EQ(Matrix3{}, Matrix3(Quaternion{}));
}

TEST(BoxTest, AxisAlignedBoxEnclosesARotatedBox)
{
    Coords frame = Coords::MakeRotation({0, 1, 0}, 0.78539816f);
    frame.origin = {5, 0, 0};
    const ABBox box = OBBox(frame, {1, 2, 1}).GetABBox();
    ExpectNear({5, 0, 0}, box.center);
    ExpectNear({1.4142135f, 2, 1.4142135f}, box.extents);

    const OBBox fromAxisAligned(ABBox{{1, 2, 3}, {4, 5, 6}});
    ExpectNear({1, 2, 3}, fromAxisAligned.coords.origin);
    ExpectNear({4, 5, 6}, fromAxisAligned.extents);
}

TEST(BoxTest, RandomPointsStayInsideAndReachBothEnds)
{
    GAME::srand(7);
    Coords frame = Coords::MakeRotation({1, 1, 0}, 0.7f);
    frame.origin = {10, -3, 2};
    // The long axis is wider than rand()'s range in millimetres: its far end must be reached too.
    const OBBox box(frame, {0.5f, 2.0f, 30.0f});
    float lowest = 1e9f, highest = -1e9f;
    for (int i = 0; i < 4000; ++i) {
        const Vec3 relative = box.GetRandomPointInside() - frame.origin;
        const Vec3 local{Dot(relative, frame.xAxis), Dot(relative, frame.yAxis), Dot(relative, frame.zAxis)};
        ASSERT_LE(std::fabs(local.x), 0.5f + 1e-4f);
        ASSERT_LE(std::fabs(local.y), 2.0f + 1e-4f);
        ASSERT_LE(std::fabs(local.z), 30.0f + 1e-3f);
        lowest = std::min(lowest, local.z);
        highest = std::max(highest, local.z);
    }
    EXPECT_LT(lowest, -25.0f);
    EXPECT_GT(highest, 25.0f);
}

TEST(BoxTest, RandomPointOfAFlatBoxDoesNotDivideByZero)
{
    const OBBox flat(Coords::MakeTranslation({1, 2, 3}), {0, 0.0001f, NAN});
    EXPECT_EQ((Vec3{1, 2, 3}), flat.GetRandomPointInside());
}

TEST(BoxTest, RandomPointDrawsMillimetreStepsFromRand)
{
    GAME::srand(99);
    const int x = GAME::rand(), y = GAME::rand(), z = GAME::rand();
    GAME::srand(99);
    const Vec3 point = OBBox(Coords{}, {1, 2, 3}).GetRandomPointInside();
    EXPECT_FLOAT_EQ(static_cast<float>(x % 2000) * 0.001f - 1.0f, point.x);
    EXPECT_FLOAT_EQ(static_cast<float>(y % 4000) * 0.001f - 2.0f, point.y);
    EXPECT_FLOAT_EQ(static_cast<float>(z % 6000) * 0.001f - 3.0f, point.z);
}

TEST(SphereTest, RayDistances)
{
    const Sphere sphere{{10, 0, 0}, 2};
    EXPECT_FLOAT_EQ(8.0f, sphere.IntersectRay({0, 0, 0}, {3, 0, 0}));   // direction need not be unit
    EXPECT_EQ(0.0f, sphere.IntersectRay({9, 0, 0}, {1, 0, 0}));         // starts inside
    EXPECT_EQ(kPositiveInfinity, sphere.IntersectRay({0, 0, 0}, {-1, 0, 0}));
    EXPECT_EQ(kPositiveInfinity, sphere.IntersectRay({0, 5, 0}, {1, 0, 0}));
    EXPECT_EQ(kPositiveInfinity, sphere.IntersectRay({0, 0, 0}, {0, 0, 0}));
}
