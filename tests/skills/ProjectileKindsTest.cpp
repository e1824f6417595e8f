// The projectile kinds as their state machines: the straight kinds' aim and stops, the
// ballistic kinds' explosions, the harmless grenade, the area pulses, the telekinesis
// rock at rest and thrown, the terrain-following hover, and their ends on the deferred
// free; and the self-deleting effects they leave behind.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/PhysicsEngine.h"
#include "Game/characters/Monster.h"
#include "Game/skills/ProjectileKinds.h"
#include "Game/skills/Skill.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

// What the recording skill was told: targets, then friends (with a negative count).
class KindReportSkill : public Skill {
    GAME_DECLARE_CLASS(KindReportSkill)

public:
    void TargetInformation(const ProjectileInfo&, const WorldCoords&, std::vector<uint32_t> found) override
    {
        targets.push_back(std::move(found));
    }
    void TargetFriendInformation(const ProjectileInfo&, const WorldCoords&, std::vector<uint32_t> found) override
    {
        friends.push_back(std::move(found));
    }
    std::vector<std::vector<uint32_t>> targets;
    std::vector<std::vector<uint32_t>> friends;
};
GAME_IMPLEMENT_CLASS(KindReportSkill, Skill)

}  // namespace GAME

using namespace GAME;

namespace {

class ProjectileKindsTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "Field");
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Test/Fx.dbr", "Class,EffectEntity,\n");
        records.RegisterRecord("Records/Test/Monster.dbr", "Class,Monster,\n");
        for (const char* kind : {"ProjectileAreaEffect", "ProjectileArrowLike", "ProjectileExploding",
                                 "ProjectileFireballLike", "ProjectileGrenade", "ProjectileTelekinesis",
                                 "ProjectileTerrainFollowing"})
            records.RegisterRecord(std::string("Records/Proj/") + kind + ".dbr",
                                   std::string("Class,") + kind +
                                       ",\nprojectileVelocity,10,\nprojectileDistance,20,\n"
                                       "projectileMissTimeToLive,0.5,\nlaunchAngle,45,\n"
                                       "projectileImpactFX,Records/Test/Fx.dbr,\n"
                                       "projectileFlightFX,Records/Test/Fx.dbr,\n");
        skill = DynamicCast<KindReportSkill>(ObjectManager::Get().CreateObject("KindReportSkill"));
        caster = MakeMonster({0, 0, -50}, kTeamMajorHuman);
    }

    Character* MakeMonster(const Vec3& at, uint32_t major = kTeamMajorMonster)
    {
        auto* monster = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Monster.dbr");
        Team team;
        team.Set(major, 1);   // humans are friends within one minor team
        monster->SetTeam(team);
        EXPECT_TRUE(World::Get().AddEntity(monster, WorldCoords(region, Coords::MakeTranslation(at))));
        monster->SetBoundingRadius(0.5f);
        gEngine->UpdateFrame(0);
        return monster;
    }

    // A projectile of the kind's record launched from `from` facing +x at the target.
    template <class Kind>
    Kind* Make(const char* kind, const Vec3& from, const Vec3& targetPoint, uint32_t targetId = 0,
               float explosionRadius = 0.0f, bool go = true)
    {
        auto* projectile = ObjectManager::Get().CreateObjectFromFile<Kind>(std::string("Records/Proj/") + kind +
                                                                          ".dbr");
        EXPECT_NE(projectile, nullptr);
        ProjectileInfo info;
        info.skillId = skill->GetObjectId();
        info.casterId = caster->GetObjectId();
        info.launchCoords = WorldCoords(region, Coords::LookAlong(from, {1, 0, 0}, {0, 1, 0}));
        info.targetPoint = WorldVec3(region, targetPoint);
        info.targetId = targetId;
        info.team = caster->GetTeam();
        info.areaDuration = 1;
        projectile->LoadInfo(info, 11);
        ProjectileBase::ProjectileModifierStruct own;
        own.skillId = skill->GetObjectId();
        own.explosionRadius = explosionRadius;
        projectile->AddProjectileModifier(own);
        if (go)
            projectile->ProjectileGo();
        return projectile;
    }
    static Vec3 Position(const Entity* entity) { return entity->GetCoords().GetRegionCoords().origin; }
    static bool Freed(uint32_t id)
    {
        ObjectManager::Get().FlushDestroyedObjects();
        return ObjectManager::Get().GetObject(id) == nullptr;
    }

    Region* region = nullptr;
    Character* caster = nullptr;
    KindReportSkill* skill = nullptr;
};

}  // namespace

