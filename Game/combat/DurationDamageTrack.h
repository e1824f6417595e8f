// One running effect of damage over time, split into ticks of 100 ms. An ordinary track
// holds the damage of one type from one attacker; a fixed track holds a level of one
// type (a slow in percent, crowd control at level 1) from any attacker, which is read,
// never applied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Game/combat/CombatAttributeType.h"

namespace GAME {

// What is added or replicated. Adding: damage per second (or a level) for a duration in
// seconds. Replicating: the value of each tick of a run, and the run's tick count.
struct DurationDamageInfo {
    float damage = 0.0f;
    float duration = 0.0f;

    bool operator==(const DurationDamageInfo&) const = default;
};

class DurationDamageTrack {
public:
    DurationDamageTrack(CombatAttributeType type, uint32_t attacker) : m_attacker(attacker), m_type(type) {}
    virtual ~DurationDamageTrack();
    DurationDamageTrack(const DurationDamageTrack&) = default;
    DurationDamageTrack& operator=(const DurationDamageTrack&) = default;
    DurationDamageTrack(DurationDamageTrack&&) = default;
    DurationDamageTrack& operator=(DurationDamageTrack&&) = default;

    // Adds an effect to the attack being built: damage per second spread over ticks of a
    // tenth of a second, summed tick by tick with what the attack already added.
    virtual void Add(const DurationDamageInfo& info);
    // The damage that falls due this frame: the sum of the due ticks.
    virtual float GetDamage() const;

    // Advances the tick clock; strictly more than 100 ms makes a tick due.
    void Update(int ms);
    // Drops the ticks that fell due this frame.
    void ConsumeTicks();
    // Nothing is running (ticks still being built by an attack do not count).
    bool IsEmpty() const { return m_nextTick == m_activeTicks.size(); }
    // Folds the attack's ticks into the running ones: per tick the stronger value wins,
    // and the effect lasts as long as the longer of the two.
    void MergePending();
    // Appends trunc(count) ticks of the value straight to the running ticks.
    void AppendTicks(float value, float count);
    // Appends the running ticks as runs of equal positive values.
    void GetReplicaInfo(std::vector<DurationDamageInfo>& out) const;

    uint32_t GetAttacker() const { return m_attacker; }
    CombatAttributeType GetType() const { return m_type; }
    int GetElapsedMs() const { return m_elapsedMs; }
    int GetTicksDue() const { return m_ticksDue; }
    // The running ticks, the next one first.
    std::span<const float> GetActiveTicks() const
    {
        return std::span<const float>(m_activeTicks).subspan(m_nextTick);
    }
    const std::vector<float>& GetPendingTicks() const { return m_pendingTicks; }

protected:
    // Adds `perTick` to each of the first ticks of the span `seconds`.
    void AddPending(float perTick, float seconds);
    // The number of due ticks that are still in the running list.
    size_t DueCount() const;

private:
    // Moves the running ticks to the front of their list before it is walked whole.
    void CompactActive();

    uint32_t m_attacker = 0;
    CombatAttributeType m_type = CombatAttributeType_Unknown;
    std::vector<float> m_pendingTicks;
    // The running ticks start at m_nextTick: consuming a tick moves the start instead
    // of shifting the list, so a frame touches only its due ticks.
    std::vector<float> m_activeTicks;
    size_t m_nextTick = 0;
    int m_elapsedMs = 0;
    int m_ticksDue = 0;
};

class FixedDurationDamageTrack : public DurationDamageTrack {
public:
    explicit FixedDurationDamageTrack(CombatAttributeType type) : DurationDamageTrack(type, 0) {}

    // Every tick of the span carries the full level.
    void Add(const DurationDamageInfo& info) override;
    // The level in force now: the next tick's, whatever is due.
    float GetDamage() const override;
};

}  // namespace GAME
