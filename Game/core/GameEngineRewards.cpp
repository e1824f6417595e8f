// Experience rewards and the death penalty from the game-wide record's formulas, the
// designer inputs those formulas read, the damage register, and the game engine's
// handling of a creature's death.
#include <algorithm>
#include <utility>

#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

namespace {

using DamageEntries = std::vector<std::pair<uint32_t, float>>;

// The attacker's entry in a victim's list; null when it has none.
template <class Entries>
auto FindAttacker(Entries& entries, uint32_t attacker) -> decltype(&*entries.begin())
{
    auto it = std::find_if(entries.begin(), entries.end(),
                           [attacker](const std::pair<uint32_t, float>& entry) { return entry.first == attacker; });
    return it == entries.end() ? nullptr : &*it;
}

}  // namespace

// The designer inputs are bound once per name when a formula loads; the formulas read the
// members themselves at each evaluation.
DesignerVariableSlot<float> GameEngine::BindDesignerVariable(const char* name)
{
    using Slot = DesignerVariableSlot<float>;
    return FindDesignerVariable<float>(name, {
        {"averagePlayerLevel", Slot::OfUnsigned(m_playerInfo.averagePlayerLevel)},
        {"minPlayerLevel", Slot::OfUnsigned(m_playerInfo.minPlayerLevel)},
        {"maxPlayerLevel", Slot::OfUnsigned(m_playerInfo.maxPlayerLevel)},
        {"numberOfPlayers", Slot::OfUnsigned(m_playerInfo.numberOfPlayers)},
        {"gameDifficultyDV", Slot::OfUnsigned(m_playerInfo.gameDifficulty)},
        {"monsterLevel", Slot::OfUnsigned(m_monsterLevel)},
        {"monsterExperience", Slot::OfUnsigned(m_monsterExperience)},
        {"averagePartyLevel", Slot::OfUnsigned(m_averagePartyLevel)},
        {"currentPlayerLevel", Slot::OfUnsigned(m_currentPlayerLevel)},
    });
}

bool GameEngine::GetDesignerVariable(const char* name, float& value)
{
    value = 0.0f;
    return BindDesignerVariable(name).Read(value);
}

uint32_t GameEngine::CalculateExperienceReward(uint32_t monsterLevel, uint32_t playerId, uint32_t monsterExperience)
{
    const PlayerManagerClient* players = GetPlayerManagerClient();
    m_averagePartyLevel = players ? players->GetAveragePartyLevel(playerId) : 0;
    m_monsterLevel = monsterLevel;
    m_monsterExperience = monsterExperience;
    GetPlayerInfo(m_playerInfo);
    if (!m_experienceEquation)
        return m_monsterExperience;
    return RoundToUnsigned((*m_experienceEquation)());
}

uint32_t GameEngine::GetPlayerDeathExperiencePenalty(Player* player, uint32_t killerId) const
{
    m_monsterLevel = 0;
    m_monsterExperience = 0;
    if (const Character* killer = ObjectManager::Get().GetObject<Character>(killerId)) {
        m_monsterLevel = killer->GetCharLevel();
        m_monsterExperience = killer->GetExperiencePoints();
    }
    m_currentPlayerLevel = player ? player->GetCharLevel() : 0;
    GetPlayerInfo(m_playerInfo);

    const int64_t penalty = m_deathPenaltyEquation ? RoundToUnsigned((*m_deathPenaltyEquation)()) : 0;
    // Raised to the minimum first, then lowered to the maximum, so a minimum above the
    // maximum yields the maximum. A negative bound (a broken record) never makes the
    // loss negative.
    int64_t bounded = penalty;
    if (bounded < m_deathPenaltyMin)
        bounded = m_deathPenaltyMin;
    if (bounded > m_deathPenaltyMax)
        bounded = m_deathPenaltyMax;
    return static_cast<uint32_t>(std::max<int64_t>(bounded, 0));
}

void GameEngine::RegisterDamage(uint32_t victim, uint32_t attacker, float damage)
{
    RegisterDamage(victim, attacker, std::span<const float>(&damage, 1));
}

// The victim and the attacker's master are looked up once for all the amounts.
void GameEngine::RegisterDamage(uint32_t victim, uint32_t attacker, std::span<const float> amounts)
{
    if (amounts.empty() || !IsServerOrSingle() || ObjectManager::Get().GetObject<Player>(victim))
        return;
    attacker = GetMasterAttacker(attacker);
    DamageEntries& entries = m_damageRegister[victim];
    std::pair<uint32_t, float>* entry = FindAttacker(entries, attacker);
    size_t next = 0;
    if (!entry) {
        entry = &entries.emplace_back(attacker, amounts[0]);
        next = 1;
    }
    for (; next < amounts.size(); ++next)
        entry->second += amounts[next];
}

void GameEngine::RemoveDamageEntry(uint32_t victim)
{
    if (IsServerOrSingle())
        m_damageRegister.erase(victim);
}

float GameEngine::GetTotalDamageDone(uint32_t victim) const
{
    auto it = m_damageRegister.find(victim);
    if (it == m_damageRegister.end())
        return 0.0f;
    float total = 0.0f;
    for (const auto& entry : it->second)
        total += entry.second;
    return total;
}

float GameEngine::GetDamageByAttacker(uint32_t attacker, uint32_t victim) const
{
    auto it = m_damageRegister.find(victim);
    if (it == m_damageRegister.end())
        return 0.0f;
    const std::pair<uint32_t, float>* entry = FindAttacker(it->second, attacker);
    return entry ? entry->second : 0.0f;
}

float GameEngine::GetPlayerDamagePercent(uint32_t attacker, uint32_t victim) const
{
    const float total = GetTotalDamageDone(victim);
    // No entry, or only hits that did nothing: nobody has a share.
    if (!(total > 0.0f))
        return 0.0f;
    return GetDamageByAttacker(attacker, victim) / total;
}

uint32_t GameEngine::GetMasterAttacker(uint32_t id) const
{
    const Monster* monster = ObjectManager::Get().GetObject<Monster>(id);
    return monster && monster->GetMasterId() != 0 ? monster->GetMasterId() : id;
}

void GameEngine::OnCreatureDeath(const GameEvent_CreatureDeath& event)
{
    if (!IsServerOrSingle())
        return;
    if (const Character* creature = ObjectManager::Get().GetObject<Character>(event.objectId)) {
        Bonus bonus;
        bonus.source = event.objectId;
        HandleBonusToServerInbound(bonus, creature->GetCoords().GetPosition(), GetMasterAttacker(event.attackerId));
    }
    RemoveDamageEntry(event.objectId);
}

}  // namespace GAME
