// One node of the network of points along which non-player characters travel.
#pragma once

#include "Game/world/BoundingVolume.h"

namespace GAME {

class NpcTrafficNode : public BoundingVolume {
    GAME_DECLARE_CLASS(NpcTrafficNode)
};

}  // namespace GAME
