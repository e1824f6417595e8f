#include "Game/world/PlayerSpawnPoint.h"

#include "Engine/Engine.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(PlayerSpawnPoint, Actor)

void PlayerSpawnPoint::InitialUpdate()
{
    Actor::InitialUpdate();
    SetVisibility(gEngine && gEngine->IsEditorMode());
}

}  // namespace GAME
