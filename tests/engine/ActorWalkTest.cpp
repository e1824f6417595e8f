// The engine frame's walk over the actors, and the animation clock it drives.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/GameTimer.h"
#include "Engine/Entity.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"

using namespace GAME;

namespace {

std::vector<std::string> gCalls;

// Records every hook as "<tag>:<call>", and runs an optional action inside one of them.
class RecordingActor : public Actor {
    GAME_DECLARE_CLASS(RecordingActor)

public:
    std::string tag;
    std::string actOn;                 // the call that runs `act`
    std::function<void()> act;

    void InitialUpdate() override { Note("init"); }
    void UpdateSelf(int ms) override { Note("self" + std::to_string(ms)); }
    void PreAnimationUpdate(int ms) override { Note("pre" + std::to_string(ms)); }
    void AnimationCallback(const Name& event) override { Note(std::string("event ") + event.c_str()); }

private:
    void Note(const std::string& call)
    {
        gCalls.push_back(tag + ":" + call);
        if (act && call == actOn) {
            auto run = act;
            act = nullptr;
            run();
        }
    }
};
GAME_IMPLEMENT_CLASS(RecordingActor, Actor)

// Measures each frame the way a character does, from its own UpdateSelf.
class TimedActor : public Actor {
    GAME_DECLARE_CLASS(TimedActor)

public:
    std::vector<uint32_t> elapsed;
    void UpdateSelf(int) override
    {
        m_timer.Update();
        elapsed.push_back(m_timer.GetElapsedTime());
    }

private:
    GameTimer m_timer;
};
GAME_IMPLEMENT_CLASS(TimedActor, Actor)

GraphicsAnim Anim(const std::string& text)
{
    GraphicsAnim anim("walk.anm");
    EXPECT_TRUE(anim.Parse(text.data(), text.size(), "walk.anm"));
    return anim;
}

class ActorWalkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gCalls.clear();
        home = World::Get().AddRegion(1, "Home");
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        gCalls.clear();
    }
    RecordingActor* Place(const std::string& tag)
    {
        auto* actor = DynamicCast<RecordingActor>(ObjectManager::Get().CreateObject("RecordingActor"));
        actor->tag = tag;
        World::Get().AddEntity(actor, WorldCoords(home, Coords()));
        return actor;
    }
    Region* home = nullptr;
};

}  // namespace

TEST_F(ActorWalkTest, EachActorInOrderInitialUpdateOnceThenSelfAnimationPre)
{
    RecordingActor* a = Place("a");
    Place("b");
    World::Get().AddEntity(DynamicCast<Entity>(ObjectManager::Get().CreateObject("Light")), WorldCoords(home, Coords()));
    const GraphicsAnim once = Anim("length,2,\nframerate,10,\nevent,0,Start,\n");
    a->PlayAnimation(0, &once, false, 1.0f, 0);
    gEngine->UpdateFrame(100);
    gEngine->UpdateFrame(100);
    EXPECT_EQ((std::vector<std::string>{"a:init", "a:self100", "a:event Start", "a:pre100", "b:init", "b:self100",
                                        "b:pre100", "a:self100", "a:event End", "a:pre100", "b:self100",
                                        "b:pre100"}),
              gCalls);
}

TEST_F(ActorWalkTest, RemovedDestroyedAndAddedActorsDuringTheWalk)
{
    // a destroys itself in its own update and b in its own; c is taken out by b before
    // its turn; b adds d, walked only from the next frame on.
    RecordingActor* a = Place("a");
    RecordingActor* b = Place("b");
    RecordingActor* c = Place("c");
    Place("e");
    a->actOn = "self10";
    a->act = [a] { ObjectManager::Get().DestroyObjectEx(a, "test", __LINE__); };
    RecordingActor* d = nullptr;
    b->actOn = "init";
    b->act = [&] {
        World::Get().RemoveEntity(c);
        d = Place("d");
        World::Get().RemoveEntity(b);
        World::Get().AddEntity(b, WorldCoords(home, Coords()));   // back at the end
    };
    gEngine->UpdateFrame(10);
    EXPECT_EQ((std::vector<std::string>{"a:init", "a:self10", "b:init", "e:init", "e:self10", "e:pre10"}), gCalls);
    gCalls.clear();
    gEngine->UpdateFrame(10);
    EXPECT_EQ((std::vector<std::string>{"e:self10", "e:pre10", "d:init", "d:self10", "d:pre10", "b:self10",
                                        "b:pre10"}),
              gCalls);
    EXPECT_FALSE(c->IsInWorld());
}

