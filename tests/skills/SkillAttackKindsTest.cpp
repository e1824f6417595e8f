// The attack kinds in their two halves: what the driving peer sends, and what every peer
// makes of the command under the sent ids; and the boss's light and mirage.
#include <gtest/gtest.h>

#include <cmath>

#include "characters/CharacterWorldFixture.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/Team.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/SkillAttackKinds.h"
#include "Game/skills/SkillVudezuv.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {
namespace {

constexpr const char* kBolt = "Records/Test/Bolt.dbr";

class SkillAttackKindsTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kBolt, "Class,ProjectileBase,\nprojectileVelocity,10,\n");
        records.RegisterRecord("Records/Controllers/Monster/DefaultControllerAI.dbr", "Class,ControllerMonster,\n");
        records.RegisterRecord("Records/Test/Imp.dbr", "Class,Monster,\ncharacterLife,10,\n");
        caster = Member(0.0f, kTeamMajorHuman);
        owner.parent = caster;
        owner.services = &owner;
    }
    template <class T>
    T* MakeSkill(const std::string& lines, unsigned level = 1)
    {
        const std::string name = "Records/Test/Attack" + std::to_string(++skills) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + T::GetStaticClassInfo().GetName() +
                                                       ",\nskillMaxLevel,5,\nskillProjectileName," + kBolt +
                                                       ",\n" + lines);
        T* skill = ObjectManager::Get().CreateObjectFromFile<T>(name);
        if (skill) {
            skill->SetManager(&owner);
            skill->SetSkillLevel(level);
        }
        return skill;
    }
    // At x on the x axis (z across), facing +x.
    Character* Member(float x, uint32_t major, float z = 0.0f, const char* kind = "Monster")
    {
        return OnTeam(major, x, z, "characterLife,100,\n", kind);
    }
    // The turn of a frame's facing from the caster's, in degrees about the vertical.
    float TurnOf(const WorldCoords& coords) const
    {
        const Vec3 facing = caster->GetCoords().GetRegionCoords().zAxis;
        const Vec3 shot = coords.GetRegionCoords().zAxis;
        return std::atan2(Dot(Cross(facing, shot), Vec3{0, 1, 0}), Dot(facing, shot)) * 57.29578f;
    }

    FakeOwner owner;
    Character* caster = nullptr;
    int skills = 0;
};

TEST_F(SkillAttackKindsTest, ARingSpreadsItsShotsAndEveryPeerMakesThemUnderTheSentIds)
{
    auto* ring = MakeSkill<Skill_AttackProjectileRing>("projectileLaunchNumber,5,\nprojectileLaunchRotation,180,\n");
    ASSERT_NE(ring, nullptr);
    unsigned target = 77;
    EXPECT_TRUE(ring->GetValidTarget(*caster, target, At(1.0f), false, 0.0f));
    EXPECT_EQ(target, 0u);
    ring->ActivateNow(*caster, Name(), 0, At(5.0f));
    ASSERT_EQ(owner.spawns.size(), 1u);
    const FakeOwner::Spawn spawn = owner.spawns[0];
    ASSERT_EQ(spawn.places.size(), 5u);
    ASSERT_EQ(spawn.ids.size(), 5u);
    const float expected[] = {-90.0f, -54.0f, -18.0f, 18.0f, 54.0f};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(TurnOf(spawn.places[i]), expected[i], 0.01f) << i;
        EXPECT_FLOAT_EQ(spawn.places[i].GetRegionCoords().origin.y, 1.0f);
    }

    // The receiving peer makes each shot under its id, seeded alike, flying along its facing.
    ring->SkillSpawnObject(*caster, spawn.coords, 0, spawn.places, spawn.ids, 99);
    for (size_t i = 0; i < 5; ++i) {
        const auto* shot = ObjectManager::Get().GetObject<ProjectileBase>(spawn.ids[i]);
        ASSERT_NE(shot, nullptr) << i;
        EXPECT_EQ(shot->GetInfo().skillId, ring->GetObjectId());
        EXPECT_EQ(shot->GetInfo().casterId, caster->GetObjectId());
        EXPECT_EQ(shot->GetInfo().targetPoint, spawn.places[i].GetPosition());
    }

    // A fan keeps its target; no shots count as one, at minus half the rotation.
    auto* fan = MakeSkill<Skill_AttackProjectileFan>("projectileLaunchNumber,0,\nprojectileLaunchRotation,180,\n");
    ASSERT_NE(fan, nullptr);
    EXPECT_TRUE(fan->GetValidTarget(*caster, target = 77, At(1.0f), false, 0.0f));
    EXPECT_EQ(target, 77u);
    fan->ActivateNow(*caster, Name(), 0, At(5.0f));
    ASSERT_EQ(owner.spawns.size(), 2u);
    ASSERT_EQ(owner.spawns[1].places.size(), 1u);
    EXPECT_NEAR(TurnOf(owner.spawns[1].places[0]), -90.0f, 0.01f);
}

