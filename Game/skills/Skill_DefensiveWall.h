// Rings of wall creatures raised around the user (or, for the ground kind, around the
// aimed point): characters of the user's team joined to it, placed at fixed spacing with a
// random turn each, and taken down together when their time runs out, the skill stops or
// it is cast again. The driving peer chooses the places and the ids and sends them; every
// peer makes the same walls under the same ids when the spawn comes back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Game/skills/SkillActivated.h"

namespace GAME {

class Skill_DefensiveWall : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_DefensiveWall)

public:
    // Walls one cast makes (and one spawn from a peer may name), whatever the record asks.
    static constexpr size_t kMaxWalls = 128;

    Skill_DefensiveWall();

    // On the driving peer, while walls stand: when their time is out, sends the empty
    // spawn that takes them down everywhere.
    void Update(Character& owner, int elapsedMs) override;
    // Every peer: pays for a cast that made walls, takes down the standing walls, raises
    // one per id (at the place of the same index, the centre once places run out), then
    // runs the secondary skills.
    void SkillSpawnObject(Character& owner, const WorldCoords& centre, unsigned targetId,
                          const std::vector<WorldCoords>& spots, const std::vector<uint32_t>& ids,
                          unsigned seed) override;
    void StopSkill(Character& owner) override;
    void PreLoadResources() override;
    // On the driving peer: the places on the rings the path finder accepts, each with a
    // fresh id; sends them when there is at least one.
    void ActivateNow(Character& owner, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    virtual void SpawnWall(Character& owner, const WorldCoords& coords, uint32_t objectId, unsigned seed);
    virtual void ReleaseWalls(Character& owner);

    const std::vector<uint32_t>& GetWalls() const { return m_walls; }
    int GetWallTimeRemaining() const { return m_wallTimeRemaining; }

protected:
    std::vector<uint32_t> m_walls;   // in creation order
    int m_wallTimeRemaining = 0;     // milliseconds
    bool m_timed = false;
    bool m_released = false;         // the expiry has been sent for the standing walls
};

// The same rings around the point the user aimed at.
class Skill_DefensiveGround : public Skill_DefensiveWall {
    GAME_DECLARE_CLASS(Skill_DefensiveGround)

public:
    Skill_DefensiveGround();
};

}  // namespace GAME
