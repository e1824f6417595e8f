// Items used up at once: potions and the like. The kinds are told apart by class (the
// play statistics count health and mana potions).
#pragma once

#include "Game/items/Item.h"

namespace GAME {

class Character;

class OneShot : public Item {
    GAME_DECLARE_CLASS(OneShot)

public:
    // Applies the item to the character; the kinds say what it gives.
    virtual void Use(Character& character);
};

class OneShot_PotionHealth : public OneShot {
    GAME_DECLARE_CLASS(OneShot_PotionHealth)
};

class OneShot_PotionMana : public OneShot {
    GAME_DECLARE_CLASS(OneShot_PotionMana)
};

}  // namespace GAME
