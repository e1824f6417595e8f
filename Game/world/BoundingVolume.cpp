#include "Game/world/BoundingVolume.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/Journal.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(BoundingVolume, Actor)
GAME_IMPLEMENT_CLASS(BoundingVolumeLerpDaylight, BoundingVolume)
GAME_IMPLEMENT_CLASS(BoundingVolumeChangePlaylist, BoundingVolume)
GAME_IMPLEMENT_CLASS(BoundingVolumeSoundFxOneShot, BoundingVolume)
GAME_IMPLEMENT_CLASS(BoundingVolumeWind, BoundingVolume)

namespace {

// The main player, when there is one and it is the entity of that id.
bool IsMainPlayer(uint32_t entityId)
{
    return entityId != 0 && gGameEngine && gGameEngine->GetPlayerId() == entityId;
}

}  // namespace

// ---- BoundingVolume ---------------------------------------------------------------------

BoundingVolume::BoundingVolume() { SetPhysicsType(0); }

BoundingVolume::~BoundingVolume()
{
    if (gEngine && gEngine->IsEditorMode())
        EditorFilter::Get().Remove(GetObjectId());
    SendGenericEvent<GameEvent_GenericEntityDestroy>("GameEvent_GenericEntityDestroy");
}

void BoundingVolume::Load(const LoadTable& table)
{
    SetOwnMesh(kSphereMesh);
    Actor::Load(table);
    SetOwnMesh(kSphereMesh);
    m_radius = table.GetFloat("radius", 0.0f);
    UpdateBoundingBox();
    SendGenericEvent<GameEvent_GenericEntitySpawn>("GameEvent_GenericEntitySpawn");
}

bool BoundingVolume::IsInWorld() const
{
    const Entity* parent = GetAttachParent();
    return parent ? parent->IsInWorld() : Actor::IsInWorld();
}

void BoundingVolume::InitialUpdate()
{
    Actor::InitialUpdate();
    const bool editor = gEngine && gEngine->IsEditorMode();
    SetVisibility(editor);
    if (editor)
        EditorFilter::Get().Add(GetObjectId(), kEditorFilterType);
    CollectEntitiesInVolume(m_entitiesInVolume);
    SendGenericEvent<GameEvent_GenericEntityInitialUpdate>("GameEvent_GenericEntityInitialUpdate");
}

// The entities inside now and those inside at the last update are both sorted by id and
// merged with a cursor in each: an id only in the new list entered, one only in the old
// list left. The stored list changes only after the merge, from the two queues, so an
// entity that left and came back between two updates raises nothing.
void BoundingVolume::UpdateSelf(int elapsedMs)
{
    FollowParent();
    if (m_radius > 0.0f && std::isfinite(m_radius))
        SetScale(m_radius);
    Actor::UpdateSelf(elapsedMs);

    CollectEntitiesInVolume(m_found);
    std::sort(m_entitiesInVolume.begin(), m_entitiesInVolume.end());
    // Neither list changes during the merge: the reactions only queue.
    const std::vector<uint32_t>& found = m_found;
    const std::vector<uint32_t>& stored = m_entitiesInVolume;
    size_t n = 0, s = 0;
    while (n < found.size() && s < stored.size()) {
        if (found[n] < stored[s])
            OnEnter(found[n++]);
        else if (stored[s] < found[n])
            OnExit(stored[s++]);
        else
            ++n, ++s;
    }
    for (; n < found.size(); ++n)
        OnEnter(found[n]);
    for (; s < stored.size(); ++s)
        OnExit(stored[s]);
    AddQueuedEntities();
    EraseQueuedEntities();

    if (gEngine && gEngine->IsCharacterDataLogEnabled())
        DebugRender();
}

void BoundingVolume::OnEnter(uint32_t entityId)
{
    m_queuedEnterEntities.push_back(entityId);
    OnEnterAction(entityId);
}

void BoundingVolume::OnExit(uint32_t entityId)
{
    m_queuedExitEntities.push_back(entityId);
    OnExitAction(entityId);
}

void BoundingVolume::OnEnterAction(uint32_t entityId)
{
    GameEvent_EnterBoundingVolume event;
    event.volumeId = GetObjectId();
    event.entityId = entityId;
    EventManager::Get().Send(event, "GameEvent_EnterBoundingVolume");
}

void BoundingVolume::OnExitAction(uint32_t entityId)
{
    GameEvent_ExitBoundingVolume event;
    event.volumeId = GetObjectId();
    event.entityId = entityId;
    EventManager::Get().Send(event, "GameEvent_ExitBoundingVolume");
}

void BoundingVolume::AddQueuedEntities()
{
    m_entitiesInVolume.insert(m_entitiesInVolume.end(), m_queuedEnterEntities.begin(), m_queuedEnterEntities.end());
    m_queuedEnterEntities.clear();
}

