// A skill's texts for the user interface, with the bundled English texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillProfile.h"
#include "tests/TestDraws.h"

namespace GAME {
namespace {

using Lines = std::vector<GameTextLine>;

class SkillTextsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeSeededObjects();
        LocalizationManager::Instance().Clear();
        ASSERT_GT(LocalizationManager::Instance().LoadFile(std::string(GAME_DATA_DIR) + "/Text/English.txt"), 0u);
    }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }
    // A skill of three levels (four with items) from a record of these extra lines, at a level.
    Skill* MakeSkill(const std::string& lines, unsigned level)
    {
        const std::string record = "Records/Skills/Texts" + std::to_string(++m_records) + ".dbr";
        RecordDatabase::Get().RegisterRecord(record, "Class,Skill,\nskillMaxLevel,3,\nskillUltimateLevel,4,\n" + lines);
        auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(record);
        if (skill && level != 0)
            skill->SetSkillLevel(level);
        return skill;
    }
    static std::vector<std::u16string> Texts(const Lines& lines)
    {
        std::vector<std::u16string> texts;
        for (const GameTextLine& line : lines)
            texts.push_back(line.text);
        return texts;
    }
    int m_records = 0;
};

TEST_F(SkillTextsTest, LevelZeroShowsOnlyTheNextBlockStartingAtOne)
{
    Skill* skill = MakeSkill("skillManaCost,5;6,\nskillLifeBonus,10;20,\n", 0);
    ASSERT_NE(skill, nullptr);
    ASSERT_EQ(skill->GetCurrentLevel(), 0u);
    Lines current, specialised, modifiers, next;
    skill->CreateUIParameterText(current);
    skill->CreateUISpecializedText(GameTextClass::SkillStatsCurrent, specialised);
    skill->CreateUIModifierText(GameTextClass::SkillStatsCurrent, modifiers);
    EXPECT_TRUE(current.empty());
    EXPECT_TRUE(specialised.empty());
    EXPECT_TRUE(modifiers.empty());
    skill->CreateUINextParameterText(next);
    ASSERT_FALSE(next.empty());
    EXPECT_EQ(next[0].textClass, GameTextClass::SkillLevelTitles);
    EXPECT_EQ(next[0].text, u"Next Level: 1");
    EXPECT_FALSE(next[0].flag);

    // At level 1 the current block opens with its title and the values of level 1.
    skill->SetSkillLevel(1);
    skill->CreateUIParameterText(current);
    ASSERT_GE(current.size(), 3u);
    EXPECT_EQ(current[0].text, u"Current Level: 1");
    EXPECT_EQ(current[1].text, u"+10 Health");
    EXPECT_EQ(current[1].textClass, GameTextClass::SkillStatsCurrent);
    EXPECT_EQ(current[2].text, u"5 Energy Cost");
}

TEST_F(SkillTextsTest, NextLevelLinesShowRisesAndChanges)
{
    // Pet limit 1 then 2 shows 2; a life bonus that falls shows nothing; the mana cost
    // that changes shows its next value.
    Skill* skill = MakeSkill("petLimit,1;2,\nskillLifeBonus,50;30,\nskillManaCost,5;6,\n", 1);
    ASSERT_NE(skill, nullptr);
    Lines next;
    skill->CreateUINextSpecializedText(next);
    EXPECT_EQ(Texts(next), std::vector<std::u16string>{u"Up to 2 Pets"});
    next.clear();
    skill->CreateUINextModifierText(next);
    EXPECT_EQ(Texts(next), std::vector<std::u16string>{u"6 Energy Cost"});

    // Limit 1 at both levels shows nothing, neither now nor next.
    Skill* single = MakeSkill("petLimit,1,\n", 1);
    Lines lines;
    single->CreateUISpecializedText(GameTextClass::SkillStatsCurrent, lines);
    single->CreateUINextSpecializedText(lines);
    EXPECT_TRUE(lines.empty());

    // At the ultimate level the next block has its title and no next values.
    Skill* top = MakeSkill("skillLifeBonus,10;20;30;40;50,\n", 4);
    lines.clear();
    top->CreateUINextParameterText(lines);
    EXPECT_EQ(Texts(lines), std::vector<std::u16string>{u"Next Level: 5"});
}

TEST_F(SkillTextsTest, EnhancementIsAWholeNumberHeldToItsRange)
{
    Skill* skill = MakeSkill("allSkillEnhancement,2.9;3e10;-3e10,\n", 1);
    ASSERT_NE(skill, nullptr);
    Lines lines;
    skill->CreateUISpecializedText(GameTextClass::SkillStatsCurrent, lines);
    EXPECT_EQ(Texts(lines), std::vector<std::u16string>{u"+2% Skill Enhancement"});
    lines.clear();
    skill->CreateUINextSpecializedText(lines);   // far past an int: the largest one
    EXPECT_EQ(Texts(lines), std::vector<std::u16string>{u"+2147483647% Skill Enhancement"});
    skill->SetSkillLevel(3);
    lines.clear();
    skill->CreateUISpecializedText(GameTextClass::SkillStatsCurrent, lines);
    EXPECT_EQ(Texts(lines), std::vector<std::u16string>{u"+-2147483648% Skill Enhancement"});
}

