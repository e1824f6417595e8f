#include "world/PlacedObjectFixture.h"

#include "Engine/InstanceGroupManager.h"
#include "Engine/UniqueIdMap.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/world/MapMarkers.h"
#include "Game/world/StrategicMovementMarker.h"
#include "Game/world/StrategicMovementRespawnShrine.h"
#include "Game/world/StrategicMovementTeleportShrine.h"

namespace GAME {
namespace {

class StrategicMovementTest : public PlacedObjectTest {
protected:
    void SetUp() override
    {
        PlacedObjectTest::SetUp();
        RecordDatabase::Get().RegisterRecord(kLight, "Class,Light,\n");
    }
    void TearDown() override
    {
        InstanceGroupManager::Get().Clear();
        PlacedObjectTest::TearDown();
    }
    // A point of the map data at x, discovered within 5 units.
    template <class T>
    T* Point(const std::string& kind, float x, const std::string& keys = "")
    {
        T* point = MakeOf<T>(kind, "bindDistance,5,\nlightName," + std::string(kLight) + ",\nlightFadeInTime,0.5,\n" +
                                     "activeSound," + kSound + ",\n" + keys);
        UniqueId id;
        id.SetPart(0, ++uniqueIds);
        point->SetUniqueId(id);
        InstanceGroupManager::Get().RegisterEntityData(id, {region->GetId(), {x, 0, 0}});
        return Place(point, x);
    }
    // The local player, controlling its character, at x.
    Player* Hero(float x)
    {
        Player* player = MakeMainPlayer();
        player->SetIsControllingCharacter(true);
        return Place(player, x);
    }
    static constexpr const char* kLight = "Records/Test/Light.dbr";
    uint32_t uniqueIds = 0;
};

TEST_F(StrategicMovementTest, WithoutALocalPlayerEveryPointWaits)
{
    auto* marker = Point<StrategicMovementMarker>("StrategicMovementMarker", 0.0f);
    Step();
    Step();
    EXPECT_EQ(marker->GetState(), StrategicMovementBaseState_None);
}

TEST_F(StrategicMovementTest, AMarkerInTheEditorIsEnteredUnderAUniqueId)
{
    gEngine->SetEditorMode(true);
    auto* marker = Place(MakeOf<StrategicMovementMarker>("StrategicMovementMarker"));
    Step();
    gEngine->SetEditorMode(false);
    EXPECT_EQ(marker->GetState(), StrategicMovementBaseState_Editor);
    ASSERT_FALSE(marker->GetUniqueId() == UniqueId());
    EXPECT_EQ(UniqueIdMap::Get().GetEntity(marker->GetUniqueId()), marker);
}

TEST_F(StrategicMovementTest, AShrineOutsideTheMapDataIsOfNoInterest)
{
    Hero(50.0f);
    auto* stray = MakeOf<StrategicMovementTeleportShrine>("StrategicMovementTeleportShrine");
    Place(stray, 1.0f);   // no map data under its identity
    Step();
    EXPECT_EQ(stray->GetState(), StrategicMovementBaseState_Unqualified);
    EXPECT_FALSE(stray->IsOfInterest());
}

TEST_F(StrategicMovementTest, ATeleportShrineIsDiscoveredNearbyLightsUpAndOpensTheMenu)
{
    Player* hero = Hero(20.0f);
    auto* shrine = Point<StrategicMovementTeleportShrine>("StrategicMovementTeleportShrine", 0.0f);
    Step();
    EXPECT_EQ(shrine->GetState(), StrategicMovementBaseState_Dormant);
    World::Get().AddEntity(hero, Facing(3.0f));
    Step();
    EXPECT_EQ(shrine->GetState(), StrategicMovementBaseState_Active);
    EXPECT_TRUE(hero->IsTeleportUIDKnown(shrine->GetUniqueId()));
    EXPECT_TRUE(Unlocked(StrategicMovementTeleportShrine::kTutorialPage));
    ASSERT_NE(shrine->GetLight(), nullptr);
    EXPECT_EQ(shrine->GetLight()->GetIntensity(), 0.0f);
    EXPECT_TRUE(shrine->GetActiveSound()->IsPlaying());
    // The light fades in over 500 ms.
    for (const float intensity : {0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.0f}) {
        Step();
        EXPECT_FLOAT_EQ(shrine->GetLight()->GetIntensity(), intensity);
    }

    Listen("GameEvent_ActivateTeleportMenu");
    shrine->RequestToUse(hero->GetObjectId());
    EXPECT_EQ(events.Count("GameEvent_ActivateTeleportMenu"), 1);
    // Another player's use opens no menu on this peer, whatever character it controls.
    auto* other = Place(MakeOf<Player>("Player"), 2.0f);
    other->SetIsControllingCharacter(true);
    shrine->RequestToUse(other->GetObjectId());
    EXPECT_EQ(events.Count("GameEvent_ActivateTeleportMenu"), 1);
    hero->SetIsControllingCharacter(false);   // still the local player
    shrine->RequestToUse(hero->GetObjectId());
    EXPECT_EQ(events.Count("GameEvent_ActivateTeleportMenu"), 2);
}

TEST_F(StrategicMovementTest, BothShrinesGiveTheMapTheirNameAndFacing)
{
    Hero(50.0f);
    auto* teleport = Point<StrategicMovementTeleportShrine>("StrategicMovementTeleportShrine", 0.0f,
                                                            "description,tagTeleportShrine,\n");
    auto* respawn = Point<StrategicMovementRespawnShrine>("StrategicMovementRespawnShrine", 10.0f,
                                                          "description,tagRespawnShrine,\n");
    std::vector<MinimapGameNugget> map;
    teleport->AppendDetailMapData(map);
    respawn->AppendDetailMapData(map);
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map[0].kind, StrategicMovementTeleportShrine::kMinimapKind);
    EXPECT_EQ(map[0].text, u"tagTeleportShrine");
    EXPECT_EQ(map[1].kind, StrategicMovementRespawnShrine::kMinimapKind);
    EXPECT_EQ(map[1].text, u"tagRespawnShrine");
    for (const MinimapGameNugget& entry : map) {
        EXPECT_FLOAT_EQ(entry.facing.z, 1.0f);
        EXPECT_FLOAT_EQ(entry.facing.x, 0.0f);
    }
    EXPECT_FLOAT_EQ(map[1].position.GetRegionPosition().x, 10.0f);
}

TEST_F(StrategicMovementTest, AFadeOfNoTimeTakesAMillisecond)
{
    Hero(0.0f);
    auto* marker = Point<StrategicMovementMarker>("StrategicMovementMarker", 0.0f, "lightFadeInTime,0,\n");
    EXPECT_EQ(marker->GetLightFadeInTime(), 1);
    Step();
    Step();
    EXPECT_EQ(marker->GetState(), StrategicMovementBaseState_Active);
    ASSERT_NE(marker->GetLight(), nullptr);
    Step();
    EXPECT_FLOAT_EQ(marker->GetLight()->GetIntensity(), 1.0f);
}

TEST_F(StrategicMovementTest, AKnownRespawnShrineWakesByUseAndSleepsWhenAnotherIsCurrent)
{
    Player* hero = Hero(2.0f);
    auto* first = Point<StrategicMovementRespawnShrine>("StrategicMovementRespawnShrine", 0.0f);
    auto* second = Point<StrategicMovementRespawnShrine>("StrategicMovementRespawnShrine", 30.0f);
    hero->AddRespawnUID(first->GetUniqueId());
    hero->AddRespawnUID(second->GetUniqueId());   // known, and the current one
    Step();
    Step();
    EXPECT_EQ(first->GetState(), StrategicMovementBaseState_Dormant);   // nearness does not wake it

    first->RequestToUse(hero->GetObjectId());
    EXPECT_EQ(first->GetState(), StrategicMovementBaseState_Active);
    EXPECT_TRUE(hero->IsCurrentRespawnPoint(first->GetUniqueId()));
    // The other shrine works its state out again every 250 ms, not between: it last did
    // 200 ms ago.
    Step();
    EXPECT_EQ(second->GetState(), StrategicMovementBaseState_Active);
    Step();
    EXPECT_EQ(second->GetState(), StrategicMovementBaseState_Dormant);

    hero->AddRespawnUID(second->GetUniqueId());
    Step();
    EXPECT_EQ(first->GetState(), StrategicMovementBaseState_Active);
    Step();
    EXPECT_EQ(first->GetState(), StrategicMovementBaseState_Dormant);
}

TEST_F(StrategicMovementTest, ARespawnShrineHealsEveryCharacterNearItOnceASecond)
{
    Player* hero = Hero(2.0f);
    auto* shrine = Point<StrategicMovementRespawnShrine>("StrategicMovementRespawnShrine", 0.0f, "healthPercent,10,\n");
    auto* idle = Point<StrategicMovementRespawnShrine>("StrategicMovementRespawnShrine", 40.0f);
    Place(DynamicCast<Character>(ObjectManager::Get().CreateObject("Character")), 41.0f);
    Step();
    EXPECT_EQ(shrine->GetQueuedCommandCount() + idle->GetQueuedCommandCount(), 0u);   // queued and run in the frame
    hero->SetLifeLimit(100.0f);
    hero->SetCurrentLife(50.0f);
    shrine->HandleTargets({hero->GetObjectId(), 999999});   // a stale id is passed over
    EXPECT_FLOAT_EQ(hero->GetCurrentLife(), 60.0f);
}

TEST_F(StrategicMovementTest, AStateIsSavedInFourBytesAndRestoredAtOnce)
{
    Hero(50.0f);
    auto* marker = Point<StrategicMovementMarker>("StrategicMovementMarker", 0.0f);
    Step();
    ASSERT_EQ(marker->GetState(), StrategicMovementBaseState_Dormant);
    BinaryWriter writer;
    marker->SaveState(writer);
    const std::vector<uint8_t> blob(writer.GetBuffer(), writer.GetBuffer() + writer.GetLength());
    EXPECT_EQ(blob, (std::vector<uint8_t>{0x03, 0, 0, 0}));

    const uint8_t active[] = {0x04, 0, 0, 0};
    BinaryReader reader(active, sizeof active);
    ASSERT_TRUE(marker->RestoreState(reader));
    EXPECT_EQ(marker->GetState(), StrategicMovementBaseState_Active);
    for (const std::vector<uint8_t>& bad : {std::vector<uint8_t>{0x04, 0}, std::vector<uint8_t>{0x05, 0, 0, 0}}) {
        BinaryReader broken(bad.data(), bad.size());
        EXPECT_FALSE(marker->RestoreState(broken));
        EXPECT_EQ(marker->GetState(), StrategicMovementBaseState_Active);
    }
}

}  // namespace
}  // namespace GAME
