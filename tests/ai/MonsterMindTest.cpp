// The named-state machine's switching rules, the anger table, slot takeovers and releases,
// quest commands given before the start, and the monster controller's ticks and sight.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/ai/AngerManager.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/MovementGoalManager.h"
#include "Game/ai/SlotManager.h"
#include "Game/characters/Monster.h"
#include "Game/core/TeamManager.h"

namespace GAME {

using Log = std::vector<std::string>;

// Writes down what the machine does to it; may switch the state from its OnEnd, finish
// itself on its next frame, or record the quest moves it is given.
class MindLogState : public ControllerAIStateT<ControllerAI, Character> {
public:
    MindLogState(ControllerAI& controller, std::string name, Log& log)
        : ControllerAIStateT(controller), m_name(std::move(name)), m_log(log)
    {
    }
    void OnBegin() override { m_log.push_back(m_name + " begin"); }
    void OnEnd() override
    {
        m_log.push_back(m_name + " end");
        if (!switchOnEnd.empty()) {
            const std::string next = std::exchange(switchOnEnd, "");
            SetState(next, ControllerAIStateData());
        }
    }
    void OnUpdate(int) override
    {
        m_log.push_back(m_name + " update");
        if (finishOnUpdate)
            SetDone(true);
    }
    void QuestCommandMove(uint32_t id, const WorldVec3&) override { m_log.push_back(m_name + " move " + std::to_string(id)); }
    void QuestCommandPlayAnimation(AnimationSet_Type type, bool) override
    {
        m_log.push_back(m_name + " animation " + std::to_string(type));
    }
    void LostSlot() override { m_log.push_back(m_name + " lost slot"); }

    std::string switchOnEnd;
    bool finishOnUpdate = false;

private:
    std::string m_name;
    Log& m_log;
};

// Main states "A", "B", "C" and temporary states "T1", "T2"; starts in "A" unless told not to.
class MindTestController : public ControllerAI {
    GAME_DECLARE_CLASS(MindTestController)

public:
    using ControllerAI::AddTemporaryState;
    using ControllerAI::SetState;
    void RegisterStates() override
    {
        for (const char* name : {"A", "B", "C"})
            AddState(name, states[name] = new MindLogState(*this, name, log));
    }
    void RegisterTemporaryStates() override
    {
        for (const char* name : {"T1", "T2"})
            AddTemporaryState(std::string(name), states[name] = new MindLogState(*this, name, log));
    }
    void InitializeStates() override
    {
        if (startInA)
            SetState("A", ControllerAIStateData());
    }

    Log log;
    std::map<std::string, MindLogState*> states;
    bool startInA = true;
};
GAME_IMPLEMENT_CLASS(MindTestController, ControllerAI)

}  // namespace GAME

using namespace GAME;

namespace {

class MonsterMindTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "Mind");
        previousSink = gEngine->SetLogSink([this](const LogLine& line) { logged.push_back(line.text); });
        MovementGoalManager::Get().Clear();
    }
    void TearDown() override
    {
        gEngine->SetLogSink(previousSink);
        EngineTest::TearDown();
    }
    // A character of the team in the world at (x, y, z).
    Character* Body(const Team& team, float x, float z = 0.0f, float y = 0.0f, const char* kind = "Character")
    {
        auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject(kind));
        EXPECT_TRUE(World::Get().AddEntity(character, WorldCoords(region, Coords::LookAlong({x, y, z}, {1, 0, 0}, {0, 1, 0}))));
        character->SetTeam(team);
        character->SetLifeLimit(100.0f);
        character->SetCurrentLife(100.0f);   // a controller hands a lifeless character its death
        return character;
    }
    // A monster whose AI record holds these keys, placed at the origin and attached.
    ControllerMonster* Mind(const std::string& keys, Monster*& monster)
    {
        RecordDatabase::Get().RegisterRecord("Records/Test/MindAI.dbr", "Class,ControllerMonster,\n" + keys);
        RecordDatabase::Get().RegisterRecord("Records/Test/MindMonster.dbr",
                                             "Class,Monster,\ncontroller,Records/Test/MindAI.dbr,\n");
        monster = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Test/MindMonster.dbr");
        EXPECT_TRUE(World::Get().AddEntity(monster, WorldCoords(region, Coords())));
        monster->SetSpawnPoint(monster->GetCoords());
        monster->SetLifeLimit(100.0f);
        monster->SetCurrentLife(100.0f);
        auto* controller = monster->GetMonsterController();
        controller->AttachParent(monster->GetObjectId());
        return controller;
    }
    bool Logged(const std::string& text) const { return std::find(logged.begin(), logged.end(), text) != logged.end(); }

    Region* region = nullptr;
    Log logged;
    LogSink previousSink;
};

}  // namespace

