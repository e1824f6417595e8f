#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "DamageAttributeTestUtil.h"
#include "Engine/Engine.h"
#include "Game/combat/CharAttributeStore.h"

using namespace GAME;

class CharAttributeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LocalizationManager::Instance().Clear();
        LocalizationManager::Instance().RegisterTags("CharacterStrength=Str %g\n"
                                                     "CharacterAttackSpeedFast=Fast\n"
                                                     "CharacterAttackSpeedNotSet=Not set\n"
                                                     "CharacterAttackSpeedOdd=%d attacks\n");
    }
    void TearDown() override { LocalizationManager::Instance().Clear(); }

    static std::unique_ptr<CharAttribute> Make(const std::string& name)
    {
        return MakeNamed(GetCharAttributeKinds(), name);
    }
    static std::unique_ptr<CharAttribute> Loaded(const std::string& name, const std::string& text)
    {
        auto attribute = Make(name);
        attribute->LoadBaseTable(Record(text));
        return attribute;
    }
    static std::vector<std::string> Names(const CharAttributeStore& store) { return ClassNames(store.GetAttributes()); }
};

// The types in the order of their numbers, from 1.
const char* const kCharTypeNames[] = {
    "Strength", "Dexterity", "Intelligence", "Life", "Mana", "LifeRegen", "ManaRegen", "ManaLimitReserve",
    "ManaLimitReserveReduction", "TotalSpeed", "RunSpeed", "AttackSpeed", "SpellCastSpeed", "BaseAttackSpeed",
    "OffensiveAbility", "OffensiveAbilityModifier", "DefensiveAbility", "DefensiveAbilityModifier",
    "DefensiveBlockRecoveryReduction", "EnergyAbsorptionPercent", "DodgePercent", "DeflectProjectile",
    "WeaponStrengthReqReduction", "WeaponDexterityReqReduction", "WeaponIntelligenceReqReduction",
    "MeleeStrengthReqReduction", "MeleeDexterityReqReduction", "MeleeIntelligenceReqReduction",
    "HuntingStrengthReqReduction", "HuntingDexterityReqReduction", "HuntingIntelligenceReqReduction",
    "StaffStrengthReqReduction", "StaffDexterityReqReduction", "StaffIntelligenceReqReduction",
    "ShieldStrengthReqReduction", "ShieldDexterityReqReduction", "ShieldIntelligenceReqReduction",
    "ArmorStrengthReqReduction", "ArmorDexterityReqReduction", "ArmorIntelligenceReqReduction",
    "JewelryStrengthReqReduction", "JewelryDexterityReqReduction", "JewelryIntelligenceReqReduction",
    "GlobalReqReduction", "LevelReqReduction", "IncreasedExperience"};

TEST_F(CharAttributeTest, EveryLeafReadsItsKeyShowsItsTagAndAddsToItsType)
{
    ASSERT_EQ(std::size(kCharTypeNames), kCharAttributeTypeCount - 1);
    size_t values = 0, modifiers = 0;
    for (const CharAttributeKind& kind : GetCharAttributeKinds()) {
        const std::string name = kind.name;
        SCOPED_TRACE(name);
        const bool modifier = name.rfind("CharAttributeMod_", 0) == 0;
        const std::string typeName = name.substr(name.find('_') + 1);
        ++(modifier ? modifiers : values);
        const auto* found = std::find(std::begin(kCharTypeNames), std::end(kCharTypeNames), typeName);
        ASSERT_NE(found, std::end(kCharTypeNames));
        const auto type = static_cast<CharAttributeType>(found - std::begin(kCharTypeNames) + 1);

        const std::string key = "character" + typeName + (modifier ? "Modifier" : "");
        std::string tag = "Character" + typeName + (modifier ? "Modifier" : "");
        if (typeName == "DeflectProjectile")
            tag = "CharacterDeflectProjectiles";
        if (typeName == "GlobalReqReduction")
            tag = "CharcterItemGlobalReduction";
        auto attribute = Loaded(name, key + ",5,\n");
        EXPECT_EQ(attribute->GetType(), type);
        EXPECT_EQ(attribute->GetValue(1), 5.0f);
        if (typeName != "BaseAttackSpeed") {
            LocalizationManager::Instance().RegisterTags(tag + "=" + tag + " %g\n");
            CharAttribute::TextList base, bonus;
            attribute->CreateText(1, base, bonus);
            EXPECT_TRUE(base.empty());
            EXPECT_EQ(Utf8Lines(bonus), std::vector<std::string>{tag + " 5"});
        }

        CharAttributeAccumulator acc;
        attribute->AddToAccumulator(acc, 1);
        if (modifier && (typeName == "TotalSpeed" || typeName == "AttackSpeed"))
            continue;   // they fan out (below)
        EXPECT_EQ(modifier ? acc.GetModifier(type) : acc.GetValue(type), 5.0f);
        for (uint32_t other = 0; other < kCharAttributeTypeCount; ++other) {
            if (other != type) {
                EXPECT_EQ(acc.GetValue(CharAttributeType(other)) + acc.GetModifier(CharAttributeType(other)), 0.0f);
            }
        }
    }
    EXPECT_EQ(values, 45u);
    EXPECT_EQ(modifiers, 13u);
}

