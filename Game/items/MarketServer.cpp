#include "Game/items/MarketServer.h"

#include <algorithm>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PlayerInfoVariables.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/MarketClient.h"

namespace GAME {

MarketServer::MarketServer(GameEngineServerServicesModule* owner, uint32_t merchantId)
    : m_owner(owner), m_merchantId(merchantId)
{
}

// ---- Records ------------------------------------------------------------------------------

void MarketServer::LoadFromMerchant()
{
    if (const NpcMerchant* merchant = GetMerchant()) {
        m_marketRecordName = merchant->GetMarketName();
        const LoadTable* record =
            m_marketRecordName.empty() ? nullptr : ObjectManager::Get().LoadTableFile(m_marketRecordName);
        if (record)
            LoadMarketRecord(*record);
    }
    m_countdownMs = DrawCountdown();
}

// The refresh times are whole milliseconds in the record: truncated, not scaled.
void MarketServer::LoadMarketRecord(const LoadTable& record)
{
    m_refreshTimeMinMs =
        TruncateToInt(record.GetFloat("marketRefreshTimeMin", static_cast<float>(m_refreshTimeMinMs)));
    m_refreshTimeMaxMs =
        TruncateToInt(record.GetFloat("marketRefreshTimeMax", static_cast<float>(m_refreshTimeMaxMs)));

    std::vector<int> thresholds;
    record.GetIntArray("marketPlayerLevel", thresholds);
    m_levelThresholds.clear();
    m_levelThresholds.reserve(thresholds.size());
    bool negative = false;
    for (const int threshold : thresholds) {
        negative = negative || threshold < 0;
        m_levelThresholds.push_back(static_cast<uint32_t>(std::max(threshold, 0)));
    }
    if (negative)
        gEngine->Log(LOG_WARNING, "Market record (%s): a negative player level threshold counts as 0",
                     record.GetName().c_str());

    LoadPlayerLevelEquation(record.GetString("marketPlayerLevelEquationFile", ""));
}

// A record without the formula leaves it absent: the level is then the highest player's.
void MarketServer::LoadPlayerLevelEquation(const std::string& recordName)
{
    const LoadTable* record = recordName.empty() ? nullptr : ObjectManager::Get().LoadTableFile(recordName);
    if (!record)
        return;
    const char* text = record->GetString("playerLevelEquation", "");
    if (*text && !m_playerLevelEquation.ParseEquation(text, this))
        gEngine->Log(LOG_WARNING, "-=- Market Equation load failure : playerLevelEquation");
}

DesignerVariableSlot<float> MarketServer::BindDesignerVariable(const char* name)
{
    return FindPlayerInfoVariable(name, m_playerInfo);
}

bool MarketServer::GetDesignerVariable(const char* name, float& value)
{
    value = 0.0f;
    return BindDesignerVariable(name).Read(value);
}

// ---- Levels -------------------------------------------------------------------------------

uint32_t MarketServer::GetPlayerLevel()
{
    m_playerInfo = {};
    if (gGameEngine)
        gGameEngine->GetPlayerInfo(m_playerInfo);
    if (!m_playerLevelEquation.IsValid())
        return m_playerInfo.maxPlayerLevel;
    return TruncateToUnsigned(m_playerLevelEquation());
}

uint32_t MarketServer::GetBracketOfLevel(uint32_t level) const
{
    uint32_t bracket = 1;
    for (const uint32_t threshold : m_levelThresholds) {
        if (level <= threshold)
            break;
        ++bracket;
    }
    return bracket;
}

// ---- The frame ----------------------------------------------------------------------------

void MarketServer::Update(int ms)
{
    const NpcMerchant* merchant = GetMerchant();
    if (merchant && merchant->IsChatting()) {
        // The stock never changes under a player's eyes: the countdown starts again.
        m_countdownMs = DrawCountdown();
        if (!m_refreshPending)
            return;
    } else {
        AddElapsed(m_countdownMs, -std::max(ms, 0));
        if (m_countdownMs > 0 && !m_refreshPending)
            return;
    }
    Refresh();
}

void MarketServer::ForceRefresh()
{
    m_refreshPending = true;
}

void MarketServer::Refresh()
{
    m_countdownMs = DrawCountdown();
    m_bracket = GetBracketOfLevel(GetPlayerLevel());
    m_stock.clear();
    m_seed = DrawNewSeed();
    SendUpdate();
    m_refreshPending = false;
}

int32_t MarketServer::DrawCountdown() const
{
    return gGameEngine ? gGameEngine->GetRandomGen().IGenerate(m_refreshTimeMinMs, m_refreshTimeMaxMs)
                       : m_refreshTimeMinMs;
}

uint32_t MarketServer::DrawNewSeed() const
{
    for (int draw = 0; gGameEngine && draw < kMaxSeedDraws; ++draw) {
        const uint32_t seed = gGameEngine->GetRandomSeed() & kSeedMask;
        if (seed != m_seed)
            return seed;
    }
    const uint32_t next = (m_seed + 1) & kSeedMask;
    gEngine->Log(LOG_WARNING, "MarketServer %u: no new seed drawn; %u follows %u", m_merchantId, next, m_seed);
    return next;
}

// ---- Requests -----------------------------------------------------------------------------

void MarketServer::C2S_MarketUpdateRequest()
{
    // While a refresh is pending, its broadcast answers instead.
    if (!m_refreshPending)
        SendUpdate();
}

void MarketServer::Deny(uint32_t itemIndex, uint32_t player, MarketItemStatus status, const char* reason) const
{
    // A client's request is refused through the drop log, one kind for each reason.
    if (reason) {
        const std::string format = std::string("MarketServer %u: purchase of item %u by player %u denied: ") + reason;
        NetPacketRegistry::DropHandled("MarketServer", format.c_str(), m_merchantId, itemIndex, player);
    }
    if (GameEngineNetworkInterface* network = GetNetwork())
        network->S2C_MarketPurchaseDenied(m_merchantId, itemIndex, player, status);
}

MarketServer::StockLookup MarketServer::FindStockPrice(uint32_t itemIndex, uint32_t& price) const
{
    const GameEngineClientServicesModule* services = gGameEngine ? gGameEngine->GetClientServices() : nullptr;
    const MarketClient* market = services ? services->GetMarketClient(m_merchantId) : nullptr;
    if (!market || market->GetBracket() != m_bracket || market->GetSeed() != m_seed ||
        !EqualsNoCase(market->GetMarketRecordName(), m_marketRecordName))
        return StockLookup::Unbuilt;   // the key is on its way to this machine's own market
    const std::vector<MarketClient::StockEntry>& stock = market->GetGeneratedStock();
    if (itemIndex < stock.size()) {
        price = stock[itemIndex].price;
        return StockLookup::Priced;
    }
    return itemIndex < stock.size() + market->GetGeneratedQueue().size() ? StockLookup::Unbuilt
                                                                          : StockLookup::Absent;
}

Player* MarketServer::RemoteBuyer(uint32_t player) const
{
    if (gGameEngine && gGameEngine->GetPlayerId() == player)
        return nullptr;
    return ObjectManager::Get().GetObject<Player>(player);
}

void MarketServer::C2S_MarketPurchaseRequest(uint32_t level, uint32_t seed, uint32_t itemIndex, uint32_t player)
{
    if (itemIndex >= kStockLimit || level != m_bracket || seed != m_seed) {
        Deny(itemIndex, player, MarketItemStatus_NotInMarket, nullptr);
        return;
    }
    uint32_t price = 0;
    switch (FindStockPrice(itemIndex, price)) {
    case StockLookup::Priced:
        break;
    case StockLookup::Unbuilt:
        // A peer that builds faster may ask first: the item stays on sale for it.
        Deny(itemIndex, player, MarketItemStatus_OnSale, "the item is not built here yet");
        return;
    case StockLookup::Absent:
        Deny(itemIndex, player, MarketItemStatus_NotInMarket, "the stock has no such item");
        return;
    }
    const MarketItemStatus status = GetItemStatus(itemIndex);
    if (status != MarketItemStatus_OnSale) {
        Deny(itemIndex, player, status, nullptr);
        return;
    }
    // This machine's own player is charged by its market client on the confirmation;
    // another peer's player is charged here, from the money this machine holds for it.
    const Player* buyer = ObjectManager::Get().GetObject<Player>(player);
    if (!buyer || buyer->GetCurrentMoney() < price) {
        Deny(itemIndex, player, MarketItemStatus_OnSale, buyer ? "the buyer's money does not cover the price"
                                                               : "the buyer is no player here");
        return;
    }
    // Everything beyond the list is on sale; the built stock (under kStockLimit) bounds
    // the growth.
    if (itemIndex >= m_stock.size())
        m_stock.resize(itemIndex + 1);
    StockEntry& entry = m_stock[itemIndex];
    entry.status = MarketItemStatus_Sold;
    entry.buyer = player;
    entry.pricePaid = 0;
    if (Player* remote = RemoteBuyer(player)) {
        remote->SubtractMoney(price);
        entry.pricePaid = price;
    }
    if (GameEngineNetworkInterface* network = GetNetwork())
        network->S2C_MarketPurchaseConfirmation(m_merchantId, itemIndex, player);
}

// Only the player who bought an item can sell it back: another player's sell-back would
// put the item on sale again while its buyer still holds it. The price taken here goes
// back to the buyer, as its own market client gives it back there.
void MarketServer::C2S_MarketSellBack(uint32_t level, uint32_t seed, uint32_t itemIndex, uint32_t player)
{
    if (itemIndex >= kStockLimit || level != m_bracket || seed != m_seed || itemIndex >= m_stock.size())
        return;
    StockEntry& entry = m_stock[itemIndex];
    if (entry.status != MarketItemStatus_Sold)
        return;
    if (entry.buyer != player) {
        NetPacketRegistry::DropHandled("MarketServer", "MarketServer %u: player %u sells back item %u, which player %u bought; ignored",
                                       m_merchantId, player, itemIndex, entry.buyer);
        return;
    }
    if (Player* remote = entry.pricePaid > 0 ? RemoteBuyer(player) : nullptr)
        remote->AddMoney(entry.pricePaid);
    entry.status = MarketItemStatus_OnSale;
    entry.buyer = 0;
    entry.pricePaid = 0;
    if (GameEngineNetworkInterface* network = GetNetwork())
        network->S2C_MarketItemStatusUpdate(m_merchantId, itemIndex, MarketItemStatus_OnSale);
}

void MarketServer::SendUpdate()
{
    if (GameEngineNetworkInterface* network = GetNetwork())
        network->S2C_MarketUpdate(m_merchantId, m_marketRecordName, m_bracket, m_seed, GetUnavailableIndices());
}

// ---- Queries ------------------------------------------------------------------------------

MarketItemStatus MarketServer::GetItemStatus(uint32_t itemIndex) const
{
    return itemIndex < m_stock.size() ? m_stock[itemIndex].status : MarketItemStatus_OnSale;
}

std::vector<uint32_t> MarketServer::GetUnavailableIndices() const
{
    std::vector<uint32_t> indices;
    for (size_t index = 0; index < m_stock.size(); ++index)
        if (m_stock[index].status != MarketItemStatus_OnSale)
            indices.push_back(static_cast<uint32_t>(index));
    return indices;
}

NpcMerchant* MarketServer::GetMerchant() const
{
    return ObjectManager::Get().GetObject<NpcMerchant>(m_merchantId);
}

GameEngineNetworkInterface* MarketServer::GetNetwork() const
{
    return m_owner ? m_owner->GetNetworkInterface() : nullptr;
}

}  // namespace GAME
