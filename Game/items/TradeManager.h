// Player-to-player trade: the local player and one other player each offer items and gold
// in a trade window; once both have finalized, each peer completes the trade for its own
// player. The two peers speak only through the six trade operations of the game engine's
// network interface.
#pragma once

#include <cstdint>
#include <map>
#include <set>

#include "Engine/Math.h"
#include "Game/items/InventorySack.h"

namespace GAME {

class ControllerPlayer;
class Player;
class SoundPak;
struct ItemReplicaInfo;

// One side of a trade: the copies of the offered items in a sack of the trade window,
// the gold offered and whether that side has finalized.
class TradeState {
public:
    TradeState() = default;
    TradeState(const TradeState&) = delete;
    TradeState& operator=(const TradeState&) = delete;
    virtual ~TradeState() = default;

    // Gold 0, not finalized, the sack emptied without destroying its items.
    void Clear();
    // The sack destroys its items.
    void DestroyObjects();

    void SetFinalized(bool finalized) { m_finalized = finalized; }
    bool GetFinalized() const { return m_finalized; }
    void SetGoldAmount(uint32_t gold) { m_goldAmount = gold; }
    uint32_t GetGoldAmount() const { return m_goldAmount; }
    InventorySack& GetInventorySack() { return m_sack; }
    const InventorySack& GetInventorySack() const { return m_sack; }

    // Takes the item out of the sack and destroys it; false when the sack did not hold it.
    bool RemoveItem(uint32_t itemId);
    // The player gives the offered items away (a remove-from-inventory command each); the
    // copies are destroyed.
    void RemoveItems(ControllerPlayer* controller);
    // The offered items are made afresh for the local player (new ids, on every peer); the
    // copies are destroyed.
    void ReturnItems(ControllerPlayer* controller);
    void DeleteAndCreateItemsForPlayer(ControllerPlayer* controller);

private:
    InventorySack m_sack;
    bool m_finalized = false;
    uint32_t m_goldAmount = 0;
};

class TradeManager {
public:
    static constexpr const char* kInviteSoundRecord = "Records/Sounds/Soundpak/UI/PartyInviteMessagePak.dbr";

    TradeManager();
    // Destroys both sides' copies and the invite sound.
    virtual ~TradeManager();
    TradeManager(const TradeManager&) = delete;
    TradeManager& operator=(const TradeManager&) = delete;

    // Not trading and no invitation waiting for the local player's answer.
    bool AbleToTrade() const { return !m_active && m_pendingRequester == 0; }
    bool GetIsTradeActive() const { return m_active; }
    uint32_t GetTradePartner() const { return m_partner; }
    // The player who invited the local player and waits for the answer; 0 for none.
    uint32_t GetPendingRequester() const { return m_pendingRequester; }
    // Whom the local player invited; 0 when no invitation of its own is open.
    uint32_t GetRequestedPartner() const { return m_requested ? m_requestedPartner : 0; }
    TradeState& GetMyTradeState() { return m_mine; }
    TradeState& GetHisTradeState() { return m_his; }
    const TradeState& GetMyTradeState() const { return m_mine; }
    const TradeState& GetHisTradeState() const { return m_his; }

    // ---- The local player's steps (the user interface, the player's controller) --------
    // Invites the player (isRequest) or answers an invitation with an acceptance.
    void HandleInitiateTradeOutbound(uint32_t player, bool isRequest);
    void HandleCancelTradeOutbound(uint32_t player);
    void HandleFinalizeTradeOutbound();
    // Offers one of the local player's items: a copy goes into the trade window at its
    // first free place and the original leaves the player. False when no trade runs, the
    // item is not the player's or already offered, or the window has no room.
    bool HandleAddItemOutbound(const Vec2& position, uint32_t itemId);
    // Takes an offered item back to the player; false when it was not offered.
    bool HandleRemoveItemOutbound(uint32_t itemId);
    // Offers gold, held to what the player has.
    void HandleSetGoldAmountOutbound(uint32_t gold);

    // ---- The partner's steps, received ------------------------------------------------
    void HandleInitiateTradeInbound(uint32_t player);
    void HandleCancelTradeInbound(uint32_t player);
    void HandleFinalizeTradeInbound(uint32_t player);
    void HandleAddItemInbound(uint32_t player, const Vec2& place, const ItemReplicaInfo& item);
    void HandleRemoveItemInbound(uint32_t player, uint32_t itemId);
    void HandleSetGoldAmountInbound(uint32_t player, uint32_t amount);

