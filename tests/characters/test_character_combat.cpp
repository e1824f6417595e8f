// What combat and controllers do to a character and the feedback it gives: hit effects,
// the low-health warning, traps, calls for help, experience, attacks, net sounds and
// footsteps.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GameServices.h"
#include "Game/ai/ControllerAI.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/characters/Monster.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/AuraManager.h"

namespace GAME {

// Counts what a character tells its controller.
class HookRecordingController : public ControllerCombat {
    GAME_DECLARE_CLASS(HookRecordingController)

public:
    void LowHealth() override { ++lowHealth; }
    void AllyAttacked(uint32_t allyId, uint32_t attackerId) override { allyCalls.push_back({allyId, attackerId}); }

    int lowHealth = 0;
    std::vector<std::pair<uint32_t, uint32_t>> allyCalls;
};

GAME_IMPLEMENT_CLASS(HookRecordingController, ControllerCombat)

class HookTeamController : public ControllerAI {
    GAME_DECLARE_CLASS(HookTeamController)

public:
    void TeamChanged() override { ++changes; }
    int changes = 0;
};

GAME_IMPLEMENT_CLASS(HookTeamController, ControllerAI)

namespace {

constexpr const char* kHookRecord = "Records/Test/Character.dbr";
constexpr const char* kHookSound = "Records/Test/Sound.dbr";

class HookCombatTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().RegisterRecord(kHookSound, "Class,SoundPak,\n");
        RecordDatabase::Get().RegisterRecord("Records/Fx/Spark.dbr", "Class,EffectEntity,\n");
        region = World::Get().AddRegion(7, "Hook");
    }
    Character* Make(const std::string& text)
    {
        RecordDatabase::Get().RegisterRecord(kHookRecord, "Class,Monster,\n" + text);
        return ObjectManager::Get().CreateObjectFromFile<Character>(kHookRecord);
    }
    void Place(Character* character, float x)
    {
        Coords coords;
        coords.origin = Vec3{x, 0.0f, 0.0f};
        ASSERT_TRUE(World::Get().AddEntity(character, WorldCoords(region, coords)));
    }
    HookRecordingController* Control(Character* character)
    {
        auto* controller =
            DynamicCast<HookRecordingController>(ObjectManager::Get().CreateObject("HookRecordingController"));
        character->SetControllerId(controller->GetObjectId());
        return controller;
    }

    Region* region = nullptr;
};

TEST_F(HookCombatTest, HookAbsEffectsFireOncePerResetAndNotWhenDisarmed)
{
    RecordDatabase::Get().RegisterRecord("Records/Game/GameEngine.dbr",
                                         "absFireFx,Records/Fx/Spark.dbr,\nabsFireFxSound,Records/Test/Sound.dbr,\n");
    Character* c = Make("");
    Place(c, 0.0f);
    SoundPak* sound = c->GetAbsEffects().at(CombatAttributeType_Fire).sound;
    ASSERT_NE(sound, nullptr);
    const size_t entities = World::Get().GetEntityCount();

    c->FireAbsEffect(CombatAttributeType_Fire);   // not armed before the first reset
    EXPECT_EQ(sound->GetPlayCount(), 0u);
    c->ResetAbsEffects();
    c->FireAbsEffect(CombatAttributeType_Fire);
    c->FireAbsEffect(CombatAttributeType_Fire);
    c->FireAbsEffect(CombatAttributeType_Physical);   // no entry: nothing
    EXPECT_EQ(sound->GetPlayCount(), 1u);
    EXPECT_EQ(World::Get().GetEntityCount(), entities + 1);   // the effect, placed once
    EXPECT_TRUE(c->WasAbsEffectFired(CombatAttributeType_Fire));

    c->ResetAbsEffects();
    c->FireAbsEffect(CombatAttributeType_Fire);
    EXPECT_EQ(sound->GetPlayCount(), 2u);
    c->ResetAbsEffects();
    c->DisarmAbsEffects();
    c->FireAbsEffect(CombatAttributeType_Fire);
    EXPECT_EQ(sound->GetPlayCount(), 2u);
}

TEST_F(HookCombatTest, HookLowHealthFiresOnceUntilLifeIsBackAtTheResetLevel)
{
    Character* c = Make("lowHealthTriggerLevel,30,\nlowHealthResetLevel,50,\nlowHealthSound,Records/Test/Sound.dbr,\n");
    c->SetLifeLimit(200.0f);
    HookRecordingController* controller = Control(c);
    SoundPak* sound = c->GetSoundPak(Character::Sound_LowHealth);
    ASSERT_NE(sound, nullptr);

    c->PlayLowHealthSoundIfNeeded(61.0f);
    EXPECT_EQ(controller->lowHealth, 0);
    c->PlayLowHealthSoundIfNeeded(60.0f);   // exactly 30 percent
    c->PlayLowHealthSoundIfNeeded(10.0f);
    c->PlayLowHealthSoundIfNeeded(99.0f);   // below 50 percent: still triggered
    c->PlayLowHealthSoundIfNeeded(20.0f);
    EXPECT_EQ(controller->lowHealth, 1);
    EXPECT_EQ(sound->GetPlayCount(), 1u);
    c->PlayLowHealthSoundIfNeeded(100.0f);   // back at 50 percent
    EXPECT_FALSE(c->IsLowHealthTriggered());
    c->PlayLowHealthSoundIfNeeded(60.0f);
    EXPECT_EQ(controller->lowHealth, 2);
    EXPECT_EQ(sound->GetPlayCount(), 2u);
}

