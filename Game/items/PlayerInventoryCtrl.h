// The player's bags: the items it carries outside its equipment, owned by the player's
// controller.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "Game/items/InventorySack.h"

namespace GAME {

class ControllerPlayer;
class IOStream;
class Item;
class Player;

class PlayerInventoryCtrl {
public:
    void SetController(ControllerPlayer* controller) { m_controller = controller; }
    ControllerPlayer* GetController() const { return m_controller; }
    void SetParent(Player* player) { m_parent = player; }
    Player* GetParent() const { return m_parent; }

    // Whether the item would find a place in the bags; never for no item.
    bool IsSpaceAvailable(const Item* item) const;
    // Places the item; false for id 0 or an item already held.
    bool AddItem(uint32_t itemId, bool notify);
    // Takes the item out; false when it was not held.
    bool RemoveItem(uint32_t itemId);
    bool HasItem(uint32_t itemId) const;
    const std::vector<uint32_t>& GetItems() const { return m_items; }
    void Update(int elapsedMs);

    // The bags' block of the character save. The bags are one, without a size: it is
    // saved as the main bag, every item at cell (0, 0). A read creates each saved item
    // afresh, lists it in the player's inventory and places it; an item that cannot be
    // made is passed over. Potions saved beneath another are placed like any item. A save
    // of more than kMaxSacks bags, or of a bag above kMaxSavedItems, is refused; a write
    // keeps the kMaxSavedItems items of lowest id and logs what it leaves out.
    static constexpr uint32_t kMaxSacks = 4;
    static constexpr uint32_t kMaxSavedItems = 10000;
    void StreamProperties(IOStream& stream);

    // ---- What the cursor handlers use: one sack stands for every bag (a sack of -1 is
    // the focused one). Items placed here are held as by AddItem.
    const std::map<uint32_t, Rect>& GetInventoryInSack(int sack) const;
    uint32_t GetItemUnderPoint(const Vec2& point, int sack) const;
    // Whether any item lies where the item would go; an id naming no item answers true.
    bool GetConflicts(const Vec2& position, uint32_t itemId, std::vector<Rect>& conflicts, Rect& placed, int sack);
    bool AddItem(const Vec2& position, uint32_t itemId, int sack);
    // Places the item with the potions that ride beneath it.
    bool AddStackedItem(const Vec2& position, uint32_t itemId, std::vector<uint32_t>& stackedIds, int sack);
    // Takes the item out; the potions beneath it are appended to removedStackedIds.
    bool RemoveItem(uint32_t itemId, std::vector<uint32_t>& removedStackedIds);
    // Takes the one-shot out of the bags and has the player use it.
    void UseOneShot(uint32_t itemId);

private:
    ControllerPlayer* m_controller = nullptr;   // not owned: the controller owns this
    Player* m_parent = nullptr;                 // not owned
    std::vector<uint32_t> m_items;              // in the order placed
    InventorySack m_sack;
    std::map<uint32_t, std::vector<uint32_t>> m_stacks;   // potions beneath a placed potion
};

}  // namespace GAME
