// Classifications of items and chests, and the loot weight modifiers kept per class.
#pragma once

#include <cstdint>

namespace GAME {

enum ItemClassification : int32_t {
    ItemClassification_Common = 0,
    ItemClassification_Magical = 1,
    ItemClassification_Rare = 2,
    ItemClassification_Epic = 3,
    ItemClassification_Legendary = 4,
    ItemClassification_Broken = 5,
    ItemClassification_Potion = 6,
    ItemClassification_Relic = 8,
    ItemClassification_Quest = 9,
};

enum ChestClassification : int32_t {
    ChestClassification_Common = 0,
    ChestClassification_Champion = 1,
    ChestClassification_Hero = 2,
};

// The state of one market item as the market messages carry it (a 32-bit value); its
// values belong to the markets.
enum MarketItemStatus : uint32_t;

// Weights that loot rolls consume: no prefix and no suffix, both, prefix only, suffix
// only, broken only.
struct RandomizerWeightModifiers {
    int32_t noPrefixNoSuffix = 0;
    int32_t bothPrefixSuffix = 0;
    int32_t prefixOnly = 0;
    int32_t suffixOnly = 0;
    int32_t brokenOnly = 0;

    bool operator==(const RandomizerWeightModifiers& other) const = default;
};

}  // namespace GAME