TEST_F(SkillTextsTest, EveryTextFitsItsArgumentsAndTheHeadingAndSummaryTakeTheirClasses)
{
    Skill* skill = MakeSkill(
        "skillDisplayName,tagArenaToughness,\nskillBaseDescription,tagArenaToughnessDescription,\n"
        "skillChargeLevel,1;2,\nskillProjectileNumber,3,\nskillChanceWeight,10;20,\nlifeMonitorPercent,20;30,\n"
        "onHitActivationChance,15;25,\nskillLifeBonus,5;6,\nskillManaBonus,7;8,\ndamageAbsorption,9;10,\n"
        "damageAbsorptionPercent,11;12,\nfireDamageQualifier,1,\ncoldDamageQualifier,1,\n"
        "petLimit,2;3,\nspawnObjectsTimeToLive,5;6,\nallSkillEnhancement,4;5,\n"
        "skillManaCost,1;2,\nskillActiveLifeCost,1;2,\nskillActiveManaCost,1;2,\nskillActiveDuration,1;2,\n"
        "skillTargetRadius,1;2,\nskillTargetAngle,1;2,\nskillTargetNumber,1;2,\nskillCooldownTime,1;2,\n"
        "skillSpeedAcceleration,1;2,\nexplosionRadius,1;2,\nprojectileLaunchRotation,1;2,\n"
        "projectileLaunchNumber,1;2,\nprojectilePiercing,1;2,\nprojectileExplosionRadius,1;2,\n"
        "projectileFragmentsName,Records/Test/Fragment.dbr,\nprojectileFragmentsLaunchNumberMin,1;2,\n"
        "projectileFragmentsLaunchNumberMax,2;3,\nprojectilePiercingChance,10;20,\n",
        1);
    ASSERT_NE(skill, nullptr);
    skill->SetAsItemSkill();
    LogCapture log;
    Lines lines;
    skill->CreateUISkillHeading(lines);
    skill->CreateUIParameterText(lines);
    skill->CreateUINextParameterText(lines);
    skill->CreateUIShortSummaryText(GameTextClass::SkillStatsNext, lines);
    EXPECT_EQ(skill->CreateUISkillName(), u"Arena Toughness\u00a0(Item)");
    EXPECT_TRUE(log.Lines().empty()) << (log.Texts().empty() ? "" : log.Texts().front());
    // Heading: the name with the item text, the description flagged.
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].textClass, GameTextClass::SkillName);
    EXPECT_EQ(lines[0].text, u"Arena Toughness\u00a0(Granted by Item)");
    EXPECT_EQ(lines[1].textClass, GameTextClass::SkillDescription);
    EXPECT_TRUE(lines[1].flag);
    // Every value of both levels has its line; the summary's name and body classes.
    const std::vector<std::u16string> texts = Texts(lines);
    int missing = 0;
    for (const char16_t* text : {u"1 Charge Levels", u"3 Projectiles", u"Protects Against:", u"Up to 2 Pets",
                                 u"2 Charge Levels", u"25% Chance of Activation", u"+8 Energy", u"Up to 3 Pets",
                                 u"1-2 Fragments", u"+5% Skill Enhancement"})
        missing += std::find(texts.begin(), texts.end(), std::u16string(text)) == texts.end() ? 1 : 0;
    EXPECT_EQ(missing, 0);
    const GameTextClass last = lines.back().textClass;
    EXPECT_TRUE(last == GameTextClass::PetSkillStatsNext || last == GameTextClass::PetSkillNameNext);
}

TEST_F(SkillTextsTest, APetShowsItsLifetimeOnlyWhenLimited)
{
    Skill* skill = MakeSkill("spawnObjectsTimeToLive,5;0,\n", 1);
    auto* pet = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
    ASSERT_NE(skill, nullptr);
    ASSERT_NE(pet, nullptr);
    Lines lines;
    skill->CreateUIPetText(pet, 1, GameTextClass::PetSkillStatsCurrent, lines);
    ASSERT_EQ(Texts(lines), std::vector<std::u16string>{u"5.0 Second Lifetime"});
    EXPECT_EQ(lines[0].textClass, GameTextClass::PetSkillStatsCurrent);
    lines.clear();
    skill->CreateUIPetText(pet, 2, GameTextClass::PetSkillStatsNext, lines);
    EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace GAME
