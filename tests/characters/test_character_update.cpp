// A character's first update and frame in the world's walk: the order of its work, what a
// zero step and death leave out, its death manager, destruction inside its own update,
// the spine, respawning and the bare-hand attack.
#include <cmath>

#include "characters/CharacterWorldFixture.h"
#include "Engine/EventManager.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/AuraManager.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/PFxManager.h"

namespace GAME {
namespace {

class CharacterUpdateTest : public CharacterWorldTest {
protected:
    // A hooked character at x with its own hooked controller.
    HookCharacter* Hooked(float x = 0.0f, const std::string& keys = "")
    {
        HookCharacter* character = Place(Make<HookCharacter>(keys, "HookCharacter"), x);
        controller = Control(character);
        return character;
    }
    HookController* controller = nullptr;
};

TEST_F(CharacterUpdateTest, FirstUpdateThenTheFrameInOrderWithTheControllerOnlyFromPreAnimation)
{
    HookLog events;
    auto previous = EventManager::Get().SetSendObserver(
        [&events](const GameEvent&, const Name& name) { events.push_back(name.c_str()); });
    HookCharacter* character = Hooked(2.0f);
    character->SetSpineCurve(1.0f);
    gEngine->SetCharacterDataLogEnabled(true);
    gEngine->UpdateFrame(16);
    EventManager::Get().SetSendObserver(std::move(previous));

    EXPECT_EQ(events, (HookLog{"GameEvent_CreatureSpawn", "GameEvent_CreatureInitialUpdate"}));
    ASSERT_NE(character->GetDeathManager(), nullptr);
    EXPECT_EQ(character->GetSpawnPoint().GetPosition(), character->GetCoords().GetPosition());
    EXPECT_EQ(gHookLog, (HookLog{"self16", "path16", "debug", "pre", "controller16"}));
    EXPECT_EQ(character->GetFrameElapsed(), 16u);
    EXPECT_NEAR(character->GetCurrentSpineCurve(), 0.016f * DegreesToRadians(180.0f), 1e-5f);

    gHookLog.clear();
    engine->Update(16);   // the game's own update never reaches the controller
    EXPECT_TRUE(gHookLog.empty());
}

TEST_F(CharacterUpdateTest, AZeroStepSkipsEverythingAfterTheActorsUpdateAndTheDeadOnlyCountTime)
{
    HookCharacter* character = Hooked();
    Frame(999);
    character->SetSpineCurve(0.5f);
    gEngine->UpdateFrame(0);
    EXPECT_EQ(character->GetFrameElapsed(), 0u);
    EXPECT_EQ(character->GetCurrentSpineCurve(), 0.0f);
    EXPECT_EQ(character->GetPlayStats().GetPlayTimeInSeconds(), 0u);   // 999 ms so far
    EXPECT_EQ(gHookLog, (HookLog{"self0", "pre", "controller0"}));
    Frame(1);
    EXPECT_EQ(character->GetPlayStats().GetPlayTimeInSeconds(), 1u);

    // Dead: no path, pose, debug or controller; a controller that asks for it gets its
    // death update instead of its frame.
    character->SetLifeState(Character_LifeState_Dead);
    const float spine = character->GetCurrentSpineCurve();
    gEngine->SetCharacterDataLogEnabled(true);
    gEngine->UpdateFrame(1000);
    EXPECT_EQ(gHookLog, (HookLog{"self1000", "pre"}));
    EXPECT_EQ(character->GetCurrentSpineCurve(), spine);
    EXPECT_EQ(character->GetPlayStats().GetPlayTimeInSeconds(), 2u);
    controller->deathUpdates = true;
    gHookLog.clear();
    gEngine->UpdateFrame(20);
    EXPECT_EQ(gHookLog, (HookLog{"self20", "pre", "death20"}));
}

// The first character's first handler destroys it in its post-processing: the rest of its
// frame runs on a live object (ASan), and the next character's frame follows. The second
// has no handlers: finished at once, its action is stopped and it post-processes once.
TEST_F(CharacterUpdateTest, DeathManagersPostProcessOnceEvenWhenTheyDestroyTheirCharacter)
{
    HookCharacter* doomed = Hooked();
    HookCharacter* bare = Hooked(1.0f);
    Frame();
    for (const char* name : {"a", "b"}) {
        auto handler = std::make_unique<HookDeathHandler>(doomed, name);
        handler->finishAtOnce = true;
        handler->destroyCharacter = name[0] == 'a';
        doomed->GetDeathManager()->AddHandler(std::move(handler));
    }
    bare->GetActionHandler()->Execute(new HookAction("stays"));
    doomed->GetDeathManager()->Execute();
    bare->GetDeathManager()->Execute();
    EXPECT_TRUE(bare->GetDeathManager()->IsFinished());
    const uint32_t id = doomed->GetObjectId();
    doomed->SetSpineCurve(0.5f);
    gHookLog.clear();
    gEngine->UpdateFrame(16);
    EXPECT_EQ(gHookLog, (HookLog{"self16", "path16", "a update 16", "b update 16", "a post", "b post", "self16",
                                 "path16", "stays finish", "stays destroyed", "pre", "controller16"}));
    EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
    Frame();
    Frame();
    EXPECT_FALSE(bare->GetDeathManager()->IsFinished());   // post-processed, and only once
    EXPECT_EQ(World::Get().GetEntityCount(), 1u);
    EXPECT_TRUE(bare->IsInWorld());
}

TEST_F(CharacterUpdateTest, SpineCurveAndRespawn)
{
    RecordDatabase::Get().RegisterRecord("Records/Fx/Spawn.dbr", "Class,EffectEntity,\n");
    HookCharacter* character = Hooked(0.0f, "spawnEffect,Records/Fx/Spawn.dbr,\n");
    const float max = DegreesToRadians(40.0f);
    auto target = [&](float asked) {
        character->SetSpineCurve(asked);
        return character->GetTargetSpineCurve();
    };
    EXPECT_FLOAT_EQ(target(2.0f), max);
    EXPECT_FLOAT_EQ(target(-2.0f), -max);
    EXPECT_EQ(target(NAN), 0.0f);
    character->SetSpineCurve(-0.1f);
    character->Update_TweakPose(100);   // a step of 0.314 passes the target: it is taken
    EXPECT_FLOAT_EQ(character->GetCurrentSpineCurve(), -0.1f);

    Frame();
    character->SetLifeState(Character_LifeState_Dead);
    character->StartRespawn(WorldCoords(region, Coords::MakeTranslation({5, 0, 0})));
    EXPECT_EQ(character->GetLifeState(), Character_LifeState_Respawning);
    EXPECT_EQ(character->GetCoords().GetPosition(), At(5));
    const uint32_t effectId = character->GetSpawnEffectId();
    ASSERT_NE(character->GetPFxManager().FindParticleEffect(effectId), nullptr);
    EXPECT_TRUE(character->GetPFxManager().FindParticleEffect(effectId)->isEmitting);
    character->StopRespawn();
    EXPECT_TRUE(character->GetPFxManager().FindParticleEffect(effectId)->isRemoved);
    EXPECT_EQ(character->GetLifeState(), Character_LifeState_Alive);
    EXPECT_EQ(character->GetSpawnEffectId(), 0u);
}

// The frame skips the effect and aura managers while they hold nothing: what is added
// after their lists emptied is still looked after.
TEST_F(CharacterUpdateTest, EffectsAndAurasAddedAfterTheirListsEmptiedAreLookedAfter)
{
    RecordDatabase::Get().RegisterRecord("Records/Fx/Spark.dbr", "Class,EffectEntity,\n");
    RecordDatabase::Get().RegisterRecord("Records/Fx/Glow.dbr", "Class,Entity,\n");
    HookCharacter* character = Hooked();
    for (int round = 0; round < 2; ++round) {
        uint32_t effect = character->AddParticleEffect("Records/Fx/Spark.dbr", "");
        ASSERT_NE(effect, 0u);
        const uint32_t spark = effect;
        character->StartParticleEffect(effect);
        character->RemoveParticleEffect(effect);
        const uint32_t aura = character->AddAura("Records/Fx/Glow.dbr", false, 1);
        ASSERT_NE(aura, 0u);
        Frame();
        EXPECT_EQ(ObjectManager::Get().GetObject(spark), nullptr) << round;
        EXPECT_EQ(character->GetPFxManager().GetParticleEffectCount(), 0u) << round;
        EXPECT_EQ(character->GetAuraManager().GetAuras().size(), 1u) << round;
        Frame(1000);
        EXPECT_TRUE(character->GetAuraManager().GetAuras().empty()) << round;
        EXPECT_EQ(ObjectManager::Get().GetObject(aura), nullptr) << round;
    }
}

TEST_F(CharacterUpdateTest, TheBareHandAttackStrikesOnHitAndEndsOnEnd)
{
    HookCharacter* attacker = Hooked(0.0f, kBareHands);
    HookCharacter* target = Hooked(1.0f);
    HookCharacter* handless = Hooked(2.0f);
    Frame();
    const uint32_t targetId = target->GetObjectId();
    const WorldVec3 point = target->GetCoords().GetPosition();
    auto event = [&](const char* name) {
        return attacker->HandleSkillAnimationCallback(Name(name), 0, targetId, point);
    };
    EXPECT_FALSE(handless->StartSkill(0, targetId, point, 7, TargetLeadingData{}));
    EXPECT_FALSE(attacker->StartSkill(3, targetId, point, 7, TargetLeadingData{}));

    ASSERT_TRUE(attacker->StartSkill(0, targetId, point, 7, TargetLeadingData{}));
    EXPECT_EQ(attacker->GetAnimationChannel(0)->animation, "Swing.anm");
    EXPECT_FALSE(event("Footstep"));
    EXPECT_EQ(target->GetPlayStats().GetHitsReceived(), 0u);
    EXPECT_FALSE(event("Hit"));
    EXPECT_EQ(target->GetPlayStats().GetHitsReceived(), 1u);
    EXPECT_EQ(target->GetCombatManager().GetAttackerId(), attacker->GetObjectId());
    EXPECT_TRUE(event("End"));
    EXPECT_FALSE(attacker->GetSkillManager().IsBareHandAttackActive());

    // Cancelled, its events do nothing.
    ASSERT_TRUE(attacker->StartSkill(0, targetId, point, 7, TargetLeadingData{}));
    attacker->CancelSkillAction(0);
    EXPECT_FALSE(event("Hit"));
    EXPECT_EQ(target->GetPlayStats().GetHitsReceived(), 1u);
}

}  // namespace
}  // namespace GAME
