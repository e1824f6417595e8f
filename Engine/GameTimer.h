// Stopwatches: a Timer runs on real time, which always runs; a GameTimer on game time,
// which stands still while the game is paused. Update marks the end of one measured step
// (a frame); the elapsed time is the length of that step, the total elapsed time
// everything since the last reset.
#pragma once

#include <cstdint>

namespace GAME {

class Timer {
public:
    // Starts at the current time, as after Reset.
    Timer() : Timer(Clock_Real) {}

    // Both times back to 0 from now.
    void Reset();
    // Ends the current step: the elapsed time becomes the time since the previous Update
    // (or the reset).
    void Update();

    // Milliseconds of the last completed step.
    uint32_t GetElapsedTime() const { return m_elapsed; }
    // Milliseconds from the reset to now. The clock's milliseconds wrap at 32 bits; both
    // differences stay right across the wrap.
    uint32_t GetTotalElapsedTime() const;

protected:
    enum ClockKind { Clock_Real, Clock_Game };
    explicit Timer(ClockKind clock);

private:
    uint32_t Now() const;

    ClockKind m_clock;
    uint32_t m_start = 0;
    uint32_t m_lastUpdate = 0;
    uint32_t m_elapsed = 0;
};

class GameTimer : public Timer {
public:
    GameTimer() : Timer(Clock_Game) {}
};

}  // namespace GAME