TEST_F(HookCombatTest, HookReleaseTrapAllowsMovementAndKeepsTheTrapState)
{
    Character* c = Make("");
    c->ExecuteTrap();
    EXPECT_EQ(c->GetActionState(), Character_ActionState_Trap);
    EXPECT_TRUE(c->DisallowsMovement());
    c->ReleaseTrap();
    EXPECT_EQ(c->GetActionState(), Character_ActionState_Trap);
    EXPECT_FALSE(c->DisallowsMovement());

    c->ExecuteImmobilize();
    EXPECT_TRUE(c->IsImmobilized());
    c->ReleaseImmobilize();
    EXPECT_EQ(c->GetActionState(), Character_ActionState_ForcedStop);
}

// The cooldown counts down in 16 ms frames (as the frame does: while above 0, never
// below 0); a call is allowed again once it is down to 0, never while it runs.
TEST_F(HookCombatTest, HookDistressCallsWaitForTheCooldownIn16MsSteps)
{
    Character* caller = Make("maxDistressCalls,2,\ndistressCallTime,5000,\n");
    Character* ally = Make("");
    Character* farAway = Make("");
    Place(caller, 0.0f);
    Place(ally, 10.0f);
    Place(farAway, 40.0f);
    HookRecordingController* allyController = Control(ally);
    HookRecordingController* farController = Control(farAway);

    caller->UnderAttack(99);
    ASSERT_EQ(allyController->allyCalls.size(), 1u);
    EXPECT_EQ(allyController->allyCalls[0], std::make_pair(caller->GetObjectId(), 99u));
    EXPECT_TRUE(farController->allyCalls.empty());
    EXPECT_EQ(caller->GetDistressCallTimer(), 5000);

    int frames = 0;
    while (allyController->allyCalls.size() == 1 && frames < 1000) {
        if (caller->GetDistressCallTimer() > 0)
            caller->SetDistressCallTimer(std::max(0, caller->GetDistressCallTimer() - 16));
        ++frames;
        caller->UnderAttack(99);
    }
    EXPECT_EQ(frames, 313);   // 5000 / 16, rounded up
    EXPECT_EQ(allyController->allyCalls.size(), 2u);
    EXPECT_EQ(caller->GetDistressCallsLeft(), 0);

    caller->SetDistressCallTimer(-20);   // a frame that overshot: still no calls left
    caller->UnderAttack(99);
    EXPECT_EQ(allyController->allyCalls.size(), 2u);
    EXPECT_EQ(caller->GetDistressCallsLeft(), 0);
}

TEST_F(HookCombatTest, HookIncreasedExperienceAddsItsShareAndNeverWraps)
{
    Character* c = Make("");
    c->SetTotalCharAttribute(CharAttributeType_IncreasedExperience, 10.0f);
    c->ReceiveExperience(95, true);
    EXPECT_EQ(c->GetPlayStats().GetExperienceGained(), 105);
    c->ReceiveExperience(5, true);
    EXPECT_EQ(c->GetPlayStats().GetExperienceGained(), 111);

    Character* cursed = Make("");
    cursed->SetTotalCharAttribute(CharAttributeType_IncreasedExperience, -150.0f);
    const uint32_t level = cursed->GetPlayStats().GetMaxLevel();
    cursed->ReceiveExperience(95, false);
    EXPECT_EQ(cursed->GetPlayStats().GetExperienceGained(), 0);
    EXPECT_EQ(cursed->GetExperiencePoints(), 0u);
    EXPECT_EQ(cursed->GetPlayStats().GetMaxLevel(), level);
}

TEST_F(HookCombatTest, HookAttackWithoutAnAuraAddsNoneAndReachesTheCombatManager)
{
    Character* attacker = Make("");
    Character* defender = Make("");
    defender->SetLifeLimit(100.0f);
    defender->SetCurrentLife(100.0f);
    RandomUniform random;
    ParametersCombat params(random);
    params.attackerId = attacker->GetObjectId();
    defender->TakeAttack(params);
    EXPECT_TRUE(defender->GetAuraManager().GetAuras().empty());
    EXPECT_EQ(defender->GetPlayStats().GetHitsReceived(), 1u);
    EXPECT_EQ(defender->GetCombatManager().GetAttackerId(), attacker->GetObjectId());
}

