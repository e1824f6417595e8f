// A character's animation sets, the equipment it rolls from its record, and what it does
// with items: using, equipping, dropping, item sets, the attribute sums of what it wears
// and the copy of its items that another peer or a save rebuilds.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/TextUtil.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/AnimationTableLoader.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterBio.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/Inventory.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemRelic.h"
#include "Game/items/ItemSet.h"
#include "Game/items/OneShot.h"
#include "Game/items/Weapon.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/Prop.h"

namespace GAME {

namespace {

// The animation set of each hand state (sets are ordered unarmed, single-handed,
// dual-wielded, spear, bow, staff; hand states unarmed, single, dual, bow, spear, staff).
constexpr int kSetOfHandState[] = {AnimationStyle_Unarmed, AnimationStyle_SingleHanded, AnimationStyle_DualWielded,
                                   AnimationStyle_Bow,     AnimationStyle_Spear,        AnimationStyle_Staff};

int SetOfHandState(int handState)
{
    return handState >= 0 && handState < static_cast<int>(std::size(kSetOfHandState)) ? kSetOfHandState[handState] : -1;
}

// The loot rolls in their fixed order: the chance key, the loot location, where the item
// is worn and which reserved id it takes (head, neck, right hand, left hand, torso, lower
// body, forearm, first finger, second finger).
struct LootRoll {
    const char* chanceKey;
    LootLoader::Location location;
    EquipLocations equip;
    size_t idIndex;
};
constexpr LootRoll kLootBeforeRightHand[] = {
    {"chanceToEquipHead", LootLoader::Head, EquipLocation_Head, 0},
    {"chanceToEquipNeck", LootLoader::Neck, EquipLocation_Neck, 1},
    {"chanceToEquipTorso", LootLoader::Torso, EquipLocation_UpperBody, 4},
    {"chanceToEquipLowerBody", LootLoader::LowerBody, EquipLocation_LowerBody, 5},
    {"chanceToEquipForearm", LootLoader::Forearm, EquipLocation_Forearm, 6},
    {"chanceToEquipLeftHand", LootLoader::LeftHand, EquipLocation_LeftHand, 3},
};
constexpr LootRoll kLootRightHand = {"chanceToEquipRightHand", LootLoader::RightHand, EquipLocation_RightHand, 2};
constexpr LootRoll kLootFingers[] = {
    {"chanceToEquipFinger1", LootLoader::Finger1, EquipLocation_Finger, 7},
    {"chanceToEquipFinger2", LootLoader::Finger2, EquipLocation_Finger, 8},
};
constexpr size_t kLeftHandRoll = 5;

constexpr int kLootItemSeedMax = 10000;
constexpr float kLootRollMin = 0.1f;
constexpr float kLootRollMax = 100.0f;

constexpr int kPhysicsTypeTossed = 2;
constexpr int kPhysicsTypeNone = 0;
constexpr float kDropUpSpeed = 4.0f;
constexpr float kDropSpin = 8.0f;
constexpr float kEquipDropSpin = 4.0f;
constexpr float kDropMaxFallVelocity = -25.0f;

Vec3 RandomSpin(float limit) { return {RandFloat(-limit, limit), RandFloat(-limit, limit), RandFloat(-limit, limit)}; }

void Toss(Entity& item, float spin)
{
    PhysicsEngine& physics = PhysicsEngine::Get();
    physics.SetEntityLinearVelocity(&item, Vec3{0.0f, kDropUpSpeed, 0.0f});
    physics.SetEntityAngularVelocity(&item, RandomSpin(spin));
    physics.SetEntityMaxFallVelocity(&item, kDropMaxFallVelocity);
}

}  // namespace

// ---- Animation sets ----------------------------------------------------------------------

AnimationSet* Character::GetAnimationSet(int style) const
{
    return style >= 0 && style < static_cast<int>(m_animationSets.size()) ? m_animationSets[style].get() : nullptr;
}

void Character::AllocateAnimSets()
{
    if (AllocateAllAnimSets()) {
        for (std::unique_ptr<AnimationSet>& set : m_animationSets)
            if (!set)
                set = std::make_unique<AnimationSet>();
        m_currentAnimationSet = m_animationSets[AnimationStyle_Unarmed].get();
        return;
    }
    const int style = SetOfHandState(m_combatManager->GetHandState());
    if (style < 0)
        return;
    if (!m_animationSets[style])
        m_animationSets[style] = std::make_unique<AnimationSet>();
    m_currentAnimationSet = m_animationSets[style].get();
}

void Character::SetAnimation(EquipManager_HandState handState)
{
    int style = SetOfHandState(handState);
    if (style < 0)
        style = AnimationStyle_Unarmed;
    AnimationSet* set = m_animationSets[style].get();
    if (!set || set == m_currentAnimationSet)
        return;
    if (m_currentAnimationSet)
        m_currentAnimationSet->Cancel();
    m_currentAnimationSet = set;
}

GraphicsAnim* Character::LoadAnimation(const std::string& name)
{
    return name.empty() ? nullptr : GraphicsEngine::Get()->LoadAnimation(name);
}

GraphicsAnim* Character::GetCurrentAnimation() const
{
    if (!m_currentAnimationSet)
        return nullptr;
    const AnimationBase* current = m_currentAnimationSet->GetAnimationBase();
    return current ? current->GetGraphicsAnim() : nullptr;
}

bool Character::CanPlayAnimation(AnimationSet_Type type) const
{
    return m_currentAnimationSet && m_currentAnimationSet->DoesAnimationExist(type);
}

void Character::LoadAnimations()
{
    const LoadTable& table = ObjectManager::Get().GetRecordOrEmpty(GetObjectName());
    const std::string shared = table.GetString("charAnimationTableName", "");
    if (!LoadAnimationTable(shared, m_animationSets[0].get(), m_animationSets[1].get(), m_animationSets[2].get(),
                            m_animationSets[3].get(), m_animationSets[4].get(), m_animationSets[5].get())) {
        LoadUnarmedAnimationSet(table);
        LoadSingleHandedAnimationSet(table);
        LoadDualWieldedAnimationSet(table);
        LoadSpearAnimationSet(table);
        LoadBowAnimationSet(table);
        LoadStaffAnimationSet(table);
    }
    m_forcedUpdates = table.GetBool("forcedUpdates", false);
}

void Character::LoadStyleSet(const LoadTable& table, int style)
{
    if (AnimationSet* set = GetAnimationSet(style))
        LoadStyleAnimationSet(table, *set, style, kOwnRecordSpecialAttacks);
}

void Character::LoadUnarmedAnimationSet(const LoadTable& table) { LoadStyleSet(table, AnimationStyle_Unarmed); }
void Character::LoadSingleHandedAnimationSet(const LoadTable& table) { LoadStyleSet(table, AnimationStyle_SingleHanded); }
void Character::LoadDualWieldedAnimationSet(const LoadTable& table) { LoadStyleSet(table, AnimationStyle_DualWielded); }
void Character::LoadSpearAnimationSet(const LoadTable& table) { LoadStyleSet(table, AnimationStyle_Spear); }
void Character::LoadBowAnimationSet(const LoadTable& table) { LoadStyleSet(table, AnimationStyle_Bow); }
void Character::LoadStaffAnimationSet(const LoadTable& table) { LoadStyleSet(table, AnimationStyle_Staff); }

// ---- Loot ----------------------------------------------------------------------------------

bool Character::IsOnNetworkClient() { return gGameEngine && gGameEngine->GetNetworkRole() == NetworkRole::Client; }

void Character::LoadLootFromSeed(uint16_t seed, uint16_t level)
{
    m_lootInfo.seed = seed;
    m_lootInfo.level = level;
    for (uint32_t& id : m_lootInfo.itemIds)
        id = ObjectManager::Get().CreateObjectID();
    LoadLoot();
    AllocateAnimSets();
    LoadAnimations();
}

void Character::LoadLootFromStruct(const LootStruct& loot)
{
    m_lootInfo = loot;
    LoadLoot();
    AllocateAnimSets();
    LoadAnimations();
}

// The rolls draw from one generator seeded with the loot seed, always in the same order,
// so every peer that knows the seed makes the same items.
void Character::LoadLoot()
{
    const LoadTable& table = ObjectManager::Get().GetRecordOrEmpty(GetObjectName());
    RandomUniform random;
    random.Seed(m_lootInfo.seed);
    auto roll = [&](const LootRoll& entry) {
        Item* item = CreateItemFromLootTable(table, entry.chanceKey, entry.location,
                                             m_lootInfo.itemIds[entry.idIndex], random);
        AttachItem(item, entry.equip);
        return item;
    };
    Item* leftHand = nullptr;
    for (size_t i = 0; i < std::size(kLootBeforeRightHand); ++i) {
        Item* item = roll(kLootBeforeRightHand[i]);
        if (i == kLeftHandRoll)
            leftHand = item;
    }
    // A bow or a staff takes both hands.
    const Weapon* leftWeapon = DynamicCast<Weapon>(leftHand);
    const bool bothHands =
        leftWeapon && (leftWeapon->GetWeaponType() == Weapon_Bow || leftWeapon->GetWeaponType() == Weapon_Staff);
    if (!bothHands)
        roll(kLootRightHand);
    for (const LootRoll& entry : kLootFingers)
        roll(entry);
}

Item* Character::CreateItemFromLootTable(const LoadTable& table, const char* chanceKey, LootLoader::Location location,
                                         uint32_t& objectId, RandomUniform& random)
{
    LootLoader loader;
    loader.SetLevel(GetCharLevel(), m_lootInfo.level);
    loader.SetRandomizerWeightModifiers(m_lootWeightModifiers);
    if (m_lootNoBrokenItems)
        loader.SetNoBrokenItems();
    const float chance = table.GetFloat(chanceKey, 0.0f);
    const float roll = random.FGenerate(kLootRollMin, kLootRollMax);
    if (!(roll <= chance))
        return nullptr;
    const uint32_t difficulty = gGameEngine ? static_cast<uint32_t>(gGameEngine->GetGameDifficulty()) : 0;
    loader.Load(table, location, LootLoader::kMaxLocationEntries, difficulty);
    ItemReplicaInfo replica;
    loader.GetLootName(replica.baseName, replica.prefixName, replica.suffixName, random);
    if (replica.baseName.empty())
        return nullptr;
    replica.objectId = objectId;
    replica.seed = static_cast<uint32_t>(random.IGenerate(0, kLootItemSeedMax));
    Item* item = Item::CreateItem(replica);
    if (item)
        objectId = item->GetObjectId();
    return item;
}

void Character::AttachItem(Item* item, EquipLocations location)
{
    if (item)
        AttachItemAction(item->GetObjectId(), location);
}

// ---- Items ---------------------------------------------------------------------------------

void Character::UseInventoryItem(uint32_t itemId, bool remove)
{
    OneShot* item = ObjectManager::Get().GetObject<OneShot>(itemId);
    if (!item)
        return;
    item->Use(*this);
    m_playStats.IncrementPotion(item);
    if (remove) {
        m_inventory->RemoveItemFromInventory(itemId);
        ObjectManager::Get().DestroyObjectEx(item, "Character", __LINE__);
    }
}

void Character::UseRelic(uint32_t relicId, uint32_t targetItemId)
{
    ObjectManager& objects = ObjectManager::Get();
    ItemRelic* relic = objects.GetObject<ItemRelic>(relicId);
    Item* item = objects.GetObject<Item>(targetItemId);
    if (!relic || !item)
        return;
    // The ids come from a peer: a character applies only its own relic to its own item.
    if (!HasItem(relicId) || !HasItem(targetItemId)) {
        gEngine->Log(LOG_WARNING, "Character %u: relic %u or item %u is not its own; the relic is not used",
                     GetObjectId(), relicId, targetItemId);
        return;
    }
    const bool mainPlayer = gGameEngine && gGameEngine->GetPlayerId() == GetObjectId();
    relic->UseRelicOn(item, mainPlayer);
    if (relic->GetRelicLevel() == 0) {
        TakeItemFromCharacter(relicId);
        objects.DestroyObjectEx(relic, "Character", __LINE__);
    }
}

void Character::AttachItemAction(uint32_t itemId, EquipLocations location)
{
    // Kept in the inventory when the equipment refuses the place (and says why).
    if (!IsEquipSlot(location)) {
        m_combatManager->AttachItemAction(itemId, location);
        return;
    }
    m_inventory->RemoveItemFromInventory(itemId);
    m_combatManager->AttachItemAction(itemId, location);
    if (IsAlive() && m_actionState == Character_ActionState_Attack)
        CharacterStop();
    m_changeOfEquipmentNotification = true;
}

void Character::DetachItemAction(uint32_t itemId)
{
    if (!m_combatManager->GetEquipManager().HasItem(itemId))
        return;
    m_combatManager->DetachItemAction(itemId);
    m_inventory->AddItemToInventory(itemId, false);
    if (IsAlive() && m_actionState == Character_ActionState_Attack)
        CharacterStop();
    m_changeOfEquipmentNotification = true;
}

void Character::TakeItemFromCharacter(uint32_t itemId)
{
    DetachItemAction(itemId);
    m_inventory->RemoveItemFromInventory(itemId);
    NotifyControllerItemRemovedFromInventory(itemId);
}

void Character::TakeItemFromCharacter(const std::string& recordName)
{
    ObjectManager& objects = ObjectManager::Get();
    auto matching = [&](const std::vector<uint32_t>& ids) {
        std::vector<uint32_t> found;
        for (uint32_t id : ids)
            if (const Object* item = objects.GetObject(id); item && EqualsNoCase(item->GetObjectName(), recordName))
                found.push_back(id);
        return found;
    };
    // Collected first: taking an item changes the lists walked.
    for (uint32_t id : matching(GetAttachedItems()))
        TakeItemFromCharacter(id);
    for (uint32_t id : matching(m_inventory->GetInventoryItems()))
        TakeItemFromCharacter(id);
}

bool Character::HasItem(uint32_t itemId) const
{
    return m_inventory->IsItemInInventory(itemId) || m_combatManager->GetEquipManager().HasItem(itemId);
}

bool Character::HasItem(const std::string& recordName) const
{
    return m_inventory->IsItemInInventory(recordName) || m_combatManager->GetEquipManager().HasItem(recordName);
}

void Character::DropItem(Item* item, float, float)
{
    if (!item)
        return;
    Coords frame = Coords::MakeRotation(Vec3{0.0f, 1.0f, 0.0f}, RandFloat(0.0f, 2.0f * std::numbers::pi_v<float>));
    const WorldVec3 hand = GetAttachPointPosition(Name("L Hand"));
    frame.origin = hand.GetRegionPosition();
    item->SetPhysicsType(kPhysicsTypeTossed);
    if (!World::Get().AddEntity(item, WorldCoords(hand.GetRegion(), frame)))
        return;
    Toss(*item, kDropSpin);
    item->SetDropSoundToPlay();
    m_inventory->RemoveItemFromInventory(item->GetObjectId());
}

void Character::DropItemFromEquipLocation(uint32_t& itemId, EquipLocations location, bool physics)
{
    if (Item* item = ObjectManager::Get().GetObject<Item>(itemId)) {
        // Turned like the character, at the location's bone.
        const WorldCoords at = m_combatManager->GetAttachCoords(location);
        Coords frame = GetCoords().GetRegionCoords();
        frame.origin = at.GetRegionCoords().origin;
        item->SetPhysicsType(physics ? kPhysicsTypeTossed : kPhysicsTypeNone);
        const bool added = World::Get().AddEntity(item, WorldCoords(at.GetRegion(), frame));
        if (physics && added)
            Toss(*item, kEquipDropSpin);
        item->SetDropSoundToPlay();
        m_inventory->RemoveItemFromInventory(itemId);
    }
    itemId = 0;
}

void Character::AddEquipmentProp(Prop* prop)
{
    if (prop)
        m_combatManager->GetEquipManager().AddPropAttachment(*prop);
}

void Character::RemoveEquipmentProp(uint32_t propId) { m_combatManager->GetEquipManager().RemovePropAttachment(propId); }

void Character::SetWeaponEnchantment(const std::string& name)
{
    m_combatManager->GetEquipManager().SetWeaponEnchantment(name);
}

const std::vector<uint32_t>& Character::GetAttachedItems() const { return m_combatManager->GetAttachedItems(); }

// ---- Item sets -----------------------------------------------------------------------------

// Set and member names are kept normalized, as the sets keep their members, so a name
// written with '/' or capitals in one record matches the same name in another. The worn
// pieces count with the equipment: totals kept by its revision are summed again.
void Character::AddItemToSet(const std::string& setName, const std::string& itemName)
{
    m_itemSets[GetNormalizedPath(setName)].push_back(GetNormalizedPath(itemName));
    ItemEquipment::AttributesChanged();
}

void Character::RemoveItemFromSet(const std::string& setName, const std::string& itemName)
{
    const auto set = m_itemSets.find(GetNormalizedPath(setName));
    if (set == m_itemSets.end())
        return;
    const auto item = std::find(set->second.begin(), set->second.end(), GetNormalizedPath(itemName));
    if (item != set->second.end()) {
        set->second.erase(item);
        ItemEquipment::AttributesChanged();
    }
}

unsigned Character::GetNumberOfItemsInSet(const std::string& setName) const
{
    const auto set = m_itemSets.find(GetNormalizedPath(setName));
    return set != m_itemSets.end() ? static_cast<unsigned>(set->second.size()) : 0;
}

std::vector<std::string> Character::GetItemsInSet(const std::string& setName) const
{
    const auto set = m_itemSets.find(GetNormalizedPath(setName));
    return set != m_itemSets.end() ? set->second : std::vector<std::string>();
}

// Every known set of which a piece is worn, with the number of pieces: the set's bonus
// values are read by the count of pieces.
template <class Fn>
void Character::ForEachItemSet(Fn&& fn) const
{
    if (!gGameEngine)
        return;
    for (const auto& [name, pieces] : m_itemSets)
        if (!pieces.empty())
            if (const ItemSet* set = gGameEngine->GetItemSet(name))
                fn(*set, static_cast<unsigned>(pieces.size()));
}

void Character::ContributeItemSetCharAttributes(CharAttributeAccumulator& accumulator) const
{
    ForEachItemSet([&](const ItemSet& set, unsigned pieces) { set.GetCharAttributes(accumulator, pieces); });
}

void Character::ContributeItemSetSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    ForEachItemSet([&](const ItemSet& set, unsigned pieces) { set.GetSkillAttributes(accumulator, pieces); });
}

