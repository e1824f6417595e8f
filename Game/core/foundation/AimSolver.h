// Leading a projectile onto a moving target.
#pragma once

#include <cstdint>

#include "Engine/World.h"

namespace GAME {

// What a skill start carries to aim ahead of a moving target: the two characters and
// whether leading is asked for (non-zero). Skills store it whole and pass it on.
struct TargetLeadingData {
    uint32_t attackerId = 0;
    uint32_t targetId = 0;
    uint32_t leading = 0;
};

// Where a projectile of `projectileSpeed` (units per second) fired from `shooter` meets
// a target at `target` moving with `targetVelocity` (units per second), moved on by
// `extraTime` seconds. An empty position (no region) means there is no solution.
WorldVec3 ComputeInterceptPoint(const WorldVec3& target, const Vec3& targetVelocity, const WorldVec3& shooter,
                                float projectileSpeed, float extraTime);

// The point at which the attacker should aim to hit the target with the projectile of
// its left-hand weapon; the target's velocity is scaled by `timeFactor`. Empty when
// either character is gone or there is no solution.
WorldVec3 GetTargetLeadingPoint(uint32_t attackerId, uint32_t targetId, float timeFactor);

}  // namespace GAME
