// InterpenetrationManager::FixupCharacterCollisions over 50, 100 and 200 characters that
// the camera sees, standing on a grid 1.6 apart (none touching) with four pairs pushed
// into each other before every call: the pair loop sees the whole crowd and a few
// overlaps to resolve, as in a fight. The overlaps are laid again between calls, untimed.
#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Engine/WorldCamera.h"
#include "Game/characters/InterpenetrationManager.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameCamera.h"
#include "Game/core/GameEngine.h"

namespace {

using namespace GAME;

constexpr const char* kMonsterRecord = "Records/Creatures/ArenaMonster.dbr";
constexpr int kColumns = 10;
constexpr float kSpacing = 1.6f;
constexpr float kNearRow = -10.0f;   // the grid reaches away from the camera from here
constexpr int kOverlappingPairs = 4;
constexpr float kOverlapGap = 0.7f;  // two small bodies need 1.0

// The bundled data by the full path the build gives, wherever the program is run from.
std::string DataRoot() { return GAME_DATA_DIR; }

class Crowd {
public:
    explicit Crowd(int count)
    {
        RecordDatabase::Get().SetDataRoot(DataRoot());
        InitializeObjects();
        m_region = World::Get().AddRegion(1, "Field");
        for (int i = 0; i < count; ++i) {
            auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>(kMonsterRecord);
            if (!monster)
                return;
            monster->SetExtentsSmall();
            m_characters.push_back(monster);
            World::Get().AddEntity(monster, WorldCoords(m_region, Coords::MakeTranslation(GridPoint(i))));
        }
        // Looking level along -z from 10 behind the origin.
        m_camera.SetTarget(WorldVec3(m_region, Vec3(0.0f, 0.0f, 0.0f)));
        m_camera.SetCameraPitch(0.0f);
        m_camera.SetCameraYaw(0.0f);
        m_camera.SetCameraDistance(10.0f);
        m_camera.Update();
    }
    ~Crowd()
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
    }
    Crowd(const Crowd&) = delete;
    Crowd& operator=(const Crowd&) = delete;

    // Every character was made and the camera sees them all.
    bool IsComplete(int count) const
    {
        WorldFrustum frustum;
        m_camera.GetFrustum(frustum, Viewport{});
        std::vector<Entity*> seen;
        World::Get().GetEntitiesInFrustum(seen, frustum, EntityList_Dynamic);
        if (static_cast<int>(m_characters.size()) != count || static_cast<int>(seen.size()) != count)
            std::fprintf(stderr, "made %zu, seen %zu of %d\n", m_characters.size(), seen.size(), count);
        return static_cast<int>(m_characters.size()) == count && static_cast<int>(seen.size()) == count;
    }

    // Each pair: the first back on its grid point, the second kOverlapGap beside it.
    void LayOverlaps()
    {
        const int step = static_cast<int>(m_characters.size()) / kOverlappingPairs;
        for (int pair = 0; pair < kOverlappingPairs; ++pair) {
            const int first = pair * step + (pair % 2) * kColumns;
            Place(first, GridPoint(first));
            Place(first + 1, GridPoint(first) + Vec3(kOverlapGap, 0.0f, 0.0f));
        }
    }

    void Fixup() { m_manager.FixupCharacterCollisions(m_camera); }

private:
    static Vec3 GridPoint(int i)
    {
        const float x = (static_cast<float>(i % kColumns) - 0.5f * (kColumns - 1)) * kSpacing;
        return Vec3(x, 0.0f, kNearRow - static_cast<float>(i / kColumns) * kSpacing);
    }
    void Place(int i, const Vec3& at)
    {
        World::Get().SetCoords(m_characters[static_cast<size_t>(i)], WorldCoords(m_region, Coords::MakeTranslation(at)));
    }

    Region* m_region = nullptr;
    std::vector<Character*> m_characters;
    GameCamera m_camera;
    InterpenetrationManager m_manager;
};

void BM_FixupCharacterCollisions(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    Crowd crowd(count);
    if (!crowd.IsComplete(count)) {
        state.SkipWithError("the characters did not load or are not all in view");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        crowd.LayOverlaps();
        state.ResumeTiming();
        crowd.Fixup();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_FixupCharacterCollisions)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace
