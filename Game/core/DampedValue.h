// A value that eases toward its target a fraction of the way per step. It is kept
// normalised between two bounds, "the value at 0" and "the value at 1", so the bounds
// may be in either order and can change without the value jumping.
#pragma once

namespace GAME {

class DampedValue {
public:
    static constexpr float kDefaultRate = 0.5f;
    static constexpr float kDefaultSnapThreshold = 0.001f;

    DampedValue(float valueAt0, float valueAt1, float start, float rate = kDefaultRate,
                float snapThreshold = kDefaultSnapThreshold);

    // The value the current position stands for.
    float GetValue() const { return m_at0 + (m_at1 - m_at0) * m_current; }
    float GetCurrent() const { return m_current; }   // normalised
    float GetTarget() const { return m_target; }     // normalised, in [0, 1]
    float GetValueAt0() const { return m_at0; }
    float GetValueAt1() const { return m_at1; }

    void SetCurrent(float value) { m_current = Normalise(value); }
    void SetTarget(float value);
    // Moves the normalised target, keeping it in [0, 1].
    void AddToTarget(float step);

    // New bounds that keep the value the current position stands for.
    void SetValueAt0(float value);
    void SetValueAt1(float value);

    // Moves the current position toward the target by rate x f (f kept in [0, 1]) of
    // the remaining way, or onto it once the rest is within the snap threshold.
    // Returns whether the position moved.
    bool Step(float f);

private:
    float Normalise(float value) const;

    float m_current = 0.0f;
    float m_target = 0.0f;
    float m_rate;
    float m_snapThreshold;
    float m_at0;
    float m_at1;
};

}  // namespace GAME
