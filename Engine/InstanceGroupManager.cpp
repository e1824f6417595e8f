#include "Engine/InstanceGroupManager.h"

#include <algorithm>

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

bool InstanceGroup::Contains(const UniqueId& id) const
{
    return std::find(members.begin(), members.end(), id) != members.end();
}

size_t InstanceGroupManager::AddGroup(const std::string& name, const std::string& type,
                                      const std::vector<UniqueId>& members)
{
    CriticalSectionLock lock(m_groupLock);
    m_groups.push_back(std::make_unique<InstanceGroup>(InstanceGroup{name, type, members, {}}));
    return m_groups.size() - 1;
}

bool InstanceGroupManager::AddChildGroup(size_t parentIndex, size_t childIndex)
{
    CriticalSectionLock lock(m_groupLock);
    if (parentIndex >= m_groups.size() || childIndex >= m_groups.size() || parentIndex == childIndex)
        return false;
    std::vector<const InstanceGroup*>& children = m_groups[parentIndex]->children;
    const InstanceGroup* child = m_groups[childIndex].get();
    if (std::find(children.begin(), children.end(), child) != children.end())
        return false;
    children.push_back(child);
    return true;
}

size_t InstanceGroupManager::GetGroupCount() const
{
    CriticalSectionLock lock(m_groupLock);
    return m_groups.size();
}

const InstanceGroup* InstanceGroupManager::GetGroup(size_t index) const
{
    CriticalSectionLock lock(m_groupLock);
    return index < m_groups.size() ? m_groups[index].get() : nullptr;
}

void InstanceGroupManager::GetGroupsThatContain(const UniqueId& id, std::vector<const InstanceGroup*>& out) const
{
    CriticalSectionLock lock(m_groupLock);
    for (const auto& group : m_groups)
        if (group->Contains(id))
            out.push_back(group.get());
}

bool InstanceGroupManager::GetNestedMembers(const UniqueId& holder, const std::string& holderType,
                                            const std::string& childType, size_t limit,
                                            std::vector<UniqueId>& out) const
{
    CriticalSectionLock lock(m_groupLock);
    for (const auto& group : m_groups) {
        if (group->type != holderType || !group->Contains(holder))
            continue;
        for (const InstanceGroup* child : group->children) {
            if (child->type != childType)
                continue;
            const size_t room = out.size() < limit ? limit - out.size() : 0;
            const size_t take = std::min(room, child->members.size());
            out.insert(out.end(), child->members.begin(), child->members.begin() + static_cast<std::ptrdiff_t>(take));
            if (take < child->members.size())
                return false;
        }
    }
    return true;
}

void InstanceGroupManager::Clear()
{
    m_entities.clear();
    m_affiliations.clear();
    CriticalSectionLock lock(m_groupLock);
    m_groups.clear();
}

}  // namespace GAME
