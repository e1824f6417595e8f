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
#include "Game/quests/QuestTargetedActions.h"
#include "Game/world/FixedItem.h"

namespace GAME {

namespace {

// Writes down the state changes its commands make.
class RecordingDoor : public FixedItem {
    GAME_DECLARE_CLASS(RecordingDoor)

public:
    void SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool withEffects) override
    {
        changes.push_back(std::to_string(state) + (withEffects ? "+effects" : ""));
        FixedItem::SetFixedItemState(state, actorId, instant, withEffects);
    }
    std::vector<std::string> changes;
};
GAME_IMPLEMENT_CLASS(RecordingDoor, FixedItem)

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
        bool client;
        bool reFire;
        const char* change;
    };
    for (const Case& c : {Case{true, true, ""}, Case{false, true, "11"}, Case{false, false, "11+effects"}}) {
        if (c.client)
            engine->SetAsNetworkClient();
        else
            engine->SetAsNetworkServer();
        Action_OpenDoor open(1, nullptr);
        open.SetTargetRecord("records\\TEST\\door.dbr");
        GameEvent_FixedItemSpawn spawned;
        spawned.objectName = kDoor;
        spawned.objectId = door->GetObjectId();
        EventManager::Get().Send(spawned, "GameEvent_FixedItemSpawn");
        door->changes.clear();
        open.Fire(0, c.reFire);
        engine->SetAsNetworkStub();
        Frame();
        EXPECT_EQ(door->changes, c.change[0] ? std::vector<std::string>{c.change} : std::vector<std::string>{})
            << c.client << c.reFire;
    }
}

}  // namespace

}  // namespace GAME
