// A character on its path: the step per frame, the slowdown at the end, already being
// there, steering around characters in the way, standing mass, the refused moves, and
// turning.
#include <algorithm>
#include <cmath>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/PathFinder.h"
#include "Game/characters/CharacterMovementManager.h"
#include "Game/characters/Monster.h"
#include "Game/core/TeamManager.h"

namespace GAME {
namespace {

class MovTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "Mov");
    }

    WorldVec3 At(float x, float y, float z) const { return WorldVec3(region, Vec3(x, y, z)); }

    Character* Make(const char* kind = "Monster")
    {
        return DynamicCast<Character>(ObjectManager::Get().CreateObject(kind));
    }

    // Places the character in the world at x on the x axis, facing +x.
    void Place(Character* character, float x, float facingX = 1.0f)
    {
        World::Get().AddEntity(character,
                               WorldCoords(region, Coords::LookAlong({x, 0, 0}, {facingX, 0, 0}, {0, 1, 0})));
    }

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

    Region* region = nullptr;
};

TEST_F(MovTest, MovAdvancesBySpeedAndEndsShortPathsAtOnce)
{
    Character* runner = Make();
    Run(runner, At(0, 0, 0), At(10, 0, 0), 5.0f);
    CharacterMovementManager& movement = runner->GetMovementManager();
    EXPECT_TRUE(movement.Update(100));   // speed 5 for 100 ms
    EXPECT_NEAR(0.5f, runner->GetPathPosition().GetRegionPosition().x, 1e-6f);
    EXPECT_EQ(runner->GetPathPosition(), runner->GetCoords().GetPosition());   // the model follows
    ASSERT_EQ(1u, World::Get().GetDisturbances().size());
    EXPECT_EQ(0, World::Get().GetDisturbances().back().splashType);

    // A path shorter than 0.05 is done at once: the path position jumps to its end. (The
    // path position is elsewhere first: a target within 0.5 of it counts as reached.)
    runner->SetPathPositionNotCoords(At(5, 0, 0));
    bool alreadyThere = true;
    ASSERT_TRUE(movement.SetNewPathTarget(At(0, 0, 0), At(0.04f, 0, 0), alreadyThere));
    EXPECT_FALSE(alreadyThere);
    EXPECT_FALSE(movement.Update(1));
    EXPECT_EQ(At(0.04f, 0, 0), runner->GetPathPosition());
    runner->FollowPath(1);   // the end stops the run
    EXPECT_EQ(Character_ActionState_ForcedStop, runner->GetActionState());
    EXPECT_EQ(nullptr, runner->GetPath());
    EXPECT_FALSE(runner->GetPathTarget().IsValid());
}

TEST_F(MovTest, MovSpeedSlowsOverTheLastStretchButNeverBelowOne)
{
    RecordDatabase::Get().RegisterRecord("Records/Game/GameEngine.dbr", "pathSlowdownLength,2,\n");
    engine->LoadFromDatabase("Records/Game/GameEngine.dbr");
    Character* runner = Make();
    const CharacterMovementManager& movement = runner->GetMovementManager();
    struct Row {
        float left, speed;
    } rows[] = {{3.0f, 4.0f}, {0.5f, 1.0f}, {0.2f, 1.0f}, {1.0f, 2.0f}};
    for (const Row& row : rows) {
        Run(runner, At(0, 0, 0), At(row.left, 0, 0), 4.0f);
        EXPECT_FLOAT_EQ(row.speed, movement.CalculateSpeed()) << row.left << " left";
    }

    LogCapture log;
    runner->GetMovementManager().ClearPath();
    EXPECT_EQ(0.0f, movement.CalculateSpeed());
    EXPECT_TRUE(log.Contains("Path == NULL for " + runner->GetObjectName()));
}

