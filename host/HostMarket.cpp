#include "host/HostMarket.h"
#include "host/HostText.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Engine/EventManager.h"
#include "Engine/Localization.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Inventory.h"
#include "Game/items/InventorySack.h"
#include "Game/items/Item.h"
#include "Game/items/MarketClient.h"
#include "Game/network/ItemTradePackets.h"

namespace GAME {

namespace {

// The merchant stands this far from the player, away from the fight.
constexpr float kMerchantOffsetX = -6.0f;
constexpr float kMerchantOffsetZ = 4.0f;
// Frames the visit waits for the stock (far more than it takes: one item a frame).
constexpr int kBuildFramesMax = 200;
// An item of the player's own that it sells and buys back.
constexpr const char* kOwnItemRecord = "Records/Item/Weapons/Staff.dbr";
constexpr uint32_t kOwnItemSeed = 777;
// What each page holds, as its items' kinds choose it.
constexpr const char* kPageNames[] = {"armour and shields", "swords, axes and maces", "bows, spears and staves",
                                      "goods and jewellery", "bought back"};


MarketClient* ClientOf(const GameEngine& engine)
{
    const GameEngineClientServicesModule* services = engine.GetClientServices();
    return services ? services->GetMarketClient(HostMarket::kMerchantId) : nullptr;
}

// The merchant, placed from its record under the level's id beside the player (beside the
// point `beside` of the player's region when one is given).
NpcMerchant* PlaceMerchant(const Player& player, const Vec3* beside = nullptr)
{
    auto* merchant = ObjectManager::Get().CreateObjectFromFile<NpcMerchant>(HostMarket::kMerchantRecord,
                                                                           HostMarket::kMerchantId);
    if (!merchant) {
        std::printf("market: %s makes no merchant\n", HostMarket::kMerchantRecord);
        return nullptr;
    }
    Coords frame;
    frame.origin = beside ? *beside : player.GetCoords().GetRegionCoords().origin;
    frame.origin.x += kMerchantOffsetX;
    frame.origin.z += kMerchantOffsetZ;
    World::Get().AddEntity(merchant, WorldCoords(player.GetCoords().GetRegion(), frame));
    merchant->SetPathPosition(WorldVec3(player.GetCoords().GetRegion(), frame.origin));
    return merchant;
}

// The stock is built once a key has come and nothing waits to become an item.
bool StockBuilt(const MarketClient& market)
{
    return market.GetSeed() != 0 && !market.GetGeneratedStock().empty() && market.GetGeneratedQueue().empty() &&
           market.GetStaticQueue().empty();
}

std::string IdentityText(const ItemReplicaInfo& identity)
{
    std::string text = GetFileName(identity.baseName, true);
    if (!identity.prefixName.empty())
        text += " + " + GetFileName(identity.prefixName, true);
    if (!identity.suffixName.empty())
        text += " + " + GetFileName(identity.suffixName, true);
    return text + " (seed " + std::to_string(identity.seed) + ")";
}

std::string ItemText(uint32_t itemId)
{
    const auto* item = ObjectManager::Get().GetObject<Item>(itemId);
    return item ? HostPlainText(item->GetGameDescription()) : std::string("a missing item");
}

// The one line a text builder makes, without its style.
template <class Build>
std::string OneLine(Build build)
{
    std::vector<GameTextLine> lines;
    build(lines);
    return lines.empty() ? std::string() : HostPlainText(lines.front().text);
}

const char* StatusText(MarketItemStatus status)
{
    switch (status) {
    case MarketItemStatus_OnSale:
        return "on sale";
    case MarketItemStatus_PurchasePending:
        return "asked for";
    case MarketItemStatus_Sold:
        return "sold";
    default:
        return "not in the market";
    }
}

// The dialogs the market raised, as the console shows them.
void PrintDialogs(GameEngine& engine)
{
    DialogManager& dialogs = engine.GetDialogManager();
    while (const DialogManager::Dialog* dialog = dialogs.PeekTopDialog()) {
        std::printf("market: dialog: %s\n", HostPlainText(dialog->text).c_str());
        dialogs.RemoveTopDialog();
    }
}

// The items the player carries, in its bag or worn.
std::vector<uint32_t> Carried(const Player& player)
{
    std::vector<uint32_t> items = player.GetInventoryItems();
    items.insert(items.end(), player.GetAttachedItems().begin(), player.GetAttachedItems().end());
    return items;
}

// An item the player did not carry before.
uint32_t NewlyCarried(const Player& player, const std::vector<uint32_t>& before)
{
    for (uint32_t id : Carried(player))
        if (std::find(before.begin(), before.end(), id) == before.end())
            return id;
    return 0;
}

// What the console's hand does with an item sold: it comes off the player (the bag, or
// the place where it was put on) and is gone.
void HandOver(Player& player, uint32_t itemId)
{
    if (ControllerPlayer* controller = player.GetPlayerController())
        controller->GetInventoryCtrl().RemoveItem(itemId);
    player.TakeItemFromCharacter(itemId);
    if (Object* item = ObjectManager::Get().GetObject(itemId))
        ObjectManager::Get().DestroyObjectEx(item, "HostMarket", __LINE__);
}

}  // namespace

// The shop as the console shows it: every page, its items in their place, each with
// its price text.
class HostShopWindow : public EventHandlerInterface {
public:
    HostShopWindow(GameEngine& engine, Player& player) : m_engine(engine), m_player(player)
    {
        EventManager::Get().Register("GameEvent_ActivateNPCMarket", this);
    }
    ~HostShopWindow() override { EventManager::Get().UnRegisterAll(this); }

