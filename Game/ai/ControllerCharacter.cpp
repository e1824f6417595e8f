#include "Game/ai/ControllerCharacter.h"

#include "Game/characters/Character.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerCharacter, ControllerBaseCharacter)

ControllerCharacter::~ControllerCharacter() = default;

void ControllerCharacter::Teleport(const WorldCoords& coords)
{
    if (Character* character = GetParentCharacter())
        character->SetPathPosition(coords.GetPosition());
}

// The character's equipment control takes the permission once controllers own one.
void ControllerCharacter::AllowDualWieldWeapons(bool /*allow*/) {}

}  // namespace GAME