TEST_F(MonsterMindTest, SwitchingRules)
{
    struct Row {
        const char* what;
        std::function<void(MindTestController&)> steps;
        Log expected;
    };
    const ControllerAIStateData none;
    const std::vector<Row> rows = {
        {"a switch waits for the temporary states; the new main state begins once",
         [&](MindTestController& c) {
             c.AddTemporaryState("T1", none);
             c.SetState("B", none);
             c.states["T1"]->finishOnUpdate = true;
             c.Update(16);
             c.Update(16);
         },
         {"A end", "T1 begin", "T1 update", "T1 end", "B begin", "B update"}},
        {"the current state again ends and begins", [&](MindTestController& c) { c.SetState("A", none); },
         {"A end", "A begin"}},
        {"a switch made in OnEnd wins",
         [&](MindTestController& c) {
             c.states["A"]->switchOnEnd = "C";
             c.SetState("B", none);
             c.Update(16);
         },
         // The switch inside OnEnd ends the still-current state once more before C begins.
         {"A end", "A end", "C begin", "C update"}},
        {"two temporary states done in one frame both pop before the frame",
         [&](MindTestController& c) {
             c.AddTemporaryState("T1", none);
             c.AddTemporaryState("T2", none);   // covers T1 without ending or beginning anything
             c.states["T1"]->SetDone(true);
             c.states["T2"]->SetDone(true);
             c.Update(16);
         },
         {"A end", "T1 begin", "T2 end", "T1 begin", "T1 end", "A begin", "A update"}},
        {"a temporary state's OnEnd that switches the main state: the new one begins after the pop",
         [&](MindTestController& c) {
             c.AddTemporaryState("T1", none);
             c.states["T1"]->switchOnEnd = "B";
             c.states["T1"]->SetDone(true);
             c.Update(16);
         },
         {"A end", "T1 begin", "T1 end", "B begin", "B update"}},
        {"an unknown name changes nothing", [&](MindTestController& c) { c.SetState("Nowhere", none); }, {}},
    };
    for (const Row& row : rows) {
        MindTestController controller;
        controller.Update(16);   // registers the states and enters "A"
        controller.log.clear();
        row.steps(controller);
        EXPECT_EQ(controller.log, row.expected) << row.what;
    }
    EXPECT_TRUE(Logged("State Nowhere is trying to be set, but not found."));
}

TEST_F(MonsterMindTest, QuestCommandsBeforeTheStartArePlayedAfterTheFirstFrameInOrder)
{
    MindTestController controller;
    controller.QuestCommandMove(7, WorldVec3(), true);
    controller.QuestCommandPlayAnimation(AnimationSet_Walk, false, false);
    auto* preStart = static_cast<ControllerAIStatePreStart*>(controller.GetExecutingState());
    preStart->QuestCommandOrient(9, WorldVec3());
    controller.QuestCommandMove(8, WorldVec3(), false);
    ASSERT_EQ(controller.GetPreloadQuestActions().size(), 4u);
    EXPECT_TRUE(controller.GetPreloadQuestActions()[0].allowInterruptions);
    EXPECT_FALSE(controller.GetPreloadQuestActions()[3].allowInterruptions);

    controller.Update(16);
    EXPECT_EQ(controller.log, (Log{"A begin", "A update", "A move 7", "A animation 6", "A move 8"}));
    EXPECT_TRUE(controller.GetPreloadQuestActions().empty());
}

TEST_F(MonsterMindTest, ThePreStartStateBeginningAgainLeavesTheCharacterAlive)
{
    MindTestController controller;
    controller.startInA = false;
    Character* body = Body(TeamManager::DefaultMonsterTeam(), 0.0f);
    controller.AttachParent(body->GetObjectId());
    controller.Update(16);
    controller.AddTemporaryState("T1", ControllerAIStateData());
    controller.states["T1"]->SetDone(true);
    controller.Update(16);
    EXPECT_TRUE(body->IsAlive());
    EXPECT_EQ(controller.GetExecutingStateName(), "");
}

