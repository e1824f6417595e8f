#include "Engine/ObjectManager.h"

#include <algorithm>
#include <iterator>

#include "Engine/Engine.h"

namespace GAME {

std::atomic<uint64_t> ObjectManager::s_removals{0};

ObjectManager& ObjectManager::Get()
{
    static ObjectManager manager;
    return manager;
}

namespace {

constexpr size_t kInitialSlots = 1024;
constexpr uint32_t kLocalIdMask = (1u << kObjectIdHostShift) - 1;

unsigned Log2(size_t power)
{
    unsigned bits = 0;
    while ((size_t{1} << bits) < power)
        ++bits;
    return bits;
}

}  // namespace

ObjectManager::Table::Table(size_t capacity)
    : slots(new Slot[capacity]), mask(capacity - 1), shift(64 - (Log2(capacity) - kHomeRunBits))
{
    // Every table is a power of two of at least kInitialSlots: a whole number of home
    // runs, and more than one, so the shift stays below 64.
    static_assert(kInitialSlots >= 2 * kHomeRun && kInitialSlots % kHomeRun == 0);
}

ObjectManager::ObjectManager()
{
    m_tables.push_back(std::make_unique<Table>(kInitialSlots));
    m_table.store(m_tables.back().get(), std::memory_order_release);
}

ObjectManager::~ObjectManager()
{
    DestroyAllObjects();
}

void ObjectManager::SetIdHost(int host)
{
    if (host < 0 || host >= kObjectIdHostCount) {
        gEngine->Log(LOG_WARNING, "ObjectManager: host %d has no id range", host);
        return;
    }
    CriticalSectionLock lock(m_lock);
    m_idHost = static_cast<uint32_t>(host);
}

int ObjectManager::GetIdHost()
{
    CriticalSectionLock lock(m_lock);
    return static_cast<int>(m_idHost);
}

uint32_t ObjectManager::CreateObjectID()
{
    CriticalSectionLock lock(m_lock);
    // The low 28 bits count up through the host's range (never 0, so no host makes id
    // 0), skipping the ids that live objects hold.
    for (uint32_t tries = 0; tries < kLocalIdMask; ++tries) {
        const uint32_t id = m_idHost << kObjectIdHostShift | m_nextLocalId;
        m_nextLocalId = m_nextLocalId == kLocalIdMask ? 1 : m_nextLocalId + 1;
        if (!IsLive(id))
            return id;
    }
    return 0;
}

bool ObjectManager::Insert(uint32_t id, Object* object)
{
    if (id == 0 || !object)
        return false;
    Table* table = m_table.load(std::memory_order_relaxed);
    if ((table->used + 1) * 4 > (table->mask + 1) * 3) {
        // Room for twice the live objects; destroyed slots are left behind.
        Rebuild(std::max(kInitialSlots, size_t{1} << Log2((m_live + 1) * 2)));
        table = m_table.load(std::memory_order_relaxed);
    }
    Slot* slots = table->slots.get();
    for (size_t i = table->Home(id);; i = (i + 1) & table->mask) {
        Slot& slot = slots[i];
        const uint32_t held = slot.id.load(std::memory_order_relaxed);
        if (held == id && slot.object.load(std::memory_order_relaxed))
            return false;   // taken
        if (held == 0) {
            // Class and pointer first; the id publishes them to readers.
            slot.info.store(&object->GetClassInfo(), std::memory_order_relaxed);
            slot.object.store(object, std::memory_order_relaxed);
            slot.id.store(id, std::memory_order_release);
            ++table->used;
            ++m_live;
            return true;
        }
    }
}

bool ObjectManager::Remove(uint32_t id, const Object* object)
{
    Table* table = m_table.load(std::memory_order_relaxed);
    Slot* slots = table->slots.get();
    for (size_t i = table->Home(id);; i = (i + 1) & table->mask) {
        Slot& slot = slots[i];
        const uint32_t held = slot.id.load(std::memory_order_relaxed);
        if (held == 0)
            return false;
        if (held == id && slot.object.load(std::memory_order_relaxed) == object) {
            slot.object.store(nullptr, std::memory_order_release);
            s_removals.fetch_add(1, std::memory_order_release);
            --m_live;
            return true;
        }
    }
}

void ObjectManager::Rebuild(size_t capacity)
{
    const Table* old = m_table.load(std::memory_order_relaxed);
    auto table = std::make_unique<Table>(capacity);
    Slot* slots = table->slots.get();
    for (size_t o = 0; o <= old->mask; ++o) {
        const Slot& from = old->slots[o];
        Object* object = from.object.load(std::memory_order_relaxed);
        if (!object)
            continue;
        const uint32_t id = from.id.load(std::memory_order_relaxed);
        size_t i = table->Home(id);
        while (slots[i].id.load(std::memory_order_relaxed) != 0)
            i = (i + 1) & table->mask;
        slots[i].info.store(from.info.load(std::memory_order_relaxed), std::memory_order_relaxed);
        slots[i].object.store(object, std::memory_order_relaxed);
        slots[i].id.store(id, std::memory_order_relaxed);
        ++table->used;
    }
    // Readers still probing the old table finish there; it is freed with the next flush.
    m_table.store(table.get(), std::memory_order_release);
    m_tables.push_back(std::move(table));
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
        if (entered)
            m_entries[object] = Entry{id, State::Live};
    }
    if (!entered) {
        gEngine->Log(LOG_WARNING, "Unable to create object \"%s\": object id %u is already in use", className, id);
        delete object;
        return nullptr;
    }
    return object;
}

namespace {

// The records whose objects are loading on this thread, outermost first. The database keeps
// one table for every spelling of a record's name, so a table is its record.
thread_local std::vector<const LoadTable*> tRecordsLoading;

}  // namespace

