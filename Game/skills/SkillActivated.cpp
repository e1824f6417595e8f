#include "Game/skills/SkillActivated.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SkillActivated, Skill)

void SkillActivated::ActivateNow(Character&, const Name&, unsigned, const WorldVec3&) { NotifyUIOnActivate(); }

}  // namespace GAME
