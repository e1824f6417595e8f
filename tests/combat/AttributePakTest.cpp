#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "DamageAttributeTestUtil.h"
#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/combat/AttributePak.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/RacialBonus.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Armor.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "tests/TestDraws.h"

using namespace GAME;

class AttributePakTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LocalizationManager::Instance().Clear();
        LocalizationManager::Instance().RegisterTags("ChanceOfTag=[%.0f]\n"
                                                     "DefenseAbsorptionProtection=Armor %g\n"
                                                     "DefenseFire=Fire %g\n"
                                                     "CharacterStrength=Str %g\n"
                                                     "SkillCooldownReduction=CD %g\n");
    }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        RecordDatabase::Get().Clear();
    }

    static std::vector<std::string> Lines(const AttributePak& pak, unsigned level)
    {
        std::vector<GameTextLine> lines;
        pak.GetUIDisplayText(level, GameTextClass::ItemBonuses, lines);
        std::vector<std::string> out;
        for (const GameTextLine& line : lines) {
            EXPECT_EQ(line.textClass, GameTextClass::ItemBonuses);
            EXPECT_FALSE(line.flag);
            out.push_back(LocalizationManager::ToChar(line.text));
        }
        return out;
    }
};

TEST_F(AttributePakTest, APackLoadsEveryStoreAndWritesItsLinesInFamilyOrder)
{
    LocalizationManager::Instance().RegisterTags("DamageSingleFormat={%g}\nDamageFire=DF\nRetaliationCold=RC\n");
    RecordDatabase::Get().RegisterRecord("Records/Pak/A.dbr", "skillCooldownReduction,2,\ncharacterStrength,5,\n"
                                                              "retaliationColdMin,2,\ndefensiveFire,7;8,\n"
                                                              "defensiveProtection,9,\n"
                                                              "offensiveFireMin,3,\n");
    RecordDatabase::Get().RegisterRecord("Records/Pak/B.dbr", "offensiveFireMin,3,\ndefensiveProtection,9,\n"
                                                              "defensiveFire,7;8,\nretaliationColdMin,2,\n"
                                                              "characterStrength,5,\nskillCooldownReduction,2,\n");
    AttributePak a, b;
    a.LoadFromDatabase("Records/Pak/A.dbr");
    b.LoadFromDatabase("Records/Pak/B.dbr");
    const std::vector<std::string> expected = {"{3}DF", "Armor 9", "Fire 7", "{2}RC", "Str 5", "CD 2"};
    EXPECT_EQ(Lines(a, 1), expected);
    EXPECT_EQ(Lines(b, 1), expected);
    EXPECT_EQ(Lines(a, 2)[2], "Fire 8");

    CombatAttributeAccumulator offence;
    a.GetOffensiveDamageAttributes(offence, 1);
    a.GetOffensiveModifierAttributes(offence, 1);
    ASSERT_EQ(offence.GetDamages().size(), 1u);
    EXPECT_EQ(offence.GetDamages()[0]->GetType(), CombatAttributeType_Fire);
    CombatAttributeAccumulator retaliation;
    a.GetRetaliationAttributes(retaliation, 1);
    ASSERT_EQ(retaliation.GetDamages().size(), 1u);
    EXPECT_EQ(retaliation.GetDamages()[0]->GetType(), CombatAttributeType_Cold);

    CombatAttributeAccumulator attack;
    a.GetDefenseAttributes(attack, 2);
    // Without a game engine there is no absorption, so no armour: only the fire.
    ASSERT_EQ(attack.GetDefenses().size(), 1u);
    EXPECT_EQ(attack.GetTotalDefenseType(CombatAttributeType_Fire), 8.0f);
    CharAttributeAccumulator character;
    a.GetCharAttributes(character, 1);
    EXPECT_EQ(character.GetValue(CharAttributeType_Strength), 5.0f);
    SkillAttributeAccumulator skills;
    a.GetSkillAttributes(skills, 1);
    EXPECT_EQ(skills.GetValue(SkillAttributeType_CooldownReduction), 2.0f);

    // A second record replaces everything and the name; one that does not exist leaves
    // the stores empty, with a warning.
    LogCapture log;
    a.LoadFromDatabase("Records/Pak/C.dbr");
    EXPECT_TRUE(log.Contains("AttributePak: no record Records/Pak/C.dbr; the pack stays empty"));
    EXPECT_EQ(a.GetRecordName(), "Records/Pak/C.dbr");
    EXPECT_EQ(Lines(a, 1), std::vector<std::string>{});   // every store of A wrote a line
    // The skill protection stays, silent.
    EXPECT_EQ(a.GetDefenseAttrStore().GetAttributes().size(), 1u);
    CombatAttributeAccumulator none;
    a.GetDefenseAttributes(none, 1);
    EXPECT_TRUE(none.GetDefenses().empty());
    EXPECT_EQ(Lines(AttributePak(), 1), std::vector<std::string>{});
}

