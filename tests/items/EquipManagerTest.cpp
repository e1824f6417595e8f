// What a character wears: bones and hands, the hand state, the default head piece, props,
// the enchantment, and the worn items going with their wearer.
#include <gtest/gtest.h>

#include <utility>

#include "Engine/Engine.h"
#include "Game/characters/Character.h"
#include "Game/combat/CombatManager.h"
#include "Game/items/Weapon.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/Prop.h"
#include "core/EngineFixture.h"

namespace GAME {
namespace {

const std::string kHeldRecords = "Records/Item/Weapons/";

class EquipManagerTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        RecordDatabase::Get().RegisterRecord("Records/Test/Wearer.dbr",
                                             "Class,Character,\ndefaultHeadPiece,Records/Item/Armor/Helm.dbr,\n");
        wearer = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Wearer.dbr");
    }
    uint32_t Make(const std::string& record)
    {
        ItemReplicaInfo info;
        info.baseName = record;
        Item* item = Item::CreateItem(info);
        return item ? item->GetObjectId() : 0;
    }
    EquipManager& Equipment() { return wearer->GetCombatManager().GetEquipManager(); }
    // The bone the item hangs at on the wearer; "-" when it is not attached to it.
    std::string BoneOf(uint32_t itemId) const
    {
        for (const Entity::AttachedEntity& attached : wearer->GetAttachedEntities())
            if (attached.entity && attached.entity->GetObjectId() == itemId)
                return attached.attachPoint.c_str();
        return "-";
    }
    static Weapon* Held(uint32_t itemId) { return ObjectManager::Get().GetObject<Weapon>(itemId); }
    static bool Visible(uint32_t itemId) { return ObjectManager::Get().GetObject<Actor>(itemId)->GetVisibility(); }

    Character* wearer = nullptr;
};

// A lone left sword is drawn in the right hand until the right hand holds something; a
// shield never picks the animation set; worn weapons carry the character's enchantment.
TEST_F(EquipManagerTest, HandsDrawALoneLeftSwordRightAndShieldsNeverDecide)
{
    EventCapture events;
    events.Keep<GameEvent_ItemAttach>("GameEvent_ItemAttach");
    events.Keep<GameEvent_ItemDetach>("GameEvent_ItemDetach");
    const uint32_t sword = Make(kHeldRecords + "Sword.dbr");
    const uint32_t mace = Make(kHeldRecords + "Mace.dbr");
    const uint32_t shield = Make(kHeldRecords + "Shield.dbr");

    wearer->AttachItemAction(sword, EquipLocation_LeftHand);
    wearer->SetWeaponEnchantment("Records/Effects/Enchantments/MeleeFire.dbr");
    EXPECT_EQ(Equipment().GetHandState(), EquipManager_SingleHanded);
    EXPECT_EQ(BoneOf(sword), "R Hand");
    EXPECT_EQ(Equipment().GetRightHandWeapon(), sword);
    EXPECT_EQ(Equipment().GetLeftHandWeapon(), 0u);

    wearer->AttachItemAction(mace, EquipLocation_RightHand);
    EXPECT_NE(Held(mace)->GetWeaponEnchantment(), nullptr);   // laid on weapons attached later too
    EXPECT_EQ(BoneOf(sword), "L Hand");
    EXPECT_EQ(BoneOf(mace), "R Hand");
    EXPECT_EQ(Equipment().GetHandState(), EquipManager_DualWielded);

    wearer->DetachItemAction(sword);
    EXPECT_EQ(Held(sword)->GetWeaponEnchantment(), nullptr);
    wearer->AttachItemAction(shield, EquipLocation_LeftHand);
    EXPECT_EQ(Equipment().GetHandState(), EquipManager_SingleHanded);
    EXPECT_EQ(Equipment().GetLeftHandShield(), shield);
    wearer->DetachItemAction(mace);
    EXPECT_EQ(Equipment().GetHandState(), EquipManager_Unarmed);

    // Detached items are back in the inventory; what is worn is not.
    EXPECT_EQ(wearer->GetInventoryItems(), (std::vector<uint32_t>{sword, mace}));
    const auto attached = events.Kept<GameEvent_ItemAttach>("GameEvent_ItemAttach");
    ASSERT_EQ(attached.size(), 3u);
    EXPECT_EQ(attached[2].characterId, wearer->GetObjectId());
    EXPECT_EQ(attached[2].itemId, shield);
    EXPECT_EQ(events.Kept<GameEvent_ItemDetach>("GameEvent_ItemDetach").at(0).itemId, sword);

    LogCapture log;
    wearer->AttachItemAction(shield, EquipLocation_LeftHand);
    EXPECT_TRUE(log.Contains("EquipManager: Attempt to attach item twice (ID:" + std::to_string(shield) + ")"));
    EXPECT_EQ(Equipment().GetAttachedItems().size(), 1u);
}

