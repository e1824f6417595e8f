#include "Game/items/EquipmentCtrl.h"

#include <cmath>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerCharacter.h"
#include "Game/characters/Player.h"
#include "Game/items/Armor.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/ItemReplicaInfo.h"

namespace GAME {

namespace {

using Side = EquipmentCtrlWeaponSet::Side;

// Without dual weapons a hand never receives a melee weapon meant for the left hand.
constexpr uint32_t kDualMask = EquipmentHand_All & ~EquipmentHand_MeleeLeft;   // 62

// The walk of saving, auto-inserting and removing (the forearm before the fingers).
constexpr EquipmentCtrlLocation kSlotWalk[] = {
    EquipmentCtrlLocation_Head,    EquipmentCtrlLocation_Neck,    EquipmentCtrlLocation_UpperBody,
    EquipmentCtrlLocation_LowerBody, EquipmentCtrlLocation_Forearm, EquipmentCtrlLocation_Finger1,
    EquipmentCtrlLocation_Finger2,
};

// Body location and log name of the seven body places, by EquipmentCtrlLocation - 1.
struct SlotRow {
    EquipLocations location;
    const char* name;
};
constexpr SlotRow kSlotRows[] = {
    {EquipLocation_Head, "head"},       {EquipLocation_Neck, "neck"},       {EquipLocation_UpperBody, "upper body"},
    {EquipLocation_LowerBody, "lower body"}, {EquipLocation_Finger, "first finger"}, {EquipLocation_Finger, "second finger"},
    {EquipLocation_Forearm, "forearm"},
};

constexpr bool IsBodySlot(EquipmentCtrlLocation location)
{
    return location >= EquipmentCtrlLocation_Head && location <= EquipmentCtrlLocation_Forearm;
}

bool SlotAccepts(EquipmentCtrlLocation location, const Item& item)
{
    switch (location) {
    case EquipmentCtrlLocation_Head: return item.IsA<ArmorProtective_Head>();
    case EquipmentCtrlLocation_Neck: return item.IsA<ArmorJewelry_Amulet>();
    case EquipmentCtrlLocation_UpperBody:
        return item.IsA<ArmorProtective_UpperBody>() || item.IsA<ArmorMisc_Vestment>() || item.IsA<ArmorMisc_Clothing>();
    case EquipmentCtrlLocation_LowerBody: return item.IsA<ArmorProtective_LowerBody>();
    case EquipmentCtrlLocation_Finger1:
    case EquipmentCtrlLocation_Finger2: return item.IsA<ArmorJewelry_Ring>();
    case EquipmentCtrlLocation_Forearm: return item.IsA<ArmorProtective_Forearm>() || item.IsA<ArmorJewelry_Bracelet>();
    default: return false;
    }
}

Item* ItemOf(uint32_t id) { return id ? ObjectManager::Get().GetObject<Item>(id) : nullptr; }

Character* CharacterOf(uint32_t id) { return id ? ObjectManager::Get().GetObject<Character>(id) : nullptr; }

// A total attribute as the whole number the requirements compare with.
uint32_t WholeAttribute(const Character* character, CharAttributeType type)
{
    const float value = character ? character->GetTotalCharAttribute(type) : 0.0f;
    if (!(value > 0.0f))
        return 0;
    if (value >= static_cast<float>(std::numeric_limits<uint32_t>::max()))
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(value);
}

bool RequirementsMet(const Character* character, const Item& item, bool ignore)
{
    return ignore || item.IsItemAvailable(character, WholeAttribute(character, CharAttributeType_Strength),
                                          WholeAttribute(character, CharAttributeType_Dexterity),
                                          WholeAttribute(character, CharAttributeType_Intelligence));
}

// Sets the flag and, with a controller, queues the matching command.
void SendAttached(ControllerCharacter* controller, EquipmentInfo& info, bool attached)
{
    info.attached = attached;
    if (!controller)
        return;
    if (attached)
        controller->SendEquipAttachAction(info.itemId, info.location);
    else
        controller->SendEquipDetachAction(info.itemId);
}

// Empties the place at once, without a command: an attached item comes off the character
// and goes back to its inventory.
void TakeOff(Character* parent, EquipmentInfo& info)
{
    if (info.itemId && info.attached && parent)
        parent->DetachItemAction(info.itemId);
    info.itemId = 0;
    info.attached = false;
}

// Writes the place's item (an empty "baseName" when none); reads a record and makes its
// item with a fresh id, listed in the character's inventory. Null when nothing was made.
Item* StreamItemRecord(IOStream& stream, Character* parent, const EquipmentInfo& info, bool& attached)
{
    ItemReplicaInfo identity;
    attached = false;
    if (!stream.IsReading()) {
        if (const Item* item = ItemOf(info.itemId)) {
            item->GetItemReplicaInfo(identity);
            attached = info.attached;
        }
    }
    identity.StreamAttachedItemReplica(stream, attached);
    if (!stream.IsReading() || stream.Failed() || identity.baseName.empty())
        return nullptr;
    if (!parent) {
        gEngine->Log(LOG_WARNING, "EquipmentCtrl: the saved item \"%s\" has no character to go to and is left out",
                     identity.baseName.c_str());
        return nullptr;
    }
    identity.objectId = 0;
    Item* item = Item::CreateItem(identity);
    if (!item) {
        gEngine->Log(LOG_WARNING, "EquipmentCtrl: the saved item \"%s\" makes no item; its place stays as it was",
                     identity.baseName.c_str());
        return nullptr;
    }
    parent->GetInventory().AddItemToInventory(item->GetObjectId(), true);
    return item;
}

// A read item goes into the place; attached at once (no command) when the save says so.
void FillFromSave(Character& parent, EquipmentInfo& info, const Item& item, bool attached)
{
    info.itemId = item.GetObjectId();
    info.attached = attached;
    if (attached)
        parent.AttachItemAction(info.itemId, info.location);
}

}  // namespace

uint32_t EquipmentHandAllows(uint32_t handType)
{
    switch (handType) {
    case EquipmentHand_MeleeLeft: return EquipmentHand_MeleeRight;
    case EquipmentHand_MeleeRight: return EquipmentHand_MeleeLeft | EquipmentHand_Shield;
    case EquipmentHand_Bow:
    case EquipmentHand_Staff: return EquipmentHand_None;
    case EquipmentHand_Spear: return EquipmentHand_Shield;
    case EquipmentHand_Shield: return EquipmentHand_MeleeRight | EquipmentHand_Spear;
    default: return EquipmentHand_All;
    }
}

// ---- One weapon set ----------------------------------------------------------------------

namespace {

constexpr Side Other(Side side) { return side == Side::Right ? Side::Left : Side::Right; }

uint32_t HandType(const Item& item, Side side)
{
    return static_cast<uint32_t>(side == Side::Right ? item.GetRightHandType() : item.GetLeftHandType());
}

}  // namespace

EquipmentCtrlWeaponSet::EquipmentCtrlWeaponSet(bool alternate) : m_alternate(alternate)
{
    m_hands[Right].info.location = EquipLocation_RightHand;
    m_hands[Left].info.location = EquipLocation_LeftHand;
}

Character* EquipmentCtrlWeaponSet::GetParent() const { return CharacterOf(m_parentId); }

bool EquipmentCtrlWeaponSet::AreRequirementsMet(const Item& item) const
{
    return RequirementsMet(GetParent(), item, m_ignoreRequirements);
}

void EquipmentCtrlWeaponSet::SetIgnoreRequirements(bool ignore)
{
    m_ignoreRequirements = ignore;
    Resift();
}

void EquipmentCtrlWeaponSet::SetAlternate(bool alternate)
{
    m_alternate = alternate;
    Resift();
}

void EquipmentCtrlWeaponSet::SetAllowDualWeapons(bool allow)
{
    m_allowDualWeapons = allow;
    Resift();
}

uint32_t EquipmentCtrlWeaponSet::GetEffectiveItem(Side side) const
{
    const Hand& hand = m_hands[side];
    const Hand& other = m_hands[Other(side)];
    if (hand.info.itemId)
        return hand.info.itemId;
    return IsTwoHanded(other.type) ? other.info.itemId : 0;
}

bool EquipmentCtrlWeaponSet::CanItemBePlaced(Side side, uint32_t itemId, bool onlyIfEmpty) const
{
    const Side otherSide = Other(side);
    if (onlyIfEmpty && GetEffectiveItem(side))
        return false;
    const Item* item = ItemOf(itemId);
    if (!item)
        return false;
    const uint32_t type = HandType(*item, side);
    if (onlyIfEmpty && IsTwoHanded(type) && GetEffectiveItem(otherSide))
        return false;
    // A two-handed item can send back only one item.
    const uint32_t right = GetEffectiveItem(Right);
    const uint32_t left = GetEffectiveItem(Left);
    if (IsTwoHanded(type) && right && left && right != left)
        return false;
    const uint32_t mask = m_allowDualWeapons ? EquipmentHand_All : kDualMask;
    const Hand& other = m_hands[otherSide];
    // A two-handed neighbour would leave; a two-handed newcomer sends the other hand away.
    const bool fits = IsTwoHanded(other.type) || IsTwoHanded(type) ? (type & mask) != 0
                                                                     : (type & mask & other.allows) != 0;
    return fits && AreRequirementsMet(*item);
}

void EquipmentCtrlWeaponSet::SetAttached(EquipmentInfo& info, bool attached)
{
    if (m_alternate)
        info.attached = attached;   // a set not in use sends nothing
    else
        SendAttached(m_controller, info, attached);
}

void EquipmentCtrlWeaponSet::ClearHand(Side side)
{
    Hand& hand = m_hands[side];
    if (hand.info.itemId)
        SetAttached(hand.info, false);
    hand.info.itemId = 0;
    hand.info.attached = false;
    hand.type = EquipmentHand_None;
    hand.allows = EquipmentHand_All;
}

bool EquipmentCtrlWeaponSet::PlaceItem(Side side, uint32_t& itemId, bool silent)
{
    const Side otherSide = Other(side);
    uint32_t type = EquipmentHand_None;
    if (itemId) {
        Item* item = ItemOf(itemId);
        if (!item)
            return false;
        if (!silent)
            item->PlayDropSound();
        type = HandType(*item, side);
    }
    uint32_t previous = GetEffectiveItem(side);
    ClearHand(side);
    if (IsTwoHanded(m_hands[otherSide].type))
        ClearHand(otherSide);
    if (previous == 0 && IsTwoHanded(type)) {
        previous = GetEffectiveItem(otherSide);
        ClearHand(otherSide);
    }
    Hand& hand = m_hands[side];
    hand.info.itemId = itemId;
    hand.type = type;
    hand.allows = itemId ? EquipmentHandAllows(type) : static_cast<uint32_t>(EquipmentHand_All);
    if (itemId && !m_alternate)
        SetAttached(hand.info, true);
    itemId = previous;
    return true;
}

void EquipmentCtrlWeaponSet::Resift()
{
    for (Hand& hand : m_hands) {
        const Item* item = ItemOf(hand.info.itemId);
        if (!item)
            continue;
        const bool attach = !m_alternate && AreRequirementsMet(*item);
        // A set leaving use still sends the detach of what it held.
        if (attach != hand.info.attached)
            SendAttached(m_controller, hand.info, attach);
    }
}

void EquipmentCtrlWeaponSet::Clear()
{
    Character* parent = GetParent();
    for (Hand& hand : m_hands) {
        TakeOff(parent, hand.info);
        hand.type = EquipmentHand_None;
        hand.allows = EquipmentHand_All;
    }
}

void EquipmentCtrlWeaponSet::StreamHand(IOStream& stream, Side side)
{
    Character* parent = GetParent();
    bool attached = false;
    const Item* item = StreamItemRecord(stream, parent, m_hands[side].info, attached);
    if (!item)
        return;
    const uint32_t type = HandType(*item, side);
    const Hand& other = m_hands[Other(side)];
    const char* hand = side == Right ? "right" : "left";
    if (type == EquipmentHand_None) {
        gEngine->Log(LOG_WARNING, "EquipmentCtrl: the saved %s is not held in the %s hand; it goes to the inventory",
                     item->GetObjectName().c_str(), hand);
        return;
    }
    if (other.info.itemId && (IsTwoHanded(type) || IsTwoHanded(other.type))) {
        gEngine->Log(LOG_WARNING, "EquipmentCtrl: the saved %s shares the hands with a two-handed item; it goes to the inventory",
                     item->GetObjectName().c_str());
        return;
    }
    if (attached && m_alternate) {
        gEngine->Log(LOG_WARNING, "EquipmentCtrl: the saved %s belongs to the weapon set not in use; it stays detached",
                     item->GetObjectName().c_str());
        attached = false;
    }
    Hand& own = m_hands[side];
    FillFromSave(*parent, own.info, *item, attached);
    own.type = type;
    own.allows = EquipmentHandAllows(type);
}

void EquipmentCtrlWeaponSet::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    bool alternate = m_alternate;
    stream.StreamBool("alternate", alternate);
    // Which set is in use was read before; a set that disagrees is told so in the log.
    if (stream.IsReading() && !stream.Failed() && alternate != m_alternate)
        gEngine->Log(LOG_WARNING, "EquipmentCtrl: a saved weapon set's \"alternate\" disagrees with \"useAlternate\"; "
                                  "\"useAlternate\" decides");
    StreamHand(stream, Right);
    StreamHand(stream, Left);
    stream.EndBlock();
}

