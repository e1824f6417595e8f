// Received packets reach the game through the host's dispatch, which asks the route table
// who may send each one: forgeries from a client are dropped, the server's news applied,
// and what a client sends for others passed on.
#include <cmath>
#include <limits>

#include <chrono>
#include <thread>

#include "Engine/EnetTransport.h"
#include "Engine/GameClock.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacketRegistry.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/NetworkRegionLoader.h"
#include "Game/world/FixedItem.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/session/GamePacketDispatch.h"
#include "tests/network/GameWireFixture.h"
#include "tests/network/PeerProcess.h"

using namespace GAME;

namespace {

constexpr int kClientHost = 1;
constexpr int kOtherClientHost = 2;
constexpr uint32_t kClientPlayer = 0x10000001;
constexpr uint32_t kOtherClientPlayer = 0x20000001;
constexpr const char* kSwordRecord = "Records/Test/Sword.dbr";


class DispatchTest : public GameWireTest {
protected:
    void SetUp() override
    {
        GameWireTest::SetUp();
        // The drop log's seconds follow these cases' frames.
        NetDropLog::SetClock([] { return uint64_t{GameClock::Get().GetRealTime()}; });
        RegisterGamePacketDispatch();
        RecordDatabase::Get().RegisterRecord(kSwordRecord, "Class,Item,\n");
        LocalizationManager::Instance().RegisterTags("tagMessageGameJoin=%s joined the game\n");
    }
    void TearDown() override
    {
        NetDropLog::SetClock(nullptr);
        UnregisterGamePacketDispatch();
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
        GameWireTest::TearDown();
    }

