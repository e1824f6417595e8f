// One merchant's market as three peers hold it: the market server and two market clients,
// each client shopping for a player of its own. What each side sends waits in a queue per
// receiver; the bytes deliver, drop, repeat or overtake those messages with forged ones
// (any index, status, key or player), run frames and refreshes, and play the players'
// visits: opening and closing the shop, purchases, sales and the texts of both. After
// every step the stocks, the server's statuses and the queues stay bounded, every status
// stays 0..3, and no purchase, asked or confirmed, raises a player's money.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/characters/Player.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineInboundInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/items/InventorySack.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/MarketClient.h"
#include "Game/items/MarketServer.h"
#include "fuzz/FuzzBytes.h"
#include "fuzz/FuzzOptions.h"

using namespace GAME;

namespace {

constexpr uint32_t kMerchant = 0x0FFFFE01;
constexpr uint32_t kPlayers[2] = {0x0FFFFF01, 0x1FFFFF01};
constexpr const char* kMerchantRecord = "Records/Fuzz/Merchant.dbr";
// The market records a key may name: the merchant's, one with hostile numbers, one that
// names tables that do not load, a missing one and none.
const char* const kMarketRecords[] = {"Records/Fuzz/Market.dbr", "Records/Fuzz/HostileMarket.dbr",
                                      "Records/Fuzz/BrokenMarket.dbr", "Records/Fuzz/Missing.dbr", ""};
// The most messages one queue keeps; an older one is dropped first, as a lossy link would.
constexpr size_t kQueueLimit = 64;
// The most goods one kind draws in the records below. Each good is an item made whenever
// a stock is built, and the stocks are built afresh for every input: a few per kind keep
// every index path (in the stock, past it, sold, bought back) at a fraction of the cost.
constexpr int kGoodsPerKind = 3;
// Every kind draws at most kGoodsPerKind items in the bundled records below (14 kinds), and
// a sack of the buy-back page holds fewer than kPageBound.
constexpr size_t kStockBound = 14 * kGoodsPerKind;
constexpr size_t kPageBound = 256;
// The longest input the fuzzer makes: every frame step makes a stock item on each client,
// so an input costs time in proportion to its length. A hundred-odd steps fill and sell
// from the stocks; longer inputs repeat what those do.
constexpr size_t kMaxInputLength = 256;

using Bytes = FuzzBytes;

// One message of the market's seven.
struct Message {
    enum Kind { Update, Confirmation, Denial, Status, UpdateRequest, Purchase, SellBack };
    Message() = default;
    Message(Kind kind, uint32_t level, uint32_t seed, uint32_t index, uint32_t player,
            MarketItemStatus status = MarketItemStatus_NotInMarket)
        : kind(kind), level(level), seed(seed), index(index), player(player), status(status)
    {
    }

    Kind kind = Update;
    std::string record;
    uint32_t level = 0, seed = 0, index = 0, player = 0;
    MarketItemStatus status = MarketItemStatus_NotInMarket;
    std::vector<uint32_t> unavailable;
};

// The four links: server to each client, each client to the server.
enum Link { ToClient0, ToClient1, FromClient0, FromClient1, LinkCount };
std::deque<Message> gLinks[LinkCount];

void Post(Link link, Message message)
{
    std::deque<Message>& queue = gLinks[link];
    if (queue.size() >= kQueueLimit)
        queue.pop_front();
    queue.push_back(std::move(message));
}

// What a side sends of the market goes into its links; everything else is applied here.
class MarketWire : public GameEngineInboundInterface {
public:
    explicit MarketWire(int side) : m_side(side) {}

