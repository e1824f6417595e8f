// The holders of damage and retaliation stores: an equipment item rebuilt from its
// identity, and a skill profile, with their operations and copies.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DamageAttributeStoreTestUtil.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/items/Armor.h"
#include "Game/items/ItemEquipment.h"
#include "Game/skills/SkillProfile.h"

using namespace GAME;

class DamageAttributeHoldersTest : public ::testing::Test {
protected:
    static constexpr const char* kSword = "Records/HolderTest/Sword.dbr";
    static constexpr const char* kMail = "Records/HolderTest/Mail.dbr";
    static constexpr const char* kPrefix = "Records/HolderTest/Prefix.dbr";
    static constexpr const char* kSuffix = "Records/HolderTest/Suffix.dbr";

    void SetUp() override
    {
        RegisterTestFormats();
        for (const char* tag : {"DamageFire", "DamageCold", "RetaliationCold", "RetaliationFire"})
            RegisterDisplayTag(tag, false);
        for (const char* tag : {"RetaliationModifierCold", "RetaliationModifierFire", "GlobalPercentChanceOfAllTag"})
            RegisterDisplayTag(tag, true);
        RecordDatabase& records = RecordDatabase::Get();
        const std::string attributes = "offensivePhysicalMin,20,\noffensivePhysicalMax,30,\noffensiveFireMin,500,\n"
                                       "retaliationColdMin,800,\nretaliationColdModifier,40,\n"
                                       "attributeScalePercent,5,\n";
        records.RegisterRecord(kSword, "Class,Weapon,\n" + attributes);
        records.RegisterRecord(kMail, "Class,Armor,\n" + attributes);
        records.RegisterRecord(kPrefix, "lootRandomizerJitter,10,\nlootRandomizerScale,10,\noffensiveFireMin,300,\n"
                                        "retaliationColdMin,400,\nretaliationGlobalChance,50,\n");
        records.RegisterRecord(kSuffix, "lootRandomizerScale,5,\noffensiveGlobalChance,30,\noffensiveColdMin,200,\n"
                                        "offensiveColdGlobal,1,\n");
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
        LocalizationManager::Instance().Clear();
    }

    static ItemEquipment* Make(const char* base, const std::string& prefix, const std::string& suffix, uint32_t seed)
    {
        ItemReplicaInfo identity;
        identity.baseName = base;
        identity.prefixName = prefix;
        identity.suffixName = suffix;
        identity.seed = seed;
        auto* item = DynamicCast<ItemEquipment>(Item::CreateItem(identity));
        if (item)
            item->InitializeItem();
        return item;
    }

    // The two stores loaded as the item loads them: one generator, damage then
    // retaliation, then scaled.
    struct Loaded {
        DamageAttributeStore_Equipment damage;
        RetaliationAttributeStore_Equipment retaliation;
    };
    static void LoadLikeAnItem(Loaded& out, const char* base, const char* prefix, const char* suffix, uint32_t seed,
                               bool armor, float scale)
    {
        RecordDatabase& records = RecordDatabase::Get();
        const LoadTable* prefixTable = prefix ? records.Load(prefix) : nullptr;
        const LoadTable* suffixTable = suffix ? records.Load(suffix) : nullptr;
        RandomUniform generator;
        generator.Seed(seed);
        out.damage.SetRandomGen(&generator);
        out.damage.Load(*records.Load(base), prefixTable, suffixTable, armor);
        out.retaliation.SetRandomGen(&generator);
        out.retaliation.Load(*records.Load(base), prefixTable, suffixTable, armor);
        out.damage.ScaleAttributes(scale);
        out.retaliation.ScaleAttributes(scale);
        out.damage.SetRandomGen(nullptr);
        out.retaliation.SetRandomGen(nullptr);
    }
};

using HolderObjects = std::vector<std::pair<uint32_t, float>>;

TEST_F(DamageAttributeHoldersTest, ItemRebuildsItsStoresFromItsIdentity)
{
    ItemEquipment* sword = Make(kSword, kPrefix, kSuffix, 321);
    ASSERT_NE(sword, nullptr);
    EXPECT_FALSE(sword->IsArmor());
    Loaded expected;
    LoadLikeAnItem(expected, kSword, kPrefix, kSuffix, 321, false, 20.0f);
    EXPECT_EQ(StoreLines(sword->GetDamageAttrStore(), 1), StoreLines(expected.damage, 1));
    EXPECT_EQ(StoreLines(sword->GetRetaliationAttrStore(), 1), StoreLines(expected.retaliation, 1));
    EXPECT_EQ(StoreSize(sword->GetDamageAttrStore()), 4u);   // base physical, two fires, the cold group
    EXPECT_EQ(sword->GetDamageAttrStore().GetRandomGen(), nullptr);
    EXPECT_EQ(sword->GetRetaliationAttrStore().GetRandomGen(), nullptr);
    CostInfo_DamageAttributes damageCost, retaliationCost;
    expected.damage.GetCostInfo(damageCost);
    expected.retaliation.GetCostInfo(retaliationCost);
    EXPECT_EQ(sword->GetDamageCostInfo().avgBase, damageCost.avgBase);
    EXPECT_EQ(sword->GetDamageCostInfo().avgBonus, damageCost.avgBonus);
    EXPECT_EQ(sword->GetDamageCostInfo().count, damageCost.count);
    EXPECT_EQ(sword->GetRetaliationCostInfo().avgBonus, retaliationCost.avgBonus);
    EXPECT_EQ(sword->GetRetaliationCostInfo().mod, retaliationCost.mod);

    // Rebuilding starts from scratch: the same attributes, not twice as many.
    sword->InitializeItem();
    EXPECT_EQ(StoreLines(sword->GetDamageAttrStore(), 1), StoreLines(expected.damage, 1));
    EXPECT_EQ(sword->GetDamageCostInfo().count, damageCost.count);

    // Armour takes physical damage per level; an affix that does not resolve counts as none.
    ItemEquipment* mail = Make(kMail, "Records/HolderTest/Missing.dbr", "", 321);
    ASSERT_NE(mail, nullptr);
    EXPECT_TRUE(mail->IsA<Armor>());
    EXPECT_TRUE(mail->IsArmor());
    Loaded armor;
    LoadLikeAnItem(armor, kMail, nullptr, nullptr, 321, true, 5.0f);
    EXPECT_EQ(StoreLines(mail->GetDamageAttrStore(), 1), StoreLines(armor.damage, 1));
    EXPECT_EQ(ClassNames(mail->GetDamageAttrStore().GetAttributes()).front(), "DamageAttribute_Physical");
}

