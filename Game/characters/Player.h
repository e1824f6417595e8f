// The character a person plays.
#pragma once

#include "Game/characters/Character.h"

namespace GAME {

class Player : public Character {
    GAME_DECLARE_CLASS(Player)
};

}  // namespace GAME
