// Every row of the damage attribute kind tables, loaded from a record that holds only
// its keys: the store list its flags choose, its type, the per-attack objects it adds and
// the text list and line it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/DamageAttributeKinds.h"
#include "Game/combat/DamageAttributePhysical.h"
#include "Game/combat/DamageAttributeStore.h"
#include "DamageAttributeTestUtil.h"

using namespace GAME;

namespace {

using Store = DamageAttributeStore;
using ObjectList = std::vector<std::pair<std::string, uint32_t>>;

// The per-attack objects of a list: class name and type.
ObjectList Objects(const CombatAttributeList& list)
{
    ObjectList out;
    for (const auto& object : list)
        out.emplace_back(object->GetClassInfo().GetName(), object->GetType());
    return out;
}

ObjectList Expected(const char* perAttack, std::initializer_list<uint32_t> types)
{
    ObjectList out;
    for (uint32_t type : types)
        out.emplace_back(perAttack, type);
    return out;
}

class DamageAttributeKindsTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestFormats(); }
    void TearDown() override { LocalizationManager::Instance().Clear(); }

    // The kind loads from `keys` with its flags set three ways, and joins the list they
    // choose: XOR alone leaves it plain.
    static void ExpectRouting(const char* kind, const std::string& keys, const std::string& stem)
    {
        const std::pair<std::string, const Store::AttributeList& (Store::*)() const> cases[] = {
            {stem + "XOR,1,\n", &Store::GetAttributes},
            {stem + "Global,1,\n", &Store::GetGlobalAndAttributes},
            {stem + "Global,1,\n" + stem + "XOR,1,\n", &Store::GetGlobalXorAttributes},
        };
        for (const auto& [flags, list] : cases) {
            Store store;
            EXPECT_NE(DamageAttribute::Load(MakeKind(kind), store, Record(keys + flags)), nullptr) << kind;
            EXPECT_EQ((store.*list)().size(), 1u) << kind << " " << flags;
            EXPECT_EQ(store.GetAttributes().size() + store.GetGlobalAndAttributes().size() +
                          store.GetGlobalXorAttributes().size(),
                      1u)
                << kind;
        }
    }

    // Loaded plainly from `keys`: its type, the objects a forced roll adds, and its lines.
    static void ExpectKind(const char* kind, const std::string& keys, uint32_t type, const ObjectList& objects,
                           int textList, const std::vector<std::string>& lines)
    {
        Store store;
        DamageAttribute* attribute = DamageAttribute::Load(MakeKind(kind), store, Record(keys));
        ASSERT_NE(attribute, nullptr) << kind;
        EXPECT_EQ(attribute->GetType(), type) << kind;
        EXPECT_STREQ(attribute->GetClassInfo().GetName(), kind);
        EXPECT_EQ(attribute->Clone()->GetClassInfo().GetName(), attribute->GetClassInfo().GetName());
        CombatAttributeAccumulator acc;
        acc.SetSeed(7);
        attribute->AddDamageToAccumulator(acc, 1, acc.GetRandomGen(), true);
        attribute->AddModifierToAccumulator(acc, 1, acc.GetRandomGen(), true);
        EXPECT_EQ(Objects(acc.GetDamages().empty() ? acc.GetDamageModifiers() : acc.GetDamages()), objects) << kind;
        std::array<DamageAttribute::TextList, 3> texts;
        attribute->CreateText(texts[0], texts[1], texts[2], 1);
        for (int list = 1; list <= 3; ++list)
            EXPECT_EQ(Utf8Lines(texts[list - 1]),
                      list == textList ? lines : std::vector<std::string>{})
                << kind << " list " << list;
    }
};

}  // namespace

