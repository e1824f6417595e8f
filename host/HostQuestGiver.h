// A quest giver standing inside the player in the bundled run: the two are pushed apart
// (their positions printed), the player engages it on a fixed frame, and the run prints
// the conversation, the mark over the giver's head as it changes, and (through the
// console user interface) the dialog shown.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Math.h"

namespace GAME {

class Character;
class Npc;

class HostQuestGiver {
public:
    // The frame on which the player engages the giver.
    static constexpr int kEngageFrame = 3;

    // Places the giver inside the player's extents and prints both positions; false when
    // its record makes no character.
    bool Start(uint32_t playerId);
    // Before the frame: the player engages the giver on its frame.
    void Update(int frame);
    // After the frame: prints the positions while the two are pushed apart, and the mark
    // when it changed.
    void AfterFrame(int frame);

private:
    void PrintPositions(const char* when, const Character& player, const Character& npc);
    void PrintPush(int frame, const Npc& npc);

    uint32_t m_playerId = 0;
    uint32_t m_npcId = 0;
    std::string m_markShown = "none";
    // While the two still overlap, the positions last printed.
    bool m_crowded = false;
    Vec3 m_playerShown;
    Vec3 m_npcShown;
};

}  // namespace GAME
