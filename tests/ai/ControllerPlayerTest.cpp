// The player's controller and states driven through the host's operations: clicks,
// mouse repeat, skills, impairments, death and respawn, pets and the mailbox.
#include <algorithm>
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "characters/CharacterWorldFixture.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/ai/ControllerPlayerStates.h"
#include "Game/characters/Player.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/ActivityManager.h"
#include "Game/items/Item.h"
#include "Game/items/PlayerHotSlotCtrl.h"
#include "Game/skills/SkillActivated.h"
#include "ai/ControllerAITestAccess.h"

namespace GAME {

// A skill of a chosen target type that takes whatever target it is given.
class PlayerClickTestSkill : public SkillActivated {
    GAME_DECLARE_CLASS(PlayerClickTestSkill)

public:
    void Set(int targetType, bool repeatable)
    {
        m_targetType = static_cast<SkillTargetType>(targetType);
        m_repeatable = repeatable;
    }
    // What the skill's use query answers.
    void Answer(Skill_UseQuery reason) { SetReason(reason); }
    bool GetValidTarget(const Character&, unsigned&, const WorldVec3&, bool, float) const override { return true; }
};
GAME_IMPLEMENT_CLASS(PlayerClickTestSkill, SkillActivated)

// An item the world counts as placed though it stands in no region.
class PlayerClickFloatingItem : public Item {
    GAME_DECLARE_CLASS(PlayerClickFloatingItem)

public:
    bool IsInWorld() const override { return true; }
};
GAME_IMPLEMENT_CLASS(PlayerClickFloatingItem, Item)

// Counts the voice prompts played.
class PlayerClickVoice : public SoundPak {
    GAME_DECLARE_CLASS(PlayerClickVoice)

public:
    void Play(const WorldVec3&, int, bool) override { ++plays[GetObjectName()]; }
    static inline std::map<std::string, int> plays;
};
GAME_IMPLEMENT_CLASS(PlayerClickVoice, SoundPak)

namespace {

constexpr const char* kCooldownVoice = "Records/Test/CooldownVoice.dbr";
constexpr const char* kManaVoice = "Records/Test/ManaVoice.dbr";

class ControllerPlayerTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().RegisterRecord(Player::kPlayerControllerRecord,
                                             "Class,ControllerPlayer,\ncontrollerDeathDelay,0.25,\n");
        RecordDatabase::Get().RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        RecordDatabase::Get().RegisterRecord(kCooldownVoice, "Class,PlayerClickVoice,\n");
        RecordDatabase::Get().RegisterRecord(kManaVoice, "Class,PlayerClickVoice,\n");
        PlayerClickVoice::plays.clear();
        player = Make<Player>(std::string("unarmedRunAnim,Swing.anm,\nskillCooldownSound,") + kCooldownVoice +
                                  ",\nnotEnoughManaSound," + kManaVoice + ",\n",
                              "Player");
        player->SetIsControllingCharacter(true);   // the player controller of the record
        Place(player, 0.0f);
        mind = player->GetPlayerController();
        ASSERT_NE(mind, nullptr);
        Frame();
    }
    std::string State() const { return mind->GetExecutingStateName(); }
    bool Click(bool primary, const WorldVec3& point, uint32_t target = 0, bool repeat = false, bool inPlace = false)
    {
        return mind->HandleActionFromMouse(primary, inPlace, false, repeat, point, target);
    }
    // A skill the player owns, of that target type; repeatable or not.
    PlayerClickTestSkill* Skill(int targetType, bool repeatable)
    {
        const std::string name = "Records/Test/PlayerSkill" + std::to_string(++skills) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, "Class,PlayerClickTestSkill,\nskillMaxLevel,1,\n");
        auto* skill = ObjectManager::Get().CreateObjectFromFile<PlayerClickTestSkill>(name);
        if (skill) {
            skill->Set(targetType, repeatable);
            player->GetSkillManager().AddSkill(skill);
            skill->SetSkillLevel(1);
        }
        return skill;
    }

    Player* player = nullptr;
    ControllerPlayer* mind = nullptr;
    int skills = 0;
};

