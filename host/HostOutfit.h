// What the fighters wear in the bundled run, put on the way a game puts it on: each item
// joins the character's inventory and its controller's equipment control places it, whose
// attach commands the characters carry out in the frame. The player's outfit is a helm,
// armour, greaves, an armband, an amulet, a sword and a shield, and then a ring whose
// strength requirement only the amulet's strength bonus meets; the monster wears armour
// and a mace. Once the outfit is on, its slots, the hand state and each item's tool tip are
// printed; the combat trace shows the sword's attributes and the armour's impact sounds.
// After the fight the amulet is taken off (the ring stays on its finger,
// detached), and a spear put in the alternate weapon set is drawn, changing the hand state.
#pragma once

#include <cstdint>

namespace GAME {

class Character;
class Player;

class HostOutfit {
public:
    // Makes both outfits and hands all but the ring to the controllers; false when an item
    // cannot be made. A player not to be dressed (a loaded character, which wears what its
    // save holds) is handed nothing, and its outfit's later steps do not run.
    bool Start(Player& player, Character& monster, bool dressPlayer = true);
    // Before each frame: the ring once its requirement is met, the print-out once it is
    // worn, and after the fight the amulet taken off and the spear drawn, each step given
    // time for its commands and the equipment's refresh.
    // The impact sounds the player's body armour played in the frame before go to the
    // combat trace.
    void Update(int frame, int ms, bool fightOver);

    // What the character's controller holds in each place (both weapon sets), whether it is
    // attached, and the hand state; lines start with `who`.
    static void PrintSlots(const char* who, const Character& character);

private:
    // The monster's armour and mace; false when an item cannot be made.
    static bool DressMonster(Character& monster);
    void TraceImpacts(int frame, const Character& character);

    enum class Stage { RingWaits, RingGiven, AmuletOn, AmuletOff, SpearDrawn, Done };

    uint32_t m_playerId = 0;
    uint32_t m_ringId = 0;
    uint32_t m_amuletId = 0;
    uint32_t m_spearId = 0;
    Stage m_stage = Stage::Done;
    int m_waitMs = 0;
    unsigned m_impactsPlayed = 0;   // until the step's commands and a refresh have run
};

}  // namespace GAME
