// What a character does and suffers in play: hits, critical hits, misses and the damage
// it inflicted by kind and type.
#pragma once

#include <array>
#include <cstdint>

#include "Game/combat/CombatAttributeType.h"

namespace GAME {

// Where gained life came from.
enum PlayStatsLifeType : int32_t {
    PlayStatsLifeType_Unknown = 0,
    PlayStatsLifeType_Potion = 1,
    PlayStatsLifeType_Skill = 2,
    PlayStatsLifeType_Regeneration = 3,
    PlayStatsLifeType_Shrine = 4,
};

class PlayStats {
public:
    // Counts play time: the frame's milliseconds are gathered until they make whole
    // seconds, and the rest is carried. A negative time counts nothing.
    void Update(int elapsedMs);
    uint32_t GetPlayTimeInSeconds() const { return m_playTime; }
    uint32_t GetPlayTimeInMinutes() const { return m_playTime / 60; }

    void ReceiveHit() { ++m_hitsReceived; }
    void InflictCriticalHit() { ++m_criticalHitsInflicted; }
    void ReceiveCriticalHit() { ++m_criticalHitsReceived; }
    void IMissed() { ++m_missesByMe; }
    void IWasMissed() { ++m_missesAgainstMe; }

    uint32_t GetHitsReceived() const { return m_hitsReceived; }
    uint32_t GetCriticalHitsInflicted() const { return m_criticalHitsInflicted; }
    uint32_t GetCriticalHitsReceived() const { return m_criticalHitsReceived; }
    uint32_t GetMisses() const { return m_missesByMe; }
    uint32_t GetMissesAgainst() const { return m_missesAgainstMe; }

    // Adds to the inflicted total of that kind and type; damage of one combat attribute
    // type (kind 1) also raises the greatest damage inflicted. A kind or type outside the
    // tables is logged and not counted.
    void TallyDamageInflicted(float amount, const PlayStatsDamageType& type);
    float GetDamageInflicted(const PlayStatsDamageType& type) const;
    float GetGreatestDamageInflicted() const { return m_greatestDamageInflicted; }

private:
    static constexpr uint32_t kDamageKindCount = 8;   // kinds 1..7; 0 unused

    int32_t m_msPending = 0;
    int32_t m_msRemainder = 0;
    uint32_t m_playTime = 0;   // seconds
    uint32_t m_hitsReceived = 0;
    uint32_t m_criticalHitsInflicted = 0;
    uint32_t m_criticalHitsReceived = 0;
    uint32_t m_missesByMe = 0;
    uint32_t m_missesAgainstMe = 0;
    float m_greatestDamageInflicted = 0.0f;
    // Fixed tables, so that tallying during an attack never allocates.
    std::array<std::array<float, kCombatAttributeTypeCount>, kDamageKindCount> m_damageInflicted{};
};

}  // namespace GAME
