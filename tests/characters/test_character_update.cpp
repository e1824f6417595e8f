// A character's first update and frame in the world's walk: the order of its work, what a
// zero step and death leave out, its death manager, destruction inside its own update,
// the spine, respawning and the bare-hand attack.
#include <cmath>
#include <string>
#include <vector>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/DeathHandler.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/PFxManager.h"

namespace GAME {

namespace {
std::vector<std::string> gUpdCalls;
}  // namespace

// Notes the hooks of its frame that a kind can see.
class UpdCharacter : public Character {
    GAME_DECLARE_CLASS(UpdCharacter)

public:
    void UpdateSelf(int ms) override
    {
        gUpdCalls.push_back("self" + std::to_string(ms));
        Character::UpdateSelf(ms);
    }
    void PreAnimationUpdate(int ms) override
    {
        gUpdCalls.push_back("pre");
        Character::PreAnimationUpdate(ms);
    }
    void FollowPath(int ms) override { gUpdCalls.push_back("path" + std::to_string(ms)); }
    void DebugRender() override { gUpdCalls.push_back("debug"); }
};
GAME_IMPLEMENT_CLASS(UpdCharacter, Character)

class UpdController : public ControllerCombat {
    GAME_DECLARE_CLASS(UpdController)

public:
    void Update(int ms) override { gUpdCalls.push_back("controller" + std::to_string(ms)); }
    bool NeedsDeathUpdate() override { return deathUpdates; }
    void DeathUpdate(int ms) override { gUpdCalls.push_back("death" + std::to_string(ms)); }
    bool deathUpdates = false;
};
GAME_IMPLEMENT_CLASS(UpdController, ControllerCombat)

namespace {

// Finished from the start; counts its post-processing and may destroy its character then.
class UpdDeathHandler : public DeathHandler {
public:
    UpdDeathHandler(Character* character, int& postProcessed, bool destroy)
        : DeathHandler(character), m_postProcessed(postProcessed), m_destroy(destroy)
    {
    }
    void Execute() override { Finish(); }
    void PostProcess() override
    {
        ++m_postProcessed;
        if (m_destroy)
            ObjectManager::Get().DestroyObjectEx(GetCharacter(), "test", __LINE__);
    }

private:
    int& m_postProcessed;
    bool m_destroy;
};

// An action that stays until it is stopped.
class UpdAction : public CharacterAction {
public:
    bool IsActive() const override { return true; }
};

class UpdCharacterUpdate : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        gUpdCalls.clear();
        home = World::Get().AddRegion(1, "Home");
        GraphicsEngine::Get()->RegisterAnimation("Swing.anm", "length,30,\n");
    }
    void TearDown() override
    {
        gEngine->SetCharacterDataLogEnabled(false);
        GraphicsEngine::Get()->ClearRegisteredAnimations();
        EngineTest::TearDown();
    }
    // A character of that record text in the world at x, with a recording controller.
    UpdCharacter* Place(const std::string& text = "", float x = 0.0f)
    {
        const std::string name = "Records/Test/Upd" + std::to_string(++records) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, "Class,UpdCharacter,\n" + text);
        auto* character = ObjectManager::Get().CreateObjectFromFile<UpdCharacter>(name);
        controller = DynamicCast<UpdController>(ObjectManager::Get().CreateObject("UpdController"));
        character->SetControllerId(controller->GetObjectId());
        controller->SetParentId(character->GetObjectId());
        Coords at;
        at.origin = Vec3{x, 0.0f, 0.0f};
        World::Get().AddEntity(character, WorldCoords(home, at));
        return character;
    }
    // Runs the first frame (the initial update) and forgets its calls.
    void Start(int ms = 16)
    {
        gEngine->UpdateFrame(ms);
        gUpdCalls.clear();
    }
    // True when the death manager bodies run (they drive the death path).
    static void StartDying(Character& character)
    {
        character.GetDeathManager()->Execute();
        ASSERT_TRUE(character.GetDeathManager()->IsStarted());
    }

    Region* home = nullptr;
    UpdController* controller = nullptr;
    int records = 0;
};

