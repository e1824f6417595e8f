// A boss spell that strikes its target with an attack carrying no damage at all: the
// target still takes it (and answers it) as an attack by the caster.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/skills/SkillActivated.h"

namespace GAME {

class Skill_DemoFauxAttack : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_DemoFauxAttack)

public:
    Skill_DemoFauxAttack();

    // Runs on every peer: an empty attack by the caster on each target that is a
    // character, drawn from the seed, between the target effect and the hit sound.
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    // On the driving peer: the target result for the target, when it is a character; no
    // range is tested.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

}  // namespace GAME
