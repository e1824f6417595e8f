// The player's clicks as the user interface hands them to the player controller, one per
// frame while a button is held:
//  - BM_PlayerHeldMoveClick: the button held on the ground straight ahead of a running
//    player: the click is only queued, the run goes on (no new path).
//  - BM_PlayerFreshMoveClick: fresh clicks alternating between two far points: each one
//    replans (a new "MoveTo" state, its run action and path).
//  - BM_PlayerHeldSkillClick: the button held on a monster with a repeatable skill: the
//    request is swallowed by the 200 ms re-use throttle between two uses.
// The engine's frame does not run while timed; the player stands where the runs began.
#include <cstdint>
#include <string>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/ai/ControllerPlayerStates.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/Team.h"
#include "Game/skills/SkillActivated.h"

namespace {

using namespace GAME;

class ClickScene {
public:
    ClickScene()
    {
        RecordDatabase& records = RecordDatabase::Get();
        records.SetDataRoot(GAME_DATA_DIR);
        InitializeObjects();
        GraphicsEngine::Get()->RegisterAnimation("Run.anm", "length,30,\n");
        records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        records.RegisterRecord("Records/Bench/ClickPlayer.dbr",
                               "Class,Player,\ncharacterLife,100,\nunarmedRunAnim,Run.anm,\n");
        records.RegisterRecord("Records/Bench/ClickMonster.dbr", "Class,Monster,\ncharacterLife,100,\n");
        records.RegisterRecord("Records/Bench/ClickSkill.dbr", "Class,SkillActivated,\nskillMaxLevel,1,\n");
        m_region = World::Get().AddRegion(1, "Field");
        m_player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Bench/ClickPlayer.dbr");
        auto* monster = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Bench/ClickMonster.dbr");
        m_skill = ObjectManager::Get().CreateObjectFromFile<SkillActivated>("Records/Bench/ClickSkill.dbr");
        if (!m_player || !monster || !m_skill)
            return;
        m_player->SetIsControllingCharacter(true);
        World::Get().AddEntity(m_player, WorldCoords(m_region, Coords::MakeTranslation({0, 0, 0})));
        World::Get().AddEntity(monster, WorldCoords(m_region, Coords::MakeTranslation({1.5f, 0, 0})));
        Team foes;
        foes.Set(kTeamMajorHostile, 1);
        monster->SetTeam(foes);
        m_monster = monster->GetObjectId();
        m_player->GetSkillManager().AddSkill(m_skill);
        m_skill->SetSkillLevel(1);
        m_controller = m_player->GetPlayerController();
        // The first frames start the characters and register the player's states.
        for (int i = 0; i < 3; ++i)
            gEngine->UpdateFrame(16);
    }
    ~ClickScene()
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
        GraphicsEngine::Get()->ClearRegisteredAnimations();
    }
    ClickScene(const ClickScene&) = delete;
    ClickScene& operator=(const ClickScene&) = delete;

    bool IsComplete() const { return m_controller && m_controller->GetExecutingStateName() == "LongIdle"; }
    WorldVec3 At(float x, float z) const { return WorldVec3(m_region, Vec3{x, 0.0f, z}); }
    bool Click(bool held, const WorldVec3& point, uint32_t target = 0)
    {
        return m_controller->HandleActionFromMouse(true, false, false, held, point, target);
    }

    Region* m_region = nullptr;
    Player* m_player = nullptr;
    SkillActivated* m_skill = nullptr;
    ControllerPlayer* m_controller = nullptr;
    uint32_t m_monster = 0;
};

void BM_PlayerHeldMoveClick(benchmark::State& state)
{
    ClickScene scene;
    if (!scene.IsComplete()) {
        state.SkipWithError("the scene could not be built");
        return;
    }
    scene.Click(false, scene.At(40.0f, 0.0f));
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.Click(true, scene.At(45.0f, 0.0f)));
    if (scene.m_controller->GetExecutingStateName() != "MoveTo")
        state.SkipWithError("the player is not running");
}
BENCHMARK(BM_PlayerHeldMoveClick);

void BM_PlayerFreshMoveClick(benchmark::State& state)
{
    ClickScene scene;
    if (!scene.IsComplete()) {
        state.SkipWithError("the scene could not be built");
        return;
    }
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        benchmark::DoNotOptimize(scene.Click(false, flip ? scene.At(40.0f, 0.0f) : scene.At(0.0f, 40.0f)));
    }
}
BENCHMARK(BM_PlayerFreshMoveClick);

void BM_PlayerHeldSkillClick(benchmark::State& state)
{
    ClickScene scene;
    if (!scene.IsComplete()) {
        state.SkipWithError("the scene could not be built");
        return;
    }
    // A held press marks the command as a repeat; then the skill is used on the player.
    uint32_t target = 0;
    scene.m_controller->HandleActionFromMouse(true, true, false, true, scene.At(0.0f, 0.0f), target);
    target = 0;
    scene.m_controller->SendSkillAction(*scene.m_player, true, false, scene.m_skill->GetObjectId(),
                                        scene.At(0.0f, 0.0f), target);
    auto* using_ = dynamic_cast<ControllerPlayerStateUseSkill*>(scene.m_controller->GetExecutingState());
    if (!using_ || !scene.m_controller->IsCommandRepeated()) {
        state.SkipWithError("the skill was not used");
        return;
    }
    for (auto _ : state) {
        uint32_t held = target;
        benchmark::DoNotOptimize(
            using_->RequestSkillAction(true, false, scene.m_skill->GetObjectId(), scene.At(0.0f, 0.0f), held));
    }
    if (using_->GetReuseCountdown() != ControllerPlayerStateUseSkill::kReuseDelayMs)
        state.SkipWithError("a held request went through");
}
BENCHMARK(BM_PlayerHeldSkillClick);

}  // namespace