// The hands and the skills' weapon types are kept: a worn weapon destroyed, and a left
// weapon set on the skills, show at once.
TEST_F(EquipManagerTest, HandsAndWeaponTypesFollowAWeaponDestroyedAndALeftWeaponSet)
{
    const uint32_t sword = Make(kHeldRecords + "Sword.dbr");
    const uint32_t mace = Make(kHeldRecords + "Mace.dbr");
    wearer->AttachItemAction(sword, EquipLocation_RightHand);
    SkillManager& skills = wearer->GetSkillManager();
    const auto types = [&] {
        Weapon_Type right = Weapon_None, left = Weapon_None;
        skills.GetWeaponTypes(right, left);
        return std::pair(right, left);
    };
    EXPECT_EQ(Equipment().GetHandState(), EquipManager_SingleHanded);
    EXPECT_EQ(types(), std::pair(Weapon_Sword, Weapon_None));
    skills.SetLeftHandWeapon(mace);
    EXPECT_EQ(types(), std::pair(Weapon_Sword, Weapon_Mace));
    ObjectManager::Get().DestroyObjectEx(Held(sword), "test", __LINE__);
    EXPECT_EQ(Equipment().GetHandState(), EquipManager_Unarmed);
    EXPECT_EQ(types(), std::pair(Weapon_None, Weapon_Mace));
}

// The default head piece hides under a worn head item; a prop hides what sits at its bone,
// and once removed and added again at another point, removing it shows that bone's items.
TEST_F(EquipManagerTest, HeadPieceAndPropsHideWhatSitsAtTheirBone)
{
    const uint32_t head = Equipment().GetDefaultHeadPiece();
    ASSERT_EQ(BoneOf(head), "Head");
    const uint32_t helm = Make("Records/Item/Armor/Helm.dbr");
    const uint32_t bow = Make(kHeldRecords + "Bow.dbr");
    wearer->AttachItemAction(helm, EquipLocation_Head);
    wearer->AttachItemAction(bow, EquipLocation_LeftHand);
    EXPECT_FALSE(Visible(head));
    EXPECT_EQ(Equipment().GetHandState(), EquipManager_Bow);

    RecordDatabase::Get().RegisterRecord("Records/Test/Torch.dbr", "Class,Prop,\npropAttachPoint,Head,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/TorchLeft.dbr", "Class,Prop,\npropAttachPoint,L Hand,\n");
    auto* prop = ObjectManager::Get().CreateObjectFromFile<Prop>("Records/Test/Torch.dbr");
    wearer->AddEquipmentProp(prop);
    EXPECT_FALSE(Visible(helm));
    EXPECT_TRUE(Visible(bow));
    wearer->RemoveEquipmentProp(prop->GetObjectId());
    EXPECT_TRUE(Visible(helm));

    prop->Load(*ObjectManager::Get().LoadTableFile("Records/Test/TorchLeft.dbr"));
    wearer->AddEquipmentProp(prop);
    EXPECT_FALSE(Visible(bow));
    wearer->RemoveEquipmentProp(prop->GetObjectId());
    EXPECT_TRUE(Visible(bow));
    EXPECT_EQ(BoneOf(prop->GetObjectId()), "-");

    wearer->DetachItemAction(helm);
    EXPECT_TRUE(Visible(head));
}

// Destroying a character destroys what it wears and its head piece; an item taken off
// before is left alone.
TEST_F(EquipManagerTest, ADestroyedCharacterLeavesNoWornItemAlive)
{
    const uint32_t sword = Make(kHeldRecords + "Sword.dbr");
    const uint32_t ring = Make("Records/Item/Armor/Ring.dbr");
    const uint32_t dropped = Make(kHeldRecords + "Mace.dbr");
    wearer->AttachItemAction(sword, EquipLocation_RightHand);
    wearer->AttachItemAction(ring, EquipLocation_Finger);
    wearer->AttachItemAction(dropped, EquipLocation_LeftHand);
    wearer->DetachItemAction(dropped);   // as at death: taken off, then dropped
    uint32_t droppedId = dropped;
    wearer->DropItemFromEquipLocation(droppedId, EquipLocation_LeftHand, false);
    const uint32_t head = Equipment().GetDefaultHeadPiece();

    ObjectManager::Get().DestroyObjectEx(wearer, "test", __LINE__);
    for (uint32_t id : {sword, ring, head})
        EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr) << id;
    EXPECT_NE(ObjectManager::Get().GetObject(dropped), nullptr);
}

}  // namespace
}  // namespace GAME
