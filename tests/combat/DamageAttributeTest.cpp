#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "CombatTestCharacter.h"
#include "DamageAttributeTestUtil.h"
#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/combat/DamageAttributePhysical.h"
#include "Game/combat/DamageAttributeStore.h"

using namespace GAME;

namespace {

constexpr float kLargest = std::numeric_limits<float>::max();
constexpr unsigned kTopLevel = 4294967295u;

// An accumulator whose chance multiplier is not 1.
class MultiplyingAccumulator : public CombatAttributeAccumulator {
public:
    float GetChanceMultiplier(float) override { return multiplier; }
    float multiplier = 2.0f;
};

using Spreads = std::vector<std::pair<int, int>>;

class DamageAttributeTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestFormats(); }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        ObjectManager::Get().DestroyAllObjects();
    }

    // Loads one kind from record text into the test's store; null when it does not load.
    DamageAttribute* Load(const std::string& kind, const std::string& text)
    {
        return DamageAttribute::Load(MakeKind(kind), store, Record(text));
    }

    static std::vector<std::string> Lines(const DamageAttribute& attribute, unsigned level)
    {
        return AttributeLines(attribute, level);
    }

    static std::vector<std::string> NextLines(const DamageAttribute& attribute, unsigned level, unsigned next)
    {
        DamageAttribute::TextList texts1, texts2, texts3;
        attribute.CreateNextText(texts1, texts2, texts3, level, next);
        texts1.insert(texts1.end(), texts2.begin(), texts2.end());
        texts1.insert(texts1.end(), texts3.begin(), texts3.end());
        return Utf8Lines(texts1);
    }

    static CostInfo_DamageAttributes Cost(const DamageAttribute& attribute)
    {
        CostInfo_DamageAttributes info;
        attribute.GetCostInfo(info);
        return info;
    }

    // The value of an absolute damage object.
    static float DamageOf(const CombatAttribute& object)
    {
        return dynamic_cast<const CombatAttributeDamageAmount&>(object).GetDamage();
    }

    DamageAttributeStore store;
};

}  // namespace

// ---- Loading ------------------------------------------------------------------------

TEST_F(DamageAttributeTest, RangesCarryTheLastMaximumAndNeverGoNegative)
{
    RegisterDisplayTag("DamageFire", false);
    const DamageAttribute* fire = Load("DamageAttributeAbs_Fire", "offensiveFireMin,5;8;12,\noffensiveFireMax,10,\n");
    ASSERT_NE(fire, nullptr);
    EXPECT_EQ(Lines(*fire, 0), std::vector<std::string>{});
    EXPECT_EQ(Lines(*fire, 1), std::vector<std::string>{"{5-10}DamageFire"});
    EXPECT_EQ(Lines(*fire, 2), std::vector<std::string>{"{8-10}DamageFire"});
    EXPECT_EQ(Lines(*fire, 3), std::vector<std::string>{"{12}DamageFire"});
    EXPECT_EQ(Lines(*fire, kTopLevel), std::vector<std::string>{"{12}DamageFire"});

    // Without maximums the first minimum is carried.
    const DamageAttribute* carried = Load("DamageAttributeAbs_Fire", "offensiveFireMin,5;3,\n");
    EXPECT_EQ(Lines(*carried, 2), std::vector<std::string>{"{3-5}DamageFire"});

    // Negative minimums keep their values; the range stops at 0.
    const DamageAttribute* negative = Load("DamageAttributeAbs_Fire", "offensiveFireMin,-5;-5,\noffensiveFireMax,-10;5,\n");
    EXPECT_EQ(Lines(*negative, 1), std::vector<std::string>{"{-5}DamageFire"});
    EXPECT_EQ(Lines(*negative, 2), std::vector<std::string>{"{-5-5}DamageFire"});
    EXPECT_EQ(Cost(*negative).count, 0u);
}

