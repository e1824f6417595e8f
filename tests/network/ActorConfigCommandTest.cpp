// The game's actor commands run through the engine's queue on characters and items.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Player.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/network/ActorConfigCommands.h"

namespace GAME {
namespace {

class ActorConfigCommandTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().RegisterRecord("Records/Test/Levels.dbr", "lifeIncrement,40,\nstrengthIncrement,4,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Hero.dbr",
                                             "Class,Character,\nlevelFileName,Records/Test/Levels.dbr,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Amulet.dbr",
                                             "Class,ItemEquipment,\ncannotPickUpMultiple,1,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Ring.dbr", "Class,ItemEquipment,\n");
    }
    Item* MakeItem(const char* record)
    {
        ItemReplicaInfo info;
        info.baseName = record;
        return Item::CreateItem(info);
    }
    // Queues the command on its actor and runs the queue.
    static void Run(Actor& actor, ActorConfigCommand* command)
    {
        actor.Enqueue(command);
        EXPECT_EQ(gEngine->RunActorCommands(), 1);
    }
};

TEST_F(ActorConfigCommandTest, AnAmountOfZeroSpendsAPointAnyOtherIsAddedAsItStands)
{
    auto* hero = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Hero.dbr");
    ASSERT_NE(hero, nullptr);
    const uint32_t id = hero->GetObjectId();
    hero->GetLevelControl().SetModifierPoints(1);
    const float life = hero->GetCharacterBio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Life);

    Run(*hero, new IncrementBaseLifeConfigCmd(id));
    EXPECT_EQ(hero->GetCharacterBio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Life), life + 40.0f);
    EXPECT_EQ(hero->GetLevelControl().GetModifierPoints(), 0u);
    // No point left: nothing is added.
    Run(*hero, new IncrementBaseLifeConfigCmd(id, 0));
    EXPECT_EQ(hero->GetCharacterBio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Life), life + 40.0f);
    Run(*hero, new IncrementBaseLifeConfigCmd(id, 5));
    EXPECT_EQ(hero->GetCharacterBio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Life), life + 45.0f);

    hero->GetLevelControl().SetModifierPoints(2);
    const float strength = hero->GetCharacterBio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Strength);
    Run(*hero, new IncrementBaseStrengthConfigCmd(id));
    EXPECT_EQ(hero->GetCharacterBio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Strength), strength + 4.0f);
    EXPECT_EQ(hero->GetLevelControl().GetModifierPoints(), 1u);
}

TEST_F(ActorConfigCommandTest, APickUpAskedForIsAnsweredEvenWhenRefused)
{
    Player* player = MakeMainPlayer();
    Item* worn = MakeItem("Records/Test/Amulet.dbr");
    player->GetInventory().AddItemToInventory(worn->GetObjectId(), false);

    // One of that record held already, and the record forbids several: refused.
    Item* second = MakeItem("Records/Test/Amulet.dbr");
    second->SetPickupOk(false);
    Run(*player, new CharPickUpConfigCmd(player->GetObjectId(), second->GetObjectId()));
    EXPECT_FALSE(player->GetInventory().IsItemInInventory(second->GetObjectId()));
    EXPECT_TRUE(second->IsPickupOk());

    Item* ring = MakeItem("Records/Test/Ring.dbr");
    Run(*player, new CharPickUpConfigCmd(player->GetObjectId(), ring->GetObjectId()));
    EXPECT_TRUE(player->GetInventory().IsItemInInventory(ring->GetObjectId()));

    // A character that is not a player picks nothing up, and is answered all the same.
    auto* hero = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Hero.dbr");
    Item* loose = MakeItem("Records/Test/Ring.dbr");
    loose->SetPickupOk(false);
    Run(*hero, new CharPickUpConfigCmd(hero->GetObjectId(), loose->GetObjectId()));
    EXPECT_FALSE(hero->HasItem(loose->GetObjectId()));
    EXPECT_TRUE(loose->IsPickupOk());
}

TEST_F(ActorConfigCommandTest, CommandsApplyToTheirActorAndNothingWhenItIsGone)
{
    auto* hero = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Hero.dbr");
    Run(*hero, new SetInvincibleConfigCmd(hero->GetObjectId(), true));
    EXPECT_TRUE(hero->IsInvincible());
    // A command whose actor is gone does nothing.
    Run(*hero, new SetInvincibleConfigCmd(0x0EEEEEEE, false));
    EXPECT_TRUE(hero->IsInvincible());
}

}  // namespace
}  // namespace GAME
