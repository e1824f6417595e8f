// The hot slots: an option shared by two slots and destroyed once, activation and its
// delay, the 250 ms validation, the potion option's status, and the save block.
#include <algorithm>
#include <vector>

#include "core/EngineFixture.h"
#include "Engine/IOStreamReadWrite.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/PlayerHotSlotCtrl.h"
#include "Game/items/PlayerInventoryCtrl.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

class PlayerHotSlotCtrlTest : public EngineTest {
protected:
    void SetUp() override
    {
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        records.RegisterRecord("Records/P.dbr", "Class,Player,\n");
        records.RegisterRecord(kSkill, "Class,Skill,\nskillMaxLevel,10,\n");
        records.RegisterRecord(kPotion, "Class,OneShot_PotionHealth,\nbitmap,P.tex,\nuseDelayTime,1,\n");
        EngineTest::SetUp();
        player = MakePlayer();
        skill = Learn(*player);
    }
    Player* MakePlayer()
    {
        auto* made = ObjectManager::Get().CreateObjectFromFile<Player>("Records/P.dbr");
        made->SetIsControllingCharacter(true);
        return made;
    }
    Skill* Learn(Player& p)
    {
        auto* learnt = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkill);
        p.GetSkillManager().AddSkill(learnt);
        learnt->ReceiveStateUpdate(SkillState{1, true}, true);
        return learnt;
    }
    HotSlotOptionSkill SkillOption(uint32_t id)
    {
        HotSlotOptionSkill option(id);
        option.SetPlayer(player);
        return option;
    }
    static constexpr const char* kSkill = "Records/Skill.dbr";
    static constexpr const char* kPotion = "Records/Potion.dbr";
    Player* player = nullptr;
    Skill* skill = nullptr;
};

TEST_F(PlayerHotSlotCtrlTest, AnOptionInTwoSlotsIsSharedAndDestroyedOnce)
{
    PlayerHotSlotCtrl& slots = player->GetPlayerHotSlotCtrl();
    const HotSlotOptionSkill option = SkillOption(skill->GetObjectId());
    slots.SetHotSlot(2, &option);
    slots.SetHotSlot(5, &option);
    ASSERT_NE(slots.GetHotSlotOption(2), &option);   // a copy is kept
    EXPECT_EQ(slots.GetHotSlotOption(2), slots.GetHotSlotOption(5));
    slots.SetHotSlot(2, nullptr);
    ASSERT_NE(slots.GetHotSlotOption(5), nullptr);
    EXPECT_EQ(slots.GetHotSlotOption(5)->GetSkillId(), skill->GetObjectId());
    slots.SetHotSlot(5, nullptr);   // the last slot lets go: destroyed (once, or ASan says)
    EXPECT_EQ(slots.GetHotSlotOption(5), nullptr);
    slots.SetHotSlot(1, &option);
    slots.SetHotSlot(7, &option);
    slots.SetHotSlot(PlayerHotSlotCtrl::kSlotCount, &option);   // ignored
    // The destructor lets both slots go and destroys the shared option once.
}

