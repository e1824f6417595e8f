// The level's usable objects, walked after the fight: a chest locked while a champion
// guards it, a door that closes behind the player, a shrine, a well and a boat to the
// other region. The player uses each by a click on it, as a person would; every host that
// decides the rules (alone or as a server) prints the same lines.
#pragma once

#include <cstdint>

namespace GAME {

class HostFixedItems {
public:
    // The most frames one step of the walk may take before it is given up (printed).
    static constexpr int kMaxStepFrames = 200;

    // Nothing without a living player in the world. The frames the walk took.
    static int Run(uint32_t playerId, int stepMs);
};

}  // namespace GAME