TEST_F(UpdCharacterUpdate, UpdFirstUpdateThenTheFrameInOrderWithTheControllerOnlyFromPreAnimation)
{
    std::vector<std::string> events;
    auto previous = EventManager::Get().SetSendObserver(
        [&events](const GameEvent&, const Name& name) { events.push_back(name.c_str()); });
    UpdCharacter* character = Place("", 2.0f);
    character->SetSpineCurve(1.0f);
    gEngine->SetCharacterDataLogEnabled(true);
    gEngine->UpdateFrame(16);
    EventManager::Get().SetSendObserver(std::move(previous));

    EXPECT_EQ((std::vector<std::string>{"GameEvent_CreatureSpawn", "GameEvent_CreatureInitialUpdate"}), events);
    ASSERT_NE(character->GetDeathManager(), nullptr);
    EXPECT_EQ(character->GetDeathManager()->GetHandlerCount(), 0u);
    EXPECT_EQ(character->GetSpawnPoint().GetPosition(), character->GetCoords().GetPosition());
    EXPECT_EQ((std::vector<std::string>{"self16", "path16", "debug", "pre", "controller16"}), gUpdCalls);
    EXPECT_EQ(character->GetFrameElapsed(), 16u);
    EXPECT_NEAR(character->GetCurrentSpineCurve(), 0.016f * DegreesToRadians(180.0f), 1e-5f);

    // The game's own update never reaches the controller.
    gUpdCalls.clear();
    engine->Update(16);
    EXPECT_TRUE(gUpdCalls.empty());
}

TEST_F(UpdCharacterUpdate, UpdAZeroStepSkipsEverythingAfterTheActorsUpdate)
{
    UpdCharacter* character = Place();
    Start(999);
    character->SetSpineCurve(0.5f);
    gEngine->UpdateFrame(0);
    EXPECT_EQ(character->GetFrameElapsed(), 0u);
    EXPECT_EQ(character->GetCurrentSpineCurve(), 0.0f);
    EXPECT_EQ(character->GetPlayStats().GetPlayTimeInSeconds(), 0u);   // 999 ms so far
    EXPECT_EQ((std::vector<std::string>{"self0", "pre", "controller0"}), gUpdCalls);
    gEngine->UpdateFrame(1);
    EXPECT_EQ(character->GetPlayStats().GetPlayTimeInSeconds(), 1u);
}

TEST_F(UpdCharacterUpdate, UpdADeadCharacterUpdatesOnlyEffectsAndStatistics)
{
    UpdCharacter* character = Place();
    Start();
    character->SetLifeState(Character_LifeState_Dead);
    character->SetSpineCurve(0.5f);
    gEngine->SetCharacterDataLogEnabled(true);
    gEngine->UpdateFrame(1000);
    EXPECT_EQ((std::vector<std::string>{"self1000", "pre"}), gUpdCalls);
    EXPECT_EQ(character->GetCurrentSpineCurve(), 0.0f);
    EXPECT_EQ(character->GetPlayStats().GetPlayTimeInSeconds(), 1u);

    // A controller that asks for it gets its death update instead of its frame.
    controller->deathUpdates = true;
    gUpdCalls.clear();
    gEngine->UpdateFrame(20);
    EXPECT_EQ((std::vector<std::string>{"self20", "pre", "death20"}), gUpdCalls);
}

TEST_F(UpdCharacterUpdate, UpdAStartedDeathManagerWithoutHandlersFinishesAndPostProcessesOnce)
{
    UpdCharacter* character = Place();
    Start();
    character->GetActionHandler()->Execute(new UpdAction());
    StartDying(*character);
    EXPECT_TRUE(character->GetDeathManager()->IsFinished());
    for (int frame = 0; frame < 3; ++frame)
        gEngine->UpdateFrame(16);
    EXPECT_EQ(character->GetActionHandler()->GetCurrentAction(), nullptr);
    EXPECT_FALSE(character->GetDeathManager()->IsFinished());   // post-processed, and only once
}

TEST_F(UpdCharacterUpdate, UpdADeathHandlerDestroyingItsCharacterRunsClean)
{
    UpdCharacter* character = Place();
    UpdCharacter* next = Place("", 1.0f);
    Start();
    int postProcessed = 0;
    character->GetDeathManager()->AddHandler(std::make_unique<UpdDeathHandler>(character, postProcessed, true));
    character->GetDeathManager()->AddHandler(std::make_unique<UpdDeathHandler>(character, postProcessed, false));
    StartDying(*character);
    const uint32_t id = character->GetObjectId();
    character->SetSpineCurve(0.5f);
    gEngine->UpdateFrame(16);   // destroyed in its PostProcess; the rest of its frame runs, then it is freed
    EXPECT_EQ(postProcessed, 2);
    EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
    EXPECT_EQ((std::vector<std::string>{"self16", "path16", "self16", "path16", "pre", "controller16"}), gUpdCalls);
    gEngine->UpdateFrame(16);
    EXPECT_EQ(World::Get().GetEntityCount(), 1u);
    EXPECT_TRUE(next->IsInWorld());
}

