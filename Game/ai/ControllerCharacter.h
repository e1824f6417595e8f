// The controller layer of characters that carry equipment.
#pragma once

#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/items/EquipmentCtrl.h"

namespace GAME {

class ControllerCharacter : public ControllerBaseCharacter {
    GAME_DECLARE_CLASS(ControllerCharacter)

public:
    ControllerCharacter();
    ~ControllerCharacter() override;

    // Puts the character at the coordinates' position on its path.
    void Teleport(const WorldCoords& coords) override;
    // Whether the character may hold a weapon in each hand; passed to its equipment.
    virtual void AllowDualWieldWeapons(bool allow);

    EquipmentCtrl& GetEquipmentCtrl() { return m_equipmentCtrl; }
    const EquipmentCtrl& GetEquipmentCtrl() const { return m_equipmentCtrl; }
    // Switches the character to its second weapon set (or back to the first).
    void SetAlternateEquipment(bool alternate);
    // Tosses the item from the character's inventory into the world beside it.
    void SendDropItemRandom(uint32_t itemId);

private:
    EquipmentCtrl m_equipmentCtrl;
};

}  // namespace GAME
