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

using KeptValues = RecordKeptMap<KeptKey, std::shared_ptr<const void>, KeptKeyHash>;

// The values of this thread, for the records of one generation.
KeptValues& Kept()
{
    thread_local KeptValues kept(RecordKept::kMaxKept);
    return kept;
}

}  // namespace

uint64_t RecordKept::Generation() { return RecordDatabase::Get().GetGeneration(); }

bool RecordKept::IsKept(const LoadTable& record)
{
    return RecordDatabase::Get().Find(record.GetName()) == &record;
}

std::shared_ptr<const void> RecordKept::Find(const LoadTable& record, const void* kind, uint32_t variant)
{
    const KeptValues::Map& kept = Kept().Current();
    const auto found = kept.find(KeptKey{&record, kind, variant});
    return found != kept.end() ? found->second : nullptr;
}

bool RecordKept::Keep(const LoadTable& record, const void* kind, uint32_t variant, std::shared_ptr<const void> value)
{
    // Records changed while the value was worked out leave the table unkept, and the value
    // is not kept either.
    if (!value || !IsKept(record))
        return false;
    Kept().ForAdding()[KeptKey{&record, kind, variant}] = std::move(value);
    return true;
}

}  // namespace GAME
