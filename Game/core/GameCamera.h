// The camera that follows the main player: it looks at the player's "Camera" point
// (moved by a target offset), eases its distance, pitch and yaw toward what zooming
// asks for, shakes on demand, and works out which level geometry between it and the
// player should be drawn see-through.
#pragma once

#include "Engine/WorldCamera.h"
#include "Game/core/DampedValue.h"

namespace GAME {

class Player;

// The game-wide field of view the camera is reset to (radians).
inline constexpr float kGameCameraFieldOfView = 0.7853982f;

// Bounds and defaults of the camera, in world units and degrees.
namespace CameraLimits {
inline constexpr float kTargetOffsetHorizontal = 40.0f;
inline constexpr float kTargetOffsetVertical = 15.0f;
inline constexpr float kDistanceMin = 1.0f;
inline constexpr float kDistanceMax = 1000.0f;
inline constexpr float kPitchMin = 0.0f;
inline constexpr float kPitchMax = 89.0f;
inline constexpr float kYaw = 50.0f;
inline constexpr float kShakeMagnitude = 0.12f;
}  // namespace CameraLimits

// The keys (scan codes) that, held together, put the camera back to its defaults.
inline constexpr int kCameraResetKeyA = 15;
inline constexpr int kCameraResetKeyB = 47;

class GameCamera : public WorldCamera {
public:
    GameCamera();

    // The camera keeps the player's id, not its pointer: a player destroyed meanwhile
    // is simply no longer followed.
    void SetPlayer(Player* player);
    Player* GetPlayer() const;
    void SetTarget(const WorldVec3& target) { m_target = target; }
    // The followed point moved by the target offset and, while shaking, by the shake.
    WorldVec3 GetTarget() const override;
    // The target follows the player's "Camera" point while a player is set.
    void UpdateTarget();
    void Update() override;

    // Shakes the camera for `ms` of real time, fading linearly from `magnitude`.
    void Shake(int ms, float magnitude);
    int GetShakeTimeLeft() const { return m_shakeTimeLeft; }
    // Moves every zoom target by a tenth of `amount` (of the normalised range).
    void Zoom(float amount);
    // Target offset to zero and the camera back to its defaults: at once with `full`,
    // otherwise easing there from where it stands.
    void ResetToDefaults(bool full);
    // The bounds the eased distance and pitch move between (the damped values keep them).
    void SetMovementExtents(float distanceAt0, float distanceAt1, float pitchAt0, float pitchAt1);

    void SetTargetOffset(const Vec3& offset) { m_targetOffset = offset; }
    const Vec3& GetTargetOffset() const { return m_targetOffset; }
    void ClampTargetOffset();

    // One step of the camera's input handling: easing, the reset keys, limits, shake.
    void UpdateFromInputImpl() override;

    void UpdateTransparencyFrustum(const Viewport& viewport);
    const WorldFrustum& GetTransparencyFrustum() const { return m_transparencyFrustum; }
    float GetTransparencyHeight() const { return m_transparencyHeight; }

    const DampedValue& GetDampedDistance() const { return m_distance; }
    const DampedValue& GetDampedYaw() const { return m_yaw; }
    const DampedValue& GetDampedPitch() const { return m_pitch; }

private:
    void StepZoom(float f);
    void ClampCamera();
    void UpdateShake(uint32_t elapsed);
    // Hands the level's grid one see-through box for each of the two open lattice runs
    // next to the target on the camera's side.
    void UpdateUndergroundTransparency(const WorldVec3& target, const Vec3& view);

    uint32_t m_playerId = 0;
    WorldVec3 m_target;
    int m_shakeTimeLeft = 0;
    int m_shakeDuration = 0;
    float m_shakeMagnitude = CameraLimits::kShakeMagnitude;
    WorldFrustum m_transparencyFrustum;
    float m_transparencyHeight = 0.0f;
    Vec3 m_targetOffset;
    DampedValue m_distance;
    DampedValue m_yaw;
    DampedValue m_pitch;
};

}  // namespace GAME
