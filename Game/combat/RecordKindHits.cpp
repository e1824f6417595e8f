#include "Game/combat/RecordKindHits.h"

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <utility>

#include "Engine/LoadTable.h"

namespace GAME {

namespace {

struct HitsKey {
    const LoadTable* record;
    const void* order;
    bool operator==(const HitsKey&) const = default;
};

struct HitsKeyHash {
    size_t operator()(const HitsKey& key) const
    {
        return std::hash<const void*>()(key.record) * 31u ^ std::hash<const void*>()(key.order);
    }
};

// The notes of this thread, for the records of one generation. Records are named by
// records, so the notes are few; past kMaxKept they are all dropped and taken afresh
// rather than kept without bound.
struct KeptHits {
    static constexpr size_t kMaxKept = 4096;
    uint64_t generation = 0;
    std::unordered_map<HitsKey, std::shared_ptr<const std::vector<uint8_t>>, HitsKeyHash> hits;

    // The notes of the current generation, dropped when the records have changed.
    static KeptHits& Current()
    {
        thread_local KeptHits kept;
        const uint64_t generation = RecordDatabase::Get().GetGeneration();
        if (kept.generation != generation) {
            kept.hits.clear();
            kept.generation = generation;
        }
        return kept;
    }
};

// Whether the table is the one the database keeps under its name: such a table lives,
// unchanged, at least until the records change, so what is read from it may be kept by
// its address.
bool IsKept(const LoadTable& record)
{
    return RecordDatabase::Get().Find(record.GetName()) == &record;
}

}  // namespace

RecordKindHits::RecordKindHits(const LoadTable* record, const void* order) : m_record(record), m_order(order)
{
    if (!record)
        return;
    KeptHits& kept = KeptHits::Current();
    const auto found = kept.hits.find(HitsKey{record, order});
    if (found != kept.hits.end())
        m_known = found->second;
    else
        m_noting = IsKept(*record);   // a table of the caller's own may change or go
}

void RecordKindHits::Keep(size_t kindCount)
{
    if (!m_noting || m_noted.size() != kindCount)
        return;
    m_noting = false;
    // The records may have changed while the kinds loaded: the notes are then not kept.
    if (!IsKept(*m_record))
        return;
    KeptHits& kept = KeptHits::Current();
    if (kept.hits.size() >= KeptHits::kMaxKept)
        kept.hits.clear();
    kept.hits[HitsKey{m_record, m_order}] = std::make_shared<const std::vector<uint8_t>>(std::move(m_noted));
}

}  // namespace GAME
