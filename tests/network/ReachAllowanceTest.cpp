// One allowance for a client being ahead of the server: a run start taken ahead of where
// the server has the player leaves that much less lead to the drop, pick-up, talk or skill
// right after it, and the way a running player reaches ahead and what that way leaves make
// one allowance together, while a real click at the end of its walk still reaches; and the
// pace that allowance grows with is the client's to slow down only.
#include "Engine/GameClock.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Npc.h"
#include "Game/core/ClientCreations.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/Item.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace reach_allowance_test {

constexpr const char* kBlow = "Records/Test/AllowanceBlow.dbr";
constexpr const char* kFoe = "Records/Test/AllowanceFoe.dbr";
constexpr const char* kSage = "Records/Test/AllowanceSage.dbr";

// The client's player plays the data's fighter, holds swords to drop and knows a blow it
// picks its foe for from afar (it does not shoot).
class ReachAllowanceTest : public HostileServerTest {
protected:
    void SetUp() override
    {
        HostileServerTest::SetUp();
        PlayTheFighter();
        sword.baseName = "Records/Item/Weapons/Sword.dbr";
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kBlow, "Class,Skill_AttackInherent,\nskillMaxLevel,1,\n");
        records.RegisterRecord(kFoe, "Class,Monster,\ncharacterLife,2000,\n");
        records.RegisterRecord(kSage, "Class,Npc,\n");
        auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(kBlow);
        ASSERT_NE(skill, nullptr);
        client->GetSkillManager().AddSkill(skill);
        skill->SetSkillLevel(1);
        blow = client->GetSkillReferenceNumber(skill->GetObjectId());
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

    // Whether the client's talk to a sage was taken, one standing `past` units farther from
    // the origin than the talking range (both extents and 3 units beyond touching).
    bool Talked(float past)
    {
        Npc* sage = ObjectManager::Get().CreateObjectFromFile<Npc>(kSage);
        EXPECT_TRUE(sage && World::Get().AddEntity(sage, At(client->GetExtents() + sage->GetExtents() + 3.0f + past)));
        EngageNpcPacket engage;
        engage.characterId = kClientPlayer;
        engage.targetId = sage->GetObjectId();
        LogCapture log;
        Send(engage);
        return !log.Contains("EngageNpcPacket from host 1 dropped: character " + std::to_string(kClientPlayer) +
                             " is out of reach of " + std::to_string(sage->GetObjectId()));
    }
    // Whether the client's blow on a foe standing at `x` was taken.
    bool Struck(float x)
    {
        auto* foe = ObjectManager::Get().CreateObjectFromFile<Character>(kFoe);
        EXPECT_TRUE(foe && World::Get().AddEntity(foe, At(x)));
        SkillTargetResultConfigCmd result(kClientPlayer, blow, {foe->GetObjectId()}, client->GetCoords(), 7, 0, false,
                                          1);
        const std::unique_ptr<NetPacket> packet(result.GetNetPacket());
        LogCapture log;
        Send(*packet);
        return !log.Contains("SkillTargetResultConfigCmdPacket from host 1 dropped: a target is beyond the skill's "
                             "reach");
    }

    ItemReplicaInfo sword;
    uint32_t seed = 0;
    uint32_t blow = 0;
};

// After a minute idle, a run the client says starts 9.9 units ahead is taken there; the
// drop at once 25 units from where the player stood lands within 20 of it, and neither a
// pick-up there, a talk to a sage the talking range and 5 units beyond the start nor a blow
// on a foe a unit beyond the skill's pick reach of it is taken: the start spent the
// allowance the walk's lead and the talk's and skill's tolerance would otherwise each add
// again.
TEST_F(ReachAllowanceTest, ARunStartedAheadLeavesNoLeadForTheDropPickUpTalkOrSkillAtOnceAfterIt)
{
    GameClock::Get().Advance(60000);
    Run(9.9f, 1000.0f);
    ASSERT_NEAR(X(), 9.9f, 0.01f);
    const Item* dropped = Drop(25.0f);
    if (dropped) {
        EXPECT_LE(WorldDistance(dropped->GetCoords().GetPosition(), At(0.0f).GetPosition()), 20.0f);
    }
    EXPECT_FALSE(PickedUp(25.0f));
    EXPECT_FALSE(Talked(9.9f + 5.0f));
    EXPECT_FALSE(Struck(9.9f + kSkillPickReach + 1.0f));
}

// A run started where the server has the player: a talk along its way reaches no farther
// than the talking range and the one allowance, however far ahead on the way it is tried
// from.
TEST_F(ReachAllowanceTest, ATalkAlongARunReachesNoFartherThanOneAllowance)
{
    GameClock::Get().Advance(60000);
    Run(0.0f, 1000.0f);
    EXPECT_FALSE(Talked(kClientLeadTolerance + 1.0f));
    EXPECT_TRUE(Talked(kClientLeadTolerance - 0.5f));
}

// A real click: the client's run starts a unit ahead (its lag), and its player reaches the
// sword it clicked a step off the walk's end while the server's player, lagging by what is
// left of the allowance, still runs there: the pick-up, a drop at its feet and a blow on a
// foe within the skill's pick reach of the walk's end are taken.
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
    EXPECT_TRUE(Struck(kEnd + kSkillPickReach - 0.5f));
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
