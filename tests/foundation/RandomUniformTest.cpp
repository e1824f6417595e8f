#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "Engine/Random.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {
namespace {

constexpr uint32_t kModulus = 2147483647u;
constexpr uint32_t kInverse = 1278498327u;   // 16807 x kInverse = 1 (mod 2^32)
static_assert(16807u * kInverse == 1u);

// IGenerate(0, INT_MAX) returns the new state exactly (u x INT_MAX + 0.5 truncated), so it
// reads the sequence of states without any accessor.
uint32_t NextState(RandomUniform& rng)
{
    return static_cast<uint32_t>(rng.IGenerate(0, INT_MAX));
}

// A generator whose state is `state` (below 2^31 - 1): Seed applies one step, and the
// seed state x 16807^-1 makes the wrapped product equal to `state`.
RandomUniform AtState(uint32_t state)
{
    RandomUniform rng;
    rng.Seed(state * kInverse);
    return rng;
}

// Golden states, found offline, whose next state is the one named.
constexpr uint32_t kBeforeLargest = 459472315u;     // next 2147483646, u = 1 - 1/M
constexpr uint32_t kBeforeJustBelowHalf = 1942727145u;   // next 1073741823, u < 0.5
constexpr uint32_t kBeforeJustAboveHalf = 204756503u;    // next 1073741825, u > 0.5
constexpr uint32_t kBeforeThreeTenths = 572334355u;      // next 644245094, u ~ 0.3

TEST(RandomUniformSequence, SeedOneGivesTheGoldenStates)
{
    EXPECT_EQ(UniformRandom::Step(1), 16807u);
    RandomUniform rng;
    rng.Seed(1);
    // The third state differs from the full-width minimal standard (1622650073): the
    // product wraps at 32 bits before the remainder.
    for (uint32_t state : {282475249u, 1622647863u, 947787490u, 1578127215u, 13566058u})
        EXPECT_EQ(NextState(rng), state);
}

TEST(RandomUniformSequence, StepMatchesTheWrappedProductRemainder)
{
    EXPECT_EQ(UniformRandom::Step(kBeforeLargest), 2147483646u);
    // States whose wrapped product lands at, just past, or far past 2^31 - 1.
    for (uint32_t state : {kModulus * kInverse, (kModulus + 1) * kInverse, 4294967295u * kInverse, 127773u,
                           1u << 31, 4294967295u, kBeforeLargest, 0u})
        EXPECT_EQ(UniformRandom::Step(state), (state * 16807u) % kModulus) << state;
}

TEST(RandomUniformSequence, ZeroIsAFixedPoint)
{
    RandomUniform rng;
    rng.Seed(0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rng.FGenerate(-3.5f, 9.0f), -3.5f);
        EXPECT_EQ(rng.IGenerate(4, 10), 4);
        EXPECT_EQ(rng.IGenerate(-4, 10), -3);   // -4 + 0.5 truncated toward zero
    }
    // Any seed whose wrapped product is a multiple of 2^31 - 1 falls there too.
    for (unsigned long seed : {static_cast<unsigned long>(kModulus * kInverse), 0x100000000ul}) {
        rng.Seed(seed);
        EXPECT_EQ(NextState(rng), 0u) << seed;
    }
}

TEST(RandomUniformSequence, LargeSeedsWrapIntoRange)
{
    RandomUniform a;
    RandomUniform b;
    a.Seed(4294967295ul);
    b.Seed(0xffffffffffffffffull);   // only the low 32 bits take part
    const uint32_t first = NextState(a);
    EXPECT_EQ(first, NextState(b));
    EXPECT_LT(first, kModulus);
    EXPECT_EQ(first, UniformRandom::Step(UniformRandom::Step(4294967295u)));
    a.Seed(kModulus);
    EXPECT_EQ(NextState(a), UniformRandom::Step((kModulus * 16807u) % kModulus));
}

TEST(RandomUniformSequence, CopiesAndEqualSeedsContinueAlike)
{
    RandomUniform a;
    a.Seed(777);
    a.IGenerate(0, 10);
    RandomUniform copy = a;
    RandomUniform other;
    other.Seed(777);
    other.IGenerate(0, 10);
    for (int i = 0; i < 20; ++i) {
        const float x = a.FGenerate(-1.0f, 1.0f);
        EXPECT_EQ(copy.FGenerate(-1.0f, 1.0f), x);
        EXPECT_EQ(other.FGenerate(-1.0f, 1.0f), x);
    }
}

