#include "Game/network/PlayerRosterPackets.h"

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"

namespace GAME {

GAME_IMPLEMENT_PACKET(AllPlayersHeartbeatPacket, NetPacket)
GAME_IMPLEMENT_PACKET(SinglePlayerHeartbeatPacket, NetPacket)
GAME_IMPLEMENT_PACKET(AllPlayersBasicInfoPacket, NetPacket)
GAME_IMPLEMENT_PACKET(SinglePlayerBasicInfoPacket, NetPacket)
GAME_IMPLEMENT_PACKET(PlayerLeftPacket, NetPacket)

uint8_t CompactPlayerFlags(const PlayerNetHeartbeatInfo& info, bool isMale, bool basic, uint8_t classByte)
{
    uint8_t flags = 0;
    if (basic && isMale)
        flags |= PlayerNetFlags::kMale;
    if (info.level >= 0 && info.level < PlayerNetFlags::kSmallLevelLimit)
        flags |= PlayerNetFlags::kSmallLevel;
    if (classByte != kClassTagNotEncodable)
        flags |= PlayerNetFlags::kClassByte;
    return flags;
}

namespace {

// The record as it travels: its first 255 status skills.
template <class Info>
Info WithBoundedStatusSkills(const Info& record, const char* packetName)
{
    Info sent = record;
    if (sent.statusSkills.size() > PlayerNetFlags::kMaxStatusSkills) {
        gEngine->Log(LOG_WARNING, "%s: player %u sends %zu of its %zu status skills", packetName, record.playerId,
                     PlayerNetFlags::kMaxStatusSkills, record.statusSkills.size());
        sent.statusSkills.resize(PlayerNetFlags::kMaxStatusSkills);
    }
    return sent;
}

// Each record is written alone first: one that cannot be written, or that would take
// the roster past the largest packet, is left out and the others still go.
template <class Packet, class Info>
void FitRoster(Packet& packet, const std::vector<Info>& roster)
{
    constexpr size_t kEmptySize = NetLimits::kHeaderSize + 1;   // the header and the count byte
    packet.players.clear();
    size_t size = kEmptySize;
    for (size_t i = 0; i < roster.size(); ++i) {
        if (packet.players.size() == PlayerNetFlags::kMaxRosterPlayers) {
            gEngine->Log(LOG_WARNING, "%s: a roster carries %zu players; %zu left out", packet.GetClassName(),
                         PlayerNetFlags::kMaxRosterPlayers, roster.size() - i);
            return;
        }
        Packet alone;
        alone.players.push_back(WithBoundedStatusSkills(roster[i], packet.GetClassName()));
        const uint32_t aloneSize = alone.PrepareOutBuffer();
        if (aloneSize == 0 || size + (aloneSize - kEmptySize) > NetLimits::kMaxPacketSize) {
            gEngine->Log(LOG_WARNING, "%s: player %u left out: its record does not fit", packet.GetClassName(),
                         roster[i].playerId);
            continue;
        }
        size += aloneSize - kEmptySize;
        packet.players.push_back(std::move(alone.players.front()));
    }
}

}  // namespace

void SinglePlayerHeartbeatPacket::SetInfo(const PlayerNetHeartbeatInfo& heartbeat)
{
    info = WithBoundedStatusSkills(heartbeat, GetClassName());
}

void SinglePlayerBasicInfoPacket::SetInfo(const PlayerNetBasicInfo& player)
{
    info = WithBoundedStatusSkills(player, GetClassName());
}

void AllPlayersHeartbeatPacket::SetPlayers(const std::vector<PlayerNetHeartbeatInfo>& roster)
{
    FitRoster(*this, roster);
}

void AllPlayersBasicInfoPacket::SetPlayers(const std::vector<PlayerNetBasicInfo>& roster)
{
    FitRoster(*this, roster);
}

}  // namespace GAME