Object* ObjectManager::CreateObjectFromFile(const std::string& recordName, uint32_t id, bool load)
{
    return CreateObjectFromFile(recordName, Object::GetStaticClassInfo(), id, load);
}

Object* ObjectManager::CreateObjectFromFile(const std::string& recordName, const RTTI_ClassInfo& required,
                                            uint32_t id, bool load)
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
    // The class is tested before the object exists, so a record of the wrong kind costs
    // nothing (a whole character is not made and loaded only to be thrown away).
    const RTTI_ClassInfo* info = Object::GetStaticClassInfo().FindClassByName(className);
    if (info && !info->IsA(&required)) {
        gEngine->Log(LOG_WARNING, "Unable to create object from \"%s\": class \"%s\" is not a %s",
                     recordName.c_str(), className, required.GetName());
        return nullptr;
    }
    if (load) {
        if (std::find(tRecordsLoading.begin(), tRecordsLoading.end(), table) != tRecordsLoading.end()) {
            gEngine->Log(LOG_WARNING, "Unable to create object from \"%s\": the record is already loading (it names itself)",
                         recordName.c_str());
            return nullptr;
        }
        if (tRecordsLoading.size() >= static_cast<size_t>(kMaxRecordLoadDepth)) {
            gEngine->Log(LOG_WARNING, "Unable to create object from \"%s\": records nested deeper than %d",
                         recordName.c_str(), kMaxRecordLoadDepth);
            return nullptr;
        }
    }
    Object* object = CreateObject(className, id);
    if (!object)
        return nullptr;
    object->SetObjectName(recordName);
    if (load) {
        tRecordsLoading.push_back(table);
        object->Load(*table);
        tRecordsLoading.pop_back();
    }
    return object;
}

void ObjectManager::DestroyObjectEx(Object* object, const char* sourceName, int line)
{
    if (!object)
        return;
    uint32_t destroyedId = 0;
    {
        CriticalSectionLock lock(m_lock);
        auto found = m_entries.find(object);
        if (found == m_entries.end()) {
            gEngine->Log(LOG_WARNING, "Unable to destroy an object the object manager does not hold (%s:%d)",
                         sourceName ? sourceName : "?", line);
            return;
        }
        Entry& entry = found->second;
        if (entry.state != State::Live) {
            // Taken by a flush already (an owner letting go of a child in its
            // destructor): nothing to say. Destroyed twice within a frame: a fault.
            if (entry.state == State::Destroyed)
                gEngine->Log(LOG_WARNING, "Object %u destroyed twice (%s:%d)", entry.id,
                             sourceName ? sourceName : "?", line);
            return;
        }
        Remove(entry.id, object);
        entry.state = State::Destroyed;
        m_destroyed.push_back(object);
        destroyedId = entry.id;
    }
    gEngine->UnregisterForcedUpdate(destroyedId);
    // Outside the lock, so the object may look others up while it leaves. It is freed
    // only by the next flush, which runs after the current update returns.
    object->OnDestroy();
}

void ObjectManager::FlushDestroyedObjects()
{
    std::vector<Object*> freed;
    std::vector<std::unique_ptr<Table>> outgrown;
    // Destructors may destroy further objects: keep going until nothing is queued. An
    // object freed here stays known as freed until the end, so an owner that destroys a
    // child freed earlier in the same flush does nothing instead of following the pointer.
    for (;;) {
        std::vector<Object*> batch;
        {
            CriticalSectionLock lock(m_lock);
            batch.swap(m_destroyed);
            for (Object* object : batch)
                m_entries[object].state = State::BeingFreed;
            // Tables outgrown by now (a destructor may create objects, so check each round).
            if (m_tables.size() > 1) {
                std::move(m_tables.begin(), m_tables.end() - 1, std::back_inserter(outgrown));
                m_tables.erase(m_tables.begin(), m_tables.end() - 1);
            }
        }
        if (batch.empty())
            break;
        for (Object* object : batch) {
            {
                // Marked before the memory goes back, so an object made at the same
                // address afterwards is entered as live again.
                CriticalSectionLock lock(m_lock);
                m_entries[object].state = State::Freed;
            }
            delete object;
        }
        freed.insert(freed.end(), batch.begin(), batch.end());
    }
    CriticalSectionLock lock(m_lock);
    for (Object* object : freed) {
        auto found = m_entries.find(object);
        // A new object may have been made at the same address meanwhile.
        if (found != m_entries.end() && found->second.state == State::Freed)
            m_entries.erase(found);
    }
}

void ObjectManager::DestroyAllObjects()
{
    {
        CriticalSectionLock lock(m_lock);
        // Freed in the order of their ids, so every run tears down in the same order.
        std::vector<std::pair<uint32_t, Object*>> live;
        for (auto& [object, entry] : m_entries) {
            if (entry.state == State::Live) {
                entry.state = State::Destroyed;
                live.emplace_back(entry.id, object);
            }
        }
        std::sort(live.begin(), live.end());
        for (const auto& [id, object] : live) {
            m_destroyed.push_back(object);
            gEngine->UnregisterForcedUpdate(id);
        }
        m_tables.push_back(std::make_unique<Table>(kInitialSlots));
        m_table.store(m_tables.back().get(), std::memory_order_release);
        s_removals.fetch_add(1, std::memory_order_release);
        m_live = 0;
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
    // Loading gives the table it finds: the name is looked up again only when nothing loads.
    const LoadTable* table = LoadTableFile(recordName);
    if (!table)
        table = GetLoadTable(recordName);
    return table ? *table : empty;
}

}  // namespace GAME
