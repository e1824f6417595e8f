#include "Engine/GameClock.h"

namespace GAME {

GameClock& GameClock::Get()
{
    static GameClock clock;
    return clock;
}

void GameClock::Advance(uint32_t ms)
{
    m_realTime += ms;
    if (!m_paused)
        m_gameTime += ms;
}

void GameClock::Reset()
{
    *this = GameClock();
}

}  // namespace GAME
