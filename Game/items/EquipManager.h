// The equipment a character wears: which items are attached to it, what it holds in each
// hand and which body armour it wears, all as object ids (0 for none).
#pragma once

#include <cstdint>
#include <vector>

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
    void Attach(uint32_t itemId);

    Character* m_owner = nullptr;
    std::vector<uint32_t> m_attachedItems;
    uint32_t m_rightHand = 0;
    uint32_t m_leftHand = 0;
    uint32_t m_bodyArmor = 0;
};

}  // namespace GAME
