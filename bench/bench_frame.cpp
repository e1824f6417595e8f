// One game-core frame of 16 ms with no world and no main player: the cost of the
// engine's own steps, the baseline that frames with a world are measured against.
#include <benchmark/benchmark.h>

#include "Game/core/GameEngine.h"

namespace {

void BM_GameEngineUpdateEmpty(benchmark::State& state)
{
    InitializeObjects();
    GAME::GameEngine* engine = GAME::gGameEngine;
    for (auto _ : state)
        engine->Update(16);
    // The play timer saturates rather than wrapping however many frames run.
    benchmark::DoNotOptimize(engine->GetTutorialWatch().playTimer);
    ShutdownObjects();
}
BENCHMARK(BM_GameEngineUpdateEmpty);

}  // namespace
