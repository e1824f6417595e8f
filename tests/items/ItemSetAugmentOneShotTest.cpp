// Item sets and the names worn of them, skill augments and their granted skills, and the
// one-shot items: potion stacks, gold rebuilt from its identity, dyes and trails.
#include <cmath>
#include <limits>
#include <utility>

#include "core/EngineFixture.h"
#include "Engine/LoadTable.h"
#include "Game/core/Bonus.h"
#include "Game/items/ItemSet.h"
#include "Game/items/ItemSkillAugment.h"
#include "Game/items/OneShot.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/world/EffectEntity.h"

namespace GAME {
namespace {

using ::testing::_;

class ItemKindsTest : public EngineTest {
protected:
    static void Record(const std::string& name, const std::string& text)
    {
        RecordDatabase::Get().RegisterRecord(name, text);
    }
    template <class T>
    T* Create(const std::string& record, uint32_t var1 = 0)
    {
        ItemReplicaInfo replica;
        replica.baseName = record;
        replica.var1 = var1;
        return DynamicCast<T>(Item::CreateItem(replica));
    }
};

TEST_F(ItemKindsTest, SetListsWornMembersByNormalizedNameAndBonusByPieces)
{
    Record("Records/T/Set.dbr", "setName,tagSet,\nsetMembers,Records/T/A.dbr;RECORDS\\t\\b.dbr;Records/T/C.dbr,\n"
                                "characterStrength,0;6;12,\n");
    engine->LoadItemSet("Records/T/Set.dbr");
    ItemSet* set = engine->GetItemSet("records\\T\\SET.dbr");   // one set, whatever the spelling
    ASSERT_NE(set, nullptr);
    engine->LoadItemSet("RECORDS/T/Set.dbr");
    EXPECT_EQ(engine->GetItemSet("Records/T/Set.dbr"), set);

    Player* player = MakeMainPlayer();
    player->AddItemToSet("Records/T/Set.dbr", "Records/T/A.dbr");
    player->AddItemToSet("records\\t\\set.dbr", "Records/T/B.dbr");
    const std::vector<std::string> worn = player->GetItemsInSet("RECORDS/T/SET.DBR");
    ASSERT_EQ(worn.size(), 2u);

    std::vector<GameTextLine> lines, bonus;
    set->GetUIDisplayText(worn, lines);
    set->GetUIDisplayText(2, GameTextClass::ItemSetBonuses, bonus);
    ASSERT_FALSE(bonus.empty());
    ASSERT_EQ(lines.size(), 4 + bonus.size());
    EXPECT_EQ(lines[0].textClass, GameTextClass::ItemSetName);
    EXPECT_EQ(lines[1].textClass, GameTextClass::ItemSetComponentAvailable);
    EXPECT_EQ(lines[2].textClass, GameTextClass::ItemSetComponentAvailable);
    EXPECT_EQ(lines[3].textClass, GameTextClass::ItemSetComponentNotAvailable);
    EXPECT_EQ(lines[4].text, bonus[0].text);

    lines.clear();
    set->GetUIDisplayText({}, lines);
    EXPECT_EQ(lines.size(), 4u);   // no member worn: no bonus
    lines.clear();
    set->GetUIDisplayText({"records\\t\\other.dbr", "records\\t\\else.dbr"}, lines);
    EXPECT_EQ(lines.size(), 4u);   // names worn that are no members: no bonus either
}

TEST_F(ItemKindsTest, AugmentsCountOnlyNamedLevelsAndGrantSkillsWithALevel)
{
    Record("Records/T/Granted.dbr", "Class,Skill_Passive,\nskillMaxLevel,3,\n");
    LoadTable table("augments");
    const std::string text = "augmentSkillLevel1,2,\naugmentSkillName1,,\naugmentSkillLevel2,1,\n"
                             "augmentSkillName2,Records/Skills/Might.DBR,\naugmentAllLevel,-4,\n"
                             "itemSkillName,Records/T/Granted.dbr,\nitemSkillLevel,0,\n";
    table.Parse(text.data(), text.size(), "test");
    ItemSkillAugment augment;
    augment.Load(table);
    CostInfo_SkillAugment cost;
    augment.GetCostInfo(cost);
    ASSERT_EQ(augment.GetSkillAugments().size(), 1u);   // the empty name counts nothing
    EXPECT_EQ(augment.GetSkillAugments()[0].name, "records\\skills\\might.dbr");
    EXPECT_EQ(cost.augmentCount, 1u);
    EXPECT_EQ(cost.augmentLevel, 1u);
    EXPECT_EQ(augment.GetAllSkillsLevel(), 0u);   // a negative level reads as none
    augment.Load(table);   // each read appends
    EXPECT_EQ(augment.GetSkillAugments().size(), 2u);

    augment.CreateItemSkills();
    augment.CreateItemSkills();   // once only
    ASSERT_EQ(augment.GetGrantedSkills().size(), 2u);
    const Skill* granted = augment.GetGrantedSkills()[0].skill;
    ASSERT_NE(granted, nullptr);
    EXPECT_TRUE(granted->IsItemSkill());
    const uint32_t grantedId = granted->GetObjectId();

    Player* player = MakeMainPlayer();
    augment.ApplyToCharacter(*player);   // level 0: created, never added
    EXPECT_EQ(player->GetSkillManager().FindItemSkillId("Records/T/Granted.dbr"), 0u);

    ItemSkillAugment withLevel;
    Record("Records/T/Ring.dbr", "itemSkillName,Records/T/Granted.dbr,\nitemSkillLevel,2,\n");
    withLevel.Load("Records/T/Ring.dbr");
    withLevel.CreateItemSkills();
    withLevel.ApplyToCharacter(*player);
    EXPECT_NE(player->GetSkillManager().FindItemSkillId("Records/T/Granted.dbr"), 0u);
    std::vector<GameTextLine> lines;
    withLevel.CreateText(GameTextClass::ItemBonuses, lines);   // a blank, the heading, the skill
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].textClass, GameTextClass::ItemSkillHeading);
    EXPECT_EQ(lines[2].textClass, GameTextClass::ItemSkillName);

