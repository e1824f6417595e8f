// The lines shared by every cost record's dump to the log.
#pragma once

#include <cstdint>

namespace GAME {

// Writes a record's heading at log level 0.
void LogCostHeading(const char* heading);
// Writes one line at log level 0 when the value is not 0; the format takes the value
// (as %f) or the count (as %u).
void LogCostValue(const char* format, float value);
void LogCostCount(const char* format, uint32_t count);

}  // namespace GAME
