#include "Game/items/EquipManager.h"

#include <algorithm>

#include "Game/core/foundation/StringUtil.h"
#include "Game/characters/Character.h"
#include "Engine/Engine.h"
#include "Game/items/Armor.h"
#include "Game/items/Item.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/Weapon.h"
#include "Game/items/WeaponArmor_Shield.h"
#include "Game/world/Prop.h"

namespace GAME {

namespace {

struct BoneOfLocation {
    EquipLocations location;
    const char* bone;
};
// The bones items are attached at; the neck, the fingers and the no-bone location have none.
constexpr BoneOfLocation kBones[] = {
    {EquipLocation_RightHand, "R Hand"},   {EquipLocation_LeftHand, "L Hand"}, {EquipLocation_UpperBody, "Upper Body"},
    {EquipLocation_LowerBody, "Lower Body"}, {EquipLocation_Head, "Head"},     {EquipLocation_Forearm, "Forearm"},
};

bool IsOneHandedMelee(Weapon_Type type) { return type == Weapon_Axe || type == Weapon_Sword || type == Weapon_Mace; }

template <class T>
uint32_t IdIfA(uint32_t itemId)
{
    return ObjectManager::Get().GetObject<T>(itemId) ? itemId : 0;
}

Weapon_Type WeaponTypeOf(const EquipManagerContainer* container)
{
    const Weapon* weapon = container ? ObjectManager::Get().GetObject<Weapon>(container->itemId) : nullptr;
    return weapon ? weapon->GetWeaponType() : Weapon_None;
}

template <class Event>
void Announce(const char* name, uint32_t characterId, uint32_t itemId)
{
    Event event;
    event.characterId = characterId;
    event.itemId = itemId;
    EventManager::Get().Send(event, name);
}

}  // namespace

EquipLocations EquipManager::StringToLocation(const std::string& bone)
{
    for (const BoneOfLocation& entry : kBones)
        if (bone == entry.bone)
            return entry.location;
    return EquipLocation_None;
}

const char* EquipManager::LocationToString(EquipLocations location)
{
    for (const BoneOfLocation& entry : kBones)
        if (location == entry.location)
            return entry.bone;
    return "";
}

// ---- Record --------------------------------------------------------------------------------

void EquipManager::Load(const LoadTable& table)
{
    const std::string record = table.GetString("defaultHeadPiece", "");
    if (record.empty())
        return;
    // A record loaded again replaces the head piece rather than strand the old one.
    if (Object* old = ObjectManager::Get().GetObject(m_defaultHeadPiece))
        ObjectManager::Get().DestroyObjectEx(old, "EquipManager", __LINE__);
    m_defaultHeadPiece = 0;
    ItemReplicaInfo identity;
    identity.baseName = record;
    Item* item = Item::CreateItem(identity);
    if (!item)
        return;
    if (m_owner)
        m_owner->Attach(item, Coords(), Name(LocationToString(EquipLocation_Head)));
    m_defaultHeadPiece = item->GetObjectId();
}

void EquipManager::PreLoad(bool flag)
{
    for (const EquipManagerContainer& container : m_attached)
        if (container.rangedOrStaff)
            if (Item* item = ObjectManager::Get().GetObject<Item>(container.itemId))
                item->PreLoad(flag);
}

// ---- Attaching and detaching ---------------------------------------------------------------

void EquipManager::AttachItemAction(uint32_t itemId, EquipLocations location)
{
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item || !m_owner)
        return;
    if (HasItem(itemId)) {
        gEngine->Log(LOG_ERROR, "EquipManager: Attempt to attach item twice (ID:%d)", static_cast<int>(itemId));
        return;
    }
    if (!IsEquipSlot(location)) {
        gEngine->Log(LOG_WARNING, "EquipManager: item %u not attached at location %d, which is no equipment slot", itemId,
                     static_cast<int>(location));
        return;
    }
    EquipManagerContainer container{itemId, location};
    Weapon* weapon = DynamicCast<Weapon>(item);
    if (weapon) {
        const Weapon_Type type = weapon->GetWeaponType();
        container.oneHandedMelee = IsOneHandedMelee(type);
        container.rangedOrStaff = type == Weapon_Bow || type == Weapon_Staff;
    }
    m_attached.push_back(container);
    m_attachedIds.push_back(itemId);
    ItemEquipment::AttributesChanged();

