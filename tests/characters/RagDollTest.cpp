// The rag doll's first velocities by the killing blow's effect, and its direction words.
#include <cmath>

#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Random.h"
#include "Game/characters/CharacterRagDoll.h"

namespace GAME {

// A monster whose current animation the test chooses.
class RagDollCharacter : public Monster {
    GAME_DECLARE_CLASS(RagDollCharacter)

public:
    GraphicsAnim* GetCurrentAnimation() const override { return current; }
    GraphicsAnim* current = nullptr;
};
GAME_IMPLEMENT_CLASS(RagDollCharacter, Monster)


class RagDollTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        character = Place(Make<RagDollCharacter>("", "RagDollCharacter"));
        ragDoll = std::make_unique<CharacterRagDoll>(character);
        ASSERT_TRUE(ragDoll->AddRigidBody(0, 1));
        ASSERT_TRUE(ragDoll->AddRigidBody(2, 3));
    }
    void Effect(CharacterRagDoll::Effect effect, const Vec3& direction, float speed, float amplification)
    {
        CharacterRagDoll::EffectData data;
        data.effect = effect;
        data.direction = direction;
        data.speed = speed;
        data.amplification = amplification;
        character->SetRagdollData(data, true);
    }
    static void ExpectNear(const Vec3& expected, const Vec3& actual)
    {
        EXPECT_NEAR(expected.x, actual.x, 1e-4f);
        EXPECT_NEAR(expected.y, actual.y, 1e-4f);
        EXPECT_NEAR(expected.z, actual.z, 1e-4f);
    }

    RagDollCharacter* character = nullptr;
    std::unique_ptr<CharacterRagDoll> ragDoll;
};

TEST_F(RagDollTest, TakeHitClampsSpeedAndSpreadAndLifts)
{
    // speed 1, amplification 0.5: a = 1, s = 3 (lower clamp), spread 3, lift 0.999;
    // speed 20, amplification 2: s = 12 (upper clamp), spread 6, lift 3.996.
    struct Case {
        float speed, amplification, s, spread, lift;
    } cases[] = {{1.0f, 0.5f, 3.0f, 3.0f, 0.999f}, {20.0f, 2.0f, 12.0f, 6.0f, 3.996f}};
    for (const Case& c : cases) {
        Effect(CharacterRagDoll::TakeHit, {0.0f, 0.0f, 2.0f}, c.speed, c.amplification);
        GAME::srand(11);
        Vec3 expected[2];
        for (Vec3& v : expected) {
            const float x = RandFloat(-c.spread, c.spread);
            const float z = RandFloat(-c.spread, c.spread);
            v = Vec3(x, c.lift, c.s + z);
        }
        GAME::srand(11);
        ragDoll->Start();
        ExpectNear(expected[0], ragDoll->GetLinearVelocity(0));
        ExpectNear(expected[1], ragDoll->GetLinearVelocity(1));
    }
}

TEST_F(RagDollTest, TakeHitWithoutDirectionLeavesBodiesAlone)
{
    ragDoll->SetLinearVelocity(Vec3(1.0f, 2.0f, 3.0f));
    Effect(CharacterRagDoll::TakeHit, {}, 5.0f, 1.0f);
    ragDoll->Start();
    ExpectNear({1.0f, 2.0f, 3.0f}, ragDoll->GetLinearVelocity(1));
}

TEST_F(RagDollTest, RandomDrawsZThenX)
{
    Effect(CharacterRagDoll::Random, {}, 1.0f, 0.0f);
    GAME::srand(3);
    const float z = RandFloat(-5.0f, 5.0f);
    const float x = RandFloat(-5.0f, 5.0f);
    GAME::srand(3);
    ragDoll->Start();
    ExpectNear({x, 3.0f, z}, ragDoll->GetLinearVelocity(0));
}

