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
#include "Engine/Journal.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "fuzz/FuzzBytes.h"
#include "fuzz/FuzzOptions.h"

using namespace GAME;

namespace {

constexpr const char* kPlayerRecord = "Records/Fuzz/Player.dbr";
// The longest input the fuzzer makes: one step in eleven saves and reads back every place,
// making its items afresh, so an input costs time in proportion to its length. Fifty-odd
// steps still reach every place and state; longer inputs repeat them.
constexpr size_t kMaxInputLength = 128;

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

// The player a save is read into, emptied again: what it holds taken off, and the items
// the read made for it unlisted and destroyed.
void EmptyReader(Player& reader)
{
    EquipmentCtrl& ctrl = reader.GetPlayerController()->GetEquipmentCtrl();
    for (uint32_t id : HeldIds(ctrl))
        ctrl.RemoveItem(id);
    gEngine->RunActorCommands();
    Check(reader.GetCombatManager().GetEquipManager().GetAttachedItems().empty());
    ObjectManager& objects = ObjectManager::Get();
    const std::vector<uint32_t> listed = reader.GetInventory().GetInventoryItems();
    for (uint32_t id : listed) {
        reader.GetInventory().RemoveItemFromInventory(id);
        if (Object* item = objects.GetObject(id))
            objects.DestroyObjectEx(item, "fuzz", __LINE__);
    }
}

// Saved and read into a player that holds nothing: every place holds the same item,
// equally attached, and the reader wears what its flags say.
void CheckSaveRoundTrip(Player& player, Player& reader)
{
    IOStreamWrite out;
    player.GetPlayerController()->GetEquipmentCtrl().StreamProperties(out);
    Check(!out.Failed() && out.Close());
    IOStreamRead in(out.GetBytes().data(), out.GetBytes().size());
    EquipmentCtrl& copy = reader.GetPlayerController()->GetEquipmentCtrl();
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
    CheckWorn(reader);
    EmptyReader(reader);
}

void Step(Player& player, Player& reader, std::vector<uint32_t>& items, Bytes& bytes)
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
        CheckSaveRoundTrip(player, reader);
        break;
    }
    CheckPlaces(ctrl);
}

// The player and its items are made once: building them for every input cost far more
// than the steps. Each input starts from the same state: nothing placed, the main set in
// use, no dual weapons, requirements heeded, the attributes as first read, no commands
// queued, the refresh countdown full, the journal empty and the draws seeded alike.
struct Fixture {
    Player* player = nullptr;
    Player* reader = nullptr;   // what saves are read into
    std::vector<uint32_t> items;
    float attributes[3] = {};
};

Fixture& GetFixture()
{
    static Fixture fixture = [] {
        Fixture made;
        made.player = MakePlayer();
        Check(made.player != nullptr);
        for (const auto& record : kItemRecords) {
            ItemReplicaInfo info;
            info.baseName = record[0];
            info.seed = 7;
            Item* item = Item::CreateItem(info);
            Check(item != nullptr);
            made.items.push_back(item->GetObjectId());
            made.player->GetInventory().AddItemToInventory(item->GetObjectId(), true);
        }
        made.player->GetPlayerController()->Update(0);   // its first update, done once
        made.reader = MakePlayer();
        Check(made.reader != nullptr);
        for (int i = 0; i < 3; ++i)
            made.attributes[i] = made.player->GetTotalCharAttribute(CharAttributeType(CharAttributeType_Strength + i));
        return made;
    }();
    return fixture;
}

void Reset(Fixture& fixture)
{
    Player& player = *fixture.player;
    ControllerPlayer& controller = *player.GetPlayerController();
    EquipmentCtrl& ctrl = controller.GetEquipmentCtrl();
    for (uint32_t id : fixture.items)
        ctrl.RemoveItem(id);
    player.SetAlternateConfig(false);
    controller.AllowDualWieldWeapons(false);
    controller.SetIgnoreEquipmentRequirements(false);
    for (int i = 0; i < 3; ++i)
        player.SetTotalCharAttribute(CharAttributeType(CharAttributeType_Strength + i), fixture.attributes[i]);
    // A full refresh step: the countdown ends and starts over at its full length.
    controller.Update(ControllerCharacter::kEquipmentRefreshMs);
    gEngine->RunActorCommands();
    for (uint32_t id : HeldIds(ctrl))
        Check(id == 0);
    Check(player.GetCombatManager().GetEquipManager().GetAttachedItems().empty());
    ObjectManager::Get().FlushDestroyedObjects();
    gGameEngine->ResetTutorialState();
    Journal::Get().Clear();
    GAME::srand(1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    DefaultFuzzerOptions(argc, argv, kMaxInputLength);
    gEngine->SetLogSink([](const LogLine&) {});
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    records.RegisterRecord(kPlayerRecord, "Class,Player,\n");
    for (const auto& [name, text] : kItemRecords)
        if (text)
            records.RegisterRecord(name, text);
    InitializeObjects();
    Reset(GetFixture());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    Fixture& fixture = GetFixture();
    Player& player = *fixture.player;
    Bytes bytes(data, size);
    while (!bytes.Empty())
        Step(player, *fixture.reader, fixture.items, bytes);
    gEngine->RunActorCommands();
    CheckWorn(player);
    CheckSaveRoundTrip(player, *fixture.reader);
    Reset(fixture);
    return 0;
}