    // Delivers the bytes as that host's and runs the engine's part of a frame.
    void Receive(int fromHost, const Bytes& bytes)
    {
        transport.Feed(fromHost, bytes);
        gEngine->UpdateFrame(0);
    }
    static Bytes Gold(uint32_t player, int32_t amount)
    {
        GiveGoldPacket packet;
        packet.playerId = player;
        packet.amount = amount;
        return Written(packet);
    }
    static Bytes Join(uint32_t player)
    {
        SinglePlayerBasicInfoPacket join;
        join.info = Roster({player})[0];
        return Written(join);
    }
    static PlayerNetHeartbeatInfo Heartbeat(uint32_t player, int32_t level)
    {
        PlayerNetHeartbeatInfo heartbeat;
        heartbeat.playerId = player;
        heartbeat.level = level;
        return heartbeat;
    }
    static Bytes BonusFor(uint32_t player, uint32_t skillPoints)
    {
        BonusToClientPacket packet;
        packet.bonus.receiver = player;
        packet.bonus.skillPoints = skillPoints;
        return Written(packet);
    }
    static Bytes ItemFor(uint32_t receiver, uint32_t itemId)
    {
        CreateItemPacket packet;
        packet.characterId = receiver;
        packet.item.objectId = itemId;
        packet.item.baseName = kSwordRecord;
        return Written(packet);
    }
    Player* MakePlayer(uint32_t id)
    {
        auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", id));
        engine->GetPlayerManagerClient()->SetMainPlayer(id);
        return player;
    }
    // A client connects and its player joins; the sends and notices it causes are
    // forgotten.
    void JoinClient(int host, uint32_t player)
    {
        transport.Connect(host);
        Receive(host, Join(player));
        transport.sent.clear();
        while (engine->GetNumNotifications() > 0)
            engine->TakeTopNotification();
    }
    // The host with its own player and a connected client whose player has joined.
    Player* Serve()
    {
        engine->SetAsNetworkServer();
        Player* self = MakeMainPlayer();
        JoinClient(kClientHost, kClientPlayer);
        return self;
    }
};

// ---- Who may send what -------------------------------------------------------------------

TEST_F(DispatchTest, ForgeriesFromAClientAreDroppedOnTheServer)
{
    Player* self = Serve();
    const uint32_t selfId = self->GetObjectId();
    const std::vector<PlayerNetBasicInfo> roster = engine->GetPlayerManagerClient()->GetPlayerInfoCache();
    const uint32_t balance = engine->GetBalanceDifficulty();

    GameBalanceUpdatePacket balancePacket;
    balancePacket.level = 99;
    AllPlayersBasicInfoPacket rosterPacket;
    rosterPacket.players = Roster({0x10000077});
    CreateEntityPacket entity;
    entity.recordName = kSwordRecord;
    entity.objectId = 0x00000999;   // an id in the host's range
    QuestMessagePacket quest;
    quest.sender = selfId;
    quest.isConditionSet = true;
    JoinPartyConfigCmdPacket party;
    party.playerId = selfId;
    party.partyId = static_cast<int32_t>(kClientPlayer);
    SinglePlayerHeartbeatPacket heartbeat;
    heartbeat.info = Heartbeat(selfId, 77);
    // The engine's own operations ask the same table: a teleport is the server's news.
    StartTeleportPacket teleport;
    teleport.SetDestination(kOtherClientPlayer, 1, 2, 3);
    NRLoaderStatePacket loader;
    loader.playerId = kOtherClientPlayer;

    LogCapture log;
    Receive(kClientHost, Gold(selfId, 250));
    Receive(kClientHost, BonusFor(selfId, 1000));
    Receive(kClientHost, Written(balancePacket));
    Receive(kClientHost, Written(rosterPacket));
    Receive(kClientHost, ItemFor(kClientPlayer, 0x00000500));
    GameClock::Get().Advance(NetDropLog::kWindowMs);   // the drop log tells a kind once a second
    Receive(kClientHost, ItemFor(selfId, 0x10000500));
    Receive(kClientHost, Written(entity));
    Receive(kClientHost, Written(quest));
    Receive(kClientHost, Written(party));
    Receive(kClientHost, Written(heartbeat));
    Receive(kClientHost, Written(teleport));
    Receive(kClientHost, Written(loader));

    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "GiveGoldPacket from host 1 dropped: only the server sends it",
                               "BonusToClientPacket from host 1 dropped: only the server sends it",
                               "GameBalanceUpdatePacket from host 1 dropped: only the server sends it",
                               "AllPlayersBasicInfoPacket from host 1 dropped: only the server sends it",
                               "CreateItemPacket from host 1 dropped: it speaks for 1280, which is not the host's",
                               "CreateItemPacket from host 1 dropped: it speaks for " + std::to_string(selfId) +
                                   ", which is not the host's",
                               "CreateEntityPacket from host 1 dropped: it speaks for 2457, which is not the host's",
                               "QuestMessagePacket from host 1 dropped: it speaks for " + std::to_string(selfId) +
                                   ", which is not the host's",
                               "JoinPartyConfigCmdPacket from host 1 dropped: its player may not move player " +
                                   std::to_string(selfId) + " to party 268435457",
                               "SinglePlayerHeartbeatPacket from host 1 dropped: it speaks for " +
                                   std::to_string(selfId) + ", which is not the host's",
                               "StartTeleportPacket from host 1 dropped: it speaks for 536870913, which is not the host's",
                               "NRLoaderStatePacket from host 1 dropped: it speaks for 536870913, which is not the host's",
                           }));
    EXPECT_EQ(self->GetCurrentMoney(), 0u);
    EXPECT_EQ(self->GetSkillPoints(), 0u);
    EXPECT_EQ(engine->GetBalanceDifficulty(), balance);
    EXPECT_EQ(engine->GetPlayerManagerClient()->GetPlayerInfoCache(), roster);
    EXPECT_EQ(ObjectManager::Get().GetObject(0x500), nullptr);
    EXPECT_EQ(ObjectManager::Get().GetObject(0x10000500), nullptr);
    EXPECT_EQ(ObjectManager::Get().GetObject(0x999), nullptr);
    for (const PlayerNetBasicInfo& record : engine->GetPlayerManagerServer()->GetPlayerInfos())
        EXPECT_NE(record.level, 77);
    EXPECT_TRUE(transport.sent.empty());   // nothing was passed on
}