TEST_F(AttributePakTest, TheGameEngineLoadsItsThreePacksAndSurvivesMissingOnes)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    InitializeSeededObjects();
    EXPECT_EQ(gGameEngine->GetPlayerAttributePak().GetRecordName(), "Records/Game/PlayerAttributePak.dbr");
    EXPECT_EQ(gGameEngine->GetMonsterAttributePak().GetRecordName(), "Records/Game/MonsterAttributePak.dbr");
    EXPECT_EQ(gGameEngine->GetPetAttributePak().GetRecordName(), "Records/Game/PetAttributePak.dbr");
    for (const AttributePak* pak : {&gGameEngine->GetPlayerAttributePak(), &gGameEngine->GetMonsterAttributePak(),
                                    &gGameEngine->GetPetAttributePak()}) {
        EXPECT_GT(pak->GetCharAttrStore().GetAttributes().size(), 0u) << pak->GetRecordName();
        EXPECT_GT(pak->GetDefenseAttrStore().GetAttributes().size(), 1u) << pak->GetRecordName();
    }
    ShutdownObjects();
    ObjectManager::Get().DestroyAllObjects();
    RecordDatabase::Get().Clear();
    RecordDatabase::Get().SetDataRoot("");

    RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, "monsterAttributePak,Records/Game/Missing.dbr,\n"
                                                                "playerAttributePak,Records/Game/AlsoMissing.dbr,\n");
    InitializeSeededObjects();
    const AttributePak& player = gGameEngine->GetPlayerAttributePak();
    EXPECT_EQ(player.GetRecordName(), "Records/Game/AlsoMissing.dbr");
    EXPECT_EQ(player.GetCharAttrStore().GetAttributes().size(), 0u);
    CombatAttributeAccumulator attack;
    player.GetDefenseAttributes(attack, 1);
    EXPECT_TRUE(attack.GetDefenses().empty());
    EXPECT_EQ(gGameEngine->GetPetAttributePak().GetRecordName(), "");
    ShutdownObjects();
    ObjectManager::Get().DestroyAllObjects();
}

// ---- Racial bonuses -----------------------------------------------------------------

