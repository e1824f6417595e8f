// One draw of the game's seeded generator beside the standard minimal-standard generator,
// raw and through the standard distributions, in the same run.
#include <benchmark/benchmark.h>

#include <random>

#include "Game/core/foundation/RandomUniform.h"

namespace {

constexpr unsigned long kSeed = 12345;

// kHidden: the generator is reached through a pointer the compiler cannot see behind,
// so the draw is a real virtual call, as for callers handed the generator by reference.
template <bool kHidden, class Draw>
void DrawLoop(benchmark::State& state, Draw draw)
{
    GAME::RandomUniform local;
    local.Seed(kSeed);
    GAME::RandomUniform* rng = &local;
    if constexpr (kHidden)
        benchmark::DoNotOptimize(rng);
    for (auto _ : state)
        benchmark::DoNotOptimize(draw(*rng));
}

int DrawInt(GAME::RandomUniform& rng)
{
    return rng.IGenerate(1, 100);
}

float DrawFloat(GAME::RandomUniform& rng)
{
    return rng.FGenerate(0.0f, 100.0f);
}

void BM_RandomUniform_IGenerate(benchmark::State& state) { DrawLoop<false>(state, DrawInt); }
void BM_RandomUniform_FGenerate(benchmark::State& state) { DrawLoop<false>(state, DrawFloat); }
void BM_RandomUniform_IGenerate_Virtual(benchmark::State& state) { DrawLoop<true>(state, DrawInt); }
void BM_RandomUniform_FGenerate_Virtual(benchmark::State& state) { DrawLoop<true>(state, DrawFloat); }
BENCHMARK(BM_RandomUniform_IGenerate);
BENCHMARK(BM_RandomUniform_FGenerate);
BENCHMARK(BM_RandomUniform_IGenerate_Virtual);
BENCHMARK(BM_RandomUniform_FGenerate_Virtual);

void BM_MinstdRand_Raw(benchmark::State& state)
{
    std::minstd_rand rng(kSeed);
    for (auto _ : state)
        benchmark::DoNotOptimize(rng());
}
BENCHMARK(BM_MinstdRand_Raw);

void BM_MinstdRand_UniformInt(benchmark::State& state)
{
    std::minstd_rand rng(kSeed);
    std::uniform_int_distribution<int> dist(1, 100);
    for (auto _ : state)
        benchmark::DoNotOptimize(dist(rng));
}
BENCHMARK(BM_MinstdRand_UniformInt);

void BM_MinstdRand_UniformReal(benchmark::State& state)
{
    std::minstd_rand rng(kSeed);
    std::uniform_real_distribution<float> dist(0.0f, 100.0f);
    for (auto _ : state)
        benchmark::DoNotOptimize(dist(rng));
}
BENCHMARK(BM_MinstdRand_UniformReal);

}  // namespace
