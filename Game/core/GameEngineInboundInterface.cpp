// The inbound interface: each game-wide operation applied on this machine, by the manager
// or object it concerns. An id that no longer resolves makes an operation do nothing.
#include "Game/core/GameEngineInboundInterface.h"

#include <optional>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PartyManager.h"
#include "Game/core/NetworkRoute.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/items/MarketClient.h"
#include "Game/items/MarketServer.h"
#include "Game/items/TradeManager.h"
#include "Game/quests/DialogManager.h"
#include "Game/quests/QuestNetMsg.h"
#include "Game/quests/QuestRepository.h"
#include "Game/world/FixedItem.h"

namespace GAME {

namespace {

// A trade step is this machine's only when it is for the local player: the manager trades
// for that player alone.
TradeManager* TradesFor(uint32_t toPlayer, uint32_t fromPlayer, const char* step)
{
    if (!gGameEngine)
        return nullptr;
    if (toPlayer == 0 || toPlayer != gGameEngine->GetPlayerId()) {
        NetPacketRegistry::DropHandled("Trade", "%s from player %u to player %u: not this machine's player", step,
                                       fromPlayer, toPlayer);
        return nullptr;
    }
    return gGameEngine->GetTradeManager();
}

PlayerManagerClient* ClientPlayers()
{
    return gGameEngine ? gGameEngine->GetPlayerManagerClient() : nullptr;
}

// Null on a pure client, whose server services module has no roster.
PlayerManagerServer* ServerPlayers()
{
    return gGameEngine ? gGameEngine->GetPlayerManagerServer() : nullptr;
}

MarketClient* MarketClientOf(uint32_t market)
{
    GameEngineClientServicesModule* services = gGameEngine ? gGameEngine->GetClientServices() : nullptr;
    return services ? services->GetMarketClient(market) : nullptr;
}

// Null on a pure client, whose server services module keeps no markets.
MarketServer* MarketServerOf(uint32_t market)
{
    GameEngineServerServicesModuleBase* services = gGameEngine ? gGameEngine->GetServerServices() : nullptr;
    return services ? services->GetMarketServer(market) : nullptr;
}

template <class T>
T* Lookup(uint32_t id)
{
    return ObjectManager::Get().GetObject<T>(id);
}

// A remote message is shown as a notification or as a message box that needs no answer.
void ShowRemoteMessage(const std::u16string& text, bool asNotification)
{
    if (!gGameEngine)
        return;
    if (asNotification)
        gGameEngine->AddUINotification(UINotificationType_PlayerMessage, text, false);
    else
        gGameEngine->GetDialogManager().AddDialog(kDialogTypeMessage, false, DialogParty::kNoAnswer, text, true,
                                                  true);
}

}  // namespace

// ---- Trade and gold --------------------------------------------------------------------

void GameEngineInboundInterface::TradeInitiate(uint32_t fromPlayer, uint32_t toPlayer)
{
    if (TradeManager* trades = TradesFor(toPlayer, fromPlayer, "invitation"))
        trades->HandleInitiateTradeInbound(fromPlayer);
}

void GameEngineInboundInterface::TradeCancel(uint32_t fromPlayer, uint32_t toPlayer)
{
    if (TradeManager* trades = TradesFor(toPlayer, fromPlayer, "cancel"))
        trades->HandleCancelTradeInbound(fromPlayer);
}

void GameEngineInboundInterface::TradeFinalize(uint32_t fromPlayer, uint32_t toPlayer)
{
    if (TradeManager* trades = TradesFor(toPlayer, fromPlayer, "finalize"))
        trades->HandleFinalizeTradeInbound(fromPlayer);
}

void GameEngineInboundInterface::TradeAddItem(uint32_t fromPlayer, uint32_t toPlayer, const Vec2& place,
                                              const ItemReplicaInfo& item)
{
    if (TradeManager* trades = TradesFor(toPlayer, fromPlayer, "item offer"))
        trades->HandleAddItemInbound(fromPlayer, place, item);
}

void GameEngineInboundInterface::TradeRemoveItem(uint32_t fromPlayer, uint32_t toPlayer, uint32_t itemId)
{
    if (TradeManager* trades = TradesFor(toPlayer, fromPlayer, "item withdrawal"))
        trades->HandleRemoveItemInbound(fromPlayer, itemId);
}

void GameEngineInboundInterface::TradeSetGoldAmount(uint32_t fromPlayer, uint32_t toPlayer, uint32_t amount)
{
    if (TradeManager* trades = TradesFor(toPlayer, fromPlayer, "gold offer"))
        trades->HandleSetGoldAmountInbound(fromPlayer, amount);
}

// An amount below 1 is taken as its magnitude, worked out in unsigned arithmetic so
// that the most negative amount has one too.
void GameEngineInboundInterface::GiveGoldToPlayer(uint32_t player, int amount)
{
    Player* target = Lookup<Player>(player);
    if (!target)
        return;
    if (amount >= 1)
        target->AddMoney(static_cast<uint32_t>(amount));
    else
        target->SubtractMoney(0u - static_cast<uint32_t>(amount));
}

// ---- Portals -----------------------------------------------------------------------------

void GameEngineInboundInterface::CreateFixedItemTeleport(const WorldCoords& where, uint32_t owner,
                                                         uint32_t teleportId, const std::string& recordName,
                                                         uint32_t)
{
    if (gGameEngine)
        gGameEngine->CreateFixedItemTeleportNetHook(where, owner, teleportId, recordName);
}

void GameEngineInboundInterface::DestroyFixedItemTeleport(uint32_t teleportId)
{
    if (gGameEngine)
        gGameEngine->DestroyFixedItemTeleportNetHook(teleportId);
}

// ---- Roster and rewards --------------------------------------------------------------------

void GameEngineInboundInterface::StoC_AllPlayersHeartbeat(const std::vector<PlayerNetHeartbeatInfo>& heartbeats)
{
    if (PlayerManagerClient* players = ClientPlayers())
        players->HandlePlayerHeartbeatInbound(heartbeats);
}

void GameEngineInboundInterface::CtoS_SinglePlayerHeartbeat(const PlayerNetHeartbeatInfo& heartbeat)
{
    if (PlayerManagerServer* players = ServerPlayers())
        players->HandlePlayerHeartbeatInbound(heartbeat);
}

void GameEngineInboundInterface::StoC_AllPlayersUpdate(const std::vector<PlayerNetBasicInfo>& players)
{
    if (PlayerManagerClient* roster = ClientPlayers())
        roster->HandlePlayerUpdate(players);
}

void GameEngineInboundInterface::CtoS_AddNewPlayer(const PlayerNetBasicInfo& player)
{
    if (PlayerManagerServer* roster = ServerPlayers())
        roster->HandleNewPlayer(player);
}

void GameEngineInboundInterface::HandleBonusToClient(const Bonus& bonus, const uint32_t&)
{
    if (PlayerManagerClient* players = ClientPlayers())
        players->HandleBonus(bonus);
}

// A machine's report for its player is checked before anything of it is shared; the
// host's own kills reach the sharing through GameEngine::HandleBonusToServerInbound.
void GameEngineInboundInterface::HandleBonusToServer(const Bonus& bonus, const WorldVec3& where,
                                                     const uint32_t& player)
{
    if (PlayerManagerServer* roster = ServerPlayers())
        roster->HandleReportedBonus(bonus, where, player);
}

void GameEngineInboundInterface::HandleQuestMessagePacket(uint32_t sender, bool isConditionSet,
                                                          const std::vector<uint32_t>& message, uint32_t)
{
    QuestRepository* quests = QuestRepository::Get();
    if (!quests->MaySend(sender, isConditionSet, message))
        return;
    if (isConditionSet) {
        quests->RecvConditionSet(message);
        return;
    }
    // The quest data asked for goes to the asker alone: every other machine has it.
    constexpr NetOperation kQuest = NetOperation::HandleQuestMessagePacket;
    std::optional<NetRequestScope> answer;
    if (!message.empty() && message[0] == QuestNetMsg::kRequestData)
        answer.emplace(kQuest, ConnectionManager::HostOfPlayer(sender), kQuest);
    quests->RecvNetMsg(message);
}

// ---- Party and balance -------------------------------------------------------------------

// A leader who joins another party hands its own party on. Whether it led one is read
// before the roster takes the new party: afterwards the roster names the new one.
void GameEngineInboundInterface::AddPlayerToParty(uint32_t player, int party)
{
    if (!gGameEngine)
        return;
    PartyManager* parties = gGameEngine->GetPartyManager();
    const bool leavesOwnParty = player == gGameEngine->GetPlayerId() && gGameEngine->GetMainPlayer() &&
                                parties->GetParty(player) == player && static_cast<uint32_t>(party) != player;
    if (PlayerManagerClient* players = ClientPlayers())
        players->AddPlayerToParty(player, party);
    if (PlayerManagerServer* players = ServerPlayers())
        players->AddPlayerToParty(player, party);
    if (leavesOwnParty)
        parties->ReassignRemainingParty();
}

void GameEngineInboundInterface::InvitePlayerToParty(uint32_t player, int party)
{
    if (gGameEngine)
        gGameEngine->GetPartyManager()->HandlePartyInvite(player, party);
}

void GameEngineInboundInterface::GameBalanceUpdate(int level)
{
    if (gGameEngine)
        gGameEngine->SetGameBalanceLevel(level);
}

// ---- Markets -------------------------------------------------------------------------------

void GameEngineInboundInterface::S2C_MarketUpdate(uint32_t market, const std::string& marketRecord, uint32_t level,
                                                  uint32_t seed, const std::vector<uint32_t>& unavailable)
{
    if (MarketClient* client = MarketClientOf(market))
        client->S2C_MarketUpdate(marketRecord, level, seed, unavailable);
}

void GameEngineInboundInterface::S2C_MarketPurchaseConfirmation(uint32_t market, uint32_t itemIndex, uint32_t player)
{
    if (MarketClient* client = MarketClientOf(market))
        client->S2C_MarketPurchaseConfirmation(itemIndex, player);
}

void GameEngineInboundInterface::S2C_MarketPurchaseDenied(uint32_t market, uint32_t itemIndex, uint32_t player,
                                                          MarketItemStatus status)
{
    if (MarketClient* client = MarketClientOf(market))
        client->S2C_MarketPurchaseDenied(itemIndex, player, status);
}

void GameEngineInboundInterface::S2C_MarketItemStatusUpdate(uint32_t market, uint32_t itemIndex,
                                                            MarketItemStatus status)
{
    if (MarketClient* client = MarketClientOf(market))
        client->S2C_MarketItemStatusUpdate(itemIndex, status);
}

void GameEngineInboundInterface::C2S_MarketPurchaseRequest(uint32_t market, uint32_t level, uint32_t seed,
                                                           uint32_t itemIndex, uint32_t player)
{
    if (MarketServer* server = MarketServerOf(market))
        server->C2S_MarketPurchaseRequest(level, seed, itemIndex, player);
}

void GameEngineInboundInterface::C2S_MarketSellBack(uint32_t market, uint32_t level, uint32_t seed,
                                                    uint32_t itemIndex, uint32_t player)
{
    if (MarketServer* server = MarketServerOf(market))
        server->C2S_MarketSellBack(level, seed, itemIndex, player);
}

void GameEngineInboundInterface::C2S_MarketUpdateRequest(uint32_t market)
{
    if (MarketServer* server = MarketServerOf(market))
        server->C2S_MarketUpdateRequest();
}

// ---- Messages and chat ---------------------------------------------------------------------

// The tag was chosen by a peer: it is filled with the player's name only when its format
// takes one (otherwise shown as it stands); without a player it is shown through
// "SimpleStringFormat".
void GameEngineInboundInterface::DisplayMessageRemote(uint32_t, uint32_t aboutPlayer, bool asNotification,
                                                      const std::string& textTag)
{
    std::u16string text;
    if (aboutPlayer != 0) {
        const PlayerManagerClient* players = ClientPlayers();
        text = TagTextWithName(textTag, players ? players->GetPlayerName(aboutPlayer) : std::u16string());
    } else {
        text = SimpleTagText(textTag);
    }
    ShowRemoteMessage(text, asNotification);
}

void GameEngineInboundInterface::DisplayWMessageRemote(uint32_t, bool asNotification, const std::u16string& text)
{
    ShowRemoteMessage(text, asNotification);
}

void GameEngineInboundInterface::HandleChatMessage(const std::u16string& sender, const std::u16string& text,
                                                   unsigned char kind, std::vector<uint32_t>)
{
    if (gGameEngine)
        gGameEngine->AddChatMessage(sender, text, kind);
}

// ---- Quest commands ------------------------------------------------------------------------

void GameEngineInboundInterface::QuestCommandMove(uint32_t character, uint32_t value, WorldVec3 target, bool flag)
{
    if (Character* commanded = Lookup<Character>(character))
        commanded->QuestCommandMove(value, target, flag);
}

void GameEngineInboundInterface::QuestCommandWalk(uint32_t character, uint32_t value, WorldVec3 target, bool flag)
{
    if (Character* commanded = Lookup<Character>(character))
        commanded->QuestCommandWalk(value, target, flag);
}

void GameEngineInboundInterface::QuestCommandPlayAnimation(uint32_t character, uint32_t value, bool first,
                                                           bool second)
{
    if (Character* commanded = Lookup<Character>(character))
        commanded->QuestCommandPlayAnimation(value, first, second);
}

void GameEngineInboundInterface::QuestCommandUseSkill(uint32_t character, const std::string& skillName,
                                                      uint32_t value, bool flag)
{
    if (Character* commanded = Lookup<Character>(character))
        commanded->QuestCommandUseSkill(skillName, value, flag);
}

void GameEngineInboundInterface::QuestCommandLockFixedItem(uint32_t fixedItem, bool locked)
{
    if (FixedItem* item = Lookup<FixedItem>(fixedItem))
        item->SetLock(locked);
}

}  // namespace GAME