TEST_F(CharAttributeTest, ValuesByLevelWithPrefixAndSuffix)
{
    auto strength = Loaded("CharAttributeVal_Strength", "characterStrength,5;10;15,\n");
    EXPECT_EQ(strength->GetValue(0), 0.0f);
    EXPECT_EQ(strength->GetValue(1), 5.0f);
    EXPECT_EQ(strength->GetValue(3), 15.0f);
    EXPECT_EQ(strength->GetValue(9), 15.0f);
    strength->LoadPrefixTable(Record("characterStrength,2,\n"), nullptr);
    EXPECT_EQ(strength->GetValue(1), 7.0f);
    EXPECT_EQ(strength->GetValue(0), 0.0f);
    strength->LoadSuffixTable(Record("characterStrength,1,\n"), nullptr);
    EXPECT_EQ(strength->GetValue(3), 18.0f);

    EXPECT_FALSE(Loaded("CharAttributeVal_Strength", "characterStrength,0,\n")->IsNotEmpty());
    auto bonusOnly = Loaded("CharAttributeVal_Strength", "");
    bonusOnly->LoadPrefixTable(Record("characterStrength,4,\n"), nullptr);
    EXPECT_TRUE(bonusOnly->IsNotEmpty());
    EXPECT_EQ(bonusOnly->GetValue(2), 4.0f);
}

TEST_F(CharAttributeTest, JitterAndScaleMoveWholeNumbers)
{
    auto one = Loaded("CharAttributeVal_Strength", "characterStrength,1;40;3,\n");
    FixedDrawRandom low;
    low.draw = -1;
    one->AddJitter(10.0f, &low);
    // 1 - 1 would be 0: the value stays 1.
    EXPECT_EQ(one->GetValue(1), 1.0f);
    EXPECT_EQ(low.spreads, (std::vector<std::pair<int, int>>{{-1, 1}, {-3, 3}, {-1, 1}}));
    auto up = Loaded("CharAttributeVal_Strength", "characterStrength,1,\n");
    FixedDrawRandom high;
    high.draw = 1;
    up->AddJitter(10.0f, &high);
    EXPECT_EQ(up->GetValue(1), 2.0f);
    up->AddJitter(80.0f, &high);   // held to 50
    EXPECT_EQ(high.spreads.back(), (std::pair<int, int>{-1, 1}));
    const size_t draws = high.spreads.size();
    up->AddJitter(0.0f, &high);
    up->AddJitter(20.0f, nullptr);
    EXPECT_EQ(high.spreads.size(), draws);

    // Speeds and the level requirement never jitter or scale.
    for (const char* fixed : {"CharAttributeVal_AttackSpeed", "CharAttributeVal_LevelReqReduction"}) {
        auto attribute = Make(fixed);
        attribute->SetBaseValue(100.0f);
        attribute->AddJitter(20.0f, &high);
        attribute->ScaleAttribute(10.0f);
        EXPECT_EQ(attribute->GetValue(1), 100.0f) << fixed;
    }
    EXPECT_EQ(high.spreads.size(), draws);

    // Scaling moves the base and the bonus alike.
    auto scaled = Loaded("CharAttributeVal_Strength", "characterStrength,15,\n");
    scaled->LoadPrefixTable(Record("characterStrength,100,\n"), nullptr);
    scaled->ScaleAttribute(10.0f);
    EXPECT_EQ(scaled->GetValue(1), 16.0f + 109.0f);
}

