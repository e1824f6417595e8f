// A client's player teleports in a game served by another process: the client's end may
// finish only once both loaders have reported their place loaded, and the server, which
// holds its loader until the player is placed again, reports only after its arrival.
#include <string>

#include "Engine/LoadTable.h"
#include "Engine/NetworkEntityList.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/TeleportActivity.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/world/FixedItemTeleport.h"
#include "tests/network/PeerFixture.h"

using namespace GAME;

namespace {

class TeleportPeerTest : public PeerTest {
protected:
    void SetUp() override
    {
        PeerTest::SetUp();
        ActivityManager::Destroy();
        Region* source = World::Get().AddRegion(1, "Source");
        source->SetBounds({Vec3(50, 0, 50), Vec3(50, 10, 50)});
        Region* destination = World::Get().AddRegion(2, "Destination", Vec3(1000, 0, 0));
        destination->SetBounds({Vec3(50, 0, 50), Vec3(50, 10, 50)});
        destination->SetFloor(2.0f, 0);
    }
    void TearDown() override
    {
        ActivityManager::Destroy();
        NetworkEntityList::Get().Clear();
        PeerTest::TearDown();
    }
    static void PlaceAtSource(Player* player)
    {
        World::Get().AddEntity(player, WorldCoords(World::Get().GetRegionById(1), Coords::MakeTranslation(Vec3(5, 0, 5))));
    }
    static TeleportActivity* FirstActivity()
    {
        return dynamic_cast<TeleportActivity*>(ActivityManager::Get()->GetActivity(1));
    }
    // A state is noted each time it changes (an activity is first seen after its first
    // update, in state 1, and gone in the update that finishes it); the loader's own and
    // remote states when it first reaches `mark`.
    struct Watch {
        std::string states;
        std::string atMark;
        int last = -1;
        void See(const TeleportActivity* activity, int mark)
        {
            if (!activity || activity->GetState() == last)
                return;
            last = activity->GetState();
            states += std::to_string(last);
            if (last == mark && activity->GetLoader())
                atMark = std::to_string(activity->GetLoader()->GetLocalState()) + "/" +
                         std::to_string(activity->GetLoader()->GetRemoteState());
        }
    };
};

TEST_F(TeleportPeerTest, ClientTeleportEndsOnlyAfterBothLoadersReportLoaded)
{
    // The portal the guest steps through, where it stands on both sides: a boat's, which
    // stays. A player's portal that no owner registered leaves the world after two seconds
    // of game time, which a loaded machine lets pass on the server before the guest's use
    // arrives; the use of a portal the server no longer has leads to no teleport there.
    RecordDatabase::Get().RegisterRecord("Records/Test/PeerBoat.dbr", "Class,FixedItemTeleport,\nstaticPortal,1,\n");
    auto* portal = ObjectManager::Get().CreateObjectFromFile<FixedItemTeleport>("Records/Test/PeerBoat.dbr");
    ASSERT_NE(portal, nullptr);
    World::Get().AddEntity(portal, WorldCoords(World::Get().GetRegionById(1), Coords::MakeTranslation(Vec3(5, 0, 5))));
    const uint32_t portalId = portal->GetObjectId();
    PeerProcess guest = Client(1, kGuest, u"Guest", [this, portalId] {
        Player* player = ObjectManager::Get().GetObject<Player>(kGuest);
        PlaceAtSource(player);
        RunUntil([this] { return RosterSize() == 2; });
        UseItemPacket use;
        use.characterId = kGuest;
        use.itemId = portalId;
        use.position = player->GetPathPosition();
        ConnectionManager::Get().SendToServer(use);
        engine->InitiatePlayerTeleport(1010, 5, 20);
        Watch watch;
        RunUntil([&] {
            watch.See(FirstActivity(), 3);
            return watch.last >= 0 && !FirstActivity();
        });
        const Vec3 at = player->GetCoords().GetRegionCoords().origin;
        return "states " + watch.states + " loaders at arrival " + watch.atMark + " region " +
               std::to_string(player->GetCoords().GetRegion()->GetId()) + " at " + std::to_string(int(at.x)) + " " +
               std::to_string(int(at.y)) + " " + std::to_string(int(at.z)) + " teleporting " +
               std::to_string(player->IsTeleporting());
    });
    // The server's copy of the guest's character, where the guest stands.
    auto* remote = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kGuest));
    PlaceAtSource(remote);
    Serve();
    Watch server;
    ASSERT_TRUE(RunUntil([&] {
        server.See(FirstActivity(), 3);
        return guest.IsDone();
    }));
    KeepPlaying();

    EXPECT_EQ(guest.GetReport(), "states 1234 loaders at arrival 2/2 region 2 at 10 2 20 teleporting 0");
    EXPECT_EQ(server.states, "123");
    EXPECT_EQ(server.atMark, "1/2");             // held: the client's 2 heard, its own not yet sent
    EXPECT_EQ(FirstActivity(), nullptr);         // the server's end has finished too
    EXPECT_EQ(engine->FindNRLoader(kGuest), nullptr);
    EXPECT_TRUE(remote->IsInWorld());
    EXPECT_EQ(remote->GetCoords().GetRegionCoords().origin, Vec3(10, 2, 20));
    NetworkFrustumEntry entry;
    EXPECT_TRUE(NetworkEntityList::Get().GetFrustumEntry(1, entry));
    EXPECT_EQ(gEngine->GetClientEntityUpdateCount(1), 1);
}

}  // namespace
