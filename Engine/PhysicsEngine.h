// The physics engine. Nothing moves here: it keeps, per entity, the velocities and the
// fall limit the game sets, so that tests and the host can read them back.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "Engine/CriticalSection.h"
#include "Engine/Math.h"

namespace GAME {

class Entity;

class PhysicsEngine {
public:
    // What the game last set for one entity.
    struct EntityState {
        Vec3 linearVelocity;
        Vec3 angularVelocity;
        float maxFallVelocity = 0.0f;
    };

    static PhysicsEngine& Get();

    // A null entity is ignored.
    void SetEntityLinearVelocity(const Entity* entity, const Vec3& velocity);
    void SetEntityAngularVelocity(const Entity* entity, const Vec3& velocity);
    void SetEntityMaxFallVelocity(const Entity* entity, float velocity);

    // The state set for the object id; false, leaving `out` alone, when none was set.
    bool GetEntityState(uint32_t objectId, EntityState& out) const;
    // Forgets the entity (it left the game).
    void RemoveEntity(uint32_t objectId);
    // Forgets every entity (tests, level unload).
    void Reset();

private:
    EntityState* StateOf(const Entity* entity);   // under the lock

    mutable CriticalSection m_lock;
    std::unordered_map<uint32_t, EntityState> m_states;
};

}  // namespace GAME
