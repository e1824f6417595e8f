// What combat and controllers do to a character and the feedback it gives: hit effects,
// the low-health warning, traps, calls for help, experience, net sounds, footsteps, the
// rag doll, its team and its highlight underground.
#include "characters/CharacterWorldFixture.h"
#include "Engine/Entity.h"
#include "Engine/ConnectionManager.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/core/TeamManager.h"

namespace GAME {
namespace {

using CharacterCombatTest = CharacterWorldTest;

TEST_F(CharacterCombatTest, AbsEffectsFireOncePerResetAndNotWhenDisarmed)
{
    RecordDatabase::Get().RegisterRecord("Records/Fx/Spark.dbr", "Class,EffectEntity,\n");
    GameRecord("absFireFx,Records/Fx/Spark.dbr,\nabsFireFxSound,Records/Test/Sound.dbr,\n");
    Character* c = Place(Make());
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

    c->ResetAbsEffects();
    c->FireAbsEffect(CombatAttributeType_Fire);
    EXPECT_EQ(sound->GetPlayCount(), 2u);
    c->ResetAbsEffects();
    c->DisarmAbsEffects();
    c->FireAbsEffect(CombatAttributeType_Fire);
    EXPECT_EQ(sound->GetPlayCount(), 2u);
}

TEST_F(CharacterCombatTest, LowHealthFiresOnceUntilLifeIsBackAtTheResetLevel)
{
    Character* c = Make("lowHealthTriggerLevel,30,\nlowHealthResetLevel,50,\nlowHealthSound,Records/Test/Sound.dbr,\n");
    c->SetLifeLimit(200.0f);
    HookController* controller = Control(c);
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
    c->PlayLowHealthSoundIfNeeded(60.0f);
    EXPECT_EQ(controller->lowHealth, 2);
    EXPECT_EQ(sound->GetPlayCount(), 2u);
}

TEST_F(CharacterCombatTest, ReleaseTrapAllowsMovementAndKeepsTheTrapState)
{
    Character* c = Make();
    c->ExecuteTrap();
    EXPECT_TRUE(c->DisallowsMovement());
    c->ReleaseTrap();
    EXPECT_EQ(c->GetActionState(), Character_ActionState_Trap);
    EXPECT_FALSE(c->DisallowsMovement());

    c->ExecuteImmobilize();
    c->ReleaseImmobilize();
    EXPECT_EQ(c->GetActionState(), Character_ActionState_ForcedStop);
}

// The cooldown counts down in 16 ms frames (as the frame does: while above 0, never
// below 0); a call is allowed again once it is down to 0, never while it runs.
TEST_F(CharacterCombatTest, DistressCallsWaitForTheCooldownIn16MsSteps)
{
    Character* caller = Place(Make("maxDistressCalls,2,\ndistressCallTime,5000,\n"));
    HookController* ally = Control(Place(Make(), 10.0f));
    HookController* farAway = Control(Place(Make(), 40.0f));

    caller->UnderAttack(99);
    EXPECT_EQ(ally->allyCalls, (std::vector<std::pair<uint32_t, uint32_t>>{{caller->GetObjectId(), 99u}}));
    EXPECT_TRUE(farAway->allyCalls.empty());
    EXPECT_EQ(caller->GetDistressCallTimer(), 5000);

    int frames = 0;
    while (ally->allyCalls.size() == 1 && frames < 1000) {
        if (caller->GetDistressCallTimer() > 0)
            caller->SetDistressCallTimer(std::max(0, caller->GetDistressCallTimer() - 16));
        ++frames;
        caller->UnderAttack(99);
    }
    EXPECT_EQ(frames, 313);   // 5000 / 16, rounded up
    EXPECT_EQ(ally->allyCalls.size(), 2u);

    caller->SetDistressCallTimer(-20);   // a frame that overshot: still no calls left
    caller->UnderAttack(99);
    EXPECT_EQ(ally->allyCalls.size(), 2u);
    EXPECT_EQ(caller->GetDistressCallsLeft(), 0);
}

// An ally that answers a call for help by calling for help itself, as one struck at once.
class CallingAllyController : public HookController {
    GAME_DECLARE_CLASS(CallingAllyController)

public:
    void AllyAttacked(uint32_t allyId, uint32_t attackerId) override
    {
        HookController::AllyAttacked(allyId, attackerId);
        if (Character* self = GetParentCharacter())
            self->UnderAttack(attackerId);
    }
};
GAME_IMPLEMENT_CLASS(CallingAllyController, HookController)

// A call for help answered by another call: each reaches the allies in its own range, and
// the first goes on through its own allies after the second has ended.
TEST_F(CharacterCombatTest, ACallForHelpAnsweredByAnotherReachesEachCallersAllies)
{
    const std::string calls = "maxDistressCalls,1,\ndistressCallRange,20,\n";
    Character* first = Place(Make(calls), 0.0f);
    Character* second = Place(Make(calls), 10.0f);
    HookController* firstMind = Control(first);
    auto* secondMind = DynamicCast<HookController>(ObjectManager::Get().CreateObject("CallingAllyController"));
    ASSERT_NE(secondMind, nullptr);
    secondMind->AttachParent(second->GetObjectId());
    second->SetControllerId(secondMind->GetObjectId());
    HookController* between = Control(Place(Make(), 12.0f));   // both callers reach it
    // Only the second reaches these: its list outgrows the first's while the first's runs.
    std::vector<HookController*> beyond;
    for (int i = 0; i < 8; ++i)
        beyond.push_back(Control(Place(Make(), 23.0f + 0.5f * static_cast<float>(i))));

    first->UnderAttack(99);
    using Calls = std::vector<std::pair<uint32_t, uint32_t>>;
    const uint32_t a = first->GetObjectId(), b = second->GetObjectId();
    EXPECT_EQ(secondMind->allyCalls, (Calls{{a, 99u}}));
    EXPECT_EQ(firstMind->allyCalls, (Calls{{b, 99u}}));
    EXPECT_EQ(between->allyCalls, (Calls{{b, 99u}, {a, 99u}}));
    for (const HookController* far : beyond)
        EXPECT_EQ(far->allyCalls, (Calls{{b, 99u}}));
    EXPECT_EQ(first->GetDistressCallsLeft(), 0);
    EXPECT_EQ(second->GetDistressCallsLeft(), 0);
}

TEST_F(CharacterCombatTest, IncreasedExperienceAddsItsShareAndNeverWraps)
{
    Character* c = Make();
    c->SetTotalCharAttribute(CharAttributeType_IncreasedExperience, 10.0f);
    c->ReceiveExperience(95, true);
    EXPECT_EQ(c->GetPlayStats().GetExperienceGained(), 105);
    c->ReceiveExperience(5, true);
    EXPECT_EQ(c->GetPlayStats().GetExperienceGained(), 111);

    Character* cursed = Make();
    cursed->SetTotalCharAttribute(CharAttributeType_IncreasedExperience, -150.0f);
    const uint32_t level = cursed->GetPlayStats().GetMaxLevel();
    cursed->ReceiveExperience(95, false);
    EXPECT_EQ(cursed->GetPlayStats().GetExperienceGained(), 0);
    EXPECT_EQ(cursed->GetExperiencePoints(), 0u);
    EXPECT_EQ(cursed->GetPlayStats().GetMaxLevel(), level);
}

TEST_F(CharacterCombatTest, NetSoundsPlayWhenRegisteredAndLogOtherwise)
{
    Character* c = Make();
    auto* registered = ObjectManager::Get().CreateObjectFromFile<SoundPak>(kSound);
    auto* stray = ObjectManager::Get().CreateObjectFromFile<SoundPak>(kSound);
    c->RegisterNetSound(registered);
    c->RegisterNetSound(nullptr);
    EXPECT_EQ(c->GetNetSounds().size(), 1u);

    LogCapture log;
    // The sound travels as a command: it plays when the queue runs, and on a server its
    // packet, carrying the character and the sound's index, goes to every client.
    RecordingTransport transport;
    ConnectionManager::Get().SetTransport(&transport);
    c->PlayNetSound(registered);
    c->PlayNetSound(nullptr);
    EXPECT_EQ(registered->GetPlayCount(), 0u);
    EXPECT_EQ(gEngine->RunActorCommands(), 1);
    ConnectionManager::Get().SetTransport(nullptr);
    EXPECT_EQ(registered->GetPlayCount(), 1u);
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to.kind, NetDestination::AllClients);
    PlaySoundConfigCmdPacket sent;
    ASSERT_TRUE(sent.CopyInbound(transport.sent[0].bytes.data(), static_cast<int>(transport.sent[0].bytes.size())));
    EXPECT_EQ(sent.actorId.GetId(), c->GetObjectId());
    EXPECT_EQ(sent.value, 0u);
    EXPECT_TRUE(log.Texts().empty());
    c->PlayNetSound(stray);
    EXPECT_EQ(stray->GetPlayCount(), 0u);
    EXPECT_TRUE(log.Contains(c->GetObjectName() + " attempted to play an invalid Net Sound."));
    // An index equal to the number of sounds, as a peer may send it.
    c->Enqueue(new PlaySoundConfigCmd(c->GetObjectId(), 1));
    EXPECT_EQ(gEngine->RunActorCommands(), 1);
    EXPECT_TRUE(log.Contains(c->GetObjectName() + " received config cmd to play an invalid Net Sound."));
    EXPECT_EQ(registered->GetPlayCount(), 1u);
}

TEST_F(CharacterCombatTest, FootstepsPlayTheFloorsSoundAndFollowTheCharacter)
{
    region->SetFloor(0.0f, 1);   // grass
    Character* c = Place(Make("footGrass,Records/Test/Sound.dbr,\nfootStone,Records/Test/Sound.dbr,\n"));
    c->AnimationCallback(Name("L Footstep"));
    SoundPak* grass = c->GetSoundPak(Character::Sound_FootGrass);
    EXPECT_EQ(grass->GetPlayCount(), 1u);
    EXPECT_EQ(grass->GetTrackedObject(), c->GetObjectId());
    EXPECT_EQ(c->GetSoundPak(Character::Sound_FootStone)->GetPlayCount(), 0u);

    region->SetFloor(-5.0f, 5);   // far below the feet: no step heard
    c->AnimationCallback(Name("R Footstep"));
    EXPECT_EQ(c->GetSoundPak(Character::Sound_FootStone)->GetPlayCount(), 0u);
}

TEST_F(CharacterCombatTest, RagdollIsKeptOnlyOnceLifeIsGoneWithTheRecordsOverrides)
{
    Character* c = Make("overrideRagdollBehavior,TakeHit,\noverrideRagdollSpeed,4,\n");
    c->SetLifeLimit(10.0f);
    c->SetCurrentLife(0.4f);
    EXPECT_EQ(c->GetCurrentLifeInt(), 1);   // alive is never shown as 0
    const CharacterRagDoll::EffectData blow{CharacterRagDoll::Crumple, {0.0f, 1.0f, 0.0f}, 2.0f};
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

TEST_F(CharacterCombatTest, ANewTeamIsToldToTheControllerTheSameTeamIsNot)
{
    Character* c = Make();
    HookController* controller = Control(c);
    Team team;
    team.Set(kTeamMajorMonster, 3);
    c->SetTeam(team);
    c->SetTeam(team);
    EXPECT_EQ(controller->teamChanges, 1);
    c->SetInvisible(true);
    EXPECT_EQ(c->GetTeam(), TeamManager::InvisibleTeam());
}

TEST_F(CharacterCombatTest, AmbientHighlightLiftsCharactersInDarkUnderground)
{
    Character* c = Place(Make());
    AmbianceManager::Get().SetSkyAmbientColor(0, Color{0.1f, 0.1f, 0.1f, 1.0f});
    EXPECT_EQ(c->GetAmbientHighlight(), 0.0f);   // above ground
    region->SetUnderground(true);
    EXPECT_NEAR(c->GetAmbientHighlight(), 0.4f - 0.3f * 0.333f, 1e-6f);
    AmbianceManager::Get().SetSkyAmbientColor(0, Color{1.0f, 1.0f, 1.0f, 1.0f});
    EXPECT_EQ(c->GetAmbientHighlight(), 0.0f);   // a bright sky: never below 0
}

}  // namespace
}  // namespace GAME
