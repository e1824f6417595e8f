// A non-player character.
#pragma once

#include "Game/characters/Character.h"

namespace GAME {

class Npc : public Character {
    GAME_DECLARE_CLASS(Npc)

public:
    // Rolls what it wears, except on a network client (the server's roll reaches it).
    bool ShouldLoadLoot() const override { return !IsOnNetworkClient(); }

    // A player engaged the character (the two flags come from the engaging action). The
    // plain character has no conversation to start, so it answers nothing.
    virtual void OnPlayerInteract(uint32_t /*playerId*/, bool /*first*/, bool /*second*/) {}
    // A character that chatted with this one stopped; nothing to end for the plain one.
    void OnConversationEnd(uint32_t /*characterId*/) {}
};

}  // namespace GAME
