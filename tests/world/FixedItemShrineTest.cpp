// Shrines: the six phases, the pulsed blessing, the one-time shrine and a restored active one.
#include "world/PlacedObjectFixture.h"

#include "Game/characters/Player.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/world/FixedItemShrine.h"

namespace GAME {

namespace {

class FixedItemShrineTest : public PlacedObjectTest {
protected:
    FixedItemShrine* Shrine(const std::string& keys)
    {
        return Place(MakeOf<FixedItemShrine>("FixedItemShrine", "shrineActiveTime,0.5,\nshrineDormantTime,0.3,\n"
                                                                "shrineRadius,10,\n" + keys));
    }
    FixedItemShrineController* ControllerOf(FixedItemShrine* shrine)
    {
        return dynamic_cast<FixedItemShrineController*>(shrine->GetController());
    }
};

TEST_F(FixedItemShrineTest, AWokenShrineBlessesEverySampleThenRestsAndComesBackUnlessForOneUse)
{
    struct Case {
        const char* sampleTime;
        bool oneTimeUse;
        int pulses;   // in an active time of 500 ms, frames of 100 ms
    };
    const Case cases[] = {{"0", false, 5}, {"0.2", false, 3}, {"0.2", true, 3}};
    for (const Case& c : cases) {
        FixedItemShrine* shrine =
            Shrine(std::string("shrineSampleTime,") + c.sampleTime + ",\noneTimeUse," + (c.oneTimeUse ? "1" : "0") + ",\n");
        Player* player = Place(MakeMainPlayer(), 2.0f);
        Listen("GameEvent_FixedItemUse");
        Step();
        ASSERT_EQ(shrine->GetCurrentState(), FixedItemState_Idle);
        EXPECT_TRUE(shrine->IsOfInterest());
        EXPECT_EQ(ControllerOf(shrine)->GetShrineState(), FixedItemShrineController::Waiting);

        shrine->RequestToUse(player->GetObjectId());
        EXPECT_EQ(ControllerOf(shrine)->GetShrineState(), FixedItemShrineController::Blessing);
        for (int i = 0; i < 5; ++i)
            Step();
        // No phase animations: each transition passes through at once.
        EXPECT_EQ(events.Count("GameEvent_FixedItemUse"), c.pulses) << c.sampleTime;
        EXPECT_EQ(shrine->GetCurrentState(), FixedItemState_Dormant);
        EXPECT_FALSE(shrine->IsOfInterest());
        for (int i = 0; i < 4; ++i)
            Step();
        EXPECT_EQ(shrine->GetCurrentState(), c.oneTimeUse ? FixedItemState_Dormant : FixedItemState_Idle);
        EXPECT_EQ(shrine->IsOfInterest(), !c.oneTimeUse);
        EXPECT_EQ(events.Count("GameEvent_FixedItemUse"), c.pulses);   // no blessing while resting

        EventManager::Get().UnRegisterAll(&events);
        events.names.clear();
        World::Get().RemoveEntity(player);
        World::Get().RemoveEntity(shrine);
        ObjectManager::Get().DestroyObjectEx(player, "test", __LINE__);
        Step();
    }
}

TEST_F(FixedItemShrineTest, TheTransitionsWaitForTheirAnimationsEnd)
{
    GraphicsEngine::Get()->RegisterAnimation("Wake.anm", "length,30,\nframeRate,30,\n");
    GraphicsEngine::Get()->RegisterAnimation("Glow.anm", "length,30,\nframeRate,30,\n");
    FixedItemShrine* shrine = Shrine("shrineSampleTime,0.1,\nidleToActiveAnimation,Wake.anm,\n"
                                     "idleToActiveAnimationSpeed,1,\nactiveAnimation,Glow.anm,\n"
                                     "activeSound," + std::string(kSound) + ",\n");
    Step();
    shrine->SetFixedItemState(FixedItemState_IdleToActive, 7, false, true);
    EXPECT_EQ(shrine->GetCurrentState(), FixedItemState_IdleToActive);
    EXPECT_EQ(shrine->GetActivator(), 7u);
    EXPECT_EQ(shrine->GetAnimationChannel(0)->animation, "Wake.anm");
    shrine->AnimationCallback(Name("lootGen"));
    EXPECT_EQ(shrine->GetCurrentState(), FixedItemState_IdleToActive);
    shrine->AnimationCallback(Actor::EndEvent());
    EXPECT_EQ(shrine->GetCurrentState(), FixedItemState_Active);
    EXPECT_EQ(shrine->GetAnimationChannel(0)->animation, "Glow.anm");
    EXPECT_TRUE(shrine->GetAnimationChannel(0)->loop);
    EXPECT_EQ(shrine->GetPhase(FixedItemShrine::Active).GetSound()->GetPlayCount(), 1u);
    EXPECT_TRUE(Unlocked(FixedItemShrine::kTutorialPage));
}

TEST_F(FixedItemShrineTest, AShrineRestoredActiveShowsItQuietlyAndTurnsDormantInItsFirstUpdate)
{
    GraphicsEngine::Get()->RegisterAnimation("Glow.anm", "length,30,\nframeRate,30,\n");
    const std::string keys = "activeAnimation,Glow.anm,\nactiveAnimationSpeed,1,\nactiveSound," + std::string(kSound) +
                             ",\nshrineSampleTime,0.1,\n";
    FixedItemShrine* saved = Shrine(keys);
    Step();
    saved->SetFixedItemState(FixedItemState_Active, 0, true, false);
    BinaryWriter writer;
    saved->SaveState(writer);

    FixedItemShrine* restored = MakeOf<FixedItemShrine>("FixedItemShrine", "shrineActiveTime,0.5,\n" + keys);
    BinaryReader reader(writer.GetBuffer(), writer.GetLength());
    ASSERT_TRUE(restored->RestoreState(reader));
    Place(restored, 30.0f);
    Step();
    EXPECT_EQ(restored->GetPhase(FixedItemShrine::Active).GetSound()->GetPlayCount(), 0u);
    EXPECT_EQ(restored->GetAnimationChannel(0)->animation, "Glow.anm");
    EXPECT_EQ(ControllerOf(restored)->GetShrineState(), FixedItemShrineController::Resting);
    EXPECT_EQ(restored->GetCurrentState(), FixedItemState_Dormant);
}

}  // namespace

}  // namespace GAME
