// A creature driven by an AI controller: hostile creatures, bosses and pets.
#pragma once

#include "Game/characters/Character.h"

namespace GAME {

class Monster : public Character {
    GAME_DECLARE_CLASS(Monster)
};

}  // namespace GAME
