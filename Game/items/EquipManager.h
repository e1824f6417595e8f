// The equipment a character wears: which items are attached to it, what it holds in each
// hand and which body armour it wears, all as object ids (0 for none).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemTypes.h"

namespace GAME {

class Character;
class LoadTable;
class Prop;

class EquipManager {
public:
    void AttachParent(Character* owner) { m_owner = owner; }
    Character* GetParent() const { return m_owner; }

    // The character's own record and its pre-load step; nothing is read from them yet.
    void Load(const LoadTable& table);
    void PreLoad(bool flag);

    // Every item attached to the character, in the order attached.
    const std::vector<uint32_t>& GetAttachedItems() const { return m_attachedItems; }

    // Lists the item as attached at the location; an item already attached, or id 0,
    // changes nothing. The first item at the right hand, left hand and upper body fills
    // that slot.
    void AttachItemAction(uint32_t itemId, EquipLocations location);
    void DetachItemAction(uint32_t itemId) { Detach(itemId); }
    // The first attached item at the location; 0 when none.
    uint32_t GetItemId(EquipLocations location) const;
    EquipLocations GetLocation(uint32_t itemId) const;
    bool HasItem(uint32_t itemId) const;
    // Record names compared ignoring case, with "/" equal to "\".
    bool HasItem(const std::string& recordName) const;
    // Appends the attached items that are no Weapon.
    void GetAllNonWeapons(std::vector<uint32_t>& out) const;
    // Bow 3 or staff 5 in either hand, a spear 4, a one-handed melee weapon in the left
    // hand 2, a weapon in the right hand 1; else 0.
    EquipManager_HandState GetHandState() const;
    // Where the location's bone is on the owner; the owner's position for a location
    // without one (or no owner).
    WorldCoords GetAttachCoords(EquipLocations location) const;

    // Props the owner carries (by id, with their attach point) and the weapon's
    // enchantment effect.
    void AddPropAttachment(Prop& prop, const std::string& attachPoint);
    void RemovePropAttachment(uint32_t propId) { m_props.erase(propId); }
    const std::map<uint32_t, std::string>& GetProps() const { return m_props; }
    void SetWeaponEnchantment(const std::string& name) { m_enchantment = name; }
    const std::string& GetWeaponEnchantment() const { return m_enchantment; }

    // Each setter puts the item into its slot, detaching the one it held; 0 empties it.
    void SetRightHand(uint32_t itemId);
    void SetLeftHand(uint32_t itemId);
    void SetBodyArmor(uint32_t itemId);
    // Lists the item as attached without a hand or body slot (the rest of the outfit);
    // 0 and an item already listed are ignored.
    void Attach(uint32_t itemId) { AttachItemAction(itemId, EquipLocation_NoBone); }
    // Takes the item out of its slot and off the attached list.
    void Detach(uint32_t itemId);

    uint32_t GetRightHandWeapon() const { return m_rightHand; }
    uint32_t GetLeftHandWeapon() const { return m_leftHand; }
    // The left-hand item; the caller tests whether it is a shield.
    uint32_t GetLeftHandShield() const { return m_leftHand; }
    uint32_t GetBodyArmor() const { return m_bodyArmor; }
    uint32_t GetArmorId() const { return m_bodyArmor; }

private:
    void Fill(uint32_t& slot, uint32_t itemId, EquipLocations location);
    uint32_t* SlotOf(EquipLocations location);

    Character* m_owner = nullptr;
    std::vector<uint32_t> m_attachedItems;
    std::vector<EquipLocations> m_locations;   // beside m_attachedItems
    std::map<uint32_t, std::string> m_props;
    std::string m_enchantment;
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

    // The attached items that are equipment, in the order attached. The list lives in
    // this object: a temporary's list would dangle at once, so it is not offered.
    std::span<ItemEquipment* const> GetItems() const& { return m_items; }
    std::span<ItemEquipment* const> GetItems() const&& = delete;

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
