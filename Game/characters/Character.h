// The common base of every creature in the world. For now it carries what aiming and
// the spawn filter read: its position on its path, where it is heading, its speed and
// its skills.
#pragma once

#include <memory>

#include "Engine/Entity.h"
#include "Engine/World.h"

namespace GAME {

class SkillManager;

class Character : public Actor {
    GAME_DECLARE_CLASS(Character)

public:
    Character();
    ~Character() override;

    // The character's current position on its path; until one is set, its place in
    // the world (empty when it is not placed).
    WorldVec3 GetPathPosition();
    void SetPathPosition(const WorldVec3& position) { m_pathPosition = position; }

    // Where the character is moving to; empty when it is not moving.
    const WorldVec3& GetPathTarget() const { return m_pathTarget; }
    void SetPathTarget(const WorldVec3& target) { m_pathTarget = target; }

    // Movement speed in world units per second.
    float GetSpeed() const { return m_speed; }
    void SetSpeed(float speed) { m_speed = speed; }

    SkillManager& GetSkillManager() { return *m_skillManager; }
    const SkillManager& GetSkillManager() const { return *m_skillManager; }

    bool ShouldServerSpawn() const override { return true; }

private:
    std::unique_ptr<SkillManager> m_skillManager;
    WorldVec3 m_pathPosition;
    WorldVec3 m_pathTarget;
    float m_speed = 0.0f;
};

}  // namespace GAME
