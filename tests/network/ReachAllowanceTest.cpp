// One allowance for a client being ahead of the server: a run start taken ahead of where
// the server has the player leaves that much less lead to the drop, pick-up or talk right
// after it, while a real click at the end of its walk still reaches; and the pace that
// allowance grows with is the client's to slow down only.
#include "Engine/GameClock.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Npc.h"
#include "Game/core/ClientCreations.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/Item.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace reach_allowance_test {

// The client's player plays the data's fighter and holds swords to drop.
class ReachAllowanceTest : public HostileServerTest {
protected:
    void SetUp() override
    {
        HostileServerTest::SetUp();
        PlayTheFighter();
        sword.baseName = "Records/Item/Weapons/Sword.dbr";
    }
    static WorldCoords At(float x) { return WorldCoords(Here().GetRegion(), Coords::MakeTranslation(Vec3(x, 0, 0))); }
    float X() const { return client->GetPathPosition().GetRegionPosition().x; }
    // The client's run to `to`, which it says starts at `from`.
    void Run(float from, float to)
    {
        MoveToPacket run;
        run.characterId = kClientPlayer;
        run.startLocation = At(from).GetPosition();
        run.worldLocation = At(to).GetPosition();
        Send(run);
        ASSERT_TRUE(client->IsMoving());
    }
    // The client's drop at `x` of a sword its player holds; the sword as it landed.
    Item* Drop(float x)
    {
        CreateItemPacket packet = DropOfHeld(sword, At(x), ++seed);
        LogCapture quiet;
        Send(packet);
        return ObjectManager::Get().GetObject<Item>(packet.item.objectId);
    }
    // Whether the client's pick-up of a sword lying at `x` was taken.
    bool PickedUp(float x)
    {
        Item* lying = Item::CreateItem(sword);
        EXPECT_TRUE(lying && World::Get().AddEntity(lying, At(x)));
        PickUpItemPacket pickUp;
        pickUp.characterId = kClientPlayer;
        pickUp.position = client->GetCoords().GetPosition();
        pickUp.itemId = lying->GetObjectId();
        LogCapture log;
        Send(pickUp);
        return !log.Contains("PickUpItemPacket from host 1 dropped: character " + std::to_string(kClientPlayer) +
                             ": it names a loose item out of its character's reach");
    }

    ItemReplicaInfo sword;
    uint32_t seed = 0;
};

// After a minute idle, a run the client says starts 9.9 units ahead is taken there; the
// drop at once 25 units from where the player stood lands within 20 of it, and neither a
// pick-up there nor a talk to a sage the talking range and 5 units beyond the start is
// taken: the start spent the allowance the walk's lead and the talk's tolerance would
// otherwise each add again.
TEST_F(ReachAllowanceTest, ARunStartedAheadLeavesNoLeadForTheDropPickUpOrTalkAtOnceAfterIt)
{
    GameClock::Get().Advance(60000);
    Run(9.9f, 1000.0f);
    ASSERT_NEAR(X(), 9.9f, 0.01f);
    const Item* dropped = Drop(25.0f);
    if (dropped) {
        EXPECT_LE(WorldDistance(dropped->GetCoords().GetPosition(), At(0.0f).GetPosition()), 20.0f);
    }
    EXPECT_FALSE(PickedUp(25.0f));

    RecordDatabase::Get().RegisterRecord("Records/Test/AllowanceSage.dbr", "Class,Npc,\n");
    Npc* sage = ObjectManager::Get().CreateObjectFromFile<Npc>("Records/Test/AllowanceSage.dbr");
    const float talk = client->GetExtents() + sage->GetExtents() + 3.0f;
    ASSERT_TRUE(World::Get().AddEntity(sage, At(9.9f + talk + 5.0f)));
    EngageNpcPacket engage;
    engage.characterId = kClientPlayer;
    engage.targetId = sage->GetObjectId();
    LogCapture log;
    Send(engage);
    EXPECT_TRUE(log.Contains("EngageNpcPacket from host 1 dropped: character " + std::to_string(kClientPlayer) +
                             " is out of reach of " + std::to_string(sage->GetObjectId())));
}

// A real click: the client's run starts a unit ahead (its lag), and its player reaches the
// sword it clicked a step off the walk's end while the server's player, lagging by what is
// left of the allowance, still runs there: the pick-up and a drop at its feet are taken.
TEST_F(ReachAllowanceTest, AClickAtItsWalksEndReachesWhileTheServersPlayerLagsByWhatIsLeft)
{
    constexpr float kEnd = 30.0f;
    GameClock::Get().Advance(60000);
    Run(1.0f, kEnd);
    // What the start left of the allowance (10 less 1), less half a unit.
    const float lag = kClientLeadTolerance - 1.5f;
    for (int frames = 0; kEnd - X() > lag; ++frames) {
        ASSERT_LT(frames, 1000);
        gEngine->UpdateFrame(100);
    }
    ASSERT_GT(kEnd - X(), lag - 1.0f);
    const Item* dropped = Drop(kEnd + 1.0f);
    ASSERT_NE(dropped, nullptr);
    EXPECT_LT(WorldDistance(dropped->GetCoords().GetPosition(), At(kEnd + 1.0f).GetPosition()), 2.0f);
    EXPECT_TRUE(PickedUp(kEnd + client->GetExtents() + 1.0f));
}

// A run played backwards a million times over is held to naught like one played too fast:
// the server's player no longer moves at all, and no pace widens its allowance.
TEST_F(ReachAllowanceTest, ARunAnimationPlayedAtANegativeSpeedIsHeldToNaught)
{
    Run(0.0f, 1000.0f);
    const float pace = client->GetMotion().Length();
    ASSERT_GT(pace, 1.0f);
    PlayAnimationActionPacket backwards;
    backwards.characterId = kClientPlayer;
    backwards.animationType = AnimationSet_Run;
    backwards.speedModifier = -1e6f;
    backwards.loop = true;
    LogCapture quiet;
    Send(backwards);
    EXPECT_EQ(client->GetMotion().Length(), 0.0f);
    EXPECT_EQ(ClientLeadLeft(*client), kClientLeadTolerance);
}

}  // namespace reach_allowance_test
}  // namespace GAME
