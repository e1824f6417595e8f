#include "Game/characters/CharacterRagDoll.h"

#include <algorithm>

#include "Engine/GraphicsAnim.h"
#include "Engine/Name.h"
#include "Engine/Random.h"
#include "Game/characters/Character.h"
#include "Game/characters/DeathHandler.h"

namespace GAME {

namespace {

// Scales v down to `limit` when it is longer.
Vec3 LimitLength(const Vec3& v, float limit)
{
    const float length = v.Length();
    return length > limit ? v * (limit / length) : v;
}

}  // namespace

CharacterRagDoll::CharacterRagDoll(Character* character) : PhysicsRagDoll(character), m_character(character) {}

Vec3 CharacterRagDoll::GetDirectionVec(const std::string& word, const WorldVec3& from, const WorldVec3& to)
{
    Vec3 direction;
    if (word == "Push")
        direction = to - from;
    else if (word == "Pull")
        direction = from - to;
    else
        return {};
    const float length = direction.Length();
    // Coincident points have no direction: dividing by their zero length would hand NaN
    // to the physics, and NaN passes every later length test.
    if (!(length >= kMinDirectionLength))
        return {};
    return direction * (1.0f / length);
}

Vec3 CharacterRagDoll::GetPushVec(const std::string& word, const WorldCoords& coords)
{
    const Vec3& axis = coords.GetRegionCoords().xAxis;
    if (word == "Right")
        return axis * -1.0f;
    if (word == "Left")
        return axis;
    return {};
}

Vec3 CharacterRagDoll::GetElevationVec(const std::string& word)
{
    if (word == "Upward")
        return {0.0f, 3.0f, 0.0f};
    if (word == "Downward")
        return {0.0f, -3.0f, 0.0f};
    return {};
}

void CharacterRagDoll::SetInitialState()
{
    if (!m_character)
        return;
    switch (m_character->GetRagdollData().effect) {
    case Crumple:
        SetCrumple();
        break;
    case TakeHit:
        SetTakeHit();
        break;
    case Random:
        SetRandom();
        break;
    default:
        break;
    }
}

void CharacterRagDoll::OnDisabled()
{
    static const Name kPhysicsComplete("PhysicsComplete");
    if (m_character)
        if (DeathManager* manager = m_character->GetDeathManager())
            manager->ExternalEvent(kPhysicsComplete);
}

void CharacterRagDoll::SetRandom()
{
    for (size_t body = 0; body < GetNumRigidBodies(); ++body) {
        const float z = RandFloat(-kRandomSpread, kRandomSpread);
        const float x = RandFloat(-kRandomSpread, kRandomSpread);
        SetLinearVelocity(body, Vec3(x, kRandomLift, z));
    }
}

void CharacterRagDoll::SetTakeHit()
{
    const EffectData& data = m_character->GetRagdollData();
    // Also refuses a direction that is not a number.
    if (!(data.direction.LengthSquared() >= 0.0001f))
        return;
    const float a = std::max(1.0f, data.amplification);
    const float s = std::clamp(a * data.speed, kMinHitSpeed, kMaxHitSpeed);
    const float spread = std::clamp(s * 0.5f, kMinHitSpread, kMaxHitSpread);
    const float lift = s * kHitLift;
    Vec3 base = data.direction.Unit() * s;
    base.y += lift;
    for (size_t body = 0; body < GetNumRigidBodies(); ++body) {
        const float x = RandFloat(-spread, spread);
        const float z = RandFloat(-spread, spread);
        SetLinearVelocity(body, Vec3(base.x + x, base.y, base.z + z));
    }
}

void CharacterRagDoll::SetCrumple()
{
    const Vec3 motion = LimitLength(m_character->GetMotion() * kCrumpleMotionScale, kMaxCrumpleSpeed);
    const GraphicsAnim* animation = m_character->GetCurrentAnimation();
    const AnimChannel* channel = m_character->GetAnimationChannel(0);
    if (!animation || !channel || !HasBones()) {
        SetLinearVelocity(motion);
        return;
    }
    const int frame = static_cast<int>(channel->position);
    int previous = frame - 1;
    if (previous < 0)
        previous = static_cast<int>(animation->GetLength());
    SkeletalPose now, before;
    animation->GetFramePose(frame, true, now);
    animation->GetFramePose(previous, true, before);
    const Coords& placed = m_character->GetCoords().GetRegionCoords();
    const float frameRate = static_cast<float>(animation->GetFrameRate());

    // A body's position in the region in a pose.
    auto bodyPosition = [&](size_t body, const RigidBody& bones, const SkeletalPose& pose) {
        Coords a = GetBoneCoords(bones.boneA, pose);
        Coords b = GetBoneCoords(bones.boneB, pose);
        a.origin = placed.TransformPoint(a.origin);
        b.origin = placed.TransformPoint(b.origin);
        return GetRigidBodyCoords(body, a, b).origin;
    };
    for (size_t body = 0; body < GetNumRigidBodies(); ++body) {
        const RigidBody& bones = GetRigidBody(body);
        const Vec3 velocity = (bodyPosition(body, bones, now) - bodyPosition(body, bones, before)) * frameRate + motion;
        SetLinearVelocity(body, LimitLength(velocity, kMaxCrumpleSpeed));
    }
}

}  // namespace GAME
