// Counts every heap allocation of a benchmark program: include it in exactly one source
// of the program, and read gAllocations before and after the measured loop.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

#include <benchmark/benchmark.h>

inline std::atomic<long long> gAllocations{0};

// The replacements pair malloc with free; g++ cannot see that through the inlined
// replacement and would warn of a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

// The allocations made since `before`, per iteration of the state's loop.
inline void ReportAllocations(benchmark::State& state, long long before, const char* counter = "allocs_per_iter")
{
    const long long made = gAllocations.load(std::memory_order_relaxed) - before;
    state.counters[counter] = benchmark::Counter(static_cast<double>(made) / static_cast<double>(state.iterations()));
}
