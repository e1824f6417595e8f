// The equipment a character wears: which items are attached to it, what it holds in each
// hand and which body armour it wears, all as object ids (0 for none).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Game/items/ItemEquipment.h"

namespace GAME {

class Character;
class LoadTable;

class EquipManager {
public:
    void AttachParent(Character* owner) { m_owner = owner; }
    Character* GetParent() const { return m_owner; }

    // The character's own record and its pre-load step; nothing is read from them yet.
    void Load(const LoadTable& table);
    void PreLoad(bool flag);

    // Every item attached to the character, in the order attached.
    const std::vector<uint32_t>& GetAttachedItems() const { return m_attachedItems; }

    // Each setter also lists the item as attached; 0 empties the slot.
    void SetRightHand(uint32_t itemId);
    void SetLeftHand(uint32_t itemId);
    void SetBodyArmor(uint32_t itemId);
    // Lists the item as attached without a hand or body slot (the rest of the outfit);
    // 0 and an item already listed are ignored.
    void Attach(uint32_t itemId);
    // Takes the item out of its slot and off the attached list.
    void Detach(uint32_t itemId);

    uint32_t GetRightHandWeapon() const { return m_rightHand; }
    uint32_t GetLeftHandWeapon() const { return m_leftHand; }
    // The left-hand item; the caller tests whether it is a shield.
    uint32_t GetLeftHandShield() const { return m_leftHand; }
    uint32_t GetBodyArmor() const { return m_bodyArmor; }
    uint32_t GetArmorId() const { return m_bodyArmor; }

private:
    void Fill(uint32_t& slot, uint32_t itemId);

    Character* m_owner = nullptr;
    std::vector<uint32_t> m_attachedItems;
    uint32_t m_rightHand = 0;
    uint32_t m_leftHand = 0;
    uint32_t m_bodyArmor = 0;
};

// The attached items looked up once, for one attack: its defences, retaliation, shield
// and armour all read them here rather than asking the object manager each time. The
// pointers are good for the current step only (the object manager frees objects between
// steps), so nothing keeps them longer.
class EquippedItems {
public:
    explicit EquippedItems(const EquipManager& equipment);
    EquippedItems(const EquippedItems&) = delete;
    EquippedItems& operator=(const EquippedItems&) = delete;

    // The attached items that are equipment, in the order attached.
    std::span<ItemEquipment* const> GetItems() const { return m_items; }

    // The attached item with that id when it is a T; null for 0 or anything else.
    template <class T>
    T* Get(uint32_t itemId) const
    {
        if (itemId == 0)
            return nullptr;
        for (size_t i = 0; i < m_idCount; ++i)
            if (m_ids[i] == itemId)
                return m_found[i] && m_found[i]->IsA<T>() ? static_cast<T*>(m_found[i]) : nullptr;
        return ObjectManager::Get().GetObject<T>(itemId);   // not attached, or past the first few
    }

private:
    // A character wears a dozen items or so; past these, the equipment is listed on the
    // heap and a slot's item looked up each time.
    static constexpr size_t kMaxItems = 24;

    // Filled up to their counts only (an attack makes one of these).
    std::array<uint32_t, kMaxItems> m_ids;
    std::array<ItemEquipment*, kMaxItems> m_found;   // by id, null when not equipment
    size_t m_idCount = 0;
    std::array<ItemEquipment*, kMaxItems> m_inlineItems;
    std::vector<ItemEquipment*> m_moreItems;
    std::span<ItemEquipment* const> m_items;
};

}  // namespace GAME
