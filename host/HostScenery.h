// A statue, the spirit that raises it and a stooge, placed in the bundled level away from
// the fight. The host that places them (the server, or the only host) creates them on
// every peer with the same ids; every host prints the statue sitting and rising and the
// spirit leaving as it sees them. The placing host lets the player strike the stooge and
// prints the skill the stooge answers with.
#pragma once

#include <cstdint>
#include <set>

namespace GAME {

class HostScenery {
public:
    // `placing`: this host creates the scenery for every peer.
    bool Start(uint32_t playerId, bool placing);
    // After the frame: places, strikes and prints what changed.
    void AfterFrame(int frame);

private:
    void Place();
    void StrikeStooge(int frame);

    uint32_t m_playerId = 0;
    bool m_placing = false;
    uint32_t m_stoogeId = 0;
    std::set<uint32_t> m_seen;
    std::set<uint32_t> m_sat;
    std::set<uint32_t> m_risen;
    std::set<uint32_t> m_spirits;
    std::set<uint32_t> m_gone;
    std::set<uint32_t> m_braced;   // stooges seen answering a blow
};

}  // namespace GAME
