#include "Engine/WorldCamera.h"

#include <cmath>

#include "Engine/Engine.h"

namespace GAME {

namespace {

const Vec3 kUp{0.0f, 1.0f, 0.0f};

// The plane through `point` whose inner side is where `inward` points.
Plane MakePlane(const Vec3& inward, const Vec3& point)
{
    const Vec3 normal = inward.Unit();
    return Plane{normal, -Dot(normal, point)};
}

float AspectOf(const Viewport& viewport)
{
    if (viewport.width <= 0 || viewport.height <= 0) {
        gEngine->Log(LOG_WARNING, "WorldCamera: viewport of %d x %d has no area; using a square view",
                     viewport.width, viewport.height);
        return 1.0f;
    }
    return static_cast<float>(viewport.width) / static_cast<float>(viewport.height);
}

}  // namespace

void WorldCamera::Update()
{
    const WorldVec3 target = GetTarget();
    const Vec3 look = target.GetRegionPosition();
    const float flat = std::cos(m_pitch);
    const Vec3 back{std::sin(m_yaw) * flat, std::sin(m_pitch), std::cos(m_yaw) * flat};
    const Vec3 eye = look + back * m_distance;
    m_coords = WorldCoords(target.GetRegion(), Coords::LookAlong(eye, -back, kUp));
}

void WorldCamera::GetFrustum(WorldFrustum& out, const Viewport& viewport) const
{
    GetSubFrustum(out, viewport, 0.0f, 0.0f, 1.0f, 1.0f, kCameraFarClip);
}

void WorldCamera::GetSubFrustum(WorldFrustum& out, const Viewport& viewport, float left, float top, float right,
                                float bottom, float depth) const
{
    const Coords& frame = m_coords.GetRegionCoords();
    const Vec3& eye = frame.origin;
    const Vec3& forward = frame.zAxis;
    const Vec3& up = frame.yAxis;
    const Vec3 side = -frame.xAxis;   // toward the right edge of the screen

    // Half the view's height and width at one unit in front of the camera; window
    // fractions map onto [-half, half], x to the right and y upwards.
    const float halfHeight = std::tan(m_fieldOfView * 0.5f);
    const float halfWidth = halfHeight * AspectOf(viewport);
    const float xLeft = (2.0f * left - 1.0f) * halfWidth;
    const float xRight = (2.0f * right - 1.0f) * halfWidth;
    const float yTop = (1.0f - 2.0f * top) * halfHeight;
    const float yBottom = (1.0f - 2.0f * bottom) * halfHeight;

    out.region = m_coords.GetRegion();
    out.planes.clear();
    out.planes.reserve(6);   // one allocation for a fresh frustum, none for a reused one
    out.planes.push_back(MakePlane(forward, eye + forward * kCameraNearClip));
    out.planes.push_back(MakePlane(-forward, eye + forward * depth));
    out.planes.push_back(MakePlane(side - forward * xLeft, eye));
    out.planes.push_back(MakePlane(forward * xRight - side, eye));
    out.planes.push_back(MakePlane(forward * yTop - up, eye));
    out.planes.push_back(MakePlane(up - forward * yBottom, eye));
}

}  // namespace GAME
