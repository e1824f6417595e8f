#include "Game/ai/SlotManager.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
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
        const Vec3 offset{radius * std::cos(angle), 0.0f, radius * std::sin(angle)};
        // Set down on the floor; where there is none the level point is kept.
        if (!position.TranslateToFloor(offset))
            position.Translate(offset);
        m_positions[i] = position;
    }
}

namespace {

constexpr float kSlotReachTolerance = 0.5f;

}  // namespace

bool SlotManager::TryCandidates(std::vector<Candidate>& candidates, Character& requester, bool skipReachTest,
                                size_t& taken)
{
    // Nearest first, equals in slot order. A ring holds at most kMaxSlots candidates, so an
    // insertion sort serves, and unlike std::stable_sort it needs no buffer.
    for (size_t i = 1; i < candidates.size(); ++i) {
        const Candidate moving = candidates[i];
        size_t j = i;
        for (; j > 0 && moving.distance < candidates[j - 1].distance; --j)
            candidates[j] = candidates[j - 1];
        candidates[j] = moving;
    }
    for (const Candidate& candidate : candidates) {
        const WorldVec3& position = m_positions[candidate.slot];
        if (PathFinder::TestPointCollide(position))
            continue;
        if (!skipReachTest && !requester.CanMoveTo(position, kSlotReachTolerance))
            continue;
        taken = candidate.slot;
        return true;
    }
    return false;
}

void SlotManager::RequestSlot(WorldVec3& out, uint32_t requesterId, float radius, bool skipReachTest)
{
    out = WorldVec3();
    ObjectManager& objects = ObjectManager::Get();
    Character* requester = objects.GetObject<Character>(requesterId);
    if (!requester || radius == 0.0f || !std::isfinite(radius))
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
    m_candidates.clear();
    for (size_t i = 0; i < m_holders.size(); ++i)
        if (m_holders[i] == 0)
            m_candidates.push_back({i, (m_positions[i] - from).LengthSquared()});
    size_t taken = 0;
    if (TryCandidates(m_candidates, *requester, skipReachTest, taken)) {
        m_holders[taken] = requesterId;
        out = m_positions[taken];
        return;
    }

    // Takeover: a holder of the same size that stands farther from its slot than the
    // requester gives it up.
    m_candidates.clear();
    const float extents = requester->GetExtents();
    for (size_t i = 0; i < m_holders.size(); ++i) {
        Character* holder = objects.GetObject<Character>(m_holders[i]);
        if (!holder || holder->GetExtents() != extents)
            continue;
        const float mine = (m_positions[i] - from).LengthSquared();
        const float theirs = (m_positions[i] - holder->GetPathPosition()).LengthSquared();
        if (mine < theirs)
            m_candidates.push_back({i, mine});
    }
    if (!TryCandidates(m_candidates, *requester, skipReachTest, taken))
        return;
    Character* evicted = objects.GetObject<Character>(m_holders[taken]);
    m_holders[taken] = requesterId;
    out = m_positions[taken];
    if (evicted)
        evicted->LostSlot();
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
