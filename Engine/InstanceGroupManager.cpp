#include "Engine/InstanceGroupManager.h"

namespace GAME {

InstanceGroupManager& InstanceGroupManager::Get()
{
    static InstanceGroupManager manager;
    return manager;
}

const InstanceEntityData* InstanceGroupManager::GetEntityData(const UniqueId& id) const
{
    auto found = m_entities.find(id);
    return found == m_entities.end() ? nullptr : &found->second;
}

void InstanceGroupManager::RegisterEntityData(const UniqueId& id, const InstanceEntityData& data)
{
    m_entities[id] = data;
}

void InstanceGroupManager::AddGroupAffiliation(const std::string& groupName, const RTTI_ClassInfo& classInfo)
{
    for (const Affiliation& existing : m_affiliations)
        if (existing.classInfo == &classInfo && existing.groupName == groupName)
            return;
    m_affiliations.push_back({groupName, &classInfo});
}

std::vector<const RTTI_ClassInfo*> InstanceGroupManager::GetGroupAffiliations(const std::string& groupName) const
{
    std::vector<const RTTI_ClassInfo*> classes;
    for (const Affiliation& affiliation : m_affiliations)
        if (affiliation.groupName == groupName)
            classes.push_back(affiliation.classInfo);
    return classes;
}

void InstanceGroupManager::Clear()
{
    m_entities.clear();
    m_affiliations.clear();
}

}  // namespace GAME
