// The base of everything a character can pick up, carry, equip or use.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class Item : public Actor {
    GAME_DECLARE_CLASS(Item)

public:
    bool ShouldServerSpawn() const override { return true; }
};

}  // namespace GAME
