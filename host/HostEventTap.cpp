#include "host/HostEventTap.h"

#include "Engine/EventManager.h"

namespace GAME {

HostEventTap::~HostEventTap()
{
    Stop();
}

void HostEventTap::Start(std::function<void(const GameEvent&)> heard)
{
    if (m_on)
        return;
    m_on = true;
    m_heard = std::move(heard);
    m_previous = EventManager::Get().SetSendObserver([this](const GameEvent& event, const Name& name) {
        m_heard(event);
        if (m_previous)
            m_previous(event, name);
    });
}

void HostEventTap::Stop()
{
    if (m_on)
        EventManager::Get().SetSendObserver(std::move(m_previous));
    m_on = false;
    m_previous = nullptr;
}

}  // namespace GAME
