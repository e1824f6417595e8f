// Weapons and armour from the bundled records: kind rows, attach scale, enchantments and
// their effects, shield values and their modifiers, body-type looks and garments, and the
// tooltip's trailing blank line.
#include <gtest/gtest.h>

#include <type_traits>

#include "Engine/Engine.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/WeaponTrail.h"
#include "Engine/World.h"
#include "Game/characters/GarmentManager.h"
#include "Game/characters/Player.h"
#include "Game/items/Armor.h"
#include "Game/items/WeaponArmor_Shield.h"
#include "Game/items/WeaponEnchantment.h"
#include "Game/world/EffectEntity.h"
#include "core/EngineFixture.h"

namespace GAME {
namespace {

const std::string kWeapons = "Records/Item/Weapons/";
const std::string kArmor = "Records/Item/Armor/";
const std::string kEnchantments = "Records/Effects/Enchantments/";

class WeaponArmorTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        wearer = MakeMainPlayer();
        LocalizationManager::Instance().RegisterTags(
            "CommonWeaponFormat=%s %s %s\ntagItemSword=Sword\ntagShieldBlockInfo=%.0f%% Chance to block %.0f Damage\n");
    }
    template <class T = Item>
    T* Make(const std::string& record, const std::string& prefix = "")
    {
        ItemReplicaInfo info;
        info.baseName = record;
        info.prefixName = prefix;
        info.seed = 11;
        return DynamicCast<T>(Item::CreateItem(info));
    }
    Player* wearer = nullptr;
};

TEST_F(WeaponArmorTest, KindRowsGiveKeysReductionsAndNumbers)
{
    auto* bow = Make<Weapon>(kWeapons + "Bow.dbr");
    ASSERT_NE(bow, nullptr);
    EXPECT_EQ(bow->GetWeaponType(), Weapon_Bow);
    EXPECT_EQ(bow->GetLeftHandType(), 4);
    EXPECT_EQ(bow->GetItemMarketType(), 3);
    EXPECT_EQ(bow->GetEnchantmentKind(), 2);
    // The bow's formula gives strength from the item level and its attribute count.
    EXPECT_GT(bow->GetDexterityRequirement(), 0u);
    EXPECT_FALSE(bow->IsArmor());

    auto* forearm = Make<Armor>(kArmor + "Armband.dbr");
    ASSERT_NE(forearm, nullptr);
    // The item type is the game's own kind of place.
    static_assert(std::is_same_v<decltype(forearm->GetItemType()), Item_Type>);
    EXPECT_EQ(forearm->GetItemType(), ItemType_Forearm);
    EXPECT_EQ(forearm->GetArmorRegion(), CombatAttributeRegion_Arms);
    EXPECT_TRUE(forearm->IsArmor());
    auto* amulet = Make<Armor>(kArmor + "Amulet.dbr");
    EXPECT_EQ(amulet->GetItemType(), ItemType_Neck);
    EXPECT_EQ(amulet->GetItemMarketType(), 4);
    // The weapon kinds read their class row; the plain weapon answers 1.
    auto* plain = DynamicCast<Weapon>(ObjectManager::Get().CreateObject("Weapon"));
    EXPECT_EQ(plain->GetWeaponType(), Weapon_Other);
    EXPECT_EQ(plain->GetItemType(), ItemType_None);
}

TEST_F(WeaponArmorTest, AttachScaleFallsBackToBaseThenOne)
{
    auto* sword = Make<Weapon>(kWeapons + "Sword.dbr");
    ASSERT_NE(sword, nullptr);
    sword->SetBaseScale(2.0f);
    sword->AttachItem(*wearer, "");   // the player's weapon scale is 0
    EXPECT_FLOAT_EQ(sword->GetCurrentScale(), 2.0f);
    // The trail is made at attach but runs only once enabled.
    ASSERT_NE(sword->GetWeaponTrail(), nullptr);
    EXPECT_FALSE(sword->IsWeaponTrailOn());
    sword->EnableWeaponTrail();
    EXPECT_TRUE(sword->IsWeaponTrailOn());
    sword->DetachItem(*wearer);
    EXPECT_EQ(sword->GetWeaponTrail(), nullptr);

    sword->SetBaseScale(0.0f);
    sword->AttachItem(*wearer, "");
    EXPECT_FLOAT_EQ(sword->GetCurrentScale(), 1.0f);
    sword->DetachItem(*wearer);
}

