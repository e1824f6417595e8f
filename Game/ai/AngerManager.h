// The hate list of one monster: how angry it is at each enemy, whom it is forced to hate
// most, whom it chose last, and which angry enemy is nearest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace GAME {

class Character;

class AngerManager {
public:
    static constexpr float kMaxAnger = 100.0f;
    // An enemy farther than this from the monster is forgotten.
    static constexpr float kForgetDistance = 50.0f;
    static float GetMaxAnger() { return kMaxAnger; }

    // Adds to the enemy's anger (times its anger multiplier), capped at the maximum; the
    // other enemies lose 70 per cent of the amount shared among all entries.
    void AddAnger(uint32_t enemyId, float amount);
    // Forgets what may no longer be hated and decays the rest; finds the nearest enemy.
    void Update(int elapsedMs, float decayPerSecond, Character* self);
    // The most hated enemy when one is set; else the best score (anger, doubled for the
    // current target) above the threshold, which becomes the current target.
    Character* GetNewTarget(float threshold);

    void SetMostHatedEnemy(uint32_t enemyId) { m_mostHated = enemyId; }
    uint32_t GetMostHatedEnemy() const { return m_mostHated; }
    uint32_t GetCurrentTarget() const { return m_currentTarget; }
    void GetClosestEnemy(uint32_t& id, float& distance) const
    {
        id = m_closest;
        distance = m_closestDistance;
    }
    // The anger at one enemy; 0 when it has no entry.
    float GetAnger(uint32_t enemyId) const;
    bool HasEntry(uint32_t enemyId) const;
    size_t GetEntryCount() const { return m_table.size(); }

    // Empties the table and forgets the most hated and closest enemies; the current
    // target stays.
    void Clear();
    // The other manager gets this one's most hated enemy and a copy of its table.
    void TransferAnger(AngerManager& other) const;
    // One statistics bar per hated enemy.
    void ShowAngerLevels() const;

private:
    using Entry = std::pair<uint32_t, float>;   // enemy id, anger; kept ordered by id

    // Whether the enemy may no longer be hated; without self only existence, anger and
    // life are tested.
    static bool ShouldRemoveEnemy(Character* self, uint32_t enemyId);
    Entry& FindOrAdd(uint32_t enemyId);

    std::vector<Entry> m_table;
    uint32_t m_mostHated = 0;
    uint32_t m_currentTarget = 0;
    uint32_t m_closest = 0;
    float m_closestDistance = 0.0f;
};

}  // namespace GAME