    // Collects the local player's answer to an invitation.
    void Update();
    // The local player's offered items go back to it.
    void ReturnItems();
    // Both sides' copies are destroyed and everything is reset, nothing returned.
    void ShutDown();

    // ---- The server's hold on the clients' trade steps ---------------------------------
    // On the server, a client's trade step reaches its partner (another client, passed on,
    // or the server's own player) only when the server lets it through: null, or why not.
    // Each holds the client to what the server holds of its player: gold offered within its
    // money, when set and again when finalized; items offered only from its bag, each once;
    // offers only within a trade both players opened (with the server's own player: the trade
    // this manager runs). When both sides of a trade between two clients have finalized, the
    // server moves the offered gold between its copies of their players, and the offered
    // items still in a giver's bag leave it, as they do on the clients.
    const char* AdmitClientInitiate(uint32_t sender, uint32_t receiver);
    const char* AdmitClientCancel(uint32_t sender, uint32_t receiver);
    const char* AdmitClientGold(uint32_t sender, uint32_t receiver, uint32_t amount);
    const char* AdmitClientItem(uint32_t sender, uint32_t receiver, const ItemReplicaInfo& item);
    const char* AdmitClientWithdrawal(uint32_t sender, uint32_t receiver, uint32_t itemId);
    const char* AdmitClientFinalize(uint32_t sender, uint32_t receiver);

private:
    // What the server holds of one client's side of a trade.
    struct ClientOffer {
        uint32_t partner = 0;    // whom its last invitation or acceptance named
        bool opened = false;     // it invited or accepted since its last trade ended
        uint32_t gold = 0;
        bool finalized = false;
        // The copies it offered (their ids as sent), each with the item of its bag here
        // that it stands for.
        std::map<uint32_t, uint32_t> items;
    };

    // Whether a step from `player` is the partner's in a running trade; logs it (through
    // the drop log) when not.
    bool FromPartner(uint32_t player, const char* step) const;
    // The sender's side of the trade it runs with `receiver`, as the server saw it opened;
    // null (and `refusal` set) when none runs.
    ClientOffer* RunningClientTrade(uint32_t sender, uint32_t receiver, const char*& refusal);
    // Every change to either side of a trade asks both to finalize again.
    void UnfinalizeClientTrade(uint32_t sender, uint32_t receiver);
    // The client's side, settled on the server's copy of its player: its offered gold and
    // the items still in its bag leave it, `goldIn` arrives.
    void SettleClient(uint32_t client, uint32_t goldOut, uint32_t goldIn);
    // The offers of a client's side are gone; whom it traded with is kept for the steps
    // that still end the trade.
    void EndClientOffer(uint32_t client);
    // On the server, the partner's offered gold is still covered by its money here.
    bool HoldPartnerGold();
    // A change to either offer: both sides must finalize again.
    void ClearFinalized();
    void Refuse(uint32_t player);
    void Complete();
    // Holds the offered gold to the local player's money; true (and the lowered offer
    // sent) when it had to be lowered.
    bool HoldGoldToMoney();
    void Reset();
    uint32_t OwnId() const;
    Player* OwnPlayer() const;
    ControllerPlayer* OwnController() const;

    uint32_t m_inviteSound = 0;   // the sound pack's object id (owned), made when first needed
    TradeState m_mine;
    TradeState m_his;
    bool m_requested = false;
    uint32_t m_requestedPartner = 0;
    bool m_active = false;
    uint32_t m_partner = 0;
    uint32_t m_pendingRequester = 0;
    // The partner's ids of its offered items, with the ids of their copies here.
    std::map<uint32_t, uint32_t> m_hisCopies;
    // The local player's items offered in this trade: each leaves the player by a command
    // that runs later, and is not offered twice meanwhile.
    std::set<uint32_t> m_offered;
    // The partner of the trade completed last, whose own completion sends a cancel after.
    uint32_t m_completedWith = 0;
    // On the server: each client's side of its trade, by its player.
    std::map<uint32_t, ClientOffer> m_clientOffers;
};

}  // namespace GAME
