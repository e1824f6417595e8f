// The small character kinds (pet, guard, ambient creature) and the garments every
// character wears.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Localization.h"
#include "Game/ai/ControllerStooge.h"
#include "Game/characters/AmbientCharacter.h"
#include "Game/characters/GarmentManager.h"
#include "Game/characters/MonsterKinds.h"
#include "Game/combat/CharAttribute.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

// A skill whose short summary is one line naming it.
class SummarySkill : public Skill {
    GAME_DECLARE_CLASS(SummarySkill)

public:
    void CreateUIShortSummaryText(GameTextClass textClass, std::vector<GameTextLine>& lines) const override
    {
        lines.emplace_back(textClass, u"summary", false);
    }
};
GAME_IMPLEMENT_CLASS(SummarySkill, Skill)

namespace {

using MonsterKindsTest = CharacterWorldTest;

TEST_F(MonsterKindsTest, APetDrawsItsBalanceFromThePetsPackAndAGuardJoinsThePlayersForGood)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/MonsterPak.dbr", "characterLife,7,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/PetPak.dbr", "characterLife,100,\n");
    GameRecord("monsterAttributePak,Records/Test/MonsterPak.dbr,\npetAttributePak,Records/Test/PetPak.dbr,\n");

    auto lifeOf = [](const Monster& monster) {
        CharAttributeAccumulator accumulator;
        monster.ContributeGameBalanceCharAttributes(accumulator);
        return accumulator.GetValue(CharAttributeType_Life);
    };
    Pet* pet = Make<Pet>("", "Pet");
    Monster* monster = Make<Monster>();
    ASSERT_NE(pet, nullptr);
    engine->SetGameBalanceLevel(1);   // the packs hold nothing at level 0
    EXPECT_EQ(lifeOf(*pet), 100.0f);
    EXPECT_EQ(lifeOf(*monster), 7.0f);

    // A record that puts it on a hostile team changes nothing.
    Guard* guard = Make<Guard>("defaultTeamMajor,TeamMajor_Monster,\ndefaultTeamMinor,TeamMinorMonster_Red,\n",
                               "Guard");
    ASSERT_NE(guard, nullptr);
    EXPECT_EQ(guard->GetTeam(), TeamManager::DefaultPlayerTeam());
    EXPECT_TRUE(guard->IsInvincible());
    Place(guard);
    Frame();
    EXPECT_EQ(guard->GetTeam(), TeamManager::DefaultPlayerTeam());
}

TEST_F(MonsterKindsTest, OnlyTheExactStoogeTypeMakesAControllerAttachedAtTheFirstUpdate)
{
    auto* stooge = Make<AmbientCharacter>("controllerType,Stooge,\n", "AmbientCharacter");
    auto* lower = Make<AmbientCharacter>("controllerType,stooge,\n", "AmbientCharacter");
    ASSERT_NE(stooge, nullptr);
    ASSERT_NE(lower, nullptr);
    const uint32_t pending = stooge->GetPendingControllerId();
    ASSERT_NE(pending, 0u);
    EXPECT_EQ(stooge->GetControllerId(), 0u);   // waits for the first update
    EXPECT_EQ(lower->GetPendingControllerId(), 0u);
    EXPECT_EQ(stooge->GetSkillId1(), 0u);

    Place(stooge);
    Place(lower, 5.0f);
    Frame();
    auto* controller = ObjectManager::Get().GetObject<ControllerStooge>(stooge->GetControllerId());
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->GetObjectId(), pending);
    EXPECT_EQ(controller->GetParentId(), stooge->GetObjectId());
    EXPECT_EQ(stooge->GetPendingControllerId(), 0u);
    EXPECT_EQ(lower->GetControllerId(), 0u);
    // Neither record set a team: both join the monsters.
    EXPECT_EQ(stooge->GetTeam(), TeamManager::DefaultMonsterTeam());
    EXPECT_EQ(lower->GetTeam(), TeamManager::DefaultMonsterTeam());
}

TEST_F(MonsterKindsTest, AControllerNeverAttachedGoesWithItsCreatureAndAReloadMakesOnlyOne)
{
    auto* stooge = Make<AmbientCharacter>("controllerType,Stooge,\nskill1,Records/Test/None.dbr,\n",
                                          "AmbientCharacter");
    ASSERT_NE(stooge, nullptr);
    const uint32_t first = stooge->GetPendingControllerId();
    stooge->Load(*RecordDatabase::Get().Find(stooge->GetObjectName()));
    const uint32_t second = stooge->GetPendingControllerId();
    EXPECT_NE(second, first);
    EXPECT_EQ(ObjectManager::Get().GetObject(first), nullptr);
    EXPECT_EQ(stooge->GetSkillId1(), 0u);   // a skill it does not have

    ObjectManager::Get().DestroyObjectEx(stooge, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObject(second), nullptr);
}

