// The game engine's start-up from the game-wide record, its tables, roles and shutdown.
#include <gtest/gtest.h>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineInboundInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "tests/TestDraws.h"

namespace GAME {
namespace {

class GameEngineLifecycle : public ::testing::Test {
protected:
    void SetUp() override { RecordDatabase::Get().Clear(); }
    void TearDown() override
    {
        ShutdownObjects();
        RecordDatabase::Get().Clear();
        ObjectManager::Get().DestroyAllObjects();
    }
    void Record(const std::string& text) { RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, text); }
};

TEST_F(GameEngineLifecycle, EntryPointsBuildAndTearDownTheOneEngine)
{
    EXPECT_EQ(gGameEngine, nullptr);
    ShutdownObjects();   // without an engine: nothing happens
    InitializeObjects();
    ASSERT_NE(gGameEngine, nullptr);
    GameEngine* first = gGameEngine;
    InitializeObjects();   // a second call keeps the engine it has
    EXPECT_EQ(gGameEngine, first);
    EXPECT_EQ(InstanceGroupManager::Get().GetGroupAffiliations("Bandari").size(), 2u);
    ShutdownObjects();
    EXPECT_EQ(gGameEngine, nullptr);
    EXPECT_TRUE(InstanceGroupManager::Get().GetGroupAffiliations("Bandari").empty());
    ShutdownObjects();

    // A second engine in the same process registers its affiliations again.
    InitializeObjects();
    const auto monsters = InstanceGroupManager::Get().GetGroupAffiliations("Monsters And Weapons");
    ASSERT_EQ(monsters.size(), 2u);
    EXPECT_STREQ(monsters[0]->GetName(), "Monster");
    EXPECT_STREQ(monsters[1]->GetName(), "Weapon");
    ShutdownObjects();
}

// A test starts the process-wide source from the test seed, whatever the tests before it
// drew, and a fixture's engine hands out the game rules' seeds from the test seed rather
// than from the clock: every run draws the test seed's own numbers, these.
TEST_F(GameEngineLifecycle, TestsDrawFromTheTestSeed)
{
    EXPECT_EQ(rand(), 8914);
    EXPECT_EQ(rand(), 25600);
    InitializeSeededObjects();
    EXPECT_EQ(gGameEngine->GetRandomSeed(), 17030);
    EXPECT_EQ(gGameEngine->GetRandomSeed(), 24001);
}

TEST_F(GameEngineLifecycle, AbsentTuningKeysGiveZeroNotTheConstructionDefaults)
{
    Record("deathPenaltyMax,7,\n");
    InitializeObjects();
    EXPECT_EQ(gGameEngine->GetMeleeRange(), 0.0f);
    EXPECT_EQ(gGameEngine->GetMaximumRange(), 0.0f);
    EXPECT_EQ(gGameEngine->GetPlayerPathSlowdownLength(), 0.0f);
    EXPECT_EQ(gGameEngine->GetDeathPenaltyMax(), 7);
    EXPECT_EQ(gGameEngine->GetExperienceEquation(), nullptr);
    EXPECT_EQ(gGameEngine->GetMarketPurchaseSound(), nullptr);
    EXPECT_EQ(gGameEngine->GetGameTextStyleName(GameTextClass::SkillName), "");
}

TEST_F(GameEngineLifecycle, RecordValuesAreRead)
{
    Record("meleeRange,0.75,\n"
           "experienceEquation,monsterLevel*2,\n"
           "rareItemColor,^g,\nrareItemSparkle,Records/Sparkle.dbr,\n"
           "bossMonsterColor,^r,\n"
           "UICharWindowInventorySack1DimsX,8,\n"
           "skillMasteryTierLevel,1;4;10,\n"
           "SkillName,TooltipTitle,\nSkillNameIndent,10,\n"
           "prefixOnlyModifierHero,25.9,\nbrokenOnlyModifierHeroChest,-3.7,\n");
    InitializeObjects();
    GameEngine& engine = *gGameEngine;
    EXPECT_FLOAT_EQ(engine.GetMeleeRange(), 0.75f);
    EXPECT_NE(engine.GetExperienceEquation(), nullptr);
    const auto* rare = engine.GetItemClassification(ItemClassification_Rare);
    ASSERT_NE(rare, nullptr);
    EXPECT_EQ(rare->color, u"^g");
    EXPECT_EQ(rare->sparkle, "Records/Sparkle.dbr");
    EXPECT_EQ(rare->textClass, GameTextClass::ItemNameRare);
    EXPECT_EQ(engine.GetItemClassification(ItemClassification_Common), nullptr);
    EXPECT_EQ(engine.GetMonsterColor(MonsterClassification_Boss), u"^r");
    EXPECT_EQ(engine.GetInventorySackDims(1).x, 8.0f);
    EXPECT_EQ(engine.GetMasteryTierLevels(), (std::vector<uint32_t>{1, 4, 10}));
    EXPECT_EQ(engine.GetGameTextStyleName(GameTextClass::SkillName), "TooltipTitle");
    EXPECT_EQ(engine.GetGameTextStyleIndent(GameTextClass::SkillName), 10.0f);
    RandomizerWeightModifiers monster;
    engine.GetMonsterLootWeightModifiers(MonsterClassification_Hero, monster);
    EXPECT_EQ(monster.prefixOnly, 25);   // truncated
    RandomizerWeightModifiers chest;
    chest.prefixOnly = 77;
    engine.GetChestLootWeightModifiers(ChestClassification_Hero, chest);
    EXPECT_EQ(chest.brokenOnly, -3);
    EXPECT_NE(chest.prefixOnly, 77);   // every value of the rank is copied
    EXPECT_FLOAT_EQ(engine.GetCamera().GetCameraDistanceDefault(), 0.0f);
}

TEST_F(GameEngineLifecycle, TheBundledRecordLoadsWithoutWarnings)
{
    const std::string root = RecordDatabase::Get().GetDataRoot();
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    LogCapture log;
    InitializeObjects();
    RecordDatabase::Get().SetDataRoot(root);
    for (const LogLine& line : log.Lines())
        EXPECT_EQ(line.level, LOG_INFO) << line.text;
    EXPECT_NE(gGameEngine->GetExperienceEquation(), nullptr);
    EXPECT_NE(gGameEngine->GetDeathPenaltyEquation(), nullptr);
    EXPECT_GT(gGameEngine->GetMaximumRange(), 0.0f);
}

TEST_F(GameEngineLifecycle, AnEquationThatDoesNotParseIsLoggedOnceAndLeftOut)
{
    Record("experienceEquation,(level*,\ndeathPenaltyEquation,level*2,\n");
    LogCapture log;
    InitializeObjects();
    EXPECT_EQ(log.Count("-=- GameEngine Equation load failure : experienceEquation "), 1u);
    EXPECT_EQ(gGameEngine->GetExperienceEquation(), nullptr);
    EXPECT_NE(gGameEngine->GetDeathPenaltyEquation(), nullptr);
}

TEST_F(GameEngineLifecycle, AMarketSoundOfAnotherClassIsDestroyed)
{
    RecordDatabase::Get().RegisterRecord("Records/Sounds/Buy.dbr", "Class,SoundPak,\n");
    RecordDatabase::Get().RegisterRecord("Records/Sounds/NotASound.dbr", "Class,Monster,\n");
    Record("marketPurchaseSound,Records/Sounds/Buy.dbr,\nmarketSaleSound,Records/Sounds/NotASound.dbr,\n");
    InitializeObjects();
    EXPECT_NE(gGameEngine->GetMarketPurchaseSound(), nullptr);
    EXPECT_EQ(gGameEngine->GetMarketSaleSound(), nullptr);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), 1u);
    ShutdownObjects();
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), 0u);
}

