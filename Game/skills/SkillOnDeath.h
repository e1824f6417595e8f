// The base of skills that act when their owner dies: the owner's skill manager keeps them
// in a list of their own and calls each one's death action as the owner dies.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/skills/Skill.h"

namespace GAME {

class SkillOnDeath : public Skill {
    GAME_DECLARE_CLASS(SkillOnDeath)

public:
    // The owner died; the kinds act here, the base does nothing.
    virtual void ActivateOnDeathNow(Character&) {}
};

// Leaves an object (an engine actor from the skill's spawn record) where its owner died:
// the driving peer sends the spawn under a fresh id, every peer makes it.
class Skill_OnDeathSpawnActor : public SkillOnDeath {
    GAME_DECLARE_CLASS(Skill_OnDeathSpawnActor)

public:
    Skill_OnDeathSpawnActor();

    // At a level above 0, on the driving peer: the spawn at the owner's place on the floor.
    void ActivateOnDeathNow(Character& owner) override;
    // Runs on every peer: the hit sound at the centre, then the object of the id (one a
    // message) at its place (the centre when the message gives none).
    void SkillSpawnObject(Character& owner, const WorldCoords& centre, unsigned targetId,
                          const std::vector<WorldCoords>& places, const std::vector<uint32_t>& ids,
                          unsigned seed) override;
    // The actor of the spawn record at the current level under the id, put into the world
    // at the place; logged "Failed to spawn object" when it cannot be made.
    virtual void SpawnActor(Character& owner, const WorldCoords& place, uint32_t objectId, unsigned seed);
};

}  // namespace GAME
