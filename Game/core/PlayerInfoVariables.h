// The designer formula names of the game's player information, for the owners whose
// formulas read it (market levels, gold amounts).
#pragma once

#include "Game/core/GameTypes.h"
#include "Game/core/foundation/DesignerEquation.h"

namespace GAME {

// The slot of `name` in `info`: "averagePlayerLevel", "minPlayerLevel", "maxPlayerLevel",
// "numberOfPlayers" or "gameDifficulty"; Unknown for any other name. `info` must outlive
// the formula.
inline DesignerVariableSlot<float> FindPlayerInfoVariable(const char* name, const PlayerInfo& info)
{
    using Slot = DesignerVariableSlot<float>;
    return FindDesignerVariable<float>(name, {
                                                 {"averagePlayerLevel", Slot::OfUnsigned(info.averagePlayerLevel)},
                                                 {"minPlayerLevel", Slot::OfUnsigned(info.minPlayerLevel)},
                                                 {"maxPlayerLevel", Slot::OfUnsigned(info.maxPlayerLevel)},
                                                 {"numberOfPlayers", Slot::OfUnsigned(info.numberOfPlayers)},
                                                 {"gameDifficulty", Slot::OfUnsigned(info.gameDifficulty)},
                                             });
}

}  // namespace GAME
