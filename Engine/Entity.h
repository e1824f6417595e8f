// The engine's bases of everything that can stand in the world: entities and actors,
// lights, tiles, line effects and beams, and sound packs.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Engine/ActorConfigCommand.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/GraphicsMesh.h"
#include "Engine/Name.h"
#include "Engine/Object.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/UniqueId.h"
#include "Engine/World.h"

namespace GAME {

struct CollisionData;

// One animation channel of an entity: the animation it plays (one at a time) and the clock.
struct AnimChannel {
    std::string animation;   // name of the animation playing; empty before the first
    bool loop = false;
    float speed = 1.0f;
    float speedMultiplier = 1.0f;
    int blendMs = 0;
    // The animation's own values, copied when it is played, and the clock.
    int length = 1;          // frames
    int frameRate = 30;
    float animSpeed = 1.0f;
    float motionSpeed = 0.0f;
    std::vector<GraphicsAnimEvent> events;
    double position = 0.0;   // frames since the start (within the length)
    bool started = false;    // the first step has run
    bool finished = false;   // a non-looping animation reached its end
    unsigned plays = 0;      // counts PlayAnimation calls on the channel
};

class Entity : public Object {
    GAME_DECLARE_CLASS(Entity)

public:
    Entity();
    ~Entity() override;

    // Where the entity stands; kept when it leaves the world.
    const WorldCoords& GetCoords() const { return m_coords; }
    Region* GetRegion() const { return m_coords.GetRegion(); }

    virtual bool IsInWorld() const { return m_inWorld; }
    // True when the server creates the object for its clients.
    virtual bool ShouldServerSpawn() const { return false; }
    // Static entities never move; queries can ask for them or for the others.
    virtual bool IsStatic() const { return false; }

    // The sphere around the position that world queries test against.
    float GetBoundingRadius() const { return m_boundingRadius; }
    void SetBoundingRadius(float radius);

    // Named points on the entity's body (where the camera looks, a hand ...), kept as
    // offsets in the entity's own frame. A point that was never set is the entity's
    // position.
    void SetAttachPoint(const Name& name, const Vec3& offset);
    WorldVec3 GetAttachPointPosition(const Name& name) const;

    // How the physics engine moves the entity; 0 (not simulated) until set. A dropped
    // item falls and tumbles as type 2, a body gone limp as type 3. A new type drops the
    // physics object of the old one, asks for one of the new (CreatePhysicsObject) and
    // starts it; setting the type it has changes nothing.
    int GetPhysicsType() const { return m_physicsType; }
    void SetPhysicsType(int type);
    // What the physics engine moves the entity as; null when the kind makes none.
    PhysicsObject* GetPhysicsObject() const { return m_physicsObject.get(); }

