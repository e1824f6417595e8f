#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/world/Prop.h"
#include "skills/FakeSkillOwner.h"
#include "tests/TestDraws.h"

namespace GAME {

// A skill that holds pets as a pet-spawning kind does, and a secondary skill that counts
// what its primary tells it.
class PetHoldingSkill : public Skill {
    GAME_DECLARE_CLASS(PetHoldingSkill)

public:
    void HoldPets(Character* pet, Character* nextPet)
    {
        m_pet = pet;
        m_nextPet = nextPet;
    }
};
GAME_IMPLEMENT_CLASS(PetHoldingSkill, Skill)

class CountingSecondary : public SkillSecondary {
    GAME_DECLARE_CLASS(CountingSecondary)

public:
    void PrimaryActivateNow(Character&, unsigned target, const std::vector<uint32_t>&, const WorldVec3&) override
    {
        calls += "P" + std::to_string(target);
    }
    void ActivateNow(Character&, unsigned target, const std::vector<uint32_t>& targets, const WorldVec3&) override
    {
        calls += "A" + std::to_string(target) + ":" + std::to_string(targets.size());
    }
    void PrimaryStop(Character&) override { calls += "S"; }
    std::string calls;
};
GAME_IMPLEMENT_CLASS(CountingSecondary, SkillSecondary)

namespace {

class SkillTest : public ::testing::Test {
protected:
    void SetUp() override { InitializeSeededObjects(); }
    void TearDown() override
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }

