#include "Game/ai/AngerManager.h"

#include <algorithm>
#include <cmath>

#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"

namespace GAME {

namespace {

// The squared distance the nearest-enemy search starts from.
constexpr float kNoClosestSquared = 10000000.0f;

}  // namespace

bool AngerManager::ShouldRemoveEnemy(Character* self, uint32_t enemyId)
{
    Character* enemy = ObjectManager::Get().GetObject<Character>(enemyId);
    if (!enemy || !enemy->CausesAnger() || !enemy->IsAlive())
        return true;
    if (!self)
        return false;
    const TeamManager* teams = gGameEngine ? gGameEngine->GetTeamManager() : nullptr;
    if (teams && teams->IsFriend(self->GetTeam(), enemy->GetTeam()))
        return true;
    if (!self->IsInWorld() || !enemy->IsInWorld())
        return true;
    const Vec3 between = enemy->GetCoords().GetPosition() - self->GetCoords().GetPosition();
    return between.LengthSquared() > kForgetDistance * kForgetDistance;
}

AngerManager::Entry& AngerManager::FindOrAdd(uint32_t enemyId)
{
    auto at = std::lower_bound(m_table.begin(), m_table.end(), enemyId,
                               [](const Entry& entry, uint32_t id) { return entry.first < id; });
    if (at == m_table.end() || at->first != enemyId)
        at = m_table.insert(at, Entry{enemyId, 0.0f});
    return *at;
}

float AngerManager::GetAnger(uint32_t enemyId) const
{
    for (const Entry& entry : m_table)
        if (entry.first == enemyId)
            return entry.second;
    return 0.0f;
}

bool AngerManager::HasEntry(uint32_t enemyId) const
{
    return std::any_of(m_table.begin(), m_table.end(), [&](const Entry& entry) { return entry.first == enemyId; });
}

void AngerManager::AddAnger(uint32_t enemyId, float amount)
{
    if (ShouldRemoveEnemy(nullptr, enemyId) || !std::isfinite(amount))
        return;
    const Character* enemy = ObjectManager::Get().GetObject<Character>(enemyId);
    amount *= enemy->GetAngerMultiplier();
    if (!std::isfinite(amount))
        return;
    Entry& entry = FindOrAdd(enemyId);
    entry.second = std::min(entry.second + amount, kMaxAnger);
    const size_t count = m_table.size();
    if (count < 2)
        return;
    const float share = amount / static_cast<float>(count) * 0.7f;
    for (Entry& other : m_table)
        if (other.first != enemyId)
            other.second -= share;
}

void AngerManager::Update(int elapsedMs, float decayPerSecond, Character* self)
{
    if (m_mostHated != 0 && ShouldRemoveEnemy(self, m_mostHated))
        m_mostHated = 0;
    m_closest = 0;
    float bestSquared = kNoClosestSquared;
    const float decay = static_cast<float>(elapsedMs) * 0.001f * decayPerSecond;
    const WorldVec3 own = self ? self->GetCoords().GetPosition() : WorldVec3();
    std::erase_if(m_table, [&](Entry& entry) {
        if (ShouldRemoveEnemy(self, entry.first) || entry.second - decay < 0.0f) {
            if (m_currentTarget == entry.first)
                m_currentTarget = 0;
            return true;
        }
        entry.second -= decay;
        if (self) {
            const Character* enemy = ObjectManager::Get().GetObject<Character>(entry.first);
            const float squared = (enemy->GetCoords().GetPosition() - own).LengthSquared();
            if (squared < bestSquared) {
                bestSquared = squared;
                m_closest = entry.first;
            }
        }
        return false;
    });
    m_closestDistance = m_closest != 0 ? std::sqrt(bestSquared) : kNoClosestSquared;
}

Character* AngerManager::GetNewTarget(float threshold)
{
    ObjectManager& objects = ObjectManager::Get();
    if (m_mostHated != 0)
        if (Character* hated = objects.GetObject<Character>(m_mostHated))
            return hated;
    Character* best = nullptr;
    float bestScore = 0.0f;
    for (const Entry& entry : m_table) {
        const float score = entry.first == m_currentTarget ? entry.second * 2.0f : entry.second;
        if (!(score > bestScore))
            continue;
        Character* enemy = objects.GetObject<Character>(entry.first);
        if (!enemy || !enemy->IsAlive())
            continue;
        best = enemy;
        bestScore = score;
    }
    if (!best || !(bestScore > threshold))
        return nullptr;
    m_currentTarget = best->GetObjectId();
    return best;
}

void AngerManager::Clear()
{
    m_table.clear();
    m_mostHated = 0;
    m_closest = 0;
}

void AngerManager::TransferAnger(AngerManager& other) const
{
    other.m_mostHated = m_mostHated;
    other.m_table = m_table;
}

void AngerManager::ShowAngerLevels() const
{
    ObjectManager& objects = ObjectManager::Get();
    auto bar = [](const Character& enemy, float value) {
        Journal::Get().Record("Engine::AddStatisticGraph", 0, "%s %.2f (%.2f, %.2f, 0, 1)",
                              enemy.GetObjectName().c_str(), value, value * 0.01f, 1.0f - value * 0.01f);
    };
    if (const Character* hated = objects.GetObject<Character>(m_mostHated))
        bar(*hated, kMaxAnger);
    for (const Entry& entry : m_table)
        if (const Character* enemy = objects.GetObject<Character>(entry.first))
            bar(*enemy, entry.second);
}

}  // namespace GAME
