#include "Game/items/PlayerInventoryCtrl.h"

#include <algorithm>

namespace GAME {

// One bag without a size yet: every item fits.
bool PlayerInventoryCtrl::IsSpaceAvailable(const Item* item) const { return item != nullptr; }

bool PlayerInventoryCtrl::AddItem(uint32_t itemId, bool)
{
    if (itemId == 0 || HasItem(itemId))
        return false;
    m_items.push_back(itemId);
    return true;
}

bool PlayerInventoryCtrl::RemoveItem(uint32_t itemId)
{
    const auto found = std::find(m_items.begin(), m_items.end(), itemId);
    if (found == m_items.end())
        return false;
    m_items.erase(found);
    return true;
}

bool PlayerInventoryCtrl::HasItem(uint32_t itemId) const
{
    return std::find(m_items.begin(), m_items.end(), itemId) != m_items.end();
}

void PlayerInventoryCtrl::Update(int) {}

void PlayerInventoryCtrl::StreamProperties(IOStream&) {}

}  // namespace GAME
