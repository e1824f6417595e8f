#include "Game/world/BandariTeleportPoint.h"

#include "Engine/Engine.h"
#include "Engine/GameServices.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(BandariTeleportPoint, Actor)

BandariTeleportPoint::BandariTeleportPoint() { SetVisibility(gEngine && gEngine->IsEditorMode()); }

BandariTeleportPoint::~BandariTeleportPoint()
{
    if (gEngine && gEngine->IsEditorMode())
        EditorFilter::Get().Remove(GetObjectId());
}

void BandariTeleportPoint::InitialUpdate()
{
    Actor::InitialUpdate();
    if (gEngine && gEngine->IsEditorMode())
        EditorFilter::Get().Add(GetObjectId(), kEditorFilterType);
}

}  // namespace GAME
