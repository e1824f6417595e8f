// Look-up by object id: the object manager (plain and typed) beside std::unordered_map
// holding the same ids, visited in the same shuffled order, one size at a time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <unordered_map>
#include <vector>

#include "Engine/ObjectManager.h"

namespace GAME {

class BenchItem : public Object {
    GAME_DECLARE_CLASS(BenchItem)
};
class BenchWeapon : public BenchItem {
    GAME_DECLARE_CLASS(BenchWeapon)
};
GAME_IMPLEMENT_CLASS(BenchItem, Object)
GAME_IMPLEMENT_CLASS(BenchWeapon, BenchItem)

namespace {

struct Population {
    size_t count = 0;
    std::vector<uint32_t> order;
    std::unordered_map<uint32_t, Object*> map;
};

// The object manager holds exactly `count` live objects and the map the same ids, so
// each look-up is measured beside its peer at the same size. Built again only when the
// size changes; the benchmarks of one size are registered together.
const Population& Populate(size_t count)
{
    static Population population;
    if (population.count == count)
        return population;
    ObjectManager& manager = ObjectManager::Get();
    manager.DestroyAllObjects();
    population = Population{};
    population.count = count;
    population.map.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        Object* object = manager.CreateObject("BenchWeapon");
        population.order.push_back(object->GetObjectId());
        population.map.emplace(object->GetObjectId(), object);
    }
    std::mt19937 shuffle(12345);
    std::shuffle(population.order.begin(), population.order.end(), shuffle);
    return population;
}

void BM_UnorderedMapFind(benchmark::State& state)
{
    const Population& population = Populate(static_cast<size_t>(state.range(0)));
    size_t i = 0;
    const size_t n = population.order.size();
    for (auto _ : state) {
        auto it = population.map.find(population.order[i]);
        benchmark::DoNotOptimize(it->second);
        if (++i == n)
            i = 0;
    }
}

void BM_ObjectManagerGetObject(benchmark::State& state)
{
    const Population& population = Populate(static_cast<size_t>(state.range(0)));
    ObjectManager& manager = ObjectManager::Get();
    size_t i = 0;
    const size_t n = population.order.size();
    for (auto _ : state) {
        benchmark::DoNotOptimize(manager.GetObject(population.order[i]));
        if (++i == n)
            i = 0;
    }
}

void BM_ObjectManagerGetObjectTyped(benchmark::State& state)
{
    const Population& population = Populate(static_cast<size_t>(state.range(0)));
    ObjectManager& manager = ObjectManager::Get();
    size_t i = 0;
    const size_t n = population.order.size();
    for (auto _ : state) {
        benchmark::DoNotOptimize(manager.GetObject<BenchItem>(population.order[i]));
        if (++i == n)
            i = 0;
    }
}

}  // namespace

BENCHMARK(BM_UnorderedMapFind)->Arg(1000);
BENCHMARK(BM_ObjectManagerGetObject)->Arg(1000);
BENCHMARK(BM_ObjectManagerGetObjectTyped)->Arg(1000);
BENCHMARK(BM_UnorderedMapFind)->Arg(65536);
BENCHMARK(BM_ObjectManagerGetObject)->Arg(65536);
BENCHMARK(BM_ObjectManagerGetObjectTyped)->Arg(65536);
BENCHMARK(BM_UnorderedMapFind)->Arg(1 << 20);
BENCHMARK(BM_ObjectManagerGetObject)->Arg(1 << 20);
BENCHMARK(BM_ObjectManagerGetObjectTyped)->Arg(1 << 20);

}  // namespace GAME
