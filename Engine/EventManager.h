// The event bus: listeners register for an event name; Send hands an event structure to
// every listener of its name, synchronously, in the order they registered.
#pragma once

#include <any>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/Engine.h"
#include "Engine/Name.h"
#include "Engine/Singleton.h"

namespace GAME {

// Base of every event structure. Game events derive from it and are sent under their
// own name ("GameEvent_CreatureDeath" and so on); listeners cast to the structure
// they expect.
struct GameEvent {
    virtual ~GameEvent() = default;
};

// Something that receives events. A listener still registered when it is destroyed is
// taken off every list, so the manager never calls a destroyed listener; destroy a
// listener on the thread that sends, or unregister it first.
class EventHandlerInterface {
public:
    EventHandlerInterface() = default;
    EventHandlerInterface(const EventHandlerInterface&) = delete;
    EventHandlerInterface& operator=(const EventHandlerInterface&) = delete;
    virtual ~EventHandlerInterface();

    virtual void HandleEvent(const GameEvent& event, const Name& eventName) = 0;

private:
    friend class EventManager;
    int m_registrations = 0;   // guarded by the manager's lock
};

class EventManager {
public:
    using SendObserver = std::function<void(const GameEvent&, const Name&)>;

    EventManager() = default;
    EventManager(const EventManager&) = delete;
    EventManager& operator=(const EventManager&) = delete;

    static EventManager& Get();

    // Adds a listener for a name; registering the same pair twice has no further effect.
    // A listener added while that event is being sent first hears the next one.
    void Register(const Name& eventName, EventHandlerInterface* listener);
    void Register(const char* eventName, EventHandlerInterface* listener) { Register(Name(eventName), listener); }
    // Removes a listener for a name. Removed while the event is being sent, it is not
    // called again, not even for the event in progress.
    void UnRegister(const Name& eventName, EventHandlerInterface* listener);
    void UnRegister(const char* eventName, EventHandlerInterface* listener) { UnRegister(Name(eventName), listener); }
    // Removes a listener from every name.
    void UnRegisterAll(EventHandlerInterface* listener);

    // Delivers the event to each listener of the name before returning. Listeners may
    // send, register and unregister from inside. Sends from other threads wait.
    void Send(const GameEvent& event, const Name& eventName);
    void Send(const GameEvent& event, const char* eventName) { Send(event, Name(eventName)); }

    size_t GetListenerCount(const Name& eventName) const;

    // Called with every event sent, before its listeners (tests, tracing). Returns the
    // observer it replaces.
    SendObserver SetSendObserver(SendObserver observer);

private:
    using ListenerList = std::vector<EventHandlerInterface*>;   // null: removed during a send

    void Compact();

    mutable CriticalSection m_lock;
    std::unordered_map<Name, ListenerList> m_listeners;
    SendObserver m_observer;
    int m_sendDepth = 0;
    bool m_needsCompact = false;
};

// A listener that forwards one event structure to a member of its owner. It registers
// for its name when constructed and unregisters when destroyed; without an owner set it
// ignores what it receives.
template <class Owner, class Event>
class GameEventListener : public EventHandlerInterface {
public:
    using Handler = void (Owner::*)(const Event&);

    GameEventListener(const char* eventName, Handler handler, Owner* owner = nullptr)
        : m_eventName(eventName), m_handler(handler), m_owner(owner)
    {
        EventManager::Get().Register(m_eventName, this);
    }
    ~GameEventListener() override { EventManager::Get().UnRegister(m_eventName, this); }

    void SetOwner(Owner* owner) { m_owner = owner; }
    Owner* GetOwner() const { return m_owner; }
    const Name& GetEventName() const { return m_eventName; }

    void HandleEvent(const GameEvent& event, const Name& eventName) override
    {
        if (!m_owner || !m_handler)
            return;
        const Event* typed = dynamic_cast<const Event*>(&event);
        if (!typed) {
            gEngine->Log(LOG_WARNING, "EventManager: event \"%s\" is not the structure its listener expects, ignored",
                         eventName.c_str());
            return;
        }
        (m_owner->*m_handler)(*typed);
    }

private:
    Name m_eventName;
    Handler m_handler;
    Owner* m_owner;
};

// Records every event sent while it lives (tests); chains to the observer it replaced
// and restores it afterwards. Copies of events are kept for the names asked for with
// Keep, so a test can read their fields after the send.
class EventCapture {
public:
    EventCapture();
    ~EventCapture();
    EventCapture(const EventCapture&) = delete;
    EventCapture& operator=(const EventCapture&) = delete;

    // The names of the events sent, in order.
    std::vector<std::string> Names() const;
    size_t Count(const char* eventName) const;
    void Clear();

    // From now on, keeps a copy of each event sent under `eventName` that is an `E`.
    template <class E>
    void Keep(const char* eventName)
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_copiers[Name(eventName)] = [](const GameEvent& event) -> std::any {
            const E* typed = dynamic_cast<const E*>(&event);
            return typed ? std::any(*typed) : std::any();
        };
    }

    // The kept copies of the events of that name, in the order sent.
    template <class E>
    std::vector<E> Kept(const char* eventName) const
    {
        const Name name(eventName);
        std::vector<E> out;
        std::lock_guard<std::mutex> guard(m_mutex);
        for (const Sent& sent : m_sent)
            if (sent.name == name)
                if (const E* copy = std::any_cast<E>(&sent.copy))
                    out.push_back(*copy);
        return out;
    }

private:
    struct Sent {
        Name name;
        std::any copy;
    };
    void Record(const GameEvent& event, const Name& eventName);

    mutable std::mutex m_mutex;
    std::vector<Sent> m_sent;
    std::unordered_map<Name, std::function<std::any(const GameEvent&)>> m_copiers;
    EventManager::SendObserver m_previous;
};

}  // namespace GAME
