// The controller class tree and its hooks, and the attack and defence slot rings.
#include <gtest/gtest.h>

#include <climits>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerAI.h"
#include "Game/ai/SlotManager.h"
#include "Game/characters/Character.h"

using namespace GAME;

namespace {

// Counts the hooks the controller layers call on themselves.
class RecordingController : public ControllerAI {
public:
    void InitialUpdate() override
    {
        ControllerAI::InitialUpdate();
        ++initialUpdates;
    }
    void PostParentAttached() override { ++parentsAttached; }

    int initialUpdates = 0;
    int parentsAttached = 0;
};

class ControllerTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
    }

    Character* MakeCharacter(const Vec3& where)
    {
        auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
        character->SetPathPosition(WorldVec3(m_region, where));
        return character;
    }

    Region* m_region = World::Get().GetRegionById(1) ? World::Get().GetRegionById(1)
                                                     : World::Get().AddRegion(1, "Slots");
};

}  // namespace

TEST_F(ControllerTest, AttachNotifiesUpdateStartsOnceAndTeleportMovesTheParent)
{
    RecordingController controller;
    controller.SetParentId(7);
    EXPECT_EQ(controller.parentsAttached, 0);
    controller.AttachParent(8);
    EXPECT_EQ(controller.GetParentId(), 8u);
    EXPECT_EQ(controller.parentsAttached, 1);

    EXPECT_FALSE(controller.HasStarted());
    controller.Update(16);
    controller.Update(16);
    EXPECT_EQ(controller.initialUpdates, 1);
    EXPECT_TRUE(controller.HasStarted());

    // Without its character a teleport does nothing; with it the character moves.
    Coords coords;
    coords.origin = Vec3{3.0f, 0.0f, 4.0f};
    controller.Teleport(WorldCoords(m_region, coords));
    Character* character = MakeCharacter(Vec3{});
    controller.AttachParent(character->GetObjectId());
    controller.Teleport(WorldCoords(m_region, coords));
    EXPECT_EQ(character->GetPathPosition(), WorldVec3(m_region, Vec3(3.0f, 0.0f, 4.0f)));
}

TEST_F(ControllerTest, SlotCountOutsideTheRangeIsLoggedAndBounded)
{
    Character* owner = MakeCharacter(Vec3{});
    SlotManager slots(*owner);
    const struct {
        int asked;
        int kept;
        bool logged;
    } cases[] = {{-1, 0, true}, {INT_MIN, 0, true}, {0, 0, false}, {4, 4, false},
                 {SlotManager::kMaxSlots, SlotManager::kMaxSlots, false}, {SlotManager::kMaxSlots + 1, SlotManager::kMaxSlots, true},
                 {INT_MAX, SlotManager::kMaxSlots, true}};
    for (const auto& c : cases) {
        LogCapture log;
        slots.SetNumSlots(c.asked);
        EXPECT_EQ(slots.GetNumSlots(), c.kept) << c.asked;
        EXPECT_EQ(log.Lines().size(), c.logged ? 1u : 0u) << c.asked;
    }
}

TEST_F(ControllerTest, RequestsTakeTheNearestFreeSlotOnePerCharacter)
{
    Character* owner = MakeCharacter(Vec3{});
    SlotManager slots(*owner);
    slots.SetNumSlots(4);   // at (2,0,0), (0,0,2), (-2,0,0), (0,0,-2) for radius 2
    Character* a = MakeCharacter(Vec3{5.0f, 0.0f, 0.0f});
    Character* b = MakeCharacter(Vec3{5.0f, 0.0f, 0.1f});

    WorldVec3 out;
    slots.RequestSlot(out, 999, 2.0f, false);   // no such character
    EXPECT_FALSE(out.IsValid());
    slots.RequestSlot(out, a->GetObjectId(), 0.0f, false);
    EXPECT_FALSE(out.IsValid());

    slots.RequestSlot(out, a->GetObjectId(), 2.0f, false);
    EXPECT_EQ(slots.GetSlotHolder(0), a->GetObjectId());
    EXPECT_NEAR(out.GetRegionPosition().x, 2.0f, 1e-5f);
    slots.RequestSlot(out, a->GetObjectId(), 2.0f, false);   // gives up its slot first
    EXPECT_EQ(slots.GetSlotHolder(0), a->GetObjectId());
    EXPECT_EQ(slots.GetSlotHolder(1) + slots.GetSlotHolder(2) + slots.GetSlotHolder(3), 0u);

    slots.RequestSlot(out, b->GetObjectId(), 2.0f, false);
    EXPECT_EQ(slots.GetSlotHolder(1), b->GetObjectId());
    slots.ReleaseSlot(b->GetObjectId());
    EXPECT_EQ(slots.GetSlotHolder(1), 0u);

    // A vanished holder's slot is free for the next request of anyone.
    ObjectManager::Get().DestroyObjectEx(a, __FILE__, __LINE__);
    slots.RequestSlot(out, b->GetObjectId(), 2.0f, false);
    EXPECT_EQ(slots.GetSlotHolder(0), b->GetObjectId());

    // A full ring yields an empty position to a requester no nearer than the holder.
    slots.SetNumSlots(1);
    slots.RequestSlot(out, b->GetObjectId(), 2.0f, false);
    Character* c = MakeCharacter(Vec3{-5.0f, 0.0f, 0.0f});
    slots.RequestSlot(out, c->GetObjectId(), 2.0f, false);
    EXPECT_FALSE(out.IsValid());
}
