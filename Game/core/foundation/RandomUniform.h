// The seeded random generator of the game rules. Items, attacks and markets are rebuilt
// on every peer from a seed, so the sequence of draws is part of the wire and save
// contract: the step and draw arithmetic is the platform's (Engine/Random.h).
#pragma once

#include <atomic>
#include <cstdint>

#include "Engine/CriticalSection.h"
#include "Engine/Random.h"

namespace GAME {

class RandomUniform {
public:
    // Starts at state 0 (the fixed point: every draw gives the low end of its range)
    // until seeded, so an unseeded draw is still defined.
    RandomUniform() = default;
    RandomUniform(const RandomUniform&) = default;
    RandomUniform& operator=(const RandomUniform&) = default;
    virtual ~RandomUniform();

    // state = one step from `seed`; the first draw after Seed(s) uses two steps from s.
    virtual void Seed(unsigned long seed)
    {
        m_state = UniformRandom::Step(static_cast<uint32_t>(seed));
    }

    // One step, then min + (max - min) x u + 0.5 truncated toward zero.
    virtual int IGenerate(int min, int max)
    {
        m_state = UniformRandom::Step(m_state);
        return UniformRandom::IntFromState(m_state, min, max);
    }

    // One step, then min + (max - min) x u rounded to float; may equal max.
    virtual float FGenerate(float min, float max)
    {
        m_state = UniformRandom::Step(m_state);
        return UniformRandom::FloatFromState(m_state, min, max);
    }

protected:
    // Takes `steps` steps, as that many draws would, without computing their values.
    void Advance(uint32_t steps)
    {
        for (; steps != 0; --steps)
            m_state = UniformRandom::Step(m_state);
    }

private:
    uint32_t m_state = 0;
};

// The same generator behind its own lock, for one generator shared between threads
// (the game engine's).
class RandomUniformLocked : public RandomUniform {
public:
    RandomUniformLocked() = default;
    RandomUniformLocked(const RandomUniformLocked&) = delete;
    RandomUniformLocked& operator=(const RandomUniformLocked&) = delete;

    void Seed(unsigned long seed) override
    {
        CriticalSectionLock lock(m_lock);
        m_skipped.store(0, std::memory_order_relaxed);   // the seed replaces whatever they stepped
        RandomUniform::Seed(seed);
    }
    int IGenerate(int min, int max) override
    {
        CriticalSectionLock lock(m_lock);
        CatchUp();
        return RandomUniform::IGenerate(min, max);
    }
    float FGenerate(float min, float max) override
    {
        CriticalSectionLock lock(m_lock);
        CatchUp();
        return RandomUniform::FGenerate(min, max);
    }
    // One draw whose value nobody reads. Its step is owed rather than taken under the lock:
    // the next draw takes every owed step first, so each draw gives what it would have
    // given had the skipped ones been drawn in their place.
    void Skip() { m_skipped.fetch_add(1, std::memory_order_relaxed); }

private:
    void CatchUp()
    {
        if (m_skipped.load(std::memory_order_relaxed) != 0)
            Advance(m_skipped.exchange(0, std::memory_order_relaxed));
    }

    CriticalSection m_lock;
    std::atomic<uint32_t> m_skipped{0};
};

// While one lives, the game rules' draws on this thread come from `stream` instead of the
// game engine's shared generator (GameEngine::GetRandomGen). What is drawn on behalf of one
// party alone, such as a player that joined from another peer, then leaves the world's
// sequence as it was, whatever frame it happens in. A null stream keeps the current source;
// scopes nest, and each gives back the source it found.
class RandomStreamScope {
public:
    explicit RandomStreamScope(RandomUniform* stream);
    ~RandomStreamScope();
    RandomStreamScope(const RandomStreamScope&) = delete;
    RandomStreamScope& operator=(const RandomStreamScope&) = delete;

    // The stream this thread draws from now; null for the shared generator.
    static RandomUniform* Current();

private:
    RandomUniform* m_previous;
};

}  // namespace GAME
