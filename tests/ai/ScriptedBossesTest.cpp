// The scripted bosses and their helpers: the conduit fight and its saved flags, the
// chained boss and its chains, the two-phase caster and its marching warriors, the
// sickle-bearer with its drop zone, and the controller that teleports as it loses life.
#include <typeinfo>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/GameClock.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/Name.h"
#include "Engine/UniqueIdMap.h"
#include "Game/ai/ControllerBandari.h"
#include "Game/ai/ControllerMegalesios.h"
#include "Game/ai/ControllerTelkine.h"
#include "Game/ai/ControllerTerracotta.h"
#include "Game/ai/ControllerTyphonChained.h"
#include "Game/ai/ControllerZoverad.h"
#include "Game/characters/Player.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/skills/ProjectileKinds.h"
#include "Game/skills/Skill_AttackTelekinesis.h"
#include "Game/world/BandariTeleportPoint.h"
#include "Game/world/FixedItemTeleport.h"
#include "Game/world/FxPak.h"
#include "Game/world/Proxy.h"
#include "ai/ControllerAITestAccess.h"

using namespace GAME;

namespace {

class ScriptedBossTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "Bosses");
        InstanceGroupManager::Get().Clear();
        SeedProcessRandom(56);
        RecordDatabase::Get().RegisterRecord("Records/Test/Burst.dbr", "Class,FxPak,\n");
    }
    void TearDown() override
    {
        gEngine->SetEditorMode(false);
        InstanceGroupManager::Get().Clear();
        UniqueIdMap::Get().Clear();
        EngineTest::TearDown();
    }
    // A boss of the class with its controller, at x facing +x, full of life and started.
    template <class M, class C>
    M* Make(const std::string& monsterKeys, const std::string& controllerKeys, C*& controller, float x = 0.0f)
    {
        const std::string id = std::to_string(++made);
        const std::string ai = "Records/Test/BossAI" + id + ".dbr";
        const std::string body = "Records/Test/Boss" + id + ".dbr";
        RecordDatabase::Get().RegisterRecord(ai, std::string("Class,") + C::GetStaticClassInfo().GetName() + ",\n" +
                                                     controllerKeys);
        RecordDatabase::Get().RegisterRecord(body, std::string("Class,") + M::GetStaticClassInfo().GetName() +
                                                       ",\ncontroller," + ai + ",\n" + monsterKeys);
        M* monster = ObjectManager::Get().CreateObjectFromFile<M>(body);
        EXPECT_TRUE(World::Get().AddEntity(monster, At(x)));
        monster->SetSpawnPoint(monster->GetCoords());
        monster->SetLifeLimit(100.0f);
        monster->SetCurrentLife(100.0f);
        controller = DynamicCast<C>(monster->GetMonsterController());
        EXPECT_NE(controller, nullptr);
        controller->AttachParent(monster->GetObjectId());
        controller->Update(0);
        return monster;
    }
    WorldCoords At(float x, float z = 0.0f) const
    {
        return WorldCoords(region, Coords::LookAlong({x, 0, z}, {1, 0, 0}, {0, 1, 0}));
    }
    static size_t CountInWorld(const RTTI_ClassInfo& info)
    {
        size_t count = 0;
        std::vector<Entity*> all;
        World::Get().GetEntitiesInSphere(all, World::Get().GetRegionById(1), Sphere{{}, 1000.0f}, EntityList_All);
        for (const Entity* entity : all)
            count += entity->IsA(info) ? 1 : 0;
        return count;
    }
    // A living character of the players' side, facing +x.
    Character* Foe(float x, float z = 0.0f)
    {
        auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
        EXPECT_TRUE(World::Get().AddEntity(character, At(x, z)));
        character->SetTeam(TeamManager::DefaultPlayerTeam());
        character->SetLifeLimit(100.0f);
        character->SetCurrentLife(100.0f);
        return character;
    }
    template <class S>
    static S* StateOf(ControllerAI& controller, const char* name)
    {
        return dynamic_cast<S*>(controller.GetState(name));
    }
    Region* region = nullptr;
    int made = 0;
    static inline const Name kEnd{"End"};
};

}  // namespace

// ---- The conduit fight ---------------------------------------------------------------------

