// A character controller's control of what its character wears: placing items on it,
// taking them off, and which of the two weapon sets is in use.
#pragma once

#include <cstdint>

namespace GAME {

class ControllerCharacter;
class IOStream;

class EquipmentCtrl {
public:
    void SetController(ControllerCharacter* controller) { m_controller = controller; }
    ControllerCharacter* GetController() const { return m_controller; }

    // Puts the item where it fits on the character; false when it was not placed.
    bool AutoInsertItem(uint32_t itemId);
    // Takes the item off the character; false when it was not worn.
    bool RemoveItem(uint32_t itemId);

    // The second weapon set in use instead of the first.
    void SetAlternateEquipment(bool alternate) { m_alternate = alternate; }
    bool IsAlternateEquipment() const { return m_alternate; }

    // The equipment's block of the character save: which set is in use, the seven worn
    // slots, then the main and the alternate weapon sets. The control keeps no slots yet:
    // every slot is saved empty, and an item a save names for a slot is logged and left
    // out.
    void StreamProperties(IOStream& stream);

private:
    ControllerCharacter* m_controller = nullptr;   // not owned: the controller owns this
    bool m_alternate = false;
};

}  // namespace GAME
