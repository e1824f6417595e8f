// One merchant's shop as this peer's player sees it, kept by the client services module
// under the merchant's object id. It rebuilds the stock from the key the market server
// sends and answers the server's verdicts on purchases.
//
// Three stocks are shown on five pages: the generated stock (the same on every peer,
// bought through the server, which decides who gets each item), the static stock
// (potions and other goods every peer stocks on its own, bought at once) and the
// buy-back stock (what the local player sold in this visit, page 5).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Math.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/items/InventorySack.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/ItemTypes.h"
#include "Game/items/MarketItemStatus.h"
#include "Game/items/market/MarketMiniMart.h"

namespace GAME {

class GameEngineClientServicesModule;
class GameEngineNetworkInterface;
class Item;
class LoadTable;
class Player;
class RandomUniform;

class MarketClient {
public:
    // One item of a stock. `index` is the item's place in the generated or static stock
    // (0 for buy-back entries); the generated indices are the ones the server knows.
    struct StockEntry {
        uint32_t index = 0;
        uint32_t itemId = 0;
        MarketItemStatus status = MarketItemStatus_OnSale;
        uint32_t price = 0;
        bool boughtThisVisit = false;
        ItemReplicaInfo identity;
    };

    // The server never keeps more stock indices than this; a longer list of sold
    // indices from a peer is cut here.
    static constexpr size_t kMaxUnavailable = kMarketStockLimit;
    static constexpr int kPageCount = 5;
    static constexpr int kPageWidth = 256;
    static constexpr int kPageHeight = 448;

    MarketClient(GameEngineClientServicesModule* owner, uint32_t merchantId);
    // Destroys every stock item.
    virtual ~MarketClient();
    MarketClient(const MarketClient&) = delete;
    MarketClient& operator=(const MarketClient&) = delete;

    GameEngineClientServicesModule* GetOwner() const { return m_owner; }
    uint32_t GetMerchantId() const { return m_merchantId; }
    // The first call asks the server for the stock key; every call turns at most one
    // queued generated identity and one static one into stock items.
    void Update(int ms);

    // The market server's messages.
    void S2C_MarketUpdate(const std::string& marketRecord, uint32_t level, uint32_t seed,
                          const std::vector<uint32_t>& unavailable);

    // The stock generators' identities, waiting to become items. `marketType` is the
    // generator's kind; the queues do not use it. The generated stock takes no more than
    // kMarketStockLimit identities, the indices the server sells; later ones are left out
    // (the generators still draw them, so every peer's draws stay alike). The identity is
    // taken by value: a generator hands over what it drew without a copy.
    void QueueGeneratedItem(ItemReplicaInfo info, int32_t marketType);
    void QueueStaticItem(ItemReplicaInfo info, int32_t marketType);
    const std::deque<ItemReplicaInfo>& GetGeneratedQueue() const { return m_generatedQueue; }
    const std::deque<ItemReplicaInfo>& GetStaticQueue() const { return m_staticQueue; }
    void S2C_MarketPurchaseConfirmation(uint32_t itemIndex, uint32_t player);
    void S2C_MarketPurchaseDenied(uint32_t itemIndex, uint32_t player, MarketItemStatus status);
    void S2C_MarketItemStatusUpdate(uint32_t itemIndex, MarketItemStatus status);

    // The user interface's operations, reached through the game engine's forwarders.
    // `page` 1 to 4 selects its own page; any other value the buy-back page.
    void OpenMarket(Market_TypeEnum& page, const Vec2& position);
    void CloseMarket();
    InventorySack* GetInventorySack(Market_TypeEnum page);
    const InventorySack* GetInventorySack(Market_TypeEnum page) const;
    MarketItemStatus GetMarketItemStatus(uint32_t itemId) const;
    bool GetIsItemAffordable(uint32_t itemId) const;
    bool PlayerPurchaseRequest(uint32_t itemId);
    bool PlayerSaleRequest(uint32_t itemId, bool silent);
    void CreateUIPlayerBuyText(uint32_t itemId, std::vector<GameTextLine>& lines) const;
    void CreateUIPlayerSellText(uint32_t itemId, std::vector<GameTextLine>& lines) const;

    // What the market gives for a player's item: the price paid when it was bought here
    // in this visit, else its cost less the depreciation, capped by the record. 0 for an
    // item that no longer exists or belongs to this market's stock.
    uint32_t GetSaleValue(uint32_t itemId, bool flag) const;

