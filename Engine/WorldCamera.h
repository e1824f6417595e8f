// The engine's camera: its frame, distance, yaw, pitch, field of view and offset, the
// zoom timer, and the frustum it sees. Nothing is drawn; the state is kept for the game
// to read back.
//
// The camera orbits the point it looks at: yaw turns it about the vertical axis, pitch
// raises it above the horizontal, and it stands `distance` away from that point.
#pragma once

#include <vector>

#include "Engine/GameTimer.h"
#include "Engine/Math.h"
#include "Engine/World.h"

namespace GAME {

struct Viewport {
    int x = 0;
    int y = 0;
    int width = 1024;
    int height = 768;
};

// A set of planes in one region; a point p is inside when Dot(normal, p) + distance
// >= 0 for every plane (the normals point inwards).
struct WorldFrustum {
    const Region* region = nullptr;
    std::vector<Plane> planes;

    // The frustum in its region's own space, which is how its planes are kept.
    const WorldFrustum& GetRegionFrustum() const { return *this; }
};

// The camera's near clipping distance, and how far its full frustum reaches.
inline constexpr float kCameraNearClip = 0.1f;
inline constexpr float kCameraFarClip = 1000.0f;

class WorldCamera {
public:
    virtual ~WorldCamera() = default;

    // Places the camera around its target from its distance, yaw and pitch.
    virtual void Update();
    // The per-frame step of the camera's input handling; the plain camera has none.
    virtual void UpdateFromInputImpl() {}

    void SetCameraDistance(float distance) { m_distance = distance; }
    float GetCameraDistance() const { return m_distance; }
    void SetCameraPitch(float radians) { m_pitch = radians; }
    float GetCameraPitch() const { return m_pitch; }
    void SetCameraYaw(float radians) { m_yaw = radians; }
    float GetCameraYaw() const { return m_yaw; }
    void SetCameraDistanceDefault(float distance) { m_distanceDefault = distance; }
    float GetCameraDistanceDefault() const { return m_distanceDefault; }
    void SetCameraPitchDefault(float degrees) { m_pitchDefault = degrees; }
    float GetCameraPitchDefault() const { return m_pitchDefault; }
    void SetFieldOfView(float radians) { m_fieldOfView = radians; }
    float GetFieldOfView() const { return m_fieldOfView; }
    void SetCameraOffset(const Vec3& offset) { m_offset = offset; }
    const Vec3& GetCameraOffset() const { return m_offset; }

    // The point the camera looks at; the game camera follows its player with it.
    virtual WorldVec3 GetTarget() const { return WorldVec3(); }

    // Where the camera stands and how it is turned (its zAxis is the view direction),
    // in the target's region, as of the last Update.
    const WorldCoords& GetCoords() const { return m_coords; }
    Vec3 GetViewDirection() const { return m_coords.GetRegionCoords().zAxis; }

    // Measures the time between input steps; it runs on real time.
    Timer& GetZoomTimer() { return m_zoomTimer; }

    // The frustum the camera sees through a viewport: near, far, left, right, top and
    // bottom planes, in the target's region.
    void GetFrustum(WorldFrustum& out, const Viewport& viewport) const;
    // The part of it seen through a window of the viewport, given as fractions of the
    // viewport (0, 0 top left; 1, 1 bottom right), reaching `depth` from the camera.
    void GetSubFrustum(WorldFrustum& out, const Viewport& viewport, float left, float top, float right, float bottom,
                       float depth) const;

private:
    float m_distance = 10.0f;
    float m_pitch = 0.0f;
    float m_yaw = 0.0f;
    float m_distanceDefault = 10.0f;
    float m_pitchDefault = 45.0f;
    float m_fieldOfView = 0.7853982f;
    Vec3 m_offset;
    WorldCoords m_coords;
    Timer m_zoomTimer;
};

}  // namespace GAME
