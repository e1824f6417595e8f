// A trade between two players as their two peers hold it: each side's trade manager plays
// its own player, and what a side sends waits in a queue toward the other. The bytes play
// both players (invitations and answers, offers of items and gold up to 0xFFFFFFFF, taking
// items back, finalizing, cancelling, the offered items' commands), and deliver, drop,
// repeat or forge the messages (a stranger's, or the partner's with any item, id, place
// or amount).
//
// The first byte chooses how the links behave. Reliable: every message arrives, in order,
// before either player acts again, as the transport delivers them; then the items and gold
// of both players together never grow. Hostile: anything goes, and every side stays
// bounded (the windows, the partner's gold, the purses, the queues) and a stranger's message
// changes nothing. (Over a lossy link the trade cannot keep the total: a side that completes cannot
// know whether the other did, as no message says which offer a finalize agreed to.)
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "Engine/Texture.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineInboundInterface.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/TradeManager.h"
#include "Game/quests/DialogManager.h"
#include "fuzz/FuzzBytes.h"
#include "fuzz/FuzzOptions.h"

using namespace GAME;

namespace {

constexpr uint32_t kPlayers[2] = {0x0FFFFF01, 0x1FFFFF01};
constexpr uint32_t kStranger = 0x2FFFFF01;
constexpr size_t kQueueLimit = 64;
constexpr int kItemsEach = 4;
// A trade window holds 12 x 5 cells of one-cell rings.
constexpr size_t kSackBound = 60;
const char* const kRecords[] = {"Records/Fuzz/Ring.dbr", "Records/Fuzz/Wide.dbr", "Records/Fuzz/Missing.dbr",
                                "Records/Fuzz/Plain.dbr"};

using Bytes = FuzzBytes;

struct Message {
    enum Kind { Initiate, Cancel, Finalize, AddItem, RemoveItem, SetGold, Count };
    Kind kind = Initiate;
    uint32_t from = 0;
    Vec2 place;
    ItemReplicaInfo item;
    uint32_t value = 0;   // the item id taken back, or the gold
};

// Toward side 0 and toward side 1.
std::deque<Message> gLinks[2];
Player* gPlayers[2] = {nullptr, nullptr};

// What a side sends of the trade goes toward the player it names; anything else is
// applied here at once, as on a single machine.
class TradeWire : public GameEngineInboundInterface {
public:
    void TradeInitiate(uint32_t from, uint32_t to) override { Post(to, {Message::Initiate, from, {}, {}, 0}); }
    void TradeCancel(uint32_t from, uint32_t to) override { Post(to, {Message::Cancel, from, {}, {}, 0}); }
    void TradeFinalize(uint32_t from, uint32_t to) override { Post(to, {Message::Finalize, from, {}, {}, 0}); }
    void TradeAddItem(uint32_t from, uint32_t to, const Vec2& place, const ItemReplicaInfo& item) override
    {
        Post(to, {Message::AddItem, from, place, item});
    }
    void TradeRemoveItem(uint32_t from, uint32_t to, uint32_t itemId) override
    {
        Post(to, {Message::RemoveItem, from, {}, {}, itemId});
    }
    void TradeSetGoldAmount(uint32_t from, uint32_t to, uint32_t gold) override
    {
        Post(to, {Message::SetGold, from, {}, {}, gold});
    }
    void DisplayMessageRemote(uint32_t, uint32_t, bool, const std::string&) override {}

private:
    static void Post(uint32_t to, const Message& message)
    {
        for (int k = 0; k < 2; ++k) {
            if (to != kPlayers[k])
                continue;
            if (gLinks[k].size() >= kQueueLimit)
                gLinks[k].pop_front();
            gLinks[k].push_back(message);
        }
    }
};

struct Sides {
    TradeWire wire;
    std::unique_ptr<TradeManager> trades[2];
    Sides()
    {
        gGameEngine->InstallNetworkInterface(&wire);
        for (auto& side : trades)
            side = std::make_unique<TradeManager>();
    }
};

// Side k's manager, with side k's player as this machine's.
TradeManager& Side(Sides& sides, int k)
{
    gGameEngine->GetPlayerManagerClient()->SetMainPlayer(kPlayers[k]);
    return *sides.trades[k];
}

void Deliver(Sides& sides, int k, const Message& m)
{
    TradeManager& trades = Side(sides, k);
    switch (m.kind) {
    case Message::Initiate:
        trades.HandleInitiateTradeInbound(m.from);
        break;
    case Message::Cancel:
        trades.HandleCancelTradeInbound(m.from);
        break;
    case Message::Finalize:
        trades.HandleFinalizeTradeInbound(m.from);
        break;
    case Message::AddItem:
        trades.HandleAddItemInbound(m.from, m.place, m.item);
        break;
    case Message::RemoveItem:
        trades.HandleRemoveItemInbound(m.from, m.value);
        break;
    default:
        trades.HandleSetGoldAmountInbound(m.from, m.value);
        break;
    }
}

// A message a hostile peer might send: from the partner or a stranger, with any content.
Message Forge(Bytes& in, int k)
{
    Message m;
    m.kind = static_cast<Message::Kind>(in.Byte() % Message::Count);
    m.from = in.Byte() & 1 ? kPlayers[1 - k] : (in.Byte() & 1 ? kStranger : in.Word());
    m.place = Vec2(static_cast<float>(static_cast<int32_t>(in.Small())), static_cast<float>(in.Byte() % 8));
    if (in.Byte() == 0xFF)
        m.place.x = 1e30f;
    m.item.baseName = kRecords[in.Byte() % std::size(kRecords)];
    m.item.objectId = in.Byte() & 1 ? in.Small() : in.Word();
    m.item.seed = in.Word();
    m.value = in.Byte() & 1 ? in.Small() : in.Word();
    return m;
}

// An item of the player, one of its trade window, or any id.
uint32_t PickItem(Bytes& in, Sides& sides, int k)
{
    const uint8_t choice = in.Byte() % 3;
    const uint32_t n = in.Byte();
    if (choice == 0) {
        const std::vector<uint32_t>& carried = gPlayers[k]->GetInventory().GetInventoryItems();
        return carried.empty() ? 0 : carried[n % carried.size()];
    }
    if (choice == 1) {
        const auto& offered = sides.trades[k]->GetMyTradeState().GetInventorySack().GetInventory();
        if (offered.empty())
            return 0;
        auto it = offered.begin();
        std::advance(it, n % offered.size());
        return it->first;
    }
    return in.Word();
}

void PlayerStep(Bytes& in, Sides& sides, int k)
{
    const uint8_t what = in.Byte() % 8;
    TradeManager& trades = Side(sides, k);
    switch (what) {
    case 0:
        trades.HandleInitiateTradeOutbound(in.Byte() & 1 ? kPlayers[1 - k] : in.Word(), true);
        break;
    case 1:
        gGameEngine->GetDialogManager().AddResponse(DialogParty::kTradeInvite, in.Byte() & 1);
        trades.Update();
        break;
    case 2:
        trades.HandleAddItemOutbound(Vec2(), PickItem(in, sides, k));
        break;
    case 3:
        trades.HandleRemoveItemOutbound(PickItem(in, sides, k));
        break;
    case 4:
        trades.HandleSetGoldAmountOutbound(in.Byte() & 1 ? in.Small() * 10 : in.Word());
        break;
    case 5:
        trades.HandleFinalizeTradeOutbound();
        break;
    case 6:
        trades.HandleCancelTradeOutbound(in.Byte() & 1 ? trades.GetTradePartner() : in.Word());
        break;
    case 7:
        gEngine->RunActorCommands();
        break;
    }
}

// Every message in flight arrives, in order, with what each sends in answer; the offered
// originals' commands run.
void Settle(Sides& sides)
{
    for (int rounds = 0; rounds < 64 && (!gLinks[0].empty() || !gLinks[1].empty()); ++rounds)
        for (int k = 0; k < 2; ++k)
            while (!gLinks[k].empty()) {
                const Message m = gLinks[k].front();
                gLinks[k].pop_front();
                Deliver(sides, k, m);
            }
    gEngine->RunActorCommands();
}

// Gold and items of both players, what stands offered in their windows included.
uint64_t Total(const Sides& sides)
{
    uint64_t total = 0;
    for (int k = 0; k < 2; ++k)
        total += gPlayers[k]->GetCurrentMoney() + gPlayers[k]->GetInventory().GetInventoryItems().size() +
                 gPlayers[k]->GetAttachedItems().size() +
                 sides.trades[k]->GetMyTradeState().GetInventorySack().GetInventory().size();
    return total;
}

struct Snapshot {
    bool active;
    uint32_t partner, pending, myGold, hisGold;
    bool myFinal, hisFinal;
    size_t mine, his;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Look(const TradeManager& t)
{
    return {t.GetIsTradeActive(),
            t.GetTradePartner(),
            t.GetPendingRequester(),
            t.GetMyTradeState().GetGoldAmount(),
            t.GetHisTradeState().GetGoldAmount(),
            t.GetMyTradeState().GetFinalized(),
            t.GetHisTradeState().GetFinalized(),
            t.GetMyTradeState().GetInventorySack().GetInventory().size(),
            t.GetHisTradeState().GetInventorySack().GetInventory().size()};
}

void CheckSides(const Sides& sides)
{
    for (int k = 0; k < 2; ++k) {
        const TradeManager& t = *sides.trades[k];
        Check(t.GetMyTradeState().GetInventorySack().GetInventory().size() <= kSackBound);
        Check(t.GetHisTradeState().GetInventorySack().GetInventory().size() <= kSackBound);
        Check(t.GetHisTradeState().GetGoldAmount() <= Character::kMaxMoney);
        Check(gPlayers[k]->GetCurrentMoney() <= Character::kMaxMoney);
        Check(gLinks[k].size() <= kQueueLimit);
    }
}

void Step(Bytes& in, Sides& sides, bool reliable)
{
    const uint8_t op = in.Byte();
    const int k = in.Byte() & 1;
    std::deque<Message>& queue = gLinks[k];
    if (reliable || op % 8 < 4) {
        PlayerStep(in, sides, op & 1);
        if (reliable)
            Settle(sides);
        return;
    }
    switch (op % 8) {
    case 4:
        if (!queue.empty()) {
            const Message m = queue.front();
            queue.pop_front();
            Deliver(sides, k, m);
        }
        break;
    case 5:   // lost, or sent twice
        if (!queue.empty()) {
            if (in.Byte() & 1)
                queue.pop_front();
            else
                queue.push_back(queue.front());
        }
        break;
    case 6: {
        // Anyone may invite; any other step from a player the side is not dealing with
        // (neither its partner nor a player it invited or was invited by) changes nothing.
        const Message m = Forge(in, k);
        const TradeManager& t = *sides.trades[k];
        const bool stranger = m.kind != Message::Initiate && m.from != kPlayers[1 - k] &&
                              m.from != t.GetTradePartner() && m.from != t.GetRequestedPartner() &&
                              m.from != t.GetPendingRequester();
        const Snapshot before = Look(t);
        Deliver(sides, k, m);
        if (stranger)
            Check(Look(t) == before);
        break;
    }
    case 7:   // the money goes elsewhere
        Side(sides, k);
        gPlayers[k]->SubtractMoney(in.Small());
        break;
    }
}

void RegisterRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Fuzz/Player.dbr", "Class,Player,\n");
    records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    records.RegisterRecord(kRecords[0], "Class,ArmorJewelry_Ring,\nbitmap,Ring.tex,\n");
    records.RegisterRecord(kRecords[1], "Class,ArmorJewelry_Amulet,\nbitmap,Wide.tex,\n");
    records.RegisterRecord(kRecords[3], "Class,Item,\n");
    Texture::RegisterSize("Ring.tex", 32, 32);
    Texture::RegisterSize("Wide.tex", 300, 32);
}

Player* MakePlayer(uint32_t id)
{
    auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Fuzz/Player.dbr", id);
    Check(player != nullptr);
    player->SetIsControllingCharacter(true);
    Check(player->GetPlayerController() != nullptr);
    Check(World::Get().AddEntity(player, WorldCoords(World::Get().GetRegionById(1), Coords())));
    return player;
}

// Everything a player carries is destroyed, so that no input leaves objects behind.
void EmptyHands(Player& player)
{
    std::vector<uint32_t> carried = player.GetInventory().GetInventoryItems();
    carried.insert(carried.end(), player.GetAttachedItems().begin(), player.GetAttachedItems().end());
    for (uint32_t id : carried) {
        player.TakeItemFromCharacter(id);
        if (Object* item = ObjectManager::Get().GetObject(id))
            ObjectManager::Get().DestroyObjectEx(item, "fuzz_trade", __LINE__);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    DefaultFuzzerOptions(argc, argv);
    gEngine->SetLogSink([](const LogLine&) {});
    RegisterRecords();
    InitializeObjects();
    World::Get().AddRegion(1, "Fuzz");
    for (int k = 0; k < 2; ++k)
        gPlayers[k] = MakePlayer(kPlayers[k]);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in(data, size);
    const bool reliable = in.Byte() & 1;
    for (int k = 0; k < 2; ++k) {
        EmptyHands(*gPlayers[k]);
        gPlayers[k]->SetCurrentMoney(in.Byte() < 128 ? in.Small() * 100 : in.Word());
        gGameEngine->GetPlayerManagerClient()->SetMainPlayer(kPlayers[k]);
        for (int i = 0; i < kItemsEach; ++i) {
            ItemReplicaInfo item;
            item.baseName = kRecords[i % 2];
            item.seed = static_cast<uint32_t>(i);
            gGameEngine->GetInboundNetworkInterface()->CreateItem(kPlayers[k], WorldCoords(), item, nullptr);
        }
    }
    {
        Sides sides;
        const uint64_t total = Total(sides);
        while (!in.Empty()) {
            Step(in, sides, reliable);
            CheckSides(sides);
            if (reliable)
                Check(Total(sides) <= total);
        }
        for (int k = 0; k < 2; ++k)
            Side(sides, k).ShutDown();
        gGameEngine->InstallNetworkInterface(gGameEngine->GetInboundNetworkInterface());
    }
    for (std::deque<Message>& queue : gLinks)
        queue.clear();
    gEngine->RunActorCommands();
    for (Player* player : gPlayers)
        EmptyHands(*player);
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    while (dialogs.PeekTopDialog())
        dialogs.RemoveTopDialog();
    while (dialogs.GetNumResponsesFor(DialogParty::kTradeInvite) > 0)
        dialogs.GetResponseFor(DialogParty::kTradeInvite);
    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
