#include "Game/world/NpcWanderPoint.h"

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Game/world/BoundingVolume.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(NpcWanderPoint, Actor)

NpcWanderPoint::NpcWanderPoint() { SetVisibility(gEngine && gEngine->IsEditorMode()); }

NpcWanderPoint::~NpcWanderPoint()
{
    if (gEngine && gEngine->IsEditorMode())
        EditorFilter::Get().Remove(GetObjectId());
}

void NpcWanderPoint::Load(const LoadTable& table)
{
    Actor::Load(table);
    const float radius = table.GetFloat("radius", 1.0f);
    // The radius spreads wander goals around the marker: a broken value would send the
    // characters nowhere (not a number) or far out of the level.
    if (!(radius >= 0.0f)) {
        gEngine->Log(LOG_WARNING, "NpcWanderPoint %s: radius %g is no size; using 1", table.GetName().c_str(),
                     static_cast<double>(radius));
        m_radius = 1.0f;
    } else if (radius > kMaxRadius) {
        gEngine->Log(LOG_WARNING, "NpcWanderPoint %s: radius %g is out of range; using %g", table.GetName().c_str(),
                     static_cast<double>(radius), static_cast<double>(kMaxRadius));
        m_radius = kMaxRadius;
    } else {
        m_radius = radius;
    }
}

void NpcWanderPoint::InitialUpdate()
{
    Actor::InitialUpdate();
    if (gEngine && gEngine->IsEditorMode()) {
        if (m_radius > 0.0f)
            SetScale(m_radius);
        EditorFilter::Get().Add(GetObjectId(), kEditorFilterType);
    }
}

bool NpcWanderPoint::GetIntersection(const WorldRay& ray, int surface, float& distance, WorldVec3& point) const
{
    return BoundingVolume::PickSphere(ray, surface, GetCoords().GetPosition(), m_radius, distance, point);
}

}  // namespace GAME
