// What is worked out from a loaded record, kept with the record: every object made from one
// record reads the same keys and works out the same values, so the first one to load keeps
// them and later ones take them as they are.
//
// A value is kept under the record's address, a kind (the address of something of the
// caller's own, which names what the value is) and a variant the caller chooses. Only a
// table that the record database keeps under its name is kept: such a table lives,
// unchanged, until the records change (a record registered again, the records cleared, the
// data root set), and then every kept value is dropped, as the database's generation has
// moved on. Each thread keeps its own values (levels load on a thread of their own); past
// kMaxKept they are all dropped and worked out afresh rather than kept without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>

namespace GAME {

class LoadTable;

class RecordKept {
public:
    static constexpr size_t kMaxKept = 4096;

    // The value kept for the record, kind and variant; null when there is none.
    static std::shared_ptr<const void> Find(const LoadTable& record, const void* kind, uint32_t variant);
    // Keeps a value worked out from the record. False, with nothing kept, when the table is
    // not the one the database keeps under its name (a caller's own table may change or go).
    static bool Keep(const LoadTable& record, const void* kind, uint32_t variant, std::shared_ptr<const void> value);
    // Whether the table is the one the database keeps under its name.
    static bool IsKept(const LoadTable& record);
    // The record database's generation: it moves on whenever the records change.
    static uint64_t Generation();

    // The value of type V kept for the record, kind and variant; made by `make(record)`
    // (which gives a V) and kept when there is none. Every use of a kind keeps one type.
    template <class V, class Make>
    static std::shared_ptr<const V> Get(const LoadTable& record, const void* kind, uint32_t variant, Make&& make)
    {
        if (std::shared_ptr<const void> found = Find(record, kind, variant))
            return std::static_pointer_cast<const V>(std::move(found));
        auto made = std::make_shared<const V>(std::forward<Make>(make)(record));
        Keep(record, kind, variant, made);
        return made;
    }
};

// Values by key, for the records of one generation: all dropped when the records have
// changed. Keys come from records, so the values are few; past `maxKept` they are all
// dropped and read afresh rather than kept without bound. A transparent Hash and Equal let
// a look-up use a view of the key (no copy of its text).
template <class Key, class Value, class Hash = std::hash<Key>, class Equal = std::equal_to<Key>>
class RecordKeptMap {
public:
    using Map = std::unordered_map<Key, Value, Hash, Equal>;

    explicit RecordKeptMap(size_t maxKept) : m_maxKept(maxKept) {}

    // The values of the current generation.
    Map& Current()
    {
        const uint64_t generation = RecordKept::Generation();
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
