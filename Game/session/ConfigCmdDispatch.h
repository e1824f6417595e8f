// Received actor command packets: one table from packet type to "rebuild the command this
// packet carries", shared by the host's dispatch and the packet fuzzer, and the handler
// that admits a received command packet and queues the rebuilt command on its actor.
//
// Who may send a command: a client hears commands from the server only. The server takes
// a client's command only while that client is connected and only for an actor the client
// controls, which is an actor whose id carries the client's host number in its top four
// bits (its own player and the objects it made: its items and pets); a skill's command
// must also be one the actor's skill could have sent (RefuseClientSkillCommand), and an
// item command may name only an item the actor holds or one lying loose within its reach
// (RefuseClientItemCommand). Anything else is logged and dropped.
#pragma once

#include <memory>
#include <vector>

#include "Engine/ActorConfigCommand.h"
#include "Engine/NetPacket.h"
#include "Game/core/ClientCreations.h"

namespace GAME {

// The command a packet of one type carries, rebuilt with the packet's values; null when
// the packet is not of that type.
using RebuildConfigCmd = std::unique_ptr<ActorConfigCommand> (*)(NetPacket& packet);

struct ConfigCmdRebuild {
    NetPacketType type;
    RebuildConfigCmd rebuild;
};

// Every command packet whose command exists on this peer, in packet type order.
const std::vector<ConfigCmdRebuild>& ConfigCmdRebuilds();

// The command a received packet carries; null for a packet of no command.
std::unique_ptr<ActorConfigCommand> RebuildConfigCmdFrom(NetPacket& packet);

// Whether host `fromHost` may send this peer a command for actor `actorId` (see above).
bool MaySendConfigCmd(uint32_t actorId, int fromHost);

// What a client's skill command may do on the server. A skill result strikes only what
// its actor's skill could have struck: a skill the actor has at a level, targets that are
// living characters, each named once, no more of them than the skill strikes, and none
// farther from the actor than the skill reaches (kSkillPickReach, kShotReach for an actor
// that shoots, or its projectile's flight; then its area and chain of sparks) from where
// the server has the actor, give or take what is left of the actor's one allowance for
// being ahead (ReachesOnServer, ClientCreations.h): the ground the actor and its targets
// may have covered on the client before the server hears of it, less what a run start
// taken ahead of the server spent of it. A projectile or pets are made only for a skill
// the actor has at a level, under the sender's own ids and within its host's quota
// (ClientCreations.h). Null when the command may run (and for any other command);
// otherwise why not.
inline constexpr float kSkillPickReach = 20.0f;
inline constexpr float kShotReach = 60.0f;
inline constexpr size_t kMaxSkillResultTargets = 64;
const char* RefuseClientSkillCommand(const ActorConfigCommand& command, int fromHost);

// What a client's item command may name on the server: an item its actor holds, or one
// lying loose within its reach (RefuseClientItem); a pick-up only one lying loose so. An
// item another player or a monster holds is not the actor's to drop, wear, use or set a
// relic into. Null when the command may run (and for a command that names no item);
// otherwise why not.
const char* RefuseClientItemCommand(const ActorConfigCommand& command);

// A received command packet: checked for its sender, rebuilt, and queued on its actor
// (Actor::EnqueueReceived), which runs it and, on the server, passes it on to the other
// clients. Dropped (logged) when the sender may not command the actor, the actor is no
// Actor on this peer, or no command of the packet's type exists.
void HandleConfigCmdPacket(NetPacket& packet, int fromHost);

// Sets (removes) HandleConfigCmdPacket as the handler of every type in the table.
void RegisterConfigCmdDispatch();
void UnregisterConfigCmdDispatch();

}  // namespace GAME
