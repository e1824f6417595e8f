#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

// Out of line so the virtual table is emitted once, in this library.
RandomUniform::~RandomUniform() = default;

namespace {
thread_local RandomUniform* tScopedRandomStream = nullptr;
}

RandomStreamScope::RandomStreamScope(RandomUniform* stream) : m_previous(tScopedRandomStream)
{
    if (stream)
        tScopedRandomStream = stream;
}

RandomStreamScope::~RandomStreamScope() { tScopedRandomStream = m_previous; }

RandomUniform* RandomStreamScope::Current() { return tScopedRandomStream; }

}  // namespace GAME
