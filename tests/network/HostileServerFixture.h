// A server with its own player and one connected client whose player has joined and
// stands in the world: the stage on which a hostile client's packets are received, each
// through the host's real dispatch, as if host 1 had sent it.
#pragma once

#include <memory>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/items/Item.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/session/GamePacketDispatch.h"
#include "Game/session/SpawnReplication.h"
#include "tests/network/GameWireFixture.h"

namespace GAME {

class HostileServerTest : public GameWireTest {
protected:
    static constexpr int kClientHost = 1;
    static constexpr uint32_t kClientPlayer = 0x10000001;

    void SetUp() override
    {
        GameWireTest::SetUp();
        RegisterGamePacketDispatch();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        LogCapture quiet;   // the join's notices name sounds and texts these cases do not load
        engine->SetAsNetworkServer();
        MakeMainPlayer();
        transport.Connect(kClientHost);
        SinglePlayerBasicInfoPacket join;
        join.info = Roster({kClientPlayer})[0];
        Send(join);
        client = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kClientPlayer));
        ASSERT_NE(client, nullptr);
        World::Get().AddEntity(client, Here());
    }
    void TearDown() override
    {
        UnregisterGamePacketDispatch();
        GameWireTest::TearDown();
    }
    // The packet as the client sends it, handled at once.
    void Send(NetPacket& packet)
    {
        const Bytes bytes = Written(packet);
        ConnectionManager::Get().HandleIncoming(kClientHost, bytes.data(), bytes.size());
    }
    static WorldCoords Here() { return WorldCoords(World::Get().GetRegionById(7), Coords()); }
    // The client's player made here at its join goes: the client has joined, and its
    // player is not made yet.
    void ForgetClientPlayer()
    {
        ObjectManager::Get().DestroyObjectEx(client, __FILE__, __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        client = nullptr;
    }
    // The client's player made anew as the data's fighter, whose run carries it 4 units a
    // second, standing Here().
    void PlayTheFighter()
    {
        ForgetClientPlayer();
        client = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr", kClientPlayer);
        ASSERT_TRUE(client && World::Get().AddEntity(client, Here()));
    }
    // The spawn of the client's player as its client writes it, with `player`'s image;
    // `player`, made here only to be written, is destroyed.
    static std::unique_ptr<SpawnPlayerPacket> ClientSpawnOf(Player* player)
    {
        std::unique_ptr<SpawnPlayerPacket> packet = MakeSpawnPacket(*player);
        packet->playerObjectId = kClientPlayer;
        ObjectManager::Get().DestroyObjectEx(player, __FILE__, __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        return packet;
    }
    // The client's drop at `at` of an item like `item`, which its player is given to hold
    // first: the drop numbered `n` holds it under a seed and an id of its own.
    CreateItemPacket DropOfHeld(const ItemReplicaInfo& item, const WorldCoords& at, uint32_t n)
    {
        ItemReplicaInfo held = item;
        held.seed = n;
        client->GiveItemToCharacter(Item::CreateItem(held));
        CreateItemPacket packet;
        packet.coords = at;
        packet.item = held;
        packet.item.objectId = 0x1001D000 + n;
        return packet;
    }

    Player* client = nullptr;
};

}  // namespace GAME
