#include "Game/combat/RecordKindHits.h"

#include <utility>

#include "Engine/RecordKept.h"

namespace GAME {

RecordKindHits::RecordKindHits(const LoadTable* record, const void* order) : m_record(record), m_order(order)
{
    if (!record)
        return;
    m_known = std::static_pointer_cast<const std::vector<uint8_t>>(RecordKept::Find(*record, order, 0));
    if (!m_known)
        m_noting = RecordKept::IsKept(*record);   // a table of the caller's own may change or go
}

void RecordKindHits::Keep(size_t kindCount)
{
    if (!m_noting || m_noted.size() != kindCount)
        return;
    m_noting = false;
    // The records may have changed while the kinds loaded: the notes are then not kept.
    RecordKept::Keep(*m_record, m_order, 0, std::make_shared<const std::vector<uint8_t>>(std::move(m_noted)));
}

}  // namespace GAME
