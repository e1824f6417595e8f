// The engine's clocks: real time, which always runs, and game time, which stands still
// while the game is paused. The engine's frame advances both by the frame's elapsed
// milliseconds; timers (GameTimer.h) measure either from their last reset.
#pragma once

#include <cstdint>

namespace GAME {

class GameClock {
public:
    static GameClock& Get();

    // One frame's worth of time: real time always, game time unless paused.
    void Advance(uint32_t ms);

    uint32_t GetRealTime() const { return m_realTime; }
    uint32_t GetGameTime() const { return m_gameTime; }

    void SetPaused(bool paused) { m_paused = paused; }
    bool IsPaused() const { return m_paused; }

    // Both clocks back to 0, running (tests, level unload).
    void Reset();

private:
    uint32_t m_realTime = 0;
    uint32_t m_gameTime = 0;
    bool m_paused = false;
};

}  // namespace GAME
