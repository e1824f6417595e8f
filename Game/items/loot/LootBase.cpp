#include "Game/items/loot/LootBase.h"

#include <string_view>
#include <unordered_map>

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

namespace {

// The loot class a record's class word names, or null. Class information only ever
// grows, so what was found once stays; each thread keeps its own answers.
const RTTI_ClassInfo* FindLootClass(const char* className)
{
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
    };
    thread_local std::unordered_map<std::string, const RTTI_ClassInfo*, Hash, std::equal_to<>> found;
    auto it = found.find(std::string_view(className));
    if (it != found.end())
        return it->second;
    const RTTI_ClassInfo* info = Object::GetStaticClassInfo().FindClassByName(className);
    if (!info)
        return nullptr;
    const RTTI_ClassInfo* loot = info->IsA(LootBase::GetStaticClassInfo()) ? info : nullptr;
    found.emplace(className, loot);
    return loot;
}

// The affix rules read from an item table's record, by record name. Every drop of a
// table picks with the same rules, so they are read once and kept until the records
// change (a record registered again, the records cleared); each thread keeps its own.
// Record names come from records, so the kept rules are few; past kMaxKept they are all
// read afresh rather than kept without bound.
const LootItemTableRandomizer& AffixRulesOf(const std::string& recordName)
{
    constexpr size_t kMaxKept = 512;
    struct Kept {
        uint64_t generation = 0;
        std::unordered_map<std::string, LootItemTableRandomizer> rules;
    };
    thread_local Kept kept;
    const uint64_t generation = RecordDatabase::Get().GetGeneration();
    if (kept.generation != generation || kept.rules.size() >= kMaxKept) {
        kept.rules.clear();
        kept.generation = generation;
    }
    auto [it, added] = kept.rules.try_emplace(recordName);
    if (added)
        it->second.LoadFromDatabase(recordName);
    return it->second;
}

}  // namespace

std::unique_ptr<LootBase> LootBase::Create(const std::string& recordName)
{
    const LoadTable* table = recordName.empty() ? nullptr : ObjectManager::Get().LoadTableFile(recordName);
    if (!table)
        return nullptr;
    const RTTI_ClassInfo* info = FindLootClass(table->GetString("Class", ""));
    void* made = info ? info->GetFactory()() : nullptr;
    if (!made)
        return nullptr;
    std::unique_ptr<LootBase> loot(static_cast<LootBase*>(static_cast<Object*>(made)));
    loot->SetObjectName(recordName);
    loot->Load(*table);
    return loot;
}

void LootBase::PickAffixes(std::string& prefix, std::string& suffix, RandomUniform& random, bool forceEvery) const
{
    LootItemTableRandomizer randomizer = AffixRulesOf(GetObjectName());
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
    std::unique_ptr<LootBase> table = Create(picked);
    if (!table) {
        gEngine->Log(LOG_WARNING, "LootMasterTable: Unable to create LootBase (%s)", picked.c_str());
        return;
    }
    table->SetLevel(m_parentLevel, m_averagePlayerLevel);
    table->SetNoBrokenItems(m_noBrokenItems);
    table->SetRandomizerWeightModifiers(m_weightModifiers);
    table->GetLootName(base, prefix, suffix, random, depth);
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
