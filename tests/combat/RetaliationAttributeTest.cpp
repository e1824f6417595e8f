// Retaliation attributes and their stores: every row of the four kind tables loaded from
// a record of only its keys, the kinds that differ from their offensive twins, the two
// load orders, jitter, the global chance key and the bundled texts.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "DamageAttributeStoreTestUtil.h"
#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/combat/RetaliationAttributeKinds.h"
#include "Game/combat/RetaliationAttributeStore.h"

using namespace GAME;

class RetaliationAttributeTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestFormats(); }
    void TearDown() override { LocalizationManager::Instance().Clear(); }

    static RetaliationAttributeStore_Skill Skill(const std::string& text)
    {
        RetaliationAttributeStore_Skill store;
        store.Load(Record(text));
        return store;
    }
};

// Where a kind differs from its offensive twin: its text goes to the third list but for
// the absolute modifiers', cold, fire and lightning add the plain per-attack classes, and
// a modifier is placed by its twin's Global and XOR keys.
TEST_F(RetaliationAttributeTest, KindsWriteAndRollAsTheirFamiliesDo)
{
    struct Row {
        const char* keys;
        const char* perAttack;
        const char* tag;
        size_t textList;   // 0, 1 or 2
    };
    const Row rows[] = {
        {"retaliationFireMin,2,\n", "CombatAttributeAbsDamage", "RetaliationFire", 2},
        {"retaliationSlowColdMin,2,\nretaliationSlowColdDurationMin,3,\n", "CombatAttributeDurDamage",
         "RetaliationDurationCold", 2},
        {"retaliationSlowLightningMin,2,\nretaliationSlowLightningDurationMin,3,\n", "CombatAttributeDurDamage",
         "RetaliationDurationLightning", 2},
        {"retaliationSlowRunSpeedMin,2,\nretaliationSlowRunSpeedDurationMin,3,\n", "CombatAttributeDurFixedDamage",
         "RetaliationDurationRunSpeed", 2},
        {"retaliationPercentCurrentLifeMin,2,\n", "CombatAttributeAbsDamage_PercentLife",
         "RetaliationPercentCurrentLife", 2},
        {"retaliationStunMin,2,\n", "CombatAttributeReflexDamage", "RetaliationStun", 2},
        {"retaliationFireModifier,20,\n", "CombatAttributeAbsDamageMod", "RetaliationModifierFire", 1},
        {"retaliationSlowFireModifier,20,\n", "CombatAttributeDurDamageMod", "RetaliationDurationModifierFire", 2},
    };
    for (const Row& row : rows) {
        const RetaliationAttributeStore_Skill store = Skill(row.keys);
        ASSERT_EQ(StoreSize(store), 1u) << row.keys;
        CombatAttributeAccumulator acc;
        acc.SetSeed(4);
        store.AddDamageToAccumulator(acc, 1);
        store.AddModifierToAccumulator(acc, 1);
        const CombatAttributeList& made = acc.GetDamages().empty() ? acc.GetDamageModifiers() : acc.GetDamages();
        ASSERT_EQ(made.size(), 1u) << row.keys;
        EXPECT_STREQ(made[0]->GetClassInfo().GetName(), row.perAttack);
        RegisterDisplayTag(row.tag, std::string(row.tag).find("Modifier") != std::string::npos);
        const auto lines = StoreLines(store, 1);
        for (size_t list = 0; list < 3; ++list)
            EXPECT_EQ(lines[list].size(), list == row.textList ? 1u : 0u) << row.keys << " list " << list + 1;
        EXPECT_NE(lines[row.textList].at(0).find(row.tag), std::string::npos) << row.keys;
    }

    const RetaliationAttributeStore_Skill twins =
        Skill("retaliationFireModifier,20,\nretaliationFireGlobal,1,\nretaliationFireXOR,1,\n"
              "retaliationSlowFireModifier,20,\nretaliationSlowFireGlobal,1,\n");
    EXPECT_EQ(ClassNames(twins.GetGlobalXorAttributes()),
              std::vector<std::string>{"RetaliationAttributeAbsMod_Fire"});
    EXPECT_EQ(ClassNames(twins.GetGlobalAndAttributes()),
              std::vector<std::string>{"RetaliationAttributeDurMod_Fire"});
    EXPECT_EQ(GetRetaliationAttributeKinds().size(), 49u);
}

