// Random numbers of the platform: the arithmetic of the seeded uniform generator, and the
// C-style rand().
#pragma once

#include <cstdint>

namespace GAME {

namespace UniformRandom {

// One step: the product wraps at 32 bits before the remainder. Peers, saves and packets
// share seeds, so this exact arithmetic is part of the contract.
inline constexpr uint32_t kMultiplier = 16807u;
inline constexpr uint32_t kModulus = 2147483647u;   // 2^31 - 1

inline constexpr uint32_t Step(uint32_t state)
{
    const uint32_t product = state * kMultiplier;   // wraps at 2^32
    // product % kModulus without a division: 2^31 leaves 1 modulo 2^31 - 1, so the top
    // bit folds onto the low 31 bits, and one subtraction brings the sum into range.
    const uint32_t folded = (product & kModulus) + (product >> 31);
    return folded >= kModulus ? folded - kModulus : folded;
}

// The double nearest to 1 / 2147483647.
inline constexpr double kUnit = 1.0 / static_cast<double>(kModulus);

inline float FloatFromState(uint32_t state, float min, float max)
{
    double u = static_cast<double>(state) * kUnit;
    return static_cast<float>(static_cast<double>(min) + (static_cast<double>(max) - static_cast<double>(min)) * u);
}

inline int IntFromState(uint32_t state, int min, int max)
{
    double u = static_cast<double>(state) * kUnit;
    double value = static_cast<double>(min) + (static_cast<double>(max) - static_cast<double>(min)) * u + 0.5;
    return static_cast<int>(value);   // truncation toward zero
}

}  // namespace UniformRandom

// The platform's seedable generator of 0 .. 32767, used where game code calls rand().
inline constexpr int kRandMax = 32767;
int rand();
void srand(unsigned int seed);

// A float from min to max (both possible) drawn with rand(): min + (max - min) x rand() /
// kRandMax. For draws that peers need not agree on.
inline float RandFloat(float min, float max)
{
    return min + (max - min) * (static_cast<float>(rand()) * (1.0f / static_cast<float>(kRandMax)));
}

}  // namespace GAME
