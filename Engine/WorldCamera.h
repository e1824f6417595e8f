// The engine's camera: its frame, distance, yaw, pitch, field of view and offset, and the
// frustum it sees. Nothing is drawn; the state is kept for the game to read back.
#pragma once

#include <vector>

#include "Engine/Math.h"
#include "Engine/World.h"

namespace GAME {

struct Viewport {
    int x = 0;
    int y = 0;
    int width = 1024;
    int height = 768;
};

// A set of planes in one region; a point is inside when it is on the inner side of all.
struct WorldFrustum {
    const Region* region = nullptr;
    std::vector<Plane> planes;
};

class WorldCamera {
public:
    virtual ~WorldCamera() = default;

    virtual void Update();

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

    // The frustum the camera sees through a viewport.
    void GetFrustum(WorldFrustum& out, const Viewport& viewport) const;

private:
    float m_distance = 10.0f;
    float m_pitch = 0.0f;
    float m_yaw = 0.0f;
    float m_distanceDefault = 10.0f;
    float m_pitchDefault = 45.0f;
    float m_fieldOfView = 0.7853982f;
    Vec3 m_offset;
};

}  // namespace GAME