TEST_F(AttributePakTest, RacialBonusesMatchRacesExactlyAndWriteALinePerRace)
{
    EXPECT_EQ(RacialBonus::CreateFromTable(Record("defensiveFire,5,\n")), nullptr);
    EXPECT_EQ(RacialBonus::CreateFromFile(""), nullptr);
    EXPECT_EQ(RacialBonus::CreateFromFile("Records/Missing.dbr"), nullptr);

    auto bonus = RacialBonus::CreateFromTable(Record("racialBonusRace,Undead;Beast;Demon,\n"
                                                     "racialBonusPercentDamage,10;20,\n"
                                                     "racialBonusAbsoluteDefense,0;5,\n"));
    ASSERT_NE(bonus, nullptr);
    RacialBonus_Damage damage;
    bonus->ContributeDamage({"undead"}, damage, 1);
    EXPECT_EQ(damage.percent, 0.0f);
    bonus->ContributeDamage({"Human", "Undead"}, damage, 0);
    EXPECT_EQ(damage.percent, 0.0f);
    bonus->ContributeDamage({"Human", "Undead"}, damage, 1);
    bonus->ContributeDamage({"Demon"}, damage, 9);
    EXPECT_EQ(damage.percent, 30.0f);
    EXPECT_EQ(damage.absolute, 0.0f);
    RacialBonus_Defense defense;
    bonus->ContributeDefense({"Beast"}, defense, 2);
    EXPECT_EQ(defense.absolute, 5.0f);

    LocalizationManager::Instance().RegisterTags("RacialBonusPercentDamage=+%.0f%% vs %s\n"
                                                 "RacialBonusAbsoluteDefense=-%.0f from %s\n"
                                                 "tagRace06P=Undead Ones\ntagRace03P=Beasts\ntagRace07P=Demons\n");
    std::vector<GameTextLine> lines;
    bonus->CreateText(1, GameTextClass::ItemBonuses, lines);
    ASSERT_EQ(lines.size(), 3u);   // the defence is 0 at level 1
    RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, "");
    InitializeSeededObjects();
    lines.clear();
    bonus->CreateText(2, GameTextClass::ItemBonuses, lines);
    std::vector<std::string> texts;
    for (const GameTextLine& line : lines) {
        EXPECT_EQ(line.textClass, GameTextClass::ItemBonuses);
        EXPECT_FALSE(line.flag);
        texts.push_back(LocalizationManager::ToChar(line.text));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"+20% vs Undead Ones", "+20% vs Beasts", "+20% vs Demons",
                                               "-5 from Undead Ones", "-5 from Beasts", "-5 from Demons"}));
    lines.clear();
    bonus->CreateNextText(2, 3, GameTextClass::ItemBonuses, lines);
    EXPECT_TRUE(lines.empty());
    bonus->CreateNextText(0, 1, GameTextClass::ItemBonuses, lines);
    EXPECT_EQ(lines.size(), 3u);
    ShutdownObjects();
}

// ---- Items and characters -----------------------------------------------------------

class AttributeItemTest : public AttributePakTest {
protected:
    void SetUp() override
    {
        AttributePakTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        InitializeSeededObjects();
    }
    void TearDown() override
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().SetDataRoot("");
        AttributePakTest::TearDown();
    }

    // The bundled armour with a prefix and a suffix.
    static ItemEquipment* Armour(uint32_t seed)
    {
        ItemReplicaInfo replica;
        replica.baseName = "Records/Item/ArenaMail.dbr";
        replica.prefixName = "Records/Item/Affix/PrefixSturdy.dbr";
        replica.suffixName = "Records/Item/Affix/SuffixOfWarding.dbr";
        replica.seed = seed;
        return DynamicCast<ItemEquipment>(Item::CreateItem(replica));
    }

    // Every value of the item's stores at level 1, with the base protection's prefix and
    // suffix protection, in store order.
    static std::vector<float> Values(const ItemEquipment& item)
    {
        std::vector<float> out;
        for (const auto& attribute : item.GetCharAttrStore().GetAttributes())
            out.push_back(attribute->GetValue(1));
        SkillAttributeAccumulator skills;
        item.GetSkillAttrStore().AddToAccumulator(skills, 1);
        out.push_back(skills.GetValue(SkillAttributeType_CooldownReduction));
        out.push_back(skills.GetValue(SkillAttributeType_ManaCostReduction));
        for (const auto& attribute : item.GetDefenseAttrStore().GetAttributes()) {
            if (const auto* armor = dynamic_cast<const DefenseAttribute_BaseProtectionAbsorption*>(attribute.get())) {
                out.push_back(armor->GetProtection(1));
                out.push_back(armor->GetPrefixProtection());
                out.push_back(armor->GetSuffixProtection());
            } else {
                out.push_back(static_cast<const DefenseAttribute_Typical&>(*attribute).GetValue(1));
            }
        }
        return out;
    }
};

