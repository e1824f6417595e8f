// The projectile base: its record, its own generator, straight and ballistic flight,
// notices to foes, contacts, weapon trails, its end, and the hit processing (modifier
// lists, path hits, explosions, fragments, piercing).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/WeaponTrail.h"
#include "Game/ai/ControllerAI.h"
#include "Game/characters/Monster.h"
#include "Game/combat/CombatManager.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/Skill.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

// What the recording skills were told, in order.
struct TargetReport {
    uint32_t skillId;
    std::vector<uint32_t> targets;
};
inline std::vector<TargetReport> gProjectileReports;
// Fragments that were launched, in order.
inline std::vector<ProjectileBase*> gLaunched;

class ReportSkill : public Skill {
    GAME_DECLARE_CLASS(ReportSkill)

public:
    void TargetInformation(const ProjectileInfo&, const WorldCoords&, std::vector<uint32_t> targets) override
    {
        gProjectileReports.push_back({GetObjectId(), std::move(targets)});
    }
};
GAME_IMPLEMENT_CLASS(ReportSkill, Skill)

class LaunchRecordingProjectile : public ProjectileBase {
    GAME_DECLARE_CLASS(LaunchRecordingProjectile)

public:
    void ProjectileGo() override
    {
        ProjectileBase::ProjectileGo();
        gLaunched.push_back(this);
    }
};
GAME_IMPLEMENT_CLASS(LaunchRecordingProjectile, ProjectileBase)

// Counts what its character hears of projectiles; thinks nothing on its own.
class ProjectileListener : public ControllerAI {
    GAME_DECLARE_CLASS(ProjectileListener)

public:
    void Update(int) override {}
    void ProjectileNotification(uint32_t projectileId) override { notices.push_back(projectileId); }
    void ProjectileCollisionCallback(const ProjectileInfo& info, const CollisionData& collision) override
    {
        contacts.push_back(collision.type);
        contactSkills.push_back(info.skillId);
    }
    std::vector<uint32_t> notices;
    std::vector<int> contacts;
    std::vector<uint32_t> contactSkills;
};
GAME_IMPLEMENT_CLASS(ProjectileListener, ControllerAI)

}  // namespace GAME

using namespace GAME;