TEST_F(CharAttributeTest, PrefixValuesJitterByTheirRecordAsItStands)
{
    auto strength = Loaded("CharAttributeVal_Strength", "");
    FixedDrawRandom rng;
    rng.draw = 1;
    // Without the key the jitter is 0, which still draws from -1 to 1.
    strength->LoadPrefixTable(Record("characterStrength,10,\n"), &rng);
    strength->LoadSuffixTable(Record("characterStrength,40,\nlootRandomizerJitter,20,\n"), &rng);
    EXPECT_EQ(rng.spreads, (std::vector<std::pair<int, int>>{{-1, 1}, {-7, 7}}));
    EXPECT_EQ(strength->GetValue(1), 52.0f);

    // A huge jitter is not held to 50, but its spread stays in the int range.
    auto huge = Loaded("CharAttributeVal_Strength", "");
    FixedDrawRandom wide;
    huge->LoadPrefixTable(Record("characterStrength,3e38,\nlootRandomizerJitter,1e30,\n"), &wide);
    huge->LoadSuffixTable(Record("characterStrength,-3e38,\nlootRandomizerJitter,-1e30,\n"), &wide);
    EXPECT_EQ(wide.spreads[0], (std::pair<int, int>{-2147483647, 2147483647}));
    EXPECT_TRUE(std::isfinite(huge->GetValue(1)));
    huge->ScaleAttribute(1.0e30f);
    EXPECT_TRUE(std::isfinite(huge->GetValue(1)));
    CostInfo_CharacterAttributes cost;
    huge->GetCostInfo(cost);
    EXPECT_TRUE(std::isfinite(cost.primaryValue.sum));
}

TEST_F(CharAttributeTest, TheAccumulatorAppliesModifiersToTheMagnitude)
{
    CharAttributeAccumulator acc;
    acc.AddValue(CharAttributeType_Strength, 100.0f);
    acc.AddModifier(CharAttributeType_Strength, 20.0f);
    acc.AddValue(CharAttributeType_Life, -100.0f);
    acc.AddModifier(CharAttributeType_Life, 20.0f);
    EXPECT_EQ(acc.GetValue(CharAttributeType_Strength), 120.0f);
    EXPECT_EQ(acc.GetValue(CharAttributeType_Life), -80.0f);
    EXPECT_EQ(acc.GetModifier(CharAttributeType_Life), 20.0f);
    acc.AddValue(CharAttributeType(47), 5.0f);
    acc.AddModifier(CharAttributeType(4000000000u), 5.0f);
    EXPECT_EQ(acc.GetValue(CharAttributeType(47)), 0.0f);
    acc.Clear();
    EXPECT_EQ(acc.GetValue(CharAttributeType_Strength), 0.0f);

    CharAttributeAccumulator speeds;
    Loaded("CharAttributeMod_TotalSpeed", "characterTotalSpeedModifier,10,\n")->AddToAccumulator(speeds, 1);
    EXPECT_EQ(speeds.GetModifier(CharAttributeType_TotalSpeed), 0.0f);
    for (CharAttributeType type : {CharAttributeType_RunSpeed, CharAttributeType_AttackSpeed,
                                   CharAttributeType_BaseAttackSpeed, CharAttributeType_SpellCastSpeed})
        EXPECT_EQ(speeds.GetModifier(type), 10.0f) << type;
    Loaded("CharAttributeMod_AttackSpeed", "characterAttackSpeedModifier,5,\n")->AddToAccumulator(speeds, 1);
    EXPECT_EQ(speeds.GetModifier(CharAttributeType_AttackSpeed), 15.0f);
    EXPECT_EQ(speeds.GetModifier(CharAttributeType_BaseAttackSpeed), 15.0f);
    EXPECT_EQ(speeds.GetModifier(CharAttributeType_RunSpeed), 10.0f);
}

