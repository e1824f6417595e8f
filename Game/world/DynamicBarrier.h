// A character that blocks the way. The AI recognises it by its class when it looks for a
// barrier between a character and its enemy; hitting it never makes anyone angry, and
// the game's radius search never counts it as a friend.
#pragma once

#include "Game/characters/AmbientCharacter.h"

namespace GAME {

class DynamicBarrier : public AmbientCharacter {
    GAME_DECLARE_CLASS(DynamicBarrier)

public:
    DynamicBarrier() = default;
    ~DynamicBarrier() override;

    bool CausesAnger() const override { return false; }
};

}  // namespace GAME
