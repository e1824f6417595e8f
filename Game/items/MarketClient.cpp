#include "Game/items/MarketClient.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Item.h"
#include "Game/quests/DialogManager.h"

namespace GAME {

namespace {

constexpr const char* kErrorTooExpensive = "tagMarketError01";
constexpr const char* kErrorNoRoom = "tagMarketError02";
constexpr const char* kErrorNotOnSale = "tagMarketError03";
constexpr const char* kErrorCannotSell = "tagMarketError04";

constexpr size_t kStaticGenerator = 14;

// value adjusted by percent of itself, the adjustment truncated toward zero, the whole
// worked in double (exact for every u32 value) and held to 0 .. u32 maximum: a record
// percent above 100 must not wrap a sale below 0 into billions.
uint32_t AdjustedByPercent(uint32_t value, float percent)
{
    const double base = static_cast<double>(value);
    return TruncateToUnsigned(base + std::trunc(base * static_cast<double>(percent) / 100.0));
}

// Generated goods go to the page their kind names; anything else to the goods page.
int PageOfGenerated(const Item& item)
{
    const int kind = item.GetItemMarketType();
    return kind >= Market_PageArmor && kind <= Market_PageRanged ? kind : Market_PageGoods;
}

GameTextLine BannerLine(const char* tag, uint32_t amount)
{
    return GameTextLine(GameTextClass::ItemBanner, LocalizationManager::Instance().Format(tag, amount), false);
}

}  // namespace

MarketClient::MarketClient(GameEngineClientServicesModule* owner, uint32_t merchantId)
    : m_owner(owner), m_merchantId(merchantId)
{
    // The order is the draw order every peer keeps; the static goods come last here but
    // refresh first, from the game's own generator.
    m_generators = {
        std::make_unique<MarketWeapon_Axe>(),      std::make_unique<MarketWeapon_Bow>(),
        std::make_unique<MarketWeapon_Mace>(),     std::make_unique<MarketWeapon_Spear>(),
        std::make_unique<MarketWeapon_Staff>(),    std::make_unique<MarketWeapon_Sword>(),
        std::make_unique<MarketArmor_Armband>(),   std::make_unique<MarketArmor_BodyArmor>(),
        std::make_unique<MarketArmor_Greaves>(),   std::make_unique<MarketArmor_Helm>(),
        std::make_unique<MarketArmor_Shield>(),    std::make_unique<MarketMisc_Ring>(),
        std::make_unique<MarketMisc_Bracelet>(),   std::make_unique<MarketMisc_Amulet>(),
        std::make_unique<MarketMisc_Static>(),
    };
    for (const std::unique_ptr<MarketMiniMart>& generator : m_generators)
        generator->SetMarket(this);

    Rect page{0.0f, 0.0f, static_cast<float>(kPageWidth), static_cast<float>(kPageHeight)};
    if (const GraphicsEngine* graphics = GraphicsEngine::Get(); graphics && graphics->IsDownsizing())
        page = graphics->GetResAdjRect(page);
    for (InventorySack& sack : m_pages)
        sack.SetDims(TruncateToInt(page.width), TruncateToInt(page.height), false);
}

MarketClient::~MarketClient()
{
    ClearStocks();
}

GameEngineNetworkInterface* MarketClient::GetNetworkInterface() const
{
    return m_owner ? m_owner->GetNetworkInterface() : nullptr;
}

// ---- Stock key and rebuild ---------------------------------------------------------------

void MarketClient::S2C_MarketUpdate(const std::string& marketRecord, uint32_t level, uint32_t seed,
                                    const std::vector<uint32_t>& unavailable)
{
    std::vector<uint32_t> sold(unavailable.begin(),
                               unavailable.begin() + static_cast<std::ptrdiff_t>(
                                                         std::min(unavailable.size(), kMaxUnavailable)));
    if (sold.size() < unavailable.size())
        gEngine->Log(LOG_WARNING, "MarketClient %u: %zu sold indices received; the first %zu are kept", m_merchantId,
                     unavailable.size(), sold.size());

    if (EqualsNoCase(marketRecord, m_marketRecordName) && level == m_bracket && seed == m_seed) {
        // The same stock: only the statuses change.
        for (StockEntry& entry : m_generatedStock)
            if (entry.status == MarketItemStatus_Sold)
                entry.status = MarketItemStatus_OnSale;
        for (uint32_t index : sold)
            if (StockEntry* entry = FindGenerated(index))
                entry->status = MarketItemStatus_Sold;
        m_unavailable = std::move(sold);
        return;
    }

    m_marketRecordName = marketRecord;
    m_bracket = level;
    m_seed = seed;
    const LoadTable& record = ObjectManager::Get().GetRecordOrEmpty(m_marketRecordName);
    if (!m_marketRecordName.empty() && record.GetKeyCount() == 0)
        gEngine->Log(LOG_WARNING, "MarketClient %u: market record (%s) is missing or empty", m_merchantId,
                     m_marketRecordName.c_str());
    ReadRecord(record);
    Rebuild(record);
    m_unavailable = std::move(sold);
}

void MarketClient::ReadRecord(const LoadTable& record)
{
    m_healthPotion = record.GetString("marketHealthPotion", "");
    m_manaPotion = record.GetString("marketManaPotion", "");
    m_costAdjustment = record.GetFloat("marketCostAdjustment", 0.0f);
    m_depreciation = record.GetFloat("marketDepreciation", 0.0f);
    m_maxPlayerPurchase = static_cast<uint32_t>(std::max(record.GetInt("maxPlayerPurchase", 0), 0));
}

void MarketClient::Rebuild(const LoadTable& record)
{
    // The queues empty with the stocks: identities of the old key still waiting would
    // take the first indices of the new stock, and purchases would name other items.
    ClearStocks();
    m_generatedQueue.clear();
    m_staticQueue.clear();
    m_boughtFromStock.clear();
    m_localPurchasePrices.clear();
    m_pendingPrices.clear();

    if (!m_marketRecordName.empty() && gGameEngine) {
        for (const std::string* potion : {&m_healthPotion, &m_manaPotion}) {
            if (potion->empty())
                continue;
            ItemReplicaInfo info;
            info.baseName = *potion;
            info.seed = gGameEngine->GetRandomSeed() & 0xFFFFu;
            QueueStaticItem(std::move(info), Market_PageGoods);
        }
    }

    // The static goods draw from the game's own generator, so only the rest, drawn from
    // the key's seed, is the same on every peer.
    if (gGameEngine)
        m_generators[kStaticGenerator]->Refresh(record, m_bracket, gGameEngine->GetRandomGen());
    RandomUniform random;
    random.Seed(m_seed);
    m_generatedLeftOut = 0;
    for (size_t i = 0; i < kStaticGenerator; ++i)
        m_generators[i]->Refresh(record, m_bracket, random);
    if (m_generatedLeftOut > 0)
        gEngine->Log(LOG_WARNING, "MarketClient %u: market record (%s) stocks more than %u items; %zu are left out",
                     m_merchantId, m_marketRecordName.c_str(), kMarketStockLimit, m_generatedLeftOut);
    // Each queued identity becomes at most one entry (the generated queue is held to the
    // stock limit above; the static one to what its generator may draw and two potions).
    m_generatedStock.reserve(m_generatedQueue.size());
    m_staticStock.reserve(m_staticQueue.size());
}

void MarketClient::ClearStocks()
{
    for (std::vector<StockEntry>* stock : {&m_buyBackStock, &m_staticStock, &m_generatedStock})
        while (!stock->empty())
            RemoveEntry(*stock, stock->size() - 1);
}

void MarketClient::QueueGeneratedItem(ItemReplicaInfo info, int32_t)
{
    if (m_generatedQueue.size() + m_generatedStock.size() >= kMarketStockLimit) {
        ++m_generatedLeftOut;
        return;
    }
    m_generatedQueue.push_back(std::move(info));
}

void MarketClient::QueueStaticItem(ItemReplicaInfo info, int32_t)
{
    m_staticQueue.push_back(std::move(info));
}

// ---- The frame ---------------------------------------------------------------------------

void MarketClient::Update(int)
{
    if (m_updateRequestPending) {
        // Kept until there is an interface to ask through: without the key there is no stock.
        if (GameEngineNetworkInterface* network = GetNetworkInterface()) {
            m_updateRequestPending = false;
            network->C2S_MarketUpdateRequest(m_merchantId);
        }
    }
    BuildGeneratedItem();
    BuildStaticItem();
}

Item* MarketClient::MakeQueuedItem(std::deque<ItemReplicaInfo>& queue) const
{
    if (queue.empty())
        return nullptr;
    const ItemReplicaInfo info = std::move(queue.front());
    queue.pop_front();
    Item* item = Item::CreateItem(info);
    if (!item)
        gEngine->Log(LOG_WARNING, "MarketClient %u: stock item (%s) could not be made", m_merchantId,
                     info.baseName.c_str());
    return item;
}

void MarketClient::BuildGeneratedItem()
{
    Item* item = MakeQueuedItem(m_generatedQueue);
    if (!item)
        return;
    const uint32_t index = static_cast<uint32_t>(m_generatedStock.size());
    StockEntry& entry = AddEntry(m_generatedStock, *item, PageOfGenerated(*item), index);
    const auto sold = std::find(m_unavailable.begin(), m_unavailable.end(), index);
    if (sold != m_unavailable.end()) {
        entry.status = MarketItemStatus_Sold;
        m_unavailable.erase(sold);
    }
}

void MarketClient::BuildStaticItem()
{
    if (Item* item = MakeQueuedItem(m_staticQueue))
        AddEntry(m_staticStock, *item, Market_PageGoods, static_cast<uint32_t>(m_staticStock.size()));
}

MarketClient::StockEntry& MarketClient::AddEntry(std::vector<StockEntry>& stock, Item& item, int page,
                                                 uint32_t index)
{
    GetInventorySack(static_cast<Market_TypeEnum>(page))->AddItem(&item, false);
    StockEntry entry;
    entry.index = index;
    entry.itemId = item.GetObjectId();
    entry.price = PriceOf(item);
    item.GetItemReplicaInfo(entry.identity);
    stock.push_back(std::move(entry));
    return stock.back();
}

// ---- The server's verdicts ---------------------------------------------------------------

MarketClient::StockEntry* MarketClient::FindGenerated(uint32_t index)
{
    return index < m_generatedStock.size() ? &m_generatedStock[index] : nullptr;
}

bool MarketClient::IsLocalPlayer(uint32_t player) const
{
    return player != 0 && gGameEngine && gGameEngine->GetPlayerId() == player;
}

void MarketClient::ReleasePending(uint32_t index)
{
    m_pendingPrices.erase(index);
}

void MarketClient::S2C_MarketPurchaseConfirmation(uint32_t itemIndex, uint32_t player)
{
    StockEntry* entry = FindGenerated(itemIndex);
    if (!entry) {
        gEngine->Log(LOG_WARNING, "MarketClient %u: confirmation for stock index %u of %zu ignored", m_merchantId,
                     itemIndex, m_generatedStock.size());
        return;
    }
    entry->status = MarketItemStatus_Sold;
    if (!IsLocalPlayer(player))
        return;
    ReleasePending(itemIndex);
    Player* buyer = gGameEngine->GetMainPlayer();
    if (!buyer)
        return;
    entry->boughtThisVisit = true;
    buyer->SubtractMoney(entry->price);
    const uint32_t bought = GiveCopyTo(*buyer, entry->identity);
    m_boughtFromStock[bought] = entry->itemId;
}

void MarketClient::S2C_MarketPurchaseDenied(uint32_t itemIndex, uint32_t player, MarketItemStatus status)
{
    StockEntry* entry = FindGenerated(itemIndex);
    if (!entry || status > kLastMarketItemStatus) {
        gEngine->Log(LOG_WARNING, "MarketClient %u: denial for stock index %u of %zu with status %u ignored",
                     m_merchantId, itemIndex, m_generatedStock.size(), static_cast<unsigned>(status));
        return;
    }
    entry->status = status;
    if (!IsLocalPlayer(player))
        return;
    ReleasePending(itemIndex);
    ShowError(kErrorNotOnSale);
}

void MarketClient::S2C_MarketItemStatusUpdate(uint32_t itemIndex, MarketItemStatus status)
{
    StockEntry* entry = FindGenerated(itemIndex);
    if (!entry || status > kLastMarketItemStatus) {
        gEngine->Log(LOG_WARNING, "MarketClient %u: status %u for stock index %u of %zu ignored", m_merchantId,
                     static_cast<unsigned>(status), itemIndex, m_generatedStock.size());
        return;
    }
    entry->status = status;
}

// ---- Looking up and removing entries -----------------------------------------------------

MarketClient::StockEntry* MarketClient::FindEntry(uint32_t itemId, Stock* stock)
{
    if (itemId == 0)
        return nullptr;
    for (Stock kind : {Stock::Generated, Stock::Static, Stock::BuyBack}) {
        std::vector<StockEntry>& entries =
            kind == Stock::Generated ? m_generatedStock : kind == Stock::Static ? m_staticStock : m_buyBackStock;
        for (StockEntry& entry : entries) {
            if (entry.itemId == itemId) {
                if (stock)
                    *stock = kind;
                return &entry;
            }
        }
    }
    return nullptr;
}

const MarketClient::StockEntry* MarketClient::FindEntry(uint32_t itemId, Stock* stock) const
{
    return const_cast<MarketClient*>(this)->FindEntry(itemId, stock);
}

const MarketClient::StockEntry* MarketClient::FindVisitPurchase(uint32_t itemId) const
{
    const auto mapped = m_boughtFromStock.find(itemId);
    if (mapped == m_boughtFromStock.end())
        return nullptr;
    const Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item)
        return nullptr;
    for (const StockEntry& entry : m_generatedStock) {
        if (entry.itemId != mapped->second)
            continue;
        ItemReplicaInfo identity;
        item->GetItemReplicaInfo(identity);
        return entry.boughtThisVisit && entry.identity == identity ? &entry : nullptr;
    }
    return nullptr;
}

