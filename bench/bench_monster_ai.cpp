// The monster controller's think: 50, 200 and 1,000 monsters of the bundled arena record,
// driven by the monster controller, in packs of 50 that each face 4, 5 or 50 foes in view
// (every monster sees its pack and its foes; the 4 stand 8 units off, mostly out of reach, so
// that the monsters pursue them every frame), for 10 simulated
// seconds of 16 ms frames (625 frames, after a warm-up). Every frame every monster's
// controller runs its timers, its 200 ms anger and enemy ticks and its state machine (the
// monster states: pursuit, attack and the rest). Reported: ns per monster-frame, sight
// queries, the pursuits' barrier and range tests, and allocations per frame.
//
// The crowd case: 100 attackers on one player, each asking every frame for an attack slot
// around it and for a move goal spread among the others' goals.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "AllocationCounter.h"
#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"
#include "Game/ai/MovementGoalManager.h"
#include "Game/ai/SlotManager.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"

namespace {

using namespace GAME;

constexpr const char* kMonsterRecord = "Records/Creatures/ArenaMonster.dbr";
constexpr const char* kBenchAIRecord = "Records/Bench/MonsterAI.dbr";
constexpr int kFrameMs = 16;
constexpr int kSimulatedFrames = 625;   // 10 s
constexpr int kWarmUpFrames = 30;
constexpr int kPackSize = 50;
constexpr float kPackSpacing = 60.0f;

std::string DataRoot() { return GAME_DATA_DIR; }

class Horde {
public:
    // The foes stand in a ring of `ring` units round their pack's middle.
    Horde(int monsters, int foes, float ring = 2.0f)
    {
        RecordDatabase::Get().SetDataRoot(DataRoot());
        InitializeObjects();
        m_region = World::Get().AddRegion(1, "Field");
        // The default AI's sight anger is slower than its forgiving: seen foes alone never
        // anger it. These monsters anger at sight, so their targets change as they think.
        RecordDatabase::Get().RegisterRecord(kBenchAIRecord, "Class,ControllerMonster,\nSightAngerRate,100,\n"
                                                             "InnerSightAngerRate,100,\nForgiveRate,10,\n");
        const LoadTable* keys = ObjectManager::Get().LoadTableFile(kBenchAIRecord);
        // The monsters stand in packs of kPackSize on a grid 1.5 apart, the packs 60 units
        // apart along x; each pack has its own `foes` in a ring at its middle, so every
        // monster sees its pack and its foes, and nothing of the other packs.
        for (int i = 0; i < monsters; ++i) {
            auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>(kMonsterRecord);
            if (!monster)
                return;
            const int pack = i / kPackSize, place = i % kPackSize;
            const float x = kPackSpacing * static_cast<float>(pack) + (static_cast<float>(place % 7) - 3.0f) * 1.5f;
            const float z = (static_cast<float>(place / 7) - 3.5f) * 1.5f;
            World::Get().AddEntity(monster, WorldCoords(m_region, Coords::MakeTranslation({x, 0.0f, z})));
            monster->GetCharacterBio().InitialUpdate(*monster);
            monster->GetCharacterBio().Update(*monster, 0);
            auto* controller = monster->GetMonsterController();
            if (!controller || !keys)
                return;
            controller->Load(*keys);
            controller->AttachParent(monster->GetObjectId());
            m_controllers.push_back(controller);
        }
        const int packs = (monsters + kPackSize - 1) / kPackSize;
        for (int pack = 0; pack < packs; ++pack) {
            for (int i = 0; i < foes; ++i) {
                auto* foe = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
                const float angle = static_cast<float>(i) * 0.7f;
                const Vec3 at{kPackSpacing * static_cast<float>(pack) + ring * std::cos(angle), 0.0f,
                              ring * std::sin(angle)};
                World::Get().AddEntity(foe, WorldCoords(m_region, Coords::MakeTranslation(at)));
                foe->SetTeam(TeamManager::DefaultPlayerTeam());
                // A player has room round it for attackers: those who get none wait.
                foe->GetAttackSlots().SetNumSlots(SlotManager::kMaxSlots);
            }
        }
    }
    ~Horde()
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
    }
    Horde(const Horde&) = delete;
    Horde& operator=(const Horde&) = delete;

    size_t Size() const { return m_controllers.size(); }
    // The world's animations do not run here: the end of each monster's spawn animation
    // is handed to its controller, which takes it from its start-up to its idle.
    void EndSpawnAnimations()
    {
        for (ControllerMonster* controller : m_controllers)
            controller->HandleEvent(Actor::EndEvent());
    }
    void Frame()
    {
        for (ControllerMonster* controller : m_controllers)
            controller->Update(kFrameMs);
    }
    // Whether the anger ticks saw the foes: every monster is angry at someone.
    bool EveryoneIsAngry() const
    {
        for (ControllerMonster* controller : m_controllers)
            if (controller->GetAngerManager().GetEntryCount() == 0)
                return false;
        return true;
    }

private:
    Region* m_region = nullptr;
    std::vector<ControllerMonster*> m_controllers;
};