TEST_F(SkillAttackKindsTest, CountsFromRecordsAndPeersAreBounded)
{
    // A record asking for a flood of shots, and one with a negative count.
    auto* ring = MakeSkill<Skill_AttackProjectileRing>("projectileLaunchNumber,100000,\nprojectileLaunchRotation,90,\n");
    ASSERT_NE(ring, nullptr);
    ring->ActivateNow(*caster, Name(), 0, At(5.0f));
    ASSERT_EQ(owner.spawns.size(), 1u);
    EXPECT_EQ(owner.spawns[0].ids.size(), kMaxAttackLaunchNumber);
    auto* negative = MakeSkill<Skill_AttackProjectileRing>("projectileLaunchNumber,-4,\n");
    ASSERT_NE(negative, nullptr);
    negative->ActivateNow(*caster, Name(), 0, At(5.0f));
    ASSERT_EQ(owner.spawns.size(), 2u);
    EXPECT_EQ(owner.spawns[1].ids.size(), 1u);

    // A peer's command naming too many ids, ids already taken, or none, makes nothing for those.
    std::vector<uint32_t> ids = FreshIds(kMaxSpawnedPerCommand + 20);
    ids[0] = caster->GetObjectId();
    ids[1] = 0;
    ids[2] = ids[3];
    const size_t before = ObjectManager::Get().GetObjectCount();
    ring->SkillSpawnObject(*caster, caster->GetCoords(), 0, {}, ids, 5);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before + kMaxSpawnedPerCommand - 3);
    EXPECT_EQ(ObjectManager::Get().GetObject<ProjectileBase>(ids.back()), nullptr);

    // The same for a single creation command: a taken id or id 0 makes no projectile.
    auto* bolt = MakeSkill<Skill_AttackProjectile>("");
    ASSERT_NE(bolt, nullptr);
    const size_t withSkill = ObjectManager::Get().GetObjectCount();
    bolt->CreateProjectile(*caster, caster->GetCoords(), 0, At(5.0f), 0, caster->GetObjectId(), 1);
    bolt->CreateProjectile(*caster, caster->GetCoords(), 0, At(5.0f), 0, 0, 1);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), withSkill);
}

TEST_F(SkillAttackKindsTest, ABurstFiresAtTheAimThenTheRestAtRandomIntervals)
{
    auto* burst = MakeSkill<Skill_AttackProjectileBurst>("projectileLaunchNumber,4,\nprojectileLaunchRotation,20,\n");
    ASSERT_NE(burst, nullptr);
    Character* foe = Member(10.0f, kTeamMajorMonster, 3.0f);
    burst->ActivateNow(*caster, Name(), foe->GetObjectId(), At(0.0f));
    ASSERT_EQ(owner.shots.size(), 1u);
    EXPECT_EQ(owner.shots[0].targetId, foe->GetObjectId());
    EXPECT_EQ(owner.shots[0].point, foe->GetCoords().GetPosition());
    EXPECT_EQ(burst->GetRemainingShots(), 3);
    int elapsed = 0;
    while (owner.shots.size() < 4 && elapsed < 1000) {
        const size_t shots = owner.shots.size();
        const int timer = burst->GetShotTimer();
        EXPECT_GE(timer, 0);
        EXPECT_LE(timer, 100);
        burst->Update(*caster, 10);
        elapsed += 10;
        if (owner.shots.size() > shots) {
            EXPECT_LT(timer - 10, 0);
            EXPECT_EQ(owner.shots.back().targetId, 0u);
            EXPECT_EQ(owner.shots.back().hit, 0u);
            EXPECT_LE(std::fabs(TurnOf(owner.shots.back().launch) - TurnOf(owner.shots[0].launch)), 20.01f);
        }
    }
    EXPECT_EQ(owner.shots.size(), 4u);
    EXPECT_LE(elapsed, 340);
    burst->Update(*caster, 500);
    EXPECT_EQ(owner.shots.size(), 4u);
}

