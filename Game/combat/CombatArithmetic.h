// The shared arithmetic of the per-attack combat attributes, in float, and its constants.
// Percentages are plain numbers (25 means 25 percent) applied as x 0.01.
#pragma once


#include <climits>
#include <cmath>
#include <cstdint>

#include "Game/core/foundation/MathUtil.h"

namespace GAME::CombatArithmetic {

inline constexpr float kPercent = 0.01f;
inline constexpr float kFullPercent = 100.0f;
inline constexpr float kMsPerSecond = 1000.0f;
// Crowd-control reflexes add their duration at this fixed level.
inline constexpr float kReflexLevel = 1.0f;
// A convert works when the attacker's level plus this is at least the defender's.
inline constexpr uint32_t kConvertLevelMargin = 5;

// value + |value| x modifier x 0.01
inline float ApplyModifier(float value, float modifier) { return value + std::fabs(value) * modifier * kPercent; }

// percent x 0.01 x value
inline float ApplyPercent(float value, float percent) { return percent * kPercent * value; }

// value - (|value| x reductionPercent x 0.01 + reductionAbsolute)
inline float ApplyReduction(float value, float reductionPercent, float reductionAbsolute)
{
    return value - (std::fabs(value) * reductionPercent * kPercent + reductionAbsolute);
}

// (1 - percent x 0.01) x value
inline float ReduceByPercent(float value, float percent) { return (1.0f - percent * kPercent) * value; }

inline float NonNegative(float value) { return value < 0.0f ? 0.0f : value; }

// A damage reduction that applies only to the matching type; the value never stays
// negative, whether it applied or not.
inline float ReduceWhen(bool applies, float value, float percent)
{
    return NonNegative(applies ? ReduceByPercent(value, percent) : value);
}

// Scaling only ever happens for a positive percent.
inline float ScaleByPositivePercent(float value, float percent)
{
    return percent > 0.0f ? ApplyPercent(value, percent) : value;
}

// Seconds to whole milliseconds (the foundations' conversion, in float, held to an int).
using GAME::SecondsToMs;

}  // namespace GAME::CombatArithmetic
