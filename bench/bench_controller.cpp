// The controllers' part of a 16 ms frame over 1,000 characters, each driven by a combat
// controller (the layers every AI and player controller shares): the handler feed, the
// equipment refresh every 250 ms and the life watch, as the character's frame calls them.
//
// Between frames (not timed) a rotating share of the characters falls idle: its handler
// is stopped, and it may be handed an action that waits as the queued one, made there.
// The timed frame then feeds what waits:
//  - BM_ControllerFrameIdle: a thirty-second of them gets a queued IdleAction each frame;
//    the controllers allocate nothing.
//  - BM_ControllerFrameMove: a thirty-second gets a queued run (MoveToAction) to a point
//    beside it; the run's start finds the character a path, and those allocations are the
//    run's, counted here with the frame.
//  - BM_ControllerIdleRenewal: a sixteenth falls idle with nothing queued, so the
//    controller makes each a new IdleAction: one allocation per renewal.
// The engine's world walk does not run; the characters stand where the runs began.
#include <cstdint>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterActions.h"
#include "Game/core/GameEngine.h"

#include "AllocationCounter.h"

namespace {

using namespace GAME;

constexpr int kFrameMs = 16;
constexpr int kCharacters = 1000;
constexpr int kColumns = 40;
constexpr float kSpacing = 4.0f;

class Scene {
public:
    Scene()
    {
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        InitializeObjects();
        m_region = World::Get().AddRegion(1, "Field");
        for (int i = 0; i < kCharacters; ++i) {
            auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
            auto* controller = DynamicCast<ControllerCombat>(ObjectManager::Get().CreateObject("ControllerCombat"));
            if (!character || !controller)
                return;
            Coords frame;
            frame.origin = Vec3(static_cast<float>(i % kColumns) * kSpacing, 0.0f,
                                static_cast<float>(i / kColumns) * kSpacing);
            World::Get().AddEntity(character, WorldCoords(m_region, frame));
            character->SetLifeLimit(100.0f);
            character->SetCurrentLife(100.0f);
            character->SetControllerId(controller->GetObjectId());
            controller->AttachParent(character->GetObjectId());
            m_characters.push_back(character);
            m_controllers.push_back(controller);
        }
        // The first updates start the controllers and set every character idling.
        for (int i = 0; i < 3; ++i)
            Frame();
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

    bool IsComplete() const { return static_cast<int>(m_controllers.size()) == kCharacters; }

    // The controllers' part of one frame, in the order the characters stand.
    void Frame()
    {
        for (ControllerCombat* controller : m_controllers)
            controller->Update(kFrameMs);
    }

    enum class Feed { Nothing, Idle, Run };

    // Between frames: every `share`-th character, rotating, falls idle and is handed what
    // `feed` says as its queued action.
    void Upkeep(int share, Feed feed)
    {
        ++m_frame;
        for (size_t i = 0; i < m_characters.size(); ++i) {
            if ((m_frame + static_cast<int>(i)) % share != 0)
                continue;
            Character& character = *m_characters[i];
            character.GetActionHandler()->Stop();
            if (feed == Feed::Nothing)
                continue;
            ++m_fed;
            if (feed == Feed::Idle) {
                m_controllers[i]->SetQueuedAction(new IdleAction(character.GetObjectId()));
                continue;
            }
            const WorldVec3 from = character.GetPathPosition();
            WorldVec3 to = from;
            to.SetRegionPosition(from.GetRegionPosition() + Vec3(m_frame % 2 ? 8.0f : -8.0f, 0.0f, 0.0f));
            m_controllers[i]->SetQueuedAction(new MoveToAction(character.GetObjectId(), from, to, 0, 0, 1.0f));
        }
    }

    long long Fed() const { return m_fed; }

private:
    Region* m_region = nullptr;
    std::vector<Character*> m_characters;
    std::vector<ControllerCombat*> m_controllers;
    int m_frame = 0;
    long long m_fed = 0;
};

void RunFrames(benchmark::State& state, int share, Scene::Feed feed)
{
    Scene scene;
    if (!scene.IsComplete()) {
        state.SkipWithError("the characters or their controllers could not be made");
        return;
    }
    long long allocations = 0;
    for (auto _ : state) {
        const long long before = gAllocations.load(std::memory_order_relaxed);
        scene.Frame();
        allocations += gAllocations.load(std::memory_order_relaxed) - before;
        state.PauseTiming();
        scene.Upkeep(share, feed);
        state.ResumeTiming();
    }
    const auto frames = static_cast<double>(state.iterations());
    state.counters["allocs_per_frame"] = static_cast<double>(allocations) / frames;
    state.counters["fed_per_frame"] = static_cast<double>(scene.Fed()) / frames;
    state.counters["characters"] = kCharacters;
}

void BM_ControllerFrameIdle(benchmark::State& state) { RunFrames(state, 32, Scene::Feed::Idle); }
BENCHMARK(BM_ControllerFrameIdle)->Unit(benchmark::kMicrosecond);

void BM_ControllerFrameMove(benchmark::State& state) { RunFrames(state, 32, Scene::Feed::Run); }
BENCHMARK(BM_ControllerFrameMove)->Unit(benchmark::kMicrosecond);

void BM_ControllerIdleRenewal(benchmark::State& state) { RunFrames(state, 16, Scene::Feed::Nothing); }
BENCHMARK(BM_ControllerIdleRenewal)->Unit(benchmark::kMicrosecond);

}  // namespace
