#include "Game/world/BoundingVolumeMultiple.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/world/BoundingVolume.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(BoundingVolumeMultiple, Entity)
GAME_IMPLEMENT_CLASS(BoundingVolumeMusicEvent, BoundingVolumeMultiple)

BoundingVolumeMultiple::BoundingVolumeMultiple()
    : m_enterHandler("GameEvent_EnterBoundingVolume", &BoundingVolumeMultiple::OnEnterEvent, this),
      m_exitHandler("GameEvent_ExitBoundingVolume", &BoundingVolumeMultiple::OnExitEvent, this)
{
    SetFrameUpdate(true);
}

// Spheres still attached belong to their parent now; the others go with the set.
BoundingVolumeMultiple::~BoundingVolumeMultiple()
{
    if (gEngine && gEngine->IsEditorMode())
        EditorFilter::Get().Remove(GetObjectId());
    ObjectManager& objects = ObjectManager::Get();
    for (const Volume& volume : m_volumes)
        if (!volume.attached)
            if (BoundingVolume* sphere = objects.GetObject<BoundingVolume>(volume.volumeId))
                objects.DestroyObjectEx(sphere, __FILE__, __LINE__);
}

// Radii 1, 3 and 4 make a sphere unless they are (nearly) 0, so a negative one counts;
// radius 2 makes one only when it is positive.
void BoundingVolumeMultiple::Load(const LoadTable& table)
{
    Object::Load(table);
    static constexpr const char* kKeys[kMaxVolumes] = {"boundingVolumeRadius1", "boundingVolumeRadius2",
                                                       "boundingVolumeRadius3", "boundingVolumeRadius4"};
    for (int i = 0; i < kMaxVolumes; ++i) {
        const float radius = table.GetFloat(kKeys[i], 0.0f);
        const bool add = i == 1 ? radius >= kMinRadius : !(radius > -kMinRadius && radius < kMinRadius);
        if (add)
            AddVolume(radius);
    }
}

void BoundingVolumeMultiple::AddVolume(float radius)
{
    auto* sphere = DynamicCast<BoundingVolume>(ObjectManager::Get().CreateObject("BoundingVolume"));
    if (!sphere)
        return;
    sphere->Load(LoadTable());
    sphere->SetRadius(radius);
    m_volumes.push_back({sphere->GetObjectId(), radius, false});
    UpdateBoundingBox();
}

void BoundingVolumeMultiple::AttachVolumes(Entity* parent)
{
    if (!parent)
        return;
    std::stable_sort(m_volumes.begin(), m_volumes.end(),
                     [](const Volume& a, const Volume& b) { return a.radius < b.radius; });
    for (Volume& volume : m_volumes) {
        BoundingVolume* sphere = ObjectManager::Get().GetObject<BoundingVolume>(volume.volumeId);
        if (!sphere || !parent->Attach(sphere, Coords(), Name()))
            continue;
        volume.attached = true;
        // The world walks what stands in it: the sphere follows its parent from there.
        if (parent->IsInWorld())
            World::Get().AddEntity(sphere, sphere->GetAttachedCoords());
    }
    UpdateBoundingBox();
}

void BoundingVolumeMultiple::InitialUpdate()
{
    Entity::InitialUpdate();
    if (gEngine && gEngine->IsEditorMode())
        EditorFilter::Get().Add(GetObjectId(), BoundingVolume::kEditorFilterType);
}

float BoundingVolumeMultiple::GetOuterReach() const
{
    return m_volumes.empty() ? 1.0f : m_volumes.back().radius + 1.0f;
}

ABBox BoundingVolumeMultiple::GetRegionBox() const
{
    const Coords& frame = GetCoords().GetRegionCoords();
    const float reach = GetOuterReach();
    auto spread = [&frame](float Vec3::*axis) {
        return (std::fabs(frame.xAxis.*axis) + std::fabs(frame.yAxis.*axis) + std::fabs(frame.zAxis.*axis));
    };
    return ABBox{frame.origin, Vec3(spread(&Vec3::x) * reach, spread(&Vec3::y) * reach, spread(&Vec3::z) * reach)};
}

void BoundingVolumeMultiple::UpdateBoundingBox() { SetRegionBoundingBox(OBBox(GetRegionBox())); }

OBBox BoundingVolumeMultiple::GetCollisionBox(int /*index*/) const
{
    const float outer = m_volumes.empty() ? 0.0f : m_volumes.back().radius;
    return OBBox(GetCoords().GetRegionCoords(), GetRegionBoundingBox().extents * outer);
}

bool BoundingVolumeMultiple::GetIntersection(const WorldRay& ray, int surface, float& distance,
                                             WorldVec3& point) const
{
    return BoundingVolume::PickSphere(ray, surface, GetCoords().GetPosition(), GetOuterReach(), distance, point);
}

int BoundingVolumeMultiple::FindVolume(uint32_t volumeId) const
{
    for (size_t i = 0; i < m_volumes.size(); ++i)
        if (m_volumes[i].volumeId == volumeId)
            return static_cast<int>(i);
    return -1;
}

void BoundingVolumeMultiple::OnEnterEvent(const GameEvent_EnterBoundingVolume& event)
{
    if (const int index = FindPlayerVolume(event.volumeId, event.entityId); index >= 0)
        OnEnterVolume(index);
}

void BoundingVolumeMultiple::OnExitEvent(const GameEvent_ExitBoundingVolume& event)
{
    if (const int index = FindPlayerVolume(event.volumeId, event.entityId); index >= 0)
        OnExitVolume(index);
}

int BoundingVolumeMultiple::FindPlayerVolume(uint32_t volumeId, uint32_t entityId) const
{
    if (m_isDone || !ObjectManager::Get().GetObject<Player>(entityId))
        return -1;
    return FindVolume(volumeId);
}

// ---- BoundingVolumeMusicEvent -------------------------------------------------------------

void BoundingVolumeMusicEvent::Load(const LoadTable& table)
{
    BoundingVolumeMultiple::Load(table);
    m_eventMusicFile = table.GetString("eventMusicFile", "");
}

void BoundingVolumeMusicEvent::UpdateSelf(int elapsedMs)
{
    if (m_attachPending) {
        AttachVolumes(this);
        m_attachPending = false;
    }
    BoundingVolumeMultiple::UpdateSelf(elapsedMs);
}

void BoundingVolumeMusicEvent::OnEnterVolume(int index)
{
    if (index == 0) {
        Jukebox::Get().PlayEventMusic(m_eventMusicFile, false);
        m_isDone = true;
    } else if (index == 1) {
        Jukebox::Get().FadeOutMusic(kFadeOutMs);
    }
}

void BoundingVolumeMusicEvent::OnExitVolume(int index)
{
    if (index == 1)
        Jukebox::Get().FadeInMusic();
}

}  // namespace GAME