TEST(RandomUniformDraws, IntegerRangesAtTheirEnds)
{
    RandomUniform rng;
    rng.Seed(99);
    EXPECT_EQ(rng.IGenerate(5, 5), 5);
    EXPECT_EQ(rng.IGenerate(-5, -5), -4);   // -5 + 0.5 truncates toward zero

    rng = AtState(kBeforeJustBelowHalf);
    EXPECT_EQ(rng.IGenerate(0, 1), 0);
    rng = AtState(kBeforeJustAboveHalf);
    EXPECT_EQ(rng.IGenerate(0, 1), 1);

    rng = AtState(kBeforeLargest);
    EXPECT_EQ(rng.IGenerate(10, 20), 20);
    rng = AtState(kBeforeLargest);
    EXPECT_EQ(rng.IGenerate(INT_MIN, INT_MAX), INT_MAX - 2);   // the full range stays defined
    rng = AtState(kBeforeLargest);
    EXPECT_EQ(rng.IGenerate(20, 10), 10);   // bounds in either order
}

TEST(RandomUniformDraws, FloatRangesMayReachMax)
{
    RandomUniform rng;
    rng.Seed(5);
    EXPECT_EQ(rng.FGenerate(2.0f, 2.0f), 2.0f);

    // The largest state rounds to 1.0 once the double becomes a float.
    rng = AtState(kBeforeLargest);
    EXPECT_EQ(rng.FGenerate(0.0f, 1.0f), 1.0f);
    rng = AtState(kBeforeLargest);
    const float reversed = rng.FGenerate(1.0f, 0.0f);   // bounds in either order: near 0, not 0
    EXPECT_GT(reversed, 0.0f);
    EXPECT_LT(reversed, 1e-9f);

    rng = AtState(kBeforeThreeTenths);
    const double u = 644245094u * UniformRandom::kUnit;
    EXPECT_EQ(rng.FGenerate(-2.0f, 6.0f), static_cast<float>(-2.0 + 8.0 * u));
}

TEST(RandomUniformDraws, RangeEndsAndTruncationTowardZero)
{
    // u ~ 0.3: -10 + 10 x 0.3 + 0.5 = -6.5 truncates to -6, not -7.
    RandomUniform rng = AtState(kBeforeThreeTenths);
    EXPECT_EQ(rng.IGenerate(-10, 0), -6);

    // How often each value of min .. max comes, relative to the middle value.
    auto shares = [](int min, int max) {
        RandomUniform draws;
        draws.Seed(31337);
        std::vector<int> counts(max - min + 1);
        for (int i = 0; i < 20000; ++i)
            ++counts.at(draws.IGenerate(min, max) - min);
        std::vector<double> relative;
        for (int count : counts)
            relative.push_back(count / static_cast<double>(counts[counts.size() / 2]));
        return relative;
    };
    // From 0 the ends come half as often as an inner value.
    const std::vector<double> positive = shares(0, 4);
    EXPECT_NEAR(positive.front(), 0.5, 0.1);
    EXPECT_NEAR(positive.back(), 0.5, 0.1);
    // Below zero the sums lie in [-9.5, 0.5): -10 never comes, -9 takes half a unit and 0
    // takes (-1, 0.5), one and a half.
    const std::vector<double> negative = shares(-10, 0);
    EXPECT_EQ(negative.front(), 0.0);
    EXPECT_NEAR(negative[1], 0.5, 0.1);
    EXPECT_NEAR(negative.back(), 1.5, 0.2);
}

TEST(RandomUniformLocked, FollowsTheWrappedSequence)
{
    RandomUniformLocked random;
    random.Seed(1);   // state 16807
    // Next state: (16807 * 16807) mod 2^32 mod (2^31 - 1) = 282475249.
    EXPECT_FLOAT_EQ(random.FGenerate(0.0f, 2147483647.0f), 282475249.0f);
    random.Seed(0);
    EXPECT_EQ(random.IGenerate(3, 9), 3);
}

// A skipped draw is owed and taken before the next draw, so every draw gives what it would
// have given with the skipped ones drawn in their place; a seed clears what is owed.
TEST(RandomUniformLocked, SkippedDrawsKeepTheSequence)
{
    // d: an integer draw, f: a float draw, s: a skip, 0-9: a seed.
    for (const char* steps : {"sd", "ssssd", "dsfssf", "s5d", "ss7ssd", "dss3f"}) {
        RandomUniformLocked skipping;
        RandomUniform drawing;
        skipping.Seed(1);
        drawing.Seed(1);
        for (const char* step = steps; *step; ++step) {
            if (*step == 's') {
                skipping.Skip();
                drawing.IGenerate(1, 32767);
            } else if (*step == 'd') {
                EXPECT_EQ(skipping.IGenerate(0, 1000000), drawing.IGenerate(0, 1000000)) << steps;
            } else if (*step == 'f') {
                EXPECT_EQ(skipping.FGenerate(0.0f, 1.0f), drawing.FGenerate(0.0f, 1.0f)) << steps;
            } else {
                skipping.Seed(static_cast<unsigned long>(*step - '0'));
                drawing.Seed(static_cast<unsigned long>(*step - '0'));
            }
        }
    }
}

}  // namespace
}  // namespace GAME