void MarketClient::RemoveEntry(std::vector<StockEntry>& stock, size_t position)
{
    const uint32_t itemId = stock[position].itemId;
    stock.erase(stock.begin() + static_cast<std::ptrdiff_t>(position));
    for (InventorySack& sack : m_pages)
        sack.RemoveItem(itemId);
    ObjectManager& objects = ObjectManager::Get();
    if (Object* object = objects.GetObject(itemId))
        objects.DestroyObjectEx(object, "MarketClient", __LINE__);
}

// ---- Prices ------------------------------------------------------------------------------

uint32_t MarketClient::PriceOf(const Item& item) const
{
    return AdjustedByPercent(item.GetItemCost(false), m_costAdjustment);
}

uint64_t MarketClient::GetPendingTotal() const
{
    uint64_t total = 0;
    for (const auto& [index, price] : m_pendingPrices)
        total += price;
    return total;
}

// Money is taken only when the server confirms, so the prices still awaiting an answer
// count as spent.
bool MarketClient::CanAfford(const Player& player, uint32_t price) const
{
    return price != 0 && uint64_t{price} + GetPendingTotal() <= player.GetCurrentMoney();
}

uint32_t MarketClient::GetSaleValue(uint32_t itemId, bool flag) const
{
    // The market's own stock is not the player's to sell.
    const Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item || FindEntry(itemId))
        return 0;
    if (const StockEntry* entry = FindVisitPurchase(itemId))
        return entry->price;
    if (const auto paid = m_localPurchasePrices.find(itemId); paid != m_localPurchasePrices.end())
        return paid->second;
    const uint32_t sale = AdjustedByPercent(item->GetItemCost(flag), -m_depreciation);
    return m_maxPlayerPurchase != 0 ? std::min(sale, m_maxPlayerPurchase) : sale;
}