TEST_F(DamageAttributeKindsTest, AbsoluteModifierRows)
{
    struct Row {
        const char* kind;
        uint32_t type;
        const char* modifierKey;
        const char* stem;
        const char* tag;
        int textList;
        std::initializer_list<uint32_t> objectTypes;
    };
    const Row rows[] = {
    {"DamageAttributeAbsMod_Physical", 2, "offensivePhysicalModifier", "offensivePhysical", "DamageModifierPhysical", 2, {2}},
    {"DamageAttributeAbsMod_PierceRatio", 3, "offensivePierceRatioModifier", "offensivePierceRatio", "DamageModifierPierceRatio", 2, {3}},
    {"DamageAttributeAbsMod_Pierce", 4, "offensivePierceModifier", "offensivePierce", "DamageModifierPierce", 2, {4}},
    {"DamageAttributeAbsMod_Bleeding", 13, "offensiveBleedingModifier", "offensiveBleeding", "DamageModifierBleeding", 2, {13}},
    {"DamageAttributeAbsMod_Cold", 5, "offensiveColdModifier", "offensiveCold", "DamageModifierCold", 2, {5}},
    {"DamageAttributeAbsMod_Fire", 6, "offensiveFireModifier", "offensiveFire", "DamageModifierFire", 2, {6}},
    {"DamageAttributeAbsMod_Poison", 7, "offensivePoisonModifier", "offensivePoison", "DamageModifierPoison", 2, {7}},
    {"DamageAttributeAbsMod_Lightning", 8, "offensiveLightningModifier", "offensiveLightning", "DamageModifierLightning", 2, {8}},
    {"DamageAttributeAbsMod_Life", 9, "offensiveLifeModifier", "offensiveLife", "DamageModifierLife", 2, {9}},
    {"DamageAttributeAbsMod_Stun", 34, "offensiveStunModifier", "offensiveStun", "DamageModifierStun", 2, {34}},
    {"DamageAttributeAbsMod_ManaBurn", 10, "offensiveManaBurnRatioAdder", "offensiveManaBurn", "DamageModifierManaBurn", 2, {10}},
    {"DamageAttributeAbsMod_Elemental", 45, "offensiveElementalModifier", "offensiveElemental", "DamageModifierElemental", 2, {5, 6, 8}},
    };
    for (const Row& row : rows) {
        const std::string modifier = row.modifierKey;
        const std::string keys = modifier + ",20,\n" + modifier + "Chance,50,\n";
        RegisterDisplayTag(row.tag, true);
        ExpectRouting(row.kind, keys, row.stem);
        ExpectKind(row.kind, keys, row.type, Expected("CombatAttributeAbsDamageMod", row.objectTypes), row.textList,
                   {std::string("[50]") + row.tag + " 20"});
    }
}

TEST_F(DamageAttributeKindsTest, DurationModifierRows)
{
    struct Row {
        const char* kind;
        uint32_t type;
        const char* stem;
        const char* tag;
        int textList;
    };
    const Row rows[] = {
    {"DamageAttributeDurMod_Physical", 2, "offensiveSlowPhysical", "DamageDurationModifierPhysical", 2},
    {"DamageAttributeDurMod_Bleeding", 13, "offensiveSlowBleeding", "DamageDurationModifierBleeding", 2},
    {"DamageAttributeDurMod_Cold", 5, "offensiveSlowCold", "DamageDurationModifierCold", 2},
    {"DamageAttributeDurMod_Fire", 6, "offensiveSlowFire", "DamageDurationModifierFire", 2},
    {"DamageAttributeDurMod_Poison", 7, "offensiveSlowPoison", "DamageDurationModifierPoison", 2},
    {"DamageAttributeDurMod_Lightning", 8, "offensiveSlowLightning", "DamageDurationModifierLightning", 2},
    {"DamageAttributeDurMod_Life", 9, "offensiveSlowLife", "DamageDurationModifierLife", 2},
    {"DamageAttributeDurMod_AttackSpeed", 15, "offensiveSlowAttackSpeed", "DamageDurationModifierAttackSpeed", 3},
    {"DamageAttributeDurMod_SpellCastSpeed", 16, "offensiveSlowSpellCastSpeed", "DamageDurationModifierSpellCastSpeed", 3},
    {"DamageAttributeDurMod_RunSpeed", 17, "offensiveSlowRunSpeed", "DamageDurationModifierRunSpeed", 3},
    {"DamageAttributeDurMod_LifeLeach", 18, "offensiveSlowLifeLeach", "DamageDurationModifierLifeLeach", 2},
    {"DamageAttributeDurMod_ManaLeach", 19, "offensiveSlowManaLeach", "DamageDurationModifierManaLeach", 2},
    {"DamageAttributeDurMod_OffensiveAbility", 20, "offensiveSlowOffensiveAbility", "DamageDurationModifierOffensiveAbility", 3},
    {"DamageAttributeDurMod_DefensiveAbility", 21, "offensiveSlowDefensiveAbility", "DamageDurationModifierDefensiveAbility", 3},
    {"DamageAttributeDurMod_OffensiveReduction", 22, "offensiveSlowOffensiveReduction", "DamageDurationModifierOffensiveReduction", 3},
    };
    for (const Row& row : rows) {
        const std::string stem = row.stem;
        const std::string keys =
            stem + "Modifier,20,\n" + stem + "DurationModifier,10,\n" + stem + "ModifierChance,50,\n";
        RegisterDisplayTag(row.tag, true);
        ExpectRouting(row.kind, keys, stem);
        ExpectKind(row.kind, keys, row.type, Expected("CombatAttributeDurDamageMod", {row.type}), row.textList,
                   {std::string("[50]") + row.tag + " 20+10%t"});
    }
}

