#include "Game/world/StrategicMovementMarker.h"

#include "Engine/Engine.h"
#include "Game/characters/Player.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(StrategicMovementMarker, StrategicMovementBase)

void StrategicMovementMarker::InitialUpdate()
{
    // A marker placed in the editor gets its identity there, so the player's list can
    // keep it.
    if (gEngine && gEngine->IsEditorMode())
        EnsureUniqueId();
    StrategicMovementBase::InitialUpdate();
}

StrategicMovementBaseState StrategicMovementMarker::DetermineStateFromPlayer() const
{
    const Player* player = FindLocalPlayer();
    if (!player)
        return StrategicMovementBaseState_None;
    return player->IsMarkerUIDKnown(GetUniqueId()) ? StrategicMovementBaseState_Active
                                                   : StrategicMovementBaseState_Dormant;
}

bool StrategicMovementMarker::InstallOnPlayerProximity(Player& player)
{
    player.AddMarkerUID(GetUniqueId());
    return true;
}

}  // namespace GAME