// ---- Buying and selling ------------------------------------------------------------------

void MarketClient::ShowError(const char* tag)
{
    if (gGameEngine)
        gGameEngine->GetDialogManager().AddDialog(kDialogTypeMessage, false, DialogParty::kMarket, std::string(tag),
                                                  true, 0u, false);
}

uint32_t MarketClient::GiveCopyTo(const Player& player, const ItemReplicaInfo& identity) const
{
    ItemReplicaInfo copy = identity;
    copy.objectId = ObjectManager::Get().CreateObjectID();
    gGameEngine->CreateItemForCharacter(player.GetObjectId(), player.GetCoords(), copy, nullptr);
    return copy.objectId;
}

bool MarketClient::PlayerPurchaseRequest(uint32_t itemId)
{
    Player* player = gGameEngine ? gGameEngine->GetMainPlayer() : nullptr;
    if (!player) {
        gEngine->Log(LOG_WARNING, "MarketClient %u: purchase of item %u without a main player", m_merchantId, itemId);
        return false;
    }
    Stock stock = Stock::Generated;
    StockEntry* found = FindEntry(itemId, &stock);
    if (!found || found->status != MarketItemStatus_OnSale) {
        ShowError(kErrorNotOnSale);
        return false;
    }
    StockEntry& entry = *found;
    if (!CanAfford(*player, entry.price)) {
        ShowError(kErrorTooExpensive);
        return false;
    }
    if (!player->IsInventorySpaceAvailable(ObjectManager::Get().GetObject<Item>(itemId))) {
        player->PlayInventoryFullSound();
        ShowError(kErrorNoRoom);
        return false;
    }

    switch (stock) {
    case Stock::Generated: {
        GameEngineNetworkInterface* network = GetNetworkInterface();
        if (!network) {
            gEngine->Log(LOG_WARNING, "MarketClient %u: no network interface to ask for stock index %u",
                         m_merchantId, entry.index);
            return false;
        }
        entry.status = MarketItemStatus_PurchasePending;
        m_pendingPrices[entry.index] = entry.price;
        network->C2S_MarketPurchaseRequest(m_merchantId, m_bracket, m_seed, entry.index, player->GetObjectId());
        break;
    }
    case Stock::Static: {
        player->SubtractMoney(entry.price);
        m_localPurchasePrices[GiveCopyTo(*player, entry.identity)] = entry.price;
        break;
    }
    case Stock::BuyBack:
        player->SubtractMoney(entry.price);
        GiveCopyTo(*player, entry.identity);
        RemoveEntry(m_buyBackStock, static_cast<size_t>(&entry - m_buyBackStock.data()));
        break;
    }
    gGameEngine->PlayMarketPurchaseSound();
    return true;
}

