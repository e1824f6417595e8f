#include "Game/world/ProxyPool.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/RecordKept.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/world/FixedItem.h"
#include "Game/world/Proxy.h"

namespace GAME {

namespace {

constexpr const char* kEntryKeys[6] = {"name", "weight", "difficulty", "difficultyCutoff", "limit", "alwaysSpawn"};
constexpr const char* kChampionKeys[6] = {"nameChampion",       "weightChampion",         "difficultyChampion",
                                          "difficultyCutoffChampion", "limitChampion", "alwaysSpawnChampion"};

int GameDifficultyIndex()
{
    return gGameEngine ? static_cast<int>(gGameEngine->GetGameDifficulty()) : 0;
}

float GameWideValue(const char* key)
{
    return gGameEngine ? gGameEngine->GetDatabase().GetFloat(key, static_cast<unsigned>(GameDifficultyIndex()), 0.0f)
                       : 0.0f;
}

// The weighted draw of pools and accessories: r in [0, total] from the game's
// generator, the first whose running sum reaches r.
template <class T, class Weight>
T* DrawByWeight(const std::vector<T*>& candidates, Weight weightOf)
{
    if (candidates.empty() || !gGameEngine)
        return nullptr;
    uint64_t total = 0;
    for (const T* candidate : candidates)
        total += weightOf(*candidate);
    const int r = gGameEngine->GetRandomGen().IGenerate(0, static_cast<int>(std::min<uint64_t>(total, INT32_MAX)));
    uint64_t sum = 0;
    for (T* candidate : candidates) {
        sum += weightOf(*candidate);
        if (static_cast<uint64_t>(std::max(r, 0)) <= sum)
            return candidate;
    }
    return nullptr;
}

void PreLoadObjects(const std::vector<uint32_t>& ids, bool flag)
{
    for (uint32_t id : ids)
        if (Object* object = ObjectManager::Get().GetObject(id))
            object->PreLoad(flag);
}

// Destroys what is left of the objects, each first shown to `leaving` (when given).
template <class Leaving>
void DestroyObjects(std::vector<uint32_t>& ids, Leaving leaving)
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : ids)
        if (Object* object = objects.GetObject(id)) {
            leaving(*object);
            objects.DestroyObjectEx(object, __FILE__, __LINE__);
        }
    ids.clear();
}

}  // namespace

// ---- ProxyPool ----------------------------------------------------------------------------

ProxyPool::~ProxyPool() { RemoveObjectsNotPlaced(); }

void ProxyPool::LoadFromFile(const std::string& recordName)
{
    m_name = recordName;
    if (recordName.empty())
        return;
    const LoadTable& record = ObjectManager::Get().GetRecordOrEmpty(recordName);
    m_spawnMin = record.GetInt("spawnMin", 0);
    m_spawnMax = record.GetInt("spawnMax", 0);
    m_championMin = record.GetInt("championMin", 0);
    m_championMax = record.GetInt("championMax", 0);
    m_championChance = record.GetFloat("championChance", 0.0f);
    LoadSelection(m_entries, record, kEntryKeys, static_cast<uint32_t>(std::max(0, m_spawnMax)));
    LoadSelection(m_championEntries, record, kChampionKeys, static_cast<uint32_t>(std::max(0, m_championMax)));
    const char* formulas = record.GetString("proxyPoolEquation", "");
    if (*formulas) {
        const LoadTable& equations = ObjectManager::Get().GetRecordOrEmpty(formulas);
        m_spawnMinEquation = equations.GetString("spawnMinEquation", "");
        m_spawnMaxEquation = equations.GetString("spawnMaxEquation", "");
        m_championMinEquation = equations.GetString("championMinEquation", "");
        m_championMaxEquation = equations.GetString("championMaxEquation", "");
    }
}