TEST_F(DamageAttributeTest, OneZeroRuleEmptiesValueArraysButNotChancesOrRatios)
{
    EXPECT_EQ(Load("DamageAttributeAbs_Fire", "offensiveFireMin,0,\n"), nullptr);
    EXPECT_EQ(Load("DamageAttributeAbsMod_Fire", "offensiveFireModifier,0,\n"), nullptr);
    EXPECT_EQ(Load("DamageAttributeDur_Fire", "offensiveSlowFireMin,4,\noffensiveSlowFireDurationMin,0,\n"), nullptr);
    EXPECT_EQ(Load("DamageAttributeDur_Fire", "offensiveSlowFireMin,4,\n"), nullptr);
    EXPECT_EQ(Load("DamageAttribute_Physical", "offensivePhysicalMin,0,\noffensivePierceRatio,20,\n"), nullptr);
    EXPECT_EQ(Load("DamageAttributeAbs_ManaBurn",
                   "offensiveManaBurnDamageRatio,2,\noffensiveManaBurnDrainMin,0,\noffensiveManaBurnDrainMax,0,\n"),
              nullptr);
    // A duration modifier fails only when both of its arrays are empty.
    EXPECT_EQ(Load("DamageAttributeDurMod_Fire", "offensiveSlowFireModifier,0,\noffensiveSlowFireDurationModifier,0,\n"),
              nullptr);
    EXPECT_NE(Load("DamageAttributeDurMod_Fire", "offensiveSlowFireModifier,0,\noffensiveSlowFireDurationModifier,5,\n"),
              nullptr);
    EXPECT_NE(Load("DamageAttributeDurMod_Fire", "offensiveSlowFireModifier,5,\n"), nullptr);
    // A chance of {0} is kept: the attribute loads and applies without a roll.
    const DamageAttribute* always = Load("DamageAttributeAbs_Fire", "offensiveFireMin,5,\noffensiveFireChance,0,\n");
    ASSERT_NE(always, nullptr);
    CombatAttributeAccumulator acc;
    acc.SetSeed(3);
    RandomUniform expected;
    expected.Seed(3);
    always->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), false);
    ASSERT_EQ(acc.GetDamages().size(), 1u);
    EXPECT_EQ(acc.GetRandomGen().IGenerate(0, 1 << 30), (expected.FGenerate(5, 5), expected.IGenerate(0, 1 << 30)));
    EXPECT_EQ(store.GetAttributes().size(), 3u);
}

TEST_F(DamageAttributeTest, PhysicalRangeIsAWholeNumber)
{
    const DamageAttribute* physical = Load("DamageAttribute_Physical", "offensivePhysicalMin,3,\noffensivePhysicalMax,7.9,\n");
    ASSERT_NE(physical, nullptr);
    EXPECT_EQ(Lines(*physical, 1), std::vector<std::string>{"{3-7}DamageBasePhysical"});
    float highest = 0.0f;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        CombatAttributeAccumulator acc;
        acc.SetSeed(seed);
        physical->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), true);
        const auto& hit = dynamic_cast<const CombatAttributeDamage_BasePhysical&>(*acc.GetDamages()[0]);
        EXPECT_GE(hit.GetPhysical(), 3.0f);
        EXPECT_LE(hit.GetPhysical(), 7.0f);
        highest = std::max(highest, hit.GetPhysical());
    }
    EXPECT_GT(highest, 6.9f);

    // A base maximum below its minimum leaves a range of 0: one value.
    DamageAttribute_BasePhysical::Create_BasePhysical(store, Record("offensivePhysicalMin,9,\noffensivePhysicalMax,4,\n"));
    EXPECT_EQ(Lines(*store.GetAttributes().back(), 1), std::vector<std::string>{"{9}DamageBasePhysical"});
}

// ---- Jitter and scaling -------------------------------------------------------------

TEST_F(DamageAttributeTest, JitterDrawsInTheTruncatedSpread)
{
    FixedDrawRandom rng;
    struct Case {
        float value, percent;
        int draw;
        float result;
        std::pair<int, int> spread;
    };
    const Case cases[] = {
        {0.5f, 10, 1, 1.5f, {-1, 1}},   // a spread of 0 becomes 1
        {0.5f, 10, 0, 0.5f, {-1, 1}},
        {0.5f, 10, -1, 0.5f, {-1, 1}},  // -0.5 is below 1 in magnitude: unchanged
        {3, 10, -1, 2, {-1, 1}},
        {100, 20, -19, 81, {-19, 19}},  // 19.99999955 truncates to 19
        {40, 20, 7, 47, {-7, 7}},
        {-100, 20, 5, -95, {19, -19}},  // a negative value has a negative spread
        {kLargest, 50, 2147483647, kLargest, {-2147483647, 2147483647}},
        {-kLargest, 50, 0, -kLargest, {2147483647, -2147483647}},
    };
    for (const Case& c : cases) {
        rng.spreads.clear();
        rng.draw = c.draw;
        EXPECT_EQ(LootJitter(c.value, c.percent, rng), c.result) << c.value << " " << c.percent;
        EXPECT_EQ(rng.spreads, Spreads{c.spread}) << c.value << " " << c.percent;
    }
    rng.spreads.clear();
    EXPECT_EQ(LootJitter(0.0f, 20, rng), 0.0f);
    EXPECT_TRUE(rng.spreads.empty());
}

