// The object manager: ids, look-ups, creation from records and deferred destruction.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"

namespace GAME {

class OmBase : public Object {
    GAME_DECLARE_CLASS(OmBase)
public:
    ~OmBase() override { ++destroyed; }
    void Load(const LoadTable& table) override { value = table.GetInt("value", -1); }
    int value = 0;
    static int destroyed;
};
class OmDerived : public OmBase {
    GAME_DECLARE_CLASS(OmDerived)
};
class OmOther : public Object {
    GAME_DECLARE_CLASS(OmOther)
};

int OmBase::destroyed = 0;
GAME_IMPLEMENT_CLASS(OmBase, Object)
GAME_IMPLEMENT_CLASS(OmDerived, OmBase)
GAME_IMPLEMENT_CLASS(OmOther, Object)

namespace {

class ObjectManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OmBase::destroyed = 0;
        RecordDatabase::Get().Clear();
    }
    void TearDown() override
    {
        manager.DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }
    ObjectManager& manager = ObjectManager::Get();
};

TEST_F(ObjectManagerTest, TypedLookUpFollowsTheClassTree)
{
    Object* derived = manager.CreateObject("OmDerived");
    Object* base = manager.CreateObject("OmBase");
    ASSERT_NE(derived, nullptr);
    ASSERT_NE(base, nullptr);
    EXPECT_NE(derived->GetObjectId(), 0u);
    EXPECT_NE(derived->GetObjectId(), base->GetObjectId());

    EXPECT_EQ(manager.GetObject(derived->GetObjectId()), derived);
    EXPECT_EQ(manager.GetObject<OmBase>(derived->GetObjectId()), derived);   // a derived is a base
    EXPECT_EQ(manager.GetObject<OmDerived>(base->GetObjectId()), nullptr);
    EXPECT_EQ(manager.GetObject<OmOther>(derived->GetObjectId()), nullptr);
    EXPECT_EQ(manager.GetObject(0), nullptr);
    EXPECT_EQ(manager.GetObject(0xFFFFFFF0u), nullptr);
}

TEST_F(ObjectManagerTest, DestroyedObjectsLeaveTheLookUpAtOnceAndAreFreedLater)
{
    Object* object = manager.CreateObject("OmBase");
    const uint32_t id = object->GetObjectId();
    manager.DestroyObjectEx(object, __FILE__, __LINE__);
    EXPECT_EQ(manager.GetObject(id), nullptr);
    EXPECT_EQ(OmBase::destroyed, 0);   // still alive until the frame ends
    {
        LogCapture log;
        manager.DestroyObjectEx(object, "test", 7);   // twice: ignored, not freed twice
        EXPECT_TRUE(log.Contains("Object " + std::to_string(id) + " destroyed twice (test:7)"));
    }
    manager.FlushDestroyedObjects();
    EXPECT_EQ(OmBase::destroyed, 1);
}

TEST_F(ObjectManagerTest, GivenIdsAreKeptAndATakenIdIsRefused)
{
    Object* object = manager.CreateObject("OmBase", 4242);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->GetObjectId(), 4242u);
    LogCapture log;
    EXPECT_EQ(manager.CreateObject("OmBase", 4242), nullptr);
    EXPECT_EQ(OmBase::destroyed, 1);   // the refused one is not leaked
    EXPECT_EQ(manager.GetObject(4242), object);
    EXPECT_EQ(manager.CreateObject("Missing"), nullptr);
    EXPECT_TRUE(log.Contains("Unable to create object \"Missing\": no such class"));
}

TEST_F(ObjectManagerTest, CreationFromARecordLoadsItAndChecksTheClass)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Derived.dbr", "Class,OmDerived,\nvalue,17,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Other.dbr", "Class,OmOther,\n");

    auto* loaded = manager.CreateObjectFromFile<OmBase>("records\\test\\DERIVED.dbr");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->value, 17);
    EXPECT_EQ(loaded->GetObjectName(), "records\\test\\DERIVED.dbr");

    auto* unloaded = manager.CreateObjectFromFile<OmBase>("Records/Test/Derived.dbr", 0, false);
    ASSERT_NE(unloaded, nullptr);
    EXPECT_EQ(unloaded->value, 0);

    const size_t before = manager.GetObjectCount();
    EXPECT_EQ(manager.CreateObjectFromFile<OmBase>("Records/Test/Other.dbr"), nullptr);
    EXPECT_EQ(manager.GetObjectCount(), before);   // the wrong class is destroyed again
    EXPECT_EQ(manager.CreateObjectFromFile("Records/Test/Missing.dbr"), nullptr);
}

TEST_F(ObjectManagerTest, ManyObjectsSurviveGrowthAndRemovals)
{
    std::vector<Object*> objects;
    for (int i = 0; i < 5000; ++i)
        objects.push_back(manager.CreateObject("OmBase"));
    for (size_t i = 0; i < objects.size(); i += 2)
        manager.DestroyObjectEx(objects[i], __FILE__, __LINE__);
    for (int i = 0; i < 3000; ++i)
        objects.push_back(manager.CreateObject("OmDerived"));
    size_t live = 0;
    for (size_t i = 0; i < objects.size(); ++i) {
        const bool destroyed = i < 5000 && i % 2 == 0;
        if (!destroyed) {
            ++live;
            ASSERT_EQ(manager.GetObject(objects[i]->GetObjectId()), objects[i]) << i;
        }
    }
    EXPECT_EQ(manager.GetObjectCount(), live);
    manager.FlushDestroyedObjects();
}

TEST_F(ObjectManagerTest, LookUpsFromSeveralThreads)
{
    std::vector<uint32_t> ids;
    for (int i = 0; i < 200; ++i)
        ids.push_back(manager.CreateObject("OmBase")->GetObjectId());
    std::vector<std::thread> threads;
    std::atomic<int> found{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 200; ++round)
                for (uint32_t id : ids)
                    if (manager.GetObject<OmBase>(id))
                        found.fetch_add(1, std::memory_order_relaxed);
        });
    }
    // Meanwhile the owner keeps creating and destroying other objects.
    for (int i = 0; i < 2000; ++i)
        manager.DestroyObjectEx(manager.CreateObject("OmOther"), __FILE__, __LINE__);
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(found.load(), 4 * 200 * 200);
}

}  // namespace
}  // namespace GAME