TEST_F(DamageAttributeKindsTest, AbsoluteReflexAndInfluenceRows)
{
    enum class Format { Plain, Reflex, Influence };
    struct Row {
        const char* kind;
        uint32_t type;
        const char* stem;
        const char* tag;
        int textList;   // 0: writes no text
        Format format;
        const char* perAttack;
        std::initializer_list<uint32_t> objectTypes;
    };
    const Row rows[] = {
    {"DamageAttributeReflex_Stun", 34, "offensiveStun", "DamageStun", 3, Format::Reflex, "CombatAttributeReflexDamage", {34}},
    {"DamageAttributeReflex_Freeze", 36, "offensiveFreeze", "DamageFreeze", 3, Format::Reflex, "CombatAttributeReflexDamage", {36}},
    {"DamageAttributeReflex_Petrify", 37, "offensivePetrify", "DamagePetrify", 3, Format::Reflex, "CombatAttributeReflexDamage", {37}},
    {"DamageAttributeReflex_Trap", 35, "offensiveTrap", "DamageTrap", 3, Format::Reflex, "CombatAttributeReflexDamage", {35}},
    {"DamageAttributeAbs_Taunt", 39, "offensiveTaunt", "DamageTaunt", 0, Format::Influence, "CombatAttributeInfluenceDamage_Taunt", {39}},
    {"DamageAttributeAbs_Convert", 40, "offensiveConvert", "DamageConvert", 3, Format::Influence, "CombatAttributeInfluenceDamage_Convert", {40}},
    {"DamageAttributeAbs_Fear", 41, "offensiveFear", "DamageFear", 3, Format::Influence, "CombatAttributeInfluenceDamage_Fear", {41}},
    {"DamageAttributeAbs_Confusion", 42, "offensiveConfusion", "DamageConfusion", 3, Format::Influence, "CombatAttributeInfluenceDamage_Confusion", {42}},
    {"DamageAttributeAbs_PercentCurrentLife", 12, "offensivePercentCurrentLife", "DamagePercentCurrentLife", 3, Format::Plain, "CombatAttributeAbsDamage_PercentLife", {12}},
    {"DamageAttributeAbs_Disruption", 11, "offensiveDisruption", "DamageDisruption", 3, Format::Influence, "CombatAttributeAbsDamage_Disruption", {11}},
    {"DamageAttributeAbs_LifeLeech", 18, "offensiveLifeLeech", "DamageLifeLeech", 3, Format::Plain, "CombatAttributeAbsDamage_LifeLeech", {18}},
    {"DamageAttributeAbsBase_Cold", 5, "offensiveBaseCold", "tagDamageBaseCold", 1, Format::Plain, "CombatAttributeAbsDamageElemental", {5}},
    {"DamageAttributeAbsBase_Fire", 6, "offensiveBaseFire", "tagDamageBaseFire", 1, Format::Plain, "CombatAttributeAbsDamageElemental", {6}},
    {"DamageAttributeAbsBase_Poison", 7, "offensiveBasePoison", "tagDamageBasePoison", 1, Format::Plain, "CombatAttributeAbsDamage", {7}},
    {"DamageAttributeAbsBase_Lightning", 8, "offensiveBaseLightning", "tagDamageBaseLightning", 1, Format::Plain, "CombatAttributeAbsDamageElemental", {8}},
    {"DamageAttributeAbsBase_Life", 9, "offensiveBaseLife", "tagDamageBaseVitality", 1, Format::Plain, "CombatAttributeAbsDamage", {9}},
    {"DamageAttributeAbs_Pierce", 4, "offensivePierce", "DamagePierce", 3, Format::Plain, "CombatAttributeAbsDamage", {4}},
    {"DamageAttributeAbs_Cold", 5, "offensiveCold", "DamageCold", 3, Format::Plain, "CombatAttributeAbsDamageElemental", {5}},
    {"DamageAttributeAbs_Fire", 6, "offensiveFire", "DamageFire", 3, Format::Plain, "CombatAttributeAbsDamageElemental", {6}},
    {"DamageAttributeAbs_Poison", 7, "offensivePoison", "DamagePoison", 3, Format::Plain, "CombatAttributeAbsDamage", {7}},
    {"DamageAttributeAbs_Lightning", 8, "offensiveLightning", "DamageLightning", 3, Format::Plain, "CombatAttributeAbsDamageElemental", {8}},
    {"DamageAttributeAbs_Life", 9, "offensiveLife", "DamageLife", 3, Format::Plain, "CombatAttributeAbsDamage", {9}},
    {"DamageAttributeAbs_ElementalDamage", 45, "offensiveElemental", "DamageElemental", 3, Format::Plain, "CombatAttributeAbsDamage", {5, 6, 8}},
    {"DamageAttributeAbs_BonusPhysical", 2, "offensiveBonusPhysical", "DamageBonusPhysical", 3, Format::Plain, "CombatAttributeDamage_BonusPhysical", {2}},
    };
    for (const Row& row : rows) {
        const std::string stem = row.stem;
        const std::string keys = stem + "Min,3,\n" + stem + "Max,7,\n" + stem + "Chance,50,\n";
        const char* format = row.format == Format::Reflex ? "R" : row.format == Format::Influence ? "I" : "";
        RegisterDisplayTag(row.tag, false);
        ExpectRouting(row.kind, keys, stem);
        ExpectKind(row.kind, keys, row.type, Expected(row.perAttack, row.objectTypes), row.textList,
                   {std::string("[50]") + format + "{3-7}" + row.tag});
    }
}