    item->AttachItem(*m_owner, LocationToString(location));
    if (location == EquipLocation_RightHand || location == EquipLocation_LeftHand)
        ForceRightHand();
    else if (location == EquipLocation_Head)
        SetDefaultHeadPieceVisible(false);

    Announce<GameEvent_ItemAttach>("GameEvent_ItemAttach", m_owner->GetObjectId(), itemId);
    ShowHandState();
    if (weapon)
        weapon->SetWeaponEnchantment(*m_owner, m_enchantment);
}

void EquipManager::DetachItemAction(uint32_t itemId)
{
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item || !m_owner)
        return;
    const auto found = std::find(m_attachedIds.begin(), m_attachedIds.end(), itemId);
    if (found == m_attachedIds.end())
        return;
    if (Weapon* weapon = DynamicCast<Weapon>(item))
        weapon->SetWeaponEnchantment(*m_owner, std::string());
    const auto index = found - m_attachedIds.begin();
    const EquipLocations location = m_attached[static_cast<size_t>(index)].location;
    m_attached.erase(m_attached.begin() + index);
    m_attachedIds.erase(found);
    ItemEquipment::AttributesChanged();
    if (location == EquipLocation_Head && !HasLocation(EquipLocation_Head))
        SetDefaultHeadPieceVisible(true);

    item->DetachItem(*m_owner);
    ForceRightHand();
    ShowHandState();
    Announce<GameEvent_ItemDetach>("GameEvent_ItemDetach", m_owner->GetObjectId(), itemId);
}

void EquipManager::RemoveItem(const std::string& recordName)
{
    // Collected first: detaching changes the list walked.
    std::vector<uint32_t> matching;
    for (uint32_t itemId : m_attachedIds)
        if (const Object* item = ObjectManager::Get().GetObject(itemId);
            item && PathEqualsNoCase(item->GetObjectName().c_str(), recordName.c_str()))
            matching.push_back(itemId);
    for (uint32_t itemId : matching)
        DetachItemAction(itemId);
}

void EquipManager::DestroyAllObjects()
{
    // Taken out first: destroying an item may reach back into its wearer.
    std::vector<uint32_t> items;
    items.swap(m_attachedIds);
    m_attached.clear();
    ItemEquipment::AttributesChanged();
    items.push_back(m_defaultHeadPiece);
    m_defaultHeadPiece = 0;
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t itemId : items)
        if (Object* item = objects.GetObject(itemId))
            objects.DestroyObjectEx(item, "EquipManager", __LINE__);
}

void EquipManager::ForceRightHand()
{
    EquipManagerContainer* left = FindLeftContainer();
    if (!left)
        return;
    Item* item = ObjectManager::Get().GetObject<Item>(left->itemId);
    const bool rightHeld = HasLocation(EquipLocation_RightHand);
    if (!rightHeld && left->oneHandedMelee && !left->shownInRightHand) {
        left->shownInRightHand = true;
        HandsChanged();
        if (item)
            MoveToBone(*item, LocationToString(EquipLocation_RightHand));
    } else if (rightHeld && left->shownInRightHand) {
        left->shownInRightHand = false;
        HandsChanged();
        if (item)
            MoveToBone(*item, LocationToString(EquipLocation_LeftHand));
    }
}

void EquipManager::MoveToBone(Item& item, const char* bone)
{
    m_owner->Detach(&item);
    m_owner->Attach(&item, Coords(), Name(bone));
}

void EquipManager::SetDefaultHeadPieceVisible(bool visible)
{
    if (Actor* head = ObjectManager::Get().GetObject<Actor>(m_defaultHeadPiece))
        head->SetVisibility(visible);
}

