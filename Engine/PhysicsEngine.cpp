#include "Engine/PhysicsEngine.h"

#include "Engine/Entity.h"

namespace GAME {

PhysicsEngine& PhysicsEngine::Get()
{
    static PhysicsEngine physics;
    return physics;
}

PhysicsEngine::EntityState* PhysicsEngine::StateOf(const Entity* entity)
{
    return entity ? &m_states[entity->GetObjectId()] : nullptr;
}

void PhysicsEngine::SetEntityLinearVelocity(const Entity* entity, const Vec3& velocity)
{
    CriticalSectionLock lock(m_lock);
    if (EntityState* state = StateOf(entity))
        state->linearVelocity = velocity;
}

void PhysicsEngine::SetEntityAngularVelocity(const Entity* entity, const Vec3& velocity)
{
    CriticalSectionLock lock(m_lock);
    if (EntityState* state = StateOf(entity))
        state->angularVelocity = velocity;
}

void PhysicsEngine::SetEntityMaxFallVelocity(const Entity* entity, float velocity)
{
    CriticalSectionLock lock(m_lock);
    if (EntityState* state = StateOf(entity))
        state->maxFallVelocity = velocity;
}

bool PhysicsEngine::GetEntityState(uint32_t objectId, EntityState& out) const
{
    CriticalSectionLock lock(m_lock);
    auto found = m_states.find(objectId);
    if (found == m_states.end())
        return false;
    out = found->second;
    return true;
}

void PhysicsEngine::RemoveEntity(uint32_t objectId)
{
    CriticalSectionLock lock(m_lock);
    m_states.erase(objectId);
}

void PhysicsEngine::Reset()
{
    CriticalSectionLock lock(m_lock);
    m_states.clear();
}

}  // namespace GAME
