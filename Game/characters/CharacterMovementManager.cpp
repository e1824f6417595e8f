#include "Game/characters/CharacterMovementManager.h"

#include "Game/characters/Character.h"

namespace GAME {

CharacterMovementManager::CharacterMovementManager(Character* character) : m_character(character) {}

CharacterMovementManager::~CharacterMovementManager() = default;

WorldVec3 CharacterMovementManager::GetPathPosition()
{
    if (!m_pathPosition.IsValid() && m_character)
        m_pathPosition = m_character->GetCoords().GetPosition();
    return m_pathPosition;
}

void CharacterMovementManager::SetPathPosition(const WorldVec3& position)
{
    m_pathPosition = position;
    m_localPathPosition = position;
}

}  // namespace GAME
