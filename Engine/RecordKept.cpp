#include "Engine/RecordKept.h"

#include <functional>
#include <unordered_map>

#include "Engine/LoadTable.h"

namespace GAME {

namespace {

struct KeptKey {
    const LoadTable* record;
    const void* kind;
    uint32_t variant;
    bool operator==(const KeptKey&) const = default;
};

struct KeptKeyHash {
    size_t operator()(const KeptKey& key) const
    {
        const size_t hash = std::hash<const void*>()(key.record) * 31u ^ std::hash<const void*>()(key.kind);
        return hash * 31u ^ key.variant;
    }
};

// The values of this thread, for the records of one generation.
struct KeptValues {
    uint64_t generation = 0;
    std::unordered_map<KeptKey, std::shared_ptr<const void>, KeptKeyHash> values;

    // The values of the current generation, dropped when the records have changed.
    static KeptValues& Current()
    {
        thread_local KeptValues kept;
        const uint64_t generation = RecordDatabase::Get().GetGeneration();
        if (kept.generation != generation) {
            kept.values.clear();
            kept.generation = generation;
        }
        return kept;
    }
};

}  // namespace

uint64_t RecordKept::Generation() { return RecordDatabase::Get().GetGeneration(); }

bool RecordKept::IsKept(const LoadTable& record)
{
    return RecordDatabase::Get().Find(record.GetName()) == &record;
}

std::shared_ptr<const void> RecordKept::Find(const LoadTable& record, const void* kind, uint32_t variant)
{
    KeptValues& kept = KeptValues::Current();
    const auto found = kept.values.find(KeptKey{&record, kind, variant});
    return found != kept.values.end() ? found->second : nullptr;
}

bool RecordKept::Keep(const LoadTable& record, const void* kind, uint32_t variant, std::shared_ptr<const void> value)
{
    // Taken after the generation is checked: records changed while the value was worked
    // out leave the table unkept, and the value is not kept either.
    KeptValues& kept = KeptValues::Current();
    if (!value || !IsKept(record))
        return false;
    if (kept.values.size() >= kMaxKept)
        kept.values.clear();
    kept.values[KeptKey{&record, kind, variant}] = std::move(value);
    return true;
}

}  // namespace GAME
