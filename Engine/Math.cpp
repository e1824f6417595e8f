#include "Engine/Math.h"

#include <algorithm>
#include <cstdint>

#include "Engine/Random.h"

namespace GAME {

namespace {

// Below this trace the quaternion is taken from the largest diagonal element.
constexpr float kQuaternionTraceThreshold = 0.0001f;
// Random points inside a box are drawn in millimetre steps.
constexpr double kStepsPerUnit = 1000.0;
constexpr float kUnitsPerStep = 0.001f;

}  // namespace

Matrix3::Matrix3(const Vec3& c0, const Vec3& c1, const Vec3& c2)
    : m{{c0.x, c1.x, c2.x}, {c0.y, c1.y, c2.y}, {c0.z, c1.z, c2.z}}
{
}

Matrix3::Matrix3(const Quaternion& q)
{
    const float norm = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    if (!(norm > 0.0f))
        return;   // identity
    const float s = 2.0f / norm;
    const float xx = q.x * q.x * s, yy = q.y * q.y * s, zz = q.z * q.z * s;
    const float xy = q.x * q.y * s, xz = q.x * q.z * s, yz = q.y * q.z * s;
    const float wx = q.w * q.x * s, wy = q.w * q.y * s, wz = q.w * q.z * s;
    m[0][0] = 1.0f - (yy + zz);
    m[0][1] = xy - wz;
    m[0][2] = xz + wy;
    m[1][0] = xy + wz;
    m[1][1] = 1.0f - (xx + zz);
    m[1][2] = yz - wx;
    m[2][0] = xz - wy;
    m[2][1] = yz + wx;
    m[2][2] = 1.0f - (xx + yy);
}

Vec3 Matrix3::operator*(const Vec3& v) const
{
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

Matrix3 Matrix3::operator*(const Matrix3& other) const
{
    Matrix3 result;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            result.m[row][col] = m[row][0] * other.m[0][col] + m[row][1] * other.m[1][col] + m[row][2] * other.m[2][col];
    return result;
}

bool Matrix3::operator==(const Matrix3& other) const
{
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            if (m[row][col] != other.m[row][col])
                return false;
    return true;
}

Quaternion::Quaternion(const Matrix3& matrix)
{
    const auto& m = matrix.m;
    const float trace = m[0][0] + m[1][1] + m[2][2];
    if (trace > kQuaternionTraceThreshold) {
        const float s = std::sqrt(trace + 1.0f) * 2.0f;   // 4w
        w = 0.25f * s;
        x = (m[2][1] - m[1][2]) / s;
        y = (m[0][2] - m[2][0]) / s;
        z = (m[1][0] - m[0][1]) / s;
    } else if (m[0][0] >= m[1][1] && m[0][0] >= m[2][2]) {
        const float s = std::sqrt(std::max(0.0f, 1.0f + m[0][0] - m[1][1] - m[2][2])) * 2.0f;   // 4x
        w = (m[2][1] - m[1][2]) / s;
        x = 0.25f * s;
        y = (m[0][1] + m[1][0]) / s;
        z = (m[0][2] + m[2][0]) / s;
    } else if (m[1][1] >= m[2][2]) {
        const float s = std::sqrt(std::max(0.0f, 1.0f + m[1][1] - m[0][0] - m[2][2])) * 2.0f;   // 4y
        w = (m[0][2] - m[2][0]) / s;
        x = (m[0][1] + m[1][0]) / s;
        y = 0.25f * s;
        z = (m[1][2] + m[2][1]) / s;
    } else {
        const float s = std::sqrt(std::max(0.0f, 1.0f + m[2][2] - m[0][0] - m[1][1])) * 2.0f;   // 4z
        w = (m[1][0] - m[0][1]) / s;
        x = (m[0][2] + m[2][0]) / s;
        y = (m[1][2] + m[2][1]) / s;
        z = 0.25f * s;
    }
}

void Coords::SetRotation(const Matrix3& rotation)
{
    xAxis = rotation.GetColumn(0);
    yAxis = rotation.GetColumn(1);
    zAxis = rotation.GetColumn(2);
}

Vec3 Coords::TransformVector(const Vec3& local) const
{
    return xAxis * local.x + yAxis * local.y + zAxis * local.z;
}

Vec3 Coords::TransformPoint(const Vec3& local) const
{
    return origin + TransformVector(local);
}

Coords Coords::MakeRotation(const Vec3& axis, float angle)
{
    Coords frame;
    const Vec3 u = axis.Unit();
    if (u == Vec3{})
        return frame;
    // Rodrigues: R = cos I + sin [u]x + (1 - cos) u u^T.
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    Matrix3 r;
    r.m[0][0] = c + t * u.x * u.x;
    r.m[0][1] = t * u.x * u.y - s * u.z;
    r.m[0][2] = t * u.x * u.z + s * u.y;
    r.m[1][0] = t * u.x * u.y + s * u.z;
    r.m[1][1] = c + t * u.y * u.y;
    r.m[1][2] = t * u.y * u.z - s * u.x;
    r.m[2][0] = t * u.x * u.z - s * u.y;
    r.m[2][1] = t * u.y * u.z + s * u.x;
    r.m[2][2] = c + t * u.z * u.z;
    frame.SetRotation(r);
    return frame;
}

Coords Coords::MakeTranslation(const Vec3& origin)
{
    Coords frame;
    frame.origin = origin;
    return frame;
}

Coords Coords::LookAlong(const Vec3& point, const Vec3& direction, const Vec3& up)
{
    Coords frame = MakeTranslation(point);
    const Vec3 forward = direction.Unit();
    const Vec3 side = Cross(forward, up).Unit();
    if (side == Vec3{})
        return frame;   // no forward, or forward along up: no frame can be built
    const Vec3 trueUp = Cross(side, forward).Unit();
    frame.xAxis = -side;
    frame.yAxis = trueUp;
    frame.zAxis = forward;
    return frame;
}

Coords Coords::LookAt(const Vec3& eye, const Vec3& target, const Vec3& up)
{
    return LookAlong(eye, target - eye, up);
}

OBBox::OBBox(const ABBox& box) : coords(Coords::MakeTranslation(box.center)), extents(box.extents) {}

ABBox OBBox::GetABBox() const
{
    const Vec3& e = extents;
    const Vec3& a = coords.xAxis;
    const Vec3& b = coords.yAxis;
    const Vec3& c = coords.zAxis;
    ABBox box;
    box.center = coords.origin;
    box.extents = {std::fabs(a.x) * e.x + std::fabs(b.x) * e.y + std::fabs(c.x) * e.z,
                   std::fabs(a.y) * e.x + std::fabs(b.y) * e.y + std::fabs(c.y) * e.z,
                   std::fabs(a.z) * e.x + std::fabs(b.z) * e.y + std::fabs(c.z) * e.z};
    return box;
}

namespace {

// One coordinate in [-e, e) in millimetre steps. A half size too small for one step
// (or not a number) gives the centre without drawing: the step count would be 0 and
// the remainder undefined. When the box is wider than rand()'s range the draw is
// scaled over all the steps instead of taking a remainder, which could never reach
// the far part of the box; boxes within range draw exactly as by the remainder.
float RandomOffset(float halfSize)
{
    if (!(halfSize > 0.0f) || !std::isfinite(halfSize))
        return 0.0f;
    const double stepCount = 2.0 * static_cast<double>(halfSize) * kStepsPerUnit;
    if (stepCount < 1.0)
        return 0.0f;
    const int64_t steps = stepCount < 9.0e15 ? static_cast<int64_t>(stepCount) : static_cast<int64_t>(9.0e15);
    const int64_t drawn = GAME::rand();
    constexpr int64_t kRandRange = static_cast<int64_t>(kRandMax) + 1;
    const int64_t step = steps <= kRandRange ? drawn % steps
                                             : static_cast<int64_t>(static_cast<double>(drawn) * (stepCount / kRandRange));
    return static_cast<float>(step) * kUnitsPerStep - halfSize;
}

}  // namespace

Vec3 OBBox::GetRandomPointInside() const
{
    const float x = RandomOffset(extents.x);
    const float y = RandomOffset(extents.y);
    const float z = RandomOffset(extents.z);
    return coords.TransformPoint({x, y, z});
}

float Sphere::IntersectRay(const Vec3& origin, const Vec3& direction) const
{
    return IntersectUnitRay(origin, direction.Unit());
}

float Sphere::IntersectUnitRay(const Vec3& origin, const Vec3& d) const
{
    const Vec3 toOrigin = origin - center;
    const float c = toOrigin.LengthSquared() - radius * radius;
    if (c <= 0.0f)
        return 0.0f;   // starts inside (or on the surface)
    const float b = Dot(toOrigin, d);
    if (b >= 0.0f)
        return kPositiveInfinity;   // outside and pointing away (or no direction)
    const float disc = b * b - c;
    if (disc < 0.0f)
        return kPositiveInfinity;
    return -b - std::sqrt(disc);
}

}  // namespace GAME