void EquipManager::ShowHandState()
{
    if (m_owner)
        m_owner->SetAnimation(GetHandState());
}

// ---- Queries -------------------------------------------------------------------------------

void EquipManager::GetAllAttachedItems(std::vector<uint32_t>& out) const
{
    out.insert(out.end(), m_attachedIds.begin(), m_attachedIds.end());
}

void EquipManager::GetAllArmor(std::vector<uint32_t>& out) const
{
    for (uint32_t itemId : m_attachedIds)
        if (ObjectManager::Get().GetObject<Armor>(itemId))
            out.push_back(itemId);
}

void EquipManager::GetAllNonWeapons(std::vector<uint32_t>& out) const
{
    for (uint32_t itemId : m_attachedIds)
        if (!ObjectManager::Get().GetObject<Weapon>(itemId))
            out.push_back(itemId);
}

bool EquipManager::HasLocation(EquipLocations location) const
{
    return std::any_of(m_attached.begin(), m_attached.end(),
                       [location](const EquipManagerContainer& container) { return container.location == location; });
}

uint32_t EquipManager::GetItemId(EquipLocations location) const
{
    for (const EquipManagerContainer& container : m_attached)
        if (container.location == location)
            return container.itemId;
    return 0;
}

EquipLocations EquipManager::GetLocation(uint32_t itemId) const
{
    for (const EquipManagerContainer& container : m_attached)
        if (container.itemId == itemId)
            return container.location;
    return EquipLocation_None;
}

bool EquipManager::HasItem(uint32_t itemId) const
{
    return itemId != 0 && std::find(m_attachedIds.begin(), m_attachedIds.end(), itemId) != m_attachedIds.end();
}

bool EquipManager::HasItem(const std::string& recordName) const
{
    for (uint32_t itemId : m_attachedIds)
        if (const Object* item = ObjectManager::Get().GetObject(itemId); item && PathEqualsNoCase(item->GetObjectName().c_str(), recordName.c_str()))
            return true;
    return false;
}

EquipManagerContainer* EquipManager::FindLeftContainer()
{
    for (EquipManagerContainer& container : m_attached)
        if (container.location == EquipLocation_LeftHand)
            return &container;
    return nullptr;
}

const EquipManagerContainer* EquipManager::FindRightItem() const
{
    const EquipManagerContainer* shownRight = nullptr;
    for (const EquipManagerContainer& container : m_attached) {
        if (container.location == EquipLocation_RightHand)
            return &container;
        if (!shownRight && container.location == EquipLocation_LeftHand && container.shownInRightHand)
            shownRight = &container;
    }
    return shownRight;
}

const EquipManagerContainer* EquipManager::FindLeftItem() const
{
    for (const EquipManagerContainer& container : m_attached)
        if (container.location == EquipLocation_LeftHand)
            return container.shownInRightHand ? nullptr : &container;
    return nullptr;
}

uint32_t EquipManager::GetRightHandWeapon() const
{
    const EquipManagerContainer* right = FindRightItem();
    return right ? IdIfA<Weapon>(right->itemId) : 0;
}

uint32_t EquipManager::GetLeftHandWeapon() const
{
    const EquipManagerContainer* left = FindLeftItem();
    return left ? IdIfA<Weapon>(left->itemId) : 0;
}

uint32_t EquipManager::GetLeftHandShield() const
{
    const EquipManagerContainer* left = FindLeftItem();
    return left ? IdIfA<WeaponArmor_Shield>(left->itemId) : 0;
}

uint32_t EquipManager::GetArmorId() const { return IdIfA<Armor>(GetItemId(EquipLocation_LeftHand)); }

// Attaching or detaching moves the equipment revision, which finds the state again; a move
// between the hands, which does not, calls HandsChanged.
EquipManager_HandState EquipManager::GetHandState() const
{
    const uint32_t revision = ItemEquipment::GetAttributeRevision();
    if (!m_handStateKept || revision != m_handStateRevision) {
        m_handState = FindHandState();
        m_handStateRevision = revision;
        m_handStateKept = true;
    }
    return m_handState;
}

