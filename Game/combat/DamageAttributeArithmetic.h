// The arithmetic that every attribute family shares: loot jitter and scaling of record
// values, the per-level entry of a record array, and float arithmetic that holds its
// result to the float range.
//
// Items are rebuilt from their seed on every peer, so jitter and scaling are part of the
// contract: the factor 0.01 is the single-precision constant (just below one hundredth),
// the product percent x 0.01 x value is formed in double from the float operands and then
// truncated toward zero, so 10 percent of 100 is 9 and 20 percent of 40 is 7.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "Game/core/foundation/MathUtil.h"

namespace GAME {

class RandomUniform;

// The few steps of a roll are always inlined into the kind that rolls (damage and
// defence alike): called through the library's symbol table, each would cost as much as
// the work it does.
#define GAME_DAMAGE_ROLL_INLINE [[gnu::always_inline]] inline

inline constexpr float kLootPercent = 0.01f;
// Every jitter percent is held to [0, kMaxJitterPercent].
inline constexpr float kMaxJitterPercent = 50.0f;

// A result computed in double, rounded to float and held to the float range instead of
// becoming infinite (0 for what is not a number). Within the range this is exactly the
// float operation's result: a double holds the exact product of two floats, and a sum
// rounded twice (to double, then to float) rounds as a float sum does.
GAME_DAMAGE_ROLL_INLINE float ToFloatRange(double value)
{
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (value > kLargest)
        return std::numeric_limits<float>::max();
    if (value < -kLargest)
        return -std::numeric_limits<float>::max();
    return value == value ? static_cast<float>(value) : 0.0f;
}
// The float sum itself while it is finite (by the above it is the same result); only an
// overflow or a value that is not a number takes the double path. Attribute sums run this
// once per attribute per character and frame.
GAME_DAMAGE_ROLL_INLINE float AddInRange(float a, float b)
{
    const float sum = a + b;
    return std::isfinite(sum) ? sum : ToFloatRange(static_cast<double>(a) + b);
}
GAME_DAMAGE_ROLL_INLINE float SubtractInRange(float a, float b) { return ToFloatRange(static_cast<double>(a) - b); }
GAME_DAMAGE_ROLL_INLINE float MultiplyInRange(float a, float b) { return ToFloatRange(static_cast<double>(a) * b); }

// A jitter percent held to [0, 50]; nothing jitters unless the percent is above 0.
float ClampJitterPercent(float percent);

// Whether a family's AddJitter jitters at all: a percent above 0 and a generator. The
// percent is then held to [0, 50].
bool LootJittersWith(float& percent, const RandomUniform* rng);

// Moves a value by a whole-number draw in [-n, n], n = percent x 0.01 x value truncated
// toward zero (1 when that is 0), held to +-(2^31 - 1). A value of 0 stays 0 without a
// draw; a result below 1 in magnitude leaves the value as it was. A negative value has a
// negative n and draws from n to -n.
float LootJitter(float value, float percent, RandomUniform& rng);

// value + (percent x 0.01 x value truncated toward zero, held to the range of an int).
float LootScale(float value, float percent);

// Every entry of a per-level array jittered (in array order) or scaled.
void LootJitterEach(std::vector<float>& values, float percent, RandomUniform& rng);
void LootScaleEach(std::vector<float>& values, float percent);

// percent x 0.01 x value, formed in double in that order and held to the float range:
// the share of a value that a chance or a modifier in percent stands for.
float LootPercentOf(float percent, float value);

// Entry min(level - 1, count - 1) of a per-level array; null at level 0 or for an empty
// array.
template <class T>
GAME_DAMAGE_ROLL_INLINE const T* PerLevelEntry(const std::vector<T>& values, unsigned level)
{
    if (level == 0 || values.empty())
        return nullptr;
    return &values[ClampIndex(level - 1u, static_cast<unsigned>(values.size()))];
}

// The per-level value of a float array: 0 at level 0 or for an empty array.
GAME_DAMAGE_ROLL_INLINE float PerLevelValue(const std::vector<float>& values, unsigned level)
{
    const float* value = PerLevelEntry(values, level);
    return value ? *value : 0.0f;
}

}  // namespace GAME
