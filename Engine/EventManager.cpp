#include "Engine/EventManager.h"

#include <algorithm>

namespace GAME {

EventHandlerInterface::~EventHandlerInterface()
{
    if (m_registrations > 0)
        EventManager::Get().UnRegisterAll(this);
}

EventManager& EventManager::Get()
{
    static EventManager manager;
    return manager;
}

void EventManager::Register(const Name& eventName, EventHandlerInterface* listener)
{
    if (!listener || eventName.IsEmpty())
        return;
    CriticalSectionLock lock(m_lock);
    ListenerList& list = m_listeners[eventName];
    if (std::find(list.begin(), list.end(), listener) != list.end())
        return;
    list.push_back(listener);
    ++listener->m_registrations;
}

void EventManager::UnRegister(const Name& eventName, EventHandlerInterface* listener)
{
    if (!listener)
        return;
    CriticalSectionLock lock(m_lock);
    auto found = m_listeners.find(eventName);
    if (found == m_listeners.end())
        return;
    ListenerList& list = found->second;
    auto it = std::find(list.begin(), list.end(), listener);
    if (it == list.end())
        return;
    --listener->m_registrations;
    if (m_sendDepth > 0) {
        // A send may be walking this list: leave a hole and close it afterwards.
        *it = nullptr;
        m_needsCompact = true;
        return;
    }
    list.erase(it);
    if (list.empty())
        m_listeners.erase(found);
}

void EventManager::UnRegisterAll(EventHandlerInterface* listener)
{
    if (!listener)
        return;
    CriticalSectionLock lock(m_lock);
    for (auto& [name, list] : m_listeners)
        for (EventHandlerInterface*& entry : list)
            if (entry == listener)
                entry = nullptr;
    listener->m_registrations = 0;
    m_needsCompact = true;
    if (m_sendDepth == 0)
        Compact();
}

void EventManager::Compact()
{
    for (auto it = m_listeners.begin(); it != m_listeners.end();) {
        ListenerList& list = it->second;
        list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
        it = list.empty() ? m_listeners.erase(it) : std::next(it);
    }
    m_needsCompact = false;
}

void EventManager::Send(const GameEvent& event, const Name& eventName)
{
    CriticalSectionLock lock(m_lock);
    if (m_observer)
        m_observer(event, eventName);
    auto found = m_listeners.find(eventName);
    if (found == m_listeners.end())
        return;

    // Lists are only shortened when no send is walking them; the map keeps its
    // elements in place when it grows, so this reference survives nested registrations.
    struct DepthGuard {
        EventManager& manager;
        explicit DepthGuard(EventManager& m) : manager(m) { ++manager.m_sendDepth; }
        ~DepthGuard()
        {
            if (--manager.m_sendDepth == 0 && manager.m_needsCompact)
                manager.Compact();
        }
    } guard(*this);
    ListenerList& list = found->second;
    const size_t count = list.size();   // listeners added from here on hear the next send
    for (size_t i = 0; i < count; ++i) {
        EventHandlerInterface* listener = list[i];
        if (listener)
            listener->HandleEvent(event, eventName);
    }
}

size_t EventManager::GetListenerCount(const Name& eventName) const
{
    CriticalSectionLock lock(m_lock);
    auto found = m_listeners.find(eventName);
    if (found == m_listeners.end())
        return 0;
    return static_cast<size_t>(std::count_if(found->second.begin(), found->second.end(),
                                             [](const EventHandlerInterface* l) { return l != nullptr; }));
}

EventManager::SendObserver EventManager::SetSendObserver(SendObserver observer)
{
    CriticalSectionLock lock(m_lock);
    SendObserver previous = std::move(m_observer);
    m_observer = std::move(observer);
    return previous;
}

EventCapture::EventCapture()
{
    m_previous = EventManager::Get().SetSendObserver(
        [this](const GameEvent& event, const Name& eventName) { Record(event, eventName); });
}

EventCapture::~EventCapture()
{
    EventManager::Get().SetSendObserver(std::move(m_previous));
}

void EventCapture::Record(const GameEvent& event, const Name& eventName)
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        Sent sent{eventName, {}};
        auto copier = m_copiers.find(eventName);
        if (copier != m_copiers.end())
            sent.copy = copier->second(event);
        m_sent.push_back(std::move(sent));
    }
    if (m_previous)
        m_previous(event, eventName);
}

std::vector<std::string> EventCapture::Names() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<std::string> out;
    out.reserve(m_sent.size());
    for (const Sent& sent : m_sent)
        out.emplace_back(sent.name.c_str());
    return out;
}

size_t EventCapture::Count(const char* eventName) const
{
    const Name name(eventName);
    std::lock_guard<std::mutex> guard(m_mutex);
    return static_cast<size_t>(
        std::count_if(m_sent.begin(), m_sent.end(), [&](const Sent& sent) { return sent.name == name; }));
}

void EventCapture::Clear()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_sent.clear();
}

}  // namespace GAME
