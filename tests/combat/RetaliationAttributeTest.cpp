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

namespace {

enum class RetaliationFamily { Abs, Dur, AbsMod, DurMod };

// The record keys of a row, all from its stem, and the text it shows with them.
std::string RetaliationRowKeys(RetaliationFamily family, const std::string& stem)
{
    switch (family) {
    case RetaliationFamily::Abs:
        return stem + "Min,2,\n" + stem + "Max,4,\n" + stem + "Chance,50,\n";
    case RetaliationFamily::Dur:
        return stem + "Min,2,\n" + stem + "Max,4,\n" + stem + "DurationMin,3,\n" + stem + "DurationMax,5,\n" + stem +
               "Chance,50,\n";
    case RetaliationFamily::AbsMod:
        return stem + "Modifier,20,\n" + stem + "ModifierChance,50,\n";
    case RetaliationFamily::DurMod:
        return stem + "Modifier,20,\n" + stem + "DurationModifier,10,\n" + stem + "ModifierChance,50,\n";
    }
    return {};
}

}  // namespace

// Each kind: the list its stem's flags choose (XOR alone leaves it plain), its type, what
// a forced roll adds, and the list and line of its text (the third list but for absolute
// modifiers).
TEST_F(RetaliationAttributeTest, EveryRowLoadsRollsAndWritesAsItsTableSays)
{
    using F = RetaliationFamily;
    struct Row {
        const char* kind;
        F family;
        const char* stem;
        uint32_t type;
        const char* tag;
        const char* perAttack;
        std::vector<uint32_t> objectTypes;
    };
    const char* abs = "CombatAttributeAbsDamage";
    const char* dur = "CombatAttributeDurDamage";
    const char* fixed = "CombatAttributeDurFixedDamage";
    const char* absMod = "CombatAttributeAbsDamageMod";
    const char* durMod = "CombatAttributeDurDamageMod";
    const Row rows[] = {
        {"RetaliationAttributeAbs_Physical", F::Abs, "retaliationPhysical", 2, "RetaliationPhysical", abs, {2}},
        {"RetaliationAttributeAbs_Pierce", F::Abs, "retaliationPierce", 4, "RetaliationPierce", abs, {4}},
        {"RetaliationAttributeAbs_Cold", F::Abs, "retaliationCold", 5, "RetaliationCold", abs, {5}},
        {"RetaliationAttributeAbs_Fire", F::Abs, "retaliationFire", 6, "RetaliationFire", abs, {6}},
        {"RetaliationAttributeAbs_Poison", F::Abs, "retaliationPoison", 7, "RetaliationPoison", abs, {7}},
        {"RetaliationAttributeAbs_Lightning", F::Abs, "retaliationLightning", 8, "RetaliationLightning", abs, {8}},
        {"RetaliationAttributeAbs_Life", F::Abs, "retaliationLife", 9, "RetaliationLife", abs, {9}},
        {"RetaliationAttributeAbs_PercentCurrentLife", F::Abs, "retaliationPercentCurrentLife", 12,
         "RetaliationPercentCurrentLife", "CombatAttributeAbsDamage_PercentLife", {12}},
        {"RetaliationAttributeAbs_ElementalDamage", F::Abs, "retaliationElemental", 45, "RetaliationElemental", abs,
         {5, 6, 8}},
        {"RetaliationAttributeReflex_Stun", F::Abs, "retaliationStun", 34, "RetaliationStun",
         "CombatAttributeReflexDamage", {34}},
        {"RetaliationAttributeDur_Physical", F::Dur, "retaliationSlowPhysical", 2, "RetaliationDurationPhysical", dur, {2}},
        {"RetaliationAttributeDur_Bleeding", F::Dur, "retaliationSlowBleeding", 13, "RetaliationDurationBleeding", dur, {13}},
        {"RetaliationAttributeDur_Cold", F::Dur, "retaliationSlowCold", 5, "RetaliationDurationCold", dur, {5}},
        {"RetaliationAttributeDur_Fire", F::Dur, "retaliationSlowFire", 6, "RetaliationDurationFire", dur, {6}},
        {"RetaliationAttributeDur_Poison", F::Dur, "retaliationSlowPoison", 7, "RetaliationDurationPoison", dur, {7}},
        {"RetaliationAttributeDur_Lightning", F::Dur, "retaliationSlowLightning", 8, "RetaliationDurationLightning", dur, {8}},
        {"RetaliationAttributeDur_Life", F::Dur, "retaliationSlowLife", 9, "RetaliationDurationLife", dur, {9}},
        {"RetaliationAttributeDur_LifeLeach", F::Dur, "retaliationSlowLifeLeach", 18, "RetaliationDurationLifeLeach", dur, {18}},
        {"RetaliationAttributeDur_ManaLeach", F::Dur, "retaliationSlowManaLeach", 19, "RetaliationDurationManaLeach", dur, {19}},
        {"RetaliationAttributeDur_AttackSpeed", F::Dur, "retaliationSlowAttackSpeed", 15, "RetaliationDurationAttackSpeed", fixed, {15}},
        {"RetaliationAttributeDur_SpellCastSpeed", F::Dur, "retaliationSlowSpellCastSpeed", 16, "RetaliationDurationSpellCastSpeed", fixed, {16}},
        {"RetaliationAttributeDur_RunSpeed", F::Dur, "retaliationSlowRunSpeed", 17, "RetaliationDurationRunSpeed", fixed, {17}},
        {"RetaliationAttributeDur_OffensiveAbility", F::Dur, "retaliationSlowOffensiveAbility", 20, "RetaliationDurationOffensiveAbility", fixed, {20}},
        {"RetaliationAttributeDur_DefensiveAbility", F::Dur, "retaliationSlowDefensiveAbility", 21, "RetaliationDurationDefensiveAbility", fixed, {21}},
        {"RetaliationAttributeDur_OffensiveReduction", F::Dur, "retaliationSlowOffensiveReduction", 22, "RetaliationDurationOffensiveReduction", fixed, {22}},
        {"RetaliationAttributeAbsMod_Physical", F::AbsMod, "retaliationPhysical", 2, "RetaliationModifierPhysical", absMod, {2}},
        {"RetaliationAttributeAbsMod_PierceRatio", F::AbsMod, "retaliationPierceRatio", 3, "RetaliationModifierPierceRatio", absMod, {3}},
        {"RetaliationAttributeAbsMod_Pierce", F::AbsMod, "retaliationPierce", 4, "RetaliationModifierPierce", absMod, {4}},
        {"RetaliationAttributeAbsMod_Cold", F::AbsMod, "retaliationCold", 5, "RetaliationModifierCold", absMod, {5}},
        {"RetaliationAttributeAbsMod_Fire", F::AbsMod, "retaliationFire", 6, "RetaliationModifierFire", absMod, {6}},
        {"RetaliationAttributeAbsMod_Poison", F::AbsMod, "retaliationPoison", 7, "RetaliationModifierPoison", absMod, {7}},
        {"RetaliationAttributeAbsMod_Lightning", F::AbsMod, "retaliationLightning", 8, "RetaliationModifierLightning", absMod, {8}},
        {"RetaliationAttributeAbsMod_Life", F::AbsMod, "retaliationLife", 9, "RetaliationModifierLife", absMod, {9}},
        {"RetaliationAttributeAbsMod_Stun", F::AbsMod, "retaliationStun", 34, "RetaliationModifierStun", absMod, {34}},
        {"RetaliationAttributeDurMod_Physical", F::DurMod, "retaliationSlowPhysical", 2, "RetaliationDurationModifierPhysical", durMod, {2}},
        {"RetaliationAttributeDurMod_Bleeding", F::DurMod, "retaliationSlowBleeding", 13, "RetaliationDurationModifierBleeding", durMod, {13}},
        {"RetaliationAttributeDurMod_Cold", F::DurMod, "retaliationSlowCold", 5, "RetaliationDurationModifierCold", durMod, {5}},
        {"RetaliationAttributeDurMod_Fire", F::DurMod, "retaliationSlowFire", 6, "RetaliationDurationModifierFire", durMod, {6}},
        {"RetaliationAttributeDurMod_Poison", F::DurMod, "retaliationSlowPoison", 7, "RetaliationDurationModifierPoison", durMod, {7}},
        {"RetaliationAttributeDurMod_Lightning", F::DurMod, "retaliationSlowLightning", 8, "RetaliationDurationModifierLightning", durMod, {8}},
        {"RetaliationAttributeDurMod_Life", F::DurMod, "retaliationSlowLife", 9, "RetaliationDurationModifierLife", durMod, {9}},
        {"RetaliationAttributeDurMod_AttackSpeed", F::DurMod, "retaliationSlowAttackSpeed", 15, "RetaliationDurationModifierAttackSpeed", durMod, {15}},
        {"RetaliationAttributeDurMod_SpellCastSpeed", F::DurMod, "retaliationSlowSpellCastSpeed", 16, "RetaliationDurationModifierSpellCastSpeed", durMod, {16}},
        {"RetaliationAttributeDurMod_RunSpeed", F::DurMod, "retaliationSlowRunSpeed", 17, "RetaliationDurationModifierRunSpeed", durMod, {17}},
        {"RetaliationAttributeDurMod_LifeLeach", F::DurMod, "retaliationSlowLifeLeach", 18, "RetaliationDurationModifierLifeLeach", durMod, {18}},
        {"RetaliationAttributeDurMod_ManaLeach", F::DurMod, "retaliationSlowManaLeach", 19, "RetaliationDurationModifierManaLeach", durMod, {19}},
        {"RetaliationAttributeDurMod_OffensiveAbility", F::DurMod, "retaliationSlowOffensiveAbility", 20, "RetaliationDurationModifierOffensiveAbility", durMod, {20}},
        {"RetaliationAttributeDurMod_DefensiveAbility", F::DurMod, "retaliationSlowDefensiveAbility", 21, "RetaliationDurationModifierDefensiveAbility", durMod, {21}},
        {"RetaliationAttributeDurMod_OffensiveReduction", F::DurMod, "retaliationSlowOffensiveReduction", 22, "RetaliationDurationModifierOffensiveReduction", durMod, {22}},
    };
    ASSERT_EQ(GetRetaliationAttributeKinds().size(), std::size(rows));
    size_t index = 0;
    for (const Row& row : rows) {
        // The kinds are listed in the tables' order.
        EXPECT_STREQ(GetRetaliationAttributeKinds()[index++].name, row.kind);
        const std::string keys = RetaliationRowKeys(row.family, row.stem);
        const std::string stem = row.stem;
        using Lists = const DamageAttributeStore::AttributeList& (DamageAttributeStore::*)() const;
        const std::pair<std::string, Lists> routes[] = {
            {stem + "XOR,1,\n", &DamageAttributeStore::GetAttributes},
            {stem + "Global,1,\n", &DamageAttributeStore::GetGlobalAndAttributes},
            {stem + "Global,1,\n" + stem + "XOR,1,\n", &DamageAttributeStore::GetGlobalXorAttributes},
        };
        for (const auto& [flags, list] : routes) {
            RetaliationAttributeStore_Skill store;
            ASSERT_NE(DamageAttribute::Load(MakeKind(row.kind), store, Record(keys + flags)), nullptr);
            EXPECT_EQ((store.*list)().size(), 1u) << row.kind << " " << flags;
        }

        RetaliationAttributeStore_Skill store;
        DamageAttribute* attribute = DamageAttribute::Load(MakeKind(row.kind), store, Record(keys));
        ASSERT_NE(attribute, nullptr) << row.kind;
        EXPECT_EQ(attribute->GetType(), row.type) << row.kind;
        EXPECT_STREQ(attribute->GetClassInfo().GetName(), row.kind);
        EXPECT_STREQ(attribute->Clone()->GetClassInfo().GetName(), row.kind);
        CombatAttributeAccumulator acc;
        acc.SetSeed(11);
        attribute->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), true);
        attribute->AddModifierToAccumulator(acc, 1, acc.GetRandomGen(), true);
        const bool modifier = row.family == F::AbsMod || row.family == F::DurMod;
        const CombatAttributeList& objects = modifier ? acc.GetDamageModifiers() : acc.GetDamages();
        EXPECT_EQ(modifier ? acc.GetDamages().size() : acc.GetDamageModifiers().size(), 0u) << row.kind;
        ASSERT_EQ(objects.size(), row.objectTypes.size()) << row.kind;
        for (size_t i = 0; i < objects.size(); ++i) {
            EXPECT_STREQ(objects[i]->GetClassInfo().GetName(), row.perAttack) << row.kind;
            EXPECT_EQ(objects[i]->GetType(), row.objectTypes[i]) << row.kind;
        }

        RegisterDisplayTag(row.tag, modifier);
        const auto lines = StoreLines(store, 1);
        const size_t textList = row.family == F::AbsMod ? 1 : 2;
        for (size_t list = 0; list < 3; ++list)
            EXPECT_EQ(lines[list].size(), list == textList ? 1u : 0u) << row.kind << " list " << list + 1;
        EXPECT_NE(lines[textList].at(0).find(row.tag), std::string::npos) << row.kind;
    }
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
    const auto itemNames = StoreClassNames(item.GetAttributes());
    const auto skillNames = StoreClassNames(skill.GetAttributes());
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
    EXPECT_EQ(StoreClassNames(physical.GetGlobalAndAttributes()),
              (std::vector<std::string>{"RetaliationAttributeAbs_Physical", "RetaliationAttributeAbsMod_Physical"}));
    EXPECT_EQ(StoreClassNames(physical.GetAttributes()),
              std::vector<std::string>{"RetaliationAttributeAbsMod_PierceRatio"});
}

TEST_F(RetaliationAttributeTest, BundledTextsFitEveryRetaliationLine)
{
    LocalizationManager& text = LocalizationManager::Instance();
    text.Clear();
    ASSERT_GT(text.LoadFile(std::string(GAME_DATA_DIR) + "/Text/English.txt"), 0u);
    RecordDatabase::Get().SetDataRoot(GAME_TEST_DATA_DIR);
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
    RecordDatabase::Get().Clear();
    RecordDatabase::Get().SetDataRoot("");
}
