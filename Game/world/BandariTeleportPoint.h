// A point some monsters teleport between.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class BandariTeleportPoint : public Actor {
    GAME_DECLARE_CLASS(BandariTeleportPoint)
};

}  // namespace GAME
