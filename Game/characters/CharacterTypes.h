// Classifications and states of characters. Every value is stored and compared as a
// 32-bit integer.
#pragma once

#include <cstdint>

namespace GAME {

enum MonsterClassification : int32_t {
    MonsterClassification_Common = 0,
    MonsterClassification_Champion = 1,
    MonsterClassification_Hero = 2,
    MonsterClassification_Boss = 3,
};

// A character's gender, from the record word of "characterGenderProfile"; 0 when the
// record names none. The player roster marks 1 as male.
enum Character_Gender : int32_t {
    Character_Gender_None = 0,
    Character_Gender_Male = 1,
    Character_Gender_Female = 2,
    Character_Gender_Native = 3,
    Character_Gender_Satyr = 4,
    Character_Gender_JackalMan = 5,
    Character_Gender_Tigerman = 6,
};

// Where a character stands in its life; a new character is alive.
enum Character_LifeState : int32_t {
    Character_LifeState_Unknown = 0,
    Character_LifeState_Initializing = 1,
    Character_LifeState_Alive = 2,
    Character_LifeState_Dying = 3,
    Character_LifeState_Dead = 4,
    Character_LifeState_Respawning = 5,
};

// What a character is doing. Value 2 has no name.
enum Character_ActionState : int32_t {
    Character_ActionState_Unknown = 0,
    Character_ActionState_ForcedStop = 1,
    Character_ActionState_Idle = 3,
    Character_ActionState_Fidget = 4,
    Character_ActionState_Move = 5,
    Character_ActionState_Walk = 6,
    Character_ActionState_Attack = 7,
    Character_ActionState_Stun = 8,
    Character_ActionState_Immobilize = 9,
    Character_ActionState_Trap = 10,
    Character_ActionState_Pickup = 11,
    Character_ActionState_Chatting = 12,
    Character_ActionState_Fallen = 13,
    Character_ActionState_Dying = 14,
};

// A character's size for paths and the per-size effect arrays of the game-wide record.
enum CharacterPathingSize : int32_t {
    CharacterPathingSize_Small = 0,
    CharacterPathingSize_Medium = 1,
    CharacterPathingSize_Large = 2,
};

// The buffs a character shows with an effect pack of its own.
enum CharacterBuff : int32_t {
    CharacterBuff_None = 0,
    CharacterBuff_Fire = 1,
    CharacterBuff_Poison = 2,
};

}  // namespace GAME
