// A relic: made of shards that combine into one relic, and set into a piece of equipment
// it works from inside. Only its place is built so far: the classification, the use on an
// item and the level that use spends; it grants nothing yet, so its attribute getters
// keep the base's empty answers and the equipment that holds it gains nothing from it.
#pragma once

#include "Game/items/Item.h"

namespace GAME {

class Entity;

class ItemRelic : public Item {
    GAME_DECLARE_CLASS(ItemRelic)

public:
    ItemRelic();

    // Applies the relic to the item; true when it took. The flag says whether the main
    // player of this peer applies it.
    virtual bool UseRelicOn(Entity* item, bool localPlayer);
    // The levels the relic has left; 0 once it is used up.
    virtual int GetRelicLevel() const { return 1; }
};

}  // namespace GAME