TEST_F(UpdCharacterUpdate, UpdSpineCurveAndRespawn)
{
    RecordDatabase::Get().RegisterRecord("Records/Fx/Spawn.dbr", "Class,EffectEntity,\n");
    UpdCharacter* character = Place("spawnEffect,Records/Fx/Spawn.dbr,\n");
    const float max = DegreesToRadians(40.0f);
    character->SetSpineCurve(2.0f);
    EXPECT_FLOAT_EQ(character->GetTargetSpineCurve(), max);
    character->SetSpineCurve(-2.0f);
    EXPECT_FLOAT_EQ(character->GetTargetSpineCurve(), -max);
    character->SetSpineCurve(NAN);
    EXPECT_EQ(character->GetTargetSpineCurve(), 0.0f);
    character->SetSpineCurve(-0.1f);
    character->Update_TweakPose(100);   // a step of 0.314 passes the target: it is taken
    EXPECT_FLOAT_EQ(character->GetCurrentSpineCurve(), -0.1f);

    Start();
    character->SetLifeState(Character_LifeState_Dead);
    Coords there;
    there.origin = Vec3{5.0f, 0.0f, 0.0f};
    character->StartRespawn(WorldCoords(home, there));
    EXPECT_EQ(character->GetLifeState(), Character_LifeState_Respawning);
    EXPECT_EQ(character->GetCoords().GetPosition(), WorldVec3(home, there.origin));
    const uint32_t effectId = character->GetSpawnEffectId();
    ASSERT_NE(character->GetPFxManager().FindParticleEffect(effectId), nullptr);
    EXPECT_TRUE(character->GetPFxManager().FindParticleEffect(effectId)->isEmitting);
    character->StopRespawn();
    EXPECT_TRUE(character->GetPFxManager().FindParticleEffect(effectId)->isRemoved);
    EXPECT_EQ(character->GetLifeState(), Character_LifeState_Alive);
    EXPECT_EQ(character->GetSpawnEffectId(), 0u);
}

TEST_F(UpdCharacterUpdate, UpdTheBareHandAttackStrikesOnHitAndEndsOnEnd)
{
    UpdCharacter* attacker = Place("unarmedAttackAnim1,Swing.anm,\nunarmedAttackAnimWeight1,100,\n");
    UpdCharacter* target = Place("", 1.0f);
    UpdCharacter* handless = Place("", 2.0f);
    Start();
    SkillManager& skills = attacker->GetSkillManager();
    const WorldVec3 point = target->GetCoords().GetPosition();
    EXPECT_FALSE(handless->StartSkill(0, target->GetObjectId(), point, 7, TargetLeadingData{}));
    EXPECT_FALSE(attacker->StartSkill(3, target->GetObjectId(), point, 7, TargetLeadingData{}));
    EXPECT_FALSE(skills.SkillWarmUp(0, false));

    ASSERT_TRUE(attacker->StartSkill(0, target->GetObjectId(), point, 7, TargetLeadingData{}));
    EXPECT_EQ(attacker->GetAnimationChannel(0)->animation, "Swing.anm");
    EXPECT_FALSE(attacker->HandleSkillAnimationCallback(Name("Footstep"), 0, target->GetObjectId(), point));
    EXPECT_EQ(target->GetPlayStats().GetHitsReceived(), 0u);
    EXPECT_FALSE(attacker->HandleSkillAnimationCallback(Name("Hit"), 0, target->GetObjectId(), point));
    EXPECT_EQ(target->GetPlayStats().GetHitsReceived(), 1u);
    EXPECT_EQ(target->GetCombatManager().GetAttackerId(), attacker->GetObjectId());
    EXPECT_TRUE(attacker->HandleSkillAnimationCallback(Name("End"), 0, target->GetObjectId(), point));
    EXPECT_FALSE(skills.IsBareHandAttackActive());

    // Cancelled, its events do nothing.
    ASSERT_TRUE(attacker->StartSkill(0, target->GetObjectId(), point, 7, TargetLeadingData{}));
    attacker->CancelSkillAction(0);
    EXPECT_FALSE(attacker->HandleSkillAnimationCallback(Name("Hit"), 0, target->GetObjectId(), point));
    EXPECT_EQ(target->GetPlayStats().GetHitsReceived(), 1u);
}

}  // namespace

}  // namespace GAME
