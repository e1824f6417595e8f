// Respawn activities: the fade, the load and the period, what they lend the engine (mouse
// lock, sleep counter) and give back, and how the game engine starts them.
#include <cstdlib>
#include <new>

#include "Engine/Engine.h"
#include "Engine/GraphicsCanvas.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/RespawnActivity.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/NetworkRegionLoader.h"
#include "tests/network/GameWireFixture.h"

// Every single-object allocation of this program goes through here (plain and nothrow,
// so that each pairs with its release), so that a case can make the n-th allocation from
// now fail (0: none fails).
namespace {
long gAllocationsBeforeFailure = 0;
}

void* operator new(std::size_t size)
{
    if (gAllocationsBeforeFailure > 0 && --gAllocationsBeforeFailure == 0)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

using namespace GAME;

namespace {

constexpr uint32_t kClientPlayer = 0x10000001;

class RespawnActivityTest : public GameWireTest {
protected:
    WorldVec3 Place() { return WorldVec3(World::Get().GetRegionById(7), Vec3(1, 0, 1)); }
    static RespawnActivityBase* Respawn(uint32_t id)
    {
        return dynamic_cast<RespawnActivityBase*>(ActivityManager::Get()->GetActivity(id));
    }
    // Runs frames of `step` ms while the condition holds; the time it took.
    template <class Condition>
    int RunWhile(Condition condition, int step = 100)
    {
        int ms = 0;
        for (; condition() && ms < 100000; ms += step)
            ActivityManager::Get()->Update(step);
        return ms;
    }
    bool RenderingOff() const { return !engine->IsRenderingEnabled(); }
};

TEST_F(RespawnActivityTest, LocalServerRespawnFadesLoadsWaitsAndFadesBack)
{
    engine->SetAsNetworkServer();
    MakeMainPlayer();
    const uint32_t id = engine->StartRespawnForLocalPlayer(Place());
    ASSERT_NE(id, 0u);
    RespawnActivityBase* respawn = Respawn(id);
    ASSERT_NE(dynamic_cast<RespawnLocalServerActivity*>(respawn), nullptr);
    EXPECT_NE(dynamic_cast<const NRLoaderHost*>(respawn->GetLoader()), nullptr);
    EXPECT_EQ(engine->FindNRLoader(kMainPlayerId), respawn->GetLoader());
    EXPECT_TRUE(engine->IsDeathLoaderActive(id));
    EXPECT_EQ(engine->GetMouseLockCount(), 1);

    // Fading to black for a second; the overlay covers the canvas.
    EXPECT_EQ(RunWhile([&] { return respawn->GetState() == 0; }), 1000);
    EXPECT_TRUE(gEngine->IsTeleportMode());
    EXPECT_TRUE(RenderingOff());
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 1);
    EXPECT_NEAR(respawn->GetOverlayAlpha(), 0.9f, 1e-4f);
    GraphicsCanvas canvas(800, 600);
    ActivityManager::Get()->Render(canvas);
    ASSERT_EQ(canvas.GetRenderedRects().size(), 1u);
    EXPECT_EQ(canvas.GetRenderedRects()[0].rect.width, 800.0f);
    EXPECT_EQ(canvas.GetRenderedRects()[0].rect.height, 600.0f);
    EXPECT_EQ(canvas.GetRenderedRects()[0].color.red, 0.0f);
    EXPECT_NEAR(canvas.GetRenderedRects()[0].color.alpha, 0.9f, 1e-4f);
    // The indicator, faded in while the view went dark, sits by the bottom right corner.
    ASSERT_EQ(canvas.GetRenderedTextures().size(), 2u);
    EXPECT_EQ(canvas.GetRenderedTextures()[0].texture, "InGameUI/UI_LoadingArt_Grey01.tex");
    EXPECT_EQ(canvas.GetRenderedTextures()[1].texture, "InGameUI/UI_LoadingArt_01.tex");
    EXPECT_EQ(canvas.GetRenderedTextures()[0].x, 700);
    EXPECT_EQ(canvas.GetRenderedTextures()[0].y, 500);

    // The host's own regions were in long ago: the load screen shows for its period.
    EXPECT_EQ(RunWhile([&] { return respawn->GetState() == 1; }), 1000);
    EXPECT_TRUE(respawn->IsRespawnComplete());
    EXPECT_FALSE(gEngine->IsTeleportMode());
    EXPECT_FALSE(RenderingOff());
    EXPECT_EQ(engine->FindNRLoader(kMainPlayerId), nullptr);
    canvas.ClearJournal();
    ActivityManager::Get()->Render(canvas);
    EXPECT_EQ(canvas.GetRenderedRects().size(), 1u);
    EXPECT_TRUE(canvas.GetRenderedTextures().empty());

    // Back from black after one update's delay, then gone.
    respawn->WriteStatisticsLine();
    EXPECT_EQ(gEngine->GetStatisticText().back(), "RespawnLocalServerActivity");
    const int fade = RunWhile([&] { return engine->IsDeathLoaderActive(id); });
    EXPECT_GE(fade, 1000);
    EXPECT_LE(fade, 1200);
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 0);
    EXPECT_EQ(engine->GetMouseLockCount(), 0);
}

