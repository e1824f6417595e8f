// Teleports played out frame by frame: dissolve, loading, arrival and reappearance, the
// overlay drawn meanwhile, and what each activity holds of the engine given back.
#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/GraphicsCanvas.h"
#include "Engine/NetworkEntityList.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/TeleportActivity.h"
#include "core/EngineFixture.h"

using namespace GAME;

namespace {

constexpr uint32_t kOther = 0x20000001;   // a player of client host 2

class TeleportActivityTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ActivityManager::Destroy();
        source = World::Get().AddRegion(1, "Source");
        source->SetBounds({Vec3(50, 0, 50), Vec3(50, 10, 50)});
        destination = World::Get().AddRegion(2, "Destination", Vec3(1000, 0, 0));
        destination->SetBounds({Vec3(50, 0, 50), Vec3(50, 10, 50)});
        destination->SetFloor(2.0f, 0);
    }
    void TearDown() override
    {
        ActivityManager::Destroy();
        NetworkEntityList::Get().Clear();
        EngineTest::TearDown();
    }
    Player* Placed(Player* player)
    {
        World::Get().AddEntity(player, WorldCoords(source, Coords::MakeTranslation(Vec3(5, 0, 5))));
        return player;
    }
    // Runs the manager until the activity of that id has gone (at most a minute of frames).
    void RunOut(uint32_t id)
    {
        for (int i = 0; i < 4000 && ActivityManager::Get()->IsActivityActive(id); ++i)
            ActivityManager::Get()->Update(16);
    }
    TeleportActivity* Active(uint32_t id) const
    {
        return dynamic_cast<TeleportActivity*>(ActivityManager::Get()->GetActivity(id));
    }
    float OverlayAlpha(TeleportActivity& activity) const
    {
        GraphicsCanvas canvas(800, 600);
        activity.Render(canvas);
        return canvas.GetRenderedRects().empty() ? 0.0f : canvas.GetRenderedRects().back().color.alpha;
    }

    Region* source = nullptr;
    Region* destination = nullptr;
};

TEST_F(TeleportActivityTest, LocalServerTeleportDissolvesLoadsMovesAndReappears)
{
    Player* player = Placed(MakeMainPlayer());
    player->SetIsControllingCharacter(true);
    const int reloads = GraphicsEngine::Get()->GetReloadCount();
    engine->InitiatePlayerTeleport(1010, 5, 20);
    ActivityManager& manager = *ActivityManager::Get();
    manager.Update(0);
    TeleportActivity* activity = Active(1);
    ASSERT_NE(activity, nullptr);
    EXPECT_STREQ(activity->GetClassName(), "TeleportLocalServerActivity");
    EXPECT_EQ(activity->GetState(), TeleportActivity::State_Dissolve);
    EXPECT_TRUE(player->IsTeleporting());
    EXPECT_TRUE(player->IsInvincible());
    EXPECT_TRUE(player->GetMeshInstance().IsDissolving());
    EXPECT_EQ(player->GetMeshInstance().GetDissolveTexture(), "System/Textures/Cloud.tex");   // the mesh's, not the record's
    EXPECT_EQ(engine->GetMouseLockCount(), 1);
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 1);
    EXPECT_NE(engine->FindNRLoader(kMainPlayerId), nullptr);

    manager.Update(1250);
    EXPECT_FLOAT_EQ(OverlayAlpha(*activity), 0.5f);
    manager.Update(1300);   // past the dissolve time
    EXPECT_EQ(activity->GetState(), TeleportActivity::State_Load);
    EXPECT_TRUE(gEngine->IsTeleportMode());
    EXPECT_FALSE(engine->IsRenderingEnabled());
    EXPECT_EQ(GraphicsEngine::Get()->GetReloadCount(), reloads + 1);

    manager.Update(16);
    manager.Update(16);   // the host's own loader is done on its own regions
    EXPECT_FALSE(gEngine->IsTeleportMode());
    GraphicsCanvas canvas(800, 600);
    activity->Render(canvas);
    ASSERT_EQ(canvas.GetRenderedRects().size(), 1u);
    EXPECT_FLOAT_EQ(canvas.GetRenderedRects()[0].color.alpha, 1.0f);
    ASSERT_FALSE(canvas.GetRenderedTextures().empty());
    EXPECT_EQ(canvas.GetRenderedTextures()[0].x, 700);
    EXPECT_EQ(canvas.GetRenderedTextures()[0].y, 500);

    manager.Update(1000);   // the loading period
    EXPECT_EQ(activity->GetState(), TeleportActivity::State_Reappear);
    EXPECT_TRUE(engine->IsRenderingEnabled());
    EXPECT_TRUE(player->GetMeshInstance().IsUnDissolving());
    EXPECT_EQ(player->GetCoords().GetRegion(), destination);
    EXPECT_EQ(player->GetCoords().GetRegionCoords().origin, Vec3(10, 5, 20));
    manager.Update(500);
    EXPECT_FLOAT_EQ(OverlayAlpha(*activity), 0.8f);

    player->SetIsControllingCharacter(false);
    EXPECT_FLOAT_EQ(OverlayAlpha(*activity), 0.0f);   // another's teleport draws nothing here
    manager.Update(2100);
    EXPECT_FALSE(manager.IsActivityActive(1));
    EXPECT_FALSE(player->IsInvincible());
    EXPECT_FALSE(player->IsTeleporting());
    EXPECT_EQ(engine->GetMouseLockCount(), 0);
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 0);
    EXPECT_EQ(engine->FindNRLoader(kMainPlayerId), nullptr);
}

