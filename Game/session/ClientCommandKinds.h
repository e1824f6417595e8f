// Which actor commands the server takes from a client: only the kinds a client's own play
// queues on its own characters (its player and its pets), each with what it may carry.
//
// A player's actions queue its item moves and uses, its attribute points, its releases
// from traps, stuns and holds, its sounds, its requests to its pets and what its skills
// announce; its pets' own minds queue their damage effects and the skill they use as
// they die. Never from a client: life or mana added without spending a point, a team,
// invincibility, whether it angers monsters, a quest's move or animation ended, and
// anything for a world object. A buff it puts on comes from a skill its caster has (the
// actor itself, or a character that cast it on the actor: a buff or curse on a player is
// decided on the player's machine), at no more than that skill's level, with no modifier
// the skill lacks. A skill's new state stays within the levels the skill's record allows.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/NetPacket.h"

namespace GAME {

class ActorConfigCommand;
class Character;
class Skill;

// Null when a client on `fromHost` may send the command, received as a packet of `type`,
// for its actor (one of its own host's); otherwise why not.
const char* RefuseClientCommandKind(const ActorConfigCommand& command, NetPacketType type, int fromHost);

// Null when a client may have the buff of record `name` at `level`, with those modifiers,
// cast by `casterId` (0: the actor itself), on its character `actor`; otherwise why not.
const char* RefuseClientBuff(const Character& actor, const std::string& name, uint32_t level,
                             const std::string& modifier1, uint32_t modifierLevel1, const std::string& modifier2,
                             uint32_t modifierLevel2, uint32_t casterId);

// Whether a client may put its skill at `level`: from 0 up to the skill's record's
// maximum, or up to the level the server already has for it (one its character's record
// gave it). Its skill's state and its join image are held to it.
bool ClientSkillLevelAllowed(const Skill& skill, int64_t level);

}  // namespace GAME
