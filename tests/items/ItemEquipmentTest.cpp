// An equipment item rebuilt from its identity: requirements from record, formula and
// affixes, the affixes' names and costs, the cost's range, the relic slot, and a second
// rebuild that equals a fresh item, worn or not.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemFingerprint.h"
#include "Game/items/ItemRelic.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "tests/TestDraws.h"

namespace GAME {

// An equipment kind whose formulas are the test cost records' keys.
class TestGear : public ItemEquipment {
    GAME_DECLARE_CLASS(TestGear)
public:
    TestGear() { SetKindKeys("testCostEquation", "test", 0); }
};
GAME_IMPLEMENT_CLASS(TestGear, ItemEquipment)

// A kind of the same cost key whose requirements have no formulas.
class TestPlainGear : public ItemEquipment {
    GAME_DECLARE_CLASS(TestPlainGear)
public:
    TestPlainGear() { SetKindKeys("testCostEquation", "", 0); }
};
GAME_IMPLEMENT_CLASS(TestPlainGear, ItemEquipment)

namespace {

const std::string kDir = "Records/Item/Test/Equipment/";

class ItemEquipmentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeSeededObjects();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    }
    void TearDown() override
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
        RecordDatabase::Get().SetDataRoot("");
    }
    static ItemReplicaInfo Identity(const std::string& base, const std::string& prefix = "",
                                    const std::string& suffix = "", uint32_t seed = 7)
    {
        ItemReplicaInfo info;
        info.baseName = kDir + base;
        info.prefixName = prefix.empty() ? "" : kDir + prefix;
        info.suffixName = suffix.empty() ? "" : kDir + suffix;
        info.seed = seed;
        return info;
    }
    static ItemEquipment* Make(const ItemReplicaInfo& info) { return DynamicCast<ItemEquipment>(Item::CreateItem(info)); }
    static std::string Fingerprint(const ItemEquipment& item) { return ItemFingerprint(item).Get(); }
    LogCapture log;
};

TEST_F(ItemEquipmentTest, RecordValuesStandFormulasFillTheRestAndAffixesRaiseThemWhileRolled)
{
    ItemEquipment* helm = Make(Identity("Helm.dbr"));
    ASSERT_NE(helm, nullptr);
    EXPECT_EQ(helm->GetStrengthRequirement(), 25u);
    EXPECT_EQ(helm->GetLevelRequirement(), 12u);
    EXPECT_EQ(helm->GetIntelligenceRequirement(), 0u);   // its formula does not parse
    EXPECT_EQ(log.Count("-=- Item Equation load failure : itemIntelligenceEquation "), 1u);
    EXPECT_EQ(helm->GetItemCost(false), 0u);

    EXPECT_EQ(Make(Identity("StrongHelm.dbr"))->GetStrengthRequirement(), 40u);   // not its formula's 25

    ItemEquipment* tall = Make(Identity("Helm.dbr", "PrefixTall.dbr"));
    EXPECT_EQ(tall->GetLevelRequirement(), 30u);   // the prefix lifts 12 to 30
    EXPECT_EQ(tall->GetPrefixDisplayTag(), "tagTall");
    // The highest of the base's, the prefix's and the suffix's, whichever that is.
    RecordDatabase::Get().RegisterRecord(kDir + "SuffixOfAges.dbr", "levelRequirement,40,\n");
    RecordDatabase::Get().RegisterRecord(kDir + "SuffixOfYouth.dbr", "levelRequirement,20,\n");
    EXPECT_EQ(Make(Identity("Helm.dbr", "PrefixTall.dbr", "SuffixOfAges.dbr"))->GetLevelRequirement(), 40u);
    EXPECT_EQ(Make(Identity("Helm.dbr", "PrefixTall.dbr", "SuffixOfYouth.dbr"))->GetLevelRequirement(), 30u);

    // A Rare suffix raises the Common base only while it is rolled.
    ItemEquipment* item = Make(Identity("Helm.dbr", "", "SuffixOfRarity.dbr"));
    EXPECT_EQ(item->GetItemClassification(), ItemClassification_Rare);
    item->SetItemReplicaInfo(Identity("Helm.dbr"));
    item->InitializeItem();
    EXPECT_EQ(item->GetItemClassification(), ItemClassification_Common);

    // Names are bound once, Item's first; they compare exactly.
    EXPECT_EQ(helm->BindDesignerVariable("itemLevel").GetKind(), DesignerVariableSlot<float>::Kind::Unsigned);
    EXPECT_EQ(helm->BindDesignerVariable("itemlevel").GetKind(), DesignerVariableSlot<float>::Kind::Unknown);
}

