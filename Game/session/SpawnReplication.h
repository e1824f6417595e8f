// Characters made on every peer: the spawn container (a spawn packet carrying the
// character's record, place and replication image) built from a live player, monster or
// townsperson (a non-player character),
// and applied on receipt, making the character under the sender's id or bringing an
// existing one up to the image. The server tells a joining client of every character that
// already exists, then of every item lying on the ground (the item creation every peer
// hears when an item is dropped, for that client alone), and ends with the spawn-complete
// packet; a client then sends its own player, which the server makes and passes on to the
// other clients.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace GAME {

class Character;
class Item;
class NetPacket;
class SpawnPlayerPacket;

// The spawn container of a player, a monster or a townsperson; null for any other character, or when its
// image cannot be written (logged).
std::unique_ptr<SpawnPlayerPacket> MakeSpawnPacket(Character& character);

// Sends every character the server spawns for its clients to `host` (`sent` hears each),
// then every item lying on the ground, each by its identity (`itemSent` hears each), then
// the spawn-complete packet. Returns how many characters went.
int SendWorldToHost(int host, const std::function<void(const Character&)>& sent,
                    const std::function<void(const Item&)>& itemSent = {});

// What a received spawn did, for the host program to print: the character's id, record
// and whether it was made now (false: an existing one took the image).
struct SpawnReport {
    uint32_t id = 0;
    std::string record;
    bool made = false;
};
using SpawnObserver = std::function<void(const SpawnReport&)>;

// What the host program hears of received spawns: `spawned` each applied spawn,
// `complete` the server's spawn-complete packet (empty ones hear nothing).
void SetSpawnObservers(SpawnObserver spawned, std::function<void()> complete);
void NotifySpawned(const SpawnReport& report);

// What the host program gives a character that a received spawn makes here, before the
// image applies: what its game gives such a character beside its record (skills the host
// teaches it, say), so that the image's states reach them as they reach the record's own.
// The image has been read: the character holds it (a player's GetReplicationRecord), so
// that what is given may follow what it carries. On the server a client's player is
// checked after, against what such a character, given that, could have grown to by the
// image's level. An empty one gives nothing.
using SpawnPreparer = std::function<void(Character&)>;
void SetSpawnPreparer(SpawnPreparer preparer);

// Apply one received spawn or spawn-complete packet from `fromHost` after their sender
// checks: only the server spawns for others, a client only its own player (an id of its
// own host), once, at its join: the server's copy holds the player's state from then on,
// and a spawn of it again is dropped. The items a client's image carries come under ids
// of its own host, each once, and count towards its quota of items
// (ClientCreations.h); a spawn refused for them makes nothing. Only the server tells
// that its spawns are complete. False: dropped (logged).
bool ApplySpawn(SpawnPlayerPacket& packet, int fromHost, SpawnReport& report);
void ApplySpawnComplete(NetPacket& packet, int fromHost);

}  // namespace GAME
