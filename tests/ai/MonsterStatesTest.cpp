// The monster's combat states: which events they search for and answer, where a waiting
// monster roams, and the leader's attack request.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"
#include "Game/ai/MovementGoalManager.h"
#include "Game/characters/Monster.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/ProcessRandom.h"

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
    ControllerMonster* Mind(const std::string& keys, Monster*& monster)
    {
        RecordDatabase::Get().RegisterRecord("Records/Test/StatesAI.dbr", "Class,ControllerMonster,\n" + keys);
        RecordDatabase::Get().RegisterRecord("Records/Test/StatesMonster.dbr",
                                             "Class,Monster,\ncontroller,Records/Test/StatesAI.dbr,\n");
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
    Region* region = nullptr;
};

}  // namespace

TEST_F(MonsterStatesTest, SearchAndConversationAnswersFollowTheReactionTable)
{
    struct Row {
        const char* state;
        bool findEnemy, findClosest, respondsToFear;
    };
    const Row rows[] = {
        {"Startup", false, false, true},           {"Idle", true, true, true},
        {"Pursue", true, true, true},              {"EmoteBeforePursue", false, false, true},
        {"NavigateObstacle", true, true, true},    {"Attack", true, true, true},
        {"RepositionForAttack", true, true, true}, {"WaitToAttack", true, true, true},
        {"DodgeAttack", true, false, true},
    };
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    Monster* other = nullptr;
    Mind("", other);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        ControllerAIState* state = mind->GetState(row.state);
        ASSERT_NE(state, nullptr);
        EXPECT_EQ(state->ShouldFindEnemy(), row.findEnemy);
        EXPECT_EQ(state->ShouldFindClosestEnemy(), row.findClosest);
        EXPECT_EQ(state->RespondsToFear(), row.respondsToFear);
        EXPECT_FALSE(state->UsePathPositionAsHome());
        // Only Idle answers a friendly monster's conversation, by roaming with it.
        EXPECT_EQ(state->RequestConversation(other->GetObjectId()), std::string(row.state) == "Idle");
    }
    EXPECT_EQ(mind->GetExecutingStateName(), "Roam");
    EXPECT_EQ(mind->GetCurrentAlly(), other->GetObjectId());
}

TEST_F(MonsterStatesTest, WithoutASpawnAnimationStartupGoesToIdleAndUsesTheInitialSkill)
{
    Monster* monster = nullptr;
    ControllerMonster* mind = Mind("", monster);
    mind->SetInitialSkill(monster->GetObjectId());   // any non-zero id marks the slot as set
    mind->SetState("Startup", ControllerAIStateData());
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
    // A dodge with no point goes back at once, keeping the enemy.
    mind->SetState("DodgeAttack", ControllerAIStateData(enemy->GetObjectId(), 0, 0, WorldVec3()));
    ASSERT_EQ(mind->GetExecutingStateName(), "Return");
    ASSERT_EQ(mind->GetCurrentEnemy(), enemy->GetObjectId());
    for (const char* name : {"Pursue", "Attack", "RepositionForAttack", "NavigateObstacle", "WaitToAttack"}) {
        SCOPED_TRACE(name);
        mind->GetState(name)->RequestAttack(leader->GetObjectId(), enemy->GetObjectId());
        EXPECT_EQ(mind->GetExecutingStateName(), "Return");
    }
    // Not the leader: ignored even in Idle.
    mind->GetState("Idle")->RequestAttack(enemy->GetObjectId(), enemy->GetObjectId());
    EXPECT_EQ(mind->GetExecutingStateName(), "Return");
    mind->GetState("Idle")->RequestAttack(leader->GetObjectId(), enemy->GetObjectId());
    EXPECT_NE(mind->GetExecutingStateName(), "Return");
}