TEST_F(MonsterMindTest, AngerNumbers)
{
    AngerManager anger;
    Character* self = Body(TeamManager::DefaultMonsterTeam(), 0.0f);
    Character* a = Body(TeamManager::DefaultPlayerTeam(), 10.0f);
    Character* b = Body(TeamManager::DefaultPlayerTeam(), 50.0f);
    Character* c = Body(TeamManager::DefaultPlayerTeam(), 0.0f, 50.01f);
    const uint32_t ida = a->GetObjectId(), idb = b->GetObjectId(), idc = c->GetObjectId();

    for (int i = 0; i < 5; ++i)
        anger.AddAnger(ida, 30.0f);
    EXPECT_FLOAT_EQ(anger.GetAnger(ida), 100.0f);
    anger.AddAnger(idb, 50.0f);   // two entries: the other loses 50 / 2 * 0.7
    EXPECT_FLOAT_EQ(anger.GetAnger(ida), 82.5f);
    anger.AddAnger(idc, 1.0f);

    anger.Update(0, 0.0f, self);   // 50.0 away stays, 50.01 is forgotten
    EXPECT_TRUE(anger.HasEntry(idb));
    EXPECT_FALSE(anger.HasEntry(idc));
    uint32_t closest = 0;
    float distance = 0.0f;
    anger.GetClosestEnemy(closest, distance);
    EXPECT_EQ(closest, ida);
    EXPECT_FLOAT_EQ(distance, 10.0f);

    // A best score equal to the threshold gives no target.
    EXPECT_EQ(anger.GetNewTarget(anger.GetAnger(ida)), nullptr);
    EXPECT_EQ(anger.GetNewTarget(10.0f), a);
    // The current target's score is doubled: 30 as the current target beats 50.
    AngerManager table;
    table.AddAnger(idb, 60.5f);
    table.AddAnger(ida, 30.0f);   // b loses 10.5 to 50
    AngerManager chosen;
    chosen.AddAnger(ida, 30.0f);
    EXPECT_EQ(chosen.GetNewTarget(10.0f), a);
    table.TransferAnger(chosen);
    EXPECT_FLOAT_EQ(chosen.GetAnger(idb), 50.0f);
    EXPECT_EQ(chosen.GetNewTarget(10.0f), a);
    EXPECT_EQ(table.GetNewTarget(10.0f), b);

    anger.Clear();
    EXPECT_EQ(anger.GetEntryCount(), 0u);
    EXPECT_EQ(anger.GetCurrentTarget(), ida);
    anger.SetMostHatedEnemy(idb);   // returned even without an entry
    EXPECT_EQ(anger.GetNewTarget(10.0f), b);
}

TEST_F(MonsterMindTest, SlotTakeoverTellsTheHolderAndStateChangesReleaseSlots)
{
    Character* owner = Body(TeamManager::DefaultPlayerTeam(), 0.0f);
    owner->GetAttackSlots().SetNumSlots(1);
    Character* far = Body(TeamManager::DefaultMonsterTeam(), 8.0f);
    Character* near = Body(TeamManager::DefaultMonsterTeam(), 3.0f);
    auto& farMind = *DynamicCast<MindTestController>(ObjectManager::Get().CreateObject("MindTestController"));
    farMind.AttachParent(far->GetObjectId());
    far->SetControllerId(farMind.GetObjectId());
    farMind.Update(16);
    farMind.log.clear();

    WorldVec3 out;
    owner->GetAttackSlots().RequestSlot(out, far->GetObjectId(), 2.0f, true);
    EXPECT_EQ(owner->GetAttackSlots().GetSlotHolder(0), far->GetObjectId());
    owner->GetAttackSlots().RequestSlot(out, near->GetObjectId(), 2.0f, true);   // nearer: takes it over
    EXPECT_EQ(owner->GetAttackSlots().GetSlotHolder(0), near->GetObjectId());
    EXPECT_EQ(farMind.log, (Log{"A lost slot"}));
    owner->GetAttackSlots().RequestSlot(out, far->GetObjectId(), 2.0f, true);    // farther: none
    EXPECT_FALSE(out.IsValid());

    // A change of enemy releases the attack slot on the old enemy and the ally's defence
    // slot; a temporary state releases only the attack slot; the same enemy keeps both.
    Character* ally = Body(TeamManager::DefaultMonsterTeam(), -3.0f);
    ally->GetDefenseSlots().SetNumSlots(2);
    MindTestController mind;
    mind.AttachParent(near->GetObjectId());
    mind.Update(16);
    const ControllerAIStateData onOwner(owner->GetObjectId(), ally->GetObjectId(), 0, WorldVec3());
    mind.SetState("B", onOwner);
    ally->GetDefenseSlots().RequestSlot(out, near->GetObjectId(), 2.0f, true);
    mind.SetState("C", onOwner);
    EXPECT_EQ(owner->GetAttackSlots().GetSlotHolder(0), near->GetObjectId());
    mind.AddTemporaryState("T1", ControllerAIStateData());
    EXPECT_EQ(owner->GetAttackSlots().GetSlotHolder(0), 0u);
    EXPECT_EQ(ally->GetDefenseSlots().GetSlotHolder(0) + ally->GetDefenseSlots().GetSlotHolder(1),
              near->GetObjectId());
    mind.ClearTemporaryStates();
    owner->GetAttackSlots().RequestSlot(out, near->GetObjectId(), 2.0f, true);
    mind.SetState("A", ControllerAIStateData());
    EXPECT_EQ(owner->GetAttackSlots().GetSlotHolder(0), 0u);
    EXPECT_EQ(ally->GetDefenseSlots().GetSlotHolder(0) + ally->GetDefenseSlots().GetSlotHolder(1), 0u);
}