namespace {

constexpr const char* kArrow = "Records/Proj/Arrow.dbr";
constexpr const char* kFragment = "Records/Proj/Fragment.dbr";

class ProjectileBaseTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        gProjectileReports.clear();
        gLaunched.clear();
        region = World::Get().AddRegion(1, "Field");
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Test/Sound.dbr", "Class,SoundPak,\n");
        records.RegisterRecord("Records/Test/Fx.dbr", "Class,EffectEntity,\n");
        records.RegisterRecord("Records/Test/Trail.dbr", "Class,WeaponTrail,\n");
        records.RegisterRecord(kArrow,
                               "Class,ProjectileBase,\nprojectileVelocity,10,\nprojectileDistance,20,\n"
                               "projectileHitTimeToLive,1.5,\nprojectileMissTimeToLive,0.25,\n"
                               "launchAngle,5,\nprojectileHitSound,Records/Test/Sound.dbr,\n"
                               "projectileSwipeSound,Records/Test/Sound.dbr,\n"
                               "projectileFlightFX,Records/Test/Fx.dbr,\n"
                               "projectileImpactFX,Records/Test/Fx.dbr,\n"
                               "projectileWeaponTrail,Records/Test/Trail.dbr,\n");
        records.RegisterRecord(kFragment, "Class,LaunchRecordingProjectile,\nprojectileVelocity,5,\n");
        caster = Monster(0, kTeamMajorHuman);
    }
    void TearDown() override
    {
        gLaunched.clear();
        EngineTest::TearDown();
    }

    // A monster of the team standing at x (never in the way of the others' rays unless
    // asked), with its listener; in the world and past its first update.
    Character* Monster(float x, uint32_t major = kTeamMajorMonster, float z = 0.0f)
    {
        RecordDatabase::Get().RegisterRecord("Records/Test/Monster.dbr", "Class,Monster,\n");
        auto* monster = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Monster.dbr");
        Team team;
        team.Set(major, 0);
        monster->SetTeam(team);
        auto* listener = DynamicCast<ProjectileListener>(ObjectManager::Get().CreateObject("ProjectileListener"));
        listener->AttachParent(monster->GetObjectId());
        monster->SetControllerId(listener->GetObjectId());
        EXPECT_TRUE(World::Get().AddEntity(monster, WorldCoords(region, Coords::MakeTranslation({x, 0, z}))));
        monster->SetBoundingRadius(0.5f);
        gEngine->UpdateFrame(0);
        return monster;
    }
    static ProjectileListener* Listener(const Character* character)
    {
        return ObjectManager::Get().GetObject<ProjectileListener>(character->GetControllerId());
    }
    Skill* MakeSkill() { return DynamicCast<Skill>(ObjectManager::Get().CreateObject("ReportSkill")); }

    // A projectile of the record at the launch point, facing +x, fired by the caster for
    // the skill with the seed.
    ProjectileBase* Fire(uint32_t skillId, const Vec3& from = {0, 1, 0}, const char* record = kArrow,
                         uint32_t seed = 7)
    {
        auto* projectile = ObjectManager::Get().CreateObjectFromFile<ProjectileBase>(record);
        EXPECT_NE(projectile, nullptr);
        ProjectileInfo info;
        info.skillId = skillId;
        info.casterId = caster->GetObjectId();
        info.launchCoords = WorldCoords(region, Coords::LookAlong(from, {1, 0, 0}, {0, 1, 0}));
        info.team = caster->GetTeam();
        projectile->LoadInfo(info, seed);
        projectile->ProjectileGo();
        EXPECT_TRUE(World::Get().AddEntity(projectile, info.launchCoords));
        return projectile;
    }
    void MoveTo(ProjectileBase* projectile, const Vec3& at)
    {
        World::Get().SetCoords(projectile, WorldCoords(region, Coords::LookAlong(at, {1, 0, 0}, {0, 1, 0})));
    }
    static Vec3 Position(const Entity* entity) { return entity->GetCoords().GetRegionCoords().origin; }
    static bool IsFinite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
    std::vector<TargetReport> ReportsOf(uint32_t skillId) const
    {
        std::vector<TargetReport> out;
        for (const TargetReport& report : gProjectileReports)
            if (report.skillId == skillId)
                out.push_back(report);
        return out;
    }

    Region* region = nullptr;
    Character* caster = nullptr;
};

}  // namespace

TEST_F(ProjectileBaseTest, RecordKeysBoundsAndTheOneVelocityReader)
{
    const size_t before = ObjectManager::Get().GetObjectCount();
    EXPECT_EQ(ProjectileBase::GetRecordTotalSpeed(kArrow), 10.0f);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before);   // read, not made

    ProjectileBase* arrow = ObjectManager::Get().CreateObjectFromFile<ProjectileBase>(kArrow);
    EXPECT_EQ(arrow->GetTotalSpeed(), ProjectileBase::GetRecordTotalSpeed(kArrow));
    EXPECT_EQ(arrow->GetDistance(), 20.0f);
    EXPECT_EQ(arrow->GetHitTime(), 1500.0f);
    EXPECT_EQ(arrow->GetMissTime(), 250.0f);
    EXPECT_EQ(arrow->GetLaunchAngle(), 10.0f);              // 5 is held to 10
    EXPECT_EQ(arrow->GetNotificationRadius(), 5.0f);        // missing: 5.0, not 10.0
    ASSERT_NE(arrow->GetHitSound(), nullptr);
    EXPECT_EQ(arrow->GetBounceSound(), nullptr);
    arrow->PreLoad(true);
    EXPECT_EQ(arrow->GetHitSound()->GetPreLoadCount(), 1u);

    RecordDatabase::Get().RegisterRecord("Records/Proj/Odd.dbr",
                                         "Class,ProjectileBase,\nlaunchAngle,85,\nnotificationRadius,7,\n"
                                         "projectileVelocity,nan,\nprojectileHitTimeToLive,1e30,\n");
    ProjectileBase* odd = ObjectManager::Get().CreateObjectFromFile<ProjectileBase>("Records/Proj/Odd.dbr");
    EXPECT_EQ(odd->GetLaunchAngle(), 80.0f);
    EXPECT_EQ(odd->GetNotificationRadius(), 7.0f);
    EXPECT_EQ(odd->GetTotalSpeed(), 0.0f);
    EXPECT_EQ(ProjectileBase::GetRecordTotalSpeed("Records/Proj/Odd.dbr"), 0.0f);
    EXPECT_EQ(odd->GetHitTime(), 86400000.0f);

    // The sounds and effects the projectile owns go with it.
    ObjectManager::Get().DestroyObjectEx(arrow, "test", __LINE__);
    ObjectManager::Get().DestroyObjectEx(odd, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before);
}

