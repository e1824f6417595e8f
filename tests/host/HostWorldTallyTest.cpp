// The tally of a served village's world: the monsters killed, and the loot lying beside an
// opened chest or a dead boss, printed in an order every host can compare.
#include "core/EngineFixture.h"
#include "Engine/EventManager.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEvents.h"
#include "Game/items/Item.h"
#include "Game/world/FixedItemContainer.h"
#include "host/HostVillageNet.h"

namespace GAME {
namespace {

class HostWorldTallyTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "Village");
        other = World::Get().AddRegion(2, "Shore");
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Creatures/Wolf.dbr", "Class,Monster,\n");
        records.RegisterRecord("Records/Creatures/Boss/Giant.dbr", "Class,Monster,\nmonsterClassification,Boss,\n");
        // Beside the boss in its folder, but of no boss's rank.
        records.RegisterRecord("Records/Creatures/Boss/Statue.dbr", "Class,Monster,\n");
        records.RegisterRecord("Records/Creatures/Boss/Guard.dbr", "Class,Monster,\nmonsterClassification,Hero,\n");
        records.RegisterRecord("Records/Level/Chest.dbr", "Class,FixedItemContainer,\n");
        records.RegisterRecord("Records/Item/Ring.dbr", "Class,Item,\n");
    }
    template <class T>
    T* Put(const char* record, Region* where, float x)
    {
        auto* made = ObjectManager::Get().CreateObjectFromFile<T>(record);
        EXPECT_NE(made, nullptr);
        EXPECT_TRUE(World::Get().AddEntity(made, WorldCoords(where, Coords::LookAlong({x, 0, 0}, {1, 0, 0}, {0, 1, 0}))));
        return made;
    }
    std::vector<std::string> Matching(const std::vector<std::string>& lines, const std::string& start) const
    {
        std::vector<std::string> found;
        for (const std::string& line : lines)
            if (line.rfind(start, 0) == 0)
                found.push_back(line);
        return found;
    }

    Region* region = nullptr;
    Region* other = nullptr;
    HostWorldTally tally;
};

TEST_F(HostWorldTallyTest, CountsEachDeadMonsterOnceWhetherSeenDyingOrReported)
{
    auto* wolf = Put<Monster>("Records/Creatures/Wolf.dbr", region, 0.0f);
    auto* second = Put<Monster>("Records/Creatures/Wolf.dbr", region, 30.0f);
    Put<Monster>("Records/Creatures/Wolf.dbr", region, 60.0f);   // lives
    wolf->SetLifeState(Character_LifeState_Dying);
    tally.Watch();
    wolf->SetLifeState(Character_LifeState_Dead);
    tally.Watch();
    tally.CreatureDied(wolf->GetObjectId());
    tally.CreatureDied(second->GetObjectId());
    tally.CreatureDied(0xFFFFFFF0u);   // names nothing: not counted
    const std::vector<std::string> lines = tally.Lines("village", true);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "world: level village finished");
    EXPECT_EQ(lines[1], "world: monsters killed: 2");
    EXPECT_EQ(lines[2], "world: killed 2 of Records/Creatures/Wolf.dbr");
    EXPECT_EQ(tally.Lines("village", false)[0], "world: level village not finished");
}

// A monster the game tells of as it dies is counted though it is gone before the next look;
// the game's own observer of events goes on hearing them, and has its place back after.
TEST_F(HostWorldTallyTest, CountsDeathsTheGameTellsOfAndHandsTheObserverBack)
{
    int heard = 0;
    auto before = EventManager::Get().SetSendObserver([&heard](const GameEvent&, const Name&) { ++heard; });
    auto* wolf = Put<Monster>("Records/Creatures/Wolf.dbr", region, 0.0f);
    GameEvent_CreatureDeath death;
    death.objectId = wolf->GetObjectId();
    {
        HostWorldTally observing;
        observing.ObserveDeaths();
        observing.ObserveDeaths();   // a second call changes nothing
        EventManager::Get().Send(death, "GameEvent_CreatureDeath");
        World::Get().RemoveEntity(wolf);
        ObjectManager::Get().DestroyObjectEx(wolf, "HostWorldTallyTest", __LINE__);
        observing.Watch();
        EXPECT_EQ(observing.Lines("village", true)[1], "world: monsters killed: 1");
        EXPECT_EQ(heard, 1);
    }
    EventManager::Get().Send(death, "GameEvent_CreatureDeath");   // the tally is gone: not called
    EXPECT_EQ(heard, 2);
    EventManager::Get().SetSendObserver(std::move(before));
}

