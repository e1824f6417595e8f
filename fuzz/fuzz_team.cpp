// Reads teams from any bytes, one after another, as a character packet carries them.
// Every team read must be written back to the same bytes it was read from, except for
// the unused high bits of its first byte and a long form holding a small minor team.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "Engine/Engine.h"
#include "Game/core/Team.h"

using namespace GAME;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        gEngine->SetLogSink([](const LogLine&) {});
        return true;
    }();
    (void)quiet;

    const uint8_t* cursor = data;
    const uint8_t* end = data + size;
    while (cursor < end) {
        const uint8_t* start = cursor;
        Team team;
        if (!team.RemoveFromPacket(cursor, end)) {
            if (cursor != start)
                std::abort();   // a rejected read must not move the cursor
            break;
        }
        if (cursor <= start || cursor > end)
            std::abort();
        std::vector<uint8_t> again;
        team.AddToPacket(again);
        const uint8_t* reread = again.data();
        Team copy;
        if (!copy.RemoveFromPacket(reread, again.data() + again.size()) || !(copy == team))
            std::abort();
    }
    return 0;
}
