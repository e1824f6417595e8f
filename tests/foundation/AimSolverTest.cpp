#include <gtest/gtest.h>

#include <cmath>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/CharacterMovementManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/AimSolver.h"
#include "Game/items/Weapon.h"
#include "Game/skills/SkillManager.h"

using namespace GAME;

namespace {

class AimSolverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        region = World::Get().AddRegion(1, "Field");
        other = World::Get().AddRegion(2, "Beyond", {100, 0, 0});
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
    }

    WorldVec3 At(float x, float y, float z) const { return WorldVec3(region, {x, y, z}); }

    void ExpectAt(const Vec3& expected, const WorldVec3& actual, float tolerance = 1e-4f)
    {
        ASSERT_TRUE(actual.IsValid());
        EXPECT_NEAR(expected.x, actual.GetRegionPosition().x, tolerance);
        EXPECT_NEAR(expected.y, actual.GetRegionPosition().y, tolerance);
        EXPECT_NEAR(expected.z, actual.GetRegionPosition().z, tolerance);
    }

    Region* region = nullptr;
    Region* other = nullptr;
};

}  // namespace

TEST_F(AimSolverTest, StandingTargetIsHitWhereItStands)
{
    EXPECT_EQ(At(5, 1, 2), ComputeInterceptPoint(At(5, 1, 2), {}, At(0, 0, 0), 10.0f, 3.0f));
}

TEST_F(AimSolverTest, NoSolutionWithoutRegionOrSpeed)
{
    EXPECT_FALSE(ComputeInterceptPoint(WorldVec3(), {1, 0, 0}, At(0, 0, 0), 10.0f, 0).IsValid());
    EXPECT_FALSE(ComputeInterceptPoint(At(1, 0, 0), {1, 0, 0}, WorldVec3(), 10.0f, 0).IsValid());
    EXPECT_FALSE(ComputeInterceptPoint(At(1, 0, 0), {}, At(0, 0, 0), 0.0f, 0).IsValid());
}

TEST_F(AimSolverTest, FasterTargetRunningAwayCannotBeCaught)
{
    // Both roots negative.
    EXPECT_FALSE(ComputeInterceptPoint(At(10, 0, 0), {20, 0, 0}, At(0, 0, 0), 10.0f, 0).IsValid());
}

TEST_F(AimSolverTest, CrossingTargetIsLed)
{
    // The projectile is faster: one root is negative, the other is the meeting time.
    const WorldVec3 point = ComputeInterceptPoint(At(10, 0, 0), {0, 0, 5}, At(0, 0, 0), 10.0f, 0);
    const float t = 2.0f / std::sqrt(3.0f);
    ExpectAt({10, 0, 5 * t}, point);
    EXPECT_NEAR(10.0f * t, (point - At(0, 0, 0)).Length(), 1e-4f);
    // Extra time moves the point on along the target's path.
    ExpectAt({10, 0, 5 * (t + 0.5f)}, ComputeInterceptPoint(At(10, 0, 0), {0, 0, 5}, At(0, 0, 0), 10.0f, 0.5f));
}

TEST_F(AimSolverTest, SmallerPositiveRootWins)
{
    // A faster target coming closer meets the projectile twice (t = 1 and t = 3).
    ExpectAt({1, 0, 0}, ComputeInterceptPoint(At(3, 0, 0), {-2, 0, 0}, At(0, 0, 0), 1.0f, 0));
    ExpectAt({0, 0, 0}, ComputeInterceptPoint(At(3, 0, 0), {-2, 0, 0}, At(0, 0, 0), 1.0f, 0.5f));
}

TEST_F(AimSolverTest, DoubleRootIgnoresExtraTime)
{
    // b^2 = 4ac: the target grazes the projectile's reach once, at t = 1.
    ExpectAt({0, 1, 0}, ComputeInterceptPoint(At(1, 0, 0), {-1, 1, 0}, At(0, 0, 0), 1.0f, 5.0f));
    // The same graze in the past is no solution.
    EXPECT_FALSE(ComputeInterceptPoint(At(1, 0, 0), {1, 1, 0}, At(0, 0, 0), 1.0f, 0).IsValid());
}

TEST_F(AimSolverTest, TargetAsFastAsTheProjectile)
{
    // The quadratic term vanishes; an approaching target is met once, a receding one never.
    ExpectAt({5, 0, 0}, ComputeInterceptPoint(At(10, 0, 0), {-5, 0, 0}, At(0, 0, 0), 5.0f, 0));
    EXPECT_FALSE(ComputeInterceptPoint(At(10, 0, 0), {5, 0, 0}, At(0, 0, 0), 5.0f, 0).IsValid());
}

TEST_F(AimSolverTest, ShooterInAnotherRegion)
{
    const WorldVec3 shooter(other, {-110, 0, 0});   // world x = -10, as (−10, 0, 0) in the target's region
    const WorldVec3 point = ComputeInterceptPoint(At(0, 0, 0), {0, 0, 5}, shooter, 10.0f, 0);
    ASSERT_EQ(region, point.GetRegion());
    ExpectAt({0, 0, 5 * 2.0f / std::sqrt(3.0f)}, point);
}

