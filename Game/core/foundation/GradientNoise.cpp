#include "Game/core/foundation/GradientNoise.h"

#include <cmath>
#include <utility>

#include "Engine/Engine.h"
#include "Engine/Random.h"

namespace GAME {

namespace {

constexpr unsigned kGradientSteps = 512;   // a gradient component is (r mod 512 - 256) / 256
constexpr float kGradientScale = 256.0f;
constexpr unsigned kShuffleMask = GradientNoise::kSize - 1;

// A gradient component in [-1, 1) from one random draw.
float GradientComponent(const GradientNoise::RandomFunction& random)
{
    const unsigned r = static_cast<unsigned>(random());
    return (static_cast<float>(r % kGradientSteps) - kGradientScale) / kGradientScale;
}

void Normalize(std::array<float, 2>& v)
{
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1]);
    if (length < GradientNoise::kMinNormalLength)
        return;
    v[0] /= length;
    v[1] /= length;
}

// The S-curve 3f^2 - 2f^3 that blends neighbouring gradients.
float SCurve(float f)
{
    return (3.0f - 2.0f * f) * f * f;
}

}  // namespace

GradientNoise::GradientNoise(const RandomFunction& random)
{
    for (int i = 0; i < kSize; ++i) {
        m_permutation[i] = i;
        m_gradient1[i] = GradientComponent(random);
        m_gradient2[i][0] = GradientComponent(random);
        m_gradient2[i][1] = GradientComponent(random);
        Normalize(m_gradient2[i]);
    }
    for (int i = kSize - 1; i > 0; --i) {
        const int j = static_cast<int>(static_cast<unsigned>(random()) & kShuffleMask);
        std::swap(m_permutation[i], m_permutation[j]);
    }
    for (int i = 0; i < kTableSize - kSize; ++i) {
        m_permutation[kSize + i] = m_permutation[i];
        m_gradient1[kSize + i] = m_gradient1[i];
        m_gradient2[kSize + i] = m_gradient2[i];
    }
}

float GradientNoise::Noise1D(float x) const
{
    if (!std::isfinite(x)) {
        gEngine->Log(LOG_WARNING, "GradientNoise: noise of a non-finite value (%f) is 0", static_cast<double>(x));
        return 0.0f;
    }
    const float whole = std::floor(x);
    // Reduced before the conversion so that any finite x has a lattice index.
    const int i = static_cast<int>(std::fmod(whole, static_cast<float>(kSize))) & kShuffleMask;
    const float f = x - whole;
    const float u = f * m_gradient1[m_permutation[i]];
    const float v = (f - 1.0f) * m_gradient1[m_permutation[i + 1]];
    return u + SCurve(f) * (v - u);
}

float GradientNoise1D(float x)
{
    static const GradientNoise table(GAME::rand);
    return table.Noise1D(x);
}

}  // namespace GAME
