// Relics and charms: shards combining up to the completed level, the completion bonus drawn
// from the relic's seed, the equipment a relic may go into, the relic's share of a wearer's
// skills, its cost by level and its texts.
#include <gtest/gtest.h>

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/Texture.h"
#include "Game/characters/Character.h"
#include "Game/combat/CharAttribute.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Inventory.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemRelic.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "tests/TestDraws.h"

namespace GAME {
namespace {

const std::string kBoar = "Records/Item/Relics/RelicBoar.dbr";
const std::string kClaw = "Records/Item/Relics/CharmClaw.dbr";
const std::string kSword = "Records/Item/Weapons/Sword.dbr";

class ItemRelicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeSeededObjects();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        LocalizationManager::Instance().LoadFile(std::string(GAME_DATA_DIR) + "/Text/English.txt");
    }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
        RecordDatabase::Get().SetDataRoot("");
    }
    template <class T = ItemRelic>
    static T* Make(const std::string& record, uint32_t level = 0, uint32_t seed = 7)
    {
        ItemReplicaInfo info;
        info.baseName = record;
        info.var1 = level;
        info.seed = seed;
        return DynamicCast<T>(Item::CreateItem(info));
    }
    static float Strength(const Item& item)
    {
        CharAttributeAccumulator sum;
        item.GetCharAttributes(sum);
        return sum.GetValue(CharAttributeType_Strength);
    }
    static std::u16string LineOf(const Item& item, GameTextClass textClass)
    {
        std::vector<GameTextLine> lines;
        item.GetUIDisplayText(nullptr, lines);
        const auto found = std::find_if(lines.begin(), lines.end(),
                                        [&](const GameTextLine& line) { return line.textClass == textClass; });
        return found == lines.end() ? u"(none)" : found->text;
    }
    LogCapture log;
};

TEST_F(ItemRelicTest, ShardsCombineUpToTheCompletedLevelAndTheRestStaysApart)
{
    ItemRelic* four = Make(kBoar, 4);
    ItemRelic* three = Make(kBoar, 3);
    ASSERT_NE(four, nullptr);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(four->GetItemClassification(), ItemClassification_Relic);
    EXPECT_EQ(Strength(*four), 8.0f);

    EXPECT_TRUE(three->UseRelicOn(four, false));
    EXPECT_EQ(four->GetRelicLevel(), 5u);
    EXPECT_TRUE(four->IsComplete());
    EXPECT_EQ(three->GetRelicLevel(), 2u);
    EXPECT_EQ(four->GetItemReplicaInfo().var1, 5u);
    EXPECT_EQ(three->GetItemReplicaInfo().var1, 2u);
    EXPECT_FALSE(four->GetItemReplicaInfo().relicBonus.empty());

    // A complete relic takes no shards and gives none to another relic.
    EXPECT_EQ(four->AddToRelicLevel(1, false), 0u);
    EXPECT_EQ(four->GetRelicLevel(), 5u);
    bool ontoItem = true;
    EXPECT_FALSE(four->CanRelicBeUsedOn(three, ontoItem));
    EXPECT_FALSE(ontoItem);
    // Not onto itself, nor onto another record's relic.
    EXPECT_FALSE(three->CanRelicBeUsedOn(three, ontoItem));
    EXPECT_FALSE(three->CanRelicBeUsedOn(Make(kClaw, 1), ontoItem));

    // A saved or replicated level above complete is held at complete.
    EXPECT_EQ(Make(kBoar, 4000000000u)->GetRelicLevel(), 5u);
    EXPECT_EQ(log.Count("ItemRelic " + kBoar + ": level 4000000000 above the completed level 5; held at it"), 1u);
}

