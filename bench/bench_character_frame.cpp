// One engine frame of 16 ms over 1,000 characters that live, suffer and move: each is a
// bundled monster (its record's regeneration by both bundled formulas), carries four
// damage-over-time tracks that its attacker renews every few seconds, and runs to a far
// point with avoidance on (every character in the world counts as drawn, so each one looks
// for the others in its way). The characters start on a tight grid and run to points
// scattered over a wide square, so their paths cross and they meet on the way; one whose
// path ends is sent to a new far point.
//
// BM_CharacterFrame is Engine::UpdateFrame as the host runs it. The split:
//  - BM_CharacterFramePhases runs the world's walk by hand, in its order (InitialUpdate
//    once, UpdateSelf, the animation step, PreAnimationUpdate, actor by actor), and times
//    and counts the allocations of each phase over the frame;
//  - BM_CharacterFramePart runs one part alone for every character each frame (with the
//    clock advanced): the bio, the damage over time, the path following.
// The renewal of the attacks and of the targets happens between frames and is not timed.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/GameClock.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/CharacterMovementManager.h"
#include "Game/characters/Monster.h"
#include "Game/combat/DurationDamageManager.h"
#include "Game/core/GameEngine.h"

#include "AllocationCounter.h"

namespace {

using namespace GAME;

constexpr int kFrameMs = 16;
constexpr const char* kMonsterRecord = "Records/Creatures/ArenaMonster.dbr";
constexpr uint32_t kRegionId = 1;
// The start grid: 40 columns, 4 units apart (a large monster is 3.5 wide), slightly
// jittered; the goals lie anywhere in a square 400 units wide around it.
constexpr int kColumns = 40;
constexpr float kSpacing = 4.0f;
constexpr float kGoalField = 400.0f;
// An attacker renews its damage every five seconds; each effect runs six.
constexpr int kFramesBetweenHits = 5000 / kFrameMs;
constexpr float kEffectSeconds = 6.0f;
constexpr float kDamagePerSecond = 0.5f;   // four of them stay below the life regeneration
constexpr CombatAttributeType kDotTypes[] = {CombatAttributeType_Poison, CombatAttributeType_Fire,
                                             CombatAttributeType_Bleeding, CombatAttributeType_Lightning};
constexpr int kWarmUpFrames = 200;
constexpr uint32_t kAttackerId = 0x7fff0001u;   // no object: the tracks only need its number

// The bundled data by the full path the build gives, wherever the program is run from.
std::string DataRoot() { return GAME_DATA_DIR; }

// A fixed sequence, so every run places and sends the characters alike.
class Lcg {
public:
    explicit Lcg(uint64_t seed) : m_state(seed) {}
    float Next01()
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<float>(m_state >> 40) / static_cast<float>(1ull << 24);
    }
    float Range(float low, float high) { return low + (high - low) * Next01(); }

private:
    uint64_t m_state;
};

class Scene {
public:
    explicit Scene(int count) : m_random(17)
    {
        RecordDatabase::Get().SetDataRoot(DataRoot());
        InitializeObjects();
        m_region = World::Get().AddRegion(kRegionId, "Field");
        for (int i = 0; i < count; ++i) {
            auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>(kMonsterRecord);
            if (!monster)
                return;
            const float x = static_cast<float>(i % kColumns) * kSpacing + m_random.Range(-0.5f, 0.5f);
            const float z = static_cast<float>(i / kColumns) * kSpacing + m_random.Range(-0.5f, 0.5f);
            Coords frame;
            frame.origin = Vec3(x, 0.0f, z);
            World::Get().AddEntity(monster, WorldCoords(m_region, frame));
            m_characters.push_back(monster);
        }
        // The first frame runs every InitialUpdate (life and mana fill up); then the
        // attacks land, staggered over the renewal period, and the runs begin.
        gEngine->UpdateFrame(kFrameMs);
        for (size_t i = 0; i < m_characters.size(); ++i) {
            Hit(*m_characters[i]);
            SendFar(*m_characters[i]);
        }
        for (int i = 0; i < 3; ++i)
            gEngine->UpdateFrame(kFrameMs);
    }
    ~Scene()
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    bool IsComplete(int count) const { return static_cast<int>(m_characters.size()) == count; }
    const std::vector<Character*>& Characters() const { return m_characters; }

    // Between frames: the attackers due renew their damage, and characters that stopped
    // run on to a new far point.
    void Upkeep()
    {
        ++m_frame;
        for (size_t i = 0; i < m_characters.size(); ++i) {
            Character& character = *m_characters[i];
            if ((m_frame + static_cast<int>(i)) % kFramesBetweenHits == 0)
                Hit(character);
            if (!character.IsMoving()) {
                SendFar(character);
                ++m_retargets;
            }
        }
    }

    long long Retargets() const { return m_retargets; }
    size_t Moving() const
    {
        size_t moving = 0;
        for (const Character* character : m_characters)
            moving += character->IsMoving() ? 1 : 0;
        return moving;
    }
    size_t DetourCount() const
    {
        size_t detours = 0;
        for (Character* character : m_characters)
            detours += character->GetMovementManager().GetLocalPath() ? 1 : 0;
        return detours;
    }
    size_t TrackCount() const
    {
        size_t tracks = 0;
        for (Character* character : m_characters)
            tracks += character->GetDurationDamageMgr().GetDurationDamageTracks().size();
        return tracks;
    }

private:
    static void Hit(Character& character)
    {
        DurationDamageManager& dot = character.GetDurationDamageMgr();
        dot.SetAttacker(kAttackerId);
        for (CombatAttributeType type : kDotTypes)
            dot.AddDamage(type, kDamagePerSecond, kEffectSeconds);
        dot.EndAttack();
    }

