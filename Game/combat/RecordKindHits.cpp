#include "Game/combat/RecordKindHits.h"

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <utility>

#include "Game/core/foundation/RecordKept.h"

namespace GAME {

namespace {

// The notes of this thread. Records are named by records, so the notes are few.
using KeptHits = RecordKeptMap<RecordPartKey, std::shared_ptr<const std::vector<uint8_t>>, RecordPartKeyHash>;

KeptHits& Kept()
{
    thread_local KeptHits kept(4096);
    return kept;
}

}  // namespace

RecordKindHits::RecordKindHits(const LoadTable* record, const void* order) : m_record(record), m_order(order)
{
    if (!record)
        return;
    KeptHits::Map& kept = Kept().Current();
    const auto found = kept.find(RecordPartKey{record, order});
    if (found != kept.end())
        m_known = found->second;
    else
        m_noting = IsRecordKept(*record);   // a table of the caller's own may change or go
}

void RecordKindHits::Keep(size_t kindCount)
{
    if (!m_noting || m_noted.size() != kindCount)
        return;
    m_noting = false;
    // The records may have changed while the kinds loaded: the notes are then not kept.
    if (!IsRecordKept(*m_record))
        return;
    Kept().ForAdding()[RecordPartKey{m_record, m_order}] = std::make_shared<const std::vector<uint8_t>>(std::move(m_noted));
}

}  // namespace GAME
