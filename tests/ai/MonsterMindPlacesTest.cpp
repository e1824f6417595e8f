// What a monster's mind finds in the level: barriers between it and its target, placed
// entities by their unique ids, the proxy that placed it and its patrol route.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/UniqueIdMap.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Monster.h"
#include "Game/core/TeamManager.h"
#include "Game/world/DynamicBarrier.h"
#include "Game/world/PatrolPoint.h"
#include "Game/world/Proxy.h"

using namespace GAME;

namespace {

class MonsterMindPlacesTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "Places");
        RecordDatabase::Get().RegisterRecord("Records/Test/PlacesAI.dbr", "Class,ControllerMonster,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/PlacesMonster.dbr",
                                             "Class,Monster,\ncontroller,Records/Test/PlacesAI.dbr,\n");
    }
    static UniqueId Uid(uint32_t n)
    {
        UniqueId id;
        id.SetPart(0, n);
        return id;
    }
    template <class T = Character>
    T* Put(const char* kind, float x, const Team& team = TeamManager::DefaultPlayerTeam())
    {
        auto* made = DynamicCast<T>(ObjectManager::Get().CreateObject(kind));
        EXPECT_TRUE(World::Get().AddEntity(made, WorldCoords(region, Coords::LookAlong({x, 0, 0}, {1, 0, 0}, {0, 1, 0}))));
        if constexpr (std::is_base_of_v<Character, T>) {
            made->SetTeam(team);
            made->SetLifeLimit(100.0f);
            made->SetCurrentLife(100.0f);
        }
        return made;
    }
    Monster* PlacedMonster()
    {
        auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Test/PlacesMonster.dbr");
        EXPECT_TRUE(World::Get().AddEntity(monster, WorldCoords(region, Coords())));
        monster->SetTeam(TeamManager::DefaultMonsterTeam());
        monster->SetLifeLimit(100.0f);
        monster->SetCurrentLife(100.0f);
        return monster;
    }

    Region* region = nullptr;
};

