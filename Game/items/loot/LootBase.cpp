#include "Game/items/loot/LootBase.h"

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/loot/LootRandomizer.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(LootBase, Object)
GAME_IMPLEMENT_CLASS(LootMasterTable, LootBase)
GAME_IMPLEMENT_CLASS(LootItemTable_FixedWeight, LootBase)

LootBase::~LootBase() = default;

LootBase* LootBase::Create(const std::string& recordName)
{
    // The class is tested here first, so that an item record (the usual case for a loot
    // name) is turned away without the object manager's warning.
    const char* className = GetRecordClassName(recordName);
    if (!*className)
        return nullptr;
    const RTTI_ClassInfo* info = Object::GetStaticClassInfo().FindClassByName(className);
    if (!info || !info->IsA(GetStaticClassInfo()))
        return nullptr;
    return ObjectManager::Get().CreateObjectFromFile<LootBase>(recordName);
}

void LootBase::Destroy(LootBase* table)
{
    ObjectManager::Get().DestroyObjectEx(table, "LootBase", __LINE__);
}

void LootBase::PickAffixes(std::string& prefix, std::string& suffix, RandomUniform& random, bool forceEvery) const
{
    LootItemTableRandomizer randomizer;
    randomizer.LoadFromDatabase(GetObjectName());
    if (forceEvery) {
        randomizer.OverrideWeightsAndChance();
    } else {
        randomizer.SetWeightModifiers(m_weightModifiers);
        if (m_noBrokenItems)
            randomizer.SetNoBrokenItems();
    }
    randomizer.GetRandomizerNames(prefix, suffix, random);
}

size_t LootBase::NextTestRow(size_t count)
{
    if (m_testCursor >= count)
        m_testCursor = 0;
    const size_t row = m_testCursor;
    m_testCursor = row + 1 >= count ? 0 : static_cast<uint32_t>(row + 1);
    return row;
}

// ---- Master table ----------------------------------------------------------------------

void LootMasterTable::Load(const LoadTable& table)
{
    m_tables.Load(table, "LootMasterTable", "lootName", "lootWeight", LootLimits::kTableRows);
}

void LootMasterTable::GetLootName(std::string& base, std::string& prefix, std::string& suffix,
                                  RandomUniform& random, int& depth)
{
    if (m_tables.IsEmpty() || depth <= 0)
        return;
    --depth;
    const std::string& picked = *m_tables.Pick(random);
    LootBase* table = Create(picked);
    if (!table) {
        gEngine->Log(LOG_WARNING, "LootMasterTable: Unable to create LootBase (%s)", picked.c_str());
        return;
    }
    table->SetLevel(m_parentLevel, m_averagePlayerLevel);
    table->SetNoBrokenItems(m_noBrokenItems);
    table->SetRandomizerWeightModifiers(m_weightModifiers);
    table->GetLootName(base, prefix, suffix, random, depth);
    Destroy(table);
}

// ---- Fixed-weight item table -----------------------------------------------------------

void LootItemTable_FixedWeight::Load(const LoadTable& table)
{
    m_items.Load(table, "LootItemTable_FixedWeight", "lootName", "lootWeight", LootLimits::kTableRows);
}

void LootItemTable_FixedWeight::GetLootName(std::string& base, std::string& prefix, std::string& suffix,
                                            RandomUniform& random, int& /*depth*/)
{
    const std::string* picked = m_items.Pick(random);
    if (!picked)
        return;
    base = *picked;
    PickAffixes(prefix, suffix, random, false);
}

void LootItemTable_FixedWeight::OverrideTest(std::string& base, std::string& prefix, std::string& suffix,
                                             RandomUniform& random)
{
    const auto& entries = m_items.GetEntries();
    if (entries.empty())
        return;
    base = entries[NextTestRow(entries.size())].name;
    PickAffixes(prefix, suffix, random, true);
}

}  // namespace GAME
