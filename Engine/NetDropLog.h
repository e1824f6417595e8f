// What is dropped of what the peers send, logged without flooding the log.
//
// Each drop is of a kind: the host it came from, what it was (a packet's class) and why it
// was dropped (the reason's format, whatever values it was filled with). The first drop of a
// kind is logged at once, whole: "<what> from host <h> dropped: <reason>". Further drops of
// that kind within the second after are only counted; once the second is over, the count
// is logged in one line ("<what> from host <h>: <n> more dropped in the last second: <the
// reason logged whole>"), and so on each second for as long as they go on. A kind that
// stays quiet for a second is forgotten, and its next drop is logged whole again. A second
// is a second of the wall clock (a steady clock), however many frames it holds: a flood
// costs a line a second whether the frames run fast or slow. Drops are warnings; a packet
// held until the objects it names arrive (verb "held") is an expected moment of a join and
// is logged as information.
//
// A flood of one kind thus costs a line a second. The kinds kept at once are bounded;
// drops of further kinds are counted together and logged as one count a second.
// Control characters in what is logged are removed: reasons may quote a peer. A new log
// sink (Engine::SetLogSink) starts the drop log over, so that it sees each kind whole.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace GAME {

namespace NetDropLog {

inline constexpr uint32_t kWindowMs = 1000;
inline constexpr size_t kMaxKinds = 256;

// Logs (or counts) one drop. `reasonKey` tells one reason from another (a format or a fixed
// text); `reason` is the text logged for it. `verb` is what befell the packet ("dropped",
// "held"); only what is dropped counts in GetTotal. Returns false, for callers that drop by
// returning it.
bool Note(std::string_view what, int fromHost, const char* reasonKey, std::string_view reason,
          const char* verb = "dropped");
// Logs the counts of the kinds whose second is over and forgets the kinds that stayed quiet.
// The connection manager calls it each time it takes in what the transport received.
void Flush();
// Logs every count as it stands and forgets every kind: a new session starts.
void Reset();
// Every drop noted so far, logged or only counted.
uint64_t GetTotal();
// The drops noted so far on the calling thread: what a handler run on this thread dropped,
// whatever other threads drop meanwhile.
uint64_t GetThreadTotal();

// The clock the seconds are counted on, in milliseconds: the steady wall clock, or (for
// tests) a clock of the caller's; null restores the wall clock.
using Clock = uint64_t (*)();
void SetClock(Clock clock);

}  // namespace NetDropLog

// Logs one drop of a received packet through NetDropLog; the reason is a printf format,
// whose text is the kind's. Returns false.
bool LogNetDrop(std::string_view what, int fromHost, const char* reasonFormat, ...)
    __attribute__((format(printf, 3, 4)));
bool LogNetDropV(std::string_view what, int fromHost, const char* reasonFormat, va_list arguments);

}  // namespace GAME
