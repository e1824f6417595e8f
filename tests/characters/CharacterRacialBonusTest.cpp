// Racial bonuses of what a character wears and knows reach its attacks and the attacks it
// takes: the attack is built by a skill and resolved by the defender's combat manager.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/items/ItemEquipment.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {
namespace {

class CharacterRacialBonusTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Test/Strike.dbr",
                               "Class,Skill,\nskillMaxLevel,1,\nskillUltimateLevel,1,\noffensivePhysicalMin,100,\n");
        strike = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Test/Strike.dbr");
        ASSERT_NE(strike, nullptr);
        strike->SetSkillLevel(1);
    }
    // Worn by the character at that location: an item of that class with these keys.
    ItemEquipment* Wear(Character& character, const char* kind, const std::string& keys, EquipLocations location)
    {
        const std::string name = "Records/Test/Item" + std::to_string(++items) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + kind + ",\n" + keys);
        ItemReplicaInfo info;
        info.baseName = name;
        auto* item = DynamicCast<ItemEquipment>(Item::CreateItem(info));
        EXPECT_NE(item, nullptr);
        if (item)
            character.GetCombatManager().GetEquipManager().AttachItemAction(item->GetObjectId(), location);
        return item;
    }
    Character* OfRace(const char* race)
    {
        Character* character = Make();
        character->SetLifeLimit(10000.0f);
        character->SetCurrentLife(10000.0f);
        character->SetRace({race});
        return character;
    }
    // The life the defender loses to one strike of the attacker made with that weapon.
    float LifeLost(Character& attacker, Character& defender, uint32_t weaponId = 0)
    {
        RandomUniform random;
        random.Seed(77);
        ParametersCombat params(random);
        strike->CollectCombatParameters(attacker, &defender, ParametersCombatStyle::Direct, false, weaponId, params,
                                        0.0f);
        const float before = defender.GetCurrentLife();
        defender.TakeAttack(params);
        const float lost = before - defender.GetCurrentLife();
        defender.SetCurrentLife(before);
        return lost;
    }

    Skill* strike = nullptr;
    int items = 0;
};

TEST_F(CharacterRacialBonusTest, WornItemsAndTheStrikingWeaponRaiseDamageAgainstTheirRace)
{
    Character* attacker = OfRace("Human");
    Character* beast = OfRace("Beast");
    Character* undead = OfRace("Undead");
    Wear(*attacker, "ItemEquipment",
         "racialBonusRace,Beast,\nracialBonusPercentDamage,50,\nracialBonusAbsoluteDamage,4,\n", EquipLocation_Finger);
    ItemEquipment* sword = Wear(*attacker, "WeaponMelee_Sword",
                                "racialBonusRace,Beast,\nracialBonusAbsoluteDamage,10,\n", EquipLocation_RightHand);
    ASSERT_NE(sword, nullptr);

    const float plain = LifeLost(*attacker, *undead, sword->GetObjectId());
    ASSERT_GT(plain, 0.0f);
    // The ring counts in every attack, the sword only when it strikes.
    EXPECT_FLOAT_EQ(LifeLost(*attacker, *beast), plain * 1.5f + 4.0f);
    EXPECT_FLOAT_EQ(LifeLost(*attacker, *beast, sword->GetObjectId()), plain * 1.5f + 14.0f);
}

TEST_F(CharacterRacialBonusTest, WornItemsAndKnownSkillsDefendAgainstTheirRace)
{
    Character* defender = OfRace("Human");
    Character* beast = OfRace("Beast");
    Character* undead = OfRace("Undead");
    const float plain = LifeLost(*undead, *defender);
    ASSERT_EQ(LifeLost(*beast, *defender), plain);

    Wear(*defender, "ItemEquipment", "racialBonusRace,Beast,\nracialBonusPercentDefense,20,\n", EquipLocation_Head);
    EXPECT_FLOAT_EQ(LifeLost(*beast, *defender), plain * 0.8f);
    Wear(*defender, "WeaponArmor_Shield", "racialBonusRace,Beast,\nracialBonusAbsoluteDefense,5,\n",
         EquipLocation_LeftHand);
    EXPECT_FLOAT_EQ(LifeLost(*beast, *defender), plain * 0.8f - 5.0f);

    RecordDatabase::Get().RegisterRecord("Records/Test/Hide.dbr",
                                         "Class,Skill_Passive,\nskillMaxLevel,1,\nskillUltimateLevel,1,\n"
                                         "racialBonusRace,Beast,\nracialBonusAbsoluteDefense,7,\n");
    auto* hide = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Test/Hide.dbr");
    ASSERT_NE(hide, nullptr);
    hide->SetSkillLevel(1);
    defender->GetSkillManager().AddToActiveList(hide);
    EXPECT_FLOAT_EQ(LifeLost(*beast, *defender), plain * 0.8f - 12.0f);
    EXPECT_EQ(LifeLost(*undead, *defender), plain);
}

}  // namespace
}  // namespace GAME