TEST_F(CharAttributeTest, CostsGoToTheirCategories)
{
    CostInfo_CharacterAttributes cost;
    const std::pair<const char*, const char*> priced[] = {
        {"CharAttributeVal_Strength", "characterStrength,3,\n"},
        {"CharAttributeVal_Life", "characterLife,4,\n"},
        {"CharAttributeVal_DodgePercent", "characterDodgePercent,5,\n"},
        {"CharAttributeMod_Dexterity", "characterDexterityModifier,6,\n"},
        {"CharAttributeMod_Mana", "characterManaModifier,7,\n"},
        {"CharAttributeMod_ManaLimitReserve", "characterManaLimitReserveModifier,8,\n"},
        {"CharAttributeVal_RunSpeed", "characterRunSpeed,9,\n"},
        {"CharAttributeVal_SpellCastSpeed", "characterSpellCastSpeed,10,\n"},
        {"CharAttributeMod_RunSpeed", "characterRunSpeedModifier,11,\n"},
        {"CharAttributeMod_SpellCastSpeed", "characterSpellCastSpeedModifier,12,\n"},
        {"CharAttributeMod_TotalSpeed", "characterTotalSpeedModifier,10,\n"},
        {"CharAttributeVal_ManaLimitReserve", "characterManaLimitReserve,99,\n"},
        {"CharAttributeVal_BaseAttackSpeed", "characterBaseAttackSpeed,2,\n"},
        {"CharAttributeVal_Strength", "characterStrength,0;7,\n"},
    };
    for (const auto& [name, record] : priced)
        Loaded(name, record)->GetCostInfo(cost);
    auto pair = [](const CharAttributeCost& c) { return std::make_pair(c.sum, c.count); };
    EXPECT_EQ(pair(cost.primaryValue), std::make_pair(3.0f, 1u));
    EXPECT_EQ(pair(cost.secondaryValue), std::make_pair(4.0f, 1u));
    EXPECT_EQ(pair(cost.plainValue), std::make_pair(5.0f, 1u));
    EXPECT_EQ(pair(cost.primaryModifier), std::make_pair(6.0f, 1u));
    EXPECT_EQ(pair(cost.secondaryModifier), std::make_pair(7.0f, 1u));
    EXPECT_EQ(pair(cost.plainModifier), std::make_pair(8.0f, 1u));
    EXPECT_EQ(pair(cost.otherSpeed), std::make_pair(9.0f, 1u));
    EXPECT_EQ(pair(cost.attackSpeed), std::make_pair(12.0f, 2u));
    EXPECT_EQ(pair(cost.otherSpeedModifier), std::make_pair(21.0f, 2u));
    EXPECT_EQ(pair(cost.attackSpeedModifier), std::make_pair(32.0f, 3u));
}