EquipManager_HandState EquipManager::FindHandState() const
{
    switch (WeaponTypeOf(FindLeftItem())) {
    case Weapon_Axe:
    case Weapon_Sword:
    case Weapon_Mace: return EquipManager_DualWielded;
    case Weapon_Bow: return EquipManager_Bow;
    case Weapon_Staff: return EquipManager_Staff;
    default: break;
    }
    switch (WeaponTypeOf(FindRightItem())) {
    case Weapon_Axe:
    case Weapon_Sword:
    case Weapon_Mace:
    case Weapon_Magical: return EquipManager_SingleHanded;
    case Weapon_Spear: return EquipManager_Spear;
    case Weapon_Staff: return EquipManager_Staff;
    default: return EquipManager_Unarmed;
    }
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

// ---- Props and the enchantment -------------------------------------------------------------

bool EquipManager::IsPointCovered(const std::string& attachPoint, uint32_t exceptPropId) const
{
    for (const auto& [propId, point] : m_props)
        if (propId != exceptPropId && point == attachPoint)
            return true;
    return false;
}

void EquipManager::SetVisibilityAt(const std::string& attachPoint, bool visible)
{
    // An empty point is no bone: the items worn without one stay hidden.
    if (attachPoint.empty())
        return;
    for (const EquipManagerContainer& container : m_attached)
        if (attachPoint == LocationToString(container.location))
            if (Item* item = ObjectManager::Get().GetObject<Item>(container.itemId))
                item->SetVisibility(visible);
}

void EquipManager::AddPropAttachment(Prop& prop)
{
    const std::string& attachPoint = prop.GetAttachPoint();
    // A prop carried already leaves its old point first, so what it hid there shows again.
    if (m_props.contains(prop.GetObjectId()))
        RemovePropAttachment(prop.GetObjectId());
    SetVisibilityAt(attachPoint, false);
    if (m_owner)
        prop.AttachProp(*m_owner);
    m_props[prop.GetObjectId()] = attachPoint;
}

// The entry goes with the prop: a prop added again later is recorded at its new point.
void EquipManager::RemovePropAttachment(uint32_t propId)
{
    const auto found = m_props.find(propId);
    if (found == m_props.end())
        return;
    const std::string attachPoint = found->second;
    m_props.erase(found);
    // Another prop at the same point still hides what sits there.
    if (!IsPointCovered(attachPoint, propId))
        SetVisibilityAt(attachPoint, true);
    if (Prop* prop = ObjectManager::Get().GetObject<Prop>(propId); prop && m_owner)
        prop->DetachProp(*m_owner);
}

void EquipManager::SetWeaponEnchantment(const std::string& name)
{
    if (name == m_enchantment)
        return;
    m_enchantment = name;
    if (!m_owner)
        return;
    for (uint32_t itemId : m_attachedIds)
        if (Weapon* weapon = ObjectManager::Get().GetObject<Weapon>(itemId))
            weapon->SetWeaponEnchantment(*m_owner, m_enchantment);
}

EquippedItems::EquippedItems(const EquipManager& equipment)
{
    ObjectManager& objects = ObjectManager::Get();
    const std::vector<uint32_t>& attached = equipment.GetAttachedItems();
    const bool inlineFits = attached.size() <= kMaxItems;
    // The first items are looked up together, so that their memory is fetched at once.
    m_idCount = std::min(attached.size(), kMaxItems);
    std::copy_n(attached.begin(), m_idCount, m_ids.begin());
    objects.GetObjects<ItemEquipment>(std::span<const uint32_t>(m_ids.data(), m_idCount), m_found.data());
    size_t itemCount = 0;
    for (size_t i = 0; i < attached.size(); ++i) {
        ItemEquipment* item = i < m_idCount ? m_found[i] : objects.GetObject<ItemEquipment>(attached[i]);
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
