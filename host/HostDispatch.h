// Received game packets reach the game here: one handler per game packet type, which
// hands the packet's values to the inbound operation of the same name (or the game
// engine's own inbound handler).
#pragma once

namespace GAME {

// Sets the handlers with the engine's packet registry. Each handler looks the game engine
// up when a packet arrives and drops the packet (logged) when there is none.
void RegisterHostDispatch();
// Removes every handler that RegisterHostDispatch set.
void UnregisterHostDispatch();

}  // namespace GAME