// The same forgeries sent by a client process over the network transport.
TEST_F(DispatchTest, ForgeriesFromARealClientProcessAreDroppedOnTheServer)
{
    // Each side waits for the other (5 ms a poll); this many polls only cap a wait that
    // would never end.
    constexpr int kWaitPolls = 24000;
    std::string error;
    std::unique_ptr<EnetTransport> network = EnetTransport::Listen(0, error);
    ASSERT_TRUE(network) << error;
    ConnectionManager::Get().SetTransport(network.get());
    engine->SetAsNetworkServer();
    Player* self = MakeMainPlayer();
    const uint32_t selfId = self->GetObjectId();
    const uint16_t port = network->GetPort();
    GameBalanceUpdatePacket balancePacket;
    balancePacket.level = 99;
    const std::vector<Bytes> forged = {Gold(selfId, 250), BonusFor(selfId, 1000), Written(balancePacket),
                                       ItemFor(selfId, 0x10000500)};
    PeerProcess client(-1, [&] {
        std::string why;
        std::unique_ptr<EnetTransport> link = EnetTransport::Connect("127.0.0.1", port, kWaitPolls * 5, why);
        if (!link)
            return why;
        for (const Bytes& bytes : forged)
            link->Send({NetDestination::Server, ConnectionManager::kServerHost}, bytes.data(), bytes.size());
        // The link stays open until the server, having taken them all, closes it (the
        // cap only ends a wait that would never end).
        for (int i = 0; i < kWaitPolls && link->IsConnected(ConnectionManager::kServerHost); ++i) {
            link->Service();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return std::string("host ") + std::to_string(link->GetLocalHost());
    });
    const std::string lastDropped =
        "CreateItemPacket from host 1 dropped: it speaks for " + std::to_string(selfId) + ", which is not the host's";
    LogCapture log;
    for (int i = 0; i < kWaitPolls && !log.Contains(lastDropped); ++i) {
        gEngine->UpdateFrame(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    network->Disconnect(1, "every forgery taken");
    while (!client.IsDone()) {
        network->Service();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(client.GetReport(), "host 1");
    for (const char* dropped : {"GiveGoldPacket from host 1 dropped: only the server sends it",
                                "BonusToClientPacket from host 1 dropped: only the server sends it",
                                "GameBalanceUpdatePacket from host 1 dropped: only the server sends it"})
        EXPECT_TRUE(log.Contains(dropped)) << dropped;
    EXPECT_TRUE(log.Contains(lastDropped));
    EXPECT_EQ(self->GetCurrentMoney(), 0u);
    EXPECT_EQ(self->GetSkillPoints(), 0u);
    EXPECT_EQ(ObjectManager::Get().GetObject(0x10000500), nullptr);
    ConnectionManager::Get().SetTransport(&transport);
}

TEST_F(DispatchTest, TheSamePacketsFromTheServerAreAppliedOnAClient)
{
    engine->SetAsNetworkClient();
    ConnectionManager::Get().SetLocalHostId(kClientHost);
    Player* self = MakePlayer(kClientPlayer);
    constexpr uint32_t kServerPlayer = 0x00000002;

    GameBalanceUpdatePacket balancePacket;
    balancePacket.level = 9;
    AllPlayersBasicInfoPacket rosterPacket;
    rosterPacket.players = Roster({kServerPlayer, kClientPlayer});
    AllPlayersHeartbeatPacket heartbeats;
    heartbeats.players = {Heartbeat(kServerPlayer, 12)};

    Receive(ConnectionManager::kServerHost, Gold(kClientPlayer, 250));
    Receive(ConnectionManager::kServerHost, BonusFor(kClientPlayer, 1000));
    Receive(ConnectionManager::kServerHost, Written(balancePacket));
    Receive(ConnectionManager::kServerHost, Written(rosterPacket));
    Receive(ConnectionManager::kServerHost, Written(heartbeats));
    Receive(ConnectionManager::kServerHost, ItemFor(kClientPlayer, 0x00000500));

    EXPECT_EQ(self->GetCurrentMoney(), 250u);
    EXPECT_EQ(self->GetSkillPoints(), 1000u);
    EXPECT_EQ(engine->GetBalanceDifficulty(), 9u);
    ASSERT_EQ(engine->GetPlayerManagerClient()->GetPlayerInfoCache().size(), 2u);
    EXPECT_EQ(engine->GetPlayerManagerClient()->GetPlayerInfo(kServerPlayer).level, 12);
    EXPECT_NE(ObjectManager::Get().GetObject(0x500), nullptr);

    // A client hears only the server, and never what only clients send.
    LogCapture log;
    Receive(kOtherClientHost, Gold(kClientPlayer, 250));
    Receive(ConnectionManager::kServerHost, Join(kServerPlayer));
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "GiveGoldPacket from host 2 dropped: a client hears only the server",
                               "SinglePlayerBasicInfoPacket from host 0 dropped: only a client sends it",
                           }));
    EXPECT_EQ(self->GetCurrentMoney(), 250u);
}

// A teleport's notice: a client places the character where the server put it; the server
// runs its players' teleports itself and moves nothing on a client's word, and takes a
// notice only of the client's own player.
TEST_F(DispatchTest, ATeleportNoticeMovesACharacterOnlyOnAClientAndOnlyFromTheServer)
{
    const auto at = [](float x) { return WorldCoords(World::Get().GetRegionById(7), Coords::MakeTranslation(Vec3(x, 0, 0))); };
    const auto notice = [&](uint32_t id, float x) {
        UpdatePositionPacket packet;
        packet.entityId = id;
        packet.targetCoords = at(x);
        return Written(packet);
    };
    const auto x = [](const Player* player) { return player->GetCoords().GetPosition().GetRegionPosition().x; };
    Serve();
    JoinClient(kClientHost, kClientPlayer);
    Player* guest = MakePlayer(kClientPlayer);
    ASSERT_TRUE(World::Get().AddEntity(guest, at(0)));
    LogCapture log;
    Receive(kClientHost, notice(kClientPlayer, 40));
    EXPECT_EQ(x(guest), 0.0f);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{});
    Receive(kOtherClientHost, notice(kClientPlayer, 40));
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"UpdatePositionPacket from host 2 dropped: the host may not move "
                                                    "character " + std::to_string(kClientPlayer)});
    EXPECT_EQ(x(guest), 0.0f);

    engine->SetAsNetworkClient();
    ConnectionManager::Get().SetLocalHostId(kOtherClientHost);
    log.Clear();
    Receive(ConnectionManager::kServerHost, notice(kClientPlayer, 40));
    EXPECT_EQ(x(guest), 40.0f);
    Receive(kClientHost, notice(kClientPlayer, -40));
    EXPECT_EQ(x(guest), 40.0f);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"UpdatePositionPacket from host 1 dropped: only the server moves "
                                                    "characters on a client"});
}

