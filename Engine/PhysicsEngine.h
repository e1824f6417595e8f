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
#include "Engine/World.h"

namespace GAME {

class Actor;
class Entity;
struct SkeletalPose;

class World;

// The kind of surface a contact happened on; 7 is water.
enum PhysicsSurface : int32_t {
    PhysicsSurface_Default = 0,
    PhysicsSurface_Water = 7,
};

// A physical contact reported to an entity (Entity::CollisionCallback).
struct CollisionData {
    // What was struck: kCollisionFloor for the floor of the region; any other number is
    // the host's or a test's own kind of contact, handed on as given.
    static constexpr int kCollisionFloor = 1;
    int type = 0;
    uint32_t otherId = 0;    // the entity struck; 0 for the floor or nothing
    WorldVec3 position;      // where the contact happened
    Vec3 normal{0, 1, 0};    // the surface's normal there
    PhysicsSurface surface = PhysicsSurface_Default;
};

class PhysicsEngine {
public:
    // What the game last set for one entity.
    struct EntityState {
        Vec3 linearVelocity;
        Vec3 angularVelocity;
        float maxFallVelocity = 0.0f;
        bool gravity = true;   // bodies fall unless told otherwise (a straight missile)
        bool simulationEnabled = false;
    };

    // Downwards, world units per second squared.
    static constexpr float kGravity = 9.8f;

    static PhysicsEngine& Get();

    // A null entity is ignored.
    void SetEntityLinearVelocity(const Entity* entity, const Vec3& velocity);
    void SetEntityAngularVelocity(const Entity* entity, const Vec3& velocity);
    void SetEntityMaxFallVelocity(const Entity* entity, float velocity);

    // The state set for the object id; false, leaving `out` alone, when none was set.
    bool GetEntityState(uint32_t objectId, EntityState& out) const;
    void SetEntityGravity(const Entity* entity, bool on);
    // Velocities zero, simulation disabled.
    void RemoveFromSimulation(const Entity* entity);

    // The physics step of a frame (run by Engine::UpdateFrame before the actors' walk):
    // every entity in the world of physics type Entity::kPhysicsTypeDynamic whose
    // simulation is enabled, in the world's order, falls by kGravity when its gravity is
    // on (no faster than its fall limit, when one below 0 is set), moves by its linear
    // velocity and turns by its angular velocity over the elapsed time. A body that reaches the floor of its region from above stops on it (at rest:
    // velocities zero, simulation disabled) and is told of the contact (type
    // kCollisionFloor, with the region's floor surface); a body that did not land but was
    // held at its fall limit is told so (Entity::HitMaxFallVelocityCallback). Returns the
    // number of bodies moved.
    int Step(World& world, int elapsedMs);

    // Hands an entity a contact, as the engine would (a test, the host). A null entity or
    // one outside the world is ignored (false).
    bool ReportCollision(Entity* entity, const CollisionData& collision);

    // Forgets the entity (it left the game).
    void RemoveEntity(uint32_t objectId);
    // Forgets every entity (tests, level unload).
    void Reset();

private:
    EntityState* StateOf(const Entity* entity);   // under the lock

    // Picks the entities of the dynamic physics type.
    class DynamicFilter : public FilterFunction<Entity> {
    public:
        bool operator()(const Entity* entity) const override;
    };

    mutable CriticalSection m_lock;
    std::unordered_map<uint32_t, EntityState> m_states;
    std::vector<Entity*> m_stepBodies;   // the step's list, kept for its capacity
    DynamicFilter m_dynamicFilter;
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
