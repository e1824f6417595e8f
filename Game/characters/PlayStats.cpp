#include "Game/characters/PlayStats.h"

#include "Engine/Engine.h"

namespace GAME {

namespace {
bool InTables(const PlayStatsDamageType& type, uint32_t kindCount)
{
    return type.kind > 0 && type.kind < kindCount && type.type < kCombatAttributeTypeCount;
}
}  // namespace

void PlayStats::TallyDamageInflicted(float amount, const PlayStatsDamageType& type)
{
    if (!InTables(type, kDamageKindCount)) {
        gEngine->Log(LOG_WARNING, "PlayStats: damage of kind %u type %u not counted", type.kind, type.type);
        return;
    }
    m_damageInflicted[type.kind][type.type] += amount;
    if (type.kind == PlayStatsDamageKind_CombatAttributeType && amount > m_greatestDamageInflicted)
        m_greatestDamageInflicted = amount;
}

float PlayStats::GetDamageInflicted(const PlayStatsDamageType& type) const
{
    return InTables(type, kDamageKindCount) ? m_damageInflicted[type.kind][type.type] : 0.0f;
}

void PlayStats::Update(int elapsedMs)
{
    if (elapsedMs < 0)
        return;
    // Whole seconds are counted as soon as they are complete; what is left of a second
    // is carried in the remainder.
    const int64_t pending = static_cast<int64_t>(m_msPending) + elapsedMs;
    const int64_t total = pending + m_msRemainder;
    const int64_t seconds = total / 1000;
    if (seconds != 0) {
        m_playTime += static_cast<uint32_t>(seconds);
        m_msRemainder = static_cast<int32_t>(total - seconds * 1000);
        m_msPending = 0;
    } else {
        m_msPending = static_cast<int32_t>(pending);
    }
}

}  // namespace GAME
