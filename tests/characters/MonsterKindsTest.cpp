// The small character kinds (pet, guard, ambient creature) and the garments every
// character wears.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Localization.h"
#include "Game/ai/ControllerStooge.h"
#include "Game/characters/AmbientCharacter.h"
#include "Game/characters/GarmentManager.h"
#include "Game/characters/MonsterKinds.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

// A skill whose short summary is one line.
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

TEST_F(MonsterKindsTest, APetDrawsFromThePetsPackAndAGuardFromAHostileRecordJoinsThePlayers)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/MonsterPak.dbr", "characterLife,7,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/PetPak.dbr", "characterLife,100,\n");
    GameRecord("monsterAttributePak,Records/Test/MonsterPak.dbr,\npetAttributePak,Records/Test/PetPak.dbr,\n");
    Monster* pet = Make<Pet>("", "Pet");
    Monster* monster = Make<Monster>();
    engine->SetGameBalanceLevel(1);   // the packs hold nothing at level 0
    for (auto [creature, life] : {std::pair{pet, 100.0f}, std::pair{monster, 7.0f}}) {
        CharAttributeAccumulator accumulator;
        creature->ContributeGameBalanceCharAttributes(accumulator);
        EXPECT_EQ(accumulator.GetValue(CharAttributeType_Life), life);
    }

    Guard* guard = Place(Make<Guard>("defaultTeamMajor,TeamMajor_Monster,\ndefaultTeamMinor,TeamMinorMonster_Red,\n",
                                     "Guard"));
    Frame();
    EXPECT_EQ(guard->GetTeam(), TeamManager::DefaultPlayerTeam());
    EXPECT_TRUE(guard->IsInvincible());
}

TEST_F(MonsterKindsTest, OnlyTheExactStoogeTypeMakesAControllerAndOneNeverAttachedGoesWithItsCreature)
{
    auto* stooge = Place(Make<AmbientCharacter>("controllerType,Stooge,\n", "AmbientCharacter"));
    auto* lower = Place(Make<AmbientCharacter>("controllerType,stooge,\n", "AmbientCharacter"), 5.0f);
    const uint32_t pending = stooge->GetPendingControllerId();
    EXPECT_EQ(stooge->GetControllerId(), 0u);   // waits for the first update
    EXPECT_EQ(lower->GetPendingControllerId(), 0u);
    Frame();
    auto* controller = ObjectManager::Get().GetObject<ControllerStooge>(stooge->GetControllerId());
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->GetObjectId(), pending);
    EXPECT_EQ(controller->GetParentId(), stooge->GetObjectId());
    EXPECT_EQ(lower->GetControllerId(), 0u);
    EXPECT_EQ(lower->GetTeam(), TeamManager::DefaultMonsterTeam());   // no team in the record
    EXPECT_EQ(lower->GetSkillId1(), 0u);

    // Loaded twice and destroyed before its first update: neither controller stays.
    auto* unplaced = Make<AmbientCharacter>("controllerType,Stooge,\n", "AmbientCharacter");
    const uint32_t first = unplaced->GetPendingControllerId();
    unplaced->Load(*RecordDatabase::Get().Find(unplaced->GetObjectName()));
    const uint32_t second = unplaced->GetPendingControllerId();
    ObjectManager::Get().DestroyObjectEx(unplaced, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObject(first), nullptr);
    EXPECT_EQ(ObjectManager::Get().GetObject(second), nullptr);
}

TEST_F(MonsterKindsTest, AnAmbientCreatureShowsItsDisplayableSkillsOrElseItsBareHandDamage)
{
    LocalizationManager::Instance().RegisterTags(
        "SkillPetDescriptionHealth=H %.0f\nSkillPetDescriptionMana=M %.0f\ntagSkillPetAbilities=A %s\n"
        "SkillPetDescriptionDamageMinOnly=D %.0f\nSkillPetDescriptionDamageMinMax=D %.0f-%.0f\n");
    auto* creature = Make<AmbientCharacter>("handHitDamageMin,3,\nhandHitDamageMax,5,\n", "AmbientCharacter");
    auto line = [&](size_t index, size_t count) {
        std::vector<GameTextLine> lines;
        creature->CreateUISummaryText(GameTextClass::PetSkillStatsCurrent, lines);
        EXPECT_EQ(lines.size(), count);
        return index < lines.size() ? LocalizationManager::ToChar(lines[index].text) : std::string();
    };
    EXPECT_EQ(line(3, 6), "A " + creature->GetObjectName());
    EXPECT_EQ(line(4, 6), "D 3-5");

    // Not learnt, not displayable, shown: only the last one is listed, and no damage.
    RecordDatabase::Get().RegisterRecord("Records/Test/Shown.dbr",
                                         "Class,SummarySkill,\nskillMaxLevel,10,\nisPetDisplayable,1,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Hidden.dbr", "Class,SummarySkill,\nskillMaxLevel,10,\n");
    for (auto [record, level] : {std::pair{"Records/Test/Shown.dbr", 0u}, std::pair{"Records/Test/Hidden.dbr", 1u},
                                 std::pair{"Records/Test/Shown.dbr", 1u}}) {
        auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(record);
        creature->GetSkillManager().AddSkill(skill);
        skill->SetSkillLevel(level);
    }
    EXPECT_EQ(line(4, 6), "summary");
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

    garments.SetVestment(*character, "Vest.msh", "Vest.tex", "");
    garments.SetClothing(*character, "Other.msh", "Other.tex", "");   // under the vestment
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