TEST_F(ProjectileKindsTest, EveryKindIsMadeByItsClassName)
{
    EXPECT_NE(Make<ProjectileAreaEffect>("ProjectileAreaEffect", {}, {}, 0, 0, false), nullptr);
    EXPECT_NE(Make<ProjectileArrowLike>("ProjectileArrowLike", {}, {}, 0, 0, false), nullptr);
    EXPECT_NE(Make<ProjectileExploding>("ProjectileExploding", {}, {}, 0, 0, false), nullptr);
    EXPECT_NE(Make<ProjectileGrenade>("ProjectileGrenade", {}, {}, 0, 0, false), nullptr);
    EXPECT_NE(Make<ProjectileTelekinesis>("ProjectileTelekinesis", {}, {}, 0, 0, false), nullptr);
    auto* hugging = Make<ProjectileFireballLike>("ProjectileTerrainFollowing", {}, {}, 0, 0, false);
    ASSERT_NE(hugging, nullptr);
    EXPECT_TRUE(hugging->IsA<ProjectileTerrainFollowing>());
}

TEST_F(ProjectileKindsTest, ArrowsAimAtCharactersAlwaysAndAtNearPointsNever)
{
    // A point 1.5 away, off to the side: the arrow keeps its facing (+x).
    auto* near = Make<ProjectileArrowLike>("ProjectileArrowLike", {0, 1, 10}, {0, 1, 11.5f});
    EXPECT_NEAR(near->GetLinearVelocity().x, 10.0f, 1e-4f);
    EXPECT_EQ(near->GetState(), ProjectileArrowLike::kStateFlying);
    // A character right beside it: at its "Target" point.
    Character* target = MakeMonster({0, 0, 21});
    target->SetAttachPoint(Name("Target"), {0, 1, 0});
    auto* aimed = Make<ProjectileArrowLike>("ProjectileArrowLike", {0, 1, 20}, {30, 1, 20}, target->GetObjectId());
    EXPECT_NEAR(aimed->GetLinearVelocity().z, 10.0f, 1e-4f);

    // A contact of type 7 stops it with no linger; it goes on its next update.
    CollisionData contact;
    contact.type = ProjectileArrowLike::kCollisionStopAtOnce;
    PhysicsEngine::Get().ReportCollision(near, contact);
    EXPECT_EQ(near->GetState(), ProjectileArrowLike::kStateLingering);
    EXPECT_EQ(near->GetLingerTimer(), 0);
    const uint32_t id = near->GetObjectId();
    near->UpdateSelf(16);
    // The state is set before the (deferred) delete, and nothing touches it after.
    EXPECT_EQ(near->GetState(), ProjectileArrowLike::kStateDeleted);
    EXPECT_TRUE(near->IsDeleted());
    EXPECT_TRUE(Freed(id));

    // Any other contact lingers for the miss time, the arrow half its length further in.
    auto* stuck = Make<ProjectileArrowLike>("ProjectileArrowLike", {0, 1, 40}, {10, 1, 40});
    const float x = Position(stuck).x;
    contact.type = 3;
    PhysicsEngine::Get().ReportCollision(stuck, contact);
    EXPECT_EQ(stuck->GetLingerTimer(), 500);
    EXPECT_NEAR(Position(stuck).x, x + 0.5f, 1e-4f);
}

TEST_F(ProjectileKindsTest, AFireballStopsOnItsTargetAndIsFreedTheFrameAfter)
{
    Character* foe = MakeMonster({5, 1, 0});
    auto* fireball = Make<ProjectileFireballLike>("ProjectileFireballLike", {0, 1, 0}, {10, 1, 0}, 0, 3.0f);
    const uint32_t id = fireball->GetObjectId();
    for (int frame = 0; frame < 10 && fireball->GetState() == ProjectileFireballLike::kStateFlying; ++frame)
        gEngine->UpdateFrame(100);
    ASSERT_EQ(fireball->GetState(), ProjectileFireballLike::kStateStopped);
    ASSERT_FALSE(skill->targets.empty());
    EXPECT_EQ(skill->targets[0], std::vector<uint32_t>{foe->GetObjectId()});
    gEngine->UpdateFrame(16);
    EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);

    // A miss stops at its flight distance.
    auto* far = Make<ProjectileFireballLike>("ProjectileFireballLike", {0, 1, 30}, {10, 1, 30});
    for (int frame = 0; frame < 19; ++frame)
        gEngine->UpdateFrame(100);
    EXPECT_EQ(far->GetState(), ProjectileFireballLike::kStateFlying);
    gEngine->UpdateFrame(100);
    EXPECT_EQ(far->GetState(), ProjectileFireballLike::kStateStopped);
}

