#include "Engine/PhysicsEngine.h"

#include <cmath>

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

namespace {

bool IsFinite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool IsZero(const Vec3& v)
{
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

}  // namespace

void PhysicsEngine::SetEntityLinearVelocity(const Entity* entity, const Vec3& velocity)
{
    if (!IsFinite(velocity)) {
        if (entity)
            gEngine->Log(1, "Physics: velocity of object %u is not a finite number; kept the old one",
                         entity->GetObjectId());
        return;
    }
    CriticalSectionLock lock(m_lock);
    if (EntityState* state = StateOf(entity)) {
        state->linearVelocity = velocity;
        if (!IsZero(velocity))
            state->simulationEnabled = true;
    }
}

void PhysicsEngine::SetEntityAngularVelocity(const Entity* entity, const Vec3& velocity)
{
    if (!IsFinite(velocity)) {
        if (entity)
            gEngine->Log(1, "Physics: angular velocity of object %u is not a finite number; kept the old one",
                         entity->GetObjectId());
        return;
    }
    CriticalSectionLock lock(m_lock);
    if (EntityState* state = StateOf(entity)) {
        state->angularVelocity = velocity;
        if (!IsZero(velocity))
            state->simulationEnabled = true;
    }
}

void PhysicsEngine::SetEntityGravity(const Entity* entity, bool on)
{
    CriticalSectionLock lock(m_lock);
    if (EntityState* state = StateOf(entity)) {
        state->gravity = on;
        if (on)
            state->simulationEnabled = true;
    }
}

void PhysicsEngine::RemoveFromSimulation(const Entity* entity)
{
    CriticalSectionLock lock(m_lock);
    if (EntityState* state = StateOf(entity)) {
        state->linearVelocity = Vec3{};
        state->angularVelocity = Vec3{};
        state->simulationEnabled = false;
    }
}

int PhysicsEngine::Step(World& world, int elapsedMs)
{
    if (elapsedMs <= 0)
        return 0;
    const float seconds = static_cast<float>(elapsedMs) * 0.001f;
    // The bodies to move are gathered first: a contact callback may take entities out of
    // the world or destroy them (freed only at the end of the frame), so each is checked
    // again before it moves.
    m_stepBodies.clear();
    world.GetEntities(m_stepBodies, m_dynamicFilter, EntityList_All);
    int moved = 0;
    for (Entity* entity : m_stepBodies) {
        if (!entity->IsInWorld() || entity->GetPhysicsType() != Entity::kPhysicsTypeDynamic)
            continue;
        EntityState state;
        bool heldAtFallLimit = false;
        {
            CriticalSectionLock lock(m_lock);
            auto found = m_states.find(entity->GetObjectId());
            if (found == m_states.end() || !found->second.simulationEnabled)
                continue;
            EntityState& body = found->second;
            if (body.gravity) {
                body.linearVelocity.y -= kGravity * seconds;
                if (body.maxFallVelocity < 0.0f && body.linearVelocity.y < body.maxFallVelocity) {
                    body.linearVelocity.y = body.maxFallVelocity;
                    heldAtFallLimit = true;
                }
            }
            state = found->second;
        }
        ++moved;
        const WorldCoords& from = entity->GetCoords();
        Coords coords = from.GetRegionCoords();
        const float startY = coords.origin.y;
        coords.origin += state.linearVelocity * seconds;
        const float turn = state.angularVelocity.Length() * seconds;
        if (turn > 0.0f && std::isfinite(turn)) {
            const Coords rotation = Coords::MakeRotation(state.angularVelocity, turn);
            const Matrix3 turned = rotation.GetRotation() * coords.GetRotation();
            coords.SetRotation(turned);
        }
        Region* region = from.GetRegion();
        const float floor = region->GetFloorHeight();
        const bool landed = startY >= floor && coords.origin.y <= floor && state.linearVelocity.y <= 0.0f;
        if (landed)
            coords.origin.y = floor;
        world.SetCoords(entity, WorldCoords(region, coords));
        if (landed) {
            RemoveFromSimulation(entity);
            CollisionData contact;
            contact.type = CollisionData::kCollisionFloor;
            contact.position = WorldVec3(region, coords.origin);
            contact.surface = static_cast<PhysicsSurface>(region->GetFloorSurface());
            entity->CollisionCallback(contact);
        } else if (heldAtFallLimit) {
            entity->HitMaxFallVelocityCallback();
        }
    }
    m_stepBodies.clear();
    return moved;
}

bool PhysicsEngine::DynamicFilter::operator()(const Entity* entity) const
{
    return entity->GetPhysicsType() == Entity::kPhysicsTypeDynamic;
}

bool PhysicsEngine::ReportCollision(Entity* entity, const CollisionData& collision)
{
    if (!entity || !entity->IsInWorld())
        return false;
    entity->CollisionCallback(collision);
    return true;
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