TEST_F(DispatchTest, EveryPacketTypeAsksTheRouteTable)
{
    Serve();
    LogCapture log;
    size_t asked = 0;
    for (NetPacketType type : NetPacketRegistry::Get().GetTypes()) {
        std::unique_ptr<NetPacket> packet = NetPacketRegistry::Get().Create(type);
        const Bytes bytes = Written(*packet);
        log.Clear();
        // A host that is not connected gets nothing through, whatever it sends: a packet
        // that reaches its handler is refused by the route table, any other before it.
        EXPECT_FALSE(ConnectionManager::Get().HandleIncoming(9, bytes.data(), bytes.size())) << packet->GetClassName();
        EXPECT_EQ(log.Texts().size(), 1u) << packet->GetClassName();
        asked += log.Contains(std::string(packet->GetClassName()) +
                              " from host 9 dropped: the host is not a connected client");
    }
    EXPECT_EQ(asked, 43u);
}

// ---- Joining ---------------------------------------------------------------------------

TEST_F(DispatchTest, AJoinComesFromAConnectedHostForItsOwnPlayerOnce)
{
    engine->SetAsNetworkServer();
    Player* self = MakeMainPlayer();
    self->SetPlayerName(u"Host");
    LogCapture log;
    Receive(kClientHost, Join(kClientPlayer));   // host 1 is not connected yet
    transport.Connect(kClientHost);
    Receive(kClientHost, Join(0x20000005));      // not its player
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "SinglePlayerBasicInfoPacket from host 1 dropped: the host is not a connected client",
                               "SinglePlayerBasicInfoPacket from host 1 dropped: it speaks for 536870917, which is "
                               "not the host's",
                           }));
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetNumberOfPlayers(), 1u);

    // Its own player, once: the same join again changes nothing, and no other player of
    // that host joins after it.
    Receive(kClientHost, Join(kClientPlayer));
    Receive(kClientHost, Join(kClientPlayer));
    for (uint32_t i = 1; i <= 1000; ++i)
        transport.Feed(kClientHost, Join(kClientPlayer + i));
    gEngine->UpdateFrame(0);
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetNumberOfPlayers(), 2u);
    // One line for the flood, and its count once its second is over.
    EXPECT_EQ(log.Count("SinglePlayerBasicInfoPacket from host 1 dropped: the host already has player 268435457 "
                        "in the game"),
              1u);
    gEngine->UpdateFrame(NetDropLog::kWindowMs);
    EXPECT_TRUE(log.Contains("SinglePlayerBasicInfoPacket from host 1: 999 more dropped in the last second: the "
                             "host already has player 268435457 in the game"));

    // The server's own game has both players, by their names.
    const PlayerManagerClient& roster = *engine->GetPlayerManagerClient();
    ASSERT_EQ(roster.GetPlayerInfoCache().size(), 2u);
    EXPECT_EQ(roster.GetPlayerName(kClientPlayer), u"P268435457");
    EXPECT_EQ(roster.GetPlayerName(self->GetObjectId()), u"Host");
    EXPECT_EQ(engine->GetPlayerName(kClientPlayer), u"P268435457");

    // A host that was disconnected is not heard any more.
    transport.Disconnect(kClientHost, "ban");
    SinglePlayerHeartbeatPacket heartbeat;
    heartbeat.info = Heartbeat(kClientPlayer, 40);
    Receive(kClientHost, Written(heartbeat));
    EXPECT_TRUE(log.Contains("SinglePlayerHeartbeatPacket from host 1 dropped: the host is not a connected client"));
    EXPECT_EQ(roster.GetPlayerInfo(kClientPlayer).level, 0);
}

