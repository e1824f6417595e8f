// A stopwatch on game time: it stands still while the game is paused. Update marks the
// end of one measured step (a frame); the elapsed time is the length of that step, the
// total time everything since the last reset.
#pragma once

#include <cstdint>

namespace GAME {

class GameTimer {
public:
    // Starts at the current game time, as after Reset.
    GameTimer();

    // Both times back to 0 from now.
    void Reset();
    // Ends the current step: the elapsed time becomes the game time since the previous
    // Update (or the reset).
    void Update();

    // Milliseconds of the last completed step.
    uint32_t GetElapsedTime() const { return m_elapsed; }
    // Milliseconds of game time from the reset to now. The clock's milliseconds wrap
    // at 32 bits; both differences stay right across the wrap.
    uint32_t GetTotalTime() const;

private:
    uint32_t m_start = 0;
    uint32_t m_lastUpdate = 0;
    uint32_t m_elapsed = 0;
};

}  // namespace GAME
