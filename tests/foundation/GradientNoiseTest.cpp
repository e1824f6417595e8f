#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "Engine/Engine.h"
#include "Game/core/foundation/GradientNoise.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {
namespace {

GradientNoise::RandomFunction SeededRandom(unsigned long seed)
{
    auto rng = std::make_shared<RandomUniform>();
    rng->Seed(seed);
    return [rng] { return rng->IGenerate(0, 32767); };
}

TEST(GradientNoise, TableIsAShuffledPermutationRepeatedOnce)
{
    GradientNoise noise(SeededRandom(7));
    std::vector<int> seen;
    for (int i = 0; i < GradientNoise::kSize; ++i)
        seen.push_back(noise.GetPermutation(i));
    std::vector<int> sorted = seen;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < GradientNoise::kSize; ++i)
        EXPECT_EQ(sorted[i], i);
    EXPECT_NE(seen, sorted);   // shuffled
    for (int i = GradientNoise::kSize; i < GradientNoise::kTableSize; ++i) {
        EXPECT_EQ(noise.GetPermutation(i), noise.GetPermutation(i - GradientNoise::kSize));
        EXPECT_EQ(noise.GetGradient1D(i), noise.GetGradient1D(i - GradientNoise::kSize));
    }
    for (int i = 0; i < GradientNoise::kSize; ++i) {
        EXPECT_GE(noise.GetGradient1D(i), -1.0f);
        EXPECT_LT(noise.GetGradient1D(i), 1.0f);
        const auto& g = noise.GetGradient2D(i);
        const float length = std::sqrt(g[0] * g[0] + g[1] * g[1]);
        if (length >= GradientNoise::kMinNormalLength) {
            EXPECT_NEAR(length, 1.0f, 1e-5f);
        }
    }
}

TEST(GradientNoise, GradientsComeFromTheDrawsInOrder)
{
    // A random function that counts up: entry i draws 3i, 3i + 1, 3i + 2.
    int next = 0;
    GradientNoise noise([&next] { return next++; });
    EXPECT_EQ(noise.GetGradient1D(0), -1.0f);                     // (0 - 256) / 256
    EXPECT_EQ(noise.GetGradient1D(100), (300 - 256) / 256.0f);
    EXPECT_EQ(noise.GetGradient1D(200), (600 % 512 - 256) / 256.0f);
    EXPECT_EQ(next, 3 * 256 + 255);   // then one draw per swap, from the top down
}

TEST(GradientNoise, SameSeedSameNoise)
{
    GradientNoise a(SeededRandom(1234));
    GradientNoise b(SeededRandom(1234));
    GradientNoise c(SeededRandom(4321));
    bool differs = false;
    for (float x = -300.0f; x < 300.0f; x += 0.37f) {
        EXPECT_EQ(a.Noise1D(x), b.Noise1D(x));
        differs = differs || a.Noise1D(x) != c.Noise1D(x);
    }
    EXPECT_TRUE(differs);
}

TEST(GradientNoise, ZeroAtLatticePointsAndSmoothBetween)
{
    GradientNoise noise(SeededRandom(99));
    for (float x : {-513.0f, -1.0f, 0.0f, 1.0f, 255.0f, 256.0f, 1.0e9f})
        EXPECT_EQ(noise.Noise1D(x), 0.0f) << x;
    // Period 256: the lattice repeats.
    EXPECT_EQ(noise.Noise1D(3.25f), noise.Noise1D(259.25f));
    EXPECT_EQ(noise.Noise1D(-0.75f), noise.Noise1D(255.25f));
    // Near a lattice point the value is the gradient times the distance.
    const float g = noise.GetGradient1D(noise.GetPermutation(5));
    EXPECT_NEAR(noise.Noise1D(5.001f), 0.001f * g, 1e-5f);
    for (float x = 0.0f; x < 20.0f; x += 0.01f)
        EXPECT_LE(std::fabs(noise.Noise1D(x)), 1.0f);
}

TEST(GradientNoise, NonFiniteInputGivesZero)
{
    GradientNoise noise(SeededRandom(3));
    LogCapture log;
    EXPECT_EQ(noise.Noise1D(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(noise.Noise1D(std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(log.Lines().size(), 2u);
}

TEST(GradientNoise, GlobalTableIsStable)
{
    const float first = GradientNoise1D(12.3f);
    EXPECT_EQ(GradientNoise1D(12.3f), first);
    EXPECT_EQ(GradientNoise1D(12.0f), 0.0f);
}

}  // namespace
}  // namespace GAME