namespace {

// One entry of a pool record as its keys give it, before a proxy works out its cost.
struct PoolRecordEntry {
    std::string name;                // the monster record
    ProxyPoolEntry entry;            // the cost as written; no name, the limit not yet set
    int limit = 0;                   // as written: 0 or less takes the pool's default
    const LoadTable* monster = nullptr;   // the monster record, or an empty table
    bool heroOrBoss = false;         // the monster is classed Hero or Boss
};
using PoolRecordEntries = std::vector<PoolRecordEntry>;

// The entries of one list of a pool record, slots 1 to kMaxEntries that name a record.
PoolRecordEntries ReadPoolRecordEntries(const LoadTable& record, const char* const keys[6])
{
    // Only the slots the record holds are read: the name column lists them, so the
    // absent slots cost no key look-ups.
    std::string key;
    auto numbered = [&](uint32_t slot, int column) -> const char* {
        key.assign(keys[column]);
        key += std::to_string(slot);
        return key.c_str();
    };
    PoolRecordEntries read;
    for (const LoadTable::NumberedValue& named : record.GetNumbered(keys[0])) {
        if (named.number < 1 || named.number > static_cast<uint32_t>(ProxyPool::kMaxEntries))
            continue;
        const uint32_t slot = named.number;
        const char* name = named.value->text.c_str();
        if (!*name)
            continue;
        PoolRecordEntry& kept = read.emplace_back();
        ProxyPoolEntry& entry = kept.entry;
        kept.name = name;
        entry.weight = static_cast<uint32_t>(std::max(0, record.GetInt(numbered(slot, 1), 0)));
        entry.difficulty = record.GetInt(numbered(slot, 2), 0);
        entry.difficultyCutoff = record.GetInt(numbered(slot, 3), 0);
        kept.limit = record.GetInt(numbered(slot, 4), 0);
        entry.alwaysSpawn = record.GetInt(numbered(slot, 5), 0) != 0;
        kept.monster = &ObjectManager::Get().GetRecordOrEmpty(kept.name);
        const MonsterClassification classification =
            GameEngine::ResolveMonsterClassificationEnum(kept.monster->GetString("monsterClassification", ""));
        kept.heroOrBoss =
            classification == MonsterClassification_Hero || classification == MonsterClassification_Boss;
    }
    return read;
}

}  // namespace

void ProxyPool::LoadSelection(std::vector<ProxyPoolEntry>& list, const LoadTable& record, const char* const keys[6],
                              uint32_t defaultLimit)
{
    // Every proxy of a pool reads the same entries: they are read once and kept with the
    // record (the keys name the list), and only the costs and limits are worked out here.
    const auto kept = RecordKept::Get<PoolRecordEntries>(
        record, keys, 0, [keys](const LoadTable& table) { return ReadPoolRecordEntries(table, keys); });
    list.reserve(list.size() + kept->size());
    for (const PoolRecordEntry& read : *kept) {
        ProxyPoolEntry entry = read.entry;
        entry.name = read.name;
        entry.limit = read.limit > 0 ? static_cast<uint32_t>(read.limit) : defaultLimit;
        if (m_parent)
            entry.difficulty = m_parent->CalculateCharacterDifficulty(*read.monster, entry.difficulty);
        if (read.heroOrBoss) {
            if (gGameEngine && gGameEngine->IsProxyHeroBossInGame(read.name))
                entry.limit = 0;
            else
                entry.heroOrBoss = true;
        }
        list.push_back(entry);
    }
    m_readEntries.push_back(kept);
}

bool ProxyPool::IsAvailable(const ProxyPoolEntry& entry, int budget)
{
    return entry.limit > 0 && entry.difficulty <= budget && (entry.difficultyCutoff == 0 || entry.difficultyCutoff >= budget);
}

bool ProxyPool::IsMustSpawn(const ProxyPoolEntry& entry) { return entry.limit > 0 && entry.alwaysSpawn; }

bool ProxyPool::PickSelection(std::vector<ProxyPoolEntry>& list, int& budget, const ProxyPoolEntry*& out)
{
    std::vector<ProxyPoolEntry*> available;
    for (ProxyPoolEntry& entry : list)
        if (IsAvailable(entry, budget))
            available.push_back(&entry);
    ProxyPoolEntry* taken =
        DrawByWeight(available, [](const ProxyPoolEntry& entry) { return static_cast<uint64_t>(entry.weight); });
    if (!taken)
        return false;
    --taken->limit;
    budget -= taken->difficulty;
    out = taken;
    return true;
}

