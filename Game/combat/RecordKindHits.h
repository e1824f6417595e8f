// Which kinds of a fixed load order a record holds. Every item made from a record loads
// its attribute stores afresh, and a store tries each of its hundred-odd kinds with a key
// look-up, while a record holds a few. For a record the record database keeps (it lives
// unchanged until the records change), the first load in an order notes which kinds the
// record held; later loads of that record in that order try only those, with the same
// results, draws and order as trying every kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace GAME {

class LoadTable;

class RecordKindHits {
public:
    // `order` names the load order by its address; a null record tries nothing.
    RecordKindHits(const LoadTable* record, const void* order);
    RecordKindHits(const RecordKindHits&) = delete;
    RecordKindHits& operator=(const RecordKindHits&) = delete;

    // Whether the kind at `index` (its position in the order) has to be tried.
    bool MayHold(size_t index) const
    {
        return m_record && (!m_known || (index < m_known->size() && (*m_known)[index] != 0));
    }
    // Whether the kinds tried are to be noted: the record's are not known yet.
    bool IsNoting() const { return m_noting; }
    // What trying the kind at the next position found: kinds are noted in order, each once.
    void Note(bool held)
    {
        if (m_noting)
            m_noted.push_back(held ? 1 : 0);
    }
    // Keeps the notes once every one of the order's `kindCount` kinds has been tried.
    void Keep(size_t kindCount);

private:
    const LoadTable* m_record;
    const void* m_order;
    // One byte a kind: a bit vector cost more to read than the look-ups it saves.
    std::shared_ptr<const std::vector<uint8_t>> m_known;
    bool m_noting = false;
    std::vector<uint8_t> m_noted;
};

}  // namespace GAME
