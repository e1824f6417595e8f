#include "Game/items/loot/LootLists.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <span>
#include <string_view>
#include <unordered_map>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/RecordKept.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/foundation/ViewKeyed.h"

namespace GAME {

const char* GetRecordClassName(const std::string& recordName)
{
    if (recordName.empty())
        return "";
    const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName);
    return table ? table->GetString("Class", "") : "";
}

const LoadTable* LoadRecordOfClass(const std::string& recordName, const char* className)
{
    const LoadTable* table = recordName.empty() ? nullptr : ObjectManager::Get().LoadTableFile(recordName);
    return table && std::strcmp(table->GetString("Class", ""), className) == 0 ? table : nullptr;
}

bool LootWeightsFit(uint64_t total, const char* owner, const std::string& recordName)
{
    if (total <= static_cast<uint64_t>(INT_MAX))
        return true;
    gEngine->Log(LOG_WARNING, "%s: weights in %s add up past %d; nothing is picked", owner, recordName.c_str(),
                 INT_MAX);
    return false;
}

uint32_t ReadLootWeight(const LoadTable& table, const char* key)
{
    return static_cast<uint32_t>(std::max(table.GetInt(key, 0), 0));
}

namespace {

bool EndsInDigit(std::string_view text)
{
    return !text.empty() && text.back() >= '0' && text.back() <= '9';
}

// The row's name: the key's text, or with an index the entry at that position.
std::string RowName(const LoadTable::Value* value, unsigned index)
{
    if (!value)
        return std::string();
    if (index == LootLimits::kNoIndex)
        return value->text;
    const std::string* entry = value->GetEntry(index);
    return entry ? *entry : std::string();
}

}  // namespace

uint64_t ReadLootRows(const LoadTable& table, const char* namePrefix, const char* weightPrefix, unsigned rows,
                      std::vector<LootRow>& out, unsigned index)
{
    out.clear();
    uint64_t total = 0;
    auto addRow = [&](int weight, const LoadTable::Value* nameValue) {
        if (weight <= 0)
            return;
        std::string name = RowName(nameValue, index);
        if (name.empty())
            return;
        out.push_back({std::move(name), static_cast<uint32_t>(weight)});
        total += static_cast<uint32_t>(weight);
    };
    if (EndsInDigit(namePrefix) || EndsInDigit(weightPrefix)) {
        // "<prefix><N>" cannot be told from a longer number: build each key.
        for (unsigned n = 1; n <= rows; ++n) {
            const std::string number = std::to_string(n);
            const LoadTable::Value* weight = table.FindValue(weightPrefix + number);
            if (weight)
                addRow(weight->GetInt(0), table.FindValue(namePrefix + number));
        }
        return total;
    }
    // Only the rows the record has: both lists come by increasing number.
    const std::span<const LoadTable::NumberedValue> weights = table.GetNumbered(weightPrefix);
    const std::span<const LoadTable::NumberedValue> names = table.GetNumbered(namePrefix);
    size_t nameAt = 0;
    for (const LoadTable::NumberedValue& weight : weights) {
        if (weight.number < 1)
            continue;
        if (weight.number > rows)
            break;
        while (nameAt < names.size() && names[nameAt].number < weight.number)
            ++nameAt;
        const bool named = nameAt < names.size() && names[nameAt].number == weight.number;
        addRow(weight.value->GetInt(0), named ? names[nameAt].value : nullptr);
    }
    return total;
}

namespace {

// A list read from a database table: the table (its address names it until the records
// change) with the key stems and row count the list was read with. The stems are held as
// text, so a caller's transient text is safe; a look-up compares views and takes no copy.
struct KeptListView {
    const LoadTable* table;
    std::string_view namePrefix;
    std::string_view weightPrefix;
    unsigned rows;
    bool operator==(const KeptListView&) const = default;
};

struct KeptListKey {
    const LoadTable* table;
    std::string namePrefix;
    std::string weightPrefix;
    unsigned rows;
    KeptListView View() const { return {table, namePrefix, weightPrefix, rows}; }
};

struct HashKeptListView {
    size_t operator()(const KeptListView& key) const
    {
        const std::hash<std::string_view> text;
        size_t hash = std::hash<const void*>()(key.table);
        hash = hash * 31u ^ text(key.namePrefix);
        hash = hash * 31u ^ text(key.weightPrefix);
        return hash * 31u ^ key.rows;
    }
};
using KeptListHash = ViewKeyHash<KeptListKey, KeptListView, HashKeptListView>;
using KeptListEqual = ViewKeyEqual<KeptListKey, KeptListView>;

}  // namespace

