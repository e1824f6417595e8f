// Trigger volumes and their kinds, and the traffic node links.
#include <gtest/gtest.h>

#include "Engine/EventManager.h"
#include "Engine/Journal.h"
#include "Game/core/GameEvents.h"
#include "Game/world/BoundingVolume.h"
#include "Game/world/BoundingVolumeBossMonster.h"
#include "Game/world/BoundingVolumeMultiple.h"
#include "Game/world/NpcTrafficNode.h"
#include "world/WorldFixture.h"

namespace GAME {
namespace {

class BoundingVolumeTest : public WorldObjectTest {
protected:
    BoundingVolume* Volume(float radius, float x = 0.0f, const char* kind = "BoundingVolume",
                           const std::string& keys = "")
    {
        const std::string name = "Records/Test/Volume" + std::to_string(++records) + ".dbr";
        Record(name, std::string("Class,") + kind + ",\nradius," + std::to_string(radius) + ",\n" + keys);
        auto* volume = Make<BoundingVolume>(name);
        EXPECT_TRUE(World::Get().AddEntity(volume, At(x)));
        return volume;
    }
    Player* MainPlayerAt(float x)
    {
        Player* player = MakeMainPlayer();
        player->SetIsControllingCharacter(true);
        EXPECT_TRUE(World::Get().AddEntity(player, At(x)));
        return player;
    }
    void MoveTo(Entity* entity, float x) { EXPECT_TRUE(World::Get().SetCoords(entity, At(x))); }

    // "enter id" / "exit id" for each event of the volume, in order.
    std::vector<std::string> Crossings(const EventCapture& events, const BoundingVolume* volume) const
    {
        std::vector<std::string> out;
        for (const auto& e : events.Kept<GameEvent_EnterBoundingVolume>("GameEvent_EnterBoundingVolume"))
            if (e.volumeId == volume->GetObjectId())
                out.push_back("enter " + std::to_string(e.entityId));
        for (const auto& e : events.Kept<GameEvent_ExitBoundingVolume>("GameEvent_ExitBoundingVolume"))
            if (e.volumeId == volume->GetObjectId())
                out.push_back("exit " + std::to_string(e.entityId));
        return out;
    }
    static std::string Id(const Entity* entity) { return std::to_string(entity->GetObjectId()); }

