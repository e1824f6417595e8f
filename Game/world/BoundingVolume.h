// An invisible sphere placed in a level that notices the entities inside it.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class BoundingVolume : public Actor {
    GAME_DECLARE_CLASS(BoundingVolume)
};

}  // namespace GAME