// What every machine applies, the host applies too: its roster, its balance level and its
// own heartbeat.
TEST_F(DispatchTest, TheServerAppliesItsOwnNewsAndHeartbeat)
{
    Player* self = Serve();
    self->SetCharLevel(5);
    engine->GetServerServices()->Update(16);
    EXPECT_EQ(engine->GetBalanceDifficulty(), 2u);   // two players on Normal
    EXPECT_EQ(Destinations(), std::vector<NetDestination>{kAllClients});

    // The host's player's heartbeat refreshes its record in the host's roster.
    transport.sent.clear();
    engine->GetPlayerManagerClient()->Update(1000);
    EXPECT_TRUE(transport.sent.empty());
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetPlayerInfos()[0].level, 5);

    // A client's heartbeat, passed on to everyone with the roster's heartbeats.
    SinglePlayerHeartbeatPacket heartbeat;
    heartbeat.info = Heartbeat(kClientPlayer, 31);
    Receive(kClientHost, Written(heartbeat));
    engine->GetPlayerManagerServer()->Update(1101);
    EXPECT_EQ(engine->GetPlayerManagerClient()->GetPlayerInfo(kClientPlayer).level, 31);
}

// ---- Passing on --------------------------------------------------------------------------

TEST_F(DispatchTest, WhatAClientSendsForOthersIsPassedOnNeverBack)
{
    Serve();
    JoinClient(kOtherClientHost, kOtherClientPlayer);

    ChatPacket chat;
    chat.sender = u"P268435457";   // the name of host 1's player in the roster
    chat.text = u"hi";
    RemoteMessagePacket toOther;
    toOther.receiver = kOtherClientPlayer;
    toOther.textTag = "tagJoined";
    RemoteMessagePacket toHost = toOther;
    toHost.receiver = engine->GetPlayerId();
    toHost.asBubble = true;
    Receive(kClientHost, Written(chat));
    Receive(kClientHost, Written(toOther));
    Receive(kClientHost, Written(toHost));

    ASSERT_EQ(Destinations(), (std::vector<NetDestination>{{NetDestination::OtherClients, kClientHost},
                                                           {NetDestination::Host, kOtherClientHost}}));
    EXPECT_EQ(transport.sent[0].bytes, Written(chat));
    EXPECT_EQ(transport.sent[1].bytes, Written(toOther));
    std::vector<ChatMessage> lines;
    engine->RemovePendingMessages(lines);
    EXPECT_EQ(lines.size(), 1u);   // the host's game has the chat line too
    ASSERT_EQ(engine->GetNumNotifications(), 1u);   // only the message for the host's player
    EXPECT_EQ(engine->TakeTopNotification().texts, (std::vector<std::u16string>{u"<%s joined>"}));
}

