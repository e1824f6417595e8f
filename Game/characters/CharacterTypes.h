// Classifications of characters.
#pragma once

#include <cstdint>

namespace GAME {

enum MonsterClassification : int32_t {
    MonsterClassification_Common = 0,
    MonsterClassification_Champion = 1,
    MonsterClassification_Hero = 2,
    MonsterClassification_Boss = 3,
};

}  // namespace GAME