bool ProxyPool::GetMustPickSelection(std::vector<ProxyPoolEntry>& list, int& budget, const ProxyPoolEntry*& out)
{
    for (ProxyPoolEntry& entry : list)
        if (IsMustSpawn(entry)) {
            --entry.limit;
            budget -= entry.difficulty;
            out = &entry;
            return true;
        }
    return false;
}

// Difficulties are compared as unsigned numbers, so a negative cost counts as the dearest.
bool ProxyPool::GetLeastDifficultSelection(std::vector<ProxyPoolEntry>& list, const ProxyPoolEntry*& out)
{
    ProxyPoolEntry* least = nullptr;
    for (ProxyPoolEntry& entry : list)
        if (entry.limit > 0 &&
            (!least || static_cast<uint32_t>(entry.difficulty) < static_cast<uint32_t>(least->difficulty)))
            least = &entry;
    if (!least)
        return false;
    --least->limit;
    out = least;
    return true;
}

void ProxyPool::CreateAddToSpawnList(const ProxyPoolEntry& entry)
{
    if (entry.name.empty() || IsFull())
        return;
    const std::string name(entry.name);
    Object* made = ObjectManager::Get().CreateObjectFromFile(name);
    if (!made) {
        gEngine->Log(LOG_WARNING, "Proxy Pool (%s) could not create object (%s)", m_name.c_str(), name.c_str());
        return;
    }
    m_objects.push_back(made->GetObjectId());
    if (entry.heroOrBoss && gGameEngine)
        gGameEngine->RegisterProxyHeroBoss(name);
}

int ProxyPool::ComputeCount(int recordValue, const char* addKey, const char* modifierKey, const std::string& formula)
{
    int count = TruncateToInt(static_cast<double>(static_cast<float>(recordValue) + GameWideValue(addKey)));
    const float modifier = GameWideValue(modifierKey);
    if (modifier > 0.0f)
        count = TruncateToInt(static_cast<double>(modifier * 0.01f * static_cast<float>(count)));
    if (!formula.empty() && m_parent)
        count = m_parent->RunEquation(formula, count);
    if (count > kMaxObjects) {
        gEngine->Log(LOG_WARNING, "Proxy Pool (%s): a count of %d held to %d", m_name.c_str(), count, kMaxObjects);
        count = kMaxObjects;
    }
    return std::max(count, 0);
}

// Counts are compared signed: a pool that already made more than its maximum makes no
// more picks (an unsigned difference would wrap to billions of picks).
void ProxyPool::RunPool(int budget)
{
    m_budget = budget;
    m_spawnMin = ComputeCount(m_spawnMin, "spawnMin", "spawnMinModifier", m_spawnMinEquation);
    m_spawnMax = ComputeCount(m_spawnMax, "spawnMax", "spawnMaxModifier", m_spawnMaxEquation);
    m_championMin = ComputeCount(m_championMin, "championMin", "championMinModifier", m_championMinEquation);
    m_championMax = ComputeCount(m_championMax, "championMax", "championMaxModifier", m_championMaxEquation);

    const ProxyPoolEntry* entry = nullptr;
    int regular = budget;
    const bool champions =
        !(m_championChance > 0.0f && gGameEngine &&
          m_championChance < gGameEngine->GetRandomGen().FGenerate(0.0f, 100.0f));
    if (champions) {
        int championBudget = m_parent ? m_parent->CalculateChampionDifficulty(budget) : budget;
        regular = budget - championBudget;
        while (!IsFull() && GetMustPickSelection(m_championEntries, championBudget, entry))
            CreateAddToSpawnList(*entry);
        for (int pick = 0, picks = std::max(m_championMin, m_championMax); pick < picks; ++pick)
            if (PickSelection(m_championEntries, championBudget, entry))
                CreateAddToSpawnList(*entry);
        if (m_championMin != 0 && ObjectCount() < m_championMin) {
            for (int fill = m_championMin - ObjectCount(); fill > 0; --fill)
                if (GetLeastDifficultSelection(m_championEntries, entry))
                    CreateAddToSpawnList(*entry);
        } else {
            regular += championBudget;
        }
    }

    while (!IsFull() && GetMustPickSelection(m_entries, regular, entry))
        CreateAddToSpawnList(*entry);
    for (int picks = std::max(m_spawnMin, m_spawnMax) - ObjectCount(); picks > 0; --picks)
        if (PickSelection(m_entries, regular, entry))
            CreateAddToSpawnList(*entry);
    if (ObjectCount() < m_spawnMin)
        for (int fill = m_spawnMin - ObjectCount(); fill > 0; --fill)
            if (GetLeastDifficultSelection(m_entries, entry))
                CreateAddToSpawnList(*entry);
}