TEST_F(RespawnActivityTest, LoaderDoneAt2300MsKeeps300AndLeavesLoading700MsLater)
{
    engine->SetAsNetworkServer();
    MakeMainPlayer();
    ObjectManager::Get().CreateObject("Player", kClientPlayer);
    engine->CtoS_StartServerRespawnInbound(kClientPlayer, Place());
    ActivityManager::Get()->Update(0);   // starts it
    RespawnActivityBase* respawn = Respawn(1);
    ASSERT_NE(dynamic_cast<RespawnNonLocalServerActivity*>(respawn), nullptr);
    EXPECT_NE(dynamic_cast<const NRLoaderServer*>(respawn->GetLoader()), nullptr);

    EXPECT_EQ(RunWhile([&] { return respawn->GetState() == 0; }), 1000);
    RunWhile([&] { return respawn->GetElapsed() < 2200; });
    EXPECT_FALSE(respawn->IsLoaded());   // the client has not reported
    engine->CtoS_HandleNRLoaderStateChangeInbound(kClientPlayer, NRLoaderState_Loaded);
    ActivityManager::Get()->Update(100);
    EXPECT_TRUE(respawn->IsLoaded());
    EXPECT_EQ(respawn->GetElapsed(), 300);
    EXPECT_EQ(RunWhile([&] { return respawn->GetState() == 1; }), 700);

    // The server's kind neither draws nor touches this machine's view or counters.
    GraphicsCanvas canvas(800, 600);
    ActivityManager::Get()->Render(canvas);
    EXPECT_TRUE(canvas.GetRenderedRects().empty());
    EXPECT_FALSE(respawn->IsRespawnComplete());
    EXPECT_FALSE(gEngine->IsTeleportMode());
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 0);
    EXPECT_EQ(engine->GetMouseLockCount(), 0);
    RunWhile([&] { return ActivityManager::Get()->IsActivityActive(1); });
}

// The missing-player step is taken once: the overlay fades and the activity ends, with
// one raise of the sleep counter lowered again.
TEST_F(RespawnActivityTest, MissingPlayerFadesOutWithTheCounterBalanced)
{
    engine->SetAsNetworkServer();
    Player* player = MakeMainPlayer();
    const uint32_t id = engine->StartRespawnForLocalPlayer(Place());
    RespawnActivityBase* respawn = Respawn(id);
    RunWhile([&] { return respawn->GetState() == 0 || respawn->GetElapsed() < 300; });
    ObjectManager::Get().DestroyObjectEx(player, "test", __LINE__);

    int most = 0;
    const int ms = RunWhile([&] {
        most = std::max(most, engine->GetNeedsSleepCounter());
        return engine->IsDeathLoaderActive(id);
    }, 10);
    EXPECT_LE(ms, 1200);
    EXPECT_EQ(most, 1);
    EXPECT_FALSE(gEngine->IsTeleportMode());
    EXPECT_FALSE(RenderingOff());
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 0);
    EXPECT_EQ(engine->GetMouseLockCount(), 0);
}

