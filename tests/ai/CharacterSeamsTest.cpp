// What a character owns of other subsystems: its inventory, loot lists, effect paks and
// effect book and props.
#include <gtest/gtest.h>

#include <climits>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/Inventory.h"
#include "Game/items/LootLoader.h"
#include "Game/world/CharFxPak.h"
#include "Game/world/EffectEntity.h"
#include "Game/world/PFxManager.h"
#include "Game/world/Prop.h"

using namespace GAME;

namespace {

class FixedRandom : public RandomUniform {
public:
    int IGenerate(int, int) override { return value; }
    int value = 0;
};

class CharacterSeamsTest : public ::testing::Test {
protected:
    CharacterSeamsTest()
    {
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Items/Sword.dbr", "Class,Item,\n");
        records.RegisterRecord("Records/Sounds/Ping.dbr", "Class,SoundPak,\n");
        records.RegisterRecord("Records/Fx/Spark.dbr", "Class,EffectEntity,\n");
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }

    static uint32_t Make(const char* record)
    {
        return ObjectManager::Get().CreateObjectFromFile(record)->GetObjectId();
    }
    static bool Exists(uint32_t id) { return ObjectManager::Get().GetObject(id) != nullptr; }
};

}  // namespace

TEST_F(CharacterSeamsTest, InventoryListsAnnouncesAndDestroysItsItems)
{
    EventCapture events;
    events.Keep<GameEvent_ItemAdd>("GameEvent_ItemAdd");
    const uint32_t sword = Make("Records/Items/Sword.dbr");
    const uint32_t second = Make("Records/Items/Sword.dbr");
    const uint32_t sound = Make("Records/Sounds/Ping.dbr");
    {
        Inventory inventory;
        inventory.SetOwner(42);
        inventory.AddItemToInventory(0, true);
        inventory.AddItemToInventory(sword, true);
        inventory.AddItemToInventory(sword, false);
        inventory.AddItemToInventory(second, false);
        ASSERT_EQ(inventory.GetInventoryItems(), (std::vector<uint32_t>{sword, second}));
        const auto sent = events.Kept<GameEvent_ItemAdd>("GameEvent_ItemAdd");
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0].ownerId, 42u);
        EXPECT_EQ(sent[0].itemId, sword);
        EXPECT_TRUE(sent[0].flag);
        EXPECT_FALSE(sent[1].flag);

        EXPECT_TRUE(inventory.IsItemInInventory(second));
        EXPECT_TRUE(inventory.IsItemInInventory(std::string("records\\ITEMS\\sword.dbr")));
        inventory.RemoveItemFromInventory(sword);
        EXPECT_FALSE(inventory.IsItemInInventory(sword));
        EXPECT_EQ(inventory.PopInventoryItem(), second);
        EXPECT_EQ(inventory.PopInventoryItem(), 0u);

        // The walk by name stops at the first id that is no item.
        inventory.AddItemToInventory(sound, true);
        inventory.AddItemToInventory(second, true);
        EXPECT_FALSE(inventory.IsItemInInventory(std::string("Records/Items/Sword.dbr")));

        inventory.DestroyAllObjects();
        EXPECT_TRUE(inventory.GetInventoryItems().empty());
        EXPECT_FALSE(Exists(sound));
        EXPECT_FALSE(Exists(second));
        EXPECT_TRUE(Exists(sword));
        inventory.AddItemToInventory(sword, true);
    }
    EXPECT_FALSE(Exists(sword));   // the inventory's destruction destroys what it lists
}

