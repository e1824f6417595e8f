// The numbers of damage over time: the tick, the delayed clear after death and the
// bounds that keep a track (and what a peer sends) to a sane size.
#pragma once

#include <cstddef>
#include <cstdint>

namespace GAME::DurationDamage {

// Every effect is split into ticks of this many milliseconds.
inline constexpr int kTickMs = 100;
// Ticks per second as a factor: seconds x 10 is the number of ticks.
inline constexpr float kTicksPerSecond = 10.0f;
// Damage per second x 0.1 is the damage of one tick.
inline constexpr float kSecondsPerTick = 0.1f;

// A dying character's effects are cleared this long after the combat manager asks.
inline constexpr int kDelayedClearDelayMs = 250;

// No track holds more ticks than one hour of them; longer effects are cut there, so
// neither a record nor a peer can make a track allocate without bound.
inline constexpr size_t kMaxTrackTicks = 36000;

// Nor does one character's manager hold more than two hours of ticks in all, over every
// track: a peer's frame of 255 records of a full hour each would otherwise make it hold
// tens of megabytes. A frame that carries more is refused.
inline constexpr size_t kMaxManagerTicks = 2 * kMaxTrackTicks;

// The owner counts the replication records of each kind in one byte.
inline constexpr size_t kMaxReplicaRecords = 255;

}  // namespace GAME::DurationDamage