TEST_F(MonsterKindsTest, AnAmbientCreatureShowsItsSkillsOrElseItsBareHandDamage)
{
    LocalizationManager::Instance().RegisterTags(
        "SkillPetDescriptionHealth=H %.0f\nSkillPetDescriptionMana=M %.0f\ntagSkillPetAbilities=A %s\n"
        "SkillPetDescriptionDamageMinOnly=D %.0f\nSkillPetDescriptionDamageMinMax=D %.0f-%.0f\n");
    auto texts = [](const AmbientCharacter& creature) {
        std::vector<GameTextLine> lines;
        creature.CreateUISummaryText(GameTextClass::PetSkillStatsCurrent, lines);
        std::vector<std::string> out;
        for (const GameTextLine& line : lines)
            out.push_back(LocalizationManager::ToChar(line.text));
        return out;
    };

    auto* plain = Make<AmbientCharacter>("handHitDamageMin,3,\nhandHitDamageMax,3,\n", "AmbientCharacter");
    const std::vector<std::string> plainLines = texts(*plain);
    ASSERT_EQ(plainLines.size(), 6u);
    EXPECT_EQ(plainLines[3], "A " + plain->GetObjectName());
    EXPECT_EQ(plainLines[4], "D 3");

    auto* skilled = Make<AmbientCharacter>("handHitDamageMin,3,\nhandHitDamageMax,5,\n", "AmbientCharacter");
    RecordDatabase::Get().RegisterRecord("Records/Test/Shown.dbr",
                                         "Class,SummarySkill,\nskillMaxLevel,10,\nisPetDisplayable,1,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Hidden.dbr", "Class,SummarySkill,\nskillMaxLevel,10,\n");
    EXPECT_EQ(texts(*skilled)[4], "D 3-5");
    Skill* shown = nullptr;
    for (const char* record : {"Records/Test/Shown.dbr", "Records/Test/Hidden.dbr", "Records/Test/Shown.dbr"}) {
        auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(record);
        ASSERT_NE(skill, nullptr);
        skilled->GetSkillManager().AddSkill(skill);
        skill->SetSkillLevel(1);
        shown = shown ? shown : skill;
    }
    shown->SetSkillLevel(0);   // a skill not learnt is not shown
    const std::vector<std::string> lines = texts(*skilled);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[4], "summary");
    EXPECT_EQ(lines[5], "");
}

TEST_F(MonsterKindsTest, AVestmentWinsOverClothingAndTakingBothOffRestoresTheOwnLook)
{
    Character* character = Make<Monster>();
    character->SetOwnMesh("Own.msh");
    character->SetBaseTexture("Own.tex");
    GarmentManager& garments = character->GetGarmentManager();

    garments.SetClothing(*character, "Cloth.msh", "", "ClothBump.tex");
    EXPECT_EQ(character->GetMeshName(), "Cloth.msh");
    EXPECT_EQ(character->GetBaseTextureName(), "Own.tex");   // no texture keeps the one shown
    EXPECT_EQ(character->GetBumpTextureName(), "ClothBump.tex");

    garments.SetVestment(*character, "Vest.msh", "Vest.tex", "");
    EXPECT_EQ(character->GetMeshName(), "Vest.msh");
    EXPECT_EQ(character->GetBaseTextureName(), "Vest.tex");
    garments.SetClothing(*character, "Other.msh", "Other.tex", "");   // still under the vestment
    EXPECT_EQ(character->GetMeshName(), "Vest.msh");

    garments.SetVestment(*character, "", "", "");
    EXPECT_EQ(character->GetMeshName(), "Other.msh");
    EXPECT_EQ(character->GetBaseTextureName(), "Other.tex");

    garments.SetClothing(*character, "", "", "");
    EXPECT_EQ(character->GetMeshName(), "Own.msh");
    EXPECT_EQ(character->GetBaseTextureName(), "");
    EXPECT_EQ(character->GetBumpTextureName(), "");
}

}  // namespace
}  // namespace GAME