TEST_F(ScriptedBossTest, MegalesiosBurstsThenAttacksTheConduitOnANegativeCountdownUntilItIsGone)
{
    ControllerMegalesios* mind = nullptr;
    Megalesios* boss = Make<Megalesios>("", "", mind);
    const uint32_t bursts = 501, strike = 502;
    mind->SetSpecialAttack5Skill(bursts, 0, 4444, 100, SkillUseRange_Any);
    mind->SetSpecialAttackSkill(strike, 0, 7777, 100, SkillUseRange_Any);
    EXPECT_EQ(mind->GetCheckForPlayerRadius(), 20.0f);
    ASSERT_EQ(mind->GetExecutingStateName(), "Startup");

    // No enemy: the bursts go off at the boss itself; "End" moves on to the conduit.
    mind->QuestCommandUseSkill(0, 0, false);
    EXPECT_EQ(mind->GetExecutingStateName(), "LaunchBursts");
    EXPECT_TRUE(boss->GetBurstsLaunched());
    EXPECT_EQ(mind->GetSpecialAttack(4).reuseTimerMs, 4444);
    mind->HandleEvent(kEnd);
    ASSERT_EQ(mind->GetExecutingStateName(), "AttackConduit");

    MegalesiosConduit* conduit = nullptr;
    ControllerMegalesiosConduit* conduitMind = nullptr;
    conduit = Make<MegalesiosConduit>("", "", conduitMind, 6.0f);
    EXPECT_EQ(conduitMind->GetState("Attack"), nullptr);
    EXPECT_NE(conduitMind->GetState("Dead"), nullptr);
    EXPECT_FALSE(conduit->CausesAnger());

    auto* attack = StateOf<ControllerMegalesiosStateAttackConduit>(*mind, "AttackConduit");
    mind->Update(0);   // finds the conduit, nothing more
    EXPECT_EQ(attack->GetConduitId(), conduit->GetObjectId());
    mind->Update(0);   // a countdown of exactly 0 does not fire
    EXPECT_EQ(mind->GetSpecialAttack(0).reuseTimerMs, 0);
    mind->Update(1);
    EXPECT_EQ(mind->GetSpecialAttack(0).reuseTimerMs, 7777);
    EXPECT_GE(attack->GetCountdown(), 1000);
    EXPECT_LE(attack->GetCountdown(), 5000);

    // A quest skill holds the automatic attack back a million ms.
    attack->QuestCommandUseSkill(strike, conduit->GetObjectId());
    EXPECT_EQ(attack->GetCountdown(), ControllerMegalesiosStateAttackConduit::kQuestSkillHoldMs);
    EXPECT_EQ(mind->GetExecutingStateName(), "QuestUseSkill");

    // Once the conduit is gone the boss goes idle for good.
    ControllerAITestAccess::SetState(*mind, "AttackConduit", ControllerAIStateData());
    ObjectManager::Get().DestroyObjectEx(conduit, "test", __LINE__);
    mind->Update(1);
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
    EXPECT_TRUE(boss->GetConduitFinished());
}

TEST_F(ScriptedBossTest, MegalesiosFlagsAreSavedAndAReloadWithBothGoesStraightToIdle)
{
    ControllerMegalesios* mind = nullptr;
    Megalesios* saved = Make<Megalesios>("", "", mind);
    saved->SetBurstsLaunched(true);
    saved->SetConduitFinished(true);
    BinaryWriter writer;
    saved->SaveState(writer);

    ControllerMegalesios* reloadedMind = nullptr;
    Megalesios* reloaded = Make<Megalesios>("", "", reloadedMind);
    reloadedMind->SetSpecialAttackSkill(502, 0, 7777, 100, SkillUseRange_Any);
    BinaryReader reader(writer.GetBuffer(), writer.GetLength());
    reloaded->RestoreState(reader);
    EXPECT_TRUE(reloaded->GetBurstsLaunched() && reloaded->GetConduitFinished());
    ControllerAITestAccess::SetState(*reloadedMind, "Startup", ControllerAIStateData());
    EXPECT_EQ(reloadedMind->GetExecutingStateName(), "Idle");
    EXPECT_EQ(reloadedMind->GetSpecialAttack(0).reuseTimerMs, 0);

    // A state cut short before the flags leaves them as they were.
    ControllerMegalesios* shortMind = nullptr;
    Megalesios* cut = Make<Megalesios>("", "", shortMind);
    BinaryReader shortReader(writer.GetBuffer(), writer.GetLength() - 4);
    cut->RestoreState(shortReader);
    EXPECT_FALSE(cut->GetBurstsLaunched() || cut->GetConduitFinished());
}

// ---- The chained boss -----------------------------------------------------------------------

