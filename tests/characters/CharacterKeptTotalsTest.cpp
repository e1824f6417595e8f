// A character's kept totals, its character attributes and its skill attributes, against
// sums made afresh: every change of what they add shows at the next frame, and a
// collection that draws draws every frame, from the same sequence.
#include <gtest/gtest.h>

#include <bit>
#include <set>
#include <string>

#include "Game/characters/CharacterBio.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/items/EquipManager.h"
#include "Game/items/Item.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/ItemSet.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/Skill_AttackWeapon.h"
#include "characters/CharacterWorldFixture.h"

namespace GAME {
namespace {

class KeptTotalsTest : public CharacterWorldTest {
protected:
    // A record of that class with these keys.
    std::string Record(const std::string& kind, const std::string& keys)
    {
        const std::string name = "Records/Test/Kept" + std::to_string(++records) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, "Class," + kind + ",\nskillMaxLevel,5,\nskillUltimateLevel,5,\n" + keys);
        return name;
    }
    Skill* Learn(Character& character, const std::string& kind, const std::string& keys)
    {
        uint32_t mastery = 0, base = 0;
        const std::string record = Record(kind, keys);
        character.GetSkillManager().CreateAndLoadSkill(record, 1, mastery, base);
        return ObjectManager::Get().GetObject<Skill>(character.GetSkillManager().FindSkillId(record));
    }
    uint32_t Wear(Character& character, const std::string& keys)
    {
        ItemReplicaInfo identity;
        identity.baseName = Record("ItemEquipment", keys);
        Item* item = Item::CreateItem(identity);
        EXPECT_NE(item, nullptr);
        character.AttachItemAction(item->GetObjectId(), EquipLocation_Forearm);
        return item->GetObjectId();
    }
    // The strength after the next frame, each of the kept totals' sums having been found
    // the very sum made afresh (once more updated, so that both see the state the frame
    // left: its skills may change their own states after the bio's update).
    float Strength(Character& character)
    {
        Frame();
        CharacterBio& bio = character.GetCharacterBio();
        bio.Update(character, 16);
        CharAttributeAccumulator fresh;
        bio.GetBaseCharAttributes(fresh);
        character.GetEquipCharAttributes(fresh);
        character.GetSkillManager().GetCharAttributes(fresh);
        character.ContributeItemSetCharAttributes(fresh);
        character.ContributeGameBalanceCharAttributes(fresh);
        const CharAttributeAccumulator& kept = bio.GetCharAttributes();
        for (uint32_t i = 0; i < kCharAttributeTypeCount; ++i) {
            const auto type = static_cast<CharAttributeType>(i);
            EXPECT_EQ(std::bit_cast<uint32_t>(kept.GetValueSum(type)), std::bit_cast<uint32_t>(fresh.GetValueSum(type)))
                << "value " << i;
            EXPECT_EQ(std::bit_cast<uint32_t>(kept.GetModifier(type)), std::bit_cast<uint32_t>(fresh.GetModifier(type)))
                << "modifier " << i;
        }
        return bio.GetAttribute(CharAttributeType_Strength);
    }
    int records = 0;
};

TEST_F(KeptTotalsTest, SkillLevelsStatesBuffsAndSwitchesShowAtTheNextFrame)
{
    auto* monster = Place(Make<Monster>("characterStrength,10,\n"));
    Frame();
    EXPECT_EQ(Strength(*monster), 10.0f);
    Skill* might = Learn(*monster, "Skill_Passive", "characterStrength,5;7;9,\n");
    EXPECT_EQ(Strength(*monster), 15.0f);
    might->SetSkillLevel(2);
    EXPECT_EQ(Strength(*monster), 17.0f);
    might->IncrementAugmentedSkillLevel(1);
    EXPECT_EQ(Strength(*monster), 19.0f);
    might->DecrementAugmentedSkillLevel(1);
    EXPECT_EQ(Strength(*monster), 17.0f);

    SkillManager& skills = monster->GetSkillManager();
    const std::string buff = Record("SkillBuff", "characterStrength,3,\n");
    skills.CreateRemoveSkillBuff(0, buff, 1, "", 0, "", 0, 1000, 0, false);
    EXPECT_EQ(Strength(*monster), 20.0f);
    skills.CreateRemoveSkillBuff(0, buff, 0, "", 0, "", 0, 0, 0, false);
    EXPECT_EQ(Strength(*monster), 17.0f);

    auto* attack = DynamicCast<Skill_AttackWeapon>(
        Learn(*monster, "Skill_AttackWeapon", "skillAllowsWarmUp,1,\ncharacterStrength,4,\n"));
    ASSERT_TRUE(attack && attack->WarmUpStart());
    EXPECT_EQ(Strength(*monster), 21.0f);
    attack->WarmUpEnd();
    EXPECT_EQ(Strength(*monster), 17.0f);
    Skill* toggled = Learn(*monster, "Skill_BuffSelfToggled", "characterStrength,6,\n");
    toggled->ReceiveActiveUpdate(*monster, SkillActiveState(0, true, false), true);
    EXPECT_EQ(Strength(*monster), 23.0f);
    toggled->ReceiveActiveUpdate(*monster, SkillActiveState(0, false, false), true);
    EXPECT_EQ(Strength(*monster), 17.0f);
    ObjectManager::Get().DestroyObjectEx(might, "test", __LINE__);
    EXPECT_EQ(Strength(*monster), 10.0f);
}

// A player's balance pack is read at the game's balance level, which no event tells it of;
// an item set counts its worn pieces and its registration by name.
TEST_F(KeptTotalsTest, BalanceLevelsAndItemSetsShowAtTheNextFrame)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/PlayerPak.dbr", "characterStrength,1;2;4,\n");
    GameRecord("playerAttributePak,Records/Test/PlayerPak.dbr,\n");
    auto* player = Place(Make<Player>("", "Player"));
    Frame();
    engine->SetGameBalanceLevel(1);
    EXPECT_EQ(Strength(*player), 1.0f);
    engine->SetGameBalanceLevel(3);
    EXPECT_EQ(Strength(*player), 4.0f);

