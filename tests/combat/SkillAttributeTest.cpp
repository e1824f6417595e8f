#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DamageAttributeTestUtil.h"
#include "Game/combat/SkillAttributeStore.h"

using namespace GAME;

// Hands out scripted draws from 0 to 100 (the last one again when they run out) and
// counts them.
class SkillScriptedRandom : public RandomUniform {
public:
    float FGenerate(float min, float max) override
    {
        ranges.emplace_back(min, max);
        return draws.empty() ? 0.0f : draws[std::min(ranges.size(), draws.size()) - 1];
    }
    int IGenerate(int min, int max) override
    {
        spreads.emplace_back(min, max);
        return 1;
    }
    std::vector<float> draws;
    std::vector<std::pair<float, float>> ranges;
    std::vector<std::pair<int, int>> spreads;
};

class SkillAttributeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LocalizationManager::Instance().Clear();
        LocalizationManager::Instance().RegisterTags("ChanceOfTag=[%.0f]\n");
    }
    void TearDown() override { LocalizationManager::Instance().Clear(); }

    static std::unique_ptr<SkillAttribute> Loaded(const std::string& name, const std::string& text)
    {
        auto attribute = MakeNamed(GetSkillAttributeKinds(), name);
        if (attribute)
            attribute->LoadBaseTable(Record(text));
        return attribute;
    }
};

TEST_F(SkillAttributeTest, EveryLeafReadsItsKeysAndAddsToItsSum)
{
    struct Row {
        const char* name;
        const char* key;
        SkillAttributeType type;
        bool modifier;
    };
    const Row rows[] = {
        {"SkillAttributeVal_CooldownReduction", "skillCooldownReduction", SkillAttributeType_CooldownReduction, false},
        {"SkillAttributeVal_ManaCostReduction", "skillManaCostReduction", SkillAttributeType_ManaCostReduction, false},
        {"SkillAttributeVal_ProjectileSpeedModifier", "skillProjectileSpeedModifier",
         SkillAttributeType_ProjectileSpeedModifier, false},
        {"SkillAttributeMod_CooldownReduction", "skillCooldownReductionModifier", SkillAttributeType_CooldownReduction, true},
        {"SkillAttributeMod_ManaCostReduction", "skillManaCostReductionModifier", SkillAttributeType_ManaCostReduction, true},
    };
    ASSERT_EQ(GetSkillAttributeKinds().size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        EXPECT_STREQ(GetSkillAttributeKinds()[i].name, row.name);
        const std::string key = row.key;
        std::string tag = key;
        tag[0] = 'S';
        LocalizationManager::Instance().RegisterTags(tag + "=" + tag + " %g\n");
        auto attribute = Loaded(row.name, key + ",7,\n" + key + "Chance,40,\n");
        EXPECT_EQ(attribute->GetType(), row.type);
        SkillAttribute::TextList lines;
        attribute->CreateText(1, lines);
        EXPECT_EQ(Utf8Lines(lines), std::vector<std::string>{"[40]" + tag + " 7"});
        SkillAttributeAccumulator sure;
        Loaded(row.name, key + ",7,\n")->AddToAccumulator(sure, 1);
        EXPECT_EQ(row.modifier ? sure.GetModifier(row.type) : sure.GetValue(row.type), 7.0f);
        EXPECT_EQ(row.modifier ? sure.GetValue(row.type) : sure.GetModifier(row.type), 0.0f);
    }
}

TEST_F(SkillAttributeTest, EveryTotalDrawsThreeTimesAndADrawAtTheChancePasses)
{
    auto cooldown = Loaded("SkillAttributeVal_CooldownReduction", "skillCooldownReduction,10,\nskillCooldownReductionChance,0,\n");
    SkillScriptedRandom rng;
    rng.draws = {99.0f};
    EXPECT_EQ(cooldown->GetTotalValue(rng, 1), 10.0f);
    EXPECT_EQ(cooldown->GetTotalValue(rng, 5), 10.0f);
    EXPECT_EQ(rng.ranges, (std::vector<std::pair<float, float>>(6, {0.0f, 100.0f})));

    auto chance = Loaded("SkillAttributeVal_CooldownReduction", "skillCooldownReduction,10,\nskillCooldownReductionChance,25,\n");
    SkillScriptedRandom exact;
    exact.draws = {25.0f};
    EXPECT_EQ(chance->GetTotalValue(exact, 1), 10.0f);
    SkillScriptedRandom over;
    over.draws = {25.5f};
    EXPECT_EQ(chance->GetTotalValue(over, 1), 0.0f);

    // The prefix does not depend on the level; its chance uses the second draw, the
    // suffix's the third.
    chance->LoadPrefixTable(Record("skillCooldownReduction,5,\n"), nullptr);
    chance->LoadSuffixTable(Record("skillCooldownReduction,3,\nskillCooldownReductionChance,50,\n"), nullptr);
    SkillScriptedRandom order;
    order.draws = {90.0f, 90.0f, 50.0f};
    EXPECT_EQ(chance->GetTotalValue(order, 0), 8.0f);
    SkillScriptedRandom late;
    late.draws = {10.0f, 10.0f, 60.0f};
    EXPECT_EQ(chance->GetTotalValue(late, 1), 15.0f);
}

