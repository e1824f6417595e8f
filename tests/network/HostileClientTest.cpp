// A hostile client of our own against a real server over ENet: each case joins an honest
// and a hostile client, lets the honest one play (a purchase, a party), then has the
// hostile one send forgeries, and compares what the server holds before and after.
#include <algorithm>
#include <limits>

#include "Game/characters/Monster.h"
#include "Game/items/MarketClient.h"
#include "Game/core/ClientCreations.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/GameWorldPackets.h"
#include "tests/network/HostileClientFixture.h"

namespace GAME {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
// Far more than the server makes or answers, within what the transport takes of a client at once.
constexpr int kForgedItems = EnetTransport::kFloodBurstPackets / 2;
constexpr int kMarketRequests = EnetTransport::kFloodBurstPackets / 2;
// Of the answers to the hostile client's requests, what another client may hear: news of
// the market's own, not one answer per request.
constexpr int kUpdatesAnotherClientMayHear = 10;
constexpr int kIdleConnections = EnetTransport::kPendingPerAddress;

WorldVec3 Origin()
{
    return WorldVec3(World::Get().GetRegionById(1), Vec3(0, 0, 0));
}

std::string ReportLine(const std::string& report, const std::string& prefix)
{
    const size_t at = report.find(prefix);
    return at == std::string::npos ? "" : report.substr(at, report.find('\n', at) - at);
}

TEST_F(HostileClientTest, ForgedBonusesChangeNoMoneyPointsOrLife)
{
    const Outcome outcome = RunHostile([this] {
        const auto forge = [this](auto&& set) {
            BonusToServerPacket packet;
            set(packet.bonus);
            packet.point = Origin();
            packet.activePlayer = OwnPlayer()->GetObjectId();
            Forge(packet);
        };
        forge([](Bonus& b) { b.goldPoints = 1000000; });
        forge([](Bonus& b) { b.skillPoints = 40; });
        forge([](Bonus& b) { b.attributePoints = 40; });
        forge([](Bonus& b) { b.lifePoints = -1e9f; });
        forge([](Bonus& b) {
            b.lifePoints = kNaN;
            b.manaPoints = kNaN;
        });
        return std::string();
    });
    EXPECT_EQ(outcome.after, outcome.before);
}

// Items put into the world that its player never held, and entities of records its skills
// do not make, are refused; what is made stays within the per-host quota.
TEST_F(HostileClientTest, ForgedCreationsStayWithinTheQuota)
{
    std::vector<uint32_t> forgedIds;
    const Outcome outcome = RunHostile([this] {
        const uint32_t first = PlayerOf(localHost) + 0x100;
        uint32_t id = first;
        for (const char* record : {"Records/Creatures/ArenaMonster.dbr", "Records/Creatures/Merchant.dbr",
                                   "Records/Skills/ArenaSmite.dbr", "Records/Item/Weapons/Sword.dbr",
                                   "Records/Game/GameEngine.dbr", "Records/No/Such.dbr"}) {
            CreateEntityPacket packet;
            packet.coords = WorldCoords(World::Get().GetRegionById(1), Coords());
            packet.recordName = record;
            packet.objectId = id++;
            Forge(packet);
        }
        for (int i = 0; i < kForgedItems; ++i) {
            CreateItemPacket packet;
            packet.coords = WorldCoords(World::Get().GetRegionById(1), Coords());
            packet.item.objectId = id++;
            packet.item.baseName = "Records/Item/Weapons/Sword.dbr";
            packet.item.seed = static_cast<uint32_t>(i);
            Forge(packet);
        }
        return std::to_string(first) + " " + std::to_string(id) + "\n";
    });
    // Items made within the quota lie in the world: the count of entities may grow by them.
    EXPECT_EQ(StateWithout(outcome.after, "entities "), StateWithout(outcome.before, "entities "));
    // Every id the forgeries named is still free on the server.
    const uint32_t first = std::stoul(outcome.hostile);
    const uint32_t end = std::stoul(outcome.hostile.substr(outcome.hostile.find(' ')));
    ASSERT_EQ(end - first, 6u + kForgedItems) << outcome.hostile;
    size_t madeEntities = 0, madeItems = 0;
    for (uint32_t id = first; id < end; ++id) {
        if (ObjectManager::Get().GetObject(id) == nullptr)
            continue;
        (id < first + 6 ? madeEntities : madeItems)++;
    }
    EXPECT_EQ(madeEntities, 0u);
    EXPECT_LE(madeItems, kMaxLiveClientItems);
}

TEST_F(HostileClientTest, AForgedSkillResultStrikesNeitherTheServersPlayerNorABystander)
{
    const Outcome outcome = RunHostile([this] {
        for (uint16_t seed = 1; seed <= 3; ++seed) {
            SkillTargetResultConfigCmdPacket packet;
            packet.actorId = OwnPlayer()->GetObjectId();
            packet.skillNumber = 0;   // its own skill, the one every player knows
            packet.seed = seed;
            packet.origin = OwnPlayer()->GetCoords();
            packet.targetIds.AddId(kServerPlayer);
            for (const PlayerNetBasicInfo& record : engine->GetPlayerManagerClient()->GetPlayerInfoCache())
                if (record.playerId != kServerPlayer && record.playerId != OwnPlayer()->GetObjectId())
                    packet.targetIds.AddId(record.playerId);   // the honest client's player
            Forge(packet);
        }
        return std::string();
    });
    EXPECT_EQ(outcome.after, outcome.before);
}

TEST_F(HostileClientTest, PurchasesWithoutGoldOrPastTheStockSellNothing)
{
    const Outcome outcome = RunHostile([this] {
        const MarketClient* market = engine->GetClientServices()->GetMarketClient(kMerchant);
        RunUntil([&] { return market->GetSeed() != 0; });
        for (uint32_t index : {0u, 2u, 3u, 11u, 12u, 13u, 20u, 100u, MarketServer::kStockLimit - 1}) {
            MarketC2SPurchaseRequestPacket packet;
            packet.marketId = kMerchant;
            packet.level = market->GetBracket();
            packet.seed = market->GetSeed();
            packet.itemIndex = index;
            packet.buyerId = OwnPlayer()->GetObjectId();
            Forge(packet);
        }
        return std::string();
    });
    EXPECT_EQ(outcome.after, outcome.before);
    // The honest purchase was paid for where the server holds the honest player's purse.
    EXPECT_LT(outcome.honestMoneyOnServer, kHonestMoney);
}

// An uninvited party join, and a heartbeat of a party that does not exist with a life that
// is no number and a negative maximum: no roster changes, on the server or on the honest
// client, not even for a frame.
TEST_F(HostileClientTest, AnUninvitedJoinAndAForgedHeartbeatChangeNoRoster)
{
    std::string seen;
    std::string partiesBefore;
    const Outcome outcome = RunHostile(
        [this] {
            JoinPartyConfigCmdPacket join;
            join.playerId = OwnPlayer()->GetObjectId();
            join.partyId = static_cast<int32_t>(kServerPlayer);
            Forge(join);
            SinglePlayerHeartbeatPacket beat;
            for (const PlayerNetBasicInfo& record : engine->GetPlayerManagerClient()->GetPlayerInfoCache())
                if (record.playerId == OwnPlayer()->GetObjectId())
                    beat.info = record;
            beat.info.partyId = 0x0DEAD001;
            beat.info.life = kNaN;
            beat.info.maxLife = -5.0f;
            Forge(beat);
            return std::string();
        },
        [&] {
            // Between the go and the end, every record keeps its party and its health.
            std::string parties;
            for (const PlayerNetBasicInfo& record : engine->GetPlayerManagerServer()->GetPlayerInfos()) {
                parties += std::to_string(record.playerId) + ":" + std::to_string(record.partyId) + " ";
                if (seen.empty() && (!std::isfinite(record.life) || !(record.maxLife > 0.0f)))
                    seen = "player " + std::to_string(record.playerId) + " life " + std::to_string(record.life) +
                           "/" + std::to_string(record.maxLife);
            }
            if (partiesBefore.empty())
                partiesBefore = parties;
            if (seen.empty() && parties != partiesBefore)
                seen = "parties " + partiesBefore + "became " + parties;
        });
    EXPECT_EQ(outcome.after, outcome.before);
    EXPECT_EQ(seen, "");
    // The honest client's roster: itself in the server player's party, the hostile player
    // in none, every record sound.
    const std::string hostile = std::to_string(PlayerOf(outcome.hostileHost));
    const std::string honest = std::to_string(PlayerOf(outcome.honestHost));
    EXPECT_EQ(ReportLine(outcome.honest, "roster " + hostile), "roster " + hostile + " party 0") << outcome.honest;
    EXPECT_EQ(ReportLine(outcome.honest, "roster " + honest),
              "roster " + honest + " party " + std::to_string(kServerPlayer));
}

// A flood of requests for the market's news: the hostile client may hear answers, the honest
// one must not hear one for each.
TEST_F(HostileClientTest, AFloodOfMarketRequestsIsNotAnsweredToAnotherClient)
{
    const Outcome outcome = RunHostile([this] {
        MarketC2SUpdateRequestPacket packet;
        packet.marketId = kMerchant;
        for (int i = 0; i < kMarketRequests; ++i)
            Forge(packet);
        return std::string();
    });
    EXPECT_EQ(outcome.after, outcome.before);
    const std::string line = ReportLine(outcome.honest, "market updates by done ");
    int byDone = 0, byBye = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "market updates by done %d, by bye %d", &byDone, &byBye), 2) << outcome.honest;
    EXPECT_LE(byBye - byDone, kUpdatesAnotherClientMayHear);
}