// ---- The equipment control ---------------------------------------------------------------

EquipmentCtrl::EquipmentCtrl()
{
    for (size_t i = 0; i < kSlotCount; ++i)
        m_slots[i].location = kSlotRows[i].location;
}

void EquipmentCtrl::SetParent(Character* parent)
{
    m_parentId = parent ? parent->GetObjectId() : 0;
    m_mainSet.SetParent(m_parentId);
    m_alternateSet.SetParent(m_parentId);
}

Character* EquipmentCtrl::GetParent() const { return CharacterOf(m_parentId); }

void EquipmentCtrl::SetController(ControllerCharacter* controller)
{
    m_controller = controller;
    m_mainSet.SetController(controller);
    m_alternateSet.SetController(controller);
}

void EquipmentCtrl::SetIgnoreRequirements(bool ignore)
{
    m_ignoreRequirements = ignore;
    AttributesHaveChanged();
    m_mainSet.SetIgnoreRequirements(ignore);
    m_alternateSet.SetIgnoreRequirements(ignore);
}

void EquipmentCtrl::SetAlternateEquipment(bool alternate)
{
    m_useAlternate = alternate;
    EquipmentCtrlWeaponSet& leaving = alternate ? m_mainSet : m_alternateSet;
    EquipmentCtrlWeaponSet& entering = alternate ? m_alternateSet : m_mainSet;
    leaving.SetAlternate(true);
    entering.SetAlternate(false);
    AttributesHaveChanged();
}