    // The stock key last received and the stocks, for the user interface and peers'
    // comparisons.
    const std::string& GetMarketRecordName() const { return m_marketRecordName; }
    uint32_t GetBracket() const { return m_bracket; }
    uint32_t GetSeed() const { return m_seed; }
    const std::vector<StockEntry>& GetGeneratedStock() const { return m_generatedStock; }
    const std::vector<StockEntry>& GetStaticStock() const { return m_staticStock; }
    const std::vector<StockEntry>& GetBuyBackStock() const { return m_buyBackStock; }
    // The sum of the prices of generated items asked for and not yet answered.
    uint64_t GetPendingTotal() const;

private:
    enum class Stock { Generated, Static, BuyBack };

    GameEngineNetworkInterface* GetNetworkInterface() const;
    void ReadRecord(const LoadTable& record);
    void Rebuild(const LoadTable& record);
    void ClearStocks();
    // The next queued identity as an item; null when the queue is empty or the item
    // cannot be made. The identity leaves the queue either way.
    Item* MakeQueuedItem(std::deque<ItemReplicaInfo>& queue) const;
    void BuildGeneratedItem();
    void BuildStaticItem();
    // Lays the item on its page and appends its entry to the stock; the entry's index
    // is its position there.
    StockEntry& AddEntry(std::vector<StockEntry>& stock, Item& item, int page, uint32_t index);
    void AddToBuyBack(const Item& sold, uint32_t price);

    // The entry showing the item, searched in the generated, static and buy-back stocks
    // in that order, and which stock holds it; null when none does.
    StockEntry* FindEntry(uint32_t itemId, Stock* stock = nullptr);
    const StockEntry* FindEntry(uint32_t itemId, Stock* stock = nullptr) const;
    StockEntry* FindGenerated(uint32_t index);
    // The generated entry the item was bought from in this visit, when the item still
    // has that entry's identity; null otherwise.
    const StockEntry* FindVisitPurchase(uint32_t itemId) const;
    // Removes the entry, takes its item off every page and destroys it.
    void RemoveEntry(std::vector<StockEntry>& stock, size_t position);

    uint32_t PriceOf(const Item& item) const;
    bool CanAfford(const Player& player, uint32_t price) const;
    bool IsLocalPlayer(uint32_t player) const;
    // Has a copy of the identity made for the player under a fresh object id.
    uint32_t GiveCopyTo(const Player& player, const ItemReplicaInfo& identity) const;
    void ReleasePending(uint32_t index);
    static void ShowError(const char* tag);

    GameEngineClientServicesModule* m_owner;
    uint32_t m_merchantId;

    std::string m_marketRecordName;
    uint32_t m_bracket = 0;
    uint32_t m_seed = 0;
    std::vector<uint32_t> m_unavailable;

    std::vector<StockEntry> m_generatedStock;
    std::vector<StockEntry> m_staticStock;
    std::vector<StockEntry> m_buyBackStock;
    // The id of an item the player bought from the generated stock, to the id of the
    // stock entry's item.
    std::map<uint32_t, uint32_t> m_boughtFromStock;
    // The id of an item the player bought from the static stock, to the price paid.
    std::map<uint32_t, uint32_t> m_localPurchasePrices;
    // Generated index asked for, to its price, until the server answers.
    std::map<uint32_t, uint32_t> m_pendingPrices;

    // The fifteen stock generators in their draw order; the static goods, kept last,
    // refresh first.
    static constexpr size_t kGeneratorCount = 15;
    std::array<std::unique_ptr<MarketMiniMart>, kGeneratorCount> m_generators;

    bool m_updateRequestPending = true;
    std::array<InventorySack, kPageCount> m_pages;
    std::deque<ItemReplicaInfo> m_generatedQueue;
    std::deque<ItemReplicaInfo> m_staticQueue;
    size_t m_generatedLeftOut = 0;   // identities past the limit in the last rebuild

    std::string m_healthPotion;
    std::string m_manaPotion;
    float m_costAdjustment = 0.0f;   // percent
    float m_depreciation = 0.0f;     // percent
    uint32_t m_maxPlayerPurchase = 0;   // 0: no cap
    Vec2 m_windowPosition;
};

}  // namespace GAME