TEST_F(ActorWalkTest, DestroyedInAnAnimationEventGetsNoPreAnimationUpdate)
{
    RecordingActor* a = Place("a");
    const GraphicsAnim hit = Anim("length,10,\nframerate,10,\nevent,1,Hit,\nevent,2,Later,\n");
    a->PlayAnimation(0, &hit, false, 1.0f, 0);
    a->actOn = "event Hit";
    a->act = [a] { ObjectManager::Get().DestroyObjectEx(a, "test", __LINE__); };
    gEngine->UpdateFrame(500);   // both events are reached in this step
    EXPECT_EQ((std::vector<std::string>{"a:init", "a:self500", "a:event Hit"}), gCalls);
    EXPECT_EQ(0u, World::Get().GetEntityCount());
}

TEST(ActorAnimationClock, SpeedsLoopingWrapEventsAndMotion)
{
    gCalls.clear();
    RecordingActor actor;
    actor.tag = "x";
    // 10 frames at 10 per second, played at twice its speed: a second a pass at speed 1.
    const GraphicsAnim walk = Anim("length,10,\nframerate,10,\nspeed,0.5,\nmotionspeed,4,\n"
                                   "event,0,Start,\nevent,5,Step,\n");
    actor.PlayAnimation(1, &walk, true, 2.0f, 0);
    actor.AdvanceAnimations(400);   // frames 0 .. 4
    EXPECT_EQ((std::vector<std::string>{"x:event Start"}), gCalls);
    actor.SetAnimationSpeedMultiplier(1, 4.0f);   // in place of the 2.0 it was played at
    gCalls.clear();
    actor.AdvanceAnimations(400);   // 4 .. 12: Step, End, wrap, Start
    EXPECT_EQ((std::vector<std::string>{"x:event Step", "x:event End", "x:event Start"}), gCalls);
    EXPECT_NEAR(2.0, actor.GetAnimationChannel(1)->position, 1e-6);
    gCalls.clear();
    actor.AdvanceAnimations(1000000);   // a huge step wraps a bounded number of times
    EXPECT_EQ(static_cast<size_t>(Actor::kMaxWrapsPerStep), std::count(gCalls.begin(), gCalls.end(), "x:event End"));
    EXPECT_LT(actor.GetAnimationChannel(1)->position, 10.0);
    actor.AdvanceAnimations(0);
    actor.AdvanceAnimations(-50);

    // Motion comes from the body's channel only.
    EXPECT_EQ(0.0f, actor.GetMotion().Length());
    actor.PlayAnimation(0, &walk, true, 1.5f, 0);
    EXPECT_NEAR(6.0f, actor.GetMotion().z, 1e-5f);
    actor.SetAnimationSpeedMultiplier(0, 3.0f);
    EXPECT_NEAR(12.0f, actor.GetMotion().z, 1e-5f);

    // A non-looping animation holds its end: "End" once.
    const GraphicsAnim once = Anim("length,3,\nframerate,10,\n");
    RecordingActor other;
    other.tag = "y";
    other.PlayAnimation(2, &once, false, 1.0f, 0);
    other.PlayAnimation(0, &once, false, 0.0f, 0);   // speed 0 stands still
    gCalls.clear();
    other.AdvanceAnimations(1000);
    other.AdvanceAnimations(1000);
    EXPECT_EQ((std::vector<std::string>{"y:event End"}), gCalls);
}

