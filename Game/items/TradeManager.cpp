#include "Game/items/TradeManager.h"

#include <algorithm>
#include <cmath>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/quests/DialogManager.h"

namespace GAME {

namespace {

constexpr const char* kTradeBusyTag = "tagTradeError01";
constexpr const char* kTradeDeclinedTag = "tagTradeError02";
constexpr const char* kTradeInvitationTag = "tagTradeError03";
// A step refused here is the refusal of the received packet being applied, through the drop
// log; outside a packet's handler (the local player's own step) it is a warning of this name.
constexpr const char* kTradeStep = "TradeManager";
// Clients' sides of trades the server keeps at once; those whose players are gone are
// forgotten first.
constexpr size_t kMaxClientOffers = 64;

// The server's copy of a player.
Player* ServerCopy(uint32_t player)
{
    return player != 0 ? ObjectManager::Get().GetObject<Player>(player) : nullptr;
}

bool IsServersOwn(uint32_t player)
{
    return ConnectionManager::HostOfPlayer(player) == ConnectionManager::kServerHost;
}

// Whether an offered copy stands for an item of the identity `held`: the trade's packet
// carries the seed in its 16-bit network form.
bool StandsFor(ItemReplicaInfo offered, ItemReplicaInfo held)
{
    offered.seed &= 0xFFFFu;
    held.seed &= 0xFFFFu;
    return offered == held;
}

bool ServesClients()
{
    return gGameEngine && gGameEngine->GetNetworkRole() == NetworkRole::Server;
}

GameEngineNetworkInterface* TradeNetwork()
{
    return gGameEngine ? gGameEngine->GetNetworkInterface() : nullptr;
}

void DestroyTradeCopy(uint32_t itemId)
{
    ObjectManager& objects = ObjectManager::Get();
    if (Object* item = objects.GetObject(itemId))
        objects.DestroyObjectEx(item, "TradeManager", __LINE__);
}

// The ids a sack holds, taken before the sack is emptied.
std::vector<uint32_t> TradeSackIds(const InventorySack& sack)
{
    std::vector<uint32_t> ids;
    for (const auto& [id, rect] : sack.GetInventory())
        ids.push_back(id);
    return ids;
}

void DestroyTradeCopies(const std::vector<uint32_t>& ids)
{
    for (uint32_t id : ids)
        DestroyTradeCopy(id);
}

// A grid place from a peer names a whole cell inside the sack, or none.
bool TradeCellInSack(const InventorySack& sack, const Vec2& cell)
{
    return std::isfinite(cell.x) && std::isfinite(cell.y) && cell.x >= 0.0f && cell.y >= 0.0f &&
           cell.x < static_cast<float>(sack.GetColumns()) && cell.y < static_cast<float>(sack.GetRows()) &&
           std::trunc(cell.x) == cell.x && std::trunc(cell.y) == cell.y;
}

bool TradeRectsOverlap(const Rect& a, const Rect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Whether the item laid at `itemId`'s stored rectangle lies inside the sack and on no
// other item.
bool TradePlaceIsFree(const InventorySack& sack, uint32_t itemId)
{
    const auto& items = sack.GetInventory();
    const auto placed = items.find(itemId);
    if (placed == items.end())
        return false;
    const Rect& r = placed->second;
    const float width = static_cast<float>(sack.GetColumns()) * sack.GetCellWidth();
    const float height = static_cast<float>(sack.GetRows()) * sack.GetCellHeight();
    if (r.x < 0.0f || r.y < 0.0f || r.x + r.width > width || r.y + r.height > height)
        return false;
    return std::none_of(items.begin(), items.end(), [&](const auto& other) {
        return other.first != itemId && TradeRectsOverlap(other.second, r);
    });
}

// Gold moves in amounts an int holds; every amount here is held to the purse's limit.
void GiveTradeGold(uint32_t player, uint32_t amount, bool add)
{
    if (amount == 0 || !gGameEngine)
        return;
    // The local player's purse is this machine's: applied here in every role.
    if (GameEngineNetworkInterface* inbound = gGameEngine->GetInboundNetworkInterface()) {
        const int value = static_cast<int>(std::min(amount, Character::kMaxMoney));
        inbound->GiveGoldToPlayer(player, add ? value : -value);
    }
}

}  // namespace

// ---- TradeState -------------------------------------------------------------------------

void TradeState::Clear()
{
    m_goldAmount = 0;
    m_finalized = false;
    m_sack.RemoveAllItems();
}

void TradeState::DestroyObjects() { m_sack.DestroyAllItems(); }

bool TradeState::RemoveItem(uint32_t itemId)
{
    if (!m_sack.RemoveItem(itemId))
        return false;
    DestroyTradeCopy(itemId);
    return true;
}

void TradeState::RemoveItems(ControllerPlayer* controller)
{
    const std::vector<uint32_t> copies = TradeSackIds(m_sack);
    m_sack.TakeAllItems(controller);
    DestroyTradeCopies(copies);
}

void TradeState::ReturnItems(ControllerPlayer* controller) { DeleteAndCreateItemsForPlayer(controller); }

void TradeState::DeleteAndCreateItemsForPlayer(ControllerPlayer* controller)
{
    const std::vector<uint32_t> copies = TradeSackIds(m_sack);
    m_sack.DeleteAndCreateAllItemsFor(controller);
    DestroyTradeCopies(copies);
}

// ---- TradeManager: life -------------------------------------------------------------------

TradeManager::TradeManager() = default;

TradeManager::~TradeManager()
{
    ShutDown();
    ObjectManager& objects = ObjectManager::Get();
    if (SoundPak* sound = objects.GetObject<SoundPak>(m_inviteSound))
        objects.DestroyObjectEx(sound, "TradeManager", __LINE__);
}

void TradeManager::ShutDown()
{
    m_mine.DestroyObjects();
    m_his.DestroyObjects();
    Reset();
    m_clientOffers.clear();
}

// The partner's copies are this machine's alone: they go with the trade.
void TradeManager::Reset()
{
    EndClientOffer(m_partner);
    m_partner = 0;
    m_pendingRequester = 0;
    m_active = false;
    m_requested = false;
    m_requestedPartner = 0;
    m_his.DestroyObjects();
    m_mine.Clear();
    m_his.Clear();
    m_hisCopies.clear();
    m_offered.clear();
}

uint32_t TradeManager::OwnId() const { return gGameEngine ? gGameEngine->GetPlayerId() : 0; }

Player* TradeManager::OwnPlayer() const { return gGameEngine ? gGameEngine->GetMainPlayer() : nullptr; }

ControllerPlayer* TradeManager::OwnController() const
{
    const Player* player = OwnPlayer();
    return player ? player->GetPlayerController() : nullptr;
}

void TradeManager::ReturnItems() { m_mine.ReturnItems(OwnController()); }

void TradeManager::ClearFinalized()
{
    m_mine.SetFinalized(false);
    m_his.SetFinalized(false);
}

bool TradeManager::FromPartner(uint32_t player, const char* step) const
{
    if (m_active && player != 0 && player == m_partner)
        return true;
    if (m_active)
        return NetPacketRegistry::DropHandled(kTradeStep, "%s from player %u: not the trade partner", step, player);
    return NetPacketRegistry::DropHandled(kTradeStep, "%s from player %u: no trade runs", step, player);
}

// ---- Invitation -----------------------------------------------------------------------------

void TradeManager::HandleInitiateTradeOutbound(uint32_t player, bool isRequest)
{
    const uint32_t self = OwnId();
    if (player == 0 || player == self)
        return;
    if (isRequest) {
        if (!AbleToTrade() || m_requested)
            return;
        m_requested = true;
        m_requestedPartner = player;
    }
    if (GameEngineNetworkInterface* network = TradeNetwork())
        network->TradeInitiate(self, player);
}

void TradeManager::Refuse(uint32_t player)
{
    if (!gGameEngine)
        return;
    const uint32_t self = OwnId();
    gGameEngine->DisplayMessageRemote(player, self, false, kTradeBusyTag);
    if (GameEngineNetworkInterface* network = TradeNetwork())
        network->TradeCancel(self, player);
}

void TradeManager::HandleInitiateTradeInbound(uint32_t player)
{
    if (player == 0 || player == OwnId()) {
        NetPacketRegistry::DropHandled(kTradeStep, "invitation from player %u: no other player", player);
        return;
    }
    if (m_requested) {
        if (player == m_requestedPartner) {
            m_partner = player;
            m_active = true;
            m_requested = false;
        } else {
            Refuse(player);
        }
        return;
    }
    // The same invitation again, or the partner's acceptance heard twice, changes nothing.
    if ((m_active && player == m_partner) || player == m_pendingRequester)
        return;
    if (m_pendingRequester != 0 || m_partner != 0 || m_active || !gGameEngine) {
        Refuse(player);
        return;
    }
    gGameEngine->GetDialogManager().AddDialog(kDialogTypeYesNo, false, DialogParty::kTradeInvite,
                                              std::string(kTradeInvitationTag), true, player, true);
    // Made with the first invitation, so that a game nobody trades in makes no object
    // for it (and every later object keeps its id).
    ObjectManager& objects = ObjectManager::Get();
    SoundPak* sound = objects.GetObject<SoundPak>(m_inviteSound);
    if (!sound && (sound = objects.CreateObjectFromFile<SoundPak>(kInviteSoundRecord, 0, true)))
        m_inviteSound = sound->GetObjectId();
    if (sound)
        sound->Play(true);
    m_pendingRequester = player;
}

void TradeManager::Update()
{
    if (!gGameEngine)
        return;
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    while (dialogs.GetNumResponsesFor(DialogParty::kTradeInvite) > 0) {
        const bool yes = dialogs.GetResponseFor(DialogParty::kTradeInvite).answer;
        const uint32_t inviter = m_pendingRequester;
        m_pendingRequester = 0;
        // The inviter withdrew meanwhile: the answer has nobody to go to.
        if (inviter == 0)
            continue;
        if (yes) {
            m_partner = inviter;
            HandleInitiateTradeOutbound(inviter, false);
            m_active = true;
        } else {
            gGameEngine->DisplayMessageRemote(inviter, OwnId(), false, kTradeDeclinedTag);
            HandleCancelTradeOutbound(inviter);
        }
    }
}

// ---- Cancelling ---------------------------------------------------------------------------

// A running trade is cancelled with its partner, whoever is named: a partner left
// unaware would go on to complete it alone. An open invitation is withdrawn from the
// invited player.
void TradeManager::HandleCancelTradeOutbound(uint32_t player)
{
    ReturnItems();
    const uint32_t to = m_active ? m_partner : (player != 0 ? player : GetRequestedPartner());
    if (to != 0)
        if (GameEngineNetworkInterface* network = TradeNetwork())
            network->TradeCancel(OwnId(), to);
    m_active = false;
    Reset();
}

void TradeManager::HandleCancelTradeInbound(uint32_t player)
{
    const bool fromPartner = m_active && player != 0 && player == m_partner;
    const bool fromInvited = m_requested && player != 0 && player == m_requestedPartner;
    if (fromPartner || fromInvited) {
        ReturnItems();
        m_active = false;
        Reset();
        return;
    }
    // An inviter who withdraws before the answer.
    if (player != 0 && player == m_pendingRequester) {
        m_pendingRequester = 0;
        return;
    }
    // The partner of a completed trade ends it on its side too; nothing is left to end.
    if (player != 0 && player == m_completedWith) {
        m_completedWith = 0;
        return;
    }
    FromPartner(player, "cancel");
}

// ---- Offers -------------------------------------------------------------------------------

void TradeManager::HandleSetGoldAmountOutbound(uint32_t gold)
{
    if (!m_active)
        return;
    ClearFinalized();
    const Player* player = OwnPlayer();
    m_mine.SetGoldAmount(player ? std::min(gold, player->GetCurrentMoney()) : 0);
    if (GameEngineNetworkInterface* network = TradeNetwork())
        network->TradeSetGoldAmount(OwnId(), m_partner, m_mine.GetGoldAmount());
}

void TradeManager::HandleSetGoldAmountInbound(uint32_t player, uint32_t amount)
{
    if (!FromPartner(player, "gold offer"))
        return;
    ClearFinalized();
    // No purse holds more: an offer above it cannot be paid.
    m_his.SetGoldAmount(std::min(amount, Character::kMaxMoney));
}

bool TradeManager::HandleAddItemOutbound(const Vec2&, uint32_t itemId)
{
    if (!m_active)
        return false;
    Player* player = OwnPlayer();
    ControllerPlayer* controller = OwnController();
    ObjectManager& objects = ObjectManager::Get();
    const Item* original = objects.GetObject<Item>(itemId);
    // Only what the player carries, once.
    if (!original || !player || !controller || !player->GetInventory().IsItemInInventory(itemId) ||
        m_offered.count(itemId) != 0)
        return false;
    ItemReplicaInfo identity = original->GetItemReplicaInfo();
    identity.objectId = objects.CreateObjectID();
    Item* copy = Item::CreateItem(identity);
    if (!copy) {
        gEngine->Log(LOG_WARNING, "TradeManager: item %u (%s) cannot be copied for the trade; not offered", itemId,
                     identity.baseName.c_str());
        return false;
    }
    InventorySack& sack = m_mine.GetInventorySack();
    const Vec2 place = sack.AddItemAndReturnPoint(copy);
    if (place.x < 0.0f) {
        objects.DestroyObjectEx(copy, "TradeManager", __LINE__);
        return false;
    }
    // The copy stands for the original from now on: the original leaves the player on
    // every peer, and comes back afresh if the trade is cancelled. Only an offer made
    // (and sent) is a change: one refused here must not unfinalize this side alone.
    ClearFinalized();
    m_offered.insert(itemId);
    controller->SendRemoveItemFromInventory(itemId);
    copy->GetItemReplicaInfo(identity);
    if (GameEngineNetworkInterface* network = TradeNetwork())
        network->TradeAddItem(OwnId(), m_partner, sack.PixelsToGrid(place), identity);
    return true;
}

void TradeManager::HandleAddItemInbound(uint32_t player, const Vec2& place, const ItemReplicaInfo& item)
{
    if (!FromPartner(player, "item offer"))
        return;
    ClearFinalized();
    if (m_hisCopies.count(item.objectId) != 0) {
        NetPacketRegistry::DropHandled(kTradeStep, "item %u offered again by player %u; the offer stands once",
                                       item.objectId, player);
        return;
    }
    // A copy of this machine's own: the partner's id may be taken here.
    ItemReplicaInfo identity = item;
    identity.objectId = 0;
    Item* copy = Item::CreateItem(identity);
    if (!copy) {
        NetPacketRegistry::DropHandled(kTradeStep, "item %u offered by player %u cannot be made (%s)", item.objectId,
                                       player, item.baseName.c_str());
        return;
    }
    InventorySack& sack = m_his.GetInventorySack();
    const uint32_t id = copy->GetObjectId();
    bool placed = TradeCellInSack(sack, place) && sack.AddItem(sack.GridToPixels(place), copy, true) &&
                  TradePlaceIsFree(sack, id);
    if (!placed) {
        sack.RemoveItem(id);
        placed = sack.AddItem(copy, true);
    }
    if (!placed) {
        NetPacketRegistry::DropHandled(kTradeStep, "item %u offered by player %u finds no room", item.objectId, player);
        ObjectManager::Get().DestroyObjectEx(copy, "TradeManager", __LINE__);
        return;
    }
    m_hisCopies.emplace(item.objectId, id);
}

bool TradeManager::HandleRemoveItemOutbound(uint32_t itemId)
{
    if (!m_active || m_mine.GetInventorySack().GetInventory().count(itemId) == 0)
        return false;
    ClearFinalized();
    // The copy goes back to the player as an item of its own.
    InventorySack back;
    back.AddItem(ObjectManager::Get().GetObject<Item>(itemId), false);
    back.DeleteAndCreateAllItemsFor(OwnController());
    m_mine.RemoveItem(itemId);
    if (GameEngineNetworkInterface* network = TradeNetwork())
        network->TradeRemoveItem(OwnId(), m_partner, itemId);
    return true;
}

void TradeManager::HandleRemoveItemInbound(uint32_t player, uint32_t itemId)
{
    if (!FromPartner(player, "item withdrawal"))
        return;
    ClearFinalized();
    const auto copy = m_hisCopies.find(itemId);
    if (copy == m_hisCopies.end())
        return;
    m_his.RemoveItem(copy->second);
    m_hisCopies.erase(copy);
}

// ---- Finalizing ------------------------------------------------------------------------------

bool TradeManager::HoldGoldToMoney()
{
    const Player* player = OwnPlayer();
    const uint32_t money = player ? player->GetCurrentMoney() : 0;
    if (m_mine.GetGoldAmount() <= money)
        return false;
    gEngine->Log(LOG_WARNING, "TradeManager: %u gold offered, %u held: the offer is lowered", m_mine.GetGoldAmount(),
                 money);
    HandleSetGoldAmountOutbound(money);
    return true;
}

void TradeManager::HandleFinalizeTradeOutbound()
{
    if (!m_active)
        return;
    HoldGoldToMoney();
    if (GameEngineNetworkInterface* network = TradeNetwork())
        network->TradeFinalize(OwnId(), m_partner);
    m_mine.SetFinalized(true);
    if (m_his.GetFinalized())
        Complete();
}

void TradeManager::HandleFinalizeTradeInbound(uint32_t player)
{
    if (!FromPartner(player, "finalize"))
        return;
    m_his.SetFinalized(true);
    if (m_mine.GetFinalized())
        Complete();
}

bool TradeManager::HoldPartnerGold()
{
    if (!ServesClients() || IsServersOwn(m_partner))
        return true;
    const Player* partner = ServerCopy(m_partner);
    if (partner && m_his.GetGoldAmount() <= partner->GetCurrentMoney())
        return true;
    m_his.SetFinalized(false);
    return NetPacketRegistry::DropHandled(kTradeStep,
                                          "completion with player %u held: it no longer holds the gold it offers",
                                          m_partner);
}

void TradeManager::Complete()
{
    if (!m_active)
        return;
    // The money went elsewhere since the offer: the lowered offer goes out, which asks
    // both sides to finalize again. The server holds a client partner to its money here:
    // the partner must finalize again, which the server checks as it arrives.
    if (HoldGoldToMoney() || !HoldPartnerGold())
        return;
    const uint32_t self = OwnId();
    ControllerPlayer* controller = OwnController();
    m_mine.RemoveItems(controller);
    GiveTradeGold(self, m_his.GetGoldAmount(), true);
    GiveTradeGold(self, m_mine.GetGoldAmount(), false);
    m_his.DeleteAndCreateItemsForPlayer(controller);
    // The client's own machine completes its side for its player; the server's copy of
    // that player follows here.
    if (ServesClients() && !IsServersOwn(m_partner))
        SettleClient(m_partner, m_his.GetGoldAmount(), m_mine.GetGoldAmount());
    const uint32_t partner = m_partner;
    HandleCancelTradeOutbound(partner);
    m_completedWith = partner;
}

// ---- The server's hold on the clients' trade steps -------------------------------------------

void TradeManager::EndClientOffer(uint32_t client)
{
    const auto found = m_clientOffers.find(client);
    if (found != m_clientOffers.end())
        found->second = ClientOffer{found->second.partner, false, 0, false, {}};
}

TradeManager::ClientOffer* TradeManager::RunningClientTrade(uint32_t sender, uint32_t receiver,
                                                            const char*& refusal)
{
    const auto mine = m_clientOffers.find(sender);
    bool running = mine != m_clientOffers.end() && mine->second.partner == receiver && mine->second.opened;
    if (running && IsServersOwn(receiver)) {
        running = m_active && m_partner == sender && receiver == OwnId();
    } else if (running) {
        const auto his = m_clientOffers.find(receiver);
        running = his != m_clientOffers.end() && his->second.partner == sender && his->second.opened;
    }
    if (!running) {
        refusal = "no trade of the two runs";
        return nullptr;
    }
    if (!ServerCopy(sender)) {
        refusal = "its sender is no player here";
        return nullptr;
    }
    return &mine->second;
}

void TradeManager::UnfinalizeClientTrade(uint32_t sender, uint32_t receiver)
{
    for (const auto& [client, partner] : {std::pair{sender, receiver}, std::pair{receiver, sender}}) {
        const auto found = m_clientOffers.find(client);
        if (found != m_clientOffers.end() && found->second.partner == partner)
            found->second.finalized = false;
    }
}

void TradeManager::SettleClient(uint32_t client, uint32_t goldOut, uint32_t goldIn)
{
    Player* player = ServerCopy(client);
    const auto found = m_clientOffers.find(client);
    if (player) {
        player->SubtractMoney(goldOut);
        player->AddMoney(goldIn);
        // An honest client has taken them away by its own command already.
        if (found != m_clientOffers.end())
            for (const auto& [copy, held] : found->second.items)
                if (player->HasItem(held)) {
                    player->TakeItemFromCharacter(held);
                    DestroyTradeCopy(held);
                }
    }
    EndClientOffer(client);
}

const char* TradeManager::AdmitClientInitiate(uint32_t sender, uint32_t receiver)
{
    if (!ServerCopy(sender))
        return "its sender is no player here";
    if (receiver == sender || !ServerCopy(receiver))
        return "it is for no other player here";
    auto found = m_clientOffers.find(sender);
    if (found == m_clientOffers.end()) {
        if (m_clientOffers.size() >= kMaxClientOffers)
            std::erase_if(m_clientOffers, [](const auto& entry) { return !ServerCopy(entry.first); });
        if (m_clientOffers.size() >= kMaxClientOffers)
            return "the server keeps as many trades as it may";
        found = m_clientOffers.emplace(sender, ClientOffer{}).first;
    }
    // The same invitation or acceptance again leaves the offers as they stand.
    ClientOffer& offer = found->second;
    if (offer.partner != receiver || !offer.opened)
        offer = ClientOffer{receiver, true, 0, false, {}};
    return nullptr;
}

// A cancel ends a trade or an invitation between the two, in either direction.
const char* TradeManager::AdmitClientCancel(uint32_t sender, uint32_t receiver)
{
    const auto mine = m_clientOffers.find(sender);
    const auto his = m_clientOffers.find(receiver);
    const bool sendersOwn = mine != m_clientOffers.end() && mine->second.partner == receiver;
    const bool receiversOwn = his != m_clientOffers.end() && his->second.partner == sender;
    const bool ours = IsServersOwn(receiver) && receiver == OwnId() &&
                      (m_partner == sender || GetRequestedPartner() == sender || m_pendingRequester == sender);
    if (!sendersOwn && !receiversOwn && !ours)
        return "no trade or invitation of the two runs";
    if (sendersOwn)
        EndClientOffer(sender);
    if (receiversOwn)
        EndClientOffer(receiver);
    return nullptr;
}

const char* TradeManager::AdmitClientGold(uint32_t sender, uint32_t receiver, uint32_t amount)
{
    const char* refusal = nullptr;
    ClientOffer* offer = RunningClientTrade(sender, receiver, refusal);
    if (!offer)
        return refusal;
    if (amount > ServerCopy(sender)->GetCurrentMoney())
        return "it offers more gold than its player holds";
    offer->gold = amount;
    UnfinalizeClientTrade(sender, receiver);
    return nullptr;
}

// The copy a client offers carries an id of its own: it stands for an item of the same
// identity in the client's bag here that no other offer of it stands for.
const char* TradeManager::AdmitClientItem(uint32_t sender, uint32_t receiver, const ItemReplicaInfo& item)
{
    const char* refusal = nullptr;
    ClientOffer* offer = RunningClientTrade(sender, receiver, refusal);
    if (!offer)
        return refusal;
    if (offer->items.count(item.objectId) != 0)
        return "it offers the same item twice";
    const auto claimed = [offer](uint32_t held) {
        return std::any_of(offer->items.begin(), offer->items.end(),
                           [held](const auto& entry) { return entry.second == held; });
    };
    const Item* held = FindItemByIdentity(
        ServerCopy(sender)->GetInventory().GetInventoryItems(),
        [&](uint32_t id, const ItemReplicaInfo& identity) { return !claimed(id) && StandsFor(item, identity); });
    if (!held)
        return "it offers an item its player does not hold";
    offer->items.emplace(item.objectId, held->GetObjectId());
    UnfinalizeClientTrade(sender, receiver);
    return nullptr;
}

const char* TradeManager::AdmitClientWithdrawal(uint32_t sender, uint32_t receiver, uint32_t itemId)
{
    const char* refusal = nullptr;
    ClientOffer* offer = RunningClientTrade(sender, receiver, refusal);
    if (!offer)
        return refusal;
    if (offer->items.erase(itemId) == 0)
        return "it takes back an item it did not offer";
    UnfinalizeClientTrade(sender, receiver);
    return nullptr;
}

const char* TradeManager::AdmitClientFinalize(uint32_t sender, uint32_t receiver)
{
    const char* refusal = nullptr;
    ClientOffer* offer = RunningClientTrade(sender, receiver, refusal);
    if (!offer)
        return refusal;
    if (offer->gold > ServerCopy(sender)->GetCurrentMoney())
        return "its player no longer holds the gold it offers";
    offer->finalized = true;
    // With the server's own player, this manager completes the trade and settles the
    // client's side (Complete).
    if (IsServersOwn(receiver))
        return nullptr;
    ClientOffer& his = m_clientOffers.find(receiver)->second;
    if (!his.finalized)
        return nullptr;
    // The partner's money went elsewhere since it finalized: its own machine lowers its
    // offer and asks both to finalize again.
    const Player* partner = ServerCopy(receiver);
    if (!partner || his.gold > partner->GetCurrentMoney()) {
        his.finalized = false;
        return nullptr;
    }
    const uint32_t given = offer->gold;
    const uint32_t taken = his.gold;
    SettleClient(sender, given, taken);
    SettleClient(receiver, taken, given);
    return nullptr;
}

}  // namespace GAME
