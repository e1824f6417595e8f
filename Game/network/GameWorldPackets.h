// Game and world packets: time of day, spawning and acknowledging entities, warps and
// position corrections, a remote host's view, messages to another player, party
// answers, the respawn request and the progress of the network region loader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/NetPacketFields.h"
#include "Engine/World.h"
#include "Game/network/NRLoaderState.h"

namespace GAME {

class FrustumUpdatePacket : public NetPacketOf<FrustumUpdatePacket, 20> {
    GAME_DECLARE_CLASS(FrustumUpdatePacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, originatorHostId, "Originator Host ID: "),
                    (Wire::V3, WorldVec3, originatorPosition, "Originator position: "))
};

class WorldInitPacket : public NetPacketOf<WorldInitPacket, 25> {
    GAME_DECLARE_CLASS(WorldInitPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, timeOfDay, "Time (24hr): "))
};

// A text tag that the receiver turns into text, with a player's name inserted.
class RemoteMessagePacket : public NetPacketOf<RemoteMessagePacket, 26> {
    GAME_DECLARE_CLASS(RemoteMessagePacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, receiver, "Receiver: "), (Wire::u32, uint32_t, optionalInsert, "optionalInsert: "),
                    (Wire::b, bool, asBubble, "AsBubble: "), (Wire::sr, std::string, textTag, "TextTag: "))
};

// Ready text for another player.
class RemoteWMessagePacket : public NetPacketOf<RemoteWMessagePacket, 27> {
    GAME_DECLARE_CLASS(RemoteWMessagePacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, receiver, "Receiver: "), (Wire::b, bool, asBubble, "AsBubble: "),
                    (Wire::ws, std::u16string, text, "text: "))
};

// Two independent lists; the description pairs the entries that both have.
class PlayerPositionUpdatePacket : public NetPacketOf<PlayerPositionUpdatePacket, 28> {
    GAME_DECLARE_CLASS(PlayerPositionUpdatePacket)

public:
    std::vector<uint32_t> playerIds;
    std::vector<WorldVec3> playerPositions;

    template <class V>
    void Fields(V& v)
    {
        v(NetCount::Word, Wire::u32, playerIds);
        v(NetCount::Word, Wire::V3, playerPositions);
        if constexpr (V::kDescribing) {
            v.Heading("Player Positions: ");
            for (size_t i = 0; i < playerIds.size() && i < playerPositions.size(); ++i) {
                v(Wire::u32, playerIds[i], FieldLabel("Player ID: ", 1));
                v(Wire::V3, playerPositions[i], FieldLabel("Player Position: ", 1));
            }
        }
    }
};

// The answer of `sender` to the party request of `recipient`.
class PartyRequestResponsePacket : public NetPacketOf<PartyRequestResponsePacket, 29> {
    GAME_DECLARE_CLASS(PartyRequestResponsePacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, recipient, "Recipient: "), (Wire::b, bool, accepted, "Accepted:  "),
                    (Wire::u32, uint32_t, sender, "Sender:    "))
};

// Carries a player being replicated to the peer; the player need not exist there yet.
// Behind the id travels the carried object, when one is given: the record it is made from,
// where it stands and its replication image (to the end of the packet). A spawn without it
// is the id alone.
class SpawnPlayerPacket : public NetPacketOf<SpawnPlayerPacket, 30, ObjectContainerPacket> {
    GAME_DECLARE_CLASS(SpawnPlayerPacket)

public:
    SpawnPlayerPacket();

    uint32_t PrepareOutBuffer() override;
    bool CopyInbound(const unsigned char* data, int size) override;

    GAME_NET_FIELDS((Wire::id, SmartObjectId, playerObjectId, "Player Object Id: "))
    std::string carriedRecord;                  // empty: no object carried
    WorldCoords carriedCoords;
    std::vector<unsigned char> carriedImage;
};

class CreateEntityPacket : public NetPacketOf<CreateEntityPacket, 33> {
    GAME_DECLARE_CLASS(CreateEntityPacket)

public:
    GAME_NET_FIELDS((Wire::WC, WorldCoords, coords, "Coords: "), (Wire::fn, std::string, recordName, "Name: "),
                    (Wire::u32, uint32_t, objectId, "ObjectId: "))
};

class ServerSpawnCompletePacket : public NetPacketOf<ServerSpawnCompletePacket, 34> {
    GAME_DECLARE_CLASS(ServerSpawnCompletePacket)

public:
    template <class V>
    void Fields(V&)
    {
    }

    std::string GetPacketDescription(bool verbose) override;
};

// Entity ids answered to the sender of a spawn; Derived names the list's heading.
template <class Derived, NetPacketType Type>
class EntityIdListPacket : public NetPacketOf<Derived, Type> {
public:
    GAME_NET_FIELDS(((Wire::List{NetCount::Word, Wire::u32, ListLabel{Derived::kHeading, nullptr, "Entity IDs: "}}),
                     std::vector<uint32_t>, entityIds))
};

class AckEntityPacket : public EntityIdListPacket<AckEntityPacket, 35> {
    GAME_DECLARE_CLASS(AckEntityPacket)

public:
    static constexpr const char* kHeading = "Acked Entities: ";
};

class NackEntityPacket : public EntityIdListPacket<NackEntityPacket, 36> {
    GAME_DECLARE_CLASS(NackEntityPacket)

public:
    static constexpr const char* kHeading = "Nacked Entities: ";
};

class WarpEntityPacket : public NetPacketOf<WarpEntityPacket, 37> {
    GAME_DECLARE_CLASS(WarpEntityPacket)

public:
    GAME_NET_FIELDS((Wire::V3, WorldVec3, warpPoint, "Warp Point: "))
};

class NRLoaderStatePacket : public NetPacketOf<NRLoaderStatePacket, 47> {
    GAME_DECLARE_CLASS(NRLoaderStatePacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, playerId, "Player Id: "),
                    (Wire::Enum<kLastNRLoaderState>{}, NRLoaderState, state, "State: "))

    // Its player is named so that it follows what is held for the player: a client's
    // loader reports its state right after it asks to teleport, and the server's loader
    // is made only when that ask, held behind the use of the boat, is taken. It never
    // waits for the player itself.
    void CollectObjectIds(std::vector<uint32_t>& ids, bool missingOnly) const override
    {
        if (!missingOnly)
            ids.push_back(playerId);
    }
};

class StartServerRespawnPacket : public NetPacketOf<StartServerRespawnPacket, 48> {
    GAME_DECLARE_CLASS(StartServerRespawnPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, playerId, "Player Id: "), (Wire::V3, WorldVec3, location, "Location: "))
};

class UpdatePositionPacket : public NetPacketOf<UpdatePositionPacket, 106> {
    GAME_DECLARE_CLASS(UpdatePositionPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, originatorHostId, "Originator ID: "),
                    (Wire::u32, uint32_t, entityId, "Entity ID: "), (Wire::WC, WorldCoords, targetCoords))
};

}  // namespace GAME
