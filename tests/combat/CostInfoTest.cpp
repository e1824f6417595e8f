// The cost records' counts and dumps, and the bundled item-cost record's formulas.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
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

using Lines = std::vector<std::string>;

template <class Record>
Lines DumpOf(const Record& record)
{
    LogCapture log;
    record.Dump();
    for (const LogLine& line : log.Lines())
        EXPECT_EQ(line.level, LOG_INFO);
    return log.Texts();
}

// The record's dump, after which the record is reset and then dumps its heading alone.
template <class Record>
Lines DumpThenReset(Record& record)
{
    const Lines lines = DumpOf(record);
    record.Reset();
    EXPECT_EQ(DumpOf(record), Lines(lines.begin(), lines.begin() + 1));
    return lines;
}

}  // namespace

TEST(CostInfoTest, CharacterRecordCountsEveryPairAndShowsACountedZero)
{
    CostInfo_CharacterAttributes character;
    character.primaryValue = {10.0f, 2};
    character.plainValue = {0.0f, 1};   // bonuses that cancel out
    EXPECT_EQ(character.GetCount(), 3u);
    character.plainValue.count = 2;
    character.otherSpeedModifier = {-1.5f, 0};
    EXPECT_EQ(DumpOf(character), (Lines{"Character Cost Attributes",
                                        "   primaryAtt     (10.000000)   primaryAttCount       (2)",
                                        "   bonus          (0.000000)   bonusCount            (2)",
                                        "   otherSpeedMod  (-1.500000)   otherSpeedModCount    (0)"}));
    character.attackSpeed.count = UINT32_MAX;   // a careless record cannot wrap the total
    EXPECT_EQ(character.GetCount(), UINT32_MAX);
}

TEST(CostInfoTest, EveryRecordDumpsItsLinesInOrderAndOnlyItsHeadingOnceReset)
{
    CostInfo_CharacterAttributes character;
    CharAttributeCost* pairs[] = {&character.primaryValue, &character.secondaryValue, &character.plainValue,
                                  &character.primaryModifier, &character.secondaryModifier, &character.plainModifier,
                                  &character.attackSpeed, &character.otherSpeed, &character.attackSpeedModifier,
                                  &character.otherSpeedModifier};
    for (uint32_t i = 0; i < 10; ++i)
        *pairs[i] = {static_cast<float>(i + 1), i + 1};
    EXPECT_EQ(character.GetCount(), 55u);
    EXPECT_EQ(DumpThenReset(character), (Lines{"Character Cost Attributes",
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

    CostInfo_SkillAttributes skill{1.5f, 2.0f, 0.0f, 2};
    EXPECT_EQ(skill.GetCount(), 2u);
    EXPECT_EQ(DumpThenReset(skill), (Lines{"Skill Cost Attributes", "   base        = 1.500000",
                                           "   bonus       = 2.000000", "   bonusCount  = 2"}));

    CostInfo_DefenseAttributes defense{60.0f, 8.0f, 0.0f, 4.0f, 2.5f, 5};
    EXPECT_EQ(defense.GetCount(), 5u);
    EXPECT_EQ(DumpThenReset(defense),
              (Lines{"Defense Cost Attributes", "   armor           = 60.000000", "   base            = 8.000000",
                     "   mod             = 4.000000", "   modDuration     = 2.500000", "   count           = 5"}));

    CostInfo_DamageAttributes damage;
    damage.avgPierceRatio = 0.25f;
    damage.avgBonus = 4.5f;
    damage.mod = 10.0f;
    damage.count = 3;
    // The retaliation record replaces only the dump, and is shown as itself through its base.
    CostInfo_RetaliationAttributes retaliation;
    static_cast<CostInfo_DamageAttributes&>(retaliation) = damage;
    retaliation.avgBase = 7.0f;
    EXPECT_EQ(DumpThenReset(damage),
              (Lines{"Damage Cost Attributes", "   avgBase (0.000000)  avgPierceRatio (0.250000)",
                     "   avgBonus        = 4.500000", "   mod             = 10.000000", "   count           = 3"}));
    CostInfo_DamageAttributes& asDamage = retaliation;
    EXPECT_EQ(DumpThenReset(asDamage), (Lines{"Retaliation Cost Attributes", "   avgBonus        = 4.500000",
                                              "   mod             = 10.000000", "   count           = 3"}));

    CostInfo_SkillAugment augment{3, 2};
    EXPECT_EQ(augment.GetCount(), 2u);
    EXPECT_EQ(DumpThenReset(augment),
              (Lines{"Augments Cost Attributes", "   augmentLevel    = 3", "   augmentCount    = 2"}));

    CostInfo_ShieldBlock shield{25.0f, 40.0f, 0.0f, 0.5f};
    EXPECT_EQ(DumpThenReset(shield), (Lines{"Shield Cost Attributes", "   blockChance         = 25.000000",
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

// Every formula of the bundled item-cost record parses (no formula is one bracketed level,
// which the algebra refuses) and reads every name written in it (an unbracketed operation
// would drop the rest), each one an equipment item's designer variable.
TEST(CostInfoTest, BundledItemCostFormulasParseWhole)
{
    const std::regex word("[A-Za-z]+");
    const std::regex variable("item(Level|AttrScale|BaseCost|PrefixCost|SuffixCost)|totalAttCount|"
                              "(char|skill|defenseAttr|damage|retaliation|skillAugment|shieldBlock)[A-Z][A-Za-z]*");
    std::ifstream file(std::string(GAME_DATA_DIR) + "/Records/Game/ItemCost.dbr");
    size_t formulas = 0;
    for (std::string line; std::getline(file, line); ++formulas) {
        const std::string key = line.substr(0, line.find(','));
        const std::string text = line.substr(key.size() + 1, line.rfind(',') - key.size() - 1);
        NameRecorder owner;
        DesignerEquation_Algebra formula;
        EXPECT_TRUE(formula.ParseEquation(text.c_str(), &owner)) << key;
        std::set<std::string> written;
        for (std::sregex_iterator it(text.begin(), text.end(), word), end; it != end; ++it)
            written.insert(it->str());
        EXPECT_EQ(owner.names, written) << key;
        for (const std::string& name : written)
            EXPECT_TRUE(std::regex_match(name, variable)) << key << " reads " << name;
    }
    EXPECT_GT(formulas, 5u);
}