    // A skill from a record of these extra lines, owned by the fake owner.
    Skill* MakeSkill(const std::string& name, const std::string& lines)
    {
        const std::string record = "Records/Skills/" + name + ".dbr";
        RecordDatabase::Get().RegisterRecord(record, "Class,Skill,\nskillMaxLevel,10,\nskillUltimateLevel,10,\n" + lines);
        auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(record);
        if (skill)
            skill->SetManager(&owner);
        return skill;
    }
    FakeOwner owner;
};

TEST_F(SkillTest, LevelsAugmentationAndTheUpdatesTheySend)
{
    owner.services = &owner;
    Skill* skill = MakeSkill("Levels", "");
    ASSERT_NE(skill, nullptr);
    skill->IncrementAugmentedSkillLevel(3);
    EXPECT_EQ(skill->GetCurrentLevel(), 0u);   // augmentation never lifts level zero
    skill->IncrementAugmentedSkillLevel(1);
    skill->SetSkillLevel(8);
    EXPECT_EQ(skill->GetCurrentLevel(), 10u);   // 8 + 4 under the ultimate level
    skill->DecrementAugmentedSkillLevel(9);     // more than it has: none left
    EXPECT_EQ(skill->GetCurrentLevel(), 8u);
    EXPECT_EQ(owner.active, std::vector<uint32_t>{skill->GetObjectId()});
    skill->SetSkillLevel(9);
    skill->IncrementSkillLevel(5);
    ASSERT_EQ(owner.sent.size(), 1u);
    EXPECT_EQ(owner.sent[0].level, 10);
    skill->IncrementSkillLevel(5);
    EXPECT_EQ(owner.sent.size(), 1u);   // at the top: nothing to send

    skill->SetSkillLevel(1);
    EXPECT_TRUE(skill->DecrementSkillLevel());
    EXPECT_EQ(owner.sent.size(), 2u);
    EXPECT_TRUE(owner.active.empty());
    EXPECT_FALSE(skill->DecrementSkillLevel());
    EXPECT_EQ(owner.sent.size(), 2u);

    // The controlling peer keeps its own state against a received one unless forced.
    skill->ReceiveStateUpdate({4, true}, false);
    EXPECT_EQ(skill->GetSkillLevel(), 0);
    skill->ReceiveStateUpdate({4, true}, true);
    EXPECT_EQ(skill->GetSkillLevel(), 4);
    // A peer may send a negative level: it counts as none, not as a huge unsigned one.
    skill->IncrementAugmentedSkillLevel(4);
    skill->ReceiveStateUpdate({-5, true}, true);
    EXPECT_EQ(skill->GetCurrentLevel(), 0u);
    EXPECT_TRUE(owner.active.empty());
}

TEST_F(SkillTest, CooldownsStartAboveATenthOfAMillisecondAndReductionsCapAtAll)
{
    std::vector<Skill*> skills;
    for (auto [name, lines] : {std::pair{"Tenth", "skillCooldownTime,0.0001,\n"},
                               {"Fifth", "skillCooldownTime,0.0002,\n"}, {"Huge", "skillCooldownTime,1e30,\n"},
                               {"Whole", "skillCooldownTime,2,\nskillCooldownReduction,100,\n"},
                               {"Beyond", "skillCooldownTime,2,\nskillCooldownReduction,150,\n"
                                          "skillManaCost,40,\nskillManaCostReduction,120,\n"},
                               {"Half", "skillCooldownTime,2,\nskillCooldownReduction,50,\n"}}) {
        Skill* skill = MakeSkill(name, lines);
        ASSERT_NE(skill, nullptr) << name;
        skill->SetSkillLevel(1);
        skill->StartCooldown();
        skills.push_back(skill);
    }
    Skill* fifth = skills[1];
    EXPECT_EQ(skills[0]->GetCooldownTotal(), 0);
    EXPECT_EQ(fifth->GetCooldownRemaining(), 0);
    EXPECT_EQ(fifth->GetCooldownTotal(), 0);
    EXPECT_EQ(fifth->GetCooldownCompletion(), 1.0f);
    EXPECT_EQ(skills[2]->GetCooldownRemaining(), INT32_MAX);   // clamped, not undefined
    EXPECT_EQ(skills[3]->GetCooldownTotal(), 0);
    EXPECT_EQ(skills[4]->GetCooldownTotal(), 0);
    EXPECT_EQ(skills[4]->GetManaCost(), 0.0f);
    EXPECT_EQ(skills[5]->GetCooldownTotal(), 1000);

    fifth->ReplaceCooldownTime(5000.0f);
    fifth->ReplaceCooldownTime(3000.0f);
    EXPECT_EQ(fifth->GetCooldownRemaining(), 5000);   // a shorter one does not replace
    fifth->EndCooldown(4000);
    fifth->ReplaceCooldownTime(3000.0f);
    EXPECT_EQ(fifth->GetCooldownRemaining(), 3000);
    EXPECT_EQ(fifth->GetCooldownTotal(), 3000);
    fifth->EndCooldown(2250);
    EXPECT_FLOAT_EQ(fifth->GetCooldownCompletion(), 0.75f);
    fifth->EndCooldown(5000);
    EXPECT_EQ(fifth->GetCooldownRemaining(), 0);
    fifth->ReplaceCooldownTime(500.0f);
    fifth->EndCooldown(0);
    EXPECT_EQ(fifth->GetCooldownRemaining(), 0);
}

TEST_F(SkillTest, ReasonsComeInTheOrderManaCooldownWeaponLevel)
{
    Skill* skill = MakeSkill("Reasons", "skillManaCost,30,\nSword,1,\n");
    ASSERT_NE(skill, nullptr);
    skill->SetSkillLevel(1);
    skill->ReplaceCooldownTime(1000.0f);
    owner.mana = 10.0f;
    EXPECT_FALSE(skill->SetAvailability(false, false));
    EXPECT_EQ(skill->GetReason(), Skill_NotEnoughMana);
    EXPECT_FALSE(skill->SetAvailability(true, false));
    EXPECT_EQ(skill->GetReason(), Skill_CoolingDown);
    EXPECT_FALSE(skill->SetAvailability(true, true));
    EXPECT_EQ(skill->GetReason(), Skill_WeaponNotQualifying);
    EXPECT_TRUE(skill->UseDefaultWhenUnavailable());
    owner.left = Weapon_Sword;
    EXPECT_TRUE(skill->SetAvailability(true, true));
    EXPECT_EQ(skill->GetReason(), Skill_Usable);
    owner.left = Weapon_Axe;
    skill->DecrementSkillLevel();
    EXPECT_FALSE(skill->SetAvailability(true, true));
    EXPECT_EQ(skill->GetReason(), Skill_WeaponNotQualifying);   // the weapon before the level
    owner.right = Weapon_Sword;
    EXPECT_FALSE(skill->SetAvailability(true, true));
    EXPECT_EQ(skill->GetReason(), Skill_LevelZero);

    owner.mana = 100.0f;
    skill->SetSkillLevel(1);
    skill->SubtractManaCost();
    EXPECT_EQ(owner.mana, 70.0f);
}

TEST_F(SkillTest, ModifiersAndLinkedSkillsCountOnlyWhileTheyResolve)
{
    Skill* skill = MakeSkill("Modified", "skillManaCost,10;20,\nskillCooldownTime,2;3,\n");
    Skill* base = MakeSkill("Base", "");
    Skill* mastery = MakeSkill("Mastery", "");
    RecordDatabase::Get().RegisterRecord("Records/Skills/Modifier.dbr",
                                         "Class,Skill_Modifier,\nskillMaxLevel,5,\nskillManaCost,5,\n");
    auto* modifier = ObjectManager::Get().CreateObjectFromFile<Skill_Modifier>("Records/Skills/Modifier.dbr");
    ASSERT_TRUE(skill && base && mastery && modifier);
    skill->AddModifier(modifier->GetObjectId());
    skill->AddModifier(skill->GetObjectId() + 1000);
    skill->SetSkillLevel(2);
    EXPECT_EQ(skill->GetManaCost(), 20.0f);   // the modifier has no level yet
    modifier->SetSkillLevel(1);
    EXPECT_EQ(skill->GetManaCost(), 25.0f);
    skill->StartCooldown();
    EXPECT_EQ(skill->GetCooldownTotal(), 3000);

    EXPECT_TRUE(skill->IsBaseSkillEnabled());
    skill->AddBaseSkill(base->GetObjectId() + 1000);
    skill->AddBaseSkill(base->GetObjectId());
    EXPECT_FALSE(skill->IsBaseSkillEnabled());
    base->SetSkillLevel(1);
    EXPECT_TRUE(skill->IsBaseSkillEnabled());

    EXPECT_TRUE(skill->IsSkillTheMasterySkill());
    skill->AddMastery(mastery->GetObjectId());
    mastery->SetSkillLevel(3);
    mastery->IncrementAugmentedSkillLevel(2);
    EXPECT_EQ(skill->GetMasteryLevel(), 3);   // its own level, not the current one
    ObjectManager::Get().DestroyObjectEx(mastery, "test", __LINE__);
    EXPECT_EQ(skill->GetMasteryLevel(), 0);
}

TEST_F(SkillTest, LoadKeepsSoundsAndPropsOfTheirClassAndDestroysThemWithTheSkill)
{
    RecordDatabase::Get().RegisterRecord("Records/Sounds/Swipe.dbr", "Class,SoundPak,\n");
    RecordDatabase::Get().RegisterRecord("Records/Props/Torch.dbr", "Class,Prop,\n");
    Skill* skill = MakeSkill("Loaded", "distanceProfile,Long,\nskillSwipeSound,Records/Sounds/Swipe.dbr,\n"
                                       "skillHitSound,Records/Props/Torch.dbr,\npropName1,Records/Props/Torch.dbr,\n"
                                       "propName2,Records/Sounds/Swipe.dbr,\n");
    Skill* careless = MakeSkill("Careless", "distanceProfile,long,\n");
    ASSERT_TRUE(skill && careless);
    EXPECT_EQ(skill->GetResourceName(), Name("records\\skills\\loaded.dbr"));
    EXPECT_EQ(skill->GetRange(), gGameEngine->GetLongRange());
    EXPECT_EQ(careless->GetRangeProfile(), Skill_RangeMelee);   // the words are case-sensitive
    SoundPak* swipe = skill->GetSound(Skill::Sound_Swipe);
    ASSERT_NE(swipe, nullptr);
    EXPECT_EQ(skill->GetSound(Skill::Sound_Hit), nullptr);   // a prop is no sound
    ASSERT_NE(skill->GetProp1(), nullptr);
    EXPECT_EQ(skill->GetProp2(), nullptr);
    skill->PreLoad(true);
    EXPECT_EQ(swipe->GetPreLoadCount(), 1u);

    const uint32_t swipeId = swipe->GetObjectId();
    const uint32_t propId = skill->GetProp1()->GetObjectId();
    ObjectManager::Get().DestroyObjectEx(skill, "test", __LINE__);
    EXPECT_EQ(ObjectManager::Get().GetObject(propId), nullptr);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObject(swipeId), nullptr);
}