TEST_F(ControllerPlayerTest, StartsInLongIdleAndStartsDeadWithoutALivingPlayer)
{
    EXPECT_EQ(State(), "LongIdle");
    EXPECT_EQ(mind->GetDeathDelay(), 250);

    auto* orphan = DynamicCast<ControllerPlayer>(ObjectManager::Get().CreateObject("ControllerPlayer"));
    ASSERT_NE(orphan, nullptr);
    orphan->Update(16);
    EXPECT_EQ(orphan->GetExecutingStateName(), "Dead");
    uint32_t target = 0;
    EXPECT_FALSE(orphan->HandleActionFromMouse(true, false, false, false, At(5.0f), target));

    // An attack wakes the long idle; the "Idle" countdown is drawn anew while attacked.
    mind->UnderAttack(0);
    EXPECT_EQ(State(), "Idle");
}

TEST_F(ControllerPlayerTest, IdleHoldsWhileInCombatAndFallsToLongIdleWhenItsCountdownReachesZero)
{
    Character* foe = OnTeam(kTeamMajorMonster, 4.0f);
    auto idle = [&] { return dynamic_cast<ControllerPlayerStateIdle*>(mind->GetExecutingState()); };
    mind->UnderAttack(foe->GetObjectId());
    ASSERT_NE(idle(), nullptr);

    // A real hit keeps the player in combat for its in-combat time; all that time the
    // countdown is drawn anew, and only then does it run down (8 to 12 s).
    RandomUniform random;
    random.Seed(5);
    ParametersCombat hit(random);
    hit.attackerId = foe->GetObjectId();
    hit.combatType = ParametersCombatStyle::Direct;
    player->SetLifeLimit(100000.0f);
    player->SetCurrentLife(100000.0f);
    player->TakeAttack(hit);
    ASSERT_TRUE(player->IsUnderAttack());
    for (int ms = 0; ms < 14000; ms += 100)
        Frame(100);
    EXPECT_EQ(State(), "Idle");
    EXPECT_FALSE(player->IsUnderAttack());

    // A frame that brings the countdown to exactly 0 ends it.
    ASSERT_NE(idle(), nullptr);
    Frame(idle()->GetIdleCountdown());
    EXPECT_EQ(State(), "LongIdle");
}

TEST_F(ControllerPlayerTest, ClicksOfADeadOrTeleportingPlayerChangeNothing)
{
    Character* foe = OnTeam(kTeamMajorMonster, 4.0f);
    for (const bool teleporting : {true, false}) {
        SCOPED_TRACE(teleporting ? "teleporting" : "dead");
        mind->SetMouseRepeat(foe->GetObjectId(), At(4.0f));
        if (teleporting)
            player->SetTeleporting(true);
        else
            player->SetLifeState(Character_LifeState_Dead);
        uint32_t target = foe->GetObjectId();
        EXPECT_FALSE(mind->HandleActionFromMouse(true, false, false, true, At(8.0f), target));
        EXPECT_EQ(target, 0u);
        EXPECT_EQ(mind->GetMouseRepeatTarget(), 0u);
        EXPECT_EQ(State(), "LongIdle");
        player->SetTeleporting(false);
        player->SetLifeState(Character_LifeState_Alive);
    }
}