TEST_F(ScriptedBossTest, ChainedTyphonBreaksItsChainsWaitsAndReportsTheWalkOnce)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Chains.dbr",
                                         "Class,TyphonChains,\nburstFX,Records/Test/Burst.dbr,\ndissolveTime,2,\n");
    ControllerTyphonChained* mind = nullptr;
    TyphonChained* boss = Make<TyphonChained>("chains,Records/Test/Chains.dbr,\n", "", mind);
    EXPECT_EQ(mind->GetState("Idle"), nullptr);
    EXPECT_EQ(mind->GetExecutingStateName(), "Chained");
    boss->InitialUpdate();
    TyphonChains* chains = boss->GetChains();
    ASSERT_NE(chains, nullptr);
    EXPECT_TRUE(boss->AreChainsAttached());

    mind->QuestCommandPlayAnimation(AnimationSet_Chat, false, false);
    EXPECT_EQ(mind->GetExecutingStateName(), "BreakingTheChains");
    // Events other than its three reach only the character; the chains break on theirs.
    boss->AnimationCallback(Name("Footstep"));
    EXPECT_FALSE(chains->GetMeshInstance().IsDissolving());
    boss->AnimationCallback(Name("BreakTheChains"));
    EXPECT_TRUE(chains->GetMeshInstance().IsDissolving());
    EXPECT_EQ(CountInWorld(FxPak::GetStaticClassInfo()), 3u);

    size_t queued = boss->GetQueuedCommandCount();
    mind->HandleEvent(kEnd);
    EXPECT_EQ(mind->GetExecutingStateName(), "WaitToWalk");
    EXPECT_EQ(boss->GetQueuedCommandCount(), queued + 1);

    const WorldVec3 portal(region, {8, 0, 0});
    mind->QuestCommandMove(0, portal, false);
    EXPECT_EQ(mind->GetExecutingStateName(), "WalkToPortal");
    mind->QuestCommandWalk(0, WorldVec3(region, {-8, 0, 0}), false);   // ignored
    EXPECT_EQ(mind->GetCurrentPointOfInterest(), portal);
    queued = boss->GetQueuedCommandCount();
    mind->EndOfPathReached();
    EXPECT_EQ(boss->GetQueuedCommandCount(), queued + 1);
    EXPECT_EQ(mind->GetExecutingStateName(), "WalkToPortal");

    EXPECT_FALSE(boss->GetMeshInstance().IsDissolving());
    boss->AnimationCallback(Name("EnterPortal"));
    EXPECT_TRUE(boss->GetMeshInstance().IsDissolving());
}

TEST_F(ScriptedBossTest, ChainedTyphonUnlocksEveryPortalWithinFortyAndNoneFarther)
{
    ControllerTyphonChained* mind = nullptr;
    TyphonChained* boss = Make<TyphonChained>("", "", mind);
    struct Row {
        float x, z;
        bool lockedBefore, lockedAfter;
    };
    const Row rows[] = {
        {10.0f, 0.0f, true, false},     // near: unlocked
        {0.0f, -39.5f, true, false},    // just within 40
        {-20.0f, 20.0f, false, false},  // already open: stays open
        {45.0f, 0.0f, true, true},      // beyond 40: stays locked
        {0.0f, 60.0f, false, false},    // beyond and open: untouched
    };
    std::vector<FixedItemTeleport*> portals;
    for (const Row& row : rows) {
        auto* portal = DynamicCast<FixedItemTeleport>(ObjectManager::Get().CreateObject("FixedItemTeleport"));
        ASSERT_NE(portal, nullptr);
        ASSERT_TRUE(World::Get().AddEntity(portal, At(row.x, row.z)));
        portal->SetLock(row.lockedBefore);
        portals.push_back(portal);
    }
    boss->AnimationCallback(Name("BreakTheChains"));   // no chains: nothing happens
    EXPECT_EQ(boss->GetChains(), nullptr);
    boss->AnimationCallback(Name("OpenPortal"));
    for (size_t i = 0; i < portals.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(portals[i]->IsLocked(), rows[i].lockedAfter);
    }
}

TEST_F(ScriptedBossTest, ChainsWithoutABurstEffectStillDissolve)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/BareChains.dbr", "Class,TyphonChains,\n");
    auto* chains = ObjectManager::Get().CreateObjectFromFile<TyphonChains>("Records/Test/BareChains.dbr");
    ASSERT_NE(chains, nullptr);
    ASSERT_TRUE(World::Get().AddEntity(chains, At(0.0f)));
    chains->BreakChains();
    EXPECT_TRUE(chains->GetMeshInstance().IsDissolving());
    EXPECT_EQ(CountInWorld(FxPak::GetStaticClassInfo()), 0u);
}

// ---- The two-phase caster and its warriors ---------------------------------------------------