TEST_F(SkillAttackKindsTest, AnAreaLastsWholeSecondsAndADebuffTakesItsLevelsProjectile)
{
    auto* area = MakeSkill<Skill_AttackProjectileAreaEffect>("skillActiveDuration,2.7,\n");
    ASSERT_NE(area, nullptr);
    area->ActivateNow(*caster, Name(), 0, At(4.0f));
    ASSERT_EQ(owner.shots.size(), 1u);
    const uint32_t id = ObjectManager::Get().CreateObjectID();
    area->CreateProjectile(*caster, owner.shots[0].launch, 0, owner.shots[0].point, 0, id, owner.shots[0].seed);
    const auto* projectile = ObjectManager::Get().GetObject<ProjectileBase>(id);
    ASSERT_NE(projectile, nullptr);
    EXPECT_EQ(projectile->GetInfo().areaDuration, 2);

    RecordDatabase::Get().RegisterRecord("Records/Test/Weak.dbr", "Class,Skill,\nskillMaxLevel,5,\n");
    auto* debuf = MakeSkill<Skill_AttackProjectileDebuf>(
        "projectileNames,a.dbr;b.dbr;c.dbr,\nbuffSkillName,Records/Test/Weak.dbr,\n", 5);
    ASSERT_NE(debuf, nullptr);
    EXPECT_EQ(debuf->GetProjectileName(), "c.dbr");
    EXPECT_EQ(debuf->GetBuffSkillName(), "records\\test\\weak.dbr");
    EXPECT_EQ(std::string(debuf->GetResourceName().c_str()), "records\\test\\weak.dbr");
}

TEST_F(SkillAttackKindsTest, AnAttackBuffReachesTwentyUnitsAndTheRadiusKindTheFoesAround)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Weak.dbr",
                                         "Class,Skill,\nskillMaxLevel,5,\nskillTargetRadius,5,\n");
    auto* buff = MakeSkill<Skill_AttackBuff>("buffSkillName,Records/Test/Weak.dbr,\n");
    ASSERT_NE(buff, nullptr);
    Character* far = Member(25.0f + 2.0f * caster->GetExtents(), kTeamMajorMonster);
    Character* near = Member(10.0f, kTeamMajorMonster);
    buff->ActivateNow(*caster, Name(), far->GetObjectId(), At(0.0f));
    EXPECT_TRUE(owner.results.empty());
    buff->ActivateNow(*caster, Name(), near->GetObjectId(), At(0.0f));
    ASSERT_EQ(owner.results.size(), 1u);
    EXPECT_EQ(owner.results[0].targets, std::vector<uint32_t>{near->GetObjectId()});

    // The radius kind takes the buff record's radius: the foes around the target.
    Character* beside = Member(12.0f, kTeamMajorMonster);
    Member(12.0f, kTeamMajorHuman, 1.0f);   // a friend is left out
    Frame();                                 // the searches take updated characters only
    auto* radius = MakeSkill<Skill_AttackBuffRadius>("buffSkillName,Records/Test/Weak.dbr,\n");
    ASSERT_NE(radius, nullptr);
    EXPECT_EQ(buff->GetKindText(), "^bNegative Buff Enemy");
    EXPECT_EQ(radius->GetKindText(), "^bNegative Buff Enemies in Radius");
    radius->ActivateNow(*caster, Name(), near->GetObjectId(), At(0.0f));
    ASSERT_EQ(owner.results.size(), 2u);
    std::vector<uint32_t> targets = owner.results[1].targets;
    std::sort(targets.begin(), targets.end());
    std::vector<uint32_t> expected{near->GetObjectId(), beside->GetObjectId()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(targets, expected);
}

