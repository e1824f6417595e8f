// Instance groups: the data of entities placed in levels, known by their UniqueId
// whether or not the entity itself is loaded, and the affiliations that tell which
// classes may belong to which named group.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "Engine/Math.h"
#include "Engine/Object.h"
#include "Engine/UniqueId.h"

namespace GAME {

// Where a placed entity stands: its region's id and its position in that region.
struct InstanceEntityData {
    uint32_t regionId = 0;
    Vec3 position{};
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

    // Forgets every entity and affiliation (engine shutdown, tests).
    void Clear();

private:
    struct Affiliation {
        std::string groupName;
        const RTTI_ClassInfo* classInfo;
    };

    std::unordered_map<UniqueId, InstanceEntityData, UniqueIdHash> m_entities;
    std::vector<Affiliation> m_affiliations;   // in order of registration
};

}  // namespace GAME
