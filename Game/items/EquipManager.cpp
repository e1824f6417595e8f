#include "Game/items/EquipManager.h"

#include <algorithm>

namespace GAME {

void EquipManager::Load(const LoadTable&) {}
void EquipManager::PreLoad(bool) {}

void EquipManager::Attach(uint32_t itemId)
{
    if (itemId != 0 && std::find(m_attachedItems.begin(), m_attachedItems.end(), itemId) == m_attachedItems.end())
        m_attachedItems.push_back(itemId);
}

void EquipManager::Fill(uint32_t& slot, uint32_t itemId)
{
    if (slot != 0 && slot != itemId)
        Detach(slot);
    slot = itemId;
    Attach(itemId);
}

void EquipManager::SetRightHand(uint32_t itemId) { Fill(m_rightHand, itemId); }
void EquipManager::SetLeftHand(uint32_t itemId) { Fill(m_leftHand, itemId); }
void EquipManager::SetBodyArmor(uint32_t itemId) { Fill(m_bodyArmor, itemId); }

void EquipManager::Detach(uint32_t itemId)
{
    if (itemId == 0)
        return;
    std::erase(m_attachedItems, itemId);
    for (uint32_t* slot : {&m_rightHand, &m_leftHand, &m_bodyArmor})
        if (*slot == itemId)
            *slot = 0;
}

EquippedItems::EquippedItems(const EquipManager& equipment)
{
    ObjectManager& objects = ObjectManager::Get();
    const std::vector<uint32_t>& attached = equipment.GetAttachedItems();
    const bool inlineFits = attached.size() <= kMaxItems;
    size_t itemCount = 0;
    for (uint32_t itemId : attached) {
        ItemEquipment* item = objects.GetObject<ItemEquipment>(itemId);
        if (m_idCount < kMaxItems) {
            m_ids[m_idCount] = itemId;
            m_found[m_idCount++] = item;
        }
        if (!item)
            continue;
        if (inlineFits)
            m_inlineItems[itemCount++] = item;
        else
            m_moreItems.push_back(item);
    }
    m_items = inlineFits ? std::span<ItemEquipment* const>(m_inlineItems.data(), itemCount)
                         : std::span<ItemEquipment* const>(m_moreItems);
}

}  // namespace GAME
