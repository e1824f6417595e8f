#include "Engine/DropTally.h"

#include "Engine/Engine.h"

namespace GAME {

bool DropTally::AdmitIf(bool room, size_t held)
{
    if (!room) {
        if (m_run++ == 0)
            gEngine->Log(LOG_WARNING, "%s dropped: the queue is full with %zu", m_what, held);
        ++m_total;
        return false;
    }
    if (m_run > 1)
        gEngine->Log(LOG_WARNING, "%s: %zu more dropped while the queue was full", m_what, m_run - 1);
    m_run = 0;
    return true;
}

}  // namespace GAME
