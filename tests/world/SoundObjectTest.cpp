// Sound objects: when the periodic sound plays, how random intervals are drawn, the
// ambient sound's fade, and silence in the editor.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Engine/GameClock.h"
#include "Game/core/GameEngine.h"
#include "Game/world/SoundObject.h"
#include "WorldFixture.h"

namespace GAME {

namespace {

class SoundObjectTest : public WorldObjectTest {
protected:
    SoundObject* Place(const std::string& keys, float x = 0.0f)
    {
        Record(kSound, "Class,SoundPak,\nfalloff,2,\nsoundLength,0.05,\n");
        Record(kObject, std::string("Class,SoundObject,\n") + keys);
        auto* object = Make<SoundObject>(kObject);
        EXPECT_TRUE(World::Get().AddEntity(object, At(x)));
        return object;
    }
    static constexpr const char* kSound = "Records/Test/Sound.dbr";
    static constexpr const char* kObject = "Records/Test/SoundObject.dbr";
};

TEST_F(SoundObjectTest, APeriodicSoundOfPeriodZeroPlaysWheneverTheLastPlayHasEnded)
{
    SoundObject* object = Place(std::string("periodicSound,") + kSound + ",\n");
    Frame();   // the initial update starts it
    SoundPak* sound = object->GetPeriodic().GetSound();
    ASSERT_NE(sound, nullptr);
    // It played as it started; each play lasts 50 ms, and frames of 16 ms try every time
    // and play again once it is over.
    std::string plays;
    unsigned before = sound->GetPlayCount();
    for (int frame = 0; frame < 8; ++frame) {
        Frame();
        plays += sound->GetPlayCount() != before ? 'P' : '.';
        before = sound->GetPlayCount();
    }
    EXPECT_EQ(plays, "...P...P");
}

TEST_F(SoundObjectTest, RandomIntervalsAreWholeMillisecondsWithinTheRecordsBounds)
{
    SoundObject* object = Place(std::string("periodicSound,") + kSound +
                                ",\nrandomPeriod,1,\nrandomPeriodMin,2,\nrandomPeriodMax,5,\n");
    Frame();
    SoundPeriodic periodic;
    Record("Records/Test/Periodic.dbr", std::string("periodicSound,") + kSound +
                                            ",\nrandomPeriod,1,\nrandomPeriodMin,2,\nrandomPeriodMax,5,\n");
    periodic.Load(*ObjectManager::Get().GetLoadTable("Records/Test/Periodic.dbr"));
    std::set<int> drawn;
    for (int i = 0; i < 400; ++i) {
        periodic.InitializeSoundPeriod();
        drawn.insert(periodic.GetTimeLeft());
    }
    EXPECT_GE(*drawn.begin(), 2000);
    EXPECT_LE(*drawn.rbegin(), 5000);
    EXPECT_GT(drawn.size(), 100u);
    EXPECT_GE(object->GetPeriodic().GetTimeLeft(), 2000 - 16);
}

TEST_F(SoundObjectTest, AFarNonLoopingAmbientSoundFadesAndTheEditorHearsNothing)
{
    SoundListener::Get().SetEarsPosition(At(0.0f).GetPosition());
    Record(kSound, "Class,SoundPak,\nfalloff,2,\nsoundLength,10,\n");
    Record(kObject, std::string("Class,SoundObject,\nambientSound,") + kSound + ",\n");
    auto* object = Make<SoundObject>(kObject);
    ASSERT_TRUE(World::Get().AddEntity(object, At(1.0f)));
    Frame();
    Frame();
    SoundPak* sound = object->GetAmbient().GetSound();
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->GetPlayCount(), 1u);
    EXPECT_TRUE(sound->IsPlaying());

    // Beyond eight fall-offs (16 units) the sound fades over 500 ms, then plays again.
    SoundListener::Get().SetEarsPosition(At(30.0f).GetPosition());
    Frame();
    EXPECT_TRUE(sound->IsPlaying());
    for (int frame = 0; frame < 40; ++frame)
        Frame();
    EXPECT_EQ(sound->GetPlayCount(), 2u);

    gEngine->SetEditorMode(true);
    const unsigned plays = sound->GetPlayCount();
    sound->Stop();
    for (int frame = 0; frame < 5; ++frame)
        Frame();
    EXPECT_EQ(sound->GetPlayCount(), plays);
    SoundListener::Get().SetEarsPosition(WorldVec3());
}

}  // namespace

}  // namespace GAME
