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

// The host, what was dropped and the reason's key.
using DropKey = std::tuple<int, std::string, std::string>;

struct DropLogState {
    std::mutex lock;
    std::map<DropKey, DropKind> kinds;
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

std::string CountLine(int host, const DropKind& kind)
{
    return kind.what + " from host " + std::to_string(host) + ": " + std::to_string(kind.counted) + " more " +
           kind.verb + " in the last second: " + kind.reason;
}

std::string OtherLine(size_t counted)
{
    return std::to_string(counted) + " more packets dropped in the last second for other reasons";
}

// The lines are logged once the lock is let go: a log sink may do anything.
void Emit(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        gEngine->Log(LOG_WARNING, "%s", line.c_str());
}

void FlushLocked(DropLogState& state, bool everything, std::vector<std::string>& lines)
{
    const uint64_t now = NowMs();
    for (auto it = state.kinds.begin(); it != state.kinds.end();) {
        DropKind& kind = it->second;
        if (!everything && now - kind.windowStart < NetDropLog::kWindowMs) {
            ++it;
            continue;
        }
        if (kind.counted > 0)
            lines.push_back(CountLine(std::get<0>(it->first), kind));
        // A kind still flooding stays, so that its next second is counted too.
        if (kind.counted > 0 && !everything) {
            kind.counted = 0;
            kind.windowStart = now;
            ++it;
        } else {
            it = state.kinds.erase(it);
        }
    }
    if (state.otherCounted > 0 && (everything || now - state.otherStart >= NetDropLog::kWindowMs)) {
        lines.push_back(OtherLine(state.otherCounted));
        state.otherCounted = 0;
    }
}

}  // namespace

bool NetDropLog::Note(std::string_view what, int fromHost, const char* reasonKey, std::string_view reason,
                      const char* verb)
{
    DropLogState& state = State();
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (std::string_view(verb) == "dropped") {
            ++state.total;
            ++tThreadTotal;
        }
        const uint64_t now = NowMs();
        DropKey key{fromHost, std::string(what), reasonKey ? reasonKey : ""};
        auto it = state.kinds.find(key);
        if (it == state.kinds.end() && state.kinds.size() >= kMaxKinds) {
            if (state.otherCounted++ == 0)
                state.otherStart = now;
            return false;
        }
        if (it != state.kinds.end() && now - it->second.windowStart < kWindowMs) {
            ++it->second.counted;
            return false;
        }
        if (it != state.kinds.end() && it->second.counted > 0) {
            // A second full of them is over: its count is the line, and this one opens the next.
            lines.push_back(CountLine(fromHost, it->second));
            it->second.counted = 1;
            it->second.windowStart = now;
        } else {
            DropKind& kind = state.kinds[std::move(key)];
            kind = DropKind{now, 0, WithoutControlCharacters(what), WithoutControlCharacters(reason), verb};
            lines.push_back(kind.what + " from host " + std::to_string(fromHost) + " " + verb + ": " + kind.reason);
        }
    }
    Emit(lines);
    return false;
}

void NetDropLog::Flush()
{
    DropLogState& state = State();
    std::vector<std::string> lines;
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
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        FlushLocked(state, true, lines);
        state.kinds.clear();
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
    std::vsnprintf(reason, sizeof reason, reasonFormat, arguments);
    return NetDropLog::Note(what, fromHost, reasonFormat, reason);
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
