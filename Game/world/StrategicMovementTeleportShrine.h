// A shrine that, once discovered, the player can teleport to.
#pragma once

#include "Game/world/StrategicMovementBase.h"

namespace GAME {

class StrategicMovementTeleportShrine : public StrategicMovementBase {
    GAME_DECLARE_CLASS(StrategicMovementTeleportShrine)
};

}  // namespace GAME
