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
    DestroyRetired();
}

void ActivityManager::InstallActivity(GameActivity* activity)
{
    if (!activity)
        return;
    activity->SetActivityId(NextId());
    m_pending.push_back(activity);
}

void ActivityManager::FastInstallActivity(GameActivity* activity)
{
    if (!activity)
        return;
    activity->SetActivityId(NextId());
    m_active.push_back(activity);
}

void ActivityManager::Update(int ms)
{
    m_active.insert(m_active.end(), m_pending.begin(), m_pending.end());
    m_pending.clear();

    m_updating = true;
    // By index: an activity may fast-install another (which is visited in this pass)
    // or clear the list while its Update runs.
    for (std::size_t i = 0; i < m_active.size();) {
        GameActivity* activity = m_active[i];
        activity->Update(ms);
        if (i >= m_active.size() || m_active[i] != activity)
            continue;   // the list was cleared under it
        if (activity->IsFinished()) {
            delete activity;
            m_active.erase(m_active.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    m_updating = false;
    DestroyRetired();
}

void ActivityManager::Render(GraphicsCanvas& canvas)
{
    for (GameActivity* activity : m_active)
        activity->Render(canvas);
}

// Pending activities go too: left behind, they would start in the next game.
void ActivityManager::Clear()
{
    for (std::vector<GameActivity*>* list : {&m_active, &m_pending}) {
        if (m_updating) {
            m_retired.insert(m_retired.end(), list->begin(), list->end());
        } else {
            for (GameActivity* activity : *list)
                delete activity;
        }
        list->clear();
    }
}

bool ActivityManager::IsActivityActive(uint32_t id) const
{
    return GetActivity(id) != nullptr;
}

GameActivity* ActivityManager::GetActivity(uint32_t id) const
{
    for (GameActivity* activity : m_active) {
        if (activity->GetActivityId() == id)
            return activity;
    }
    return nullptr;
}

void ActivityManager::DestroyRetired()
{
    for (GameActivity* activity : m_retired)
        delete activity;
    m_retired.clear();
}

}  // namespace GAME
