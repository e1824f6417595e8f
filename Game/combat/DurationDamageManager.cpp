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
}

}  // namespace GAME
