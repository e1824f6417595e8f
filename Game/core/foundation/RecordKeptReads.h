// Typed maps over what is read or built from records, kept by the record for as long as the
// records stand; the rule of what may be kept is RecordKept's (Engine/RecordKept.h).
// A table the record database keeps under its name lives, unchanged, until the records
// change (a record registered again, the records cleared, the data root set: the database's
// generation moves on), so what is read from it may be kept by its address. A table of the
// caller's own may change or go at any time: nothing read from it is kept. Each thread keeps
// its own values, so no lock is taken.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <climits>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "Engine/RecordKept.h"

namespace GAME {

class LoadTable;

// A record and one part of what is read from it (a load order, a table of kinds), both
// named by address.
struct RecordPartKey {
    const LoadTable* record;
    const void* part;
    bool operator==(const RecordPartKey&) const = default;
};

struct RecordPartKeyHash {
    size_t operator()(const RecordPartKey& key) const
    {
        return std::hash<const void*>()(key.record) * 31u ^ std::hash<const void*>()(key.part);
    }
};

// What `read(record)` gives, read once per kept record: kept in `kept` by the record's
// address, or read afresh for a table of the caller's own.
template <class Value, class Read>
std::shared_ptr<const Value> ReadKept(RecordKeptMap<const LoadTable*, std::shared_ptr<const Value>>& kept,
                                      const LoadTable& record, Read read)
{
    const auto& current = kept.Current();
    if (const auto found = current.find(&record); found != current.end())
        return found->second;
    std::shared_ptr<const Value> value = read(record);
    if (RecordKept::IsKept(record))
        kept.ForAdding().emplace(&record, value);
    return value;
}

// What the records of one load (a base record and an optional prefix and suffix) give in
// one load order, each kind's read made before any draw: for each record, what an earlier
// load of the kept record read, or a list this load fills (kept when the record is), or
// neither for a table of the caller's own. `Read` has the kind's position in the order as
// `index`; a record's reads are by position.
template <class Read>
class RecordLoadReads {
public:
    using Reads = std::vector<Read>;
    using Kept = RecordKeptMap<RecordPartKey, std::shared_ptr<const Reads>, RecordPartKeyHash>;

    RecordLoadReads(Kept& kept, const LoadTable* const (&records)[3], const void* order)
        : m_kept(kept), m_order(order)
    {
        const typename Kept::Map& current = kept.Current();
        for (int i = 0; i < 3; ++i) {
            m_records[i] = records[i];
            if (!records[i])
                continue;
            if (const auto found = current.find(RecordPartKey{records[i], order}); found != current.end())
                m_known[i] = found->second;
            else if (RecordKept::IsKept(*records[i]))
                m_reading[i] = std::make_shared<Reads>();
        }
    }

    // Whether every record given was read before.
    bool AllKnown() const
    {
        for (int i = 0; i < 3; ++i)
            if (m_records[i] && !m_known[i])
                return false;
        return true;
    }
    bool IsKnown(int record) const { return m_known[record] != nullptr; }
    // The list this load fills for a record, or null.
    Reads* Reading(int record) const { return m_reading[record].get(); }
    // apply(read) for what a known record gave at position `index`, taken in order of
    // position.
    template <class Apply>
    void ApplyKnown(int record, size_t index, Apply apply)
    {
        const std::shared_ptr<const Reads>& known = m_known[record];
        if (known && m_next[record] < known->size() && (*known)[m_next[record]].index == index)
            apply((*known)[m_next[record]++]);
    }
    // apply(record, read) for everything the records gave, all of them known, in load
    // order: by position, then base, prefix, suffix.
    template <class Apply>
    void ApplyAllKnown(Apply apply)
    {
        for (;;) {
            size_t lowest = SIZE_MAX;
            for (int i = 0; i < 3; ++i)
                if (m_known[i] && m_next[i] < m_known[i]->size())
                    lowest = std::min(lowest, (*m_known[i])[m_next[i]].index);
            if (lowest == SIZE_MAX)
                return;
            for (int i = 0; i < 3; ++i)
                ApplyKnown(i, lowest, [&](const Read& read) { apply(i, read); });
        }
    }
    // Keeps what this load read. The records may have changed while the kinds loaded:
    // what was read is then not kept.
    void Keep()
    {
        for (int i = 0; i < 3; ++i)
            if (m_reading[i] && RecordKept::IsKept(*m_records[i]))
                m_kept.ForAdding()[RecordPartKey{m_records[i], m_order}] = std::move(m_reading[i]);
    }

private:
    Kept& m_kept;
    const void* m_order;
    const LoadTable* m_records[3] = {};
    std::shared_ptr<const Reads> m_known[3];
    std::shared_ptr<Reads> m_reading[3];
    size_t m_next[3] = {};
};

}  // namespace GAME
