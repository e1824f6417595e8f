// Portals placed in the world.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/World.h"

namespace GAME {

class FixedItemTeleport {
public:
    // One portal known to a peer: the portal's id, its owner, where it stands and its text.
    struct TeleportInfo {
        uint32_t portalId = 0;
        uint32_t ownerId = 0;
        WorldCoords coords;
        std::string text;
    };
};

}  // namespace GAME