    // ---- shader parameters ----
    // What the renderer asks of an entity for a named parameter of its shader (one float,
    // or four), for the mesh and pass given; false, with nothing written, for a parameter
    // the entity does not drive (every one at this level).
    virtual bool GetShaderParam(const Name& name, unsigned mesh, unsigned pass, float& out) const;
    virtual bool GetShaderParamFloat4(const Name& name, unsigned mesh, unsigned pass, float* out) const;
    // ---- end shader parameters ----
    // ---- actor physics ----
    // The body the physics step (PhysicsEngine::Step) moves: an entity of physics type
    // kPhysicsTypeDynamic in the world, while its simulation is enabled. The velocities
    // live in the physics engine's state of the entity; gravity is on until set off. A velocity that is not finite is
    // logged and refused (the old one stays). Setting gravity on, or a velocity that is
    // not zero, enables the simulation; a body that comes to rest on the floor of its
    // region, or is removed from the simulation, is disabled until then.
    static constexpr int kPhysicsTypeDynamic = 2;
    void SetGravity(bool on);
    bool GetGravity() const;
    void SetLinearVelocity(const Vec3& velocity);
    Vec3 GetLinearVelocity() const;
    void SetAngularVelocity(const Vec3& velocity);   // radians per second about the axis
    Vec3 GetAngularVelocity() const;
    bool IsSimulationEnabled() const;
    // Stops the body where it is: velocities zero, simulation disabled.
    void RemoveFromSimulation();
    // A physical contact the engine reports (the step, or a collision handed in through
    // PhysicsEngine::ReportCollision); nothing at this level.
    virtual void CollisionCallback(const CollisionData& collision);
    // The physics step held the body's fall at its fall limit (SetEntityMaxFallVelocity);
    // nothing at this level.
    virtual void HitMaxFallVelocityCallback() {}
    // Whether this body collides with another entity; true at this level.
    virtual bool CanCollide(const Entity* other) const;
    // Whether the entity blocks path finding; false at this level.
    virtual bool OccludesPathing() const;
    // The offset of a named point in the entity's own frame; zero for a point never set.
    Vec3 GetAttachPointOffset(const Name& name) const;
    // The entity's box in its region, as UpdateBoundingBox last set it.
    const OBBox& GetRegionBoundingBox() const { return m_regionBoundingBox; }
    // Sets the region box from where the entity stands; the world calls it whenever the
    // entity is placed or moved (World::SetCoords, AddEntity) and the entity whenever its
    // bounding radius changes. At this level: the entity's coordinates, half sizes its
    // bounding radius (0 when below 0).
    virtual void UpdateBoundingBox();
    // The box bodies and paths collide with; `index` names one box of a body made of
    // several (a mesh's hit boxes). At this level the region box, whatever the index.
    virtual OBBox GetCollisionBox(int index) const;
    // Picking: whether the ray meets the entity on a picking surface (`surface`, 0 for
    // none), with the distance along the ray and the point met. Nothing is picked at this
    // level (false, the distance and point untouched).
    virtual bool GetIntersection(const WorldRay& ray, int surface, float& distance, WorldVec3& point) const;
    // ---- end actor physics ----

    // ---- the frame ----
    // The world's walk (World::UpdateActors) gives every actor a frame; a plain entity gets
    // one only when it asks for it (SetFrameUpdate), and then, in the walk's order:
    // InitialUpdate (its first walk only), UpdateSelf, the animation step, AddToScene.
    bool WantsFrameUpdate() const { return m_frameUpdate; }
    // Once, on the entity's first walk after it entered the world.
    virtual void InitialUpdate();
    // Whether the world's walk has run that first update.
    bool HasHadInitialUpdate() const { return m_initialUpdated; }
    // Every walked frame, with the frame's elapsed milliseconds.
    virtual void UpdateSelf(int elapsedMs);
    // Asks memory, ahead of the world's walk, for what the next frame update of this
    // entity reads, so that the misses of the entities ahead overlap the work of the one
    // being updated. Stage 0 asks for the entity's own lines; stage 1, steps of the walk
    // later (those lines arrived), for the parts they point to. Reads nothing else and
    // changes nothing; nothing at this level.
    virtual void PrefetchFrameUpdate(int /*stage*/) const {}
    // An event of an animation the entity plays (a footstep, "End" ...).
    virtual void AnimationCallback(const Name& event);
    // "End", the event raised when an animation reaches its end.
    static const Name& EndEvent();
    // The renderer's call for an entity it draws: the last step of each walked entity's
    // frame. Nothing at this level.
    virtual void AddToScene() {}

    // The animation step (run by the world's walk): every channel's animation advances by
    // elapsedMs x its frame rate x its own speed x the speed and multiplier it is played
    // with, and raises, in order of frame, each event whose frame it reaches or passes
    // (the events at frame 0 on the first step after PlayAnimation). Reaching the end
    // raises "End": a looping animation wraps and goes on (raising "End" on each pass, at
    // most kMaxWrapsPerStep per step), any other holds its last frame and raises nothing
    // more. A channel played again from inside a callback goes on with the new animation
    // at the next step; an entity that leaves the world in a callback raises nothing more.
    static constexpr int kMaxWrapsPerStep = 8;
    virtual void AdvanceAnimations(int elapsedMs);
    // The body's motion from the animation on channel 0: the entity's forward (third)
    // axis scaled to the animation's motion speed x the speed and multiplier it is played
    // with; zero when nothing moves.
    Vec3 GetMotion() const;