TEST_F(WeaponArmorTest, EnchantmentsByKind)
{
    auto* bow = Make<Weapon>(kWeapons + "Bow.dbr");
    ASSERT_NE(bow, nullptr);
    bow->AttachItem(*wearer, "");
    EXPECT_EQ(bow->GetProjectileName(), "Records/Skills/Projectiles/Arrow.dbr");
    bow->SetWeaponEnchantment(*wearer, kEnchantments + "BowFire.dbr");
    EXPECT_EQ(bow->GetProjectileName(), "Records/Skills/Projectiles/ArenaEmber.dbr");
    EXPECT_FLOAT_EQ(bow->GetTintColor().green, 128.0f / 255.0f);
    EXPECT_EQ(bow->GetCurrentTrailName(), "Records/Effects/Trails/FireTrail.dbr");
    // A melee enchantment on a bow reads the bow's keys: no projectile, no bow sounds.
    bow->SetWeaponEnchantment(*wearer, kEnchantments + "MeleeFire.dbr");
    EXPECT_EQ(bow->GetProjectileName(), "Records/Skills/Projectiles/Arrow.dbr");
    EXPECT_EQ(bow->GetWeaponEnchantment()->GetSwipeSound(), nullptr);

    // A sword sounds the enchantment's swipe and then its own.
    auto* sword = Make<Weapon>(kWeapons + "Sword.dbr");
    sword->AttachItem(*wearer, "");
    sword->SetWeaponEnchantment(*wearer, kEnchantments + "MeleeFire.dbr");
    sword->PlaySwipeSound(WorldVec3());
    EXPECT_EQ(sword->GetWeaponEnchantment()->GetSwipeSound()->GetPlayCount(), 1u);
    EXPECT_EQ(sword->GetSwipeSound()->GetPlayCount(), 1u);
    EXPECT_EQ(sword->GetProjectileName(), "");
    // The active effect emits only with the trail.
    ASSERT_NE(sword->GetEnchantmentActiveEffect(), nullptr);
    EXPECT_FALSE(sword->GetEnchantmentActiveEffect()->IsEmitting());
    EXPECT_TRUE(sword->GetEnchantmentEffect()->IsEmitting());
    sword->EnableWeaponTrail();
    EXPECT_TRUE(sword->GetEnchantmentActiveEffect()->IsEmitting());

    // A shield's enchantment reads nothing.
    auto* shield = Make<WeaponArmor_Shield>(kWeapons + "Shield.dbr");
    shield->SetWeaponEnchantment(*wearer, kEnchantments + "ShieldFire.dbr");
    ASSERT_NE(shield->GetWeaponEnchantment(), nullptr);
    EXPECT_EQ(shield->GetEnchantmentEffect(), nullptr);
    EXPECT_FLOAT_EQ(shield->GetTintColor().green, 1.0f);
}

TEST_F(WeaponArmorTest, EffectsOfAClearedEnchantmentNeverLeak)
{
    auto* sword = Make<Weapon>(kWeapons + "Sword.dbr");
    ASSERT_NE(sword, nullptr);
    // Outside the world: destroyed with the enchantment.
    sword->AttachItem(*wearer, "");
    sword->SetWeaponEnchantment(*wearer, kEnchantments + "MeleeFire.dbr");
    const uint32_t glow = sword->GetEnchantmentEffect()->GetObjectId();
    sword->DetachItem(*wearer);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObject<EffectEntity>(glow), nullptr);
    EXPECT_FLOAT_EQ(sword->GetTintColor().red, 1.0f);

    // In the world: left where the weapon was, then freed when its particles end.
    Region* region = World::Get().AddRegion(1, "Field");
    ASSERT_TRUE(World::Get().AddEntity(wearer, WorldCoords(region, Coords())));
    sword->AttachItem(*wearer, "");
    sword->SetWeaponEnchantment(*wearer, kEnchantments + "MeleeFire.dbr");
    auto* left = sword->GetEnchantmentEffect();
    const uint32_t leftId = left->GetObjectId();
    sword->SetWeaponEnchantment(*wearer, "");
    EXPECT_TRUE(left->IsInWorld());
    for (int step = 0; step < 4; ++step)
        left->UpdateSelf(EffectEntity::kParticleLifeMs);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObject<EffectEntity>(leftId), nullptr);
    sword->DetachItem(*wearer);

    // An effect stopped and then placed without asking frees itself all the same.
    auto* effect = DynamicCast<EffectEntity>(ObjectManager::Get().CreateObject("EffectEntity"));
    const uint32_t effectId = effect->GetObjectId();
    effect->StartEmitting();
    effect->StopEmitting();
    ASSERT_TRUE(effect->AddToWorld(WorldCoords(region, Coords()), false));
    effect->UpdateSelf(EffectEntity::kParticleLifeMs);
    effect->UpdateSelf(1);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObject<EffectEntity>(effectId), nullptr);
}

TEST_F(WeaponArmorTest, ShieldModifiersApplyToTheValuesRead)
{
    auto* shield = Make<WeaponArmor_Shield>(kWeapons + "Shield.dbr", "Records/Item/Affix/PrefixBulwark.dbr");
    ASSERT_NE(shield, nullptr);
    EXPECT_FLOAT_EQ(shield->GetShieldBlockChance(), 36.0f);
    EXPECT_FLOAT_EQ(shield->GetShieldDefense(), 44.0f);
    EXPECT_FLOAT_EQ(shield->GetShieldAbsorption(), 50.0f);
    EXPECT_EQ(shield->GetShieldRecoveryTime(), 1234);
    const uint32_t cost = shield->GetItemCost(false);
    shield->InitializeItem();
    EXPECT_FLOAT_EQ(shield->GetShieldBlockChance(), 36.0f);
    EXPECT_FLOAT_EQ(shield->GetShieldDefense(), 44.0f);
    EXPECT_EQ(shield->GetItemCost(false), cost);
    // The cost record holds the values as read.
    EXPECT_FLOAT_EQ(shield->GetShieldBlockCostInfo().blockChance, 30.0f);

    auto* plain = Make<WeaponArmor_Shield>(kWeapons + "Shield.dbr");
    EXPECT_EQ(plain->GetShieldBlockChance(), 30.0f);
    std::vector<GameTextLine> lines;
    plain->CreateUIAttributeText(lines);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().textClass, GameTextClass::ItemBaseStats);
    EXPECT_EQ(lines.front().text, u"30% Chance to block 40 Damage");
}

