// The monster's combat states: which events they search for and answer, where a waiting
// monster roams, and the leader's attack request.
#include <set>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterHidden.h"
#include "Engine/InstanceGroupManager.h"
#include "Game/ai/AngerManager.h"
#include "Game/ai/ControllerMonsterStates.h"
#include "Game/ai/MovementGoalManager.h"
#include "Game/ai/SlotManager.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/Monster.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/DynamicBarrier.h"
#include "Game/world/Proxy.h"
#include "ai/ControllerAITestAccess.h"

using namespace GAME;

namespace {

class MonsterStatesTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "States");
        MovementGoalManager::Get().Clear();
        SeedProcessRandom(46);
        GraphicsEngine::Get()->RegisterAnimation("Run.anm", "length,500,\n");
        GraphicsEngine::Get()->RegisterAnimation("Walk.anm", "length,500,\n");
    }
    Character* Body(const Team& team, float x)
    {
        auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
        EXPECT_TRUE(World::Get().AddEntity(character, WorldCoords(region, Coords::LookAlong({x, 0, 0}, {1, 0, 0}, {0, 1, 0}))));
        character->SetTeam(team);
        character->SetLifeLimit(100.0f);
        character->SetCurrentLife(100.0f);
        return character;
    }
    // A monster at the origin facing +x; `body` adds keys to the monster's record (its
    // animations), `mind` names the controller class.
    ControllerMonster* Mind(const std::string& keys, Monster*& monster, const std::string& body = "",
                            const std::string& mind = "ControllerMonster")
    {
        RecordDatabase::Get().RegisterRecord("Records/Test/StatesAI.dbr", "Class," + mind + ",\n" + keys);
        RecordDatabase::Get().RegisterRecord("Records/Test/StatesMonster.dbr",
                                             "Class,Monster,\ncontroller,Records/Test/StatesAI.dbr,\n" + body);
        monster = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Test/StatesMonster.dbr");
        EXPECT_TRUE(World::Get().AddEntity(monster, WorldCoords(region, Coords::LookAlong({}, {1, 0, 0}, {0, 1, 0}))));
        monster->SetSpawnPoint(monster->GetCoords());
        monster->SetLifeLimit(100.0f);
        monster->SetCurrentLife(100.0f);
        auto* controller = monster->GetMonsterController();
        controller->AttachParent(monster->GetObjectId());
        controller->Update(0);
        return controller;
    }
    // A skill of the monster's own, made its default attack.
    uint32_t GiveSkill(Monster& monster)
    {
        RecordDatabase::Get().RegisterRecord("Records/Test/StatesSkill.dbr", "Class,Skill,\nskillMaxLevel,10,\ndistanceProfile,Short,\n");
        auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Test/StatesSkill.dbr");
        EXPECT_NE(skill, nullptr);
        monster.GetSkillManager().AddSkill(skill);
        skill->SetSkillLevel(1);
        monster.GetMonsterController()->SetDefaultAttackSkill(skill->GetObjectId());
        return skill->GetObjectId();
    }
    Region* region = nullptr;
    static constexpr const char* kLegs = "unarmedRunAnim,Run.anm,\nunarmedWalkAnim,Walk.anm,\n";
};

}  // namespace

// Each state is asked each event while a stable state ("Immobile") executes, with the
// records set so that the default response switches state (or, for a dead ally, leaves
// the leader). 'D' must react, '-' must not, 'F' refuses a conversation, 'o' is the
// state's own handler, tested on its own.
// Each main state is found under its own name (registered in no order of names); a name
// of no state, a part of one or one longer finds nothing.
TEST_F(MonsterStatesTest, EachStateIsFoundUnderItsOwnName)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    std::set<const ControllerAIState*> found;
#define GAME_CHECK_MONSTER_STATE(Word, Suffix)                                                    \
    EXPECT_NE(dynamic_cast<ControllerMonsterState##Suffix*>(mind->GetState(Word)), nullptr) << Word; \
    found.insert(mind->GetState(Word));
    GAME_MONSTER_STATES(GAME_CHECK_MONSTER_STATE)
#undef GAME_CHECK_MONSTER_STATE
    EXPECT_EQ(found.size(), 32u);
    for (const char* name : {"", "Wande", "Wanderer", "idle", "Zzz"})
        EXPECT_EQ(mind->GetState(name), nullptr) << name;
}

