// The level around the bundled fight fills itself: a spawn proxy away from the arena makes
// its wisps from a pool, an ambush beside the player's path lets its own out one at a
// time while the player is near, and a trigger volume where the teleport lands changes the
// music (its enter event is printed with the other events). Each host prints every level monster it
// comes to know (id, record, place), so both sides of a network game can be compared, and
// the music playlist when it changes.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace GAME {

class HostProxies {
public:
    // The server's (or the single game's) part: places the proxy, the ambush and the volume
    // in the player's region; they start with the world's next frame. False when the
    // player or a record is missing.
    bool Start(uint32_t playerId);
    // After the frame, on every host.
    void AfterFrame(int frame);

private:
    void PlaceShoreVolume();

    bool m_serving = false;
    bool m_shoreMusicPlaced = false;
    std::set<uint32_t> m_seen;
    std::string m_music;
};

}  // namespace GAME
