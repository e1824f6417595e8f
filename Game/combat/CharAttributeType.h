// The kinds of character attribute: basic statistics, speeds, offensive and defensive
// ability, requirement reductions and experience. The numbers are fixed (records,
// accumulators and the combat code index by them).
#pragma once

#include <cstdint>

namespace GAME {

// One row per type: value, name.
#define GAME_CHAR_ATTRIBUTE_TYPES(X)              \
    X(1, Strength)                                \
    X(2, Dexterity)                               \
    X(3, Intelligence)                            \
    X(4, Life)                                    \
    X(5, Mana)                                    \
    X(6, LifeRegen)                               \
    X(7, ManaRegen)                               \
    X(8, ManaLimitReserve)                        \
    X(9, ManaLimitReserveReduction)               \
    X(10, TotalSpeed)                             \
    X(11, RunSpeed)                               \
    X(12, AttackSpeed)                            \
    X(13, SpellCastSpeed)                         \
    X(14, BaseAttackSpeed)                        \
    X(15, OffensiveAbility)                       \
    X(16, OffensiveAbilityModifier)               \
    X(17, DefensiveAbility)                       \
    X(18, DefensiveAbilityModifier)               \
    X(19, DefensiveBlockRecoveryReduction)        \
    X(20, EnergyAbsorptionPercent)                \
    X(21, DodgePercent)                           \
    X(22, DeflectProjectile)                      \
    X(23, WeaponStrengthReqReduction)             \
    X(24, WeaponDexterityReqReduction)            \
    X(25, WeaponIntelligenceReqReduction)         \
    X(26, MeleeStrengthReqReduction)              \
    X(27, MeleeDexterityReqReduction)             \
    X(28, MeleeIntelligenceReqReduction)          \
    X(29, HuntingStrengthReqReduction)            \
    X(30, HuntingDexterityReqReduction)           \
    X(31, HuntingIntelligenceReqReduction)        \
    X(32, StaffStrengthReqReduction)              \
    X(33, StaffDexterityReqReduction)             \
    X(34, StaffIntelligenceReqReduction)          \
    X(35, ShieldStrengthReqReduction)             \
    X(36, ShieldDexterityReqReduction)            \
    X(37, ShieldIntelligenceReqReduction)         \
    X(38, ArmorStrengthReqReduction)              \
    X(39, ArmorDexterityReqReduction)             \
    X(40, ArmorIntelligenceReqReduction)          \
    X(41, JewelryStrengthReqReduction)            \
    X(42, JewelryDexterityReqReduction)           \
    X(43, JewelryIntelligenceReqReduction)        \
    X(44, GlobalReqReduction)                     \
    X(45, LevelReqReduction)                      \
    X(46, IncreasedExperience)

#define GAME_CHAR_ATTRIBUTE_TYPE_ENUMERATOR(value, name) CharAttributeType_##name = value,
enum CharAttributeType : uint32_t { GAME_CHAR_ATTRIBUTE_TYPES(GAME_CHAR_ATTRIBUTE_TYPE_ENUMERATOR) };
#undef GAME_CHAR_ATTRIBUTE_TYPE_ENUMERATOR

// Types run from 0 to 46; 0 is not used by any attribute.
inline constexpr uint32_t kCharAttributeTypeCount = 47;

}  // namespace GAME