TEST_F(MonsterStatesTest, TheReactionTableSaysWhichStateDefaultsOrIgnoresEachEvent)
{
    enum Event { EnemyFound, ClosestEnemyFound, Attacked, AllyAttacked, LowHealth, AllyDied, AllyNeedsHelp,
                 EndOfPath, LostSlot, RequestAttack, RequestMove, Conversation, QuestMove, Confused, EventCount };
    const char* keys[EventCount] = {};
    keys[ClosestEnemyFound] = "FleeBehavior,FleeWhenEnemyClose,\nmaxFleeCount,1000,\nFleeDelay,0,\n";
    keys[Attacked] = "FleeBehavior,FleeOnDamage,\nmaxFleeCount,1000,\nFleeDelay,0,\n";
    struct Row {
        const char* state;
        const char* answers;   // one letter per event, in the order above
        bool findEnemy, findClosest, respondsToFear;
    };
    const Row rows[] = {
        {"Startup", "-----------F--", false, false, true},
        {"Idle", "DDDDDDD--DDDDD", true, true, true},
        {"Pursue", "oDD-DDDoooDFDD", true, true, true},
        {"EmoteBeforePursue", "-----------FDD", false, false, true},
        {"NavigateObstacle", "oDD-DDDoooDFDD", true, true, true},
        {"Attack", "oDooDDD-ooDFDD", true, true, true},
        {"RepositionForAttack", "oDD-DDDo-oDFDD", true, true, true},
        {"WaitToAttack", "DDDDDDDo-oDFDD", true, true, true},
        {"DodgeAttack", "-------o--DFDD", true, false, true},
        {"Flee", "-------o---FDD", false, false, true},
        {"Roam", "DDDDDDDo-DDFDD", true, true, true},
        {"Wander", "DDDDDDDo-DDFDD", true, true, true},
        {"WanderPause", "DDDDDDDo-DDFDD", true, true, true},
        {"Return", "DDDDDDDo-DDFDD", true, true, true},
        {"Patrol", "DDDDDDDo-DDFDD", true, true, true},
        {"FollowLeader", "DDD-DoDooDDFDD", true, true, true},
        {"DefendLeader", "DDD-DoD--DDFDD", true, true, true},
        {"Move", "-------o--DFDD", true, false, true},
        {"Dying", "-----------F--", false, false, false},
        {"Dead", "-----------F--", false, false, false},
        {"Panic", "-------o---FDD", false, false, true},
        {"Scared", "-------o---FD-", false, false, true},
        {"Confused", "-------o---FD-", false, false, true},
        {"Paralyze", "-----------FD-", false, false, true},
        {"Immobile", "-----------FD-", false, false, true},
        {"Stunned", "-----------FD-", false, false, true},
        {"Trapped", "o----------FD-", true, false, true},
        {"TrappedAttack", "-----------FD-", false, false, true},
        // Without the interruption flag a quest command hears no enemy.
        {"QuestMove", "-------o---FD-", false, false, false},
        {"QuestWalk", "-------o---FD-", false, false, false},
        {"QuestPlayAnimation", "-------o---FD-", false, false, false},
        {"QuestUseSkill", "-------o---FD-", false, false, false},
    };
    for (int event = 0; event < EventCount; ++event) {
        SCOPED_TRACE(event);
        Monster* monster = nullptr;
        ControllerMonster* mind = Mind(keys[event] ? keys[event] : "", monster);
        mind->SetBerserkSkill(monster->GetObjectId());   // any non-zero id: low health pursues
        Monster* leader = nullptr;
        Mind("", leader);
        Monster* other = nullptr;
        Mind("", other);
        Character* enemy = Body(TeamManager::DefaultPlayerTeam(), 3.0f);
        Character* current = Body(TeamManager::DefaultPlayerTeam(), 4.0f);
        const uint32_t enemyId = enemy->GetObjectId(), leaderId = leader->GetObjectId();
        const WorldVec3 reachable(region, Vec3{2.0f, 0.0f, 2.0f});
        for (const Row& row : rows) {
            SCOPED_TRACE(row.state);
            const char answer = row.answers[event];
            if (answer == 'o')
                continue;
            if (monster->GetLeader() != leaderId)
                monster->JoinMe(leaderId, -1, false);
            mind->SetConfusedTime(0);
            ControllerAITestAccess::SetState(*mind, "Immobile", ControllerAIStateData(current->GetObjectId(), 0, 0, WorldVec3()));
            ASSERT_EQ(mind->GetExecutingStateName(), "Immobile");
            ControllerAIState* state = mind->GetState(row.state);
            ASSERT_NE(state, nullptr);
            if (event == 0) {
                EXPECT_EQ(state->ShouldFindEnemy(), row.findEnemy);
                EXPECT_EQ(state->ShouldFindClosestEnemy(), row.findClosest);
                EXPECT_EQ(state->RespondsToFear(), row.respondsToFear);
                EXPECT_EQ(state->UsePathPositionAsHome(), std::string(row.state) == "Patrol");
            }
            bool answered = false;
            switch (event) {
            case EnemyFound: state->EnemyFound(enemyId); break;
            case ClosestEnemyFound: state->ClosestEnemyFound(enemyId, 1.0f); break;
            case Attacked: state->Attacked(enemyId); break;
            case AllyAttacked: state->AllyAttacked(other->GetObjectId(), enemyId); break;
            case LowHealth: state->LowHealth(); break;
            case AllyDied: state->AllyDied(leaderId); break;
            case AllyNeedsHelp: state->AllyNeedsHelp(enemyId, other->GetObjectId()); break;
            case EndOfPath: state->EndOfPathReached(); break;
            case LostSlot: state->LostSlot(); break;
            case RequestAttack: state->RequestAttack(leaderId, enemyId); break;
            case RequestMove: state->RequestMove(leaderId, reachable); break;
            case Conversation: answered = state->RequestConversation(other->GetObjectId()); break;
            case QuestMove: state->QuestCommandMove(1, reachable); break;
            case Confused: state->Confused(1000); break;
            default: break;
            }
            const bool reacted = event == AllyDied     ? monster->GetLeader() != leaderId
                                 : event == Conversation ? answered
                                                         : mind->GetExecutingStateName() != "Immobile";
            EXPECT_EQ(reacted, answer == 'D') << "event " << event;
            mind->ClearTemporaryStates();
        }
    }
}

