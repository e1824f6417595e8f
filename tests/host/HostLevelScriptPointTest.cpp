// A level's script points are announced by the level as it places its objects, once all of
// them stand: the point itself tells no one.
#include "core/EngineFixture.h"
#include "Engine/EventManager.h"
#include "Game/core/GameEvents.h"
#include "Game/world/MapMarkers.h"
#include "host/HostLevel.h"

namespace GAME {
namespace {

class HostLevelScriptPointTest : public EngineTest {};

TEST_F(HostLevelScriptPointTest, TheLevelAnnouncesEachPointItPlacesAndThePointStaysSilent)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Test/Walker.dbr", "Class,Monster,\n");
    records.RegisterRecord("Records/Test/Point.dbr",
                           "Class,ScriptPoint,\nscriptCharacter,Records/Test/Boss.dbr,\nsequenceNum,2,\n");
    Region* start = World::Get().AddRegion(1, "Start");
    auto* walker = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Walker.dbr");
    ASSERT_NE(walker, nullptr);
    ASSERT_TRUE(World::Get().AddEntity(walker, WorldCoords(start, Coords::MakeTranslation({0, 0, 0}))));

    HostLevel level;
    ASSERT_TRUE(level.Parse("region 3 Arena\nplayer Records/Test/Walker.dbr 0 0 0\n"
                            "place Records/Test/Point.dbr 4 0 2\n"));
    EventCapture events;
    events.Keep<GameEvent_ScriptPoint>("GameEvent_ScriptPoint");
    HostLevelArrival arrival(level);
    ASSERT_TRUE(arrival.Arrive(walker->GetObjectId(), 0));
    const auto told = events.Kept<GameEvent_ScriptPoint>("GameEvent_ScriptPoint");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].characterName, "Records/Test/Boss.dbr");
    EXPECT_EQ(told[0].sequenceNum, 2);
    EXPECT_EQ(told[0].coords.GetRegion(), World::Get().GetRegionById(3));
    EXPECT_EQ(told[0].coords.GetRegionCoords().origin.x, 4.0f);
    EXPECT_EQ(told[0].coords.GetRegionCoords().origin.z, 2.0f);

    // The point's own first update and frames send nothing more.
    events.Clear();
    gEngine->UpdateFrame(100);
    gEngine->UpdateFrame(100);
    EXPECT_EQ(events.Count("GameEvent_ScriptPoint"), 0u);
}

}  // namespace
}  // namespace GAME
