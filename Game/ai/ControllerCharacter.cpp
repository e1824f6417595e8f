#include "Game/ai/ControllerCharacter.h"

#include <algorithm>

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/network/ActorConfigCommands.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerCharacter, ControllerBaseCharacter)

ControllerCharacter::ControllerCharacter() { m_equipmentCtrl.SetController(this); }

ControllerCharacter::~ControllerCharacter() = default;

void ControllerCharacter::PostParentAttached()
{
    ControllerBaseCharacter::PostParentAttached();
    m_equipmentCtrl.SetParent(GetParentCharacter());
}

void ControllerCharacter::Update(int elapsedMs)
{
    ControllerBaseCharacter::Update(elapsedMs);
    // A negative step counts as none, so the countdown only ever falls.
    m_equipmentRefreshCountdown -= std::clamp(elapsedMs, 0, kEquipmentRefreshMs);
    if (m_equipmentRefreshCountdown > 0)
        return;
    m_equipmentRefreshCountdown = kEquipmentRefreshMs;
    m_equipmentCtrl.AttributesHaveChanged();
}

void ControllerCharacter::Teleport(const WorldCoords& coords)
{
    if (Character* character = GetParentCharacter())
        character->SetPathPosition(coords.GetPosition());
}

void ControllerCharacter::SendEquipAttachAction(uint32_t itemId, EquipLocations location)
{
    if (Character* character = GetParentCharacter())
        character->Enqueue(new AttachItemConfigCmd(GetParentId(), itemId, location));
}

void ControllerCharacter::SendEquipDetachAction(uint32_t itemId)
{
    if (Character* character = GetParentCharacter())
        character->Enqueue(new DetachItemConfigCmd(GetParentId(), itemId));
}

void ControllerCharacter::SendDropFromEquipLocation(uint32_t itemId, EquipLocations location, bool toss)
{
    if (Character* character = GetParentCharacter())
        character->Enqueue(new DropItemFromEquipLocationConfigCmd(GetParentId(), itemId, location, toss));
}

void ControllerCharacter::SendRemoveItemFromInventory(uint32_t itemId)
{
    Character* character = GetParentCharacter();
    if (character && itemId != 0)
        character->Enqueue(new RemoveInventoryItemConfigCmd(GetParentId(), itemId));
}

void ControllerCharacter::SetIgnoreEquipmentRequirements(bool ignore) { m_equipmentCtrl.SetIgnoreRequirements(ignore); }

void ControllerCharacter::SetAlternateEquipment(bool alternate) { m_equipmentCtrl.SetAlternateEquipment(alternate); }

void ControllerCharacter::AllowDualWieldWeapons(bool allow) { m_equipmentCtrl.SetAllowDualWeapons(allow); }

Item* ControllerCharacter::CreateItemInInventory(const std::string& recordName)
{
    Character* character = GetParentCharacter();
    if (!character)
        return nullptr;
    // The class is tested before anything is made: a record of another class makes nothing.
    Item* item = ObjectManager::Get().CreateObjectFromFile<Item>(recordName);
    if (item)
        character->GetInventory().AddItemToInventory(item->GetObjectId(), true);
    return item;
}

void ControllerCharacter::SendDropItemRandom(uint32_t itemId)
{
    Character* character = GetParentCharacter();
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (character && item)
        character->DropItem(item, 0.0f, 0.0f);
}

}  // namespace GAME
