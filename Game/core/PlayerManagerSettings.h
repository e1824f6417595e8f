// The timings, distances, records and text tags of the player rosters and of reward
// sharing.
#pragma once

#include <cstddef>

namespace GAME {

// A client sends its player's heartbeat once more than this has passed.
inline constexpr int kClientHeartbeatIntervalMs = 900;
// The host sends the roster's heartbeats once more than this has passed; when it has
// sent heartbeats this many times since the last full roster, it sends the full roster
// instead.
inline constexpr int kHostHeartbeatIntervalMs = 1100;
inline constexpr int kHostHeartbeatsPerRosterUpdate = 4;

// Each step of game difficulty adds this to the game's balance level.
inline constexpr int kBalanceLevelsPerDifficulty = 6;

// A reward is shared among the players closer than this to where it was earned.
inline constexpr float kBonusSharingRadius = 25.0f;

inline constexpr const char* kBonusSharingRecordName = "Records/Game/BonusSharing.dbr";

// The longest player name the roster keeps, in characters: a name as a player types it
// in, whole; one a peer sends longer is cut.
inline constexpr size_t kMaxPlayerNameLength = 32;

// What a name lookup returns for a player that is not in the roster.
inline constexpr const char16_t* kUnknownPlayerName = u"ErrorName";

inline constexpr const char* kGameJoinTag = "tagMessageGameJoin";
inline constexpr const char* kGameLeaveTag = "tagMessageGameLeave";
inline constexpr const char* kLeaveTag = "tagMessageLeave";
inline constexpr const char* kBanReason = "ban";

}  // namespace GAME
