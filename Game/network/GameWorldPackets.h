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
    uint32_t originatorHostId = 0;
    WorldVec3 originatorPosition;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, originatorHostId, "Originator Host ID: ");
        v(Wire::V3, originatorPosition, "Originator position: ");
    }
};

class WorldInitPacket : public NetPacketOf<WorldInitPacket, 25> {
    GAME_DECLARE_CLASS(WorldInitPacket)

public:
    uint32_t timeOfDay = 0;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, timeOfDay, "Time (24hr): ");
    }
};

// A text tag that the receiver turns into text, with a player's name inserted.
class RemoteMessagePacket : public NetPacketOf<RemoteMessagePacket, 26> {
    GAME_DECLARE_CLASS(RemoteMessagePacket)

public:
    uint32_t receiver = 0;
    uint32_t optionalInsert = 0;
    bool asBubble = false;
    std::string textTag;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, receiver, "Receiver: ");
        v(Wire::u32, optionalInsert, "optionalInsert: ");
        v(Wire::b, asBubble, "AsBubble: ");
        v(Wire::sr, textTag, "TextTag: ");
    }
};

// Ready text for another player.
class RemoteWMessagePacket : public NetPacketOf<RemoteWMessagePacket, 27> {
    GAME_DECLARE_CLASS(RemoteWMessagePacket)

public:
    uint32_t receiver = 0;
    bool asBubble = false;
    std::u16string text;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, receiver, "Receiver: ");
        v(Wire::b, asBubble, "AsBubble: ");
        v(Wire::ws, text, "text: ");
    }
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
    uint32_t recipient = 0;
    bool accepted = false;
    uint32_t sender = 0;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, recipient, "Recipient: ");
        v(Wire::b, accepted, "Accepted:  ");
        v(Wire::u32, sender, "Sender:    ");
    }
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

    SmartObjectId playerObjectId{this};
    std::string carriedRecord;                  // empty: no object carried
    WorldCoords carriedCoords;
    std::vector<unsigned char> carriedImage;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, playerObjectId, "Player Object Id: ");
    }
};

class CreateEntityPacket : public NetPacketOf<CreateEntityPacket, 33> {
    GAME_DECLARE_CLASS(CreateEntityPacket)

public:
    WorldCoords coords;
    std::string recordName;
    uint32_t objectId = 0;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::WC, coords, "Coords: ");
        v(Wire::fn, recordName, "Name: ");
        v(Wire::u32, objectId, "ObjectId: ");
    }
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
    std::vector<uint32_t> entityIds;

    template <class V>
    void Fields(V& v)
    {
        v(NetCount::Word, Wire::u32, entityIds, ListLabel{Derived::kHeading, nullptr, "Entity IDs: "});
    }
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
    WorldVec3 warpPoint;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::V3, warpPoint, "Warp Point: ");
    }
};

class NRLoaderStatePacket : public NetPacketOf<NRLoaderStatePacket, 47> {
    GAME_DECLARE_CLASS(NRLoaderStatePacket)

public:
    uint32_t playerId = 0;
    NRLoaderState state = NRLoaderState_NotStarted;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, playerId, "Player Id: ");
        v(Wire::Enum<kLastNRLoaderState>{}, state, "State: ");
    }
};

class StartServerRespawnPacket : public NetPacketOf<StartServerRespawnPacket, 48> {
    GAME_DECLARE_CLASS(StartServerRespawnPacket)

public:
    uint32_t playerId = 0;
    WorldVec3 location;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, playerId, "Player Id: ");
        v(Wire::V3, location, "Location: ");
    }
};

class UpdatePositionPacket : public NetPacketOf<UpdatePositionPacket, 106> {
    GAME_DECLARE_CLASS(UpdatePositionPacket)

public:
    uint32_t originatorHostId = 0;
    uint32_t entityId = 0;
    WorldCoords targetCoords;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, originatorHostId, "Originator ID: ");
        v(Wire::u32, entityId, "Entity ID: ");
        v(Wire::WC, targetCoords);
    }
};

}  // namespace GAME
