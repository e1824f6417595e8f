// The cursor of a right click on a potion or a dye: the item is used at once, from the
// bags, and the cursor is done.
#pragma once

#include <cstdint>

#include "Game/items/CursorHandler.h"

namespace GAME {

class CursorHandlerOneShotUse : public CursorHandler {
public:
    bool CanActOnHotSlots() const override { return false; }
    bool CanActOnInventory() const override { return true; }
    bool CanActOnTrade() const override { return false; }
    bool CanActOnEquipment() const override { return false; }
    bool CanActOnMarket() const override { return false; }

    void Render(GraphicsCanvas& /*canvas*/) const override {}
    bool IsComplete() const override { return m_oneShot == 0; }
    void ActivateWorld() override {}
    bool Cancel() override { return false; }
    void SetId(uint32_t itemId) override { m_oneShot = itemId; }
    uint32_t GetId() const override { return m_oneShot; }
    // Uses the item through the bags (a potion by its kind, anything else itself).
    void SecondaryInitialize() override;

private:
    uint32_t m_oneShot = 0;
};

}  // namespace GAME