TEST_F(MonsterMindPlacesTest, TheNearestLivingHostileBarrierBeforeTheTargetBlocks)
{
    struct Row {
        const char* what;
        float barrierAt;
        bool hostile;
        bool alive;
        bool expected;
    };
    const Row rows[] = {
        {"a hostile barrier halfway", 5.0f, true, true, true},
        {"a friendly barrier is no obstacle", 5.0f, false, true, false},
        {"a broken barrier is no obstacle", 5.0f, true, false, false},
        {"a barrier beyond the target", 14.0f, true, true, false},
        {"a barrier behind the monster", -5.0f, true, true, false},
    };
    for (const Row& row : rows) {
        Monster* monster = PlacedMonster();
        ControllerMonster* mind = monster->GetMonsterController();
        mind->AttachParent(monster->GetObjectId());
        Character* target = Put("Character", 10.0f);
        Character* barrier = Put("DynamicBarrier", row.barrierAt,
                                 row.hostile ? TeamManager::DefaultPlayerTeam() : TeamManager::DefaultMonsterTeam());
        if (!row.alive)
            barrier->SetLifeState(Character_LifeState_Dead);
        DynamicBarrier* found = mind->IsBarrierBlocking(target->GetObjectId());
        EXPECT_EQ(found, row.expected ? barrier : nullptr) << row.what;
        for (Object* gone : {static_cast<Object*>(monster), static_cast<Object*>(target), static_cast<Object*>(barrier)})
            ObjectManager::Get().DestroyObjectEx(gone, "test", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
    }

    Monster* monster = PlacedMonster();
    ControllerMonster* mind = monster->GetMonsterController();
    mind->AttachParent(monster->GetObjectId());
    Character* target = Put("Character", 10.0f);
    Put("DynamicBarrier", 7.0f);
    Character* nearer = Put("DynamicBarrier", 4.0f);
    EXPECT_EQ(mind->IsBarrierBlocking(target->GetObjectId()), nearer);
    EXPECT_EQ(mind->IsBarrierBlocking(0), nullptr);
}

TEST_F(MonsterMindPlacesTest, PlacedEntitiesResolveByUniqueIdOnlyWhileTheyExist)
{
    Monster* monster = PlacedMonster();
    ControllerMonster* mind = monster->GetMonsterController();
    mind->AttachParent(monster->GetObjectId());
    UniqueIdMap& placed = UniqueIdMap::Get();
    auto* far = Put<PatrolPoint>("PatrolPoint", 9.0f);
    auto* near = Put<PatrolPoint>("PatrolPoint", -3.0f);
    auto* gone = Put<PatrolPoint>("PatrolPoint", 1.0f);
    placed.Add(Uid(1), far->GetObjectId());
    placed.Add(Uid(2), near->GetObjectId());
    placed.Add(Uid(3), gone->GetObjectId());
    ObjectManager::Get().DestroyObjectEx(gone, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();

    EXPECT_EQ(placed.GetEntity(Uid(3)), nullptr);
    EXPECT_EQ(mind->GetClosest({Uid(3), Uid(1), Uid(9), Uid(2)}), 3);
    EXPECT_EQ(mind->GetClosest({Uid(3), Uid(9)}), -1);
    // An id given to another object names that one; the old object no longer has it.
    placed.Add(Uid(1), near->GetObjectId());
    UniqueId found;
    EXPECT_FALSE(placed.FindUniqueId(far->GetObjectId(), found));
    EXPECT_FALSE(placed.FindUniqueId(near->GetObjectId() + 1000, found));
    ASSERT_TRUE(placed.FindUniqueId(near->GetObjectId(), found));
    EXPECT_TRUE(found == Uid(1));
    EXPECT_EQ(placed.GetEntity(Uid(2)), nullptr);
    placed.Remove(Uid(1), far->GetObjectId());   // not its holder: kept
    EXPECT_EQ(placed.GetEntity(Uid(1)), near);

    // The proxy that placed a monster is found through its id while it exists.
    auto* proxy = Put<Proxy>("Proxy", 20.0f);
    proxy->SetUniqueId(Uid(40));
    mind->SetProxyId(Uid(40));
    EXPECT_EQ(mind->GetProxy(), proxy);
    mind->SetProxyId(Uid(1));   // a patrol point is no proxy
    EXPECT_EQ(mind->GetProxy(), nullptr);
    mind->SetProxyId(Uid(40));
    ObjectManager::Get().DestroyObjectEx(proxy, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(mind->GetProxy(), nullptr);
}

TEST_F(MonsterMindPlacesTest, PatrolPointsComeFromTheMonstersGroupElseFromItsProxysGroup)
{
    InstanceGroupManager& groups = InstanceGroupManager::Get();
    const size_t patrollers = groups.AddGroup("Guards", "Patrollers", {Uid(10)});
    const size_t route = groups.AddGroup("Route", "Patrol Points", {Uid(1), Uid(2)});
    const size_t wanderers = groups.AddGroup("Elsewhere", "Wander Points", {Uid(3)});
    const size_t otherRoute = groups.AddGroup("Route 2", "Patrol Points", {Uid(4)});
    const size_t proxyGroup = groups.AddGroup("Pack", "ProxyPatrollers", {Uid(20)});
    const size_t proxyRoute = groups.AddGroup("Pack route", "Patrol Points", {Uid(5), Uid(6), Uid(7)});
    const size_t wrongType = groups.AddGroup("Pack", "Patrollers", {Uid(20)});
    EXPECT_TRUE(groups.AddChildGroup(patrollers, route));
    EXPECT_TRUE(groups.AddChildGroup(patrollers, wanderers));
    EXPECT_TRUE(groups.AddChildGroup(patrollers, otherRoute));
    EXPECT_FALSE(groups.AddChildGroup(patrollers, route));
    EXPECT_FALSE(groups.AddChildGroup(route, route));
    EXPECT_FALSE(groups.AddChildGroup(route, 99));
    EXPECT_TRUE(groups.AddChildGroup(proxyGroup, proxyRoute));
    EXPECT_TRUE(groups.AddChildGroup(wrongType, route));

    // Placed with a unique id of its own: its group's route, whatever its proxy.
    auto* proxy = Put<Proxy>("Proxy", 20.0f);
    proxy->SetUniqueId(Uid(20));
    Monster* placed = PlacedMonster();
    UniqueIdMap::Get().Add(Uid(10), placed->GetObjectId());
    ControllerMonster* mind = placed->GetMonsterController();
    mind->SetProxyId(Uid(20));
    mind->AttachParent(placed->GetObjectId());
    EXPECT_EQ(mind->GetPatrolPoints(), (std::vector<UniqueId>{Uid(1), Uid(2), Uid(4)}));

    // Without one: the route of the proxy's group of proxy patrollers only.
    Monster* spawned = PlacedMonster();
    ControllerMonster* spawnedMind = spawned->GetMonsterController();
    spawnedMind->SetProxyId(Uid(20));
    spawnedMind->AttachParent(spawned->GetObjectId());
    EXPECT_EQ(spawnedMind->GetPatrolPoints(), (std::vector<UniqueId>{Uid(5), Uid(6), Uid(7)}));

    Monster* loose = PlacedMonster();
    loose->GetMonsterController()->AttachParent(loose->GetObjectId());
    EXPECT_TRUE(loose->GetMonsterController()->GetPatrolPoints().empty());
}

}  // namespace