    void S2C_MarketUpdate(uint32_t, const std::string& record, uint32_t level, uint32_t seed,
                          const std::vector<uint32_t>& unavailable) override
    {
        Message message(Message::Update, level, seed, 0, 0);
        message.record = record;
        message.unavailable = unavailable;
        Post(ToClient0, message);
        Post(ToClient1, message);
    }
    void S2C_MarketPurchaseConfirmation(uint32_t, uint32_t index, uint32_t player) override
    {
        ToBuyer(Message(Message::Confirmation, 0, 0, index, player));
    }
    void S2C_MarketPurchaseDenied(uint32_t, uint32_t index, uint32_t player, MarketItemStatus status) override
    {
        ToBuyer(Message(Message::Denial, 0, 0, index, player, status));
    }
    void S2C_MarketItemStatusUpdate(uint32_t, uint32_t index, MarketItemStatus status) override
    {
        const Message message(Message::Status, 0, 0, index, 0, status);
        Post(ToClient0, message);
        Post(ToClient1, message);
    }
    void C2S_MarketPurchaseRequest(uint32_t, uint32_t level, uint32_t seed, uint32_t index, uint32_t player) override
    {
        Post(FromClient(), Message(Message::Purchase, level, seed, index, player));
    }
    void C2S_MarketSellBack(uint32_t, uint32_t level, uint32_t seed, uint32_t index, uint32_t player) override
    {
        Post(FromClient(), Message(Message::SellBack, level, seed, index, player));
    }
    void C2S_MarketUpdateRequest(uint32_t) override { Post(FromClient(), Message(Message::UpdateRequest, 0, 0, 0, 0)); }

private:
    // An answer goes to the client of the player it names; a name of nobody's is lost.
    static void ToBuyer(const Message& message)
    {
        for (int k = 0; k < 2; ++k)
            if (message.player == kPlayers[k])
                Post(k == 0 ? ToClient0 : ToClient1, message);
    }
    Link FromClient() const { return m_side == 1 ? FromClient1 : FromClient0; }

    int m_side;   // 0 or 1: that client; 2: the server
};

// The three sides of one input.
struct Market {
    MarketWire wires[3] = {MarketWire(0), MarketWire(1), MarketWire(2)};
    GameEngineNetworkInterface* slots[3] = {&wires[0], &wires[1], &wires[2]};
    GameEngineClientServicesModule clientModules[2];
    GameEngineServerServicesModule serverModule;
    std::unique_ptr<MarketClient> clients[2];
    std::unique_ptr<MarketServer> server;

