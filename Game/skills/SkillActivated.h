// A skill that is used: its use plays out on its owner and, at its hit (or when a
// command says so), the skill acts.
#pragma once

#include "Game/skills/Skill.h"

namespace GAME {

class SkillActivated : public Skill {
    GAME_DECLARE_CLASS(SkillActivated)

public:
    // The skill's effect on the target or point; `event` names the animation event that
    // set it off. The base tells the user interface that the skill was used.
    virtual void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint);
};

}  // namespace GAME