TEST_F(MonsterStatesTest, WithoutASpawnAnimationStartupGoesToIdleAndUsesTheInitialSkill)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    mind->SetInitialSkill(monster->GetObjectId());   // any non-zero id marks the slot as set
    ControllerAITestAccess::SetState(*mind, "Startup", ControllerAIStateData());
    EXPECT_EQ(mind->GetExecutingStateName(), "UseSkillOnAlly");
    mind->Update(10);   // the temporary state hands back to Idle
    mind->Update(10);
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
}

TEST_F(MonsterStatesTest, ALeadersRequestToAttackTheCurrentEnemyChangesNothingInCombatButRestartsIdle)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    Monster* leader = nullptr;
    Mind("", leader);
    Character* enemy = Body(TeamManager::DefaultPlayerTeam(), 3.0f);
    monster->JoinMe(leader->GetObjectId(), -1, false);
    ASSERT_EQ(monster->GetLeader(), leader->GetObjectId());
    // A stable state holds the enemy; the combat states are asked while it executes.
    ControllerAITestAccess::SetState(*mind, "Immobile", ControllerAIStateData(enemy->GetObjectId(), 0, 0, WorldVec3()));
    for (const char* name : {"Pursue", "Attack", "RepositionForAttack", "NavigateObstacle", "WaitToAttack"}) {
        SCOPED_TRACE(name);
        mind->GetState(name)->RequestAttack(leader->GetObjectId(), enemy->GetObjectId());
        EXPECT_EQ(mind->GetExecutingStateName(), "Immobile");
    }
    // Not the leader: ignored even in Idle.
    mind->GetState("Idle")->RequestAttack(enemy->GetObjectId(), enemy->GetObjectId());
    EXPECT_EQ(mind->GetExecutingStateName(), "Immobile");
    mind->GetState("Idle")->RequestAttack(leader->GetObjectId(), enemy->GetObjectId());
    EXPECT_NE(mind->GetExecutingStateName(), "Immobile");
}

TEST_F(MonsterStatesTest, AWaitingMonsterRoamsBeyondANearEnemyOrRoundItselfWhenFar)
{
    struct Row {
        float enemyX;
        float centreX, radius;
    };
    for (const Row& row : {Row{3.0f, 6.0f, 2.0f}, Row{10.0f, 0.0f, 5.0f}}) {
        SCOPED_TRACE(row.enemyX);
        Monster* monster = nullptr;
        ControllerMonster* mind = Mind("EmoteWhenWaitingChance,0,\n", monster);
        Character* enemy = Body(TeamManager::DefaultPlayerTeam(), row.enemyX);
        ControllerAITestAccess::SetState(*mind, "WaitToAttack", ControllerAIStateData(enemy->GetObjectId(), 0, 0, WorldVec3()));
        auto* state = static_cast<ControllerMonsterStateWaitToAttack*>(mind->GetState("WaitToAttack"));
        ASSERT_TRUE(state->GetWanderCentre().IsValid());
        EXPECT_NEAR(state->GetWanderCentre().GetRegionPosition().x, row.centreX, 1e-4f);
        EXPECT_FLOAT_EQ(state->GetWanderRadius(), row.radius);
    }
}

TEST_F(MonsterStatesTest, ParalysisShortensWithDistanceInSteepsOfTwentyFiveThenEndsInPanic)
{
    struct Row {
        float distance;
        int ms;
    };
    for (const Row& row : {Row{24.5f, 160}, Row{25.2f, 4000}}) {
        SCOPED_TRACE(row.distance);
        Monster* monster = nullptr;
        ControllerMonster* mind = Mind("", monster);
        Character* enemy = Body(TeamManager::DefaultPlayerTeam(), row.distance);
        ControllerAITestAccess::SetState(*mind, "Paralyze", ControllerAIStateData(enemy->GetObjectId(), 0, 0, WorldVec3()));
        EXPECT_EQ(static_cast<ControllerMonsterStateParalyze*>(mind->GetState("Paralyze"))->GetParalysisTimer(), row.ms);
        mind->Update(row.ms - 1);
        EXPECT_EQ(mind->GetExecutingStateName(), "Paralyze");
        mind->Update(1);
        EXPECT_NE(mind->GetExecutingStateName(), "Paralyze");
    }
}

TEST_F(MonsterStatesTest, AFlightTowardsAlliesWithoutAFriendBehindRunsAwayFromTheEnemy)
{
    struct Row {
        float friendX;           // 0: no friend
        float minX, maxX;        // where the flee point may fall
    };
    for (const Row& row : {Row{0.0f, -9.0f, -7.0f}, Row{-6.0f, -6.0f - 2.0f * 2.0f, -6.0f}}) {
        SCOPED_TRACE(row.friendX);
        Monster* monster = nullptr;
        ControllerMonster* mind = Mind("FleeTarget,TowardsAllies,\nfleeDistance,8,\n", monster);
        if (row.friendX != 0.0f) {
            Monster* shelter = nullptr;
            Mind("", shelter);
            shelter->SetPathPosition(WorldVec3(region, Vec3{row.friendX, 0.0f, 0.0f}));
        }
        Character* enemy = Body(TeamManager::DefaultPlayerTeam(), 3.0f);
        ControllerAITestAccess::SetState(*mind, "Immobile", ControllerAIStateData(enemy->GetObjectId(), 0, 0, WorldVec3()));
        WorldVec3 point;
        ASSERT_TRUE(static_cast<ControllerMonsterStateFlee*>(mind->GetState("Flee"))->FindFleePoint(point));
        EXPECT_GE(point.GetRegionPosition().x, row.minX);
        EXPECT_LE(point.GetRegionPosition().x, row.maxX);
    }
}

