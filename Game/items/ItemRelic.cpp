#include "Game/items/ItemRelic.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ItemRelic, Item)

ItemRelic::ItemRelic() { SetClassification(ItemClassification_Relic); }

bool ItemRelic::UseRelicOn(Entity*, bool) { return false; }

}  // namespace GAME