TEST_F(DamageAttributeTest, ScaleAddsATruncatedWholeNumber)
{
    EXPECT_EQ(LootScale(7, 50), 10.0f);
    EXPECT_EQ(LootScale(-7, 50), -10.0f);
    EXPECT_EQ(LootScale(100, 10), 109.0f);
    EXPECT_EQ(LootScale(15, 10), 16.0f);
    EXPECT_EQ(LootScale(9, 10), 9.0f);
    EXPECT_EQ(LootScale(-15, 10), -16.0f);
    // Past the int range the step is held there; nothing leaves the float range.
    EXPECT_EQ(LootScale(kLargest, 50), kLargest);
    EXPECT_EQ(LootScale(-kLargest, kLargest), -kLargest);
    EXPECT_EQ(LootScale(1e20f, 50), 1e20f + 2147483647.0f);
}

TEST_F(DamageAttributeTest, AddJitterHoldsItsPercentAndDrawsInFamilyOrder)
{
    auto spreadsOf = [&](const std::string& kind, const std::string& text, float percent) {
        FixedDrawRandom rng;
        rng.draw = 1;
        DamageAttribute* attribute = Load(kind, text);
        attribute->AddJitter(percent, &rng);
        return std::make_pair(rng.spreads, attribute);
    };
    // 80 acts as 50: 49 and 9 rather than 79 and 15.
    auto [fire, fireAttribute] = spreadsOf("DamageAttributeAbs_Fire", "offensiveFireMin,100,\noffensiveFireMax,120,\n", 80);
    EXPECT_EQ(fire, (Spreads{{-49, 49}, {-9, 9}}));
    RegisterDisplayTag("DamageFire", false);
    EXPECT_EQ(Lines(*fireAttribute, 1), std::vector<std::string>{"{101-122}DamageFire"});
    // Physical: minimum, range, then the pierce ratios.
    auto [physical, physicalAttribute] = spreadsOf(
        "DamageAttribute_Physical", "offensivePhysicalMin,100,\noffensivePhysicalMax,150,\noffensivePierceRatio,40,\n", 20);
    EXPECT_EQ(physical, (Spreads{{-19, 19}, {-9, 9}, {-7, 7}}));
    EXPECT_EQ(Lines(*physicalAttribute, 1), (std::vector<std::string>{"{101-152}DamageBasePhysical", "pierce 41"}));
    // Durations keep their values; base damage never jitters.
    EXPECT_EQ(spreadsOf("DamageAttributeDur_Fire",
                        "offensiveSlowFireMin,100,\noffensiveSlowFireMax,150,\noffensiveSlowFireDurationMin,10,\n"
                        "offensiveSlowFireDurationMax,20,\n",
                        20)
                  .first,
              (Spreads{{-19, 19}, {-9, 9}}));
    EXPECT_EQ(spreadsOf("DamageAttributeAbsBase_Fire", "offensiveBaseFireMin,100,\n", 20).first, Spreads{});
    EXPECT_EQ(spreadsOf("DamageAttributeDurMod_Fire",
                        "offensiveSlowFireModifier,100,\noffensiveSlowFireDurationModifier,40,\n", 20)
                  .first,
              (Spreads{{-19, 19}, {-7, 7}}));

    // 0, a negative percent or no generator: no draw at all.
    RandomUniform rng;
    rng.Seed(11);
    RandomUniform untouched = rng;
    DamageAttribute* cold = Load("DamageAttributeAbs_Cold", "offensiveColdMin,100,\noffensiveColdMax,120,\n");
    cold->AddJitter(0.0f, &rng);
    cold->AddJitter(-5.0f, &rng);
    cold->AddJitter(20.0f, nullptr);
    EXPECT_EQ(rng.IGenerate(0, 1 << 30), untouched.IGenerate(0, 1 << 30));
}