TEST_F(MonsterStatesTest, AFlightCountsAndReArmsItsDelayEvenWithoutAPointAndMayMoveTheHome)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("FleeDelay,2,\n", monster);
    ControllerAITestAccess::SetState(*mind, "Flee", ControllerAIStateData());   // no enemy: nowhere to flee
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
    EXPECT_EQ(mind->GetFleeCount(), 1);
    EXPECT_FALSE(mind->CanFlee());

    for (const bool reset : {false, true}) {
        SCOPED_TRACE(reset);
        ControllerMonster* runner = Mind(std::string("ResetOriginAfterFleeing,") + (reset ? "1" : "0") + ",\n",
                                         monster, kLegs);
        Character* enemy = Body(TeamManager::DefaultPlayerTeam(), 3.0f);
        ControllerAITestAccess::SetState(*runner, "Flee", ControllerAIStateData(enemy->GetObjectId(), 0, 0, WorldVec3()));
        ASSERT_EQ(runner->GetExecutingStateName(), "Flee");
        monster->SetPathPosition(WorldVec3(region, Vec3{-5.0f, 0.0f, 0.0f}));
        ControllerAITestAccess::SetState(*runner, "Idle", ControllerAIStateData());
        EXPECT_FLOAT_EQ(monster->GetSpawnPoint().GetRegionCoords().origin.x, reset ? -5.0f : 0.0f);
    }
}

// The dead monster's treasure is placed where it lies and stays in the world when the body
// and its controller go; a treasure never placed goes with the controller.
TEST_F(MonsterStatesTest, ADeadMonstersTreasureOutlivesItsControllerAndAnUnplacedOneDoesNot)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Treasure.dbr", "Class,Proxy,\n");
    for (const bool dead : {true, false}) {
        SCOPED_TRACE(dead);
        Monster* monster = nullptr;
        ControllerMonster* mind = Mind("", monster);
        mind->SetTreasureProxy("Records/Test/Treasure.dbr", true);
        const Proxy* treasure = mind->GetTreasureProxy();
        ASSERT_NE(treasure, nullptr);
        const uint32_t treasureId = treasure->GetObjectId();
        if (dead)
            mind->CharacterIsDead();
        EXPECT_EQ(treasure->IsInWorld(), dead);
        ObjectManager::Get().DestroyObjectEx(mind, "test", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        const auto* left = ObjectManager::Get().GetObject<Proxy>(treasureId);
        EXPECT_EQ(left != nullptr, dead);
        if (left) {
            EXPECT_TRUE(left->IsInWorld());
        }
    }
}

TEST_F(MonsterStatesTest, QuestStatesAlwaysQueueTheirCompletionAndALoopingAnimationNeverEndsByItself)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    // A walk left before it arrives still tells the quest it is done.
    ControllerMonster* walker = Mind("", monster, kLegs);
    walker->QuestCommandWalk(1, WorldVec3(region, Vec3{6.0f, 0.0f, 0.0f}), false);
    ASSERT_EQ(walker->GetExecutingStateName(), "QuestWalk");
    monster->SetPathPosition(WorldVec3(region, Vec3{2.0f, 0.0f, 0.0f}));
    size_t queued = monster->GetQueuedCommandCount();
    walker->QuestCommandPlayAnimation(AnimationSet_Special, false, false);   // the next command
    EXPECT_EQ(monster->GetQueuedCommandCount(), queued + 1);
    EXPECT_FLOAT_EQ(monster->GetSpawnPoint().GetRegionCoords().origin.x, 2.0f);

    mind = Mind("", monster);
    for (const bool looping : {true, false}) {
        SCOPED_TRACE(looping);
        mind->QuestCommandPlayAnimation(AnimationSet_Special, looping, false);
        ASSERT_EQ(mind->GetExecutingStateName(), "QuestPlayAnimation");
        queued = monster->GetQueuedCommandCount();
        mind->GetExecutingState()->HandleEvent(Actor::EndEvent());
        EXPECT_EQ(mind->GetExecutingStateName(), looping ? "QuestPlayAnimation" : "Idle");
        ControllerAITestAccess::SetState(*mind, "Idle", ControllerAIStateData());   // a looping one ends only here
        EXPECT_EQ(monster->GetQueuedCommandCount(), queued + 1);
    }
    // An animation type from outside the table is no command.
    mind->QuestCommandPlayAnimation(AnimationSet_Count + 5, false, false);
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
}

TEST_F(MonsterStatesTest, AHiddenMonsterComesOutOnlyForAFoeInsideItsDistanceAndNeverHidesAgain)
{
    Monster* monster = nullptr;
    auto* mind = DynamicCast<ControllerMonsterHidden>(Mind("appearDistance,4,\n", monster, "", "ControllerMonsterHidden"));
    ASSERT_NE(mind, nullptr);
    EXPECT_FLOAT_EQ(mind->GetAppearDistance(), 4.0f);
    auto* hidden = static_cast<ControllerMonsterStateHidden*>(mind->GetState("Startup"));
    ASSERT_EQ(mind->GetExecutingState(), hidden);
    Character* foe = Body(TeamManager::DefaultPlayerTeam(), 4.0f);
    mind->ScareMe(foe->GetObjectId(), 1000.0f);   // hidden, it fears nothing
    EXPECT_EQ(mind->GetExecutingState(), hidden);
    mind->Update(200);
    EXPECT_EQ(hidden->GetTarget(), 0u);
    EXPECT_FALSE(monster->GetPoppedOut());
    foe->SetPathPosition(WorldVec3(region, Vec3{3.9f, 0.0f, 0.0f}));
    mind->Update(200);
    EXPECT_EQ(hidden->GetTarget(), foe->GetObjectId());
    EXPECT_TRUE(monster->GetPoppedOut());
    ControllerAITestAccess::SetState(*mind, "Startup", ControllerAIStateData());
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
}

