#include "Game/items/CursorHandlerItemMove.h"

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/core/GameEngine.h"
#include "Game/items/EquipmentCtrl.h"
#include "Game/items/Item.h"
#include "Game/items/PlayerInventoryCtrl.h"
#include "Game/items/TradeManager.h"

namespace GAME {

CursorHandlerItemMove::~CursorHandlerItemMove()
{
    if (m_carried != 0 || !m_stacked.empty())
        ActivateWorld();
}

void CursorHandlerItemMove::Render(GraphicsCanvas& canvas) const
{
    if (Item* item = ObjectManager::Get().GetObject<Item>(m_carried))
        RenderTexture(canvas, item->GetBitmap(), true);
}

void CursorHandlerItemMove::SetId(uint32_t itemId)
{
    m_carried = itemId;
    m_stacked.clear();
    if (itemId == 0)
        return;
    if (PlayerInventoryCtrl* inventory = GetInventoryCtrl())
        inventory->RemoveItem(itemId, m_stacked);
}

void CursorHandlerItemMove::SetEquipId(EquipmentCtrlLocation, uint32_t itemId)
{
    m_carried = itemId;
    m_stacked.clear();
    if (itemId == 0)
        return;
    if (EquipmentCtrl* equipment = GetEquipmentCtrl())
        equipment->RemoveItem(itemId);
}

void CursorHandlerItemMove::ActivateWorld()
{
    if (ControllerPlayer* controller = GetPlayerCtrl()) {
        controller->SendDropItemRandom(m_carried);
        for (uint32_t potion : m_stacked)
            controller->SendDropItemRandom(potion);
    }
    m_carried = 0;
    m_stacked.clear();
}

bool CursorHandlerItemMove::Cancel()
{
    ControllerPlayer* controller = GetPlayerCtrl();
    if (!controller)
        return m_carried == 0 && m_stacked.empty();
    bool all = true;
    if (m_carried != 0) {
        if (controller->GiveItemToPlayer(m_carried))
            m_carried = 0;
        else
            all = false;
    }
    while (!m_stacked.empty()) {
        if (!controller->GiveItemToPlayer(m_stacked.front()))
            return false;
        m_stacked.erase(m_stacked.begin());
    }
    return all;
}

void CursorHandlerItemMove::GiveBackOrDrop()
{
    if (!Cancel())
        ActivateWorld();
}

bool CursorHandlerItemMove::Escape()
{
    GiveBackOrDrop();
    return true;
}

bool CursorHandlerItemMove::PrimaryInventoryActivate()
{
    PlayerInventoryCtrl* inventory = GetInventoryCtrl();
    if (!inventory)
        return false;
    std::vector<Rect> conflicts;
    Rect placed;
    inventory->GetConflicts(GetRelativePosition(), m_carried, conflicts, placed, -1);
    if (conflicts.size() >= 2)
        return false;
    const uint32_t dropped = m_carried;
    std::vector<uint32_t> droppedStack = std::move(m_stacked);
    const Vec2 under = conflicts.empty() ? GetRelativePosition() : Vec2(conflicts.front().x, conflicts.front().y);
    SetId(inventory->GetItemUnderPoint(under, -1));
    if (dropped == 0)
        return true;
    const Vec2 corner(placed.x, placed.y);
    const bool placedIt = droppedStack.empty() ? inventory->AddItem(corner, dropped, -1)
                                               : inventory->AddStackedItem(corner, dropped, droppedStack, -1);
    if (!placedIt) {
        // The sack refused the place it chose itself: the item goes back to the player
        // rather than vanish with the cursor.
        gEngine->Log(LOG_WARNING, "CursorHandlerItemMove: item %u does not fit where it was dropped; given back",
                     dropped);
        CursorHandlerItemMove giveBack;
        giveBack.SetPlayer(GetPlayer());
        giveBack.m_carried = dropped;
        giveBack.m_stacked = std::move(droppedStack);
        giveBack.GiveBackOrDrop();
    }
    return true;
}

void CursorHandlerItemMove::GetInventoryHighlights(std::vector<Rect>& good, std::vector<Rect>& neutral,
                                                   std::vector<Rect>& bad, uint32_t& itemUnderCursor)
{
    PlayerInventoryCtrl* inventory = GetInventoryCtrl();
    if (!inventory)
        return;
    std::vector<Rect> conflicts;
    Rect placed;
    inventory->GetConflicts(GetRelativePosition(), m_carried, conflicts, placed, -1);
    itemUnderCursor = inventory->GetItemUnderPoint(GetRelativePosition(), -1);
    if (conflicts.size() >= 2) {
        bad.insert(bad.end(), conflicts.begin(), conflicts.end());
        return;
    }
    neutral.insert(neutral.end(), conflicts.begin(), conflicts.end());
    if (m_carried != 0)
        good.push_back(placed);
}

bool CursorHandlerItemMove::SecondaryInventoryActivate()
{
    if (!QuickSale())
        Cancel();
    return true;
}

bool CursorHandlerItemMove::IsEquipConflict(EquipmentCtrlLocation location, bool& flag)
{
    const EquipmentCtrl* equipment = GetEquipmentCtrl();
    return !equipment || !equipment->CanItemBePlaced(location, m_carried, flag);
}

bool CursorHandlerItemMove::PrimaryEquipActivate(EquipmentCtrlLocation location)
{
    EquipmentCtrl* equipment = GetEquipmentCtrl();
    bool flag = false;
    if (!equipment || !equipment->CanItemBePlaced(location, m_carried, flag))
        return false;
    equipment->PlaceItem(location, m_carried);
    return true;
}

bool CursorHandlerItemMove::SecondaryEquipActivate(EquipmentCtrlLocation location)
{
    return GetMarketId() == 0 ? PrimaryEquipActivate(location) : QuickSale();
}

bool CursorHandlerItemMove::PrimaryTradeActivate()
{
    TradeManager* trade = gGameEngine ? gGameEngine->GetTradeManager() : nullptr;
    if (!trade || !trade->HandleAddItemOutbound(Vec2(0.0f, 0.0f), m_carried)) {
        Cancel();
        return false;
    }
    m_carried = 0;
    while (!m_stacked.empty()) {
        m_carried = m_stacked.back();
        m_stacked.pop_back();
        if (!trade->HandleAddItemOutbound(Vec2(0.0f, 0.0f), m_carried)) {
            Cancel();
            return true;
        }
        m_carried = 0;
    }
    return true;
}

bool CursorHandlerItemMove::Sell()
{
    if (m_carried == 0 || !gGameEngine || !gGameEngine->PlayerSaleRequest(GetMarketId(), m_carried, false))
        return false;
    if (ControllerPlayer* controller = GetPlayerCtrl())
        controller->SendRemoveItemFromInventory(m_carried);
    m_carried = 0;
    SellStacked();
    return true;
}

void CursorHandlerItemMove::SellStacked()
{
    ControllerPlayer* controller = GetPlayerCtrl();
    std::vector<uint32_t> refused;
    for (uint32_t potion : m_stacked) {
        if (gGameEngine->PlayerSaleRequest(GetMarketId(), potion, true)) {
            if (controller)
                controller->SendRemoveItemFromInventory(potion);
        } else {
            refused.push_back(potion);
        }
    }
    m_stacked = std::move(refused);
    GiveBackOrDrop();
}

bool CursorHandlerItemMove::QuickSale()
{
    if (GetMarketId() == 0 || !gEngine->GetBoolOption(kQuickSaleOption))
        return false;
    return Sell();
}

bool CursorHandlerItemMove::PrimaryMarketActivate()
{
    if (Sell())
        return true;
    Cancel();
    return false;
}

}  // namespace GAME