    // Animation channels: each plays one animation at a time (the body on channel 0).
    static constexpr int kAnimationChannels = 4;
    // Plays an animation on a channel, blending into it over blendMs (negative: 0); the
    // channel's speed multiplier starts again at 1. A
    // channel outside 0 .. kAnimationChannels - 1, no animation or a speed that is not a
    // finite number is logged and ignored.
    void PlayAnimation(int channel, const GraphicsAnim* animation, bool loop, float speed, int blendMs);
    // Sets the channel's playing speed, relative to the animation's own rate, in place of
    // the speed it was played at (so a speed set twice does not compound); a channel out
    // of range or a factor that is not a finite number is logged and ignored.
    void SetAnimationSpeedMultiplier(int channel, float multiplier);
    // Null outside 0 .. kAnimationChannels - 1.
    const AnimChannel* GetAnimationChannel(int channel) const;
    // ---- end the frame ----

    // Makes sure the entity has a unique id (editor placement): one made now, entered in
    // the UniqueIdMap, when none is entered for the entity yet. Returns the id it has.
    UniqueId EnsureUniqueID();

    // ---- world placement hooks ----
    // The world tells the entity when it enters the world (AddEntity), moves while in it
    // (AddEntity or SetCoords of a placed entity) and leaves it (RemoveEntity, and so its
    // destruction); nothing at this level. Not called by World::Reset.
    virtual void OnAddToLevel() {}
    virtual void OnMoveInLevel() {}
    virtual void OnRemoveFromLevel() {}
    // ---- end world placement hooks ----

    // Entities carried by this one (an aura's effect, a held item ...), each at an offset
    // from a named attach point (empty: the entity itself). An entity has at most one
    // parent: attaching it elsewhere takes it from its old parent first. Null, the entity
    // itself or one of its own parents is refused with a log line (false).
    struct AttachedEntity {
        Entity* entity = nullptr;
        Coords offset;
        Name attachPoint;
    };
    bool Attach(Entity* child, const Coords& offset, const Name& attachPoint);
    // False when the child is not attached to this entity.
    bool Detach(Entity* child);
    size_t GetNumAttachedEntities() const { return m_attached.size(); }
    // Null outside 0 .. count - 1.
    Entity* GetAttachedEntity(size_t index) const
    {
        return index < m_attached.size() ? m_attached[index].entity : nullptr;
    }
    const std::vector<AttachedEntity>& GetAttachedEntities() const { return m_attached; }
    // The parent test: the entity this one is attached to, or null.
    Entity* GetAttachParent() const { return m_attachParent; }
    // Where the entity is in the world: its own coordinates, or for an attached entity its
    // parent's (attached) coordinates moved to the attach point and then by the offset's
    // origin, turned as the parent is.
    WorldCoords GetAttachedCoords() const;
    bool IsAttachedTo(const Entity* parent) const { return parent && m_attachParent == parent; }

    // Marks an entity that a skill made on every peer at once from one command, rather
    // than one the server made and then replicated.
    void SetOwnedByClient(bool owned) { m_ownedByClient = owned; }
    bool IsOwnedByClient() const { return m_ownedByClient; }

    // Leaves the world and the physics engine when the object manager destroys the entity,
    // and its parent and attached entities, which stay alive on their own.
    void OnDestroy() override;

protected:
    // Makes the physics object for the current type when none exists; this base makes none.
    virtual void CreatePhysicsObject() {}
    void SetPhysicsObject(std::unique_ptr<PhysicsObject> object) { m_physicsObject = std::move(object); }
    // Asks for a frame from the world's walk (see WantsFrameUpdate); actors always have one.
    void SetFrameUpdate(bool on) { m_frameUpdate = on; }
    void SetRegionBoundingBox(const OBBox& box) { m_regionBoundingBox = box; }

private:
    friend class World;

    void DetachAll();
    // The world moved the entity (World::SetCoords): the box and what follows the entity.
    void CoordsChanged();
    // What an actor keeps in step with its coordinates.
    virtual void FollowCoords() {}

    bool IsChannel(int channel, const char* call) const;
    // Raises the events of a channel in (from, to] (from < 0: from frame 0 included);
    // false when a callback played the channel again or took the entity out of the world.
    bool RaiseEvents(int channel, double from, double to, bool placed, unsigned plays);
    // Made at the first animation played: most entities (items, markers) never animate, and
    // the channels would spread every entity over several more cache lines.
    AnimChannel* Channels();
    // Sets the body's motion factor from channel 0, after the channel was played or its
    // speed set (the only places its values change).
    void BodyChannelChanged();
    std::unique_ptr<AnimChannel[]> m_channels;
    OBBox m_regionBoundingBox;
    bool m_frameUpdate = false;
    bool m_initialUpdated = false;   // set by the world's walk
    // The channels with an animation that has not finished, one bit each: the animation
    // step walks only those, without reading the others.
    uint8_t m_runningChannels = 0;

