// The wind volume's grass wind, the boss set's innermost sphere, and the boxes and picking
// the editor uses for volumes and nested sets.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "Engine/GameServices.h"
#include "Game/characters/Monster.h"
#include "Game/world/BoundingVolume.h"
#include "Game/world/BoundingVolumeBossMonster.h"
#include "Game/world/BoundingVolumeMultiple.h"
#include "world/WorldFixture.h"

namespace GAME {
namespace {

class VolumeWindBossAndBoxesTest : public WorldObjectTest {
protected:
    Player* PlayerAt(float x)
    {
        Player* player = MakeMainPlayer();
        EXPECT_TRUE(World::Get().AddEntity(player, At(x)));
        return player;
    }
};

TEST_F(VolumeWindBossAndBoxesTest, WindBlowsOnlyWhileSwitchedOnAndFollowsTheVolume)
{
    Record("Records/Test/Wind.dbr", "Class,BoundingVolumeWind,\nradius,6,\n");
    auto* wind = Make<BoundingVolumeWind>("Records/Test/Wind.dbr");
    ASSERT_NE(wind, nullptr);
    ASSERT_TRUE(World::Get().AddEntity(wind, At(3.0f)));
    Frame();
    EXPECT_TRUE(World::Get().GetGrassWinds().empty()) << "off as it starts";

    wind->SetWindOn(true);
    Frame();
    World::Get().SetCoords(wind, At(8.0f));
    Frame();
    ASSERT_EQ(World::Get().GetGrassWinds().size(), 1u) << "one wind per volume, moved by each update";
    const GrassWind& blowing = World::Get().GetGrassWinds().front();
    EXPECT_EQ(blowing.sourceId, wind->GetObjectId());
    EXPECT_FLOAT_EQ(blowing.strength, 5.0f);
    EXPECT_FLOAT_EQ(blowing.radius, 6.0f);
    EXPECT_FLOAT_EQ(blowing.position.x, 8.0f);
    EXPECT_EQ(blowing.direction, Vec2(5.0f, 0.0f));
    EXPECT_EQ(blowing.region, region);

    wind->SetWindOn(false);
    EXPECT_TRUE(World::Get().GetGrassWinds().empty());
    wind->SetWindOn(true);
    Frame();
    World::Get().RemoveEntity(wind);
    ObjectManager::Get().DestroyObjectEx(wind, "test", __LINE__);
    Frame();
    EXPECT_TRUE(World::Get().GetGrassWinds().empty()) << "a destroyed volume's wind stops";
}

TEST_F(VolumeWindBossAndBoxesTest, TheWorldRefusesGrassWindWithoutRegionOrNumbersAndBeyondItsBound)
{
    World& world = World::Get();
    EXPECT_FALSE(world.CreateGrassWind(1, NAN, 2.0f, Vec3(), Vec2(1, 0), region));
    EXPECT_FALSE(world.CreateGrassWind(1, 1.0f, 2.0f, Vec3(INFINITY, 0, 0), Vec2(1, 0), region));
    EXPECT_FALSE(world.CreateGrassWind(1, 1.0f, 2.0f, Vec3(), Vec2(1, 0), nullptr));
    EXPECT_TRUE(world.GetGrassWinds().empty());
    for (uint32_t id = 1; id <= World::kMaxGrassWinds; ++id)
        ASSERT_TRUE(world.CreateGrassWind(id, 1.0f, 2.0f, Vec3(), Vec2(1, 0), region));
    EXPECT_FALSE(world.CreateGrassWind(9999, 1.0f, 2.0f, Vec3(), Vec2(1, 0), region));
    EXPECT_TRUE(world.CreateGrassWind(7, 3.0f, 2.0f, Vec3(), Vec2(3, 0), region)) << "a blowing source still moves";
    EXPECT_EQ(world.GetGrassWinds().size(), World::kMaxGrassWinds);
    EXPECT_FLOAT_EQ(world.GetGrassWinds()[6].strength, 3.0f);
}

TEST_F(VolumeWindBossAndBoxesTest, TheBossSetsInnermostSphereStartsItsMusicOnlyForALivingBoss)
{
    Record("Records/Test/BossSet.dbr", "Class,BoundingVolumeBossMonster,\nboundingVolumeRadius1,2,\n"
                                       "boundingVolumeRadius2,4,\nboundingVolumeRadius3,8,\n"
                                       "bossEventMusic,Music/Boss.mp3,\n");
    Record("Records/Test/Boss.dbr", "Class,Monster,\ncharacterLife,100,\n");
    enum class Boss { Living, Dead, Gone };
    Player* player = PlayerAt(-100.0f);
    float x = 0.0f;
    for (const Boss kind : {Boss::Living, Boss::Dead, Boss::Gone}) {
        SCOPED_TRACE(static_cast<int>(kind));
        x += 100.0f;   // each case's boss stands apart
        Jukebox::Get().Reset();
        auto* set = Make<BoundingVolumeBossMonster>("Records/Test/BossSet.dbr");
        auto* boss = Make<Monster>("Records/Test/Boss.dbr");
        ASSERT_TRUE(set && boss);
        ASSERT_TRUE(World::Get().AddEntity(boss, At(x)));
        set->SetBossId(kind == Boss::Gone ? 0xFFFFFFu : boss->GetObjectId());
        set->AttachVolumes(boss);
        if (kind == Boss::Dead)
            boss->SetLifeState(Character_LifeState_Dead);
        Frame();
        World::Get().SetCoords(player, At(x + 1.0f));
        Frame();
        const bool living = kind == Boss::Living;
        EXPECT_EQ(Jukebox::Get().GetEventMusic(), living ? "Music/Boss.mp3" : "");
        EXPECT_EQ(set->IsDone(), living);
    }
}

TEST_F(VolumeWindBossAndBoxesTest, EditorBoxesAndPickingOfVolumesAndSets)
{
    Record("Records/Test/Box.dbr", "Class,BoundingVolume,\nradius,3,\n");
    auto* volume = Make<BoundingVolume>("Records/Test/Box.dbr");
    ASSERT_TRUE(World::Get().AddEntity(volume, WorldCoords(region, Coords::MakeTranslation({4, 0, 0}))));
    const OBBox box = volume->GetCollisionBox(0);
    EXPECT_EQ(box.coords.origin, Vec3(4, 0, 0));
    EXPECT_EQ(box.coords.xAxis, Vec3(1, 0, 0));
    EXPECT_EQ(box.extents, Vec3(3, 3, 3));

    // A set of radii 2 and 5 turned 45 degrees about the vertical: its reach is 6.
    Record("Records/Test/Set.dbr", "Class,BoundingVolumeMultiple,\nboundingVolumeRadius1,5,\nboundingVolumeRadius3,2,\n");
    auto* set = Make<BoundingVolumeMultiple>("Records/Test/Set.dbr");
    Coords turned = Coords::MakeRotation({0, 1, 0}, std::numbers::pi_v<float> / 4.0f);
    turned.origin = Vec3(-10, 0, 0);
    ASSERT_TRUE(World::Get().AddEntity(set, WorldCoords(region, turned)));
    set->AttachVolumes(set);
    const ABBox around = set->GetRegionBox();
    EXPECT_EQ(around.center, Vec3(-10, 0, 0));
    EXPECT_NEAR(around.extents.x, 6.0f * std::sqrt(2.0f), 1e-4f);
    EXPECT_NEAR(around.extents.y, 6.0f, 1e-4f);
    EXPECT_NEAR(around.extents.z, 6.0f * std::sqrt(2.0f), 1e-4f);
    const OBBox collision = set->GetCollisionBox(0);
    EXPECT_NEAR(collision.extents.x, 30.0f * std::sqrt(2.0f), 1e-3f) << "the region box's half sides times 5";
    EXPECT_NEAR(collision.coords.xAxis.x, turned.xAxis.x, 1e-6f);
    EXPECT_NEAR(set->GetRegionBoundingBox().extents.x, 6.0f * std::sqrt(2.0f), 1e-4f) << "the set's own box";
    EXPECT_EQ(volume->GetRegionBoundingBox().extents, Vec3(3, 3, 3));
    auto* empty = DynamicCast<BoundingVolumeMultiple>(ObjectManager::Get().CreateObject("BoundingVolumeMultiple"));
    EXPECT_EQ(empty->GetCollisionBox(0).extents, Vec3()) << "no spheres, no box";
    // A set is a plain entity of the class tree, its kinds too.
    EXPECT_STREQ(BoundingVolumeMultiple::GetStaticClassInfo().GetParent()->GetName(), "Entity");
    EXPECT_TRUE(set->IsA<Entity>());
    EXPECT_FALSE(set->IsA<Actor>());
    Object* boss = ObjectManager::Get().CreateObject("BoundingVolumeBossMonster");
    ASSERT_NE(boss, nullptr);
    EXPECT_FALSE(boss->IsA<Actor>());
    ObjectManager::Get().DestroyObjectEx(boss, "test", __LINE__);

    // Picking: only in the editor and for a picking surface.
    const WorldRay ray{WorldVec3(region, Vec3(-30, 0, 0)), Vec3(1, 0, 0)};
    float distance = 0.0f;
    WorldVec3 hit;
    EXPECT_FALSE(set->GetIntersection(ray, 1, distance, hit));
    gEngine->SetEditorMode(true);
    EXPECT_FALSE(set->GetIntersection(ray, 0, distance, hit));
    ASSERT_TRUE(set->GetIntersection(ray, 1, distance, hit));
    EXPECT_NEAR(distance, 14.0f, 1e-4f);
    EXPECT_NEAR(hit.GetRegionPosition().x, -16.0f, 1e-4f);
    ASSERT_TRUE(volume->GetIntersection(ray, 1, distance, hit));
    EXPECT_NEAR(distance, 31.0f, 1e-4f);
    ObjectManager::Get().DestroyObjectEx(empty, "test", __LINE__);
}

}  // namespace
}  // namespace GAME