    // The merchant asked the interface to open its shop for a player.
    void HandleEvent(const GameEvent& event, const Name&) override
    {
        const auto* activate = dynamic_cast<const GameEvent_ActivateNPCMarket*>(&event);
        if (!activate || activate->playerId != m_player.GetObjectId())
            return;
        Market_TypeEnum page = Market_PageArmor;
        m_engine.OpenMarket(activate->merchantId, page, Vec2{});
        m_open = true;
        std::printf("market: the shop opens on page %d (%s)\n", static_cast<int>(page),
                    kPageNames[std::clamp(static_cast<int>(page), 1, 5) - 1]);
    }
    bool IsOpen() const { return m_open; }

    void PrintPages() const
    {
        for (int page = Market_PageArmor; page <= Market_PageBuyBack; ++page)
            PrintPage(static_cast<Market_TypeEnum>(page));
    }
    // The page's items in the order they were made (the window lays them out).
    void PrintPage(Market_TypeEnum page) const
    {
        const InventorySack* sack = m_engine.GetMarketInventorySack(HostMarket::kMerchantId, page);
        if (!sack)
            return;
        std::printf("market: page %d (%s): %s\n", static_cast<int>(page), kPageNames[page - 1],
                    HostCount(sack->GetInventory().size(), "item").c_str());
        for (const auto& [id, place] : sack->GetInventory())
            std::printf("market:   %s: %s\n", ItemText(id).c_str(), BuyText(id).c_str());
    }
    std::string BuyText(uint32_t itemId) const
    {
        return OneLine([&](std::vector<GameTextLine>& lines) {
            m_engine.CreateUIPlayerBuyText(HostMarket::kMerchantId, itemId, lines);
        });
    }
    std::string SellText(uint32_t itemId) const
    {
        return OneLine([&](std::vector<GameTextLine>& lines) {
            m_engine.CreateUIPlayerSellText(HostMarket::kMerchantId, itemId, lines);
        });
    }

