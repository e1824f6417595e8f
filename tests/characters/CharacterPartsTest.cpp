// The parts a character owns: bio totals, play time, level record and action handler.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/PlayStats.h"

namespace GAME {
namespace {

class CharacterPartsTest : public ::testing::Test {
protected:
    void SetUp() override { RecordDatabase::Get().Clear(); }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }
};

TEST_F(CharacterPartsTest, BioBaseSettingsReplaceAndLifeNeverReadsBelowZero)
{
    CharacterBio bio;
    bio.SetBaseCharAttribute(CharAttributeType_Life, 0.1f);
    bio.SetBaseCharAttribute(CharAttributeType_Life, 0.3f);   // replaces, not adds
    EXPECT_EQ(bio.GetBaseAttrStore().GetBaseValue(CharAttributeType_Life), 0.3f);
    bio.SetBaseCharAttribute(static_cast<CharAttributeType>(999), 5.0f);   // outside the table
    EXPECT_EQ(bio.GetBaseAttrStore().GetAttributes().size(), 1u);

    bio.SetCurrentLife(10.0f);
    bio.SubtractLife(-5.0f);   // takes nothing, heals nothing
    EXPECT_EQ(bio.GetCurrentLife(), 10.0f);
    bio.SubtractLife(25.0f);
    EXPECT_EQ(bio.GetCurrentLife(), 0.0f);
    EXPECT_EQ(bio.GetLifeDamageThisFrame(), 25.0f);
    EXPECT_TRUE(bio.GetTaintedBio());

    bio.SetCurrentMana(3.0f);
    bio.SubtractMana(5.0f);   // leaves over time
    EXPECT_EQ(bio.GetCurrentMana(), 3.0f);
    EXPECT_EQ(bio.GetManaDrainPool(), 5.0f);
    bio.AddManaSlow(2.5f);   // no regeneration record: the pool holds nothing
    EXPECT_EQ(bio.GetManaSlow(), 0.0f);
}

TEST_F(CharacterPartsTest, PlayTimeCountsWholeSecondsAndCarriesTheRest)
{
    PlayStats stats;
    for (int frame = 0; frame < 3; ++frame)
        stats.Update(400);
    EXPECT_EQ(stats.GetPlayTimeInSeconds(), 1u);   // 200 ms carried
    stats.Update(400);
    stats.Update(-100000);   // ignored
    stats.Update(400);
    EXPECT_EQ(stats.GetPlayTimeInSeconds(), 2u);
    stats.Update(2147483647);
    EXPECT_EQ(stats.GetPlayTimeInSeconds(), 2u + 2147483u);
}

TEST_F(CharacterPartsTest, LevelControlReadsItsLevelRecordAndTheCharactersValues)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Levels.dbr",
                                         "characterModifierPoints,2,\nskillModifierPoints,3,\nlifeIncrement,40,\n"
                                         "strengthIncrement,-4,\ninitialSkillPoints,5,\nmaxPlayerLevel,65,\n");
    LoadTable character;
    character.SetValue("levelFileName", "Records/Test/Levels.dbr");
    character.SetValue("charLevel", "7;9;11");
    character.SetValue("experiencePoints", "-3");
    ExperienceLevelControl control;
    control.Load(character);
    EXPECT_EQ(control.GetStrengthIncrement(), 0u);   // negative reads as 0
    EXPECT_EQ(control.GetManaIncrement(), 0u);       // a level record's missing key is 0
    EXPECT_EQ(control.GetMaxLevel(), 65u);
    EXPECT_EQ(control.GetLevel(), 7u);                // the Normal entry
    EXPECT_EQ(control.GetExperience(), 0u);
    EXPECT_EQ(control.GetSkillPoints(), 5u);          // the initial points without "skillPoints"

    ExperienceLevelControl bare;   // no level record: the defaults stay
    bare.Load(LoadTable());
    EXPECT_EQ(bare.GetLevel(), 1u);
    EXPECT_EQ(bare.GetManaIncrement(), 1u);
    EXPECT_EQ(bare.GetMaxLevel(), 0u);
}

// Records what happens to it in one shared log; may hand a further action in.
struct LoggedAction : CharacterAction {
    LoggedAction(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
    ~LoggedAction() override { log.push_back(name + " destroyed"); }
    void Execute() override
    {
        log.push_back(name + " execute");
        for (CharacterAction* next : handIn)
            handler->Execute(next);
        log.push_back(name + " returned");
    }
    void Finish() override { log.push_back(name + " finish"); }
    bool IsActive() const override { return true; }
    CharacterActionType GetType() const override { return CharacterActionType_Attack; }
    std::vector<std::string>& log;
    std::string name;
    CharacterActionHandler* handler = nullptr;
    std::vector<CharacterAction*> handIn;
};

TEST_F(CharacterPartsTest, ActionsHandedInDuringExecuteRunAfterItInOrder)
{
    std::vector<std::string> log;
    auto handler = std::make_unique<CharacterActionHandler>();
    auto* first = new LoggedAction(log, "a");
    first->handler = handler.get();
    first->handIn = {new LoggedAction(log, "b"), new LoggedAction(log, "c")};
    handler->Execute(first);
    handler->Execute(nullptr);   // ignored
    EXPECT_EQ(log, (std::vector<std::string>{"a execute", "a returned", "a finish", "a destroyed", "b execute",
                                             "b returned", "b finish", "b destroyed", "c execute", "c returned"}));
    EXPECT_TRUE(handler->IsActive());
    EXPECT_EQ(handler->GetActionType(), CharacterActionType_Attack);

    log.clear();
    handler->Stop();
    EXPECT_EQ(log, (std::vector<std::string>{"c finish", "c destroyed"}));
    handler->Execute(new LoggedAction(log, "d"));
    log.clear();
    handler.reset();   // the handler's end destroys without finishing
    EXPECT_EQ(log, std::vector<std::string>{"d destroyed"});
}

}  // namespace
}  // namespace GAME
