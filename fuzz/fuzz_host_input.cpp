// Reads arbitrary text as the host's scripted input: every line either becomes a command
// of a frame in range, with finite coordinates in range, or is logged and skipped; the
// commands come out in frame order and never more than the limit.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Engine/Engine.h"
#include "host/HostInput.h"

using namespace GAME;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HostInput input;
    input.Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz");
    const auto& commands = input.GetCommands();
    if (commands.size() > HostInput::kMaxCommands)
        std::abort();
    int last = 0;
    for (const HostInput::Command& command : commands) {
        if (command.frame < 1 || command.frame > HostInput::kMaxFrame || command.frame < last)
            std::abort();
        if (!std::isfinite(command.x) || !std::isfinite(command.z) || std::fabs(command.x) > 100000.0f ||
            std::fabs(command.z) > 100000.0f)
            std::abort();
        last = command.frame;
    }
    return 0;
}