// Every jittered value of the item's five stores for one seed, pinned: the draws follow
// the stores' order (character, skill, damage, retaliation, defence), base before prefix
// before suffix, and the base protection first. The prefix's 10 percent loot scale
// applies last.
TEST_F(AttributeItemTest, GoldenItemForOneSeed)
{
    ItemEquipment* item = Armour(4711);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->IsArmor());
    EXPECT_NE(Values(*Armour(4712)), Values(*item));
    // The damage store rolls nothing here; the retaliation store's base values jitter
    // before the defence store's draws.
    RegisterTestFormats();
    LocalizationManager::Instance().RegisterTags("GlobalPercentChanceOfOneTag=<%.0f one>\nRetaliationFire=RF\n"
                                                 "RetaliationCold=RC\nChanceOfTag=[%.0f]\n");
    DamageAttribute::TextList texts1, texts2, texts3;
    item->GetDamageAttrStore().CreateText(texts1, texts2, texts3, 1);
    item->GetRetaliationAttrStore().CreateText(texts1, texts2, texts3, 1);
    EXPECT_TRUE(texts1.empty() && texts3.empty());
    EXPECT_EQ(Utf8Lines(texts2), (std::vector<std::string>{"<80 one>", ">{4-6}RC", ">{6-9}RF"}));
    EXPECT_EQ(item->GetRetaliationCostInfo().avgBonus, 6.49999952f);
    EXPECT_EQ(item->GetRetaliationCostInfo().count, 2u);
    EXPECT_EQ(item->GetDamageCostInfo().count, 0u);
    std::vector<std::string> names;
    for (const auto& attribute : item->GetCharAttrStore().GetAttributes())
        names.push_back(attribute->GetClassInfo().GetName());
    for (const auto& attribute : item->GetDefenseAttrStore().GetAttributes())
        names.push_back(attribute->GetClassInfo().GetName());
    EXPECT_EQ(names, (std::vector<std::string>{
                         "CharAttributeVal_Strength", "CharAttributeVal_Life", "CharAttributeMod_Life",
                         "CharAttributeVal_DefensiveAbility", "DefenseAttribute_BaseProtectionAbsorption",
                         "DefenseAttributeAbs_Physical", "DefenseAttributeAbs_Bleeding",
                         "DefenseAttributeAbs_ElementalResistance", "DefenseAttributeAbs_Fire",
                         "DefenseAttributeAbs_Cold", "DefenseAttributeAbs_Lightning", "DefenseAttributeAbs_Poison",
                         "DefenseAttributeAbs_Stun", "DefenseAttributeAbs_Freeze"}));
    EXPECT_EQ(Values(*item), (std::vector<float>{6, 46, 4, 24, 0.5f, 3, 65, 13, 0, 8, 34, 10, 20, 15, 14, 10, 24, 18}));
    EXPECT_EQ(item->GetDefenseCostInfo().protection, 78.0f);
    EXPECT_EQ(item->GetDefenseCostInfo().count, 10u);
    EXPECT_EQ(item->GetCharCostInfo().secondaryValue.sum, 70.0f);
    EXPECT_EQ(item->GetSkillCostInfo().valueSum, 2.5f);
    EXPECT_EQ(item->GetSkillCostInfo().count, 1u);
    EXPECT_EQ(item->GetDefenseAttrStore().GetRandomGen(), nullptr);
    EXPECT_EQ(item->GetCharAttrStore().GetRandomGen(), nullptr);

    // The armour adds its defences at level 1; the chance of its bleeding resistance rolls
    // from the attack's generator.
    CombatAttributeAccumulator attack;
    attack.SetSeed(3);
    item->GetDefenseAttributes(attack);
    // The fire resistance and the elemental resistance's share merge.
    EXPECT_EQ(attack.GetTotalDefenseType(CombatAttributeType_Fire), 20.0f + 10.0f);
}

