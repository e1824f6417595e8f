#include <climits>

#include "tests/network/GameWireFixture.h"

using namespace GAME;

namespace {

class OutboundTest : public GameWireTest {};

TEST_F(OutboundTest, GoldGoesToThePlayersHostWithTheMostNegativeAmountIntact)
{
    engine->SetAsNetworkServer();
    engine->GetNetworkInterface()->GiveGoldToPlayer(0x10000005, INT_MIN);
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to, HostOf(1));
    EXPECT_EQ(transport.sent[0].bytes, (Bytes{
                                           0x70, 0x00,              // type 112
                                           0x05, 0x00, 0x00, 0x10,  // player 0x10000005
                                           0x00, 0x00, 0x00, 0x80,  // amount -2^31
                                       }));
}

TEST_F(OutboundTest, CreatedItemGoesFromTheHostToEveryClient)
{
    engine->SetAsNetworkServer();
    ItemReplicaInfo item;
    item.objectId = 0x55;
    item.baseName = "S.dbr";
    item.seed = 0x01020304;
    item.var1 = 9;
    std::u16string name = u"untouched";
    engine->CreateItemForCharacter(0x10000003,
                                   WorldCoords(World::Get().GetRegionById(7), Coords::MakeTranslation(Vec3(10, 0, -4))),
                                   item, &name);
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to, kAllClients);
    EXPECT_EQ(name, u"untouched");   // the name is this machine's to fill, and it created nothing
    EXPECT_EQ(transport.sent[0].bytes,
              (Bytes{
                  0x20, 0x00,              // type 32
                  0x03, 0x00, 0x00, 0x10,  // character 0x10000003
                  0x07, 0x00, 0x00, 0x00,  // coords: region 7
                  0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // x axis
                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,  // y axis
                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,  // z axis
                  0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0xC0,  // origin 10, 0, -4
                  0x55, 0x00, 0x00, 0x00,                 // item id
                  0x05, 0x00, 'S', '.', 'd', 'b', 'r',    // base record
                  0x00, 0x00,                             // no prefix
                  0x00, 0x00,                             // no suffix
                  0x00, 0x00,                             // no relic
                  0x00, 0x00,                             // no relic bonus
                  0x04, 0x03, 0x02, 0x01,                 // seed
                  0x09, 0x00, 0x00, 0x00,                 // var1
              }));
}

TEST_F(OutboundTest, QuestMessageAndChatFromAClientGoToTheServer)
{
    engine->SetAsNetworkClient();
    engine->SendQuestPacket({1, 0xFFFFFFFF}, 0x20000002, true);
    engine->SendChatMessage(u"Al", u"h\u00e9", 1, {0x20000005});
    ASSERT_EQ(transport.sent.size(), 2u);
    EXPECT_EQ(transport.sent[0].to, kServer);
    EXPECT_EQ(transport.sent[0].bytes, (Bytes{
                                           0x11, 0x00,              // type 17
                                           0x00, 0x00, 0x00, 0x00,  // sender: no main player yet
                                           0x02, 0x00, 0x00, 0x20,  // receiver
                                           0x02, 0x00, 0x00, 0x00,  // 2 words
                                           0x01, 0x00, 0x00, 0x00,  //   1
                                           0xFF, 0xFF, 0xFF, 0xFF,  //   0xFFFFFFFF
                                           0x01,                    // condition is set
                                       }));
    EXPECT_EQ(transport.sent[1].to, kServer);
    EXPECT_EQ(transport.sent[1].bytes, (Bytes{
                                           0x10, 0x00,                         // type 16
                                           0x02, 0x00, 'A', 0x00, 'l', 0x00,   // sender "Al"
                                           0x02, 0x00, 'h', 0x00, 0xE9, 0x00,  // text
                                           0x01,                               // kind
                                           0x01, 0x00, 0x00, 0x00,             // 1 recipient
                                           0x05, 0x00, 0x00, 0x20,             //   0x20000005
                                       }));
}

