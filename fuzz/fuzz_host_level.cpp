// Reads arbitrary text as a gamehost level file: every line either becomes a placement or
// a step with finite coordinates and amounts in range, or is logged and skipped; never
// more entries than the limit.
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
    const bool player = level.Parse(std::string(reinterpret_cast<const char*>(data), size));
    if (level.GetPlacements().size() + level.GetSteps().size() > HostLevel::kMaxEntries)
        std::abort();
    if (player && !LevelCoordinateOk(level.GetPlayer().where))
        std::abort();
    for (const HostLevel::Placement& placement : level.GetPlacements())
        if (!LevelCoordinateOk(placement.where))
            std::abort();
    for (const HostLevel::Step& step : level.GetSteps())
        if (step.frame < 1 || !std::isfinite(step.amount) || step.amount < 0.0f)
            std::abort();
    if (level.GetRegionId() == 0 || level.GetRegionId() >= 65536)
        std::abort();
    return 0;
}
