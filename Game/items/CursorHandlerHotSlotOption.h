// The cursor that carries a hot-slot option (a skill or a potion kind) dragged by the
// player; the user interface drops it onto a hot slot with PlayerHotSlotCtrl::SetHotSlot
// using GetOption. A click on the world or a cancel lets it go.
#pragma once

#include <cstdint>
#include <memory>

#include "Game/items/CursorHandler.h"

namespace GAME {

class CursorHandlerHotSlotOption : public CursorHandler {
public:
    CursorHandlerHotSlotOption();
    ~CursorHandlerHotSlotOption() override;

    bool CanActOnHotSlots() const override { return true; }
    bool CanActOnInventory() const override { return false; }
    bool CanActOnTrade() const override { return false; }
    bool CanActOnEquipment() const override { return false; }
    bool CanActOnMarket() const override { return false; }

    void Render(GraphicsCanvas& canvas) const override;
    bool IsComplete() const override { return !m_option; }
    void ActivateWorld() override { SetOption(nullptr); }
    bool Cancel() override;
    // Takes the option (deleting the one held) and its art.
    void SetOption(HotSlotOption* option) override;
    HotSlotOption* GetOption() const override { return m_option.get(); }
    // A skill option for the skill, when the id names one.
    void SetId(uint32_t skillId) override;

private:
    std::unique_ptr<HotSlotOption> m_option;
    std::unique_ptr<Texture> m_bitmap;
};

}  // namespace GAME
