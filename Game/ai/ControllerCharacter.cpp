#include "Game/ai/ControllerCharacter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/GameWorldPackets.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerCharacter, ControllerBaseCharacter)

namespace {
// How far from the character an item tossed in a random direction lands.
constexpr float kRandomDropDistance = 1.25f;
}  // namespace

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
    // The peers hear of the move first, whether or not the character is still here.
    UpdatePositionPacket packet;
    ConnectionManager& connections = ConnectionManager::Get();
    packet.originatorHostId = static_cast<uint32_t>(connections.GetLocalHostId());
    packet.entityId = GetParentId();
    packet.targetCoords = coords;
    if (gGameEngine && gGameEngine->GetNetworkRole() == NetworkRole::Server)
        connections.SendToAllClients(packet);
    else if (gGameEngine && gGameEngine->GetNetworkRole() == NetworkRole::Client &&
             ConnectionManager::HostOfPlayer(packet.entityId) == connections.GetLocalHostId())
        connections.SendToServer(packet);   // a client tells only of its own characters
    PlaceAt(coords);
}

void ControllerCharacter::PlaceAt(const WorldCoords& coords)
{
    Character* character = GetParentCharacter();
    if (!character)
        return;
    WorldVec3 position = coords.GetPosition();
    if (!position.TranslateToFloor(Vec3{}))
        gEngine->Log(LOG_ERROR, "Could Not Translate To Floor");
    character->SetPathPosition(position);
}

void ControllerCharacter::EnqueueOnCharacter(ActorConfigCommand* command)
{
    std::unique_ptr<ActorConfigCommand> owned(command);
    if (Character* character = GetParentCharacter())
        character->Enqueue(owned.release());
}

void ControllerCharacter::SendEquipAttachAction(uint32_t itemId, EquipLocations location)
{
    EnqueueOnCharacter(new AttachItemConfigCmd(GetParentId(), itemId, location));
}

void ControllerCharacter::SendEquipDetachAction(uint32_t itemId)
{
    EnqueueOnCharacter(new DetachItemConfigCmd(GetParentId(), itemId));
}

void ControllerCharacter::SendDropFromEquipLocation(uint32_t itemId, EquipLocations location, bool toss)
{
    EnqueueOnCharacter(new DropItemFromEquipLocationConfigCmd(GetParentId(), itemId, location, toss));
}

void ControllerCharacter::PickupItem(uint32_t itemId)
{
    EnqueueOnCharacter(new CharPickUpConfigCmd(GetParentId(), itemId));
}

void ControllerCharacter::SendRemoveItemFromInventory(uint32_t itemId)
{
    if (itemId != 0)
        EnqueueOnCharacter(new RemoveInventoryItemConfigCmd(GetParentId(), itemId));
}

void ControllerCharacter::SendDropItemRandom(uint32_t itemId)
{
    if (itemId == 0 || !GetParentCharacter())
        return;
    const float angle = RandomFloat(0.0f, 2.0f * std::numbers::pi_v<float>);
    EnqueueOnCharacter(new DropItemConfigCmd(GetParentId(), itemId, kRandomDropDistance * std::cos(angle),
                                             kRandomDropDistance * std::sin(angle)));
}

void ControllerCharacter::IncrementCharacterStrength()
{
    EnqueueOnCharacter(new IncrementBaseStrengthConfigCmd(GetParentId()));
}

void ControllerCharacter::IncrementCharacterIntelligence()
{
    EnqueueOnCharacter(new IncrementBaseIntelligenceConfigCmd(GetParentId()));
}

void ControllerCharacter::IncrementCharacterDexterity()
{
    EnqueueOnCharacter(new IncrementBaseDexterityConfigCmd(GetParentId()));
}

void ControllerCharacter::IncrementCharacterLife() { EnqueueOnCharacter(new IncrementBaseLifeConfigCmd(GetParentId())); }

void ControllerCharacter::IncrementCharacterLife(int amount)
{
    EnqueueOnCharacter(new IncrementBaseLifeConfigCmd(GetParentId(), amount));
}

void ControllerCharacter::IncrementCharacterMana() { EnqueueOnCharacter(new IncrementBaseManaConfigCmd(GetParentId())); }

void ControllerCharacter::IncrementCharacterMana(int amount)
{
    EnqueueOnCharacter(new IncrementBaseManaConfigCmd(GetParentId(), amount));
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

}  // namespace GAME