TEST_F(ScriptedBossTest, TelkineEmotesBeforeEachCastWaitsForItsEndAndChangesPhaseAfterTwelve)
{
    ControllerTelkine* mind = nullptr;
    Monster* boss = Make<Monster>("", "ViewDistance,40,\ntelekinesisSpell,Records/Test/None.dbr,\n", mind);
    EXPECT_EQ(mind->GetState("Idle"), nullptr);
    EXPECT_EQ(mind->GetViewDistance(), ControllerAI::kViewDistanceBeforeLoad);   // no monster keys read
    auto* phase1 = StateOf<ControllerTelkineStateAttackPhase1>(*mind, "AttackPhase1");
    ASSERT_EQ(mind->GetExecutingStateName(), "AttackPhase1");

    // Nobody in sight at cast time: the wait holds until an "End" arrives, nothing counted.
    mind->Update(ControllerTelkineStateAttackPhase1::kCastIntervalMs);
    EXPECT_EQ(mind->GetExecutingStateName(), "Emote");
    mind->HandleEvent(kEnd);
    mind->Update(1);
    EXPECT_EQ(mind->GetExecutingStateName(), "AttackPhase1");
    EXPECT_TRUE(phase1->IsWaitingForCast());
    EXPECT_EQ(phase1->GetCastCount(), 0);
    mind->Update(50000);
    EXPECT_TRUE(phase1->IsWaitingForCast());
    EXPECT_EQ(phase1->GetTimeSinceCast(), 0);
    mind->HandleEvent(kEnd);
    EXPECT_FALSE(phase1->IsWaitingForCast());

    // Attacking (action state 7): no cast, but the time keeps growing.
    Foe(6.0f);
    boss->SetActionState(Character_ActionState_Attack);
    mind->Update(ControllerTelkineStateAttackPhase1::kCastIntervalMs);
    EXPECT_EQ(mind->GetExecutingStateName(), "AttackPhase1");
    EXPECT_EQ(phase1->GetTimeSinceCast(), ControllerTelkineStateAttackPhase1::kCastIntervalMs);
    boss->SetActionState(Character_ActionState_Idle);

    for (int cast = 1; cast <= ControllerTelkineStateAttackPhase1::kCastLimit; ++cast) {
        SCOPED_TRACE(cast);
        mind->Update(ControllerTelkineStateAttackPhase1::kCastIntervalMs);   // the emote
        ASSERT_EQ(mind->GetExecutingStateName(), "Emote");
        mind->HandleEvent(kEnd);
        mind->Update(1);   // the cast
        ASSERT_EQ(phase1->GetCastCount(), cast);
        mind->HandleEvent(kEnd);
        boss->SetActionState(Character_ActionState_Idle);
    }
    mind->Update(1);
    EXPECT_EQ(mind->GetExecutingStateName(), "AttackPhase2");
}

TEST_F(ScriptedBossTest, AStunTakesTelkineOutOfItsPhaseAndItsEndStartsThePhaseAgainAwaitingNoCast)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);   // the bosses' animations, a stun's among them
    ControllerTelkine* mind = nullptr;
    Make<Monster>("charAnimationTableName,Records/Creatures/Animations/BossAnimations.dbr,\n",
                  "telekinesisSpell,Records/Test/None.dbr,\n", mind);
    auto* phase1 = StateOf<ControllerTelkineStateAttackPhase1>(*mind, "AttackPhase1");
    mind->Update(ControllerTelkineStateAttackPhase1::kCastIntervalMs);   // the emote
    mind->HandleEvent(kEnd);
    mind->Update(1);   // the cast, whose end is awaited
    ASSERT_TRUE(phase1->IsWaitingForCast());
    LogCapture log;
    mind->BeginStun();
    EXPECT_EQ(mind->GetExecutingStateName(), "Stunned");
    mind->EndStun();
    EXPECT_EQ(mind->GetExecutingStateName(), "AttackPhase1");
    EXPECT_FALSE(phase1->IsWaitingForCast());   // the stun cut the cast off: casting goes on
    for (const LogLine& line : log.Lines())
        EXPECT_LT(line.level, LOG_ERROR) << line.text;
}