TEST_F(ProjectileBaseTest, PiercingSumsTheFiringSkillsModifiersAndTheInfosChance)
{
    Skill* skill = MakeSkill();
    ProjectileBase* a = Fire(skill->GetObjectId());
    ProjectileBase* b = Fire(skill->GetObjectId());
    // Piercing: below the firing skill's modifiers plus the info's chance.
    ProjectileBase::ProjectileModifierStruct pierce;
    pierce.skillId = skill->GetObjectId();
    pierce.piercingChance = 60.0f;
    a->AddProjectileModifier(pierce);
    a->AddProjectileModifier(pierce);
    pierce.skillId = 999;
    a->AddProjectileModifier(pierce);
    EXPECT_EQ(a->GetPiercingModifier(skill->GetObjectId()), 120.0f);
    EXPECT_EQ(a->GetPiercingModifier(999), 60.0f);
    EXPECT_TRUE(a->RollPiercing());   // 120 beats any roll up to 100
    EXPECT_FALSE(b->RollPiercing());  // 0 beats none
}

TEST_F(ProjectileBaseTest, StraightFlightAimsAndFumbleFreeCastersNeverDeflect)
{
    ProjectileBase* arrow = Fire(1);
    arrow->SetSpeedBonus(50.0f);
    arrow->MoveStraightLine(WorldVec3(region, {0, 1, 10}));
    EXPECT_EQ(arrow->GetPhysicsType(), Entity::kPhysicsTypeDynamic);
    EXPECT_FALSE(arrow->GetGravity());
    const Vec3 velocity = arrow->GetLinearVelocity();
    EXPECT_NEAR(velocity.x, 0.0f, 1e-4f);
    EXPECT_NEAR(velocity.y, 0.0f, 1e-4f);
    EXPECT_NEAR(velocity.z, 15.0f, 1e-4f);   // 10 x 1.5, straight at it

    // Without a target: the present facing at the record velocity, no bonus.
    arrow->MoveStraightLine();
    EXPECT_NEAR(arrow->GetLinearVelocity().z, 10.0f, 1e-4f);

    // It flies there with the engine's frames.
    gEngine->UpdateFrame(100);
    EXPECT_NEAR(Position(arrow).z, 1.0f, 1e-4f);
}

TEST_F(ProjectileBaseTest, BallisticArcsLandOnTheTargetAndUnreachableOnesStayFinite)
{
    EXPECT_TRUE(std::isnan(ProjectileBase::BallisticSpeed(0.7853982f, 2.0f, 10.0f)));
    EXPECT_TRUE(std::isnan(ProjectileBase::BallisticSpeed(0.0017453f, 2.0f, 10.0f)));
    EXPECT_EQ(ProjectileBase::BallisticSpeed(0.5f, 0.00001f, 3.0f), 0.0001f);
    EXPECT_NEAR(ProjectileBase::BallisticSpeed(0.7853982f, 10.0f, 0.0f), std::sqrt(98.0f), 1e-3f);

    // 45 degrees at a point 10 away on the floor: it comes down there.
    ProjectileBase* stone = Fire(1, {0, 0, 0});
    stone->MoveTrajectory(WorldVec3(region, {10, 0, 0}), 0.7853982f, true);
    EXPECT_TRUE(stone->GetGravity());
    EXPECT_TRUE(IsFinite(stone->GetAngularVelocity()));
    EXPECT_NEAR(stone->GetLinearVelocity().Length(), std::sqrt(98.0f), 1e-3f);
    for (int i = 0; i < 400 && stone->IsSimulationEnabled(); ++i)
        PhysicsEngine::Get().Step(World::Get(), 5);
    EXPECT_FALSE(stone->IsSimulationEnabled());
    EXPECT_NEAR(Position(stone).x, 10.0f, 0.2f);

    // 10 up and 2 away: no arc at the angle nor at 0.1 degrees; thrown straight at it
    // with the record velocity.
    ProjectileBase* high = Fire(1, {0, 0, 0});
    high->MoveTrajectory(WorldVec3(region, {2, 10, 0}), 0.7853982f, false);
    const Vec3 velocity = high->GetLinearVelocity();
    ASSERT_TRUE(IsFinite(velocity));
    EXPECT_NEAR(velocity.Length(), 10.0f, 1e-3f);
    EXPECT_NEAR(velocity.y / velocity.x, 5.0f, 1e-3f);
    gEngine->UpdateFrame(50);
    EXPECT_TRUE(IsFinite(Position(high)));

    // A target on the projectile itself moves one flight distance ahead.
    ProjectileBase* still = Fire(1, {0, 0, 0});
    still->MoveTrajectory(WorldVec3(region, {0, 0, 0}), 0.7853982f, false);
    EXPECT_TRUE(IsFinite(still->GetLinearVelocity()));
    EXPECT_GT(still->GetLinearVelocity().x, 0.0f);
}