TEST_F(PlayerHotSlotCtrlTest, ActivationDelayValidationAndPotionStatus)
{
    PlayerHotSlotCtrl& slots = player->GetPlayerHotSlotCtrl();
    // A targeted skill waits for its target until the controller takes it.
    const HotSlotOptionSkill targeted = SkillOption(skill->GetObjectId());
    slots.SetHotSlot(0, &targeted);
    slots.ActivateHotSlot(0);
    EXPECT_TRUE(slots.IsAnyActiveTargetingNeeded());
    EXPECT_TRUE(slots.IsAnySlotActive());
    EXPECT_TRUE(slots.IsHotSlotActive(0));
    EXPECT_EQ(slots.GetActiveSlotOption(true), slots.GetHotSlotOption(0));
    EXPECT_FALSE(slots.IsAnySlotActive());

    // A potion option: ready with potions, cooling down after a drink, then none left.
    HotSlotOptionPotion health(HotSlotOptionPotion::kHealth);
    health.SetPlayer(player);
    EXPECT_EQ(health.GetStatus(), HotSlotOptionStatus_NoPotionsLeft);
    ItemReplicaInfo identity;
    identity.baseName = kPotion;
    for (int i = 0; i < 2; ++i) {
        const uint32_t id = Item::CreateItem(identity)->GetObjectId();
        player->GetInventory().AddItemToInventory(id, false);
        ASSERT_TRUE(player->GetPlayerController()->GetInventoryCtrl().AddItem(id, true));
    }
    slots.SetHotSlot(8, &health);
    EXPECT_EQ(slots.GetSlotStatus(8), HotSlotOptionStatus_Ready);
    slots.ActivateHotSlot(8);
    EXPECT_FALSE(slots.IsAnySlotActive());   // held back for 500 ms
    EXPECT_EQ(slots.GetSlotStatus(8), HotSlotOptionStatus_Ready);   // the cooldown has not run yet
    player->GetPlayerController()->GetInventoryCtrl().Update(100);
    EXPECT_EQ(slots.GetSlotStatus(8), HotSlotOptionStatus_CoolingDown);
    EXPECT_NEAR(health.GetCooldownCompletion(), 0.1f, 1e-6f);
    slots.Update(PlayerHotSlotCtrl::kActivationDelayMs);
    EXPECT_FALSE(slots.IsHotSlotActive(8));
    gEngine->RunActorCommands();
    EXPECT_EQ(health.GetNumberAvailable(), 1);

    // Validation: an option whose skill left the player goes; the skill slots get the
    // default skill back.
    auto* stranger = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkill);
    const HotSlotOptionSkill gone = SkillOption(stranger->GetObjectId());
    slots.SetHotSlot(3, &gone);
    slots.SetHotSlot(PlayerHotSlotCtrl::kPrimarySlot, &gone);
    slots.Update(PlayerHotSlotCtrl::kValidationPeriodMs);
    EXPECT_EQ(slots.GetHotSlotOption(3), nullptr);
    ASSERT_NE(slots.GetPrimarySlot(), nullptr);
    EXPECT_EQ(slots.GetPrimarySlot()->GetSkillId(), player->GetSkillManager().GetDefaultSkillId());
    EXPECT_NE(slots.GetHotSlotOption(0), nullptr);
}

// The skill ids of the primary and secondary slot are no way into the slots: setting
// does nothing and both answer 0, as does the default potion setter. A secondary use that
// activates nothing lifts the delay of an earlier use, as the primary's does, and the
// validation pass leaves a pending activation alone.
TEST_F(PlayerHotSlotCtrlTest, SkillIdsAreNoWayIntoTheSlotsAndTheSecondaryLiftsTheDelay)
{
    PlayerHotSlotCtrl& slots = player->GetPlayerHotSlotCtrl();
    const HotSlotOptionSkill targeted = SkillOption(skill->GetObjectId());
    slots.SetPrimarySlot(&targeted);
    const auto held = [&slots] {
        std::vector<const HotSlotOption*> options;
        for (uint32_t index = 0; index < PlayerHotSlotCtrl::kSlotCount; ++index)
            options.push_back(slots.GetHotSlotOption(index));
        return options;
    };
    const std::vector<const HotSlotOption*> before = held();
    slots.SetPrimarySkillId(0);
    slots.SetSecondarySkillId(skill->GetObjectId());
    slots.SetDefaultPotionHotSlots("Records/Potion.dbr", nullptr);
    EXPECT_EQ(held(), before);
    ASSERT_NE(slots.GetPrimarySlot(), nullptr);
    EXPECT_EQ(slots.GetSecondarySlot(), nullptr);
    EXPECT_EQ(slots.GetPrimarySkillId(), 0u);
    EXPECT_EQ(player->GetPrimarySkillId(), 0u);
    EXPECT_EQ(slots.GetSecondarySkillId(), 0u);

    HotSlotOptionPotion health(HotSlotOptionPotion::kHealth);
    health.SetPlayer(player);
    ItemReplicaInfo identity;
    identity.baseName = kPotion;
    PlayerInventoryCtrl& bags = player->GetPlayerController()->GetInventoryCtrl();
    for (int i = 0; i < 2; ++i) {
        const uint32_t potion = Item::CreateItem(identity)->GetObjectId();
        player->GetInventory().AddItemToInventory(potion, false);
        ASSERT_TRUE(bags.AddItem(potion, true));
    }
    slots.SetHotSlot(8, &health);
    for (bool secondary : {false, true}) {
        SCOPED_TRACE(secondary);
        bags.Update(1000);   // the potions' cooldown is over
        slots.ActivateHotSlot(8);
        EXPECT_FALSE(slots.IsAnySlotActive());   // drunk: held back for 500 ms
        slots.SetHotSlot(secondary ? PlayerHotSlotCtrl::kSecondarySlot : PlayerHotSlotCtrl::kPrimarySlot, &targeted);
        if (secondary)
            slots.ActivateSecondarySlot();
        else
            slots.ActivatePrimarySlot();
        EXPECT_TRUE(slots.IsAnyActiveTargetingNeeded());
        EXPECT_TRUE(slots.IsAnySlotActive());
    }
    // An option that fails validation goes; the pending one stays pending.
    auto* stranger = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkill);
    const HotSlotOptionSkill gone = SkillOption(stranger->GetObjectId());
    slots.SetHotSlot(3, &gone);
    slots.ActivateSecondarySlot();
    slots.Update(PlayerHotSlotCtrl::kValidationPeriodMs);
    EXPECT_EQ(slots.GetHotSlotOption(3), nullptr);
    EXPECT_TRUE(slots.IsSecondarySlotActive());
}