TEST_F(ScriptedBossTest, TelkineAimsPhaseOneAtTheNearestOtherEnemyAndPhaseTwoAtTheNearestPlayer)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);   // the cast's animation
    RecordDatabase::Get().RegisterRecord("Records/Test/TelkineBolt.dbr", "Class,Skill_AttackSpell,\n");
    ControllerTelkine* mind = nullptr;
    Monster* boss = Make<Monster>("charAnimationTableName,Records/Creatures/Animations/BossAnimations.dbr,\n"
                                  "characterSpellCastSpeed,1,\n"
                                  "skillName1,Records/Test/TelkineBolt.dbr,\nskillLevel1,1,\n",
                                  "telekinesisSpell,Records/Test/TelkineBolt.dbr,\n"
                                  "directAttack,Records/Test/TelkineBolt.dbr,\n",
                                  mind);
    boss->InitialUpdate();
    ASSERT_NE(mind->GetTelekinesisSpellId(), 0u);
    auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
    ASSERT_TRUE(World::Get().AddEntity(player, At(3.0f)));
    player->SetTeam(TeamManager::DefaultPlayerTeam());
    player->SetLifeLimit(100.0f);
    player->SetCurrentLife(100.0f);
    Character* nearOther = Foe(6.0f);
    Character* farOther = Foe(-9.0f);
    Foe(30.0f);   // out of sight
    auto targetOf = [&] {
        uint32_t target = 0, skill = 0;
        WorldVec3 point;
        boss->GetCurrentAttackTarget(target, point, skill);
        return target;
    };

    // Phase 1: the nearest enemy that is no player, however near the player stands; a dead
    // one is passed over.
    auto* phase1 = StateOf<ControllerTelkineStateAttackPhase1>(*mind, "AttackPhase1");
    auto cast = [&] {
        mind->Update(ControllerTelkineStateAttackPhase1::kCastIntervalMs);   // the emote
        mind->HandleEvent(kEnd);
        mind->Update(1);   // the cast
        const uint32_t target = targetOf();
        mind->HandleEvent(kEnd);
        boss->SetActionState(Character_ActionState_Idle);
        return target;
    };
    EXPECT_EQ(cast(), nearOther->GetObjectId());
    EXPECT_EQ(phase1->GetCastCount(), 1);
    nearOther->SetLifeState(Character_LifeState_Dead);
    EXPECT_EQ(cast(), farOther->GetObjectId());
    farOther->SetLifeState(Character_LifeState_Dead);
    EXPECT_EQ(cast(), player->GetObjectId());   // only the player is left

    // Phase 2: the nearest player first, every 5000 ms of game time.
    nearOther->SetLifeState(Character_LifeState_Alive);
    boss->SetCurrentAttackTarget(0, WorldVec3(), 0);
    ControllerAITestAccess::SetState(*mind, "AttackPhase2", ControllerAIStateData());
    GameClock::Get().Advance(ControllerTelkineStateAttackPhase2::kAttackIntervalMs - 1);
    mind->Update(1);
    EXPECT_EQ(targetOf(), 0u);
    GameClock::Get().Advance(1);
    mind->Update(1);
    EXPECT_EQ(targetOf(), player->GetObjectId());
    player->SetLifeState(Character_LifeState_Dead);
    boss->SetActionState(Character_ActionState_Idle);
    GameClock::Get().Advance(ControllerTelkineStateAttackPhase2::kAttackIntervalMs);
    mind->Update(1);
    EXPECT_EQ(targetOf(), nearOther->GetObjectId());

    // A dying boss leaves its phase for the monster's dying and dead states.
    mind->CharacterIsDying();
    EXPECT_EQ(mind->GetExecutingStateName(), "Dying");
    mind->CharacterIsDead();
    EXPECT_EQ(mind->GetExecutingStateName(), "Dead");
}

TEST_F(ScriptedBossTest, TerracottaMarchesOnlyWhenToldByDefaultAndReturnsWhenAnEnemyIsCloseInFront)
{
    struct Row {
        const char* keys;
        float enemyX, enemyZ;
        const char* state;
    };
    const Row rows[] = {
        {"", 10.0f, 0.0f, "Startup"},                        // never marches by itself
        {"", 1.5f, 0.0f, "Idle"},                            // less than 2.0 in front: returns, home already
        {"", -1.0f, 0.0f, "Idle"},                           // behind: 0.0, below 2.0, so returns
        {"MarchRange,12,\n", 10.0f, 0.0f, "AttackMarch"},  // starts marching
        {"MarchRange,12,\n", -1.0f, 0.0f, "AttackMarch"},  // behind counts as 0.0
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.keys) + std::to_string(row.enemyX));
        ControllerTerracotta* mind = nullptr;
        Make<Monster>("", row.keys, mind, 100.0f * static_cast<float>(made + 1));
        const float origin = 100.0f * static_cast<float>(made);
        Character* enemy = Foe(origin + row.enemyX, row.enemyZ);
        EXPECT_EQ(mind->GetForwardDistance(enemy->GetObjectId()), row.enemyX > 0.0f ? row.enemyX : 0.0f);
        mind->SetMostHatedEnemy(enemy->GetObjectId());
        mind->GetState("Startup")->OnUpdate(0);
        EXPECT_EQ(mind->GetExecutingStateName(), row.state);
    }
    ControllerTerracotta* mind = nullptr;
    Make<Monster>("", "", mind, -500.0f);
    EXPECT_EQ(mind->GetForwardDistance(0), 0.0f);
    mind->AttackMarch();
    EXPECT_EQ(mind->GetExecutingStateName(), "AttackMarch");
}

// ---- The sickle-bearer ------------------------------------------------------------------------