TEST_F(ProjectileBaseTest, FoesWithinTheRadiusHearOfItEvery200Ms)
{
    Character* foe = Monster(3);
    Character* far = Monster(30);
    Character* friendly = Monster(2, kTeamMajorHuman);
    ProjectileBase* arrow = Fire(1);
    arrow->UpdateSelf(0);   // the first update only switches the trails
    EXPECT_TRUE(Listener(foe)->notices.empty());
    arrow->UpdateSelf(16);  // the timer falls below 0 at once
    ASSERT_EQ(Listener(foe)->notices.size(), 1u);
    EXPECT_EQ(Listener(foe)->notices[0], arrow->GetObjectId());
    for (int i = 0; i < 12; ++i)
        arrow->UpdateSelf(16);   // 192 ms: the timer has not run out
    EXPECT_EQ(Listener(foe)->notices.size(), 1u);
    arrow->UpdateSelf(16);
    EXPECT_EQ(Listener(foe)->notices.size(), 2u);
    EXPECT_TRUE(Listener(far)->notices.empty());
    EXPECT_TRUE(Listener(friendly)->notices.empty());
    EXPECT_TRUE(Listener(caster)->notices.empty());
}

TEST_F(ProjectileBaseTest, AContactStopsTheBodyAndTellsTheCaster)
{
    ProjectileBase* arrow = Fire(77);
    arrow->MoveStraightLine(WorldVec3(region, {10, 1, 0}));
    CollisionData contact;
    contact.type = 7;
    EXPECT_TRUE(PhysicsEngine::Get().ReportCollision(arrow, contact));
    EXPECT_FALSE(PhysicsEngine::Get().ReportCollision(nullptr, contact));
    EXPECT_EQ(arrow->GetPhysicsType(), 0);
    EXPECT_EQ(arrow->GetAnimationState(), ProjectileBase::kAnimationNone);
    EXPECT_TRUE(arrow->GetGravity());
    EXPECT_FALSE(arrow->IsSimulationEnabled());
    EXPECT_EQ(arrow->GetLinearVelocity(), Vec3{});
    EXPECT_EQ(Listener(caster)->contacts, std::vector<int>{7});
    EXPECT_EQ(Listener(caster)->contactSkills, std::vector<uint32_t>{77});

    auto* decoration = ObjectManager::Get().CreateObject("Decoration");
    EXPECT_TRUE(arrow->CanCollide(static_cast<Entity*>(decoration)));
    EXPECT_FALSE(arrow->CanCollide(caster));
    EXPECT_FALSE(arrow->CanCollide(nullptr));
}

TEST_F(ProjectileBaseTest, WeaponTrailsFollowTheAnchorPoints)
{
    ProjectileBase* none = Fire(1);
    none->UpdateSelf(0);
    EXPECT_EQ(none->GetWeaponTrailCount(), 0);   // no "Anchor1": none, though the record names one
    EXPECT_EQ(none->GetWeaponTrail(0), nullptr);

    auto* two = ObjectManager::Get().CreateObjectFromFile<ProjectileBase>(kArrow);
    two->SetAttachPoint(Name("Anchor1"), {0, 0, 1});
    two->SetAttachPoint(Name("Anchor3"), {0, 0, -1});
    World::Get().AddEntity(two, WorldCoords(region, Coords::MakeTranslation({0, 1, 0})));
    two->SetBoundingRadius(0.25f);
    two->UpdateSelf(0);
    ASSERT_EQ(two->GetWeaponTrailCount(), 2);
    for (int i = 0; i < 2; ++i) {
        WeaponTrail* trail = two->GetWeaponTrail(i);
        ASSERT_NE(trail, nullptr);
        EXPECT_EQ(trail->GetPointSetIndex(), i);
        EXPECT_TRUE(trail->IsRecording());
        EXPECT_TRUE(trail->IsAttachedTo(two));
        EXPECT_EQ(trail->GetBoundingBox().extents, (Vec3{0.25f, 0.25f, 0.25f}));
    }
    two->DisableWeaponTrail();
    EXPECT_FALSE(two->GetWeaponTrail(1)->IsRecording());

    // A trail record of another class leaves the trail absent.
    two->SwitchWeaponTrail("Records/Test/Sound.dbr");
    EXPECT_EQ(two->GetWeaponTrail(0), nullptr);
    EXPECT_EQ(two->GetWeaponTrail(1), nullptr);
}