TEST_F(MonsterStatesTest, ReturnRunsHomeBeyondItsPursuitDistanceBeforePursuingTheMostHated)
{
    for (const float leash : {5.0f, 0.0f}) {
        SCOPED_TRACE(leash);
        Monster* monster = nullptr;
        ControllerMonster* mind = Mind("MaxPursuitDistance," + std::to_string(leash) + ",\n", monster, kLegs);
        Character* enemy = Body(TeamManager::DefaultPlayerTeam(), 1.0f);
        monster->SetPathPosition(WorldVec3(region, Vec3{6.0f, 0.0f, 0.0f}));
        mind->SetMostHatedEnemy(enemy->GetObjectId());
        ControllerAITestAccess::SetState(*mind, "Return", ControllerAIStateData());
        EXPECT_EQ(mind->GetExecutingStateName(), leash != 0.0f ? "Return" : "Pursue");
        EXPECT_EQ(mind->GetMostHatedEnemy(), leash != 0.0f ? 0u : enemy->GetObjectId());
    }
}

TEST_F(MonsterStatesTest, APatrolWhoseOnlyPointIsUnderfootReturns)
{
    struct Row {
        float pointX;
        const char* state;
    };
    for (const Row& row : {Row{0.5f, "Idle"}, Row{5.0f, "Patrol"}}) {
        SCOPED_TRACE(row.pointX);
        Monster* monster = nullptr;
        ControllerMonster* mind = Mind("", monster, kLegs);
        UniqueId point;
        point.SetPart(0, 46);
        InstanceGroupManager::Get().RegisterEntityData(point, InstanceEntityData{1, Vec3{row.pointX, 0.0f, 0.0f}});
        mind->AddPatrolPoint(point);
        ControllerAITestAccess::SetState(*mind, "Patrol", ControllerAIStateData());
        EXPECT_EQ(mind->GetExecutingStateName(), row.state);
    }
}

TEST_F(MonsterStatesTest, AVanishedEnemyEndsFlightPanicAndParalysisAndAScaredMonsterHides)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    for (const char* state : {"Flee", "Panic", "Paralyze"}) {
        SCOPED_TRACE(state);
        ControllerAITestAccess::SetState(*mind, state, ControllerAIStateData(4242, 0, 0, WorldVec3()));
        EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
    }
    LogCapture log;
    ControllerAITestAccess::SetState(*mind, "Scared", ControllerAIStateData(4242, 0, 0, WorldVec3()));
    EXPECT_TRUE(log.Contains(monster->GetObjectName() + " is scared of an invalid enemy."));
    EXPECT_EQ(mind->GetExecutingStateName(), "Scared");
    mind->Update(10);   // no fear left: home
    EXPECT_NE(mind->GetExecutingStateName(), "Scared");
}

TEST_F(MonsterStatesTest, ARoamingMonsterRestsInIdleAtFourArrivalsInFive)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster, kLegs);
    int rests = 0;
    constexpr int kArrivals = 200;
    for (int i = 0; i < kArrivals; ++i) {
        ControllerAITestAccess::SetState(*mind, "Roam", ControllerAIStateData());
        ASSERT_EQ(mind->GetExecutingStateName(), "Roam");
        mind->GetExecutingState()->EndOfPathReached();
        rests += mind->GetExecutingStateName() == "Idle";
    }
    EXPECT_GT(rests, kArrivals * 7 / 10);
    EXPECT_LT(rests, kArrivals * 9 / 10);
}

TEST_F(MonsterStatesTest, APursuitTurnsOnAHostileBarrierInTheWay)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster, kLegs);
    Character* enemy = Body(TeamManager::DefaultPlayerTeam(), 12.0f);
    auto* barrier = DynamicCast<Character>(ObjectManager::Get().CreateObject("DynamicBarrier"));
    ASSERT_NE(barrier, nullptr);
    ASSERT_TRUE(World::Get().AddEntity(barrier, WorldCoords(region, Coords::MakeTranslation({6.0f, 0.0f, 0.0f}))));
    barrier->SetTeam(TeamManager::DefaultPlayerTeam());
    barrier->SetLifeLimit(100.0f);
    barrier->SetCurrentLife(100.0f);
    ASSERT_EQ(mind->IsBarrierBlocking(enemy->GetObjectId()), barrier);
    ControllerAITestAccess::SetState(*mind, "Pursue", ControllerAIStateData(enemy->GetObjectId(), 0, 0, WorldVec3()));
    ASSERT_EQ(mind->GetExecutingStateName(), "Pursue");
    mind->Update(10);
    EXPECT_EQ(mind->GetCurrentEnemy(), barrier->GetObjectId());
    EXPECT_EQ(mind->GetMostHatedEnemy(), barrier->GetObjectId());
    // A friendly barrier is no obstacle to fight.
    barrier->SetTeam(monster->GetTeam());
    EXPECT_EQ(mind->IsBarrierBlocking(enemy->GetObjectId()), nullptr);
}