TEST_F(PlayerHotSlotCtrlTest, TheSaveBlockRoundTripsAndAnEmptySlotStaysEmpty)
{
    PlayerHotSlotCtrl& slots = player->GetPlayerHotSlotCtrl();
    slots.SetToDefaults();
    const HotSlotOptionSkill option = SkillOption(skill->GetObjectId());
    slots.SetHotSlot(2, &option);
    slots.SetHotSlot(4, &option);
    IOStreamWrite out;
    slots.StreamProperties(out);
    ASSERT_TRUE(out.Close());

    // Key by key: slot 2 a skill, slot 3 empty, slot 8 the health potion.
    IOStreamRead in(out.GetBytes().data(), out.GetBytes().size());
    in.BeginBlock();
    std::vector<int32_t> types;
    for (uint32_t slot = 0; slot < PlayerHotSlotCtrl::kSlotCount; ++slot) {
        int32_t type = 9, defaultType = 9;
        std::string name;
        bool itemSkill = true;
        in.StreamInt32("storedType", type);
        if (type == 0) {
            in.StreamString("skillName", name);
            in.StreamBool("isItemSkill", itemSkill);
            EXPECT_EQ(name, slot == 2 || slot == 4 ? kSkill : "") << slot;
            EXPECT_FALSE(itemSkill);
        } else if (type == 1) {
            in.StreamInt32("storedDefaultType", defaultType);
            EXPECT_EQ(defaultType, slot == PlayerHotSlotCtrl::kHealthPotionSlot ? 0 : 1);
        }
        types.push_back(type);
    }
    in.EndBlock();
    ASSERT_FALSE(in.Failed()) << in.GetError();
    EXPECT_EQ(types, (std::vector<int32_t>{-1, -1, 0, -1, 0, -1, -1, -1, 1, 1, 0, 0, -1, -1}));

    Player* loaded = MakePlayer();
    const Skill* copy = Learn(*loaded);
    IOStreamRead back(out.GetBytes().data(), out.GetBytes().size());
    PlayerHotSlotCtrl& read = loaded->GetPlayerHotSlotCtrl();
    read.StreamProperties(back);
    ASSERT_FALSE(back.Failed()) << back.GetError();
    EXPECT_EQ(read.GetHotSlotOption(3), nullptr);
    ASSERT_NE(read.GetHotSlotOption(2), nullptr);
    EXPECT_EQ(read.GetHotSlotOption(2)->GetSkillId(), copy->GetObjectId());
    EXPECT_NE(read.GetHotSlotOption(2), read.GetHotSlotOption(4));   // read back unshared
    ASSERT_NE(read.GetHotSlotOption(9), nullptr);
    EXPECT_EQ(read.GetHotSlotOption(9)->GetType(), HotSlotOption::kPotionOption);
    IOStreamWrite again;
    read.StreamProperties(again);
    ASSERT_TRUE(again.Close());
    EXPECT_TRUE(std::ranges::equal(again.GetBytes(), out.GetBytes()));

    // A potion kind the game does not have is read as none, and the validation drops it.
    IOStreamWrite odd;
    odd.BeginBlock();
    for (int32_t slot = 0, empty = -1, potion = 1, kind = 7; slot < 14; ++slot) {
        odd.StreamInt32("storedType", slot == 9 ? potion : empty);
        if (slot == 9)
            odd.StreamInt32("storedDefaultType", kind);
    }
    odd.EndBlock();
    IOStreamRead oddIn(odd.GetBytes().data(), odd.GetBytes().size());
    read.StreamProperties(oddIn);
    read.Update(PlayerHotSlotCtrl::kValidationPeriodMs);
    EXPECT_EQ(read.GetHotSlotOption(9), nullptr);
}

