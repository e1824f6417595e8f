#include "Game/core/DampedValue.h"

#include <algorithm>
#include <cmath>

namespace GAME {

DampedValue::DampedValue(float valueAt0, float valueAt1, float start, float rate, float snapThreshold)
    : m_rate(rate), m_snapThreshold(snapThreshold), m_at0(valueAt0), m_at1(valueAt1)
{
    SetCurrent(start);
}

float DampedValue::Normalise(float value) const
{
    if (m_at0 != m_at1)
        return (value - m_at0) / (m_at1 - m_at0);
    // Both bounds equal: the value is fixed. Measured against the bound, except when
    // the bound is 0 (a record without camera extents), where the division would give
    // infinity or NaN and spoil every value computed afterwards.
    return m_at0 != 0.0f ? value / m_at0 : 0.0f;
}

void DampedValue::SetTarget(float value)
{
    m_target = std::clamp(Normalise(value), 0.0f, 1.0f);
}

void DampedValue::AddToTarget(float step)
{
    m_target = std::clamp(m_target + step, 0.0f, 1.0f);
}

void DampedValue::SetValueAt0(float value)
{
    const float kept = GetValue();
    m_at0 = value;
    SetCurrent(kept);
}

void DampedValue::SetValueAt1(float value)
{
    const float kept = GetValue();
    m_at1 = value;
    SetCurrent(kept);
}

bool DampedValue::Step(float f)
{
    const float remaining = m_target - m_current;
    if (std::fabs(remaining) > m_snapThreshold) {
        const float moved = m_current + remaining * m_rate * std::clamp(f, 0.0f, 1.0f);
        const bool passed = remaining > 0.0f ? moved > m_target : moved < m_target;
        const float next = passed ? m_target : moved;
        const bool changed = next != m_current;
        m_current = next;
        return changed;
    }
    if (remaining != 0.0f) {
        m_current = m_target;
        return true;
    }
    return false;
}

}  // namespace GAME
