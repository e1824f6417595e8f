// A spawn proxy's pool: monster records with weights, costs and limits (and a second list
// for champions) and the counts to make. Given the proxy's budget it creates the monsters,
// not yet in the world, and holds their ids until the proxy places them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace GAME {

class LoadTable;
class Proxy;

// One weighted record a proxy or accessory pool may choose.
struct ProxySelection {
    std::string name;
    uint32_t weight = 0;
};

struct ProxyPoolEntry {
    std::string_view name;       // monster record (text the pool keeps while it lives)
    uint32_t weight = 0;
    int32_t difficulty = 0;      // what one costs of the budget
    int32_t difficultyCutoff = 0;   // taken by budget only while the budget is at most this; 0 none
    uint32_t limit = 0;          // how many more may be made
    bool alwaysSpawn = false;
    bool heroOrBoss = false;
};

class ProxyPool {
public:
    static constexpr int kMaxEntries = 30;
    // The most objects one pool makes, whatever its records and formulas say: each is an
    // object in the world, and counts from records size the loops that make them.
    static constexpr int kMaxObjects = 256;

    ProxyPool() = default;
    ProxyPool(const ProxyPool&) = default;
    ProxyPool& operator=(const ProxyPool&) = default;
    virtual ~ProxyPool();

    void SetParent(Proxy* parent) { m_parent = parent; }
    void LoadFromFile(const std::string& recordName);
    void RunPool(int budget);
    std::vector<uint32_t>& GetObjects() { return m_objects; }
    const std::vector<uint32_t>& GetObjects() const { return m_objects; }
    void PreLoad(bool flag);
    // Destroys the objects still held; hero and boss records leave the game's registry.
    void RemoveObjectsNotPlaced();

    const std::string& GetName() const { return m_name; }
    const std::vector<ProxyPoolEntry>& GetEntries() const { return m_entries; }
    const std::vector<ProxyPoolEntry>& GetChampionEntries() const { return m_championEntries; }
    int GetBudget() const { return m_budget; }
    int GetSpawnMin() const { return m_spawnMin; }
    int GetSpawnMax() const { return m_spawnMax; }
    int GetChampionMin() const { return m_championMin; }
    int GetChampionMax() const { return m_championMax; }

protected:
    void LoadSelection(std::vector<ProxyPoolEntry>& list, const LoadTable& record, const char* const keys[6],
                       uint32_t defaultLimit);
    static bool IsAvailable(const ProxyPoolEntry& entry, int budget);
    static bool IsMustSpawn(const ProxyPoolEntry& entry);
    bool PickSelection(std::vector<ProxyPoolEntry>& list, int& budget, const ProxyPoolEntry*& out);
    bool GetMustPickSelection(std::vector<ProxyPoolEntry>& list, int& budget, const ProxyPoolEntry*& out);
    bool GetLeastDifficultSelection(std::vector<ProxyPoolEntry>& list, const ProxyPoolEntry*& out);
    void CreateAddToSpawnList(const ProxyPoolEntry& entry);

private:
    // A count: record value plus the game-wide value of the difficulty, scaled by the
    // game-wide modifier in percent, then the pool's formula; held to 0..kMaxObjects.
    int ComputeCount(int recordValue, const char* addKey, const char* modifierKey, const std::string& formula);
    bool IsFull() const { return static_cast<int>(m_objects.size()) >= kMaxObjects; }
    int ObjectCount() const { return static_cast<int>(m_objects.size()); }

    Proxy* m_parent = nullptr;
    std::string m_name;
    int m_spawnMin = 0;
    int m_spawnMax = 0;
    int m_championMin = 0;
    int m_championMax = 0;
    float m_championChance = 0.0f;
    std::string m_spawnMinEquation;
    std::string m_spawnMaxEquation;
    std::string m_championMinEquation;
    std::string m_championMaxEquation;
    std::vector<ProxyPoolEntry> m_entries;
    std::vector<ProxyPoolEntry> m_championEntries;
    // The entries as read from the record, shared with every pool of it: they hold the
    // text of the entries' names.
    std::vector<std::shared_ptr<const void>> m_readEntries;
    std::vector<uint32_t> m_objects;
    int m_budget = 0;
};

// A pool of fixed items (a chest beside the monsters): with its chance, one record chosen
// by weight is created at the proxy's budget.
class ProxyAccessoryPool {
public:
    static constexpr int kMaxSelections = 10;

    ProxyAccessoryPool() = default;
    virtual ~ProxyAccessoryPool();
    ProxyAccessoryPool(const ProxyAccessoryPool&) = delete;
    ProxyAccessoryPool& operator=(const ProxyAccessoryPool&) = delete;

    void SetParent(Proxy* parent) { m_parent = parent; }
    void LoadFromFile(const std::string& recordName);
    void RunPool(int level);
    std::vector<uint32_t>& GetObjects() { return m_objects; }
    const std::vector<uint32_t>& GetObjects() const { return m_objects; }
    void PreLoad(bool flag);
    void RemoveObjectsNotPlaced();
    int GetLevel() const { return m_level; }

protected:
    void LoadFixedItemSelections(const LoadTable& record);
    // The chosen record's name; empty when there is none.
    std::string GetFixedItemSelection();
    void CreateAddToOtherList(const std::string& recordName);

private:
    Proxy* m_parent = nullptr;
    std::string m_name;
    std::vector<uint32_t> m_objects;
    uint32_t m_fixedItemChance = 0;
    std::vector<ProxySelection> m_selections;
    int m_level = 0;
};

}  // namespace GAME