// Confusion comes through the controller as play sends it: the executing state decides,
// and only a longer confusion than the one running raises the confused time.
TEST_F(MonsterStatesTest, ConfusionTakesHoldThroughTheControllerAndOnlyALongerOneRaisesIt)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    ASSERT_EQ(mind->GetExecutingStateName(), "Idle");
    mind->Confuse(3000);
    ASSERT_EQ(mind->GetExecutingStateName(), "Confused");
    EXPECT_EQ(mind->GetConfusedTime(), 3000);
    mind->Update(1000);
    mind->Confuse(1000);   // shorter than the 2000 ms left: changes nothing
    EXPECT_EQ(mind->GetConfusedTime(), 2000);
    EXPECT_EQ(mind->GetExecutingStateName(), "Confused");

    Monster* other = nullptr;
    ControllerMonster* otherMind = Mind("", other);
    other->CombatExertInfluenceConfusion(2500);
    EXPECT_EQ(otherMind->GetExecutingStateName(), "Confused");
    EXPECT_EQ(otherMind->GetConfusedTime(), 2500);
}

// The end of one attack animation starts exactly one attack: the attack running carries the
// first seed drawn after the end (a second attack would replace it with a later draw).
TEST_F(MonsterStatesTest, OneAttackAnimationEndStartsOneAttack)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    Character* enemy = Body(TeamManager::DefaultPlayerTeam(), 0.3f);
    const uint32_t skill = GiveSkill(*monster);
    ControllerAITestAccess::SetState(*mind, "Attack", ControllerAIStateData(enemy->GetObjectId(), 0, skill, WorldVec3()));
    ASSERT_EQ(mind->GetExecutingStateName(), "Attack");
    SeedProcessRandom(5);
    mind->HandleEvent(Actor::EndEvent());
    ASSERT_EQ(mind->GetExecutingStateName(), "Attack");
    const auto* attack = dynamic_cast<const AttackAction*>(monster->GetActionHandler()->GetCurrentAction());
    ASSERT_NE(attack, nullptr);
    SeedProcessRandom(5);
    EXPECT_EQ(attack->GetSeed(), static_cast<uint16_t>(GAME::rand()));
}

// A countdown that stops at 0 ends there: a 1000 ms lifetime counted in 100 ms frames
// kills, and the heal timer brought to 0 heals the hurt ally.
TEST_F(MonsterStatesTest, ACountdownThatLandsOnZeroEnds)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    mind->SetLifetime(1000);
    for (int frame = 0; frame < 10; ++frame) {
        EXPECT_TRUE(monster->IsAlive()) << frame;
        mind->Update(100);
    }
    EXPECT_FALSE(monster->IsAlive());

    Monster* healer = nullptr;
    ControllerMonster* healerMind = Mind("healAllyHealthPercentage,50,\n", healer);
    Monster* hurt = nullptr;
    Mind("", hurt);
    hurt->SetCurrentLife(10.0f);
    const uint32_t heal = GiveSkill(*healer);
    healerMind->SetHealSkill(heal, 1000);
    healerMind->NoteSkillUsed(heal);
    for (int frame = 0; frame < 9; ++frame)
        healerMind->Update(100);
    EXPECT_EQ(healerMind->GetTemporaryDepth(), 0u);
    healerMind->Update(100);
    EXPECT_EQ(healerMind->GetExecutingStateName(), "UseSkillOnAlly");
    EXPECT_EQ(healerMind->GetCurrentAlly(), hurt->GetObjectId());
}

// Of the allies below "healAllyHealthPercentage", the heal timer heals the one with the
// lowest share of its life: not the one with the least life, nor the one seen first or last.
TEST_F(MonsterStatesTest, TheHealTimerHealsTheAllyWithTheLowestShareOfItsLife)
{
    Monster* healer = nullptr;
    ControllerMonster* healerMind = Mind("healAllyHealthPercentage,50,\n", healer);
    const auto ally = [this](float limit, float life) {
        Monster* made = nullptr;
        Mind("", made);
        made->SetLifeLimit(limit);
        made->SetCurrentLife(life);
        return made->GetObjectId();
    };
    ally(100.0f, 45.0f);
    ally(100.0f, 30.0f);
    const uint32_t weakest = ally(1000.0f, 200.0f);
    ally(100.0f, 40.0f);
    const uint32_t heal = GiveSkill(*healer);
    healerMind->SetHealSkill(heal, 100);
    healerMind->NoteSkillUsed(heal);
    healerMind->Update(100);
    EXPECT_EQ(healerMind->GetExecutingStateName(), "UseSkillOnAlly");
    EXPECT_EQ(healerMind->GetCurrentAlly(), weakest);
}

