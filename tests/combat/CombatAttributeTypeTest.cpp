#include <gtest/gtest.h>

#include <string>

#include "Game/combat/CombatAttribute.h"
#include "Game/combat/CombatAttributeType.h"

using namespace GAME;

TEST(CombatAttributeTypeTest, WordsAreTheStatisticsWords)
{
    EXPECT_STREQ(GetCombatAttributeTypeWord(CombatAttributeType_Unknown), "CombatAttributeType_Unknown");
    EXPECT_STREQ(GetCombatAttributeTypeWord(CombatAttributeType_LifeLeach), "CombatAttributeType_LifeLeach");
    EXPECT_STREQ(GetCombatAttributeTypeWord(CombatAttributeType_ElementalGroup), "CombatAttributeType_ElementalGroup");
    // The mana burn word keeps its nine trailing blanks.
    EXPECT_EQ(std::string(GetCombatAttributeTypeWord(CombatAttributeType_ManaBurn)),
              "CombatAttributeType_ManaBurn" + std::string(9, ' '));
    EXPECT_EQ(CombatAttributeType_ElementalGroup, 45u);
    EXPECT_EQ(kCombatAttributeTypeLast, 46u);
}

TEST(CombatAttributeTypeTest, TypesWithoutAWordGiveTheFallback)
{
    // 46 is a real type (a defence carries it, the tally loops reach it) without a word.
    EXPECT_STREQ(GetCombatAttributeTypeWord(CombatAttributeType_ManaBurnRatio), kCombatAttributeTypeNoWord);
    EXPECT_STREQ(GetCombatAttributeTypeWord(static_cast<CombatAttributeType>(47)), kCombatAttributeTypeNoWord);
    EXPECT_STREQ(GetCombatAttributeTypeWord(static_cast<CombatAttributeType>(0xFFFFFFFFu)), kCombatAttributeTypeNoWord);
    for (uint32_t type = 0; type <= kCombatAttributeTypeLast; ++type)
        EXPECT_NE(GetCombatAttributeTypeWord(static_cast<CombatAttributeType>(type)), nullptr);
}

TEST(CombatAttributeTypeTest, RegionAndKindWords)
{
    EXPECT_STREQ(GetCombatAttributeRegionWord(CombatAttributeRegion_FullyProtected), "FullyProtected");
    EXPECT_STREQ(GetCombatAttributeRegionWord(CombatAttributeRegion_Legs), "Legs");
    EXPECT_STREQ(GetCombatAttributeRegionWord(static_cast<CombatAttributeRegion>(6)), "Unknown Region");
    EXPECT_STREQ(GetCombatAttributeRegionChanceKey(CombatAttributeRegion_Torso), "combatRegionTorsoChance");
    EXPECT_STREQ(GetCombatAttributeRegionChanceKey(static_cast<CombatAttributeRegion>(9)), "");

    EXPECT_STREQ(GetPlayStatsDamageKindWord(PlayStatsDamageKind_CombatAttributeType), "CombatAttributeType");
    EXPECT_STREQ(GetPlayStatsDamageKindWord(PlayStatsDamageKind_BuffSelf), "BuffSelf");
    EXPECT_STREQ(GetPlayStatsDamageKindWord(static_cast<PlayStatsDamageKind>(0)), "Unknown");
    EXPECT_STREQ(GetPlayStatsDamageKindWord(static_cast<PlayStatsDamageKind>(8)), "Unknown");
}

TEST(CombatAttributeTypeTest, EveryKindHasItsOwnClassInformation)
{
    const RTTI_ClassInfo& root = CombatAttribute::GetStaticClassInfo();
    EXPECT_STREQ(root.GetName(), "CombatAttribute");
    EXPECT_EQ(root.GetParent(), nullptr);
    EXPECT_FALSE(root.IsA(Object::GetStaticClassInfo()));

    const auto& convert = CombatAttributeInfluenceDamage_Convert::GetStaticClassInfo();
    EXPECT_STREQ(convert.GetName(), "CombatAttributeInfluenceDamage_Convert");
    EXPECT_STREQ(convert.GetParent()->GetName(), "CombatAttributeInfluenceDamage");
    EXPECT_TRUE(convert.IsA(CombatAttributeAbsDamage::GetStaticClassInfo()));
    EXPECT_TRUE(convert.IsA(root));
    EXPECT_EQ(CombatAttributeDamage_BonusPhysical::GetStaticClassInfo().GetParent(), &root);

    CombatAttributeDurFixedDamage slow(CombatAttributeType_RunSpeed, 30.0f, 3.0f);
    const CombatAttribute& asBase = slow;
    EXPECT_STREQ(asBase.GetClassInfo().GetName(), "CombatAttributeDurFixedDamage");
    EXPECT_TRUE(asBase.IsA<CombatAttributeDurDamage>());
    EXPECT_FALSE(asBase.IsA<CombatAttributeAbsDamage>());
    // Nothing of the family is made by name.
    EXPECT_EQ(root.CreateObjectByName("CombatAttributeAbsDamage"), nullptr);
}