// The motion is kept apart from the channel: it must follow every change of the body's
// animation and of the facing, and the animation step must still reach a channel that
// finished and was played again.
TEST_F(ActorWalkTest, MotionAndTheStepFollowEveryChangeOfTheChannels)
{
    RecordingActor* a = Place("a");
    const GraphicsAnim walk = Anim("length,10,\nframerate,10,\nmotionspeed,4,\n");
    const GraphicsAnim run = Anim("length,10,\nframerate,10,\nmotionspeed,7,\n");
    a->PlayAnimation(1, &walk, true, 1.0f, 0);   // not the body
    EXPECT_EQ(Vec3{}, a->GetMotion());
    a->PlayAnimation(0, &walk, false, 1.0f, 0);
    EXPECT_EQ(Vec3(0, 0, 4), a->GetMotion());
    World::Get().SetCoords(a, WorldCoords(home, Coords::LookAlong({}, {1, 0, 0}, {0, 1, 0})));
    EXPECT_EQ(Vec3(4, 0, 0), a->GetMotion());
    a->AdvanceAnimations(2000);   // the body's animation ends and holds: it still moves
    EXPECT_TRUE(a->GetAnimationChannel(0)->finished);
    EXPECT_EQ(Vec3(4, 0, 0), a->GetMotion());
    a->PlayAnimation(0, &run, true, 2.0f, 0);
    EXPECT_EQ(Vec3(14, 0, 0), a->GetMotion());
    a->SetAnimationSpeedMultiplier(0, 0.5f);
    EXPECT_EQ(Vec3(3.5f, 0, 0), a->GetMotion());

    // A finished channel played again from its "End" goes on at the next step.
    const GraphicsAnim once = Anim("length,2,\nframerate,10,\nevent,0,Start,\n");
    RecordingActor b;
    b.tag = "b";
    b.PlayAnimation(3, &once, false, 1.0f, 0);
    b.actOn = "event End";   // once
    b.act = [&] { b.PlayAnimation(3, &once, false, 1.0f, 0); };
    gCalls.clear();
    for (int i = 0; i < 4; ++i)
        b.AdvanceAnimations(500);
    EXPECT_EQ((std::vector<std::string>{"b:event Start", "b:event End", "b:event Start", "b:event End"}), gCalls);
}

TEST_F(ActorWalkTest, FrameCountAndLastRenderedFrame)
{
    RecordingActor* a = Place("a");
    auto* outside = DynamicCast<Actor>(ObjectManager::Get().CreateObject("Actor"));
    EXPECT_EQ(0u, a->GetLastRenderedFrame());
    const uint32_t before = gEngine->GetFrameCount();
    gEngine->UpdateFrame(16);
    EXPECT_EQ(before + 1, gEngine->GetFrameCount());
    EXPECT_EQ(gEngine->GetFrameCount(), a->GetLastRenderedFrame());
    World::Get().RemoveEntity(a);
    gEngine->UpdateFrame(16);
    EXPECT_EQ(gEngine->GetFrameCount() - 1, a->GetLastRenderedFrame());
    EXPECT_EQ(0u, outside->GetLastRenderedFrame());
}

TEST(SoundPakPlay, LoopsTracksAndFadesOutInRealTime)
{
    SoundPak pak;
    pak.Play(WorldVec3(), 0, true);
    EXPECT_FALSE(pak.IsPlaying());   // a play once is over at once
    pak.FadeLastPlayedSound(500);
    EXPECT_FALSE(pak.IsPlaying());
    pak.PlayOnTarget(7, 0, false);
    pak.Track(7);
    EXPECT_TRUE(pak.IsPlaying());
    EXPECT_EQ(7u, pak.GetTrackedObject());
    pak.FadeLastPlayedSound(500);
    gEngine->UpdateFrame(300);
    EXPECT_TRUE(pak.IsPlaying());
    pak.FadeLastPlayedSound(10);   // a fade under way is not shortened
    gEngine->UpdateFrame(300);
    EXPECT_FALSE(pak.IsPlaying());
    pak.Play(false);   // played again: the fade is over
    gEngine->UpdateFrame(1000);
    EXPECT_TRUE(pak.IsPlaying());
    pak.FadeLastPlayedSound(0);
    EXPECT_FALSE(pak.IsPlaying());
    EXPECT_EQ(Journal::Get().GetLast("SoundPak::FadeLastPlayedSound").detail, "0 ms");
    EXPECT_EQ(3u, pak.GetPlayCount());
}

TEST_F(ActorWalkTest, AFixedStepRunMeasuresTheStepInsideTheWalk)
{
    auto* actor = DynamicCast<TimedActor>(ObjectManager::Get().CreateObject("TimedActor"));
    World::Get().AddEntity(actor, WorldCoords(home, Coords()));
    for (int frame = 0; frame < 3; ++frame)
        gEngine->UpdateFrame(33);
    EXPECT_EQ((std::vector<uint32_t>{33, 33, 33}), actor->elapsed);
}