TEST_F(ProjectileBaseTest, DeleteRunsOnceOnTheDeferredFreeAndLeavesTheFlightEffect)
{
    ProjectileBase* arrow = Fire(1);
    arrow->StartFlightFx();
    EffectEntity* effect = arrow->GetFlightFx();
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(arrow->IsFlightFxRunning());
    const uint32_t id = arrow->GetObjectId();
    arrow->DeleteProjectile();
    // Still readable until the frame's free: a kind sets its state after this.
    EXPECT_TRUE(arrow->IsDeleted());
    EXPECT_FALSE(arrow->IsInWorld());
    arrow->DeleteProjectile();
    EXPECT_TRUE(effect->IsInWorld());
    EXPECT_TRUE(effect->IsSelfDeleting());
    EXPECT_EQ(effect->GetAttachParent(), nullptr);
    gEngine->UpdateFrame(16);
    EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
    EXPECT_NE(ObjectManager::Get().GetObject(effect->GetObjectId()), nullptr);
}

TEST_F(ProjectileBaseTest, TheLaunchAnimationEndsInTheLoopingFlightAnimation)
{
    GraphicsEngine::Get()->RegisterAnimation("Launch.anm", "length,10,\n");
    GraphicsEngine::Get()->RegisterAnimation("Fly.anm", "length,10,\n");
    RecordDatabase::Get().RegisterRecord("Records/Proj/Animated.dbr",
                                         "Class,ProjectileBase,\nprojectileLaunchAnimation,Launch.anm,\n"
                                         "projectileLaunchAnimationSpeed,1,\nprojectileFlightAnimation,Fly.anm,\n"
                                         "projectileFlightAnimationSpeed,1,\n");
    ProjectileBase* animated = Fire(1, {0, 1, 0}, "Records/Proj/Animated.dbr");
    animated->StartLaunchAnimation();
    EXPECT_EQ(animated->GetAnimationState(), ProjectileBase::kAnimationLaunch);
    EXPECT_FALSE(animated->GetAnimationChannel(0)->loop);
    animated->AnimationCallback(Name("Footstep"));
    EXPECT_EQ(animated->GetAnimationState(), ProjectileBase::kAnimationLaunch);
    animated->AnimationCallback(Actor::EndEvent());
    EXPECT_EQ(animated->GetAnimationState(), ProjectileBase::kAnimationFlight);
    EXPECT_TRUE(animated->GetAnimationChannel(0)->loop);

    // No launch animation: the flight one at once.
    ProjectileBase* plain = Fire(1);
    plain->StartLaunchAnimation();
    EXPECT_EQ(plain->GetAnimationState(), ProjectileBase::kAnimationFlight);
    GraphicsEngine::Get()->ClearRegisteredAnimations();
}

