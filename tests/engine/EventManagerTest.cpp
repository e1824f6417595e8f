#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"

using namespace GAME;

namespace {

struct GameEvent_TestDeath : GameEvent {
    unsigned dead = 0;
    unsigned killer = 0;
};

struct GameEvent_TestOther : GameEvent {
    int value = 0;
};

// Records what it hears into a shared journal and runs an optional action on each event.
class Recorder : public EventHandlerInterface {
public:
    Recorder(std::string label, std::vector<std::string>& journal) : m_label(std::move(label)), m_journal(journal) {}
    void HandleEvent(const GameEvent&, const Name& eventName) override
    {
        m_journal.push_back(m_label + ":" + eventName.c_str());
        if (action)
            action();
    }
    std::function<void()> action;

private:
    std::string m_label;
    std::vector<std::string>& m_journal;
};

class EventManagerTest : public ::testing::Test {
protected:
    EventManager& events = EventManager::Get();
    std::vector<std::string> journal;
};

}  // namespace

TEST_F(EventManagerTest, NameSelectsListenersInRegistrationOrder)
{
    Recorder a("a", journal), b("b", journal), c("c", journal);
    events.Register("GameEvent_TestDeath", &b);
    events.Register("GameEvent_TestDeath", &a);
    events.Register("GameEvent_TestOther", &c);
    events.Register("GameEvent_TestDeath", &b);   // twice: still heard once
    EXPECT_EQ(&Singleton<EventManager>::Get(), &events);

    events.Send(GameEvent_TestDeath{}, "GameEvent_TestDeath");
    events.Send(GameEvent_TestOther{}, "GameEvent_Nobody");
    EXPECT_EQ(journal, (std::vector<std::string>{"b:GameEvent_TestDeath", "a:GameEvent_TestDeath"}));

    events.UnRegister("GameEvent_TestDeath", &b);
    events.Send(GameEvent_TestDeath{}, "GameEvent_TestDeath");
    EXPECT_EQ(journal.back(), "a:GameEvent_TestDeath");
    EXPECT_EQ(journal.size(), 3u);
}

TEST_F(EventManagerTest, ListenersMayUnregisterThemselvesAndOthersDuringSend)
{
    auto a = std::make_unique<Recorder>("a", journal);
    auto b = std::make_unique<Recorder>("b", journal);
    auto c = std::make_unique<Recorder>("c", journal);
    const Name name("GameEvent_TestDeath");
    for (Recorder* r : {a.get(), b.get(), c.get()})
        events.Register(name, r);
    // b leaves, takes c (not yet called) with it, and c is destroyed on the spot.
    b->action = [&] {
        events.UnRegister(name, b.get());
        events.UnRegister(name, c.get());
        c.reset();
    };
    events.Send(GameEvent_TestDeath{}, name);
    EXPECT_EQ(journal, (std::vector<std::string>{"a:GameEvent_TestDeath", "b:GameEvent_TestDeath"}));
    EXPECT_EQ(events.GetListenerCount(name), 1u);

    journal.clear();
    events.Send(GameEvent_TestDeath{}, name);
    EXPECT_EQ(journal, (std::vector<std::string>{"a:GameEvent_TestDeath"}));
}

TEST_F(EventManagerTest, ListenerAddedDuringSendHearsTheNextEvent)
{
    Recorder a("a", journal), late("late", journal);
    const Name name("GameEvent_TestDeath");
    events.Register(name, &a);
    a.action = [&] { events.Register(name, &late); };
    events.Send(GameEvent_TestDeath{}, name);
    EXPECT_EQ(journal, (std::vector<std::string>{"a:GameEvent_TestDeath"}));
    a.action = nullptr;
    events.Send(GameEvent_TestDeath{}, name);
    EXPECT_EQ(journal.back(), "late:GameEvent_TestDeath");
}

