#include <gtest/gtest.h>

#include <vector>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/Filters.h"
#include "Game/items/Weapon.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/world/NpcTrafficNode.h"
#include "Game/world/PlayerSpawnPoint.h"

using namespace GAME;

namespace {

class Hero : public Player {
    GAME_DECLARE_CLASS(Hero)
};
GAME_IMPLEMENT_CLASS(Hero, Player)

// An entity the server spawns although its class does not say so.
class SpawnedProp : public Actor {
    GAME_DECLARE_CLASS(SpawnedProp)

public:
    bool ShouldServerSpawn() const override { return true; }
};
GAME_IMPLEMENT_CLASS(SpawnedProp, Actor)

class MountAction : public CharacterAction {};

class FiltersTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
    }

    template <class T = Object>
    T* Make(const char* className)
    {
        return DynamicCast<T>(ObjectManager::Get().CreateObject(className));
    }
};

}  // namespace

TEST_F(FiltersTest, EntityFiltersTestTheClassTree)
{
    const FilterGetAllPlayers players;
    EXPECT_TRUE(players(Make<Entity>("Player")));
    EXPECT_TRUE(players(Make<Entity>("Hero")));
    EXPECT_FALSE(players(Make<Entity>("Monster")));
    EXPECT_FALSE(players(nullptr));

    EXPECT_TRUE(FilterGetAllTrafficNodes()(Make<Entity>("NpcTrafficNode")));
    EXPECT_FALSE(FilterGetAllTrafficNodes()(Make<Entity>("BoundingVolume")));
    EXPECT_TRUE(FilterGetPlayerSpawnPoint()(Make<Entity>("PlayerSpawnPoint")));
    EXPECT_FALSE(FilterGetPlayerSpawnPoint()(Make<Entity>("Actor")));
}

TEST_F(FiltersTest, SpawnFilterAsksTheEntity)
{
    const FilterGetSpawnObjects spawned;
    EXPECT_TRUE(spawned(Make<Entity>("Monster")));
    EXPECT_TRUE(spawned(Make<Entity>("Weapon")));
    EXPECT_TRUE(spawned(Make<Entity>("SpawnedProp")));
    EXPECT_FALSE(spawned(Make<Entity>("PlayerSpawnPoint")));
    EXPECT_FALSE(spawned(Make<Entity>("Actor")));
}

TEST_F(FiltersTest, WorldQueryWithAFilter)
{
    Region* region = World::Get().AddRegion(1, "Test");
    const char* classes[] = {"Monster", "Hero", "NpcTrafficNode", "Player"};
    std::vector<Entity*> placed;
    for (const char* name : classes) {
        placed.push_back(Make<Entity>(name));
        World::Get().AddEntity(placed.back(), WorldCoords(region, Coords{}));
    }
    std::vector<Entity*> found;
    World::Get().GetEntities(found, FilterGetAllPlayers(), EntityList_All);
    EXPECT_EQ((std::vector<Entity*>{placed[1], placed[3]}), found);
}

TEST_F(FiltersTest, ActionFiltersAcceptEverything)
{
    const CharacterAction plain;
    const MountAction mount;
    for (const CharacterAction* action : {&plain, static_cast<const CharacterAction*>(&mount)}) {
        EXPECT_TRUE(FilterCharacterAction()(action));
        EXPECT_TRUE(FilterMountAction()(action));
        EXPECT_TRUE(FilterMountedCharacterAction()(action));
    }
    EXPECT_TRUE(FilterCharacterAction()(nullptr));
}

TEST_F(FiltersTest, TypedLookupsFollowTheTree)
{
    ObjectManager& objects = ObjectManager::Get();
    Object* weapon = Make("Weapon");
    Object* item = Make("Item");
    EXPECT_EQ(weapon, objects.GetObject<Item>(weapon->GetObjectId()));
    EXPECT_EQ(weapon, objects.GetObject<Actor>(weapon->GetObjectId()));
    EXPECT_EQ(nullptr, objects.GetObject<Weapon>(item->GetObjectId()));
    EXPECT_EQ(nullptr, objects.GetObject<Character>(item->GetObjectId()));
    EXPECT_EQ(nullptr, objects.GetObject<Item>(0));

    const uint32_t id = weapon->GetObjectId();
    objects.DestroyObjectEx(weapon, __FILE__, __LINE__);
    EXPECT_EQ(nullptr, objects.GetObject<Item>(id));
    EXPECT_EQ(nullptr, objects.GetObject(id));
}

TEST_F(FiltersTest, CreationFromARecordOfTheWrongClassIsUndone)
{
    RecordDatabase::Get().RegisterRecord("Records/Items/Ring.dbr", "Class,Item,\n");
    RecordDatabase::Get().RegisterRecord("Records/Proj/Arrow.dbr", "Class,ProjectileBase,\nprojectileVelocity,12.5,\n");
    ObjectManager& objects = ObjectManager::Get();
    const size_t before = objects.GetObjectCount();
    EXPECT_EQ(nullptr, objects.CreateObjectFromFile<Weapon>("Records/Items/Ring.dbr"));
    EXPECT_EQ(before, objects.GetObjectCount());

    ProjectileBase* arrow = objects.CreateObjectFromFile<ProjectileBase>("records\\proj\\ARROW.dbr");
    ASSERT_NE(nullptr, arrow);
    EXPECT_FLOAT_EQ(12.5f, arrow->GetTotalSpeed());
    arrow->SetSpeedBonus(20.0f);
    EXPECT_FLOAT_EQ(15.0f, arrow->GetTotalSpeed());
}
