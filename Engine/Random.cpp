#include "Engine/Random.h"

#include <atomic>

namespace GAME {

namespace {
std::atomic<uint32_t> gRandState{1};
}

int rand()
{
    // A linear congruential generator whose bits 16..30 are the result.
    uint32_t state = gRandState.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = state * 214013u + 2531011u;
    } while (!gRandState.compare_exchange_weak(state, next, std::memory_order_relaxed));
    return static_cast<int>((next >> 16) & 0x7fffu);
}

void srand(unsigned int seed)
{
    gRandState.store(seed, std::memory_order_relaxed);
}

}  // namespace GAME