    WorldCoords m_coords;
    // What GetMotion scales the forward axis by, kept beside the coordinates so that the
    // motion reads no channel: whether channel 0 has an animation, and the product of its
    // motion speed, speed and speed multiplier.
    bool m_bodyHasMotion = false;
    float m_bodyMotionSpeed = 0.0f;
    std::vector<std::pair<Name, Vec3>> m_attachPoints;
    std::vector<AttachedEntity> m_attached;
    Entity* m_attachParent = nullptr;
    bool m_inWorld = false;
    bool m_ownedByClient = false;
    size_t m_worldIndex = 0;   // its place in the world's list while in the world
    float m_boundingRadius;
    int m_physicsType = 0;
    std::unique_ptr<PhysicsObject> m_physicsObject;
};

// An entity with a body the engine animates. The engine drives an actor through the hooks
// below; the base versions do nothing, kinds override what they need.
class Actor : public Entity {
    GAME_DECLARE_CLASS(Actor)

public:
    Actor();
    ~Actor() override;
    // The record's "mesh", when it names one, is the actor's own mesh.
    void Load(const LoadTable& table) override;

    // Every frame after the animation step.
    virtual void PreAnimationUpdate(int elapsedMs);
    // Adjusts the pose the animation gave before it is drawn; nothing at this level.
    virtual void TweakPose() {}
    // Draws the actor's debug data (there is no renderer: kinds log or record it);
    // nothing at this level.
    virtual void DebugRender() {}

    // The animation step of an entity (Entity::AdvanceAnimations), with the dissolve of
    // the actor's mesh run by the same time first.
    void AdvanceAnimations(int elapsedMs) override;

    // The engine frame (Engine::GetFrameCount) in which the actor was last drawn: the
    // world's walk counts every actor in the world as drawn. 0 before that.
    uint32_t GetLastRenderedFrame() const { return m_lastRenderedFrame; }

    // The actor's mesh instance: the mesh it shows (SetMesh, SetOwnMesh), standing where the
    // actor stands, with its dissolve (a death, a portal, a teleport), which runs with the
    // actor's animation step. Every actor has one, showing no mesh until one is set.
    GraphicsMeshInstance& GetMeshInstance();
    const GraphicsMeshInstance& GetMeshInstance() const { return *m_meshInstance; }
    // The actor's own draw for the frame: its mesh instance is drawn (counted, see
    // GraphicsMeshInstance::CountSceneEntry).
    void AddToScene() override;
    // Hit box `index` of the mesh shown (the mesh's box for an index it has not), placed
    // where the mesh instance stands; the entity's box while no mesh is shown.
    OBBox GetCollisionBox(int index) const override;

    // The colour the mesh is tinted with (white, opaque until set).
    const Color& GetTintColor() const { return m_tint; }
    void SetTintColor(const Color& color) { m_tint = color; }

    // Whether the actor is drawn. Actors start visible.
    virtual void SetVisibility(bool visible) { m_visible = visible; }
    virtual bool GetVisibility() const { return m_visible; }

    // Scale: the base scale is the actor's own size (1.0); the current scale is what it
    // is drawn and tested at. A scale that is not a finite number above 0 is logged and
    // ignored.
    float GetBaseScale() const { return m_baseScale; }
    // The actor's own size as its record or maker gives it, kept as given (0 included):
    // whoever scales the actor decides what a size that is not above 0 means.
    void SetBaseScale(float scale) { m_baseScale = scale; }
    float GetCurrentScale() const { return m_currentScale; }
    void SetScale(float scale);

    // The allowance the engine adds around the actor's collision and pathing shape
    // (a large character grows it by 1.0, a small one gives that back). Starts at 0.
    float GetBoundingValue() const { return m_boundingValue; }
    void SetBoundingValue(float value);
    void AdjustBoundingValue(float delta) { SetBoundingValue(m_boundingValue + delta); }