// The character's skill manager installs what enters its list, counts cooldowns down each
// frame, sends the enabled flag as availability changes and takes back a leaving skill's
// weapon enchantment.
TEST_F(SkillTest, TheCharactersManagerUpdatesSendsAndUninstallsItsSkills)
{
    RecordDatabase::Get().RegisterRecord("Records/Skills/Owner.dbr", "Class,Character,\ncharacterMana,50,\n");
    auto* character = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Skills/Owner.dbr");
    Skill* skill = MakeSkill("Owned", "");
    Skill* other = MakeSkill("Other", "");
    ASSERT_TRUE(character && skill && other);
    SkillManager& manager = character->GetSkillManager();
    manager.SetSkillServices(&owner);
    for (Skill* each : {skill, other}) {
        each->SetManager(&manager);
        each->SetSkillLevel(1);
    }
    EXPECT_EQ(manager.FindSkillId("records/skills/OWNED.dbr"), skill->GetObjectId());
    manager.Update(10);
    EXPECT_TRUE(owner.sent.empty());   // usable and enabled already
    skill->ReplaceCooldownTime(100.0f);
    manager.Update(40);
    EXPECT_EQ(skill->GetCooldownRemaining(), 60);
    ASSERT_EQ(owner.sent.size(), 1u);
    EXPECT_FALSE(owner.sent[0].enabled);
    EXPECT_FALSE(skill->IsSkillEnabled());
    manager.Update(40);
    manager.Update(40);
    ASSERT_EQ(owner.sent.size(), 2u);
    EXPECT_TRUE(owner.sent[1].enabled);
    EXPECT_EQ(owner.sent[1].skillId, skill->GetObjectId());

    manager.AddWeaponEnchantment(skill->GetObjectId(), "Records/Fx/Flame.dbr");
    manager.AddWeaponEnchantment(other->GetObjectId(), "Records/Fx/Frost.dbr");
    const EquipManager& equipment = character->GetCombatManager().GetEquipManager();
    EXPECT_TRUE(skill->DecrementSkillLevel());
    EXPECT_EQ(manager.FindSkillId("records/skills/owned.dbr"), 0u);
    EXPECT_EQ(equipment.GetWeaponEnchantment(), "Records/Fx/Frost.dbr");   // another still holds one
    EXPECT_TRUE(other->DecrementSkillLevel());
    EXPECT_EQ(equipment.GetWeaponEnchantment(), "");

    manager.PushPetInitialize(nullptr);
    manager.PushPetInitialize(character);
    manager.PushPetInitialize(character);
    EXPECT_EQ(manager.GetPetsInitializing().size(), 1u);
    manager.PopPetInitialize(nullptr);
    manager.PopPetInitialize(character);
    EXPECT_TRUE(manager.GetPetsInitializing().empty());
}