namespace {

class LeadingPointTest : public AimSolverTest {
protected:
    void SetUp() override
    {
        AimSolverTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Proj/Arrow.dbr", "Class,ProjectileBase,\nprojectileVelocity,10,\n");
        records.RegisterRecord("Records/Proj/Fake.dbr", "Class,Item,\nprojectileVelocity,10,\n");
        records.RegisterRecord("Records/Items/Bow.dbr", "Class,Weapon,\nbasicProjectileName,Records/Proj/Arrow.dbr,\n");
        records.RegisterRecord("Records/Items/Odd.dbr", "Class,Weapon,\nbasicProjectileName,Records/Proj/Fake.dbr,\n");
        attacker = DynamicCast<Character>(ObjectManager::Get().CreateObject("Player"));
        target = DynamicCast<Character>(ObjectManager::Get().CreateObject("Monster"));
        attacker->SetPathPosition(At(0, 0, 0));
        target->SetPathPosition(At(10, 0, 0));
        Run(At(10, 0, 100), 2.5f);
    }

    // The target runs toward `to` (its path target) at `speed`: a path and a running
    // animation whose motion is that speed.
    void Run(const WorldVec3& to, float speed)
    {
        bool alreadyThere = false;
        ASSERT_TRUE(target->GetMovementManager().SetNewPathTarget(target->GetPathPosition(), to, alreadyThere));
        target->SetActionState(Character_ActionState_Move);
        GraphicsAnim run("run");
        run.SetValues(30, 30, 1.0f, speed);
        target->PlayAnimation(0, &run, true, 1.0f, 0);
    }

    void Arm(const char* weaponRecord)
    {
        Weapon* weapon = ObjectManager::Get().CreateObjectFromFile<Weapon>(weaponRecord);
        ASSERT_NE(nullptr, weapon);
        attacker->GetSkillManager().SetLeftHandWeapon(weapon->GetObjectId());
    }

    Character* attacker = nullptr;
    Character* target = nullptr;
};

}  // namespace

TEST_F(LeadingPointTest, LeadsAMovingTargetWithTheWeaponsProjectile)
{
    Arm("Records/Items/Bow.dbr");
    const size_t objects = ObjectManager::Get().GetObjectCount();
    // Speed 2.5 x time factor 2 = 5 along +z; projectile speed 10.
    const WorldVec3 point = GetTargetLeadingPoint(attacker->GetObjectId(), target->GetObjectId(), 2.0f);
    ExpectAt({10, 0, 5 * 2.0f / std::sqrt(3.0f)}, point);
    EXPECT_EQ(objects, ObjectManager::Get().GetObjectCount());   // no projectile was left behind
}

TEST_F(LeadingPointTest, TargetWithoutAPathTargetStandsStill)
{
    Arm("Records/Items/Bow.dbr");
    target->SetActionState(Character_ActionState_Idle);   // not running: no path target
    EXPECT_EQ(At(10, 0, 0), GetTargetLeadingPoint(attacker->GetObjectId(), target->GetObjectId(), 1.0f));
    target->SetActionState(Character_ActionState_Move);
    target->SetPathPositionNotCoords(At(10, 0, 100));      // at its target: no direction, no NaN
    EXPECT_EQ(At(10, 0, 100), GetTargetLeadingPoint(attacker->GetObjectId(), target->GetObjectId(), 1.0f));
}

TEST_F(LeadingPointTest, NoProjectileMeansNoSolution)
{
    const uint32_t a = attacker->GetObjectId(), t = target->GetObjectId();
    EXPECT_FALSE(GetTargetLeadingPoint(a, t, 1.0f).IsValid());   // empty hand
    Arm("Records/Items/Odd.dbr");                                // its projectile record is no projectile
    EXPECT_FALSE(GetTargetLeadingPoint(a, t, 1.0f).IsValid());
}

TEST_F(LeadingPointTest, MissingCharactersGiveNothing)
{
    Arm("Records/Items/Bow.dbr");
    Object* rock = ObjectManager::Get().CreateObject("Actor");
    EXPECT_FALSE(GetTargetLeadingPoint(attacker->GetObjectId(), rock->GetObjectId(), 1.0f).IsValid());
    EXPECT_FALSE(GetTargetLeadingPoint(0, target->GetObjectId(), 1.0f).IsValid());
}

TEST_F(LeadingPointTest, PathPositionFallsBackToThePlaceInTheWorld)
{
    Arm("Records/Items/Bow.dbr");
    Character* placed = DynamicCast<Character>(ObjectManager::Get().CreateObject("Monster"));
    World::Get().AddEntity(placed, WorldCoords(region, Coords::MakeTranslation({3, 0, 4})));
    EXPECT_EQ(At(3, 0, 4), placed->GetPathPosition());
    EXPECT_EQ(At(3, 0, 4), GetTargetLeadingPoint(attacker->GetObjectId(), placed->GetObjectId(), 1.0f));
}
