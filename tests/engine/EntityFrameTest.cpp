// Plain entities that ask for a frame, the region box an entity keeps, its unique id, and
// the mesh an actor shows (box, hit boxes, scene entries, dissolve).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GameServices.h"
#include "Engine/GraphicsMesh.h"
#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "Engine/UniqueIdMap.h"
#include "Engine/World.h"

using namespace GAME;

namespace {

std::vector<std::string> gSteps;

// A plain entity with a frame: records each step of it, and can leave the world in one.
class FramedEntity : public Entity {
    GAME_DECLARE_CLASS(FramedEntity)

public:
    FramedEntity() { SetFrameUpdate(true); }
    std::string tag;
    bool leaveInUpdate = false;
    int boxUpdates = 0;

    void InitialUpdate() override { gSteps.push_back(tag + ":init"); }
    void UpdateSelf(int ms) override
    {
        gSteps.push_back(tag + ":self" + std::to_string(ms));
        if (leaveInUpdate)
            World::Get().RemoveEntity(this);
    }
    void AnimationCallback(const Name& event) override { gSteps.push_back(tag + ":event " + event.c_str()); }
    void AddToScene() override { gSteps.push_back(tag + ":scene"); }
    // A box of half size 2 around the position, whatever the radius.
    void UpdateBoundingBox() override
    {
        ++boxUpdates;
        SetRegionBoundingBox(OBBox(Coords::MakeTranslation(GetCoords().GetRegionCoords().origin), Vec3{2, 2, 2}));
    }
};
GAME_IMPLEMENT_CLASS(FramedEntity, Entity)

class EntityFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gSteps.clear();
        Journal::Get().Clear();
        home = World::Get().AddRegion(1, "Home", Vec3{100, 0, 0});
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        UniqueIdMap::Get().Clear();
    }
    template <class T>
    T* Place(const char* cls, const Coords& at = Coords())
    {
        auto* made = DynamicCast<T>(ObjectManager::Get().CreateObject(cls));
        World::Get().AddEntity(made, WorldCoords(home, at));
        return made;
    }
    Region* home = nullptr;
};

}  // namespace

TEST_F(EntityFrameTest, AnEntityThatAsksForAFrameIsWalkedInOrderAndOthersAreNot)
{
    auto* a = Place<FramedEntity>("FramedEntity");
    a->tag = "a";
    Place<Entity>("Light");
    auto* b = Place<FramedEntity>("FramedEntity");
    b->tag = "b";
    b->leaveInUpdate = true;   // no animation step, no scene entry after it leaves
    GraphicsAnim once("once.anm");
    const std::string text = "length,2,\nframerate,10,\nevent,0,Start,\n";
    ASSERT_TRUE(once.Parse(text.data(), text.size(), "once.anm"));
    a->PlayAnimation(0, &once, false, 1.0f, 0);
    gEngine->UpdateFrame(100);
    gEngine->UpdateFrame(100);
    EXPECT_EQ((std::vector<std::string>{"a:init", "a:self100", "a:event Start", "a:scene", "b:init", "b:self100",
                                        "a:self100", "a:event End", "a:scene"}),
              gSteps);
    EXPECT_TRUE(a->HasHadInitialUpdate());
    EXPECT_FALSE(DynamicCast<Entity>(ObjectManager::Get().CreateObject("Light"))->WantsFrameUpdate());
}

TEST_F(EntityFrameTest, TheRegionBoxFollowsPlacementRadiusAndKindsOwnBox)
{
    auto* plain = DynamicCast<Entity>(ObjectManager::Get().CreateObject("Light"));
    plain->SetBoundingRadius(3.0f);
    World::Get().AddEntity(plain, WorldCoords(home, Coords::MakeTranslation(Vec3{1, 2, 3})));
    EXPECT_EQ(plain->GetRegionBoundingBox().coords.origin, (Vec3{1, 2, 3}));
    EXPECT_EQ(plain->GetRegionBoundingBox().extents, (Vec3{3, 3, 3}));
    plain->SetBoundingRadius(-1.0f);
    EXPECT_EQ(plain->GetRegionBoundingBox().extents, (Vec3{0, 0, 0}));

    auto* own = Place<FramedEntity>("FramedEntity");
    World::Get().SetCoords(own, WorldCoords(home, Coords::MakeTranslation(Vec3{5, 0, 0})));
    EXPECT_EQ(own->boxUpdates, 2);
    EXPECT_EQ(own->GetRegionBoundingBox().coords.origin, (Vec3{5, 0, 0}));
    EXPECT_EQ(own->GetRegionBoundingBox().extents, (Vec3{2, 2, 2}));
}