    // Half the actor's standing height in world units (1.0 unless set): speech bubbles
    // and ground probes start at twice this value above the actor's position.
    float GetHeightValue() const { return m_heightValue; }
    void SetHeightValue(float value);
    // The middle of the body from the actor's position: its height value straight up.
    Vec3 GetCenterOfMass() const { return Vec3(0.0f, m_heightValue, 0.0f); }

    // Holds the body in a pose (the last pose set is kept).
    void SetPose(const SkeletalPose& pose);
    const SkeletalPose& GetPose() const { return m_pose; }

    // Queues a command on the actor (the actor takes ownership; null is ignored). Queued
    // commands run in the order queued, across all actors, at the engine's point of the
    // frame (Engine::RunActorCommands); each then sends its packet to the other peers.
    // Commands still queued when the actor is destroyed are freed without running.
    void Enqueue(ActorConfigCommand* command);
    // A command rebuilt from what host `fromHost` sent: it runs the same way, and a server
    // passes it on to every client but that host.
    void EnqueueReceived(ActorConfigCommand* command, int fromHost);
    size_t GetQueuedCommandCount() const { return m_commands ? m_commands->commands.size() - m_commands->head : 0; }
    // The commands still waiting to run, oldest first (received ones too, until the pass
    // that runs them).
    template <class Visit>
    void ForEachQueuedCommand(Visit visit) const
    {
        if (!m_commands)
            return;
        for (size_t i = m_commands->head; i < m_commands->commands.size(); ++i)
            visit(*m_commands->commands[i].command);
    }

    // Outline, mesh and textures of the drawn actor. Nothing is drawn here: the last
    // value set is kept, for the game's tests and the host.
    void SetOutlineColor(const Color& color) { m_outlineColor = color; }
    const Color& GetOutlineColor() const { return m_outlineColor; }
    void SetMesh(const std::string& name);
    const std::string& GetMeshName() const { return m_meshInstance->GetMeshName(); }
    void SetBaseTexture(const std::string& name) { m_baseTextureName = name; }
    const std::string& GetBaseTextureName() const { return m_baseTextureName; }
    void SetBumpTexture(const std::string& name) { m_bumpTextureName = name; }
    const std::string& GetBumpTextureName() const { return m_bumpTextureName; }
    // ---- Own mesh ----
    // The actor's own mesh (its record's or the look chosen for it), shown at once.
    // SetMesh shows another mesh in its place (a garment); RestoreMesh shows the own
    // mesh again.
    void SetOwnMesh(const std::string& name)
    {
        m_ownMeshName = name;
        SetMesh(name);
    }
    const std::string& GetOwnMeshName() const { return m_ownMeshName; }
    void RestoreMesh() { SetMesh(m_ownMeshName); }
    // Makes the shown mesh's resource ready before it is drawn; counted, as there is
    // nothing to load.
    void EnsureAvailable() { ++m_ensureAvailableCount; }
    unsigned GetEnsureAvailableCount() const { return m_ensureAvailableCount; }
    // ---- end of own mesh ----

private:
    friend class World;
    friend class Engine;

    struct QueuedCommand {
        std::unique_ptr<ActorConfigCommand> command;
        int fromHost;   // kQueuedHere for a command queued on this peer
    };
    static constexpr int kQueuedHere = -1;
    void QueueCommand(ActorConfigCommand* command, int fromHost);
    // The oldest queued command, taken off the queue (empty when there is none).
    QueuedCommand TakeCommand();

    void FollowCoords() final;

