#include "Game/core/ActivityManager.h"

#include <cstddef>

namespace GAME {

namespace {
ActivityManager* gActivityManager = nullptr;
}

ActivityManager* ActivityManager::Get()
{
    if (!gActivityManager)
        gActivityManager = new ActivityManager();
    return gActivityManager;
}

void ActivityManager::Destroy()
{
    delete gActivityManager;
    gActivityManager = nullptr;
}

ActivityManager::~ActivityManager()
{
    Clear();
    for (GameActivity* activity : m_pending)
        delete activity;
}

void ActivityManager::InstallActivity(GameActivity* activity)
{
    if (!activity)
        return;
    activity->SetActivityId(++m_lastActivityId);
    m_pending.push_back(activity);
}

void ActivityManager::Update(int ms)
{
    m_active.insert(m_active.end(), m_pending.begin(), m_pending.end());
    m_pending.clear();
    for (std::size_t i = 0; i < m_active.size();) {
        m_active[i]->Update(ms);
        if (m_active[i]->IsFinished()) {
            delete m_active[i];
            m_active.erase(m_active.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

void ActivityManager::Clear()
{
    for (GameActivity* activity : m_active)
        delete activity;
    m_active.clear();
}

}  // namespace GAME