TEST_F(ItemRelicTest, TheCompletionBonusFollowsTheSeedSoPeersAgreeAndRebuildsFromTheIdentity)
{
    // Two peers complete the same relic (same seed): same bonus. The bonus per seed is
    // part of the save and wire contract.
    const auto completed = [&](uint32_t seed) {
        ItemRelic* relic = Make(kBoar, 4, seed);
        relic->AddToRelicLevel(1, false);
        return relic;
    };
    ItemRelic* mine = completed(4);
    ItemRelic* theirs = completed(4);
    EXPECT_EQ(mine->GetItemReplicaInfo().relicBonus, theirs->GetItemReplicaInfo().relicBonus);
    EXPECT_EQ(completed(1)->GetItemReplicaInfo().relicBonus, "Records/Item/Relics/BonusMight.dbr");
    EXPECT_EQ(mine->GetItemReplicaInfo().relicBonus, "Records/Item/Relics/BonusFury.dbr");
    EXPECT_EQ(completed(7)->GetItemReplicaInfo().relicBonus, "Records/Item/Relics/BonusWard.dbr");

    // The Might bonus adds 15 strength at level 1 over the shards' 10; a relic rebuilt
    // from the identity (a save, a peer) has it too, and a rebuild adds nothing twice.
    ItemRelic* might = completed(1);
    EXPECT_EQ(Strength(*might), 25.0f);
    ItemRelic* copy = DynamicCast<ItemRelic>(Item::CreateItem([&] {
        ItemReplicaInfo info = might->GetItemReplicaInfo();
        info.objectId = 0;
        return info;
    }()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Strength(*copy), 25.0f);
    copy->InitializeItem();
    EXPECT_EQ(Strength(*copy), 25.0f);
    EXPECT_EQ(copy->GetSkillAugment().GetMasteryAugments().size(), 1u);

    // A bonus table that does not load completes the relic without a bonus.
    RecordDatabase::Get().RegisterRecord("Records/Test/Bare.dbr",
                                         "Class,ItemRelic,\ncompletedRelicLevel,2,\nbonusTableName,Records/Test/None.dbr,\n");
    ItemRelic* bare = Make("Records/Test/Bare.dbr", 1);
    EXPECT_EQ(bare->AddToRelicLevel(5, false), 4u);
    EXPECT_TRUE(bare->IsComplete());
    EXPECT_EQ(bare->GetItemReplicaInfo().relicBonus, "");
}

TEST_F(ItemRelicTest, ARelicGoesOnlyIntoEquipmentItsRecordAllowsAndNeverIntoEpicOrLegendary)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/EpicSword.dbr",
                                         "Class,WeaponMelee_Sword,\nitemClassification,Epic,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/LegendarySword.dbr",
                                         "Class,WeaponMelee_Sword,\nitemClassification,Legendary,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/RareSword.dbr",
                                         "Class,WeaponMelee_Sword,\nitemClassification,Rare,\n");
    struct Row {
        const char* relic;
        const char* target;
        bool accepted;
    };
    const Row rows[] = {
        {"Records/Item/Relics/RelicBoar.dbr", "Records/Item/Weapons/Sword.dbr", true},
        {"Records/Item/Relics/RelicBoar.dbr", "Records/Test/RareSword.dbr", true},
        {"Records/Item/Relics/RelicBoar.dbr", "Records/Item/Weapons/Axe.dbr", true},
        {"Records/Item/Relics/RelicBoar.dbr", "Records/Test/EpicSword.dbr", false},
        {"Records/Item/Relics/RelicBoar.dbr", "Records/Test/LegendarySword.dbr", false},
        {"Records/Item/Relics/RelicBoar.dbr", "Records/Item/Armor/Helm.dbr", false},
        {"Records/Item/Relics/RelicBoar.dbr", "Records/Item/Armor/Ring.dbr", false},
        {"Records/Item/Relics/RelicBoar.dbr", "Records/Item/ArenaHelm.dbr", false},   // plain Armor: no kind
        {"Records/Item/Relics/CharmClaw.dbr", "Records/Item/Armor/Ring.dbr", true},
        {"Records/Item/Relics/CharmClaw.dbr", "Records/Item/Armor/Amulet.dbr", true},
        {"Records/Item/Relics/CharmClaw.dbr", "Records/Item/Weapons/Sword.dbr", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.relic) + " into " + row.target);
        ItemRelic* relic = Make(row.relic, 1);
        ItemReplicaInfo info;
        info.baseName = row.target;
        Item* target = Item::CreateItem(info);
        ASSERT_NE(target, nullptr);
        bool ontoItem = false;
        EXPECT_EQ(relic->CanRelicBeUsedOn(target, ontoItem), row.accepted);
        EXPECT_TRUE(ontoItem);
        EXPECT_EQ(relic->UseRelicOn(target, false), row.accepted);
        EXPECT_EQ(DynamicCast<ItemEquipment>(target)->HasRelic(), row.accepted);
        EXPECT_EQ(relic->GetRelicLevel(), row.accepted ? 0u : 1u);
        // Equipment shows the relic's overlay over its icon while it holds one.
        Texture* overlay = target->GetUIBitmapOverlay();
        EXPECT_EQ(overlay != nullptr, row.accepted);
    }
    ItemReplicaInfo swordInfo;
    swordInfo.baseName = kSword;
    Item* sword = Item::CreateItem(swordInfo);
    Make(kBoar, 1)->UseRelicOn(sword, false);
    EXPECT_EQ(sword->GetUIBitmapOverlay()->GetName(), "Items/Relics/RelicOverlay.tex");
}

