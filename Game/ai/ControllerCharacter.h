// The controller layer of characters that carry equipment: it owns the character's
// equipment control and turns equipment and inventory requests into commands queued on
// the character.
#pragma once

#include <string>

#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/items/EquipmentCtrl.h"

namespace GAME {

class Item;

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

    // Puts the character at the coordinates' position on its path.
    void Teleport(const WorldCoords& coords) override;

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
    // Tosses the item from the character's inventory into the world beside it.
    void SendDropItemRandom(uint32_t itemId);

private:
    EquipmentCtrl m_equipmentCtrl;
    int m_equipmentRefreshCountdown = 0;
};

}  // namespace GAME
