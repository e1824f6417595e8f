// Received character action packets: the action a packet describes, rebuilt on this peer
// and handed to the acting character's controller (or, without one, straight to its
// action handler), so the peer plays the same action on its copy of the character.
//
// Who may send an action is who may send an actor command (MaySendConfigCmd): a client
// hears the server only; the server takes a client's action only for a character whose
// id carries that client's host number: a client tells only of the deaths of its own
// characters, and only with ids of its own, within its quota (ClientCreations.h), for
// what their death handlers make. A packet from anyone else, one naming no character
// here, or one whose positions lie in no region is logged and dropped.
#pragma once

#include <memory>

#include "Engine/NetPacket.h"

namespace GAME {

class CharacterAction;

// The action a received action packet describes, with its pre-move data; null for a
// packet of no action.
std::unique_ptr<CharacterAction> RebuildCharacterActionFrom(NetPacket& packet);

// A received action packet: checked for its sender and its character, rebuilt and run.
void HandleCharacterActionPacket(NetPacket& packet, int fromHost);

// Sets (removes) HandleCharacterActionPacket as the handler of packets 63 to 78.
void RegisterCharacterActionDispatch();
void UnregisterCharacterActionDispatch();

}  // namespace GAME
