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

// A character's gender; the player roster marks 1 as male.
enum CharacterGender : int32_t {
    CharacterGender_Female = 0,
    CharacterGender_Male = 1,
};

}  // namespace GAME
