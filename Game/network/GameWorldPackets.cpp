#include "Game/network/GameWorldPackets.h"

#include "Engine/Engine.h"
#include "Engine/NetPacketFields.h"
#include "Engine/NetPacketRegistry.h"

namespace GAME {

GAME_IMPLEMENT_PACKET(FrustumUpdatePacket, NetPacket)
GAME_IMPLEMENT_PACKET(WorldInitPacket, NetPacket)
GAME_IMPLEMENT_PACKET(RemoteMessagePacket, NetPacket)
GAME_IMPLEMENT_PACKET(RemoteWMessagePacket, NetPacket)
GAME_IMPLEMENT_PACKET(PlayerPositionUpdatePacket, NetPacket)
GAME_IMPLEMENT_PACKET(PartyRequestResponsePacket, NetPacket)
GAME_IMPLEMENT_PACKET(SpawnPlayerPacket, ObjectContainerPacket)
GAME_IMPLEMENT_PACKET(CreateEntityPacket, NetPacket)
GAME_IMPLEMENT_PACKET(ServerSpawnCompletePacket, NetPacket)
GAME_IMPLEMENT_PACKET(AckEntityPacket, NetPacket)
GAME_IMPLEMENT_PACKET(NackEntityPacket, NetPacket)
GAME_IMPLEMENT_PACKET(WarpEntityPacket, NetPacket)
GAME_IMPLEMENT_PACKET(NRLoaderStatePacket, NetPacket)
GAME_IMPLEMENT_PACKET(StartServerRespawnPacket, NetPacket)
GAME_IMPLEMENT_PACKET(UpdatePositionPacket, NetPacket)

// The player travels with the packet, so a receiver that does not know it yet still
// accepts the packet.
SpawnPlayerPacket::SpawnPlayerPacket()
{
    SetContainerKind(kSpawnedObjectContainer);
    playerObjectId.MarkForReplication(true);
}

uint32_t SpawnPlayerPacket::PrepareOutBuffer()
{
    const uint32_t id = playerObjectId.GetId();
    gEngine->Log(LOG_INFO, "Replicating entity %d (0x%x) in SpawnPlayerPacket", static_cast<int>(id), id);
    playerObjectId.MarkForReplication(true);
    NetPacketOutBuffer out(this);
    NetFieldWriter writer(out);
    Fields(writer);
    if (!carriedRecord.empty()) {
        out.AddFileName(carriedRecord);
        out.Add(&carriedCoords);
        out.AddRawBytes(carriedImage.data(), carriedImage.size());
    }
    return out.Done();
}

bool SpawnPlayerPacket::CopyInbound(const unsigned char* data, int size)
{
    NetPacketInBuffer in(GetHeader(), data, size);
    NetFieldReader reader(in);
    Fields(reader);
    carriedRecord.clear();
    carriedImage.clear();
    if (in.IsOk() && in.GetRemaining() > 0) {
        in.RemoveFileName(carriedRecord);
        if (in.IsOk() && carriedRecord.empty())
            in.Fail("a carried object without its record");
        in.Remove(&carriedCoords);
        if (in.IsOk()) {
            carriedImage.assign(in.Peek(), in.Peek() + in.GetRemaining());
            in.Skip(carriedImage.size());
        }
    }
    return EndRead(in);
}

std::string ServerSpawnCompletePacket::GetPacketDescription(bool)
{
    return "ServerSpawnCompletePacket is atomic, containing no member elements";
}

}  // namespace GAME