// The controller's answers to its states: "maxFleeCount" flights, none within "FleeDelay"
// of the last (a timer at 0 allows one), none at a "FleeChance" of 0; the rally once; the
// emote before a pursuit until it has played.
TEST_F(MonsterStatesTest, FlightsRallyAndEmoteAnswers)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("EmoteBeforePursuingChance,100,\n", monster);
    for (int flight = 0; flight < 3; ++flight) {
        EXPECT_TRUE(mind->CanFlee()) << flight;
        mind->IncrementFleeCount();
    }
    EXPECT_FALSE(mind->CanFlee()) << "the default \"maxFleeCount\" is 3";

    ControllerMonster* delayed = Mind("maxFleeCount,5,\nFleeDelay,300,\n", monster);
    delayed->ResetFleeTimer();
    delayed->Update(299);
    EXPECT_FALSE(delayed->CanFlee());
    delayed->Update(1);
    EXPECT_TRUE(delayed->CanFlee());
    EXPECT_FALSE(Mind("FleeChance,0,\n", monster)->CanFlee());

    EXPECT_TRUE(mind->ShouldPlayRallyOrAlert());
    EXPECT_FALSE(mind->ShouldPlayRallyOrAlert());
    EXPECT_TRUE(mind->ShouldEmoteBeforePursuing());
    mind->SetEmoted();
    EXPECT_FALSE(mind->ShouldEmoteBeforePursuing());
}

// A leader hit calls the friends within "LeaderDistance" until "MaxFollowers" (4 unless
// the record says otherwise) have joined.
TEST_F(MonsterStatesTest, ALeaderCallsFollowersUpToItsMaximum)
{
    const std::pair<const char*, uint32_t> cases[] = {{"", 4u}, {"MaxFollowers,2,\n", 2u}, {"MaxFollowers,0,\n", 0u}};
    for (const auto& [keys, joined] : cases) {
        SCOPED_TRACE(keys);
        Monster* leader = nullptr;
        ControllerMonster* mind = Mind(std::string("LeaderBehavior,LeadOnDamage,\n") + keys, leader);
        auto friendAt = [&](float x) {
            auto* made = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
            EXPECT_TRUE(World::Get().AddEntity(made, WorldCoords(region, Coords::LookAlong({x, 0, 0}, {1, 0, 0}, {0, 1, 0}))));
            made->SetTeam(TeamManager::DefaultMonsterTeam());
            made->SetLifeLimit(100.0f);
            made->SetCurrentLife(100.0f);
            return made;
        };
        std::vector<Monster*> around;
        for (int i = 0; i < 5; ++i)
            around.push_back(friendAt(1.0f + 0.5f * static_cast<float>(i)));
        Monster* far = friendAt(9.0f);
        Character* foe = Body(TeamManager::DefaultPlayerTeam(), 3.0f);
        mind->UnderAttack(foe->GetObjectId());
        EXPECT_EQ(mind->GetFollowersJoined(), joined);
        EXPECT_EQ(static_cast<uint32_t>(std::count_if(around.begin(), around.end(), [&](Monster* m) {
                      return m->GetLeader() == leader->GetObjectId();
                  })),
                  joined);
        EXPECT_EQ(far->GetLeader(), 0u);
        around.insert(around.end(), {far, leader});
        for (Monster* m : around)
            ObjectManager::Get().DestroyObjectEx(m, "test", __LINE__);
        ObjectManager::Get().DestroyObjectEx(foe, "test", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
    }
}

// An attacked ally is healed when its life is below "healAllyHealthPercentage"; the leader
// when below "healLeaderHealthPercentage"; both default to 0 (never).
TEST_F(MonsterStatesTest, AnAttackedAllyOrLeaderIsHealedBelowItsOwnThreshold)
{
    struct Row {
        const char* keys;
        bool leader;
        float life;
        bool healed;
    };
    const Row rows[] = {
        {"healAllyHealthPercentage,50,\nhealLeaderHealthPercentage,20,\n", false, 49.0f, true},
        {"healAllyHealthPercentage,50,\nhealLeaderHealthPercentage,20,\n", false, 50.0f, false},
        {"healAllyHealthPercentage,50,\nhealLeaderHealthPercentage,20,\n", true, 19.0f, true},
        {"healAllyHealthPercentage,50,\nhealLeaderHealthPercentage,20,\n", true, 30.0f, false},
        {"healLeaderHealthPercentage,20,\n", false, 1.0f, false},
        {"healAllyHealthPercentage,50,\n", true, 1.0f, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.keys) + (row.leader ? " leader " : " ally ") + std::to_string(row.life));
        Monster* healer = nullptr;
        ControllerMonster* mind = Mind(row.keys, healer);
        mind->SetHealSkill(GiveSkill(*healer), 1000);
        Monster* ally = nullptr;
        Mind("", ally);
        if (row.leader) {
            healer->JoinMe(ally->GetObjectId(), -1, false);
            ASSERT_EQ(healer->GetLeader(), ally->GetObjectId());
        }
        ally->SetCurrentLife(row.life);
        Character* foe = Body(TeamManager::DefaultPlayerTeam(), 3.0f);
        mind->AllyAttacked(ally->GetObjectId(), foe->GetObjectId());
        EXPECT_EQ(mind->GetExecutingStateName() == "UseSkillOnAlly" && mind->GetCurrentAlly() == ally->GetObjectId(),
                  row.healed);
    }
}

