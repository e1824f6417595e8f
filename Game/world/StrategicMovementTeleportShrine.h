// A shrine that, once discovered, the player can teleport to; using it opens the
// teleport menu.
#pragma once

#include <cstdint>

#include "Engine/EventManager.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

class MinimapSink;

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
    // The local player opens the teleport menu ("GameEvent_ActivateTeleportMenu").
    void RequestToUse(uint32_t actorId) override;
    void AppendDetailMapData(MinimapSink& sink) const;

protected:
    StrategicMovementBaseState DetermineStateFromPlayer() const override;
    bool InstallOnPlayerProximity(Player& player) override;
};

}  // namespace GAME