// The game throws a drop far from its source: an item is the loot of the source that opened
// or died lately, the nearest of its own region, however far it lies.
TEST_F(HostWorldTallyTest, LootGoesToTheSourceThatJustOpenedOrDied)
{
    auto* chest = Put<FixedItemContainer>("Records/Level/Chest.dbr", region, 0.0f);
    auto* giant = Put<Monster>("Records/Creatures/Boss/Giant.dbr", region, 50.0f);
    Put<Item>("Records/Item/Ring.dbr", region, 2.0f);   // lay there before the chest opened
    tally.Watch();
    std::vector<std::string> lines = tally.Lines("village", true);
    EXPECT_TRUE(Matching(lines, "world: loot of the").empty()) << "a closed chest and a living boss are no sources";

    chest->SetFixedItemState(FixedItemState_Open, 0, true, false);
    Put<Item>("Records/Item/Ring.dbr", region, 30.0f);   // thrown far, still the chest's
    Put<Item>("Records/Item/Ring.dbr", other, 1.0f);     // another region: nobody's
    tally.Watch();
    lines = tally.Lines("village", true);
    ASSERT_EQ(Matching(lines, "world: loot of the chest").size(), 2u);
    EXPECT_EQ(Matching(lines, "world: loot of the chest")[0], "world: loot of the chest Records/Level/Chest.dbr: 1 items");

    // Only a monster its record ranks a boss is a source: those of the boss's folder that
    // are not die beside it unlisted, and drop nothing of its.
    auto* statue = Put<Monster>("Records/Creatures/Boss/Statue.dbr", region, 72.0f);
    auto* guard = Put<Monster>("Records/Creatures/Boss/Guard.dbr", region, 68.0f);
    statue->SetLifeState(Character_LifeState_Dead);
    guard->SetLifeState(Character_LifeState_Dead);
    giant->SetLifeState(Character_LifeState_Dead);
    Put<Item>("Records/Item/Ring.dbr", region, 70.0f);   // nearer the boss than the chest
    tally.Watch();
    tally.Watch();   // an item is counted once
    for (int look = 0; look <= HostWorldTally::kLootLooks; ++look)
        tally.Watch();
    Put<Item>("Records/Item/Ring.dbr", region, 52.0f);   // long after the death: nobody's
    tally.Watch();
    lines = tally.Lines("village", true);
    const std::vector<std::string> boss = Matching(lines, "world: loot of the boss Records/Creatures/Boss/Giant.dbr");
    ASSERT_EQ(boss.size(), 2u);
    EXPECT_EQ(boss[0], "world: loot of the boss Records/Creatures/Boss/Giant.dbr: 1 items");
    EXPECT_NE(boss[1].find("fingerprint"), std::string::npos) << boss[1];
    EXPECT_EQ(Matching(lines, "world: loot of the chest").size(), 2u);
    EXPECT_EQ(Matching(lines, "world: loot of the boss").size(), 2u) << "only the boss is a source";
    EXPECT_EQ(Matching(lines, "world: monsters killed: 3").size(), 1u) << "all three deaths count";
    // What lies loose is listed by identity whoever dropped it.
    const std::vector<std::string> ground = HostWorldTally::GroundLines("seen: ");
    ASSERT_FALSE(ground.empty());
    EXPECT_EQ(ground[0], "seen: on the ground: 5 items");
}

}  // namespace
}  // namespace GAME
