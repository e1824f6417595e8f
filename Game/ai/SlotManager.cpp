#include "Game/ai/SlotManager.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"

namespace GAME {

SlotManager::SlotManager(Character& owner) : m_owner(owner) {}

SlotManager::~SlotManager() = default;

void SlotManager::SetNumSlots(int count)
{
    if (count < 0 || count > kMaxSlots) {
        const int bounded = std::clamp(count, 0, kMaxSlots);
        gEngine->Log(LOG_WARNING, "SlotManager: %d slots asked for, outside 0..%d; %d used", count, kMaxSlots,
                     bounded);
        count = bounded;
    }
    m_holders.assign(static_cast<size_t>(count), 0);
    m_positions.assign(static_cast<size_t>(count), WorldVec3());
    m_radius = 0.0f;
}

uint32_t SlotManager::GetSlotHolder(int index) const
{
    return index >= 0 && index < GetNumSlots() ? m_holders[static_cast<size_t>(index)] : 0;
}

void SlotManager::CalculateSlotPositions(float radius)
{
    const WorldVec3 center = m_owner.GetPathPosition();
    if (radius == m_radius && center == m_center)
        return;
    m_radius = radius;
    m_center = center;
    const size_t count = m_positions.size();
    for (size_t i = 0; i < count; ++i) {
        const float angle = static_cast<float>(i) / static_cast<float>(count) * 2.0f * std::numbers::pi_v<float>;
        WorldVec3 position = center;
        position.Translate(Vec3{radius * std::cos(angle), 0.0f, radius * std::sin(angle)});
        m_positions[i] = position;
    }
}

void SlotManager::RequestSlot(WorldVec3& out, uint32_t requesterId, float radius, bool /*skipReachTest*/)
{
    out = WorldVec3();
    ObjectManager& objects = ObjectManager::Get();
    Character* requester = objects.GetObject<Character>(requesterId);
    if (!requester || radius == 0.0f)
        return;
    CalculateSlotPositions(radius);

    // A character holds at most one slot of a ring; slots of vanished or fallen holders
    // are free again.
    for (uint32_t& holder : m_holders) {
        if (holder == 0)
            continue;
        const Character* character = objects.GetObject<Character>(holder);
        if (holder == requesterId || !character || !character->IsAlive())
            holder = 0;
    }

    const WorldVec3 from = requester->GetPathPosition();
    size_t best = m_holders.size();
    float bestDistance = 0.0f;
    for (size_t i = 0; i < m_holders.size(); ++i) {
        if (m_holders[i] != 0)
            continue;
        const float distance = (m_positions[i] - from).LengthSquared();
        if (best == m_holders.size() || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best == m_holders.size())
        return;
    m_holders[best] = requesterId;
    out = m_positions[best];
}

void SlotManager::ReleaseSlot(uint32_t holderId)
{
    if (holderId == 0)
        return;
    const auto slot = std::find(m_holders.begin(), m_holders.end(), holderId);
    if (slot != m_holders.end())
        *slot = 0;
}

}  // namespace GAME