// A pursuit asks for a better skill only every 200 ms.
TEST_F(MonsterStatesTest, APursuitRechecksItsSkillEvery200Ms)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster, kLegs);
    const uint32_t best = GiveSkill(*monster);
    auto* other = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Test/StatesSkill.dbr");
    monster->GetSkillManager().AddSkill(other);
    other->SetSkillLevel(1);
    Character* enemy = Body(TeamManager::DefaultPlayerTeam(), 12.0f);
    enemy->GetAttackSlots().SetNumSlots(4);
    ASSERT_EQ(mind->ChooseBestSkill(enemy->GetObjectId(), false), best);
    ControllerAITestAccess::SetState(*mind, "Pursue", ControllerAIStateData(enemy->GetObjectId(), 0, other->GetObjectId(), WorldVec3()));
    ASSERT_EQ(mind->GetExecutingStateName(), "Pursue");
    mind->Update(199);
    EXPECT_EQ(mind->GetCurrentSkillID(), other->GetObjectId());
    mind->Update(2);
    EXPECT_EQ(mind->GetExecutingStateName(), "Pursue");
    EXPECT_EQ(mind->GetCurrentSkillID(), best);
}

// "deathFromEnemyRange" kills the monster at the first 200 ms check that finds a foe
// within it; 0 (the default) never does.
TEST_F(MonsterStatesTest, AMonsterDiesOfAFoeWithinItsDeathRange)
{
    const std::tuple<const char*, float, bool> cases[] = {
        {"deathFromEnemyRange,3,\n", 2.0f, false}, {"deathFromEnemyRange,3,\n", 6.0f, true}, {"", 0.5f, true}};
    for (const auto& [body, foeAt, survives] : cases) {
        SCOPED_TRACE(std::string(body) + std::to_string(foeAt));
        Monster* monster = nullptr;
        ControllerMonster* mind = Mind("", monster, body);
        Character* foe = Body(TeamManager::DefaultPlayerTeam(), foeAt);
        mind->Update(150);
        EXPECT_TRUE(monster->IsAlive());
        mind->Update(100);
        EXPECT_EQ(monster->IsAlive(), survives);
        ObjectManager::Get().DestroyObjectEx(foe, "test", __LINE__);
        ObjectManager::Get().DestroyObjectEx(monster, "test", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
    }
}

// Random anger: every "RandomAngerEvaluationTime" a draw below "RandomAngerChance" gives a
// foe in sight the full anger, once, and only while the monster has no enemy.
TEST_F(MonsterStatesTest, RandomAngerPicksAFoeOnlyWithoutAnEnemy)
{
    for (const bool busy : {false, true}) {
        SCOPED_TRACE(busy);
        Monster* monster = nullptr;
        ControllerMonster* mind = Mind("RandomAngerChance,100,\nRandomAngerEvaluationTime,500,\nForgiveRate,0,\n", monster);
        Character* foe = Body(TeamManager::DefaultPlayerTeam(), 8.0f);
        Character* other = Body(TeamManager::DefaultPlayerTeam(), -30.0f);
        if (busy)
            ControllerAITestAccess::SetState(*mind, "Immobile", ControllerAIStateData(other->GetObjectId(), 0, 0, WorldVec3()));
        mind->Update(3001);
        EXPECT_EQ(mind->GetAngerManager().GetAnger(foe->GetObjectId()) == AngerManager::GetMaxAnger(), !busy);
        ObjectManager::Get().DestroyObjectEx(foe, "test", __LINE__);
        ObjectManager::Get().DestroyObjectEx(other, "test", __LINE__);
        ObjectManager::Get().DestroyObjectEx(monster, "test", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
    }
}

// The heal timer's end heals the leader below "healLeaderHealthPercentage" before any ally.
TEST_F(MonsterStatesTest, TheHealTimersEndHealsTheLeaderBelowItsThreshold)
{
    Monster* healer = nullptr;
    ControllerMonster* mind = Mind("healLeaderHealthPercentage,20,\n", healer);
    Monster* leader = nullptr;
    Mind("", leader);
    healer->JoinMe(leader->GetObjectId(), -1, false);
    ASSERT_EQ(healer->GetLeader(), leader->GetObjectId());
    leader->SetCurrentLife(19.0f);
    const uint32_t heal = GiveSkill(*healer);
    mind->SetHealSkill(heal, 500);
    mind->NoteSkillUsed(heal);
    mind->Update(500);
    EXPECT_EQ(mind->GetExecutingStateName(), "UseSkillOnAlly");
    EXPECT_EQ(mind->GetCurrentAlly(), leader->GetObjectId());
}

// A slot whose holder has fallen goes to the next requester, even one farther from it than
// the fallen holder.
TEST_F(MonsterStatesTest, AFallenHoldersSlotGoesToTheNextRequester)
{
    Character* owner = Body(TeamManager::DefaultPlayerTeam(), 0.0f);
    owner->GetAttackSlots().SetNumSlots(1);
    Character* holder = Body(TeamManager::DefaultMonsterTeam(), 3.0f);
    Character* next = Body(TeamManager::DefaultMonsterTeam(), 9.0f);
    WorldVec3 out;
    owner->GetAttackSlots().RequestSlot(out, holder->GetObjectId(), 2.0f, true);
    ASSERT_EQ(owner->GetAttackSlots().GetSlotHolder(0), holder->GetObjectId());
    owner->GetAttackSlots().RequestSlot(out, next->GetObjectId(), 2.0f, true);
    EXPECT_FALSE(out.IsValid()) << "a living holder nearer the slot keeps it";
    holder->SetLifeState(Character_LifeState_Dead);
    ASSERT_FALSE(holder->IsAlive());
    owner->GetAttackSlots().RequestSlot(out, next->GetObjectId(), 2.0f, true);
    EXPECT_TRUE(out.IsValid());
    EXPECT_EQ(owner->GetAttackSlots().GetSlotHolder(0), next->GetObjectId());
}