TEST_F(DamageAttributeTest, ScalingMovesMinimumsOnly)
{
    // Exact hundredths would give 15 to 19; the single-precision 0.01 makes 50 percent of
    // 10 just below 5, so the minimum gains 4.
    ASSERT_NE(DamageAttribute_BasePhysical::Create_BasePhysical(
                  store, Record("offensivePhysicalMin,10,\noffensivePhysicalMax,14,\n")),
              nullptr);
    store.GetAttributes().back()->ScaleAttribute(50);
    EXPECT_EQ(Lines(*store.GetAttributes().back(), 1), std::vector<std::string>{"{14-18}DamageBasePhysical"});

    RegisterDisplayTag("DamageDurationFire", false);
    DamageAttribute* burn = Load("DamageAttributeDur_Fire", "offensiveSlowFireMin,10,\noffensiveSlowFireDurationMin,2,\n");
    burn->ScaleAttribute(50);
    EXPECT_EQ(Lines(*burn, 1), std::vector<std::string>{"{28}DamageDurationFire(2 s)"});

    RegisterDisplayTag("DamageDurationModifierFire", true);
    DamageAttribute* modifier =
        Load("DamageAttributeDurMod_Fire", "offensiveSlowFireModifier,100,\noffensiveSlowFireDurationModifier,100,\n");
    modifier->ScaleAttribute(10);
    EXPECT_EQ(Lines(*modifier, 1), std::vector<std::string>{"DamageDurationModifierFire 109+109%t"});
    modifier->ScaleAttribute(0);
    EXPECT_EQ(Lines(*modifier, 1), std::vector<std::string>{"DamageDurationModifierFire 109+109%t"});
}

// ---- Attacks ------------------------------------------------------------------------

TEST_F(DamageAttributeTest, DrawsComeInChanceValueDurationOrder)
{
    const DamageAttribute* fire =
        Load("DamageAttributeAbs_Fire", "offensiveFireMin,3,\noffensiveFireMax,7,\noffensiveFireChance,30,\n");
    const DamageAttribute* burn = Load("DamageAttributeDur_Fire",
                                       "offensiveSlowFireMin,2,\noffensiveSlowFireMax,4,\noffensiveSlowFireDurationMin,3,\n"
                                       "offensiveSlowFireDurationMax,5,\n");
    int applied = 0;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        RandomUniform expected;
        expected.Seed(seed);
        CombatAttributeAccumulator forced;
        forced.SetSeed(seed);
        // Forced: the value only, although the chance is 30.
        fire->AddDamageToAccumulator(forced, 1, forced.GetRandomGen(), true);
        EXPECT_EQ(DamageOf(*forced.GetDamages()[0]), expected.FGenerate(3, 7));
        // No chance: no roll, then the value, then the duration.
        burn->AddDamageToAccumulator(forced, 1, forced.GetRandomGen(), false);
        const auto& dot = dynamic_cast<const CombatAttributeDurDamage&>(*forced.GetDamages()[1]);
        EXPECT_EQ(dot.GetDamage(), expected.FGenerate(2, 4));
        EXPECT_EQ(dot.GetDuration(), expected.FGenerate(3, 5));
        EXPECT_EQ(forced.GetRandomGen().IGenerate(0, 1 << 30), expected.IGenerate(0, 1 << 30));

        // Unforced: the roll comes first, and a failed roll draws nothing more.
        CombatAttributeAccumulator rolled;
        rolled.SetSeed(seed);
        expected.Seed(seed);
        fire->AddDamageToAccumulator(rolled, 1, rolled.GetRandomGen(), false);
        if (expected.IGenerate(0, 100) <= 30) {
            ++applied;
            ASSERT_EQ(rolled.GetDamages().size(), 1u);
            EXPECT_EQ(DamageOf(*rolled.GetDamages()[0]), expected.FGenerate(3, 7));
        } else {
            EXPECT_TRUE(rolled.GetDamages().empty());
        }
        EXPECT_EQ(rolled.GetRandomGen().IGenerate(0, 1 << 30), expected.IGenerate(0, 1 << 30));
    }
    EXPECT_GT(applied, 0);
    EXPECT_LT(applied, 40);

    // A negative chance never passes.
    const DamageAttribute* never = Load("DamageAttributeAbs_Fire", "offensiveFireMin,3,\noffensiveFireChance,-5,\n");
    CombatAttributeAccumulator acc;
    acc.SetSeed(5);
    for (int i = 0; i < 50; ++i)
        never->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), false);
    EXPECT_TRUE(acc.GetDamages().empty());
}