    void SendFar(Character& character)
    {
        const float half = kGoalField * 0.5f;
        const float centre = kColumns * kSpacing * 0.5f;
        const Vec3 goal(centre + m_random.Range(-half, half), 0.0f, centre + m_random.Range(-half, half));
        character.MoveTo(WorldVec3(m_region, goal), 0.0f);
    }

    Lcg m_random;
    Region* m_region = nullptr;
    std::vector<Character*> m_characters;
    int m_frame = 0;
    long long m_retargets = 0;
};

// Runs the frames: `frame` is timed and its allocations counted; the upkeep between
// frames is not. The case is skipped when the scene could not be built.
template <class Frame, class Measured = void (*)()>
void RunFrames(benchmark::State& state, Scene& scene, int count, Frame&& frame, Measured&& measuring = [] {})
{
    if (!scene.IsComplete(count)) {
        state.SkipWithError("the monster record did not load");
        return;
    }
    // The first frames grow the lists the frames keep (paths, query results); they run
    // before the measured ones, so that the count is of a frame once running.
    for (int i = 0; i < kWarmUpFrames; ++i) {
        frame();
        scene.Upkeep();
    }
    measuring();
    long long allocations = 0;
    for (auto _ : state) {
        const long long before = gAllocations.load(std::memory_order_relaxed);
        frame();
        allocations += gAllocations.load(std::memory_order_relaxed) - before;
        state.PauseTiming();
        scene.Upkeep();
        state.ResumeTiming();
    }
    const auto frames = static_cast<double>(state.iterations());
    state.counters["allocs_per_frame"] = static_cast<double>(allocations) / frames;
    state.counters["per_character"] = benchmark::Counter(
        static_cast<double>(scene.Characters().size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["moving"] = static_cast<double>(scene.Moving());
    state.counters["detours"] = static_cast<double>(scene.DetourCount());
    state.counters["dot_tracks"] = static_cast<double>(scene.TrackCount());
    state.counters["retargets_per_frame"] = static_cast<double>(scene.Retargets()) / frames;
}

void BM_CharacterFrame(benchmark::State& state)
{
    const auto count = static_cast<int>(state.range(0));
    Scene scene(count);
    RunFrames(state, scene, count, [] { gEngine->UpdateFrame(kFrameMs); });
}
BENCHMARK(BM_CharacterFrame)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The walk by hand, each phase timed on its own (the clock reads add a little to the
// frame's total, not to the phases).
void BM_CharacterFramePhases(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const auto count = static_cast<int>(state.range(0));
    Scene scene(count);
    Clock::duration spent[3] = {};
    long long allocations[3] = {};
    const auto timed = [&](int phase, auto&& call) {
        const long long before = gAllocations.load(std::memory_order_relaxed);
        const Clock::time_point start = Clock::now();
        call();
        spent[phase] += Clock::now() - start;
        allocations[phase] += gAllocations.load(std::memory_order_relaxed) - before;
    };
    RunFrames(state, scene, count, [&] {
        GameClock::Get().Advance(kFrameMs);
        for (Character* character : scene.Characters()) {
            timed(0, [&] { character->UpdateSelf(kFrameMs); });
            timed(1, [&] { character->AdvanceAnimations(kFrameMs); });
            timed(2, [&] { character->PreAnimationUpdate(kFrameMs); });
        }
    }, [&] {
        std::fill(std::begin(spent), std::end(spent), Clock::duration{});
        std::fill(std::begin(allocations), std::end(allocations), 0);
    });
    static const char* const kNames[] = {"update_self", "animation", "pre_animation"};
    const auto frames = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    for (int phase = 0; phase < 3; ++phase) {
        state.counters[std::string(kNames[phase]) + "_us"] =
            std::chrono::duration<double, std::micro>(spent[phase]).count() / frames;
        state.counters[std::string(kNames[phase]) + "_allocs"] = static_cast<double>(allocations[phase]) / frames;
    }
}
BENCHMARK(BM_CharacterFramePhases)->Arg(1000)->Unit(benchmark::kMicrosecond);

// One part alone for every character: 0 the bio (both formulas), 1 the damage over time,
// 2 the path following (with its avoidance).
void BM_CharacterFramePart(benchmark::State& state)
{
    const auto part = static_cast<int>(state.range(0));
    constexpr int count = 1000;
    Scene scene(count);
    RunFrames(state, scene, count, [&] {
        GameClock::Get().Advance(kFrameMs);
        for (Character* character : scene.Characters()) {
            switch (part) {
            case 0: character->GetCharacterBio().Update(*character, kFrameMs); break;
            case 1: character->GetDurationDamageMgr().Update(kFrameMs); break;
            default: character->FollowPath(kFrameMs); break;
            }
        }
    });
    static const char* const kNames[] = {"bio", "damage_over_time", "movement"};
    state.SetLabel(kNames[part]);
}
BENCHMARK(BM_CharacterFramePart)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace
