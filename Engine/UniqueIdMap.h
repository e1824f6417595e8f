// The entities placed in levels, found by their UniqueId. Whoever places an entity with a
// unique id enters it here; the map keeps object ids, so an entity that is gone since
// simply resolves to nothing.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "Engine/CriticalSection.h"
#include "Engine/UniqueId.h"

namespace GAME {

class Entity;

class UniqueIdMap {
public:
    static UniqueIdMap& Get();

    // Enters the object under the id; an id entered before now names this object. The
    // all-zero id and object id 0 are refused.
    void Add(const UniqueId& id, uint32_t objectId);
    // Forgets the id, but only while it still names that object.
    void Remove(const UniqueId& id, uint32_t objectId);
    // The entity entered under the id, while it exists; null otherwise.
    Entity* GetEntity(const UniqueId& id) const;
    // The unique id under which the object was entered; false (out untouched) when none.
    bool FindUniqueId(uint32_t objectId, UniqueId& out) const;
    // Forgets every entry (engine shutdown, tests).
    void Clear();

private:
    mutable CriticalSection m_lock;
    std::unordered_map<UniqueId, uint32_t, UniqueIdHash> m_objects;   // under m_lock
    std::unordered_map<uint32_t, UniqueId> m_ids;                     // under m_lock
};

}  // namespace GAME