TEST_F(DamageAttributeTest, MultiplierScalesOnlyTheValue)
{
    CombatTestCharacter* side = MakeCombatCharacter();
    MultiplyingAccumulator acc;
    acc.SetSeed(9);
    Load("DamageAttributeAbs_Fire", "offensiveFireMin,3,\n")->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), false);
    Load("DamageAttributeDur_Fire", "offensiveSlowFireMin,2,\noffensiveSlowFireDurationMin,3,\n")
        ->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), false);
    DamageAttribute_BasePhysical::Create_BasePhysical(store, Record("offensivePhysicalMin,10,\n"))
        ->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), false);
    ASSERT_EQ(acc.GetDamages().size(), 3u);
    EXPECT_EQ(DamageOf(*acc.GetDamages()[0]), 6.0f);
    const auto& dot = dynamic_cast<const CombatAttributeDurDamage&>(*acc.GetDamages()[1]);
    EXPECT_EQ(dot.GetDamage(), 4.0f);
    EXPECT_EQ(dot.GetDuration(), 3.0f);
    EXPECT_EQ(dynamic_cast<const CombatAttributeDamage_BasePhysical&>(*acc.GetDamages()[2]).GetPhysical(), 10.0f);

    // A duration modifier multiplies its value, not its duration modifier.
    Load("DamageAttributeDurMod_Fire", "offensiveSlowFireModifier,10,\noffensiveSlowFireDurationModifier,50,\n")
        ->AddModifierToAccumulator(acc, 1, acc.GetRandomGen(), false);
    CombatAttributeDurDamage probe(CombatAttributeType_Fire, 100.0f, 10.0f);
    acc.GetDamageModifiers()[0]->Execute(&probe, CombatAttributeRegion_FullyProtected);
    probe.Process(*side, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(probe.GetDamage(), 120.0f);
    EXPECT_FLOAT_EQ(probe.GetDuration(), 15.0f);
}

TEST_F(DamageAttributeTest, GroupKindsRollOnceAndFanOut)
{
    CombatTestCharacter* side = MakeCombatCharacter();
    CombatAttributeAccumulator acc;
    acc.SetSeed(4);
    Load("DamageAttributeAbs_ElementalDamage", "offensiveElementalMin,1,\n")
        ->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), false);
    Load("DamageAttributeAbs_ElementalDamage", "offensiveElementalMin,30,\n")
        ->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), false);
    ASSERT_EQ(acc.GetDamages().size(), 6u);
    const CombatAttributeType elements[] = {CombatAttributeType_Cold, CombatAttributeType_Fire,
                                            CombatAttributeType_Lightning};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(acc.GetDamages()[i]->GetType(), elements[i % 3]);
        EXPECT_EQ(DamageOf(*acc.GetDamages()[i]), i < 3 ? 0.33333334f : 10.0f);
        EXPECT_STREQ(acc.GetDamages()[i]->GetClassInfo().GetName(), "CombatAttributeAbsDamage");
    }

    CombatAttributeAccumulator slows;
    slows.SetSeed(4);
    RandomUniform expected;
    expected.Seed(4);
    Load("DamageAttributeDur_TotalSpeed", "offensiveSlowTotalSpeedMin,10,\noffensiveSlowTotalSpeedMax,30,\n"
                                          "offensiveSlowTotalSpeedDurationMin,1,\noffensiveSlowTotalSpeedDurationMax,4,\n")
        ->AddDamageToAccumulator(slows, 1, slows.GetRandomGen(), false);
    const float value = expected.FGenerate(10, 30);
    const float duration = expected.FGenerate(1, 4);
    ASSERT_EQ(slows.GetDamages().size(), 3u);
    for (const auto& slow : slows.GetDamages()) {
        EXPECT_EQ(dynamic_cast<const CombatAttributeDurFixedDamage&>(*slow).GetDamage(), value);
        EXPECT_EQ(dynamic_cast<const CombatAttributeDurFixedDamage&>(*slow).GetDuration(), duration);
    }

    // The elemental modifier gives each element the full modifier.
    Load("DamageAttributeAbsMod_Elemental", "offensiveElementalModifier,20,\n")
        ->AddModifierToAccumulator(acc, 1, acc.GetRandomGen(), false);
    ASSERT_EQ(acc.GetDamageModifiers().size(), 3u);
    for (const auto& modifier : acc.GetDamageModifiers()) {
        CombatAttributeAbsDamage probe(modifier->GetType(), 100.0f);
        modifier->Execute(&probe, CombatAttributeRegion_FullyProtected);
        probe.Process(*side, 0.0f, 0.0f, 0.0f, 0.0f);
        EXPECT_FLOAT_EQ(probe.GetDamage(), 120.0f);
    }
}

