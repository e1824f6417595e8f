#include <gtest/gtest.h>

#include <string>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillOnDeath.h"
#include "Game/skills/SkillWeaponPool.h"
#include "skills/FakeSkillOwner.h"
#include "tests/TestDraws.h"

namespace GAME {
namespace {

class SkillKindsTest : public ::testing::Test {
protected:
    void SetUp() override { InitializeSeededObjects(); }
    void TearDown() override
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
        RecordDatabase::Get().SetDataRoot("");
    }

    template <class T>
    T* Make(const std::string& name, const std::string& lines)
    {
        const std::string record = "Records/Skills/" + name + ".dbr";
        RecordDatabase::Get().RegisterRecord(record, lines);
        T* skill = ObjectManager::Get().CreateObjectFromFile<T>(record);
        if (skill)
            skill->SetManager(&owner);
        return skill;
    }

    FakeOwner owner;
};

// What one collector of each family adds: strength and reserved mana (character, with
// the penalty), cooldown reduction (skill attributes).
struct Sums {
    float strength = 0.0f;
    float reserve = 0.0f;
    float cooldownReduction = 0.0f;
};

// The sums the two collectors of a skill add into fresh accumulators.
template <class Collect>
Sums Collected(Collect collect)
{
    CharAttributeAccumulator chars;
    SkillAttributeAccumulator skills;
    collect(chars, skills);
    return {chars.GetValueSum(CharAttributeType_Strength), chars.GetValueSum(CharAttributeType_ManaLimitReserve),
            skills.GetValue(SkillAttributeType_CooldownReduction)};
}

Sums Passive(const Skill& skill)
{
    return Collected([&](CharAttributeAccumulator& chars, SkillAttributeAccumulator& skills) {
        skill.CollectPassiveCharAttributes(chars);
        skill.CollectPassiveSkillAttributes(skills);
    });
}

Sums Modifier(const Skill_Modifier& modifier)
{
    return Collected([&](CharAttributeAccumulator& chars, SkillAttributeAccumulator& skills) {
        modifier.CollectModifierCharAttributes(chars);
        modifier.CollectModifierSkillAttributes(skills);
    });
}

// A passive adds its current level's values (augments included), the penalty after the
// attributes, then its modifiers' shares; at level 0 or disabled it adds nothing, and
// neither do its modifiers. A modifier collects the same way for the skill it modifies.
TEST_F(SkillKindsTest, PassivesAndModifiersCollectOnlyWhileEnabledAboveLevelZero)
{
    auto* passive = Make<Skill_Passive>("Might", "Class,Skill_Passive,\nskillMaxLevel,5,\nskillUltimateLevel,8,\n"
                                                 "characterStrength,5;7;9,\ncharacterManaLimitReserve,10;20;30,\n"
                                                 "skillCooldownReduction,1;2;3,\n");
    auto* modifier = Make<Skill_Modifier>("MightMod", "Class,Skill_Modifier,\nskillMaxLevel,5,\nskillUltimateLevel,5,\n"
                                                      "characterStrength,100;200,\nskillCooldownReduction,10,\n");
    ASSERT_TRUE(passive && modifier);
    EXPECT_EQ(passive->GetKindText(), "^bPassive Skill");
    EXPECT_EQ(modifier->GetKindText(), "^bSkill Modifier");
    passive->AddModifier(modifier->GetObjectId());
    modifier->SetSkillLevel(1);

    Sums sums = Passive(*passive);   // level 0: nothing, not even the modifier's share
    EXPECT_EQ(sums.strength + sums.reserve + sums.cooldownReduction, 0.0f);

    passive->SetSkillLevel(1);
    sums = Passive(*passive);
    EXPECT_EQ(sums.strength, 105.0f);
    EXPECT_EQ(sums.reserve, 10.0f);
    EXPECT_EQ(sums.cooldownReduction, 11.0f);

    passive->IncrementAugmentedSkillLevel(1);   // level 2 with the augment
    modifier->IncrementAugmentedSkillLevel(1);
    sums = Passive(*passive);
    EXPECT_EQ(sums.strength, 207.0f);
    EXPECT_EQ(sums.reserve, 20.0f);
    EXPECT_EQ(sums.cooldownReduction, 12.0f);

    modifier->SetSkillEnabled(false);
    sums = Modifier(*modifier);
    EXPECT_EQ(sums.strength + sums.cooldownReduction, 0.0f);
    EXPECT_EQ(Passive(*passive).strength, 7.0f);
    modifier->SetSkillEnabled(true);
    modifier->SetSkillLevel(0);   // an augment alone never lifts level 0
    EXPECT_EQ(Modifier(*modifier).strength, 0.0f);

    passive->SetSkillEnabled(false);
    EXPECT_EQ(Passive(*passive).strength, 0.0f);
}

TEST_F(SkillKindsTest, AMasteryMatchesItsWordExactlyAndKeepsItsLevel)
{
    const char* kRecord = "Class,Skill_Mastery,\nskillMaxLevel,32,\nskillUltimateLevel,40,\nMasteryEnumeration,";
    auto* storm = Make<Skill_Mastery>("Storm", std::string(kRecord) + "MasteryStorm,\n");
    auto* warfare = Make<Skill_Mastery>("Warfare", std::string(kRecord) + "MasteryWarfare,\n");
    auto* lower = Make<Skill_Mastery>("Lower", std::string(kRecord) + "masterystorm,\n");
    auto* none = Make<Skill_Mastery>("None", "Class,Skill_Mastery,\nskillMaxLevel,32,\n");
    ASSERT_TRUE(storm && warfare && lower && none);
    EXPECT_EQ(storm->GetEnumeration(), 4u);
    EXPECT_EQ(warfare->GetEnumeration(), 7u);
    EXPECT_EQ(lower->GetEnumeration(), 0u);
    EXPECT_EQ(none->GetEnumeration(), 0u);
    EXPECT_EQ(storm->GetKindText(), "^bSkill Mastery");
    EXPECT_TRUE(storm->IsA(Skill_Passive::GetStaticClassInfo()));

    storm->SetSkillLevel(3);
    storm->IncrementAugmentedSkillLevel(5);
    EXPECT_EQ(storm->GetCurrentLevel(), 3u);   // augments never reach a mastery
    storm->DecrementAugmentedSkillLevel(5);
    EXPECT_FALSE(storm->DecrementSkillLevel());
    EXPECT_EQ(storm->GetSkillLevel(), 3);
}

TEST_F(SkillKindsTest, PoolSeamsWeighTheirAttacksAndTheDefaultIsAlwaysUsable)
{
    auto* attack = Make<Skill_WPAttack_BasicAttack>(
        "Basic", "Class,Skill_WPAttack_BasicAttack,\nskillMaxLevel,3,\nskillChanceWeight,40;60,\n");
    auto* pool = Make<Skill_WeaponPool_Default>(
        "Pool", "Class,Skill_WeaponPool_Default,\nskillMaxLevel,1,\nskillManaCost,50,\nskillCooldownTime,5,\n");
    auto* death = Make<SkillOnDeath>("Death", "Class,SkillOnDeath,\n");
    ASSERT_TRUE(attack && pool && death);
    EXPECT_TRUE(attack->IsA(Skill_WPAttack::GetStaticClassInfo()));
    EXPECT_TRUE(attack->IsA(SkillActivated::GetStaticClassInfo()));
    EXPECT_TRUE(pool->IsA(SkillActivatedWeaponPool::GetStaticClassInfo()));
    EXPECT_EQ(attack->GetKindText(), "^bPooled Weapon Attack");

    attack->SetSkillLevel(2);
    EXPECT_EQ(attack->GetChanceWeight(false), 60u);
    attack->SetSkillEnabled(false);
    EXPECT_EQ(attack->GetChanceWeight(false), 0u);
    EXPECT_EQ(attack->GetChanceWeight(true), 60u);
    owner.mana = 0.0f;
    attack->ReplaceCooldownTime(1000.0f);
    EXPECT_TRUE(attack->SetAvailability(false, false));   // never waits for mana or cooldown

    EXPECT_TRUE(pool->IsDefaultSkill() && pool->IsPrimary() && pool->IsEnabledFlagSet());
    pool->SetSkillLevel(1);
    pool->ReplaceCooldownTime(1000.0f);
    EXPECT_TRUE(pool->SetAvailability(false, false));
    EXPECT_EQ(pool->GetReason(), Skill_Usable);
}

// The bundled records: the two default attacks of every character, and the warfare tree
// a mastery, its skills, a modifier and a secondary in the order a skill manager links them.
TEST_F(SkillKindsTest, TheBundledRecordsMakeTheirKinds)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    ObjectManager& objects = ObjectManager::Get();
    auto* pooled = objects.CreateObjectFromFile<Skill_WPAttack>("Records/Skills/Default/DefaultWPBasicAttack.dbr");
    auto* attack = objects.CreateObjectFromFile<Skill_WeaponPool_Default>("Records/Skills/Default/DefaultWeaponAttack.dbr");
    ASSERT_TRUE(pooled && attack);
    pooled->SetSkillLevel(1);
    EXPECT_EQ(pooled->GetChanceWeight(true), 100u);