void Character::ContributeItemSetDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachItemSet([&](const ItemSet& set, unsigned pieces) { set.GetDefenseAttributes(accumulator, pieces); });
}

void Character::ContributeItemSetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachItemSet([&](const ItemSet& set, unsigned pieces) { set.GetOffensiveDamageAttributes(accumulator, pieces); });
}

void Character::ContributeItemSetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachItemSet(
        [&](const ItemSet& set, unsigned pieces) { set.GetOffensiveModifierAttributes(accumulator, pieces); });
}

void Character::ContributeItemSetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachItemSet([&](const ItemSet& set, unsigned pieces) { set.GetRetaliationAttributes(accumulator, pieces); });
}

// ---- Attribute sums of the worn items ------------------------------------------------------

void Character::GetEquipCharAttributes(CharAttributeAccumulator& accumulator) const
{
    const EquippedItems items(m_combatManager->GetEquipManager());
    for (const ItemEquipment* item : items.GetItems())
        item->GetCharAttributes(accumulator);
}

void Character::GetEquipSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    const EquippedItems items(m_combatManager->GetEquipManager());
    for (const ItemEquipment* item : items.GetItems())
        item->GetSkillAttrStore().AddToAccumulator(accumulator, ItemEquipment::kAttributeLevel);
}

void Character::GetEquipArmorDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    const EquippedItems items(m_combatManager->GetEquipManager());
    for (const ItemEquipment* item : items.GetItems())
        if (!item->IsA<Weapon>())
            item->GetOffensiveDamageAttributes(accumulator);
}

