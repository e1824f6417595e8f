// The spatial side of a character: running and walking along paths, its attack target,
// turning toward it, and stopping.
#include "Game/characters/Character.h"

namespace GAME {

void Character::MoveTo(const WorldVec3&, float) {}
void Character::WalkTo(const WorldVec3&, float) {}
void Character::SetPathPosition(const WorldVec3& point) { m_pathPosition = point; }
void Character::SetPathPositionNotCoords(const WorldVec3& point) { m_pathPosition = point; }
void Character::SetCurrentAttackTarget(uint32_t, const WorldVec3&, uint32_t) {}
void Character::GetCurrentAttackTarget(uint32_t& targetId, WorldVec3& point, uint32_t& skillId) const
{
    targetId = 0;
    point = WorldVec3();
    skillId = 0;
}
void Character::RotateTowardsTarget(bool) {}
void Character::RotateTowards(int, const Vec3&, WorldCoords&) {}
void Character::FollowPath(int) {}
void Character::CharacterStopMoving() {}
void Character::SkillWarmUp(uint32_t, bool) {}

}  // namespace GAME
