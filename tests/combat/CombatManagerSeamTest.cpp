#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "CombatTestCharacter.h"
#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/CombatAttribute.h"
#include "Game/combat/CombatManager.h"

using namespace GAME;

namespace {

class CombatManagerSeamTest : public ::testing::Test {
protected:
    void SetUp() override { gLogCombat = gEngine->RegisterLogChannel("Combat"); }
    void TearDown() override
    {
        gLogCombat = 0;
        ObjectManager::Get().DestroyAllObjects();
    }

    static std::string DamageLine(float amount, uint32_t id)
    {
        char text[128];
        std::snprintf(text, sizeof text, "^y    Damage %f to Defender 0x%x\n", amount, id);
        return text;
    }
};

}  // namespace

TEST_F(CombatManagerSeamTest, PhysicalAndPierceAreAppliedApart)
{
    CombatTestCharacter* defender = MakeCombatCharacter(1, 500.0f);
    CombatAttributeDamage_BasePhysical hit(CombatAttributeType_Physical, 100.0f, 25.0f, true);
    hit.Process(*defender, 0.0f, 0.0f, 0.0f, 0.0f);

    LogCapture log;
    hit.Execute(*defender);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{DamageLine(75.0f, defender->GetObjectId()),
                                                     DamageLine(25.0f, defender->GetObjectId())}));
    EXPECT_EQ(defender->GetCurrentLife(), 400.0f);
}

TEST_F(CombatManagerSeamTest, NothingToApplyCountsAsDone)
{
    CombatTestCharacter* defender = MakeCombatCharacter(1, 500.0f);
    LogCapture log;
    EXPECT_TRUE(defender->ApplyDamage(0.0f, {}, CombatAttributeType_Fire));
    EXPECT_TRUE(defender->ApplyDamage(-5.0f, {}, CombatAttributeType_Fire));
    EXPECT_TRUE(log.Texts().empty());
    EXPECT_TRUE(defender->ApplyDamage(600.0f, {}, CombatAttributeType_Fire));
    EXPECT_EQ(defender->GetCurrentLife(), 0.0f);
}

TEST_F(CombatManagerSeamTest, PhysicalDefenseWithoutItsFormula)
{
    CombatManager& combat = MakeCombatCharacter()->GetCombatManager();
    LogCapture log;
    EXPECT_EQ(combat.DesignerCalculatePhysicalDamageDefense(-3.0f, 0.0f, 10.0f, 0.5f), -3.0f);   // no protection
    EXPECT_TRUE(log.Texts().empty());
    EXPECT_EQ(combat.DesignerCalculatePhysicalDamageDefense(-3.0f, 20.0f, 10.0f, 0.5f), 0.0f);
    EXPECT_TRUE(log.Contains("    absorption = 0.500000\n"));
    EXPECT_TRUE(log.Contains("    modified protection = 30.000000\n"));
    EXPECT_TRUE(log.Contains("    modified absorption = 0.750000\n"));
    EXPECT_EQ(combat.DesignerCalculateShieldBlockDamageReduction(40.0f, 10.0f, 5.0f), 40.0f);
}
