// A character in the world: its first update, its frame, and the skills reached through it.
#include "Game/characters/Character.h"

namespace GAME {

bool Character::StartSkill(uint32_t, uint32_t, const WorldVec3&, uint32_t, const TargetLeadingData&) { return false; }
bool Character::HandleSkillAnimationCallback(const Name&, uint32_t, uint32_t, const WorldVec3&) { return false; }
void Character::CancelSkillAction(uint32_t) {}

}  // namespace GAME