TEST_F(SkillAttackKindsTest, APetSpawningShotSummonsAtItsImpactAndALimitOfThreeKillsTheOldest)
{
    auto* skill = MakeSkill<Skill_AttackProjectileSpawnPet>(
        "spawnObjects,Records/Test/Imp.dbr,\npetBurstSpawn,2,\npetLimit,3,\n");
    ASSERT_NE(skill, nullptr);
    ProjectileInfo info;
    info.casterId = caster->GetObjectId();
    skill->TargetInformation(info, WorldCoords(region, Coords::MakeTranslation({8, 0, 0})), {});
    ASSERT_EQ(owner.spawns.size(), 1u);
    ASSERT_EQ(owner.spawns[0].ids.size(), 2u);
    EXPECT_EQ(owner.spawns[0].places[0].GetPosition(), At(8.0f));

    std::vector<uint32_t> made;
    for (int cast = 0; cast < 4; ++cast) {
        const std::vector<uint32_t> ids = FreshIds(1);
        skill->SkillSpawnObject(*caster, caster->GetCoords(), 0, {}, ids, 1);
        made.push_back(ids[0]);
        auto* pet = ObjectManager::Get().GetObject<Character>(ids[0]);
        ASSERT_NE(pet, nullptr);
        auto* mind = DynamicCast<ControllerCombat>(ObjectManager::Get().CreateObject("ControllerMonster"));
        mind->AttachParent(pet->GetObjectId());
        pet->SetControllerId(mind->GetObjectId());
    }
    EXPECT_EQ(skill->GetPets(), (std::vector<uint32_t>{made[1], made[2], made[3]}));
    EXPECT_FALSE(ObjectManager::Get().GetObject<Character>(made[0])->IsAlive());
    skill->StopSkill(*caster);
    EXPECT_TRUE(skill->GetPets().empty());
    EXPECT_FALSE(ObjectManager::Get().GetObject<Character>(made[3])->IsAlive());
}

TEST_F(SkillAttackKindsTest, TheLightStrikesMarkersWithinFortyUnits)
{
    auto* light = MakeSkill<Skill_VudezuvLightOfRa>("");
    ASSERT_NE(light, nullptr);
    caster->SetPathPosition(caster->GetCoords().GetPosition());
    std::vector<uint32_t> markers;
    for (float x : {10.0f, 30.0f, 45.0f}) {
        auto* marker = DynamicCast<LightOfRaMarker>(ObjectManager::Get().CreateObject("LightOfRaMarker"));
        ASSERT_NE(marker, nullptr);
        EXPECT_FALSE(marker->GetVisibility());
        ASSERT_TRUE(World::Get().AddEntity(marker, WorldCoords(region, Coords::MakeTranslation({x, 0, 0}))));
        markers.push_back(marker->GetObjectId());
    }
    owner.IncHitIteration();   // the cast's hit: its first strike alone pays
    light->ActivateNow(*caster, Name(), 0, At(0.0f));
    ASSERT_EQ(owner.shots.size(), 2u);
    EXPECT_EQ(owner.shots[0].point, At(10.0f));
    EXPECT_EQ(owner.shots[1].point, At(30.0f));
    EXPECT_EQ(owner.shots[0].hit, 1u);
    EXPECT_EQ(owner.shots[1].hit, 0u);
    owner.services = nullptr;
    light->ActivateNow(*caster, Name(), 0, At(0.0f));
    EXPECT_EQ(owner.shots.size(), 2u);
}

TEST_F(SkillAttackKindsTest, TheMirageWaitsForItsCopiesAndBlindsThePlayersAround)
{
    auto* mirage = MakeSkill<Skill_VudezuvMirage>("spawnObjects,Records/Test/Imp.dbr,\n");
    ASSERT_NE(mirage, nullptr);
    // One place: the boss stays where it stands.
    std::vector<WorldVec3> one{At(5.0f)};
    EXPECT_EQ(mirage->GetNewCasterCoords(*caster, one).GetPosition(), caster->GetCoords().GetPosition());
    EXPECT_EQ(one.size(), 1u);

    auto* player = DynamicCast<Player>(Member(40.0f, kTeamMajorMonster, 0.0f, "Player"));
    ASSERT_NE(player, nullptr);
    Character* foe = Member(20.0f, kTeamMajorMonster);
    auto* mind = DynamicCast<ControllerPlayer>(ObjectManager::Get().CreateObject("ControllerPlayer"));
    ASSERT_NE(mind, nullptr);
    mind->AttachParent(player->GetObjectId());
    player->SetControllerId(mind->GetObjectId());
    mind->SetTarget(foe->GetObjectId());
    EXPECT_TRUE(mirage->SetAvailability(true, true));
    const std::vector<uint32_t> ids = FreshIds(2);
    mirage->SkillSpawnObject(*caster, caster->GetCoords(), 0, {}, ids, 3);
    ASSERT_EQ(mirage->GetPets(), ids);
    EXPECT_EQ(ObjectManager::Get().GetObject<Monster>(ids[0])->GetUIActorDescriptionRedirectId(),
              caster->GetObjectId());
    EXPECT_FALSE(mirage->SetAvailability(true, true));
    EXPECT_EQ(mind->GetTarget(), 0u);
}

}  // namespace
}  // namespace GAME
