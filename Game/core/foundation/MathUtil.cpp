#include "Game/core/foundation/MathUtil.h"

#include <algorithm>
#include <limits>

namespace GAME {

namespace {
// How close to vertical a direction may come before the y axis cannot serve.
constexpr float kVerticalTolerance = 0.0001f;
// 2^32: the first whole number past the unsigned range.
constexpr double kUnsignedRangeEnd = 4294967296.0;
}

void AddElapsed(int32_t& timer, int ms)
{
    timer = ClampToInt(static_cast<int64_t>(timer) + ms);
}

int TruncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return std::numeric_limits<int>::max();
    if (value <= -2147483649.0)
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

uint32_t TruncateToUnsigned(double value)
{
    if (!std::isfinite(value) || value <= 0.0)
        return 0;
    if (value >= kUnsignedRangeEnd)
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(value);
}

float WorldDistance(const WorldVec3& a, const WorldVec3& b)
{
    if (!a.IsValid() || !b.IsValid())
        return std::numeric_limits<float>::infinity();
    return (a - b).Length();
}

uint32_t RoundToUnsigned(float value)
{
    if (!std::isfinite(value) || value <= 0.0f)
        return 0;
    // In double, as the float result plus one half has always been computed.
    const double rounded = static_cast<double>(value) + 0.5;
    constexpr double kLargest = std::numeric_limits<uint32_t>::max();
    return rounded >= kLargest ? std::numeric_limits<uint32_t>::max() : static_cast<uint32_t>(rounded);
}

Vec3 GetPerpendicularUnit(const Vec3& v)
{
    const Vec3 axis = std::fabs(v.y) >= 1.0f - kVerticalTolerance ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    return Cross(v, axis).Unit();
}

void InflateFrustumPlanes(std::span<const Plane> planes, float inflation, std::vector<Plane>& out)
{
    out.assign(planes.begin(), planes.end());
    for (Plane& plane : out)
        plane.distance += inflation;
}

}  // namespace GAME