TEST_F(DispatchTest, ReceivedChatIsQueuedAndMessagesShown)
{
    engine->SetAsNetworkClient();
    ChatPacket chat;
    chat.sender = u"Al";
    chat.text = u"hi";
    chat.kind = 2;
    Receive(ConnectionManager::kServerHost, Written(chat));
    std::vector<ChatMessage> lines;
    engine->RemovePendingMessages(lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].sender, u"Al");
    EXPECT_EQ(lines[0].text, u"hi");

    // A tag that takes a number, sent with a player to name: shown as its plain text.
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({5}));
    LogCapture log;
    RemoteMessagePacket message;
    message.receiver = 7;
    message.optionalInsert = 5;
    message.asBubble = true;
    message.textTag = "tagCount";
    Receive(ConnectionManager::kServerHost, Written(message));
    EXPECT_EQ(engine->TakeTopNotification().texts, (std::vector<std::u16string>{u"%d items"}));
    EXPECT_TRUE(log.Contains("Localization: text tag \"tagCount\" does not take a name; shown as plain text"));
}

// ---- Bounds on what a peer can make the host keep ------------------------------------------

TEST_F(DispatchTest, MarketsExistOnlyForMerchantsInTheLevel)
{
    Serve();
    auto& services = static_cast<GameEngineServerServicesModule&>(*engine->GetServerServices());
    LogCapture log;
    MarketC2SUpdateRequestPacket request;
    for (uint32_t market = 1; market <= 200000; ++market) {
        request.marketId = market;
        const Bytes bytes = Written(request);
        ConnectionManager::Get().HandleIncoming(kClientHost, bytes.data(), bytes.size());
        GameClock::Get().Advance(100);   // asked within the client's budget of requests
    }
    EXPECT_EQ(services.GetNumMarketServers(), 0u);
    EXPECT_TRUE(log.Contains("GameEngineServerServicesModule: no merchant 200000 in the level; no market for it"));

    engine->GetClientServices()->CreateMarketClient(42);   // the merchant enters the level
    request.marketId = 42;
    Receive(kClientHost, Written(request));
    Receive(kClientHost, Written(request));
    EXPECT_EQ(services.GetNumMarketServers(), 1u);
    EXPECT_NE(services.GetMarketServer(42), nullptr);
}

TEST_F(DispatchTest, PartyAnswersWaitingForTheInterfaceAreBounded)
{
    Serve();
    PartyRequestResponsePacket answer;
    answer.sender = kClientPlayer;
    answer.accepted = true;
    LogCapture log;
    size_t applied = 0;
    NetPacketRegistry::Get().SetAppliedObserver([&](NetPacket&, int) { ++applied; });
    for (size_t i = 0; i < kMaxPartyRequestResponses + 10; ++i)
        transport.Feed(kClientHost, Written(answer));
    gEngine->UpdateFrame(0);
    NetPacketRegistry::Get().SetAppliedObserver({});
    EXPECT_EQ(engine->GetNumPartyRequestResponses(), kMaxPartyRequestResponses);
    EXPECT_EQ(applied, kMaxPartyRequestResponses);   // the refused ones are not seen as applied
    // Refused through the drop log: a line, and the count once its second is over.
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"PartyRequestResponsePacket from host 1 dropped: party answer of "
                                                     "player 268435457 dropped: 32 answers are waiting"}));
    gEngine->UpdateFrame(NetDropLog::kWindowMs);
    EXPECT_TRUE(log.Contains("PartyRequestResponsePacket from host 1: 9 more dropped in the last second: party answer "
                             "of player 268435457 dropped: 32 answers are waiting"));
    EXPECT_EQ(engine->GetTopPartyRequestResponse().playerId, kClientPlayer);
}

