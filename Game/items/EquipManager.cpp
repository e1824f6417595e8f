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

}  // namespace GAME