TEST_F(CharacterSeamsTest, LootListReadsWeightedNamesAndDrawsByWeight)
{
    LoadTable table("Loot");
    table.SetValue("chanceToEquipHeadItem1", "10");
    table.SetValue("lootHeadItem1", "a;b");
    table.SetValue("chanceToEquipHeadItem2", "30");
    table.SetValue("lootHeadItem2", "c;d");
    table.SetValue("chanceToEquipHeadItem3", "0");
    table.SetValue("lootHeadItem3", "e;f");
    table.SetValue("chanceToEquipHeadItem4", "5");   // no name at index 1
    table.SetValue("lootHeadItem4", "g");
    LootLoader loader;
    loader.Load(table, LootLoader::Head, 6, 1);
    ASSERT_EQ(loader.GetEntries().size(), 2u);
    EXPECT_EQ(loader.GetTotalWeight(), 40u);

    FixedRandom random;
    const struct {
        int roll;
        const char* name;
    } draws[] = {{0, "b"}, {10, "b"}, {11, "d"}, {40, "d"}};
    for (const auto& draw : draws) {
        std::string base = "kept", prefix, suffix;
        random.value = draw.roll;
        loader.GetLootName(base, prefix, suffix, random);
        EXPECT_EQ(base, draw.name) << draw.roll;
    }
    loader.Load(table, LootLoader::Head, 7, 1);   // more than six: nothing read
    EXPECT_EQ(loader.GetTotalWeight(), 40u);

    // Weights past the signed range of the draw leave the list empty, with one log line.
    table.SetValue("chanceToEquipHeadItem1", "2000000000");
    table.SetValue("chanceToEquipHeadItem2", "2000000000");
    table.SetValue("chanceToEquipHeadItem4", "2000000000");
    LogCapture log;
    loader.Load(table, LootLoader::Head, 6, 0);
    EXPECT_EQ(loader.GetTotalWeight(), 0u);
    EXPECT_TRUE(loader.GetEntries().empty());
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(CharacterSeamsTest, CharFxPakLoadsInitialisesAndSwitchesWithItsCharacter)
{
    RecordDatabase::Get().RegisterRecord("Records/Fx/Burn.dbr",
                                         "particleEffectNames,Records/Fx/Spark.dbr;Records/Fx/Spark.dbr,\n"
                                         "particleEffectAttachPoints,hand,\n"
                                         "useTintColor,1,\ncolorRed,0.5,\n"
                                         "startSound,Records/Sounds/Ping.dbr,\nstopSound,Records/Sounds/Ping.dbr,\n"
                                         "activeSound,Records/Items/Sword.dbr,\n");
    const size_t before = ObjectManager::Get().GetObjectCount();
    auto pak = std::make_unique<CharFxPak>();
    pak->LoadFromDatabase("");
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before);
    pak->LoadFromDatabase("Records/Fx/Burn.dbr");
    EXPECT_EQ(pak->GetParticleEffectNames().size(), 2u);
    EXPECT_TRUE(pak->UsesTintColor());
    EXPECT_EQ(pak->GetTintColor(), (std::array<float, 4>{0.5f, 0.0f, 0.0f, 1.0f}));
    ASSERT_NE(pak->GetStartSound(), nullptr);
    EXPECT_EQ(pak->GetActiveSound(), nullptr);   // an item record is no sound

    // Without its character the pak neither starts nor stops.
    pak->Enable(true);
    EXPECT_FALSE(pak->IsStarted());

    auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
    pak->SetParent(character->GetObjectId());
    pak->PreLoad();
    pak->InitializeFxPak();
    pak->Enable(true);
    pak->Enable(true);
    EXPECT_TRUE(pak->IsStarted());
    EXPECT_EQ(pak->GetStartSound()->GetPlayCount(), 1u);
    pak->Enable(false);
    EXPECT_FALSE(pak->IsStarted());
    EXPECT_EQ(pak->GetStopSound()->GetPlayCount(), 1u);

    pak->LoadFromDatabase("Records/Fx/Burn.dbr");   // loaded again: the earlier sounds go
    pak.reset();
    ObjectManager::Get().FlushDestroyedObjects();
    // The character, and the two effects the pak made on it, which the character's book keeps.
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before + 3);
}

TEST_F(CharacterSeamsTest, EffectBookStartsStopsAndRemovesOnceParticlesAreGone)
{
    auto* actor = DynamicCast<Actor>(ObjectManager::Get().CreateObject("Actor"));
    const size_t before = ObjectManager::Get().GetObjectCount();
    {
        PFxManager effects;
        effects.AttachActor(actor);
        EXPECT_EQ(effects.AddParticleEffect("", "hand"), 0u);
        EXPECT_EQ(effects.AddParticleEffect("Records/Sounds/Ping.dbr", "hand"), 0u);   // no effect entity
        EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before);

        uint32_t id = effects.AddParticleEffect("Records/Fx/Spark.dbr", "hand");
        ASSERT_NE(id, 0u);
        const uint32_t kept = id;
        effects.StartParticleEffect(id);
        EXPECT_TRUE(ObjectManager::Get().GetObject<EffectEntity>(id)->IsEmitting());
        EXPECT_TRUE(effects.FindParticleEffect(id)->isAttached);

        effects.RemoveParticleEffect(id);
        EXPECT_EQ(id, 0u);
        ASSERT_NE(effects.FindParticleEffect(kept), nullptr);
        EXPECT_TRUE(effects.FindParticleEffect(kept)->isRemoved);
        effects.StartParticleEffect(kept);   // a removed entry does not start again
        EXPECT_FALSE(ObjectManager::Get().GetObject<EffectEntity>(kept)->IsEmitting());
        effects.Update(16);
        EXPECT_EQ(effects.FindParticleEffect(kept), nullptr);
        EXPECT_FALSE(Exists(kept));

        effects.AddParticleEffect("Records/Fx/Spark.dbr", "");
        LogCapture log;
        effects.OneShotParticleEffect("Records/Fx/Spark.dbr", "hand");   // the actor stands nowhere
        EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before + 1);
    }
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before);   // the book's effects go with it
}

TEST_F(CharacterSeamsTest, PropReadsItsRecordAndGivesItsSoundBack)
{
    GraphicsEngine::Get()->RegisterAnimation("Burn", "length,10,\n");
    RecordDatabase::Get().RegisterRecord("Records/Props/Torch.dbr",
                                         "Class,Prop,\npropAnimation,Burn,\npropAnimationSpeed,2.0,\n"
                                         "animationSound,Records/Sounds/Ping.dbr,\npropAttachPoint,hand,\n");
    const size_t before = ObjectManager::Get().GetObjectCount();
    auto* prop = ObjectManager::Get().CreateObjectFromFile<Prop>("Records/Props/Torch.dbr");
    ASSERT_NE(prop, nullptr);
    EXPECT_EQ(prop->GetAttachPoint(), "hand");
    ASSERT_NE(prop->GetAnimation(), nullptr);
    EXPECT_EQ(prop->GetAnimation()->GetName(), "Burn");
    EXPECT_EQ(prop->GetAnimationSpeed(), 2.0f);
    ASSERT_NE(prop->GetAnimationSound(), nullptr);
    ObjectManager::Get().DestroyObjectEx(prop, __FILE__, __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before);
}
