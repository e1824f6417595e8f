// The physics engine. Nothing moves here: it keeps, per entity, the velocities and the
// fall limit the game sets, so that tests and the host can read them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/Math.h"

namespace GAME {

class Actor;
class Entity;
struct SkeletalPose;

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

// What the physics engine moves an entity as; the entity owns it and makes it anew when
// its physics type changes. The engine starts it once made.
class PhysicsObject {
public:
    virtual ~PhysicsObject() = default;
    virtual void Start() {}
};

// One rigid body for the whole entity: it only records that the entity is simulated.
class PhysicsRigidBody : public PhysicsObject {
public:
    explicit PhysicsRigidBody(Entity* entity) : m_entity(entity) {}
    Entity* GetEntity() const { return m_entity; }

private:
    Entity* m_entity;
};

// A set of rigid bodies that follow an actor's skeleton while it lies limp. Nothing is
// simulated: each body keeps the velocity last set on it, and the bone coordinates of the
// poses are what was recorded for them (the platform has no skeletons), so that kinds can
// be driven and read back. Kinds override SetInitialState (when the rag doll starts) and
// OnDisabled (when it has settled). Made for an actor, it takes the bodies registered for
// the actor's mesh (GraphicsEngine::RegisterMeshRigidBodies).
class PhysicsRagDoll : public PhysicsObject {
public:
    // Each body hangs between two bones of the mesh.
    struct RigidBody {
        int boneA = 0;
        int boneB = 0;
        Vec3 linearVelocity;
    };
    // A bound on the bodies of one rag doll: a skeleton is never this large.
    static constexpr size_t kMaxRigidBodies = 256;

    explicit PhysicsRagDoll(Actor* actor);
    ~PhysicsRagDoll() override = default;
    PhysicsRagDoll(const PhysicsRagDoll&) = delete;
    PhysicsRagDoll& operator=(const PhysicsRagDoll&) = delete;

    Actor* GetActor() const { return m_actor; }

    // False (and a log line) beyond kMaxRigidBodies.
    bool AddRigidBody(int boneA, int boneB);
    size_t GetNumRigidBodies() const { return m_bodies.size(); }
    // Index below GetNumRigidBodies.
    const RigidBody& GetRigidBody(size_t body) const { return m_bodies[body]; }
    // A body index out of range is logged and ignored.
    void SetLinearVelocity(size_t body, const Vec3& velocity);
    // Every body moves with the velocity.
    void SetLinearVelocity(const Vec3& velocity);
    // Zero for a body out of range.
    Vec3 GetLinearVelocity(size_t body) const;

    // The mesh's bone coordinates: recorded per bone and animation frame; a bone never
    // recorded for a frame stands at the mesh's origin. HasBones tells whether any mesh
    // bone is known at all (a rag doll without them cannot follow a pose).
    void SetBoneCoords(int bone, int frame, const Coords& coords);
    bool HasBones() const { return !m_bones.empty(); }
    Coords GetBoneCoords(int bone, const SkeletalPose& pose) const;
    // Where a body stands, given its two bones' coordinates: midway between them, turned
    // as the first.
    Coords GetRigidBodyCoords(size_t body, const Coords& boneA, const Coords& boneB) const;

    // The engine starts the rag doll (SetInitialState) and disables it once it has
    // settled (OnDisabled, once per start).
    void Start() override;
    void Settle();
    bool IsEnabled() const { return m_enabled; }

protected:
    virtual void SetInitialState() {}
    virtual void OnDisabled() {}

private:
    Actor* m_actor;
    std::vector<RigidBody> m_bodies;
    std::map<std::pair<int, int>, Coords> m_bones;   // (bone, frame)
    bool m_enabled = false;
};

}  // namespace GAME
