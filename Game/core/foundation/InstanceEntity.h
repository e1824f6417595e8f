// Positions of entities placed in levels, found by their UniqueId.
#pragma once

#include "Engine/UniqueId.h"
#include "Engine/World.h"

namespace GAME {

// The placed entity's region and position. False (out untouched) when the engine
// knows no such entity or its region is not loaded.
bool GetInstanceEntityPosition(const UniqueId& id, WorldVec3& out);

}  // namespace GAME