TEST_F(CharAttributeTest, BaseAttackSpeedShowsItsRecordsTagAsItStands)
{
    auto show = [](const std::string& record) {
        auto speed = std::make_unique<CharAttributeVal_BaseAttackSpeed>();
        speed->LoadBaseTable(Record(record));
        CharAttribute::TextList base, bonus;
        speed->CreateText(0, base, bonus);
        speed->CreateNextText(1, 2, base, bonus);
        EXPECT_TRUE(bonus.empty());
        return Utf8Lines(base);
    };
    EXPECT_EQ(show("characterBaseAttackSpeedTag,CharacterAttackSpeedFast,\n"), std::vector<std::string>{"Fast"});
    EXPECT_EQ(show(""), std::vector<std::string>{"Not set"});
    LogCapture log;
    EXPECT_EQ(show("characterBaseAttackSpeedTag,CharacterAttackSpeedOdd,\n"), std::vector<std::string>{"%d attacks"});
    EXPECT_TRUE(log.Contains("LocalizationManager: format of tag (CharacterAttackSpeedOdd) does not fit its values, "
                             "shown as plain text"));

    auto speed = std::make_unique<CharAttributeVal_BaseAttackSpeed>();
    speed->LoadBaseTable(Record("characterBaseAttackSpeed,3,\n"));
    FixedDrawRandom rng;
    speed->LoadPrefixTable(Record("characterBaseAttackSpeed,5,\n"), &rng);
    speed->AddJitter(20.0f, &rng);
    speed->ScaleAttribute(50.0f);
    EXPECT_TRUE(rng.spreads.empty());
    EXPECT_EQ(speed->GetValue(1), 3.0f);
}

// ---- The stores ---------------------------------------------------------------------

TEST_F(CharAttributeTest, TheBioKeepsItsBaseStatisticsAndWarnsOfAMissingType)
{
    CharAttributeStore_Bio bio;
    bio.Load(Record("characterLife,300;400,\n"));
    EXPECT_EQ(Names(bio), (std::vector<std::string>{"CharAttributeVal_Strength", "CharAttributeVal_Intelligence",
                                                    "CharAttributeVal_Dexterity", "CharAttributeVal_Life",
                                                    "CharAttributeVal_Mana"}));
    EXPECT_EQ(bio.GetBaseValue(CharAttributeType_Life), 300.0f);
    LogCapture log;
    bio.SetBaseValue(CharAttributeType_LifeRegen, 2.0f);
    EXPECT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].level, LOG_WARNING);
    EXPECT_EQ(log.Lines()[0].text, "CharAttributeStore_Bio: Could not find type (6) to set base values");
    EXPECT_EQ(bio.GetBaseValue(CharAttributeType_LifeRegen), 0.0f);

    bio.Load(Record("characterLifeRegen,2,\ncharacterOffensiveAbility,9,\n"));
    EXPECT_EQ(Names(bio).size(), 7u);
    EXPECT_EQ(bio.GetBaseValue(CharAttributeType_Life), 0.0f);
}

TEST_F(CharAttributeTest, EquipmentJittersAsBracketedAndLoadsEveryClassInOrder)
{
    std::string every;
    for (const CharAttributeKind& kind : GetCharAttributeKinds()) {
        const std::string name = kind.name;
        const bool modifier = name.rfind("CharAttributeMod_", 0) == 0;
        every += "character" + name.substr(name.find('_') + 1) + (modifier ? "Modifier" : "") + ",40,\n";
    }
    const LoadTable record = Record(every);
    FixedDrawRandom rng;
    rng.draw = 1;
    CharAttributeStore_Equipment item;
    item.SetRandomGen(&rng);
    item.Load(record, nullptr, nullptr, false);
    ASSERT_EQ(item.GetAttributes().size(), 58u);
    const std::vector<std::string> unjittered = {
        "CharAttributeVal_BaseAttackSpeed", "CharAttributeVal_Life", "CharAttributeVal_LifeRegen",
        "CharAttributeVal_ManaRegen", "CharAttributeVal_AttackSpeed", "CharAttributeVal_SpellCastSpeed",
        "CharAttributeVal_RunSpeed", "CharAttributeVal_GlobalReqReduction", "CharAttributeVal_LevelReqReduction",
        "CharAttributeVal_IncreasedExperience"};
    for (const auto& attribute : item.GetAttributes()) {
        const std::string name = attribute->GetClassInfo().GetName();
        const bool fixed = std::find(unjittered.begin(), unjittered.end(), name) != unjittered.end() ||
                           name.find("ReqReduction") != std::string::npos;
        EXPECT_EQ(attribute->GetValue(1), fixed ? 40.0f : 41.0f) << name;
    }
    EXPECT_EQ(rng.spreads.size(), 27u);

    CharAttributeStore_Skill skill;
    skill.Load(record);
    const std::vector<std::string> skillNames = Names(skill);
    ASSERT_EQ(skillNames.size(), 55u);
    EXPECT_EQ(skillNames.back(), "CharAttributeVal_IncreasedExperience");

    // Armour: no base attack speed, and no line for it.
    CharAttributeStore_Equipment armor;
    armor.Load(Record("characterStrength,3,\n"), nullptr, nullptr, true);
    EXPECT_EQ(Names(armor), std::vector<std::string>{"CharAttributeVal_Strength"});
    CharAttributeStore::TextList base, bonus;
    armor.CreateText(base, bonus, 1);
    EXPECT_TRUE(base.empty());
    EXPECT_EQ(Utf8Lines(bonus), std::vector<std::string>{"Str 3"});

    CharAttributeStore_SkillPenalty penalty;
    penalty.Load(record);
    EXPECT_EQ(Names(penalty),
              (std::vector<std::string>{"CharAttributeVal_ManaLimitReserve", "CharAttributeMod_ManaLimitReserve"}));
}

