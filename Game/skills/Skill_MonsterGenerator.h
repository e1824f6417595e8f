// A monster skill that keeps two creatures beside its living owner: whenever one is gone
// or dead, the driving peer sends for a replacement at its side, and every peer makes it
// from the record the message names. The creatures outlive the skill and the owner.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/skills/Skill.h"

namespace GAME {

class SkillServicesBase;

class Skill_MonsterGenerator : public Skill {
    GAME_DECLARE_CLASS(Skill_MonsterGenerator)

public:
    Skill_MonsterGenerator();

    // On the driving peer, while the owner lives and no request is on its way: requests
    // the first creature, then the second, for whichever is not a living character.
    void Update(Character& owner, int elapsedMs) override;
    // Runs on every peer: the creature of each id (one a message) from the spawn record
    // `choice` names (1 the first), at the centre.
    void SkillSpawnObject(Character& owner, const WorldCoords& centre, unsigned choice,
                          const std::vector<WorldCoords>& places, const std::vector<uint32_t>& ids,
                          unsigned seed) override;
    // A fresh id into `creatureId` and the spawn message for it: 2 units to the owner's
    // side (the other side for the second), 2 units along its third axis, on the floor,
    // with a record drawn from the skill's spawn records. Nothing without records.
    void SendSpawnPet(Character& owner, SkillServicesBase& services, uint32_t& creatureId, bool second);

    uint32_t GetFirstCreature() const { return m_firstCreature; }
    uint32_t GetSecondCreature() const { return m_secondCreature; }
    bool IsRequestPending() const { return m_requestPending; }

private:
    uint32_t m_firstCreature = 0;
    uint32_t m_secondCreature = 0;
    bool m_requestPending = false;
};

}  // namespace GAME
