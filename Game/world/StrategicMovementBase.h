// A level object the local player discovers by walking near it.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class StrategicMovementBase : public Tile {
    GAME_DECLARE_CLASS(StrategicMovementBase)
};

}  // namespace GAME
