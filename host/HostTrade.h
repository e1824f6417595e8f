// gamehost over the network: the server's player and the client's player trade. Late in
// the run the server's player invites the client's; the client's console answers the
// invitation, the server's player offers a bundled item, the client's player gold, and
// each finalizes once it sees the other's offer. Each side prints what its own player
// holds before and after ("trade:" lines), so that the two sides can be compared.
#pragma once

#include <cstdint>

namespace GAME {

class GameEngine;

class HostTrade {
public:
    static constexpr const char* kTradedItemRecord = "Records/Item/Sets/WardenBracers.dbr";
    static constexpr uint32_t kTradedGold = 250;
    // The server's player invites at this frame, or on the first frame after it that the
    // session does not hold the invitation back: the session holds it until the player has
    // taken the gold of the fight's loot, so that no gold of the loot moves while the
    // trade is open, however many frames the fight took.
    static constexpr int kInviteFrame = 230;

    void Start(GameEngine& engine, uint32_t playerId);
    void AfterFrame(GameEngine& engine, int frame, bool inviteHeld = false);
    // From the "before" line until the "after" line: whatever else reaches the player
    // meanwhile would be counted as traded.
    bool InProgress() const { return m_begun && !m_ended; }
    // The "after" line is printed: the trade ran and is over.
    bool Over() const { return m_begun && m_ended; }
    // A trade that never ended is said so.
    void PrintEnd() const;

private:
    void PrintHoldings(const char* when) const;
    void Play(GameEngine& engine, int frame, bool inviteHeld);

    uint32_t m_playerId = 0;
    bool m_serving = false;
    bool m_begun = false;     // "before" printed
    bool m_offered = false;
    bool m_finalized = false;
    bool m_ended = false;     // "after" printed
};

}  // namespace GAME
