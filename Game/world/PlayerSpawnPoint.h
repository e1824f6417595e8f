// A marker where players appear in a level.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class PlayerSpawnPoint : public Actor {
    GAME_DECLARE_CLASS(PlayerSpawnPoint)
};

}  // namespace GAME
