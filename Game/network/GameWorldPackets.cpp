#include "Game/network/GameWorldPackets.h"

#include "Engine/Engine.h"
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
    return NetPacketOf::PrepareOutBuffer();
}

std::string ServerSpawnCompletePacket::GetPacketDescription(bool)
{
    return "ServerSpawnCompletePacket is atomic, containing no member elements";
}

}  // namespace GAME
