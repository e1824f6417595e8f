// A character on its path: the step per frame, the slowdown at the end, already being
// there, steering around characters in the way, standing mass, the refused moves, and
// turning.
#include <algorithm>
#include <cmath>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Journal.h"
#include "Engine/PathFinder.h"
#include "Game/characters/CharacterMovementManager.h"
#include "Game/characters/Npc.h"
#include "Game/core/TeamManager.h"

namespace GAME {
namespace {

class MovementTest : public CharacterWorldTest {
protected:
    // The character runs from `from` to `to` with an animation whose motion is `motion`.
    void Run(Character* character, const WorldVec3& from, const WorldVec3& to, float motion)
    {
        character->SetPathPositionNotCoords(from);
        bool alreadyThere = false;
        ASSERT_TRUE(character->GetMovementManager().SetNewPathTarget(from, to, alreadyThere));
        character->SetActionState(Character_ActionState_Move);
        GraphicsAnim run("run");
        run.SetValues(30, 30, 1.0f, motion);
        character->PlayAnimation(0, &run, true, 1.0f, 0);
    }
};

TEST_F(MovementTest, AdvancesBySpeedAndEndsShortPathsAtOnce)
{
    Character* runner = Make();
    Run(runner, At(0), At(10), 5.0f);
    CharacterMovementManager& movement = runner->GetMovementManager();
    EXPECT_TRUE(movement.Update(100));   // speed 5 for 100 ms
    EXPECT_NEAR(0.5f, runner->GetPathPosition().GetRegionPosition().x, 1e-6f);
    EXPECT_EQ(runner->GetPathPosition(), runner->GetCoords().GetPosition());   // the model follows
    ASSERT_EQ(1u, World::Get().GetDisturbances().size());

    // A path shorter than 0.05 is done at once: the path position jumps to its end. (The
    // path position is elsewhere first: a target within 0.5 of it counts as reached.)
    runner->SetPathPositionNotCoords(At(5));
    bool alreadyThere = true;
    ASSERT_TRUE(movement.SetNewPathTarget(At(0), At(0.04f), alreadyThere));
    EXPECT_FALSE(alreadyThere);
    EXPECT_FALSE(movement.Update(1));
    EXPECT_EQ(At(0.04f), runner->GetPathPosition());
    runner->FollowPath(1);   // the end stops the run
    EXPECT_EQ(Character_ActionState_ForcedStop, runner->GetActionState());
    EXPECT_EQ(nullptr, runner->GetPath());
    EXPECT_FALSE(runner->GetPathTarget().IsValid());
}

TEST_F(MovementTest, DebugDrawingMarksThePositionsThatAreSetAndThePath)
{
    Character* runner = Make();
    Journal& journal = Journal::Get();
    journal.Clear();
    runner->GetMovementManager().DebugRender();   // never moved: nothing is set
    EXPECT_EQ(journal.Count("World::RenderDebugSphere"), 0u);
    EXPECT_EQ(journal.Count("Path::DebugRender"), 0u);

    Run(runner, At(0), At(10), 5.0f);
    journal.Clear();
    runner->GetMovementManager().DebugRender();
    ASSERT_EQ(journal.Count("World::RenderDebugSphere"), 3u);   // path, detour and target positions
    EXPECT_NE(journal.GetLast("World::RenderDebugSphere").detail.find("(10, 0, 0) radius 0.1 colour (1, 1, 0, 1)"),
              std::string::npos);
    EXPECT_EQ(journal.Count("Path::DebugRender"), 1u);
}

// Within half a unit the target is reached and the old path kept; over the last stretch
// the speed slows, never below 1.
TEST_F(MovementTest, ArrivalAndTheSlowdownAtTheEnd)
{
    Character* runner = Make();
    Run(runner, At(0), At(10), 5.0f);
    CharacterMovementManager& movement = runner->GetMovementManager();
    const Path* path = movement.GetPath();
    bool alreadyThere = false;
    EXPECT_TRUE(movement.SetNewPathTarget(At(0), At(0.4f), alreadyThere));
    EXPECT_TRUE(alreadyThere);
    EXPECT_EQ(path, movement.GetPath());
    EXPECT_EQ(At(10), movement.GetPathTarget());
    EXPECT_TRUE(runner->AlreadyThere(At(0, 0.4f)));
    EXPECT_TRUE(movement.SetNewPathTarget(At(0), At(0.6f), alreadyThere));
    EXPECT_FALSE(alreadyThere);
    EXPECT_EQ(At(0.6f), movement.GetPathTarget());

    GameRecord("pathSlowdownLength,2,\n");
    for (const auto& [left, speed] : {std::pair{3.0f, 4.0f}, {0.5f, 1.0f}, {0.2f, 1.0f}, {1.0f, 2.0f}}) {
        Run(runner, At(0), At(left), 4.0f);
        EXPECT_FLOAT_EQ(speed, movement.CalculateSpeed()) << left << " left";
    }
    LogCapture log;
    movement.ClearPath();
    EXPECT_EQ(0.0f, movement.CalculateSpeed());
    EXPECT_TRUE(log.Contains("Path == NULL for " + runner->GetObjectName()));
}

// A character standing in the way is stepped around with a local path, unless the detour
// is more than 1.5 times the rest of the main path or the one in the way is a monster
// that joined the runner. Only a runner drawn in the last frames looks.
TEST_F(MovementTest, StepsAroundCharactersInTheWay)
{
    Character* runner = Place(Make());
    Character* blocker = Place(Make(), 3);
    Frame(0);
    Run(runner, At(0), At(10), 4.0f);
    CharacterMovementManager& movement = runner->GetMovementManager();
    EXPECT_TRUE(movement.Update(16));
    const Path* local = movement.GetLocalPath();
    ASSERT_NE(nullptr, local);
    EXPECT_LE(local->GetLength() / movement.GetPath()->GetLength(), 1.5f);
    EXPECT_LT(runner->GetCoords().GetRegionCoords().origin.z, 0.0f);   // off the straight line
    EXPECT_TRUE(World::Get().GetObstacles().empty());                  // only for the query

    // A large one right in the middle of a short path: the detour is dropped.
    Character* rock = Make();
    rock->SetExtentsLarge();
    Place(rock, 2);
    World::Get().RemoveEntity(blocker);
    Place(runner);
    Run(runner, At(0), At(4), 4.0f);
    EXPECT_TRUE(movement.Update(400));   // the next check is due
    EXPECT_EQ(nullptr, movement.GetLocalPath());
    {   // the detour the check saw: more than 1.5 times the way
        DynamicObstacle obstacle(region, rock->GetRegionBoundingSphere());
        obstacle.Attach();
        const auto detour = World::Get().FindPath(0, At(0), At(4), {}, 0, 0, 0, 0, 30);
        ASSERT_NE(nullptr, detour);
        EXPECT_GT(detour->GetLength() / 4.0f, 1.5f);
    }

    // The same small blocker as before, now a monster that joined the runner: never avoided.
    World::Get().RemoveEntity(rock);
    auto* pet = Place(Make<Monster>(), 3);
    pet->JoinMe(runner->GetObjectId(), -1, false);
    ASSERT_EQ(runner->GetObjectId(), pet->GetLeader());
    Place(runner);
    Run(runner, At(0), At(10), 4.0f);
    EXPECT_TRUE(movement.Update(400));
    EXPECT_EQ(nullptr, movement.GetLocalPath());
    EXPECT_EQ(0.0f, runner->GetCoords().GetRegionCoords().origin.z);
}

// A runner after a hostile target keeps its path while the target's point moves less
// than 5 percent of the way; the path position corrected by more than 0.5 starts the
// path again from there.
TEST_F(MovementTest, FollowsItsTargetAndTakesCorrections)
{
    Character* runner = Place(Make("", "Player"));
    Character* target = Place(Make(), 10);
    runner->SetTeam(TeamManager::DefaultPlayerTeam());
    target->SetTeam(TeamManager::DefaultMonsterTeam());
    runner->SetCurrentAttackTarget(target->GetObjectId(), At(10), 0);
    Run(runner, At(0), At(9), 4.0f);
    CharacterMovementManager& movement = runner->GetMovementManager();
    const Path* path = movement.GetPath();

    target->SetPathPositionNotCoords(At(10.3f));   // its point moves 0.3 of 9.3
    runner->UpdatePath();
    EXPECT_EQ(path, movement.GetPath());
    EXPECT_EQ(At(9), movement.GetPathTarget());
    target->SetPathPositionNotCoords(At(11));      // 1.0 of 10: a new path
    runner->UpdatePath();
    EXPECT_EQ(At(10), movement.GetPathTarget());
    EXPECT_EQ(Character_ActionState_Move, runner->GetActionState());
    // Without a target the run goes on where it was; with it again, it follows.
    runner->SetCurrentAttackTarget(0, At(10), 0);
    target->SetPathPositionNotCoords(At(13));
    runner->UpdatePath();
    EXPECT_EQ(At(10), movement.GetPathTarget());
    runner->SetCurrentAttackTarget(target->GetObjectId(), At(10), 0);
    runner->UpdatePath();
    EXPECT_EQ(At(12), movement.GetPathTarget());
    target->SetPathPositionNotCoords(At(11));
    runner->UpdatePath();

    runner->UpdatePathPosition(At(0.3f));
    EXPECT_EQ(At(0), runner->GetPathPosition());
    runner->UpdatePathPosition(At(2, 1));
    EXPECT_EQ(At(2, 1), runner->GetPathPosition());
    EXPECT_EQ(At(10), movement.GetPathTarget());
}

TEST_F(MovementTest, RunSpeedCapAndStandingMass)
{
    Character* character = Make();
    character->SetTotalCharAttribute(CharAttributeType_RunSpeed, 10.0f);
    GameRecord("absoluteRunSpeedCapMin,0,\nabsoluteRunSpeedCapMax,150,\n");
    EXPECT_EQ(20.0f, character->CapAbsoluteRunSpeed(20.0f));   // a zero minimum: no cap
    GameRecord("absoluteRunSpeedCapMin,50,\nabsoluteRunSpeedCapMax,150,\n");
    EXPECT_FLOAT_EQ(15.0f, character->CapAbsoluteRunSpeed(20.0f));
    EXPECT_FLOAT_EQ(5.0f, character->CapAbsoluteRunSpeed(2.0f));
    EXPECT_FLOAT_EQ(10.0f, character->CapAbsoluteRunSpeed(10.0f));

    character->SetPathMass(1.5f);
    EXPECT_EQ(3.0f, character->GetPathMass());   // standing
    character->SetActionState(Character_ActionState_Walk);
    EXPECT_EQ(1.5f, character->GetPathMass());
}

// Nowhere or dead: nothing; alive but without a run animation: the run cannot start.
TEST_F(MovementTest, MoveToNowhereOrWhileDeadDoesNothing)
{
    Character* character = Place(Make());
    auto moveTo = [&](const WorldVec3& point, Character_ActionState state) {
        character->MoveTo(point, 250.0f);
        EXPECT_EQ(nullptr, character->GetPath());
        EXPECT_EQ(state, character->GetActionState());
    };
    moveTo(WorldVec3(), Character_ActionState_Unknown);   // outside every region
    character->SetLifeState(Character_LifeState_Dead);
    moveTo(At(5), Character_ActionState_Unknown);
    character->SetLifeState(Character_LifeState_Alive);
    moveTo(At(5), Character_ActionState_ForcedStop);
    EXPECT_FALSE(character->NearTarget(12345, 100.0f));   // no such target
}

// 12 radians per second facing away, 9 almost aligned, 10.5 at a right angle; a turn
// that would overshoot ends facing the direction.
TEST_F(MovementTest, RotateTowardsTurnsFasterTheFurtherItHasToGo)
{
    Character* character = Make();
    const auto turned = [&](const Vec3& facing, const Vec3& direction, int ms) {
        WorldCoords coords(region, Coords::LookAlong({0, 0, 0}, facing, {0, 1, 0}));
        character->RotateTowards(ms, direction, coords);
        const Vec3 now = character->GetCoords().GetRegionCoords().zAxis;
        return std::acos(std::clamp(Dot(now, facing.Unit()), -1.0f, 1.0f));
    };
    EXPECT_NEAR(1.05f, turned({0, 0, 1}, {1, 0, 0}, 100), 1e-4f);
    EXPECT_NEAR(1.2f, turned({0, 0, 1}, {0.001f, 0, -1}, 100), 1e-3f);
    EXPECT_NEAR(0.1f, turned({0, 0, 1}, {std::sin(0.1f), 0, std::cos(0.1f)}, 100), 1e-4f);   // exact
    // A direction shorter than 0.2 changes nothing.
    const Vec3 before = character->GetCoords().GetRegionCoords().zAxis;
    WorldCoords elsewhere(region, Coords::MakeTranslation({5, 0, 0}));
    character->RotateTowards(100, {0, 0, 0.1f}, elsewhere);
    EXPECT_EQ(before, character->GetCoords().GetRegionCoords().zAxis);
    EXPECT_EQ(0.0f, character->GetCoords().GetRegionCoords().origin.x);

    // A character that may not turn is only placed.
    Character* stiff = Make("disallowRotation,1,\n");
    stiff->RotateTowards(100, {1, 0, 0}, elsewhere);
    EXPECT_NEAR(1.0f, stiff->GetCoords().GetRegionCoords().zAxis.z, 1e-6f);
    EXPECT_EQ(5.0f, stiff->GetCoords().GetRegionCoords().origin.x);
}

// A character gives its last turn again when the inputs are the same: each input, and the
// turning speeds a sheep takes from its motion, must bring a turn of its own.
TEST_F(MovementTest, ATurnIsWorkedOutAgainWhenAnyOfItsInputsChanges)
{
    RecordDatabase::Get().RegisterRecord(Npc::kNpcControllerRecord, "Class,ControllerAI,\n");
    auto* sheep = Make<Npc>("pathGenerationStyle,Sheep,\n", "Npc");
    ASSERT_TRUE(sheep);
    GraphicsAnim walk("walk");
    walk.SetValues(30, 30, 1.0f, 4.0f);
    sheep->PlayAnimation(0, &walk, true, 1.0f, 0);   // turns at 3 to 9 radians per second
    const auto turn = [&](const Vec3& facing, const Vec3& direction, int ms) {
        WorldCoords coords(region, Coords::LookAlong({0, 0, 0}, facing, {0, 1, 0}));
        sheep->RotateTowards(ms, direction, coords);
        return sheep->GetCoords().GetRegionCoords().zAxis;
    };
    const Vec3 ahead(0, 0, 1);
    const Vec3 right(1, 0, 0);
    const Vec3 first = turn(ahead, right, 50);   // 6 radians per second at a right angle
    EXPECT_NEAR(0.3f, std::acos(first.z), 1e-4f);
    EXPECT_EQ(first, turn(ahead, right, 50));
    EXPECT_NEAR(0.6f, std::acos(turn(ahead, right, 100).z), 1e-4f);   // the time
    EXPECT_NEAR(-std::sin(0.3f), turn(ahead, Vec3(-1, 0, 0), 50).x, 1e-4f);   // the direction
    EXPECT_EQ(right, turn(Vec3(1, 0, 0.1f), right, 50));   // the facing: close enough to end there
    EXPECT_EQ(first, turn(ahead, right, 50));
    walk.SetValues(30, 30, 1.0f, 8.0f);
    sheep->PlayAnimation(0, &walk, true, 1.0f, 0);   // the speeds double
    EXPECT_NEAR(0.6f, std::acos(turn(ahead, right, 50).z), 1e-4f);
}

}  // namespace
}  // namespace GAME