    Market()
    {
        for (int k = 0; k < 2; ++k) {
            clientModules[k].SetNetworkInterfaceSlot(&slots[k]);
            clients[k] = std::make_unique<MarketClient>(&clientModules[k], kMerchant);
        }
        serverModule.SetNetworkInterfaceSlot(&slots[2]);
        server = std::make_unique<MarketServer>(&serverModule, kMerchant);
        server->LoadFromMerchant();
    }
};

Player* gPlayers[2] = {nullptr, nullptr};
NpcMerchant* gMerchant = nullptr;

// The client's operations run for its own player.
MarketClient& Client(Market& market, int k)
{
    gGameEngine->GetPlayerManagerClient()->SetMainPlayer(kPlayers[k]);
    return *market.clients[k];
}

MarketItemStatus AnyStatus(Bytes& in)
{
    return static_cast<MarketItemStatus>(in.Byte() % 6);
}

void Deliver(Market& market, Link link, const Message& message)
{
    if (link == ToClient0 || link == ToClient1) {
        MarketClient& client = Client(market, link == ToClient0 ? 0 : 1);
        Player& player = *gPlayers[link == ToClient0 ? 0 : 1];
        const uint32_t money = player.GetCurrentMoney();
        switch (message.kind) {
        case Message::Update:
            client.S2C_MarketUpdate(message.record, message.level, message.seed, message.unavailable);
            break;
        case Message::Confirmation:
            client.S2C_MarketPurchaseConfirmation(message.index, message.player);
            break;
        case Message::Denial:
            client.S2C_MarketPurchaseDenied(message.index, message.player, message.status);
            break;
        case Message::Status:
            client.S2C_MarketItemStatusUpdate(message.index, message.status);
            break;
        default:
            break;
        }
        Check(player.GetCurrentMoney() <= money);
        return;
    }
    MarketServer& server = *market.server;
    switch (message.kind) {
    case Message::UpdateRequest:
        server.C2S_MarketUpdateRequest();
        break;
    case Message::Purchase:
        server.C2S_MarketPurchaseRequest(message.level, message.seed, message.index, message.player);
        break;
    case Message::SellBack:
        server.C2S_MarketSellBack(message.level, message.seed, message.index, message.player);
        break;
    default:
        break;
    }
}

// A message a hostile peer might send instead: any kind, mostly near the real key.
Message Forge(Bytes& in, const Market& market, bool toClient)
{
    Message message;
    const uint8_t kind = in.Byte();
    const bool current = kind & 0x80;
    message.level = current ? market.server->GetBracket() : in.Small();
    message.seed = current ? market.server->GetSeed() : in.Small();
    message.index = in.Small();
    message.player = in.Byte() < 200 ? kPlayers[in.Byte() % 2] : in.Word();
    message.status = AnyStatus(in);
    if (toClient) {
        message.kind = static_cast<Message::Kind>(kind % 4);
        message.record = kMarketRecords[in.Byte() % std::size(kMarketRecords)];
        for (uint32_t n = in.Small() % 700; n > 0 && !in.Empty(); --n)
            message.unavailable.push_back(in.Small());
    } else {
        message.kind = static_cast<Message::Kind>(4 + kind % 3);
    }
    return message;
}

// An item the client's player might point at: one of a stock, one it carries, or any id.
uint32_t PickItem(Bytes& in, const MarketClient& client, const Player& player)
{
    const uint8_t choice = in.Byte();
    const uint32_t n = in.Byte();
    const std::vector<MarketClient::StockEntry>* stocks[3] = {&client.GetGeneratedStock(), &client.GetStaticStock(),
                                                              &client.GetBuyBackStock()};
    if (choice % 5 < 3) {
        const auto& stock = *stocks[choice % 5];
        return stock.empty() ? 0 : stock[n % stock.size()].itemId;
    }
    if (choice % 5 == 3) {
        const ControllerPlayer* controller = player.GetPlayerController();
        const std::vector<uint32_t>& carried = controller ? controller->GetInventoryCtrl().GetItems()
                                                          : std::vector<uint32_t>();
        return carried.empty() ? 0 : carried[n % carried.size()];
    }
    return in.Word();
}

void PlayerStep(Bytes& in, Market& market, int k)
{
    MarketClient& client = Client(market, k);
    Player& player = *gPlayers[k];
    const uint8_t what = in.Byte() % 6;
    const uint32_t item = PickItem(in, client, player);
    const uint32_t money = player.GetCurrentMoney();
    std::vector<GameTextLine> lines;
    switch (what) {
    case 0:
        client.PlayerPurchaseRequest(item);
        Check(player.GetCurrentMoney() <= money);
        break;
    case 1:
        client.PlayerSaleRequest(item, in.Byte() & 1);
        break;
    case 2: {
        auto page = static_cast<Market_TypeEnum>(static_cast<int8_t>(in.Byte()));
        client.OpenMarket(page, Vec2{});
        Check(client.GetInventorySack(page) != nullptr);
        break;
    }
    case 3:
        client.CloseMarket();
        break;
    case 4:
        client.CreateUIPlayerBuyText(item, lines);
        client.CreateUIPlayerSellText(item, lines);
        client.GetIsItemAffordable(item);
        break;
    case 5:
        player.SetCurrentMoney(in.Byte() < 128 ? in.Small() : in.Word());
        break;
    }
}

void CheckClient(const MarketClient& client)
{
    const std::vector<MarketClient::StockEntry>* stocks[3] = {&client.GetGeneratedStock(), &client.GetStaticStock(),
                                                              &client.GetBuyBackStock()};
    for (const auto* stock : stocks) {
        Check(stock->size() <= kStockBound);
        for (const MarketClient::StockEntry& entry : *stock)
            Check(entry.status <= MarketItemStatus_Sold);
        // The status the interface reads is an entry's: one look-up per stock covers the
        // path (each is a search of every stock, too dear for every entry of every step).
        if (!stock->empty())
            Check(client.GetMarketItemStatus(stock->back().itemId) <= MarketItemStatus_Sold);
    }
    Check(client.GetBuyBackStock().size() <= kPageBound);
    Check(client.GetGeneratedQueue().size() <= kStockBound && client.GetStaticQueue().size() <= kStockBound);
    Check(client.GetPendingTotal() <= uint64_t{Character::kMaxMoney} * kStockBound);
}

void CheckServer(const MarketServer& server)
{
    Check(server.GetNumStatuses() <= MarketServer::kStockLimit);
    for (uint32_t i = 0; i < server.GetNumStatuses(); ++i)
        Check(server.GetItemStatus(i) <= MarketItemStatus_Sold);
    Check(server.GetUnavailableIndices().size() <= MarketServer::kStockLimit);
    Check(server.GetSeed() <= MarketServer::kSeedMask);
}

void Step(Bytes& in, Market& market)
{
    const uint8_t op = in.Byte();
    const auto link = static_cast<Link>(in.Byte() % LinkCount);
    std::deque<Message>& queue = gLinks[link];
    switch (op % 10) {
    case 0: {   // a frame of every side
        const int ms = in.Byte() < 240 ? in.Byte() : static_cast<int>(in.Word() % 1000000);
        market.server->Update(ms);
        for (int k = 0; k < 2; ++k)
            Client(market, k).Update(ms);
        break;
    }
    case 1:
    case 2:
        if (!queue.empty()) {
            const Message message = queue.front();
            queue.pop_front();
            Deliver(market, link, message);
        }
        break;
    case 3:   // lost, or sent twice
        if (!queue.empty()) {
            if (in.Byte() & 1)
                queue.pop_front();
            else
                Post(link, queue.front());
        }
        break;
    case 4:
        Deliver(market, link, Forge(in, market, link == ToClient0 || link == ToClient1));
        break;
    case 5:
    case 6:
        PlayerStep(in, market, in.Byte() & 1);
        break;
    case 7:
        market.server->ForceRefresh();
        break;
    case 8: {   // the merchant leaves one client's level and comes back
        const int k = in.Byte() & 1;
        market.clients[k].reset();
        market.clients[k] = std::make_unique<MarketClient>(&market.clientModules[k], kMerchant);
        break;
    }
    case 9:   // a player starts or stops talking to the merchant
        if (in.Byte() & 1)
            gMerchant->WillYouChat(kPlayers[in.Byte() & 1]);
        else
            gMerchant->DeleteSocialTarget(kPlayers[in.Byte() & 1]);
        break;
    }
    for (int k = 0; k < 2; ++k)
        CheckClient(*market.clients[k]);
    CheckServer(*market.server);
    for (const std::deque<Message>& each : gLinks)
        Check(each.size() <= kQueueLimit);
}

void RegisterRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Fuzz/Player.dbr", "Class,Player,\n");
    records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    records.RegisterRecord(kMerchantRecord, "Class,NpcMerchant,\nmarketFileName,Records/Fuzz/Market.dbr,\n"
                                            "merchantType,Melee,\n");
    records.RegisterRecord(Npc::kNpcControllerRecord, "Class,ControllerAI,\n");
    for (const char* marker : {NpcMerchant::kShieldGeneral, NpcMerchant::kShieldMage, NpcMerchant::kShieldMelee})
        records.RegisterRecord(marker, "Class,Actor,\n");
    records.RegisterRecord(ItemEquipment::kDefaultItemCostRecord,
                           "weaponCostEquation,itemBaseCost+itemPrefixCost,\njewelryCostEquation,itemBaseCost,\n");
    records.RegisterRecord("Records/Fuzz/Sword.dbr", "Class,WeaponMelee_Sword,\nitemCost,240,\n");
    records.RegisterRecord("Records/Fuzz/Ring.dbr", "Class,ArmorJewelry_Ring,\nitemCost,1900000000,\n");
    records.RegisterRecord("Records/Fuzz/Potion.dbr", "Class,OneShot_PotionHealth,\nitemCost,15,\n");
    records.RegisterRecord("Records/Fuzz/Keen.dbr", "lootRandomizerName,tagKeen,\noffensivePhysicalModifier,10,\n");
    records.RegisterRecord("Records/Fuzz/Goods.dbr",
                           "Class,LootItemTable_FixedWeight,\nlootName1,Records/Fuzz/Sword.dbr,\nlootWeight1,40,\n"
                           "lootName2,Records/Fuzz/Ring.dbr,\nlootWeight2,20,\nlootName3,Records/Fuzz/Potion.dbr,\n"
                           "lootWeight3,10,\nprefixRandomizerChance,50.0,\nprefixRandomizerName1,Records/Fuzz/Keen.dbr,\n"
                           "prefixRandomizerWeight1,100,\nbothPrefixSuffix,0,\nnoPrefixNoSuffix,50,\nprefixOnly,50,\n");
    // Every kind the same: up to kGoodsPerKind goods, whatever the bracket.
    std::string market, hostile, broken;
    const char* const kinds[] = {"Axe",     "Bow",    "Mace",  "Spear", "Staff",    "Sword",    "Armband",
                                 "BodyArmor", "Greaves", "Helm", "Shield", "Ring", "Bracelet", "Amulet", "Static"};
    for (const char* kind : kinds) {
        const std::string counts = std::string("marketNum") + kind + "Min,0,\nmarketNum" + kind + "Max," +
                                   std::to_string(kGoodsPerKind) + ",\n";
        for (int bracket = 0; bracket < 6; ++bracket) {
            const std::string key = std::string("market") + kind + "Table" + std::to_string(bracket);
            market += key + ",Records/Fuzz/Goods.dbr,\n";
            broken += key + ",Records/Fuzz/Missing.dbr,\n";
        }
        market += counts;
        hostile += counts;
        broken += counts;
    }
    hostile += "marketSwordTable1,Records/Fuzz/Goods.dbr,\nmarketStaticTable1,Records/Fuzz/Goods.dbr,\n";
    market += "marketHealthPotion,Records/Fuzz/Potion.dbr,\nmarketManaPotion,Records/Fuzz/Ring.dbr,\n"
              "marketCostAdjustment,25,\nmarketDepreciation,40,\nmaxPlayerPurchase,500,\n"
              "marketRefreshTimeMin,200,\nmarketRefreshTimeMax,5000,\nmarketPlayerLevel,1;2;3,\n";
    hostile += "marketHealthPotion,Records/Fuzz/Sword.dbr,\nmarketCostAdjustment,1e30,\nmarketDepreciation,150,\n"
               "maxPlayerPurchase,-7,\nmarketRefreshTimeMin,-5,\nmarketRefreshTimeMax,nan,\n";
    broken += "marketHealthPotion,Records/Fuzz/Missing.dbr,\nmarketCostAdjustment,-400,\nmarketDepreciation,nan,\n";
    records.RegisterRecord(kMarketRecords[0], market);
    records.RegisterRecord(kMarketRecords[1], hostile);
    records.RegisterRecord(kMarketRecords[2], broken);
}

