#include "Game/skills/SkillOnDeath.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SkillOnDeath, Skill)

}  // namespace GAME