TEST_F(DamageAttributeTest, BasePhysicalAlwaysLoadsAndApplies)
{
    DamageAttribute* empty = DamageAttribute_BasePhysical::Create_BasePhysical(store, Record(""));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(Lines(*empty, 1), std::vector<std::string>{});
    EXPECT_EQ(Cost(*empty).count, 0u);
    CombatAttributeAccumulator acc;
    empty->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), false);
    ASSERT_EQ(acc.GetDamages().size(), 1u);
    EXPECT_EQ(dynamic_cast<const CombatAttributeDamage_BasePhysical&>(*acc.GetDamages()[0]).GetPhysical(), 0.0f);

    DamageAttribute* sword = DamageAttribute_BasePhysical::Create_BasePhysical(
        store, Record("offensivePhysicalMin,10,\noffensivePhysicalMax,14,\noffensivePierceRatioMin,20,\n"
                      "offensivePhysicalChance,50,\n"));
    sword->SetHideChanceIndentLine(true);   // no chance text of any kind
    DamageAttribute::TextList texts1, texts2, texts3;
    sword->CreateText(texts1, texts2, texts3, 1);
    EXPECT_EQ(Utf8Lines(texts1), (std::vector<std::string>{"{10-14}DamageBasePhysical", "pierce 20"}));
    EXPECT_TRUE(texts2.empty() && texts3.empty());
    const CostInfo_DamageAttributes cost = Cost(*sword);
    EXPECT_EQ(cost.avgBase, 12.0f);
    EXPECT_EQ(cost.avgPierceRatio, 20.0f);
    EXPECT_EQ(cost.count, 1u);
}

// ---- Texts --------------------------------------------------------------------------

TEST_F(DamageAttributeTest, DamageOverTimeShowsItsTotalAndTime)
{
    RegisterDisplayTag("DamageDurationFire", false);
    auto burn = [&](const std::string& values, const std::string& durations) {
        return Lines(*Load("DamageAttributeDur_Fire",
                           "offensiveSlowFireMin," + values + ",\noffensiveSlowFireDurationMin," + durations + ",\n"),
                     1);
    };
    EXPECT_EQ(burn("2", "1"), std::vector<std::string>{"{2}DamageDurationFire/s"});
    EXPECT_EQ(burn("2", "3"), std::vector<std::string>{"{6}DamageDurationFire(3 s)"});
    EXPECT_EQ(burn("0;5", "3"), std::vector<std::string>{});   // no value at level 1
}

TEST_F(DamageAttributeTest, NextLevelTextsShowWhatChanges)
{
    RegisterDisplayTag("DamageFire", false);
    DamageAttribute* fire = Load("DamageAttributeAbs_Fire", "offensiveFireMin,5;5;8,\noffensiveFireChance,10;20;20,\n");
    EXPECT_EQ(NextLines(*fire, 1, 2), std::vector<std::string>{"[20]{5}DamageFire"});
    EXPECT_EQ(NextLines(*fire, 2, 2), std::vector<std::string>{});
    EXPECT_EQ(NextLines(*fire, 2, 3), std::vector<std::string>{"[20]{8}DamageFire"});
    fire->SetHideChanceIndentLine(true);
    EXPECT_EQ(Lines(*fire, 1), std::vector<std::string>{">{5}DamageFire"});

    const DamageAttribute* physical = Load("DamageAttribute_Physical",
                                           "offensivePhysicalMin,3;3;5;5,\noffensivePierceRatio,10;20;10;30,\n");
    EXPECT_EQ(NextLines(*physical, 1, 2), std::vector<std::string>{});   // only the pierce ratio changes
    EXPECT_EQ(NextLines(*physical, 2, 3), std::vector<std::string>{"{5}DamageBasePhysical"});
    EXPECT_EQ(NextLines(*physical, 1, 4), (std::vector<std::string>{"{5}DamageBasePhysical", "pierce 30"}));

    const DamageAttribute* burn = Load("DamageAttributeAbs_ManaBurn",
                                       "offensiveManaBurnDrainMin,5,\noffensiveManaBurnDrainMax,10,\n"
                                       "offensiveManaBurnDamageRatio,2;3,\n");
    EXPECT_EQ(Lines(*burn, 1), std::vector<std::string>{"{5-10}DamageManaDrain, ratio 2"});
    EXPECT_EQ(NextLines(*burn, 1, 2), std::vector<std::string>{", ratio 3"});
}