    // Made at the first command queued, for the same reason. The commands still queued are
    // those from `head` on; the list is emptied, keeping its storage, when the last one is
    // taken, so that the next ones queued allocate nothing.
    struct CommandQueue {
        std::vector<QueuedCommand> commands;
        size_t head = 0;
    };
    std::unique_ptr<CommandQueue> m_commands;
    SkeletalPose m_pose;
    float m_baseScale = 1.0f;
    float m_currentScale = 1.0f;
    float m_boundingValue = 0.0f;
    float m_heightValue = 1.0f;
    bool m_visible = true;
    std::unique_ptr<GraphicsMeshInstance> m_meshInstance;
    Color m_tint{1.0f, 1.0f, 1.0f, 1.0f};
    uint32_t m_lastRenderedFrame = 0;
    Color m_outlineColor{};
    std::string m_baseTextureName;
    std::string m_bumpTextureName;
    std::string m_ownMeshName;   // own mesh
    unsigned m_ensureAvailableCount = 0;
};

class Light : public Entity {
    GAME_DECLARE_CLASS(Light)

public:
    // How the light shines: 0 from a point in every direction.
    enum Type : int32_t { Type_Point = 0 };
    void SetType(Type type) { m_type = type; }
    Type GetType() const { return m_type; }
    // Casts shadows even where the display settings turn shadows off.
    void SetForceShadows(bool on) { m_forceShadows = on; }
    bool GetForceShadows() const { return m_forceShadows; }
    // A light switched off lights nothing; lights start on.
    virtual void SetEnabled(bool on) { m_enabled = on; }
    bool IsEnabled() const { return m_enabled; }
    // The light's reach in world units (a negative radius or not a number is 0) and colour.
    void SetRadius(float radius) { m_radius = radius > 0.0f ? radius : 0.0f; }
    float GetRadius() const { return m_radius; }
    void SetColor(const Color& color) { m_color = color; }
    const Color& GetColor() const { return m_color; }
    // How strongly the light shines, 0 (dark) to 1 (full); 1 until set.
    void SetIntensity(float intensity) { m_intensity = intensity; }
    float GetIntensity() const { return m_intensity; }

private:
    float m_intensity = 1.0f;
    Type m_type = Type_Point;
    float m_radius = 0.0f;
    Color m_color{1.0f, 1.0f, 1.0f, 1.0f};
    bool m_forceShadows = false;
    bool m_enabled = true;
};

// A piece of the level's own scenery. It animates, so the world's walk updates it as an
// actor.
class Tile : public Actor {
    GAME_DECLARE_CLASS(Tile)
};

// A line drawn from a source point to a target point (lightning, beams). Added to the
// world, it grows from its source and reaches its target after its travel time; there it
// holds when told to pause at the target, else it fades for kFadeMs and leaves the world,
// destroyed. A paused line stops where it is; un-pausing it releases a hold at the target.
// The world's walk updates the line effects in the world.
class LineEffect : public Entity {
    GAME_DECLARE_CLASS(LineEffect)

public:
    static constexpr int kDefaultTravelMs = 150;
    static constexpr int kFadeMs = 250;

    void SetLine(const WorldVec3& source, const WorldVec3& target);
    const WorldVec3& GetLineSource() const { return m_source; }
    const WorldVec3& GetLineTarget() const { return m_target; }
    // Milliseconds from the source to the target; a negative time counts as 0.
    void SetTravelTime(int ms) { m_travelMs = ms > 0 ? ms : 0; }
    void DoSetPauseAtTarget() { m_pauseAtTarget = true; }
    // Whether the line is to stop at its target until released (SetPause(false)).
    bool GetPauseAtTarget() const { return m_pauseAtTarget; }
    void SetPause(bool pause);
    bool IsPaused() const { return m_paused; }
    bool HasReachedEnd() const { return m_travelledMs >= m_travelMs; }
    // One frame of the line: travel, then the hold or the fade; at the end of the fade
    // the line leaves the world and is destroyed. A line whose shown share its owner sets
    // (SetTopBottomPercent) neither travels nor fades.
    virtual void UpdateLine(int elapsedMs);
    // The share of the line that shows: from `bottom` to `top`, each a fraction of the way
    // from the source (0) to the target (1), clamped to 0 .. 1 (not a number: 0). From
    // then on the line's owner draws it: it stays as set until the owner changes it.
    void SetTopBottomPercent(float top, float bottom);
    float GetTopPercent() const { return m_top; }
    float GetBottomPercent() const { return m_bottom; }
    bool IsOwnerDrawn() const { return m_ownerDrawn; }

private:
    WorldVec3 m_source;
    WorldVec3 m_target;
    float m_top = 1.0f;
    float m_bottom = 0.0f;
    bool m_ownerDrawn = false;
    int m_travelMs = kDefaultTravelMs;
    int m_travelledMs = 0;
    int m_fadeLeftMs = kFadeMs;
    bool m_pauseAtTarget = false;
    bool m_paused = false;
};

// A beam its owner draws: the owner moves its end points and shows what part of it it
// likes (SetTopBottomPercent) each frame; it neither travels nor fades on its own, and
// stays until the owner lets it go (Liberate): then it leaves the world and is destroyed.
class ChaosBeam : public LineEffect {
    GAME_DECLARE_CLASS(ChaosBeam)

public:
    // The beam runs from the first point to the second.
    void SetEndPoints(const WorldVec3& first, const WorldVec3& second) { SetLine(first, second); }
    void UpdateLine(int) override {}
    // Its owner lets it go: out of the world and destroyed.
    void Liberate();
};

// A set of sounds played as one. There is no audio output: a sound pack counts its
// plays and keeps where it was last played, for tests and the host. A play with `once`
// false loops: the pack is playing until it is stopped or its fade has run out (in real
// time); a play once has no length to play, so it is over at once.
class SoundPak : public Object {
    GAME_DECLARE_CLASS(SoundPak)

public:
    // Plays the pack at a position (the options are the platform's, kept as given).
    virtual void Play(const WorldVec3& where, int options = 0, bool once = true);
    // Plays the pack on an object (it follows the object), kept as the last target.
    virtual void PlayOnTarget(uint32_t targetId, int options = 0, bool once = true);
    uint32_t GetLastTarget() const { return m_lastTarget; }
    // Plays the pack where the listener is (interface sounds).
    virtual void Play(bool once);
    // Asks for the pack's sounds ahead of their first play; counted, as there is nothing
    // to load.
    void PreLoad(bool flag) override;
    unsigned GetPreLoadCount() const { return m_preLoadCount; }

