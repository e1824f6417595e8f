// Classifications of items and chests, and the loot weight modifiers kept per class.
#pragma once

#include <cstdint>

namespace GAME {

enum ItemClassification : int32_t {
    ItemClassification_Common = 0,
    ItemClassification_Magical = 1,
    ItemClassification_Rare = 2,
    ItemClassification_Epic = 3,
    ItemClassification_Legendary = 4,
    ItemClassification_Broken = 5,
    ItemClassification_Potion = 6,
    ItemClassification_Relic = 8,
    ItemClassification_Quest = 9,
};

enum ChestClassification : int32_t {
    ChestClassification_Common = 0,
    ChestClassification_Champion = 1,
    ChestClassification_Hero = 2,
};

// The state of one market item as the market messages carry it (a 32-bit value); its
// values belong to the markets.
enum MarketItemStatus : uint32_t;

// Where on the body an attached item sits; 0 is an item in the inventory. Locations 1 to
// 9 are equipment slots (fingers hold two items at 7).
enum EquipLocations : int32_t {
    EquipLocation_None = 0,
    EquipLocation_RightHand = 1,
    EquipLocation_LeftHand = 2,
    EquipLocation_UpperBody = 3,
    EquipLocation_LowerBody = 4,
    EquipLocation_Head = 5,
    EquipLocation_Neck = 6,
    EquipLocation_Finger = 7,
    EquipLocation_Forearm = 8,
    EquipLocation_NoBone = 9,
};
inline constexpr bool IsEquipSlot(int32_t location) { return location >= 1 && location <= 9; }

// A place in the equipment window: the values the equipment control and the cursor
// handlers take. Any other value names no place.
enum EquipmentCtrlLocation : int32_t {
    EquipmentCtrlLocation_None = 0,
    EquipmentCtrlLocation_Head = 1,
    EquipmentCtrlLocation_Neck = 2,
    EquipmentCtrlLocation_UpperBody = 3,
    EquipmentCtrlLocation_LowerBody = 4,
    EquipmentCtrlLocation_Finger1 = 5,
    EquipmentCtrlLocation_Finger2 = 6,
    EquipmentCtrlLocation_Forearm = 7,
    EquipmentCtrlLocation_HandRight = 8,
    EquipmentCtrlLocation_HandLeft = 9,
};

// What an item is in one hand (Item::GetRightHandType / GetLeftHandType), as bits so that
// a hand can hold a mask of what the other hand may take. A bow or a staff takes both
// hands.
enum EquipmentHandTypes : uint32_t {
    EquipmentHand_None = 0,
    EquipmentHand_MeleeLeft = 1,
    EquipmentHand_MeleeRight = 2,
    EquipmentHand_Bow = 4,
    EquipmentHand_Spear = 8,
    EquipmentHand_Staff = 16,
    EquipmentHand_Shield = 32,
    EquipmentHand_All = 63,
};

// What the hands hold, which picks the character's animation set.
enum EquipManager_HandState : int32_t {
    EquipManager_Unarmed = 0,
    EquipManager_SingleHanded = 1,   // a weapon in the right hand
    EquipManager_DualWielded = 2,    // a one-handed melee weapon in the left hand
    EquipManager_Bow = 3,
    EquipManager_Spear = 4,
    EquipManager_Staff = 5,
};

// What kind of place an item fills, as the weapon and armour kinds answer it.
enum Item_Type : int32_t {
    ItemType_None = 0,
    ItemType_Head = 1,
    ItemType_Neck = 2,
    ItemType_UpperBody = 3,
    ItemType_LowerBody = 4,
    ItemType_Finger = 5,
    ItemType_Forearm = 6,
    ItemType_Shield = 7,
    ItemType_Weapon = 8,
    ItemType_Clothing = 9,
};

enum Weapon_Type : int32_t {
    Weapon_None = 0,
    Weapon_Other = 1,
    Weapon_Axe = 2,
    Weapon_Sword = 3,
    Weapon_Mace = 4,
    Weapon_Spear = 5,
    Weapon_Bow = 6,
    Weapon_Staff = 7,
    Weapon_Magical = 8,
    Weapon_Shield = 9,
};

// Weights that loot rolls consume: no prefix and no suffix, both, prefix only, suffix
// only, broken only.
struct RandomizerWeightModifiers {
    int32_t noPrefixNoSuffix = 0;
    int32_t bothPrefixSuffix = 0;
    int32_t prefixOnly = 0;
    int32_t suffixOnly = 0;
    int32_t brokenOnly = 0;

    bool operator==(const RandomizerWeightModifiers& other) const = default;
};

}  // namespace GAME
