// The equipment control of a player's controller, with the bundled weapons and armour:
// what each hand takes beside the other, the weapon-set switch, requirements re-sifted by
// the controller's refresh, and the save block.
#include <gtest/gtest.h>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/combat/CombatManager.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "characters/RecordingStream.h"
#include "core/EngineFixture.h"

namespace GAME {
namespace {

class EquipmentCtrlTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        RecordDatabase::Get().RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        RecordDatabase::Get().RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        player = Fresh();
    }
    static Player* Fresh()
    {
        auto* fresh = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
        fresh->SetIsControllingCharacter(true);
        return fresh;
    }
    static EquipmentCtrl& Ctrl(Player* owner) { return owner->GetPlayerController()->GetEquipmentCtrl(); }
    static std::string Record(const char* name) { return std::string("Records/Item/") + name + ".dbr"; }
    uint32_t Make(const char* name)
    {
        ItemReplicaInfo info;
        info.baseName = Record(name);
        const uint32_t id = Item::CreateItem(info)->GetObjectId();
        player->GetInventory().AddItemToInventory(id, true);
        return id;
    }
    static bool Worn(Player* owner, uint32_t id) { return owner->GetCombatManager().GetEquipManager().HasItem(id); }
    static std::string RecordOf(uint32_t id) { return ObjectManager::Get().GetObject<Item>(id)->GetObjectName(); }

    Player* player = nullptr;
};

TEST_F(EquipmentCtrlTest, HandsTakeWhatTheOtherHandAllows)
{
    EquipmentCtrl& ctrl = Ctrl(player);
    ctrl.SetIgnoreRequirements(true);
    bool flag = false;
    const uint32_t sword = Make("Weapons/Sword"), shield = Make("Weapons/Shield"), staff = Make("Weapons/Staff");
    ASSERT_TRUE(ctrl.AutoInsertItem(sword));
    ASSERT_TRUE(ctrl.AutoInsertItem(shield));
    EXPECT_EQ(ctrl.GetItem_HandLeft(), shield);
    EXPECT_FALSE(ctrl.AutoInsertItem(sword));   // held already
    EXPECT_FALSE(ctrl.CanItemBePlaced(EquipmentCtrlLocation_Head, sword, flag));
    // Two items could not both come back.
    EXPECT_FALSE(ctrl.CanItemBePlaced(EquipmentCtrlLocation_HandLeft, staff, flag));
    ASSERT_TRUE(ctrl.RemoveItem(shield));
    ASSERT_TRUE(ctrl.CanItemBePlaced(EquipmentCtrlLocation_HandLeft, staff, flag));
    uint32_t placed = staff;
    ctrl.PlaceItem(EquipmentCtrlLocation_HandLeft, placed);
    EXPECT_EQ(placed, sword);
    EXPECT_EQ(ctrl.GetItem_HandRight(), staff);
    EXPECT_EQ(ctrl.GetItem_HandLeft(), staff);
    EXPECT_EQ(ctrl.GetWeaponSet(false).GetHand(EquipmentCtrlWeaponSet::Right).info.itemId, 0u);

    ASSERT_TRUE(ctrl.RemoveItem(staff));
    EXPECT_FALSE(ctrl.CanItemBePlaced(EquipmentCtrlLocation_HandLeft, sword, flag));
    ctrl.SetAllowDualWeapons(true);
    EXPECT_TRUE(ctrl.CanItemBePlaced(EquipmentCtrlLocation_HandLeft, sword, flag));

    const uint32_t spear = Make("Weapons/Spear"), bow = Make("Weapons/Bow");
    placed = spear;
    ctrl.PlaceItem(EquipmentCtrlLocation_HandRight, placed);
    EXPECT_TRUE(ctrl.CanItemBePlaced(EquipmentCtrlLocation_HandLeft, shield, flag));
    EXPECT_FALSE(ctrl.CanItemBePlaced(EquipmentCtrlLocation_HandLeft, sword, flag));
    ASSERT_TRUE(ctrl.CanItemBePlaced(EquipmentCtrlLocation_HandLeft, bow, flag));
    placed = bow;
    ctrl.PlaceItem(EquipmentCtrlLocation_HandLeft, placed);
    EXPECT_EQ(placed, spear);
    EXPECT_EQ(ctrl.GetItem_HandRight(), bow);
}

