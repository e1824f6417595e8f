// A point non-player characters wander between; invisible outside the editor.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class NpcWanderPoint : public Actor {
    GAME_DECLARE_CLASS(NpcWanderPoint)
};

}  // namespace GAME