TEST_F(RespawnActivityTest, AnyMixOfRespawnsGivesBackTheCounterAndTheMouse)
{
    engine->SetAsNetworkServer();
    MakeMainPlayer();
    ObjectManager::Get().CreateObject("Player", kClientPlayer);
    ActivityManager* manager = ActivityManager::Get();

    const uint32_t first = engine->StartRespawnForLocalPlayer(Place());
    engine->CtoS_StartServerRespawnInbound(kClientPlayer, Place());
    engine->CtoS_StartServerRespawnInbound(0x10000077, Place());   // no such player
    RunWhile([&] { return Respawn(first)->GetState() == 0; });
    const uint32_t second = engine->StartRespawnForLocalPlayer(Place());
    EXPECT_EQ(engine->GetMouseLockCount(), 2);
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 1);
    RunWhile([&] { return manager->IsActivityActive(first); });
    // The first one's end lowers its own raise only; the second still holds the mouse.
    EXPECT_EQ(engine->GetMouseLockCount(), 1);
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 1);
    ASSERT_TRUE(manager->IsActivityActive(second));

    engine->CtoS_StartServerRespawnInbound(kClientPlayer, Place());   // still pending
    manager->Clear();
    EXPECT_EQ(engine->GetNeedsSleepCounter(), 0);
    EXPECT_EQ(engine->GetMouseLockCount(), 0);
    EXPECT_EQ(engine->FindNRLoader(kMainPlayerId), nullptr);
    EXPECT_EQ(engine->FindNRLoader(kClientPlayer), nullptr);
}

TEST_F(RespawnActivityTest, ClientStartAsksTheServerToLoadForItsPlayer)
{
    engine->SetAsNetworkClient();
    MakeMainPlayer();
    transport.sent.clear();
    const uint32_t id = engine->StartRespawnForLocalPlayer(Place());
    RespawnActivityBase* respawn = Respawn(id);
    ASSERT_NE(dynamic_cast<RespawnLocalClientActivity*>(respawn), nullptr);
    EXPECT_NE(dynamic_cast<const NRLoaderClient*>(respawn->GetLoader()), nullptr);

    StartServerRespawnPacket expected;
    expected.playerId = kMainPlayerId;
    expected.location = Place();
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to, kServer);
    EXPECT_EQ(transport.sent[0].bytes, Written(expected));

    // A client runs no server loader for anyone.
    engine->CtoS_StartServerRespawnInbound(kClientPlayer, Place());
    ActivityManager::Get()->Update(0);
    EXPECT_FALSE(ActivityManager::Get()->IsActivityActive(id + 1));
}

// However far the start gets before memory runs out, nothing is left installed, locked,
// registered or sent, and the start answers 0.
TEST_F(RespawnActivityTest, AllocationFailureLeavesNothingBehind)
{
    engine->SetAsNetworkClient();
    MakeMainPlayer();
    transport.sent.clear();
    uint32_t id = 0;
    int failures = 0;
    for (long failAt = 1; id == 0 && failAt < 200; ++failAt) {
        gAllocationsBeforeFailure = failAt;
        try {
            id = engine->StartRespawnForLocalPlayer(Place());
        } catch (const std::bad_alloc&) {
            break;   // out of memory past the making: the send, which reports it itself
        }
        const bool failed = gAllocationsBeforeFailure == 0;
        gAllocationsBeforeFailure = 0;
        if (id != 0)
            break;
        EXPECT_TRUE(failed) << failAt;
        ++failures;
        EXPECT_EQ(engine->GetMouseLockCount(), 0) << failAt;
        EXPECT_EQ(engine->FindNRLoader(kMainPlayerId), nullptr) << failAt;
        EXPECT_TRUE(transport.sent.empty()) << failAt;
        for (uint32_t probe = 1; probe < 200; ++probe)
            ASSERT_FALSE(ActivityManager::Get()->IsActivityActive(probe)) << failAt;
    }
    gAllocationsBeforeFailure = 0;
    EXPECT_GE(failures, 3);   // the activity, its indicator and its loader
    ActivityManager::Get()->Clear();
    transport.sent.clear();
    id = engine->StartRespawnForLocalPlayer(Place());
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(engine->IsDeathLoaderActive(id));
    EXPECT_EQ(engine->GetMouseLockCount(), 1);
    EXPECT_EQ(transport.sent.size(), 1u);
}

}  // namespace
