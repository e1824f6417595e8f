#include "Game/combat/CombatAttributeType.h"

#include <array>
#include <cstddef>

namespace GAME {

namespace {

#define GAME_COMBAT_ATTRIBUTE_TYPE_WORD(value, name, word) word,
constexpr std::array<const char*, kCombatAttributeTypeCount> kTypeWords = {
    GAME_COMBAT_ATTRIBUTE_TYPES(GAME_COMBAT_ATTRIBUTE_TYPE_WORD)};
#undef GAME_COMBAT_ATTRIBUTE_TYPE_WORD

// The words are indexed by value, so the rows must run 0, 1, 2 ... without a gap.
#define GAME_COMBAT_ATTRIBUTE_TYPE_VALUE(value, name, word) value,
constexpr std::array<uint32_t, kCombatAttributeTypeCount> kTypeValues = {
    GAME_COMBAT_ATTRIBUTE_TYPES(GAME_COMBAT_ATTRIBUTE_TYPE_VALUE)};
#undef GAME_COMBAT_ATTRIBUTE_TYPE_VALUE

#define GAME_COMBAT_ATTRIBUTE_REGION_WORD(value, name, key) #name,
constexpr std::array<const char*, kCombatAttributeRegionCount> kRegionWords = {
    GAME_COMBAT_ATTRIBUTE_REGIONS(GAME_COMBAT_ATTRIBUTE_REGION_WORD)};
#undef GAME_COMBAT_ATTRIBUTE_REGION_WORD

#define GAME_COMBAT_ATTRIBUTE_REGION_KEY(value, name, key) key,
constexpr std::array<const char*, kCombatAttributeRegionCount> kRegionKeys = {
    GAME_COMBAT_ATTRIBUTE_REGIONS(GAME_COMBAT_ATTRIBUTE_REGION_KEY)};
#undef GAME_COMBAT_ATTRIBUTE_REGION_KEY

constexpr std::array<const char*, 7> kPlayStatsKindWords = {
    "CombatAttributeType", "Retaliation", "Reflection", "RacialBonus", "BuffRadius", "BuffAttackRadius", "BuffSelf"};

template <std::size_t N>
constexpr bool RunsFromZero(const std::array<uint32_t, N>& values)
{
    for (std::size_t i = 0; i < N; ++i)
        if (values[i] != i)
            return false;
    return true;
}
static_assert(RunsFromZero(kTypeValues), "combat attribute types must be listed in value order");
static_assert(kTypeValues.back() == kCombatAttributeTypeLast, "the last type ends the loops");

}  // namespace

const char* GetCombatAttributeTypeWord(CombatAttributeType type)
{
    if (type >= kTypeWords.size() || !kTypeWords[type])
        return kCombatAttributeTypeNoWord;
    return kTypeWords[type];
}

const char* GetCombatAttributeRegionWord(CombatAttributeRegion region)
{
    return region < kRegionWords.size() ? kRegionWords[region] : kCombatAttributeRegionNoWord;
}

const char* GetCombatAttributeRegionChanceKey(CombatAttributeRegion region)
{
    return region < kRegionKeys.size() ? kRegionKeys[region] : "";
}

const char* GetPlayStatsDamageKindWord(PlayStatsDamageKind kind)
{
    if (kind < PlayStatsDamageKind_CombatAttributeType || kind > kPlayStatsKindWords.size())
        return kPlayStatsDamageKindNoWord;
    return kPlayStatsKindWords[kind - PlayStatsDamageKind_CombatAttributeType];
}

}  // namespace GAME
