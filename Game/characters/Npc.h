// A non-player character.
#pragma once

#include "Game/characters/Character.h"

namespace GAME {

class Npc : public Character {
    GAME_DECLARE_CLASS(Npc)

public:
    // Rolls what it wears, except on a network client (the server's roll reaches it).
    bool ShouldLoadLoot() const override { return !IsOnNetworkClient(); }
};

}  // namespace GAME
