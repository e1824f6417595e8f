#include "Game/world/PatrolPoint.h"

#include "Engine/Engine.h"
#include "Engine/GameServices.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(PatrolPoint, Actor)

PatrolPoint::PatrolPoint() { SetVisibility(gEngine && gEngine->IsEditorMode()); }

PatrolPoint::~PatrolPoint()
{
    if (gEngine && gEngine->IsEditorMode())
        EditorFilter::Get().Remove(GetObjectId());
}

void PatrolPoint::InitialUpdate()
{
    Actor::InitialUpdate();
    if (gEngine && gEngine->IsEditorMode())
        EditorFilter::Get().Add(GetObjectId(), kEditorFilterType);
}

}  // namespace GAME
