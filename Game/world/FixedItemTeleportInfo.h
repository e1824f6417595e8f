// One player portal known to a peer, as the game engine lists it: kept apart from the
// portal class so that the engine's header needs no fixed-item declarations.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/World.h"

namespace GAME {

struct FixedItemTeleportInfo {
    uint32_t portalId = 0;
    uint32_t ownerId = 0;
    WorldCoords coords;
    std::string text;
};

}  // namespace GAME
