// The object manager: object ids, look-up by id without a lock, creation by class name
// and from a record, and deferred destruction.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/LoadTable.h"
#include "Engine/Object.h"
#include "Engine/ObjectLink.h"
#include "Engine/Singleton.h"

namespace GAME {

// Ids carry the network host that made them in their top four bits.
inline constexpr int kObjectIdHostShift = 28;
inline constexpr int kObjectIdHostCount = 16;

class ObjectManager {
public:
    ObjectManager();
    ~ObjectManager();
    ObjectManager(const ObjectManager&) = delete;
    ObjectManager& operator=(const ObjectManager&) = delete;

    static ObjectManager& Get();

    // The live object with that id, or null. Takes no lock: any thread may look up while
    // others create and destroy. The pointer stays valid until the end of the current
    // frame (FlushDestroyedObjects), even when the object is destroyed meanwhile.
    Object* GetObject(uint32_t id) const { return Find(id).object; }

    // The object with that id only when its class IsA T. The class is read from the same
    // slot as the pointer, so the test does not touch the object itself.
    template <class T>
    T* GetObject(uint32_t id) const
    {
        const Found found = Find(id);
        if (!found.object || !IsKindOf<T>(found.info))
            return nullptr;
        return static_cast<T*>(found.object);
    }

    // How many times an object has left the look-ups (DestroyObjectEx, DestroyAllObjects)
    // since the program started. Only that can make a look-up that found an object find
    // none, so an object found while the count read N is still the answer for its id
    // while the count reads N (ObjectLink keeps one that way).
    static uint64_t GetRemovalCount() { return s_removals.load(std::memory_order_acquire); }

    // GetObject<T> of each id into `found` (as many entries as ids), under the same
    // contract. For a list looked up as a whole every frame: the table slots of all the
    // ids are asked from memory first, then each object's first and last cache line of a
    // T, so the misses overlap instead of following one another.
    template <class T>
    void GetObjects(std::span<const uint32_t> ids, T** found) const
    {
        const Table* table = m_table.load(std::memory_order_acquire);
        for (uint32_t id : ids)
            __builtin_prefetch(&table->slots[table->Home(id)]);
        for (size_t i = 0; i < ids.size(); ++i) {
            const Found one = Find(table, ids[i]);
            T* object = nullptr;
            if (one.object && IsKindOf<T>(one.info)) {
                object = static_cast<T*>(one.object);
                // The first line holds the class's table and the base's members; T's
                // own members come last.
                __builtin_prefetch(object);
                __builtin_prefetch(reinterpret_cast<const char*>(object) + sizeof(T) - 1);
            }
            found[i] = object;
        }
    }

    // The host whose range new ids come from: ids made from now on carry it in their top
    // four bits (0, the default, is the server and the single-player game). A number
    // outside 0..15 is logged and ignored.
    void SetIdHost(int host);
    int GetIdHost();

    // A fresh id in this host's range that no live object holds; 0 when none is left.
    uint32_t CreateObjectID();

    // Creates an object by registered class name under `id` (a fresh id when 0) and
    // enters it into the look-ups. Null when the class is unknown, abstract, or the id
    // is already taken.
    Object* CreateObject(const char* className, uint32_t id = 0);

    // Creates the object that the record's "Class" names, under `id` (fresh when 0);
    // with `load` set the object then reads the record. A record that is loaded again
    // while its own load is still running (it names itself, directly or through other
    // records), or a chain of loads deeper than kMaxRecordLoadDepth, is logged and
    // creates nothing.
    Object* CreateObjectFromFile(const std::string& recordName, uint32_t id = 0, bool load = true);

    // The same, only when the record's class IsA `required`: the class is tested by name
    // before anything is created or loaded; another class is logged and creates nothing.
    Object* CreateObjectFromFile(const std::string& recordName, const RTTI_ClassInfo& required, uint32_t id = 0,
                                 bool load = true);

    // The same with the class test against T.
    template <class T>
    T* CreateObjectFromFile(const std::string& recordName, uint32_t id = 0, bool load = true)
    {
        return static_cast<T*>(CreateObjectFromFile(recordName, T::GetStaticClassInfo(), id, load));
    }

    // How many record loads may be nested inside one another (an object loading its
    // parts from their own records).
    static constexpr int kMaxRecordLoadDepth = 16;

    // Removes the object from every look-up at once; frees it at the next
    // FlushDestroyedObjects, after the current update has returned, so an object may
    // destroy itself while one of its operations is on the stack. Destroying an object
    // that is already destroyed, being freed or freed in the running flush does nothing
    // but log; the pointer is not followed unless the object is live.
    void DestroyObjectEx(Object* object, const char* sourceName, int line);

    // Frees every object destroyed since the last call, and the look-up tables the
    // manager has outgrown. The engine calls it at the end of each frame; tests call it
    // when they need the memory back. No other thread may still be using an object
    // pointer or be inside a look-up when it runs.
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
    // One entry of the look-up table. A slot is claimed for one id once and keeps it for
    // the life of its table: the class is written, then the pointer, then the id is
    // published; destroying clears only the pointer. So a reader sees the slot before or
    // after a change, and the class it reads always belongs to the pointer it reads. An id
    // created again after a destroy takes a new slot further along the probe sequence.
    struct alignas(32) Slot {
        std::atomic<uint32_t> id{0};                      // 0: never used
        std::atomic<Object*> object{nullptr};             // null once destroyed
        std::atomic<const RTTI_ClassInfo*> info{nullptr};
    };

