// The world object an attack skill fires: an arrow, a fireball, a boulder. For now it
// carries its flight speed.
#pragma once

#include <string>

#include "Engine/Entity.h"

namespace GAME {

class ProjectileBase : public Actor {
    GAME_DECLARE_CLASS(ProjectileBase)

public:
    void Load(const LoadTable& table) override;

    // Flight speed in world units per second: velocity x (1 + speed bonus x 0.01).
    float GetTotalSpeed() const { return TotalSpeed(m_velocity, m_speedBonus); }

    // The speed bonus in percent that the launch description carries.
    void SetSpeedBonus(float percent) { m_speedBonus = percent; }

    // The total speed that a projectile made from the record would have before its
    // launch (no speed bonus yet), read without making the object. 0 when the record
    // is missing or its class is not a projectile.
    static float GetRecordTotalSpeed(const std::string& recordName);

private:
    static float TotalSpeed(float velocity, float speedBonus) { return velocity * (1.0f + speedBonus * 0.01f); }
    static float ReadVelocity(const LoadTable& table);

    float m_velocity = 0.0f;     // world units per second
    float m_speedBonus = 0.0f;   // percent
};

}  // namespace GAME
