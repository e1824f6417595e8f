#include "Engine/Singleton.h"

#include <algorithm>

namespace GAME {

SingletonManager& SingletonManager::Get()
{
    static SingletonManager manager;
    return manager;
}

void SingletonManager::Register(const std::string& name, DestroyFunction destroy)
{
    if (name.empty() || !destroy)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    for (Entry& entry : m_entries) {
        if (entry.name == name) {
            entry.destroy = destroy;
            return;
        }
    }
    m_entries.push_back({name, destroy});
}

void SingletonManager::Unregister(const std::string& name)
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::erase_if(m_entries, [&](const Entry& entry) { return entry.name == name; });
}

bool SingletonManager::IsRegistered(const std::string& name) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry& entry) { return entry.name == name; });
}

size_t SingletonManager::GetCount() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_entries.size();
}

void SingletonManager::DestroyAll()
{
    for (;;) {
        DestroyFunction destroy = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_entries.empty())
                return;
            destroy = m_entries.back().destroy;
            m_entries.pop_back();
        }
        destroy();   // outside the lock: it may unregister, or register another
    }
}

}  // namespace GAME
