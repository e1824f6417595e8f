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

}  // namespace GAME
