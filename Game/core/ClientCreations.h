// What the server creates for a client: only what that client's own play makes, and no
// more of it than a bounded number of live objects per host.
//
// A client's play makes items (what it buys or gets for its own player, and what it drops of
// what its player holds),
// its player's own portal and, through its skills, projectiles and pets. An entity a client asks for is made only
// from a record one of its player's skills makes at the skill's present level (the
// projectile it fires, the pet it summons), of the class that skill makes (a projectile, a
// monster). Every host has a quota of live objects of each kind made for it, which the
// projectiles and pets of its skills' commands count towards too; an object that is gone
// no longer counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace GAME {

class Character;
class WorldCoords;
class WorldVec3;
struct ItemReplicaInfo;

// How far a character reaches an item without walking, as the player's own click takes one
// there: within both extents, a step beyond touching (kItemReach) and the few steps the
// player takes to it in place (kItemWalkLimit), give or take where a walk ends
// (kUseWalkTolerance). A client's pick-up takes, and its drop puts, an item only so.
inline constexpr float kUseWalkTolerance = 0.5f;
inline constexpr float kItemReach = 1.0f;
inline constexpr float kItemWalkLimit = 6.0f;
// Whether `user`, standing at `from`, reaches an item of bounding radius `radius` at `at`.
bool ReachesItemFrom(Character& user, const WorldVec3& from, const WorldVec3& at, float radius);

// How far ahead of the server a client's character may be: its client's frames run ahead
// of the server's, so where it says its character starts a run or stands when it uses,
// takes, drops or talks to something may lie ahead of where the server has it. That is
// ONE allowance, however many of the checks below a client's actions pass through in turn:
// the larger of the latency tolerance (kClientLeadTolerance, the ground the character may
// have covered on its client before the server heard of it: 2.5 s of a run of 4 units a
// second) and, while it runs or walks, the ground its pace covers in kWalkLeadMs of game
// time. A run or walk start taken ahead of the server's position (TakeClientStart) spends
// of it, and only what is left lends reach to what follows (ReachesOnServer).
inline constexpr float kClientLeadTolerance = 10.0f;
inline constexpr int kWalkLeadMs = 2500;
inline constexpr float kWalkLeadStep = 0.5f;
inline constexpr int kMaxWalkLeadSteps = 64;

// Whether the server takes the start a client gives its character's run or walk (the
// server has it at `here`); the start taken, or `here` in its place, is remembered. A
// start is taken within kClientLeadTolerance of `here`, and a chain of starts, each a
// little farther on, carries the character no farther than the ground the server itself
// moved it meanwhile plus a slack of at most that tolerance: a chain would otherwise carry
// it away at no pace at all. The slack refills by the ground its pace would have covered in
// the game time between two starts beyond what the server moved it (standing, it could
// have run), never above the tolerance; a start spends what it covers beyond the server's
// own moving, and one a little behind gives back. A real client's starts lie along the
// way its character ran at its pace, shifted only by how its lag changes, and never spend
// the slack while that lag stays within the tolerance's time. The pace is the character's
// run as the server last saw it move (a character not yet seen moving has none).
bool TakeClientStart(Character& mover, const WorldVec3& start, const WorldVec3& here);
// What is left now of the character's allowance for being ahead (see above).
float ClientLeadLeft(Character& character);
// Forgets every character's starts (a new game).
void ForgetClientStarts();

// Whether the character reaches what `reachesFrom` tells of from where the server has it,
// or, while it runs or walks, from a point of its path a little way ahead: its client
// plays the same walk, and a client whose frames run ahead of the server's has its player
// that much farther on when it acts at the walk's end. The way ahead is what is left of
// the character's allowance (ClientLeadLeft), never more than its pace covers in
// kWalkLeadMs nor beyond the path's end; it is tried every kWalkLeadStep units (at most
// kMaxWalkLeadSteps points). `spare` is what each point leaves of the allowance, for a
// target that may itself have moved on since the client saw it. Where a client's use,
// pick-up, talk, drop or skill result is held to: a walk asked for is no reach of its
// own. The hosts of the bundled stories, a frame of 250 ms each, lag far less than the
// allowance.
bool ReachesOnServer(Character& user, const std::function<bool(const WorldVec3& from, float spare)>& reachesFrom);

// Live objects the server keeps for one client host, by kind. The items cover a full set
// of bags and equipment and what lies dropped around; the entities a volley of
// projectiles and a full pack of pets.
inline constexpr size_t kMaxLiveClientItems = 1024;
inline constexpr size_t kMaxLiveClientEntities = 128;

// Null when host `host` may have item `itemId` made, which then counts towards its quota;
// otherwise why not.
const char* RefuseClientItem(int host, uint32_t itemId);

// Null when host `host`, whose player in the game is `player`, may put an item of identity
// `item` into the world: its player holds an item of that identity here, carried or worn
// (the names, seed and var1 alike; its id may differ), which then leaves the player and is
// destroyed, and the new item counts towards the host's quota; otherwise why not. Nothing
// leaves the player when it is refused. The item lands at `where` when the player reaches
// it there as a pick-up would (ReachesItemFrom, ReachesOnServer); otherwise `where` becomes
// where the server has the player, and `moved` tells so.
const char* RefuseClientDrop(int host, uint32_t player, const ItemReplicaInfo& item, WorldCoords& where, bool& moved);

// Null when host `host`, whose player in the game is `player`, may have an entity of
// record `record` made under `objectId`, which then counts towards its quota; otherwise
// why not.
const char* RefuseClientEntity(int host, uint32_t player, const std::string& record, uint32_t objectId);

// Null when host `host`, whose player in the game is `player`, may have a portal opened
// for `owner` under `portalId` at `where`, which then counts towards its quota of
// entities; otherwise why not. A player opens its own portal only, beside itself: within
// kPortalReach of where the server has it (a portal opens a step from its player, who may
// have moved on the client since). The game keeps one per owner, so the next replaces it
// (and the replaced one closes and goes), and a host's live portals are bounded with its
// other entities.
inline constexpr float kPortalReach = 30.0f;
const char* RefuseClientPortal(int host, uint32_t player, uint32_t owner, uint32_t portalId, const WorldCoords& where);

// Null when host `host` may have its skill's projectiles or pets made under `ids` (each
// the host's own), which then count towards its quota of entities; otherwise why not.
const char* RefuseClientSkillObjects(int host, const std::vector<uint32_t>& ids);

}  // namespace GAME
