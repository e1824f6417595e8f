#include "Game/core/NetworkRoute.h"

#include <array>
#include <cstdarg>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacket.h"
#include "Game/core/ClientCreations.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/QuestPackets.h"
#include "Game/quests/QuestNetMsg.h"

namespace GAME {

namespace {

struct RouteEntry {
    NetOperation operation;
    NetRoute route;
    NetSender sender;
    NetSpeaker speaker;
};

using enum NetOperation;
using enum NetRoute;
using enum NetSender;
using enum NetSpeaker;

// Trades, invitations and remote messages name the player they are for; the host's
// rewards, gold and purchase answers too. The roster, the balance level and the market
// news are the host's, and every machine applies them, the host included. Items,
// entities, portals, quest messages, party membership and chat change every machine's
// game, whoever starts them; a client's quest commands ask the host to move its characters
// and lock its fixed items (the host applies its own at once).
// A client speaks for its own players, the objects it made, its own heartbeat, answers
// and requests, and makes only what its own play makes. Only the host hears a client
// leave, and tells the others.
constexpr std::array<RouteEntry, static_cast<size_t>(Count)> kRoutes{{
    {TradeInitiate, ToPlayer, Either, OwnIds},
    {TradeCancel, ToPlayer, Either, OwnIds},
    {TradeFinalize, ToPlayer, Either, OwnIds},
    {TradeAddItem, ToPlayer, Either, OwnIds},
    {TradeRemoveItem, ToPlayer, Either, OwnIds},
    {TradeSetGoldAmount, ToPlayer, Either, OwnIds},
    {GiveGoldToPlayer, ToPlayer, Server, None},
    {CreateItem, ToPeers, Either, Creation},
    {CreateEntity, ToPeers, Either, Creation},
    {CreateFixedItemTeleport, ToPlayer, Either, Creation},
    {DestroyFixedItemTeleport, ToPeers, Either, OwnIds},
    {StoC_AllPlayersHeartbeat, ToPeers, Server, None},
    {CtoS_SinglePlayerHeartbeat, ToServer, Client, OwnIds},
    {StoC_AllPlayersUpdate, ToPeers, Server, None},
    {CtoS_AddNewPlayer, ToServer, Client, Newcomer},
    {HandleBonusToClient, ToPlayer, Server, None},
    {HandleBonusToServer, ToServer, Client, OwnIds},
    {HandleQuestMessagePacket, ToPeers, Either, OwnIds},
    {AddPlayerToParty, ToPeers, Either, PartyChange},
    {InvitePlayerToParty, ToPlayer, Either, OwnIds},
    {GameBalanceUpdate, ToPeers, Server, None},
    {S2C_MarketUpdate, ToPeers, Server, None},
    {S2C_MarketPurchaseConfirmation, ToPlayer, Server, None},
    {S2C_MarketPurchaseDenied, ToPlayer, Server, None},
    {S2C_MarketItemStatusUpdate, ToPeers, Server, None},
    {C2S_MarketPurchaseRequest, ToServer, Client, OwnIds},
    {C2S_MarketSellBack, ToServer, Client, OwnIds},
    {C2S_MarketUpdateRequest, ToServer, Client, None},
    {DisplayMessageRemote, ToPlayer, Either, None},
    {DisplayWMessageRemote, ToPlayer, Either, None},
    {HandleChatMessage, ToPeers, Either, InGame},
    {QuestCommandMove, ToServer, Client, None},
    {QuestCommandWalk, ToServer, Client, None},
    {QuestCommandPlayAnimation, ToServer, Client, None},
    {QuestCommandUseSkill, ToServer, Client, None},
    {QuestCommandLockFixedItem, ToServer, Client, None},
    {SendPartyRequestResponse, ToServer, Client, OwnIds},
    {CtoS_StartTeleport, ToServer, Client, OwnIds},
    {StoC_StartTeleport, ToAllClients, Server, None},
    {ServerPropegateTeleport, ToPlayer, Server, None},
    {CtoS_NRLoaderStateChange, ToServer, Client, OwnIds},
    {StoC_NRLoaderStateChange, ToAllClients, Server, None},
    {CtoS_InitiateServerRespawnLoader, ToServer, Client, OwnIds},
    {StoC_RemovePlayerFromGame, ToAllClients, Server, None},
}};

constexpr bool RoutesAreConsistent()
{
    for (size_t i = 0; i < kRoutes.size(); ++i) {
        const RouteEntry& entry = kRoutes[i];
        if (static_cast<size_t>(entry.operation) != i)
            return false;
        // Only clients ask the host; only the host tells the clients alone; the host
        // speaks for itself.
        if ((entry.route == ToServer) != (entry.sender == Client))
            return false;
        if (entry.route == ToAllClients && entry.sender != Server)
            return false;
        if (entry.sender == Server && entry.speaker != None)
            return false;
    }
    return true;
}
static_assert(RoutesAreConsistent(), "one route per operation, in the order of NetOperation, each consistent");

// The requests that make the host answer, work for the asker at once or pass a line on to
// every other client, and how often a client may ask each: a burst at once, then so many a
// second. Honest play asks each a few times a minute (a merchant's stock as its shop opens,
// a purchase a click, a chat line as it is typed, a portal as its player opens one); a
// client past its budget is refused until it has waited.
struct AnsweredRequest {
    NetOperation request;
    ConnectionManager::RequestRate rate;
};
constexpr ConnectionManager::RequestRate kRequestRate{32, 16};
constexpr std::array<AnsweredRequest, 10> kAnsweredRequests{{
    {C2S_MarketUpdateRequest, kRequestRate},
    {C2S_MarketPurchaseRequest, kRequestRate},
    {C2S_MarketSellBack, kRequestRate},
    {CtoS_AddNewPlayer, kRequestRate},
    {HandleBonusToServer, kRequestRate},
    {CtoS_StartTeleport, kRequestRate},
    {CtoS_InitiateServerRespawnLoader, kRequestRate},
    {HandleChatMessage, kRequestRate},
    {CreateFixedItemTeleport, kRequestRate},
    {DestroyFixedItemTeleport, kRequestRate},
}};

// A quest message that asks the host for the quest data (the conditions satisfied on other
// machines and the proxies' spawns, each answer many packets) is a request of its own among
// the quest messages, which otherwise tell every machine of a quest step: the host answers
// it to the asker alone (NetRequestScope with its answer), passes it on to nobody, and counts it against a
// budget of its own. A client asks once as it joins.
constexpr ConnectionManager::RequestRate kQuestDataRate{4, 1};
constexpr unsigned kQuestDataBudget = static_cast<unsigned>(Count);   // a budget no operation has

// A client's runs and walks, which the host follows with a path search each and passes on
// to every other client. Its player's controller sends one for each click it handles: a
// hand clicks a few times a second, but a held button is handled again every frame of the
// client (a run each frame while the pointer sweeps round the player), and the host's own
// client runs a frame every 4 ms at the fastest: 250 a second. Its pets' minds add a run
// as they chase. The budget is its host's, for all its characters together.
constexpr ConnectionManager::RequestRate kMoveRate{256, 256};
constexpr unsigned kMoveBudget = static_cast<unsigned>(Count) + 1;   // a budget no operation has

bool AsksForQuestData(NetOperation operation, NetPacket& packet)
{
    if (operation != HandleQuestMessagePacket)
        return false;
    const auto* quest = DynamicCast<QuestMessagePacket>(&packet);
    return quest && !quest->isConditionSet && !quest->data.empty() && quest->data[0] == QuestNetMsg::kRequestData;
}

// What the host sends while it applies a client's request and is that client's alone,
// though the same operation sent of the host's own accord goes to everyone: a market's
// stock asked for is told to the asker (a new stock, from a refresh, to every machine).
struct Answer {
    NetOperation request;
    NetOperation answer;
};
constexpr std::array<Answer, 1> kAnswers{{
    {C2S_MarketUpdateRequest, S2C_MarketUpdate},
}};

// The client request the host is applying now, if any (see NetRequestScope), and the
// operation that answers it to the requester alone where the request names it itself.
struct Answering {
    NetOperation request = Count;
    int requester = -1;
    NetOperation answer = Count;
};
thread_local Answering tAnswering;

bool IsAnswerToRequester(NetOperation operation)
{
    if (tAnswering.answer == operation)
        return tAnswering.requester > ConnectionManager::kServerHost;
    for (const Answer& answer : kAnswers)
        if (answer.request == tAnswering.request && answer.answer == operation)
            return tAnswering.requester > ConnectionManager::kServerHost;
    return false;
}

const RouteEntry& EntryOf(NetOperation operation)
{
    const auto index = static_cast<size_t>(operation);
    return kRoutes[index < kRoutes.size() ? index : 0];
}

NetworkRole CurrentRole()
{
    return gGameEngine ? gGameEngine->GetNetworkRole() : NetworkRole::Single;
}

// A client's own host number; until it has one (host 0 is the server's), nothing is
// taken for its own.
bool IsOwnClientHost(int host)
{
    const int local = ConnectionManager::Get().GetLocalHostId();
    return local != ConnectionManager::kServerHost && host == local;
}

// Alone there is nobody to apply anything for: the engine's own operations still go to
// the connection manager along their routes, as the host would send them.
bool RouteAlone(NetRoute route, NetPacket& packet, uint32_t addressee)
{
    ConnectionManager& connections = ConnectionManager::Get();
    switch (route) {
    case ToServer:
        connections.SendToServer(packet);
        break;
    case ToPlayer:
        connections.SendToPlayer(addressee, packet);
        break;
    case ToAllClients:
    case ToPeers:
        connections.SendToAllClients(packet);
        break;
    }
    return false;
}

bool RouteFromServer(NetOperation operation, NetRoute route, NetPacket& packet, uint32_t addressee)
{
    ConnectionManager& connections = ConnectionManager::Get();
    if (IsAnswerToRequester(operation)) {
        connections.SendToHost(tAnswering.requester, packet);
        return false;
    }
    switch (route) {
    case ToServer:
        return true;
    case ToAllClients:
        connections.SendToAllClients(packet);
        return false;
    case ToPlayer:
        if (ConnectionManager::HostOfPlayer(addressee) == ConnectionManager::kServerHost)
            return true;
        connections.SendToPlayer(addressee, packet);
        return false;
    case ToPeers:
        connections.SendToAllClients(packet);
        return true;
    }
    return false;
}

bool RouteFromClient(NetRoute route, NetPacket& packet, uint32_t addressee)
{
    ConnectionManager& connections = ConnectionManager::Get();
    switch (route) {
    case ToServer:
        connections.SendToServer(packet);
        return false;
    case ToPlayer:
        if (IsOwnClientHost(ConnectionManager::HostOfPlayer(addressee)))
            return true;
        connections.SendToPlayer(addressee, packet);
        return false;
    case ToPeers:
        connections.SendToServer(packet);
        return true;
    case ToAllClients:
        break;   // the host's alone: refused before
    }
    return false;
}

bool Drop(const NetPacket& packet, int fromHost, const char* reason)
{
    return DropReceived(packet, fromHost, reason);
}

// Every id a client's packet speaks for is one of its own.
bool SpeaksForOwnIds(const NetPacket& packet, int fromHost, const NetClaim& claim)
{
    if (claim.ids.empty())
        return Drop(packet, fromHost, "it names nothing it speaks for");
    for (uint32_t id : claim.ids) {
        if (ConnectionManager::HostOfPlayer(id) != fromHost)
            return DropReceivedFormatted(packet, fromHost, "it speaks for %u, which is not the host's", id);
    }
    return true;
}

// The sender's player in the roster; 0 while it has none.
uint32_t PlayerOfHost(int host)
{
    const PlayerManagerClient* players = gGameEngine->GetPlayerManagerClient();
    return players ? players->GetPlayerIdFromHostId(host) : 0;
}

// A host joins with its own player, once; the same join again changes nothing.
bool JoinsWithItsFirstPlayer(const NetPacket& packet, int fromHost, const NetClaim& claim)
{
    if (!SpeaksForOwnIds(packet, fromHost, claim))
        return false;
    const uint32_t present = PlayerOfHost(fromHost);
    if (present == 0 || present == claim.ids.front())
        return true;
    return DropReceivedFormatted(packet, fromHost, "the host already has player %u in the game", present);
}

// A party change is made by the client's player in the roster.
bool MakesAllowedPartyChange(const NetPacket& packet, int fromHost, const NetClaim& claim)
{
    if (claim.ids.size() != 2)
        return Drop(packet, fromHost, "it names no party change");
    const uint32_t changer = PlayerOfHost(fromHost);
    const uint32_t player = claim.ids[0];
    const uint32_t party = claim.ids[1];
    if (changer != 0 && gGameEngine->GetPartyManager()->MayChangeParty(changer, player, party))
        return true;
    return DropReceivedFormatted(packet, fromHost, "its player may not move player %u to party %u", player, party);
}

// A client's item, entity or portal is its own, one its play makes, and within its quota.
// A portal's claim names its owner, then the portal; the packet says where it stands.
bool CreatesWhatItsPlayMakes(NetOperation operation, NetPacket& packet, int fromHost, const NetClaim& claim)
{
    if (!SpeaksForOwnIds(packet, fromHost, claim))
        return false;
    const uint32_t objectId = claim.ids.front();
    const char* refusal = nullptr;
    switch (operation) {
    case CreateEntity:
        refusal = RefuseClientEntity(fromHost, PlayerOfHost(fromHost), claim.record, objectId);
        break;
    case CreateFixedItemTeleport: {
        const auto* portal = DynamicCast<CreateItemTeleportPacket>(&packet);
        refusal = !portal || claim.ids.size() != 2
                      ? "it names no portal and owner"
                      : RefuseClientPortal(fromHost, PlayerOfHost(fromHost), claim.ids[0], claim.ids[1], portal->coords);
        break;
    }
    default: {
        // An item put into the world is one its player holds, and lands within its reach
        // (what is passed on says where); one for a character counts towards the quota.
        auto* item = DynamicCast<CreateItemPacket>(&packet);
        if (!item || item->characterId != 0) {
            refusal = RefuseClientItem(fromHost, objectId);
            break;
        }
        bool moved = false;
        refusal = RefuseClientDrop(fromHost, PlayerOfHost(fromHost), item->item, item->coords, moved);
        if (moved)
            NetDropLog::Note(packet.GetClassName(), fromHost, "drop out of reach",
                             "it puts an item into the world out of its player's reach; it lands where the server has "
                             "its player instead",
                             "amended");
        break;
    }
    }
    return refusal ? Drop(packet, fromHost, refusal) : true;
}

bool SaysOnlyItsOwn(NetOperation operation, NetPacket& packet, int fromHost, const NetClaim& claim)
{
    switch (SpeakerOf(operation)) {
    case None:
        return true;
    case OwnIds:
        return SpeaksForOwnIds(packet, fromHost, claim);
    case Newcomer:
        return JoinsWithItsFirstPlayer(packet, fromHost, claim);
    case PartyChange:
        return MakesAllowedPartyChange(packet, fromHost, claim);
    case InGame:
        return PlayerOfHost(fromHost) != 0 || Drop(packet, fromHost, "the host has no player in the game");
    case Creation:
        return CreatesWhatItsPlayMakes(operation, packet, fromHost, claim);
    }
    return false;
}

// A client's request within its budget (kAnsweredRequests, and the quest data's); any other
// operation is not counted.
bool AsksWithinItsBudget(NetOperation operation, NetPacket& packet, int fromHost)
{
    if (AsksForQuestData(operation, packet))
        return ConnectionManager::Get().TakeRequest(fromHost, kQuestDataBudget, kQuestDataRate) ||
               Drop(packet, fromHost, "it asks for the quest data more than once a second");
    for (const AnsweredRequest& request : kAnsweredRequests)
        if (request.request == operation &&
            !ConnectionManager::Get().TakeRequest(fromHost, static_cast<unsigned>(operation), request.rate))
            return DropReceivedFormatted(packet, fromHost, "it asks more than %u times a second", request.rate.perSecond);
    return true;
}

// The host's part in what a client sent: it applies what is for it or for everyone, and
// passes on what is for the other clients.
bool AdmitOnServer(NetOperation operation, NetPacket& packet, int fromHost, const NetClaim& claim)
{
    ConnectionManager& connections = ConnectionManager::Get();
    if (!connections.IsClientConnected(fromHost))
        return Drop(packet, fromHost, "the host is not a connected client");
    if (SenderOf(operation) == Server)
        return Drop(packet, fromHost, "only the server sends it");
    if (!SaysOnlyItsOwn(operation, packet, fromHost, claim) || !AsksWithinItsBudget(operation, packet, fromHost))
        return false;
    if (operation == InvitePlayerToParty)   // a join answers only an invitation seen here
        gGameEngine->GetPartyManager()->NoteInvitation(claim.addressee, claim.ids.front());
    NetRoute route = RouteOf(operation);
    if (route == ToPlayer && claim.addressee == 0)
        route = ToPeers;
    // The host answers a request for the quest data; a conversation start it tells the
    // other clients of itself, once it has seen the talk (QuestConditions.h).
    if (operation == HandleQuestMessagePacket)
        route = ToServer;
    switch (route) {
    case ToServer:
        return true;
    case ToPlayer: {
        const int host = ConnectionManager::HostOfPlayer(claim.addressee);
        if (host == ConnectionManager::kServerHost)
            return true;
        if (host == fromHost)
            return Drop(packet, fromHost, "it is for the sender's own host");
        connections.SendToHost(host, packet);
        return false;
    }
    case ToPeers:
        connections.SendToOtherClients(fromHost, packet);
        return true;
    case ToAllClients:
        break;   // the host's alone: refused above
    }
    return false;
}

bool AdmitOnClient(NetOperation operation, const NetPacket& packet, int fromHost)
{
    if (fromHost != ConnectionManager::kServerHost)
        return Drop(packet, fromHost, "a client hears only the server");
    if (SenderOf(operation) == Client)
        return Drop(packet, fromHost, "only a client sends it");
    return true;
}

}  // namespace

bool DropReceived(const NetPacket& packet, int fromHost, const char* reason)
{
    return NetDropLog::Note(packet.GetClassName(), fromHost, reason, reason);
}

bool DropReceivedFormatted(const NetPacket& packet, int fromHost, const char* reasonFormat, ...)
{
    va_list arguments;
    va_start(arguments, reasonFormat);
    LogNetDropV(packet.GetClassName(), fromHost, reasonFormat, arguments);
    va_end(arguments);
    return false;
}

bool MovesWithinItsBudget(const NetPacket& packet, int fromHost)
{
    return ConnectionManager::Get().TakeRequest(fromHost, kMoveBudget, kMoveRate) ||
           DropReceivedFormatted(packet, fromHost, "it runs more than %u times a second", kMoveRate.perSecond);
}

NetRequestScope::NetRequestScope(NetOperation request, int fromHost, NetOperation answer)
    : m_outerRequest(tAnswering.request), m_outerRequester(tAnswering.requester), m_outerAnswer(tAnswering.answer)
{
    tAnswering = {request, fromHost, answer};
}

NetRequestScope::~NetRequestScope()
{
    tAnswering = {m_outerRequest, m_outerRequester, m_outerAnswer};
}

NetRoute RouteOf(NetOperation operation)
{
    return EntryOf(operation).route;
}

NetSender SenderOf(NetOperation operation)
{
    return EntryOf(operation).sender;
}

NetSpeaker SpeakerOf(NetOperation operation)
{
    return EntryOf(operation).speaker;
}

bool RouteOperation(NetOperation operation, NetPacket& packet, uint32_t addressee)
{
    NetRoute route = RouteOf(operation);
    if (route == ToPlayer && addressee == 0)
        route = ToPeers;
    switch (CurrentRole()) {
    case NetworkRole::Single:
        return RouteAlone(route, packet, addressee);
    case NetworkRole::Server:
        return RouteFromServer(operation, route, packet, addressee);
    case NetworkRole::Client:
        if (SenderOf(operation) == Server)
            break;
        return RouteFromClient(route, packet, addressee);
    }
    gEngine->Log(LOG_WARNING, "%s not sent: this role does not send it", packet.GetClassName());
    return false;
}

NetOperation HeardOperation(const std::vector<NetOperation>& candidates, int fromHost)
{
    const NetSender heardFrom = fromHost == ConnectionManager::kServerHost ? Server : Client;
    for (NetOperation candidate : candidates)
        if (SenderOf(candidate) == heardFrom || SenderOf(candidate) == Either)
            return candidate;
    return candidates.empty() ? Count : candidates.front();
}

bool AdmitReceived(NetOperation operation, NetPacket& packet, int fromHost, const NetClaim& claim)
{
    if (static_cast<size_t>(operation) >= kRoutes.size())
        return Drop(packet, fromHost, "it carries no game-wide operation");
    switch (CurrentRole()) {
    case NetworkRole::Single:
        return Drop(packet, fromHost, "this game has no peers");
    case NetworkRole::Server:
        return AdmitOnServer(operation, packet, fromHost, claim);
    case NetworkRole::Client:
        return AdmitOnClient(operation, packet, fromHost);
    }
    return false;
}

}  // namespace GAME
