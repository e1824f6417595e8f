// What is read or built from records, kept by the record for as long as the records stand.
// A table the record database keeps under its name lives, unchanged, until the records
// change (a record registered again, the records cleared, the data root set: the database's
// generation moves on), so what is read from it may be kept by its address. A table of the
// caller's own may change or go at any time: nothing read from it is kept. Each thread keeps
// its own values, so no lock is taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>

namespace GAME {

class LoadTable;

// Whether the record database keeps this very table under its name.
bool IsRecordKept(const LoadTable& record);
// The record database's generation (RecordDatabase::GetGeneration).
uint64_t GetRecordGeneration();

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

// Values by key, for the records of one generation: all dropped when the records have
// changed. Keys come from records, so the values are few; past `maxKept` they are all
// dropped and read afresh rather than kept without bound.
template <class Key, class Value, class Hash = std::hash<Key>>
class RecordKeptMap {
public:
    using Map = std::unordered_map<Key, Value, Hash>;

    explicit RecordKeptMap(size_t maxKept) : m_maxKept(maxKept) {}

    // The values of the current generation.
    Map& Current()
    {
        const uint64_t generation = GetRecordGeneration();
        if (m_generation != generation) {
            m_values.clear();
            m_generation = generation;
        }
        return m_values;
    }
    // The values of the current generation with room for one more.
    Map& ForAdding()
    {
        Map& values = Current();
        if (values.size() >= m_maxKept)
            values.clear();
        return values;
    }

private:
    size_t m_maxKept;
    uint64_t m_generation = 0;
    Map m_values;
};

}  // namespace GAME