    ItemSet set;
    set.LoadFromDatabase(Record("ItemSet", "characterStrength,10;20,\n"));
    player->AddItemToSet("Warden", "Helm");
    EXPECT_EQ(Strength(*player), 4.0f);
    engine->RegisterItemSet("Warden", &set);
    EXPECT_EQ(Strength(*player), 14.0f);
    player->AddItemToSet("Warden", "Boots");
    EXPECT_EQ(Strength(*player), 24.0f);
    player->RemoveItemFromSet("Warden", "Helm");
    EXPECT_EQ(Strength(*player), 14.0f);
    engine->RegisterItemSet("Warden", nullptr);
    EXPECT_EQ(Strength(*player), 4.0f);
}

// A roll-free skill's draws are skipped and the totals stand from frame to frame; a worn
// item whose bonus is rolled makes every frame draw, first taking the draws skipped so far.
TEST_F(KeptTotalsTest, SkillTotalsStandUntilAChangeAndADrawingCollectionDrawsEveryFrame)
{
    auto* monster = Place(Make<Monster>());
    Frame();
    SkillManager& skills = monster->GetSkillManager();
    engine->GetRandomGen().Seed(7);
    skills.PreLoad(false);
    SkillAttributeAccumulator fresh;
    engine->GetRandomGen().Seed(7);
    fresh.SetSeed(engine->GetRandomSeed());
    const auto cooldown = [&] {
        skills.Update(16);
        fresh.Clear();
        skills.CollectAvailableSkillAttributes(fresh);
        const float kept = skills.GetTotalSkillAttribute(SkillAttributeType_CooldownReduction);
        EXPECT_EQ(std::bit_cast<uint32_t>(kept), std::bit_cast<uint32_t>(fresh.GetValue(SkillAttributeType_CooldownReduction)));
        return kept;
    };
    Skill* haste = Learn(*monster, "Skill_Passive", "skillCooldownReduction,1;2,\n");
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(cooldown(), 1.0f);
    haste->SetSkillLevel(2);
    EXPECT_EQ(cooldown(), 2.0f);

    const uint32_t charm = Wear(*monster, "skillCooldownReduction,10,\nskillCooldownReductionChance,50,\n");
    std::set<float> seen;
    for (int frame = 0; frame < 16; ++frame)
        seen.insert(cooldown());
    ASSERT_EQ(seen.size(), 2u);   // the bonus rolled in and out
    EXPECT_EQ(*seen.begin(), 2.0f);
    monster->DetachItemAction(charm);
    EXPECT_EQ(cooldown(), 2.0f);
}

}  // namespace
}  // namespace GAME