void EquipmentCtrl::SetAllowDualWeapons(bool allow)
{
    m_mainSet.SetAllowDualWeapons(allow);
    m_alternateSet.SetAllowDualWeapons(allow);
    AttributesHaveChanged();
}

EquipmentInfo* EquipmentCtrl::SlotOf(EquipmentCtrlLocation location)
{
    return IsBodySlot(location) ? &m_slots[location - 1] : nullptr;
}

const EquipmentInfo& EquipmentCtrl::GetSlot(EquipmentCtrlLocation location) const
{
    static const EquipmentInfo kNone;
    return IsBodySlot(location) ? m_slots[location - 1] : kNone;
}

uint32_t EquipmentCtrl::GetItem(EquipmentCtrlLocation location) const
{
    if (location == EquipmentCtrlLocation_HandRight)
        return SetInUse(false).GetEffectiveItem(Side::Right);
    if (location == EquipmentCtrlLocation_HandLeft)
        return SetInUse(false).GetEffectiveItem(Side::Left);
    return GetSlot(location).itemId;
}

bool EquipmentCtrl::AreRequirementsMet(const Item* item) const
{
    return item && RequirementsMet(GetParent(), *item, m_ignoreRequirements);
}

bool EquipmentCtrl::CanItemBePlacedInSlot(EquipmentCtrlLocation location, uint32_t itemId, bool onlyIfEmpty) const
{
    if (!IsBodySlot(location) || (onlyIfEmpty && GetSlot(location).itemId))
        return false;
    const Item* item = ItemOf(itemId);
    return item && SlotAccepts(location, *item) && AreRequirementsMet(item);
}

