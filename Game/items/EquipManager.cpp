#include "Game/items/EquipManager.h"

#include <algorithm>

#include "Game/core/foundation/StringUtil.h"
#include "Game/characters/Character.h"
#include "Game/items/Weapon.h"
#include "Game/world/Prop.h"

namespace GAME {

void EquipManager::Load(const LoadTable&) {}
void EquipManager::PreLoad(bool) {}

uint32_t* EquipManager::SlotOf(EquipLocations location)
{
    switch (location) {
    case EquipLocation_RightHand: return &m_rightHand;
    case EquipLocation_LeftHand: return &m_leftHand;
    case EquipLocation_UpperBody: return &m_bodyArmor;
    default: return nullptr;
    }
}

void EquipManager::AttachItemAction(uint32_t itemId, EquipLocations location)
{
    if (itemId == 0 || HasItem(itemId))
        return;
    m_attachedItems.push_back(itemId);
    m_locations.push_back(location);
    if (uint32_t* slot = SlotOf(location); slot && *slot == 0)
        *slot = itemId;
}

void EquipManager::Fill(uint32_t& slot, uint32_t itemId, EquipLocations location)
{
    if (slot != 0 && slot != itemId)
        Detach(slot);
    if (itemId != 0 && !HasItem(itemId)) {
        m_attachedItems.push_back(itemId);
        m_locations.push_back(location);
    }
    slot = itemId;
}

void EquipManager::SetRightHand(uint32_t itemId) { Fill(m_rightHand, itemId, EquipLocation_RightHand); }
void EquipManager::SetLeftHand(uint32_t itemId) { Fill(m_leftHand, itemId, EquipLocation_LeftHand); }
void EquipManager::SetBodyArmor(uint32_t itemId) { Fill(m_bodyArmor, itemId, EquipLocation_UpperBody); }

// The slot the item held passes to the next item attached at that location.
void EquipManager::Detach(uint32_t itemId)
{
    if (itemId == 0)
        return;
    for (size_t i = m_attachedItems.size(); i-- > 0;)
        if (m_attachedItems[i] == itemId) {
            m_attachedItems.erase(m_attachedItems.begin() + static_cast<std::ptrdiff_t>(i));
            m_locations.erase(m_locations.begin() + static_cast<std::ptrdiff_t>(i));
        }
    for (EquipLocations location : {EquipLocation_RightHand, EquipLocation_LeftHand, EquipLocation_UpperBody})
        if (uint32_t* slot = SlotOf(location); *slot == itemId)
            *slot = GetItemId(location);
}

uint32_t EquipManager::GetItemId(EquipLocations location) const
{
    for (size_t i = 0; i < m_attachedItems.size(); ++i)
        if (m_locations[i] == location)
            return m_attachedItems[i];
    return 0;
}

EquipLocations EquipManager::GetLocation(uint32_t itemId) const
{
    for (size_t i = 0; i < m_attachedItems.size(); ++i)
        if (m_attachedItems[i] == itemId)
            return m_locations[i];
    return EquipLocation_None;
}

bool EquipManager::HasItem(uint32_t itemId) const
{
    return itemId != 0 && std::find(m_attachedItems.begin(), m_attachedItems.end(), itemId) != m_attachedItems.end();
}

bool EquipManager::HasItem(const std::string& recordName) const
{
    for (uint32_t itemId : m_attachedItems)
        if (const Object* item = ObjectManager::Get().GetObject(itemId); item && PathEqualsNoCase(item->GetObjectName().c_str(), recordName.c_str()))
            return true;
    return false;
}

void EquipManager::GetAllNonWeapons(std::vector<uint32_t>& out) const
{
    for (uint32_t itemId : m_attachedItems)
        if (!ObjectManager::Get().GetObject<Weapon>(itemId))
            out.push_back(itemId);
}

EquipManager_HandState EquipManager::GetHandState() const
{
    const Weapon* right = ObjectManager::Get().GetObject<Weapon>(m_rightHand);
    const Weapon* left = ObjectManager::Get().GetObject<Weapon>(m_leftHand);
    const Weapon_Type rightType = right ? right->GetWeaponType() : Weapon_None;
    const Weapon_Type leftType = left ? left->GetWeaponType() : Weapon_None;
    if (rightType == Weapon_Bow || leftType == Weapon_Bow)
        return EquipManager_Bow;
    if (rightType == Weapon_Staff || leftType == Weapon_Staff)
        return EquipManager_Staff;
    if (rightType == Weapon_Spear || leftType == Weapon_Spear)
        return EquipManager_Spear;
    if (leftType == Weapon_Axe || leftType == Weapon_Sword || leftType == Weapon_Mace)
        return EquipManager_DualWielded;
    return right ? EquipManager_SingleHanded : EquipManager_Unarmed;
}

WorldCoords EquipManager::GetAttachCoords(EquipLocations location) const
{
    if (!m_owner)
        return WorldCoords();
    const char* bone = nullptr;
    switch (location) {
    case EquipLocation_RightHand:
    case EquipLocation_Finger: bone = "R Hand"; break;
    case EquipLocation_LeftHand: bone = "L Hand"; break;
    case EquipLocation_UpperBody: bone = "Upper Body"; break;
    case EquipLocation_LowerBody: bone = "Lower Body"; break;
    case EquipLocation_Head:
    case EquipLocation_Neck: bone = "Head"; break;
    case EquipLocation_Forearm: bone = "Forearm"; break;
    default: break;
    }
    const WorldCoords& own = m_owner->GetCoords();
    if (!bone)
        return own;
    const WorldVec3 point = m_owner->GetAttachPointPosition(Name(bone));
    Coords frame = own.GetRegionCoords();
    frame.origin = point.GetRegionPosition();
    return WorldCoords(point.GetRegion(), frame);
}

void EquipManager::AddPropAttachment(Prop& prop, const std::string& attachPoint)
{
    m_props[prop.GetObjectId()] = attachPoint;
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