// Elemental retaliation spreads a third of its value over cold, fire and lightning as plain
// absolute damage; percent of current life makes its own object.
TEST_F(RetaliationAttributeTest, ElementalRetaliationOfThirtyGivesThreePlainTens)
{
    const RetaliationAttributeStore_Skill store = Skill("retaliationElementalMin,30,\n");
    CombatAttributeAccumulator acc;
    acc.SetSeed(3);
    store.AddDamageToAccumulator(acc, 1);
    EXPECT_EQ(StoreObjects(acc.GetDamages()),
              (std::vector<std::pair<uint32_t, float>>{{5, 10.0f}, {6, 10.0f}, {8, 10.0f}}));
    for (const auto& object : acc.GetDamages())
        EXPECT_STREQ(object->GetClassInfo().GetName(), "CombatAttributeAbsDamage");
}

TEST_F(RetaliationAttributeTest, StoreKindsOrderTheElementsDifferently)
{
    const std::string elements = "retaliationColdMin,1,\nretaliationFireMin,2,\nretaliationPoisonMin,3,\n"
                                 "retaliationLightningMin,4,\n";
    auto types = [](const DamageAttributeStore& store) {
        std::vector<uint32_t> out;
        for (const auto& attribute : store.GetAttributes())
            out.push_back(attribute->GetType());
        return out;
    };
    EXPECT_EQ(types(Skill(elements)), (std::vector<uint32_t>{6, 5, 8, 7}));
    for (bool armor : {false, true}) {
        RetaliationAttributeStore_Equipment item;
        item.Load(Record(elements), nullptr, nullptr, armor);
        EXPECT_EQ(types(item), (std::vector<uint32_t>{5, 7, 8, 6}));
    }

    RecordDatabase::Get().SetDataRoot(GAME_TEST_DATA_DIR);
    const LoadTable* every = RecordDatabase::Get().Load("Records/Item/EveryRetaliationKey.dbr");
    ASSERT_NE(every, nullptr);
    RetaliationAttributeStore_Equipment item;
    item.Load(*every, nullptr, nullptr, false);
    RetaliationAttributeStore_Skill skill;
    skill.Load(*every);
    EXPECT_EQ(StoreSize(item), 49u);
    EXPECT_EQ(StoreSize(skill), 49u);
    const auto itemNames = ClassNames(item.GetAttributes());
    const auto skillNames = ClassNames(skill.GetAttributes());
    // Positions 11 to 26 differ but for lightning, which both load third of the four.
    for (size_t i = 0; i < 49; ++i)
        EXPECT_EQ(itemNames[i] == skillNames[i], i < 10 || (i >= 18 && i < 22) || i >= 26) << i;
    EXPECT_EQ(itemNames[10], "RetaliationAttributeAbs_Cold");
    EXPECT_EQ(skillNames[10], "RetaliationAttributeAbs_Fire");
    RecordDatabase::Get().Clear();
    RecordDatabase::Get().SetDataRoot("");
}

