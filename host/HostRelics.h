// A relic in the bundled run. After the fight a single process gives the player two shard
// stacks of the bundled relic, combines them with the relic cursor (the combined relic is
// complete and rolls its bonus from its own seed), and sets it into the sword the player
// wields through the same cursor, answering its question with yes. Each step is printed:
// the shards, the bonus, the sword's identity and its tool tip, and the player's strength
// before and after.
#pragma once

#include <cstdint>

namespace GAME {

class HostRelics {
public:
    static constexpr const char* kRelicRecord = "Records/Item/Relics/RelicBoar.dbr";
    // The two stacks: levels and seeds, fixed so that every run rolls the same bonus.
    static constexpr uint32_t kFirstLevel = 3, kFirstSeed = 4;
    static constexpr uint32_t kSecondLevel = 2, kSecondSeed = 9;

    // Nothing without the player or a sword in its right hand.
    static void Run(uint32_t playerId, int stepMs);
};

}  // namespace GAME
