// A teleport in the bundled run: once the fight is over the game asks the player, as a
// portal or a boat master would, whether to travel to the shore; the console answers as
// told. On "yes" the run prints the teleport as it plays out (its states, the player's
// dissolve, the load, the arrival and the reappearance, with positions); on "no" the
// player stays where it is.
#pragma once

#include <cstdint>

namespace GAME {

class HostTeleport {
public:
    // Game time at which the question is asked: the fight of the bundled run is over.
    static constexpr int kAskAtMs = 90000;

    void Start(uint32_t playerId);
    // Before the frame: asks the question once its time has come.
    void Update(int frame, long long gameTimeMs);
    // After the frame: prints what changed.
    void AfterFrame(int frame);

private:
    // Gives the arena the space it covers and adds the shore the teleport leads to.
    class Region* PrepareRegions();
    void PrintPlayer(int frame, const char* what);

    uint32_t m_playerId = 0;
    uint32_t m_confirmId = 0;
    uint32_t m_teleportId = 0;
    bool m_asked = false;
    bool m_questionOpen = false;
    bool m_answerSettled = false;
    bool m_reported = false;
    int m_stateShown = -1;
    bool m_teleportModeShown = false;
};

}  // namespace GAME