TEST_F(RagDollTest, CrumpleFollowsTheAnimationWithinItsBound)
{
    GraphicsAnim animation("Fall.anm");
    animation.SetValues(10, 30, 1.0f, 0.0f);
    character->current = &animation;
    character->PlayAnimation(0, &animation, false, 1.0f, 0);
    Effect(CharacterRagDoll::Crumple, {}, 1.0f, 0.0f);
    Coords moved;
    moved.origin = Vec3(1.0f, 0.0f, 0.0f);

    // Frame 0: the previous frame is the length, which wraps to frame 0 itself (frame -1
    // would wrap to 9, where the bones stand elsewhere): the bodies keep still.
    ragDoll->SetBoneCoords(0, 9, moved);
    ragDoll->Start();
    ExpectNear({}, ragDoll->GetLinearVelocity(0));

    // Frame 5 against 4: one unit a frame at 30 frames a second, held to 4.5.
    character->AdvanceAnimations(170);
    ASSERT_EQ(5, static_cast<int>(character->GetAnimationChannel(0)->position));
    ragDoll->SetBoneCoords(0, 5, moved);
    ragDoll->SetBoneCoords(1, 5, moved);
    ragDoll->Start();
    EXPECT_NEAR(4.5f, ragDoll->GetLinearVelocity(0).Length(), 1e-4f);
    ExpectNear({}, ragDoll->GetLinearVelocity(1));
}

TEST_F(RagDollTest, CrumpleWithoutAnimationMovesEveryBodyAlike)
{
    ragDoll->SetLinearVelocity(Vec3(7.0f, 7.0f, 7.0f));
    Effect(CharacterRagDoll::Crumple, {}, 1.0f, 0.0f);
    ragDoll->Start();
    ExpectNear({}, ragDoll->GetLinearVelocity(0));
    ExpectNear({}, ragDoll->GetLinearVelocity(1));
}

// Settling tells the death handlers "PhysicsComplete": a "Delete" body waits for it.
TEST_F(RagDollTest, SettlingCompletesTheDeath)
{
    auto* doomed = Place(Make<RagDollCharacter>("deleteBehavior,Delete,\n", "RagDollCharacter"));
    Frame();
    DeathManager& manager = *doomed->GetDeathManager();
    manager.Execute();
    EXPECT_FALSE(manager.IsFinished());
    CharacterRagDoll limp(doomed);
    limp.Start();
    EXPECT_TRUE(limp.IsEnabled());
    limp.Settle();
    EXPECT_FALSE(limp.IsEnabled());
    EXPECT_TRUE(manager.IsFinished());
}

TEST(RagDollWords, DirectionsAndEffects)
{
    Region region(1, "Words", Vec3());
    const WorldVec3 at(&region, Vec3(1.0f, 2.0f, 3.0f));
    const WorldVec3 ahead(&region, Vec3(1.0f, 2.0f, 7.0f));
    const Vec3 push = CharacterRagDoll::GetDirectionVec("Push", at, ahead);
    EXPECT_FLOAT_EQ(1.0f, push.z);
    EXPECT_FLOAT_EQ(-1.0f, CharacterRagDoll::GetDirectionVec("Pull", at, ahead).z);
    EXPECT_FLOAT_EQ(0.0f, CharacterRagDoll::GetDirectionVec("push", at, ahead).z);
    // Coincident points have no direction, not NaN.
    const Vec3 none = CharacterRagDoll::GetDirectionVec("Push", at, at);
    EXPECT_EQ(0.0f, none.x);
    EXPECT_EQ(0.0f, none.y);
    EXPECT_EQ(0.0f, none.z);
    EXPECT_EQ(CharacterRagDoll::Random, CharacterRagDoll::GetEffectEnum("crumple"));
    EXPECT_EQ(CharacterRagDoll::TakeHit, CharacterRagDoll::GetEffectEnum("TakeHit"));
    EXPECT_FLOAT_EQ(-3.0f, CharacterRagDoll::GetElevationVec("Downward").y);
}

}  // namespace GAME