// A heartbeat with more status skills than a roster carries is refused whole, so it cannot
// stop the roster every client gets.
TEST_F(DispatchTest, AHeartbeatWith256StatusSkillsDoesNotStopTheRoster)
{
    Serve();
    SinglePlayerHeartbeatPacket heartbeat;
    heartbeat.info = Heartbeat(kClientPlayer, 8);
    heartbeat.info.statusSkills.assign(255, "S.dbr");
    Bytes bytes = Written(heartbeat);
    ASSERT_FALSE(bytes.empty());
    // One more skill, as a peer could write it: the count is a 4-byte word.
    const size_t countAt = bytes.size() - 255 * 7 - 4;
    bytes[countAt] = 0x00;
    bytes[countAt + 1] = 0x01;
    for (char c : std::string("\x05\x00S.dbr", 7))
        bytes.push_back(static_cast<unsigned char>(c));
    LogCapture log;
    Receive(kClientHost, bytes);
    EXPECT_TRUE(log.Contains("SinglePlayerHeartbeatPacket from host 1 dropped: player record with more than 255 "
                             "status skills (at byte 1844)"));

    engine->GetPlayerManagerServer()->Update(1101);
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].Type(), AllPlayersHeartbeatPacket::kType);
}

TEST_F(DispatchTest, PacketThatDoesNotReadCleanlyIsDroppedWhole)
{
    Serve();
    Bytes shortJoin = Join(0x10000002);
    shortJoin.pop_back();
    LogCapture log;
    Receive(kClientHost, shortJoin);
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetNumberOfPlayers(), 2u);
    ASSERT_EQ(log.Texts().size(), 1u);
    EXPECT_EQ(log.Texts()[0].rfind("SinglePlayerBasicInfoPacket from host 1 dropped: ", 0), 0u) << log.Texts()[0];
}

TEST_F(DispatchTest, TeleportToACoordinateNoWholeNumberHoldsIsRefused)
{
    Serve();
    LogCapture log;
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), 3.0e9f, -std::numeric_limits<float>::infinity()}) {
        StartTeleportPacket teleport;
        teleport.playerId = kClientPlayer;
        teleport.x = bad;
        Receive(kClientHost, Written(teleport));
    }
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"StartTeleportPacket from host 1 dropped: the destination of "
                                                     "player 268435457 is out of range"}));
    gEngine->UpdateFrame(NetDropLog::kWindowMs);
    EXPECT_TRUE(log.Contains("StartTeleportPacket from host 1: 2 more dropped in the last second: the destination of "
                             "player 268435457 is out of range"));
}

// Only the client whose host owns the player may have the server load for its respawn.
TEST_F(DispatchTest, AClientsUseOfAFixedItemReachesOnlyAsFarAsItsPlayerCouldUseIt)
{
    constexpr const char* kWellRecord = "Records/Test/Well.dbr";
    Serve();
    JoinClient(kOtherClientHost, kOtherClientPlayer);
    RecordDatabase::Get().RegisterRecord(kWellRecord, "Class,FixedItemWell,\n");
    Region* region = World::Get().GetRegionById(7);
    auto* walker = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kClientPlayer));
    ASSERT_NE(walker, nullptr);
    World::Get().AddEntity(walker, WorldCoords(region, Coords()));
    const auto place = [region](float x) {
        auto* well = ObjectManager::Get().CreateObjectFromFile<FixedItem>(kWellRecord);
        World::Get().AddEntity(well, WorldCoords(region, Coords::MakeTranslation(Vec3(x, 0, 0))));
        return well->GetObjectId();
    };
    const uint32_t nearWell = place(1.5f);
    const uint32_t farWell = place(40.0f);
    UseItemPacket use;
    use.characterId = kClientPlayer;
    use.position = WorldVec3(region, Vec3(0, 0, 0));
    LogCapture log;
    use.itemId = farWell;
    Receive(kClientHost, Written(use));
    EXPECT_TRUE(log.Contains("UseItemPacket from host 1 dropped: character " + std::to_string(kClientPlayer) +
                             " is out of reach of " + std::to_string(farWell)));
    EXPECT_TRUE(transport.sent.empty());

    // Beside the near well the use is applied and passed on to the other client.
    use.itemId = nearWell;
    Receive(kClientHost, Written(use));
    ASSERT_EQ(Destinations(), (std::vector<NetDestination>{{NetDestination::OtherClients, kClientHost}}));
    EXPECT_EQ(transport.sent[0].bytes, Written(use));
}