// A copy carries every per-instance value but none of the owned objects, so the original
// and the copy each destroy only what they own; the pets go with their skill.
TEST_F(SkillTest, CopiesShareNoOwnedObjectsAndPetsDieWithTheirSkill)
{
    RecordDatabase::Get().RegisterRecord("Records/Sounds/Cast.dbr", "Class,SoundPak,\n");
    Skill* skill = MakeSkill("Copied", "skillCastSound,Records/Sounds/Cast.dbr,\nskillManaCost,2;3;4,\n");
    ASSERT_TRUE(skill && skill->GetSound(Skill::Sound_Cast));
    skill->SetSkillLevel(2);
    skill->IncrementAugmentedSkillLevel(1);
    skill->AddModifier(77);
    skill->ReplaceCooldownTime(900.0f);
    {
        const Skill copy(*skill);
        EXPECT_EQ(copy.GetCurrentLevel(), 3u);
        EXPECT_EQ(copy.GetModifiers(), std::vector<uint32_t>{77});
        EXPECT_EQ(copy.GetCooldownRemaining(), 900);
        EXPECT_EQ(copy.GetResourceName(), skill->GetResourceName());
        EXPECT_EQ(copy.GetSound(Skill::Sound_Cast), nullptr);
        Skill assigned;
        assigned = *skill;
        EXPECT_EQ(assigned.GetManaCost(), 4.0f);
    }
    ASSERT_NE(skill->GetSound(Skill::Sound_Cast), nullptr);   // still the original's
    const uint32_t soundId = skill->GetSound(Skill::Sound_Cast)->GetObjectId();

    RecordDatabase::Get().RegisterRecord("Records/Skills/Pet.dbr", "Class,Character,\n");
    RecordDatabase::Get().RegisterRecord("Records/Skills/PetSkill.dbr", "Class,PetHoldingSkill,\n");
    ObjectManager& objects = ObjectManager::Get();
    auto* holder = objects.CreateObjectFromFile<PetHoldingSkill>("Records/Skills/PetSkill.dbr");
    auto* pet = objects.CreateObjectFromFile<Character>("Records/Skills/Pet.dbr");
    auto* nextPet = objects.CreateObjectFromFile<Character>("Records/Skills/Pet.dbr");
    ASSERT_TRUE(holder && pet && nextPet);
    const uint32_t petIds[] = {pet->GetObjectId(), nextPet->GetObjectId()};
    holder->HoldPets(pet, nextPet);
    objects.DestroyObjectEx(holder, "test", __LINE__);
    objects.DestroyObjectEx(skill, "test", __LINE__);
    objects.FlushDestroyedObjects();
    for (uint32_t id : {petIds[0], petIds[1], soundId})
        EXPECT_EQ(objects.GetObject(id), nullptr);
}

