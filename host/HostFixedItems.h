// The level's usable objects, walked after the fight: a chest locked while a champion
// guards it, a door that closes behind the player, a shrine, a well, a quest object, the
// portal at the end of the game and a boat to the other region. The player uses each by
// a click on it, as a person would; every host that decides the rules (alone or as a
// server) prints the same lines.
#pragma once

#include <cstdint>

namespace GAME {

class Region;
class WorldVec3;
class FixedItemTeleport;

class HostFixedItems {
public:
    // The most frames one step of the walk may take before it is given up (printed).
    static constexpr int kMaxStepFrames = 200;
    // ... and the game time it may take at the least, whatever the frames' length: a step
    // is a walk of some metres, which short frames take more of.
    static constexpr int kMinStepMs = 50000;
    static int MaxStepFrames(int stepMs);

    // Played in frames of its own (of stepMs each), apart from the run's: after them, or
    // within one of a level's. Nothing without a living player in the world. The frames the
    // walk took.
    static int Run(uint32_t playerId, int stepMs);

    // What the walks on every host share.
    struct Placement {
        const char* record;
        const char* kind;   // how the lines name the object
        float dx, dz;       // from the walking player
    };
    static constexpr int kPlacements = 8;
    enum : int { kChest, kChampion, kDoor, kShrine, kWell, kBoat, kQuestObject, kPortal };
    // In the order of the enumeration, which is the order they are placed in.
    static const Placement kLevel[kPlacements];
    static void RegisterRecords();
    static const char* StateName(uint32_t state);
    // The region the boat sails to from `regionId` (made, with its bounds, when missing).
    static Region* BoatDestinationRegion(uint32_t regionId);
    // The boat's and its landing's identities in their instance group (alike on every host).
    static void JoinBoatToLanding(FixedItemTeleport& boat, const Region& destination);
    // The point `dx`, `dz` from `base` in its region.
    static WorldVec3 Beside(const WorldVec3& base, float dx, float dz);
};

}  // namespace GAME
