#include "Engine/RegionLoader.h"
#include "Game/network/NetworkRegionLoader.h"
#include "tests/network/GameWireFixture.h"

using namespace GAME;

namespace {

class NetworkRegionLoaderTest : public GameWireTest {
protected:
    WorldVec3 Place() { return WorldVec3(World::Get().GetRegionById(7), Vec3(1, 0, 1)); }

    // The loader states sent so far, in order.
    std::vector<unsigned char> SentStates() const
    {
        std::vector<unsigned char> states;
        for (const auto& packet : transport.sent)
            if (packet.bytes.size() == 10 && packet.bytes[0] == 47)
                states.push_back(packet.bytes[6]);
        return states;
    }
};

struct CountingListener : NRLoaderListener {
    void OnRegionsLoaded() override { ++calls; }
    int calls = 0;
};

TEST_F(NetworkRegionLoaderTest, ClientDoneLocallyWaitsForTheServersReport)
{
    engine->SetAsNetworkClient();
    NetworkRegionLoaderBase* loader = engine->CreateNetworkLoader(0x10000005, Place());
    ASSERT_NE(dynamic_cast<NRLoaderClient*>(loader), nullptr);
    EXPECT_EQ(engine->FindNRLoader(0x10000005), loader);
    loader->Update();   // builds and starts loading
    EXPECT_EQ(loader->GetLocalState(), NRLoaderState_Loading);
    loader->Update();   // the one region is in
    EXPECT_EQ(loader->GetLocalState(), NRLoaderState_Loaded);
    EXPECT_EQ(SentStates(), (std::vector<unsigned char>{1, 2}));
    EXPECT_EQ(transport.sent.back().to, kServer);

    engine->StoC_HandleNRLoaderStateChangeInbound(0x10000005, NRLoaderState_Loading);
    EXPECT_FALSE(loader->IsDone());
    engine->StoC_HandleNRLoaderStateChangeInbound(0x10000005, NRLoaderState_Loaded);
    EXPECT_TRUE(loader->IsDone());
    engine->DestroyNetworkLoader(loader);
}

TEST_F(NetworkRegionLoaderTest, HeldServerTellsItsListenersOnceAndReportsAfterTheHoldClears)
{
    engine->SetAsNetworkServer();
    auto* loader = dynamic_cast<NRLoaderServer*>(engine->CreateNetworkLoader(0x10000005, Place()));
    ASSERT_NE(loader, nullptr);
    CountingListener listener;
    loader->AddListener(&listener);
    loader->SetHold();
    loader->Update();
    loader->Update();   // its regions are in, the client's are not
    EXPECT_EQ(listener.calls, 0);
    engine->CtoS_HandleNRLoaderStateChangeInbound(0x10000005, NRLoaderState_Loaded);
    loader->Update();
    loader->Update();
    EXPECT_EQ(listener.calls, 1);
    EXPECT_EQ(loader->GetLocalState(), NRLoaderState_Loading);
    EXPECT_FALSE(loader->IsDone());

    loader->ClearHold();
    loader->Update();
    EXPECT_EQ(listener.calls, 1);
    EXPECT_TRUE(loader->IsDone());
    EXPECT_EQ(SentStates(), (std::vector<unsigned char>{1, 2}));
    EXPECT_EQ(transport.sent.back().to, kAllClients);
    engine->DestroyNetworkLoader(loader);
}

TEST_F(NetworkRegionLoaderTest, ServerHostLoaderIsDoneOnItsOwnStateAndOthersGetServerLoaders)
{
    engine->SetAsNetworkServer();
    engine->CreateNetworkLoaderInbound(engine->GetPlayerId(), Place());
    engine->CreateNetworkLoaderInbound(engine->GetPlayerId() + 1, Place());
    NetworkRegionLoaderBase* own = engine->FindNRLoader(engine->GetPlayerId());
    NetworkRegionLoaderBase* other = engine->FindNRLoader(engine->GetPlayerId() + 1);
    ASSERT_NE(dynamic_cast<NRLoaderHost*>(own), nullptr);
    ASSERT_NE(dynamic_cast<NRLoaderServer*>(other), nullptr);
    own->Update();
    own->Update();
    EXPECT_TRUE(own->IsDone());
    engine->DestroyNetworkLoader(own);
    engine->DestroyNetworkLoader(other);
}

// Nothing to load at a place in no region: the loader does not wait on a loader it never built.
TEST_F(NetworkRegionLoaderTest, LoaderInNoRegionCountsAsLoaded)
{
    engine->SetAsNetworkClient();
    auto* loader = dynamic_cast<NRLoaderClient*>(engine->CreateNetworkLoader(0x10000005, WorldVec3()));
    ASSERT_NE(loader, nullptr);
    loader->Update();
    EXPECT_EQ(loader->GetRegionLoader(), nullptr);
    loader->Update();
    EXPECT_EQ(loader->GetLocalState(), NRLoaderState_Loaded);
    loader->SetRemoteState(NRLoaderState_Loaded);
    EXPECT_TRUE(loader->IsDone());
    engine->DestroyNetworkLoader(loader);

    NetworkRegionLoaderBase bare;
    EXPECT_FALSE(bare.HasPlayer());
    bare.SetRemoteState(NRLoaderState_Loaded);
    EXPECT_TRUE(bare.IsDone());
}

TEST_F(NetworkRegionLoaderTest, LoaderRegisteredTwiceGoesEntirely)
{
    NetworkRegionLoaderBase* loader = engine->CreateNetworkLoader(3, Place());
    engine->RegisterNRLoader(4, loader);
    engine->RegisterNRLoader(3, loader);
    EXPECT_EQ(engine->FindNRLoader(4), loader);
    engine->DestroyNetworkLoader(loader);
    EXPECT_EQ(engine->FindNRLoader(3), nullptr);
    EXPECT_EQ(engine->FindNRLoader(4), nullptr);
    engine->StoC_HandleNRLoaderStateChangeInbound(3, NRLoaderState_Loaded);   // no loader: ignored
    engine->DestroyNetworkLoader(nullptr);
}

TEST(RegionsInFrustumTest, StartFirstThenBoundedRegionsReachingInsideEveryPlane)
{
    World world;
    Region* start = world.AddRegion(1, "Start", Vec3(0, 0, 0));
    Region* near = world.AddRegion(2, "Near", Vec3(10, 0, 0));
    Region* behind = world.AddRegion(3, "Behind", Vec3(-10, 0, 0));
    world.AddRegion(4, "Unbounded", Vec3(10, 0, 0));
    near->SetBounds({Vec3(0, 0, 0), Vec3(2, 2, 2)});
    behind->SetBounds({Vec3(0, 0, 0), Vec3(2, 2, 2)});
    // x >= 0 in the start region's space: the region behind ends at x = -8.
    WorldFrustum frustum{start, {Plane{Vec3(1, 0, 0), 0.0f}}};
    std::vector<Region*> found;
    world.GetRegionsInFrustum(found, start, frustum, false);
    EXPECT_EQ(found, (std::vector<Region*>{start, near}));
    // Pushed out by 8 the plane reaches the region behind.
    frustum.planes[0].distance += 8.0f;
    found.clear();
    world.GetRegionsInFrustum(found, start, frustum, false);
    EXPECT_EQ(found, (std::vector<Region*>{start, near, behind}));
}

TEST(RegionLoaderTest, FinishesOneRegionAFrame)
{
    World world;
    Region* a = world.AddRegion(1, "A");
    Region* b = world.AddRegion(2, "B");
    RegionLoader loader(gEngine->GetResourceLoader(), {a, b}, true);
    EXPECT_FALSE(loader.GetIsDone());
    loader.Update();
    EXPECT_FALSE(loader.GetIsDone());
    loader.Update();
    EXPECT_TRUE(loader.GetIsDone());
    EXPECT_TRUE(RegionLoader(gEngine->GetResourceLoader(), {}, true).GetIsDone());
}

}  // namespace