    augment.Clear();   // the granted skills go with the augment
    EXPECT_EQ(ObjectManager::Get().GetObject<Skill>(grantedId), nullptr);
}

TEST_F(ItemKindsTest, PotionStackLimitFullnessAndWholeStackCost)
{
    Record(kGameEngineRecordName, "potionStackLimit,0,\n");
    Record("Records/T/Potion.dbr", "Class,OneShot_PotionHealth,\nitemCost,20,\n");
    Record("Records/T/Potion10.dbr", "Class,OneShot_PotionMana,\nitemCost,20,\n");
    auto* broken = Create<OneShot_Potion>("Records/T/Potion.dbr");
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->GetStackLimit(), 1u);   // a limit below 1 is held at 1
    EXPECT_TRUE(broken->IsStackFull());

    RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, "");
    auto* potion = Create<OneShot_Potion>("Records/T/Potion10.dbr");
    ASSERT_NE(potion, nullptr);
    EXPECT_EQ(potion->GetItemClassification(), ItemClassification_Potion);
    potion->SetStackCount(9);
    EXPECT_TRUE(potion->IsStackFull());
    potion->SetStackCount(7);
    EXPECT_FALSE(potion->IsStackFull());
    EXPECT_EQ(potion->AddToStack(5), 10u);
    EXPECT_TRUE(potion->IsStackFull());
    potion->SetStackCount(2);
    EXPECT_EQ(potion->RemoveFromStack(3), 0u);

    potion->SetStackCount(3);   // a stack of four
    EXPECT_EQ(potion->GetItemCost(false), 20u);
    EXPECT_EQ(potion->GetItemCost(true), 80u);

    Player* player = MakeMainPlayer();
    potion->Use(*player);
    EXPECT_TRUE(engine->GetTutorialWatch().potionUsed);
    EXPECT_EQ(potion->GetNumberInStack(), 2u);
}

