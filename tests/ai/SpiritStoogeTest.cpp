// Spirits claiming and raising statues, the statue's risen flag across a save, the
// stationary monster that never walks, and the stooge's loot.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerSpirit.h"
#include "Game/ai/ControllerStationaryMonster.h"
#include "Game/ai/ControllerStooge.h"
#include "Game/ai/MovementGoalManager.h"
#include "Game/characters/AmbientCharacter.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "ai/ControllerAITestAccess.h"

using namespace GAME;

namespace {

class SpiritStoogeTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "Spirits");
        MovementGoalManager::Get().Clear();
        SeedProcessRandom(54);
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Test/SpiritAI.dbr", "Class,ControllerSpirit,\n");
        records.RegisterRecord("Records/Test/Spirit.dbr", "Class,Monster,\ncontroller,Records/Test/SpiritAI.dbr,\n");
        records.RegisterRecord("Records/Test/StatueAI.dbr",
                               "Class,ControllerSpiritHost,\nspiritThatCanAnimateMe,Records/Test/Spirit.dbr,\n");
        records.RegisterRecord("Records/Test/Statue.dbr", "Class,SpiritHost,\ncontroller,Records/Test/StatueAI.dbr,\n");
        records.RegisterRecord("Records/Test/RootedAI.dbr", "Class,ControllerStationaryMonster,\n");
        records.RegisterRecord("Records/Test/Rooted.dbr", "Class,Monster,\ncontroller,Records/Test/RootedAI.dbr,\n");
    }
    // A monster of the record at x, its controller started.
    template <class C = ControllerMonster>
    C* Mind(const char* record, float x, Monster** out = nullptr)
    {
        auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>(record);
        EXPECT_TRUE(World::Get().AddEntity(monster, WorldCoords(region, Coords::MakeTranslation({x, 0, 0}))));
        monster->SetSpawnPoint(monster->GetCoords());
        monster->SetLifeLimit(100.0f);
        monster->SetCurrentLife(100.0f);
        auto* controller = DynamicCast<C>(monster->GetMonsterController());
        controller->AttachParent(monster->GetObjectId());
        controller->Update(0);
        if (out)
            *out = monster;
        return controller;
    }
    // A statue, sat down: its team and invincibility are commands the frame runs.
    ControllerSpiritHost* Statue(float x, Monster** out = nullptr)
    {
        auto* statue = Mind<ControllerSpiritHost>("Records/Test/Statue.dbr", x, out);
        gEngine->UpdateFrame(0);
        return statue;
    }
    Region* region = nullptr;
};