bool MarketClient::PlayerSaleRequest(uint32_t itemId, bool silent)
{
    Player* player = gGameEngine ? gGameEngine->GetMainPlayer() : nullptr;
    const uint32_t value = GetSaleValue(itemId, false);
    if (!player || value == 0) {
        ShowError(kErrorCannotSell);
        return false;
    }
    player->AddMoney(value);

    if (const StockEntry* entry = FindVisitPurchase(itemId)) {
        // Back on sale for everyone, through the server.
        if (GameEngineNetworkInterface* network = GetNetworkInterface())
            network->C2S_MarketSellBack(m_merchantId, m_bracket, m_seed, entry->index, player->GetObjectId());
    } else if (!m_localPurchasePrices.count(itemId)) {
        AddToBuyBack(*ObjectManager::Get().GetObject<Item>(itemId), value);
    }

    if (!silent)
        gGameEngine->PlayMarketSaleSound();
    if (m_boughtFromStock.erase(itemId) == 0)
        m_localPurchasePrices.erase(itemId);
    return true;
}

void MarketClient::AddToBuyBack(const Item& sold, uint32_t price)
{
    ItemReplicaInfo info;
    sold.GetItemReplicaInfo(info);
    info.objectId = 0;
    Item* copy = Item::CreateItem(info);
    if (!copy) {
        gEngine->Log(LOG_WARNING, "MarketClient %u: buy-back copy of (%s) could not be made", m_merchantId,
                     info.baseName.c_str());
        return;
    }
    InventorySack& page = m_pages[kPageCount - 1];
    // An item that would not fit even an empty page never gets there: the older sales
    // stay, and the copy goes.
    InventorySack empty = page;
    empty.RemoveAllItems();
    if (!empty.IsSpaceForItem(copy)) {
        gEngine->Log(LOG_WARNING, "MarketClient %u: (%s) does not fit the buy-back page", m_merchantId,
                     info.baseName.c_str());
        ObjectManager::Get().DestroyObjectEx(copy, "MarketClient", __LINE__);
        return;
    }
    // The oldest sales make room; the loop ends once the page is empty.
    while (!page.IsSpaceForItem(copy) && !page.GetInventory().empty()) {
        const uint32_t first = page.GetFirstItem();
        const auto held = std::find_if(m_buyBackStock.begin(), m_buyBackStock.end(),
                                       [first](const StockEntry& entry) { return entry.itemId == first; });
        if (held != m_buyBackStock.end())
            RemoveEntry(m_buyBackStock, static_cast<size_t>(held - m_buyBackStock.begin()));
        else
            page.RemoveItem(first);
    }
    StockEntry entry;
    entry.itemId = copy->GetObjectId();
    entry.price = price;
    copy->GetItemReplicaInfo(entry.identity);
    m_buyBackStock.push_back(std::move(entry));
    page.AddItem(copy, true);
}

