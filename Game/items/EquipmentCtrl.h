// A character controller's control of what its character wears: which item lies in each
// place of the equipment window, whether it is attached (its attributes count), the rules
// for what may go where, and the two weapon sets. It never touches the character's mesh:
// every attach and detach it decides goes out as a command through the controller, and
// the character's equipment manager carries it out on every peer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Game/items/ItemTypes.h"

namespace GAME {

class Character;
class ControllerCharacter;
class IOStream;
class Item;

// One place on the character: the item there (0 for none), whether it is attached, and
// the body location it is attached at.
struct EquipmentInfo {
    uint32_t itemId = 0;
    bool attached = false;
    EquipLocations location = EquipLocation_None;
};

// What a hand item allows in the other hand; every type for an empty hand or a type no
// table row names.
uint32_t EquipmentHandAllows(uint32_t handType);
// A bow or a staff.
constexpr bool IsTwoHanded(uint32_t handType) { return handType == EquipmentHand_Bow || handType == EquipmentHand_Staff; }

// One pair of hands. A set that is not in use ("alternate") keeps its items detached and
// sends no commands for them. A two-handed item is kept in one hand and reported for both.
class EquipmentCtrlWeaponSet {
public:
    enum Side { Right = 0, Left = 1 };

    struct Hand {
        EquipmentInfo info;
        uint32_t type = EquipmentHand_None;   // the item's type in this hand
        uint32_t allows = EquipmentHand_All;  // what the other hand may then hold
    };

    explicit EquipmentCtrlWeaponSet(bool alternate);
    virtual ~EquipmentCtrlWeaponSet() = default;

    void SetParent(uint32_t parentId) { m_parentId = parentId; }
    void SetController(ControllerCharacter* controller) { m_controller = controller; }

    // Each stores the flag and re-sifts both hands.
    void SetIgnoreRequirements(bool ignore);
    void SetAlternate(bool alternate);
    void SetAllowDualWeapons(bool allow);
    bool IsAlternate() const { return m_alternate; }
    bool GetAllowDualWeapons() const { return m_allowDualWeapons; }

    const Hand& GetHand(Side side) const { return m_hands[side]; }
    // The item the hand holds: its own, or the other hand's two-handed item.
    uint32_t GetEffectiveItem(Side side) const;

    // Whether the item may go into the hand; with onlyIfEmpty the hand (and, for a
    // two-handed item, the other hand) must be empty.
    bool CanItemBePlaced(Side side, uint32_t itemId, bool onlyIfEmpty) const;
    // Puts the item (0 to empty the hand) into the hand without testing; itemId becomes
    // the item that had to leave (0 for none). An id that names no item changes nothing.
    // False when nothing changed.
    bool PlaceItem(Side side, uint32_t& itemId, bool silent);

    // Attaches each hand's item whose requirements are met while the set is in use, and
    // detaches every other.
    void Resift();

    // The hand's item record, in the character save.
    void StreamProperties(IOStream& stream);

    // Empties both hands without commands (the character is gone or being reloaded).
    void Clear();

private:
    friend class EquipmentCtrl;

    Character* GetParent() const;
    bool AreRequirementsMet(const Item& item) const;
    // Empties the hand, detaching its item (a command only while the set is in use).
    void ClearHand(Side side);
    void SetAttached(EquipmentInfo& info, bool attached);
    void StreamHand(IOStream& stream, Side side);

    uint32_t m_parentId = 0;
    ControllerCharacter* m_controller = nullptr;   // not owned
    bool m_ignoreRequirements = false;
    bool m_alternate = false;
    bool m_allowDualWeapons = false;
    std::array<Hand, 2> m_hands;
};

class EquipmentCtrl {
public:
    EquipmentCtrl();
    virtual ~EquipmentCtrl() = default;
    EquipmentCtrl(const EquipmentCtrl&) = default;
    EquipmentCtrl& operator=(const EquipmentCtrl&) = default;

    // The character is kept by id and looked up at each use.
    void SetParent(Character* parent);
    Character* GetParent() const;
    void SetController(ControllerCharacter* controller);
    ControllerCharacter* GetController() const { return m_controller; }