bool EquipmentCtrl::CanItemBePlaced_HandRight(uint32_t id, bool&, bool onlyIfEmpty, bool otherSet) const
{
    return SetInUse(otherSet).CanItemBePlaced(Side::Right, id, onlyIfEmpty);
}

bool EquipmentCtrl::CanItemBePlaced_HandLeft(uint32_t id, bool&, bool onlyIfEmpty, bool otherSet) const
{
    return SetInUse(otherSet).CanItemBePlaced(Side::Left, id, onlyIfEmpty);
}

bool EquipmentCtrl::CanItemBePlaced(EquipmentCtrlLocation location, uint32_t itemId, bool& flag) const
{
    if (location == EquipmentCtrlLocation_HandRight)
        return CanItemBePlaced_HandRight(itemId, flag, false, false);
    if (location == EquipmentCtrlLocation_HandLeft)
        return CanItemBePlaced_HandLeft(itemId, flag, false, false);
    return CanItemBePlacedInSlot(location, itemId, false);
}

void EquipmentCtrl::SetAttached(EquipmentInfo& info, bool attached) { SendAttached(m_controller, info, attached); }

void EquipmentCtrl::PlaceItemInSlot(EquipmentCtrlLocation location, uint32_t& itemId, bool silent)
{
    EquipmentInfo* slot = SlotOf(location);
    Item* item = ItemOf(itemId);
    if (!slot || (itemId && !item))
        return;
    if (item && !silent)
        item->PlayDropSound();
    const uint32_t old = slot->itemId;
    if (old)
        SetAttached(*slot, false);
    slot->itemId = itemId;
    slot->attached = false;
    if (itemId)
        SetAttached(*slot, true);
    itemId = old;
}

