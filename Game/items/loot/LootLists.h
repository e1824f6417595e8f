// The weighted lists every loot table is built from, the two ways of picking from them,
// and the limits the tables share.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace GAME {

class LoadTable;
class RandomUniform;

namespace LootLimits {
inline constexpr unsigned kTableRows = 30;            // master, item and plain loot tables
inline constexpr unsigned kRandomizerListRows = 15;   // each affix list of an item table
inline constexpr unsigned kRandomizerTableRows = 60;  // an affix table
inline constexpr int kNestingDepth = 5;               // how far nested tables are followed
inline constexpr unsigned kNoIndex = ~0u;             // names are plain strings, not arrays
}  // namespace LootLimits

// The record's "Class" value, or "" when the record does not exist.
const char* GetRecordClassName(const std::string& recordName);
// The record when its "Class" is exactly `className` (case-sensitive), else null.
const LoadTable* LoadRecordOfClass(const std::string& recordName, const char* className);

// Whether weights adding up to `total` (64 bits) stay within what the generator draws
// (2^31 - 1); otherwise logs, naming `owner` and the record, and answers false: the
// caller then picks nothing from them.
bool LootWeightsFit(uint64_t total, const char* owner, const std::string& recordName);

// An outcome weight: a whole number from the record, negatives held at 0.
uint32_t ReadLootWeight(const LoadTable& table, const char* key);

// One row of a weighted list: a record name and its weight.
struct LootRow {
    std::string name;
    uint32_t weight = 0;
};

// The rows "<namePrefix><N>" / "<weightPrefix><N>" for N = 1..rows, in key order; a row
// counts only with a weight above 0 and a name. With `index` the name key is an array
// and the entry at that position is taken. Returns the weights' sum in 64 bits.
uint64_t ReadLootRows(const LoadTable& table, const char* namePrefix, const char* weightPrefix, unsigned rows,
                      std::vector<LootRow>& out, unsigned index = LootLimits::kNoIndex);

// Cumulative list: rolls 0 .. total - 1 and takes the first entry whose cumulative weight
// is above the roll.
class CumulativeLootList {
public:
    struct Entry {
        uint32_t cumulative = 0;
        std::string name;
    };
    // Replaces the list with the record's rows; `owner` names the table in a log line.
    // A table of the record database is read once per thread and the rows shared by every
    // list loaded from it with the same keys, until the records change: a table is made
    // for every pick.
    void Load(const LoadTable& table, const char* owner, const char* namePrefix, const char* weightPrefix,
              unsigned rows);
    // Null only when the list is empty; draws once otherwise.
    const std::string* Pick(RandomUniform& random) const;
    bool IsEmpty() const { return GetEntries().empty(); }
    uint32_t GetTotal() const { return IsEmpty() ? 0 : GetEntries().back().cumulative; }
    const std::vector<Entry>& GetEntries() const;

private:
    using Entries = std::vector<Entry>;
    static std::shared_ptr<const Entries> ReadEntries(const LoadTable& table, const char* owner,
                                                      const char* namePrefix, const char* weightPrefix, unsigned rows);

    std::shared_ptr<const Entries> m_entries;   // never changed once read; null is empty
};

// Running-sum list: rolls 0 .. total (total + 1 values) and takes the first entry whose
// running sum reaches the roll. It draws even when empty.
class RunningSumLootList {
public:
    using Entry = LootRow;
    void Load(const LoadTable& table, const char* owner, const char* namePrefix, const char* weightPrefix,
              unsigned rows, unsigned index = LootLimits::kNoIndex);
    // Null when nothing is picked.
    const std::string* Pick(RandomUniform& random) const;
    bool IsEmpty() const { return m_entries.empty(); }
    uint32_t GetTotal() const { return m_total; }
    const std::vector<Entry>& GetEntries() const { return m_entries; }
    void Clear()
    {
        m_entries.clear();
        m_total = 0;
    }

private:
    std::vector<Entry> m_entries;
    uint32_t m_total = 0;
};

}  // namespace GAME
