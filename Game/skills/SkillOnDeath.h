// The base of skills that act when their owner dies: the owner's skill manager keeps them
// in a list of their own and calls each one's death action as the owner dies.
#pragma once

#include "Game/skills/Skill.h"

namespace GAME {

class SkillOnDeath : public Skill {
    GAME_DECLARE_CLASS(SkillOnDeath)

public:
    // The owner died; the kinds act here, the base does nothing.
    virtual void ActivateOnDeathNow(Character&) {}
};

}  // namespace GAME
