// The game's actor commands run through the engine's queue on characters and items.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Player.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

// A fixed item and a strategic movement point that note what their commands ask of them.
class NotingFixedItem : public FixedItem {
    GAME_DECLARE_CLASS(NotingFixedItem)
public:
    void SetFixedItemState(FixedItem_State s, uint32_t actor, bool instant, bool withEffects) override
    {
        notes.push_back("state " + std::to_string(s) + " by " + std::to_string(actor) + (instant ? " instant" : "") +
                        (withEffects ? " with effects" : ""));
    }
    void UseSkillOnTargets(uint32_t actor, const std::vector<uint32_t>& targets) override
    {
        notes.push_back("skill by " + std::to_string(actor) + " on " + std::to_string(targets.size()));
    }
    std::vector<std::string> notes;
};
GAME_IMPLEMENT_CLASS(NotingFixedItem, FixedItem)

class NotingMarker : public StrategicMovementBase {
    GAME_DECLARE_CLASS(NotingMarker)
public:
    void HandleTargets(const std::vector<uint32_t>& targets) override { handled = targets; }
    std::vector<uint32_t> handled;
};
GAME_IMPLEMENT_CLASS(NotingMarker, StrategicMovementBase)

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

// A character's removal destroys only an item it holds; any other object a peer names stays.
TEST_F(ActorConfigCommandTest, RemovingAnItemDestroysOnlyOneTheCharacterHolds)
{
    auto* hero = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Hero.dbr");
    ASSERT_NE(hero, nullptr);
    Item* held = MakeItem("Records/Test/Ring.dbr");
    Item* other = MakeItem("Records/Test/Ring.dbr");
    ASSERT_TRUE(held && other);
    const uint32_t heldId = held->GetObjectId();
    const uint32_t otherId = other->GetObjectId();
    hero->GetInventory().AddItemToInventory(heldId, false);
    Run(*hero, new RemoveInventoryItemConfigCmd(hero->GetObjectId(), otherId));
    Run(*hero, new RemoveInventoryItemConfigCmd(hero->GetObjectId(), hero->GetObjectId()));
    EXPECT_NE(ObjectManager::Get().GetObject(otherId), nullptr);
    EXPECT_NE(ObjectManager::Get().GetObject(hero->GetObjectId()), nullptr);
    Run(*hero, new RemoveInventoryItemConfigCmd(hero->GetObjectId(), heldId));
    EXPECT_EQ(ObjectManager::Get().GetObject(heldId), nullptr);
    EXPECT_FALSE(hero->HasItem(heldId));
}

TEST_F(ActorConfigCommandTest, AnAmountOfZeroSpendsAPointAnyOtherIsAddedAsItStands)
{
    auto* hero = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Hero.dbr");
    ASSERT_NE(hero, nullptr);
    const uint32_t id = hero->GetObjectId();
    auto base = [&](CharAttributeType type) { return hero->GetCharacterBio().GetBaseAttrStore().GetBaseValue(type); };
    const float life = base(CharAttributeType_Life);
    const float strength = base(CharAttributeType_Strength);
    hero->GetLevelControl().SetModifierPoints(2);

    Run(*hero, new IncrementBaseLifeConfigCmd(id));
    EXPECT_EQ(base(CharAttributeType_Life), life + 40.0f);
    Run(*hero, new IncrementBaseStrengthConfigCmd(id));
    EXPECT_EQ(base(CharAttributeType_Strength), strength + 4.0f);
    EXPECT_EQ(hero->GetLevelControl().GetModifierPoints(), 0u);
    Run(*hero, new IncrementBaseLifeConfigCmd(id, 0));   // no point left: nothing is added
    EXPECT_EQ(base(CharAttributeType_Life), life + 40.0f);
    Run(*hero, new IncrementBaseLifeConfigCmd(id, 5));
    EXPECT_EQ(base(CharAttributeType_Life), life + 45.0f);

    Run(*hero, new SetInvincibleConfigCmd(id, true));
    EXPECT_TRUE(hero->IsInvincible());
    Run(*hero, new SetInvincibleConfigCmd(0x0EEEEEEE, false));   // its actor is gone: nothing
    EXPECT_TRUE(hero->IsInvincible());
}

