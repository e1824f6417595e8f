#include "Game/items/loot/LootLists.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <span>
#include <string_view>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/RandomUniform.h"

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

void CumulativeLootList::Load(const LoadTable& table, const char* owner, const char* namePrefix,
                              const char* weightPrefix, unsigned rows)
{
    m_entries.clear();
    std::vector<LootRow> read;
    if (!LootWeightsFit(ReadLootRows(table, namePrefix, weightPrefix, rows, read), owner, table.GetName()))
        return;
    uint32_t cumulative = 0;
    m_entries.reserve(read.size());
    for (LootRow& row : read) {
        cumulative += row.weight;
        m_entries.push_back({cumulative, std::move(row.name)});
    }
}

const std::string* CumulativeLootList::Pick(RandomUniform& random) const
{
    if (m_entries.empty())
        return nullptr;
    const uint32_t roll = static_cast<uint32_t>(random.IGenerate(0, static_cast<int>(GetTotal()) - 1));
    for (const Entry& entry : m_entries)
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