TEST_F(ItemRelicTest, ShardsSetIntoAWornSwordRaiseItsWearerOnceAndComeOffWithIt)
{
    RecordDatabase::Get().RegisterRecord("Records/Skills/A.dbr", "Class,Skill,\nskillMaxLevel,20,\nskillUltimateLevel,20,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Wearer.dbr", "Class,Character,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/SkillRelic.dbr",
                                         "Class,ItemRelic,\ncompletedRelicLevel,3,\nsword,1,\ncharacterStrength,1;2;3,\n"
                                         "augmentSkillLevel1,2,\naugmentSkillName1,Records/Skills/A.dbr,\n");
    auto* wearer = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Wearer.dbr");
    ASSERT_NE(wearer, nullptr);
    LoadTable tree;
    tree.SetValue("skillName1", "Records/Skills/A.dbr");
    tree.SetValue("skillLevel1", "1");
    wearer->GetSkillManager().LoadSkills(tree, 1);
    const Skill* skill = ObjectManager::Get().GetObject<Skill>(wearer->GetSkillManager().FindSkillId("Records/Skills/A.dbr"));
    ASSERT_NE(skill, nullptr);
    const uint32_t bare = skill->GetCurrentLevel();

    ItemReplicaInfo swordInfo;
    swordInfo.baseName = kSword;
    auto* sword = DynamicCast<ItemEquipment>(Item::CreateItem(swordInfo));
    ASSERT_NE(sword, nullptr);
    sword->AttachItem(*wearer, "");

    // Two shards go in: the sword holds a relic of level 2, the shard is spent.
    ItemRelic* first = Make("Records/Test/SkillRelic.dbr", 2);
    ASSERT_TRUE(first->UseRelicOn(sword, false));
    EXPECT_EQ(first->GetRelicLevel(), 0u);
    EXPECT_EQ(sword->GetItemReplicaInfo().relicName, "Records/Test/SkillRelic.dbr");
    EXPECT_EQ(sword->GetItemReplicaInfo().var1, 2u);
    EXPECT_EQ(skill->GetCurrentLevel(), bare);   // incomplete: no augment yet

    // Two more complete it with one left over; the augment reaches the wearer once.
    ItemRelic* second = Make("Records/Test/SkillRelic.dbr", 2);
    ASSERT_TRUE(second->UseRelicOn(sword, false));
    EXPECT_EQ(second->GetRelicLevel(), 1u);
    EXPECT_EQ(sword->GetItemReplicaInfo().var1, 3u);
    EXPECT_TRUE(sword->GetRelic()->IsComplete());
    EXPECT_EQ(skill->GetCurrentLevel(), bare + 2);
    sword->InitializeItem();
    EXPECT_EQ(skill->GetCurrentLevel(), bare + 2);
    sword->DetachItem(*wearer);
    EXPECT_EQ(skill->GetCurrentLevel(), bare);
    // A relic destroyed while its item is worn takes its augment off the wearer.
    sword->AttachItem(*wearer, "");
    EXPECT_EQ(skill->GetCurrentLevel(), bare + 2);
    ObjectManager::Get().DestroyObjectEx(sword->GetRelic(), "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(skill->GetCurrentLevel(), bare);
    sword->DetachItem(*wearer);
    EXPECT_EQ(skill->GetCurrentLevel(), bare);

    // The use command names its ids from a peer: a character's relic goes only into its
    // own item.
    ItemRelic* loose = Make("Records/Test/SkillRelic.dbr", 1);
    auto* other = DynamicCast<ItemEquipment>(Item::CreateItem(swordInfo));
    auto* stranger = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Wearer.dbr");
    wearer->GetInventory().AddItemToInventory(other->GetObjectId(), false);
    stranger->GetInventory().AddItemToInventory(loose->GetObjectId(), false);
    stranger->UseRelic(loose->GetObjectId(), other->GetObjectId());
    EXPECT_FALSE(other->HasRelic());
    EXPECT_EQ(loose->GetRelicLevel(), 1u);
    EXPECT_EQ(log.Count("Character " + std::to_string(stranger->GetObjectId()) + ": relic " +
                        std::to_string(loose->GetObjectId()) + " or item " + std::to_string(other->GetObjectId()) +
                        " is not its own; the relic is not used"),
              1u);
}

TEST_F(ItemRelicTest, CostFollowsTheLevelAndTextsTellRelicsFromCharms)
{
    EXPECT_EQ(Make(kBoar, 2)->GetItemCost(false), 200u);
    EXPECT_EQ(Make(kBoar, 9)->GetItemCost(false), 600u);   // held at complete, the last entry
    ItemRelic* spent = Make(kBoar, 1);
    spent->SetRelicLevel(0);
    EXPECT_EQ(spent->GetItemCost(false), 600u);

    EXPECT_EQ(LineOf(*Make(kBoar, 2), GameTextClass::ItemRelicNumber), u"Relic shard 2 of 5");
    EXPECT_EQ(LineOf(*Make<ItemCharm>(kClaw, 1), GameTextClass::ItemRelicNumber), u"Charm piece 1 of 3");
    EXPECT_EQ(LineOf(*Make(kBoar, 5), GameTextClass::ItemRelicNumber), u"Completed relic");
    EXPECT_EQ(LineOf(*Make(kBoar, 2), GameTextClass::ItemRelicDescription), u"Its shards hum with a stubborn strength.");
    // Complete, with a bonus: its heading; complete without one: no empty heading.
    ItemRelic* complete = Make(kBoar, 4, 1);
    complete->AddToRelicLevel(1, false);
    EXPECT_EQ(LineOf(*complete, GameTextClass::ItemRelicCompleteTitle), u"Completion bonus:");
    EXPECT_EQ(LineOf(*Make(kBoar, 5), GameTextClass::ItemRelicCompleteTitle), u"(none)");
    // The level shows on the icon until complete; the art changes with completion.
    std::u16string icon;
    Make(kBoar, 3)->GetUIBitmapText(icon);
    EXPECT_EQ(icon, u"3");
    EXPECT_EQ(Make(kBoar, 3)->GetBitmap()->GetName(), "Items/Relics/BoarShard.tex");
    EXPECT_EQ(complete->GetBitmap()->GetName(), "Items/Relics/Boar.tex");
}

}  // namespace
}  // namespace GAME