TEST_F(OutboundTest, RoutesFollowTheDirectionOfEachOperation)
{
    engine->SetAsNetworkServer();
    GameEngineNetworkInterface& network = *engine->GetNetworkInterface();
    network.StoC_AllPlayersUpdate(Roster({0x10000001}));
    network.HandleBonusToClient(Bonus{}, 0x20000001);
    network.CreateFixedItemTeleport(WorldCoords(), 1, 2, "Sector", 0x30000004);   // to the newcomer only
    network.CreateFixedItemTeleport(WorldCoords(), 1, 2, "Sector", 0);            // to everyone
    engine->StoC_StartTeleportOutbound(0x10000001, 1, 2, 3);
    engine->SetAsNetworkClient();
    network.C2S_MarketUpdateRequest(4);
    network.CreateEntity(WorldCoords(), "Box.dbr", 9);   // a client tells the host
    engine->SendPartyRequestResponse(0x10000001, 0x20000002, true);

    EXPECT_EQ(Destinations(), (std::vector<NetDestination>{kAllClients, HostOf(2), HostOf(3), kAllClients,
                                                           kAllClients, kServer, kServer, kServer}));
    // The answer travels recipient first, then the answer, then who answered.
    EXPECT_EQ(transport.sent.back().bytes, (Bytes{0x1D, 0x00, 0x02, 0x00, 0x00, 0x20, 0x01, 0x01, 0x00, 0x00, 0x10}));
}

TEST_F(OutboundTest, PropagatedTeleportSkipsTheLocalAndTheTeleportingPlayer)
{
    engine->SetAsNetworkServer();
    Player* self = MakeMainPlayer();
    const uint32_t selfId = self->GetObjectId();
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({selfId, 0x10000001, 0x20000002, 0x30000003}));
    transport.sent.clear();
    engine->ServerPropegateTeleport(0x20000002, 1, 2, 3);
    EXPECT_EQ(Destinations(), (std::vector<NetDestination>{HostOf(1), HostOf(3)}));
}

// A record that cannot travel is cut or left out; the others still reach every client.
TEST_F(OutboundTest, NoSingleRecordStopsTheRoster)
{
    engine->SetAsNetworkServer();
    std::vector<PlayerNetBasicInfo> roster = Roster({0x10000001, 0x20000002, 0x30000003});
    roster[0].statusSkills.assign(300, "S.dbr");                   // more than a record carries
    roster[1].statusSkills.assign(255, std::string(260, 's'));     // more than any packet holds
    LogCapture log;
    engine->GetNetworkInterface()->StoC_AllPlayersUpdate(roster);
    ASSERT_EQ(transport.sent.size(), 1u);
    AllPlayersBasicInfoPacket sent;
    ASSERT_TRUE(ReadInto(sent, transport.sent[0].bytes));
    ASSERT_EQ(sent.players.size(), 2u);
    EXPECT_EQ(sent.players[0].statusSkills.size(), 255u);
    EXPECT_EQ(sent.players[1].playerId, 0x30000003u);
    EXPECT_TRUE(log.Contains("AllPlayersBasicInfoPacket: player 268435457 sends 255 of its 300 status skills"));
    EXPECT_TRUE(log.Contains("AllPlayersBasicInfoPacket: player 536870914 left out: its record does not fit"));

    // More players than a roster carries: the first 255 go.
    std::vector<PlayerNetHeartbeatInfo> crowd(300);
    for (uint32_t i = 0; i < crowd.size(); ++i)
        crowd[i].playerId = 0x10000000u + i;
    transport.sent.clear();
    engine->GetNetworkInterface()->StoC_AllPlayersHeartbeat(crowd);
    AllPlayersHeartbeatPacket heartbeats;
    ASSERT_EQ(transport.sent.size(), 1u);
    ASSERT_TRUE(ReadInto(heartbeats, transport.sent[0].bytes));
    EXPECT_EQ(heartbeats.players.size(), 255u);
    EXPECT_TRUE(log.Contains("AllPlayersHeartbeatPacket: a roster carries 255 players; 45 left out"));
}

// Records that each fit alone fill the roster up to its bound: the one that would pass it
// is left out with a line.
TEST_F(OutboundTest, TheRosterStopsAtItsBound)
{
    engine->SetAsNetworkServer();
    std::vector<PlayerNetBasicInfo> roster = Roster({0x10000001, 0x20000002, 0x30000003});
    for (PlayerNetBasicInfo& record : roster)
        record.statusSkills.assign(255, std::string(94, 's'));   // about 24 KB each
    LogCapture log;
    engine->GetNetworkInterface()->StoC_AllPlayersUpdate(roster);
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_LE(transport.sent[0].bytes.size(), NetLimits::kMaxPacketSize);
    AllPlayersBasicInfoPacket sent;
    ASSERT_TRUE(ReadInto(sent, transport.sent[0].bytes));
    ASSERT_EQ(sent.players.size(), 2u);
    EXPECT_EQ(sent.players[1].playerId, 0x20000002u);
    EXPECT_TRUE(log.Contains("AllPlayersBasicInfoPacket: player 805306371 left out: its record does not fit"));
}

