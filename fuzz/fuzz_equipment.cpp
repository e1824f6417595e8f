// Any bytes as a run of equipment steps on a player's controller: placing (tested first,
// as the cursor does), placing into the set not in use, auto-inserting, removing,
// switching weapon sets, allowing dual weapons, ignoring requirements, changing the
// attributes requirements read, the controller's refresh, running the queued commands,
// and saving into a fresh player. After every step an item sits in at most one place, no
// two-handed item has a neighbour, and each hand's type is its item's; once the commands
// ran the attached flags are what the character wears; a save read back keeps every
// place.
#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "fuzz/FuzzBytes.h"

using namespace GAME;

namespace {

constexpr const char* kPlayerRecord = "Records/Fuzz/Player.dbr";

// One record per kind a place takes, with requirements the attribute steps can meet or miss.
constexpr const char* kItemRecords[][2] = {
    {"Records/Fuzz/Helm.dbr", "Class,ArmorProtective_Head,\nstrengthRequirement,20,\n"},
    {"Records/Fuzz/Amulet.dbr", "Class,ArmorJewelry_Amulet,\n"},
    {"Records/Fuzz/Mail.dbr", "Class,ArmorProtective_UpperBody,\n"},
    {"Records/Fuzz/Vestment.dbr", "Class,ArmorMisc_Vestment,\n"},
    {"Records/Fuzz/Greaves.dbr", "Class,ArmorProtective_LowerBody,\n"},
    {"Records/Fuzz/Armband.dbr", "Class,ArmorProtective_Forearm,\n"},
    {"Records/Fuzz/Bracelet.dbr", "Class,ArmorJewelry_Bracelet,\n"},
    {"Records/Fuzz/Ring.dbr", "Class,ArmorJewelry_Ring,\nstrengthRequirement,55,\n"},
    {"Records/Fuzz/Ring.dbr", nullptr},
    {"Records/Fuzz/Sword.dbr", "Class,WeaponMelee_Sword,\ndexterityRequirement,30,\n"},
    {"Records/Fuzz/Sword.dbr", nullptr},
    {"Records/Fuzz/Axe.dbr", "Class,WeaponMelee_Axe,\n"},
    {"Records/Fuzz/Shield.dbr", "Class,WeaponArmor_Shield,\n"},
    {"Records/Fuzz/Spear.dbr", "Class,WeaponHunting_Spear,\n"},
    {"Records/Fuzz/Bow.dbr", "Class,WeaponHunting_Bow,\n"},
    {"Records/Fuzz/Staff.dbr", "Class,WeaponMagical_Staff,\nintelligenceRequirement,40,\n"},
    {"Records/Fuzz/Potion.dbr", "Class,OneShot_PotionHealth,\n"},
};
constexpr size_t kItemCount = std::size(kItemRecords);

using Side = EquipmentCtrlWeaponSet::Side;

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

using Bytes = FuzzBytes;

Player* MakePlayer()
{
    auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(kPlayerRecord);
    if (player)
        player->SetIsControllingCharacter(true);
    return player;
}

// Every item id a place holds: the seven body places, then each set's two hands as kept.
std::vector<uint32_t> HeldIds(const EquipmentCtrl& ctrl)
{
    std::vector<uint32_t> ids;
    for (int location = EquipmentCtrlLocation_Head; location <= EquipmentCtrlLocation_Forearm; ++location)
        ids.push_back(ctrl.GetSlot(static_cast<EquipmentCtrlLocation>(location)).itemId);
    for (bool alternate : {false, true})
        for (Side side : {Side::Right, Side::Left})
            ids.push_back(ctrl.GetWeaponSet(alternate).GetHand(side).info.itemId);
    return ids;
}

void CheckPlaces(const EquipmentCtrl& ctrl)
{
    std::set<uint32_t> seen;
    for (uint32_t id : HeldIds(ctrl))
        Check(id == 0 || seen.insert(id).second);
    for (bool alternate : {false, true}) {
        const EquipmentCtrlWeaponSet& set = ctrl.GetWeaponSet(alternate);
        Check(set.IsAlternate() == (alternate != ctrl.IsAlternateEquipment()));
        for (Side side : {Side::Right, Side::Left}) {
            const EquipmentCtrlWeaponSet::Hand& hand = set.GetHand(side);
            const EquipmentCtrlWeaponSet::Hand& other = set.GetHand(side == Side::Right ? Side::Left : Side::Right);
            if (IsTwoHanded(hand.type))
                Check(other.info.itemId == 0);
            if (const Item* item = ObjectManager::Get().GetObject<Item>(hand.info.itemId))
                Check(hand.type == static_cast<uint32_t>(side == Side::Right ? item->GetRightHandType()
                                                                             : item->GetLeftHandType()));
            if (set.IsAlternate())
                Check(!hand.info.attached);
        }
    }
}

// With no command left to run, the flags are what the character wears, and the
// character wears nothing the control does not hold.
void CheckWorn(Player& player)
{
    const EquipmentCtrl& ctrl = player.GetPlayerController()->GetEquipmentCtrl();
    const EquipManager& worn = player.GetCombatManager().GetEquipManager();
    for (uint32_t id : HeldIds(ctrl))
        if (id)
            Check(ctrl.IsItemAttached(id) == worn.HasItem(id));
    for (uint32_t id : worn.GetAttachedItems())
        Check(ctrl.IsItemHeld(id));
}

bool SameItem(uint32_t a, uint32_t b)
{
    const Item* left = ObjectManager::Get().GetObject<Item>(a);
    const Item* right = ObjectManager::Get().GetObject<Item>(b);
    if (!left || !right)
        return !left && !right;
    return left->GetItemReplicaInfo() == right->GetItemReplicaInfo();
}

void DestroyWithItems(Player* player)
{
    ObjectManager& objects = ObjectManager::Get();
    std::vector<uint32_t> items = player->GetCombatManager().GetEquipManager().GetAttachedItems();
    const std::vector<uint32_t>& listed = player->GetInventory().GetInventoryItems();
    items.insert(items.end(), listed.begin(), listed.end());
    for (uint32_t id : items)
        if (Object* item = objects.GetObject(id))
            objects.DestroyObjectEx(item, "fuzz", __LINE__);
    objects.DestroyObjectEx(player, "fuzz", __LINE__);
}

// Saved and read into a fresh player: every place holds the same item, equally attached,
// and the fresh player wears what its flags say.
void CheckSaveRoundTrip(Player& player)
{
    IOStreamWrite out;
    player.GetPlayerController()->GetEquipmentCtrl().StreamProperties(out);
    Check(!out.Failed() && out.Close());
    Player* fresh = MakePlayer();
    Check(fresh != nullptr);
    IOStreamRead in(out.GetBytes().data(), out.GetBytes().size());
    EquipmentCtrl& copy = fresh->GetPlayerController()->GetEquipmentCtrl();
    copy.StreamProperties(in);
    Check(!in.Failed());
    const EquipmentCtrl& ctrl = player.GetPlayerController()->GetEquipmentCtrl();
    Check(copy.IsAlternateEquipment() == ctrl.IsAlternateEquipment());
    const std::vector<uint32_t> before = HeldIds(ctrl);
    const std::vector<uint32_t> after = HeldIds(copy);
    for (size_t i = 0; i < before.size(); ++i) {
        Check(SameItem(before[i], after[i]));
        Check(ctrl.IsItemAttached(before[i]) == copy.IsItemAttached(after[i]));
    }
    CheckPlaces(copy);
    CheckWorn(*fresh);
    DestroyWithItems(fresh);
}

void Step(Player& player, std::vector<uint32_t>& items, Bytes& bytes)
{
    ControllerPlayer& controller = *player.GetPlayerController();
    EquipmentCtrl& ctrl = controller.GetEquipmentCtrl();
    const uint8_t op = bytes.Byte();
    const uint8_t arg = bytes.Byte();
    const uint32_t item = items[arg % kItemCount];
    const bool flag = (arg & 0x80) != 0;
    switch (op % 11) {
    case 0: {   // the cursor: what is not worn, tested, then placed
        const auto location = static_cast<EquipmentCtrlLocation>(bytes.Byte() % 10);
        bool unused = false;
        if (!ctrl.IsItemHeld(item) && ctrl.CanItemBePlaced(location, item, unused)) {
            uint32_t placed = item;
            ctrl.PlaceItem(location, placed);
        }
        break;
    }
    case 1: {   // a hand of either set
        bool unused = false;
        const bool left = (arg & 0x40) != 0;
        uint32_t placed = item;
        if (ctrl.IsItemHeld(item))
            break;
        if (left ? ctrl.CanItemBePlaced_HandLeft(item, unused, flag, true)
                 : ctrl.CanItemBePlaced_HandRight(item, unused, flag, true)) {
            if (left)
                ctrl.PlaceItem_HandLeft(placed, true, flag);
            else
                ctrl.PlaceItem_HandRight(placed, true, flag);
        }
        break;
    }
    case 2: ctrl.AutoInsertItem(item); break;
    case 3: ctrl.RemoveItem(item); break;
    case 4: player.SetAlternateConfig(flag); break;
    case 5: controller.AllowDualWieldWeapons(flag); break;
    case 6: controller.SetIgnoreEquipmentRequirements(flag); break;
    case 7: {   // strength, dexterity or intelligence, then the character's attributes changed
        const auto type = static_cast<CharAttributeType>(CharAttributeType_Strength + arg % 3);
        player.SetTotalCharAttribute(type, static_cast<float>(bytes.Byte()) - 10.0f);
        ctrl.AttributesHaveChanged();
        break;
    }
    case 8: controller.Update(arg); break;
    case 9: gEngine->RunActorCommands(); break;
    case 10:
        gEngine->RunActorCommands();
        CheckSaveRoundTrip(player);
        break;
    }
    CheckPlaces(ctrl);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    records.RegisterRecord(kPlayerRecord, "Class,Player,\n");
    for (const auto& [name, text] : kItemRecords)
        if (text)
            records.RegisterRecord(name, text);
    InitializeObjects();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    Player* player = MakePlayer();
    if (!player)
        return 0;
    std::vector<uint32_t> items;
    for (const auto& record : kItemRecords) {
        ItemReplicaInfo info;
        info.baseName = record[0];
        info.seed = 7;
        Item* item = Item::CreateItem(info);
        Check(item != nullptr);
        items.push_back(item->GetObjectId());
        player->GetInventory().AddItemToInventory(item->GetObjectId(), true);
    }
    Bytes bytes(data, size);
    while (!bytes.Empty())
        Step(*player, items, bytes);
    gEngine->RunActorCommands();
    CheckWorn(*player);
    CheckSaveRoundTrip(*player);
    DestroyWithItems(player);
    ObjectManager::Get().FlushDestroyedObjects();
    gGameEngine->ResetTutorialState();
    return 0;
}
