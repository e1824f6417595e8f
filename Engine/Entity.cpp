#include "Engine/Entity.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/GameClock.h"
#include "Engine/Journal.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/UniqueIdMap.h"

namespace GAME {

namespace {
// Entities are tested as spheres of this radius unless told otherwise.
constexpr float kDefaultBoundingRadius = 0.5f;
}

GAME_IMPLEMENT_CLASS(Entity, Object)
GAME_IMPLEMENT_CLASS(Actor, Entity)
GAME_IMPLEMENT_CLASS(Light, Entity)
GAME_IMPLEMENT_CLASS(Tile, Actor)
GAME_IMPLEMENT_CLASS(LineEffect, Entity)
GAME_IMPLEMENT_CLASS(ChaosBeam, LineEffect)
GAME_IMPLEMENT_CLASS(SoundPak, Object)

Entity::Entity()
    : m_regionBoundingBox(Coords(), Vec3{kDefaultBoundingRadius, kDefaultBoundingRadius, kDefaultBoundingRadius}),
      m_boundingRadius(kDefaultBoundingRadius)
{
}

Entity::~Entity()
{
    // A child freed before its parent (the object manager frees by id) leaves no pointer
    // behind in the parent's list.
    if (m_attachParent)
        m_attachParent->Detach(this);
    DetachAll();
    // An entity freed while placed (one never handed to the object manager) must not
    // stay behind in the world's list.
    if (m_inWorld)
        World::Get().RemoveEntity(this);
}

void Entity::SetBoundingRadius(float radius)
{
    m_boundingRadius = radius;
    if (m_inWorld)
        World::Get().UpdateBoundingRadius(this);
    UpdateBoundingBox();
}

void Entity::UpdateBoundingBox()
{
    const float r = m_boundingRadius > 0.0f ? m_boundingRadius : 0.0f;
    m_regionBoundingBox = OBBox(m_coords.GetRegionCoords(), Vec3{r, r, r});
}

OBBox Entity::GetCollisionBox(int) const { return m_regionBoundingBox; }

bool Entity::GetIntersection(const WorldRay&, int, float&, WorldVec3&) const { return false; }

void Entity::CoordsChanged()
{
    UpdateBoundingBox();
    FollowCoords();
}

void Entity::InitialUpdate() {}
void Entity::UpdateSelf(int) {}
void Entity::AnimationCallback(const Name&) {}

UniqueId Entity::EnsureUniqueID()
{
    UniqueIdMap& map = UniqueIdMap::Get();
    UniqueId id;
    if (map.FindUniqueId(GetObjectId(), id))
        return id;
    // Ids of 0 parts are taken as none; a fresh one is never all zero in practice, but the
    // map would refuse it, so draw again.
    do
        id.Generate();
    while (id == UniqueId());
    map.Add(id, GetObjectId());
    Journal::Get().Record("Entity::EnsureUniqueID", GetObjectId(), "%08x%08x%08x%08x", id.GetPart(0), id.GetPart(1),
                          id.GetPart(2), id.GetPart(3));
    return id;
}

void Entity::SetAttachPoint(const Name& name, const Vec3& offset)
{
    for (auto& [pointName, pointOffset] : m_attachPoints) {
        if (pointName == name) {
            pointOffset = offset;
            return;
        }
    }
    m_attachPoints.emplace_back(name, offset);
}

WorldVec3 Entity::GetAttachPointPosition(const Name& name) const
{
    const Coords& frame = m_coords.GetRegionCoords();
    for (const auto& [pointName, offset] : m_attachPoints) {
        if (pointName == name)
            return WorldVec3(m_coords.GetRegion(), frame.TransformPoint(offset));
    }
    return m_coords.GetPosition();
}

Vec3 Entity::GetAttachPointOffset(const Name& name) const
{
    for (const auto& [pointName, offset] : m_attachPoints) {
        if (pointName == name)
            return offset;
    }
    return Vec3{};
}

WorldCoords Entity::GetAttachedCoords() const
{
    if (!m_attachParent)
        return m_coords;
    for (const AttachedEntity& attached : m_attachParent->m_attached) {
        if (attached.entity != this)
            continue;
        const WorldCoords parent = m_attachParent->GetAttachedCoords();
        Coords frame = parent.GetRegionCoords();
        frame.origin = frame.TransformPoint(m_attachParent->GetAttachPointOffset(attached.attachPoint) +
                                            attached.offset.origin);
        return WorldCoords(parent.GetRegion(), frame);
    }
    return m_coords;
}

bool Entity::Attach(Entity* child, const Coords& offset, const Name& attachPoint)
{
    bool refused = !child || child == this;
    for (const Entity* parent = m_attachParent; parent && !refused; parent = parent->m_attachParent)
        refused = parent == child;
    if (refused) {
        gEngine->Log(LOG_WARNING, "Entity %u: cannot attach entity %u (none, itself or a parent)", GetObjectId(),
                     child ? child->GetObjectId() : 0u);
        return false;
    }
    if (child->m_attachParent)
        child->m_attachParent->Detach(child);
    m_attached.push_back({child, offset, attachPoint});
    child->m_attachParent = this;
    Journal::Get().Record("Entity::Attach", GetObjectId(), "entity %u at \"%s\"", child->GetObjectId(),
                          attachPoint.c_str());
    return true;
}

bool Entity::Detach(Entity* child)
{
    for (auto it = m_attached.begin(); it != m_attached.end(); ++it) {
        if (it->entity != child)
            continue;
        m_attached.erase(it);
        child->m_attachParent = nullptr;
        Journal::Get().Record("Entity::Detach", GetObjectId(), "entity %u", child->GetObjectId());
        return true;
    }
    return false;
}

void Entity::DetachAll()
{
    if (m_attachParent)
        m_attachParent->Detach(this);
    while (!m_attached.empty())
        Detach(m_attached.back().entity);
}

bool Entity::GetShaderParam(const Name&, unsigned, unsigned, float&) const { return false; }

bool Entity::GetShaderParamFloat4(const Name&, unsigned, unsigned, float*) const { return false; }

void Entity::OnDestroy()
{
    Object::OnDestroy();
    DetachAll();
    if (m_inWorld)
        World::Get().RemoveEntity(this);
    PhysicsEngine::Get().RemoveEntity(GetObjectId());
}

void Entity::SetPhysicsType(int type)
{
    if (type == m_physicsType)
        return;
    m_physicsType = type;
    m_physicsObject.reset();
    CreatePhysicsObject();
    if (m_physicsObject)
        m_physicsObject->Start();
}

void Entity::SetGravity(bool on) { PhysicsEngine::Get().SetEntityGravity(this, on); }

bool Entity::GetGravity() const
{
    PhysicsEngine::EntityState state;   // the default when nothing was set
    PhysicsEngine::Get().GetEntityState(GetObjectId(), state);
    return state.gravity;
}

void Entity::SetLinearVelocity(const Vec3& velocity) { PhysicsEngine::Get().SetEntityLinearVelocity(this, velocity); }

Vec3 Entity::GetLinearVelocity() const
{
    PhysicsEngine::EntityState state;
    return PhysicsEngine::Get().GetEntityState(GetObjectId(), state) ? state.linearVelocity : Vec3{};
}

void Entity::SetAngularVelocity(const Vec3& velocity)
{
    PhysicsEngine::Get().SetEntityAngularVelocity(this, velocity);
}

Vec3 Entity::GetAngularVelocity() const
{
    PhysicsEngine::EntityState state;
    return PhysicsEngine::Get().GetEntityState(GetObjectId(), state) ? state.angularVelocity : Vec3{};
}

bool Entity::IsSimulationEnabled() const
{
    PhysicsEngine::EntityState state;
    return PhysicsEngine::Get().GetEntityState(GetObjectId(), state) && state.simulationEnabled;
}

void Entity::RemoveFromSimulation() { PhysicsEngine::Get().RemoveFromSimulation(this); }

void Entity::CollisionCallback(const CollisionData& /*collision*/) {}

bool Entity::CanCollide(const Entity* /*other*/) const { return true; }

bool Entity::OccludesPathing() const { return false; }


// ---- Actor ------------------------------------------------------------------------------

Actor::Actor() : m_meshInstance(std::make_unique<GraphicsMeshInstance>())
{
    SetFrameUpdate(true);
}

Actor::~Actor() = default;

GraphicsMeshInstance& Actor::GetMeshInstance()
{
    m_meshInstance->SetOwnerId(GetObjectId());
    return *m_meshInstance;
}

void Actor::SetMesh(const std::string& name)
{
    if (name != m_meshInstance->GetMeshName())
        m_meshInstance->SetMesh(name);
}

void Actor::FollowCoords() { m_meshInstance->SetCoords(GetCoords().GetRegionCoords()); }

void Actor::AddToScene() { m_meshInstance->CountSceneEntry(); }

OBBox Actor::GetCollisionBox(int index) const
{
    const GraphicsMesh* mesh = m_meshInstance->GetMesh();
    if (!mesh)
        return Entity::GetCollisionBox(index);
    const ABBox& box = index >= 0 ? mesh->GetHitBox(static_cast<unsigned>(index)) : mesh->GetObjectSpaceBoundingBox();
    Coords frame = m_meshInstance->GetCoords();
    frame.origin = frame.TransformPoint(box.center);
    return OBBox(frame, box.extents);
}

void Actor::Load(const LoadTable& table)
{
    Entity::Load(table);
    const std::string mesh = table.GetString("mesh", "");
    if (!mesh.empty())
        SetOwnMesh(mesh);
}

void Actor::Enqueue(ActorConfigCommand* command)
{
    QueueCommand(command, kQueuedHere);
}

void Actor::EnqueueReceived(ActorConfigCommand* command, int fromHost)
{
    QueueCommand(command, fromHost < 0 ? kQueuedHere : fromHost);
}

void Actor::QueueCommand(ActorConfigCommand* command, int fromHost)
{
    if (!command)
        return;
    if (!m_commands)
        m_commands = std::make_unique<CommandQueue>();
    m_commands->commands.push_back({std::unique_ptr<ActorConfigCommand>(command), fromHost});
    gEngine->QueueActorCommand(GetObjectId());
}

Actor::QueuedCommand Actor::TakeCommand()
{
    if (!m_commands || m_commands->head == m_commands->commands.size())
        return {nullptr, kQueuedHere};
    CommandQueue& queue = *m_commands;
    QueuedCommand taken = std::move(queue.commands[queue.head++]);
    // Emptied: back to the start. A queue that never empties (each command queuing another)
    // drops what it has taken once that is half of it.
    constexpr size_t kTakenBeforeCompacting = 32;
    if (queue.head == queue.commands.size()) {
        queue.commands.clear();
        queue.head = 0;
    } else if (queue.head >= kTakenBeforeCompacting && queue.head * 2 >= queue.commands.size()) {
        queue.commands.erase(queue.commands.begin(), queue.commands.begin() + static_cast<std::ptrdiff_t>(queue.head));
        queue.head = 0;
    }
    return taken;
}

void Actor::PreAnimationUpdate(int) {}

void Actor::SetScale(float scale)
{
    if (!std::isfinite(scale) || scale <= 0.0f) {
        gEngine->Log(LOG_WARNING, "Actor %u: scale %g ignored", GetObjectId(), static_cast<double>(scale));
        return;
    }
    m_currentScale = scale;
}

void Actor::SetBoundingValue(float value)
{
    if (!std::isfinite(value)) {
        gEngine->Log(LOG_WARNING, "Actor %u: bounding value %g ignored", GetObjectId(), static_cast<double>(value));
        return;
    }
    m_boundingValue = value;
}

void Actor::SetHeightValue(float value)
{
    if (!std::isfinite(value) || value < 0.0f) {
        gEngine->Log(LOG_WARNING, "Actor %u: height value %g ignored", GetObjectId(), static_cast<double>(value));
        return;
    }
    m_heightValue = value;
}

bool Entity::IsChannel(int channel, const char* call) const
{
    if (channel >= 0 && channel < kAnimationChannels)
        return true;
    gEngine->Log(LOG_WARNING, "Actor %u: %s on channel %d ignored", GetObjectId(), call, channel);
    return false;
}

void Entity::PlayAnimation(int channel, const GraphicsAnim* animation, bool loop, float speed, int blendMs)
{
    if (!IsChannel(channel, "PlayAnimation"))
        return;
    if (!animation || !std::isfinite(speed)) {
        gEngine->Log(LOG_WARNING, "Actor %u: PlayAnimation without an animation or with speed %g ignored",
                     GetObjectId(), static_cast<double>(speed));
        return;
    }
    AnimChannel& played = Channels()[channel];
    played.animation = animation->GetName();
    played.loop = loop;
    played.speed = speed;
    played.speedMultiplier = 1.0f;
    played.blendMs = blendMs > 0 ? blendMs : 0;
    played.length = std::max(1, static_cast<int>(animation->GetLength()));
    played.frameRate = animation->GetFrameRate();
    played.animSpeed = animation->GetAnimSpeed();
    played.motionSpeed = animation->GetMotionSpeed();
    played.events = animation->GetEvents();
    played.position = 0.0;
    played.started = false;
    played.finished = false;
    ++played.plays;
    if (played.animation.empty())
        m_runningChannels &= static_cast<uint8_t>(~(1u << channel));
    else
        m_runningChannels |= static_cast<uint8_t>(1u << channel);
    if (channel == 0)
        BodyChannelChanged();
    Journal::Get().Record("Actor::PlayAnimation", GetObjectId(), "channel %d %s%s speed %g blend %d", channel,
                          played.animation.c_str(), loop ? " loop" : "", static_cast<double>(speed), played.blendMs);
}

void Entity::SetAnimationSpeedMultiplier(int channel, float multiplier)
{
    if (!IsChannel(channel, "SetAnimationSpeedMultiplier"))
        return;
    if (!std::isfinite(multiplier)) {
        gEngine->Log(LOG_WARNING, "Actor %u: animation speed multiplier %g ignored", GetObjectId(),
                     static_cast<double>(multiplier));
        return;
    }
    AnimChannel& played = Channels()[channel];
    played.speed = 1.0f;
    played.speedMultiplier = multiplier;
    if (channel == 0)
        BodyChannelChanged();
    Journal::Get().Record("Actor::SetAnimationSpeedMultiplier", GetObjectId(), "channel %d %g", channel,
                          static_cast<double>(multiplier));
}

void Actor::SetPose(const SkeletalPose& pose)
{
    m_pose = pose;
    Journal::Get().Record("Actor::SetPose", GetObjectId(), "%s frame %d", pose.animation.c_str(), pose.frame);
}

void Entity::BodyChannelChanged()
{
    const AnimChannel& body = m_channels[0];
    m_bodyHasMotion = !body.animation.empty();
    m_bodyMotionSpeed = body.motionSpeed * body.speed * body.speedMultiplier;
}

AnimChannel* Entity::Channels()
{
    if (!m_channels)
        m_channels = std::make_unique<AnimChannel[]>(kAnimationChannels);
    return m_channels.get();
}

const AnimChannel* Entity::GetAnimationChannel(int channel) const
{
    static const AnimChannel kIdle;   // a channel that never played
    if (channel < 0 || channel >= kAnimationChannels)
        return nullptr;
    return m_channels ? &m_channels[channel] : &kIdle;
}

bool Entity::RaiseEvents(int channel, double from, double to, bool placed, unsigned plays)
{
    // Events are copied out one at a time: a callback may play the channel again, which
    // replaces the list being read.
    for (size_t i = 0; i < m_channels[channel].events.size(); ++i) {
        const GraphicsAnimEvent& event = m_channels[channel].events[i];
        const double frame = event.frame;
        if (!(frame > from || (from < 0.0 && frame >= 0.0)) || frame > to)
            continue;
        const Name name = event.name;
        AnimationCallback(name);
        if (m_channels[channel].plays != plays || (placed && !IsInWorld()))
            return false;
    }
    return true;
}

const Name& Entity::EndEvent()
{
    static const Name end("End");
    return end;
}

void Actor::AdvanceAnimations(int elapsedMs)
{
    m_meshInstance->AdvanceDissolve(elapsedMs);
    Entity::AdvanceAnimations(elapsedMs);
}

void Entity::AdvanceAnimations(int elapsedMs)
{
    const Name& kEnd = EndEvent();
    if (!m_channels)
        return;
    const bool placed = IsInWorld();
    for (int channel = 0; channel < kAnimationChannels; ++channel) {
        // A channel that has no animation or whose animation finished is left unread.
        if (!(m_runningChannels & (1u << channel)))
            continue;
        AnimChannel& played = m_channels[channel];
        const unsigned plays = played.plays;
        const double rate = static_cast<double>(played.frameRate) * played.animSpeed * played.speed *
                            played.speedMultiplier;
        const double step = elapsedMs > 0 && rate > 0.0 ? elapsedMs * 0.001 * rate : 0.0;
        const double length = played.length;
        double from = played.started ? played.position : -1.0;
        double to = played.position + step;
        played.started = true;
        for (int wraps = 0;; ++wraps) {
            const double reached = std::min(to, length);
            played.position = reached;
            if (!RaiseEvents(channel, from, reached, placed, plays))
                break;
            if (to < length)
                break;
            // The end: "End", then wrap or hold.
            if (!played.loop) {
                played.finished = true;
                m_runningChannels &= static_cast<uint8_t>(~(1u << channel));
            }
            AnimationCallback(kEnd);
            if (m_channels[channel].plays != plays || (placed && !IsInWorld()) || !played.loop)
                break;
            to -= length;
            if (wraps + 1 >= kMaxWrapsPerStep)
                to = std::fmod(to, length);
            played.position = to;
            from = -1.0;   // the events at frame 0 come again
        }
        if (placed && !IsInWorld())
            return;
    }
}

Vec3 Entity::GetMotion() const
{
    if (!m_bodyHasMotion)
        return {};
    return GetCoords().GetRegionCoords().zAxis * m_bodyMotionSpeed;
}

// ---- SoundPak ---------------------------------------------------------------------------

void SoundPak::Started(int options, bool once)
{
    ++m_playCount;
    m_lastOptions = options;
    m_lastOnce = once;
    m_looping = !once || m_infiniteLoop;
    m_fading = false;
    m_playStart = GameClock::Get().GetRealTime();
}

void SoundPak::Load(const LoadTable& table)
{
    Object::Load(table);
    const float falloff = table.GetFloat("falloff", 10.0f);
    m_falloff = falloff >= 0.0f && falloff < 1.0e6f ? falloff : 0.0f;
    const float length = table.GetFloat("soundLength", 0.0f);
    m_lengthMs = length > 0.0f ? static_cast<uint32_t>(std::fmin(length, 1.0e6f) * 1000.0f) : 0;
}

WorldVec3 SoundPak::GetPlayLocation(const WorldVec3&, const WorldVec3& where) const { return where; }

SoundListener& SoundListener::Get()
{
    static SoundListener listener;
    return listener;
}

void SoundPak::Play(const WorldVec3& where, int options, bool once)
{
    Started(options, once);
    m_lastPlayed = where;
}

void SoundPak::Play(bool once) { Started(m_lastOptions, once); }

void SoundPak::PlayOnTarget(uint32_t targetId, int options, bool once)
{
    Started(options, once);
    m_lastTarget = targetId;
    Journal::Get().Record("SoundPak::PlayOnTarget", GetObjectId(), "target %u", targetId);
}

void SoundPak::FadeLastPlayedSound(int ms)
{
    Journal::Get().Record("SoundPak::FadeLastPlayedSound", GetObjectId(), "%d ms", ms);
    if (!IsPlaying() || m_fading)
        return;
    if (ms <= 0) {
        Stop();
        return;
    }
    m_fading = true;
    m_fadeStart = GameClock::Get().GetRealTime();
    m_fadeMs = static_cast<uint32_t>(ms);
}

void SoundPak::Stop()
{
    m_looping = false;
    m_fading = false;
    m_playStart = GameClock::Get().GetRealTime() - m_lengthMs;   // a single play is over too
}

bool SoundPak::IsPlaying() const
{
    const uint32_t now = GameClock::Get().GetRealTime();
    if (m_fading)
        return now - m_fadeStart < m_fadeMs;
    if (m_looping)
        return true;
    return m_playCount != 0 && now - m_playStart < m_lengthMs;
}

void SoundPak::PreLoad(bool) { ++m_preLoadCount; }

// ---- line effects ----
void LineEffect::SetLine(const WorldVec3& source, const WorldVec3& target)
{
    m_source = source;
    m_target = target;
    m_travelledMs = 0;
}

void LineEffect::SetPause(bool pause)
{
    m_paused = pause;
    if (!pause)
        m_pauseAtTarget = false;   // released: a hold at the target is over
}

void LineEffect::SetTopBottomPercent(float top, float bottom)
{
    const auto share = [](float value) { return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f; };
    m_top = share(top);
    m_bottom = share(bottom);
    m_ownerDrawn = true;
}

void LineEffect::UpdateLine(int elapsedMs)
{
    if (m_paused || m_ownerDrawn || elapsedMs < 0)
        return;
    if (!HasReachedEnd()) {
        m_travelledMs = elapsedMs > m_travelMs - m_travelledMs ? m_travelMs : m_travelledMs + elapsedMs;
        if (HasReachedEnd() && m_pauseAtTarget)
            m_paused = true;
        return;   // the fade starts on the frame after the arrival
    }
    if (m_pauseAtTarget) {
        m_paused = true;
        return;
    }
    m_fadeLeftMs -= elapsedMs;
    if (m_fadeLeftMs > 0)
        return;
    World::Get().RemoveEntity(this);
    ObjectManager::Get().DestroyObjectEx(this, "LineEffect", __LINE__);
}
void ChaosBeam::Liberate()
{
    World::Get().RemoveEntity(this);
    ObjectManager::Get().DestroyObjectEx(this, "ChaosBeam", __LINE__);
}
// ---- end line effects ----

}  // namespace GAME
