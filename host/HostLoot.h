// The monsters' loot in the bundled run. A monster rolls what it wears from the loot
// tables its record names, from the loot seed it takes at load; every peer that knows the
// seed makes the same items. When it dies, its gold piles are made at the body and its
// rolled items fall from it. Each host prints, once, every item a monster wears or carries
// and every rolled item and gold pile that comes to lie in its world ("loot:" lines, the
// item's record, affixes, seed and fingerprint, alike on every peer). Once the fight is
// over, the player picks up the first gold pile that fell, a few frames after it fell; its
// bags use gold at once, and its money is printed before and after.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace GAME {

class Item;
class Player;

class HostLoot {
public:
    // The identity of an item as the loot lines print it: its name (which holds its affixes;
    // a gold pile's, its amount), its seed and the fingerprint of everything rebuilt from
    // its identity.
    static std::string Identity(const Item& item);

    // After each frame: the monsters first seen, the drops that came to lie in the world,
    // and, when `playerId` names this host's player and no monster fights on, the pile it
    // takes. Lines start with "loot: frame N:".
    void AfterFrame(int frame, uint32_t playerId);
    // The drops that came to lie in the world since the last look; also between the
    // packets of a frame, where an item can come and go before the frame ends.
    void WatchDrops(int frame);
    // The player has taken its pile and been paid: no gold of the loot moves after this.
    bool PileTaken() const { return m_step == Step::Done; }

private:
    void WatchMonsters(int frame);
    // The player picks up the first pile that fell; the next frame shows what it paid.
    void TakePile(int frame, Player& player);

    std::set<uint32_t> m_monstersSeen;
    std::set<uint32_t> m_lootIds;      // every item a monster rolled
    std::set<uint32_t> m_dropsSeen;
    uint32_t m_pileId = 0;             // the pile the player goes for
    int m_pileFrame = 0;               // the frame it fell in
    uint32_t m_pileGold = 0;           // its amount, and the player's money before it
    uint32_t m_moneyBefore = 0;
    enum class Step { Waiting, PickedUp, Done } m_step = Step::Waiting;
};

}  // namespace GAME