    int records = 0;
};

TEST_F(BoundingVolumeTest, EntersComeInIdOrderAndTheFirstMembersRaiseOnlyTheirExit)
{
    EventCapture events;
    events.Keep<GameEvent_EnterBoundingVolume>("GameEvent_EnterBoundingVolume");
    events.Keep<GameEvent_ExitBoundingVolume>("GameEvent_ExitBoundingVolume");
    Entity* early = Point(1.0f);
    BoundingVolume* volume = Volume(5.0f);
    Frame();
    EXPECT_EQ(volume->GetEntitiesInVolume(), (std::vector<uint32_t>{early->GetObjectId()}));
    EXPECT_TRUE(Crossings(events, volume).empty());

    Entity* first = Point(20.0f);
    Entity* second = Point(21.0f);
    Frame();
    MoveTo(second, 2.0f);   // the later id moves in first: the events still come by id
    MoveTo(first, 3.0f);
    Frame();
    EXPECT_EQ(Crossings(events, volume), (std::vector<std::string>{"enter " + Id(first), "enter " + Id(second)}));
    EXPECT_EQ(volume->GetEntitiesInVolume().size(), 3u);

    events.Clear();
    MoveTo(early, 30.0f);
    Frame();
    EXPECT_EQ(Crossings(events, volume), (std::vector<std::string>{"exit " + Id(early)}));
    EXPECT_EQ(volume->GetEntitiesInVolume(), (std::vector<uint32_t>{first->GetObjectId(), second->GetObjectId()}));
}

TEST_F(BoundingVolumeTest, LeavingAndComingBackBetweenUpdatesRaisesNothingAndTheSurfaceIsOutside)
{
    EventCapture events;
    events.Keep<GameEvent_EnterBoundingVolume>("GameEvent_EnterBoundingVolume");
    events.Keep<GameEvent_ExitBoundingVolume>("GameEvent_ExitBoundingVolume");
    Entity* walker = Point(1.0f);
    BoundingVolume* volume = Volume(5.0f);
    Frame();
    MoveTo(walker, 40.0f);
    MoveTo(walker, 1.5f);
    Frame();
    EXPECT_TRUE(Crossings(events, volume).empty());

    EXPECT_FALSE(volume->IsPointInsideVolume(WorldVec3(region, Vec3(5.0f, 0.0f, 0.0f))));
    EXPECT_FALSE(volume->IsPointInsideVolume(WorldVec3(region, Vec3(0.0f, -5.0f, 0.0f))));
    EXPECT_TRUE(volume->IsPointInsideVolume(WorldVec3(region, Vec3(4.99f, 0.0f, 0.0f))));
}

TEST_F(BoundingVolumeTest, GenericEventsCarryTheObjectNameAndARecordWithoutRadiusNeverTriggers)
{
    EventCapture events;
    events.Keep<GameEvent_GenericEntitySpawn>("GameEvent_GenericEntitySpawn");
    events.Keep<GameEvent_GenericEntityInitialUpdate>("GameEvent_GenericEntityInitialUpdate");
    events.Keep<GameEvent_GenericEntityDestroy>("GameEvent_GenericEntityDestroy");
    Record("Records/Test/NoRadius.dbr", "Class,BoundingVolume,\n");
    auto* volume = Make<BoundingVolume>("Records/Test/NoRadius.dbr");
    const uint32_t id = volume->GetObjectId();
    ASSERT_EQ(events.Kept<GameEvent_GenericEntitySpawn>("GameEvent_GenericEntitySpawn").size(), 1u);
    EXPECT_EQ(events.Kept<GameEvent_GenericEntitySpawn>("GameEvent_GenericEntitySpawn")[0].objectId, id);
    EXPECT_EQ(volume->GetRadius(), 0.0f);
    EXPECT_EQ(volume->GetMeshName(), BoundingVolume::kSphereMesh);
    World::Get().AddEntity(volume, At(0.0f));
    Point(0.5f);
    Frame();
    Frame();
    EXPECT_EQ(events.Count("GameEvent_EnterBoundingVolume"), 0u);
    const auto first = events.Kept<GameEvent_GenericEntityInitialUpdate>("GameEvent_GenericEntityInitialUpdate");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].objectName, "Records/Test/NoRadius.dbr");
    EXPECT_FALSE(volume->GetVisibility());
    ObjectManager::Get().DestroyObjectEx(volume, __FILE__, __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    const auto gone = events.Kept<GameEvent_GenericEntityDestroy>("GameEvent_GenericEntityDestroy");
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].objectId, id);
}

TEST_F(BoundingVolumeTest, SetsKeepTheirSpheresInnermostFirst)
{
    struct Case {
        const char* keys;
        std::vector<float> radii;
    };
    const Case cases[] = {
        {"boundingVolumeRadius1,5,\nboundingVolumeRadius2,0,\nboundingVolumeRadius3,12,\nboundingVolumeRadius4,2,\n",
         {2.0f, 5.0f, 12.0f}},
        {"boundingVolumeRadius1,-3,\nboundingVolumeRadius2,-3,\nboundingVolumeRadius3,4,\n", {-3.0f, 4.0f}},
    };
    for (const Case& c : cases) {
        Record("Records/Test/Set.dbr", std::string("Class,BoundingVolumeMusicEvent,\n") + c.keys);
        auto* set = Make<BoundingVolumeMultiple>("Records/Test/Set.dbr");
        ASSERT_NE(set, nullptr);
        ASSERT_TRUE(World::Get().AddEntity(set, At(0.0f)));
        Frame();
        std::vector<float> radii;
        for (const auto& volume : set->GetVolumes()) {
            radii.push_back(volume.radius);
            EXPECT_TRUE(volume.attached);
            auto* sphere = ObjectManager::Get().GetObject<BoundingVolume>(volume.volumeId);
            ASSERT_NE(sphere, nullptr);
            EXPECT_EQ(sphere->GetRadius(), volume.radius);
            EXPECT_EQ(sphere->GetAttachParent(), set);
        }
        EXPECT_EQ(radii, c.radii);
        RecordDatabase::Get().Clear();
    }
}