TEST_F(SpiritStoogeTest, TheFirstSpiritClaimsTheStatueAndTheSecondGoesIdleUntilTheClaimerDies)
{
    Monster* statue = nullptr;
    ControllerSpiritHost* host = Statue(6.0f, &statue);
    EXPECT_EQ(host->GetStateName(), "Startup");
    EXPECT_TRUE(statue->IsInvincible());
    EXPECT_EQ(host->GetSpiritRecord(), "Records/Test/Spirit.dbr");

    Monster* first = nullptr;
    auto* claimer = Mind<ControllerSpirit>("Records/Test/Spirit.dbr", 0.0f, &first);
    EXPECT_EQ(claimer->GetAnimateTarget(), statue->GetObjectId());
    EXPECT_EQ(host->GetAnimator(), first->GetObjectId());
    EXPECT_FALSE(host->IsAvailable());
    EXPECT_EQ(first->GetTeam(), TeamManager::InvisibleTeam());
    EXPECT_NE(claimer->GetExecutingStateName(), "Startup");

    LogCapture log;
    Monster* second = nullptr;
    auto* late = Mind<ControllerSpirit>("Records/Test/Spirit.dbr", 1.0f, &second);
    EXPECT_EQ(late->GetAnimateTarget(), 0u);
    EXPECT_EQ(late->GetExecutingStateName(), "Idle");
    EXPECT_TRUE(log.Contains("Spirit error - went to idle because it could not find an animate target."));

    first->SetLifeState(Character_LifeState_Dead);
    EXPECT_TRUE(host->IsAvailable());
    ObjectManager::Get().DestroyObjectEx(first, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_TRUE(host->IsAvailable());
    ControllerAITestAccess::SetState(*late, "Startup", ControllerAIStateData());
    EXPECT_EQ(late->GetAnimateTarget(), statue->GetObjectId());
    EXPECT_EQ(host->GetAnimator(), second->GetObjectId());
}

TEST_F(SpiritStoogeTest, APursuingSpiritOutrunByAnotherTakesTheNextStatueOrGivesUp)
{
    Monster* nearStatue = nullptr;
    Monster* farStatue = nullptr;
    ControllerSpiritHost* nearHost = Statue(8.0f, &nearStatue);
    ControllerSpiritHost* farHost = Statue(12.0f, &farStatue);
    auto* spirit = Mind<ControllerSpirit>("Records/Test/Spirit.dbr", 0.0f);
    ASSERT_EQ(spirit->GetAnimateTarget(), nearStatue->GetObjectId());
    ControllerAITestAccess::SetState(*spirit, "PursueToAnimate", ControllerAIStateData(nearStatue->GetObjectId(), 0, 0, WorldVec3()));
    nearHost->SetAnimatedFlag(true);
    spirit->GetState("PursueToAnimate")->OnUpdate(16);
    EXPECT_EQ(spirit->GetAnimateTarget(), farStatue->GetObjectId());
    EXPECT_EQ(farHost->GetAnimator(), spirit->GetParentId());
    EXPECT_EQ(spirit->GetAngerManager().GetMostHatedEnemy(), farStatue->GetObjectId());

    farHost->SetAnimatedFlag(true);
    LogCapture log;
    ControllerAITestAccess::SetState(*spirit, "PursueToAnimate", ControllerAIStateData(farStatue->GetObjectId(), 0, 0, WorldVec3()));
    spirit->GetState("PursueToAnimate")->OnUpdate(16);
    EXPECT_EQ(spirit->GetExecutingStateName(), "Idle");
    EXPECT_TRUE(log.Contains(
        "Spirit error - went to idle because StatePursueToAnimate could not find a valid animate target."));

    // The strike skill: the special attack 5 against a statue, nothing with the distance flag.
    spirit->SetSpecialAttack5Skill(77, 0, 0, 100, SkillUseRange_Any);
    EXPECT_EQ(spirit->ChooseBestSkillOverride(farStatue->GetObjectId(), false), 77u);
    EXPECT_EQ(spirit->ChooseBestSkillOverride(farStatue->GetObjectId(), true), 0u);
    EXPECT_EQ(spirit->ChooseBestSkillOverride(spirit->GetParentId(), false), 0u);
}

TEST_F(SpiritStoogeTest, OnlyASpiritsStrikeRaisesAStatueAndTheRisenFlagSurvivesASave)
{
    Monster* statue = nullptr;
    ControllerSpiritHost* host = Statue(6.0f, &statue);
    Monster* spirit = nullptr;
    Mind<ControllerSpirit>("Records/Test/Spirit.dbr", 0.0f, &spirit);
    auto* player = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
    {
        LogCapture log;
        host->GetExecutingState()->Attacked(player->GetObjectId());
        EXPECT_TRUE(log.Contains("ControllerSpiritHostStateStartup - failed to animate"));
        EXPECT_EQ(host->GetStateName(), "Startup");
        EXPECT_FALSE(host->IsAnimated());
    }
    host->GetExecutingState()->Attacked(spirit->GetObjectId());
    EXPECT_TRUE(host->IsAnimated());
    EXPECT_TRUE(DynamicCast<SpiritHost>(statue)->IsAnimated());
    EXPECT_EQ(host->GetStateName(), "Idle");   // no rise animation to wait for
    gEngine->UpdateFrame(0);
    EXPECT_FALSE(statue->IsInvincible());
    EXPECT_EQ(statue->GetTeam(), TeamManager::DefaultMonsterTeam());

    BinaryWriter writer;
    statue->SaveState(writer);
    ASSERT_GE(writer.GetLength(), 4u);
    const std::vector<uint8_t> blob(writer.GetBuffer(), writer.GetBuffer() + writer.GetLength());
    EXPECT_EQ(std::vector<uint8_t>(blob.end() - 4, blob.end()), (std::vector<uint8_t>{1, 0, 0, 0}));

    struct Row {
        size_t cut;
        bool risen;
        const char* state;
    };
    const Row rows[] = {{0, true, "Idle"}, {4, false, "Startup"}};
    for (const Row& row : rows) {
        auto* restored = ObjectManager::Get().CreateObjectFromFile<SpiritHost>("Records/Test/Statue.dbr");
        BinaryReader reader(blob.data(), blob.size() - row.cut);
        LogCapture log;
        restored->RestoreState(reader);
        EXPECT_EQ(restored->IsAnimated(), row.risen) << row.cut;
        EXPECT_EQ(log.Lines().empty(), row.risen) << row.cut;
        ASSERT_TRUE(World::Get().AddEntity(restored, WorldCoords(region, Coords::MakeTranslation({20, 0, 0}))));
        auto* mind = DynamicCast<ControllerSpiritHost>(restored->GetMonsterController());
        mind->AttachParent(restored->GetObjectId());
        mind->Update(0);
        EXPECT_EQ(mind->GetStateName(), row.state) << row.cut;
        EXPECT_EQ(mind->IsAnimated(), row.risen) << row.cut;
    }
}

TEST_F(SpiritStoogeTest, AStationaryMonsterNeverWalks)
{
    Monster* rooted = nullptr;
    auto* mind = Mind<ControllerStationaryMonster>("Records/Test/Rooted.dbr", 0.0f, &rooted);
    EXPECT_FALSE(mind->CanMove());
    auto* enemy = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
    ASSERT_TRUE(World::Get().AddEntity(enemy, WorldCoords(region, Coords::MakeTranslation({40, 0, 0}))));
    enemy->SetTeam(TeamManager::DefaultPlayerTeam());
    enemy->SetLifeLimit(100.0f);
    enemy->SetCurrentLife(100.0f);
    for (const char* name : {"Flee", "Return", "FollowLeader", "DefendLeader", "Move", "Pursue"}) {
        ControllerAITestAccess::SetState(*mind, "Startup", ControllerAIStateData());
        ControllerAITestAccess::SetState(*mind, name, ControllerAIStateData(enemy->GetObjectId(), 0, 0, WorldVec3()));
        EXPECT_EQ(mind->GetExecutingStateName(), "Idle") << name;
    }
    EXPECT_TRUE(mind->GetState("Pursue")->ShouldFindEnemy());
    LogCapture log;
    ControllerAITestAccess::SetState(*mind, "Roam", ControllerAIStateData());
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
    EXPECT_FALSE(log.Lines().empty());
}

TEST_F(SpiritStoogeTest, ADeadStoogeRollsEachMiscSlotOnItsOwn)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/StoogeRing.dbr", "Class,ItemEquipment,\n");
    RecordDatabase::Get().RegisterRecord(
        "Records/Test/Stooge.dbr",
        "Class,AmbientCharacter,\ncontrollerType,Stooge,\n"
        "chanceToEquipMisc1,100,\nchanceToEquipMisc1Item1,10,\nlootMisc1Item1,Records/Test/StoogeRing.dbr,\n"
        "chanceToEquipMisc2,0,\nchanceToEquipMisc2Item1,10,\nlootMisc2Item1,Records/Test/StoogeRing.dbr,\n"
        "chanceToEquipMisc3Item1,10,\nlootMisc3Item1,Records/Test/StoogeRing.dbr,\n");
    auto* stooge = ObjectManager::Get().CreateObjectFromFile<AmbientCharacter>("Records/Test/Stooge.dbr");
    ASSERT_TRUE(World::Get().AddEntity(stooge, WorldCoords(region, Coords())));
    gEngine->UpdateFrame(16);   // the controller is attached and starts, without a spawn animation
    auto* controller = ObjectManager::Get().GetObject<ControllerStooge>(stooge->GetControllerId());
    ASSERT_NE(controller, nullptr);
    auto rings = [] {
        std::vector<Entity*> found;
        World::Get().GetEntitiesInSphere(found, World::Get().GetRegionById(1), Sphere{{}, 5.0f}, EntityList_All);
        return std::count_if(found.begin(), found.end(),
                             [](Entity* e) { return e->GetObjectName() == "Records/Test/StoogeRing.dbr"; });
    };
    for (int i = 1; i <= 5; ++i) {
        controller->CharacterIsDead();
        EXPECT_EQ(rings(), i);   // the first slot every time, the others never
    }
}

}  // namespace