TEST_F(ScriptedBossTest, ZoveradLosesItsSickleOnceAndAReloadLosesItAgainWithoutTheBlast)
{
    ControllerZoverad* mind = nullptr;
    Zoverad* boss = Make<Zoverad>("sickleExplosion,Records/Test/Burst.dbr,\n", "", mind);
    EXPECT_NE(dynamic_cast<ControllerZoveradStateAttack*>(mind->GetState("Attack")), nullptr);
    ControllerAITestAccess::SetState(*mind, "Pursue", ControllerAIStateData());
    // Empty hands: no commands, but the blast shows and the controller goes idle.
    const size_t queued = boss->GetQueuedCommandCount();
    boss->UnequipAndExplodeSickle(true);
    EXPECT_EQ(boss->GetQueuedCommandCount(), queued);
    EXPECT_EQ(CountInWorld(FxPak::GetStaticClassInfo()), 1u);
    EXPECT_TRUE(boss->IsSickleGone());
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");

    BinaryWriter writer;
    boss->SaveState(writer);
    ControllerZoverad* reloadedMind = nullptr;
    Zoverad* reloaded = Make<Zoverad>("sickleExplosion,Records/Test/Burst.dbr,\n", "", reloadedMind, 50.0f);
    ControllerAITestAccess::SetState(*reloadedMind, "Pursue", ControllerAIStateData());
    BinaryReader reader(writer.GetBuffer(), writer.GetLength());
    reloaded->RestoreState(reader);
    EXPECT_TRUE(reloaded->IsSickleGone());
    EXPECT_EQ(reloadedMind->GetExecutingStateName(), "Idle");
    EXPECT_EQ(CountInWorld(FxPak::GetStaticClassInfo()), 1u);
}

TEST_F(ScriptedBossTest, ZoveradsAttackOutlastsAnEndDuringAnUnfinishedTelekinesis)
{
    ControllerZoverad* mind = nullptr;
    Zoverad* boss = Make<Zoverad>("", "", mind);
    RecordDatabase::Get().RegisterRecord("Records/Test/Hurl.dbr", "Class,Skill_AttackTelekinesis,\n");
    auto* hurl = ObjectManager::Get().CreateObjectFromFile<Skill_AttackTelekinesis>("Records/Test/Hurl.dbr");
    ASSERT_NE(hurl, nullptr);
    Character* enemy = Foe(1.0f);
    ControllerAITestAccess::SetState(*mind, "Attack", ControllerAIStateData(enemy->GetObjectId(), 0, hurl->GetObjectId(), WorldVec3()));
    hurl->ActivateNow(*boss, Name(), 0, WorldVec3(region, {1, 0, 0}));   // thrown: not finished
    ASSERT_FALSE(hurl->IsTelkineFinished());
    ASSERT_EQ(mind->GetCurrentSkillID(), hurl->GetObjectId());
    const std::string before = mind->GetExecutingStateName();
    const uint32_t skillBefore = mind->GetCurrentSkillID();
    mind->GetState("Attack")->HandleEvent(kEnd);
    EXPECT_EQ(mind->GetExecutingStateName(), before);
    EXPECT_EQ(mind->GetCurrentSkillID(), skillBefore);
}

TEST_F(ScriptedBossTest, ZoveradsDeathExplodesOnlyIdleThrowablesWithinThirty)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Rock.dbr", "Class,ProjectileTelekinesis,\n");
    ControllerZoverad* mind = nullptr;
    Zoverad* boss = Make<Zoverad>("", "", mind);
    auto rock = [&](float x) {
        auto* made = ObjectManager::Get().CreateObjectFromFile<ProjectileTelekinesis>("Records/Test/Rock.dbr");
        EXPECT_TRUE(World::Get().AddEntity(made, At(x)));
        return made;
    };
    ProjectileTelekinesis* near = rock(10.0f);
    ProjectileTelekinesis* held = rock(12.0f);
    ProjectileTelekinesis* far = rock(45.0f);
    held->ProjectileCome(boss->GetObjectId());
    boss->CharacterIsDying();
    EXPECT_EQ(near->GetState(), ProjectileTelekinesis::kStateExploded);
    EXPECT_NE(held->GetState(), ProjectileTelekinesis::kStateExploded);
    EXPECT_NE(far->GetState(), ProjectileTelekinesis::kStateExploded);
}

TEST_F(ScriptedBossTest, ADropZoneOutsideTheEditorIsHiddenAndNeverHitButKeepsItsRadius)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Zone.dbr", "Class,ZoveradDropZone,\nradius,3.5,\n");
    auto* zone = ObjectManager::Get().CreateObjectFromFile<ZoveradDropZone>("Records/Test/Zone.dbr");
    ASSERT_NE(zone, nullptr);
    ASSERT_TRUE(World::Get().AddEntity(zone, At(0.0f)));
    EXPECT_FALSE(zone->GetVisibility());
    EXPECT_EQ(zone->GetRadius(), 3.5f);
    float distance = 0.0f;
    WorldVec3 point;
    EXPECT_FALSE(zone->GetIntersection(WorldRay{WorldVec3(region, {-10, 0, 0}), {1, 0, 0}}, 1, distance, point));
    EXPECT_EQ(distance, kPositiveInfinity);
}

