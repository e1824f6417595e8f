// The combat record, the formulas' variables and what the character's debuffs take off.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    // A protection bonus of half raises both the protection (30) and its absorption (0.375).
    EXPECT_FLOAT_EQ(Combat().DesignerCalculatePhysicalDamageDefense(10.0f, 20.0f, 5.0f, 0.5f), 6.25f);
    EXPECT_FLOAT_EQ(Combat().DesignerCalculatePhysicalDamageDefense(100.0f, 20.0f, 5.0f, 0.5f), 88.75f);
    // Damage above the piece's 20 but within the raised 30 is absorbed by its share.
    EXPECT_FLOAT_EQ(Combat().DesignerCalculatePhysicalDamageDefense(25.0f, 20.0f, 5.0f, 0.5f), 15.625f);
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

TEST_F(CombatManagerRecordTest, EveryLoadOfARecordGetsItsValuesUntilTheRecordChanges)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Combat/Shared.dbr", "combatRegionHeadChance,7,\npthThreshold2,80,\n"
                                                        "physicalDamageEquation,physicalDamageDV*2,\n");
    CombatTestCharacter* other = MakeCombatCharacter();
    for (CombatManager* combat : {&Combat(), &other->GetCombatManager()}) {
        combat->LoadRecord("Records/Combat/Shared.dbr");
        EXPECT_EQ(combat->GetRegionChance(CombatAttributeRegion_Head), 7.0f);
        EXPECT_EQ(combat->DesignerCalculatePhysicalDamage(5.0f), 10.0f);
        EXPECT_FALSE(combat->HasFormula(CombatFormula_PierceDamage));
    }
    // Each manager's formula reads its own variables.
    EXPECT_EQ(Combat().DesignerCalculatePhysicalDamage(3.0f), 6.0f);
    EXPECT_EQ(other->GetCombatManager().DesignerCalculatePhysicalDamage(4.0f), 8.0f);

    records.RegisterRecord("Records/Combat/Shared.dbr", "combatRegionLegsChance,2,\n"
                                                        "physicalDamageEquation,physicalDamageDV*3,\n");
    Combat().LoadRecord("Records/Combat/Shared.dbr");
    EXPECT_EQ(Combat().GetRegionChance(CombatAttributeRegion_Head), 0.0f);
    EXPECT_EQ(Combat().GetRegionChance(CombatAttributeRegion_Legs), 2.0f);
    EXPECT_EQ(Combat().DesignerCalculatePhysicalDamage(5.0f), 15.0f);

    // A record that warns warns at every load.
    records.RegisterRecord("Records/Combat/Negative.dbr", "combatRegionHeadChance,-1,\n");
    LogCapture log;
    Combat().LoadRecord("Records/Combat/Negative.dbr");
    other->GetCombatManager().LoadRecord("Records/Combat/Negative.dbr");
    EXPECT_EQ(log.Count("CombatManager: combatRegionHeadChance in Records/Combat/Negative.dbr is negative (-1); "
                        "counted as 0"),
              2u);
}