void BoundingVolume::EraseQueuedEntities()
{
    for (uint32_t id : m_queuedExitEntities) {
        auto found = std::find(m_entitiesInVolume.begin(), m_entitiesInVolume.end(), id);
        if (found != m_entitiesInVolume.end())
            m_entitiesInVolume.erase(found);
    }
    m_queuedExitEntities.clear();
}

WorldVec3 BoundingVolume::GetCentre() const
{
    return GetAttachParent() ? GetAttachedCoords().GetPosition() : GetCoords().GetPosition();
}

void BoundingVolume::FollowParent()
{
    if (GetAttachParent() && Actor::IsInWorld())
        World::Get().SetCoords(this, GetAttachedCoords());
}

void BoundingVolume::CollectEntitiesInVolume(std::vector<uint32_t>& out) const
{
    out.clear();
    const WorldVec3 centre = GetCentre();
    if (!centre.IsValid())
        return;
    // Reused by every volume of the frame: the world is walked on one thread.
    static thread_local std::vector<Entity*> entities;
    entities.clear();
    World::Get().GetEntitiesInSphere(entities, centre.GetRegion(), Sphere{centre.GetRegionPosition(), m_radius},
                                     EntityList_All);
    for (const Entity* entity : entities)
        if (entity != this)
            out.push_back(entity->GetObjectId());
    std::sort(out.begin(), out.end());
}

template <class Event>
void BoundingVolume::SendGenericEvent(const char* eventName) const
{
    Event event;
    event.objectName = GetObjectName();
    event.objectId = GetObjectId();
    EventManager::Get().Send(event, eventName);
}

bool BoundingVolume::IsPointInsideVolume(const WorldVec3& point) const
{
    const Vec3 between = point.ToWorldSpace() - GetCentre().ToWorldSpace();
    return between.LengthSquared() < m_radius * m_radius;
}

ABBox BoundingVolume::GetObjectSpaceBoundingBox() const { return ABBox{Vec3(), Vec3(m_radius, m_radius, m_radius)}; }

ABBox BoundingVolume::GetRegionBox() const
{
    return ABBox{GetCentre().GetRegionPosition(), Vec3(m_radius, m_radius, m_radius)};
}

void BoundingVolume::UpdateBoundingBox() { SetRegionBoundingBox(OBBox(GetRegionBox())); }

bool BoundingVolume::GetIntersection(const WorldRay& ray, int surface, float& distance, WorldVec3& point) const
{
    return PickSphere(ray, surface, GetCentre(), m_radius, distance, point);
}

bool BoundingVolume::PickSphere(const WorldRay& ray, int surface, const WorldVec3& centre, float radius,
                                float& distance, WorldVec3& point)
{
    distance = kPositiveInfinity;
    if (surface == 0 || !gEngine || !gEngine->IsEditorMode() || !centre.IsValid())
        return false;
    const Sphere sphere{centre.ToWorldSpace(), radius};
    distance = sphere.IntersectRay(ray.origin.ToWorldSpace(), ray.direction);
    if (!(distance < kPositiveInfinity))
        return false;
    point = ray.origin;
    point.Translate(ray.direction * distance);
    return true;
}

WorldVec3 BoundingVolume::GetRandomPointInsideVolume() const
{
    WorldVec3 point = GetCentre();
    point.Translate(Vec3(RandFloat(-1.0f, 1.0f), RandFloat(-1.0f, 1.0f), RandFloat(-1.0f, 1.0f)) * m_radius);
    return point;
}

WorldVec3 BoundingVolume::GetRandomTerrainPointInsideVolume() const
{
    WorldVec3 point = GetCentre();
    point.TranslateToFloor(Vec3(RandFloat(-1.0f, 1.0f), RandFloat(-1.0f, 1.0f), RandFloat(-1.0f, 1.0f)) * m_radius);
    return point;
}

// ---- BoundingVolumeLerpDaylight -----------------------------------------------------------

void BoundingVolumeLerpDaylight::Load(const LoadTable& table)
{
    BoundingVolume::Load(table);
    m_startHour = table.GetFloat("startHour", 0.0f);
    m_endHour = table.GetFloat("endHour", 0.0f);
    m_radiusToEndHour = table.GetFloat("radiusToEndHour", 0.0f);
}

void BoundingVolumeLerpDaylight::OnEnterAction(uint32_t entityId)
{
    BoundingVolume::OnEnterAction(entityId);
    ActivateIfPlayer(entityId);
}

void BoundingVolumeLerpDaylight::OnExitAction(uint32_t entityId)
{
    BoundingVolume::OnExitAction(entityId);
    ActivateIfPlayer(entityId);
}

