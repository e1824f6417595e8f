// A shrine where the player comes back to life after dying.
#pragma once

#include "Game/world/StrategicMovementBase.h"

namespace GAME {

class StrategicMovementRespawnShrine : public StrategicMovementBase {
    GAME_DECLARE_CLASS(StrategicMovementRespawnShrine)
};

}  // namespace GAME