    void SetIgnoreRequirements(bool ignore);
    bool GetIgnoreRequirements() const { return m_ignoreRequirements; }
    // The second weapon set in use instead of the first. The set leaving use detaches its
    // items before the other attaches its own.
    void SetAlternateEquipment(bool alternate);
    bool IsAlternateEquipment() const { return m_useAlternate; }
    // Items already held stay when dual weapons become forbidden.
    void SetAllowDualWeapons(bool allow);

    const EquipmentCtrlWeaponSet& GetWeaponSet(bool alternate) const { return alternate ? m_alternateSet : m_mainSet; }
    const EquipmentInfo& GetSlot(EquipmentCtrlLocation location) const;

    // The place's item; for the hands what the set in use holds there.
    uint32_t GetItem(EquipmentCtrlLocation location) const;
    uint32_t GetItem_Head() const { return GetItem(EquipmentCtrlLocation_Head); }
    uint32_t GetItem_Neck() const { return GetItem(EquipmentCtrlLocation_Neck); }
    uint32_t GetItem_UpperBody() const { return GetItem(EquipmentCtrlLocation_UpperBody); }
    uint32_t GetItem_LowerBody() const { return GetItem(EquipmentCtrlLocation_LowerBody); }
    uint32_t GetItem_Finger1() const { return GetItem(EquipmentCtrlLocation_Finger1); }
    uint32_t GetItem_Finger2() const { return GetItem(EquipmentCtrlLocation_Finger2); }
    uint32_t GetItem_Forearm() const { return GetItem(EquipmentCtrlLocation_Forearm); }
    uint32_t GetItem_HandRight() const { return GetItem(EquipmentCtrlLocation_HandRight); }
    uint32_t GetItem_HandLeft() const { return GetItem(EquipmentCtrlLocation_HandLeft); }

    // Whether the item may go to the place (occupied or not; hands of the set in use).
    // The flag is left as it is.
    bool CanItemBePlaced(EquipmentCtrlLocation location, uint32_t itemId, bool& flag) const;
    // One of the seven body places (not the hands): the item's class, then requirements.
    bool CanItemBePlacedInSlot(EquipmentCtrlLocation location, uint32_t itemId, bool onlyIfEmpty) const;
    bool CanItemBePlaced_Head(uint32_t id, bool onlyIfEmpty) const { return CanItemBePlacedInSlot(EquipmentCtrlLocation_Head, id, onlyIfEmpty); }
    bool CanItemBePlaced_Neck(uint32_t id, bool onlyIfEmpty) const { return CanItemBePlacedInSlot(EquipmentCtrlLocation_Neck, id, onlyIfEmpty); }
    bool CanItemBePlaced_UpperBody(uint32_t id, bool onlyIfEmpty) const { return CanItemBePlacedInSlot(EquipmentCtrlLocation_UpperBody, id, onlyIfEmpty); }
    bool CanItemBePlaced_LowerBody(uint32_t id, bool onlyIfEmpty) const { return CanItemBePlacedInSlot(EquipmentCtrlLocation_LowerBody, id, onlyIfEmpty); }
    bool CanItemBePlaced_Finger1(uint32_t id, bool onlyIfEmpty) const { return CanItemBePlacedInSlot(EquipmentCtrlLocation_Finger1, id, onlyIfEmpty); }
    bool CanItemBePlaced_Finger2(uint32_t id, bool onlyIfEmpty) const { return CanItemBePlacedInSlot(EquipmentCtrlLocation_Finger2, id, onlyIfEmpty); }
    bool CanItemBePlaced_Forearm(uint32_t id, bool onlyIfEmpty) const { return CanItemBePlacedInSlot(EquipmentCtrlLocation_Forearm, id, onlyIfEmpty); }
    bool CanItemBePlaced_HandRight(uint32_t id, bool& flag, bool onlyIfEmpty, bool otherSet) const;
    bool CanItemBePlaced_HandLeft(uint32_t id, bool& flag, bool onlyIfEmpty, bool otherSet) const;

