// The combat record, the formulas' variables and what the character's debuffs take off.
#include <gtest/gtest.h>

#include <string>

#include "CombatTestCharacter.h"
#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/foundation/RandomUniform.h"

using namespace GAME;

namespace {

constexpr const char* kBundledRecord = "Records/Game/Combat.dbr";

class CombatManagerRecordTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }

    CombatManager& Combat() { return m_defender->GetCombatManager(); }

    CombatTestCharacter* m_defender = MakeCombatCharacter();
};

}  // namespace

TEST_F(CombatManagerRecordTest, BundledRecordLoadsEveryFormulaCleanly)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    LogCapture log;
    Combat().LoadRecord(kBundledRecord);
    EXPECT_TRUE(log.Texts().empty());
    for (int formula = 0; formula < CombatFormula_Count; ++formula)
        EXPECT_TRUE(Combat().HasFormula(static_cast<CombatFormula>(formula))) << formula;
    EXPECT_EQ(Combat().GetRegionChance(CombatAttributeRegion_Torso), 40.0f);

    // Two equal abilities hit with 70; armour absorbs its share below the protection.
    EXPECT_FLOAT_EQ(Combat().DesignerCalculateProbabilityToHit(50.0f, 50.0f), 70.0f);
    EXPECT_FLOAT_EQ(Combat().DesignerCalculatePhysicalDamageDefense(10.0f, 20.0f, 5.0f, 0.0f), 7.5f);
    EXPECT_FLOAT_EQ(Combat().DesignerCalculatePhysicalDamageDefense(100.0f, 20.0f, 5.0f, 0.0f), 95.0f);
}

TEST_F(CombatManagerRecordTest, FormulaThatDoesNotParseIsLoggedAndFallsBack)
{
    RecordDatabase::Get().RegisterRecord("Records/Combat/Broken.dbr",
                                         "normalPTHEquation,(probabilityToHitDV*0.01),\n"
                                         "physicalDamageEquation,physicalDamageDV*2,\n"
                                         "pthThreshold1,80.0,\n");
    LogCapture log;
    Combat().LoadRecord("Records/Combat/Broken.dbr");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].level, LOG_WARNING);
    EXPECT_EQ(log.Lines()[0].text, "-=- Combat Manager Equation load failure : normalPTHEquation");
    EXPECT_FALSE(Combat().HasFormula(CombatFormula_NormalPTH));
    EXPECT_EQ(Combat().CalculateDamageModifier(50.0f, 0.1f), CombatManager::kNormalModifier);
    EXPECT_EQ(Combat().DesignerCalculatePhysicalDamage(7.0f), 14.0f);
}

TEST_F(CombatManagerRecordTest, DefenceFormulaKeysAreSpeltAsTheRecordsSpellThem)
{
    RecordDatabase::Get().RegisterRecord("Records/Combat/Spelling.dbr",
                                         "physicalDamageDefenseEquationDLEP,physicalDamageDV*0.5,\n"
                                         "physicalDamageDefenseEquationDGP,physicalDamageDV*0.25,\n");
    Combat().LoadRecord("Records/Combat/Spelling.dbr");
    EXPECT_TRUE(Combat().HasFormula(CombatFormula_PhysicalDefenseDamageGreater));
    EXPECT_FALSE(Combat().HasFormula(CombatFormula_PhysicalDefenseDamageAtMost));
    EXPECT_EQ(Combat().DesignerCalculatePhysicalDamageDefense(100.0f, 10.0f, 0.0f, 0.0f), 25.0f);
    EXPECT_EQ(Combat().DesignerCalculatePhysicalDamageDefense(8.0f, 10.0f, 0.0f, 0.0f), 8.0f);
}

TEST_F(CombatManagerRecordTest, SecondLoadStartsFromACleanSlate)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Combat/First.dbr",
                           "combatRegionHeadChance,100,\nphysicalDamageEquation,physicalDamageDV*2,\n");
    records.RegisterRecord("Records/Combat/Second.dbr", "combatRegionLegsChance,5,\n");
    Combat().LoadRecord("Records/Combat/First.dbr");
    Combat().LoadRecord("Records/Combat/Second.dbr");

    EXPECT_EQ(Combat().GetRegionChance(CombatAttributeRegion_Head), 0.0f);
    EXPECT_EQ(Combat().GetRegionChance(CombatAttributeRegion_Legs), 5.0f);
    EXPECT_FALSE(Combat().HasFormula(CombatFormula_PhysicalDamage));
    RandomUniform random;
    for (unsigned seed = 1; seed < 50; ++seed) {
        random.Seed(seed);
        EXPECT_EQ(Combat().PickRegion(random), CombatAttributeRegion_Legs);
    }
}

TEST_F(CombatManagerRecordTest, RegionTableEmptyOrBrokenGivesFullyProtected)
{
    RandomUniform random;
    random.Seed(7);
    EXPECT_EQ(Combat().PickRegion(random), CombatAttributeRegion_FullyProtected);

    RecordDatabase::Get().RegisterRecord("Records/Combat/Negative.dbr",
                                         "combatRegionHeadChance,-5,\ncombatRegionArmsChance,3,\n");
    LogCapture log;
    Combat().LoadRecord("Records/Combat/Negative.dbr");
    EXPECT_TRUE(log.Contains(
        "CombatManager: combatRegionHeadChance in Records/Combat/Negative.dbr is negative (-5); counted as 0"));
    EXPECT_EQ(Combat().GetRegionChance(CombatAttributeRegion_Head), 0.0f);
    EXPECT_EQ(Combat().PickRegion(random), CombatAttributeRegion_Arms);
}

TEST_F(CombatManagerRecordTest, DesignerVariables)
{
    m_defender->SetTotalCharAttribute(CharAttributeType_Dexterity, 42.0f);
    m_defender->SetCharLevel(9);
    Combat().DesignerCalculatePierceDamage(13.0f);
    float value = -1.0f;
    EXPECT_TRUE(Combat().GetDesignerVariable("pierceDamageDV", value));
    EXPECT_EQ(value, 13.0f);
    EXPECT_TRUE(Combat().GetDesignerVariable("dexterityDV", value));
    EXPECT_EQ(value, 42.0f);
    EXPECT_TRUE(Combat().GetDesignerVariable("characterLevelDV", value));
    EXPECT_EQ(value, 9.0f);
    value = -1.0f;
    EXPECT_FALSE(Combat().GetDesignerVariable("pierceDamage", value));
    EXPECT_FALSE(Combat().GetDesignerVariable("PierceDamageDV", value));
    EXPECT_EQ(value, -1.0f);
}

// Spell casting is slowed by the spell-cast slow alone; the attack slow slows attacks.
TEST_F(CombatManagerRecordTest, SpellCastSpeedReadsTheSpellCastSlow)
{
    DurationDamageManager& overTime = Combat().GetDurationDamageMgr();
    overTime.AddFixedDamage(CombatAttributeType_AttackSpeed, 50.0f, 2.0f);
    overTime.AddFixedDamage(CombatAttributeType_SpellCastSpeed, 30.0f, 2.0f);
    overTime.EndAttack();
    EXPECT_FLOAT_EQ(Combat().ContributeSpellCastSpeed(100.0f), 70.0f);
    EXPECT_FLOAT_EQ(Combat().GetAttackSpeed(100.0f), 50.0f);
    EXPECT_FLOAT_EQ(Combat().GetRunSpeed(100.0f), 100.0f);
}