TEST_F(BoundingVolumeTest, MusicEventFadesInTheMiddleSphereAndPlaysOnceAtTheCentre)
{
    Record("Records/Test/Music.dbr", "Class,BoundingVolumeMusicEvent,\nboundingVolumeRadius1,10,\n"
                                     "boundingVolumeRadius2,3,\neventMusicFile,Music/Event.mp3,\n");
    auto* set = Make<BoundingVolumeMusicEvent>("Records/Test/Music.dbr");
    ASSERT_TRUE(World::Get().AddEntity(set, At(0.0f)));
    Player* player = MainPlayerAt(50.0f);
    Frame();
    Frame();
    Jukebox& jukebox = Jukebox::Get();
    for (int pass = 1; pass <= 2; ++pass) {
        MoveTo(player, 6.0f);
        Frame();
        EXPECT_TRUE(jukebox.IsMusicFadedOut());
        EXPECT_EQ(jukebox.GetLastFadeOutMs(), 5000);
        MoveTo(player, 50.0f);
        Frame();
        EXPECT_FALSE(jukebox.IsMusicFadedOut());
        EXPECT_EQ(jukebox.GetFadeInCount(), pass);
    }
    MoveTo(player, 1.0f);
    Frame();
    EXPECT_EQ(jukebox.GetEventMusic(), "Music/Event.mp3");
    EXPECT_TRUE(set->IsDone());
    MoveTo(player, 50.0f);
    Frame();
    MoveTo(player, 1.0f);
    Frame();
    EXPECT_EQ(jukebox.GetEventMusicPlayCount(), 1);
    EXPECT_EQ(jukebox.GetFadeInCount(), 2) << "a finished set ignores its spheres";
}

TEST_F(BoundingVolumeTest, DaylightFollowsTheGreatestDistanceAndGivesTheClockBack)
{
    DayNightManager& dayNight = DayNightManager::Get();
    struct Case {
        float radiusToEndHour;
        float distance;
        float hour;
    };
    const Case cases[] = {{50.0f, 25.0f, 12.0f}, {0.0f, 0.0f, 18.0f}};
    for (const Case& c : cases) {
        auto* volume = Volume(100.0f, 0.0f, "BoundingVolumeLerpDaylight",
                              "startHour,6,\nendHour,18,\nradiusToEndHour," + std::to_string(c.radiusToEndHour) +
                                  ",\n");
        Player* player = MainPlayerAt(200.0f);
        Frame();
        MoveTo(player, c.distance);
        Frame();
        auto* daylight = DynamicCast<BoundingVolumeLerpDaylight>(volume);
        ASSERT_TRUE(daylight->IsActive());
        EXPECT_FALSE(dayNight.IsEnabled());
        EXPECT_FLOAT_EQ(dayNight.GetStartTime(), c.hour);
        EXPECT_TRUE(gEngine->IsRegisteredForForcedUpdate(volume->GetObjectId()));
        MoveTo(player, c.distance * 0.5f);
        Frame();
        EXPECT_FLOAT_EQ(dayNight.GetStartTime(), c.hour) << "the hour moves one way only";
        MoveTo(player, 60.0f);
        Frame();
        EXPECT_FALSE(daylight->IsActive());
        EXPECT_TRUE(dayNight.IsEnabled());
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        region = World::Get().AddRegion(1, "Test");
    }
}