// A chat line that names the server's player as its sender and carries terminal escape
// sequences: whoever shows it names the hostile player and shows no control character.
TEST_F(HostileClientTest, ForgedChatNamesItsRealSenderAndCarriesNoControlCharacters)
{
    std::vector<ChatMessage> heard;
    const Outcome outcome = RunHostile(
        [] {
            ChatPacket packet;
            packet.sender = u"Host";
            packet.text = u"\x1b[2J\x1b]0;owned\x07 hello\r\n";
            Forge(packet);
            return std::string();
        },
        [&] { TakeChat(heard); });
    EXPECT_EQ(outcome.after, outcome.before);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(LocalizationManager::ToChar(heard[0].sender), "Mallory");
    EXPECT_EQ(std::count_if(heard[0].text.begin(), heard[0].text.end(),
                            [](char16_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }),
              0);
    const std::string line = ReportLine(outcome.honest, "chat ");
    EXPECT_EQ(line.rfind("chat Mallory: ", 0), 0u) << outcome.honest;
    EXPECT_EQ(line.find("\\x"), std::string::npos) << line;
}

// A client's message, as a dialog or a notification, is shown on the server as its
// player's, never as the server's own; one that would pass for a line of the server's
// summary of the world is shown nowhere.
TEST_F(HostileClientTest, AClientsMessageIsShownAsItsPlayersNeverAsTheServers)
{
    std::vector<std::string> shown;
    const Outcome outcome = RunHostile(
        [] {
            for (const char16_t* text : {u"Server: you have been banned", u"world: end"})
                for (bool asBubble : {false, true}) {
                    RemoteWMessagePacket packet;
                    packet.receiver = kServerPlayer;
                    packet.asBubble = asBubble;
                    packet.text = text;
                    Forge(packet);
                }
            return std::string();
        },
        [&] {
            const auto keep = [&](const char* how, const std::u16string& text) {
                const std::string line = LocalizationManager::ToChar(text);
                if (line.find("banned") != std::string::npos || line.find("world") != std::string::npos)
                    shown.push_back(how + line);
            };
            while (engine->GetNumNotifications() > 0)
                for (const std::u16string& text : engine->TakeTopNotification().texts)
                    keep("notification ", text);
            DialogManager& dialogs = engine->GetDialogManager();
            for (; dialogs.PeekTopDialog(); dialogs.RemoveTopDialog())
                keep("dialog ", dialogs.PeekTopDialog()->text);
        });
    EXPECT_EQ(outcome.after, outcome.before);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::string>{"dialog Mallory: Server: you have been banned",
                                               "notification Mallory: Server: you have been banned"}));
}

