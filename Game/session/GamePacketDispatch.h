// Received game packets reach the game here: one handler per game packet type, which
// asks the route table whether this machine applies it (who sent it, what it claims;
// the host also passes on what is for other clients) and then hands the packet's values
// to the inbound operation of the same name (or the game engine's own inbound handler).
#pragma once

namespace GAME {

// Sets the handlers with the engine's packet registry. Each handler looks the game engine
// up when a packet arrives and drops the packet (logged) when there is none.
void RegisterGamePacketDispatch();
// Removes every handler that RegisterGamePacketDispatch set.
void UnregisterGamePacketDispatch();

// A text message (RemoteWMessagePacket) starting so is the server's summary of the shared
// world: a client's message that would pass for one is emptied on receipt.
constexpr const char* kServerSummaryPrefix = "world: ";

}  // namespace GAME
