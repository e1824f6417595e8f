// The cursor that carries an item (and, for a potion, the potions stacked beneath it)
// out of the bags or the equipment: a click drops it into a sack (swapping with one item
// in the way), onto an equipment place (taking what was there), into the trade window,
// onto the market (a sale) or onto the ground. While carried the item lies in no sack and
// no equipment place; whatever the cursor still holds when it goes away is never lost: it
// goes back to the player, or onto the ground beside it when the bags are full.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/items/CursorHandler.h"

namespace GAME {

class CursorHandlerItemMove : public CursorHandler {
public:
    // The engine option that lets a right click sell at once while a market is open.
    static constexpr int kQuickSaleOption = 0;

    CursorHandlerItemMove() = default;
    // Drops on the ground what is still carried.
    ~CursorHandlerItemMove() override;

    bool CanActOnHotSlots() const override { return false; }
    bool CanActOnInventory() const override { return true; }
    bool CanActOnTrade() const override { return true; }
    bool CanActOnEquipment() const override { return true; }
    bool CanActOnMarket() const override { return true; }

    // The carried item's art, adjusted to the screen.
    void Render(GraphicsCanvas& canvas) const override;
    bool IsComplete() const override { return m_carried == 0; }
    // Drops the item and its stacked potions beside the player.
    void ActivateWorld() override;
    // Gives everything back to the player; false when something found no place.
    bool Cancel() override;
    // Gives everything back; what finds no place is dropped beside the player.
    bool Escape() override;
    // Picks the item up out of its sack, with the potions beneath it.
    void SetId(uint32_t itemId) override;
    uint32_t GetId() const override { return m_carried; }
    void SecondaryInitialize() override { QuickSale(); }
    void GetInventoryHighlights(std::vector<Rect>& good, std::vector<Rect>& neutral, std::vector<Rect>& bad,
                                uint32_t& itemUnderCursor) override;
    // Drops into the focused sack, picking up the one item in the way; refused over two.
    bool PrimaryInventoryActivate() override;
    // The quick sale, or else back to the player.
    bool SecondaryInventoryActivate() override;
    // Picks the item up off the equipment.
    void SetEquipId(EquipmentCtrlLocation location, uint32_t itemId) override;
    bool IsEquipConflict(EquipmentCtrlLocation location, bool& flag) override;
    // Puts the item on; the item that was there is carried next.
    bool PrimaryEquipActivate(EquipmentCtrlLocation location) override;
    bool SecondaryEquipActivate(EquipmentCtrlLocation location) override;
    // Offers the item and its stacked potions to the trade.
    bool PrimaryTradeActivate() override;
    // Sells the item and its stacked potions.
    bool PrimaryMarketActivate() override;
    bool SecondaryMarketActivate() override { return PrimaryMarketActivate(); }

    const std::vector<uint32_t>& GetStacked() const { return m_stacked; }

private:
    // Sells when a market is open, the option is on and an item is carried.
    bool QuickSale();
    // Sells what is carried; false (nothing changed) when the market refuses the item.
    bool Sell();
    // A stacked potion the market refused goes back to the player.
    void SellStacked();
    void GiveBackOrDrop();

    uint32_t m_carried = 0;
    std::vector<uint32_t> m_stacked;   // the potions beneath a carried potion
};

}  // namespace GAME
