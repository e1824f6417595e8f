#include "Game/ai/ControllerBaseCharacter.h"

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerBaseCharacter, Controller)

ControllerBaseCharacter::~ControllerBaseCharacter() = default;

void ControllerBaseCharacter::Update(int /*elapsedMs*/)
{
    if (m_firstUpdate) {
        InitialUpdate();
        m_firstUpdate = false;
    }
}

void ControllerBaseCharacter::HandleEvent(const Name& /*eventName*/) {}

void ControllerBaseCharacter::Teleport(const WorldCoords& /*coords*/) {}

void ControllerBaseCharacter::ProjectileCollisionCallback(const ProjectileInfo& /*info*/,
                                                          const CollisionData& /*collision*/)
{
}

Character* ControllerBaseCharacter::GetParentCharacter() const
{
    return ObjectManager::Get().GetObject<Character>(GetParentId());
}

}  // namespace GAME