void BoundingVolumeLerpDaylight::ActivateIfPlayer(uint32_t entityId)
{
    if (m_isActive)
        return;
    const Player* player = ObjectManager::Get().GetObject<Player>(entityId);
    if (player && player->IsControllingCharacter())
        Activate();
}

void BoundingVolumeLerpDaylight::Activate()
{
    m_isActive = true;
    DayNightManager& dayNight = DayNightManager::Get();
    m_savedDayNightEnabled = dayNight.IsEnabled();
    dayNight.Enable(false);
    gEngine->RegisterForcedUpdate(GetObjectId());
}

void BoundingVolumeLerpDaylight::Deactivate()
{
    gEngine->UnregisterForcedUpdate(GetObjectId());
    DayNightManager::Get().Enable(m_savedDayNightEnabled);
    m_isActive = false;
}

// The hour follows the greatest distance the main player reached, so it moves one way
// only during an activation. With no lerp distance at all the volume is at its end hour
// as soon as the player is anywhere but the very centre.
void BoundingVolumeLerpDaylight::UpdateSelf(int elapsedMs)
{
    BoundingVolume::UpdateSelf(elapsedMs);
    if (!m_isActive)
        return;
    if (const Player* player = gGameEngine ? gGameEngine->GetMainPlayer() : nullptr) {
        const float distance = (player->GetCoords().GetPosition() - GetCentre()).Length();
        m_maxPlayerDistance = std::max(m_maxPlayerDistance, distance);
    }
    if (m_maxPlayerDistance <= m_radiusToEndHour) {
        const float fraction = m_radiusToEndHour > 0.0f ? m_maxPlayerDistance / m_radiusToEndHour : 1.0f;
        DayNightManager::Get().SetStartTime(m_startHour + (m_endHour - m_startHour) * fraction);
    } else {
        Deactivate();
    }
}

void BoundingVolumeLerpDaylight::ForcedUpdate(int elapsedMs) { UpdateSelf(elapsedMs); }

// ---- BoundingVolumeChangePlaylist ---------------------------------------------------------

void BoundingVolumeChangePlaylist::Load(const LoadTable& table)
{
    BoundingVolume::Load(table);
    m_ambientPlaylist = table.GetString("ambientPlaylist", "");
    m_musicPlaylist = table.GetString("musicPlaylist", "");
}

void BoundingVolumeChangePlaylist::OnEnterAction(uint32_t entityId)
{
    BoundingVolume::OnEnterAction(entityId);
    if (!IsMainPlayer(entityId))
        return;
    if (!m_ambientPlaylist.empty())
        Jukebox::Get().LoadAmbientPlaylist(m_ambientPlaylist, false);
    if (!m_musicPlaylist.empty())
        Jukebox::Get().LoadMusicPlaylist(m_musicPlaylist);
}

// ---- BoundingVolumeSoundFxOneShot ---------------------------------------------------------

void BoundingVolumeSoundFxOneShot::Load(const LoadTable& table)
{
    BoundingVolume::Load(table);
    m_soundPak = table.GetString("soundPak", "");
}

void BoundingVolumeSoundFxOneShot::OnEnterAction(uint32_t entityId)
{
    BoundingVolume::OnEnterAction(entityId);
    if (m_spent || m_soundPak.empty() || !IsMainPlayer(entityId))
        return;
    ObjectManager& objects = ObjectManager::Get();
    Object* made = objects.CreateObjectFromFile(m_soundPak);
    auto* sound = DynamicCast<SoundPak>(made);
    if (!sound) {
        if (made)
            objects.DestroyObjectEx(made, __FILE__, __LINE__);
        return;
    }
    sound->Play(GetCentre(), 0, true);
    Journal::Get().Record("BoundingVolumeSoundFxOneShot::Play", GetObjectId(), "%s", m_soundPak.c_str());
    objects.DestroyObjectEx(sound, __FILE__, __LINE__);
    m_spent = true;
    World::Get().RemoveEntity(this);
    objects.DestroyObjectEx(this, __FILE__, __LINE__);
}

// ---- BoundingVolumeWind -------------------------------------------------------------------

BoundingVolumeWind::~BoundingVolumeWind() { World::Get().RemoveGrassWind(GetObjectId()); }

void BoundingVolumeWind::SetWindOn(bool on)
{
    m_on = on;
    if (!on)
        World::Get().RemoveGrassWind(GetObjectId());
}

void BoundingVolumeWind::UpdateSelf(int elapsedMs)
{
    BoundingVolume::UpdateSelf(elapsedMs);
    m_lastPosition = GetCentre();
    if (m_on && m_lastPosition.IsValid())
        World::Get().CreateGrassWind(GetObjectId(), std::hypot(m_direction.x, m_direction.y), GetRadius(),
                                     m_lastPosition.GetRegionPosition(), m_direction, m_lastPosition.GetRegion());
}

}  // namespace GAME
