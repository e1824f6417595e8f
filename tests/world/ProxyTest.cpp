// Spawn proxies, their pools, accessory pools and ambushes, and the game engine's proxy
// groups and hero and boss registry.
#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <tuple>

#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/world/Proxy.h"
#include "Game/world/ProxyAmbush.h"
#include "Game/world/ProxyPool.h"
#include "world/WorldFixture.h"

namespace GAME {
namespace {

class ProxyTest : public WorldObjectTest {
protected:
    void SetUp() override
    {
        WorldObjectTest::SetUp();
        engine->GetRandomGen().Seed(7);
        // Entries: plain objects of a cost each, a hero, and monsters for the ambush.
        for (int cost : {1, 2, 8, 10, 20})
            Record("Records/Test/Cost" + std::to_string(cost) + ".dbr", "Class,Actor,\n");
        Record("Records/Test/Hero.dbr", "Class,Actor,\nmonsterClassification,Hero,\n");
        Record("Records/Test/Chest.dbr", "Class,Actor,\n");
        Record("Records/Test/Mind.dbr", "Class,ControllerMonster,\n");
        Record("Records/Test/Beast.dbr", "Class,Monster,\n");
        Record("Records/Test/MindedBeast.dbr", "Class,Monster,\ncontroller,Records/Test/Mind.dbr,\n");
    }

    // A proxy of these keys, loaded (its pools run) and not yet in the world.
    template <class T = Proxy>
    T* MakeProxy(const std::string& keys, const char* kind = "Proxy")
    {
        const std::string name = "Records/Test/Proxy" + std::to_string(++records) + ".dbr";
        Record(name, std::string("Class,") + kind + ",\n" + keys);
        return Make<T>(name);
    }
    // A pool record of these keys, run with that budget under a proxy without pools.
    ProxyPool& RunPool(const std::string& keys, int budget)
    {
        if (!parent)
            parent = MakeProxy("");
        Record("Records/Test/Pool.dbr", keys);
        pool = std::make_unique<ProxyPool>();
        pool->SetParent(parent);
        pool->LoadFromFile("Records/Test/Pool.dbr");
        pool->RunPool(budget);
        return *pool;
    }
    static std::vector<std::string> Names(const std::vector<uint32_t>& ids)
    {
        std::vector<std::string> names;
        for (uint32_t id : ids)
            if (const Object* object = ObjectManager::Get().GetObject(id))
                names.push_back(GetFileNameOf(object->GetObjectName()));
        return names;
    }
    static std::string GetFileNameOf(const std::string& record)
    {
        const size_t slash = record.find_last_of('/');
        return record.substr(slash + 1, record.size() - slash - 5);
    }
    static std::vector<uint8_t> Save(Proxy& proxy)
    {
        BinaryWriter writer;
        proxy.SaveState(writer);
        return std::vector<uint8_t>(writer.GetBuffer(), writer.GetBuffer() + writer.GetLength());
    }
    static UniqueId Uid(uint32_t n)
    {
        UniqueId id;
        id.SetPart(0, n);
        return id;
    }

