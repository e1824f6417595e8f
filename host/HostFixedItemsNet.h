// The level's usable objects on the network. The server places them for every peer beside
// the client's player once the rest of the game is over; the client's player walks them by
// clicks, as the lone game's player does: it tries the chest its champion guards, opens it
// once the server has slain the champion, opens the door and walks away, prays at the
// shrine, drinks at the well, touches the quest object, says no to the final portal twice
// and sails with the boat. Its uses travel to the server as its player's actions; what they
// change comes back as the fixed items' commands, which only the server may send. Both
// hosts print the uses and the state changes as they travel, the chest's lock as each
// works it out and the loot as it lands: the same lines on both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <vector>

#include "host/HostEventTap.h"
#include "host/HostFixedItems.h"

namespace GAME {

class FixedItem;
class FixedItemTyphonPortal;
class Name;
struct GameEvent;

class HostFixedItemsNet {
public:
    // The server places the objects at this frame: after every other part of the game, the
    // bundled network run (380 frames) included.
    static constexpr int kPlaceFrame = 400;
    // The most frames of its own a client's step of the walk may take: what it asked is
    // seen once the server has done it, and a client's frames run at their own pace, on a
    // loaded machine many to one of its server's.
    static constexpr int kMaxStepFrames = 10 * HostFixedItems::kMaxStepFrames;

    HostFixedItemsNet() = default;
    ~HostFixedItemsNet();
    HostFixedItemsNet(const HostFixedItemsNet&) = delete;
    HostFixedItemsNet& operator=(const HostFixedItemsNet&) = delete;

    // `placing`: this host is the server; otherwise this host's player walks. From now on
    // the game's events are looked at too, until Stop.
    void Start(uint32_t playerId, bool placing);
    // The game's observer of events from before Start is given back.
    void Stop();
    void AfterFrame(int frame);
    // Each packet as it travels (sent, or received once applied).
    void Travelled(const unsigned char* data, size_t size);

private:
    enum Step {
        kWaiting,
        kTryChest,
        kAwaitUnlock,
        kAwaitOpen,
        kAwaitDoorOpen,
        kAwaitDoorClosed,
        kAwaitShrineRest,
        kDrink,
        kTouch,
        kAskPortal,
        kAwaitPortal,
        kAskBoat,
        kCross,
        kDone
    };

    void Place();
    // The placed objects once all have arrived; false until then.
    bool FindPlaced();
    const char* KindOf(uint32_t id) const;
    void Click(int frame, int which);
    void ClickGround(int frame, float dx, float dz);
    // The player (this host's unless given) does nothing now.
    bool PlayerIdle(uint32_t playerId = 0) const;
    void Walk(int frame);
    void WalkStep(int frame, const FixedItem& chest, const FixedItem& door, const FixedItem& shrine,
                  const FixedItemTyphonPortal& portal);
    void WatchChest();
    void WatchLoot();
    void WatchShrine();
    void Next(int frame, Step step);

    uint32_t m_playerId = 0;
    bool m_placing = false;
    bool m_started = false;
    uint32_t m_ids[HostFixedItems::kPlacements] = {};
    bool m_placed = false;
    Step m_step = kWaiting;
    int m_stepFrame = 0;
    int m_portalAsked = 0;
    // The player that walks, as the server learns it from its first use.
    uint32_t m_walkerId = 0;
    bool m_championSlain = false;
    bool m_slayChampion = false;
    int m_chestLock = -1;   // -1 unseen, else the lock last printed
    bool m_crossed = false;
    std::set<uint32_t> m_itemsSeen;
    // The last use that travelled, and the frame it travelled after.
    std::vector<unsigned char> m_lastUse;
    int m_lastUseFrame = -1;
    int m_frame = 0;
    int m_shrineState = 0;   // the shrine's state last printed
    // The shrine's uses, heard from Start to Stop.
    HostEventTap m_shrineUses;
};

}  // namespace GAME