TEST_F(BoundingVolumeTest, PlaylistAndOneShotAnswerOnlyTheMainPlayer)
{
    Record("Records/Test/Sound.dbr", "Class,SoundPak,\n");
    Volume(5.0f, 0.0f, "BoundingVolumeChangePlaylist", "ambientPlaylist,Amb.lst,\nmusicPlaylist,Mus.lst,\n");
    BoundingVolume* once = Volume(5.0f, 100.0f, "BoundingVolumeSoundFxOneShot", "soundPak,Records/Test/Sound.dbr,\n");
    const uint32_t onceId = once->GetObjectId();
    Player* player = MainPlayerAt(50.0f);
    Point(1.0f);
    Point(101.0f);
    Frame();
    Frame();
    EXPECT_TRUE(Jukebox::Get().GetMusicPlaylist().empty());
    MoveTo(player, 2.0f);
    Frame();
    EXPECT_EQ(Jukebox::Get().GetAmbientPlaylist(), "Amb.lst");
    EXPECT_EQ(Jukebox::Get().GetMusicPlaylist(), "Mus.lst");
    const size_t plays = Journal::Get().Count("BoundingVolumeSoundFxOneShot::Play");
    MoveTo(player, 101.0f);
    Frame();
    EXPECT_EQ(ObjectManager::Get().GetObject(onceId), nullptr);
    EXPECT_EQ(Journal::Get().Count("BoundingVolumeSoundFxOneShot::Play"), plays + 1);
}

TEST_F(BoundingVolumeTest, TrafficNodesLinkWhicheverComesFirstAndCaseMatters)
{
    Record("Levels/A/Node1.dbr", "Class,NpcTrafficNode,\nradius,1,\nnextTrafficNode,Other/Node2.lnk,\n");
    Record("Levels/B/Node2.dbr", "Class,NpcTrafficNode,\nradius,1,\nnextTrafficNode,Node1,\n");
    Record("Levels/C/Node3.dbr", "Class,NpcTrafficNode,\nradius,1,\nnextTrafficNode,node1,\ncanBeFinalDestination,0,\n");
    auto* one = Make<NpcTrafficNode>("Levels/A/Node1.dbr");
    World::Get().AddEntity(one, At(0.0f));
    Frame();   // node 1 is first: it links when node 2 says it is there
    auto* two = Make<NpcTrafficNode>("Levels/B/Node2.dbr");
    auto* three = Make<NpcTrafficNode>("Levels/C/Node3.dbr");
    World::Get().AddEntity(two, At(10.0f));
    World::Get().AddEntity(three, At(20.0f));
    Frame();
    EXPECT_EQ(one->GetNextTrafficNodeId(), two->GetObjectId());
    EXPECT_EQ(two->GetNextTrafficNodeId(), one->GetObjectId());
    EXPECT_EQ(three->GetNextTrafficNodeId(), 0u);
    EXPECT_TRUE(one->CanBeFinalDestination());
    EXPECT_FALSE(three->CanBeFinalDestination());
}

TEST_F(BoundingVolumeTest, BossSetGoesQuietWhenItsBossStartsToDie)
{
    Record("Records/Test/Boss.dbr", "Class,BoundingVolumeBossMonster,\nboundingVolumeRadius1,2,\n"
                                    "boundingVolumeRadius2,4,\nboundingVolumeRadius3,8,\n");
    auto* set = Make<BoundingVolumeBossMonster>("Records/Test/Boss.dbr");
    Entity* carrier = Point(0.0f);
    set->SetBossId(carrier->GetObjectId());
    set->AttachVolumes(carrier);
    Player* player = MainPlayerAt(50.0f);
    Frame();
    MoveTo(player, 6.0f);
    Frame();
    EXPECT_TRUE(Jukebox::Get().IsMusicFadedOut()) << "the third sphere fades the music";
    GameEvent_CreatureStartDeath death;
    death.objectId = carrier->GetObjectId();
    EventManager::Get().Send(death, "GameEvent_CreatureStartDeath");
    EXPECT_FALSE(set->IsDone()) << "only a monster is a boss";
}

}  // namespace
}  // namespace GAME