    // A purchase, its answer and the money; the item that came, if one did.
    uint32_t Buy(uint32_t itemId, const char* what)
    {
        const uint32_t money = m_player.GetCurrentMoney();
        const std::vector<uint32_t> before = Carried(m_player);
        const std::string name = ItemText(itemId);
        const bool asked = m_engine.PlayerPurchaseRequest(HostMarket::kMerchantId, itemId);
        PrintDialogs(m_engine);
        const uint32_t got = NewlyCarried(m_player, before);
        std::printf("market: the player buys %s (%s): %s; now %s; money %u -> %u%s%s\n", what, name.c_str(),
                    asked ? "asked" : "refused",
                    StatusText(m_engine.GetMarketItemStatus(HostMarket::kMerchantId, itemId)), money,
                    m_player.GetCurrentMoney(), got ? "; it carries " : "", got ? ItemText(got).c_str() : "");
        return got;
    }
    // A sale: the value the shop shows, the answer and the money; the item leaves the bag.
    void Sell(uint32_t itemId, const char* what)
    {
        const uint32_t money = m_player.GetCurrentMoney();
        const std::string name = ItemText(itemId);
        const std::string text = SellText(itemId);
        const bool sold = m_engine.PlayerSaleRequest(HostMarket::kMerchantId, itemId, false);
        PrintDialogs(m_engine);
        std::printf("market: the player sells %s (%s, %s): %s; money %u -> %u\n", what, name.c_str(),
                    text.c_str(), sold ? "sold" : "refused", money, m_player.GetCurrentMoney());
        if (sold)
            HandOver(m_player, itemId);
    }

private:
    GameEngine& m_engine;
    Player& m_player;
    bool m_open = false;
};

namespace {

// The first entry of the shared stock on sale that the player can pay for.
const MarketClient::StockEntry* FirstAffordable(const GameEngine& engine, const MarketClient& market)
{
    for (const MarketClient::StockEntry& entry : market.GetGeneratedStock())
        if (engine.GetMarketIsItemAffordable(HostMarket::kMerchantId, entry.itemId))
            return &entry;
    return nullptr;
}

// The game frames of the visit: the game engine's alone (the services, the markets among
// them); the characters of the world stand still meanwhile.
int RunUntilBuilt(GameEngine& engine, int stepMs)
{
    for (int frame = 1; frame <= kBuildFramesMax; ++frame) {
        engine.Update(stepMs);
        const MarketClient* market = ClientOf(engine);
        if (!market || StockBuilt(*market))
            return frame;
    }
    return kBuildFramesMax;
}

// The shop once it is open: every page, a purchase of the shared stock (and the same
// item asked for again), its sale, and an item of the player's own sold and bought back.
void Shop(GameEngine& engine, Player& player, HostShopWindow& window, const MarketClient& market)
{
    window.PrintPages();

    // A shared item, through the market server; the same item asked for again is refused.
    const MarketClient::StockEntry* entry = FirstAffordable(engine, market);
    if (!entry) {
        std::printf("market: the player can afford nothing (money %u)\n", player.GetCurrentMoney());
        return;
    }
    const uint32_t stockItem = entry->itemId;
    const uint32_t bought = window.Buy(stockItem, ("stock item " + std::to_string(entry->index)).c_str());
    window.Buy(stockItem, "the same stock item again");
    if (bought) {
        window.Sell(bought, "what it just bought");
        std::printf("market: the stock item is %s again\n",
                    StatusText(engine.GetMarketItemStatus(HostMarket::kMerchantId, stockItem)));
    }

    // An item of its own goes to the buy-back page and comes back at the price it fetched.
    const std::vector<uint32_t> before = Carried(player);
    ItemReplicaInfo own;
    own.baseName = kOwnItemRecord;
    own.seed = kOwnItemSeed;
    own.objectId = ObjectManager::Get().CreateObjectID();
    engine.CreateItemForCharacter(player.GetObjectId(), player.GetCoords(), own, nullptr);
    const uint32_t ownId = NewlyCarried(player, before);
    if (ownId) {
        window.Sell(ownId, "an item of its own");
        window.PrintPage(Market_PageBuyBack);
        if (!market.GetBuyBackStock().empty())
            window.Buy(market.GetBuyBackStock().back().itemId, "it back");
        window.PrintPage(Market_PageBuyBack);
    }
    engine.CloseMarket(HostMarket::kMerchantId);
    std::printf("market: the shop closes; the player has %u gold\n", player.GetCurrentMoney());
}

void PrintStockBuilt(const MarketClient& market, const char* when)
{
    // The market is the merchant's: named by the merchant (its record where none stands).
    const Object* merchant = ObjectManager::Get().GetObject(market.GetMerchantId());
    std::printf("market: the stock is built %s: %s, %s of this host's own (%s's market, bracket %u, seed %u)\n", when,
                HostCount(market.GetGeneratedStock().size(), "shared item").c_str(),
                HostCount(market.GetStaticStock().size(), "good").c_str(),
                merchant ? HostName(merchant).c_str() : market.GetMarketRecordName().c_str(), market.GetBracket(),
                market.GetSeed());
}

void Visit(GameEngine& engine, Player& player, NpcMerchant& merchant, int stepMs)
{
    const int frames = RunUntilBuilt(engine, stepMs);
    const MarketClient* market = ClientOf(engine);
    if (!market || !StockBuilt(*market)) {
        std::printf("market: no stock after %d frames of its own, played after the run\n", frames);
        return;
    }
    PrintStockBuilt(*market,
                    ("after " + std::to_string(frames) + " frames of its own, played after the run").c_str());

    HostShopWindow window(engine, player);
    std::printf("market: the player talks to the merchant (%s)\n", HostPlainText(merchant.GetRolloverDescription()).c_str());
    merchant.OnPlayerInteract(player.GetObjectId(), false, false);
    if (!window.IsOpen()) {
        std::printf("market: the shop did not open\n");
        return;
    }
    Shop(engine, player, window, *market);
}

// The verdict on a purchase as it travels.
template <class Packet>
bool ReadPacket(Packet& packet, const unsigned char* data, size_t size)
{
    return packet.CopyInbound(data, static_cast<int>(size));
}

}  // namespace

void HostMarket::Run(GameEngine& engine, uint32_t playerId, int stepMs)
{
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!player)
        return;
    NpcMerchant* merchant = PlaceMerchant(*player);
    if (!merchant)
        return;
    std::printf("market: a merchant, %s (%u), stands beside the player; the player has %u gold\n",
                HostName(merchant).c_str(), merchant->GetObjectId(), player->GetCurrentMoney());
    Visit(engine, *player, *merchant, stepMs);
}