TEST_F(CharAttributeTest, ItemsWithoutAGeneratorLoadPlainBonusesAndStoresCopyDeep)
{
    const LoadTable prefix = Record("characterStrength,6,\nlootRandomizerJitter,20,\n");
    auto store = std::make_unique<CharAttributeStore_Equipment>();
    store->Load(Record("characterStrength,10,\n"), &prefix, nullptr, true);
    ASSERT_EQ(store->GetAttributes().size(), 1u);
    EXPECT_EQ(store->GetAttributes()[0].GetValue(1), 16.0f);

    RandomUniform rng;
    store->SetRandomGen(&rng);
    CharAttributeStore_Equipment copy(*store);
    EXPECT_EQ(copy.GetRandomGen(), nullptr);
    copy = copy;
    store.reset();
    CharAttributeAccumulator acc;
    copy.AddToAccumulator(acc, 1);
    EXPECT_EQ(acc.GetValue(CharAttributeType_Strength), 16.0f);
    CharAttributeStore_Equipment moved(std::move(copy));
    EXPECT_TRUE(copy.GetAttributes().empty());
    EXPECT_EQ(moved.GetAttributes().size(), 1u);
}

// A flat contribution adds what the store adds, attribute by attribute, at every level;
// the speed modifiers that raise several types included.
TEST_F(CharAttributeTest, AFlatContributionAddsExactlyWhatItsStoreAdds)
{
    CharAttributeStore_Skill store;
    store.Load(Record("characterStrength,1.1;2.2;3.3,\ncharacterStrengthModifier,5,\ncharacterLife,-7;0.3,\n"
                      "characterAttackSpeedModifier,4;8,\ncharacterTotalSpeedModifier,2;3;4;5,\n"
                      "characterManaRegen,0.1;0.2,\n"));
    EXPECT_EQ(store.GetLevelCount(), 4u);
    for (unsigned level = 0; level <= 6; ++level) {
        CharAttributeContribution flat;
        flat.Build(store, level);
        CharAttributeAccumulator expected, actual;
        expected.AddValue(CharAttributeType_Strength, 0.7f);   // onto sums that are not empty
        actual.AddValue(CharAttributeType_Strength, 0.7f);
        store.AddToAccumulator(expected, level);
        flat.AddToAccumulator(actual);
        for (uint32_t type = 0; type < kCharAttributeTypeCount; ++type) {
            const auto kind = static_cast<CharAttributeType>(type);
            EXPECT_EQ(actual.GetValueSum(kind), expected.GetValueSum(kind)) << level << " " << type;
            EXPECT_EQ(actual.GetModifier(kind), expected.GetModifier(kind)) << level << " " << type;
        }
        if (level == 0) {
            EXPECT_EQ(flat.size(), 0u);
        }
    }
}
