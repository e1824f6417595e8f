#include "Game/items/loot/LootRandomizer.h"

#include <algorithm>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(LootRandomizerTable, Object)

namespace {

constexpr float kAlwaysChance = 100.0f;

uint32_t Modified(uint32_t weight, int32_t modifier)
{
    return weight + (weight * static_cast<uint32_t>(modifier)) / 100u;
}

}  // namespace

bool LootRandomizerTable::ManualLoad(const std::string& recordName)
{
    const LoadTable* table = LoadRecordOfClass(recordName, "LootRandomizerTable");
    if (!table)
        return false;
    m_list.Load(*table, "LootRandomizerTable", "randomizerName", "randomizerWeight",
                LootLimits::kRandomizerTableRows);
    return true;
}

void LootRandomizerTable::GetRandomizerName(std::string& name, RandomUniform& random) const
{
    const std::string* picked = m_list.Pick(random);
    if (picked)
        name = *picked;
    else
        name.clear();
}

void LootItemTableRandomizer::LoadFromDatabase(const std::string& recordName)
{
    m_recordName = std::make_shared<const std::string>(recordName);
    const LoadTable* table = recordName.empty() ? nullptr : ObjectManager::Get().LoadTableFile(recordName);
    if (!table)
        return;
    m_prefix.chance = table->GetFloat("prefixRandomizerChance", 0.0f);
    m_suffix.chance = table->GetFloat("suffixRandomizerChance", 0.0f);
    m_broken.chance = table->GetFloat("brokenRandomizerChance", 0.0f);
    m_outcomes.bothPrefixSuffix = ReadLootWeight(*table, "bothPrefixSuffix");
    m_outcomes.noPrefixNoSuffix = ReadLootWeight(*table, "noPrefixNoSuffix");
    m_outcomes.prefixOnly = ReadLootWeight(*table, "prefixOnly");
    m_outcomes.suffixOnly = ReadLootWeight(*table, "suffixOnly");
    m_outcomes.brokenOnly = ReadLootWeight(*table, "brokenOnly");
    const char* owner = "LootItemTableRandomizer";
    const unsigned rows = LootLimits::kRandomizerListRows;
    const auto loadList = [&](AffixList& list, const char* namePrefix, const char* weightPrefix) {
        auto tables = std::make_shared<CumulativeLootList>();
        tables->Load(*table, owner, namePrefix, weightPrefix, rows);
        list.tables = std::move(tables);
    };
    loadList(m_prefix, "prefixRandomizerName", "prefixRandomizerWeight");
    loadList(m_suffix, "suffixRandomizerName", "suffixRandomizerWeight");
    loadList(m_broken, "brokenRandomizerName", "brokenRandomizerWeight");
}

void LootItemTableRandomizer::SetWeightModifiers(const RandomizerWeightModifiers& modifiers)
{
    m_outcomes.bothPrefixSuffix = Modified(m_outcomes.bothPrefixSuffix, modifiers.bothPrefixSuffix);
    m_outcomes.noPrefixNoSuffix = Modified(m_outcomes.noPrefixNoSuffix, modifiers.noPrefixNoSuffix);
    m_outcomes.prefixOnly = Modified(m_outcomes.prefixOnly, modifiers.prefixOnly);
    m_outcomes.suffixOnly = Modified(m_outcomes.suffixOnly, modifiers.suffixOnly);
    m_outcomes.brokenOnly = Modified(m_outcomes.brokenOnly, modifiers.brokenOnly);
}

void LootItemTableRandomizer::SetNoBrokenItems()
{
    m_outcomes.noPrefixNoSuffix += m_outcomes.brokenOnly;
    m_outcomes.brokenOnly = 0;
}

void LootItemTableRandomizer::OverrideWeightsAndChance()
{
    m_prefix.chance = m_suffix.chance = m_broken.chance = kAlwaysChance;
    m_outcomes = {};
    m_outcomes.bothPrefixSuffix = 100;
    m_outcomes.brokenOnly = 100;
}

void LootItemTableRandomizer::GetRandomizerNames(std::string& prefix, std::string& suffix,
                                                 RandomUniform& random) const
{
    const uint64_t both = m_outcomes.bothPrefixSuffix;
    const uint64_t prefixOnly = both + m_outcomes.prefixOnly;
    const uint64_t suffixOnly = prefixOnly + m_outcomes.suffixOnly;
    const uint64_t broken = suffixOnly + m_outcomes.brokenOnly;
    const uint64_t total = broken + m_outcomes.noPrefixNoSuffix;
    static const std::string kNoName;
    if (!LootWeightsFit(total, "LootItemTableRandomizer", m_recordName ? *m_recordName : kNoName))
        return;
    const uint64_t roll = static_cast<uint64_t>(random.IGenerate(0, static_cast<int>(total)));
    if (roll <= both) {
        PickAffix(m_prefix, prefix, random);
        PickAffix(m_suffix, suffix, random);
    } else if (roll <= prefixOnly) {
        PickAffix(m_prefix, prefix, random);
    } else if (roll <= suffixOnly) {
        PickAffix(m_suffix, suffix, random);
    } else if (roll <= broken) {
        PickAffix(m_broken, prefix, random);
    }
}

void LootItemTableRandomizer::PickAffix(const AffixList& list, std::string& out, RandomUniform& random) const
{
    if (!list.tables || list.tables->IsEmpty())
        return;
    const float f = random.FGenerate(0.0f, 100.0f);
    if (!(f <= list.chance))   // the list is used at f <= chance
        return;
    const std::string* picked = list.tables->Pick(random);
    LootRandomizerTable table;
    table.ManualLoad(*picked);
    // An affix list names affix tables: a name that is not one gives no affix.
    table.GetRandomizerName(out, random);
}

}  // namespace GAME
