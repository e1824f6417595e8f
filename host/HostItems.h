// Items in the bundled run. After the fight, a single process shows the player's items at
// work: a sword's tool tip with its prefix and suffix at a fixed seed, two pieces of a set
// worn (the set's text and its bonus in the player's totals), a skill level before and
// after an augmenting item is attached, a potion drunk from a stack and a gold pile used.
// The items it makes are taken off again and destroyed; the potion's life and the gold stay
// with the player. It runs after the player is saved, so the save does not hold them.
//
// The player's bags after the fight (before the save, which carries them): pick-ups placed
// in the first free cell, potions stacked beneath the first of their record, a sack one-shot
// adding a bag, a potion drunk by need; then every bag's items and every hot slot ("bags:"
// lines; a loaded character prints the same lines for what it read).
//
// On the network the server drops one item into the world near its player through the
// game's item creation (which sends it to every client); each host prints the dropped
// item's fingerprint once the item is in its world ("net: item" lines, alike on both
// sides).
#pragma once

#include <cstdint>
#include <vector>

namespace GAME {

class GameEngine;
class Player;
struct GameTextLine;

class HostItems {
public:
    // The dropped item: a sword with a prefix and a suffix, rebuilt from this seed.
    static constexpr const char* kSwordRecord = "Records/Item/Weapons/Sword.dbr";
    static constexpr const char* kSwordPrefix = "Records/Item/Affix/PrefixKeen.dbr";
    static constexpr const char* kSwordSuffix = "Records/Item/Affix/SuffixOfEmbers.dbr";
    static constexpr uint32_t kSwordSeed = 4242;
    // The server drops it after this many frames: its client has joined by then.
    static constexpr int kDropFrame = 8;

    // The lines with their style class, each after `what`; blank spacing lines are left out.
    static void PrintLines(const char* what, const std::vector<GameTextLine>& lines);

    // The single process's showcase; nothing without the player.
    static void Run(uint32_t playerId);
    // The bags after the fight; nothing without the player.
    static void FillBags(uint32_t playerId);
    // Every bag's items with their cells and the potions beneath, and every hot slot, each
    // line "bags: <what>: ...".
    static void PrintBags(const char* what, Player& player);
    // What the player's save carries: the items in its bags and those it wears, both
    // weapon sets' included, by id in order.
    static std::vector<uint32_t> CarriedItems(Player& player);
    // The player's lines of a run's summary: level, experience, money, then every item it
    // carries or wears by name, in order ("summary: ...").
    static void PrintSummary(Player& player);

    // On the network, after each frame: the server drops the item once; every host
    // prints the item when it first finds it in its world.
    void AfterFrame(GameEngine& engine, int frame, uint32_t playerId);

private:
    bool m_dropped = false;
    bool m_seen = false;
};

}  // namespace GAME