TEST_F(MonsterMindTest, MonstersHeadingForOnePointSpreadAroundTheOneAlreadyThere)
{
    MovementGoalManager& goals = MovementGoalManager::Get();
    const Team monsters = TeamManager::DefaultMonsterTeam();
    Character* first = Body(monsters, 10.0f);
    first->SetBoundingRadius(1.0f);
    Character* second = Body(monsters, 0.0f);
    Character* third = Body(monsters, 0.0f, 5.0f);
    const WorldVec3 wanted(region, {10, 0, 0});

    // Nobody heads there yet: the first gets the point itself.
    EXPECT_EQ(goals.GetClosestMovePoint(first->GetObjectId(), 0.5f, wanted), wanted);
    // The next steps clear of the first one's body, in the same region.
    const WorldVec3 beside = goals.GetClosestMovePoint(second->GetObjectId(), 0.5f, wanted);
    EXPECT_EQ(beside.GetRegion(), region);
    EXPECT_GE((beside.GetRegionPosition() - Vec3{10, 0, 0}).Length(), 1.5f - 1e-4f);
    EXPECT_TRUE(World::Get().GetObstacles().empty());
    // A point far from every goal is given as asked.
    const WorldVec3 away(region, {30, 0, 0});
    EXPECT_EQ(goals.GetClosestMovePoint(third->GetObjectId(), 0.5f, away), away);
    EXPECT_EQ(goals.GetGoalCount(), 3u);
}

TEST_F(MonsterMindTest, AngerTickCatchesUpAndSightEndsAtTheViewDistance)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("ForgiveRate,0,\nViewDistance,15,\n", monster);
    Character* close = Body(TeamManager::DefaultPlayerTeam(), 2.0f);
    Character* edge = Body(TeamManager::DefaultPlayerTeam(), 0.0f, 15.0f);
    Character* beyond = Body(TeamManager::DefaultPlayerTeam(), 0.0f, -15.1f - close->GetBoundingRadius());
    Body(TeamManager::DefaultMonsterTeam(), 1.0f);   // a friend earns nothing

    mind->Update(1000);   // from 0 to -1000: six periods
    EXPECT_FLOAT_EQ(mind->GetAngerUpdateTimer(), 200.0f);
    // The near foe earns 6 x 200 ms at the inner rate; the one at the edge then 6 x 200 ms
    // at 90 per cent of the sight rate, which takes 35 per cent of that from the first.
    const float edgeAnger = 6 * 0.2f * 18.0f;
    EXPECT_NEAR(mind->GetAngerManager().GetAnger(close->GetObjectId()), 6 * 0.2f * 20.0f - edgeAnger * 0.35f, 1e-3f);
    EXPECT_NEAR(mind->GetAngerManager().GetAnger(edge->GetObjectId()), edgeAnger, 1e-3f);
    EXPECT_TRUE(mind->GetAngerManager().HasEntry(edge->GetObjectId()));
    EXPECT_FALSE(mind->GetAngerManager().HasEntry(beyond->GetObjectId()));
    EXPECT_EQ(mind->GetAngerManager().GetEntryCount(), 2u);
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
    EXPECT_EQ(mind->GetFindEnemyTimer(), 200);
}

