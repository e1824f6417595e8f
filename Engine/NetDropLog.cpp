#include "Engine/NetDropLog.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/TextUtil.h"

namespace GAME {

namespace {

struct DropKind {
    uint64_t windowStart = 0;
    size_t counted = 0;   // drops of this window not logged on their own
    std::string what;
    std::string reason;   // the text of the drop that was logged whole
    const char* verb = "dropped";
};

// A packet held until what it names arrives is an expected moment of a join, logged as
// information; a packet dropped is a warning.
int LevelOf(const char* verb)
{
    return std::string_view(verb) == "held" ? LOG_INFO : LOG_WARNING;
}

struct Line {
    int level = LOG_WARNING;
    std::string text;
};

// The host, what was dropped and the reason's key. A drop is looked up by views of its
// texts, so that a kind already kept (a flood's every drop but its first) costs no copy.
struct DropKey {
    int host = 0;
    std::string what;
    std::string reason;
};
struct DropKeyView {
    int host = 0;
    std::string_view what;
    std::string_view reason;
};

struct DropKeyLess {
    using is_transparent = void;
    static std::tuple<int, std::string_view, std::string_view> Viewed(const DropKey& key)
    {
        return {key.host, key.what, key.reason};
    }
    static std::tuple<int, std::string_view, std::string_view> Viewed(const DropKeyView& key)
    {
        return {key.host, key.what, key.reason};
    }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const
    {
        return Viewed(a) < Viewed(b);
    }
};

using DropKinds = std::map<DropKey, DropKind, DropKeyLess>;

struct DropLogState {
    std::mutex lock;
    DropKinds kinds;
    // The kind noted last: a flood notes one kind over and over, and finds it here at the
    // cost of comparing its texts once. kinds.end() when it is forgotten.
    DropKinds::iterator last = kinds.end();
    size_t otherCounted = 0;   // drops of kinds past kMaxKinds, since otherStart
    uint64_t otherStart = 0;
    uint64_t total = 0;
};

DropLogState& State()
{
    static DropLogState state;
    return state;
}

thread_local uint64_t tThreadTotal = 0;

uint64_t WallClockMs()
{
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

std::atomic<NetDropLog::Clock> gClock{&WallClockMs};

uint64_t NowMs()
{
    return gClock.load()();
}

Line CountLine(int host, const DropKind& kind)
{
    return {LevelOf(kind.verb), kind.what + " from host " + std::to_string(host) + ": " + std::to_string(kind.counted) + " more " +
           kind.verb + " in the last second: " + kind.reason};
}

Line OtherLine(size_t counted)
{
    return {LOG_WARNING, std::to_string(counted) + " more packets dropped in the last second for other reasons"};
}

// The lines are logged once the lock is let go: a log sink may do anything.
void Emit(const std::vector<Line>& lines)
{
    for (const Line& line : lines)
        gEngine->Log(line.level, "%s", line.text.c_str());
}

void FlushLocked(DropLogState& state, bool everything, std::vector<Line>& lines)
{
    const uint64_t now = NowMs();
    for (auto it = state.kinds.begin(); it != state.kinds.end();) {
        DropKind& kind = it->second;
        if (!everything && now - kind.windowStart < NetDropLog::kWindowMs) {
            ++it;
            continue;
        }
        if (kind.counted > 0)
            lines.push_back(CountLine(it->first.host, kind));
        // A kind still flooding stays, so that its next second is counted too.
        if (kind.counted > 0 && !everything) {
            kind.counted = 0;
            kind.windowStart = now;
            ++it;
        } else {
            if (it == state.last)
                state.last = state.kinds.end();
            it = state.kinds.erase(it);
        }
    }
    if (state.otherCounted > 0 && (everything || now - state.otherStart >= NetDropLog::kWindowMs)) {
        lines.push_back(OtherLine(state.otherCounted));
        state.otherCounted = 0;
    }
}

// Logs (or counts) one drop; `makeReason` gives the reason's text, asked for only when the
// drop is logged whole: a drop that is only counted formats nothing and copies nothing.
template <class MakeReason>
bool NoteDrop(std::string_view what, int fromHost, const char* reasonKey, const char* verb, MakeReason makeReason)
{
    DropLogState& state = State();
    std::vector<Line> lines;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (std::string_view(verb) == "dropped") {
            ++state.total;
            ++tThreadTotal;
        }
        const uint64_t now = NowMs();
        const DropKeyView key{fromHost, what, reasonKey ? reasonKey : ""};
        auto it = state.last;
        if (it == state.kinds.end() || it->first.host != key.host || it->first.what != key.what ||
            it->first.reason != key.reason)
            it = state.last = state.kinds.find(key);
        if (it == state.kinds.end() && state.kinds.size() >= NetDropLog::kMaxKinds) {
            if (state.otherCounted++ == 0)
                state.otherStart = now;
            return false;
        }
        if (it != state.kinds.end() && now - it->second.windowStart < NetDropLog::kWindowMs) {
            ++it->second.counted;
            return false;
        }
        if (it != state.kinds.end() && it->second.counted > 0) {
            // A second full of them is over: its count is the line, and this one opens the next.
            lines.push_back(CountLine(fromHost, it->second));
            it->second.counted = 1;
            it->second.windowStart = now;
        } else {
            if (it == state.kinds.end())
                it = state.last =
                    state.kinds.emplace(DropKey{fromHost, std::string(key.what), std::string(key.reason)}, DropKind{})
                        .first;
            DropKind& kind = it->second;
            kind = DropKind{now, 0, WithoutControlCharacters(what), WithoutControlCharacters(makeReason()), verb};
            lines.push_back(
                {LevelOf(verb), kind.what + " from host " + std::to_string(fromHost) + " " + verb + ": " + kind.reason});
        }
    }
    Emit(lines);
    return false;
}

}  // namespace

bool NetDropLog::Note(std::string_view what, int fromHost, const char* reasonKey, std::string_view reason,
                      const char* verb)
{
    return NoteDrop(what, fromHost, reasonKey, verb, [reason] { return reason; });
}

void NetDropLog::Flush()
{
    DropLogState& state = State();
    std::vector<Line> lines;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.kinds.empty() && state.otherCounted == 0)
            return;
        FlushLocked(state, false, lines);
    }
    Emit(lines);
}

void NetDropLog::Reset()
{
    DropLogState& state = State();
    std::vector<Line> lines;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        FlushLocked(state, true, lines);
        state.kinds.clear();
        state.last = state.kinds.end();
    }
    Emit(lines);
}

uint64_t NetDropLog::GetTotal()
{
    DropLogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.total;
}

uint64_t NetDropLog::GetThreadTotal()
{
    return tThreadTotal;
}

void NetDropLog::SetClock(Clock clock)
{
    gClock.store(clock ? clock : &WallClockMs);
}

bool LogNetDropV(std::string_view what, int fromHost, const char* reasonFormat, va_list arguments)
{
    char reason[512];
    return NoteDrop(what, fromHost, reasonFormat, "dropped", [&] {
        std::vsnprintf(reason, sizeof reason, reasonFormat, arguments);
        return std::string_view(reason);
    });
}

bool LogNetDrop(std::string_view what, int fromHost, const char* reasonFormat, ...)
{
    va_list arguments;
    va_start(arguments, reasonFormat);
    LogNetDropV(what, fromHost, reasonFormat, arguments);
    va_end(arguments);
    return false;
}

}  // namespace GAME