void Character::GetEquipOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    const EquippedItems items(m_combatManager->GetEquipManager());
    for (const ItemEquipment* item : items.GetItems())
        item->GetOffensiveModifierAttributes(accumulator);
}

// Against the defender's races: what the worn items other than weapons add, then the
// skills, then the weapon the attack is made with (a weapon's bonus counts only when it
// strikes).
void Character::ContributeRacialBonusDamage(const std::vector<std::string>& defenderRaces, uint32_t weaponId,
                                            RacialBonus_Damage& out) const
{
    const EquippedItems items(m_combatManager->GetEquipManager());
    for (const ItemEquipment* item : items.GetItems())
        if (!item->IsA<Weapon>())
            item->ContributeRacialBonusDamage(defenderRaces, out);
    m_skillManager->ContributeRacialBonusDamage(defenderRaces, out);
    if (const Weapon* weapon = items.Get<Weapon>(weaponId))
        weapon->ContributeRacialBonusDamage(defenderRaces, out);
}

// Against the attacker's races: what every worn item adds, then the skills. During an
// attack the items are those the attack looked up.
void Character::ContributeRacialBonusDefense(const std::vector<std::string>& attackerRaces,
                                             RacialBonus_Defense& out) const
{
    const auto contribute = [&](const EquippedItems& items) {
        for (const ItemEquipment* item : items.GetItems())
            item->ContributeRacialBonusDefense(attackerRaces, out);
    };
    if (const EquippedItems* attacked = m_combatManager->GetEquipmentOfAttack())
        contribute(*attacked);
    else
        contribute(EquippedItems(m_combatManager->GetEquipManager()));
    m_skillManager->ContributeRacialBonusDefense(attackerRaces, out);
}

