// A skill profile read from record text: level limits and per-level modifier entries,
// defaults and conversions, the modifiers' tooltip lines, and deep copies.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/skills/SkillProfile.h"

namespace GAME {
namespace {

LoadTable Record(const std::string& text)
{
    LoadTable table("profile.dbr");
    table.Parse(text.data(), text.size(), "profile.dbr");
    return table;
}

std::unique_ptr<SkillProfile> Load(const std::string& text)
{
    auto profile = std::make_unique<SkillProfile>();
    profile->LoadProfile(Record(text));
    return profile;
}

TEST(SkillProfileTest, LevelLimitsAndModifierEntries)
{
    // The ultimate level is raised to the maximum: ten entries, the tenth past them.
    auto ten = Load("skillMaxLevel,10,\nskillUltimateLevel,0,\nskillManaCost,1;2;3;4;5;6;7;8;9;10;11;12,\n");
    EXPECT_EQ(ten->GetUltimateLevel(), 10u);
    EXPECT_EQ(ten->GetSkillModifierData(10).manaCost, 10.0f);
    EXPECT_EQ(ten->GetSkillModifierData(11).manaCost, 10.0f);
    EXPECT_EQ(ten->GetSkillModifierData(0).manaCost, 0.0f);

    // No levels at all: every level gets the all-zero object.
    auto none = Load("skillManaCost,5,\nprojectileExplosionRadius,2,\n");
    EXPECT_EQ(&none->GetSkillModifierData(1), &none->GetSkillModifierData(0));
    EXPECT_EQ(none->GetSkillProjectileModifierData(1).explosionRadius, 0.0f);

    // Modifiers read 0 past their array; array getters take the last entry.
    const std::string three = "skillManaCost,10;20;30,\npetLimit,1;2;3,\nprojectilePiercingChance,5;6;7,\n";
    auto five = Load("skillUltimateLevel,5,\n" + three);
    EXPECT_EQ(five->GetSkillModifierData(3).manaCost, 30.0f);
    EXPECT_EQ(five->GetSkillModifierData(4).manaCost, 0.0f);
    EXPECT_EQ(five->GetSkillModifierData(5).manaCost, 0.0f);
    for (unsigned level : {3u, 4u, 5u})
        EXPECT_EQ(five->GetPetLimit(level), 3u) << level;

    // A huge ultimate level stores only what differs and answers like a small one.
    auto huge = Load("skillUltimateLevel,4294967295,\nskillMaxLevel,-3,\n" + three);
    auto small = Load("skillUltimateLevel,10,\n" + three);
    EXPECT_EQ(huge->GetUltimateLevel(), 4294967295u);
    EXPECT_EQ(huge->GetMaxLevel(), 0u);
    for (unsigned level : {0u, 1u, 3u, 4u, 10u, 11u, 4294967295u}) {
        EXPECT_EQ(huge->GetSkillModifierData(level).manaCost, small->GetSkillModifierData(level).manaCost) << level;
        EXPECT_EQ(huge->GetSkillProjectileModifierData(level).piercingChance,
                  small->GetSkillProjectileModifierData(level).piercingChance)
            << level;
        EXPECT_EQ(huge->GetPetLimit(level), small->GetPetLimit(level)) << level;
    }

    // A negative ultimate level counts as 0 (then raised to the maximum).
    auto negative = Load("skillUltimateLevel,-5,\nskillMaxLevel,2,\n");
    EXPECT_EQ(negative->GetUltimateLevel(), 2u);
    EXPECT_EQ(Load("skillUltimateLevel,-5,\n")->GetUltimateLevel(), 0u);
}

TEST(SkillProfileTest, DefaultsAndConversions)
{
    const SkillProfile null;
    EXPECT_EQ(null.GetDisplayNameTag(), "Invalid Skill Profile");
    EXPECT_EQ(null.GetBaseDescriptionTag(), "Invalid Skill Profile");
    EXPECT_EQ(null.GetContagionInterval(0), 1000);
    EXPECT_EQ(null.GetContagionRadius(0), 2.0f);
    EXPECT_EQ(null.GetContagionLimit(3), 1u);
    EXPECT_EQ(null.GetContagionMaxSpread(3), 1u);
    EXPECT_EQ(null.GetSpellAuraDuration(0), 1.0f);
    EXPECT_EQ(null.GetNumberOfProjectiles(), 1u);
    EXPECT_TRUE(null.GetSpecialAnimationName().IsEmpty());
    EXPECT_TRUE(null.IsQualifyingDamage(CombatAttributeType_Fire));

    // Seconds become whole milliseconds, held to the range of an int.
    auto timed = Load("actorScaleTime,1.5,\ncontagionInterval,0.25;1e12,\nskillProjectileHitTimeToLive,2;-1e12,\n"
                      "skillProjectileNumber,0,\ncharBuffFxType,Poison,\nskillSpecialAnimationName,Leap,\n"
                      "contagionLimit,-4,\nskillSpellAuraDuration,3,\n");
    EXPECT_EQ(timed->GetActorScaleTime(), 1500);
    EXPECT_EQ(timed->GetContagionInterval(1), 250);
    EXPECT_EQ(timed->GetContagionInterval(2), INT_MAX);
    EXPECT_EQ(timed->GetContagionInterval(0), 1000);
    EXPECT_EQ(timed->GetProjectileHitTimeToLive(1), 2000);
    EXPECT_EQ(timed->GetProjectileHitTimeToLive(9), INT_MIN);
    EXPECT_EQ(timed->GetNumberOfProjectiles(), 1u);
    EXPECT_EQ(timed->GetCharBuffFxType(), CharacterBuff_Poison);
    EXPECT_EQ(timed->GetSpecialAnimationName(), Name("Leap"));
    EXPECT_EQ(timed->GetContagionLimit(1), 0u);
    EXPECT_EQ(timed->GetSpellAuraDuration(4), 3.0f);

    // A fragments name longer than a record name is dropped, once, with a log line.
    LogCapture log;
    auto named = Load("skillUltimateLevel,3,\nprojectileFragmentsName," + std::string(300, 'a') + ",\n");
    EXPECT_TRUE(named->GetSkillProjectileModifierData(2).fragmentsName.empty());
    EXPECT_EQ(log.Lines().size(), 1u);

    // The elemental flag adds fire, cold and lightning under one tag.
    auto elemental = Load("elementalDamageQualifier,1,\n");
    for (CombatAttributeType type : {CombatAttributeType_Fire, CombatAttributeType_Cold, CombatAttributeType_Lightning})
        EXPECT_TRUE(elemental->IsQualifyingDamage(type)) << type;
    EXPECT_FALSE(elemental->IsQualifyingDamage(CombatAttributeType_Physical));
    EXPECT_EQ(elemental->GetQualifyingDamageTags(), std::vector<std::string>{"tagQualifyingDamageElemental"});
}

class SkillProfileTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LocalizationManager::Instance().Clear();
        ASSERT_GT(LocalizationManager::Instance().LoadFile(std::string(GAME_DATA_DIR) + "/Text/English.txt"), 0u);
    }
    void TearDown() override { LocalizationManager::Instance().Clear(); }
    static std::vector<std::u16string> Texts(const std::vector<GameTextLine>& lines)
    {
        std::vector<std::u16string> texts;
        for (const GameTextLine& line : lines)
            texts.push_back(line.text);
        return texts;
    }
};