// At level 1: retaliation's damage, then its modifiers; offensive damage and modifiers.
TEST_F(DamageAttributeHoldersTest, ItemOffersItsStoresAtLevelOne)
{
    RecordDatabase::Get().RegisterRecord("Records/HolderTest/Levels.dbr",
                                         "Class,Armor,\nretaliationFireMin,5;50,\nretaliationFireModifier,10;60,\n"
                                         "offensiveColdMin,7;70,\noffensiveColdModifier,15;75,\n");
    ItemEquipment* item = Make("Records/HolderTest/Levels.dbr", "", "", 0);
    ASSERT_NE(item, nullptr);
    CombatAttributeAccumulator retaliation;
    item->GetRetaliationAttributes(retaliation);
    EXPECT_EQ(StoreObjects(retaliation.GetDamages()), (HolderObjects{{6, 5.0f}}));
    ASSERT_EQ(retaliation.GetDamageModifiers().size(), 1u);
    EXPECT_EQ(retaliation.GetDamageModifiers()[0]->GetType(), 6u);

    CombatAttributeAccumulator attack;
    item->GetOffensiveDamageAttributes(attack);
    EXPECT_EQ(StoreObjects(attack.GetDamages()), (HolderObjects{{5, 7.0f}}));
    EXPECT_TRUE(attack.GetDamageModifiers().empty());
    item->GetOffensiveModifierAttributes(attack);
    ASSERT_EQ(attack.GetDamageModifiers().size(), 1u);
    EXPECT_EQ(attack.GetDamageModifiers()[0]->GetType(), 5u);
}

TEST_F(DamageAttributeHoldersTest, SkillProfileLoadsOffersAndCopiesItsStores)
{
    const LoadTable record = Record("retaliationFireMin,5;7;9,\nretaliationFireModifier,10;20;30,\n"
                                    "retaliationGlobalChance,40,\nretaliationColdMin,2;4,\nretaliationColdMax,8,\n"
                                    "retaliationColdGlobal,1,\noffensiveFireMin,3,\n");
    auto retaliate = [](const SkillProfile& profile, uint32_t seed, unsigned level) {
        CombatAttributeAccumulator acc;
        acc.SetSeed(seed);
        profile.GetRetaliationAttributes(acc, level);
        return std::make_pair(StoreObjects(acc.GetDamages()), acc.GetDamageModifiers().size());
    };
    SkillProfile reference;
    reference.LoadProfile(record);
    // The level's damage, and its modifier after it.
    CombatAttributeAccumulator acc;
    acc.SetSeed(1);
    reference.GetRetaliationAttributes(acc, 3);
    ASSERT_FALSE(acc.GetDamages().empty());
    EXPECT_EQ(StoreObjects(acc.GetDamages())[0], (std::pair<uint32_t, float>{6, 9.0f}));
    ASSERT_EQ(acc.GetDamageModifiers().size(), 1u);
    EXPECT_EQ(StoreLines(reference.GetRetaliationAttrStore(), 2)[2], std::vector<std::string>{"{7}RetaliationFire"});

    // A copy outlives its source and draws and writes the same.
    auto source = std::make_unique<SkillProfile>();
    source->LoadProfile(record);
    SkillProfile copy(*source);
    SkillProfile assigned;
    assigned = *source;
    source.reset();
    for (const SkillProfile* profile : {&copy, &assigned}) {
        EXPECT_EQ(StoreLines(profile->GetRetaliationAttrStore(), 1), StoreLines(reference.GetRetaliationAttrStore(), 1));
        for (uint32_t seed : {1u, 2u, 3u, 4u, 5u})
            EXPECT_EQ(retaliate(*profile, seed, 1), retaliate(reference, seed, 1));
    }
    SkillProfile moved(std::move(copy));
    EXPECT_EQ(retaliate(moved, 6, 2), retaliate(reference, 6, 2));
    EXPECT_EQ(StoreSize(copy.GetRetaliationAttrStore()), 0u);
}
