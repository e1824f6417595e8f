#include "EngineFixture.h"
#include "Game/world/FixedItem.h"
#include "Game/world/ZoneManager.h"

using namespace GAME;

namespace {

class PortalTest : public EngineTest {
protected:
    void TearDown() override
    {
        ZoneManager::Get().Reset();
        EngineTest::TearDown();
    }
    std::vector<uint32_t> PortalIds() const
    {
        std::vector<uint32_t> ids;
        for (const FixedItemTeleportInfo& info : engine->GetTeleportInfoList())
            ids.push_back(info.portalId);
        return ids;
    }
    static WorldCoords At(Region* region)
    {
        Coords coords;
        coords.origin = Vec3{1, 0, 1};
        return WorldCoords(region, coords);
    }
};

TEST_F(PortalTest, OnePortalPerOwnerAndDestroyingMatchesOwnerOrPortal)
{
    engine->CreateFixedItemTeleportNetHook(WorldCoords(), 7, 100, "a");
    engine->CreateFixedItemTeleportNetHook(WorldCoords(), 7, 101, "b");   // replaces 100
    engine->CreateFixedItemTeleportNetHook(WorldCoords(), 8, 101, "c");   // 101 is listed: ignored
    EXPECT_EQ(PortalIds(), (std::vector<uint32_t>{101}));
    ASSERT_NE(engine->GetTeleportInfo(101), nullptr);
    EXPECT_EQ(engine->GetTeleportInfo(101)->ownerId, 7u);
    EXPECT_EQ(engine->GetTeleportInfo(101)->text, "b");
    EXPECT_FALSE(engine->ValidateArtifactPortal(100));

    {
        LogCapture log;
        engine->CreateFixedItemTeleportNetHook(WorldCoords(), 9, 0, "");
        EXPECT_TRUE(log.Contains("Portal: a portal of owner 9 has id 0; ignored"));
    }
    engine->CreateFixedItemTeleportNetHook(WorldCoords(), 8, 102, "");
    engine->CreateFixedItemTeleportNetHook(WorldCoords(), 9, 7, "");   // its id is owner 7's id
    engine->DestroyFixedItemTeleportNetHook(7);
    EXPECT_EQ(PortalIds(), (std::vector<uint32_t>{102}));
    engine->RemovePortalsFor(8);
    EXPECT_TRUE(engine->GetTeleportInfoList().empty());

    engine->CreateFixedItemTeleportNetHook(WorldCoords(), 8, 103, "");
    engine->ExitPlayingMode();
    EXPECT_TRUE(engine->GetTeleportInfoList().empty());
}

TEST_F(PortalTest, MainPlayerCreatesAtOnceOrAsksFirst)
{
    RecordingNetwork network;
    engine->InstallNetworkInterface(&network);
    DialogManager& dialogs = engine->GetDialogManager();
    engine->CreateFixedItemTeleport();   // no main player
    EXPECT_TRUE(network.calls.empty());

    MakeMainPlayer();
    engine->SetCinematicText("tagCinematic");
    engine->CreateFixedItemTeleport();
    ASSERT_EQ(network.calls.size(), 1u);
    const std::string prefix = "portal " + std::to_string(kMainPlayerId) + " ";
    EXPECT_EQ(network.calls[0].rfind(prefix, 0), 0u) << network.calls[0];
    EXPECT_NE(network.calls[0].find(" tagCinematic 0"), std::string::npos) << network.calls[0];
    EXPECT_EQ(dialogs.GetNumDialog(), 0u);

    // Owning one already: the question is asked once and nothing is sent until a yes.
    engine->CreateFixedItemTeleportNetHook(WorldCoords(), kMainPlayerId, 500, "");
    EXPECT_TRUE(engine->MainPlayerHasPersonalTeleport());
    engine->CreateFixedItemTeleport();
    engine->CreateFixedItemTeleport();   // pending: nothing
    EXPECT_EQ(dialogs.GetNumDialog(), 1u);
    EXPECT_EQ(dialogs.PeekTopDialog()->party, kPortalDialogParty);
    EXPECT_EQ(dialogs.PeekTopDialog()->type, kDialogTypeYesNo);
    EXPECT_EQ(network.calls.size(), 1u);
    dialogs.AddResponse(kPortalDialogParty, true);
    engine->Update(16);
    ASSERT_EQ(network.calls.size(), 2u);
    EXPECT_EQ(network.calls[1].rfind(prefix, 0), 0u) << network.calls[1];
    EXPECT_NE(network.calls[1], network.calls[0]);   // a fresh portal id
}

TEST_F(PortalTest, PortalObjectOnlyInALoadedRegionOnTheHostRoles)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);   // the bundled portal record
    Region* region = World::Get().AddRegion(1, "Field");
    Player* player = MakeMainPlayer();
    ZoneManager::Get().SetActForRegion(1, 2);
    EXPECT_EQ(engine->GetMainPlayersPersonalPortalZone(), 0);

    engine->CreateFixedItemTeleportNetHook(At(region), player->GetObjectId(), 600, "");
    auto* portal = ObjectManager::Get().GetObject<FixedItem>(600);
    ASSERT_NE(portal, nullptr);
    EXPECT_EQ(World::Get().GetEntityCount(), 1u);
    EXPECT_EQ(portal->GetCoords().GetRegion(), region);
    EXPECT_EQ(engine->GetMainPlayersPersonalPortalZone(), 2);

    World::Get().Reset();   // the region is unloaded: the portal is only listed
    engine->CreateFixedItemTeleportNetHook(At(region), 8, 601, "");
    EXPECT_EQ(ObjectManager::Get().GetObject<Object>(601), nullptr);
    EXPECT_EQ(engine->GetMainPlayersPersonalPortalZone(), 0);

    region = World::Get().AddRegion(1, "Field");
    engine->SetAsNetworkClient();
    engine->CreateFixedItemTeleportNetHook(At(region), 9, 602, "");
    EXPECT_EQ(ObjectManager::Get().GetObject<Object>(602), nullptr);
    EXPECT_TRUE(engine->ValidateArtifactPortal(602));
}

}  // namespace