TEST_F(ProjectileBaseTest, ModifiersAreSortedIntoTheirLists)
{
    ProjectileBase* p = Fire(10);
    ProjectileBase::ProjectileModifierStruct pathOnly;
    pathOnly.skillId = 10;
    ProjectileBase::ProjectileModifierStruct exploding;
    exploding.skillId = 11;
    exploding.explosionRadius = 3.0f;
    ProjectileBase::ProjectileModifierStruct foreignFragments;
    foreignFragments.skillId = 12;
    foreignFragments.explosionRadius = 3.0f;
    foreignFragments.fragmentProjectile = kFragment;
    ProjectileBase::ProjectileModifierStruct ownFragments = foreignFragments;
    ownFragments.skillId = 10;
    for (const auto* m : {&pathOnly, &exploding, &foreignFragments, &ownFragments})
        p->AddProjectileModifier(*m);
    const auto ids = [](const std::vector<ProjectileBase::ModifierRecord*>& list) {
        std::vector<uint32_t> out;
        for (const auto* record : list)
            out.push_back(record->modifier.skillId);
        return out;
    };
    EXPECT_EQ(ids(p->GetPathModifiers()), (std::vector<uint32_t>{10, 11, 10}));
    EXPECT_EQ(ids(p->GetExplosionModifiers()), (std::vector<uint32_t>{11, 10}));
    EXPECT_EQ(ids(p->GetFragmentationModifiers()), (std::vector<uint32_t>{12, 10}));
    EXPECT_EQ(p->GetPiercingEntries().size(), 4u);

    p->SetFilteredTargets({5, 6});
    for (const auto& record : p->GetModifiers())
        EXPECT_EQ(record->knownTargets, (std::vector<uint32_t>{5, 6}));

    std::vector<uint32_t> known{2}, out;
    ProjectileBase::FilterAndAddKnownTargets({1, 2, 3, 4}, known, out, false);
    EXPECT_EQ(out, (std::vector<uint32_t>{1, 3, 4}));
    EXPECT_EQ(known, (std::vector<uint32_t>{2, 1, 3, 4}));
    std::vector<uint32_t> first;
    std::vector<uint32_t> fresh;
    ProjectileBase::FilterAndAddKnownTargets({7, 8}, fresh, first, true);
    EXPECT_EQ(first, std::vector<uint32_t>{7});
}

TEST_F(ProjectileBaseTest, PathHitsAreReportedOncePerModifierAndNeverTheCaster)
{
    Skill* firing = MakeSkill();
    Skill* other = MakeSkill();
    Character* first = Monster(3);
    Character* second = Monster(6);
    ProjectileBase* p = Fire(firing->GetObjectId(), {0, 0, 0});
    ProjectileBase::ProjectileModifierStruct own;
    own.skillId = firing->GetObjectId();
    ProjectileBase::ProjectileModifierStruct added;
    added.skillId = other->GetObjectId();
    p->AddProjectileModifier(own);
    p->AddProjectileModifier(added);

    // The ray from the launch point (the caster stands there) to x = 7 passes both.
    MoveTo(p, {7, 0, 0});
    std::vector<uint32_t> hits;
    p->ProcessPathTargets(true, hits);
    EXPECT_EQ(hits, std::vector<uint32_t>{first->GetObjectId()});
    ASSERT_EQ(ReportsOf(other->GetObjectId()).size(), 1u);
    EXPECT_EQ(ReportsOf(other->GetObjectId())[0].targets, std::vector<uint32_t>{first->GetObjectId()});

    // Piercing: it comes back over both; the first is known, so only the second is new.
    MoveTo(p, {0, 0, 0});
    hits.clear();
    p->ProcessPathTargets(false, hits);
    EXPECT_EQ(hits, std::vector<uint32_t>{second->GetObjectId()});
    MoveTo(p, {8, 0, 0});
    hits.clear();
    p->ProcessPathTargets(false, hits);
    EXPECT_TRUE(hits.empty());
    int firstReported = 0;
    for (const TargetReport& report : ReportsOf(firing->GetObjectId()))
        firstReported += static_cast<int>(std::count(report.targets.begin(), report.targets.end(),
                                                     first->GetObjectId()));
    EXPECT_EQ(firstReported, 1);
    for (const TargetReport& report : gProjectileReports)
        EXPECT_EQ(std::count(report.targets.begin(), report.targets.end(), caster->GetObjectId()), 0);
}

TEST_F(ProjectileBaseTest, ExplosionsReportAllOrOnlyTheNewTargets)
{
    Skill* firing = MakeSkill();
    Character* near = Monster(2);
    Monster(20);
    ProjectileBase* p = Fire(firing->GetObjectId());
    EXPECT_FALSE(p->ProcessExplosion(true, p->GetCoords()));
    ProjectileBase::ProjectileModifierStruct blast;
    blast.skillId = firing->GetObjectId();
    blast.explosionRadius = 4.0f;
    p->AddProjectileModifier(blast);
    EXPECT_TRUE(p->ProcessExplosion(false, p->GetCoords()));
    EXPECT_TRUE(p->ProcessExplosion(false, p->GetCoords()));
    EXPECT_TRUE(p->ProcessExplosion(true, p->GetCoords()));
    const auto reports = ReportsOf(firing->GetObjectId());
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].targets, std::vector<uint32_t>{near->GetObjectId()});
    EXPECT_TRUE(reports[1].targets.empty());
    EXPECT_EQ(reports[2].targets, std::vector<uint32_t>{near->GetObjectId()});
}

