// Doors: the one-way rule by side and direction, open-only, auto-close, a trigger's open,
// the saved auto-close flag and the kinds' looks and obstacles.
#include "world/PlacedObjectFixture.h"

#include "Game/characters/Monster.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/world/FixedItemDoor.h"

namespace GAME {

namespace {

class FixedItemDoorTest : public PlacedObjectTest {
protected:
    void SetUp() override
    {
        PlacedObjectTest::SetUp();
        GraphicsEngine::Get()->RegisterAnimation("DoorOpen.anm", "length,30,\nframeRate,30,\n");
        GraphicsEngine::Get()->RegisterAnimation("DoorClose.anm", "length,30,\nframeRate,30,\n");
    }
    FixedItemDoorBase* Door(const char* kind, const std::string& keys = "")
    {
        return Place(MakeOf<FixedItemDoorBase>(kind, "openAnimation,DoorOpen.anm,\nopenAnimationSpeed,1,\n"
                                                     "closeAnimation,DoorClose.anm,\ncloseAnimationSpeed,1,\n"
                                                     "openSoundLoop," + std::string(kSound) + ",\n" + keys));
    }
    Character* Walker(float x, float z)
    {
        return Place(DynamicCast<Character>(ObjectManager::Get().CreateObject("Character")), x, z);
    }
    FixedItemDoorController* ControllerOf(FixedItemDoorBase* door)
    {
        return dynamic_cast<FixedItemDoorController*>(door->GetController());
    }
};

TEST_F(FixedItemDoorTest, AOneWayDoorOpensOnlyFromItsOpenSide)
{
    struct Case {
        const char* kind;
        bool inFront;
        bool reversed;
    };
    std::vector<Case> cases;
    for (const char* kind : {"FixedItemDoor", "FixedItemDoorSwapping", "FixedItemDoorApolloHack"})
        for (bool inFront : {true, false})
            for (bool reversed : {false, true})
                cases.push_back({kind, inFront, reversed});
    for (const Case& c : cases) {
        FixedItemDoorBase* door = Door(c.kind, std::string("oneWayDoor,1,\nreverseOneWayDirection,") +
                                                   (c.reversed ? "1" : "0") + ",\n");
        Character* walker = Walker(0.0f, c.inFront ? 4.0f : -4.0f);
        Step();
        ASSERT_EQ(door->GetCurrentState(), FixedItemState_DoorClosed);
        const bool opens = c.inFront != c.reversed;
        EXPECT_EQ(door->IsAlternateLock(walker->GetObjectId()), !opens) << c.kind << c.inFront << c.reversed;
        door->RequestToUse(walker->GetObjectId());
        Step();
        EXPECT_EQ(door->GetCurrentState(), opens ? FixedItemState_DoorOpen : FixedItemState_DoorClosed)
            << c.kind << " front " << c.inFront << " reversed " << c.reversed;
        EXPECT_TRUE(door->IsAlternateLock(12345));   // not a character: locked either way
        World::Get().RemoveEntity(walker);
        World::Get().RemoveEntity(door);
    }
}

TEST_F(FixedItemDoorTest, AnOpenOnlyDoorStaysOpenAndATouchClosesAnOtherDoor)
{
    for (bool openOnly : {true, false}) {
        FixedItemDoorBase* door = Door("FixedItemDoor", openOnly ? "openOnly,1,\n" : "");
        Character* walker = Walker(0.0f, 4.0f);
        Step();
        EXPECT_TRUE(door->IsOfInterest());
        door->RequestToUse(walker->GetObjectId());
        Step();
        door->AnimationCallback(Actor::EndEvent());
        EXPECT_EQ(ControllerOf(door)->GetDoorState(), FixedItemDoorController::Opened);
        EXPECT_EQ(door->IsOfInterest(), !openOnly);
        door->RequestToUse(walker->GetObjectId());
        Step();
        EXPECT_EQ(door->GetCurrentState(), openOnly ? FixedItemState_DoorOpen : FixedItemState_DoorClosed);
        EXPECT_EQ(door->GetOpenSoundLoop()->GetPlayCount(), 1u);
        World::Get().RemoveEntity(walker);
        World::Get().RemoveEntity(door);
    }
}

TEST_F(FixedItemDoorTest, AnAutoClosingDoorWaitsForTheDoorwayToClear)
{
    FixedItemDoorBase* door = Door("FixedItemDoor", "autoClose,1,\n");
    Step();
    door->SetFixedItemState(FixedItemState_DoorOpen, 0, false, true);
    Monster* guard = Place(MakeOf<Monster>("Monster"), 0.0f, 1.0f);
    Step();
    Step();
    EXPECT_EQ(door->GetCurrentState(), FixedItemState_DoorOpen);   // someone stands in the doorway
    World::Get().RemoveEntity(guard);
    Step();
    EXPECT_EQ(door->GetCurrentState(), FixedItemState_DoorClosed);

    // A trigger's open on an open door keeps it open for good, and the save says so.
    door->SetFixedItemState(FixedItemState_DoorOpen, 0, false, true);
    door->SetFixedItemState(FixedItemState_DoorOpenByTrigger, 0, false, true);
    EXPECT_FALSE(door->IsAutoCloseEnabled());
    Step();
    Step();
    EXPECT_EQ(door->GetCurrentState(), FixedItemState_DoorOpen);

    BinaryWriter writer;
    door->SaveState(writer);
    FixedItemDoorBase* restored = MakeOf<FixedItemDoorBase>("FixedItemDoor", "autoClose,1,\nopenAnimation,DoorOpen.anm,\n");
    BinaryReader reader(writer.GetBuffer(), writer.GetLength());
    ASSERT_TRUE(restored->RestoreState(reader));
    EXPECT_FALSE(restored->IsAutoCloseEnabled());
    Place(restored, 20.0f);
    Step();
    EXPECT_EQ(restored->GetCurrentState(), FixedItemState_DoorOpen);   // its last frame, no transition
    // A blob that ends before the flag changes nothing.
    FixedItemDoorBase* cut = MakeOf<FixedItemDoorBase>("FixedItemDoor", "autoClose,1,\n");
    BinaryReader shorter(writer.GetBuffer(), writer.GetLength() - 1);
    EXPECT_FALSE(cut->RestoreState(shorter));
    EXPECT_TRUE(cut->IsAutoCloseEnabled());
    ObjectManager::Get().DestroyObjectEx(cut, "test", __LINE__);
}

TEST_F(FixedItemDoorTest, ATouchThatClosesTheDoorIsNotUndoneByTheDoorsOwnUpdate)
{
    FixedItemDoorBase* door = Door("FixedItemDoor");
    Character* walker = Walker(0.0f, 4.0f);
    Step();
    door->RequestToUse(walker->GetObjectId());
    Step();
    door->AnimationCallback(Actor::EndEvent());
    // The door updates between the touch and its command: it must still count as closing.
    door->RequestToUse(walker->GetObjectId());
    door->UpdateSelf(16);
    EXPECT_EQ(ControllerOf(door)->GetDoorState(), FixedItemDoorController::Closing);
    Step();
    door->AnimationCallback(Actor::EndEvent());
    EXPECT_EQ(door->GetCurrentState(), FixedItemState_DoorClosed);
    door->RequestToUse(walker->GetObjectId());
    Step();
    EXPECT_EQ(door->GetCurrentState(), FixedItemState_DoorOpen);
}

TEST_F(FixedItemDoorTest, ACharacterStandsHalfTheDoorsDepthAwayOnItsSide)
{
    // A slab 4 wide and half a unit deep, its box unlike its bounding sphere.
    GraphicsEngine::Get()->RegisterMesh("Slab.msh", ABBox{{0, 1, 0}, {2.0f, 1.0f, 0.25f}}, {});
    FixedItemDoorBase* door = Door("FixedItemDoor", "mesh,Slab.msh,\n");
    door->SetBoundingRadius(3.0f);
    EXPECT_FLOAT_EQ(door->GetStandingDistance(1.0f), 1.0f + 0.25f + 1.0f);
    Character* walker = Walker(0.0f, -6.0f);   // behind the door
    const WorldVec3 point = door->GetMoveToPoint(walker->GetObjectId());
    EXPECT_FLOAT_EQ(point.GetRegionPosition().z, -(walker->GetExtents() + 1.25f));
    EXPECT_FLOAT_EQ(MakeOf<FixedItemDoorBase>("FixedItemDoor")->GetStandingDistance(1.0f), 4.0f);   // no mesh
}

TEST_F(FixedItemDoorTest, TheKindsShowTheirPoseAndBlockTheirWay)
{
    auto* hack = static_cast<FixedItemDoorApolloHack*>(Door("FixedItemDoorApolloHack", "sphereSize,3.5,\n"));
    hack->SetOwnMesh("Door.msh");
    Step();
    hack->SetFixedItemState(FixedItemState_DoorOpen, 0, false, true);
    EXPECT_EQ(hack->GetAnimationChannel(0)->animation, "DoorOpen.anm");
    hack->AnimationCallback(Actor::EndEvent());
    ASSERT_EQ(hack->GetPathObstacleCount(), 1u);
    EXPECT_EQ(MakeOf<FixedItemDoorApolloHack>("FixedItemDoorApolloHack")->GetSphereSize(), 2.0f);

    FixedItemDoorBase* swapping = Door("FixedItemDoorSwapping", "mesh,Own.msh,\nopenMesh,Open.msh,\n");
    Step();
    EXPECT_EQ(swapping->GetMeshName(), "Own.msh");   // the closed mesh defaults to its own
    swapping->SetFixedItemState(FixedItemState_DoorOpen, 0, false, true);
    EXPECT_EQ(swapping->GetMeshName(), "Open.msh");
}

}  // namespace

}  // namespace GAME
