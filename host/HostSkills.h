// The player's skill window in the bundled run: after the fight the player is given the
// experience of its next level, which allows a mastery (the game asks for its autosave),
// takes the warfare tree, puts its points into it and buys back two points. The run
// prints the window as text; a loaded save prints the window of the character it holds.
#pragma once

#include <cstdint>

namespace GAME {

class Player;

class HostSkills {
public:
    // The tree the bundled player's record lists; its first skill is the mastery.
    static constexpr const char* kTreeRecord = "Records/Skills/Warfare/WarfareTree.dbr";
    // How many points the run buys back, and the gold the player picks up to pay for them.
    static constexpr int32_t kReclaimedPoints = 2;
    static constexpr uint32_t kPurse = 500;

    // The player takes the warfare tree: its skills join the player's at level 0. A saved
    // character takes it before its save is read, so the save's levels find their skills;
    // a player who holds the tree already keeps it as it is.
    static void TakeTree(Player& player);
    // Levels the player, spends its points, buys back points and prints the window;
    // nothing without the player.
    static void Run(uint32_t playerId);
    // The window: each listed skill, the masteries with the points spent, the
    // reclamation's next cost, the strength in the totals as the character's next frame
    // gathers them (with the mastery's share) and the mastery's tooltip at its level and
    // the next.
    static void PrintWindow(Player& player);
};

}  // namespace GAME
