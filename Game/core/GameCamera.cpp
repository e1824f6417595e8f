#include "Game/core/GameCamera.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "Engine/GameClock.h"
#include "Engine/GridRegion.h"
#include "Engine/InputDevice.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

namespace {

// Milliseconds of zoom-timer time times this is the share of an easing step.
constexpr float kZoomStepPerMs = 0.004f;
// A zoom of 1 moves each eased target by a tenth of its range.
constexpr float kZoomStepPerAmount = 0.1f;

// The see-through frustum: a window round the screen's centre, reaching twice the
// camera's distance, cut short of the target and above the player's head.
constexpr float kTransparencyWindowLow = 0.45f;
constexpr float kTransparencyWindowHigh = 0.55f;
constexpr float kTransparencyDepthFactor = 2.0f;
constexpr float kTransparencyShortOfTarget = 3.0f;
constexpr float kTransparencyAboveTarget = 3.0f;

// Shake noise: three sine waves over a slowly moving input, scaled into [0.4, 0.87].
constexpr float kPi = 3.1415927f;
constexpr float kNoiseRandomRange = 100.0f;
constexpr float kNoiseInputScale = 0.001f;
constexpr float kNoiseScale = 0.21276596f;
constexpr uint32_t kShakeOffsetY = 1500;
constexpr uint32_t kShakeFactorY = 37;
constexpr uint32_t kShakeOffsetZ = 3800;
constexpr uint32_t kShakeFactorZ = 17;

// Underground, the open lattice next to the target is made see-through in boxes this
// wide on each side of a lattice line and this tall above the cell's floor.
constexpr float kGridRunHalfWidth = 1.5f;
constexpr float kGridRunHeight = 5.0f;

// The box of six planes (inside where normal . p + distance >= 0) between the bounds.
std::vector<Plane> BoxPlanes(const Vec3& low, const Vec3& high)
{
    return {Plane{Vec3(1, 0, 0), -low.x},  Plane{Vec3(-1, 0, 0), high.x}, Plane{Vec3(0, 1, 0), -low.y},
            Plane{Vec3(0, -1, 0), high.y}, Plane{Vec3(0, 0, 1), -low.z},  Plane{Vec3(0, 0, -1), high.z}};
}

const Name& CameraAttachPoint()
{
    static const Name name("Camera");
    return name;
}

float ShakeNoise(float x)
{
    const float draw = static_cast<float>(GAME::rand()) * (kNoiseRandomRange / static_cast<float>(kRandMax));
    const float u = (draw + x) * kNoiseInputScale;
    return (0.3f * std::sin(2.0f * kPi * u + 15.0f) + 0.5f * std::sin(3.78f * kPi * u + 27.0f) +
            0.9f * std::sin(5.25f * kPi * u + 92.0f) + 3.0f) *
           kNoiseScale;
}

}  // namespace

GameCamera::GameCamera()
    : m_distance(CameraLimits::kDistanceMax, CameraLimits::kDistanceMin, GetCameraDistance()),
      m_yaw(CameraLimits::kYaw, CameraLimits::kYaw, RadiansToDegrees(GetCameraYaw())),
      m_pitch(CameraLimits::kPitchMax, CameraLimits::kPitchMin, RadiansToDegrees(GetCameraPitch()))
{
    ResetToDefaults(true);
}

WorldVec3 GameCamera::GetTarget() const
{
    WorldVec3 target = m_target;
    if (!target.IsValid())
        return target;
    target.TranslateInRegion(m_targetOffset);
    if (m_shakeTimeLeft > 0)
        target.Translate(GetCameraOffset());
    return target;
}

void GameCamera::SetPlayer(Player* player)
{
    m_playerId = player ? player->GetObjectId() : 0;
}

Player* GameCamera::GetPlayer() const
{
    return ObjectManager::Get().GetObject<Player>(m_playerId);
}

void GameCamera::UpdateTarget()
{
    if (const Player* player = GetPlayer())
        m_target = player->GetAttachPointPosition(CameraAttachPoint());
}

void GameCamera::Update()
{
    UpdateTarget();
    WorldCamera::Update();
}

void GameCamera::Shake(int ms, float magnitude)
{
    m_shakeTimeLeft = ms;
    m_shakeDuration = ms;
    m_shakeMagnitude = magnitude;
}

void GameCamera::Zoom(float amount)
{
    const float step = amount * kZoomStepPerAmount;
    m_distance.AddToTarget(step);
    m_yaw.AddToTarget(step);
    m_pitch.AddToTarget(step);
}