// A player of this process, played here, standing in the world.
Player* MakePlayer(uint32_t id)
{
    auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Fuzz/Player.dbr", id);
    Check(player != nullptr);
    player->SetIsControllingCharacter(true);
    Check(player->GetPlayerController() != nullptr);
    Check(World::Get().AddEntity(player, WorldCoords(World::Get().GetRegionById(1), Coords())));
    gGameEngine->GetPlayerManagerClient()->SetMainPlayer(id);
    return player;
}

// What a player carries is destroyed: at the end of each input, so that no input leaves
// objects behind (each would cost libFuzzer a leak scan of the whole heap), and at the
// start, for the state the first input finds.
void EmptyHands(Player& player)
{
    ControllerPlayer* controller = player.GetPlayerController();
    if (!controller)
        return;
    const std::vector<uint32_t> carried = controller->GetInventoryCtrl().GetItems();
    for (uint32_t id : carried) {
        controller->GetInventoryCtrl().RemoveItem(id);
        if (Object* item = ObjectManager::Get().GetObject(id))
            ObjectManager::Get().DestroyObjectEx(item, "fuzz_market", __LINE__);
    }
}

}  // namespace

// AddressSanitizer holds freed memory back from reuse for 256 MB of later frees unless told
// otherwise. An input here frees well under 1 MB (its stock items and identities), so 32 MB
// still holds everything freed during the last hundred-odd inputs, and every use after free
// within an input is caught as before. With the default, every allocation of the first
// thousand-odd inputs landed on a fresh page (faulting them in cost a tenth of that time)
// and the run held 490 MB; with 32 MB it holds 140 MB. ASAN_OPTIONS still overrides.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=32";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    DefaultFuzzerOptions(argc, argv, kMaxInputLength);
    gEngine->SetLogSink([](const LogLine&) {});
    RegisterRecords();
    InitializeObjects();
    World::Get().AddRegion(1, "Fuzz");
    for (int k = 0; k < 2; ++k)
        gPlayers[k] = MakePlayer(kPlayers[k]);
    // Found by id, never in the level: the game's own market clients take no part.
    gMerchant = ObjectManager::Get().CreateObjectFromFile<NpcMerchant>(kMerchantRecord, kMerchant);
    Check(gMerchant != nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in(data, size);
    for (int k = 0; k < 2; ++k) {
        EmptyHands(*gPlayers[k]);
        gPlayers[k]->SetCurrentMoney(in.Byte() < 128 ? in.Small() * 100 : in.Word());
    }
    gGameEngine->GetRandomGen().Seed(in.Word());
    {
        Market market;
        while (!in.Empty())
            Step(in, market);
    }
    for (std::deque<Message>& queue : gLinks)
        queue.clear();
    for (Player* player : gPlayers)
        EmptyHands(*player);
    gMerchant->DeleteSocialTarget(kPlayers[0]);
    gMerchant->DeleteSocialTarget(kPlayers[1]);
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    while (dialogs.PeekTopDialog())
        dialogs.RemoveTopDialog();
    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
