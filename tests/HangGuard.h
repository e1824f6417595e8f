// A guard for the tests' waits on other processes and the network.
#pragma once

#include <chrono>

namespace GAME {

// Ends a wait that would never end, never one that is only slow: a wait that runs frames
// until what it waits for has happened gives up only once it has run `frameLimit` frames
// AND `ms` of wall time have passed, however slow a loaded machine makes either.
class HangGuard {
public:
    HangGuard(int frameLimit, int ms) : m_frameLimit(frameLimit), m_ms(ms) {}
    bool Expired(int frames) const
    {
        return frames >= m_frameLimit && std::chrono::steady_clock::now() - m_start > std::chrono::milliseconds(m_ms);
    }

private:
    int m_frameLimit;
    int m_ms;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace GAME
