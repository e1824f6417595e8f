// The equipment a character wears, as it is seen and fought with.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "Engine/EventManager.h"
#include "Engine/ObjectManager.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemTypes.h"

namespace GAME {

class Character;
class Item;
class LoadTable;
class Prop;

// What "GameEvent_ItemAttach" and "GameEvent_ItemDetach" carry.
struct GameEvent_ItemAttach : GameEvent {
    uint32_t characterId = 0;
    uint32_t itemId = 0;
};
struct GameEvent_ItemDetach : GameEvent {
    uint32_t characterId = 0;
    uint32_t itemId = 0;
};

// One attached item: where it sits, and what the hands and the animation set need to know
// of it without looking it up.
struct EquipManagerContainer {
    uint32_t itemId = 0;
    EquipLocations location = EquipLocation_None;
    bool oneHandedMelee = false;     // an axe, sword or mace
    bool shownInRightHand = false;   // a left-hand weapon drawn in the right hand
    bool rangedOrStaff = false;      // a bow or a staff
};

// What a character wears as it is seen and fought with: the items attached to its body
// (by id, in attach order) at the bones of their locations, the default head piece shown
// while no head item is worn, props that hide what sits at their bone, the weapon
// enchantment, and the hand state that picks the animation set. Owned by the combat
// manager; Character::AttachItemAction and DetachItemAction end here.
class EquipManager {
public:
    EquipManager() = default;
    EquipManager(const EquipManager&) = delete;
    EquipManager& operator=(const EquipManager&) = delete;

    void AttachParent(Character* owner) { m_owner = owner; }
    Character* GetParent() const { return m_owner; }

    // "defaultHeadPiece": an item made from that record and worn at "Head" while no head
    // item is attached.
    void Load(const LoadTable& table);
    uint32_t GetDefaultHeadPiece() const { return m_defaultHeadPiece; }
    // Preloads the attached bows and staves.
    void PreLoad(bool flag);

    // Attaches the item at its location's bone, announces it, sets the animation set by
    // the hand state and lays the current enchantment on a weapon. Without an item or a
    // parent nothing happens; an item already attached, or a location that is no
    // equipment slot, is refused with a log line.
    void AttachItemAction(uint32_t itemId, EquipLocations location);
    // The reverse of AttachItemAction; an item not attached here is left alone.
    void DetachItemAction(uint32_t itemId);
    // Detaches every attached item made from that record.
    void RemoveItem(const std::string& recordName);
    // Destroys what the character wears, and its default head piece, through the object
    // manager; the lists are left empty. For the character's own destruction.
    void DestroyAllObjects();

    // Every attached item id, in the order attached, and the same items with their places.
    const std::vector<uint32_t>& GetAttachedItems() const { return m_attachedIds; }
    const std::vector<EquipManagerContainer>& GetAttachedContainers() const { return m_attached; }
    // Each appends: every attached item; the Armor items; the items that are no Weapon.
    void GetAllAttachedItems(std::vector<uint32_t>& out) const;
    void GetAllArmor(std::vector<uint32_t>& out) const;
    void GetAllNonWeapons(std::vector<uint32_t>& out) const;

    // The first attached item at the location; 0 when none.
    uint32_t GetItemId(EquipLocations location) const;
    // Where the attached item sits; EquipLocation_None when it is not attached.
    EquipLocations GetLocation(uint32_t itemId) const;
    bool HasItem(uint32_t itemId) const;
    // Record names compared ignoring case, with "/" equal to "\".
    bool HasItem(const std::string& recordName) const;
    uint32_t GetBodyArmor() const { return GetItemId(EquipLocation_UpperBody); }

    // The hands: the right hand holds the first item at the right hand, or else a left
    // weapon drawn there; the left hand holds the first item at the left hand unless it
    // is drawn in the right. Each answers 0 when the hand holds no item of that class.
    uint32_t GetRightHandWeapon() const;
    uint32_t GetLeftHandWeapon() const;
    uint32_t GetLeftHandShield() const;
    // The left-hand item when it is an Armor.
    uint32_t GetArmorId() const;
    // The left-hand weapon decides first (a shield never does), then the right-hand one.
    // Found again only when the items attached here or any equipment changed.
    EquipManager_HandState GetHandState() const;
    // Where the location's bone is on the parent; the parent's own coordinates for a
    // location without one (and no coordinates without a parent).
    WorldCoords GetAttachCoords(EquipLocations location) const;

    // A prop hides the attached items at its attach point while it is carried. Adding a
    // prop already carried moves it to its new point; removing it forgets it.
    void AddPropAttachment(Prop& prop);
    void RemovePropAttachment(uint32_t propId);
    const std::map<uint32_t, std::string>& GetProps() const { return m_props; }

    // Stores the enchantment and lays it on every attached weapon (when it changed).
    void SetWeaponEnchantment(const std::string& name);
    const std::string& GetWeaponEnchantment() const { return m_enchantment; }

    // A bone name's location (0 for any other name), and a location's bone name (empty
    // for the neck, the fingers and the no-bone location).
    static EquipLocations StringToLocation(const std::string& bone);
    static const char* LocationToString(EquipLocations location);

private:
    EquipManagerContainer* FindLeftContainer();
    const EquipManagerContainer* FindRightItem() const;
    const EquipManagerContainer* FindLeftItem() const;
    bool HasLocation(EquipLocations location) const;
    // A lone one-handed melee weapon in the left hand is drawn in the right hand, and
    // goes back to the left once the right hand holds something.
    void ForceRightHand();
    void MoveToBone(Item& item, const char* bone);
    // Shows or hides the attached items whose location's bone is that point.
    void SetVisibilityAt(const std::string& attachPoint, bool visible);
    bool IsPointCovered(const std::string& attachPoint, uint32_t exceptPropId) const;
    void SetDefaultHeadPieceVisible(bool visible);
    void ShowHandState();

    Character* m_owner = nullptr;
    std::vector<EquipManagerContainer> m_attached;
    std::vector<uint32_t> m_attachedIds;   // the same items, in the same order
    std::map<uint32_t, std::string> m_props;
    std::string m_enchantment;
    uint32_t m_defaultHeadPiece = 0;
    // The hand state as found at equipment revision m_handStateRevision (the weapons are
    // looked up by id); every change of the containers here drops it.
    EquipManager_HandState FindHandState() const;
    void HandsChanged() { m_handStateKept = false; }
    mutable EquipManager_HandState m_handState = EquipManager_Unarmed;
    mutable uint32_t m_handStateRevision = 0;
    mutable bool m_handStateKept = false;
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