TEST_F(DispatchTest, ARespawnLoaderIsStartedOnlyForTheSendersOwnPlayer)
{
    Serve();
    JoinClient(kOtherClientHost, kOtherClientPlayer);
    StartServerRespawnPacket respawn;
    respawn.playerId = kOtherClientPlayer;
    respawn.location = WorldVec3(World::Get().GetRegionById(7), Vec3(1, 0, 1));
    LogCapture log;
    Receive(kClientHost, Written(respawn));
    EXPECT_TRUE(log.Contains("StartServerRespawnPacket from host 1 dropped: it speaks for 536870913, which is not "
                             "the host's"));
    EXPECT_EQ(engine->FindNRLoader(kOtherClientPlayer), nullptr);

    respawn.playerId = kClientPlayer;
    Receive(kClientHost, Written(respawn));
    EXPECT_NE(dynamic_cast<NRLoaderServer*>(engine->FindNRLoader(kClientPlayer)), nullptr);
}

TEST_F(DispatchTest, AloneOrWithoutTheTableNothingIsApplied)
{
    Player* player = MakeMainPlayer();
    LogCapture log;
    Receive(kClientHost, Gold(player->GetObjectId(), 250));
    EXPECT_TRUE(log.Contains("GiveGoldPacket from host 1 dropped: this game has no peers"));
    engine->SetAsNetworkClient();
    UnregisterGamePacketDispatch();
    Receive(ConnectionManager::kServerHost, Gold(player->GetObjectId(), 250));
    EXPECT_EQ(player->GetCurrentMoney(), 0u);
    EXPECT_TRUE(log.Contains("GiveGoldPacket from host 0 dropped: no handler"));
}

}  // namespace

namespace {

// A peer that changes roles parks the game's table and puts it back whole: while parked,
// only the table swapped in is asked; back, the game's handlers apply again.
TEST_F(DispatchTest, ATableSwappedOutAndBackIsTheOneAsked)
{
    Player* player = Serve();
    transport.Connect(kOtherClientHost);
    NetPacketRegistry& registry = NetPacketRegistry::Get();
    int heard = 0;
    NetPacketRegistry::Handlers own;
    own[GiveGoldPacket::kType] = [&](NetPacket&, int fromHost) { heard += fromHost; };
    registry.SwapHandlers(own);
    EXPECT_EQ(own.count(SinglePlayerBasicInfoPacket::kType), 1u);   // the game's, parked
    LogCapture log;
    const Bytes gold = Gold(player->GetObjectId(), 250);
    Receive(kClientHost, gold);
    EXPECT_EQ(heard, kClientHost);
    Receive(kOtherClientHost, Join(kOtherClientPlayer));
    EXPECT_TRUE(log.Contains("SinglePlayerBasicInfoPacket from host 2 dropped: no handler"));
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetNumberOfPlayers(), 2u);

    registry.SwapHandlers(own);
    ASSERT_EQ(own.size(), 1u);   // the test's own table, given back
    Receive(kOtherClientHost, Join(kOtherClientPlayer));
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetNumberOfPlayers(), 3u);
    Receive(kClientHost, gold);
    EXPECT_EQ(heard, kClientHost);
}

}  // namespace