void CumulativeLootList::Load(const LoadTable& table, const char* owner, const char* namePrefix,
                              const char* weightPrefix, unsigned rows)
{
    // Only the database's own tables are kept: a table made elsewhere may carry a
    // record's name with other contents, and only the database's tables live unchanged
    // until the records change. Record names and keys come from records, so the kept lists
    // are few; past kMaxKept they are all read afresh rather than kept without bound.
    constexpr size_t kMaxKept = 512;
    m_entries.reset();
    if (!namePrefix || !weightPrefix)
        return;
    struct Kept {
        uint64_t generation = 0;
        std::unordered_map<KeptListKey, std::shared_ptr<const Entries>, KeptListHash, KeptListEqual> lists;
    };
    thread_local Kept kept;
    const uint64_t generation = RecordKept::Generation();
    if (kept.generation != generation || kept.lists.size() >= kMaxKept) {
        kept.lists.clear();
        kept.generation = generation;
    }
    // A list is kept only for a database table, which lives until the generation moves on:
    // no other table can stand at a kept table's address meanwhile, so a list found needs
    // no second look at the database.
    const KeptListView view{&table, namePrefix, weightPrefix, rows};
    if (const auto found = kept.lists.find(view); found != kept.lists.end()) {
        m_entries = found->second;
        return;
    }
    m_entries = ReadEntries(table, owner, namePrefix, weightPrefix, rows);
    if (RecordKept::IsKept(table))
        kept.lists.emplace(KeptListKey{&table, namePrefix, weightPrefix, rows}, m_entries);
}

std::shared_ptr<const CumulativeLootList::Entries> CumulativeLootList::ReadEntries(const LoadTable& table,
                                                                                   const char* owner,
                                                                                   const char* namePrefix,
                                                                                   const char* weightPrefix,
                                                                                   unsigned rows)
{
    std::vector<LootRow> read;
    if (!LootWeightsFit(ReadLootRows(table, namePrefix, weightPrefix, rows, read), owner, table.GetName()))
        return nullptr;
    auto entries = std::make_shared<Entries>();
    uint32_t cumulative = 0;
    entries->reserve(read.size());
    for (LootRow& row : read) {
        cumulative += row.weight;
        entries->push_back({cumulative, std::move(row.name)});
    }
    return entries;
}

const std::vector<CumulativeLootList::Entry>& CumulativeLootList::GetEntries() const
{
    static const Entries kEmpty;
    return m_entries ? *m_entries : kEmpty;
}

const std::string* CumulativeLootList::Pick(RandomUniform& random) const
{
    const Entries& entries = GetEntries();
    if (entries.empty())
        return nullptr;
    const uint32_t roll = static_cast<uint32_t>(random.IGenerate(0, static_cast<int>(GetTotal()) - 1));
    for (const Entry& entry : entries)
        if (entry.cumulative > roll)
            return &entry.name;
    return nullptr;   // the roll stays below the total: not reached
}

void RunningSumLootList::Load(const LoadTable& table, const char* owner, const char* namePrefix,
                              const char* weightPrefix, unsigned rows, unsigned index)
{
    Clear();
    const uint64_t total = ReadLootRows(table, namePrefix, weightPrefix, rows, m_entries, index);
    if (!LootWeightsFit(total, owner, table.GetName())) {
        m_entries.clear();
        return;
    }
    m_total = static_cast<uint32_t>(total);
}

const std::string* RunningSumLootList::Pick(RandomUniform& random) const
{
    const uint32_t roll = static_cast<uint32_t>(random.IGenerate(0, static_cast<int>(m_total)));
    uint32_t sum = 0;
    for (const Entry& entry : m_entries) {
        sum += entry.weight;
        if (roll <= sum)
            return &entry.name;
    }
    return nullptr;
}

}  // namespace GAME