void EquipmentCtrl::PlaceInSet(EquipmentCtrlWeaponSet& set, EquipmentCtrlWeaponSet::Side side, uint32_t& itemId,
                               bool silent)
{
    if (!set.PlaceItem(side, itemId, silent) || &set != &m_alternateSet)
        return;
    if (Player* player = DynamicCast<Player>(GetParent()))
        player->EnableAlternateConfig();
}

void EquipmentCtrl::PlaceItem_HandRight(uint32_t& id, bool otherSet, bool silent)
{
    PlaceInSet(SetInUse(otherSet), Side::Right, id, silent);
}

void EquipmentCtrl::PlaceItem_HandLeft(uint32_t& id, bool otherSet, bool silent)
{
    PlaceInSet(SetInUse(otherSet), Side::Left, id, silent);
}

void EquipmentCtrl::PlaceItem(EquipmentCtrlLocation location, uint32_t& itemId)
{
    if (location == EquipmentCtrlLocation_HandRight)
        PlaceItem_HandRight(itemId, false, false);
    else if (location == EquipmentCtrlLocation_HandLeft)
        PlaceItem_HandLeft(itemId, false, false);
    else
        PlaceItemInSlot(location, itemId, false);
}

bool EquipmentCtrl::IsItemHeld(uint32_t itemId) const
{
    if (itemId == 0)
        return false;
    for (const EquipmentInfo& slot : m_slots)
        if (slot.itemId == itemId)
            return true;
    for (const EquipmentCtrlWeaponSet* set : {&m_mainSet, &m_alternateSet})
        for (const EquipmentCtrlWeaponSet::Hand& hand : set->m_hands)
            if (hand.info.itemId == itemId)
                return true;
    return false;
}