    // Open addressing over a power-of-two array (at least kHomeRun slots) with linear
    // probing. A table is never resized in place: a bigger (or cleaned) one is built and
    // published whole, and the old one is freed with the next flush.
    //
    // Ids are handed out counting up, and objects made together are looked up together
    // (a character's items and skills, every frame): each run of kHomeRun consecutive ids
    // is hashed as one to a home run of as many adjacent slots, and an id's home is its
    // place in that run. Such look-ups then read a few adjacent cache lines instead of a
    // random line each; the runs (and the host bits of the ids) are still spread over the
    // whole table.
    static constexpr unsigned kHomeRunBits = 3;
    static constexpr uint32_t kHomeRun = 1u << kHomeRunBits;
    struct Table {
        explicit Table(size_t capacity);
        size_t Home(uint32_t id) const
        {
            const uint64_t run = (static_cast<uint64_t>(id >> kHomeRunBits) * 0x9E3779B97F4A7C15ull) >> shift;
            return static_cast<size_t>(run << kHomeRunBits | (id & (kHomeRun - 1)));
        }
        std::unique_ptr<Slot[]> slots;
        size_t mask;
        unsigned shift;   // 64 - log2(capacity / kHomeRun)
        size_t used = 0;   // slots ever claimed, live or not; the writer's count
    };

    struct Found {
        Object* object = nullptr;
        const RTTI_ClassInfo* info = nullptr;
    };

    // The class test of the typed look-ups. Look-ups of one type mostly meet the same
    // few classes, so the class last found to be a T is remembered (a class, once it is
    // a T, stays one) and passes without walking its ancestors. The memory is shared by
    // every thread: a relaxed atomic, written only when another class passes.
    template <class T>
    static inline std::atomic<const RTTI_ClassInfo*> s_lastKindOf{nullptr};
    template <class T>
    static bool IsKindOf(const RTTI_ClassInfo* info)
    {
        // T itself passes at once, so the remembered class is left to the kinds of T
        // that a mixed list (skills and their modifiers) meets by turns.
        if (info == &T::GetStaticClassInfo() || info == s_lastKindOf<T>.load(std::memory_order_relaxed))
            return true;
        if (!info->IsA(&T::GetStaticClassInfo()))
            return false;
        s_lastKindOf<T>.store(info, std::memory_order_relaxed);
        return true;
    }

    Found Find(uint32_t id) const { return Find(m_table.load(std::memory_order_acquire), id); }
    Found Find(const Table* table, uint32_t id) const
    {
        if (id == 0)
            return {};
        const Slot* slots = table->slots.get();
        for (size_t i = table->Home(id);; i = (i + 1) & table->mask) {
            const Slot& slot = slots[i];
            const uint32_t held = slot.id.load(std::memory_order_acquire);
            if (held == id) {
                if (Object* object = slot.object.load(std::memory_order_acquire))
                    return {object, slot.info.load(std::memory_order_relaxed)};
                // Destroyed: the same id may have been created again further on.
            } else if (held == 0) {
                return {};
            }
        }
    }

    // Where an object made by the manager stands in its life.
    enum class State : uint8_t {
        Live,        // in the look-up table
        Destroyed,   // out of the look-ups, waiting for the flush
        BeingFreed,  // taken by the running flush
        Freed,       // freed by the running flush; remembered until it ends
    };
    struct Entry {
        uint32_t id;
        State state;
    };

    // All under the lock.
    bool IsLive(uint32_t id) const { return Find(id).object != nullptr; }
    bool Insert(uint32_t id, Object* object);
    bool Remove(uint32_t id, const Object* object);
    void Rebuild(size_t capacity);

    static std::atomic<uint64_t> s_removals;   // GetRemovalCount; counted after the removal

    CriticalSection m_lock;   // serialises creation, destruction and flushing
    std::atomic<Table*> m_table;
    std::vector<std::unique_ptr<Table>> m_tables;    // the published table last
    std::unordered_map<Object*, Entry> m_entries;   // every object not yet freed
    std::vector<Object*> m_destroyed;
    size_t m_live = 0;
    uint32_t m_idHost = 0;
    uint32_t m_nextLocalId = 1;
};

// ObjectLink's look-up (declared in ObjectLink.h, which stays light for the headers that
// hold a link).
template <class T>
T* ObjectLink<T>::Get(uint32_t id) const
{
    // The count is read before the look-up, so a removal during it makes the next call
    // look up again.
    const uint64_t removals = ObjectManager::GetRemovalCount();
    if (m_object && id == m_id && removals == m_removals)
        return m_object;
    m_object = ObjectManager::Get().GetObject<T>(id);
    m_id = id;
    m_removals = removals;
    return m_object;
}

}  // namespace GAME