void BM_MonsterThink(benchmark::State& state)
{
    const int monsters = static_cast<int>(state.range(0));
    const int foes = static_cast<int>(state.range(1));
    // A ring beyond the monsters' reach keeps them pursuing: the world does not move them.
    Horde horde(monsters, foes, static_cast<float>(state.range(2)));
    if (static_cast<int>(horde.Size()) != monsters) {
        state.SkipWithError("the monsters did not load");
        return;
    }
    horde.Frame();
    horde.EndSpawnAnimations();
    for (int i = 1; i < kWarmUpFrames; ++i)
        horde.Frame();
    if (!horde.EveryoneIsAngry()) {
        state.SkipWithError("the monsters do not see their foes");
        return;
    }
    const long long before = gAllocations.load(std::memory_order_relaxed);
    ControllerMonsterStatePursue::Counters& pursuits = ControllerMonsterStatePursue::GetCounters();
    const ControllerMonsterStatePursue::Counters start = pursuits;
    for (auto _ : state)
        horde.Frame();
    ReportAllocations(state, before, "allocs_per_frame");
    const double frames = static_cast<double>(state.iterations());
    // The pursuing monsters' per-frame tests: the barrier ray and the skill's reach.
    state.counters["barrier_tests_per_frame"] = static_cast<double>(pursuits.barrierTests - start.barrierTests) / frames;
    state.counters["range_tests_per_frame"] = static_cast<double>(pursuits.rangeTests - start.rangeTests) / frames;
    state.counters["ns_per_monster_frame"] =
        benchmark::Counter(frames * monsters, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    // Each 200 ms tick asks the world once for the foes in view (the anger tick); the
    // closest-enemy search is off without a fleeing state.
    state.counters["sight_queries_per_frame"] = static_cast<double>(monsters) * kFrameMs / ControllerMonster::kTickMs;
}
BENCHMARK(BM_MonsterThink)
    ->Args({50, 5, 2})
    ->Args({50, 50, 2})
    ->Args({200, 5, 2})
    ->Args({200, 50, 2})
    ->Args({1000, 4, 8})
    ->Args({1000, 5, 2})
    ->Args({1000, 50, 2})
    ->Iterations(kSimulatedFrames)
    ->Unit(benchmark::kMicrosecond);

void BM_AttackersOnOnePlayer(benchmark::State& state)
{
    const int attackers = static_cast<int>(state.range(0));
    Horde horde(0, 0);
    Region* region = World::Get().GetRegionById(1);
    auto* player = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
    World::Get().AddEntity(player, WorldCoords(region, Coords()));
    player->GetAttackSlots().SetNumSlots(SlotManager::kMaxSlots);
    std::vector<Character*> crowd;
    for (int i = 0; i < attackers; ++i) {
        auto* attacker = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
        const float angle = static_cast<float>(i) * 0.37f;
        const float reach = 3.0f + static_cast<float>(i % 10);
        World::Get().AddEntity(attacker, WorldCoords(region, Coords::MakeTranslation(
                                                                 {reach * std::cos(angle), 0.0f, reach * std::sin(angle)})));
        crowd.push_back(attacker);
    }
    MovementGoalManager& goals = MovementGoalManager::Get();
    goals.Clear();
    const WorldVec3 target = player->GetPathPosition();
    size_t slotted = 0;
    long long before = gAllocations.load(std::memory_order_relaxed);
    bool warm = false;
    for (auto _ : state) {
        if (!warm) {   // the first frame fills the reused pools
            warm = true;
            before = gAllocations.load(std::memory_order_relaxed);
        }
        slotted = 0;
        for (Character* attacker : crowd) {
            WorldVec3 slot;
            player->GetAttackSlots().RequestSlot(slot, attacker->GetObjectId(), 1.5f, true);
            slotted += slot.IsValid();
            benchmark::DoNotOptimize(goals.GetClosestMovePoint(attacker->GetObjectId(), attacker->GetExtents(),
                                                               slot.IsValid() ? slot : target));
        }
    }
    ReportAllocations(state, before, "allocs_per_frame");
    state.counters["slots_held"] = static_cast<double>(slotted);
    state.counters["goals"] = static_cast<double>(goals.GetGoalCount());
    goals.Clear();
}
BENCHMARK(BM_AttackersOnOnePlayer)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace
