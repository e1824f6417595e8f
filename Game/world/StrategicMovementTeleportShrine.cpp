#include "Game/world/StrategicMovementTeleportShrine.h"

#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(StrategicMovementTeleportShrine, StrategicMovementBase)

WorldVec3 StrategicMovementTeleportShrine::GetMoveToPoint(uint32_t /*actorId*/) const
{
    WorldVec3 point = GetCoords().GetPosition();
    if (!point.PutOnFloor())
        return GetCoords().GetPosition();
    return point;
}

StrategicMovementBaseState StrategicMovementTeleportShrine::DetermineStateFromPlayer() const
{
    const Player* player = FindLocalPlayer();
    if (!player)
        return StrategicMovementBaseState_None;
    return player->IsTeleportUIDKnown(GetUniqueId()) ? StrategicMovementBaseState_Active
                                                     : StrategicMovementBaseState_Dormant;
}

bool StrategicMovementTeleportShrine::InstallOnPlayerProximity(Player& player)
{
    player.AddTeleportUID(GetUniqueId());
    if (gGameEngine)
        gGameEngine->UnlockTutorialPage(kTutorialPage, true);
    return true;
}

void StrategicMovementTeleportShrine::RequestToUse(uint32_t actorId)
{
    // The menu opens on the peer of the player who used the shrine, not for anyone else.
    const Player* player = FindLocalPlayer();
    if (!player || player->GetObjectId() != actorId)
        return;
    GameEvent_ActivateTeleportMenu event;
    event.objectId = GetObjectId();
    EventManager::Get().Send(event, "GameEvent_ActivateTeleportMenu");
}

void StrategicMovementTeleportShrine::AppendDetailMapData(std::vector<MinimapGameNugget>& out) const
{
    AppendDetailMapNugget(kMinimapKind, out);
}

}  // namespace GAME
