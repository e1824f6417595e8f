// Gradient noise: smooth pseudo-random values from a table of gradients over a shuffled
// permutation, built once from a random function.
#pragma once

#include <array>
#include <functional>

namespace GAME {

class GradientNoise {
public:
    static constexpr int kSize = 256;                   // lattice points before repeating
    static constexpr int kTableSize = 2 * kSize + 2;    // the permutation stored twice, plus two
    static constexpr float kMinNormalLength = 0.0001f;  // shorter gradients stay as drawn

    // Each call gives a non-negative random number (the platform's rand() by default).
    using RandomFunction = std::function<int()>;

    explicit GradientNoise(const RandomFunction& random);

    // Noise at x: zero at every whole x, smooth in between. Non-finite x gives 0.
    float Noise1D(float x) const;

    int GetPermutation(int index) const { return m_permutation[index]; }
    float GetGradient1D(int index) const { return m_gradient1[index]; }
    const std::array<float, 2>& GetGradient2D(int index) const { return m_gradient2[index]; }

private:
    std::array<int, kTableSize> m_permutation{};
    std::array<float, kTableSize> m_gradient1{};
    std::array<std::array<float, 2>, kTableSize> m_gradient2{};
};

// Noise at x from the global table, built from the platform's rand() on first use.
float GradientNoise1D(float x);

}  // namespace GAME
