#include "Game/items/loot/LootLists.h"

#include <algorithm>
#include <climits>

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

uint64_t ReadLootRows(const LoadTable& table, const char* namePrefix, const char* weightPrefix, unsigned rows,
                      std::vector<LootRow>& out, unsigned index)
{
    out.clear();
    uint64_t total = 0;
    std::string nameKey = namePrefix;
    std::string weightKey = weightPrefix;
    const size_t nameLength = nameKey.size();
    const size_t weightLength = weightKey.size();
    std::vector<std::string> names;
    for (unsigned n = 1; n <= rows; ++n) {
        const std::string number = std::to_string(n);
        weightKey.replace(weightLength, std::string::npos, number);
        const int weight = table.GetInt(weightKey.c_str(), 0);
        if (weight <= 0)
            continue;
        nameKey.replace(nameLength, std::string::npos, number);
        std::string name;
        if (index == LootLimits::kNoIndex) {
            name = table.GetString(nameKey.c_str(), "");
        } else {
            table.GetStringArray(nameKey.c_str(), names);
            if (index < names.size())
                name = std::move(names[index]);
        }
        if (name.empty())
            continue;
        out.push_back({std::move(name), static_cast<uint32_t>(weight)});
        total += static_cast<uint32_t>(weight);
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
