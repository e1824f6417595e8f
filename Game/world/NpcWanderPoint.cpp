#include "Game/world/NpcWanderPoint.h"

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"

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
    m_radius = table.GetFloat("radius", 1.0f);
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

bool NpcWanderPoint::GetIntersection(const WorldRay& ray, int surface, float& distance) const
{
    distance = kPositiveInfinity;
    if (surface == 0 || !gEngine || !gEngine->IsEditorMode())
        return false;
    distance = Sphere{GetCoords().GetPosition().ToWorldSpace(), m_radius}.IntersectRay(ray.origin.ToWorldSpace(),
                                                                                      ray.direction);
    return distance < kPositiveInfinity;
}

}  // namespace GAME