HostMarket::HostMarket() = default;
HostMarket::~HostMarket() = default;

void HostMarket::StartClicked(GameEngine& engine, uint32_t playerId, uint32_t monsterId)
{
    m_playerId = playerId;
    m_monsterId = monsterId;
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (player)
        m_window = std::make_unique<HostShopWindow>(engine, *player);
}

void HostMarket::AfterFrameClicked(GameEngine& engine, int frame)
{
    auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    if (!m_window || m_visited || !player)
        return;
    // The merchant comes once the fight is over: the fight and its loot stay as they were.
    if (!m_placed) {
        const auto* monster = ObjectManager::Get().GetObject<Character>(m_monsterId);
        if (monster && monster->IsAlive())
            return;
        m_placed = true;
        if (const NpcMerchant* merchant = PlaceMerchant(*player)) {
            const Vec3 at = merchant->GetCoords().GetPosition().GetRegionPosition();
            std::printf("market: frame %d: a merchant, %s (%u), comes to (%.1f, %.1f)\n", frame,
                        HostName(merchant).c_str(), merchant->GetObjectId(), at.x, at.z);
        }
        return;
    }
    if (!m_window->IsOpen())
        return;
    m_visited = true;
    const MarketClient* market = ClientOf(engine);
    if (!market || !StockBuilt(*market)) {
        std::printf("market: frame %d: the shop opened before its stock was built\n", frame);
        engine.CloseMarket(kMerchantId);
        return;
    }
    PrintStockBuilt(*market, ("by frame " + std::to_string(frame)).c_str());
    // The player comes with gold to spend, as a client's player does on the network: the
    // host hands it over, and says so.
    player->AddMoney(kNetPurse);
    std::printf("market: the host hands the player a purse of %u gold to spend; it has %u\n", kNetPurse,
                player->GetCurrentMoney());
    Shop(engine, *player, *m_window, *market);
}

bool HostMarket::SellCarried(GameEngine& engine, int frame, const std::string& record)
{
    auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    if (!m_window || !m_visited || !player) {
        std::printf("market: frame %d: no merchant to sell %s to\n", frame, record.c_str());
        return false;
    }
    for (uint32_t id : player->GetInventoryItems()) {
        const Object* item = ObjectManager::Get().GetObject(id);
        if (!item || GetNormalizedPath(item->GetObjectName()) != GetNormalizedPath(record))
            continue;
        Market_TypeEnum page = Market_PageArmor;
        engine.OpenMarket(kMerchantId, page, Vec2{});
        m_window->Sell(id, "its loot");
        engine.CloseMarket(kMerchantId);
        return true;
    }
    std::printf("market: frame %d: the player carries no %s to sell\n", frame, record.c_str());
    return false;
}