TEST_F(GameEngineLifecycle, MarketSoundsAreReplacedOnReloadAndOneDestroyedEarlyIsLeftAlone)
{
    RecordDatabase::Get().RegisterRecord("Records/Sounds/Buy.dbr", "Class,SoundPak,\n");
    RecordDatabase::Get().RegisterRecord("Records/Sounds/Sell.dbr", "Class,SoundPak,\n");
    Record("marketPurchaseSound,Records/Sounds/Buy.dbr,\nmarketSaleSound,Records/Sounds/Sell.dbr,\n");
    InitializeObjects();
    gGameEngine->LoadFromDatabase(kGameEngineRecordName);   // replaces both sounds
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), 2u);
    SoundPak* purchase = gGameEngine->GetMarketPurchaseSound();
    ASSERT_NE(purchase, nullptr);
    ObjectManager::Get().DestroyObjectEx(purchase, __FILE__, __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(gGameEngine->GetMarketPurchaseSound(), nullptr);
    ASSERT_NE(gGameEngine->GetMarketSaleSound(), nullptr);

    LogCapture log;
    ShutdownObjects();   // destroys the sale sound only
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), 0u);
}

TEST_F(GameEngineLifecycle, ANegativeMasteryTierLevelCountsAsZero)
{
    Record("skillMasteryTierLevel,1;-3;10,\n");
    LogCapture log;
    InitializeObjects();
    EXPECT_EQ(gGameEngine->GetMasteryTierLevels(), (std::vector<uint32_t>{1, 0, 10}));
    EXPECT_EQ(log.Count("GameEngine: skillMasteryTierLevel -3 is negative, read as 0"), 1u);
}