TEST_F(EquipmentCtrlTest, SetSwitchDetachesBeforeItAttaches)
{
    EquipmentCtrl& ctrl = Ctrl(player);
    ctrl.SetIgnoreRequirements(true);
    const uint32_t sword = Make("Weapons/Sword"), bow = Make("Weapons/Bow");
    ASSERT_TRUE(ctrl.AutoInsertItem(sword));
    bool flag = false;
    ASSERT_TRUE(ctrl.CanItemBePlaced_HandLeft(bow, flag, true, true));
    uint32_t placed = bow;
    ctrl.PlaceItem_HandLeft(placed, true, true);
    EXPECT_TRUE(player->GetAlternateConfigEnabled());
    gEngine->RunActorCommands();
    EXPECT_TRUE(Worn(player, sword));
    EXPECT_FALSE(Worn(player, bow));

    // A detached weapon goes back to the inventory; the other set's weapon is not on yet.
    std::vector<bool> otherWornAtDetach;
    auto previous = EventManager::Get().SetSendObserver([&](const GameEvent& event, const Name& name) {
        if (name == Name("GameEvent_ItemAdd"))
            otherWornAtDetach.push_back(
                Worn(player, static_cast<const GameEvent_ItemAdd&>(event).itemId == sword ? bow : sword));
    });
    ctrl.SetAlternateEquipment(true);
    gEngine->RunActorCommands();
    EXPECT_TRUE(Worn(player, bow));
    EXPECT_FALSE(Worn(player, sword));
    EXPECT_TRUE(ctrl.IsItemAttached(bow));
    EXPECT_EQ(ctrl.GetItem_HandRight(), bow);
    player->GetPlayerController()->SetAlternateEquipment(false);
    gEngine->RunActorCommands();
    EventManager::Get().SetSendObserver(std::move(previous));
    EXPECT_EQ(otherWornAtDetach, (std::vector<bool>{false, false}));
    EXPECT_TRUE(Worn(player, sword));
}

TEST_F(EquipmentCtrlTest, RefreshDetachesUnmetItemsInPlaceAndAttachesThemAgain)
{
    ControllerPlayer* controller = player->GetPlayerController();
    EquipmentCtrl& ctrl = controller->GetEquipmentCtrl();
    const uint32_t ring = Make("Armor/Ring");   // strength 55 from its record; the rest met here
    player->SetCharLevel(20);
    player->SetTotalCharAttribute(CharAttributeType_Dexterity, 60.0f);
    player->SetTotalCharAttribute(CharAttributeType_Intelligence, 60.0f);
    player->SetTotalCharAttribute(CharAttributeType_Strength, 54.9f);
    EXPECT_FALSE(ctrl.AutoInsertItem(ring));
    player->SetTotalCharAttribute(CharAttributeType_Strength, 60.0f);
    ASSERT_TRUE(ctrl.AutoInsertItem(ring));
    EXPECT_EQ(ctrl.GetItem_Finger1(), ring);
    player->SetTotalCharAttribute(CharAttributeType_Strength, 10.0f);
    controller->Update(0);   // the first update refreshes
    EXPECT_FALSE(ctrl.IsItemAttached(ring));
    gEngine->RunActorCommands();
    EXPECT_FALSE(Worn(player, ring));
    EXPECT_TRUE(player->GetInventory().IsItemInInventory(ring));
    player->SetTotalCharAttribute(CharAttributeType_Strength, 60.0f);
    controller->Update(249);
    EXPECT_FALSE(ctrl.IsItemAttached(ring));
    controller->Update(1);
    EXPECT_TRUE(ctrl.IsItemAttached(ring));
    EXPECT_EQ(ctrl.GetItem_Finger1(), ring);
}

// Each requirement is met by its own attribute alone: a ring that needs 55 of one is not
// worn with 10 of it and 60 of the other two, and is worn with 60 of it.
TEST_F(EquipmentCtrlTest, EachRequirementIsMetByItsOwnAttribute)
{
    const std::pair<std::string, CharAttributeType> needs[] = {{"strength", CharAttributeType_Strength},
                                                               {"dexterity", CharAttributeType_Dexterity},
                                                               {"intelligence", CharAttributeType_Intelligence}};
    for (const auto& [name, attribute] : needs) {
        RecordDatabase::Get().RegisterRecord(Record("Test/NeedRing"),
                                             "Class,ArmorJewelry_Ring,\n" + name + "Requirement,55,\n");
        player = Fresh();
        player->SetCharLevel(20);
        for (const auto& other : needs)
            player->SetTotalCharAttribute(other.second, other.second == attribute ? 10.0f : 60.0f);
        const uint32_t ring = Make("Test/NeedRing");
        EXPECT_FALSE(Ctrl(player).AutoInsertItem(ring)) << name;
        player->SetTotalCharAttribute(attribute, 60.0f);
        EXPECT_TRUE(Ctrl(player).AutoInsertItem(ring)) << name;
    }
}

