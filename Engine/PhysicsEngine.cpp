#include "Engine/PhysicsEngine.h"

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GameServices.h"
#include "Engine/GraphicsAnim.h"

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

// ---- PhysicsRagDoll ----------------------------------------------------------------------

PhysicsRagDoll::PhysicsRagDoll(Actor* actor) : m_actor(actor)
{
    if (!actor)
        return;
    if (const auto* bodies = GraphicsEngine::Get()->GetMeshRigidBodies(actor->GetMeshName()))
        for (const GraphicsEngine::MeshRigidBody& body : *bodies)
            if (!AddRigidBody(body.boneA, body.boneB))
                break;
}

bool PhysicsRagDoll::AddRigidBody(int boneA, int boneB)
{
    if (m_bodies.size() >= kMaxRigidBodies) {
        gEngine->Log(LOG_WARNING, "PhysicsRagDoll: more than %zu rigid bodies refused", kMaxRigidBodies);
        return false;
    }
    m_bodies.push_back({boneA, boneB, Vec3()});
    return true;
}

void PhysicsRagDoll::SetLinearVelocity(size_t body, const Vec3& velocity)
{
    if (body >= m_bodies.size()) {
        gEngine->Log(LOG_WARNING, "PhysicsRagDoll: no rigid body %zu", body);
        return;
    }
    m_bodies[body].linearVelocity = velocity;
}

void PhysicsRagDoll::SetLinearVelocity(const Vec3& velocity)
{
    for (RigidBody& body : m_bodies)
        body.linearVelocity = velocity;
}

Vec3 PhysicsRagDoll::GetLinearVelocity(size_t body) const
{
    return body < m_bodies.size() ? m_bodies[body].linearVelocity : Vec3();
}

void PhysicsRagDoll::SetBoneCoords(int bone, int frame, const Coords& coords)
{
    m_bones[{bone, frame}] = coords;
}

Coords PhysicsRagDoll::GetBoneCoords(int bone, const SkeletalPose& pose) const
{
    auto found = m_bones.find({bone, pose.frame});
    return found == m_bones.end() ? Coords() : found->second;
}

Coords PhysicsRagDoll::GetRigidBodyCoords(size_t, const Coords& boneA, const Coords& boneB) const
{
    Coords coords = boneA;
    coords.origin = (boneA.origin + boneB.origin) * 0.5f;
    return coords;
}

void PhysicsRagDoll::Start()
{
    m_enabled = true;
    SetInitialState();
}

void PhysicsRagDoll::Settle()
{
    if (!m_enabled)
        return;
    m_enabled = false;
    OnDisabled();
}

}  // namespace GAME
