// A quest giver beside the player in the bundled run: the player engages it on a fixed
// frame, and the run prints the conversation, the mark over the giver's head as it
// changes, and (through the console user interface) the dialog shown.
#pragma once

#include <cstdint>
#include <string>

namespace GAME {

class HostQuestGiver {
public:
    // The frame on which the player engages the giver.
    static constexpr int kEngageFrame = 3;

    // Places the giver near the player; false when its record makes no character.
    bool Start(uint32_t playerId);
    // Before the frame: the player engages the giver on its frame.
    void Update(int frame);
    // After the frame: prints the mark when it changed.
    void AfterFrame(int frame);

private:
    uint32_t m_playerId = 0;
    uint32_t m_npcId = 0;
    std::string m_markShown = "none";
};

}  // namespace GAME