// ---- Costs --------------------------------------------------------------------------

TEST_F(DamageAttributeTest, CostsAverageTheEndsAndWeighTheChance)
{
    auto bonus = [&](const std::string& text) { return Cost(*Load("DamageAttributeAbs_Fire", text)).avgBonus; };
    EXPECT_EQ(bonus("offensiveFireMin,0;1,\noffensiveFireMax,10,\n"), 10.0f);   // no halving when an end is 0
    EXPECT_EQ(bonus("offensiveFireMin,4,\noffensiveFireMax,10,\n"), 7.0f);
    EXPECT_EQ(bonus("offensiveFireMin,4,\noffensiveFireMax,10,\noffensiveFireChance,50,\n"), 3.5f);
    EXPECT_EQ(Cost(*Load("DamageAttributeAbsBase_Fire", "offensiveBaseFireMin,4,\noffensiveBaseFireMax,10,\n")).avgBase,
              7.0f);

    const CostInfo_DamageAttributes physical = Cost(*Load(
        "DamageAttribute_Physical", "offensivePhysicalMin,3,\noffensivePhysicalMax,7,\noffensivePhysicalChance,50,\n"
                                    "offensivePierceRatio,20,\n"));
    EXPECT_EQ(physical.avgBonus, 2.5f);
    EXPECT_EQ(physical.avgPierceRatio, 20.0f);
    EXPECT_EQ(physical.count, 1u);

    const CostInfo_DamageAttributes dot = Cost(*Load(
        "DamageAttributeDur_Fire", "offensiveSlowFireMin,2,\noffensiveSlowFireMax,4,\noffensiveSlowFireDurationMin,3,\n"
                                   "offensiveSlowFireDurationMax,5,\noffensiveSlowFireChance,50,\n"));
    EXPECT_EQ(dot.avgOverTime, 3.0f);   // 1.5 x 2
    EXPECT_EQ(dot.count, 1u);

    const CostInfo_DamageAttributes modifiers =
        Cost(*Load("DamageAttributeDurMod_Fire", "offensiveSlowFireModifier,20,\noffensiveSlowFireDurationModifier,10,\n"
                                                 "offensiveSlowFireModifierChance,50,\n"));
    EXPECT_EQ(modifiers.mod, 10.0f);
    EXPECT_EQ(modifiers.modDur, 5.0f);
    EXPECT_EQ(modifiers.count, 2u);
}

// ---- Bad input ----------------------------------------------------------------------

TEST_F(DamageAttributeTest, ValuesAtTheEndsOfTheFloatRangeStayFinite)
{
    const std::string big = "3.4e38";
    const std::string text = "offensiveFireMin,-" + big + ",\noffensiveFireMax," + big + ",\noffensiveFireChance," + big +
                             ",\noffensiveSlowFireMin," + big + ",\noffensiveSlowFireMax,-" + big +
                             ",\noffensiveSlowFireDurationMin," + big + ",\noffensivePhysicalMin,-" + big +
                             ",\noffensivePhysicalMax," + big + ",\noffensivePierceRatio," + big +
                             ",\noffensiveElementalMin," + big + ",\noffensiveElementalMax," + big + ",\n";
    for (const char* kind : {"DamageAttributeAbs_Fire", "DamageAttributeDur_Fire", "DamageAttribute_Physical",
                             "DamageAttributeAbs_ElementalDamage"})
        ASSERT_NE(Load(kind, text), nullptr) << kind;
    DamageAttribute_BasePhysical::Create_BasePhysical(store, Record(text));
    RandomUniform rng;
    rng.Seed(21);
    MultiplyingAccumulator acc;
    acc.multiplier = kLargest;
    for (const auto& attribute : store.GetAttributes()) {
        attribute->AddJitter(50, &rng);
        attribute->ScaleAttribute(kLargest);
        for (int i = 0; i < 20; ++i)
            attribute->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), true);
        CostInfo_DamageAttributes cost;
        attribute->GetCostInfo(cost);
        attribute->GetCostInfo(cost);
        for (float total : {cost.avgBase, cost.avgPierceRatio, cost.avgBonus, cost.avgOverTime})
            EXPECT_TRUE(std::isfinite(total));
        for (const std::string& line : Lines(*attribute, 1))
            EXPECT_EQ(line.find("inf"), std::string::npos) << line;
    }
    for (const auto& object : acc.GetDamages()) {
        float absolute = 0.0f, overTime = 0.0f;
        object->GetTotalDamage(absolute, overTime);
        EXPECT_TRUE(std::isfinite(absolute) && std::isfinite(overTime));
        if (const auto* dot = dynamic_cast<const CombatAttributeDurDamage*>(object.get())) {
            EXPECT_TRUE(std::isfinite(dot->GetDuration()));
        }
    }
}