// ---- The user interface ------------------------------------------------------------------

void MarketClient::OpenMarket(Market_TypeEnum& page, const Vec2& position)
{
    m_windowPosition = position;
    if (!GetInventorySack(page)->GetInventory().empty())
        return;
    // The fullest of the armour, misc and weapon pages, in that order of preference.
    Market_TypeEnum chosen = Market_PageGoods;
    size_t most = 0;
    for (Market_TypeEnum candidate : {Market_PageMelee, Market_PageRanged, Market_PageArmor}) {
        const size_t count = GetInventorySack(candidate)->GetInventory().size();
        if (count > most) {
            most = count;
            chosen = candidate;
        }
    }
    page = chosen;
}

void MarketClient::CloseMarket()
{
    for (StockEntry& entry : m_generatedStock)
        entry.boughtThisVisit = false;
    m_localPurchasePrices.clear();
}

InventorySack* MarketClient::GetInventorySack(Market_TypeEnum page)
{
    const bool own = page >= Market_PageArmor && page <= Market_PageGoods;
    return &m_pages[own ? static_cast<size_t>(page) - 1 : kPageCount - 1];
}

const InventorySack* MarketClient::GetInventorySack(Market_TypeEnum page) const
{
    return const_cast<MarketClient*>(this)->GetInventorySack(page);
}

