// What the mouse cursor carries in the user interface and what a click means while it
// carries it. The user interface asks an item for its handler (or makes one for a dragged
// hot-slot option), keeps it while the player moves and clicks, routes each click to the
// handler operation of the window under the cursor, draws it each frame, and deletes it
// (DeleteThis) once it reports itself complete, is cancelled or escapes. Handlers hold
// items and the player by object id and skip a step when the object is gone.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/Math.h"
#include "Engine/WidgetCursor.h"
#include "Game/items/ItemTypes.h"

namespace GAME {

class ControllerPlayer;
class EquipmentCtrl;
class GraphicsCanvas;
class HotSlotOption;
class Player;
class PlayerInventoryCtrl;
class SoundPak;
class Texture;

class CursorHandler {
public:
    // The cursor kinds the user interface shows.
    static constexpr WidgetCursorType kCursorDefault = WidgetCursor_Default;
    static constexpr WidgetCursorType kCursorRelic = WidgetCursor_Relic;

    CursorHandler() = default;
    // The activation sound is owned: a handler is not copied.
    CursorHandler(const CursorHandler&) = delete;
    CursorHandler& operator=(const CursorHandler&) = delete;
    virtual ~CursorHandler();

    virtual void DeleteThis() { delete this; }
    // The cursor relative to the window under it, in that window's pixels.
    virtual void SetRelativePosition(const Vec2& position) { m_relativePosition = position; }
    // Where the cursor image is drawn, in screen pixels.
    virtual void SetDisplayPosition(const Vec2& position) { m_displayPosition = position; }
    virtual void PlayActivationSound();

    // Where the handler may act: the hot-slot bar, the inventory, the trade window, the
    // equipment, the market.
    virtual bool CanActOnHotSlots() const = 0;
    virtual bool CanActOnInventory() const = 0;
    virtual bool CanActOnTrade() const = 0;
    virtual bool CanActOnEquipment() const = 0;
    virtual bool CanActOnMarket() const = 0;

    virtual void Render(GraphicsCanvas& canvas) const = 0;
    virtual void Update() {}
    virtual bool IsComplete() const = 0;
    // A click on the world.
    virtual void ActivateWorld() = 0;
    // Gives back what the cursor holds; true when everything went back.
    virtual bool Cancel() = 0;
    // The escape key: true when the handler is done.
    virtual bool Escape();
    virtual WidgetCursorType GetGameCursorType() const { return kCursorDefault; }
    virtual void Initialize() {}
    virtual void SecondaryInitialize() {}
    virtual void SetId(uint32_t /*id*/) {}
    virtual void SetOption(HotSlotOption* /*option*/) {}
    virtual uint32_t GetId() const { return 0; }
    virtual HotSlotOption* GetOption() const { return nullptr; }
    // The rectangles of the focused sack to light up as good, neutral or bad places for a
    // click, and the item under the cursor.
    virtual void GetInventoryHighlights(std::vector<Rect>& /*good*/, std::vector<Rect>& /*neutral*/,
                                        std::vector<Rect>& /*bad*/, uint32_t& /*itemUnderCursor*/)
    {
    }
    virtual bool PrimaryInventoryActivate() { return false; }
    virtual bool SecondaryInventoryActivate() { return false; }
    virtual void SetEquipId(EquipmentCtrlLocation /*location*/, uint32_t /*itemId*/) {}
    virtual bool IsEquipConflict(EquipmentCtrlLocation /*location*/, bool& /*flag*/) { return false; }
    virtual bool PrimaryEquipActivate(EquipmentCtrlLocation /*location*/) { return false; }
    virtual bool SecondaryEquipActivate(EquipmentCtrlLocation /*location*/) { return false; }
    virtual bool PrimaryTradeActivate() { return false; }
    virtual bool PrimaryMarketActivate() { return false; }
    virtual bool SecondaryMarketActivate() { return false; }

    void SetPlayer(const Player* player);
    // The merchant whose market window is open; 0 when none.
    void SetMarketId(uint32_t marketId) { m_marketId = marketId; }
    uint32_t GetMarketId() const { return m_marketId; }
    const Vec2& GetRelativePosition() const { return m_relativePosition; }
    const Vec2& GetDisplayPosition() const { return m_displayPosition; }

protected:
    Player* GetPlayer() const;
    // The player's controller, looked up by the character's controller id.
    ControllerPlayer* GetPlayerCtrl() const;
    PlayerInventoryCtrl* GetInventoryCtrl() const;
    EquipmentCtrl* GetEquipmentCtrl() const;
    // The texture at its pixel size, centred on the display position, untinted.
    void RenderTexture(GraphicsCanvas& canvas, const Texture* texture, bool adjustToResolution) const;

    SoundPak* m_activationSound = nullptr;   // owned

private:
    Vec2 m_displayPosition;
    Vec2 m_relativePosition;
    uint32_t m_playerId = 0;
    uint32_t m_marketId = 0;
};

}  // namespace GAME
