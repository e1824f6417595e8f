#include "Game/ai/ControllerCharacter.h"

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/items/Item.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerCharacter, ControllerBaseCharacter)

ControllerCharacter::ControllerCharacter() { m_equipmentCtrl.SetController(this); }

ControllerCharacter::~ControllerCharacter() = default;

void ControllerCharacter::Teleport(const WorldCoords& coords)
{
    if (Character* character = GetParentCharacter())
        character->SetPathPosition(coords.GetPosition());
}

// The character's equipment control takes the permission once controllers own one.
void ControllerCharacter::AllowDualWieldWeapons(bool /*allow*/) {}

void ControllerCharacter::SetAlternateEquipment(bool alternate) { m_equipmentCtrl.SetAlternateEquipment(alternate); }

void ControllerCharacter::SendDropItemRandom(uint32_t itemId)
{
    Character* character = GetParentCharacter();
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (character && item)
        character->DropItem(item, 0.0f, 0.0f);
}

}  // namespace GAME
