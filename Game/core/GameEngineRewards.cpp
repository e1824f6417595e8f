// Designer variables of the game engine and its handling of a creature's death.
#include "Game/core/GameEngine.h"

#include <algorithm>

#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"

namespace GAME {

bool GameEngine::GetDesignerVariable(const char*, float&)
{
    return false;
}

void GameEngine::OnCreatureDeath(const GameEvent_CreatureDeath&) {}

void GameEngine::RegisterDamage(uint32_t victimId, uint32_t attackerId, float damage)
{
    if (!IsServerOrSingle() || ObjectManager::Get().GetObject<Player>(victimId))
        return;
    const uint32_t attacker = GetMasterAttacker(attackerId);
    auto& entries = m_damageRegister[victimId];
    auto found = std::find_if(entries.begin(), entries.end(), [attacker](const auto& entry) {
        return entry.first == attacker;
    });
    if (found != entries.end())
        found->second += damage;
    else
        entries.emplace_back(attacker, damage);
}

float GameEngine::GetTotalDamageDone(uint32_t victimId) const
{
    const auto found = m_damageRegister.find(victimId);
    float total = 0.0f;
    if (found != m_damageRegister.end())
        for (const auto& entry : found->second)
            total += entry.second;
    return total;
}

float GameEngine::GetDamageByAttacker(uint32_t attackerId, uint32_t victimId) const
{
    const auto found = m_damageRegister.find(victimId);
    if (found != m_damageRegister.end())
        for (const auto& entry : found->second)
            if (entry.first == attackerId)
                return entry.second;
    return 0.0f;
}

uint32_t GameEngine::GetMasterAttacker(uint32_t id) const
{
    const Monster* monster = ObjectManager::Get().GetObject<Monster>(id);
    return monster && monster->GetMasterId() != 0 ? monster->GetMasterId() : id;
}

}  // namespace GAME
