#include "Game/items/EquipmentCtrl.h"

namespace GAME {

// The equipment slots are not placed by this control yet: nothing is put on or taken off
// through it.
bool EquipmentCtrl::AutoInsertItem(uint32_t) { return false; }
bool EquipmentCtrl::RemoveItem(uint32_t) { return false; }

void EquipmentCtrl::StreamProperties(IOStream&) {}

}  // namespace GAME
