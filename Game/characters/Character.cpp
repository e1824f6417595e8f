#include "Game/characters/Character.h"

#include "Game/skills/SkillManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Character, Actor)

Character::Character() : m_skillManager(std::make_unique<SkillManager>()) {}

Character::~Character() = default;

WorldVec3 Character::GetPathPosition()
{
    if (!m_pathPosition.IsValid() && IsInWorld())
        m_pathPosition = GetCoords().GetPosition();
    return m_pathPosition;
}

void Character::TeleportToLocation(const WorldCoords& coords)
{
    World::Get().AddEntity(this, coords);
    m_pathPosition = coords.GetPosition();
}

}  // namespace GAME