TEST_F(MonsterMindTest, RecordKeysDefaultsWordsAndBadValues)
{
    Monster* monster = nullptr;
    const ControllerMonster* mind = Mind("FleeBehavior,FleeWhenEnemyClose,\nRoamBehavior,Wobble,\n"
                                         "DistressResponseBehavior,Misspelt,\nLeadChance,40;10,\n"
                                         "FleeChance,-5,\nSightAngerRate,nan,\n"
                                         "MinPatrolIdleTime,9000,\nMaxPatrolIdleTime,3000,\n",
                                         monster);
    const ControllerMonster::Keys& keys = mind->GetKeys();
    EXPECT_FLOAT_EQ(mind->GetViewDistance(), 15.0f);
    EXPECT_EQ(keys.fleeBehavior, Flee_WhenEnemyClose);
    EXPECT_EQ(keys.roamBehavior, Roam_Never);
    EXPECT_EQ(keys.distressResponseBehavior, Distress_All);
    EXPECT_FLOAT_EQ(keys.leadChance[0], 0.4f);
    EXPECT_FLOAT_EQ(keys.leadChance[2], 0.1f);   // a short array repeats its last entry
    EXPECT_EQ(keys.fleeChance, 0u);
    EXPECT_FLOAT_EQ(keys.sightAngerRate, 20.0f);
    EXPECT_EQ(keys.pursuitTime, 10000);
    EXPECT_EQ(ControllerMonster::ResolveSkillUseRange("MediumRange"), SkillUseRange_Medium);
    EXPECT_EQ(ControllerMonster::ResolveSkillUseRange("Far"), SkillUseRange_Any);
    for (int i = 0; i < 50; ++i) {
        const int drawn = mind->GetPatrolIdleTime();   // bounds the wrong way round
        EXPECT_TRUE(drawn >= 3000 && drawn <= 9000) << drawn;
    }
}

TEST_F(MonsterMindTest, SkillChoiceLogsOnlyWithoutTheDistanceFlagAndInitialWaitsNeedAnEnemy)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    mind->SetDefaultAttackSkill(0);
    EXPECT_EQ(mind->ChooseBestSkill(0, true), 0u);
    EXPECT_FALSE(Logged("ControllerMonster::ChooseBestSkill picked an invalid skill for " + monster->GetObjectName()));
    EXPECT_EQ(mind->ChooseBestSkill(0, false), 0u);
    EXPECT_TRUE(Logged("ControllerMonster::ChooseBestSkill picked an invalid skill for " + monster->GetObjectName()));

    mind->SetSpecialAttackSkill(77, 5000, 1000, 100, SkillUseRange_Any);
    mind->NoteSkillUsed(77);
    mind->Update(600);
    EXPECT_EQ(mind->GetSpecialAttack(0).reuseTimerMs, 400);
    EXPECT_EQ(mind->GetSpecialAttack(0).initialTimerMs, 5000);   // no enemy seen yet
}

