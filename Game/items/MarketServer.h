// The host's authority over one merchant's shared stock, kept by the server services
// module under the merchant's object id: the stock key every peer rebuilds the stock
// from, and who bought what.
//
// The key is the merchant's market record name, the level bracket of the players and a
// 16-bit seed. The server builds no items of its own: it keeps one status per stock index
// (on sale or sold), answers purchase requests first come first served, and draws a new
// key when its refresh timer runs out, but never while a player is talking to the
// merchant. A purchase is confirmed only for an index of the stock this machine's own
// market client built from the current key, and only when the buyer's money, as this
// machine holds it, covers that index's price; the price is then taken from it (and
// given back when the buyer sells the item back).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/core/GameTypes.h"
#include "Game/core/foundation/DesignerEquation.h"
#include "Game/items/MarketItemStatus.h"

namespace GAME {

class GameEngineNetworkInterface;
class GameEngineServerServicesModule;
class LoadTable;
class NpcMerchant;
class Player;

class MarketServer : public EquationInterface_Algebra {
public:
    // Indices at or above it are refused: no peer's stock is that large.
    static constexpr uint32_t kStockLimit = kMarketStockLimit;
    // Refresh times until a record sets them, in milliseconds.
    static constexpr int32_t kDefaultRefreshTimeMs = 10;
    // Stock seeds are 16 bits.
    static constexpr uint32_t kSeedMask = 0xFFFF;
    // Draws of a new seed before the next value is taken instead: a generator that keeps
    // giving the current seed must not hold the frame.
    static constexpr int kMaxSeedDraws = 64;

    MarketServer(GameEngineServerServicesModule* owner, uint32_t merchantId);
    ~MarketServer() override = default;
    MarketServer(const MarketServer&) = delete;
    MarketServer& operator=(const MarketServer&) = delete;

    GameEngineServerServicesModule* GetOwner() const { return m_owner; }
    uint32_t GetMerchantId() const { return m_merchantId; }
    // Reads the market record of the merchant (nothing when the id names no merchant) and
    // starts the refresh countdown.
    void LoadFromMerchant();
    // Counts down to the next refresh and refreshes when it runs out or one is pending.
    void Update(int ms);
    // The next update draws a new stock key.
    void ForceRefresh();
    bool IsRefreshPending() const { return m_refreshPending; }

    // The peers' requests.
    void C2S_MarketUpdateRequest();
    void C2S_MarketPurchaseRequest(uint32_t level, uint32_t seed, uint32_t itemIndex, uint32_t player);
    void C2S_MarketSellBack(uint32_t level, uint32_t seed, uint32_t itemIndex, uint32_t player);

    // The current stock key and state.
    const std::string& GetMarketRecordName() const { return m_marketRecordName; }
    uint32_t GetBracket() const { return m_bracket; }
    uint32_t GetSeed() const { return m_seed; }
    int32_t GetCountdown() const { return m_countdownMs; }
    int32_t GetRefreshTimeMin() const { return m_refreshTimeMinMs; }
    int32_t GetRefreshTimeMax() const { return m_refreshTimeMaxMs; }
    const std::vector<uint32_t>& GetLevelThresholds() const { return m_levelThresholds; }
    bool HasPlayerLevelEquation() const { return m_playerLevelEquation.IsValid(); }
    // The status of a stock index: beyond the list everything is on sale.
    MarketItemStatus GetItemStatus(uint32_t itemIndex) const;
    size_t GetNumStatuses() const { return m_stock.size(); }
    // The indices that are not on sale, in order.
    std::vector<uint32_t> GetUnavailableIndices() const;

    // The level of the players the stock is made for: the record's formula over the
    // game's player information, or the highest player level without one.
    uint32_t GetPlayerLevel();
    // 1 + the number of leading thresholds below the level.
    uint32_t GetBracketOfLevel(uint32_t level) const;

    // The formula's names: the five values of the game's player information.
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;
    bool GetDesignerVariable(const char* name, float& value) override;

private:
    // The price of a stock index in the stock this machine's market client builds from
    // the current key: Priced once it is built, Unbuilt while it (or the key) is still on
    // its way, Absent when the stock has no such index.
    enum class StockLookup { Priced, Unbuilt, Absent };
    StockLookup FindStockPrice(uint32_t itemIndex, uint32_t& price) const;
    // This machine's copy of the buyer when it is another peer's player: the one whose
    // money the server keeps. Null for this machine's own player, whose market client
    // charges it on the confirmation, and for an id that names no player.
    Player* RemoteBuyer(uint32_t player) const;
    void Deny(uint32_t itemIndex, uint32_t player, MarketItemStatus status, const char* reason) const;
    void LoadMarketRecord(const LoadTable& record);
    void LoadPlayerLevelEquation(const std::string& recordName);
    NpcMerchant* GetMerchant() const;
    GameEngineNetworkInterface* GetNetwork() const;
    int32_t DrawCountdown() const;
    uint32_t DrawNewSeed() const;
    void Refresh();
    void SendUpdate();

    GameEngineServerServicesModule* m_owner;
    uint32_t m_merchantId;
    std::string m_marketRecordName;
    uint32_t m_bracket = 0;
    std::vector<uint32_t> m_levelThresholds;
    int32_t m_refreshTimeMinMs = kDefaultRefreshTimeMs;
    int32_t m_refreshTimeMaxMs = kDefaultRefreshTimeMs;
    int32_t m_countdownMs = 0;
    uint32_t m_seed = 0;
    DesignerEquation_Algebra m_playerLevelEquation;
    PlayerInfo m_playerInfo;
    bool m_refreshPending = true;
    // One per stock index up to the highest one sold (never more than kStockLimit): its
    // status, the player who bought it and the price taken from the buyer here.
    struct StockEntry {
        MarketItemStatus status = MarketItemStatus_OnSale;
        uint32_t buyer = 0;
        uint32_t pricePaid = 0;
    };
    std::vector<StockEntry> m_stock;
};

}  // namespace GAME