    // Makes the playing sound follow an object (0: stop following).
    void Track(uint32_t objectId) { m_tracked = objectId; }
    uint32_t GetTrackedObject() const { return m_tracked; }
    // Fades the last sound played out over `ms` of real time (0 or less: stops it at
    // once); a fade under way is not shortened. Written to the journal.
    void FadeLastPlayedSound(int ms);
    void Stop();
    // True while a looping play goes on and any fade has not run out.
    bool IsPlaying() const;
    bool IsLooping() const { return m_looping; }

    unsigned GetPlayCount() const { return m_playCount; }
    const WorldVec3& GetLastPlayedPosition() const { return m_lastPlayed; }
    bool GetLastPlayFlag() const { return m_lastOnce; }

    // "falloff" (world units, 10 when absent) and "soundLength" (seconds a single play
    // lasts, 0 when absent: it is over at once).
    void Load(const LoadTable& table) override;
    float GetFalloff() const { return m_falloff; }
    // With the flag set, every play loops until stopped.
    void SetInfiniteLoop(bool loop) { m_infiniteLoop = loop; }
    bool GetInfiniteLoop() const { return m_infiniteLoop; }
    // Whether the platform silences the sound beyond its fall-off; kept as given.
    void DoFalloffCheck(bool check) { m_falloffCheck = check; }
    bool GetFalloffCheck() const { return m_falloffCheck; }
    // Where a sound at `where` is heard from by a listener at `ears`: the sound's own spot.
    WorldVec3 GetPlayLocation(const WorldVec3& ears, const WorldVec3& where) const;

private:
    void Started(int options, bool once);

    unsigned m_playCount = 0;
    unsigned m_preLoadCount = 0;
    WorldVec3 m_lastPlayed;
    int m_lastOptions = 0;
    bool m_lastOnce = false;
    bool m_looping = false;
    bool m_fading = false;
    uint32_t m_fadeStart = 0;
    uint32_t m_fadeMs = 0;
    uint32_t m_lastTarget = 0;
    uint32_t m_tracked = 0;
    float m_falloff = 10.0f;
    uint32_t m_lengthMs = 0;
    uint32_t m_playStart = 0;
    bool m_infiniteLoop = false;
    bool m_falloffCheck = true;
};

// Where the listener's ears are: the sound objects compare their distance to it.
class SoundListener {
public:
    static SoundListener& Get();
    const WorldVec3& GetEarsPosition() const { return m_ears; }
    void SetEarsPosition(const WorldVec3& ears) { m_ears = ears; }

private:
    WorldVec3 m_ears;
};

}  // namespace GAME
