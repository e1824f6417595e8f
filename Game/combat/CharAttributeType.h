// The kinds of character attribute whose totals combat reads from a character. The
// numbers are fixed (records and accumulators index by them); only the kinds that combat
// asks for are named here.
#pragma once

#include <cstdint>

namespace GAME {

enum CharAttributeType : uint32_t {
    CharAttributeType_Strength = 1,
    CharAttributeType_Dexterity = 2,
    CharAttributeType_Intelligence = 3,
    CharAttributeType_Mana = 5,
    CharAttributeType_OffensiveAbility = 15,
    CharAttributeType_OffensiveAbilityModifier = 16,
    CharAttributeType_DefensiveAbility = 17,
    CharAttributeType_DefensiveAbilityModifier = 18,
    CharAttributeType_DefensiveBlockRecoveryReduction = 19,
    CharAttributeType_EnergyAbsorptionPercent = 20,
    CharAttributeType_DodgePercent = 21,
    CharAttributeType_DeflectProjectile = 22,
};

// Types run from 0 to 46; 0 is not used by any attribute.
inline constexpr uint32_t kCharAttributeTypeCount = 47;

}  // namespace GAME