void HostMarket::Start(GameEngine& engine, uint32_t playerId)
{
    m_playerId = playerId;
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    // On the network every host places the merchant alike: beside where the server's player
    // stands, the origin, whatever place the client's own player was given.
    const Vec3 origin{};
    const bool client = engine.GetNetworkRole() == NetworkRole::Client;
    m_placed = player && PlaceMerchant(*player, client ? &origin : nullptr);
    // The client's player comes with gold to spend.
    if (m_placed && engine.GetNetworkRole() == NetworkRole::Client) {
        player->AddMoney(kNetPurse);
        std::printf("market: the host hands the player a purse of %u gold to spend; it has %u\n", kNetPurse,
                    player->GetCurrentMoney());
    }
}

void HostMarket::AfterFrame(GameEngine& engine, int frame)
{
    MarketClient* market = m_placed ? ClientOf(engine) : nullptr;
    if (!market)
        return;
    if (!m_stockShown && StockBuilt(*market)) {
        m_stockShown = true;
        std::printf("net: market key %s bracket %u seed %u\n", market->GetMarketRecordName().c_str(),
                    market->GetBracket(), market->GetSeed());
        for (const MarketClient::StockEntry& entry : market->GetGeneratedStock())
            std::printf("net: market stock %u: %s, price %u\n", entry.index, IdentityText(entry.identity).c_str(),
                        entry.price);
        PrintHeld();
    }
    // The client buys once it sees the stock, and asks again while the server's refusals
    // leave the item on sale.
    if (!m_stockShown || engine.GetNetworkRole() != NetworkRole::Client)
        return;
    const bool again = m_asked && m_refusedOnSale && m_askedAgain < kNetPurchaseAsksAgain;
    if (m_asked && !again)
        return;
    m_asked = true;
    m_refusedOnSale = false;
    if (again)
        ++m_askedAgain;
    const std::vector<MarketClient::StockEntry>& stock = market->GetGeneratedStock();
    if (kNetPurchaseIndex < stock.size()) {
        const bool asked = engine.PlayerPurchaseRequest(kMerchantId, stock[kNetPurchaseIndex].itemId);
        std::printf("market: frame %d: the player asks%s for stock item %u: %s\n", frame,
                    again ? " again, the item still on sale," : "", kNetPurchaseIndex, asked ? "asked" : "refused");
    }
}

void HostMarket::Travelled(const unsigned char* data, size_t size)
{
    NetPacketType type = 0;
    if (!NetPacketRegistry::PeekType(data, size, type))
        return;
    char line[160];
    if (type == MarketS2CPurchaseConfirmationPacket::kType) {
        MarketS2CPurchaseConfirmationPacket packet;
        if (!ReadPacket(packet, data, size))
            return;
        std::snprintf(line, sizeof line, "net: market verdict: stock item %u of market %u sold to player %u\n",
                      packet.itemIndex, packet.marketId, packet.buyerId);
    } else if (type == MarketS2CPurchaseDeniedPacket::kType) {
        MarketS2CPurchaseDeniedPacket packet;
        if (!ReadPacket(packet, data, size))
            return;
        std::snprintf(line, sizeof line,
                      "net: market verdict: stock item %u of market %u refused to player %u (status %d)\n",
                      packet.itemIndex, packet.marketId, packet.buyerId, static_cast<int>(packet.status));
        if (packet.marketId == kMerchantId && packet.itemIndex == kNetPurchaseIndex && packet.buyerId == m_playerId &&
            packet.status == MarketItemStatus_OnSale)
            m_refusedOnSale = true;
    } else {
        return;
    }
    if (m_placed && !m_stockShown)
        m_heldVerdicts.emplace_back(line);
    else
        std::fputs(line, stdout);
}

void HostMarket::PrintHeld()
{
    for (const std::string& line : m_heldVerdicts)
        std::fputs(line.c_str(), stdout);
    m_heldVerdicts.clear();
}

}  // namespace GAME
