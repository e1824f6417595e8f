// Reads arbitrary text as a gamehost level file: every line either becomes a placement or
// a step with finite coordinates, frames in range and the record its step names, or the
// level is refused with the reason; never more entries than the limit.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Engine/Engine.h"
#include "host/HostLevel.h"

using namespace GAME;

namespace {

bool LevelCoordinateOk(const Vec3& v)
{
    for (float c : {v.x, v.y, v.z})
        if (!std::isfinite(c) || std::fabs(c) > HostLevel::kMaxCoordinate)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HostLevel level;
    const bool read = level.Parse(std::string(reinterpret_cast<const char*>(data), size));
    // A level that is refused says why; one that reads places its player.
    if (!read && level.GetError().empty())
        std::abort();
    if (level.GetPlacements().size() + level.GetSteps().size() > HostLevel::kMaxEntries)
        std::abort();
    if (read && !LevelCoordinateOk(level.GetPlayer().where))
        std::abort();
    for (const HostLevel::Placement& placement : level.GetPlacements())
        if (!LevelCoordinateOk(placement.where))
            std::abort();
    for (const HostLevel::Step& step : level.GetSteps())
        if (step.frame < 1 || step.frame > HostLevel::kMaxFrame ||
            (step.kind != HostLevel::Step::Break && step.record.empty()))
            std::abort();
    if (level.GetRegionId() == 0 || level.GetRegionId() >= 65536)
        std::abort();
    return 0;
}
