#include "Game/combat/DamageAttributeArithmetic.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

namespace {

// The spread of a jitter draw is held here, so that -n is an int too.
constexpr int kMaxJitterSpread = std::numeric_limits<int>::max();

// percent x 0.01 x value, in that order, in double.
double LootProduct(float percent, float value)
{
    return static_cast<double>(percent) * static_cast<double>(kLootPercent) * static_cast<double>(value);
}

}  // namespace

float ClampJitterPercent(float percent) { return std::clamp(percent, 0.0f, kMaxJitterPercent); }

bool LootJittersWith(float& percent, const RandomUniform* rng)
{
    if (!(percent > 0.0f) || !rng)
        return false;
    percent = ClampJitterPercent(percent);
    return true;
}

float LootJitter(float value, float percent, RandomUniform& rng)
{
    if (value == 0.0f)
        return 0.0f;
    int spread = std::clamp(TruncateToInt(LootProduct(percent, value)), -kMaxJitterSpread, kMaxJitterSpread);
    if (spread == 0)
        spread = 1;
    const int draw = rng.IGenerate(-spread, spread);
    // A float sum: a draw of at most 2^31 cannot carry the largest float past the range.
    const float jittered = value + static_cast<float>(draw);
    return std::fabs(jittered) < 1.0f ? value : jittered;
}

float LootScale(float value, float percent)
{
    return value + static_cast<float>(TruncateToInt(LootProduct(percent, value)));
}

void LootJitterEach(std::vector<float>& values, float percent, RandomUniform& rng)
{
    for (float& value : values)
        value = LootJitter(value, percent, rng);
}

void LootScaleEach(std::vector<float>& values, float percent)
{
    for (float& value : values)
        value = LootScale(value, percent);
}

float LootPercentOf(float percent, float value) { return ToFloatRange(LootProduct(percent, value)); }

}  // namespace GAME