bool EquipmentCtrl::AutoInsertItem(uint32_t itemId)
{
    // An item already held would sit in two places and be attached twice.
    if (!ItemOf(itemId) || IsItemHeld(itemId))
        return false;
    for (EquipmentCtrlLocation location : kSlotWalk) {
        if (CanItemBePlacedInSlot(location, itemId, true)) {
            uint32_t placed = itemId;
            PlaceItemInSlot(location, placed, true);
            return true;
        }
    }
    EquipmentCtrlWeaponSet& set = SetInUse(false);
    for (Side side : {Side::Right, Side::Left}) {
        if (set.CanItemBePlaced(side, itemId, true)) {
            uint32_t placed = itemId;
            PlaceInSet(set, side, placed, true);
            return true;
        }
    }
    return false;
}

bool EquipmentCtrl::RemoveItem(uint32_t itemId)
{
    if (itemId == 0)
        return false;
    for (EquipmentCtrlLocation location : kSlotWalk) {
        if (GetSlot(location).itemId == itemId) {
            uint32_t none = 0;
            PlaceItemInSlot(location, none, true);
            return true;
        }
    }
    for (EquipmentCtrlWeaponSet* set : {&m_mainSet, &m_alternateSet}) {
        for (Side side : {Side::Right, Side::Left}) {
            if (set->GetEffectiveItem(side) == itemId) {
                uint32_t none = 0;
                PlaceInSet(*set, side, none, true);
                return true;
            }
        }
    }
    return false;
}

bool EquipmentCtrl::IsItemAttached(uint32_t itemId) const
{
    // Slot order here: both fingers before the forearm.
    for (const EquipmentInfo& slot : m_slots)
        if (slot.itemId == itemId)
            return slot.attached;
    for (const EquipmentCtrlWeaponSet* set : {&m_mainSet, &m_alternateSet})
        for (const EquipmentCtrlWeaponSet::Hand& hand : set->m_hands)
            if (hand.info.itemId == itemId)
                return hand.info.attached;
    return false;
}

void EquipmentCtrl::ResiftSlots()
{
    for (EquipmentInfo& slot : m_slots) {
        const Item* item = ItemOf(slot.itemId);
        if (!item)
            continue;
        const bool met = AreRequirementsMet(item);
        if (met != slot.attached)
            SetAttached(slot, met);
    }
}

void EquipmentCtrl::AttributesHaveChanged()
{
    ResiftSlots();
    // The set not in use first, so that its detaches come before the other's attaches.
    SetInUse(true).Resift();
    SetInUse(false).Resift();
}

void EquipmentCtrl::StreamSlot(IOStream& stream, EquipmentCtrlLocation location)
{
    EquipmentInfo& slot = *SlotOf(location);
    Character* parent = GetParent();
    bool attached = false;
    const Item* item = StreamItemRecord(stream, parent, slot, attached);
    if (!item)
        return;
    if (!SlotAccepts(location, *item)) {
        gEngine->Log(LOG_WARNING, "EquipmentCtrl: the saved %s does not go on the %s; it goes to the inventory",
                     item->GetObjectName().c_str(), kSlotRows[location - 1].name);
        return;
    }
    FillFromSave(*parent, slot, *item, attached);
}

void EquipmentCtrl::StreamProperties(IOStream& stream)
{
    // What is read replaces what is worn: the worn items go back to the inventory first.
    if (stream.IsReading() && !stream.Failed()) {
        Character* parent = GetParent();
        for (EquipmentInfo& slot : m_slots)
            TakeOff(parent, slot);
        m_mainSet.Clear();
        m_alternateSet.Clear();
    }
    stream.BeginBlock();
    bool useAlternate = m_useAlternate;
    stream.StreamBool("useAlternate", useAlternate);
    if (stream.IsReading() && !stream.Failed()) {
        m_useAlternate = useAlternate;
        m_mainSet.m_alternate = useAlternate;
        m_alternateSet.m_alternate = !useAlternate;
    }
    for (EquipmentCtrlLocation location : kSlotWalk)
        StreamSlot(stream, location);
    m_mainSet.StreamProperties(stream);
    m_alternateSet.StreamProperties(stream);
    stream.EndBlock();
}

}  // namespace GAME
