// Quest actions that wait for their target: they apply once the target is reported, once
// only, whatever spelling names its record; doors re-fired after a load by role.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CharacterWorldFixture.h"
#include "Engine/EventManager.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Item.h"
#include "Game/quests/QuestConditions.h"
#include "Game/quests/QuestNetMsg.h"
#include "Game/quests/QuestTargetedActions.h"
#include "Game/world/FixedItemDoor.h"
#include "Game/world/Proxy.h"

namespace GAME {

namespace {

// Writes down the state changes its commands make.
class RecordingDoor : public FixedItemDoorBase {
    GAME_DECLARE_CLASS(RecordingDoor)

public:
    void SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool withEffects) override
    {
        changes.push_back(std::to_string(state) + (withEffects ? "+effects" : ""));
        FixedItemDoorBase::SetFixedItemState(state, actorId, instant, withEffects);
    }
    std::vector<std::string> changes;
};
GAME_IMPLEMENT_CLASS(RecordingDoor, FixedItemDoorBase)

// Counts the items made of its class.
class CountedItem : public Item {
    GAME_DECLARE_CLASS(CountedItem)

public:
    CountedItem() { ++made; }
    static inline int made = 0;
};
GAME_IMPLEMENT_CLASS(CountedItem, Item)

class QuestTargetedActionsTest : public CharacterWorldTest {
protected:
    static constexpr const char* kVillager = "Records/Test/Villager.dbr";
};

TEST_F(QuestTargetedActionsTest, AHiddenCharacterIsHiddenWhenReportedAndOnlyTheFirstOfItsRecord)
{
    RecordDatabase::Get().RegisterRecord(kVillager, "Class,Npc,\ncharacterLife,100,\n");
    for (const char* spelling : {"Records/Test/Villager.dbr", "RECORDS\\test\\villager.DBR"}) {
        Action_HideNpc hide(1, nullptr);
        hide.SetTargetRecord(spelling);
        hide.Fire(0, false);
        EXPECT_TRUE(hide.IsPendingFire());

        Npc* first = Place(ObjectManager::Get().CreateObjectFromFile<Npc>(kVillager));
        Frame();
        EXPECT_FALSE(first->GetVisibility()) << spelling;
        EXPECT_FALSE(hide.IsPendingFire());

        Npc* second = Place(ObjectManager::Get().CreateObjectFromFile<Npc>(kVillager), 3.0f);
        Frame();
        EXPECT_TRUE(second->GetVisibility()) << spelling;
        ObjectManager::Get().DestroyObjectEx(first, "test", __LINE__);
        ObjectManager::Get().DestroyObjectEx(second, "test", __LINE__);
        Frame();
    }
}

TEST_F(QuestTargetedActionsTest, ADoorReFiredOpensOnlyOnTheServerAndWithoutItsEffect)
{
    constexpr const char* kDoor = "Records/Test/Door.dbr";
    RecordDatabase::Get().RegisterRecord(kDoor, "Class,RecordingDoor,\n");
    auto* door = ObjectManager::Get().CreateObjectFromFile<RecordingDoor>(kDoor);
    ASSERT_NE(door, nullptr);
    ASSERT_TRUE(World::Get().AddEntity(door, WorldCoords(region, Coords())));
    Frame();

    struct Case {
        bool open;
        bool client;
        bool reFire;
        const char* change;
    };
    // A re-fired close runs on a client too.
    for (const Case& c : {Case{true, true, true, ""}, Case{true, false, true, "11"}, Case{true, false, false, "11+effects"},
                          Case{false, true, true, "9"}}) {
        if (c.client)
            engine->SetAsNetworkClient();
        else
            engine->SetAsNetworkServer();
        Action_OpenDoor open(1, nullptr);
        Action_CloseDoor close(2, nullptr);
        DoorAction& action = c.open ? static_cast<DoorAction&>(open) : close;
        action.SetTargetRecord("records\\TEST\\door.dbr");
        GameEvent_FixedItemSpawn spawned;
        spawned.objectName = kDoor;
        spawned.objectId = door->GetObjectId();
        EventManager::Get().Send(spawned, "GameEvent_FixedItemSpawn");
        door->changes.clear();
        action.Fire(0, c.reFire);
        engine->SetAsNetworkStub();
        Frame();
        EXPECT_EQ(door->changes, c.change[0] ? std::vector<std::string>{c.change} : std::vector<std::string>{})
            << c.client << c.reFire;
    }
}

// A proxy's first update reaches each action that keeps a target list once: alone from the
// update itself, as a client from the server's message; an item drop acts once per monster.
TEST_F(QuestTargetedActionsTest, AProxysMonstersAreTargetedOncePerMonster)
{
    constexpr const char* kDen = "Records/Test/Den.dbr";
    RecordDatabase::Get().RegisterRecord("Records/Test/Beast.dbr", "Class,Monster,\ncharacterLife,100,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Pool.dbr",
                                         "spawnMin,2,\nspawnMax,2,\nname1,Records/Test/Beast.dbr,\n");
    RecordDatabase::Get().RegisterRecord(kDen, "Class,Proxy,\npool1,Records/Test/Pool.dbr,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Coin.dbr", "Class,CountedItem,\n");
    QuestRepository* quests = QuestRepository::Get();
    for (bool client : {false, true}) {
        SCOPED_TRACE(client ? "client" : "alone");
        quests->Reset();
        Action_DropItemFromNpc drop(1, nullptr);
        drop.SetNpc(kDen);
        drop.SetItemNormal("Records/Test/Coin.dbr");
        Action_KillCreature kill(2, nullptr);
        kill.SetCreatureRecord(kDen);
        Action_SetCharacterInvincible invincible(3, nullptr);
        invincible.SetNpc(kDen);
        Action_FireSkill skill(4, nullptr);
        skill.SetTarget(kDen);
        // A condition waiting for an animation of the proxy's monsters tracks them too.
        Condition_AnimationCompleted animated(5, nullptr);
        animated.SetCharacterRecord(kDen);
        quests->AddGenericEntityInitialUpdate(kDen, &animated);

        Proxy* den = Place(ObjectManager::Get().CreateObjectFromFile<Proxy>(kDen));
        std::vector<uint32_t> monsters;
        den->GetPrimaryObjects(monsters);
        ASSERT_EQ(monsters.size(), 2u);
        if (client)   // a client makes no monsters of its own: the server names them
            engine->SetAsNetworkClient();
        Frame();
        if (client) {
            QuestNetMsg_ProxySpawn message;
            message.sender = 0x10000001;
            message.recordIndex = QuestRepository::StringToNetworkIndex(kDen);
            message.primaryObjects = monsters;
            std::vector<uint32_t> words;
            message.Write(words);
            quests->RecvNetMsg(words);
        }
        for (const TargetedQuestAction* action : std::initializer_list<const TargetedQuestAction*>{&drop, &kill, &invincible, &skill})
            EXPECT_EQ(action->GetTargets(), monsters) << action->GetName();
        CountedItem::made = 0;
        drop.Fire(0, false);
        EXPECT_EQ(CountedItem::made, 2);
        GameEvent_AnimationCompleted completed;
        completed.objectName = "Records/Test/Beast.dbr";
        EventManager::Get().Send(completed, "GameEvent_AnimationCompleted");
        EXPECT_TRUE(animated.GetSatisfied());
        engine->SetAsNetworkStub();
        ObjectManager::Get().DestroyObjectEx(den, "test", __LINE__);
        Frame();
    }
    quests->Reset();
}

}  // namespace

}  // namespace GAME