TEST_F(EventManagerTest, NestedSendsDeliverAtOnce)
{
    Recorder outer("outer", journal), inner("inner", journal);
    events.Register("GameEvent_TestDeath", &outer);
    events.Register("GameEvent_TestOther", &inner);
    outer.action = [&] {
        events.UnRegister("GameEvent_TestDeath", &outer);
        events.Send(GameEvent_TestOther{}, "GameEvent_TestOther");
    };
    events.Send(GameEvent_TestDeath{}, "GameEvent_TestDeath");
    EXPECT_EQ(journal, (std::vector<std::string>{"outer:GameEvent_TestDeath", "inner:GameEvent_TestOther"}));
    EXPECT_EQ(events.GetListenerCount(Name("GameEvent_TestDeath")), 0u);
}

TEST_F(EventManagerTest, DestroyedListenerIsTakenOffEveryList)
{
    {
        Recorder gone("gone", journal);
        events.Register("GameEvent_TestDeath", &gone);
        events.Register("GameEvent_TestOther", &gone);
    }
    events.Send(GameEvent_TestDeath{}, "GameEvent_TestDeath");
    events.Send(GameEvent_TestOther{}, "GameEvent_TestOther");
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(events.GetListenerCount(Name("GameEvent_TestOther")), 0u);
}

namespace {

struct Owner {
    std::vector<unsigned> deaths;
    void OnDeath(const GameEvent_TestDeath& event) { deaths.push_back(event.dead * 100 + event.killer); }
};

}  // namespace

TEST_F(EventManagerTest, TypedListenerForwardsToItsOwnerWhileSet)
{
    Owner owner;
    GameEvent_TestDeath death;
    death.dead = 7;
    death.killer = 3;
    {
        GameEventListener<Owner, GameEvent_TestDeath> listener("GameEvent_TestDeath", &Owner::OnDeath);
        events.Send(death, "GameEvent_TestDeath");   // no owner yet: ignored
        listener.SetOwner(&owner);
        events.Send(death, "GameEvent_TestDeath");
        EXPECT_EQ(owner.deaths, (std::vector<unsigned>{703}));

        LogCapture log;
        events.Send(GameEvent_TestOther{}, "GameEvent_TestDeath");   // wrong structure under the name
        EXPECT_TRUE(log.Contains(
            "EventManager: event \"GameEvent_TestDeath\" is not the structure its listener expects, ignored"));
        EXPECT_EQ(owner.deaths.size(), 1u);
    }
    EXPECT_EQ(events.GetListenerCount(Name("GameEvent_TestDeath")), 0u);
}

TEST_F(EventManagerTest, CaptureRecordsNamesAndKeepsCopies)
{
    std::vector<std::string> outerNames;
    auto previous = events.SetSendObserver(
        [&](const GameEvent&, const Name& name) { outerNames.emplace_back(name.c_str()); });
    {
        EventCapture capture;
        capture.Keep<GameEvent_TestDeath>("GameEvent_TestDeath");
        GameEvent_TestDeath death;
        death.dead = 11;
        events.Send(death, "GameEvent_TestDeath");
        events.Send(GameEvent_TestOther{}, "GameEvent_TestOther");
        death.dead = 12;
        events.Send(death, "GameEvent_TestDeath");

        EXPECT_EQ(capture.Names(),
                  (std::vector<std::string>{"GameEvent_TestDeath", "GameEvent_TestOther", "GameEvent_TestDeath"}));
        EXPECT_EQ(capture.Count("GameEvent_TestDeath"), 2u);
        const auto kept = capture.Kept<GameEvent_TestDeath>("GameEvent_TestDeath");
        ASSERT_EQ(kept.size(), 2u);
        EXPECT_EQ(kept[0].dead, 11u);
        EXPECT_EQ(kept[1].dead, 12u);
        EXPECT_TRUE(capture.Kept<GameEvent_TestOther>("GameEvent_TestOther").empty());
    }
    events.Send(GameEvent_TestOther{}, "GameEvent_After");
    EXPECT_EQ(outerNames.size(), 4u);   // chained while the capture lived, restored after
    events.SetSendObserver(std::move(previous));
}
