// Decorations, apparatus, props and puppets: the idle animation bands, the attached
// object drawn among the numbered ones, pause bounds, holding a prop, a puppet's life.
#include "world/WorldFixture.h"

#include "Engine/GraphicsAnim.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/world/Decoration.h"
#include "Game/world/NpcWanderPoint.h"
#include "Game/world/Prop.h"
#include "Game/world/Puppet.h"

namespace GAME {
namespace {

class SceneryTest : public WorldObjectTest {
protected:
    void SetUp() override
    {
        WorldObjectTest::SetUp();
        for (const char* name : {"Main.anm", "Two.anm", "Four.anm", "Start.anm", "Idle.anm", "End.anm"})
            GraphicsEngine::Get()->RegisterAnimation(name, "length,10,\n");
    }
    static std::string Playing(const Actor& actor) { return actor.GetAnimationChannel(0)->animation; }
};

TEST_F(SceneryTest, AfterEachRunADecorationDrawsItsNextAnimationFromConsecutiveBands)
{
    Record("Records/Test/Deco.dbr", "Class,Decoration,\nanimation,Main.anm,\nanimation2,Two.anm,\n"
                                    "animation2Chance,30,\nanimation4,Four.anm,\nanimation4Chance,50,\n"
                                    "animation3,Four.anm,\nanimation3Chance,0,\n");
    auto* deco = Make<Decoration>("Records/Test/Deco.dbr");
    ASSERT_NE(deco, nullptr);
    ASSERT_EQ(deco->GetRandomAnimations().size(), 2u);   // a chance of 0 makes no band
    ASSERT_TRUE(World::Get().AddEntity(deco, At(0.0f)));
    Frame();
    EXPECT_EQ(Playing(*deco), "Main.anm");

    const char* const bands[] = {"Two.anm", "Four.anm", "Main.anm"};
    int seen[3] = {};
    for (unsigned seed = 1; seed <= 60 * 104729; seed += 104729) {
        SeedProcessRandom(seed);
        const float r = RandomFloat(0.0f, 100.0f);
        const int band = r <= 30.0f ? 0 : r <= 80.0f ? 1 : 2;
        SeedProcessRandom(seed);
        deco->AnimationCallback(Actor::EndEvent());
        EXPECT_EQ(Playing(*deco), bands[band]) << r;
        ++seen[band];
    }
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(seen[2], 0);

    // The fade climbs while fading out, held to 0.5, and falls back to 0.
    deco->SetInvisible();
    Frame(400);
    EXPECT_FLOAT_EQ(deco->GetFadeLevel(), 0.4f);
    Frame(400);
    EXPECT_FLOAT_EQ(deco->GetFadeLevel(), 0.5f);
    deco->SetVisible();
    Frame(1000);
    EXPECT_FLOAT_EQ(deco->GetFadeLevel(), 0.0f);
}

TEST_F(SceneryTest, ADecorationStartsItsAmbientAndPeriodicSoundsAndPlaysThemWhereItStands)
{
    SoundListener::Get().SetEarsPosition(At(0.0f).GetPosition());
    Record("Records/Test/Hum.dbr", "Class,SoundPak,\nfalloff,2,\nsoundLength,10,\n");
    Record("Records/Test/Tick.dbr", "Class,SoundPak,\nfalloff,2,\nsoundLength,0.01,\n");
    Record("Records/Test/Noisy.dbr", "Class,Decoration,\nambientSound,Records/Test/Hum.dbr,\n"
                                     "periodicSound,Records/Test/Tick.dbr,\nsoundPeriod,0.1,\n");
    auto* deco = Make<Decoration>("Records/Test/Noisy.dbr");
    ASSERT_NE(deco, nullptr);
    ASSERT_TRUE(World::Get().AddEntity(deco, At(1.0f)));
    Frame();
    EXPECT_TRUE(deco->GetAmbient().IsPlaying());
    EXPECT_TRUE(deco->GetPeriodic().IsPlaying());
    SoundPak* hum = deco->GetAmbient().GetSound();
    SoundPak* tick = deco->GetPeriodic().GetSound();
    ASSERT_NE(hum, nullptr);
    ASSERT_NE(tick, nullptr);
    EXPECT_EQ(hum->GetPlayCount(), 1u);
    EXPECT_EQ(tick->GetPlayCount(), 0u);
    // The period counts down from the initial update: 100 ms later it has played once.
    for (int frame = 0; frame < 5; ++frame)
        Frame(20);
    EXPECT_EQ(tick->GetPlayCount(), 1u);
    EXPECT_EQ(hum->GetPlayCount(), 1u);   // still playing, not started again
    SoundListener::Get().SetEarsPosition(WorldVec3());
}

TEST_F(SceneryTest, OnlyTheThirdAttachObjectNamedAttachesNothingWhenOneOrTwoIsDrawn)
{
    Record("Records/Test/Knob.dbr", "Class,Actor,\n");
    Record("Records/Test/Knobbed.dbr", "Class,Decoration,\nattachObjectName3,Records/Test/Knob.dbr,\n"
                                       "attachPoint3,top,\n");
    int attached = 0;
    for (unsigned seed = 1; seed <= 30 * 104729; seed += 104729) {
        SeedProcessRandom(seed);
        const bool third = RandomInt(1, 3) == 3;
        SeedProcessRandom(seed);
        auto* deco = Make<Decoration>("Records/Test/Knobbed.dbr");
        ASSERT_NE(deco, nullptr);
        EXPECT_EQ(deco->GetNumAttachedEntities(), third ? 1u : 0u) << seed;
        if (third) {
            EXPECT_EQ(deco->GetAttachedEntities()[0].attachPoint, Name("top"));
            ++attached;
        }
        const uint32_t knob = third ? deco->GetAttachedEntity(0)->GetObjectId() : 0;
        ObjectManager::Get().DestroyObjectEx(deco, "test", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        EXPECT_EQ(ObjectManager::Get().GetObject(knob), nullptr);   // what it attached goes with it
    }
    EXPECT_GT(attached, 0);
    EXPECT_LT(attached, 30);
}

TEST_F(SceneryTest, ApparatusPausesLieBetweenTheBoundsEvenGivenTheWrongWayRound)
{
    struct Row {
        const char* keys;
        int low, high;
    };
    const Row rows[] = {
        {"apparatusPauseTimeMin,1.5,\napparatusPauseTimeMax,1.5,\n", 1500, 1500},
        {"apparatusPauseTimeMin,1.0,\napparatusPauseTimeMax,2.0,\n", 1000, 2000},
        {"apparatusPauseTimeMin,2.0,\napparatusPauseTimeMax,1.0,\n", 1000, 2000},
    };
    SeedProcessRandom(7);
    for (const Row& row : rows) {
        Record("Records/Test/Apparatus.dbr", std::string("Class,Apparatus,\n") + row.keys);
        auto* apparatus = Make<Apparatus>("Records/Test/Apparatus.dbr");
        ASSERT_NE(apparatus, nullptr);
        int least = INT32_MAX, most = INT32_MIN;
        for (int i = 0; i < 50; ++i) {
            const int pause = apparatus->GetPauseTime();
            least = std::min(least, pause);
            most = std::max(most, pause);
        }
        EXPECT_GE(least, row.low) << row.keys;
        EXPECT_LE(most, row.high) << row.keys;
        EXPECT_EQ(least == most, row.low == row.high) << row.keys;
    }
}

TEST_F(SceneryTest, AHeldPropLoopsItsAnimationSoundsWhereItsHolderStandsAndIsLetGo)
{
    Record("Records/Test/Ping.dbr", "Class,SoundPak,\n");
    Record("Records/Test/Torch.dbr", "Class,Prop,\npropAnimation,Idle.anm,\npropAttachPoint,hand,\n"
                                     "animationSound,Records/Test/Ping.dbr,\n");
    auto* prop = Make<Prop>("Records/Test/Torch.dbr");
    ASSERT_NE(prop, nullptr);
    Entity* holder = Point(3.0f);
    auto* actor = DynamicCast<Actor>(holder);
    prop->AttachProp(*actor);
    ASSERT_TRUE(prop->IsAttachedTo(actor));
    EXPECT_EQ(actor->GetAttachedEntities()[0].attachPoint, Name("hand"));
    EXPECT_EQ(Playing(*prop), "Idle.anm");
    EXPECT_TRUE(prop->GetAnimationChannel(0)->loop);
    EXPECT_EQ(prop->GetAnimationSound()->GetPlayCount(), 1u);
    EXPECT_EQ(prop->GetAnimationSound()->GetLastPlayedPosition(), actor->GetCoords().GetPosition());
    prop->DetachProp(*actor);
    EXPECT_EQ(prop->GetAttachParent(), nullptr);
}

TEST_F(SceneryTest, APuppetStartsIdlesEndsFadesAndLeaves)
{
    // The record's speeds are not what the figure plays at.
    Record("Records/Test/Figure.dbr", "Class,Puppet,\nstartAnimation,Start.anm,\nidleAnimation,Idle.anm,\n"
                                      "endAnimation,End.anm,\nfadeInTime,0.1,\nfadeOutTime,0.1,\n"
                                      "startAnimationSpeed,2.5,\nidleAnimationSpeed,0.5,\nendAnimationSpeed,3,\n");
    auto* puppet = Make<Puppet>("Records/Test/Figure.dbr");
    ASSERT_NE(puppet, nullptr);
    ASSERT_TRUE(World::Get().AddEntity(puppet, At(0.0f)));
    const uint32_t id = puppet->GetObjectId();
    puppet->StartAnimating();
    EXPECT_EQ(puppet->GetPuppetState(), Puppet::State_Starting);
    EXPECT_FALSE(puppet->IsReady());
    EXPECT_EQ(puppet->GetAnimationChannel(0)->speed, 1.0f);
    puppet->AnimationCallback(Actor::EndEvent());
    EXPECT_TRUE(puppet->IsReady());
    EXPECT_EQ(Playing(*puppet), "Idle.anm");
    EXPECT_EQ(puppet->GetAnimationChannel(0)->speed, 1.0f);
    puppet->ReleaseToWorld();
    EXPECT_EQ(puppet->GetPuppetState(), Puppet::State_Ending);
    EXPECT_EQ(Playing(*puppet), "End.anm");
    EXPECT_EQ(puppet->GetAnimationChannel(0)->speed, 1.0f);
    puppet->AnimationCallback(Actor::EndEvent());
    EXPECT_EQ(puppet->GetPuppetState(), Puppet::State_FadingOut);
    Frame(50);
    EXPECT_NE(ObjectManager::Get().GetObject(id), nullptr);
    Frame(60);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
}

TEST_F(SceneryTest, AWanderPointRadiusThatIsNoSizeOrTooLargeIsLoggedAndReplaced)
{
    struct Row {
        const char* value;
        float radius;
        const char* logged;  // after the record's name; "" when nothing is
    };
    const Row rows[] = {
        {"4.5", 4.5f, ""},
        {"-3", 1.0f, "radius -3 is no size; using 1"},
        {"250", 100.0f, "radius 250 is out of range; using 100"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        const std::string name = std::string("Records/Test/Wander_") + row.value + ".dbr";
        Record(name, std::string("Class,NpcWanderPoint,\nradius,") + row.value + ",\n");
        LogCapture log;
        auto* point = Make<NpcWanderPoint>(name);
        ASSERT_NE(point, nullptr);
        EXPECT_EQ(point->GetRadius(), row.radius);
        if (*row.logged)
            EXPECT_TRUE(log.Contains("NpcWanderPoint " + name + ": " + row.logged))
                << ::testing::PrintToString(log.Texts());
        else
            EXPECT_TRUE(log.Lines().empty());
        ObjectManager::Get().DestroyObjectEx(point, "test", __LINE__);
    }
}

}  // namespace
}  // namespace GAME