TEST_F(ProjectileBaseTest, FragmentsSpreadAroundAndNeverReportTheStruckCreature)
{
    Skill* firing = MakeSkill();
    Character* struck = Monster(2);
    ProjectileBase* p = Fire(firing->GetObjectId());
    ProjectileBase::ProjectileModifierStruct split;
    split.skillId = firing->GetObjectId();
    split.fragmentProjectile = kFragment;
    split.fragmentsMin = 3;
    split.fragmentsMax = 3;
    split.explosionRadius = 5.0f;
    split.piercingChance = 25.0f;
    p->AddProjectileModifier(split);
    p->ProcessFragmentation(struck->GetObjectId(), p->GetCoords());
    ASSERT_EQ(gLaunched.size(), 3u);
    float previous = 0.0f;
    for (size_t i = 0; i < gLaunched.size(); ++i) {
        const ProjectileInfo& info = gLaunched[i]->GetInfo();
        const Vec3 facing = info.launchCoords.GetRegionCoords().zAxis;
        // Launched facing +x turned about the vertical: the angle from +x, 0 .. 360.
        float angle = std::atan2(-facing.z, facing.x) * 57.29578f;
        if (angle < 0.0f)
            angle += 360.0f;
        const float expected = 120.0f * static_cast<float>(i + 1);
        EXPECT_LE(std::fabs(std::remainder(angle - expected, 360.0f)), 30.0f * (i + 1) + 0.01f) << i;
        if (i > 0) {
            const float apart = std::remainder(angle - previous, 360.0f);
            EXPECT_GE(std::fabs(apart), 90.0f - 0.01f);
        }
        previous = angle;
        EXPECT_EQ(info.skillId, firing->GetObjectId());
        EXPECT_EQ(info.casterId, caster->GetObjectId());
        EXPECT_EQ(info.piercingChance, 25.0f);
        EXPECT_EQ(gLaunched[i]->GetExplosionModifiers().size(), 1u);
        // Its explosion around the struck creature reports nothing new.
        gProjectileReports.clear();
        gLaunched[i]->ProcessExplosion(false, struck->GetCoords());
        ASSERT_EQ(gProjectileReports.size(), 1u);
        EXPECT_TRUE(gProjectileReports[0].targets.empty());
    }
}

// A count a design may ask for (36) makes that many fragments; a million is cut to the
// bound with a log line, and a negative count makes none.
TEST_F(ProjectileBaseTest, FragmentCountsAreBoundedAndFailuresLogged)
{
    ProjectileBase* many = Fire(1);
    ProjectileBase::ProjectileModifierStruct designed;
    designed.skillId = 1;
    designed.fragmentProjectile = kFragment;
    designed.fragmentsMin = 36;
    designed.fragmentsMax = 36;
    many->AddProjectileModifier(designed);
    many->ProcessFragmentation(0, many->GetCoords());
    EXPECT_EQ(gLaunched.size(), 36u);
    gLaunched.clear();

    ProjectileBase* p = Fire(1);
    ProjectileBase::ProjectileModifierStruct huge = designed;
    huge.fragmentsMin = 1000000;
    huge.fragmentsMax = 1000000;
    ProjectileBase::ProjectileModifierStruct negative = huge;
    negative.fragmentsMin = static_cast<uint32_t>(-5);
    negative.fragmentsMax = static_cast<uint32_t>(-2);
    {
        LogCapture cut;
        p->AddProjectileModifier(huge);
        EXPECT_TRUE(cut.Contains("Projectile: a fragment count of 1000000 is cut to 256"));
    }
    p->AddProjectileModifier(negative);
    p->ProcessFragmentation(0, p->GetCoords());
    EXPECT_EQ(gLaunched.size(), ProjectileBase::kMaxFragments);

    ProjectileBase* q = Fire(1);
    ProjectileBase::ProjectileModifierStruct missing;
    missing.skillId = 1;
    missing.fragmentProjectile = "Records/Proj/Missing.dbr";
    missing.fragmentsMin = 2;
    missing.fragmentsMax = 2;
    q->AddProjectileModifier(missing);
    LogCapture log;
    q->ProcessFragmentation(0, q->GetCoords());
    int failures = 0;
    for (const std::string& line : log.Texts())
        failures += line.find("Failed to spawn projectile fragments (Records/Proj/Missing.dbr)") != std::string::npos;
    EXPECT_EQ(failures, 2);
}