void GameCamera::ResetToDefaults(bool full)
{
    m_targetOffset = Vec3();
    const float distanceDefault = GetCameraDistanceDefault();
    const float pitchDefault = GetCameraPitchDefault();
    if (full) {
        m_distance.SetCurrent(distanceDefault);
        m_yaw.SetCurrent(CameraLimits::kYaw);
        m_pitch.SetCurrent(pitchDefault);
    } else {
        m_distance.SetCurrent(GetCameraDistance());
        m_yaw.SetCurrent(RadiansToDegrees(GetCameraYaw()));
        m_pitch.SetCurrent(RadiansToDegrees(GetCameraPitch()));
    }
    m_distance.SetTarget(distanceDefault);
    m_yaw.SetTarget(CameraLimits::kYaw);
    m_pitch.SetTarget(pitchDefault);

    SetCameraDistance(m_distance.GetValue());
    SetCameraYaw(DegreesToRadians(m_yaw.GetValue()));
    SetCameraPitch(DegreesToRadians(m_pitch.GetValue()));
    SetFieldOfView(kGameCameraFieldOfView);
}

void GameCamera::SetMovementExtents(float distanceAt0, float distanceAt1, float pitchAt0, float pitchAt1)
{
    const float distance = GetCameraDistance();
    m_distance.SetValueAt0(distanceAt0);
    m_distance.SetValueAt1(distanceAt1);
    m_distance.SetCurrent(distance);
    m_distance.SetTarget(distance);

    const float pitch = RadiansToDegrees(GetCameraPitch());
    m_pitch.SetValueAt0(pitchAt0);
    m_pitch.SetValueAt1(pitchAt1);
    m_pitch.SetCurrent(pitch);
    m_pitch.SetTarget(pitch);
}

void GameCamera::ClampTargetOffset()
{
    using namespace CameraLimits;
    m_targetOffset.x = std::clamp(m_targetOffset.x, -kTargetOffsetHorizontal, kTargetOffsetHorizontal);
    m_targetOffset.y = std::clamp(m_targetOffset.y, -kTargetOffsetVertical, kTargetOffsetVertical);
    m_targetOffset.z = std::clamp(m_targetOffset.z, -kTargetOffsetHorizontal, kTargetOffsetHorizontal);
}

void GameCamera::UpdateFromInputImpl()
{
    Timer& timer = GetZoomTimer();
    if (GameClock::Get().IsPaused()) {
        timer.Reset();
        return;
    }
    const uint32_t elapsed = timer.GetTotalElapsedTime();
    timer.Reset();

    StepZoom(static_cast<float>(elapsed) * kZoomStepPerMs);
    const InputDevice& input = InputDevice::Get();
    if (input.IsKeyDown(kCameraResetKeyA) && input.IsKeyDown(kCameraResetKeyB))
        ResetToDefaults(false);
    ClampCamera();
    UpdateShake(elapsed);
}

void GameCamera::StepZoom(float f)
{
    if (m_distance.Step(f))
        SetCameraDistance(m_distance.GetValue());
    if (m_pitch.Step(f))
        SetCameraPitch(DegreesToRadians(m_pitch.GetValue()));
    if (m_yaw.Step(f))
        SetCameraYaw(DegreesToRadians(m_yaw.GetValue()));
}

void GameCamera::ClampCamera()
{
    using namespace CameraLimits;
    SetCameraPitch(std::clamp(GetCameraPitch(), DegreesToRadians(kPitchMin), DegreesToRadians(kPitchMax)));
    SetCameraDistance(std::clamp(GetCameraDistance(), kDistanceMin, kDistanceMax));
}

void GameCamera::UpdateShake(uint32_t elapsed)
{
    if (m_shakeTimeLeft <= 0)
        return;
    const float m = static_cast<float>(m_shakeTimeLeft) / static_cast<float>(m_shakeDuration) * m_shakeMagnitude;
    const uint32_t t = GameClock::Get().GetGameTime();
    // One draw per axis, in x, y, z order.
    const float x = (ShakeNoise(static_cast<float>(t)) - 0.5f) * m;
    const float y = (ShakeNoise(static_cast<float>((t + kShakeOffsetY) * kShakeFactorY)) - 0.5f) * m;
    const float z = (ShakeNoise(static_cast<float>((t + kShakeOffsetZ) * kShakeFactorZ)) - 0.5f) * m;
    SetCameraOffset(Vec3(x, y, z));
    m_shakeTimeLeft -= static_cast<int>(std::min<uint32_t>(elapsed, INT_MAX));
}