void ProxyPool::PreLoad(bool flag) { PreLoadObjects(m_objects, flag); }

void ProxyPool::RemoveObjectsNotPlaced()
{
    DestroyObjects(m_objects, [](const Object& object) {
        if (gGameEngine)
            gGameEngine->UnregisterProxyHeroBoss(object.GetObjectName());
    });
}

// ---- ProxyAccessoryPool -------------------------------------------------------------------

ProxyAccessoryPool::~ProxyAccessoryPool() { RemoveObjectsNotPlaced(); }

void ProxyAccessoryPool::LoadFromFile(const std::string& recordName)
{
    m_name = recordName;
    if (recordName.empty())
        return;
    const LoadTable& record = ObjectManager::Get().GetRecordOrEmpty(recordName);
    m_fixedItemChance = static_cast<uint32_t>(std::max(0, record.GetInt("fixedItemChance", 0)));
    LoadFixedItemSelections(record);
}

void ProxyAccessoryPool::LoadFixedItemSelections(const LoadTable& record)
{
    for (int slot = 1; slot <= kMaxSelections; ++slot) {
        const std::string nameKey = "fixedItemName" + std::to_string(slot);
        const char* name = record.GetString(nameKey.c_str(), "");
        if (!*name)
            continue;
        const std::string weightKey = "fixedItemWeight" + std::to_string(slot);
        m_selections.push_back({name, static_cast<uint32_t>(std::max(0, record.GetInt(weightKey.c_str(), 0)))});
    }
}

std::string ProxyAccessoryPool::GetFixedItemSelection()
{
    std::vector<ProxySelection*> candidates;
    for (ProxySelection& selection : m_selections)
        candidates.push_back(&selection);
    const ProxySelection* chosen =
        DrawByWeight(candidates, [](const ProxySelection& selection) { return static_cast<uint64_t>(selection.weight); });
    return chosen ? chosen->name : std::string();
}

void ProxyAccessoryPool::RunPool(int level)
{
    m_level = level;
    if (!gGameEngine)
        return;
    const int roll = gGameEngine->GetRandomGen().IGenerate(0, 100);
    if (roll >= 0 && static_cast<uint32_t>(roll) <= m_fixedItemChance)
        CreateAddToOtherList(GetFixedItemSelection());
}

void ProxyAccessoryPool::CreateAddToOtherList(const std::string& recordName)
{
    if (recordName.empty())
        return;
    Object* made = ObjectManager::Get().CreateObjectFromFile(recordName);
    if (!made) {
        gEngine->Log(LOG_WARNING, "Proxy Pool (%s) could not create object (%s)", m_name.c_str(), recordName.c_str());
        return;
    }
    if (auto* item = DynamicCast<FixedItem>(made))
        item->SetProxyLevel(static_cast<uint32_t>(std::max(m_level, 0)));
    m_objects.push_back(made->GetObjectId());
}

void ProxyAccessoryPool::PreLoad(bool flag) { PreLoadObjects(m_objects, flag); }

void ProxyAccessoryPool::RemoveObjectsNotPlaced()
{
    DestroyObjects(m_objects, [](const Object&) {});
}

}  // namespace GAME