TEST_F(TeleportActivityTest, TeleportIntoNoRegionEndsAtOnceLeavingThePlayerAlone)
{
    Player* player = Placed(MakeMainPlayer());
    TeleportLocalClientActivity activity;
    activity.Set(-500, 0, -500, kMainPlayerId);
    EXPECT_TRUE(activity.IsFinished());
    activity.Update(16);
    EXPECT_FALSE(player->IsTeleporting());
    EXPECT_FALSE(player->IsInvincible());
    EXPECT_FALSE(player->GetMeshInstance().IsDissolving());
    EXPECT_EQ(player->GetCoords().GetRegion(), source);
    EXPECT_EQ(engine->FindNRLoader(kMainPlayerId), nullptr);
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 0);
}

// Overlapping teleports of several kinds each give back only what they took: one that ends
// early leaves the others' sleep counter and mouse lock raised. The server's teleport of a
// client's player hands the client's view back with only the objects still there.
TEST_F(TeleportActivityTest, OverlappingTeleportsReleaseOnlyTheirOwnHolds)
{
    Placed(MakeMainPlayer());
    Player* other = Placed(DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kOther)));
    NetworkEntityList::Get().SetFrustumEntry({2, {}, {kMainPlayerId, 0x7777777}});
    ActivityManager& manager = *ActivityManager::Get();

    engine->InitiatePlayerTeleport(1010, 5, 20);      // 1: local, server side
    engine->InitiatePlayerTeleport(-500, 0, -500);    // 2: nowhere
    engine->InstallTeleportActivity(kOther, 1020, 5, 20);   // 3: a client's player
    manager.Update(16);
    EXPECT_FALSE(manager.IsActivityActive(2));
    EXPECT_EQ(engine->GetMouseLockCount(), 1);
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 1);

    auto* client = new TeleportLocalClientActivity;   // 4: as a client would run it
    client->Set(1030, 5, 30, kMainPlayerId);
    manager.InstallActivity(client);
    auto* watcher = new TeleportNonLocalClientActivity;   // 5: another's, seen from a client
    watcher->Set(1040, 5, 40, kOther);
    manager.InstallActivity(watcher);
    manager.Update(2600);
    EXPECT_EQ(engine->GetMouseLockCount(), 2);
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 2);
    EXPECT_FALSE(other->IsInWorld());   // between places on the server
    NetworkFrustumEntry entry;
    EXPECT_FALSE(NetworkEntityList::Get().GetFrustumEntry(2, entry));

    engine->CtoS_HandleNRLoaderStateChangeInbound(kOther, NRLoaderState_Loaded);
    RunOut(1);
    EXPECT_TRUE(manager.IsActivityActive(4));
    EXPECT_EQ(engine->GetMouseLockCount(), 1);
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 1);

    client->GetLoader()->SetRemoteState(NRLoaderState_Loaded);
    watcher->GetLoader()->SetRemoteState(NRLoaderState_Loaded);
    RunOut(3);
    RunOut(4);
    RunOut(5);
    EXPECT_EQ(engine->GetMouseLockCount(), 0);
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 0);
    EXPECT_TRUE(other->IsInWorld());
    EXPECT_EQ(other->GetCoords().GetRegionCoords().origin, Vec3(40, 2, 40));   // the watcher placed it last
    ASSERT_TRUE(NetworkEntityList::Get().GetFrustumEntry(2, entry));
    EXPECT_EQ(entry.objectIds, std::vector<uint32_t>{kMainPlayerId});
    EXPECT_EQ(gEngine->GetClientEntityUpdateCount(2), 1);
}

// A client's player who vanishes between places ends the server's teleport; the client's
// view taken meanwhile is handed back, not lost.
TEST_F(TeleportActivityTest, ServerTeleportCutShortGivesTheClientsViewBack)
{
    auto* other = Placed(DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kOther)));
    NetworkEntityList::Get().SetFrustumEntry({2, {}, {kOther}});
    engine->InstallTeleportActivity(kOther, 1020, 5, 20);
    ActivityManager::Get()->Update(16);
    ActivityManager::Get()->Update(2600);
    NetworkFrustumEntry entry;
    EXPECT_FALSE(NetworkEntityList::Get().GetFrustumEntry(2, entry));
    ObjectManager::Get().DestroyObjectEx(other, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    ActivityManager::Get()->Update(16);
    EXPECT_FALSE(ActivityManager::Get()->IsActivityActive(1));
    EXPECT_TRUE(NetworkEntityList::Get().GetFrustumEntry(2, entry));
}

}  // namespace