TEST_F(DamageAttributeKindsTest, DurationRows)
{
    struct Row {
        const char* kind;
        uint32_t type;
        const char* stem;
        const char* tag;
        int textList;
        const char* perAttack;
        std::initializer_list<uint32_t> objectTypes;
    };
    const Row rows[] = {
    {"DamageAttributeDur_Physical", 2, "offensiveSlowPhysical", "DamageDurationPhysical", 2, "CombatAttributeDurDamage", {2}},
    {"DamageAttributeDur_Bleeding", 13, "offensiveSlowBleeding", "DamageDurationBleeding", 2, "CombatAttributeDurDamage", {13}},
    {"DamageAttributeDur_Cold", 5, "offensiveSlowCold", "DamageDurationCold", 2, "CombatAttributeDurDamageElemental", {5}},
    {"DamageAttributeDur_Fire", 6, "offensiveSlowFire", "DamageDurationFire", 2, "CombatAttributeDurDamageElemental", {6}},
    {"DamageAttributeDur_Poison", 7, "offensiveSlowPoison", "DamageDurationPoison", 2, "CombatAttributeDurDamage", {7}},
    {"DamageAttributeDur_Lightning", 8, "offensiveSlowLightning", "DamageDurationLightning", 2, "CombatAttributeDurDamageElemental", {8}},
    {"DamageAttributeDur_Life", 9, "offensiveSlowLife", "DamageDurationLife", 2, "CombatAttributeDurDamage", {9}},
    {"DamageAttributeDur_LifeLeach", 18, "offensiveSlowLifeLeach", "DamageDurationLifeLeach", 2, "CombatAttributeDurDamage", {18}},
    {"DamageAttributeDur_ManaLeach", 19, "offensiveSlowManaLeach", "DamageDurationManaLeach", 2, "CombatAttributeDurDamage", {19}},
    {"DamageAttributeDur_OffensiveAbility", 20, "offensiveSlowOffensiveAbility", "DamageDurationOffensiveAbility", 3, "CombatAttributeDurFixedDamage", {20}},
    {"DamageAttributeDur_DefensiveAbility", 21, "offensiveSlowDefensiveAbility", "DamageDurationDefensiveAbility", 3, "CombatAttributeDurFixedDamage", {21}},
    {"DamageAttributeDur_OffensiveReduction", 22, "offensiveSlowOffensiveReduction", "DamageDurationOffensiveReduction", 3, "CombatAttributeDurFixedDamage", {22}},
    {"DamageAttributeDur_DefensiveReduction", 23, "offensiveSlowDefensiveReduction", "DamageDurationDefensiveReduction", 3, "CombatAttributeDurFixedDamage", {23}},
    {"DamageAttributeDur_TotalDamageReductionPercent", 26, "offensiveTotalDamageReductionPercent", "DamageTotalDamageReductionPercent", 3, "CombatAttributeDurFixedDamage", {26}},
    {"DamageAttributeDur_TotalDamageReductionAbsolute", 27, "offensiveTotalDamageReductionAbsolute", "DamageTotalDamageReductionAbsolute", 3, "CombatAttributeDurFixedDamage", {27}},
    {"DamageAttributeDur_TotalResistanceReductionPercent", 28, "offensiveTotalResistanceReductionPercent", "DamageTotalResistanceReductionPercent", 3, "CombatAttributeDurFixedDamage", {28}},
    {"DamageAttributeDur_TotalResistanceReductionAbsolute", 29, "offensiveTotalResistanceReductionAbsolute", "DamageTotalResistanceReductionAbsolute", 3, "CombatAttributeDurFixedDamage", {29}},
    {"DamageAttributeDur_Fumble", 24, "offensiveFumble", "DamageDurationFumble", 3, "CombatAttributeDurFixedDamage", {24}},
    {"DamageAttributeDur_ProjectileFumble", 25, "offensiveProjectileFumble", "DamageDurationProjectileFumble", 3, "CombatAttributeDurFixedDamage", {25}},
    {"DamageAttributeDur_TotalSpeed", 14, "offensiveSlowTotalSpeed", "DamageDurationTotalSpeed", 3, "CombatAttributeDurFixedDamage", {15, 16, 17}},
    {"DamageAttributeDur_AttackSpeed", 15, "offensiveSlowAttackSpeed", "DamageDurationAttackSpeed", 3, "CombatAttributeDurFixedDamage", {15}},
    {"DamageAttributeDur_SpellCastSpeed", 16, "offensiveSlowSpellCastSpeed", "DamageDurationSpellCastSpeed", 3, "CombatAttributeDurFixedDamage", {16}},
    {"DamageAttributeDur_RunSpeed", 17, "offensiveSlowRunSpeed", "DamageDurationRunSpeed", 3, "CombatAttributeDurFixedDamage", {17}},
    };
    for (const Row& row : rows) {
        const std::string stem = row.stem;
        const std::string keys = stem + "Min,2,\n" + stem + "Max,4,\n" + stem + "DurationMin,3,\n" + stem +
                                 "DurationMax,5,\n" + stem + "Chance,50,\n";
        // Damage over time shows its totals and time; a held effect its value and length.
        const bool holds = std::string(row.perAttack) == "CombatAttributeDurFixedDamage";
        RegisterDisplayTag(row.tag, false);
        ExpectRouting(row.kind, keys, stem);
        ExpectKind(row.kind, keys, row.type, Expected(row.perAttack, row.objectTypes), row.textList,
                   {std::string("[50]") + (holds ? "{2-4}" : "{6-20}") + row.tag + (holds ? "(for 3-5 s)" : "(3-5 s)")});
    }
}

