#include "Game/core/foundation/AimSolver.h"

#include <cmath>

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/items/Weapon.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

WorldVec3 MovedBy(const WorldVec3& position, const Vec3& velocity, float time)
{
    WorldVec3 moved = position;
    moved.Translate(velocity * time);
    return moved;
}

// The time to aim for from the two roots of the intercept equation: the smaller
// positive root, else whichever root is not negative.
bool ChooseInterceptTime(float r1, float r2, float& t)
{
    if (r1 < 0.0f && r2 < 0.0f)
        return false;
    t = r2;
    if (r1 > 0.0f) {
        t = r1;
        if (r2 > 0.0f && r2 < r1)
            t = r2;
    } else if (r2 < 0.0f) {
        t = r1;   // r1 is exactly 0: the projectile meets the target at once
    }
    return true;
}

}  // namespace

WorldVec3 ComputeInterceptPoint(const WorldVec3& target, const Vec3& targetVelocity, const WorldVec3& shooter,
                                float projectileSpeed, float extraTime)
{
    if (!target.IsValid() || !shooter.IsValid() || projectileSpeed == 0.0f)
        return {};
    const Vec3& v = targetVelocity;
    if (v == Vec3{})
        return target;

    // |d + v t| = s t, with d from the shooter to the target.
    const Vec3 d = target - shooter;
    const float a = v.LengthSquared() - projectileSpeed * projectileSpeed;
    const float b = 2.0f * Dot(d, v);
    const float c = d.LengthSquared();

    if (a == 0.0f) {
        // Target as fast as the projectile: the equation is linear, b t + c = 0.
        if (b >= 0.0f)
            return {};
        return MovedBy(target, v, -c / b + extraTime);
    }
    const float disc = b * b - 4.0f * a * c;
    if (disc < 0.0f)
        return {};
    if (disc == 0.0f) {
        const float t = -b / (2.0f * a);
        if (t < 0.0f)
            return {};   // the only meeting lies in the past
        return MovedBy(target, v, t);
    }
    const float root = std::sqrt(disc);
    const float r1 = (root - b) / (2.0f * a);
    const float r2 = (-b - root) / (2.0f * a);
    float t = 0.0f;
    if (!ChooseInterceptTime(r1, r2, t))
        return {};
    return MovedBy(target, v, t + extraTime);
}

WorldVec3 GetTargetLeadingPoint(uint32_t attackerId, uint32_t targetId, float timeFactor)
{
    ObjectManager& objects = ObjectManager::Get();
    Character* attacker = objects.GetObject<Character>(attackerId);
    Character* target = objects.GetObject<Character>(targetId);
    if (!attacker || !target)
        return {};

    float projectileSpeed = 0.0f;
    if (const Weapon* weapon = objects.GetObject<Weapon>(attacker->GetSkillManager().GetLeftHandWeapon()))
        projectileSpeed = ProjectileBase::GetRecordTotalSpeed(weapon->GetProjectileName());

    const WorldVec3 targetPosition = target->GetPathPosition();
    const WorldVec3& heading = target->GetPathTarget();
    Vec3 velocity{};
    if (heading.IsValid())
        velocity = (heading - targetPosition).Unit() * target->GetSpeed() * timeFactor;

    return ComputeInterceptPoint(targetPosition, velocity, attacker->GetPathPosition(), projectileSpeed, 0.0f);
}

}  // namespace GAME
