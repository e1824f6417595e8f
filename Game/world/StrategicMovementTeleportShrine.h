// A shrine that, once discovered, the player can teleport to; using it opens the
// teleport menu.
#pragma once

#include <cstdint>

#include "Engine/EventManager.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

struct MinimapGameNugget;

// The local player used a teleport shrine: the shrine's object id.
struct GameEvent_ActivateTeleportMenu : GameEvent {
    uint32_t objectId = 0;
};

class StrategicMovementTeleportShrine : public StrategicMovementBase {
    GAME_DECLARE_CLASS(StrategicMovementTeleportShrine)

public:
    static constexpr int kMinimapKind = 3;
    static constexpr unsigned kTutorialPage = 9;

    // Its position put on the floor.
    WorldVec3 GetMoveToPoint(uint32_t actorId) const override;
    // The local player (the game engine's player id) opens the teleport menu
    // ("GameEvent_ActivateTeleportMenu"); another player's use does nothing here.
    void RequestToUse(uint32_t actorId) override;
    // One entry of its kind with its name, position and facing.
    void AppendDetailMapData(std::vector<MinimapGameNugget>& out) const override;

protected:
    StrategicMovementBaseState DetermineStateFromPlayer() const override;
    bool InstallOnPlayerProximity(Player& player) override;
};

}  // namespace GAME
