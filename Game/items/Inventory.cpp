#include "Game/items/Inventory.h"

#include <algorithm>

#include "Engine/ObjectManager.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Item.h"

namespace GAME {

Inventory::Inventory() : m_listener("GameEvent_ItemAdd", &Inventory::OnItemAdd, this) {}

Inventory::~Inventory()
{
    DestroyAllObjects();
}

void Inventory::AddItemToInventory(uint32_t itemId, bool flag)
{
    if (itemId == 0 || IsItemInInventory(itemId))
        return;
    GameEvent_ItemAdd event;
    event.ownerId = m_ownerId;
    event.itemId = itemId;
    event.flag = flag;
    EventManager::Get().Send(event, "GameEvent_ItemAdd");
    m_items.push_back(itemId);
}

void Inventory::RemoveItemFromInventory(uint32_t itemId)
{
    if (itemId != 0)
        std::erase(m_items, itemId);
}

uint32_t Inventory::PopInventoryItem()
{
    if (m_items.empty())
        return 0;
    const uint32_t itemId = m_items.front();
    m_items.erase(m_items.begin());
    return itemId;
}

bool Inventory::IsItemInInventory(uint32_t itemId) const
{
    return std::find(m_items.begin(), m_items.end(), itemId) != m_items.end();
}

bool Inventory::IsItemInInventory(const std::string& recordName) const
{
    for (uint32_t itemId : m_items) {
        const Item* item = ObjectManager::Get().GetObject<Item>(itemId);
        if (!item)
            return false;
        if (PathEqualsNoCase(item->GetObjectName().c_str(), recordName.c_str()))
            return true;
    }
    return false;
}

void Inventory::DestroyAllObjects()
{
    // Taken out first: destroying an item may reach back into its holder's inventory.
    std::vector<uint32_t> items;
    items.swap(m_items);
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t itemId : items)
        if (Object* object = objects.GetObject(itemId))
            objects.DestroyObjectEx(object, "Inventory", __LINE__);
}

}  // namespace GAME