// A kind's own load keeps what loading a new attribute of the kind keeps: an attribute of
// its class from a record that holds its values, and from one that holds none, nothing
// (but for the weapon's base hit, which every weapon has).
TEST_F(DamageAttributeTest, EveryKindLoadsAsANewAttributeOfItsClass)
{
    const BundledTextsScope texts;
    const LoadTable* record = RecordDatabase::Get().Load("Records/Item/EveryDamageKey.dbr");
    ASSERT_NE(record, nullptr);
    const LoadTable empty;
    DamageAttributeStore made;
    for (auto kinds : {GetDamageAttributeKinds(), GetRetaliationAttributeKinds()})
        for (const DamageAttributeKind& kind : kinds)
            EXPECT_EQ(kind.load(store, empty) == nullptr, DamageAttribute::Load(kind.create(), made, empty) == nullptr)
                << kind.name;
    EXPECT_EQ(store.GetAttributes().size(), 1u);
    EXPECT_EQ(made.GetAttributes().size(), 1u);
    for (const DamageAttributeKind& kind : GetDamageAttributeKinds()) {
        const DamageAttribute* loaded = kind.load(store, *record);
        ASSERT_NE(loaded, nullptr) << kind.name;
        EXPECT_EQ(&loaded->GetClassInfo(), &kind.create()->GetClassInfo()) << kind.name;
    }
}

TEST_F(DamageAttributeTest, BundledTextsFitEveryLine)
{
    const BundledTextsScope texts;
    const LoadTable* record = RecordDatabase::Get().Load("Records/Item/EveryDamageKey.dbr");
    ASSERT_NE(record, nullptr);
    LogCapture log;
    for (const DamageAttributeKind& kind : GetDamageAttributeKinds())
        EXPECT_NE(DamageAttribute::Load(kind.create(), store, *record), nullptr) << kind.name;
    DamageAttribute::TextList texts1, texts2, texts3;
    for (const auto& attribute : store.GetAttributes()) {
        for (bool hide : {false, true}) {
            attribute->SetHideChanceIndentLine(hide);
            for (unsigned level : {0u, 1u, 2u, kTopLevel})
                attribute->CreateText(texts1, texts2, texts3, level);
            attribute->CreateNextText(texts1, texts2, texts3, 1, 2);
        }
    }
    EXPECT_GT(texts1.size() + texts2.size() + texts3.size(), 150u);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{});
}

// ---- The store ----------------------------------------------------------------------

TEST_F(DamageAttributeTest, StoreCopiesOwnClonesOfEveryAttribute)
{
    Load("DamageAttributeAbs_Fire", "offensiveFireMin,5,\n");
    Load("DamageAttributeAbs_Cold", "offensiveColdMin,5,\noffensiveColdGlobal,1,\n");
    Load("DamageAttributeAbs_Lightning", "offensiveLightningMin,5,\noffensiveLightningGlobal,1,\noffensiveLightningXOR,1,\n");
    store.AddAttribute(nullptr);
    store.Add(DamageAttributeList::None, MakeKind("DamageAttributeAbs_Life"));

    DamageAttributeStore copy(store);
    DamageAttributeStore assigned;
    assigned = store;
    for (const DamageAttributeStore* other : {&copy, &assigned}) {
        for (auto list : {&DamageAttributeStore::GetAttributes, &DamageAttributeStore::GetGlobalAndAttributes,
                          &DamageAttributeStore::GetGlobalXorAttributes}) {
            ASSERT_EQ((other->*list)().size(), 1u);
            EXPECT_NE((other->*list)()[0].get(), (store.*list)()[0].get());
            EXPECT_STREQ((other->*list)()[0]->GetClassInfo().GetName(), (store.*list)()[0]->GetClassInfo().GetName());
        }
    }
    RegisterDisplayTag("DamageFire", false);
    EXPECT_EQ(Lines(*copy.GetAttributes()[0], 1), std::vector<std::string>{"{5}DamageFire"});
}