// The modifier family reaches every modifier that still exists, each at its own level;
// the secondary skills hear from their primary in the order they were added.
TEST_F(SkillTest, ModifierFamilyAndSecondarySkillsReachOnlyWhatResolves)
{
    ObjectManager& objects = ObjectManager::Get();
    RecordDatabase::Get().RegisterRecord("Records/Skills/Racial.dbr",
                                         "Class,Skill_Modifier,\nskillMaxLevel,5,\n"
                                         "racialBonusRace,Undead,\nracialBonusPercentDamage,10;20,\n"
                                         "racialBonusAbsoluteDefense,3;4,\nskillCooldownReduction,25;50,\n");
    Skill* skill = MakeSkill("Primary", "skillDisplayName,tagPrimary,\nisPetDisplayable,1,\n");
    Skill* base = MakeSkill("BaseSkill", "skillDisplayName,tagBase,\n");
    auto* modifier = objects.CreateObjectFromFile<Skill_Modifier>("Records/Skills/Racial.dbr");
    ASSERT_TRUE(skill && base && modifier);
    EXPECT_TRUE(skill->IsPetDisplayable());
    EXPECT_EQ(skill->GetBaseNameText(), "");
    skill->AddBaseSkill(base->GetObjectId());
    EXPECT_EQ(skill->GetBaseNameText(), "tagBase");

    skill->AddModifier(modifier->GetObjectId() + 500);   // never resolves
    skill->AddModifier(modifier->GetObjectId());
    modifier->SetSkillLevel(2);
    std::string name = "unchanged";
    unsigned level = 99;
    skill->GetModifierInfo(0, name, level);
    skill->GetModifierInfo(2, name, level);
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(level, 99u);
    skill->GetModifierInfo(1, name, level);
    EXPECT_EQ(name, "Records/Skills/Racial.dbr");
    EXPECT_EQ(level, 2u);

    RacialBonus_Damage damage;
    RacialBonus_Defense defense;
    skill->AddModifierRacialBonusDamage({"Beast"}, damage);
    EXPECT_EQ(damage.percent, 0.0f);
    skill->AddModifierRacialBonusDamage({"Beast", "Undead"}, damage);
    skill->AddModifierRacialBonusDefense({"Undead"}, defense);
    EXPECT_EQ(damage.percent, 20.0f);
    EXPECT_EQ(defense.absolute, 4.0f);
    SkillAttributeAccumulator attributes;
    skill->AddModifierSkillAttributes(attributes);
    EXPECT_EQ(attributes.GetValue(SkillAttributeType_CooldownReduction), 50.0f);

    RecordDatabase::Get().RegisterRecord("Records/Skills/Echo.dbr", "Class,CountingSecondary,\n");
    auto* first = objects.CreateObjectFromFile<CountingSecondary>("Records/Skills/Echo.dbr");
    auto* second = objects.CreateObjectFromFile<CountingSecondary>("Records/Skills/Echo.dbr");
    RecordDatabase::Get().RegisterRecord("Records/Skills/Owner2.dbr", "Class,Character,\n");
    auto* character = objects.CreateObjectFromFile<Character>("Records/Skills/Owner2.dbr");
    ASSERT_TRUE(first && second && character);
    skill->AddSecondarySkill(second->GetObjectId());
    skill->AddSecondarySkill(base->GetObjectId());   // not a secondary skill
    skill->AddSecondarySkill(first->GetObjectId());
    skill->PrimaryActivateSecondarySkills(*character, 7, {}, WorldVec3());
    skill->ActivateSecondarySkills(*character, 8, {1, 2}, WorldVec3());
    objects.DestroyObjectEx(first, "test", __LINE__);
    skill->PrimaryStopSecondarySkills(*character);
    EXPECT_EQ(second->calls, "P7A8:2S");
}

