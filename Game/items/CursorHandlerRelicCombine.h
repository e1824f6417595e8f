// The cursor that carries a relic lying in the player's bags: a click on another item of
// the focused sack or on an equipped item applies the relic to it (through the player
// controller, so every peer applies it), after a yes/no question when the relic would go
// into an item that holds none. The relic stays in its sack while carried.
#pragma once

#include <cstdint>
#include <memory>

#include "Engine/Texture.h"
#include "Game/items/CursorHandler.h"

namespace GAME {

class Entity;
class ItemRelic;

class CursorHandlerRelicCombine : public CursorHandler {
public:
    // The question asked before a relic goes into an item for good.
    static constexpr const char* kConfirmTag = "tagRelicCombineDialog";
    static constexpr uint32_t kTutorialPage = 19;

    // Takes the activation sound from the game-wide "relicCursorActivationSound".
    CursorHandlerRelicCombine();

    bool CanActOnHotSlots() const override { return false; }
    bool CanActOnInventory() const override { return true; }
    bool CanActOnTrade() const override { return false; }
    bool CanActOnEquipment() const override { return true; }
    bool CanActOnMarket() const override { return false; }

    // The relic's art, while no question is pending.
    void Render(GraphicsCanvas& canvas) const override;
    // Collects the answer to a pending question: yes applies the relic, no drops it.
    void Update() override;
    bool IsComplete() const override { return m_relic == 0; }
    void ActivateWorld() override { m_relic = 0; }
    bool Cancel() override;
    // Nothing while a question is pending.
    bool Escape() override;
    WidgetCursorType GetGameCursorType() const override { return kCursorRelic; }
    void SetId(uint32_t relicId) override;
    uint32_t GetId() const override { return m_relic; }
    void GetInventoryHighlights(std::vector<Rect>& good, std::vector<Rect>& neutral, std::vector<Rect>& bad,
                                uint32_t& itemUnderCursor) override;
    // The item under the cursor in the focused sack; the relic itself or nothing there
    // drops the relic.
    bool PrimaryInventoryActivate() override;
    bool SecondaryInventoryActivate() override { return PrimaryInventoryActivate(); }
    void SetEquipId(EquipmentCtrlLocation location, uint32_t relicId) override;
    // No conflict only when the relic exists and may go onto the item there.
    bool IsEquipConflict(EquipmentCtrlLocation location, bool& flag) override;
    bool PrimaryEquipActivate(EquipmentCtrlLocation location) override;
    bool SecondaryEquipActivate(EquipmentCtrlLocation location) override { return PrimaryEquipActivate(location); }

    uint32_t GetPendingTarget() const { return m_pendingTarget; }
    // Unloads the art the cursor held and takes the carried relic's present art (its
    // shard art, or its whole art once complete).
    void CreateBitmap();

private:
    // The carried relic, or null (and the relic forgotten) when it is gone.
    ItemRelic* GetRelic();
    // Applies the relic to the target, or asks first; false when it may not go there.
    bool ApplyTo(uint32_t targetId, bool refuseSelf);
    uint32_t ItemUnderCursor() const;

    uint32_t m_relic = 0;
    std::unique_ptr<Texture> m_bitmap;   // the relic's art as the cursor draws it
    uint32_t m_pendingTarget = 0;   // waiting for the player's answer
};

}  // namespace GAME