void GameCamera::UpdateTransparencyFrustum(const Viewport& viewport)
{
    const WorldVec3 target = GetTarget();
    if (!target.IsValid())
        return;

    if (target.GetRegion()->IsUnderground())
        UpdateUndergroundTransparency(target, GetViewDirection());

    WorldFrustum frustum;
    GetSubFrustum(frustum, viewport, kTransparencyWindowLow, kTransparencyWindowLow, kTransparencyWindowHigh,
                  kTransparencyWindowHigh, kTransparencyDepthFactor * GetCameraDistance());

    // Only what lies between the camera and a point a little short of the target.
    const Vec3 view = GetViewDirection();
    const Vec3 shortOfTarget = target.GetRegionPosition() - view * kTransparencyShortOfTarget;
    frustum.planes.push_back(Plane{-view, Dot(view, shortOfTarget)});

    // Only what rises above the player's head.
    m_transparencyHeight = 0.0f;
    if (GetPlayer()) {
        m_transparencyHeight = target.GetRegionPosition().y + kTransparencyAboveTarget;
        frustum.planes.push_back(Plane{Vec3(0.0f, 1.0f, 0.0f), -m_transparencyHeight});
    }

    frustum.region = target.GetRegion();
    m_transparencyFrustum = std::move(frustum);
}

// Lattice positions run at half-cell steps along x and z, one cell below the grid's
// first: index i lies at (i / 2 - 1) cells.
void GameCamera::UpdateUndergroundTransparency(const WorldVec3& target, const Vec3& view)
{
    GridRegion* grid = target.GetRegion()->GetGridRegion();
    if (!grid)
        return;
    const Vec3& spacing = grid->GetCellSpacing();
    const Vec3 p = target.GetRegionPosition();
    if (!IsFinite(p.x) || !IsFinite(p.y) || !IsFinite(p.z) || !IsFinite(view.x) || !IsFinite(view.z))
        return;
    auto cellOf = [](float v, float step) { return TruncateToInt(std::floor(static_cast<double>(v) / step)); };
    const int cellX = cellOf(p.x, spacing.x) + 1;
    const int cellY = cellOf(p.y, spacing.y);
    const int cellZ = cellOf(p.z, spacing.z) + 1;
    if (cellY < 0 || cellY >= static_cast<int>(grid->GetYNumCells()))
        return;
    const float floorY = static_cast<float>(cellY) * spacing.y;
    auto latticeAt = [](int index, float step) { return (static_cast<float>(index) * 0.5f - 1.0f) * step; };
    auto latticeOf = [](float v, float step) { return TruncateToInt(std::round(static_cast<double>(v) / (0.5 * step))) + 2; };
    // The run along one axis (`alongZ`: z) through the lattice line on the camera's side
    // of the target across the other, from where the view line meets that line.
    auto run = [&](bool alongZ) {
        const float across = alongZ ? view.x : view.z;
        if (across == 0.0f)
            return;   // the view runs parallel to the lines: none is met
        const int cell = alongZ ? cellX : cellZ;
        const float acrossStep = alongZ ? spacing.x : spacing.z;
        const float alongStep = alongZ ? spacing.z : spacing.x;
        // The camera looks along the view: it stands on the side the view comes from.
        const int line = across > 0.0f ? 2 * cell : 2 * cell + 2;
        const float linePos = latticeAt(line, acrossStep);
        const float t = (linePos - (alongZ ? p.x : p.z)) / across;
        const float meet = (alongZ ? p.z : p.x) + t * (alongZ ? view.z : view.x);
        if (!IsFinite(meet))
            return;
        const int start = latticeOf(meet, alongStep);
        auto open = [&](int i) {
            return alongZ ? grid->GetLatticeValue(line, cellY, i) : grid->GetLatticeValue(i, cellY, line);
        };
        if (!open(start))
            return;
        int first = start, last = start;
        while (open(first - 1))
            --first;
        while (open(last + 1))
            ++last;
        const float from = latticeAt(first, alongStep), to = latticeAt(last, alongStep);
        const float low = linePos - kGridRunHalfWidth, high = linePos + kGridRunHalfWidth;
        grid->UpdateTransparency(alongZ ? BoxPlanes(Vec3(low, floorY, from), Vec3(high, floorY + kGridRunHeight, to))
                                        : BoxPlanes(Vec3(from, floorY, low), Vec3(to, floorY + kGridRunHeight, high)));
    };
    run(true);
    run(false);
}

}  // namespace GAME