// A modifier number is its array's entry for the level, 0 past the end of the array.
TEST_F(SkillTest, ModifierNumbersPastTheirArrayAreZero)
{
    Skill* skill = MakeSkill("Short", "skillCooldownTime,2,\nskillManaCost,10;20;30,\nskillTargetNumber,4;-3,\n");
    ASSERT_NE(skill, nullptr);
    ASSERT_NE(skill->GetSkillProfile(), nullptr);
    const SkillProfile& profile = *skill->GetSkillProfile();
    EXPECT_EQ(profile.GetSkillModifierData(0).cooldownTime, 0.0f);
    EXPECT_EQ(profile.GetSkillModifierData(1).cooldownTime, 2.0f);
    for (unsigned level : {2u, 10u, 50u})
        EXPECT_EQ(profile.GetSkillModifierData(level).cooldownTime, 0.0f) << level;
    EXPECT_EQ(profile.GetSkillModifierData(2).manaCost, 20.0f);
    EXPECT_EQ(profile.GetSkillModifierData(7).manaCost, 0.0f);
    EXPECT_EQ(profile.GetSkillModifierData(1).targetNumber, 4u);
    EXPECT_EQ(profile.GetSkillModifierData(2).targetNumber, 0u);   // a negative count is none
    EXPECT_EQ(profile.GetSkillModifierData(1).activeDuration, 0.0f);   // absent key

    SkillProfile_Modifiers one;
    LoadTable record("short.dbr");
    const std::string text = "skillCooldownTime,2;3,\n";
    record.Parse(text.data(), text.size(), "short.dbr");
    one.Load(record, 1);
    EXPECT_EQ(one.cooldownTime, 3.0f);
    one.Load(record, 6);
    EXPECT_EQ(one.cooldownTime, 0.0f);

    skill->SetSkillLevel(1);
    skill->StartCooldown();
    EXPECT_EQ(skill->GetCooldownTotal(), 2000);
}

// A profile adds the skill attributes of a level that no draw can change without drawing;
// the draws it skips are still taken before a later attribute draws, so every sum is the
// one the stores give when they draw in turn.
TEST_F(SkillTest, SkillAttributesThatNeedNoDrawGiveTheStoresSums)
{
    const auto record = [](const std::string& text) {
        LoadTable table("test.dbr");
        table.Parse(text.data(), text.size(), "test.dbr");
        return table;
    };
    SkillProfile certain;
    SkillProfile chancy;
    certain.LoadProfile(record("skillCooldownReduction,5;10,\nskillManaCostReductionModifier,20,\n"
                               "skillManaCostReductionModifierChance,100,\n"));
    chancy.LoadProfile(record("skillManaCostReduction,8;9,\nskillManaCostReductionChance,0;50,\n"));
    for (uint32_t seed : {1u, 77u, 4242u, 31337u}) {
        for (unsigned level : {0u, 1u, 2u, 5u}) {
            SkillAttributeAccumulator fast;
            SkillAttributeAccumulator drawn;
            fast.SetSeed(seed);
            drawn.SetSeed(seed);
            for (int round = 0; round < 3; ++round) {   // roll-free, then a level that draws
                certain.GetSkillAttributes(fast, level);
                chancy.GetSkillAttributes(fast, level);
                certain.GetSkillAttrStore().AddToAccumulator(drawn, level);
                chancy.GetSkillAttrStore().AddToAccumulator(drawn, level);
            }
            for (uint32_t type = 0; type < kSkillAttributeTypeCount; ++type) {
                const auto kind = static_cast<SkillAttributeType>(type);
                EXPECT_EQ(fast.GetValue(kind), drawn.GetValue(kind)) << seed << " " << level << " " << type;
                EXPECT_EQ(fast.GetModifier(kind), drawn.GetModifier(kind)) << seed << " " << level;
            }
            EXPECT_EQ(fast.GetRandomGen().IGenerate(0, 1000000), drawn.GetRandomGen().IGenerate(0, 1000000));
        }
    }
}