TEST_F(ScriptedBossTest, ADropZoneInTheEditorShowsAtItsRadiusAndIsHitOnlyOnASurface)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/EditorZone.dbr", "Class,ZoveradDropZone,\nradius,3.5,\n");
    gEngine->SetEditorMode(true);
    auto* zone = ObjectManager::Get().CreateObjectFromFile<ZoveradDropZone>("Records/Test/EditorZone.dbr");
    gEngine->SetEditorMode(false);
    ASSERT_NE(zone, nullptr);
    EXPECT_TRUE(zone->GetVisibility());
    ASSERT_TRUE(World::Get().AddEntity(zone, At(0.0f)));
    gEngine->SetEditorMode(true);
    zone->InitialUpdate();
    EXPECT_EQ(zone->GetCurrentScale(), 3.5f);

    struct Row {
        Vec3 from, direction;
        int surface;
        float distance;
    };
    const Row rows[] = {
        {{-10, 0, 0}, {1, 0, 0}, 1, 6.5f},              // straight at it: the near side
        {{0, 0, -8}, {0, 0, 1}, 2, 4.5f},               // any non-zero surface
        {{-10, 0, 0}, {1, 0, 0}, 0, kPositiveInfinity},  // surface 0: never
        {{-10, 0, 5}, {1, 0, 0}, 1, kPositiveInfinity},  // passes beside it
        {{-10, 0, 0}, {-1, 0, 0}, 1, kPositiveInfinity}, // points away
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.surface);
        float distance = 0.0f;
        WorldVec3 point;
        const bool hit = zone->GetIntersection(WorldRay{WorldVec3(region, row.from), row.direction}, row.surface,
                                               distance, point);
        EXPECT_EQ(hit, row.distance < kPositiveInfinity);
        if (!hit) {
            EXPECT_EQ(distance, kPositiveInfinity);
        } else {
            EXPECT_NEAR(distance, row.distance, 1e-4f);
            const Vec3 expected = row.from + row.direction * row.distance;
            EXPECT_NEAR(point.GetRegionPosition().x, expected.x, 1e-4f);
            EXPECT_NEAR(point.GetRegionPosition().z, expected.z, 1e-4f);
        }
    }
    gEngine->SetEditorMode(false);   // out of the editor the same zone is never hit
    float distance = 0.0f;
    WorldVec3 point;
    EXPECT_FALSE(zone->GetIntersection(WorldRay{WorldVec3(region, {-10, 0, 0}), {1, 0, 0}}, 1, distance, point));
}

// ---- Allies and the teleporting boss -----------------------------------------------------------

TEST_F(ScriptedBossTest, AnAllyAndAPetRegisterExactlyTheMonsterStates)
{
    ControllerMonster* plain = nullptr;
    Make<Monster>("", "", plain);
    ControllerAlly* ally = nullptr;
    Make<Monster>("", "", ally);
    ControllerPet* pet = nullptr;
    Make<Monster>("", "", pet);
    for (const char* name : {"Startup", "Idle", "Attack", "Return", "QuestUseSkill"}) {
        SCOPED_TRACE(name);
        const ControllerAIState* expected = plain->GetState(name);
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(typeid(*ally->GetState(name)), typeid(*expected));
        EXPECT_EQ(typeid(*pet->GetState(name)), typeid(*expected));
    }
    EXPECT_EQ(ally->GetExecutingStateName(), plain->GetExecutingStateName());
}