TEST_F(ControllerPlayerTest, MouseRepeatUsesTheRememberedTargetUntilItDies)
{
    Character* foe = OnTeam(kTeamMajorMonster, 4.0f);
    const uint32_t foeId = foe->GetObjectId();
    const uint32_t thing = ObjectManager::Get().CreateObject("PlayerClickFloatingItem")->GetObjectId();

    struct Case {
        const char* name;
        uint32_t remembered;
        bool repeat;
        bool kill;
        uint32_t expectedEnemy;   // the combat enemy after the click
        uint32_t expectedRepeat;  // the remembered target after the click
    };
    const Case cases[] = {
        {"held on a living foe", foeId, true, false, foeId, foeId},
        {"held on no character", thing, true, false, thing, thing},
        {"fresh click forgets", foeId, false, false, 0, 0},
        {"held on a dead foe", foeId, true, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mind->SetCombatEnemy(0);
        mind->SetMouseRepeat(c.remembered, At(4.0f));
        if (c.kill)
            foe->SetLifeState(Character_LifeState_Dead);
        uint32_t target = 0;
        const bool moved = Click(false, At(20.0f), target, c.repeat);
        EXPECT_FALSE(moved);   // the right button never moves
        EXPECT_EQ(mind->GetCombatEnemy(), c.expectedEnemy);
        EXPECT_EQ(mind->GetMouseRepeatTarget(), c.expectedRepeat);
        EXPECT_EQ(mind->IsCommandRepeated(), c.repeat);
    }
}

TEST_F(ControllerPlayerTest, APrimaryClickOnTheGroundMovesAndAHeldClickAlongTheHeadingIsQueued)
{
    EXPECT_FALSE(Click(true, At(1.0f)) && State() == "MoveTo");   // nearer than 1.6: nothing
    EXPECT_EQ(State(), "LongIdle");
    EXPECT_FALSE(Click(true, WorldVec3()));   // a point in no region is no move
    EXPECT_EQ(State(), "LongIdle");
    EXPECT_TRUE(Click(true, At(20.0f)));
    ASSERT_EQ(State(), "MoveTo");
    auto* moving = static_cast<ControllerPlayerStateMoveTo*>(mind->GetExecutingState());

    EXPECT_TRUE(Click(true, At(25.0f), 0, true));   // straight on: queued, the path goes on
    EXPECT_EQ(mind->GetExecutingState(), moving);
    EXPECT_EQ(moving->GetQueuedPoint(), At(25.0f));

    EXPECT_TRUE(Click(true, At(20.0f, 20.0f)));   // far off the heading: replanned at once
    EXPECT_FALSE(moving->GetQueuedPoint().IsValid());
    EXPECT_EQ(mind->GetCurrentPointOfInterest(), At(20.0f, 20.0f));

    // The secondary button on the ground does nothing without a slot; it never moves.
    EXPECT_FALSE(Click(false, At(-20.0f)));
    EXPECT_EQ(mind->GetCurrentPointOfInterest(), At(20.0f, 20.0f));
}

TEST_F(ControllerPlayerTest, AnItemAtReachIsPickedUpAndOneWithoutRegionIsRefusedWithAWarning)
{
    auto* item = DynamicCast<Item>(ObjectManager::Get().CreateObject("Armor"));
    ASSERT_NE(item, nullptr);
    const float reach = player->GetExtents() + item->GetBoundingRadius() + 1.0f;
    ASSERT_TRUE(World::Get().AddEntity(item, WorldCoords(region, Coords::MakeTranslation({reach, 0, 0}))));
    uint32_t target = item->GetObjectId();
    // The player has no pick-up animation: the item is taken at once and the state ends
    // without waiting for an "End" that nothing would raise.
    EXPECT_FALSE(Click(true, At(reach), target));
    EXPECT_EQ(State(), "Idle");
    EXPECT_EQ(mind->GetCurrentAlly(), 0u);
    Frame();
    EXPECT_FALSE(item->IsInWorld());
    EXPECT_TRUE(mind->GetInventoryCtrl().HasItem(item->GetObjectId()));

    auto* nowhere = DynamicCast<Item>(ObjectManager::Get().CreateObject("PlayerClickFloatingItem"));
    ASSERT_NE(nowhere, nullptr);
    LogCapture log;
    target = nowhere->GetObjectId();
    EXPECT_FALSE(Click(true, WorldVec3(), target));
    EXPECT_TRUE(log.Contains("Player tried to pick up item when item and mouse position had no valid region"));
    EXPECT_EQ(State(), "Idle");
}

TEST_F(ControllerPlayerTest, SkillTargetsFollowTheTargetTypeAndAHeldSkillIsThrottled)
{
    Character* foe = OnTeam(kTeamMajorMonster, 1.5f);
    Character* friendOf = OnTeam(kTeamMajorHuman, -1.5f);
    struct Case {
        const char* name;
        int targetType;
        uint32_t enemy, ally;
        bool answer;
        uint32_t target;
    };
    const Case cases[] = {
        {"self", 1, 0, 0, true, player->GetObjectId()},
        {"enemy", 2, foe->GetObjectId(), 0, true, foe->GetObjectId()},
        {"enemy with only an ally", 2, 0, friendOf->GetObjectId(), false, 0},
        {"ally", 3, 0, friendOf->GetObjectId(), true, friendOf->GetObjectId()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SkillActivated* skill = Skill(c.targetType, false);
        ASSERT_NE(skill, nullptr);
        mind->SetCombatEnemy(c.enemy);
        mind->SetCombatAlly(c.ally);
        uint32_t target = 77;
        EXPECT_EQ(mind->SendSkillAction(*player, true, false, skill->GetObjectId(), player->GetPathPosition(), target),
                  c.answer);
        EXPECT_EQ(target, c.target);
        if (c.answer) {
            EXPECT_EQ(State(), "UseSkill");
            EXPECT_EQ(mind->GetMouseRepeatTarget(), c.target);
        }
        mind->ClearTarget();
    }

    // Held on one target: a skill that does not repeat is used once per press; one that
    // does, again only after 200 ms.
    for (const bool repeatable : {false, true}) {
        SCOPED_TRACE(repeatable ? "repeatable" : "once");
        SkillActivated* skill = Skill(1, repeatable);
        uint32_t target = 0;
        ASSERT_TRUE(mind->SendSkillAction(*player, true, false, skill->GetObjectId(), At(0.0f), target));
        auto* using_ = static_cast<ControllerPlayerStateUseSkill*>(mind->GetExecutingState());
        ASSERT_EQ(using_->GetReuseCountdown(), 200);
        mind->HandleActionFromMouse(true, true, false, true, At(0.0f), target);   // marks the repeat
        using_->OnUpdate(250);
        EXPECT_TRUE(using_->RequestSkillAction(true, false, skill->GetObjectId(), At(0.0f), target));
        EXPECT_EQ(using_->GetReuseCountdown(), repeatable ? 200 : -50);
        mind->ClearTarget();
    }
}

TEST_F(ControllerPlayerTest, ImpairmentsSendTheirActionsAndReleaseCommands)
{
    mind->BeginStun();
    EXPECT_EQ(State(), "Stunned");
    mind->BeginTrap();   // ignored while stunned
    EXPECT_EQ(State(), "Stunned");
    uint32_t target = 0;
    Click(true, At(20.0f), target);   // a move request, which the stun ignores
    EXPECT_EQ(State(), "Stunned");
    const size_t queued = player->GetQueuedCommandCount();
    mind->EndStun();
    EXPECT_EQ(State(), "Idle");
    EXPECT_EQ(player->GetQueuedCommandCount(), queued + 1);   // the stun's release

    mind->BeginTrap();
    EXPECT_EQ(State(), "Trapped");
    SkillActivated* skill = Skill(1, false);
    target = 0;
    EXPECT_TRUE(mind->SendSkillAction(*player, true, false, skill->GetObjectId(), At(0.0f), target));
    EXPECT_EQ(State(), "UseSkillWhileTrapped");
    mind->HandleEvent(Actor::EndEvent());
    EXPECT_EQ(State(), "Trapped");
    mind->EndTrap();
    EXPECT_EQ(State(), "Idle");

    mind->BeginImmobilize();
    EXPECT_EQ(State(), "Immobilized");
    EXPECT_TRUE(mind->UseItem(5, false));   // item use still passes
    mind->EndImmobilize();
    EXPECT_EQ(State(), "Idle");
}

TEST_F(ControllerPlayerTest, DeathLeadsThroughTheRespawnToIdle)
{
    engine->SetAsNetworkServer();
    engine->GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());
    player->SetLifeState(Character_LifeState_Dying);
    mind->CharacterIsDying();
    EXPECT_EQ(State(), "Dying");
    player->SetLifeState(Character_LifeState_Dead);
    mind->CharacterIsDead();
    EXPECT_EQ(State(), "Dying");
    EXPECT_EQ(mind->GetDeathCountdown(), 250);
    EXPECT_FALSE(mind->UseItem(5, false));
    EXPECT_FALSE(mind->ReleasePet(5));
    uint32_t target = 0;
    EXPECT_FALSE(Click(true, At(20.0f), target));

    // The respawn activity runs its fade and load screen; then the player respawns.
    int frames = 0;
    for (; frames < 200 && State() == "Dying"; ++frames) {
        mind->DeathUpdate(50);
        ActivityManager::Get()->Update(50);
    }
    EXPECT_GT(frames, 1);
    EXPECT_EQ(State(), "Respawning");
    EXPECT_NE(player->GetLifeState(), Character_LifeState_Dead);   // the respawn action brings it back
    EXPECT_EQ(mind->GetRespawnActivity(), 0u);
    mind->CharacterIsDead();
    EXPECT_EQ(State(), "Idle");
}

TEST_F(ControllerPlayerTest, PetCommandsMailboxAndTexts)
{
    // The player turns, level, to face a character.
    Character* foe = OnTeam(kTeamMajorMonster, 0.0f, 6.0f);
    mind->FaceTarget(foe->GetObjectId());
    const Vec3 facing = player->GetCoords().GetRegionCoords().zAxis;
    EXPECT_NEAR(facing.x, 0.0f, 1e-5f);
    EXPECT_NEAR(facing.z, 1.0f, 1e-5f);
    EXPECT_EQ(player->GetCoords().GetPosition(), At(0.0f));

    uint32_t target = 9;
    EXPECT_FALSE(mind->HandlePetAction(*player, false, false, At(3.0f), target));   // no pet selected
    mind->SetPet(9);
    EXPECT_FALSE(mind->HandlePetAction(*player, false, false, At(3.0f), target));   // the pet itself
    EXPECT_EQ(mind->GetPet(), 9u);
    target = 0;
    EXPECT_FALSE(mind->HandlePetAction(*player, false, false, At(3.0f), target));   // gone: still consumed
    EXPECT_EQ(mind->GetPet(), 0u);

    EXPECT_EQ(mind->GetMailboxItem(), 0u);
    EXPECT_EQ(mind->GetMailboxNpcChat(), 0u);
    mind->PopMailboxItem();
    mind->SetUserText("", 100);
    mind->SetUserText("Hello", 0);
    EXPECT_EQ(mind->GetMailboxUserText(), "");
    mind->SetUserText("Hello", 100);
    mind->SetUserText("Again", 50);
    EXPECT_EQ(mind->GetMailboxUserText(), "Hello");
    EXPECT_EQ(mind->GetMailboxUserTextTime(), 100);
    mind->PopUserText();
    EXPECT_EQ(mind->GetMailboxUserText(), "Again");
    mind->PopUserText();
    mind->PopUserText();
    EXPECT_EQ(mind->GetMailboxUserTextTime(), 0);
}

TEST_F(ControllerPlayerTest, PrimaryAndSecondaryClicksChooseBetweenSkillAndMove)
{
    Character* foe = OnTeam(kTeamMajorMonster, 1.5f);
    const uint32_t foeId = foe->GetObjectId();
    PlayerHotSlotCtrl& slots = player->GetPlayerHotSlotCtrl();
    PlayerClickTestSkill* primary = Skill(2, true);
    PlayerClickTestSkill* secondary = Skill(2, true);
    HotSlotOptionSkill primaryOption(primary->GetObjectId());
    primaryOption.SetPlayer(player);
    slots.SetPrimarySlot(&primaryOption);
    struct Case {
        const char* name;
        bool primaryButton, inPlace, disabled;
        uint32_t target;
        Skill_UseQuery reason;
        bool answer;
        const char* state;
        int cooldownVoices;
    };
    const Case cases[] = {
        {"left on the ground moves", true, false, false, 0, Skill_Usable, true, "MoveTo", 0},
        {"left in place uses the skill", true, true, false, 0, Skill_Usable, false, "UseSkill", 0},
        {"left on a monster walks to use the skill", true, false, false, foeId, Skill_Usable, false, "MoveToUseSkill", 0},
        {"left with the slots off moves", true, false, true, foeId, Skill_Usable, true, "MoveTo", 0},
        {"a cooling skill is voiced, then a move", true, false, false, foeId, Skill_CoolingDown, true, "MoveTo", 1},
        {"right without a slot does nothing", false, false, false, foeId, Skill_Usable, false, "LongIdle", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mind->ClearTarget();
        ControllerAITestAccess::SetState(*mind, "LongIdle", ControllerAIStateData());
        PlayerClickVoice::plays.clear();
        player->ResetSkillVox();
        mind->SetCombatEnemy(c.target);
        slots.SetDisableHotSlotsOverride(c.disabled);
        primary->Answer(c.reason);
        uint32_t target = c.target;
        EXPECT_EQ(mind->HandleActionFromMouse(c.primaryButton, c.inPlace, false, false, At(20.0f), target), c.answer);
        EXPECT_EQ(State(), c.state);
        EXPECT_EQ(PlayerClickVoice::plays[kCooldownVoice], c.cooldownVoices);
    }
    slots.SetDisableHotSlotsOverride(false);
    primary->Answer(Skill_Usable);

    // The right button with a skill: used on the monster; never a move.
    HotSlotOptionSkill secondaryOption(secondary->GetObjectId());
    secondaryOption.SetPlayer(player);
    slots.SetSecondarySlot(&secondaryOption);
    mind->SetCombatEnemy(foeId);
    uint32_t target = foeId;
    EXPECT_FALSE(mind->HandleActionFromMouse(false, false, false, false, At(20.0f), target));
    EXPECT_EQ(State(), "MoveToUseSkill");
    EXPECT_EQ(mind->GetCurrentSkillID(), secondary->GetObjectId());
    // Out of mana: the voice (once the last prompt's 3 s are over), no skill, no move.
    ControllerAITestAccess::SetState(*mind, "LongIdle", ControllerAIStateData());
    Frame(3000);
    secondary->Answer(Skill_NotEnoughMana);
    EXPECT_FALSE(mind->HandleActionFromMouse(false, false, false, false, At(20.0f), target));
    EXPECT_EQ(State(), "LongIdle");
    EXPECT_EQ(PlayerClickVoice::plays[kManaVoice], 1);
}

TEST_F(ControllerPlayerTest, WithAPickUpAnimationTheItemIsTakenOnItsEventAndTheStateEndsOnItsEnd)
{
    auto* picker = Make<Player>("unarmedPickupAnim,Swing.anm,\n", "Player");
    picker->SetIsControllingCharacter(true);
    Place(picker, 40.0f);
    auto* item = DynamicCast<Item>(ObjectManager::Get().CreateObject("Armor"));
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(World::Get().AddEntity(item, WorldCoords(region, Coords::MakeTranslation({41.0f, 0, 0}))));
    Frame();
    ControllerPlayer* hands = picker->GetPlayerController();
    ASSERT_NE(hands, nullptr);
    uint32_t target = item->GetObjectId();
    EXPECT_FALSE(hands->HandleActionFromMouse(true, false, false, false, At(41.0f), target));
    EXPECT_EQ(hands->GetExecutingStateName(), "PickupItem");
    EXPECT_EQ(picker->GetActionState(), Character_ActionState_Pickup);
    Frame();
    EXPECT_TRUE(item->IsInWorld());   // not before the animation's "Pickup"
    picker->AnimationCallback(Name("Pickup"));
    Frame();
    EXPECT_TRUE(hands->GetInventoryCtrl().HasItem(item->GetObjectId()));
    EXPECT_EQ(hands->GetExecutingStateName(), "PickupItem");
    picker->AnimationCallback(Actor::EndEvent());
    EXPECT_EQ(hands->GetExecutingStateName(), "Idle");
}

TEST_F(ControllerPlayerTest, ATrappedPlayerUsesSkillsInReachOnlyAndNeverWalks)
{
    Character* near = OnTeam(kTeamMajorMonster, 1.0f);
    Character* far = OnTeam(kTeamMajorMonster, 30.0f);
    SkillActivated* skill = Skill(0, true);
    mind->BeginTrap();
    ASSERT_EQ(State(), "Trapped");
    const size_t before = player->GetQueuedCommandCount();
    uint32_t target = far->GetObjectId();
    EXPECT_FALSE(mind->SendSkillAction(*player, false, false, skill->GetObjectId(), At(30.0f), target));
    EXPECT_EQ(State(), "Trapped");
    EXPECT_EQ(player->GetQueuedCommandCount(), before);
    target = near->GetObjectId();
    EXPECT_TRUE(mind->SendSkillAction(*player, false, false, skill->GetObjectId(), At(1.0f), target));
    EXPECT_EQ(State(), "UseSkillWhileTrapped");
    EXPECT_EQ(mind->GetCurrentEnemy(), near->GetObjectId());
    EXPECT_EQ(player->GetQueuedCommandCount(), before + 1);   // leaving the trap state releases it
    mind->HandleEvent(Actor::EndEvent());
    EXPECT_EQ(State(), "Trapped");
}

// Each idle spell lasts a countdown drawn between 8 and 12 seconds.
TEST_F(ControllerPlayerTest, TheIdleCountdownIsDrawnBetweenEightAndTwelveSeconds)
{
    auto idle = [&] { return dynamic_cast<ControllerPlayerStateIdle*>(mind->GetExecutingState()); };
    int shortest = 12000, longest = 8000;
    for (int spell = 0; spell < 40; ++spell) {
        mind->UnderAttack(0);   // wakes the long idle
        ASSERT_NE(idle(), nullptr);
        const int countdown = idle()->GetIdleCountdown();
        shortest = std::min(shortest, countdown);
        longest = std::max(longest, countdown);
        Frame(countdown);
        ASSERT_EQ(State(), "LongIdle");
    }
    EXPECT_GE(shortest, 8000);
    EXPECT_LE(longest, 12000);
    EXPECT_LT(shortest, 9000) << "the draw covers the range";
    EXPECT_GT(longest, 11000);
}

}  // namespace
}  // namespace GAME
