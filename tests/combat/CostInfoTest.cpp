// The cost records' counts and dumps, and the bundled item-cost record's formulas.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/DamageAttribute.h"
#include "Game/combat/DefenseAttribute.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/core/foundation/DesignerEquation.h"
#include "Game/items/ItemCostInfo.h"

using namespace GAME;

namespace {

template <class Record>
std::vector<std::string> DumpOf(const Record& record)
{
    LogCapture log;
    record.Dump();
    for (const LogLine& line : log.Lines())
        EXPECT_EQ(line.level, LOG_INFO);
    return log.Texts();
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(CostInfoTest, AResetRecordDumpsOnlyItsHeading)
{
    CostInfo_CharacterAttributes character;
    character.attackSpeed = {2.0f, 1};
    character.Reset();
    EXPECT_EQ(DumpOf(character), Lines{"Character Cost Attributes"});
    CostInfo_SkillAttributes skill{1.0f, 2.0f, 3.0f, 4};
    skill.Reset();
    EXPECT_EQ(DumpOf(skill), Lines{"Skill Cost Attributes"});
    CostInfo_DefenseAttributes defense{1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6};
    defense.Reset();
    EXPECT_EQ(DumpOf(defense), Lines{"Defense Cost Attributes"});
    CostInfo_RetaliationAttributes retaliation;
    retaliation.avgBonus = 3.0f;
    retaliation.count = 1;
    retaliation.Reset();
    EXPECT_EQ(DumpOf(retaliation), Lines{"Retaliation Cost Attributes"});
    EXPECT_EQ(DumpOf(CostInfo_DamageAttributes()), Lines{"Damage Cost Attributes"});
    CostInfo_SkillAugment augment{3, 2};
    augment.Reset();
    EXPECT_EQ(DumpOf(augment), Lines{"Augments Cost Attributes"});
    CostInfo_ShieldBlock shield{1.0f, 2.0f, 3.0f, 4.0f};
    shield.Reset();
    EXPECT_EQ(DumpOf(shield), Lines{"Shield Cost Attributes"});
}

TEST(CostInfoTest, CharacterRecordCountsEveryPairAndShowsACountedZero)
{
    CostInfo_CharacterAttributes character;
    character.primaryValue = {10.0f, 2};
    character.plainValue = {0.0f, 2};   // two bonuses that cancel out
    EXPECT_EQ(character.GetCount(), 4u);
    character.plainValue.count = 1;
    EXPECT_EQ(character.GetCount(), 3u);
    character.plainValue.count = 2;
    character.otherSpeedModifier = {-1.5f, 0};
    EXPECT_EQ(DumpOf(character), (Lines{"Character Cost Attributes",
                                        "   primaryAtt     (10.000000)   primaryAttCount       (2)",
                                        "   bonus          (0.000000)   bonusCount            (2)",
                                        "   otherSpeedMod  (-1.500000)   otherSpeedModCount    (0)"}));
    // A careless record cannot wrap the total around.
    character.attackSpeed.count = UINT32_MAX;
    EXPECT_EQ(character.GetCount(), UINT32_MAX);
}

TEST(CostInfoTest, EveryRecordDumpsItsLinesInOrder)
{
    CostInfo_CharacterAttributes character;
    const float values[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    CharAttributeCost* pairs[] = {&character.primaryValue, &character.secondaryValue, &character.plainValue,
                                  &character.primaryModifier, &character.secondaryModifier, &character.plainModifier,
                                  &character.attackSpeed, &character.otherSpeed, &character.attackSpeedModifier,
                                  &character.otherSpeedModifier};
    for (size_t i = 0; i < 10; ++i)
        *pairs[i] = {values[i], static_cast<uint32_t>(i + 1)};
    EXPECT_EQ(character.GetCount(), 55u);
    EXPECT_EQ(DumpOf(character), (Lines{"Character Cost Attributes",
                                        "   primaryAtt     (1.000000)   primaryAttCount       (1)",
                                        "   secondaryAtt   (2.000000)   secondaryAttCount     (2)",
                                        "   bonus          (3.000000)   bonusCount            (3)",
                                        "   primaryMod     (4.000000)   primaryModCount       (4)",
                                        "   secondaryMod   (5.000000)   secondaryModCount     (5)",
                                        "   bonusMod       (6.000000)   bonusModCount         (6)",
                                        "   attackSpeed    (7.000000)   attackSpeedCount      (7)",
                                        "   otherSpeed     (8.000000)   otherSpeedCount       (8)",
                                        "   attackSpeedMod (9.000000)   attackSpeedModCount   (9)",
                                        "   otherSpeedMod  (10.000000)   otherSpeedModCount    (10)"}));

    const CostInfo_SkillAttributes skill{1.5f, 2.0f, 0.0f, 2};
    EXPECT_EQ(skill.GetCount(), 2u);
    EXPECT_EQ(DumpOf(skill), (Lines{"Skill Cost Attributes", "   base        = 1.500000", "   bonus       = 2.000000",
                                    "   bonusCount  = 2"}));

    const CostInfo_DefenseAttributes defense{60.0f, 8.0f, 0.0f, 4.0f, 2.5f, 5};
    EXPECT_EQ(defense.GetCount(), 5u);
    EXPECT_EQ(DumpOf(defense),
              (Lines{"Defense Cost Attributes", "   armor           = 60.000000", "   base            = 8.000000",
                     "   mod             = 4.000000", "   modDuration     = 2.500000", "   count           = 5"}));

    CostInfo_DamageAttributes damage;
    damage.avgPierceRatio = 0.25f;
    damage.avgBonus = 4.5f;
    damage.avgOverTime = 3.0f;
    damage.mod = 10.0f;
    damage.modDur = 1.0f;
    damage.count = 3;
    EXPECT_EQ(DumpOf(damage), (Lines{"Damage Cost Attributes", "   avgBase (0.000000)  avgPierceRatio (0.250000)",
                                     "   avgBonus        = 4.500000", "   avgOverTime     = 3.000000",
                                     "   mod             = 10.000000", "   modDur          = 1.000000",
                                     "   count           = 3"}));

    // The retaliation record replaces only the dump, and is shown as itself through its base.
    CostInfo_RetaliationAttributes retaliation;
    static_cast<CostInfo_DamageAttributes&>(retaliation) = damage;
    retaliation.avgBase = 7.0f;
    const CostInfo_DamageAttributes& asDamage = retaliation;
    EXPECT_EQ(asDamage.GetCount(), 3u);
    EXPECT_EQ(DumpOf(asDamage), (Lines{"Retaliation Cost Attributes", "   avgBonus        = 4.500000",
                                       "   avgOverTime     = 3.000000", "   mod             = 10.000000",
                                       "   modDur          = 1.000000", "   count           = 3"}));

    const CostInfo_SkillAugment augment{3, 2};
    EXPECT_EQ(augment.GetCount(), 2u);
    EXPECT_EQ(DumpOf(augment),
              (Lines{"Augments Cost Attributes", "   augmentLevel    = 3", "   augmentCount    = 2"}));

    const CostInfo_ShieldBlock shield{25.0f, 40.0f, 0.0f, 0.5f};
    EXPECT_EQ(DumpOf(shield), (Lines{"Shield Cost Attributes", "   blockChance         = 25.000000",
                                     "   blockDefense        = 40.000000", "   blockRecoveryTime   = 0.500000"}));
}

namespace {

// Binds nothing and notes every name a formula uses.
class NameRecorder : public EquationInterface_Algebra {
public:
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override
    {
        names.insert(name);
        return DesignerVariableSlot<float>::Unknown();
    }
    std::set<std::string> names;
};

}  // namespace

// The bundled item-cost record: every formula parses and reads only names an equipment
// item answers.
TEST(CostInfoTest, BundledItemCostFormulasParseAndUseEquipmentVariables)
{
    std::set<std::string> known;
    std::istringstream words(
        "itemLevel itemAttrScale charPrimaryAtt charPrimaryAttCount charSecondaryAtt charSecondaryAttCount charBonus "
        "charBonusCount charPrimaryMod charPrimaryModCount charSecondaryMod charSecondaryModCount charBonusMod "
        "charBonusModCount charAttackSpeed charAttackSpeedCount charOtherSpeed charOtherSpeedCount charAttackSpeedMod "
        "charAttackSpeedModCount charOtherSpeedMod charOtherSpeedModCount skillAttrBase skillAttrBonus "
        "skillAttrModifier skillAttrBonusCount defenseAttrArmor defenseAttrBase defenseAttrBaseDuration defenseAttrMod "
        "defenseAttrModDuration defenseAttrCount damageAvgBase damageAvgPierceRatio damageAvgBonus damageAvgOverTime "
        "damageMod damageModDur damageCount retaliationAvgBonus retaliationAvgOverTime retaliationMod "
        "retaliationModDur retaliationCount skillAugmentLevel skillAugmentCount shieldBlockChance shieldBlockDefense "
        "shieldBlockAbsorption shieldBlockRecoveryTime totalAttCount itemBaseCost itemPrefixCost itemSuffixCost");
    for (std::string word; words >> word;)
        known.insert(word);

    std::ifstream file(std::string(GAME_DATA_DIR) + "/Records/Game/ItemCost.dbr");
    ASSERT_TRUE(file.is_open());
    size_t formulas = 0;
    for (std::string line; std::getline(file, line);) {
        const size_t comma = line.find(',');
        ASSERT_NE(comma, std::string::npos) << line;
        const std::string key = line.substr(0, comma);
        const std::string text = line.substr(comma + 1, line.find(',', comma + 1) - comma - 1);
        NameRecorder owner;
        DesignerEquation_Algebra formula;
        EXPECT_TRUE(formula.ParseEquation(text.c_str(), &owner)) << key;
        for (const std::string& name : owner.names)
            EXPECT_TRUE(known.count(name)) << key << " reads " << name;
        // Every name of the text is read: an operation left unbracketed would drop the rest.
        const std::regex word("[A-Za-z]+");
        std::set<std::string> written;
        for (std::sregex_iterator it(text.begin(), text.end(), word), end; it != end; ++it)
            written.insert(it->str());
        EXPECT_EQ(owner.names, written) << key;
        ++formulas;
    }
    EXPECT_GT(formulas, 5u);
}