TEST_F(HookCombatTest, HookNetSoundsPlayWhenRegisteredAndLogOtherwise)
{
    Character* c = Make("");
    auto* registered = ObjectManager::Get().CreateObjectFromFile<SoundPak>(kHookSound);
    auto* stray = ObjectManager::Get().CreateObjectFromFile<SoundPak>(kHookSound);
    c->RegisterNetSound(registered);
    c->RegisterNetSound(nullptr);
    EXPECT_EQ(c->GetNetSounds().size(), 1u);

    LogCapture log;
    c->PlayNetSound(registered);
    c->PlayNetSound(nullptr);
    EXPECT_EQ(registered->GetPlayCount(), 1u);
    EXPECT_TRUE(log.Texts().empty());
    c->PlayNetSound(stray);
    EXPECT_EQ(stray->GetPlayCount(), 0u);
    EXPECT_TRUE(log.Contains("Records/Test/Character.dbr attempted to play an invalid Net Sound."));
    c->OnPlayNetSound(1);
    EXPECT_TRUE(log.Contains("Records/Test/Character.dbr received config cmd to play an invalid Net Sound."));
}

TEST_F(HookCombatTest, HookFootstepsPlayTheFloorsSoundAndFollowTheCharacter)
{
    Character* c = Make("footGrass,Records/Test/Sound.dbr,\nfootStone,Records/Test/Sound.dbr,\n");
    region->SetFloor(0.0f, 1);   // grass
    Place(c, 0.0f);
    c->AnimationCallback(Name("L Footstep"));
    SoundPak* grass = c->GetSoundPak(Character::Sound_FootGrass);
    EXPECT_EQ(grass->GetPlayCount(), 1u);
    EXPECT_EQ(grass->GetTrackedObject(), c->GetObjectId());
    EXPECT_EQ(c->GetSoundPak(Character::Sound_FootStone)->GetPlayCount(), 0u);

    region->SetFloor(-5.0f, 5);   // far below the feet: no step heard
    c->AnimationCallback(Name("R Footstep"));
    EXPECT_EQ(c->GetSoundPak(Character::Sound_FootStone)->GetPlayCount(), 0u);
}

TEST_F(HookCombatTest, HookRagdollIsKeptOnlyOnceLifeIsGoneWithTheRecordsOverrides)
{
    Character* c = Make("overrideRagdollBehavior,TakeHit,\noverrideRagdollSpeed,4,\n");
    c->SetLifeLimit(10.0f);
    c->SetCurrentLife(0.4f);
    EXPECT_EQ(c->GetCurrentLifeInt(), 1);
    CharacterRagDoll::EffectData blow;
    blow.effect = CharacterRagDoll::Crumple;
    blow.speed = 2.0f;
    c->SetRagdollData(blow, false);   // still alive
    EXPECT_EQ(c->GetRagdollData().effect, CharacterRagDoll::Random);
    c->SetRagdollData(blow, true);
    EXPECT_EQ(c->GetRagdollData().effect, CharacterRagDoll::TakeHit);
    EXPECT_EQ(c->GetRagdollData().speed, 4.0f);
    c->SetCurrentLife(0.0f);
    EXPECT_EQ(c->GetCurrentLifeInt(), 0);
    c->SetCurrentLife(9.9f);
    EXPECT_EQ(c->GetCurrentLifeInt(), 9);
}

TEST_F(HookCombatTest, HookANewTeamIsToldToTheControllerTheSameTeamIsNot)
{
    Character* c = Make("");
    auto* controller = DynamicCast<HookTeamController>(ObjectManager::Get().CreateObject("HookTeamController"));
    c->SetControllerId(controller->GetObjectId());
    Team team;
    team.Set(kTeamMajorMonster, 3);
    c->SetTeam(team);
    c->SetTeam(team);
    EXPECT_EQ(controller->changes, 1);
    EXPECT_EQ(c->GetTeam(), team);
    c->SetInvisible(true);
    EXPECT_EQ(c->GetTeam(), TeamManager::InvisibleTeam());
}

TEST_F(HookCombatTest, HookAmbientHighlightLiftsCharactersInDarkUnderground)
{
    Character* c = Make("");
    Place(c, 0.0f);
    AmbianceManager::Get().SetSkyAmbientColor(0, Color{0.1f, 0.1f, 0.1f, 1.0f});
    EXPECT_EQ(c->GetAmbientHighlight(), 0.0f);   // above ground
    region->SetUnderground(true);
    EXPECT_NEAR(c->GetAmbientHighlight(), 0.4f - 0.3f * 0.333f, 1e-6f);
    AmbianceManager::Get().SetSkyAmbientColor(0, Color{1.0f, 1.0f, 1.0f, 1.0f});
    EXPECT_EQ(c->GetAmbientHighlight(), 0.0f);   // a bright sky: never below 0
}

}  // namespace
}  // namespace GAME