// The bar's timing and clearing rules, each case on the bar of a fresh player: the end of
// the 500 ms hold clears the active option; the secondary slot's potion does not stay
// active; taking the active option clears the target request; the validation runs every
// 250 ms; the default state needs a potion option in slot 8 and nothing in slots 0-7.
TEST_F(PlayerHotSlotCtrlTest, HoldsClearingValidationPeriodAndTheDefaultState)
{
    PlayerInventoryCtrl& bags = player->GetPlayerController()->GetInventoryCtrl();
    ItemReplicaInfo identity;
    identity.baseName = kPotion;
    for (int i = 0; i < 2; ++i) {
        const uint32_t potion = Item::CreateItem(identity)->GetObjectId();
        player->GetInventory().AddItemToInventory(potion, false);
        ASSERT_TRUE(bags.AddItem(potion, true));
    }
    PlayerHotSlotCtrl& slots = player->GetPlayerHotSlotCtrl();
    HotSlotOptionPotion health(HotSlotOptionPotion::kHealth);
    health.SetPlayer(player);
    slots.SetHotSlot(8, &health);
    slots.ActivateHotSlot(8);
    slots.Update(PlayerHotSlotCtrl::kActivationDelayMs - 1);
    EXPECT_FALSE(slots.IsAnySlotActive());
    slots.Update(1);
    EXPECT_FALSE(slots.DeactivateActiveSlot()) << "the hold's end lets the potion go";

    bags.Update(1000);
    slots.SetSecondarySlot(&health);
    slots.ActivateSecondarySlot();
    EXPECT_FALSE(slots.DeactivateActiveSlot()) << "a potion drunk from the secondary slot";

    const HotSlotOptionSkill targeted = SkillOption(skill->GetObjectId());
    slots.SetHotSlot(0, &targeted);
    slots.ActivateHotSlot(0);
    ASSERT_TRUE(slots.IsAnyActiveTargetingNeeded());
    slots.GetActiveSlotOption(true);
    EXPECT_FALSE(slots.IsAnyActiveTargetingNeeded());

    slots.Update(PlayerHotSlotCtrl::kValidationPeriodMs);   // a pass: the next is 250 ms away
    auto* stranger = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkill);
    const HotSlotOptionSkill gone = SkillOption(stranger->GetObjectId());
    slots.SetHotSlot(3, &gone);
    slots.Update(PlayerHotSlotCtrl::kValidationPeriodMs - 1);
    EXPECT_NE(slots.GetHotSlotOption(3), nullptr);
    slots.Update(1);
    EXPECT_EQ(slots.GetHotSlotOption(3), nullptr);

    engine->GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());
    slots.SetHotSlot(0, nullptr);
    slots.SetHotSlot(PlayerHotSlotCtrl::kSecondarySlot, nullptr);
    slots.SetHotSlot(8, nullptr);
    slots.SetToDefaults();
    EXPECT_TRUE(slots.IsInDefaultState());
    slots.SetHotSlot(9, nullptr);
    EXPECT_TRUE(slots.IsInDefaultState()) << "slot 9 does not count";
    slots.SetHotSlot(8, &targeted);
    EXPECT_FALSE(slots.IsInDefaultState()) << "a skill in slot 8";
    slots.SetHotSlot(8, nullptr);
    EXPECT_FALSE(slots.IsInDefaultState()) << "slot 8 empty";
    slots.SetToDefaults();
    slots.SetHotSlot(7, &targeted);
    EXPECT_FALSE(slots.IsInDefaultState()) << "a free slot used";
}

}  // namespace GAME