TEST_F(ItemEquipmentTest, AffixesNameThePiecesAndPriceIt)
{
    ItemEquipment* both = Make(Identity("Helm.dbr", "PrefixTall.dbr", "SuffixOfRarity.dbr"));
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->GetSuffixDisplayTag(), "tagOfRarity");
    EXPECT_FLOAT_EQ(both->GetMarketAdjustmentPercent(), 30.0f);
    EXPECT_EQ(both->GetItemCost(false), 104u);   // 80 + 30 percent, rounded
    EXPECT_EQ(both->GetRacialBonuses().size(), 2u);   // the prefix's and the base's

    // Hiding the prefix's name clears only its tag: its cost and level still count.
    ItemEquipment* hidden = Make(Identity("HiddenHelm.dbr", "PrefixTall.dbr"));
    EXPECT_EQ(hidden->GetPrefixDisplayTag(), "");
    EXPECT_EQ(hidden->GetItemCost(false), 55u);
    EXPECT_EQ(hidden->GetLevelRequirement(), 30u);

    // A cost formula far past the range holds at the largest whole number.
    EXPECT_EQ(Make(Identity("GoldenHelm.dbr"))->GetItemCost(false), std::numeric_limits<uint32_t>::max());
}

// Items of one record share its compiled cost formulas: each prices itself from its own
// affixes, whether the first item of the record lives or not, a formula that does not parse
// is logged for every item, and a cost record registered anew is read afresh.
TEST_F(ItemEquipmentTest, ItemsOfOneRecordPriceThemselvesAndFollowTheCostRecord)
{
    ItemEquipment* first = Make(Identity("Helm.dbr", "PrefixTall.dbr", "SuffixOfRarity.dbr"));
    ItemEquipment* plain = Make(Identity("Helm.dbr"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(plain, nullptr);
    ObjectManager::Get().DestroyObjectEx(first, __FILE__, __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    ItemEquipment* again = Make(Identity("Helm.dbr", "PrefixTall.dbr", "SuffixOfRarity.dbr"));
    ItemEquipment* hidden = Make(Identity("HiddenHelm.dbr", "PrefixTall.dbr"));
    EXPECT_EQ(again->GetItemCost(false), 104u);
    EXPECT_EQ(plain->GetItemCost(false), 0u);
    EXPECT_EQ(hidden->GetItemCost(false), 55u);
    EXPECT_EQ(again->GetStrengthRequirement(), 25u);
    EXPECT_EQ(again->GetDexterityRequirement(), 7u);   // its prefix's one augment
    EXPECT_EQ(plain->GetDexterityRequirement(), 0u);
    EXPECT_EQ(log.Count("-=- Item Equation load failure : itemIntelligenceEquation "), 4u);

    RecordDatabase::Get().RegisterRecord(kDir + "Cost.dbr", "testCostEquation,itemPrefixCost*2,\n");
    EXPECT_EQ(Make(Identity("Helm.dbr", "PrefixTall.dbr"))->GetItemCost(false), 110u);   // 100 + 10 percent
    EXPECT_EQ(Make(Identity("Helm.dbr"))->GetStrengthRequirement(), 0u);

    // An affix with a broken augment level is logged by every item made with it; its racial
    // bonus comes with each.
    RecordDatabase::Get().RegisterRecord(kDir + "PrefixBroken.dbr",
                                         "augmentSkillName1,Records/Skills/A.dbr,\naugmentSkillLevel1,-2,\n"
                                         "racialBonusRace,Beast,\nracialBonusPercentDamage,4,\n");
    for (int i = 0; i < 2; ++i) {
        ItemEquipment* broken = Make(Identity("Helm.dbr", "PrefixBroken.dbr"));
        EXPECT_EQ(broken->GetRacialBonuses().size(), 2u);
        EXPECT_TRUE(broken->GetSkillAugment().GetSkillAugments().empty());
    }
    EXPECT_EQ(log.Count("ItemSkillAugment: " + kDir + "PrefixBroken.dbr: \"augmentSkillLevel1\" is -2, read as 0"), 2u);
}

// Kinds share their key names: items of two kinds that share the cost key and differ in
// the requirement stem, made in turns, each read their own kind's formulas.
TEST_F(ItemEquipmentTest, EachKindReadsItsOwnFormulaKeys)
{
    RecordDatabase::Get().RegisterRecord(kDir + "PlainHelm.dbr", "Class,TestPlainGear,\n"
                                                                 "itemCostName,Records/Item/Test/Equipment/Cost.dbr,\n"
                                                                 "levelRequirement,3,\n");
    for (int i = 0; i < 2; ++i) {
        ItemEquipment* plain = Make(Identity("PlainHelm.dbr", "PrefixTall.dbr", "SuffixOfRarity.dbr"));
        ItemEquipment* helm = Make(Identity("Helm.dbr", "PrefixTall.dbr", "SuffixOfRarity.dbr"));
        ASSERT_NE(plain, nullptr);
        ASSERT_NE(helm, nullptr);
        EXPECT_EQ(plain->GetItemCost(false), helm->GetItemCost(false));   // the same cost formula
        EXPECT_EQ(plain->GetStrengthRequirement(), 0u);
        EXPECT_EQ(helm->GetStrengthRequirement(), 25u);
        EXPECT_EQ(plain->GetLevelRequirement(), 30u);   // the prefix's, over the record's 3
    }
}

TEST_F(ItemEquipmentTest, TheToolTipShowsBonusesThenABlankLineThenTheRequirements)
{
    std::vector<GameTextLine> lines;
    Make(Identity("Helm.dbr", "PrefixTall.dbr"))->GetUIDisplayText(nullptr, lines);
    const auto bonus = std::find_if(lines.rbegin(), lines.rend(),
                                    [](const GameTextLine& line) { return line.textClass == GameTextClass::ItemBonuses; });
    const auto blank = std::find_if(lines.rbegin(), lines.rend(), [](const GameTextLine& line) {
        return line.textClass == GameTextClass::Default && line.text.empty();
    });
    ASSERT_NE(bonus, lines.rend());   // the racial bonuses' lines, then the set's
    EXPECT_TRUE(std::any_of(bonus.base(), lines.end(),
                            [](const GameTextLine& line) { return line.textClass == GameTextClass::ItemSetName; }));
    ASSERT_NE(blank, lines.rend());
    EXPECT_GT(bonus - lines.rbegin(), blank - lines.rbegin());
    for (auto line = lines.rbegin(); line != blank; ++line)
        EXPECT_EQ(line->textClass, GameTextClass::ItemRequirements);
}

TEST_F(ItemEquipmentTest, RebuildingEqualsAFreshItem)
{
    const ItemReplicaInfo rolled = Identity("Helm.dbr", "PrefixTall.dbr", "SuffixOfRarity.dbr", 4242);
    ItemEquipment* fresh = Make(rolled);
    ItemEquipment* again = Make(rolled);
    again->InitializeItem();
    again->InitializeItem();
    EXPECT_EQ(Fingerprint(*again), Fingerprint(*fresh));

    // Another identity first, then this one: nothing of the first stays.
    ItemEquipment* other = Make(Identity("Helm.dbr", "PrefixTall.dbr", "", 9));
    other->SetItemReplicaInfo(rolled);
    other->InitializeItem();
    EXPECT_EQ(Fingerprint(*other), Fingerprint(*fresh));
    other->SetItemReplicaInfo(Identity("Helm.dbr"));
    other->InitializeItem();
    EXPECT_EQ(Fingerprint(*other), Fingerprint(*Make(Identity("Helm.dbr"))));
}

TEST_F(ItemEquipmentTest, RebuildingAWornItemKeepsItsWearersSkillLevels)
{
    RecordDatabase::Get().RegisterRecord("Records/Skills/A.dbr", "Class,Skill,\nskillMaxLevel,20,\nskillUltimateLevel,20,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Wearer.dbr", "Class,Character,\n");
    auto* wearer = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Wearer.dbr");
    ASSERT_NE(wearer, nullptr);
    LoadTable tree;
    tree.SetValue("skillName1", "Records/Skills/A.dbr");
    tree.SetValue("skillLevel1", "1");
    wearer->GetSkillManager().LoadSkills(tree, 1);
    const Skill* skill =
        ObjectManager::Get().GetObject<Skill>(wearer->GetSkillManager().FindSkillId("Records/Skills/A.dbr"));
    ASSERT_NE(skill, nullptr);
    const uint32_t bare = skill->GetCurrentLevel();

    ItemEquipment* item = Make(Identity("Helm.dbr", "PrefixTall.dbr"));
    item->AttachItem(*wearer, "");
    const uint32_t worn = skill->GetCurrentLevel();
    EXPECT_EQ(worn, bare + 2);   // the prefix's augment
    EXPECT_EQ(wearer->GetItemsInSet(kDir + "Set.dbr").size(), 1u);
    item->InitializeItem();
    item->InitializeItem();
    EXPECT_EQ(skill->GetCurrentLevel(), worn);
    item->DetachItem(*wearer);
    EXPECT_EQ(skill->GetCurrentLevel(), bare);
    EXPECT_TRUE(wearer->GetItemsInSet(kDir + "Set.dbr").empty());
}

TEST_F(ItemEquipmentTest, TheRelicSlotHoldsOnlyRelicsAndTheIdentityNamesWhatItHolds)
{
    ItemEquipment* item = Make(Identity("Helm.dbr"));
    item->AddRelic(kDir + "Relic.dbr", "", 2);
    ASSERT_TRUE(item->HasRelic());
    EXPECT_EQ(item->GetItemReplicaInfo().relicName, kDir + "Relic.dbr");
    EXPECT_EQ(item->GetItemReplicaInfo().var1, 2u);

    // A rebuild keeps the relic the identity names; an empty name takes it out for good.
    item->InitializeItem();
    EXPECT_TRUE(item->HasRelic());
    item->AddRelic("", "", 0);
    EXPECT_FALSE(item->HasRelic());
    EXPECT_EQ(item->GetItemReplicaInfo().relicName, "");

    // A record of another class makes nothing, not even for a moment.
    const size_t objects = ObjectManager::Get().GetObjectCount();
    item->AddRelic(kDir + "Helm.dbr", "", 1);
    EXPECT_FALSE(item->HasRelic());
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), objects);
}

// An item holding a relic asks for the higher of its own strength and the relic's.
TEST_F(ItemEquipmentTest, AHeldRelicRaisesTheStrengthTheItemNeedsAndNeverLowersIt)
{
    RecordDatabase::Get().RegisterRecord(kDir + "HeavyRelic.dbr", "Class,ItemRelic,\nstrengthRequirement,60,\n");
    RecordDatabase::Get().RegisterRecord(kDir + "LightRelic.dbr", "Class,ItemRelic,\nstrengthRequirement,10,\n");
    ItemEquipment* helm = Make(Identity("Helm.dbr"));
    ASSERT_EQ(helm->GetStrengthRequirement(), 25u);
    helm->AddRelic(kDir + "HeavyRelic.dbr", "", 1);
    ASSERT_TRUE(helm->HasRelic());
    EXPECT_EQ(helm->GetStrengthRequirement(), 60u);
    helm->AddRelic(kDir + "LightRelic.dbr", "", 1);
    ASSERT_TRUE(helm->HasRelic());
    EXPECT_EQ(helm->GetStrengthRequirement(), 25u);
}

}  // namespace
}  // namespace GAME