TEST_F(SkillProfileTextTest, EachModifierShowsByItsOwnTest)
{
    SkillProfile_Modifiers current;
    current.manaCost = -5.0f;         // not 0: shown
    current.activeLifeCost = -5.0f;   // not above 0: hidden
    current.cooldownTime = 4.0f;      // never shown
    current.projectileLaunchRotation = 30.0f;
    current.targetNumber = 2;
    std::vector<GameTextLine> lines;
    current.CreateUIText(GameTextClass::SkillStatsCurrent, lines);
    EXPECT_EQ(Texts(lines), (std::vector<std::u16string>{u"-5 Energy Cost", u"2 Targets"}));

    // Next level: the mana cost shows when it differs, a cost only when it grows.
    SkillProfile_Modifiers next = current;
    next.manaCost = -6.0f;
    next.activeLifeCost = -7.0f;
    next.targetRadius = 1.5f;
    next.cooldownTime = 2.0f;
    lines.clear();
    next.CreateUINextText(current, lines);
    EXPECT_EQ(Texts(lines), (std::vector<std::u16string>{u"-6 Energy Cost", u"1.5 Meter Radius"}));
    EXPECT_EQ(lines[0].textClass, GameTextClass::SkillStatsNext);

    // Projectile modifiers: one count when the fewest and most agree, both otherwise.
    SkillProfile_ProjectileModifiers fragments;
    fragments.fragmentsMin = fragments.fragmentsMax = 3;
    lines.clear();
    fragments.CreateUIText(GameTextClass::SkillStatsCurrent, lines);
    SkillProfile_ProjectileModifiers more = fragments;
    more.fragmentsMax = 5;
    more.CreateUINextText(fragments, lines);
    fragments.CreateUINextText(fragments, lines);   // nothing differs
    EXPECT_EQ(Texts(lines), (std::vector<std::u16string>{u"3 Fragments", u"3-5 Fragments"}));
}

TEST(SkillProfileTest, DamageTotalsOfHugeRecordValuesStayInTheFloatRange)
{
    // Each kind is finite on its own; their sum is held at the largest float, never
    // infinite (the total moves rag dolls and is credited to the player's statistics).
    auto profile = Load("offensiveFireMin,3e38,\noffensiveColdMin,3e38,\noffensiveSlowPoisonMin,3e38,\n"
                        "offensiveSlowPoisonDurationMin,1,\noffensiveSlowBleedingMin,3e38,\n"
                        "offensiveSlowBleedingDurationMin,1,\nskillUltimateLevel,1,\n");
    CombatAttributeAccumulator combat;
    combat.SetSeed(1);
    profile->GetOffensiveDamageAttributes(combat, 1);
    float absolute = 0.0f, overTime = 0.0f;
    combat.GetTotalDamage(absolute, overTime);
    EXPECT_EQ(absolute, FLT_MAX);
    EXPECT_EQ(overTime, FLT_MAX);
}

TEST(SkillProfileTest, ACopyKeepsEveryStoreAfterTheSourceIsGone)
{
    auto source = Load("characterStrength,5;7,\ncharacterManaLimitReserve,20,\nskillCooldownReduction,10;15,\n"
                       "racialBonusRace,Undead,\nracialBonusPercentDamage,25;30,\nskillUltimateLevel,2,\n");
    const SkillProfile copy(*source);
    source.reset();
    CharAttributeAccumulator character, penalty;
    copy.GetCharAttributes(character, 2);
    copy.GetCharAttributesPenalty(penalty, 1);
    EXPECT_EQ(character.GetValue(CharAttributeType_Strength), 7.0f);
    EXPECT_EQ(penalty.GetValue(CharAttributeType_ManaLimitReserve), 20.0f);
    SkillAttributeAccumulator skill;
    copy.GetSkillAttributes(skill, 2);
    EXPECT_EQ(skill.GetValue(SkillAttributeType_CooldownReduction), 15.0f);
    RacialBonus_Damage bonus;
    copy.GetRacialBonusDamage({"Undead"}, bonus, 2);
    EXPECT_EQ(bonus.percent, 30.0f);
}

}  // namespace
}  // namespace GAME
