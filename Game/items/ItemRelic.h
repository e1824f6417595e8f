// A relic: applied to an item, it gives the item its bonus and spends a level of itself.
#pragma once

#include "Game/items/Item.h"

namespace GAME {

class Entity;

class ItemRelic : public Item {
    GAME_DECLARE_CLASS(ItemRelic)

public:
    // Applies the relic to the item; true when it took. The flag says whether the main
    // player of this peer applies it.
    virtual bool UseRelicOn(Entity* item, bool localPlayer);
    // The levels the relic has left; 0 once it is used up.
    virtual int GetRelicLevel() const { return 1; }
};

}  // namespace GAME
