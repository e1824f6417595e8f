#include "Engine/UniqueIdMap.h"

#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"

namespace GAME {

UniqueIdMap& UniqueIdMap::Get()
{
    // Never destroyed: entities that leave it may outlive the program's other statics.
    static UniqueIdMap* map = new UniqueIdMap;
    return *map;
}

void UniqueIdMap::Add(const UniqueId& id, uint32_t objectId)
{
    if (id == UniqueId() || objectId == 0)
        return;
    CriticalSectionLock lock(m_lock);
    auto [entry, added] = m_objects.try_emplace(id, objectId);
    if (!added) {
        m_ids.erase(entry->second);
        entry->second = objectId;
    }
    if (auto previous = m_ids.find(objectId); previous != m_ids.end() && !(previous->second == id))
        m_objects.erase(previous->second);
    m_ids[objectId] = id;
}

void UniqueIdMap::Remove(const UniqueId& id, uint32_t objectId)
{
    CriticalSectionLock lock(m_lock);
    auto entry = m_objects.find(id);
    if (entry == m_objects.end() || entry->second != objectId)
        return;
    m_objects.erase(entry);
    m_ids.erase(objectId);
}

Entity* UniqueIdMap::GetEntity(const UniqueId& id) const
{
    uint32_t objectId = 0;
    {
        CriticalSectionLock lock(m_lock);
        auto entry = m_objects.find(id);
        if (entry == m_objects.end())
            return nullptr;
        objectId = entry->second;
    }
    return ObjectManager::Get().GetObject<Entity>(objectId);
}

bool UniqueIdMap::FindUniqueId(uint32_t objectId, UniqueId& out) const
{
    CriticalSectionLock lock(m_lock);
    auto entry = m_ids.find(objectId);
    if (entry == m_ids.end())
        return false;
    out = entry->second;
    return true;
}

void UniqueIdMap::Clear()
{
    CriticalSectionLock lock(m_lock);
    m_objects.clear();
    m_ids.clear();
}

}  // namespace GAME