TEST_F(ProjectileKindsTest, AnExplodingShotReportsNothingInFlightThenAllAroundIt)
{
    Character* foe = MakeMonster({3, 0, 0});
    auto* bomb = Make<ProjectileExploding>("ProjectileExploding", {0, 0, 0}, {5, 0, 0}, 0, 4.0f);
    region->SetFloor(-100.0f, 1);
    for (int frame = 0; frame < 10; ++frame)
        gEngine->UpdateFrame(20);
    EXPECT_EQ(bomb->GetState(), ProjectileExploding::kStateFlying);
    EXPECT_TRUE(skill->targets.empty());
    // A contact stops it; the explosion waits for its next update.
    PhysicsEngine::Get().ReportCollision(bomb, CollisionData{});
    EXPECT_EQ(bomb->GetState(), ProjectileExploding::kStateStruck);
    EXPECT_TRUE(skill->targets.empty());
    const uint32_t id = bomb->GetObjectId();
    bomb->UpdateSelf(16);
    EXPECT_EQ(bomb->GetState(), ProjectileExploding::kStateDeleted);
    ASSERT_EQ(skill->targets.size(), 1u);
    EXPECT_EQ(skill->targets[0], std::vector<uint32_t>{foe->GetObjectId()});
    EXPECT_TRUE(Freed(id));
}

TEST_F(ProjectileKindsTest, AHarmlessGrenadeHitsNobodyUntilItsFirstBounce)
{
    RecordDatabase::Get().RegisterRecord("Records/Proj/Harmless.dbr",
                                         "Class,ProjectileGrenade,\nprojectileVelocity,10,\nlaunchAngle,45,\n"
                                         "harmlessInFlight,1,\n");
    Character* foe = MakeMonster({4, 1.5f, 0});
    foe->SetBoundingRadius(1.5f);
    auto* grenade = Make<ProjectileGrenade>("Harmless", {0, 0, 0}, {8, 0, 0}, 0, 2.0f);
    EXPECT_TRUE(grenade->IsHarmlessInFlight());
    region->SetFloor(-100.0f, 1);
    for (int frame = 0; frame < 100 && Position(grenade).x < 6.0f; ++frame)
        gEngine->UpdateFrame(10);
    EXPECT_GE(Position(grenade).x, 6.0f);
    EXPECT_TRUE(skill->targets.empty());   // it flew over the foe harmlessly
    // A bounce: it is dangerous from now on, and rolls on while the body moves.
    PhysicsEngine::Get().ReportCollision(grenade, CollisionData{});
    ASSERT_EQ(grenade->GetState(), ProjectileGrenade::kStateBounced);
    gEngine->UpdateFrame(10);
    EXPECT_EQ(grenade->GetState(), ProjectileGrenade::kStateBounced);
    grenade->RemoveFromSimulation();
    // Lying still now: it explodes on its next update, and is deleted in state 3.
    const uint32_t id = grenade->GetObjectId();
    grenade->UpdateSelf(16);
    EXPECT_EQ(grenade->GetState(), ProjectileGrenade::kStateDeleted);
    EXPECT_TRUE(grenade->IsDeleted());
    EXPECT_TRUE(Freed(id));
}

TEST_F(ProjectileKindsTest, AnAreaWhoseIntervalEqualsItsLifePulsesAtOnceAndStops)
{
    Character* ally = MakeMonster({1, 0, 0}, kTeamMajorHuman);
    Character* foe = MakeMonster({0, 0, 1});
    auto* area = Make<ProjectileAreaEffect>("ProjectileAreaEffect", {-5, 0, 0}, {0, 0, 0}, 0, 3.0f);
    EXPECT_EQ(area->GetState(), ProjectileAreaEffect::kStatePulsing);
    EXPECT_NEAR(Position(area).x, 0.0f, 1e-5f);
    // 1 s of life and a 1 s interval: it pulsed in its first update.
    ASSERT_EQ(skill->targets.size(), 1u);
    EXPECT_EQ(skill->targets[0], std::vector<uint32_t>{foe->GetObjectId()});
    ASSERT_EQ(skill->friends.size(), 1u);
    EXPECT_NE(std::find(skill->friends[0].begin(), skill->friends[0].end(), ally->GetObjectId()),
              skill->friends[0].end());
    const uint32_t id = area->GetObjectId();
    for (int frame = 0; frame < 20 && ObjectManager::Get().GetObject(id); ++frame)
        gEngine->UpdateFrame(100);
    EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
    EXPECT_EQ(skill->targets.size(), 1u);   // no second pulse: its life ran out first
}

