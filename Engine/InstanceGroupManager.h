// Instance groups: the data of entities placed in levels, known by their UniqueId
// whether or not the entity itself is loaded, and the affiliations that tell which
// classes may belong to which named group.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/Math.h"
#include "Engine/Object.h"
#include "Engine/UniqueId.h"

namespace GAME {

// Where a placed entity stands: its region's id and its position in that region.
struct InstanceEntityData {
    uint32_t regionId = 0;
    Vec3 position{};
};

// A named group of placed entities: its type text ("Unified Proxies" ...), the
// UniqueIds of its members, in the order the level lists them, and the groups nested in
// it (a group of patrollers holds its group of patrol points).
struct InstanceGroup {
    std::string name;
    std::string type;
    std::vector<UniqueId> members;
    std::vector<const InstanceGroup*> children;

    bool Contains(const UniqueId& id) const;
    // Appends the members to out.
    void FillIdList(std::vector<UniqueId>& out) const { out.insert(out.end(), members.begin(), members.end()); }
};

class InstanceGroupManager {
public:
    static InstanceGroupManager& Get();

    // The stored data of the entity with that id, or null.
    const InstanceEntityData* GetEntityData(const UniqueId& id) const;
    // Stores (or replaces) an entity's data, as a level does when it loads.
    void RegisterEntityData(const UniqueId& id, const InstanceEntityData& data);

    // Lets objects of `classInfo` (and of classes derived from it) join the group. A
    // pair already registered is kept once.
    void AddGroupAffiliation(const std::string& groupName, const RTTI_ClassInfo& classInfo);
    // The classes registered for a group, in order of registration; empty when none.
    std::vector<const RTTI_ClassInfo*> GetGroupAffiliations(const std::string& groupName) const;

    // ---- groups ----
    // Adds a group at the end of the list (a level's load); its index.
    size_t AddGroup(const std::string& name, const std::string& type, const std::vector<UniqueId>& members);
    // Nests the group at childIndex in the one at parentIndex; false (nothing changed)
    // for an index out of range, a group nested in itself or a pair nested already.
    bool AddChildGroup(size_t parentIndex, size_t childIndex);
    size_t GetGroupCount() const;
    // Null outside 0 .. count - 1. A group stays where it is until Clear.
    const InstanceGroup* GetGroup(size_t index) const;
    // The groups that hold the id, in the list's order.
    void GetGroupsThatContain(const UniqueId& id, std::vector<const InstanceGroup*>& out) const;
    // Appends the members of every group of type `childType` nested in a group of type
    // `holderType` that holds the id (a patroller's patrol points, a wanderer's wander
    // points), in the list's order, stopping at `limit` ids in `out`; false when members
    // were left out for the limit.
    bool GetNestedMembers(const UniqueId& holder, const std::string& holderType, const std::string& childType,
                          size_t limit, std::vector<UniqueId>& out) const;
    // The group list's lock, for a caller that walks the groups while a loader may add one.
    void LockGroupList() const { m_groupLock.Enter(); }
    void UnlockGroupList() const { m_groupLock.Exit(); }
    // ---- end groups ----

    // Forgets every entity, affiliation and group (engine shutdown, tests).
    void Clear();

private:
    mutable CriticalSection m_groupLock;
    std::vector<std::unique_ptr<InstanceGroup>> m_groups;   // under m_groupLock
    struct Affiliation {
        std::string groupName;
        const RTTI_ClassInfo* classInfo;
    };

    std::unordered_map<UniqueId, InstanceEntityData, UniqueIdHash> m_entities;
    std::vector<Affiliation> m_affiliations;   // in order of registration
};

}  // namespace GAME