    // Puts the item in (its drop sound plays; hands of the set in use); itemId becomes the
    // item that had to leave (0 for none). Callers test first.
    void PlaceItem(EquipmentCtrlLocation location, uint32_t& itemId);
    // One of the seven body places: the old item detached, the new one attached.
    void PlaceItemInSlot(EquipmentCtrlLocation location, uint32_t& itemId, bool silent);
    void PlaceItem_Head(uint32_t& id, bool silent) { PlaceItemInSlot(EquipmentCtrlLocation_Head, id, silent); }
    void PlaceItem_Neck(uint32_t& id, bool silent) { PlaceItemInSlot(EquipmentCtrlLocation_Neck, id, silent); }
    void PlaceItem_UpperBody(uint32_t& id, bool silent) { PlaceItemInSlot(EquipmentCtrlLocation_UpperBody, id, silent); }
    void PlaceItem_LowerBody(uint32_t& id, bool silent) { PlaceItemInSlot(EquipmentCtrlLocation_LowerBody, id, silent); }
    void PlaceItem_Finger1(uint32_t& id, bool silent) { PlaceItemInSlot(EquipmentCtrlLocation_Finger1, id, silent); }
    void PlaceItem_Finger2(uint32_t& id, bool silent) { PlaceItemInSlot(EquipmentCtrlLocation_Finger2, id, silent); }
    void PlaceItem_Forearm(uint32_t& id, bool silent) { PlaceItemInSlot(EquipmentCtrlLocation_Forearm, id, silent); }
    void PlaceItem_HandRight(uint32_t& id, bool otherSet, bool silent);
    void PlaceItem_HandLeft(uint32_t& id, bool otherSet, bool silent);

    // Puts the item, silently, into the first empty place that takes it: the body places,
    // then the right and the left hand of the set in use. An item already held anywhere
    // is not placed a second time.
    bool AutoInsertItem(uint32_t itemId);
    // Takes the item off the character, out of whichever place holds it; the item itself
    // stays where it is. False when it was not held.
    bool RemoveItem(uint32_t itemId);
    // Whether a place holds the item (either set).
    bool IsItemHeld(uint32_t itemId) const;
    // The attached flag of the first place holding it; the fingers come before the forearm.
    bool IsItemAttached(uint32_t itemId) const;
    bool AreRequirementsMet(const Item* item) const;
    // Attaches what now meets its requirements and detaches what no longer does.
    void AttributesHaveChanged();

    // The equipment's block of the character save: which set is in use, the seven body
    // places (head, neck, upper body, lower body, forearm, fingers), then the main and the
    // alternate weapon sets. Read items get fresh ids and join the character's inventory;
    // an item its place does not take goes to the inventory only.
    void StreamProperties(IOStream& stream);

private:
    static constexpr std::size_t kSlotCount = 7;

    EquipmentInfo* SlotOf(EquipmentCtrlLocation location);
    EquipmentCtrlWeaponSet& SetInUse(bool otherSet) { return (m_useAlternate != otherSet) ? m_alternateSet : m_mainSet; }
    const EquipmentCtrlWeaponSet& SetInUse(bool otherSet) const
    {
        return (m_useAlternate != otherSet) ? m_alternateSet : m_mainSet;
    }
    // Places into a set's hand; placing into the alternate set tells a player that it
    // uses its alternate configuration.
    void PlaceInSet(EquipmentCtrlWeaponSet& set, EquipmentCtrlWeaponSet::Side side, uint32_t& itemId, bool silent);
    void SetAttached(EquipmentInfo& info, bool attached);
    void ResiftSlots();
    void StreamSlot(IOStream& stream, EquipmentCtrlLocation location);

    uint32_t m_parentId = 0;
    ControllerCharacter* m_controller = nullptr;   // not owned: the controller owns this
    bool m_ignoreRequirements = false;
    bool m_useAlternate = false;
    std::array<EquipmentInfo, kSlotCount> m_slots;   // by EquipmentCtrlLocation - 1
    EquipmentCtrlWeaponSet m_mainSet{false};
    EquipmentCtrlWeaponSet m_alternateSet{true};
};

}  // namespace GAME
