#include "Game/core/foundation/MathUtil.h"

namespace GAME {

namespace {
// How close to vertical a direction may come before the y axis cannot serve.
constexpr float kVerticalTolerance = 0.0001f;
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
