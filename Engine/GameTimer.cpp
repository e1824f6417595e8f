#include "Engine/GameTimer.h"

#include "Engine/GameClock.h"

namespace GAME {

Timer::Timer(ClockKind clock) : m_clock(clock) { Reset(); }

uint32_t Timer::Now() const
{
    const GameClock& clock = GameClock::Get();
    return m_clock == Clock_Game ? clock.GetGameTime() : clock.GetRealTime();
}

void Timer::Reset()
{
    m_start = Now();
    m_lastUpdate = m_start;
    m_elapsed = 0;
}

void Timer::Update()
{
    const uint32_t now = Now();
    m_elapsed = now - m_lastUpdate;
    m_lastUpdate = now;
}

uint32_t Timer::GetTotalElapsedTime() const { return Now() - m_start; }

}  // namespace GAME
