// One spawn proxy's run: made from its record (its pool of 30 regular and 30 champion
// entries loaded, the budget worked out by formula, the monsters made) and its first update
// (the places found round it and the monsters put into the world). The records are cached
// before timing. The entries are light objects (the proxy's own work) or the bundled arena
// monster (with what making a monster costs). Clearing away is not timed.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/core/GameEngine.h"
#include "Game/world/Proxy.h"

namespace {

using namespace GAME;

constexpr int kEntries = 30;

void RegisterRecords(const std::string& entry)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Bench/Light.dbr", "Class,Actor,\ncharLevel,4;6;8,\n");
    records.RegisterRecord("Records/Bench/Difficulty.dbr",
                           "difficultyEquation,averagePlayerLevel*4,\ncharacterDifficultyEquation,characterLevel+entryDifficulty,\n"
                           "championDifficultyEquation,availableChampionDifficulty/3,\n");
    records.RegisterRecord("Records/Bench/Limits.dbr",
                           "minPlayerLevelEquationNormal,minPlayerLevel+2,\nmaxPlayerLevelEquationNormal,maxPlayerLevel+10,\n");
    std::string pool = "spawnMin,4,\nspawnMax,8,\nchampionMin,1,\nchampionMax,2,\n";
    for (int i = 1; i <= kEntries; ++i) {
        const std::string n = std::to_string(i);
        pool += "name" + n + "," + entry + ",\nweight" + n + "," + std::to_string(10 + i) + ",\ndifficulty" + n + "," +
                std::to_string(i % 7) + ",\n";
        pool += "nameChampion" + n + "," + entry + ",\nweightChampion" + n + ",5,\ndifficultyChampion" + n + "," +
                std::to_string(5 + i % 5) + ",\n";
    }
    records.RegisterRecord("Records/Bench/Pool.dbr", pool);
    records.RegisterRecord("Records/Bench/Proxy.dbr",
                           "Class,Proxy,\npool1,Records/Bench/Pool.dbr,\nweight1,1,\n"
                           "difficultyEquationFile,Records/Bench/Difficulty.dbr,\n"
                           "difficultyLimitsFile,Records/Bench/Limits.dbr,\n");
}

void RunProxies(benchmark::State& state, const std::string& entry)
{
    gEngine->SetLogSink([](const LogLine&) {});
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    InitializeObjects();
    RegisterRecords(entry);
    Region* region = World::Get().AddRegion(1, "Field");
    ObjectManager& objects = ObjectManager::Get();
    // Cache every record before timing: one run, thrown away.
    auto runOnce = [&]() {
        auto* proxy = objects.CreateObjectFromFile<Proxy>("Records/Bench/Proxy.dbr");
        World::Get().SetCoords(proxy, WorldCoords(region, Coords::MakeTranslation({0.0f, 0.0f, 0.0f})));
        proxy->InitialUpdate();
        return proxy;
    };
    auto clear = [&](Proxy* proxy) {
        std::vector<uint32_t> placed;
        proxy->GetPlacedObjects(placed);
        for (uint32_t id : placed)
            if (Object* object = objects.GetObject(id))
                objects.DestroyObjectEx(object, __FILE__, __LINE__);
        objects.DestroyObjectEx(proxy, __FILE__, __LINE__);
        objects.FlushDestroyedObjects();
    };
    clear(runOnce());
    size_t placedTotal = 0;
    for (auto _ : state) {
        Proxy* proxy = runOnce();
        state.PauseTiming();
        std::vector<uint32_t> placed;
        proxy->GetPlacedObjects(placed);
        placedTotal += placed.size();
        clear(proxy);
        state.ResumeTiming();
    }
    state.counters["placed"] = benchmark::Counter(static_cast<double>(placedTotal), benchmark::Counter::kAvgIterations);
    ShutdownObjects();
    objects.DestroyAllObjects();
    World::Get().Reset();
    RecordDatabase::Get().Clear();
}

void BM_ProxyRunLightEntries(benchmark::State& state) { RunProxies(state, "Records/Bench/Light.dbr"); }
void BM_ProxyRunArenaMonsters(benchmark::State& state) { RunProxies(state, "Records/Creatures/ArenaMonster.dbr"); }
BENCHMARK(BM_ProxyRunLightEntries)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProxyRunArenaMonsters)->Unit(benchmark::kMicrosecond);

}  // namespace