    const LoadTable* tree = RecordDatabase::Get().Load("Records/Skills/Warfare/WarfareTree.dbr");
    ASSERT_NE(tree, nullptr);
    const RTTI_ClassInfo* kinds[] = {&Skill_Mastery::GetStaticClassInfo(), &Skill_Passive::GetStaticClassInfo(),
                                     &Skill_Modifier::GetStaticClassInfo(), &SkillSecondary::GetStaticClassInfo(),
                                     &Skill_Passive::GetStaticClassInfo()};
    for (unsigned i = 0; i < 5; ++i) {
        const std::string key = "skillName" + std::to_string(i + 1);
        auto* skill = objects.CreateObjectFromFile<Skill>(tree->GetString(key.c_str(), ""));
        ASSERT_NE(skill, nullptr) << key;
        EXPECT_TRUE(skill->IsA(*kinds[i])) << key;
        EXPECT_EQ(tree->GetInt(("skillLevel" + std::to_string(i + 1)).c_str(), 2u, -1), 0) << key;
        if (auto* mastery = dynamic_cast<Skill_Mastery*>(skill)) {
            EXPECT_EQ(mastery->GetEnumeration(), 7u);
        }
    }
}

TEST(LoadTableIndexTest, IndexedWholeNumbersTakeTheDefaultPastTheArray)
{
    LoadTable table("levels.dbr");
    const std::string text = "skillLevel1,3;-2;x,\n";
    table.Parse(text.data(), text.size(), "levels.dbr");
    EXPECT_EQ(table.GetInt("skillLevel1", 0u, 9), 3);
    EXPECT_EQ(table.GetInt("skillLevel1", 1u, 9), -2);
    EXPECT_EQ(table.GetInt("skillLevel1", 2u, 9), 9);   // not a number
    EXPECT_EQ(table.GetInt("skillLevel1", 3u, 9), 9);
    EXPECT_EQ(table.GetInt("skillLevel2", 0u, 9), 9);
}

}  // namespace
}  // namespace GAME
