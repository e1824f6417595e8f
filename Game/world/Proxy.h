// An invisible placeholder in a level that spawns monsters from its pools.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class Proxy : public Actor {
    GAME_DECLARE_CLASS(Proxy)
};

}  // namespace GAME
