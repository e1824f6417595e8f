// The controller layer of characters that carry equipment: it owns the character's
// equipment control and turns equipment and inventory requests into commands queued on
// the character.
#pragma once

#include <string>

#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/items/EquipmentCtrl.h"

namespace GAME {

class ActorConfigCommand;
class Item;
class LoadTable;

class ControllerCharacter : public ControllerBaseCharacter {
    GAME_DECLARE_CLASS(ControllerCharacter)

public:
    // How often the equipment re-sifts what meets its requirements.
    static constexpr int kEquipmentRefreshMs = 250;

    ControllerCharacter();
    ~ControllerCharacter() override;

    // The equipment learns its character.
    void PostParentAttached() override;
    // The base frame, then the equipment refresh: the first update always refreshes.
    void Update(int elapsedMs) override;

    // Tells the peers of the new position (UpdatePositionPacket), then places the character
    // there (PlaceAt).
    void Teleport(const WorldCoords& coords) override;
    // Puts the character at the coordinates' position set down on the floor (unchanged, with
    // an error logged, when there is no floor there), telling no peer: the half of a teleport
    // a peer's UpdatePositionPacket plays.
    void PlaceAt(const WorldCoords& coords);
    // Queues the command that has the character pick the item up.
    void PickupItem(uint32_t itemId) override;
    // Loot a character carries from its record; nothing at this level.
    virtual void LoadLootFromActor(Character& /*character*/, const LoadTable& /*table*/) {}

    // Each queues its command on the character (nothing when the character is gone).
    void SendEquipAttachAction(uint32_t itemId, EquipLocations location);
    void SendEquipDetachAction(uint32_t itemId);
    void SendDropFromEquipLocation(uint32_t itemId, EquipLocations location, bool toss);
    // Queues the command that takes the item out of the character's inventory; 0 sends nothing.
    void SendRemoveItemFromInventory(uint32_t itemId);

    // Passed to the equipment control.
    void SetIgnoreEquipmentRequirements(bool ignore);
    void SetAlternateEquipment(bool alternate);
    // Whether the character may hold a weapon in each hand.
    virtual void AllowDualWieldWeapons(bool allow);

    EquipmentCtrl& GetEquipmentCtrl() { return m_equipmentCtrl; }
    const EquipmentCtrl& GetEquipmentCtrl() const { return m_equipmentCtrl; }

    // Makes an item from the record into the character's inventory; null (and nothing
    // made) when the character is gone or the record makes no item.
    virtual Item* CreateItemInInventory(const std::string& recordName);
    // Queues the command that tosses the item from the character into the world, 1.25
    // units from it in a random direction; 0 sends nothing.
    void SendDropItemRandom(uint32_t itemId);

    // Each queues the command that raises one base attribute of the character: with no
    // amount, one attribute point is spent on it.
    void IncrementCharacterStrength();
    void IncrementCharacterIntelligence();
    void IncrementCharacterDexterity();
    void IncrementCharacterLife();
    void IncrementCharacterLife(int amount);
    void IncrementCharacterMana();
    void IncrementCharacterMana(int amount);

private:
    // Queues the command on the character; the command is destroyed when it is gone.
    void EnqueueOnCharacter(ActorConfigCommand* command);

    EquipmentCtrl m_equipmentCtrl;
    int m_equipmentRefreshCountdown = 0;
};

}  // namespace GAME
