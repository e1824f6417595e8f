#include "Game/items/loot/LootTable.h"

#include <algorithm>
#include <cstring>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/loot/LootRandomizer.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(LootTable, Object)

namespace {

constexpr const char* kOwner = "LootTable";

// Follows a picked affix name through nested affix tables, at most six of them. A name
// that is still an affix table after that is logged and kept as it stands.
void ResolveNestedAffix(std::string& name, RandomUniform& random)
{
    for (int depth = LootLimits::kNestingDepth; !name.empty(); --depth) {
        LootRandomizerTable table;
        if (!table.ManualLoad(name))
            return;
        table.GetRandomizerName(name, random);
        if (depth < 1) {
            if (std::strcmp(GetRecordClassName(name), "LootRandomizerTable") == 0)
                gEngine->Log(LOG_WARNING, "Recursion too deep on LootTable (%s)", name.c_str());
            return;
        }
    }
}

}  // namespace

bool LootTable::ManualLoad(const std::string& recordName)
{
    const LoadTable* record = LoadRecordOfClass(recordName, "LootTable");
    if (!record)
        return false;
    const LoadTable& table = *record;
    m_recordName = recordName;
    const unsigned rows = LootLimits::kTableRows;
    m_items.Load(table, kOwner, "lootName", "lootWeight", rows);
    m_prefixChance = table.GetFloat("prefixRandomizerChance", 0.0f);
    m_prefixes.Load(table, kOwner, "prefixRandomizerName", "prefixRandomizerWeight", rows);
    m_suffixChance = table.GetFloat("suffixRandomizerChance", 0.0f);
    m_suffixes.Load(table, kOwner, "suffixRandomizerName", "suffixRandomizerWeight", rows);
    m_bothPrefixSuffix = ReadLootWeight(table, "bothPrefixSuffix");
    m_noPrefixNoSuffix = ReadLootWeight(table, "noPrefixNoSuffix");
    m_prefixOnly = ReadLootWeight(table, "prefixOnly");
    m_suffixOnly = ReadLootWeight(table, "suffixOnly");
    return true;
}

void LootTable::GetLootName(std::string& name, std::string& prefix, std::string& suffix,
                            RandomUniform& random) const
{
    const std::string* picked = m_items.Pick(random);
    if (!picked)
        return;
    name = *picked;
    GetRandomizerName(m_prefixes, m_prefixChance, prefix, random);
    GetRandomizerName(m_suffixes, m_suffixChance, suffix, random);

    const uint64_t both = m_bothPrefixSuffix;
    const uint64_t prefixOnly = both + m_prefixOnly;
    const uint64_t suffixOnly = prefixOnly + m_suffixOnly;
    const uint64_t total = suffixOnly + m_noPrefixNoSuffix;
    if (!LootWeightsFit(total, kOwner, m_recordName)) {
        prefix.clear();
        suffix.clear();
        return;
    }
    const uint64_t roll = static_cast<uint64_t>(random.IGenerate(0, static_cast<int>(total)));
    if (roll <= both)
        return;
    if (roll <= prefixOnly) {
        suffix.clear();
    } else if (roll <= suffixOnly) {
        prefix.clear();
    } else {
        prefix.clear();
        suffix.clear();
    }
}

void LootTable::GetRandomizerName(const RunningSumLootList& list, float chance, std::string& name,
                                  RandomUniform& random) const
{
    const float f = random.FGenerate(0.0f, 100.0f);
    if (!(f < chance))
        return;
    const std::string* picked = list.Pick(random);
    if (!picked)
        return;
    name = *picked;
    ResolveNestedAffix(name, random);
}

}  // namespace GAME
