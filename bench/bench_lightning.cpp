// Lightning: one bolt of 16 segments made from its seed, and a storm of 20 effects of
// three bolts each (tendrils on) aged through whole engine frames of 16 ms until every
// bolt has ended.
#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/world/Lightning.h"

namespace {

using namespace GAME;

Region* LightningRegion()
{
    static Region* region = [] {
        gEngine->SetLogSink([](const LogLine&) {});
        InitializeObjects();
        RecordDatabase::Get().RegisterRecord("Records/Bench/Storm.dbr",
                                             "Class,Lightning,\nnumberOfBolts,3,\ngenerateTendrils,1,\n"
                                             "timeMin,0.3,\ntimeMax,0.6,\n");
        return World::Get().AddRegion(1, "Bench");
    }();
    return region;
}

void BM_LightningGenerate(benchmark::State& state)
{
    Region* region = LightningRegion();
    auto* bolt = DynamicCast<Lightning>(ObjectManager::Get().CreateObject("Lightning"));
    const WorldVec3 from(region, Vec3(0, 0, 0)), to(region, Vec3(100, 10, 40));
    SeedProcessRandom(1);
    int made = 0;
    for (auto _ : state) {
        if (++made == 1000) {   // a fresh effect keeps the lists short
            ObjectManager::Get().DestroyObjectEx(bolt, "bench", __LINE__);
            ObjectManager::Get().FlushDestroyedObjects();
            bolt = DynamicCast<Lightning>(ObjectManager::Get().CreateObject("Lightning"));
            made = 0;
        }
        bolt->Generate(from, to, false, 0, Color{}, 500, 0.1f);
        benchmark::DoNotOptimize(bolt->GetPolylines().back().data());
    }
    ObjectManager::Get().DestroyObjectEx(bolt, "bench", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
}
BENCHMARK(BM_LightningGenerate);

void BM_LightningStorm(benchmark::State& state)
{
    Region* region = LightningRegion();
    SeedProcessRandom(2);
    for (auto _ : state) {
        for (int i = 0; i < 20; ++i) {
            auto* storm = ObjectManager::Get().CreateObjectFromFile<Lightning>("Records/Bench/Storm.dbr");
            storm->SetTarget(WorldVec3(region, Vec3(i * 5.0f, 0, 0)), WorldVec3(region, Vec3(i * 5.0f, 0, 60)));
            World::Get().AddEntity(storm, WorldCoords(region, Coords::MakeTranslation({i * 5.0f, 0, 0})));
        }
        while (World::Get().GetEntityCount() > 0) {
            gEngine->UpdateFrame(16);
            ObjectManager::Get().FlushDestroyedObjects();
        }
    }
}
BENCHMARK(BM_LightningStorm)->Unit(benchmark::kMicrosecond);

}  // namespace