TEST_F(DamageAttributeKindsTest, PhysicalAndManaBurnRows)
{
    const std::string physical = "offensivePhysicalMin,3,\noffensivePhysicalMax,7,\noffensivePhysicalChance,50,\n"
                                 "offensivePierceRatio,20,\n";
    ExpectRouting("DamageAttribute_Physical", physical, "offensivePhysical");
    ExpectKind("DamageAttribute_Physical", physical, 2, Expected("CombatAttributeDamage_BasePhysical", {1}), 2,
               {"[50]{3-7}DamageBasePhysical", "pierce 20"});

    const std::string manaBurn = "offensiveManaBurnDrainMin,3,\noffensiveManaBurnDrainMax,7,\n"
                                 "offensiveManaBurnChance,50,\noffensiveManaBurnDamageRatio,2,\n";
    ExpectRouting("DamageAttributeAbs_ManaBurn", manaBurn, "offensiveManaBurn");
    ExpectKind("DamageAttributeAbs_ManaBurn", manaBurn, 10, Expected("CombatAttributeAbsDamage_ManaBurn", {10}), 3,
               {"[50]{3-7}DamageManaDrain, ratio 2"});

    // The base physical damage ignores every flag: always the plain list.
    const std::string base = "offensivePhysicalMin,10,\noffensivePhysicalMax,14,\noffensivePhysicalGlobal,1,\n"
                             "offensivePhysicalXOR,1,\n";
    Store store;
    ASSERT_NE(DamageAttribute_BasePhysical::Create_BasePhysical(store, Record(base)), nullptr);
    EXPECT_EQ(store.GetAttributes().size(), 1u);
    EXPECT_EQ(store.GetAttributes()[0]->GetType(), CombatAttributeType_Unknown);
}

TEST_F(DamageAttributeKindsTest, EveryKindIsListedOnceUnderTheRoot)
{
    const auto kinds = GetDamageAttributeKinds();
    EXPECT_EQ(kinds.size(), 77u);
    std::vector<std::string> names;
    for (const DamageAttributeKind& kind : kinds) {
        const auto attribute = kind.create();
        EXPECT_STREQ(attribute->GetClassInfo().GetName(), kind.name);
        EXPECT_TRUE(attribute->IsA<DamageAttribute>()) << kind.name;
        EXPECT_FALSE(attribute->GetClassInfo().IsA(Object::GetStaticClassInfo())) << kind.name;
        names.push_back(kind.name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}
