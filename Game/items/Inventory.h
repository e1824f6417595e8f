// A character's flat list of the items it carries, as object ids in order of arrival.
// The object manager owns the items; only DestroyAllObjects destroys them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/EventManager.h"

namespace GAME {

// An item entered an inventory: the owner, the item, and whether it was created or
// restored straight into the inventory (false when picked up, given or unequipped).
struct GameEvent_ItemAdd : GameEvent {
    uint32_t ownerId = 0;
    uint32_t itemId = 0;
    bool flag = false;
};

class Inventory {
public:
    Inventory();
    // Destroys every item still listed.
    virtual ~Inventory();
    Inventory(const Inventory&) = delete;
    Inventory& operator=(const Inventory&) = delete;

    void SetOwner(uint32_t ownerId) { m_ownerId = ownerId; }
    uint32_t GetOwner() const { return m_ownerId; }
    // The owner's gender (a character gender value), handed to the items that arrive.
    void SetGender(int32_t gender) { m_gender = gender; }
    int32_t GetGender() const { return m_gender; }

    const std::vector<uint32_t>& GetInventoryItems() const { return m_items; }

    // Feeds the local player's tutorial (every call), hands the item the owner's gender,
    // then announces the item with "GameEvent_ItemAdd" and lists it, once; id 0 is
    // never listed.
    void AddItemToInventory(uint32_t itemId, bool flag);
    // Erases every occurrence; id 0 is ignored.
    void RemoveItemFromInventory(uint32_t itemId);
    // The first id, taken out of the list; 0 when the list is empty.
    uint32_t PopInventoryItem();
    bool IsItemInInventory(uint32_t itemId) const;
    // Compares each listed item's record name with `recordName` (case and slash
    // direction ignored). The walk stops with false at the first id that is no item.
    bool IsItemInInventory(const std::string& recordName) const;
    // Destroys every listed object through the object manager and empties the list.
    void DestroyAllObjects();

    void OnItemAdd(const GameEvent_ItemAdd&) {}

private:
    // For the local player's inventory (the owner is the local player, or there is none):
    // counts the item and unlocks the potion, sack or relic tutorial page.
    void FeedTutorial(uint32_t itemId) const;

    std::vector<uint32_t> m_items;
    uint32_t m_ownerId = 0;
    int32_t m_gender = 0;
    // Registered under "GameEvent_ItemAdd" for the inventory's life.
    GameEventListener<Inventory, GameEvent_ItemAdd> m_listener;
};

}  // namespace GAME