TEST_F(ProjectileBaseTest, ClosestTargetCountsTheRadiusAndTheFirstOfEqualsWins)
{
    Character* a = Monster(4);
    Character* b = Monster(3);
    Character* c = Monster(3, kTeamMajorMonster, 0.0f);
    b->SetBoundingRadius(0.5f);
    c->SetBoundingRadius(0.5f);
    a->SetBoundingRadius(2.0f);   // 4 - 2 = 2 beats 3 - 0.5
    const WorldVec3 origin(region, {0, 0, 0});
    EXPECT_EQ(ProjectileBase::FindClosestTarget({999999, b->GetObjectId(), a->GetObjectId()}, origin),
              a->GetObjectId());
    EXPECT_EQ(ProjectileBase::FindClosestTarget({b->GetObjectId(), c->GetObjectId()}, origin), b->GetObjectId());
    EXPECT_EQ(ProjectileBase::FindClosestTarget({c->GetObjectId(), b->GetObjectId()}, origin), c->GetObjectId());
    EXPECT_EQ(ProjectileBase::FindClosestTarget({999999}, origin), 0u);
}

TEST_F(ProjectileBaseTest, FragmentRollsFromAFixedSeedAreGolden)
{
    // The count, each fragment's turn and each fragment's seed come from the projectile's
    // generator in that order, so every peer makes the same fragments.
    ProjectileBase* p = Fire(1, {0, 0, 0}, kArrow, 4242);
    ProjectileBase::ProjectileModifierStruct split;
    split.skillId = 1;
    split.fragmentProjectile = kFragment;
    split.fragmentsMin = 2;
    split.fragmentsMax = 6;
    p->AddProjectileModifier(split);
    p->ProcessFragmentation(0, p->GetCoords());
    std::vector<int> angles;
    std::vector<int> firstRolls;
    for (ProjectileBase* fragment : gLaunched) {
        const Vec3 facing = fragment->GetInfo().launchCoords.GetRegionCoords().zAxis;
        angles.push_back(static_cast<int>(std::lround(std::atan2(-facing.z, facing.x) * 57.29578f)));
        firstRolls.push_back(fragment->GetRandom().IGenerate(0, 1000));
    }
    std::string golden;
    for (size_t i = 0; i < angles.size(); ++i)
        golden += std::to_string(angles[i]) + ":" + std::to_string(firstRolls[i]) + " ";
    EXPECT_EQ(golden, "47:345 81:444 170:475 -150:139 -92:520 -31:933 ");
}

TEST_F(ProjectileBaseTest, AFumblingCasterDeflectsTheShotByTheRolledAngles)
{
    DurationDamageManager& damage = caster->GetCombatManager().GetDurationDamageMgr();
    damage.AddFixedDamage(CombatAttributeType_ProjectileFumble, 100.0f, 60.0f);
    damage.EndAttack();
    ASSERT_EQ(caster->GetProjectileFumbleDamage(), 100.0f);
    int deflected = 0;
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        ProjectileBase* arrow = Fire(1, {0, 1, 0}, kArrow, seed);
        arrow->MoveStraightLine(WorldVec3(region, {10, 1, 0}));
        const Vec3 velocity = arrow->GetLinearVelocity();
        ASSERT_NEAR(velocity.Length(), 10.0f, 1e-3f);
        const float degrees = std::acos(std::clamp(velocity.x / 10.0f, -1.0f, 1.0f)) * 57.29578f;
        // Yaw 10 .. 20 and pitch 5 .. 10, either negated; or neither turned.
        if (degrees > 0.5f) {
            ++deflected;
            EXPECT_GE(degrees, 5.0f - 0.01f) << seed;
            EXPECT_LE(degrees, 22.5f) << seed;
        }
    }
    EXPECT_GE(deflected, 4);
}
