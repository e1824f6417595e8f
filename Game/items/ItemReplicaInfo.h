// The identity of one item instance: the records it is made from and the seed its rolled
// values are rebuilt from. Every peer and every save rebuilds the same item from it.
#pragma once

#include <cstdint>
#include <string>

namespace GAME {

struct ItemReplicaInfo {
    uint32_t objectId = 0;    // the item instance's object id; 0 when none
    std::string baseName;     // the item's own record
    std::string prefixName;   // rolled prefix record; empty when none
    std::string suffixName;   // rolled suffix record; empty when none
    std::string relicName;    // installed relic or charm record; empty when none
    std::string relicBonus;   // bonus record of a completed relic; empty when none
    uint32_t seed = 0;        // seed of the item's random generator
    uint32_t var1 = 0;        // gold amount, relic level or installed relic's level
};

}  // namespace GAME