TEST_F(EquipmentCtrlTest, SaveBlockRestoresSlotsAndSendsMisfitsToTheInventory)
{
    EquipmentCtrl& ctrl = Ctrl(player);
    ctrl.SetIgnoreRequirements(true);
    const uint32_t helm = Make("Armor/Helm"), sword = Make("Weapons/Sword"), bow = Make("Weapons/Bow");
    ctrl.AutoInsertItem(helm);
    ctrl.AutoInsertItem(sword);
    uint32_t placed = bow;
    ctrl.PlaceItem_HandLeft(placed, true, true);
    RecordingStream tape;
    ctrl.StreamProperties(tape);
    // Record n's "baseName": head, neck, upper body, lower body, forearm, fingers, then
    // the right and left hands of each set.
    auto baseName = [&](size_t n) -> RecordingStream::Value& {
        for (RecordingStream::Entry& entry : tape.entries)
            if (entry.key == "baseName" && n-- == 0)
                return entry.value;
        throw std::out_of_range("record");
    };
    const std::vector<std::string> keys = tape.Keys();
    ASSERT_EQ(keys.size(), 119u);
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 13),
              (std::vector<std::string>{"<block>", "useAlternate", "<block>", "baseName", "prefixName", "suffixName",
                                        "relicName", "relicBonus", "seed", "var1", "</block>", "itemAttached",
                                        "<block>"}));
    EXPECT_EQ(std::get<std::string>(baseName(0)), Record("Armor/Helm"));
    EXPECT_EQ(std::get<std::string>(baseName(1)), "");   // the empty neck
    EXPECT_EQ(keys[72], "<block>");
    EXPECT_EQ(keys[73], "alternate");
    EXPECT_EQ(std::get<std::string>(baseName(10)), Record("Weapons/Bow"));

    Player* loaded = Fresh();
    tape.reading = true;
    Ctrl(loaded).StreamProperties(tape);
    const EquipmentCtrl& copy = Ctrl(loaded);
    EXPECT_NE(copy.GetItem_Head(), helm);
    EXPECT_EQ(RecordOf(copy.GetItem_Head()), Record("Armor/Helm"));
    EXPECT_TRUE(Worn(loaded, copy.GetItem_Head()));   // attached at once, without a command
    EXPECT_EQ(copy.GetItem_Neck(), 0u);
    const uint32_t spareBow = copy.GetWeaponSet(true).GetEffectiveItem(EquipmentCtrlWeaponSet::Left);
    EXPECT_EQ(RecordOf(spareBow), Record("Weapons/Bow"));
    EXPECT_FALSE(Worn(loaded, spareBow));
    EXPECT_TRUE(loaded->GetInventory().IsItemInInventory(spareBow));

    // A sword saved as the helm, and a bow beside the main sword, end in the inventory; a
    // record of another class makes nothing.
    std::vector<std::string> log;
    auto previous = gEngine->SetLogSink([&](const LogLine& line) {
        if (line.text.starts_with("EquipmentCtrl"))
            log.push_back(line.text);
    });
    baseName(0) = Record("Weapons/Sword");
    baseName(1) = std::string(Player::kPlayerControllerRecord);
    baseName(8) = Record("Weapons/Bow");
    tape.next = 0;
    Player* misfit = Fresh();
    Ctrl(misfit).StreamProperties(tape);
    gEngine->SetLogSink(previous);
    EXPECT_EQ(Ctrl(misfit).GetItem_Head(), 0u);
    EXPECT_EQ(RecordOf(Ctrl(misfit).GetItem_HandRight()), Record("Weapons/Sword"));
    EXPECT_EQ(misfit->GetInventory().GetInventoryItems().size(), 3u);   // sword, bow, spare bow
    EXPECT_EQ(log, (std::vector<std::string>{
                       "EquipmentCtrl: the saved " + Record("Weapons/Sword") + " does not go on the head; it goes to the inventory",
                       "EquipmentCtrl: the saved item \"" + std::string(Player::kPlayerControllerRecord) +
                           "\" makes no item; its place stays as it was",
                       "EquipmentCtrl: the saved " + Record("Weapons/Bow") +
                           " shares the hands with a two-handed item; it goes to the inventory"}));
}

}  // namespace
}  // namespace GAME
