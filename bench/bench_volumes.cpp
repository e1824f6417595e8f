// Trigger volumes over a field of entities: 100 to 1,000 volumes of radius 4 on a grid 10
// apart, 1,000 to 5,000 point entities strewn over the same field, and one engine frame of
// 16 ms each iteration (every actor walked, every volume asking the world's spatial index
// for the entities in its sphere and merging them with those it held). A sixteenth of the
// entities step across the field each frame, so volumes see enters and exits.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/core/GameEngine.h"
#include "Game/world/BoundingVolume.h"

namespace {

using namespace GAME;

constexpr float kVolumeSpacing = 10.0f;
constexpr float kVolumeRadius = 4.0f;
constexpr int kMovingShare = 16;   // one entity in this many moves each frame

class Field {
public:
    Field(int volumes, int entities)
    {
        InitializeObjects();
        m_region = World::Get().AddRegion(1, "Field");
        RecordDatabase::Get().RegisterRecord("Records/Bench/Volume.dbr",
                                             "Class,BoundingVolume,\nradius," + std::to_string(kVolumeRadius) + ",\n");
        int side = 1;
        while (side * side < volumes)
            ++side;
        m_extent = static_cast<float>(side) * kVolumeSpacing;
        for (int i = 0; i < volumes; ++i) {
            auto* volume = ObjectManager::Get().CreateObjectFromFile<BoundingVolume>("Records/Bench/Volume.dbr");
            World::Get().AddEntity(volume, At(static_cast<float>(i % side) * kVolumeSpacing,
                                              static_cast<float>(i / side) * kVolumeSpacing));
        }
        uint32_t state = 12345;
        for (int i = 0; i < entities; ++i) {
            auto* entity = DynamicCast<Entity>(ObjectManager::Get().CreateObject("Actor"));
            World::Get().AddEntity(entity, At(Next(state), Next(state)));
            m_entities.push_back(entity);
        }
        gEngine->UpdateFrame(16);   // every volume's first update: who is inside from the start
    }
    ~Field()
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
    }
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    void Frame()
    {
        for (size_t i = m_frame % kMovingShare; i < m_entities.size(); i += kMovingShare)
            World::Get().SetCoords(m_entities[i], At(Next(m_moves), Next(m_moves)));
        ++m_frame;
        gEngine->UpdateFrame(16);
    }

private:
    WorldCoords At(float x, float z) const { return WorldCoords(m_region, Coords::MakeTranslation({x, 0.0f, z})); }
    // A point of the field from a small generator of our own, the same every run.
    float Next(uint32_t& state) const
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 24) * m_extent;
    }

    Region* m_region = nullptr;
    float m_extent = 0.0f;
    std::vector<Entity*> m_entities;
    size_t m_frame = 0;
    uint32_t m_moves = 777;
};

void BM_VolumeFrame(benchmark::State& state)
{
    gEngine->SetLogSink([](const LogLine&) {});
    Field field(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state)
        field.Frame();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_VolumeFrame)
    ->Args({100, 1000})
    ->Args({100, 5000})
    ->Args({1000, 1000})
    ->Args({1000, 5000})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
