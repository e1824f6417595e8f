#include "Engine/GameTimer.h"

#include "Engine/GameClock.h"

namespace GAME {

GameTimer::GameTimer() { Reset(); }

void GameTimer::Reset()
{
    m_start = GameClock::Get().GetGameTime();
    m_lastUpdate = m_start;
    m_elapsed = 0;
}

void GameTimer::Update()
{
    const uint32_t now = GameClock::Get().GetGameTime();
    m_elapsed = now - m_lastUpdate;
    m_lastUpdate = now;
}

uint32_t GameTimer::GetTotalTime() const { return GameClock::Get().GetGameTime() - m_start; }

}  // namespace GAME
