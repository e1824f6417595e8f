// The object manager: ids, look-ups, creation from records and deferred destruction.
#include <gtest/gtest.h>

#include <atomic>
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
// Destroys the child it holds when it is freed, as owners of sounds and effects do.
class OmOwner : public OmBase {
    GAME_DECLARE_CLASS(OmOwner)
public:
    ~OmOwner() override
    {
        if (child)
            ObjectManager::Get().DestroyObjectEx(child, "OmOwner", 1);
    }
    Object* child = nullptr;
};

// Counts its constructions; its Load creates the object its record's "child" names.
class OmLoader : public OmBase {
    GAME_DECLARE_CLASS(OmLoader)
public:
    OmLoader() { ++constructed; }
    void Load(const LoadTable& table) override
    {
        const std::string name = table.GetString("child", "");
        if (!name.empty())
            child = ObjectManager::Get().CreateObjectFromFile<OmBase>(name);
    }
    OmBase* child = nullptr;
    static int constructed;
};

int OmBase::destroyed = 0;
int OmLoader::constructed = 0;
GAME_IMPLEMENT_CLASS(OmLoader, OmBase)
GAME_IMPLEMENT_CLASS(OmBase, Object)
GAME_IMPLEMENT_CLASS(OmDerived, OmBase)
GAME_IMPLEMENT_CLASS(OmOther, Object)
GAME_IMPLEMENT_CLASS(OmOwner, OmBase)

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
        manager.SetIdHost(0);
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