TEST_F(MonsterMindTest, PursuitLeashAndVerticalSightLimit)
{
    struct Row {
        const char* keys;
        Vec3 foeAt;
        bool inPursuit;
        bool angered;   // seen and in range
    };
    const Row rows[] = {
        {"", {0.0f, 0.0f, 14.0f}, true, true},                                // no leash, no vertical limit
        {"MaxPursuitDistance,0,\n", {0.0f, 0.0f, 40.0f}, true, false},        // any distance is in range
        {"MaxPursuitDistance,10,\n", {0.0f, 0.0f, 9.0f}, true, true},
        {"MaxPursuitDistance,10,\n", {0.0f, 0.0f, 11.0f}, false, false},     // out of range earns no anger
        {"MaxYViewDistance,3,\n", {0.0f, 3.0f, 4.0f}, true, false},           // 3.0 above is not seen
        {"MaxYViewDistance,3,\n", {0.0f, 2.9f, 4.0f}, true, true},
    };
    for (const Row& row : rows) {
        Monster* monster = nullptr;
        ControllerMonster* mind = Mind(std::string("ForgiveRate,0,\n") + row.keys, monster);
        Character* foe = Body(TeamManager::DefaultPlayerTeam(), row.foeAt.x, row.foeAt.z, row.foeAt.y);
        EXPECT_EQ(mind->InPursuitRange(foe->GetObjectId()), row.inPursuit) << row.keys << row.foeAt.z;
        mind->Update(16);
        EXPECT_EQ(mind->GetAngerManager().GetAnger(foe->GetObjectId()) > 0.0f, row.angered) << row.keys << row.foeAt.z;
        ObjectManager::Get().DestroyObjectEx(monster, "test", __LINE__);
        ObjectManager::Get().DestroyObjectEx(foe, "test", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
    }
}

TEST_F(MonsterMindTest, ExtraDropsComeFromTheMiscSlotsAndOnePerPartyMember)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/MindRing.dbr", "Class,ItemEquipment,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/MindAI.dbr", "Class,ControllerMonster,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/MindDropper.dbr",
                                         "Class,Monster,\ncontroller,Records/Test/MindAI.dbr,\n"
                                         "chanceToEquipMisc1,100,\nchanceToEquipMisc1Item1,10,\n"
                                         "lootMisc1Item1,Records/Test/MindRing.dbr,\n"
                                         "chanceToEquipMisc2,0,\nchanceToEquipMisc2Item1,10,\n"
                                         "lootMisc2Item1,Records/Test/MindRing.dbr,\n"
                                         "perPartyMemberDropItemName,Records/Test/MindRing.dbr,\n");
    auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Test/MindDropper.dbr");
    ASSERT_TRUE(World::Get().AddEntity(monster, WorldCoords(region, Coords())));
    ControllerMonster* mind = monster->GetMonsterController();
    mind->AttachParent(monster->GetObjectId());
    auto countRings = [] {
        std::vector<Entity*> found;
        World::Get().GetEntitiesInSphere(found, World::Get().GetRegionById(1), Sphere{{}, 5.0f}, EntityList_All);
        return std::count_if(found.begin(), found.end(),
                             [](Entity* e) { return e->GetObjectName() == "Records/Test/MindRing.dbr"; });
    };
    const auto before = countRings();
    mind->CreateDropMiscItems();
    // The first misc slot always drops, the second never; the killer has no party: one more.
    EXPECT_EQ(countRings() - before, 2);
}

// The sight searches list, in the world's order, only the living characters of the side
// asked for: never the monster itself nor an entity that is no character.
TEST_F(MonsterMindTest, FoesAndFriendsInSightAreTheLivingOfTheirSideInTheWorldsOrder)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    const Team players = TeamManager::DefaultPlayerTeam();
    const Team monsters = TeamManager::DefaultMonsterTeam();
    Character* foe1 = Body(players, 3.0f);
    Character* friend1 = Body(monsters, -3.0f);
    Body(players, 0.0f, 3.0f)->SetLifeState(Character_LifeState_Dead);
    World::Get().AddEntity(DynamicCast<Entity>(ObjectManager::Get().CreateObject("Actor")), WorldCoords(region, {}));
    Character* foe2 = Body(players, -6.0f, -6.0f);
    Body(players, 40.0f);   // out of sight
    std::vector<Character*> foes, friends;
    mind->GetFoesInSphere(foes, region, Sphere{{0, 0, 0}, 15.0f});
    mind->GetFriendsInSphere(friends, region, Sphere{{0, 0, 0}, 15.0f});
    EXPECT_EQ(foes, (std::vector<Character*>{foe1, foe2}));
    EXPECT_EQ(friends, (std::vector<Character*>{friend1}));
}

// The controller keeps its character found until the id changes or an object is destroyed;
// a frame after its character's memory went back touches nothing of it.
TEST_F(MonsterMindTest, TheControllerLetsGoOfItsDestroyedCharacter)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    auto* body = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
    World::Get().AddEntity(body, WorldCoords(region, Coords::MakeTranslation({2, 0, 0})));
    mind->Update(16);
    mind->AttachParent(body->GetObjectId());
    EXPECT_EQ(mind->GetMonster(), body);
    ObjectManager::Get().DestroyObjectEx(body, "test", __LINE__);
    EXPECT_EQ(mind->GetMonster(), nullptr);
    ObjectManager::Get().FlushDestroyedObjects();
    mind->Update(16);
    mind->AttachParent(monster->GetObjectId());
    EXPECT_EQ(mind->GetMonster(), monster);
}