TEST_F(ActorConfigCommandTest, APickUpAskedForIsAnsweredEvenWhenRefused)
{
    Player* player = MakeMainPlayer();
    auto* hero = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Hero.dbr");
    Item* worn = MakeItem("Records/Test/Amulet.dbr");
    Item* second = MakeItem("Records/Test/Amulet.dbr");
    Item* ring = MakeItem("Records/Test/Ring.dbr");
    Item* loose = MakeItem("Records/Test/Ring.dbr");
    player->GetInventory().AddItemToInventory(worn->GetObjectId(), false);
    Region* region = World::Get().AddRegion(1, "R");
    for (Item* item : {second, ring, loose})
        ASSERT_TRUE(World::Get().AddEntity(item, WorldCoords(region, Coords())));
    // One of that record held already, and the record forbids several: refused.
    second->SetPickupOk(false);
    Run(*player, new CharPickUpConfigCmd(player->GetObjectId(), second->GetObjectId()));
    EXPECT_FALSE(player->GetInventory().IsItemInInventory(second->GetObjectId()));
    EXPECT_TRUE(second->IsPickupOk());
    Run(*player, new CharPickUpConfigCmd(player->GetObjectId(), ring->GetObjectId()));
    EXPECT_TRUE(player->GetInventory().IsItemInInventory(ring->GetObjectId()));
    EXPECT_FALSE(ring->IsInWorld());
    // An item held already (another player took it first, or a peer names it from a bag)
    // is not taken again.
    Player* other = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
    ASSERT_TRUE(other);
    Run(*other, new CharPickUpConfigCmd(other->GetObjectId(), ring->GetObjectId()));
    EXPECT_FALSE(other->HasItem(ring->GetObjectId()));
    Run(*other, new CharPickUpConfigCmd(other->GetObjectId(), worn->GetObjectId()));
    EXPECT_FALSE(other->HasItem(worn->GetObjectId()));
    EXPECT_TRUE(player->HasItem(ring->GetObjectId()) && player->HasItem(worn->GetObjectId()));
    // A character that is not a player picks nothing up, and is answered all the same.
    loose->SetPickupOk(false);
    Run(*hero, new CharPickUpConfigCmd(hero->GetObjectId(), loose->GetObjectId()));
    EXPECT_FALSE(hero->HasItem(loose->GetObjectId()));
    EXPECT_TRUE(loose->IsPickupOk());
}

// A client's command may not drop, wear or set a relic into an item another player holds, nor
// name one that lies nowhere loose.
TEST_F(ActorConfigCommandTest, AClientsItemCommandNamingAnotherPlayersItemIsRefused)
{
    Player* player = MakeMainPlayer();
    auto* thief = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", 0x10000005));
    ASSERT_TRUE(thief);
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({player->GetObjectId(), thief->GetObjectId()}));
    Item* held = MakeItem("Records/Test/Ring.dbr");
    Item* own = MakeItem("Records/Test/Ring.dbr");
    Item* loose = MakeItem("Records/Test/Ring.dbr");
    player->GetInventory().AddItemToInventory(held->GetObjectId(), false);
    thief->GetInventory().AddItemToInventory(own->GetObjectId(), false);
    const uint32_t id = thief->GetObjectId();
    const auto refused = [](const ActorConfigCommand& command) { return RefuseClientItemCommand(command) != nullptr; };

    EXPECT_TRUE(refused(DropItemConfigCmd(id, held->GetObjectId(), 0, 0)));
    EXPECT_TRUE(refused(AttachItemConfigCmd(id, held->GetObjectId(), EquipLocation_RightHand)));
    EXPECT_TRUE(refused(DropItemFromEquipLocationConfigCmd(id, held->GetObjectId(), EquipLocation_RightHand, true)));
    EXPECT_TRUE(refused(UseRelicConfigCmd(id, own->GetObjectId(), held->GetObjectId())));
    EXPECT_TRUE(refused(UseRelicConfigCmd(id, held->GetObjectId(), own->GetObjectId())));
    EXPECT_TRUE(refused(CharPickUpConfigCmd(id, held->GetObjectId())));
    // Its own items, one lying loose beside it, and the holder's own commands pass.
    Region* region = World::Get().AddRegion(1, "R");
    ASSERT_TRUE(World::Get().AddEntity(thief, WorldCoords(region, Coords())));
    EXPECT_TRUE(refused(AttachItemConfigCmd(id, loose->GetObjectId(), EquipLocation_RightHand)));   // lies nowhere
    ASSERT_TRUE(World::Get().AddEntity(loose, WorldCoords(region, Coords::MakeTranslation(Vec3(1, 0, 0)))));
    EXPECT_FALSE(refused(DropItemConfigCmd(id, own->GetObjectId(), 0, 0)));
    EXPECT_FALSE(refused(AttachItemConfigCmd(id, loose->GetObjectId(), EquipLocation_RightHand)));
    EXPECT_FALSE(refused(CharPickUpConfigCmd(id, loose->GetObjectId())));
    EXPECT_FALSE(refused(DropItemConfigCmd(player->GetObjectId(), held->GetObjectId(), 0, 0)));
}