TEST_F(MovTest, MovATargetWithinHalfAUnitIsAlreadyReached)
{
    Character* runner = Make();
    Run(runner, At(0, 0, 0), At(10, 0, 0), 5.0f);
    CharacterMovementManager& movement = runner->GetMovementManager();
    const Path* path = movement.GetPath();
    bool alreadyThere = false;
    EXPECT_TRUE(movement.SetNewPathTarget(At(0, 0, 0), At(0.4f, 0, 0), alreadyThere));
    EXPECT_TRUE(alreadyThere);
    EXPECT_EQ(path, movement.GetPath());   // the old path state is kept
    EXPECT_EQ(At(10, 0, 0), movement.GetPathTarget());
    EXPECT_TRUE(runner->AlreadyThere(At(0, 0, 0.4f)));

    EXPECT_TRUE(movement.SetNewPathTarget(At(0, 0, 0), At(0.6f, 0, 0), alreadyThere));
    EXPECT_FALSE(alreadyThere);
    EXPECT_EQ(At(0.6f, 0, 0), movement.GetPathTarget());
}

// A character standing in the way is stepped around with a local path, unless the detour
// is more than 1.5 times the rest of the main path or the one in the way is a pet
// following the runner.
TEST_F(MovTest, MovStepsAroundCharactersInTheWay)
{
    Character* runner = Make();
    Place(runner, 0);
    Character* blocker = Make();
    Place(blocker, 3);
    Run(runner, At(0, 0, 0), At(10, 0, 0), 4.0f);
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
    Place(runner, 0);
    Run(runner, At(0, 0, 0), At(4, 0, 0), 4.0f);
    EXPECT_TRUE(movement.Update(400));   // the next check is due
    EXPECT_EQ(nullptr, movement.GetLocalPath());
    {   // the detour the check saw: more than 1.5 times the way
        DynamicObstacle obstacle(region, rock->GetRegionBoundingSphere());
        obstacle.Attach();
        const auto detour = World::Get().FindPath(0, At(0, 0, 0), At(4, 0, 0), {}, 0, 0, 0, 0, 30);
        ASSERT_NE(nullptr, detour);
        EXPECT_GT(detour->GetLength() / 4.0f, 1.5f);
    }

    // The same small blocker as before, now the runner's pet: never avoided.
    World::Get().RemoveEntity(rock);
    auto* pet = DynamicCast<Monster>(Make());
    pet->SetMasterId(runner->GetObjectId());
    Place(pet, 3);
    Place(runner, 0);
    Run(runner, At(0, 0, 0), At(10, 0, 0), 4.0f);
    EXPECT_TRUE(movement.Update(400));
    EXPECT_EQ(nullptr, movement.GetLocalPath());
    EXPECT_EQ(0.0f, runner->GetCoords().GetRegionCoords().origin.z);
}

// A runner after a hostile target keeps its path while the target's point moves less
// than 5 percent of the way; the path position corrected by more than 0.5 starts the
// path again from there.
TEST_F(MovTest, MovFollowsItsTargetAndTakesCorrections)
{
    Character* runner = Make("Player");
    Character* target = Make();
    runner->SetTeam(TeamManager::DefaultPlayerTeam());
    target->SetTeam(TeamManager::DefaultMonsterTeam());
    Place(runner, 0);
    Place(target, 10);
    runner->SetCurrentAttackTarget(target->GetObjectId(), At(10, 0, 0), 0);
    Run(runner, At(0, 0, 0), At(9, 0, 0), 4.0f);
    CharacterMovementManager& movement = runner->GetMovementManager();
    const Path* path = movement.GetPath();

    target->SetPathPositionNotCoords(At(10.3f, 0, 0));   // its point moves 0.3 of 9.3
    runner->UpdatePath();
    EXPECT_EQ(path, movement.GetPath());
    EXPECT_EQ(At(9, 0, 0), movement.GetPathTarget());
    target->SetPathPositionNotCoords(At(11, 0, 0));      // 1.0 of 10: a new path
    runner->UpdatePath();
    EXPECT_EQ(At(10, 0, 0), movement.GetPathTarget());
    EXPECT_EQ(Character_ActionState_Move, runner->GetActionState());

    runner->UpdatePathPosition(At(0.3f, 0, 0));
    EXPECT_EQ(At(0, 0, 0), runner->GetPathPosition());
    runner->UpdatePathPosition(At(2, 0, 1));
    EXPECT_EQ(At(2, 0, 1), runner->GetPathPosition());
    EXPECT_EQ(At(10, 0, 0), movement.GetPathTarget());
}

