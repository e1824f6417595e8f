// A bare ENet peer's half of joining a game, as the game's transport plays it, for tests
// that flood a server with connections of their own.
#pragma once

#include <enet/enet.h>

#include <cstdint>

#include "Game/network/PlayerRosterPackets.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {

// Sends the packet's bytes reliably on the game's channel.
inline void SendRaw(ENetPeer* peer, const Bytes& bytes)
{
    enet_peer_send(peer, 0, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
}

// When `event` is the server's offer of a host number (on channel 1: 1, the number), takes
// it (2, the number), sends a player of id `playerOf(number)` with 100 life and, with
// `beat`, one heartbeat; returns the number. 0 for any other event.
template <class PlayerOf>
int TakeHostNumber(const ENetEvent& event, PlayerOf playerOf, bool beat)
{
    if (event.type != ENET_EVENT_TYPE_RECEIVE || event.channelID != 1 || event.packet->dataLength != 2 ||
        event.packet->data[0] != 1)
        return 0;
    const unsigned char number = event.packet->data[1];
    const unsigned char answer[2] = {2, number};
    enet_peer_send(event.peer, 1, enet_packet_create(answer, sizeof answer, ENET_PACKET_FLAG_RELIABLE));
    SinglePlayerBasicInfoPacket player;
    player.info.playerId = playerOf(number);
    player.info.maxLife = player.info.life = 100.0f;
    SendRaw(event.peer, Written(player));
    if (beat) {
        SinglePlayerHeartbeatPacket heartbeat;
        heartbeat.info = player.info;
        SendRaw(event.peer, Written(heartbeat));
    }
    return number;
}

}  // namespace GAME
