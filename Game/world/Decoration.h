// Placed scenery that plays its animations and sounds.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class Decoration : public Actor {
    GAME_DECLARE_CLASS(Decoration)
};

}  // namespace GAME