// A skill keeps the sums of itself and its modifiers between updates; they follow every
// change of a modifier's level, the list, a modifier going away, and are never kept when a
// chance decided them.
TEST_F(SkillTest, KeptSumsFollowModifiersAndNeverHideARoll)
{
    ObjectManager& objects = ObjectManager::Get();
    RecordDatabase::Get().RegisterRecord("Records/Skills/Cheap.dbr",
                                         "Class,Skill_Modifier,\nskillMaxLevel,5,\nskillManaCost,1;2,\n"
                                         "skillManaCostReduction,10;20,\n");
    RecordDatabase::Get().RegisterRecord("Records/Skills/Lucky.dbr",
                                         "Class,Skill_Modifier,\nskillMaxLevel,5,\n"
                                         "skillManaCostReduction,50,\nskillManaCostReductionChance,50,\n");
    Skill* skill = MakeSkill("Kept", "skillManaCost,0.1;0.2,\n");
    auto* cheap = objects.CreateObjectFromFile<Skill_Modifier>("Records/Skills/Cheap.dbr");
    auto* other = objects.CreateObjectFromFile<Skill_Modifier>("Records/Skills/Cheap.dbr");
    auto* lucky = objects.CreateObjectFromFile<Skill_Modifier>("Records/Skills/Lucky.dbr");
    ASSERT_TRUE(skill && cheap && other && lucky);
    skill->SetSkillLevel(1);
    cheap->SetSkillLevel(1);
    other->SetSkillLevel(2);
    skill->AddModifier(cheap->GetObjectId());
    const auto total = [&] {
        SkillProfile_Modifiers sums;
        skill->GetSkillModifierData(sums);
        return sums.manaCost;
    };
    EXPECT_EQ(total(), 0.1f + 1.0f);
    EXPECT_EQ(skill->GetTotalSkillAttribute(SkillAttributeType_ManaCostReduction), 10.0f);
    cheap->SetSkillLevel(2);
    EXPECT_EQ(total(), 0.1f + 2.0f);
    EXPECT_EQ(skill->GetTotalSkillAttribute(SkillAttributeType_ManaCostReduction), 20.0f);
    skill->AddModifier(other->GetObjectId());
    EXPECT_EQ(total(), 0.1f + 2.0f + 2.0f);
    // Into a partial sum the numbers are added one by one, as without kept sums.
    SkillProfile_Modifiers partial;
    partial.manaCost = 1e8f;
    skill->GetSkillModifierData(partial);
    EXPECT_EQ(partial.manaCost, ((1e8f + 0.1f) + 2.0f) + 2.0f);
    objects.DestroyObjectEx(cheap, "test", __LINE__);
    EXPECT_EQ(total(), 0.1f + 2.0f);

    // With a chance in play, each call draws from its own seed like the store would.
    skill->AddModifier(lucky->GetObjectId());
    lucky->SetSkillLevel(1);
    std::vector<float> seen;
    for (int i = 0; i < 40; ++i)
        seen.push_back(skill->GetTotalSkillAttribute(SkillAttributeType_ManaCostReduction));
    EXPECT_NE(std::count(seen.begin(), seen.end(), 20.0f), 0);
    EXPECT_NE(std::count(seen.begin(), seen.end(), 70.0f), 0);
}

}  // namespace
}  // namespace GAME
