// A non-player character.
#pragma once

#include "Game/characters/Character.h"

namespace GAME {

class Npc : public Character {
    GAME_DECLARE_CLASS(Npc)
};

}  // namespace GAME