TEST_F(SkillAttributeTest, PrefixJitterScalingTextsAndCosts)
{
    auto value = Loaded("SkillAttributeVal_ManaCostReduction", "skillManaCostReduction,10;20,\nskillManaCostReductionChance,0;30,\n");
    SkillScriptedRandom rng;
    value->LoadPrefixTable(Record("skillManaCostReduction,40,\nlootRandomizerJitter,20,\nskillManaCostReductionChance,50,\n"),
                           &rng);
    value->LoadSuffixTable(Record("skillManaCostReduction,3,\n"), nullptr);
    EXPECT_EQ(rng.spreads, (std::vector<std::pair<int, int>>{{-7, 7}}));
    LocalizationManager::Instance().RegisterTags("SkillManaCostReduction=Mana %g\n");
    SkillAttribute::TextList lines;
    value->CreateText(1, lines);
    EXPECT_EQ(Utf8Lines(lines), (std::vector<std::string>{"Mana 10", "[50]Mana 41", "Mana 3"}));
    lines.clear();
    value->CreateNextText(1, 2, lines);
    value->CreateNextText(2, 2, lines);
    EXPECT_EQ(Utf8Lines(lines), std::vector<std::string>{"[30]Mana 20"});

    // The cost subtracts the prefix and suffix from a value that does not hold them.
    CostInfo_SkillAttributes cost;
    value->GetCostInfo(cost);
    EXPECT_EQ(cost.valueSum, 10.0f - 41.0f - 3.0f);
    EXPECT_EQ(cost.prefixSuffixSum, 44.0f);
    EXPECT_EQ(cost.count, 2u);
    auto modifier = Loaded("SkillAttributeMod_ManaCostReduction", "skillManaCostReductionModifier,6,\n");
    modifier->LoadPrefixTable(Record("skillManaCostReductionModifier,2,\n"), nullptr);
    modifier->GetCostInfo(cost);
    EXPECT_EQ(cost.modifierSum, 6.0f);
    EXPECT_EQ(cost.count, 3u);

    value->ScaleAttribute(10.0f);
    lines.clear();
    value->CreateText(2, lines);
    // 20 and 41 gain a whole 1 and 4 (the products fall just short of 2 and 4.1); 3 none.
    EXPECT_EQ(Utf8Lines(lines), (std::vector<std::string>{"[30]Mana 21", "[50]Mana 45", "Mana 3"}));
    value->AddJitter(20.0f, &rng);
    EXPECT_EQ(rng.spreads, (std::vector<std::pair<int, int>>{{-7, 7}, {-1, 1}, {-4, 4}}));
}

TEST_F(SkillAttributeTest, TheAccumulatorAndTheStores)
{
    SkillAttributeAccumulator acc;
    acc.AddValue(SkillAttributeType_ManaCostReduction, -20.0f);
    acc.AddModifier(SkillAttributeType_ManaCostReduction, 50.0f);
    EXPECT_EQ(acc.GetValue(SkillAttributeType_ManaCostReduction), -10.0f);
    acc.AddValue(SkillAttributeType(4), 1.0f);
    EXPECT_EQ(acc.GetValue(SkillAttributeType(4)), 0.0f);
    acc.Clear();
    EXPECT_EQ(acc.GetValue(SkillAttributeType_ManaCostReduction), 0.0f);

    // The same seed gives the same rolls, wherever the store's attributes come from.
    SkillAttributeStore_Skill store;
    store.Load(Record("skillCooldownReductionModifier,4,\nskillCooldownReductionModifierChance,50,\n"
                      "skillCooldownReduction,2,\nskillCooldownReductionChance,50,\n"));
    ASSERT_EQ(store.GetAttributes().size(), 2u);
    EXPECT_STREQ(store.GetAttributes()[0].GetClassInfo().GetName(), "SkillAttributeVal_CooldownReduction");
    auto roll = [&](const SkillAttributeStore& from, uint32_t seed) {
        SkillAttributeAccumulator seeded;
        seeded.SetSeed(seed);
        from.AddToAccumulator(seeded, 1);
        return std::make_pair(seeded.GetValue(SkillAttributeType_CooldownReduction),
                              seeded.GetModifier(SkillAttributeType_CooldownReduction));
    };
    auto copy = std::make_unique<SkillAttributeStore_Skill>(store);
    for (uint32_t seed = 1; seed < 20; ++seed)
        EXPECT_EQ(roll(*copy, seed), roll(store, seed));

    // No generator: the item's bonuses load as they stand and jitter does nothing.
    const LoadTable prefix = Record("skillCooldownReduction,9,\nlootRandomizerJitter,30,\n");
    SkillAttributeStore_Equipment item;
    item.Load(Record(""), &prefix, nullptr, true);
    item.AddJitter(20.0f);
    SkillAttribute::TextList lines;
    LocalizationManager::Instance().RegisterTags("SkillCooldownReduction=CD %g\n");
    item.CreateText(lines, 1);
    EXPECT_EQ(Utf8Lines(lines), std::vector<std::string>{"CD 9"});
    SkillAttributeStore_Equipment moved(std::move(item));
    EXPECT_TRUE(item.GetAttributes().empty());
    EXPECT_EQ(moved.GetAttributes().size(), 1u);
}
