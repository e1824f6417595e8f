#include "Game/combat/DurationDamageTrack.h"

#include <algorithm>

#include "Game/combat/DurationDamageConstants.h"

namespace GAME {

namespace {

// trunc(count), held to 0..kMaxTrackTicks so that neither a huge nor a non-number count
// converts undefined or allocates without bound.
size_t TickCount(float count)
{
    if (!(count >= 1.0f))
        return 0;
    if (count >= static_cast<float>(DurationDamage::kMaxTrackTicks))
        return DurationDamage::kMaxTrackTicks;
    return static_cast<size_t>(count);
}

}  // namespace

DurationDamageTrack::~DurationDamageTrack() = default;

void DurationDamageTrack::Add(const DurationDamageInfo& info)
{
    AddPending(info.damage * DurationDamage::kSecondsPerTick, info.duration);
}

void DurationDamageTrack::AddPending(float perTick, float seconds)
{
    // In float, as the tick count always was: 0.25 s is 2 ticks, 0.05 s none.
    const size_t count = TickCount(seconds * DurationDamage::kTicksPerSecond);
    if (m_pendingTicks.size() < count)
        m_pendingTicks.resize(count, 0.0f);
    for (size_t i = 0; i < count; ++i)
        m_pendingTicks[i] += perTick;
}

size_t DurationDamageTrack::DueCount() const
{
    return std::min(static_cast<size_t>(m_ticksDue), m_activeTicks.size() - m_nextTick);
}

float DurationDamageTrack::GetDamage() const
{
    float sum = 0.0f;
    const size_t due = DueCount();
    for (size_t i = 0; i < due; ++i)
        sum += m_activeTicks[m_nextTick + i];
    return sum;
}

void DurationDamageTrack::Update(int ms)
{
    // Summed wide: a frame near the largest int must not overflow the carry.
    const int64_t total = static_cast<int64_t>(m_elapsedMs) + ms;
    if (total > DurationDamage::kTickMs) {
        m_ticksDue = static_cast<int>(total / DurationDamage::kTickMs);
        m_elapsedMs = static_cast<int>(total % DurationDamage::kTickMs);
    } else {
        // Exactly 100 ms is not yet a tick; it comes with the next frame.
        m_ticksDue = 0;
        m_elapsedMs = static_cast<int>(total);
    }
}

void DurationDamageTrack::ConsumeTicks()
{
    m_nextTick += DueCount();
    if (m_nextTick == m_activeTicks.size()) {
        m_activeTicks.clear();
        m_nextTick = 0;
    }
}

void DurationDamageTrack::CompactActive()
{
    if (m_nextTick == 0)
        return;
    m_activeTicks.erase(m_activeTicks.begin(), m_activeTicks.begin() + static_cast<ptrdiff_t>(m_nextTick));
    m_nextTick = 0;
}

void DurationDamageTrack::MergePending()
{
    if (IsEmpty()) {
        m_activeTicks.swap(m_pendingTicks);
        m_nextTick = 0;
    } else {
        CompactActive();
        if (m_activeTicks.size() < m_pendingTicks.size())
            m_activeTicks.resize(m_pendingTicks.size(), 0.0f);
        for (size_t i = 0; i < m_pendingTicks.size(); ++i)
            m_activeTicks[i] = std::max(m_activeTicks[i], m_pendingTicks[i]);
    }
    m_pendingTicks.clear();
}

void DurationDamageTrack::AppendTicks(float value, float count)
{
    const size_t room = DurationDamage::kMaxTrackTicks - std::min(GetActiveTicks().size(), DurationDamage::kMaxTrackTicks);
    const size_t ticks = std::min(TickCount(count), room);
    m_activeTicks.insert(m_activeTicks.end(), ticks, value);
}

void DurationDamageTrack::GetReplicaInfo(std::vector<DurationDamageInfo>& out) const
{
    const std::span<const float> ticks = GetActiveTicks();
    size_t runStart = 0;
    for (size_t i = 1; i <= ticks.size(); ++i) {
        if (i < ticks.size() && ticks[i] == ticks[runStart])
            continue;
        if (ticks[runStart] > 0.0f)
            out.push_back({ticks[runStart], static_cast<float>(i - runStart)});
        runStart = i;
    }
}

void FixedDurationDamageTrack::Add(const DurationDamageInfo& info) { AddPending(info.damage, info.duration); }

float FixedDurationDamageTrack::GetDamage() const
{
    const std::span<const float> ticks = GetActiveTicks();
    return ticks.empty() ? 0.0f : ticks.front();
}

}  // namespace GAME