// A character's defences: attached items, then its skills in force, then its own
// record's resistances.
TEST_F(AttributeItemTest, ACharacterGathersItemsSkillsAndItsOwnResistances)
{
    auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Creatures/ArenaMonster.dbr");
    ASSERT_NE(monster, nullptr);
    // What the record's loot rolled goes first: only the armour attached here counts.
    monster->GetCombatManager().GetEquipManager().DestroyAllObjects();
    ItemEquipment* armor = Armour(4711);
    monster->GetCombatManager().GetEquipManager().AttachItemAction(armor->GetObjectId(), EquipLocation_UpperBody);
    auto* toughness = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Skills/ArenaToughness.dbr");
    ASSERT_NE(toughness, nullptr);
    ASSERT_NE(toughness->GetSkillProfile(), nullptr);
    toughness->SetSkillLevel(2);
    monster->GetSkillManager().AddToActiveList(toughness);
    monster->GetSkillManager().AddToActiveList(toughness);

    CombatAttributeAccumulator attack;
    attack.SetSeed(3);
    monster->GetAllDefenseAttributes(attack);
    // In order: the armour's (its freeze resistance, which the monster's own zero one
    // joins), the skill's (its bleeding duration), the monster's own (petrify). Resistances of one type merge: armour 8, skill 8 at level
    // 2, own record 10.
    auto position = [&](auto matches) {
        const CombatAttributeList& defenses = attack.GetDefenses();
        for (size_t i = 0; i < defenses.size(); ++i)
            if (matches(*defenses[i]))
                return i;
        ADD_FAILURE() << "no such defence";
        return defenses.size();
    };
    const size_t armorFreeze = position([](const CombatAttribute& d) { return d.GetType() == CombatAttributeType_Freeze; });
    const size_t skillBleeding = position([](const CombatAttribute& d) {
        return d.GetType() == CombatAttributeType_Bleeding && d.IsA<CombatAttributeDurDefense>();
    });
    const size_t ownPetrify = position([](const CombatAttribute& d) { return d.GetType() == CombatAttributeType_Petrify; });
    EXPECT_LT(armorFreeze, skillBleeding);
    EXPECT_LT(skillBleeding, ownPetrify);
    EXPECT_EQ(attack.GetTotalDefenseType(CombatAttributeType_Physical), 8.0f + 8.0f + 10.0f);
    EXPECT_EQ(attack.GetTotalDefenseType(CombatAttributeType_Petrify), 50.0f);
    ASSERT_EQ(attack.GetDefenseModifiers().size(), 1u);
    EXPECT_EQ(attack.GetDefenseModifiers()[0]->GetType(), CombatAttributeType_Life);

    // A skill at level 0, or gone, adds nothing.
    toughness->SetSkillLevel(0);
    CombatAttributeAccumulator without;
    monster->GetAllDefenseAttributes(without);
    EXPECT_EQ(without.GetTotalDefenseType(CombatAttributeType_Physical), 18.0f);
    toughness->SetSkillLevel(2);
    ObjectManager::Get().DestroyObjectEx(toughness, __FILE__, __LINE__);
    CombatAttributeAccumulator gone;
    monster->GetAllDefenseAttributes(gone);
    EXPECT_EQ(gone.GetTotalDefenseType(CombatAttributeType_Physical), 18.0f);
}

