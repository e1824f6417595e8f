// The process-wide 15-bit random draws of the controllers and the scenery: cosmetic
// choices and AI timers that peers need not agree on. Game rules draw from the game
// engine's seeded RandomUniform instead.
//
// The source is the platform's one generator of 0 .. 32767 (GAME::rand, Engine/Random.h),
// one state for the whole process, so a test or the host that seeds it (SeedProcessRandom)
// gets the same draws on every run. The C library's rand() is never used: its range here
// is 31 bits, which would carry RandomFloat far outside [min, max].
#pragma once

#include <cstdint>

#include "Engine/Random.h"

namespace GAME {

// Sets the process-wide source; the draws after it are the same on every run.
inline void SeedProcessRandom(unsigned int seed) { srand(seed); }

// min + r x (1 / 32767) x (max - min): min and max are both possible.
inline float RandomFloat(float min, float max) { return RandFloat(min, max); }

// min + (r modulo (max - min + 1)). A range wider than the source's reaches only its
// first 32768 values; a maximum below the minimum gives the minimum.
inline int RandomInt(int min, int max)
{
    if (max <= min)
        return min;
    const int64_t span = static_cast<int64_t>(max) - min + 1;
    return static_cast<int>(min + static_cast<int64_t>(rand()) % span);
}

// A chance in percent: met when r modulo 100 is below it.
inline bool RandomChance(float percent) { return static_cast<float>(rand() % 100) < percent; }

}  // namespace GAME