TEST_F(ProjectileKindsTest, ATelekinesisRockRestsAsAnObstacleAndExplodesWhenThrown)
{
    auto* rock = Make<ProjectileTelekinesis>("ProjectileTelekinesis", {0, 3, 0}, {10, 1, 0}, 0, 0, false);
    rock->SetBoundingRadius(0.5f);
    rock->ProjectileFall();
    EXPECT_EQ(rock->GetState(), ProjectileTelekinesis::kStateFalling);
    EXPECT_EQ(rock->GetInfo().team.GetTeamMajor(), 3u);
    for (int frame = 0; frame < 100 && rock->GetState() == ProjectileTelekinesis::kStateFalling; ++frame)
        gEngine->UpdateFrame(20);
    // Fallen without exploding: it rests, blocks paths, and can be picked up again.
    ASSERT_EQ(rock->GetState(), ProjectileTelekinesis::kStateResting);
    gEngine->UpdateFrame(20);
    EXPECT_EQ(rock->GetPathObstacleCount(), 1u);
    EXPECT_EQ(World::Get().GetObstacles().size(), 1u);
    rock->ProjectileCome(caster->GetObjectId());
    EXPECT_TRUE(rock->IsInUse());
    EXPECT_EQ(rock->GetComeTimer(), 15000);
    rock->Release();
    EXPECT_TRUE(rock->IsIdle());
    EXPECT_EQ(rock->GetPhysicsType(), Entity::kPhysicsTypeDynamic);

    // Thrown through a foe: told once, then it strikes a wall and explodes.
    Character* foe = MakeMonster({3, 0, 0});
    rock->ProjectileGo();
    EXPECT_EQ(rock->GetState(), ProjectileTelekinesis::kStateThrown);
    for (int frame = 0; frame < 10; ++frame)
        gEngine->UpdateFrame(50);
    ASSERT_EQ(skill->targets.size(), 1u);
    EXPECT_EQ(skill->targets[0], std::vector<uint32_t>{foe->GetObjectId()});
    EXPECT_TRUE(World::Get().GetObstacles().empty());
    CollisionData wall;
    PhysicsEngine::Get().ReportCollision(rock, wall);
    EXPECT_EQ(rock->GetState(), ProjectileTelekinesis::kStateExploded);
    EXPECT_FALSE(rock->GetVisibility());
    const uint32_t id = rock->GetObjectId();
    gEngine->UpdateFrame(16);
    EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
    EXPECT_TRUE(World::Get().GetObstacles().empty());
}

TEST_F(ProjectileKindsTest, ATerrainFollowerKeepsItsLaunchHeightAboveTheFloor)
{
    region->SetFloor(0.0f, 1);
    auto* hugging = Make<ProjectileTerrainFollowing>("ProjectileTerrainFollowing", {0, 2, 0}, {50, 50, 50});
    EXPECT_EQ(hugging->GetHoverHeight(), 2.0f);
    EXPECT_EQ(hugging->GetInfo().targetPoint.GetRegionPosition(), (Vec3{0, 2, 0}));
    EXPECT_NEAR(hugging->GetLinearVelocity().x, 10.0f, 1e-4f);   // along its facing
    region->SetFloor(-0.5f, 1);   // 2.5 above, within 1.25 x 2: held at 2 above
    hugging->UpdateSelf(16);
    EXPECT_NEAR(Position(hugging).y, 1.5f, 1e-5f);
    region->SetFloor(-4.0f, 1);   // 5.5 above: it sinks by a quarter of the excess
    hugging->UpdateSelf(16);
    EXPECT_NEAR(Position(hugging).y, -4.0f + (5.5f - 2.0f) * 0.75f + 2.0f, 1e-5f);
}

TEST_F(ProjectileKindsTest, SelfDeletingEffectsLeaveTheWorldOnceTheirEmissionEnds)
{
    auto* impact = ObjectManager::Get().CreateObjectFromFile<EffectEntity>("Records/Test/Fx.dbr");
    impact->StartEmitting();
    ASSERT_TRUE(impact->AddToWorld(WorldCoords(region, Coords()), true));
    auto* kept = ObjectManager::Get().CreateObjectFromFile<EffectEntity>("Records/Test/Fx.dbr");
    kept->StartEmitting();
    ASSERT_TRUE(kept->AddToWorld(WorldCoords(region, Coords()), false));
    const uint32_t id = impact->GetObjectId();
    const int lifeMs = EffectEntity::kSelfDeletingEmissionMs + EffectEntity::kParticleLifeMs;
    for (int ms = 0; ms < lifeMs - 100; ms += 100)
        gEngine->UpdateFrame(100);
    EXPECT_TRUE(impact->IsInWorld());
    EXPECT_FALSE(impact->IsEmitting());
    gEngine->UpdateFrame(100);
    gEngine->UpdateFrame(100);
    EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
    EXPECT_TRUE(kept->IsEmitting());   // not self-deleting: it stays
}