// A record of no keys (a character that names none gets the empty one) reads as no region
// and no formula, whichever record was loaded before it and after it.
TEST_F(CombatManagerRecordTest, AnEmptyRecordReadsAsNothingBetweenRecordsThatHoldKeys)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Combat/Full.dbr",
                           "combatRegionHeadChance,9,\nphysicalDamageEquation,physicalDamageDV*2,\n");
    records.RegisterRecord("Records/Combat/Blank.dbr", "");
    CombatTestCharacter* other = MakeCombatCharacter();
    for (const char* name : {"", "Records/Combat/Full.dbr", "Records/Combat/Blank.dbr", "Records/Combat/Missing.dbr"}) {
        Combat().LoadRecord("Records/Combat/Full.dbr");
        other->GetCombatManager().LoadRecord(name);
        const bool full = std::string(name) == "Records/Combat/Full.dbr";
        EXPECT_EQ(other->GetCombatManager().GetRegionChance(CombatAttributeRegion_Head), full ? 9.0f : 0.0f) << name;
        EXPECT_EQ(other->GetCombatManager().HasFormula(CombatFormula_PhysicalDamage), full) << name;
        EXPECT_EQ(Combat().GetRegionChance(CombatAttributeRegion_Head), 9.0f) << name;
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

namespace {
// Sum of the names, bracketed one operation per level: ((a+b)+c)+d.
std::string SumOfNames(const std::vector<std::string>& names)
{
    std::string text = names[0];
    for (size_t i = 1; i + 1 < names.size(); ++i)
        text = "(" + text + "+" + names[i] + ")";
    return text + "+" + names.back();
}
}  // namespace

// The formulas read the designer variables and the character's values through the names
// bound when the record loads.
TEST_F(CombatManagerRecordTest, EveryDesignerVariableIsBoundAndFollowedBetweenEvaluations)
{
    const std::vector<std::string> names = {
        "physicalDamageDV", "pierceDamageDV", "elementalDamageDV", "sumProtectionDV", "sumAbsorptionDV",
        "bonusDV", "offensiveAbilityDV", "offensiveAbilityModifierDV", "defensiveAbilityDV",
        "defensiveAbilityModifierDV", "strengthDV", "dexterityDV", "intelligenceDV", "characterLevelDV",
        "probabilityToHitDV", "blockChanceDV", "blockChanceModifierDV", "damageDV", "shieldDefenseDV",
        "shieldAbsorptionDV",
    };
    RecordDatabase::Get().RegisterRecord("Records/Combat/Binding.dbr",
                                         "physicalDamageEquation," + SumOfNames(names) + ",\n" +
                                             "pierceDamageEquation,(strengthDV*1000)+characterLevelDV,\n");
    m_defender->SetTotalCharAttribute(CharAttributeType_Strength, 2.0f);
    m_defender->SetTotalCharAttribute(CharAttributeType_Dexterity, 3.0f);
    m_defender->SetTotalCharAttribute(CharAttributeType_Intelligence, 5.0f);
    m_defender->SetCharLevel(7);
    LogCapture log;
    Combat().LoadRecord("Records/Combat/Binding.dbr");
    ASSERT_TRUE(Combat().HasFormula(CombatFormula_PhysicalDamage));

    // Only the physical damage variable and the character's values are set: 100 + 2 + 3 + 5 + 7.
    EXPECT_EQ(Combat().DesignerCalculatePhysicalDamage(100.0f), 117.0f);
    EXPECT_TRUE(log.Lines().empty()) << log.Texts()[0];

    // The character's values are read as they are at each evaluation.
    EXPECT_EQ(Combat().DesignerCalculatePierceDamage(0.0f), 2007.0f);
    m_defender->SetTotalCharAttribute(CharAttributeType_Strength, 4.0f);
    m_defender->SetCharLevel(8);
    EXPECT_EQ(Combat().DesignerCalculatePierceDamage(10.0f), 4008.0f);
    // The pierce variable set by that call is seen by the physical damage formula:
    // 100 + 10 + 4 + 3 + 5 + 8.
    EXPECT_EQ(Combat().DesignerCalculatePhysicalDamage(100.0f), 130.0f);
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

// Managers loading one record share its compiled formulas: each copy reads its own character,
// also once the manager that compiled it first is gone.
TEST_F(CombatManagerRecordTest, FormulasSharedByARecordReadEachCharactersOwnValues)
{
    RecordDatabase::Get().RegisterRecord("Records/Combat/Own.dbr",
                                         "pierceDamageEquation,((strengthDV*1000)+characterLevelDV)+pierceDamageDV,\n");
    ObjectManager& objects = ObjectManager::Get();
    struct Case {
        float strength;
        uint32_t level;
        float expected;   // with a pierce damage of 20
    };
    const Case cases[] = {{2.0f, 3, 2023.0f}, {5.0f, 1, 5021.0f}, {1.0f, 9, 1029.0f}};
    std::vector<CombatTestCharacter*> characters;
    for (const Case& c : cases) {
        CombatTestCharacter* character = MakeCombatCharacter(c.level);
        character->SetTotalCharAttribute(CharAttributeType_Strength, c.strength);
        character->GetCombatManager().LoadRecord("Records/Combat/Own.dbr");
        characters.push_back(character);
        if (characters.size() == 1) {   // the first goes before the others load
            EXPECT_EQ(character->GetCombatManager().DesignerCalculatePierceDamage(20.0f), c.expected);
            objects.DestroyObjectEx(character, __FILE__, __LINE__);
            objects.FlushDestroyedObjects();
        }
    }
    for (size_t i = 1; i < characters.size(); ++i)
        EXPECT_EQ(characters[i]->GetCombatManager().DesignerCalculatePierceDamage(20.0f), cases[i].expected) << i;
}
