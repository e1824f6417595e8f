#include "Engine/ObjectManager.h"

#include "Engine/Engine.h"

namespace GAME {

ObjectManager& ObjectManager::Get()
{
    static ObjectManager manager;
    return manager;
}

namespace {
constexpr size_t kInitialSlots = 1024;
}

ObjectManager::ObjectManager() : m_slots(kInitialSlots, Slot{0, nullptr, nullptr}) {}

ObjectManager::~ObjectManager()
{
    DestroyAllObjects();
}

uint32_t ObjectManager::CreateObjectID()
{
    CriticalSectionLock lock(m_lock);
    // Every id but 0 may be handed out; skip the ids that live objects hold.
    for (uint64_t tries = 0; tries < 0xFFFFFFFFull; ++tries) {
        uint32_t id = m_nextId++;
        if (m_nextId == 0)
            m_nextId = 1;
        if (id != 0 && !Lookup(id))
            return id;
    }
    return 0;
}

bool ObjectManager::Insert(uint32_t id, Object* object)
{
    if (id == 0 || !object)
        return false;
    if ((m_used + 1) * 4 > m_slots.size() * 3)
        Rehash((m_live + 1) * 2);   // also clears the removed markers
    const size_t mask = m_slots.size() - 1;
    Slot* reusable = nullptr;
    for (size_t i = Hash(id) & mask;; i = (i + 1) & mask) {
        Slot& slot = m_slots[i];
        if (slot.id == id) {
            if (slot.object)
                return false;   // taken
            slot.object = object;
            slot.info = &object->GetClassInfo();
            ++m_live;
            return true;
        }
        if (slot.id == 0) {
            Slot& target = reusable ? *reusable : slot;
            if (!reusable)
                ++m_used;
            target.id = id;
            target.object = object;
            target.info = &object->GetClassInfo();
            ++m_live;
            return true;
        }
        if (!slot.object && !reusable)
            reusable = &slot;
    }
}

bool ObjectManager::Remove(uint32_t id)
{
    if (id == 0)
        return false;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = Hash(id) & mask;; i = (i + 1) & mask) {
        Slot& slot = m_slots[i];
        if (slot.id == id) {
            if (!slot.object)
                return false;
            slot.object = nullptr;   // the id stays as a marker so probe chains hold
            --m_live;
            return true;
        }
        if (slot.id == 0)
            return false;
    }
}

void ObjectManager::Rehash(size_t capacity)
{
    size_t size = kInitialSlots;
    while (size < capacity)
        size *= 2;
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.assign(size, Slot{0, nullptr, nullptr});
    m_live = 0;
    m_used = 0;
    const size_t mask = size - 1;
    for (const Slot& slot : old) {
        if (!slot.object)
            continue;
        size_t i = Hash(slot.id) & mask;
        while (m_slots[i].id != 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
        ++m_live;
        ++m_used;
    }
}

Object* ObjectManager::CreateObject(const char* className, uint32_t id)
{
    if (!className || !*className) {
        gEngine->Log(LOG_WARNING, "Unable to create object with no class name");
        return nullptr;
    }
    if (id == 0) {
        id = CreateObjectID();
        if (id == 0) {
            gEngine->Log(LOG_WARNING, "Unable to create object \"%s\", ObjectID could not be created.", className);
            return nullptr;
        }
    }
    void* made = Object::GetStaticClassInfo().CreateObjectByName(className);
    if (!made) {
        gEngine->Log(LOG_WARNING, "Unable to create object \"%s\": no such class", className);
        return nullptr;
    }
    Object* object = static_cast<Object*>(made);
    object->SetObjectId(id);
    bool entered;
    {
        CriticalSectionLock lock(m_lock);
        entered = Insert(id, object);
    }
    if (!entered) {
        gEngine->Log(LOG_WARNING, "Unable to create object \"%s\": object id %u is already in use", className, id);
        delete object;
        return nullptr;
    }
    return object;
}

Object* ObjectManager::CreateObjectFromFile(const std::string& recordName, uint32_t id, bool load)
{
    const LoadTable* table = LoadTableFile(recordName);
    if (!table) {
        gEngine->Log(LOG_WARNING, "Unable to create object from \"%s\": no such record", recordName.c_str());
        return nullptr;
    }
    const char* className = table->GetString("Class", "");
    if (!*className) {
        gEngine->Log(LOG_WARNING, "Unable to create object from \"%s\": the record names no Class", recordName.c_str());
        return nullptr;
    }
    Object* object = CreateObject(className, id);
    if (!object)
        return nullptr;
    object->SetObjectName(recordName);
    if (load)
        object->Load(*table);
    return object;
}

void ObjectManager::DestroyObjectEx(Object* object, const char* sourceName, int line)
{
    if (!object)
        return;
    const uint32_t id = object->GetObjectId();
    {
        CriticalSectionLock lock(m_lock);
        if (Lookup(id) == object) {
            Remove(id);
        } else {
            // Not entered (or already destroyed): free it only if we have not queued it.
            for (Object* queued : m_destroyed) {
                if (queued == object) {
                    gEngine->Log(LOG_WARNING, "Object %u destroyed twice (%s:%d)", id, sourceName ? sourceName : "?",
                                 line);
                    return;
                }
            }
        }
        m_destroyed.push_back(object);
    }
    // Outside the lock, so the object may look others up while it leaves. It is freed
    // only by the next flush, which runs after the current update returns.
    object->OnDestroy();
}

void ObjectManager::FlushDestroyedObjects()
{
    // Destructors may destroy further objects: keep going until nothing is queued.
    for (;;) {
        std::vector<Object*> batch;
        {
            CriticalSectionLock lock(m_lock);
            batch.swap(m_destroyed);
        }
        if (batch.empty())
            return;
        for (Object* object : batch)
            delete object;
    }
}

void ObjectManager::DestroyAllObjects()
{
    {
        CriticalSectionLock lock(m_lock);
        for (Slot& slot : m_slots) {
            if (slot.object) {
                m_destroyed.push_back(slot.object);
                slot.object = nullptr;
            }
        }
        m_slots.assign(kInitialSlots, Slot{0, nullptr, nullptr});
        m_live = 0;
        m_used = 0;
    }
    FlushDestroyedObjects();
}

size_t ObjectManager::GetObjectCount()
{
    CriticalSectionLock lock(m_lock);
    return m_live;
}

const LoadTable* ObjectManager::LoadTableFile(const std::string& recordName)
{
    return RecordDatabase::Get().Load(recordName);
}

const LoadTable* ObjectManager::GetLoadTable(const std::string& recordName)
{
    return RecordDatabase::Get().Find(recordName);
}

const LoadTable& ObjectManager::GetRecordOrEmpty(const std::string& recordName)
{
    static const LoadTable empty;
    LoadTableFile(recordName);
    const LoadTable* table = GetLoadTable(recordName);
    return table ? *table : empty;
}

}  // namespace GAME