TEST_F(EntityFrameTest, EnsureUniqueIdMakesOneIdOnceAndEntersIt)
{
    auto* entity = Place<Entity>("Light");
    const UniqueId id = entity->EnsureUniqueID();
    EXPECT_FALSE(id == UniqueId());
    EXPECT_EQ(UniqueIdMap::Get().GetEntity(id), entity);
    EXPECT_EQ(entity->EnsureUniqueID(), id);
    EXPECT_EQ(Journal::Get().Count("Entity::EnsureUniqueID", entity->GetObjectId()), 1u);
}

TEST_F(EntityFrameTest, AnActorsMeshStandsWhereItDoesEntersTheSceneAndDissolves)
{
    ABBox box;
    box.center = Vec3{0, 1, 0};
    box.extents = Vec3{1.5f, 1, 0.25f};
    GraphicsEngine::Get()->RegisterMesh("Test/Door.msh", box, {box, box});
    EXPECT_EQ(GraphicsEngine::Get()->GetMesh("test\\door.msh")->GetNumHitBoxes(), 2u);
    EXPECT_EQ(GraphicsEngine::Get()->GetMesh("Test/Unknown.msh")->GetNumHitBoxes(), 1u);
    EXPECT_EQ(GraphicsEngine::Get()->GetMesh("Test/Unknown.msh")->GetObjectSpaceBoundingBox().extents,
              (Vec3{0.5f, 0.5f, 0.5f}));

    // Turned a quarter about the vertical: the box's centre moves with the frame, its half
    // extents stay along the box's own axes.
    Coords turned = Coords::MakeRotation(Vec3{0, 1, 0}, 1.5707964f);
    turned.origin = Vec3{4, 0, 0};
    auto* door = Place<Actor>("Actor", turned);
    EXPECT_EQ(door->GetMeshInstance().GetMesh(), nullptr);
    EXPECT_EQ(door->GetMeshInstance().GetRegionSpaceBoundingBox().extents, (Vec3{0, 0, 0}));
    door->SetOwnMesh("Test/Door.msh");
    const OBBox standing = door->GetMeshInstance().GetRegionSpaceBoundingBox();
    EXPECT_EQ(standing.extents, (Vec3{1.5f, 1, 0.25f}));
    EXPECT_FLOAT_EQ(standing.coords.origin.x, 4.0f);
    EXPECT_FLOAT_EQ(standing.coords.origin.y, 1.0f);
    EXPECT_NEAR(standing.coords.xAxis.z, -1.0f, 1e-6f);

    // Hit box 1 stands where the mesh instance stands; a plain entity collides as its box
    // and picks nothing.
    const OBBox hit = door->GetCollisionBox(1);
    EXPECT_EQ(hit.extents, (Vec3{1.5f, 1, 0.25f}));
    EXPECT_FLOAT_EQ(hit.coords.origin.y, 1.0f);
    auto* plain = Place<Entity>("Light");
    EXPECT_EQ(plain->GetCollisionBox(0).extents, plain->GetRegionBoundingBox().extents);
    float distance = -1.0f;
    WorldVec3 point;
    EXPECT_FALSE(plain->GetIntersection(WorldRay{WorldVec3(home, Vec3{}), Vec3{1, 0, 0}}, 1, distance, point));
    EXPECT_EQ(distance, -1.0f);

    gEngine->UpdateFrame(16);
    EXPECT_EQ(door->GetMeshInstance().GetSceneCount(), 1u);   // drawn by the walk
    door->GetMeshInstance().AddToScene(home);
    EXPECT_EQ(door->GetMeshInstance().GetSceneCount(), 2u);
    const JournalEntry scene = Journal::Get().GetLast("GraphicsMeshInstance::AddToScene");
    EXPECT_EQ(scene.objectId, door->GetObjectId());
    EXPECT_EQ(scene.detail, "Test/Door.msh region 1 at 4 0 0");

    door->GetMeshInstance().BeginDissolve(0, 0, 255, 0.25f, "Cloud.tex");
    EXPECT_EQ(Journal::Get().GetLast("GraphicsMeshInstance::BeginDissolve").detail, "0 0 255 over 0.25 s through Cloud.tex");
    gEngine->UpdateFrame(150);
    EXPECT_FALSE(door->GetMeshInstance().IsDissolved());
    gEngine->UpdateFrame(100);
    EXPECT_TRUE(door->GetMeshInstance().IsDissolved());
    door->GetMeshInstance().BeginUnDissolve(0, 0, 255, 0.5f, "Cloud.tex");
    EXPECT_FALSE(door->GetMeshInstance().IsDissolving());
    EXPECT_TRUE(door->GetMeshInstance().IsUnDissolving());
    gEngine->UpdateFrame(500);
    EXPECT_FALSE(door->GetMeshInstance().IsUnDissolving());
}