TEST_F(MovTest, MovAbsoluteRunSpeedCapHoldsTheSpeedWithinItsPercentages)
{
    Character* character = Make();
    character->SetTotalCharAttribute(CharAttributeType_RunSpeed, 10.0f);
    RecordDatabase::Get().RegisterRecord("Records/Game/GameEngine.dbr",
                                         "absoluteRunSpeedCapMin,0,\nabsoluteRunSpeedCapMax,150,\n");
    engine->LoadFromDatabase("Records/Game/GameEngine.dbr");
    EXPECT_EQ(20.0f, character->CapAbsoluteRunSpeed(20.0f));   // a zero minimum: no cap
    RecordDatabase::Get().RegisterRecord("Records/Game/GameEngine.dbr",
                                         "absoluteRunSpeedCapMin,50,\nabsoluteRunSpeedCapMax,150,\n");
    engine->LoadFromDatabase("Records/Game/GameEngine.dbr");
    EXPECT_FLOAT_EQ(15.0f, character->CapAbsoluteRunSpeed(20.0f));
    EXPECT_FLOAT_EQ(5.0f, character->CapAbsoluteRunSpeed(2.0f));
    EXPECT_FLOAT_EQ(10.0f, character->CapAbsoluteRunSpeed(10.0f));
}

TEST_F(MovTest, MovPathMassDoublesStanding)
{
    Character* character = Make();
    character->SetPathMass(1.5f);
    EXPECT_EQ(3.0f, character->GetPathMass());
    character->SetActionState(Character_ActionState_Walk);
    EXPECT_EQ(1.5f, character->GetPathMass());
}

TEST_F(MovTest, MovMoveToNowhereOrWhileDeadDoesNothing)
{
    Character* character = Make();
    Place(character, 0);
    character->MoveTo(WorldVec3(), 250.0f);   // outside every region
    EXPECT_EQ(nullptr, character->GetPath());
    EXPECT_EQ(Character_ActionState_Unknown, character->GetActionState());

    character->SetLifeState(Character_LifeState_Dead);
    character->MoveTo(At(5, 0, 0), 250.0f);
    EXPECT_EQ(nullptr, character->GetPath());
    EXPECT_EQ(Character_ActionState_Unknown, character->GetActionState());

    // Alive but without a run animation: the run cannot start.
    character->SetLifeState(Character_LifeState_Alive);
    character->MoveTo(At(5, 0, 0), 250.0f);
    EXPECT_EQ(nullptr, character->GetPath());
    EXPECT_EQ(Character_ActionState_ForcedStop, character->GetActionState());
    EXPECT_FALSE(character->NearTarget(12345, 100.0f));   // no such target
}

// 12 radians per second facing away, 9 almost aligned, 10.5 at a right angle; a turn
// that would overshoot ends facing the direction.
TEST_F(MovTest, MovRotateTowardsTurnsFasterTheFurtherItHasToGo)
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
    RecordDatabase::Get().RegisterRecord("Records/Test/Stiff.dbr", "Class,Monster,\ndisallowRotation,1,\n");
    Character* stiff = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Stiff.dbr");
    ASSERT_NE(nullptr, stiff);
    stiff->RotateTowards(100, {1, 0, 0}, elsewhere);
    EXPECT_NEAR(1.0f, stiff->GetCoords().GetRegionCoords().zAxis.z, 1e-6f);
    EXPECT_EQ(5.0f, stiff->GetCoords().GetRegionCoords().origin.x);
}

}  // namespace
}  // namespace GAME