TEST_F(ActorConfigCommandTest, WorldObjectCommandsReachTheirFixedItemOrPoint)
{
    auto* chest = static_cast<NotingFixedItem*>(ObjectManager::Get().CreateObject("NotingFixedItem"));
    auto* shrine = static_cast<FixedItem*>(ObjectManager::Get().CreateObject("FixedItem"));
    auto* marker = static_cast<NotingMarker*>(ObjectManager::Get().CreateObject("NotingMarker"));
    ASSERT_TRUE(chest && shrine && marker);
    const uint32_t id = chest->GetObjectId();
    Run(*chest, new FixedItemStateChangeConfigCmd(id, FixedItemState_Open, 7, true));
    Run(*chest, new FixedItemSkillTargetConfigCmd(id, 7, {1, 2, 3}));
    // An actor that is no fixed item takes nothing.
    Player* player = MakeMainPlayer();
    Run(*chest, new FixedItemStateChangeConfigCmd(player->GetObjectId(), FixedItemState_Closed, 7, false));
    EXPECT_EQ(chest->notes, (std::vector<std::string>{"state 2 by 7 with effects", "skill by 7 on 3"}));

    // A plain fixed item announces a player's use, and nobody else's.
    std::vector<uint32_t> announced;
    auto previous = EventManager::Get().SetSendObserver([&](const GameEvent& event, const Name& name) {
        if (name == Name("GameEvent_FixedItemUse")) {
            const auto& use = static_cast<const GameEvent_FixedItemUse&>(event);
            EXPECT_EQ(use.objectName, shrine->GetObjectName());
            announced.insert(announced.end(), {use.actorId, use.objectId});
        }
    });
    Run(*shrine, new FixedItemTargetConfigCmd(shrine->GetObjectId(), id, {}));
    Run(*shrine, new FixedItemTargetConfigCmd(shrine->GetObjectId(), player->GetObjectId(), {player->GetObjectId()}));
    // The base ignores a state it does not know, and has no skill.
    Run(*shrine, new FixedItemStateChangeConfigCmd(shrine->GetObjectId(), static_cast<FixedItem_State>(127), 0, true));
    Run(*shrine, new FixedItemSkillTargetConfigCmd(shrine->GetObjectId(), player->GetObjectId(), {1}));
    EventManager::Get().SetSendObserver(previous);
    EXPECT_EQ(announced, (std::vector<uint32_t>{player->GetObjectId(), shrine->GetObjectId()}));

    // Copies carry every member, the list and the replication flag included.
    StrategicMovementTargetConfigCmd sent(marker->GetObjectId(), {4, 9});
    StrategicMovementTargetConfigCmd assigned(id, {1});
    assigned = sent;
    EXPECT_TRUE(assigned.IsReplicated());
    StrategicMovementTargetConfigCmd(assigned).Execute();
    EXPECT_EQ(marker->handled, (std::vector<uint32_t>{4, 9}));
    StrategicMovementTargetConfigCmd(id, {1}).Execute();   // a fixed item is no such point
    EXPECT_EQ(marker->handled, (std::vector<uint32_t>{4, 9}));
}

}  // namespace
}  // namespace GAME