// ---- Replica -------------------------------------------------------------------------------

void Character::GetInventoryReplica(std::vector<InventoryReplica>& out) const
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : m_inventory->GetInventoryItems())
        if (const Item* item = objects.GetObject<Item>(id))
            out.push_back({item->GetItemReplicaInfo(), EquipLocation_None});
    const EquipManager& equipment = m_combatManager->GetEquipManager();
    for (uint32_t id : equipment.GetAttachedItems())
        if (const Item* item = objects.GetObject<Item>(id))
            out.push_back({item->GetItemReplicaInfo(), equipment.GetLocation(id)});
}

void Character::SetInventoryReplica(const std::vector<InventoryReplica>& replica)
{
    for (const InventoryReplica& entry : replica) {
        Item* item = Item::CreateItem(entry.info);
        if (!item)
            continue;
        const uint32_t id = item->GetObjectId();
        m_inventory->AddItemToInventory(id, true);
        if (entry.location == EquipLocation_None)
            continue;
        if (!IsEquipSlot(entry.location)) {
            gEngine->Log(LOG_WARNING, "Character::SetInventoryReplica: item %u has no equipment slot %d; it stays in the inventory",
                         id, static_cast<int>(entry.location));
            continue;
        }
        AttachItemAction(id, entry.location);
    }
}

}  // namespace GAME
