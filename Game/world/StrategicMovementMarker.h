// A map marker: lights up once the local player has walked near it, and stays lit.
#pragma once

#include "Game/world/StrategicMovementBase.h"

namespace GAME {

class StrategicMovementMarker : public StrategicMovementBase {
    GAME_DECLARE_CLASS(StrategicMovementMarker)

public:
    // Markers are not part of the map data: they never go unqualified.
    StrategicMovementMarker() { SetCheckMapData(false); }

    void InitialUpdate() override;
    bool IsOfInterest() const override { return false; }
    void OnAddToLevel() override { CreatePathObstacle(); }
    void OnMoveInLevel() override { CreatePathObstacle(); }

protected:
    StrategicMovementBaseState DetermineStateFromPlayer() const override;
    bool InstallOnPlayerProximity(Player& player) override;
};

}  // namespace GAME