// A caller that asks the engine each time follows a role change at the next call.
TEST_F(OutboundTest, RoleSwitchTakesEffectAtTheNextCall)
{
    engine->SendChatMessage(u"Al", u"one", 0, {});
    std::vector<ChatMessage> chat;
    engine->RemovePendingMessages(chat);
    EXPECT_EQ(chat.size(), 1u);
    EXPECT_TRUE(transport.sent.empty());

    engine->SetAsNetworkClient();
    engine->SendChatMessage(u"Al", u"two", 0, {});
    chat.clear();
    engine->RemovePendingMessages(chat);
    EXPECT_EQ(chat.size(), 1u);   // every machine has the line, this one included
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to, kServer);
    EXPECT_EQ(transport.sent[0].Type(), ChatPacket::kType);
}

// What every machine applies reaches the server's own game as it goes to the clients;
// what is for the server's own player is applied there and sent nowhere.
TEST_F(OutboundTest, TheServerAppliesItsOwnNewsPartyChangesAndMessages)
{
    engine->SetAsNetworkServer();
    Player* self = MakeMainPlayer();
    const uint32_t selfId = self->GetObjectId();
    transport.sent.clear();
    GameEngineNetworkInterface& network = *engine->GetNetworkInterface();
    network.StoC_AllPlayersUpdate(Roster({selfId, 0x10000001}));
    network.GameBalanceUpdate(4);
    engine->AddPlayerToParty(0x10000001, static_cast<int>(selfId));
    engine->DisplayMessageRemote(selfId, 0, true, "tagJoined");

    EXPECT_EQ(Destinations(), (std::vector<NetDestination>{kAllClients, kAllClients, kAllClients}));
    const PlayerManagerClient& roster = *engine->GetPlayerManagerClient();
    EXPECT_EQ(roster.GetPlayerName(0x10000001), u"P268435457");
    EXPECT_EQ(roster.GetPlayerInfo(0x10000001).partyId, selfId);
    EXPECT_EQ(engine->GetBalanceDifficulty(), 4u);
    ASSERT_EQ(engine->GetNumNotifications(), 1u);
    EXPECT_EQ(engine->TakeTopNotification().texts, (std::vector<std::u16string>{u"<%s joined>"}));
}

// A client applies what every machine applies at once and tells the server, which passes
// it on; what is for its own player stays here; what only the server sends is not sent.
TEST_F(OutboundTest, AClientAppliesWhatEveryMachineAppliesAndSendsNoHostNews)
{
    engine->SetAsNetworkClient();
    ConnectionManager::Get().SetLocalHostId(1);
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({0x00000002, 0x10000001}));
    engine->AddPlayerToParty(0x10000001, 2);
    engine->DisplayMessageRemote(0x10000001, 0, true, "tagJoined");
    LogCapture log;
    engine->GetNetworkInterface()->GiveGoldToPlayer(0x00000002, 50);
    engine->GetNetworkInterface()->GameBalanceUpdate(3);
    ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);

    ASSERT_EQ(Destinations(), std::vector<NetDestination>{kServer});
    EXPECT_EQ(transport.sent[0].Type(), JoinPartyConfigCmdPacket::kType);
    EXPECT_EQ(engine->GetPlayerManagerClient()->GetPlayerInfo(0x10000001).partyId, 2u);
    EXPECT_EQ(engine->GetNumNotifications(), 1u);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"GiveGoldPacket not sent: this role does not send it",
                                                     "GameBalanceUpdatePacket not sent: this role does not send it"}));
    EXPECT_EQ(engine->GetBalanceDifficulty(), 0u);

    // Until a client has its host number, no player counts as its own.
    transport.sent.clear();
    engine->DisplayMessageRemote(0x00000002, 0, true, "tagJoined");
    EXPECT_EQ(Destinations(), std::vector<NetDestination>{HostOf(0)});
    EXPECT_EQ(engine->GetNumNotifications(), 1u);
}

}  // namespace