// Base and prefix physical retaliation: two attributes, the base first, jittered by 20 and
// by the prefix's own percent; a skill store draws nothing. The equipment store draws the
// same whatever its armour flag.
TEST_F(RetaliationAttributeTest, ItemsJitterBaseByTwentyAndPrefixByItsOwn)
{
    RegisterDisplayTag("RetaliationPhysical", false);
    const LoadTable base = Record("retaliationPhysicalMin,1000,\n");
    const LoadTable prefix = Record("retaliationPhysicalMin,1000,\nlootRandomizerJitter,5,\n");
    std::vector<std::pair<int, int>> spreads[2];
    std::array<std::vector<std::string>, 3> lines[2];
    for (bool armor : {false, true}) {
        StoreSpreadRecorder recorder;
        recorder.Seed(77);
        RetaliationAttributeStore_Equipment item;
        item.SetRandomGen(&recorder);
        item.Load(base, &prefix, nullptr, armor);
        ASSERT_EQ(item.GetAttributes().size(), 2u);
        spreads[armor] = recorder.spreads;
        lines[armor] = StoreLines(item, 1);
    }
    EXPECT_EQ(spreads[0], (std::vector<std::pair<int, int>>{{-199, 199}, {-49, 49}}));
    EXPECT_EQ(spreads[1], spreads[0]);
    EXPECT_EQ(lines[1], lines[0]);

    StoreSpreadRecorder recorder;
    RetaliationAttributeStore_Skill skill;
    skill.SetRandomGen(&recorder);
    skill.Load(base);
    EXPECT_TRUE(recorder.spreads.empty());
    EXPECT_EQ(StoreLines(skill, 1)[2], std::vector<std::string>{"{1000}RetaliationPhysical"});
}

TEST_F(RetaliationAttributeTest, GlobalChanceKeyAndSharedFlags)
{
    // "retaliationGlobalChance", never the offensive key; the first array stays.
    RetaliationAttributeStore_Skill store = Skill("retaliationGlobalChance,50,\noffensiveGlobalChance,100,\n"
                                                  "retaliationFireMin,3,\nretaliationFireGlobal,1,\n");
    store.Load(Record("retaliationGlobalChance,100,\nretaliationFireMin,3,\nretaliationFireGlobal,1,\n"));
    RegisterDisplayTag("RetaliationFire", false);
    LocalizationManager::Instance().RegisterTags("GlobalPercentChanceOfAllTag=ALL %g\n");
    EXPECT_EQ(StoreLines(store, 1)[1], (std::vector<std::string>{"ALL 50", ">{3}RetaliationFire"}));

    // One Global key places physical retaliation and its modifier; pierce ratio has its own.
    const RetaliationAttributeStore_Skill physical =
        Skill("retaliationPhysicalMin,4,\nretaliationPhysicalModifier,20,\nretaliationPierceRatioModifier,5,\n"
              "retaliationPhysicalGlobal,1,\n");
    EXPECT_EQ(ClassNames(physical.GetGlobalAndAttributes()),
              (std::vector<std::string>{"RetaliationAttributeAbs_Physical", "RetaliationAttributeAbsMod_Physical"}));
    EXPECT_EQ(ClassNames(physical.GetAttributes()),
              std::vector<std::string>{"RetaliationAttributeAbsMod_PierceRatio"});
}

TEST_F(RetaliationAttributeTest, BundledTextsFitEveryRetaliationLine)
{
    const BundledTextsScope texts;
    const LoadTable* every = RecordDatabase::Get().Load("Records/Item/EveryRetaliationKey.dbr");
    ASSERT_NE(every, nullptr);
    LogCapture log;
    RetaliationAttributeStore_Skill store;
    store.Load(*every);
    size_t lines = 0;
    for (unsigned level : {0u, 1u, 2u, 4294967295u}) {
        for (const auto& list : StoreLines(store, level))
            lines += list.size();
        DamageAttribute::TextList texts1, texts2, texts3;
        store.CreateNextText(texts1, texts2, texts3, level, level + 1);
    }
    EXPECT_GE(lines, 3u * 49u);
    // The group headers, with and without a number.
    for (const char* chance : {"50", "100"}) {
        const RetaliationAttributeStore_Skill groups =
            Skill(std::string("retaliationGlobalChance,") + chance + ",\nretaliationFireMin,3,\n"
                  "retaliationFireGlobal,1,\nretaliationColdMin,3,\nretaliationColdGlobal,1,\nretaliationColdXOR,1,\n");
        EXPECT_EQ(StoreLines(groups, 1)[1].size(), 4u);
    }
    // A tag without a text, or a text that does not fit its values, would be logged.
    EXPECT_EQ(log.Texts(), std::vector<std::string>{});
}