MarketItemStatus MarketClient::GetMarketItemStatus(uint32_t itemId) const
{
    const StockEntry* entry = FindEntry(itemId);
    return entry ? entry->status : MarketItemStatus_NotInMarket;
}

bool MarketClient::GetIsItemAffordable(uint32_t itemId) const
{
    const Player* player = gGameEngine ? gGameEngine->GetMainPlayer() : nullptr;
    const StockEntry* entry = FindEntry(itemId);
    return player && entry && entry->status == MarketItemStatus_OnSale && CanAfford(*player, entry->price);
}

void MarketClient::CreateUIPlayerBuyText(uint32_t itemId, std::vector<GameTextLine>& lines) const
{
    Stock stock = Stock::Generated;
    const StockEntry* entry = FindEntry(itemId, &stock);
    if (!entry || entry->status != MarketItemStatus_OnSale) {
        lines.push_back(BannerLine("Sold", 0));
        return;
    }
    const bool affordable = GetIsItemAffordable(itemId);
    const char* tag = stock == Stock::BuyBack
                          ? (affordable ? "MarketCostPreviousTransaction" : "MarketCostPreviousTransactionTooExpensive")
                          : (affordable ? "MarketCostAffordable" : "MarketCostTooExpensive");
    lines.push_back(BannerLine(tag, entry->price));
}

void MarketClient::CreateUIPlayerSellText(uint32_t itemId, std::vector<GameTextLine>& lines) const
{
    const uint32_t value = GetSaleValue(itemId, true);
    const char* tag = FindVisitPurchase(itemId) ? "MarketValuePreviousTransaction"
                      : value == 0                ? "CanNotBeSoldHere"
                                                  : "MarketValue";
    lines.push_back(BannerLine(tag, value));
}

}  // namespace GAME
