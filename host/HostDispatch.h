// Received game packets reach the game here: one handler per game packet type, which
// asks the route table whether this machine applies it (who sent it, what it claims;
// the host also passes on what is for other clients) and then hands the packet's values
// to the inbound operation of the same name (or the game engine's own inbound handler).
#pragma once

namespace GAME {

// Sets the handlers with the engine's packet registry. Each handler looks the game engine
// up when a packet arrives and drops the packet (logged) when there is none.
void RegisterHostDispatch();
// Removes every handler that RegisterHostDispatch set.
void UnregisterHostDispatch();

}  // namespace GAME
