// Two monsters that change one thing of their base: a pet summoned for a player, and a
// guard fighting on the players' side.
#pragma once

#include "Game/characters/Monster.h"

namespace GAME {

// Draws its game balance from the pets' attribute pack instead of the monsters'.
class Pet : public Monster {
    GAME_DECLARE_CLASS(Pet)

public:
    const AttributePak* GetBalanceAttributePak() const override;
};

// On the players' team whatever its record says, and never killed.
class Guard : public Monster {
    GAME_DECLARE_CLASS(Guard)

public:
    void Load(const LoadTable& table) override;
};

}  // namespace GAME
