// Where each game-wide operation goes when it is sent, who may send it, and what a
// received one must show before it is applied: decided once for every operation, here.
//
// Routes:
//   ToServer      an operation a client asks of the host; the host applies its own at once
//   ToAllClients  the host's news for the clients only
//   ToPlayer      an operation for one player, applied on that player's host (top 4 bits
//                 of the id); a client reaches another client through the server, which
//                 passes it on. An addressee of 0 means every machine (ToPeers).
//   ToPeers       an operation every machine applies, the sender included: from the host
//                 to all clients; from a client to the host, which applies it and passes
//                 it on to the other clients, never back to the sender
//
// Senders: the host only, clients only, or either. The host applies a client's packet only
// when the client is connected, a client may send its operation, and the packet speaks
// only for what is the client's own: every id it names as the sender's (its player, its
// heartbeat, its answer, the objects it made) carries the client's host number in its top
// four bits, a host joins the game with one player, a party change is one the client's
// player may make, an item, entity or portal it has made is one its play makes, within its
// host's quota (ClientCreations.h), and a chat line comes from a host whose player is in
// the game. Requests that make the host answer or pass a line on to every client are
// limited per host to a few a second, and while the host applies one, what answers it goes
// to the asker alone where the game's rules do not tell everyone. A client applies only what the server sends. Whatever fails is dropped and
// logged with the sender through the drop log (NetDropLog.h: one line per host, packet and
// reason a second, with the count).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace GAME {

class NetPacket;

enum class NetRoute : uint8_t { ToServer, ToAllClients, ToPlayer, ToPeers };

// Who may send an operation.
enum class NetSender : uint8_t { Server, Client, Either };

// What a client's packet of an operation must show (see NetClaim).
enum class NetSpeaker : uint8_t {
    None,          // nothing: anyone who may send it may say it
    OwnIds,        // every claimed id carries the sender's host number
    Newcomer,      // as OwnIds, and the sender has no other player in the game: one per host
    PartyChange,   // the claimed player and party make a change the sender's player may make
    InGame,        // the sender's player is in the game (a chat line goes under its name)
    Creation,      // as OwnIds, and what it creates is what the sender's play makes, within
                   // the host's quota of live objects (ClientCreations.h); a portal is its
                   // player's own
};

// Every operation that sends a packet: the 36 of the network interface in their order,
// then those the game engine sends itself.
enum class NetOperation : uint8_t {
    TradeInitiate,
    TradeCancel,
    TradeFinalize,
    TradeAddItem,
    TradeRemoveItem,
    TradeSetGoldAmount,
    GiveGoldToPlayer,
    CreateItem,
    CreateEntity,
    CreateFixedItemTeleport,
    DestroyFixedItemTeleport,
    StoC_AllPlayersHeartbeat,
    CtoS_SinglePlayerHeartbeat,
    StoC_AllPlayersUpdate,
    CtoS_AddNewPlayer,
    HandleBonusToClient,
    HandleBonusToServer,
    HandleQuestMessagePacket,
    AddPlayerToParty,
    InvitePlayerToParty,
    GameBalanceUpdate,
    S2C_MarketUpdate,
    S2C_MarketPurchaseConfirmation,
    S2C_MarketPurchaseDenied,
    S2C_MarketItemStatusUpdate,
    C2S_MarketPurchaseRequest,
    C2S_MarketSellBack,
    C2S_MarketUpdateRequest,
    DisplayMessageRemote,
    DisplayWMessageRemote,
    HandleChatMessage,
    QuestCommandMove,
    QuestCommandWalk,
    QuestCommandPlayAnimation,
    QuestCommandUseSkill,
    QuestCommandLockFixedItem,
    SendPartyRequestResponse,
    CtoS_StartTeleport,
    StoC_StartTeleport,
    ServerPropegateTeleport,
    CtoS_NRLoaderStateChange,
    StoC_NRLoaderStateChange,
    CtoS_InitiateServerRespawnLoader,
    StoC_RemovePlayerFromGame,
    Count,
};

NetRoute RouteOf(NetOperation operation);
NetSender SenderOf(NetOperation operation);
NetSpeaker SpeakerOf(NetOperation operation);

// Sends the packet of one operation along its route through the engine's connection
// manager; `addressee` is the player a ToPlayer operation is for. Returns whether this
// machine applies the operation itself: the host its own ToServer operations and what
// every machine applies, any machine what is addressed to one of its own players. An
// operation this role may not send is neither sent nor applied (logged).
bool RouteOperation(NetOperation operation, NetPacket& packet, uint32_t addressee);

// Sends the operation and, where it applies on this machine too, calls `applyHere`
// afterwards, so that whatever applying it sends in turn follows it on the wire.
template <class ApplyHere>
void SendOperation(NetOperation operation, NetPacket& packet, uint32_t addressee, ApplyHere&& applyHere)
{
    if (RouteOperation(operation, packet, addressee))
        std::forward<ApplyHere>(applyHere)();
}

// What a received packet says of itself. `ids` are what a client's packet speaks for
// (OwnIds), or for a party change the player and then the party; `addressee` is the
// player a ToPlayer operation is for (0: every machine); `record` the record a creation
// makes its object from (Creation: the object's id comes first in `ids`; a portal's
// owner comes first, then the portal).
struct NetClaim {
    std::vector<uint32_t> ids;
    uint32_t addressee = 0;
    std::string record = {};
};

// Of the operations one packet type carries, the one a packet from `fromHost` is: one
// the server sends when it comes from host 0, one a client sends otherwise.
NetOperation HeardOperation(const std::vector<NetOperation>& candidates, int fromHost);

// Logs that a received packet was dropped, through the drop log: for a fixed reason, or for
// a reason given as a printf format. Returns false.
bool DropReceived(const NetPacket& packet, int fromHost, const char* reason);
bool DropReceivedFormatted(const NetPacket& packet, int fromHost, const char* reasonFormat, ...)
    __attribute__((format(printf, 3, 4)));

// Made around the application of a client's packet on the host: what the host sends
// meanwhile in answer to the request goes to `fromHost` alone (see kAnswers). A request
// that an operation carries among messages of other kinds (a quest message asking for the
// quest data, which other quest messages are not) names its `answer` where the host
// answers it: what the host sends of that operation meanwhile goes to `fromHost` alone.
class NetRequestScope {
public:
    NetRequestScope(NetOperation request, int fromHost, NetOperation answer = NetOperation::Count);
    ~NetRequestScope();
    NetRequestScope(const NetRequestScope&) = delete;
    NetRequestScope& operator=(const NetRequestScope&) = delete;

private:
    NetOperation m_outerRequest;
    int m_outerRequester;
    NetOperation m_outerAnswer;
};

// A client's run or walk for one of its characters, counted against its host's budget of
// moves (kMoveRate); false, logged with the sender, past it.
bool MovesWithinItsBudget(const NetPacket& packet, int fromHost);

// Decides what this machine does with a received operation. Drops (logged with the
// sender) what its sender may not send or say; on the host, passes on to the other
// clients what is theirs too. True when this machine applies it.
bool AdmitReceived(NetOperation operation, NetPacket& packet, int fromHost, const NetClaim& claim);

}  // namespace GAME
