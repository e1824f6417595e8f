#include "Game/combat/DurationDamageManager.h"

namespace GAME {

DurationDamageManager::~DurationDamageManager() = default;

void DurationDamageManager::AssignParents(Character* character, CombatManager* combatManager)
{
    m_character = character;
    m_combatManager = combatManager;
}

void DurationDamageManager::AddDamage(CombatAttributeType type, float damagePerSecond, float seconds)
{
    m_addedDamage.push_back({type, damagePerSecond, seconds});
}

void DurationDamageManager::AddFixedDamage(CombatAttributeType type, float level, float seconds)
{
    m_addedFixedDamage.push_back({type, level, seconds});
    if (type < m_fixedLevels.size() && level > m_fixedLevels[type])
        m_fixedLevels[type] = level;
}

void DurationDamageManager::Update(int) {}

float DurationDamageManager::GetFixedDamage(CombatAttributeType type) const
{
    return type < m_fixedLevels.size() ? m_fixedLevels[type] : 0.0f;
}

void DurationDamageManager::EndAttack() {}

void DurationDamageManager::DelayedClearHack() {}

bool DurationDamageManager::IsPoisoned() const
{
    for (const Added& added : m_addedDamage)
        if (added.type == CombatAttributeType_Poison)
            return true;
    return false;
}

}  // namespace GAME
