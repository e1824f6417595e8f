// Enumerations that records and saves name by word (see EnumConverter). They are 32-bit
// signed; -1 is the answer for a word that names no value.
#pragma once

#include <cstdint>

namespace GAME {

enum class PlayerCharacterClassType : int32_t {
    Invalid = -1,
    Warrior = 0,
    Archer = 1,
    Sorceress = 2,
};

enum class ActorMountType : int32_t {
    Invalid = -1,
    Centaur = 0,
};

// How a character's paths are generated; any unknown word means Default.
enum class CharacterPathGenerationStyle : int32_t {
    Default = 0,
    Sheep = 1,
};

}  // namespace GAME
