// The object manager: object ids, look-up by id under a lock, creation by class name
// and from a record, and deferred destruction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/LoadTable.h"
#include "Engine/Object.h"
#include "Engine/Singleton.h"

namespace GAME {

class ObjectManager {
public:
    ObjectManager();
    ~ObjectManager();
    ObjectManager(const ObjectManager&) = delete;
    ObjectManager& operator=(const ObjectManager&) = delete;

    static ObjectManager& Get();

    // The live object with that id, or null. The pointer is valid for the current step.
    Object* GetObject(uint32_t id)
    {
        CriticalSectionLock lock(m_lock);
        return Lookup(id);
    }

    // The object with that id only when its class IsA T. The slot keeps the object's class
    // information, so the test does not touch the object itself.
    template <class T>
    T* GetObject(uint32_t id)
    {
        Object* object;
        const RTTI_ClassInfo* info;
        {
            CriticalSectionLock lock(m_lock);
            const Slot* slot = LookupSlot(id);
            if (!slot)
                return nullptr;
            object = slot->object;
            info = slot->info;
        }
        return info->IsA(&T::GetStaticClassInfo()) ? static_cast<T*>(object) : nullptr;
    }

    // A fresh non-zero id that no live object holds; 0 when none can be had.
    uint32_t CreateObjectID();

    // Creates an object by registered class name under `id` (a fresh id when 0) and
    // enters it into the look-ups. Null when the class is unknown, abstract, or the id
    // is already taken.
    Object* CreateObject(const char* className, uint32_t id = 0);

    // Creates the object that the record's "Class" names, under `id` (fresh when 0);
    // with `load` set the object then reads the record.
    Object* CreateObjectFromFile(const std::string& recordName, uint32_t id = 0, bool load = true);

    // The same, accepted only when the class IsA T; otherwise the object is destroyed.
    template <class T>
    T* CreateObjectFromFile(const std::string& recordName, uint32_t id = 0, bool load = true)
    {
        Object* object = CreateObjectFromFile(recordName, id, load);
        if (!object)
            return nullptr;
        if (!object->GetClassInfo().IsA(&T::GetStaticClassInfo())) {
            DestroyObjectEx(object, __FILE__, __LINE__);
            return nullptr;
        }
        return static_cast<T*>(object);
    }

    // Removes the object from every look-up at once; frees it at the next
    // FlushDestroyedObjects, after the current update has returned, so an object may
    // destroy itself while one of its operations is on the stack.
    void DestroyObjectEx(Object* object, const char* sourceName, int line);

    // Frees every object destroyed since the last call. The engine calls it at the end
    // of each frame; tests call it when they need the memory back.
    void FlushDestroyedObjects();

    // Destroys and frees every live object (engine shutdown, tests).
    void DestroyAllObjects();

    size_t GetObjectCount();

    // Records.
    const LoadTable* LoadTableFile(const std::string& recordName);
    const LoadTable* GetLoadTable(const std::string& recordName);
    // Loads the record once and gives its table; an empty table when there is no such
    // record, so every key then reads as its default.
    const LoadTable& GetRecordOrEmpty(const std::string& recordName);

private:
    struct Slot {
        uint32_t id;
        Object* object;               // null with a non-zero id marks a removed entry
        const RTTI_ClassInfo* info;   // the object's class
    };

    // The live slot of the id, or null. Under the lock.
    const Slot* LookupSlot(uint32_t id) const
    {
        if (id == 0)
            return nullptr;
        const size_t mask = m_slots.size() - 1;
        for (size_t i = Hash(id) & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.id == id)
                return slot.object ? &slot : nullptr;
            if (slot.id == 0)
                return nullptr;
        }
    }

    Object* Lookup(uint32_t id) const
    {
        const Slot* slot = LookupSlot(id);
        return slot ? slot->object : nullptr;
    }

    static size_t Hash(uint32_t id) { return id ^ (id >> 16); }

    bool Insert(uint32_t id, Object* object);   // under the lock
    bool Remove(uint32_t id);                   // under the lock
    void Rehash(size_t capacity);               // under the lock

    CriticalSection m_lock;
    std::vector<Slot> m_slots;   // open addressing, power-of-two size, linear probing
    size_t m_live = 0;
    size_t m_used = 0;           // live plus removed markers
    uint32_t m_nextId = 1;
    std::vector<Object*> m_destroyed;
};

}  // namespace GAME