TEST_F(ItemKindsTest, GoldIsRebuiltFromVar1HeldSafelyAndOnlyTheLocalPlayerSendsIt)
{
    Record("Records/T/Gold.dbr", "Class,OneShot_Gold,\n");
    auto* gold = Create<OneShot_Gold>("Records/T/Gold.dbr", 250);
    ASSERT_NE(gold, nullptr);
    EXPECT_EQ(gold->GetGoldValue(), 250u);
    auto* huge = Create<OneShot_Gold>("Records/T/Gold.dbr", 4294967295u);   // becomes 4294967296.0f
    EXPECT_EQ(huge->GetGoldValue(), 4294967295u);
    EXPECT_EQ(huge->GetItemReplicaInfo().var1, 4294967295u);
    huge->SetGoldValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(huge->GetItemReplicaInfo().var1, 0u);
    huge->SetGoldValue(-3.0f);
    EXPECT_EQ(huge->GetGoldValue(), 0u);

    Player* player = MakeMainPlayer();
    auto* other = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
    StrictNetwork network;
    engine->InstallNetworkInterface(&network);
    EXPECT_CALL(network, HandleBonusToServer(_, _, kMainPlayerId)).Times(1);
    gold->Use(*other);   // not the local player: nothing sent
    gold->Use(*player);
}

TEST_F(ItemKindsTest, DyeTexturesAPlayerByGenderAndTrailRunsWhileSimulated)
{
    Record("Records/T/Dye.dbr", "Class,OneShot_Dye,\nmaleTexture,M.tex,\nfemaleTexture,F.tex,\n"
                                "trailEffect,Records/T/Trail.dbr,\n");
    Record("Records/T/Trail.dbr", "Class,EffectEntity,\n");
    auto* dye = Create<OneShot_Dye>("Records/T/Dye.dbr");
    ASSERT_NE(dye, nullptr);
    Player* player = MakeMainPlayer();
    player->SetGender(Character_Gender_Female);
    dye->Use(*player);
    EXPECT_EQ(player->GetPlayerTexture(), "F.tex");

    ASSERT_NE(dye->GetTrailEffect(), nullptr);
    PhysicsEngine::Get().SetEntityLinearVelocity(dye, Vec3{0, -1, 0});
    dye->UpdateSelf(10);
    EXPECT_TRUE(dye->GetTrailEffect()->IsEmitting());
    PhysicsEngine::Get().RemoveFromSimulation(dye);
    dye->UpdateSelf(10);
    EXPECT_FALSE(dye->GetTrailEffect()->IsEmitting());
    EXPECT_TRUE(dye->HasTrailJustStopped());
    dye->UpdateSelf(10);
    EXPECT_FALSE(dye->HasTrailJustStopped());
}


TEST_F(ItemKindsTest, BundledOneShotsMakeTheirKindsAndTheBundledSetListsItsMembers)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    const std::pair<const char*, const char*> kinds[] = {
        {"HealthPotion", "OneShot_PotionHealth"}, {"ManaPotion", "OneShot_PotionMana"}, {"Gold", "OneShot_Gold"},
        {"Sack", "OneShot_Sack"}, {"Dye", "OneShot_Dye"}, {"InstantReward", "OneShot_InstantReward"}};
    for (const auto& [record, kind] : kinds) {
        const OneShot* item = Create<OneShot>(std::string("Records/Item/OneShot/") + record + ".dbr");
        ASSERT_NE(item, nullptr) << record;
        EXPECT_STREQ(item->GetClassInfo().GetName(), kind);
    }
    const std::string setName = "Records/Item/Sets/WardenSet.dbr";
    engine->LoadItemSet(setName);
    const ItemSet* set = engine->GetItemSet(setName);
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->GetMembers().size(), 3u);
    for (const ItemSet::Member& member : set->GetMembers()) {
        const LoadTable& record = ObjectManager::Get().GetRecordOrEmpty(member.recordName);
        EXPECT_TRUE(PathEqualsNoCase(record.GetString("itemSetName", ""), setName.c_str())) << member.recordName;
    }
}

}  // namespace
}  // namespace GAME
