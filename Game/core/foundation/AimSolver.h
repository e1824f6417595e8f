// Leading a projectile onto a moving target.
#pragma once

#include <cstdint>

#include "Engine/World.h"

namespace GAME {

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