TEST_F(GameEngineLifecycle, ActionMatrixClassTagsAndRaces)
{
    InitializeObjects();
    const GameEngine& engine = *gGameEngine;
    using T = CharacterActionType;
    EXPECT_EQ(engine.CheckPlayerAction(CharacterActionType_Die, CharacterActionType_Attack), 0);
    EXPECT_EQ(engine.CheckPlayerAction(CharacterActionType_Die, CharacterActionType_Die), 2);
    EXPECT_EQ(engine.CheckPlayerAction(CharacterActionType_Die, CharacterActionType_Respawn), 2);
    EXPECT_EQ(engine.CheckPlayerAction(CharacterActionType_Idle, CharacterActionType_PlayAnimation), 1);
    EXPECT_EQ(engine.CheckPlayerAction(CharacterActionType_Chat, CharacterActionType_EngageNpc), 1);
    EXPECT_EQ(engine.CheckPlayerAction(CharacterActionType_Chat, CharacterActionType_MoveTo), 1);
    EXPECT_EQ(engine.CheckPlayerAction(static_cast<T>(17), static_cast<T>(18)), 1);
    // Out of the table (from a save or a packet): refused.
    EXPECT_EQ(engine.CheckPlayerAction(static_cast<T>(20), CharacterActionType_Idle), 2);
    EXPECT_EQ(engine.CheckPlayerAction(CharacterActionType_Idle, static_cast<T>(-1)), 2);

    EXPECT_EQ(engine.GetClassTag(3, 5), "tagCClass25");
    EXPECT_EQ(engine.GetClassTag(5, 3), "tagCClass25");
    EXPECT_EQ(engine.GetClassTag(7), "tagCClass08");
    EXPECT_EQ(engine.GetClassTag(0, 1), "tagCClass36");
    EXPECT_EQ(engine.GetClassTag(8, 0), "");

    EXPECT_EQ(engine.GetMonsterRaceTagPlural("Undead"), "tagRace06P");
    EXPECT_EQ(engine.GetMonsterRaceTagSingular("undead"), "noTagUnknownRace");
    EXPECT_EQ(engine.GetMonsterRaceTagSingular("Device"), "tagRace12");
}

TEST_F(GameEngineLifecycle, RolesSelectTheInterfaceAndModules)
{
    InitializeObjects();
    GameEngine& engine = *gGameEngine;
    EXPECT_EQ(engine.GetNetworkInterface(), engine.GetInboundNetworkInterface());
    EXPECT_TRUE(engine.IsServerOrSingle());
    EXPECT_NE(engine.GetPlayerManagerServer(), nullptr);

    engine.SetAsNetworkClient();
    EXPECT_NE(engine.GetNetworkInterface(), engine.GetInboundNetworkInterface());
    EXPECT_FALSE(engine.IsServerOrSingle());
    EXPECT_EQ(engine.GetPlayerManagerServer(), nullptr);
    // The modules read the interface through the engine's slot, so they follow at once.
    EXPECT_EQ(engine.GetClientServices()->GetNetworkInterface(), engine.GetNetworkInterface());

    engine.SetAsNetworkServer();
    EXPECT_TRUE(engine.IsServerOrSingle());
    EXPECT_EQ(engine.GetServerServices()->GetNetworkInterface(), engine.GetNetworkInterface());
    EXPECT_EQ(engine.GetPlayerId(), 0u);
}

}  // namespace
}  // namespace GAME