// The list look-up gives what the single typed look-up gives, entry by entry; a class
// that passed once does not let another class through.
TEST_F(ObjectManagerTest, ListLookUpMatchesTheSingleTypedLookUp)
{
    Object* derived = manager.CreateObject("OmDerived");
    Object* base = manager.CreateObject("OmBase");
    Object* other = manager.CreateObject("OmOther");
    Object* gone = manager.CreateObject("OmBase");
    manager.DestroyObjectEx(gone, __FILE__, __LINE__);
    const std::vector<uint32_t> ids = {derived->GetObjectId(), other->GetObjectId(), base->GetObjectId(),
                                       0u, gone->GetObjectId(), 0x0FFFFFF0u, derived->GetObjectId()};
    std::vector<OmBase*> found(ids.size(), reinterpret_cast<OmBase*>(1));
    manager.GetObjects<OmBase>(ids, found.data());
    EXPECT_EQ(found, (std::vector<OmBase*>{static_cast<OmBase*>(derived), nullptr, static_cast<OmBase*>(base),
                                           nullptr, nullptr, nullptr, static_cast<OmBase*>(derived)}));
    for (size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(found[i], manager.GetObject<OmBase>(ids[i])) << i;
    std::vector<OmDerived*> derivedOnly(ids.size());
    manager.GetObjects<OmDerived>(ids, derivedOnly.data());
    EXPECT_EQ(derivedOnly[0], derived);
    EXPECT_EQ(derivedOnly[2], nullptr);   // a base is no derived, though a derived passed
    manager.FlushDestroyedObjects();
}

// Runs of consecutive ids share table lines: the same local ids from every host, and
// runs that meet, all stay found, also after some are destroyed and made again.
TEST_F(ObjectManagerTest, RunsOfIdsFromEveryHostAreAllFound)
{
    std::vector<Object*> objects;
    for (uint32_t host = 0; host < kObjectIdHostCount; ++host)
        for (uint32_t local = 1; local <= 40; ++local)
            objects.push_back(manager.CreateObject("OmBase", host << kObjectIdHostShift | local));
    for (Object* object : objects)
        ASSERT_NE(object, nullptr);
    for (size_t i = 0; i < objects.size(); i += 3)
        manager.DestroyObjectEx(objects[i], __FILE__, __LINE__);
    for (size_t i = 0; i < objects.size(); i += 6) {
        const uint32_t id = objects[i]->GetObjectId();
        objects[i] = manager.CreateObject("OmDerived", id);
        ASSERT_NE(objects[i], nullptr) << id;
    }
    for (size_t i = 0; i < objects.size(); ++i) {
        const bool destroyed = i % 3 == 0 && i % 6 != 0;
        if (!destroyed) {
            EXPECT_EQ(manager.GetObject<OmBase>(objects[i]->GetObjectId()), objects[i]) << i;
        }
    }
    manager.FlushDestroyedObjects();
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

TEST_F(ObjectManagerTest, AnOwnerFreeingItsChildNeverFreesItTwice)
{
    auto makePair = [this] {
        auto* owner = static_cast<OmOwner*>(manager.CreateObject("OmOwner"));
        owner->child = manager.CreateObject("OmBase");
        return owner;
    };

    // Torn down together, in either order of ids.
    makePair();
    Object* older = manager.CreateObject("OmBase");   // freed before its owner
    static_cast<OmOwner*>(manager.CreateObject("OmOwner"))->child = older;
    manager.DestroyAllObjects();
    EXPECT_EQ(OmBase::destroyed, 4);
    EXPECT_EQ(manager.GetObjectCount(), 0u);

    // The child destroyed earlier in the frame, the owner after it, or the other way round.
    OmBase::destroyed = 0;
    OmOwner* first = makePair();
    manager.DestroyObjectEx(first->child, __FILE__, __LINE__);
    manager.DestroyObjectEx(first, __FILE__, __LINE__);
    OmOwner* second = makePair();
    manager.DestroyObjectEx(second, __FILE__, __LINE__);
    manager.DestroyObjectEx(second->child, __FILE__, __LINE__);
    // The owner alone: its live child goes in the same flush.
    OmOwner* third = makePair();
    const uint32_t childId = third->child->GetObjectId();
    manager.DestroyObjectEx(third, __FILE__, __LINE__);
    LogCapture log;
    manager.FlushDestroyedObjects();
    EXPECT_EQ(OmBase::destroyed, 6);
    EXPECT_EQ(manager.GetObject(childId), nullptr);
    EXPECT_EQ(manager.GetObjectCount(), 0u);
    EXPECT_TRUE(log.Lines().empty());   // letting go of a child being freed is no fault

    // An object the manager does not hold is never freed by it.
    OmBase local;
    manager.DestroyObjectEx(&local, "test", 9);
    manager.FlushDestroyedObjects();
    EXPECT_EQ(OmBase::destroyed, 6);
    EXPECT_TRUE(log.Contains("Unable to destroy an object the object manager does not hold (test:9)"));
}

TEST_F(ObjectManagerTest, AStaleIdFindsNothingAndARecreatedIdFindsItsNewClass)
{
    Object* base = manager.CreateObject("OmBase", 500);
    manager.DestroyObjectEx(base, __FILE__, __LINE__);
    EXPECT_EQ(manager.GetObject(500), nullptr);
    EXPECT_EQ(manager.GetObject<OmBase>(500), nullptr);

    Object* other = manager.CreateObject("OmOther", 500);   // before the flush
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(manager.GetObject(500), other);
    EXPECT_EQ(manager.GetObject<OmOther>(500), other);
    EXPECT_EQ(manager.GetObject<OmBase>(500), nullptr);
    manager.FlushDestroyedObjects();
    EXPECT_EQ(manager.GetObject<OmOther>(500), other);
    EXPECT_EQ(OmBase::destroyed, 1);
}

TEST_F(ObjectManagerTest, EachHostMakesIdsInItsOwnRange)
{
    manager.SetIdHost(2);
    const uint32_t first = manager.CreateObjectID();
    EXPECT_EQ(first >> kObjectIdHostShift, 2u);
    EXPECT_NE(first & 0x0FFFFFFFu, 0u);

    // An id given by another host is kept as it is, and this host's next ids skip it.
    RecordDatabase::Get().RegisterRecord("Records/Test/Base.dbr", "Class,OmBase,\n");
    Object* remote = manager.CreateObjectFromFile("Records/Test/Base.dbr", (1u << kObjectIdHostShift) | 5u);
    ASSERT_NE(remote, nullptr);
    EXPECT_EQ(manager.GetObject<OmBase>((1u << kObjectIdHostShift) | 5u), remote);
    const uint32_t next = first + 1;
    ASSERT_NE(manager.CreateObject("OmBase", next), nullptr);
    EXPECT_EQ(manager.CreateObjectID(), next + 1);

    LogCapture log;
    manager.SetIdHost(16);
    EXPECT_EQ(manager.GetIdHost(), 2);
    EXPECT_TRUE(log.Contains("ObjectManager: host 16 has no id range"));
    manager.SetIdHost(0);
    EXPECT_EQ(manager.CreateObjectID() >> kObjectIdHostShift, 0u);
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

// Bad records: the wrong class is refused before anything is made, and a record that
// loads itself, directly or through others, or a chain too deep, stops with a log line.
TEST_F(ObjectManagerTest, RecordsAreClassTestedBeforeCreationAndCannotLoadThemselves)
{
    LogCapture log;
    auto& records = RecordDatabase::Get();
    OmLoader::constructed = 0;
    records.RegisterRecord("Records/Test/Loader.dbr", "Class,OmLoader,\n");
    EXPECT_EQ(manager.CreateObjectFromFile<OmOther>("Records/Test/Loader.dbr"), nullptr);
    EXPECT_EQ(OmLoader::constructed, 0);
    EXPECT_TRUE(log.Contains(
        "Unable to create object from \"Records/Test/Loader.dbr\": class \"OmLoader\" is not a OmOther"));

    records.RegisterRecord("Records/Test/Self.dbr", "Class,OmLoader,\nchild,records\\test\\SELF.dbr,\n");
    auto* self = manager.CreateObjectFromFile<OmLoader>("Records/Test/Self.dbr");
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self->child, nullptr);
    EXPECT_EQ(OmLoader::constructed, 1);

    records.RegisterRecord("Records/Test/A.dbr", "Class,OmLoader,\nchild,Records/Test/B.dbr,\n");
    records.RegisterRecord("Records/Test/B.dbr", "Class,OmLoader,\nchild,Records/Test/A.dbr,\n");
    auto* a = manager.CreateObjectFromFile<OmLoader>("Records/Test/A.dbr");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->child, nullptr);
    EXPECT_EQ(static_cast<OmLoader*>(a->child)->child, nullptr);
    EXPECT_EQ(log.Count("Unable to create object from \"Records/Test/A.dbr\": the record is already loading "
                        "(it names itself)"), 1u);

    // Distinct records chained deeper than the limit: the chain stops at the limit.
    const int chain = ObjectManager::kMaxRecordLoadDepth + 4;
    for (int i = 0; i < chain; ++i)
        records.RegisterRecord("Records/Test/Chain" + std::to_string(i) + ".dbr",
                               "Class,OmLoader,\nchild,Records/Test/Chain" + std::to_string(i + 1) + ".dbr,\n");
    OmLoader::constructed = 0;
    ASSERT_NE(manager.CreateObjectFromFile<OmLoader>("Records/Test/Chain0.dbr"), nullptr);
    EXPECT_EQ(OmLoader::constructed, ObjectManager::kMaxRecordLoadDepth);
    // After a refused load the guard is clear again.
    EXPECT_NE(manager.CreateObjectFromFile<OmLoader>("Records/Test/Loader.dbr"), nullptr);
}

TEST_F(ObjectManagerTest, DestroyedObjectsLeaveTheForcedUpdateRegistry)
{
    Object* first = manager.CreateObject("OmBase");
    Object* second = manager.CreateObject("OmBase");
    Object* third = manager.CreateObject("OmBase");
    for (Object* object : {first, second, third})
        gEngine->RegisterForcedUpdate(object->GetObjectId());
    gEngine->RegisterForcedUpdate(first->GetObjectId());   // once only
    gEngine->RegisterForcedUpdate(0);                      // never an object
    EXPECT_EQ(gEngine->GetForcedUpdateIds(),
              (std::vector<uint32_t>{first->GetObjectId(), second->GetObjectId(), third->GetObjectId()}));

    const uint32_t secondId = second->GetObjectId();
    manager.DestroyObjectEx(second, __FILE__, __LINE__);
    EXPECT_FALSE(gEngine->IsRegisteredForForcedUpdate(secondId));
    gEngine->UnregisterForcedUpdate(first->GetObjectId());
    EXPECT_EQ(gEngine->GetForcedUpdateIds(), std::vector<uint32_t>{third->GetObjectId()});
    manager.DestroyAllObjects();
    EXPECT_TRUE(gEngine->GetForcedUpdateIds().empty());
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

// Readers look up without a lock while other threads create and destroy (and the table
// grows under them): a reader gets the live object or null, never another object, and
// the class it is given is the object's own. Run under ThreadSanitizer too.
TEST_F(ObjectManagerTest, LookUpsRaceCreationAndDestructionSafely)
{
    constexpr int kStable = 200;
    constexpr int kWriters = 2;
    constexpr int kReaders = 3;
    constexpr int kRounds = 3000;
    std::vector<uint32_t> stable;
    for (int i = 0; i < kStable; ++i)
        stable.push_back(manager.CreateObject("OmBase")->GetObjectId());

    // Ids the writers hand out, so readers can chase objects that come and go.
    std::vector<std::atomic<uint32_t>> churn(kWriters);
    std::atomic<int> writersLeft{kWriters};
    std::atomic<int> mismatches{0};
    std::atomic<long> stableFound{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([&, w] {
            std::vector<Object*> kept;
            for (int round = 0; round < kRounds; ++round) {
                Object* made = manager.CreateObject(round % 2 ? "OmOther" : "OmDerived");
                churn[w].store(made->GetObjectId(), std::memory_order_relaxed);
                if (round % 3 == 0)
                    kept.push_back(made);   // grows the table while readers probe it
                else
                    manager.DestroyObjectEx(made, __FILE__, __LINE__);
            }
            for (Object* object : kept)
                manager.DestroyObjectEx(object, __FILE__, __LINE__);
            writersLeft.fetch_sub(1);
        });
    }
    for (int r = 0; r < kReaders; ++r) {
        threads.emplace_back([&] {
            while (writersLeft.load() > 0) {
                for (uint32_t id : stable)
                    if (OmBase* object = manager.GetObject<OmBase>(id); object && object->GetObjectId() == id)
                        stableFound.fetch_add(1, std::memory_order_relaxed);
                for (auto& chased : churn) {
                    const uint32_t id = chased.load(std::memory_order_relaxed);
                    const Object* object = manager.GetObject(id);
                    const OmOther* other = manager.GetObject<OmOther>(id);
                    if ((object && object->GetObjectId() != id) || (other && !other->IsA<OmOther>()))
                        mismatches.fetch_add(1);
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(stableFound.load() % kStable, 0);
    EXPECT_EQ(manager.GetObjectCount(), static_cast<size_t>(kStable));
}

// A link answers as GetObject<T> does: it finds again when the id asked for changes or any
// object leaves the look-ups, and never remembers finding nothing.
TEST_F(ObjectManagerTest, ALinkFindsAgainAfterAnyDestructionOrAnotherId)
{
    ObjectLink<OmBase> link;
    EXPECT_EQ(link.Get(600), nullptr);
    Object* first = manager.CreateObject("OmDerived", 600);
    Object* other = manager.CreateObject("OmOther", 602);
    EXPECT_EQ(link.Get(600), first);
    EXPECT_EQ(link.Get(602), nullptr);   // the class is tested
    EXPECT_EQ(link.Get(600), first);
    manager.DestroyObjectEx(other, __FILE__, __LINE__);
    EXPECT_EQ(link.Get(600), first);
    manager.DestroyObjectEx(first, __FILE__, __LINE__);
    EXPECT_EQ(link.Get(600), nullptr);
    Object* again = manager.CreateObject("OmBase", 600);   // before the flush
    EXPECT_EQ(link.Get(600), again);
    manager.DestroyAllObjects();
    EXPECT_EQ(link.Get(600), nullptr);
}

}  // namespace
}  // namespace GAME