// What a skill adds to its owner's attribute totals follows its level, state and profile.
TEST_F(AttributeItemTest, ASkillsCharacterContributionFollowsItsLevelAndState)
{
    RecordDatabase::Get().RegisterRecord("Records/Skills/TestDexterity.dbr",
                                         "Class,Skill_Passive,\nskillMaxLevel,8,\ncharacterDexterity,2;4;6,\n");
    auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Skills/TestDexterity.dbr");
    ASSERT_NE(skill, nullptr);
    const auto dexterity = [&] {
        CharAttributeAccumulator totals;
        skill->CollectPassiveCharAttributes(totals);
        return totals.GetValueSum(CharAttributeType_Dexterity);
    };
    EXPECT_EQ(dexterity(), 0.0f);
    skill->SetSkillLevel(1);
    EXPECT_EQ(dexterity(), 2.0f);
    skill->SetSkillLevel(7);   // past the last level: the last level's value
    EXPECT_EQ(dexterity(), 6.0f);
    skill->SetSkillEnabled(false);
    EXPECT_EQ(dexterity(), 0.0f);
    skill->SetSkillEnabled(true);
    skill->SetSkillProfile(nullptr);
    EXPECT_EQ(dexterity(), 0.0f);
}

// Every tag these families use is bundled, with conversions that fit the values given.
TEST_F(AttributeItemTest, BundledTextsFitEveryLine)
{
    LocalizationManager& text = LocalizationManager::Instance();
    text.Clear();
    ASSERT_GT(text.LoadFile(std::string(GAME_DATA_DIR) + "/Text/English.txt"), 0u);
    RecordDatabase::Get().SetDataRoot(GAME_TEST_DATA_DIR);
    const LoadTable* everyDefense = RecordDatabase::Get().Load("Records/Item/EveryDefenseKey.dbr");
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    ASSERT_NE(everyDefense, nullptr);
    std::string everyOther = "skillCooldownReduction,1;2,\nskillCooldownReductionChance,30,\n"
                             "skillManaCostReduction,1;2,\nskillProjectileSpeedModifier,1;2,\n"
                             "skillCooldownReductionModifier,1;2,\nskillManaCostReductionModifier,1;2,\n"
                             "characterBaseAttackSpeedTag,CharacterAttackSpeedFast,\n";
    for (const CharAttributeKind& kind : GetCharAttributeKinds()) {
        const std::string name = kind.name;
        const bool modifier = name.rfind("CharAttributeMod_", 0) == 0;
        everyOther += "character" + name.substr(name.find('_') + 1) + (modifier ? "Modifier" : "") + ",3;4,\n";
    }
    const LoadTable other = Record(everyOther);

    LogCapture log;
    std::vector<std::u16string> base, bonus;
    DefenseAttributeStore_Equipment defenses;
    defenses.Load(*everyDefense, everyDefense, nullptr, true, CombatAttributeRegion_Torso);
    DefenseAttributeStore_Skill skillDefenses;
    skillDefenses.Load(*everyDefense);
    CharAttributeStore_Equipment characters;
    characters.Load(other, &other, nullptr, false);
    SkillAttributeStore_Equipment skills;
    skills.Load(other, &other, &other, false);
    for (unsigned level : {0u, 1u, 2u, 4294967295u}) {
        defenses.CreateText(base, bonus, level);
        skillDefenses.CreateText(base, bonus, level);
        skillDefenses.CreateNextText(base, bonus, level, level + 1);
        characters.CreateText(base, bonus, level);
        characters.CreateNextText(base, bonus, level, level + 1);
        skills.CreateText(bonus, level);
        skills.CreateNextText(bonus, level, level + 1);
    }
    auto racial = RacialBonus::CreateFromTable(Record("racialBonusRace,Undead;Plant,\nracialBonusPercentDamage,1,\n"
                                                      "racialBonusAbsoluteDamage,2,\nracialBonusPercentDefense,3,\n"
                                                      "racialBonusAbsoluteDefense,4,\n"));
    std::vector<GameTextLine> lines;
    racial->CreateText(1, GameTextClass::ItemBonuses, lines);
    gGameEngine->GetPlayerAttributePak().GetUIDisplayText(1, GameTextClass::Default, lines);
    EXPECT_GT(base.size() + bonus.size(), 250u);
    EXPECT_EQ(lines.size(), 8u + 7u);
    EXPECT_EQ(LocalizationManager::ToChar(lines[0].text), "+1% Damage to Undead");
    EXPECT_EQ(log.Texts(), std::vector<std::string>{});
}