TEST_F(WeaponArmorTest, BodyTypesPickTheirLook)
{
    auto* plate = Make<Armor>(kArmor + "Breastplate.dbr");
    ASSERT_NE(plate, nullptr);
    wearer->SetGender(Character_Gender_Male);
    plate->AttachItem(*wearer, "");
    EXPECT_EQ(plate->GetMeshName(), "Meshes/Armor/BreastplateMale.msh");
    EXPECT_EQ(plate->GetBumpTextureName(), "Textures/Armor/BreastplateBump.tex");
    EXPECT_FLOAT_EQ(wearer->GetBreastSupport(), 1.0f);
    plate->DetachItem(*wearer);
    EXPECT_EQ(plate->GetMeshName(), "Meshes/Armor/BreastplateItem.msh");
    EXPECT_EQ(plate->GetBumpTextureName(), "");
    EXPECT_FLOAT_EQ(wearer->GetBreastSupport(), 0.0f);

    // No satyr mesh in the record: the record's own mesh, breast support all the same.
    wearer->SetGender(Character_Gender_Satyr);
    plate->AttachItem(*wearer, "");
    EXPECT_EQ(plate->GetMeshName(), "Meshes/Armor/BreastplateItem.msh");
    EXPECT_EQ(plate->GetBaseTextureName(), "");
    EXPECT_FLOAT_EQ(wearer->GetBreastSupport(), 1.0f);
    plate->DetachItem(*wearer);
    wearer->SetGender(Character_Gender_Tigerman);
    plate->AttachItem(*wearer, "");
    EXPECT_EQ(plate->GetMeshName(), "Meshes/Armor/BreastplateTigerman.msh");
    plate->DetachItem(*wearer);
}

TEST_F(WeaponArmorTest, GarmentsGoThroughTheGarmentManager)
{
    auto* vestment = Make<ArmorMisc_Vestment>(kArmor + "Vestment.dbr");
    auto* clothing = Make<ArmorMisc_Clothing>(kArmor + "Clothing.dbr");
    ASSERT_TRUE(vestment && clothing);
    wearer->SetGender(Character_Gender_Tigerman);
    clothing->AttachItem(*wearer, "Bip01 Spine");
    vestment->AttachItem(*wearer, "Bip01 Spine");
    EXPECT_EQ(wearer->GetGarmentManager().GetVestmentMesh(), "Meshes/Garments/VestmentNative.msh");
    EXPECT_EQ(wearer->GetMeshName(), "Meshes/Garments/VestmentNative.msh");
    // The vestment is attached hidden, the clothing at its point.
    EXPECT_FALSE(vestment->GetVisibility());
    EXPECT_TRUE(clothing->GetVisibility());
    vestment->DetachItem(*wearer);
    EXPECT_EQ(wearer->GetGarmentManager().GetVestmentMesh(), "");
    EXPECT_EQ(wearer->GetMeshName(), "Meshes/Garments/ClothingNative.msh");
    clothing->DetachItem(*wearer);
    wearer->SetGender(Character_Gender_Female);
    clothing->AttachItem(*wearer, "");
    EXPECT_EQ(wearer->GetGarmentManager().GetClothingMesh(), "Meshes/Garments/ClothingFemale.msh");
    clothing->DetachItem(*wearer);
}

TEST_F(WeaponArmorTest, TooltipsDropTheTrailingBlankLine)
{
    // A ring has no defence base lines beyond its bonus, so the blank line after the base
    // lines would end an armour tooltip that gives nothing more.
    RecordDatabase::Get().RegisterRecord("Records/Test/BareRing.dbr", "Class,ArmorJewelry_Ring,\n");
    auto* bare = Make<Armor>("Records/Test/BareRing.dbr");
    ASSERT_NE(bare, nullptr);
    std::vector<GameTextLine> lines;
    bare->CreateUIAttributeText(lines);
    EXPECT_TRUE(lines.empty());

    auto* sword = Make<Weapon>(kWeapons + "Sword.dbr");
    lines.clear();
    sword->CreateUIAttributeText(lines);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().textClass, GameTextClass::ItemBaseStats);
    EXPECT_NE(lines.back().textClass, GameTextClass::Default);
    EXPECT_NE(sword->GetGameDescription().find(u"Sword"), std::u16string::npos);
}

}  // namespace
}  // namespace GAME
