// Received character action packets: the action a packet describes, rebuilt on this peer
// and handed to the acting character's controller (or, without one, straight to its
// action handler), so the peer plays the same action on its copy of the character.
//
// Who may send an action is who may send an actor command (MaySendConfigCmd): a client
// hears the server only; the server takes a client's action only for a character whose
// id carries that client's host number: a client tells only of the deaths of its own
// characters, and only with ids of its own, within its quota (ClientCreations.h), for
// what their death handlers make. A packet from anyone else, one naming no character
// here, or one whose positions lie in no region is dropped through the drop log.
//
// The server holds a client's action to where it has the client's character, give or take
// one allowance for the client being ahead of it (ClientCreations.h): a run or walk starts
// there, or within the allowance's tolerance where the client says, and a chain of starts
// carries it no farther than its pace covers meanwhile (TakeClientStart), else it starts
// from the server's position instead; a use, pick-up, talk or chat reaches its object from
// there, or from what is left of the allowance ahead on the walk it is on
// (ReachesOnServer), as the player's own click would without walking; a pick-up takes only
// an item lying loose.
#pragma once

#include <cstdint>
#include <memory>

#include "Engine/NetPacket.h"

namespace GAME {

class Character;
class CharacterAction;

// The action a received action packet describes, with its pre-move data; null for a
// packet of no action.
std::unique_ptr<CharacterAction> RebuildCharacterActionFrom(NetPacket& packet);

// A received action packet: checked for its sender and its character, rebuilt and run.
void HandleCharacterActionPacket(NetPacket& packet, int fromHost);

// Why a client may not name the item for its character on the server: an item is named
// only while the character holds it (in its bags or equipment) or while it lies loose in
// the world within the character's reach of where the server has it; one to pick up only
// while it lies loose so. Null when it may.
const char* RefuseClientItem(Character& holder, uint32_t itemId, bool toPickUp);

// A client's player teleports only where the server saw it use a portal (a boat among
// them) or a shrine, or talk to a boat master: each such action, applied, lets it teleport
// once. True (and the leave taken) when the player may teleport now.
bool TakeClientTeleport(uint32_t playerId);

// Sets (removes) HandleCharacterActionPacket as the handler of packets 63 to 78.
void RegisterCharacterActionDispatch();
void UnregisterCharacterActionDispatch();

}  // namespace GAME