class BandariTest : public ScriptedBossTest {
protected:
    // A proxy that places one warrior, in the world and run one frame.
    UniqueId WarriorProxy()
    {
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Test/WarriorMind.dbr", "Class,ControllerTerracotta,\n");
        records.RegisterRecord("Records/Test/Warrior.dbr",
                               "Class,Monster,\ncontroller,Records/Test/WarriorMind.dbr,\n");
        records.RegisterRecord("Records/Test/Warriors.dbr", "spawnMin,1,\nspawnMax,1,\nname1,Records/Test/Warrior.dbr,\n");
        records.RegisterRecord("Records/Test/WarriorProxy.dbr", "Class,Proxy,\npool1,Records/Test/Warriors.dbr,\n");
        auto* proxy = ObjectManager::Get().CreateObjectFromFile<Proxy>("Records/Test/WarriorProxy.dbr");
        UniqueId id;
        id.SetPart(0, 7);
        proxy->SetUniqueId(id);
        EXPECT_TRUE(World::Get().AddEntity(proxy, At(-30.0f)));
        gEngine->UpdateFrame(16);
        gEngine->UpdateFrame(16);
        std::vector<uint32_t> placed;
        proxy->GetPlacedObjects(placed);
        EXPECT_EQ(placed.size(), 1u);
        warrior = placed.empty() ? nullptr : ObjectManager::Get().GetObject<Monster>(placed[0]);
        return id;
    }
    Monster* warrior = nullptr;
    // Three points at x = 10, 20, 30 in the child group of the proxy's "Bandari" group.
    ControllerBandari* MakeBandari(Monster*& boss)
    {
        UniqueId proxyId;   // the boss's own
        proxyId.SetPart(0, 1);
        std::vector<UniqueId> points;
        for (uint32_t i = 0; i < 3; ++i) {
            auto* point = DynamicCast<BandariTeleportPoint>(ObjectManager::Get().CreateObject("BandariTeleportPoint"));
            EXPECT_TRUE(World::Get().AddEntity(point, At(10.0f * static_cast<float>(i + 1))));
            UniqueId id;
            id.SetPart(0, 100 + i);
            UniqueIdMap::Get().Add(id, point->GetObjectId());
            points.push_back(id);
        }
        InstanceGroupManager& groups = InstanceGroupManager::Get();
        const size_t bandari = groups.AddGroup("Bandari 1", "Bandari", {proxyId});
        groups.AddGroup("Stray points", "Bandari Teleport Points", {points[2]});   // not a child
        const size_t pointGroup = groups.AddGroup("Points 1", "Bandari Teleport Points", points);
        const size_t warriors = groups.AddGroup("Warriors 1", "Terracotta Warriors", {WarriorProxy()});
        EXPECT_TRUE(groups.AddChildGroup(bandari, pointGroup));
        EXPECT_TRUE(groups.AddChildGroup(pointGroup, warriors));

        ControllerBandari* mind = nullptr;
        boss = Make<Monster>("", "", mind, 0.0f);
        UniqueIdMap::Get().Add(proxyId, boss->GetObjectId());   // a placed boss, by its own id
        mind->PostParentAttached();
        return mind;
    }
};

TEST_F(BandariTest, TeleportsJustBelowEachQuarterAndNotAgainBeforeItArrives)
{
    Monster* boss = nullptr;
    ControllerBandari* mind = MakeBandari(boss);
    ASSERT_EQ(mind->GetTeleportPoints().size(), 3u);
    EXPECT_EQ(mind->GetStartingLife(), 100.0f);
    EXPECT_TRUE(mind->ShouldAlwaysLookForClosestEnemy());

    boss->SetCurrentLife(75.0f);   // exactly 3/4: not yet
    mind->Update(1);
    EXPECT_EQ(mind->GetNextPoint(), 0u);
    boss->SetCurrentLife(74.9f);
    mind->Update(1);
    EXPECT_EQ(mind->GetNextPoint(), 1u);
    EXPECT_FALSE(mind->IsArmed());
    EXPECT_EQ(mind->GetExecutingStateName(), "UseSkillOnPoint");
    ASSERT_NE(warrior, nullptr);
    auto* march = DynamicCast<ControllerTerracotta>(warrior->GetMonsterController());
    ASSERT_NE(march, nullptr);
    EXPECT_EQ(march->GetExecutingStateName(), "AttackMarch");

    // No trigger fires before the arrival, however much life is lost.
    boss->SetCurrentLife(5.0f);
    mind->Update(1);
    EXPECT_FALSE(mind->ClosestEnemyFoundOverride(0, 1.0f));
    EXPECT_EQ(mind->GetNextPoint(), 1u);

    mind->Teleported(At(10.0f));
    EXPECT_TRUE(mind->IsArmed());
    EXPECT_EQ(boss->GetSpawnPoint().GetRegionCoords().origin, (Vec3{10, 0, 0}));
    EXPECT_TRUE(mind->ClosestEnemyFoundOverride(0, 1.0f));
    mind->Teleported(At(20.0f));
    mind->Update(1);   // 5 of 100 is below 1/4
    EXPECT_EQ(mind->GetNextPoint(), 3u);
    mind->Teleported(At(30.0f));
    EXPECT_FALSE(mind->ClosestEnemyFoundOverride(0, 1.0f));   // no point left
}

TEST_F(BandariTest, WithoutItsGroupsOrAStartingLifeItNeverTeleports)
{
    ControllerBandari* mind = nullptr;
    Monster* boss = Make<Monster>("", "", mind);
    mind->PostParentAttached();
    EXPECT_TRUE(mind->GetTeleportPoints().empty());
    boss->SetCurrentLife(1.0f);
    mind->Update(1);
    EXPECT_FALSE(mind->ClosestEnemyFoundOverride(0, 1.0f));

    // Points but a starting life of 0 (never started): the life trigger is guarded.
    auto* lifeless = DynamicCast<ControllerBandari>(ObjectManager::Get().CreateObject("ControllerBandari"));
    ASSERT_NE(lifeless, nullptr);
    lifeless->SetTeleportPoints({UniqueId(), UniqueId()});
    EXPECT_EQ(lifeless->GetStartingLife(), 0.0f);
    EXPECT_FALSE(lifeless->IsBelowNextThreshold(0.0f));
    EXPECT_FALSE(lifeless->IsBelowNextThreshold(-1.0f));
}
