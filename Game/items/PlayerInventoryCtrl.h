// The player's bags: the items it carries outside its equipment, owned by the player's
// controller.
#pragma once

#include <cstdint>
#include <vector>

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

    // The bags' block of the character save.
    void StreamProperties(IOStream& stream);

private:
    ControllerPlayer* m_controller = nullptr;   // not owned: the controller owns this
    Player* m_parent = nullptr;                 // not owned
    std::vector<uint32_t> m_items;              // in the order placed
};

}  // namespace GAME