    Proxy* parent = nullptr;
    std::unique_ptr<ProxyPool> pool;
    int records = 0;
};

TEST_F(ProxyTest, PoolsAreChosenByDifficultyThenWeight)
{
    struct Case {
        GameDifficulty difficulty;
        const char* keys;
        const char* pool;
    };
    const Case cases[] = {
        {GameDifficulty_Legendary, "pool1,Plain.dbr,\nweight1,5,\n", "Plain.dbr"},
        {GameDifficulty_Legendary, "pool1,Plain.dbr,\npoolEpic2,Epic.dbr,\n", "Epic.dbr"},
        {GameDifficulty_Epic, "pool1,Plain.dbr,\npoolLegendary1,Legend.dbr,\n", "Plain.dbr"},
        {GameDifficulty_Legendary, "poolEpic1,Epic.dbr,\npoolLegendary3,Legend.dbr,\n", "Legend.dbr"},
        {GameDifficulty_Normal, "pool1,First.dbr,\npool2,Second.dbr,\nweight1,0,\nweight2,0,\n", "First.dbr"},
        {GameDifficulty_Normal, "pool1,Light.dbr,\npool2,Heavy.dbr,\nweight1,0,\nweight2,1000,\n", "Heavy.dbr"},
    };
    for (const Case& c : cases) {
        engine->SetGameDifficulty(c.difficulty);
        EXPECT_EQ(MakeProxy(c.keys)->GetPoolName(), c.pool) << c.keys;
    }
}

TEST_F(ProxyTest, FormulasMakeTheBudgetAndLogTheirFailuresAsWritten)
{
    Record("Records/Game/GameEngine.dbr", "difficultyModifier,200;0;0,\n");
    engine->LoadFromDatabase("Records/Game/GameEngine.dbr");
    Record("Records/Test/Difficulty.dbr", "difficultyEquation,averagePlayerLevel+5,\nchampionDifficultyEquation,((1,\n");
    Record("Records/Test/Limits.dbr", "minPlayerLevelEquationNormal,2*5,\nmaxPlayerLevelEquationNormal,(1+,\n");
    LogCapture log;
    Proxy* proxy = MakeProxy("difficultyEquationFile,Records/Test/Difficulty.dbr,\n"
                             "difficultyLimitsFile,Records/Test/Limits.dbr,\n");
    EXPECT_EQ(proxy->GetAveragePlayerLevel(), 10u) << "the lower limit lifts the average";
    EXPECT_EQ(proxy->GetBudget(), 30) << "(10 + 5) x 200%";
    EXPECT_TRUE(log.Contains("-=- Proxy Equation load failure : championDifficultyEquation "));
    EXPECT_TRUE(log.Contains("-=- Proxy Limit Equation load failure : maxPlayerLevel ((1+) "));
    EXPECT_EQ(proxy->CalculateChampionDifficulty(30), 30) << "no champion formula: the whole budget";

    log.Clear();
    MakeProxy("");
    EXPECT_TRUE(log.Contains("Proxy: No Limits equation file specified (Records/Test/Proxy2.dbr)"));
    EXPECT_EQ(proxy->RunEquation("", 4), 4);
    EXPECT_TRUE(log.Contains("-=- Proxy RunEquation: missing equation for poolValue "));
    EXPECT_EQ(proxy->RunEquation("(poolValue*3", 4), 4);
    EXPECT_TRUE(log.Contains("-=- Proxy RunEquation load failure : poolValue ((poolValue*3) "));
    EXPECT_EQ(proxy->RunEquation("poolValue*3", 4), 12);
}

TEST_F(ProxyTest, RunPoolSpendsTheBudget)
{
    struct Case {
        const char* what;
        std::string keys;
        int budget;
        std::vector<std::string> made;
    };
    const Case cases[] = {
        {"the minimum is filled with the cheapest entry", "spawnMin,3,\nspawnMax,3,\nname1,Records/Test/Cost20.dbr,\ndifficulty1,20,\n"
                                                          "name2,Records/Test/Cost10.dbr,\ndifficulty2,10,\n",
         5, {"Cost10", "Cost10", "Cost10"}},
        {"a cut-off keeps an entry from a larger budget", "spawnMax,2,\nname1,Records/Test/Cost1.dbr,\ndifficulty1,1,\n"
                                                          "difficultyCutoff1,5,\nweight1,100,\nname2,Records/Test/Cost2.dbr,\n"
                                                          "difficulty2,2,\n",
         10, {"Cost2", "Cost2"}},
        {"must-spawn entries past the maximum make no wrapped picks", "spawnMax,1,\nname1,Records/Test/Cost1.dbr,\n"
                                                                      "alwaysSpawn1,1,\nlimit1,3,\nname2,Records/Test/Cost2.dbr,\n",
         10, {"Cost1", "Cost1", "Cost1"}},
        {"champion budget left over goes to the regulars", "championMax,1,\nnameChampion1,Records/Test/Cost2.dbr,\n"
                                                           "difficultyChampion1,2,\nspawnMax,2,\nname1,Records/Test/Cost8.dbr,\n"
                                                           "difficulty1,8,\n",
         10, {"Cost2", "Cost8"}},
        {"a filled champion minimum drops what is left", "championMin,2,\nnameChampion1,Records/Test/Cost2.dbr,\n"
                                                         "difficultyChampion1,2,\nlimitChampion1,1,\nnameChampion2,Records/Test/Cost20.dbr,\n"
                                                         "difficultyChampion2,20,\nlimitChampion2,1,\nspawnMax,3,\n"
                                                         "name1,Records/Test/Cost8.dbr,\ndifficulty1,8,\n",
         10, {"Cost2", "Cost20"}},
        {"a limit of 0 means spawnMax", "spawnMax,4,\nname1,Records/Test/Cost1.dbr,\ndifficulty1,1,\n", 100,
         {"Cost1", "Cost1", "Cost1", "Cost1"}},
        {"an entry that costs the whole budget is taken", "spawnMax,1,\nname1,Records/Test/Cost8.dbr,\ndifficulty1,8,\n", 8,
         {"Cost8"}},
        {"a cut-off equal to the budget keeps the entry", "spawnMax,1,\nname1,Records/Test/Cost1.dbr,\ndifficulty1,1,\n"
                                                          "difficultyCutoff1,5,\n",
         5, {"Cost1"}},
        {"a must-spawn entry spends the budget", "spawnMax,3,\nname1,Records/Test/Cost8.dbr,\ndifficulty1,8,\n"
                                                 "alwaysSpawn1,1,\nlimit1,1,\nname2,Records/Test/Cost2.dbr,\ndifficulty2,2,\n",
         10, {"Cost8", "Cost2"}},
        {"the minimum fill takes the first of equally cheap entries", "spawnMin,1,\nspawnMax,1,\nname1,Records/Test/Cost1.dbr,\n"
                                                                      "difficulty1,20,\nname2,Records/Test/Cost2.dbr,\n"
                                                                      "difficulty2,20,\n",
         0, {"Cost1"}},
    };
    for (const Case& c : cases) {
        ProxyPool& made = RunPool(c.keys, c.budget);
        EXPECT_EQ(Names(made.GetObjects()), c.made) << c.what;
    }
}

TEST_F(ProxyTest, PoolEntriesAreReadInSlotOrderFromSlotsOneToThirty)
{
    // Written out of order, with slots past either end, a zero-padded slot, an empty name
    // and a differently cased key: only slots 1..30 count, in slot order.
    Record("Records/Test/Pool.dbr", "spawnMax,2,\nname30,Records/Test/Cost20.dbr,\nweight30,4,\n"
                                    "name31,Records/Test/Cost8.dbr,\nname0,Records/Test/Cost8.dbr,\n"
                                    "name02,Records/Test/Cost8.dbr,\nname2,,\nNAME3,Records/Test/Cost2.dbr,\n"
                                    "difficulty3,2,\nname1,Records/Test/Cost1.dbr,\nlimit1,5,\n"
                                    "nameChampion7,Records/Test/Cost10.dbr,\n");
    ProxyPool read;
    read.LoadFromFile("Records/Test/Pool.dbr");
    std::vector<std::tuple<std::string, uint32_t, int32_t, uint32_t>> entries;
    for (const ProxyPoolEntry& entry : read.GetEntries())
        entries.emplace_back(GetFileNameOf(std::string(entry.name)), entry.weight, entry.difficulty, entry.limit);
    const std::vector<std::tuple<std::string, uint32_t, int32_t, uint32_t>> expected = {
        {"Cost1", 0u, 0, 5u}, {"Cost2", 0u, 2, 2u}, {"Cost20", 4u, 0, 2u}};
    EXPECT_EQ(entries, expected);
    ASSERT_EQ(read.GetChampionEntries().size(), 1u);
    EXPECT_EQ(read.GetChampionEntries()[0].name, "Records/Test/Cost10.dbr");
}

TEST_F(ProxyTest, EveryPoolOfARecordReadsItsEntriesUntilTheRecordsChange)
{
    Record("Records/Test/Pool.dbr", "spawnMax,3,\nname1,Records/Test/Cost1.dbr,\nweight1,4,\nlimit1,2,\n"
                                    "name2,Records/Test/Cost2.dbr,\n");
    using Entries = std::vector<std::tuple<std::string, uint32_t, uint32_t, bool>>;
    auto read = [] {
        ProxyPool pool;
        pool.LoadFromFile("Records/Test/Pool.dbr");
        Entries entries;
        for (const ProxyPoolEntry& entry : pool.GetEntries())
            entries.emplace_back(GetFileNameOf(std::string(entry.name)), entry.weight, entry.limit, entry.heroOrBoss);
        return entries;
    };
    const Entries plain = {{"Cost1", 4u, 2u, false}, {"Cost2", 0u, 3u, false}};
    EXPECT_EQ(read(), plain);
    EXPECT_EQ(read(), plain);

    // An entry's monster record changed: the pool record is read afresh with it.
    Record("Records/Test/Cost2.dbr", "Class,Actor,\nmonsterClassification,Boss,\n");
    EXPECT_EQ(read(), (Entries{{"Cost1", 4u, 2u, false}, {"Cost2", 0u, 3u, true}}));
    Record("Records/Test/Pool.dbr", "spawnMax,1,\nname3,Records/Test/Cost8.dbr,\n");
    EXPECT_EQ(read(), (Entries{{"Cost8", 0u, 1u, false}}));
}

// The names of a pool's entries stay with the pool (and its copies) when the record it
// read is replaced or the records cleared.
TEST_F(ProxyTest, APoolKeepsItsEntriesNamesWhenItsRecordGoes)
{
    Record("Records/Test/Pool.dbr", "spawnMax,1,\nname1,Records/Test/SomeLongMonsterName.dbr,\n"
                                    "nameChampion2,Records/Test/SomeLongChampionName.dbr,\n");
    ProxyPool read;
    read.LoadFromFile("Records/Test/Pool.dbr");
    Record("Records/Test/Pool.dbr", "spawnMax,1,\nname1,Records/Test/Other.dbr,\n");
    const ProxyPool copy = read;
    RecordDatabase::Get().Clear();
    for (const ProxyPool* pool : {static_cast<const ProxyPool*>(&read), &copy}) {
        ASSERT_EQ(pool->GetEntries().size(), 1u);
        EXPECT_EQ(pool->GetEntries()[0].name, "Records/Test/SomeLongMonsterName.dbr");
        ASSERT_EQ(pool->GetChampionEntries().size(), 1u);
        EXPECT_EQ(pool->GetChampionEntries()[0].name, "Records/Test/SomeLongChampionName.dbr");
    }
}

TEST_F(ProxyTest, HeroesAreMadeOnceAndLeaveTheRegistryWhenDestroyedUnplaced)
{
    const std::string keys = "spawnMax,1,\nname1,Records/Test/Hero.dbr,\n";
    ProxyPool& first = RunPool(keys, 10);
    ASSERT_EQ(first.GetObjects().size(), 1u);
    EXPECT_TRUE(engine->IsProxyHeroBossInGame("Records/Test/Hero.dbr"));
    ProxyPool second;
    second.SetParent(parent);
    second.LoadFromFile("Records/Test/Pool.dbr");
    second.RunPool(10);
    EXPECT_TRUE(second.GetObjects().empty());
    EXPECT_EQ(second.GetEntries()[0].limit, 0u);
    pool.reset();
    EXPECT_FALSE(engine->IsProxyHeroBossInGame("Records/Test/Hero.dbr"));
}

TEST_F(ProxyTest, ProxyPlacesItsMonstersAndAccessoryRoundItselfOnce)
{
    Record("Records/Test/Pool.dbr", "spawnMin,3,\nspawnMax,3,\nname1,Records/Test/MindedBeast.dbr,\n");
    Record("Records/Test/Chests.dbr", "fixedItemChance,100,\nfixedItemName1,Records/Test/Chest.dbr,\n");
    Proxy* proxy = MakeProxy("pool1,Records/Test/Pool.dbr,\naccessory1,Records/Test/Chests.dbr,\n");
    std::vector<uint32_t> primary, accessory, placed;
    proxy->GetPrimaryObjects(primary);
    proxy->GetAccessoryObjects(accessory);
    ASSERT_EQ(primary.size(), 3u);
    ASSERT_EQ(accessory.size(), 1u);
    EXPECT_EQ(Save(*proxy), (std::vector<uint8_t>{0, 0, 0, 0}));
    proxy->SetUniqueId(Uid(42));

    ASSERT_TRUE(World::Get().AddEntity(proxy, At(10.0f)));
    Frame();
    proxy->GetPlacedObjects(placed);
    ASSERT_EQ(placed.size(), 4u);
    EXPECT_EQ(placed[0], accessory[0]);
    for (uint32_t id : placed) {
        auto* entity = ObjectManager::Get().GetObject<Entity>(id);
        ASSERT_NE(entity, nullptr);
        EXPECT_TRUE(entity->IsInWorld());
        EXPECT_LT((entity->GetCoords().GetPosition() - proxy->GetCoords().GetPosition()).Length(), 10.0f);
    }
    auto* beast = ObjectManager::Get().GetObject<Monster>(placed[1]);
    ASSERT_NE(beast, nullptr);
    // Its mind knows the proxy that placed it.
    const auto* mind = ObjectManager::Get().GetObject<ControllerMonster>(beast->GetControllerId());
    ASSERT_NE(mind, nullptr);
    EXPECT_TRUE(mind->GetProxyId() == Uid(42));
    EXPECT_FALSE(proxy->GetVisibility());
    EXPECT_TRUE(proxy->IsSpent());
    EXPECT_EQ(Save(*proxy), (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST_F(ProxyTest, ADisabledOrRestoredSpentProxyPlacesNothing)
{
    Record("Records/Test/Pool.dbr", "spawnMin,2,\nspawnMax,2,\nname1,Records/Test/Cost1.dbr,\n");
    for (int way = 0; way < 2; ++way) {
        Proxy* proxy = MakeProxy("pool1,Records/Test/Pool.dbr,\n");
        std::vector<uint32_t> made;
        proxy->GetPrimaryObjects(made);
        ASSERT_EQ(made.size(), 2u);
        if (way == 0) {
            proxy->Disable();
        } else {
            const uint8_t spent[] = {7, 0, 0, 0};
            BinaryReader reader(spent, sizeof spent);
            EXPECT_TRUE(proxy->RestoreState(reader));
        }
        World::Get().AddEntity(proxy, At(0.0f));
        Frame();
        std::vector<uint32_t> placed;
        proxy->GetPlacedObjects(placed);
        EXPECT_TRUE(placed.empty());
        for (uint32_t id : made)
            EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
    }
    Proxy* proxy = MakeProxy("");
    const uint8_t cut[] = {1, 0};
    BinaryReader reader(cut, sizeof cut);
    EXPECT_FALSE(proxy->RestoreState(reader));
    EXPECT_FALSE(proxy->IsSpent());
}

TEST_F(ProxyTest, AmbushReleasesOnATimerWhileAPlayerIsNear)
{
    Record("Records/Test/Pool.dbr", "spawnMin,3,\nspawnMax,3,\nname1,Records/Test/Beast.dbr,\n");
    auto* ambush = MakeProxy<ProxyAmbush>("pool1,Records/Test/Pool.dbr,\nalertArea,10,\nminSpawnTime,1,\n"
                                          "maxSpawnTime,1,\nminProxyPopulation,1,\nmaxProxyPopulation,1,\n",
                                          "ProxyAmbush");
    World::Get().AddEntity(ambush, At(0.0f));
    Player* player = MakeMainPlayer();
    World::Get().AddEntity(player, At(50.0f));
    Frame();
    EXPECT_EQ(ambush->GetWaitingObjects().size(), 3u);
    for (int i = 0; i < 5; ++i)
        Frame(500);
    EXPECT_TRUE(ambush->GetLiveObjects().empty());
    EXPECT_LT(ambush->GetCountdown(), 0) << "the countdown runs on while no one is near";

    World::Get().SetCoords(player, At(5.0f));
    Frame(16);
    ASSERT_EQ(ambush->GetLiveObjects().size(), 1u);
    EXPECT_EQ(ambush->GetCountdown(), 1000);
    Frame(1000);
    EXPECT_EQ(ambush->GetLiveObjects().size(), 1u) << "the cap of 1 holds the next back";
    EXPECT_EQ(ambush->GetCountdown(), 1000);
}

TEST_F(ProxyTest, AmbushWithACapOfZeroPlacesWhateverTheLiveCount)
{
    Record("Records/Test/Pool.dbr", "spawnMin,3,\nspawnMax,3,\nname1,Records/Test/Beast.dbr,\n");
    auto* ambush = MakeProxy<ProxyAmbush>("pool1,Records/Test/Pool.dbr,\nalertArea,10,\n", "ProxyAmbush");
    World::Get().AddEntity(ambush, At(0.0f));
    World::Get().AddEntity(MakeMainPlayer(), At(1.0f));
    for (int i = 0; i < 4; ++i)
        Frame();
    EXPECT_EQ(ambush->GetLiveObjects().size(), 3u);
    EXPECT_TRUE(ambush->GetWaitingObjects().empty());
}

TEST_F(ProxyTest, AmbushSavesItsWaitingMonstersByRecordAndRestoresWhatItCan)
{
    Record("Records/Test/Pool.dbr", "spawnMin,2,\nspawnMax,2,\nname1,Records/Test/Beast.dbr,\n");
    const std::string keys = "pool1,Records/Test/Pool.dbr,\nalertArea,10,\n";
    auto* ambush = MakeProxy<ProxyAmbush>(keys, "ProxyAmbush");
    World::Get().AddEntity(ambush, At(0.0f));
    Frame();
    ASSERT_EQ(ambush->GetWaitingObjects().size(), 2u);
    ObjectManager::Get().DestroyObjectEx(ObjectManager::Get().GetObject(ambush->GetWaitingObjects()[1]), "test", 0);
    const std::vector<uint8_t> saved = Save(*ambush);
    const std::string beast = "Records/Test/Beast.dbr";
    std::vector<uint8_t> expected = {1, 0, 0, 0, 2, 0, 0, 0, static_cast<uint8_t>(beast.size()), 0, 0, 0};
    expected.insert(expected.end(), beast.begin(), beast.end());
    expected.insert(expected.end(), {23, 0, 0, 0});
    const std::string invalid = ProxyAmbush::kInvalidObject;
    expected.insert(expected.end(), invalid.begin(), invalid.end());
    EXPECT_EQ(saved, expected);

    LogCapture log;
    auto* restored = MakeProxy<ProxyAmbush>("alertArea,10,\n", "ProxyAmbush");
    BinaryReader reader(saved.data(), saved.size());
    EXPECT_TRUE(restored->RestoreState(reader));
    EXPECT_EQ(Names(restored->GetWaitingObjects()), (std::vector<std::string>{"Beast"}));
    EXPECT_TRUE(log.Contains("ProxyAmbush: Unable to create and restore file (InvalidProxyObjectSaved)"));

    // Cut at every byte: what was read before the cut comes back, nothing else.
    for (size_t cut = 0; cut < saved.size(); ++cut) {
        auto* partial = MakeProxy<ProxyAmbush>("", "ProxyAmbush");
        BinaryReader short_reader(saved.data(), cut);
        EXPECT_FALSE(partial->RestoreState(short_reader)) << cut;
        EXPECT_LE(partial->GetWaitingObjects().size(), cut >= 12 + beast.size() ? 1u : 0u) << cut;
    }
    std::vector<uint8_t> flipped = saved;
    flipped[4] = 0xFF;
    flipped[7] = 0x7F;
    auto* bad = MakeProxy<ProxyAmbush>("", "ProxyAmbush");
    BinaryReader bad_reader(flipped.data(), flipped.size());
    EXPECT_FALSE(bad->RestoreState(bad_reader));
    EXPECT_TRUE(bad->GetWaitingObjects().empty());
}

TEST_F(ProxyTest, GroupsShareAPoolOrChooseOneMember)
{
    InstanceGroupManager& groups = InstanceGroupManager::Get();
    groups.AddGroup("Wolves", "Unified Proxies", {Uid(1), Uid(2)});
    groups.AddGroup("Boss", "Unique Proxies", {Uid(3), Uid(4), Uid(5)});
    groups.AddGroup("Both", "Unique Proxies", {Uid(1)});
    groups.AddGroup("Empty", "Unique Proxies", {});
    Proxy* proxies[6];
    for (uint32_t i = 0; i < 6; ++i) {
        proxies[i] = MakeProxy("");
        proxies[i]->SetUniqueId(Uid(i + 1));
    }
    EXPECT_EQ(engine->GetProxyType(proxies[0]), GameEngine::ProxyType_Unified) << "the first group listed decides";
    EXPECT_EQ(engine->GetProxyType(proxies[3]), GameEngine::ProxyType_Unique);
    EXPECT_EQ(engine->GetProxyType(proxies[5]), GameEngine::ProxyType_None);

    unsigned index = 0;
    EXPECT_FALSE(engine->GetUnifiedProxyPool(proxies[1], index));
    engine->SetUnifiedProxyPool(proxies[0], 4);
    EXPECT_TRUE(engine->GetUnifiedProxyPool(proxies[1], index));
    EXPECT_EQ(index, 4u);

    int selected = 0;
    for (int round = 0; round < 3; ++round) {
        selected = 0;
        for (int i = 2; i < 5; ++i)
            selected += engine->IsUniqueProxySelected(proxies[i]) ? 1 : 0;
        EXPECT_EQ(selected, 1);
    }
    EXPECT_FALSE(engine->IsUniqueProxySelected(proxies[5]));
    engine->ClearProxyInfo();
    EXPECT_FALSE(engine->GetUnifiedProxyPool(proxies[1], index));

    LogCapture log;
    engine->DumpGroupProxyData();
    EXPECT_TRUE(log.Contains("^gGroup Type (Unified Proxies)  Name (Wolves)"));
    EXPECT_TRUE(log.Contains("^b    ID (0x 3 0 0 0)"));
}

// A level loads on its own thread while the game thread runs its frames.
TEST_F(ProxyTest, AProxyLoadsOnALevelThreadWhileTheGameRuns)
{
    Record("Records/Test/Pool.dbr", "spawnMin,8,\nspawnMax,8,\nname1,Records/Test/Cost1.dbr,\nname2,Records/Test/Cost2.dbr,\n");
    Record("Records/Test/Threaded.dbr", "Class,Proxy,\npool1,Records/Test/Pool.dbr,\n");
    Proxy* running = MakeProxy("pool1,Records/Test/Pool.dbr,\n");
    World::Get().AddEntity(running, At(0.0f));
    Proxy* loaded = nullptr;
    std::thread loader([&] { loaded = ObjectManager::Get().CreateObjectFromFile<Proxy>("Records/Test/Threaded.dbr"); });
    for (int i = 0; i < 20; ++i)
        Frame();
    loader.join();
    ASSERT_NE(loaded, nullptr);
    std::vector<uint32_t> made;
    loaded->GetPrimaryObjects(made);
    EXPECT_EQ(made.size(), 8u);
    World::Get().AddEntity(loaded, At(30.0f));
    Frame();
    std::vector<uint32_t> placed;
    loaded->GetPlacedObjects(placed);
    EXPECT_EQ(placed.size(), 8u);
}

// The draws of a proxy's rules, replayed: the engine's generator is seeded, the draw the rule
// makes is taken, and the generator seeded alike again for the object under test.
TEST_F(ProxyTest, WeightedChoicesTakeTheFirstRunningSumThatReachesTheDraw)
{
    RandomUniform& random = engine->GetRandomGen();
    const std::vector<ProxySelection> selections = {{"A.dbr", 2}, {"B.dbr", 0}, {"C.dbr", 1}};
    std::set<int> drawn;
    for (uint32_t seed = 0; seed < 40; ++seed) {
        random.Seed(seed);
        const int r = random.IGenerate(0, 3);   // both ends included
        drawn.insert(r);
        random.Seed(seed);
        EXPECT_EQ(Proxy::SelectPool(selections), r <= 2 ? 0u : 2u) << "draw " << r;
    }
    EXPECT_EQ(drawn, (std::set<int>{0, 1, 2, 3})) << "every draw, the sums 2 and 3 among them";

    // An accessory is made when a draw in [0, 100] is at or below "fixedItemChance".
    Record("Records/Test/Chests.dbr", "fixedItemName1,Records/Test/Chest.dbr,\nfixedItemWeight1,1,\n");
    random.Seed(5);
    const int chance = random.IGenerate(0, 100);
    for (const auto& [offset, made] : {std::pair{0, 1u}, std::pair{-1, 0u}}) {
        Record("Records/Test/Chests.dbr", "fixedItemChance," + std::to_string(chance + offset) +
                                              ",\nfixedItemName1,Records/Test/Chest.dbr,\nfixedItemWeight1,1,\n");
        ProxyAccessoryPool accessory;
        accessory.SetParent(MakeProxy(""));
        accessory.LoadFromFile("Records/Test/Chests.dbr");
        random.Seed(5);
        accessory.RunPool(1);
        EXPECT_EQ(accessory.GetObjects().size(), made) << "chance " << chance + offset;
    }
}

// "chanceToRun" 0 means always; otherwise a draw in [0, 100) above the chance keeps the
// proxy from running (and it stays unspent).
TEST_F(ProxyTest, AProxyRunsOnItsChance)
{
    Record("Records/Test/Pool.dbr", "spawnMin,1,\nspawnMax,1,\nname1,Records/Test/Cost1.dbr,\n");
    auto runs = [&](const std::string& chance, int proxies) {
        int ran = 0;
        for (int i = 0; i < proxies; ++i) {
            Proxy* proxy = MakeProxy("pool1,Records/Test/Pool.dbr,\nchanceToRun," + chance + ",\n");
            World::Get().AddEntity(proxy, At(20.0f * static_cast<float>(i)));
            Frame();
            std::vector<uint32_t> placed;
            proxy->GetPlacedObjects(placed);
            EXPECT_EQ(proxy->IsSpent(), !placed.empty()) << chance;
            ran += placed.empty() ? 0 : 1;
        }
        return ran;
    };
    EXPECT_EQ(runs("0", 8), 8);
    EXPECT_EQ(runs("100", 8), 8);
    EXPECT_EQ(runs("0.001", 8), 0);
    const int half = runs("50", 40);
    EXPECT_GT(half, 8);
    EXPECT_LT(half, 32);
}

// The players' average level is held between the two limits of the difficulty's formulas
// (0 is no limit; the lower limit is tested first); their minimum and maximum stay theirs.
TEST_F(ProxyTest, TheAverageLevelIsHeldBetweenTheLimits)
{
    Player* player = MakeMainPlayer();
    player->SetCharLevel(20);
    struct Case {
        GameDifficulty difficulty;
        const char* limits;
        uint32_t average;
    };
    const Case cases[] = {
        {GameDifficulty_Normal, "", 20},
        {GameDifficulty_Normal, "minPlayerLevelEquationNormal,25+0,\nmaxPlayerLevelEquationNormal,0+0,\n", 25},
        {GameDifficulty_Normal, "minPlayerLevelEquationNormal,20+0,\nmaxPlayerLevelEquationNormal,20+0,\n", 20},
        {GameDifficulty_Normal, "minPlayerLevelEquationNormal,0+0,\nmaxPlayerLevelEquationNormal,15+0,\n", 15},
        {GameDifficulty_Normal, "minPlayerLevelEquationNormal,25+0,\nmaxPlayerLevelEquationNormal,15+0,\n", 25},
        {GameDifficulty_Epic, "minPlayerLevelEquationNormal,30+0,\nmaxPlayerLevelEquationEpic,12+0,\n", 12},
        {GameDifficulty_Legendary, "maxPlayerLevelEquationEpic,12+0,\nminPlayerLevelEquationLegendary,21+0,\n", 21},
    };
    int n = 0;
    for (const Case& c : cases) {
        engine->SetGameDifficulty(c.difficulty);
        const std::string limits = "Records/Test/Limits" + std::to_string(++n) + ".dbr";
        Record(limits, c.limits);
        Proxy* proxy = MakeProxy("difficultyLimitsFile," + limits + ",\n");
        EXPECT_EQ(proxy->GetAveragePlayerLevel(), c.average) << c.limits;
        float value = 0.0f;
        ASSERT_TRUE(proxy->GetDesignerVariable("maxPlayerLevel", value));
        EXPECT_EQ(value, 20.0f);
    }
}

// At the cap the countdown restarts at the shortest spawn time; below it the next monster
// comes and the countdown is drawn between the shortest and the longest.
TEST_F(ProxyTest, AnAmbushAtItsCapWaitsTheShortestSpawnTime)
{
    Record("Records/Test/Pool.dbr", "spawnMin,3,\nspawnMax,3,\nname1,Records/Test/Beast.dbr,\n");
    auto* ambush = MakeProxy<ProxyAmbush>("pool1,Records/Test/Pool.dbr,\nalertArea,10,\nminSpawnTime,1,\n"
                                          "maxSpawnTime,4,\nminProxyPopulation,2,\nmaxProxyPopulation,2,\n",
                                          "ProxyAmbush");
    World::Get().AddEntity(ambush, At(0.0f));
    World::Get().AddEntity(MakeMainPlayer(), At(1.0f));
    Frame();
    for (size_t live = 1; live <= 2; ++live) {
        ASSERT_EQ(ambush->GetLiveObjects().size(), live);
        EXPECT_GE(ambush->GetCountdown(), 1000);
        EXPECT_LE(ambush->GetCountdown(), 4000);
        Frame(ambush->GetCountdown());
    }
    EXPECT_EQ(ambush->GetLiveObjects().size(), 2u);
    EXPECT_EQ(ambush->GetCountdown(), 1000);
}

}  // namespace
}  // namespace GAME