// As many connections as one address may hold that never join take no place a joining
// client of that address needs once their deadline for joining has passed: a real client
// that comes after them joins.
TEST_F(HostileClientTest, ConnectionsThatNeverJoinLeaveRoomForARealJoin)
{
    Serve();
    PeerProcess idle(-1, [this] {
        static LogCapture quiet;
        (void)sniffer.release();   // the parent's to close
        std::vector<std::unique_ptr<SniffingTransport>> connections;
        std::string refusals;
        for (int i = 0; i < kIdleConnections; ++i) {
            std::string error;
            if (auto connection = EnetTransport::Connect("127.0.0.1", port, kConnectTimeoutMs, error)) {
                connection->SetGoodbyeWait(kGoodbyeWaitMs);
                connections.push_back(std::make_unique<SniffingTransport>(std::move(connection)));
            }
            else
                refusals += "refused: " + error + "\n";
        }
        if (connections.empty())
            return refusals;
        // Done on the first connection once all are in, then every one stays silent until
        // the server drops it or says bye: each is heard until then, so that each knows
        // when it is gone.
        connections.front()->Signal({NetDestination::Server, ConnectionManager::kServerHost}, SniffingTransport::kDone);
        const HangGuard guard(kFrameLimit, kHangGuardMs);
        for (int frames = 0; !guard.Expired(frames); ++frames) {
            bool open = false, bye = false;
            for (const auto& connection : connections) {
                connection->Service();
                int from = 0;
                std::vector<unsigned char> bytes;
                while (connection->Receive(from, bytes)) {
                }
                open = open || connection->IsConnected(ConnectionManager::kServerHost);
                bye = bye || connection->Count(ConnectionManager::kServerHost, SniffingTransport::kBye) > 0;
            }
            if (!open || bye)
                break;
            Pause();
        }
        return std::to_string(connections.size()) + " connected\n" + refusals;
    });
    ASSERT_TRUE(RunUntil([&] {
        for (int host : joinedHosts)
            if (sniffer->Count(host, SniffingTransport::kDone) > 0)
                return true;
        return idle.IsDone();
    }));
    // Every idle connection is past its deadline for joining.
    serverClockMs += EnetTransport::kDefaultJoinDeadlineMs + 1;
    claimedHosts = joinedHosts.size();   // the idle connections are no client's
    PeerProcess real = Client(u"Latecomer", 0, [this] {
        SignalDoneUntilBye();
        return std::string("joined\n");
    });
    const int host = AwaitJoin(real);
    if (host != 0)
        Go(host);
    EndClients({&idle, &real});
    EXPECT_NE(host, 0) << real.GetReport();
    EXPECT_EQ(real.GetReport(), "joined\n");
    EXPECT_EQ(idle.GetReport(), std::to_string(kIdleConnections) + " connected\n");
}

}  // namespace
}  // namespace GAME
