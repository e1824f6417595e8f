// What one combat attribute is about (a kind of damage, an effect carried by damage, a
// kind of defence or a group), the hit regions of an attack, and the damage type that the
// play statistics tally.
//
// The numbers are fixed: they travel in the network images of damage over time and in the
// damage-effect command. The words are what the play statistics show.
#pragma once

#include <cstdint>

namespace GAME {

// One row per type: value, enumerator name, word (null: the type has no word).
// The word of ManaBurn ends in nine blanks, as the statistics have always shown it.
#define GAME_COMBAT_ATTRIBUTE_TYPES(X)                                                             \
    X(0, Unknown, "CombatAttributeType_Unknown")                                                   \
    X(1, PhysicalPierce, "CombatAttributeType_PhysicalPierce")                                     \
    X(2, Physical, "CombatAttributeType_Physical")                                                 \
    X(3, PierceRatio, "CombatAttributeType_PierceRatio")                                           \
    X(4, Pierce, "CombatAttributeType_Pierce")                                                     \
    X(5, Cold, "CombatAttributeType_Cold")                                                         \
    X(6, Fire, "CombatAttributeType_Fire")                                                         \
    X(7, Poison, "CombatAttributeType_Poison")                                                     \
    X(8, Lightning, "CombatAttributeType_Lightning")                                               \
    X(9, Life, "CombatAttributeType_Life")                                                         \
    X(10, ManaBurn, "CombatAttributeType_ManaBurn         ")                                       \
    X(11, Disruption, "CombatAttributeType_Disruption")                                             \
    X(12, PercentCurrentLife, "CombatAttributeType_PercentCurrentLife")                             \
    X(13, Bleeding, "CombatAttributeType_Bleeding")                                                 \
    X(14, TotalSpeed, "CombatAttributeType_TotalSpeed")                                             \
    X(15, AttackSpeed, "CombatAttributeType_AttackSpeed")                                           \
    X(16, SpellCastSpeed, "CombatAttributeType_SpellCastSpeed")                                     \
    X(17, RunSpeed, "CombatAttributeType_RunSpeed")                                                 \
    X(18, LifeLeach, "CombatAttributeType_LifeLeach")                                               \
    X(19, ManaLeach, "CombatAttributeType_ManaLeach")                                               \
    X(20, OffensiveAbility, "CombatAttributeType_OffensiveAbility")                                 \
    X(21, DefensiveAbility, "CombatAttributeType_DefensiveAbility")                                 \
    X(22, OffensiveReduction, "CombatAttributeType_OffensiveReduction")                             \
    X(23, DefensiveReduction, "CombatAttributeType_DefensiveReduction")                             \
    X(24, Fumble, "CombatAttributeType_Fumble")                                                     \
    X(25, ProjectileFumble, "CombatAttributeType_ProjectileFumble")                                 \
    X(26, TotalDamageReductionPercent, "CombatAttributeType_TotalDamageReductionPercent")           \
    X(27, TotalDamageReductionAbsolute, "CombatAttributeType_TotalDamageReductionAbsolute")         \
    X(28, TotalResistanceReductionPercent, "CombatAttributeType_TotalResistanceReductionPercent")   \
    X(29, TotalResistanceReductionAbsolute, "CombatAttributeType_TotalResistanceReductionAbsolute") \
    X(30, AbsorptionProtection, "CombatAttributeType_AbsorptionProtection")                         \
    X(31, Absorption, "CombatAttributeType_Absorption")                                             \
    X(32, Protection, "CombatAttributeType_Protection")                                             \
    X(33, ArmorRating, "CombatAttributeType_ArmorRating")                                           \
    X(34, Stun, "CombatAttributeType_Stun")                                                         \
    X(35, Trap, "CombatAttributeType_Trap")                                                         \
    X(36, Freeze, "CombatAttributeType_Freeze")                                                     \
    X(37, Petrify, "CombatAttributeType_Petrify")                                                   \
    X(38, Immobilize, "CombatAttributeType_Immobilize")                                             \
    X(39, Taunt, "CombatAttributeType_Taunt")                                                       \
    X(40, Convert, "CombatAttributeType_Convert")                                                   \
    X(41, Fear, "CombatAttributeType_Fear")                                                         \
    X(42, Confusion, "CombatAttributeType_Confusion")                                               \
    X(43, BlockModifier, "CombatAttributeType_BlockModifier")                                       \
    X(44, Reflect, "CombatAttributeType_Reflect")                                                   \
    X(45, ElementalGroup, "CombatAttributeType_ElementalGroup")                                     \
    X(46, ManaBurnRatio, nullptr)

#define GAME_COMBAT_ATTRIBUTE_TYPE_ENUMERATOR(value, name, word) CombatAttributeType_##name = value,
enum CombatAttributeType : uint32_t { GAME_COMBAT_ATTRIBUTE_TYPES(GAME_COMBAT_ATTRIBUTE_TYPE_ENUMERATOR) };
#undef GAME_COMBAT_ATTRIBUTE_TYPE_ENUMERATOR

// Loops over every type (the play statistics tally) run from 0 to kCombatAttributeTypeLast.
inline constexpr uint32_t kCombatAttributeTypeCount = 47;
inline constexpr CombatAttributeType kCombatAttributeTypeLast = CombatAttributeType_ManaBurnRatio;

// What is shown for a type without a word (46, and anything outside 0..46).
inline constexpr const char* kCombatAttributeTypeNoWord = "Unknown CombatAttributeType";

// The word of a type; never null and never read past the table.
const char* GetCombatAttributeTypeWord(CombatAttributeType type);

// The hit region an attack strikes, in the order of the combat record's region keys.
#define GAME_COMBAT_ATTRIBUTE_REGIONS(X)                                  \
    X(0, FullyProtected, "combatRegionFullyProtectedChance")               \
    X(1, Unprotected, "combatRegionUnprotectedChance")                     \
    X(2, Head, "combatRegionHeadChance")                                   \
    X(3, Torso, "combatRegionTorsoChance")                                 \
    X(4, Arms, "combatRegionArmsChance")                                   \
    X(5, Legs, "combatRegionLegsChance")

#define GAME_COMBAT_ATTRIBUTE_REGION_ENUMERATOR(value, name, key) CombatAttributeRegion_##name = value,
enum CombatAttributeRegion : uint32_t { GAME_COMBAT_ATTRIBUTE_REGIONS(GAME_COMBAT_ATTRIBUTE_REGION_ENUMERATOR) };
#undef GAME_COMBAT_ATTRIBUTE_REGION_ENUMERATOR

inline constexpr uint32_t kCombatAttributeRegionCount = 6;
inline constexpr const char* kCombatAttributeRegionNoWord = "Unknown Region";

// The trace word of a region ("Unknown Region" outside 0..5).
const char* GetCombatAttributeRegionWord(CombatAttributeRegion region);
// The combat record key of the region's chance; empty outside 0..5.
const char* GetCombatAttributeRegionChanceKey(CombatAttributeRegion region);

// Where tallied damage came from.
enum PlayStatsDamageKind : uint32_t {
    PlayStatsDamageKind_CombatAttributeType = 1,   // damage of one combat attribute type
    PlayStatsDamageKind_Retaliation = 2,
    PlayStatsDamageKind_Reflection = 3,
    PlayStatsDamageKind_RacialBonus = 4,
    PlayStatsDamageKind_BuffRadius = 5,
    PlayStatsDamageKind_BuffAttackRadius = 6,
    PlayStatsDamageKind_BuffSelf = 7,
};

inline constexpr const char* kPlayStatsDamageKindNoWord = "Unknown";

// The word of a kind in the play statistics text ("Unknown" outside 1..7).
const char* GetPlayStatsDamageKindWord(PlayStatsDamageKind kind);

// Two 32-bit words: where the damage came from, and its type.
struct PlayStatsDamageType {
    PlayStatsDamageKind kind = PlayStatsDamageKind_CombatAttributeType;
    CombatAttributeType type = CombatAttributeType_Unknown;

    bool operator==(const PlayStatsDamageType&) const = default;
};
static_assert(sizeof(PlayStatsDamageType) == 8, "PlayStatsDamageType is two 32-bit words");

}  // namespace GAME
