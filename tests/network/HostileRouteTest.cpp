// A hostile client against the host's dispatch: floods of requests and of forgeries, chat in
// another's name with terminal escapes, and what the host tells its watchers of them.
#include <thread>

#include "Engine/ChatPacket.h"
#include "Engine/GameClock.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/NetPacketRegistry.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/session/GamePacketDispatch.h"
#include "tests/network/GameWireFixture.h"

namespace GAME {
namespace {

constexpr uint32_t kHostileMerchant = 42;
constexpr uint32_t kHostilePlayer = 0x10000001;   // host 1's player, "P268435457" in the roster
constexpr uint32_t kBystanderPlayer = 0x20000001;  // host 2's, "P536870913"

class HostileRouteTest : public GameWireTest {
protected:
    void SetUp() override
    {
        GameWireTest::SetUp();
        // The drop log's seconds follow these cases' frames.
        NetDropLog::SetClock([] { return uint64_t{GameClock::Get().GetRealTime()}; });
        RegisterGamePacketDispatch();
        engine->SetAsNetworkServer();
        MakeMainPlayer();
        for (uint32_t player : {kHostilePlayer, kBystanderPlayer}) {
            const int host = ConnectionManager::HostOfPlayer(player);
            transport.Connect(host);
            SinglePlayerBasicInfoPacket join;
            join.info = Roster({player})[0];
            Receive(host, Written(join));
        }
        transport.sent.clear();
    }
    void TearDown() override
    {
        NetPacketRegistry::Get().SetAppliedObserver({});
        NetDropLog::SetClock(nullptr);
        UnregisterGamePacketDispatch();
        GameWireTest::TearDown();
    }
    void Receive(int fromHost, const Bytes& bytes)
    {
        transport.Feed(fromHost, bytes);
        gEngine->UpdateFrame(0);
    }
    // Feeds `count` packets from each host, a frame every thousand (the inbox holds 4096).
    void Flood(std::initializer_list<int> hosts, const std::vector<Bytes>& packets, int count)
    {
        for (int i = 1; i <= count; ++i) {
            for (int host : hosts)
                for (const Bytes& bytes : packets)
                    transport.Feed(host, bytes);
            if (i % 1000 == 0 || i == count)
                gEngine->UpdateFrame(0);
        }
    }
    size_t SentOfType(NetPacketType type, const NetDestination& to) const
    {
        size_t count = 0;
        for (const RecordingTransport::SentPacket& packet : transport.sent)
            count += packet.Type() == type && packet.to == to;
        return count;
    }
};

using HostileFloodTest = HostileRouteTest;
using HostileChatTest = HostileRouteTest;
using HostileTransportPrintTest = HostileRouteTest;

// 50,000 requests for a market's stock in one frame: a burst is answered, to the asker
// alone; the rest is refused with one log line, and the budget fills again with time.
TEST_F(HostileFloodTest, MarketRequestsAreBudgetedAndAnsweredToTheAskerAlone)
{
    engine->GetClientServices()->CreateMarketClient(kHostileMerchant);
    MarketC2SUpdateRequestPacket request;
    request.marketId = kHostileMerchant;
    Receive(1, Written(request));
    engine->GetServerServices()->Update(16);   // the first stock, for every machine
    EXPECT_EQ(SentOfType(MarketS2CUpdatePacket::kType, kAllClients), 1u);
    transport.sent.clear();

    LogCapture log;
    Flood({1}, {Written(request)}, 50000);
    EXPECT_EQ(SentOfType(MarketS2CUpdatePacket::kType, HostOf(1)), 31u);   // 32 in a burst, one asked before
    EXPECT_EQ(transport.sent.size(), 31u);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "MarketC2SUpdateRequestPacket from host 1 dropped: it asks more than 16 times a second"}));
    gEngine->UpdateFrame(NetDropLog::kWindowMs);
    EXPECT_TRUE(log.Contains("MarketC2SUpdateRequestPacket from host 1: 49968 more dropped in the last second: it asks "
                             "more than 16 times a second"));
    transport.sent.clear();
    Flood({1}, {Written(request)}, 20);
    EXPECT_EQ(SentOfType(MarketS2CUpdatePacket::kType, HostOf(1)), 16u);   // a second's worth
}

// Forgeries from two hosts, and packets that do not even read: a line per host and reason
// at once, their counts once a second, a kind quiet for a second logged whole again.
TEST_F(HostileFloodTest, DropsAreLoggedOnceASecondPerHostAndReason)
{
    GiveGoldPacket gold;
    gold.playerId = kHostilePlayer;
    gold.amount = 1000000;
    LogCapture log;
    for (int second = 0; second < 2; ++second) {
        Flood({1, 2}, {Written(gold), Bytes{1}}, 10000);
        gEngine->UpdateFrame(NetDropLog::kWindowMs);
    }
    gEngine->UpdateFrame(NetDropLog::kWindowMs);   // a quiet second: the kinds are forgotten
    Receive(1, Written(gold));
    EXPECT_EQ(log.Texts().size(), 13u);   // each host's two kinds: a line and two counts; one anew
    for (int host : {1, 2}) {
        const std::string from = " from host " + std::to_string(host);
        EXPECT_EQ(log.Count("Packet" + from + " dropped: 1 bytes is shorter than a header"), 1u);
        EXPECT_EQ(log.Count("Packet" + from + ": 9999 more dropped in the last second: 1 bytes is shorter than a "
                            "header"), 1u);
        EXPECT_EQ(log.Count("GiveGoldPacket" + from + ": 10000 more dropped in the last second: only the server "
                            "sends it"), 1u);
    }
    EXPECT_EQ(log.Count("GiveGoldPacket from host 1 dropped: only the server sends it"), 2u);
}

// A line in another's name, with a screen-clearing escape and a forged line of its own: it
// goes under the sender's roster name, without control characters, here and to the others.
TEST_F(HostileChatTest, ChatGoesUnderTheSendersNameWithoutControlCharacters)
{
    ChatPacket chat;
    chat.sender = u"P536870913";
    chat.text = u"hi\u001b[2J\r\nframe 9: host 2 left\u009b";
    Receive(1, Written(chat));
    ChatPacket passedOn;
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to, (NetDestination{NetDestination::OtherClients, 1}));
    ASSERT_TRUE(passedOn.CopyInbound(transport.sent[0].bytes.data(), static_cast<int>(transport.sent[0].bytes.size())));
    EXPECT_EQ(passedOn.sender, u"P268435457");
    EXPECT_EQ(passedOn.text, u"hi[2Jframe 9: host 2 left");
    std::vector<ChatMessage> lines;
    engine->RemovePendingMessages(lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].sender, u"P268435457");
    EXPECT_EQ(lines[0].text, passedOn.text);

    // A flood of lines: a burst is passed on, and no more until the budget fills again.
    Flood({1}, {Written(chat)}, 100);
    EXPECT_EQ(SentOfType(ChatPacket::kType, {NetDestination::OtherClients, 1}), 32u);
    transport.sent.resize(1);

    // A host without a player in the game has no name to speak under.
    transport.Connect(3);
    LogCapture log;
    Receive(3, Written(chat));
    EXPECT_TRUE(log.Contains("ChatPacket from host 3 dropped: the host has no player in the game"));
    EXPECT_EQ(transport.sent.size(), 1u);

    // Names a peer gives are kept clean too, and a client cleans what the host tells it.
    SinglePlayerBasicInfoPacket join;
    join.info = Roster({0x30000001})[0];
    join.info.playerName = u"\u001b]0;owned\u0007Eve";
    Receive(3, Written(join));
    EXPECT_EQ(engine->GetPlayerManagerClient()->GetPlayerName(0x30000001), u"]0;ownedEve");
    while (engine->GetNumNotifications() > 0)
        engine->TakeTopNotification();
    engine->SetAsNetworkClient();
    RemoteMessagePacket message;
    message.asBubble = true;
    message.textTag = "\x1b[31mred\xc2\x9b";
    Receive(ConnectionManager::kServerHost, Written(message));
    EXPECT_EQ(engine->TakeTopNotification().texts, (std::vector<std::u16string>{u"<[31mred>"}));
}

// Messages for another client's player whose text is at its bound: each is passed on under
// its sender's name, which takes the end of the text (never half a character), and none
// costs a log line.
TEST_F(HostileChatTest, AMessageAtTheBoundIsPassedOnUnderItsSendersName)
{
    const std::u16string name = u"P268435457: ";
    const size_t kept = NetLimits::kMaxWideStringLength - name.size() - 1;   // a pair would stand across the bound
    RemoteWMessagePacket message;
    message.receiver = kBystanderPlayer;
    message.text = std::u16string(kept, u'a') + u"😀";
    message.text.resize(NetLimits::kMaxWideStringLength, u'b');
    LogCapture log;
    Flood({1}, {Written(message)}, 999);
    EXPECT_EQ(SentOfType(RemoteWMessagePacket::kType, HostOf(2)), 999u);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{});
    RemoteWMessagePacket passedOn;
    ASSERT_FALSE(transport.sent.empty());
    ASSERT_TRUE(ReadInto(passedOn, transport.sent.back().bytes));
    EXPECT_EQ(passedOn.text, name + std::u16string(kept, u'a'));
}

// A packet this host cannot build while it handles a received one (one passed on, grown
// past a bound) is that sender's drop: a flood of them from two hosts costs a line for
// each host and a count each second, not a line each.
TEST_F(HostileFloodTest, PacketsThatCannotBePassedOnAreLoggedOnceASecondPerHost)
{
    NetPacketRegistry::Get().SetHandler(ChatPacket::kType, [](NetPacket& packet, int fromHost) {
        auto& chat = static_cast<ChatPacket&>(packet);
        chat.text.resize(NetLimits::kMaxWideStringLength + 1, u'a');
        ConnectionManager::Get().SendToOtherClients(fromHost, chat);
    });
    ChatPacket chat;
    chat.text = u"hi";
    LogCapture log;
    Flood({1, 2}, {Written(chat)}, 1000);
    EXPECT_TRUE(transport.sent.empty());
    const std::string reason = "ChatPacket (type " + std::to_string(ChatPacket::kType) +
                               ") not built: a wide string is longer than a wide string may be";
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"ChatPacket from host 1 dropped: " + reason,
                                                     "ChatPacket from host 2 dropped: " + reason}));
    gEngine->UpdateFrame(NetDropLog::kWindowMs);
    for (int host : {1, 2})
        EXPECT_EQ(log.Count("ChatPacket from host " + std::to_string(host) + ": 999 more dropped in the last second: " +
                            reason),
                  1u);
    EXPECT_EQ(log.Texts().size(), 4u);
}

// The host's watchers hear of a received packet once it has been applied; a forgery the
// route table drops never reaches them.
TEST_F(HostileTransportPrintTest, OnlyWhatWasAppliedIsSeenAsReceived)
{
    std::vector<std::string> seen;
    NetPacketRegistry::Get().SetAppliedObserver(
        [&](NetPacket& packet, int fromHost) { seen.push_back(packet.GetClassName() + std::to_string(fromHost)); });
    GiveGoldPacket gold;
    gold.playerId = kHostilePlayer;
    SinglePlayerHeartbeatPacket heartbeat;
    heartbeat.info.playerId = kHostilePlayer;
    Receive(1, Written(gold));
    Receive(1, Written(heartbeat));
    EXPECT_EQ(seen, std::vector<std::string>{"SinglePlayerHeartbeatPacket1"});
}

// A flood over a hundred frames of a second each, all within one second of the wall
// clock: one line; the count comes once the wall clock's second is over.
TEST_F(HostileFloodTest, TheDropLogsSecondIsAWallClockSecond)
{
    static uint64_t wallMs = 5000;
    NetDropLog::SetClock([] { return wallMs; });
    GiveGoldPacket gold;
    gold.playerId = kHostilePlayer;
    LogCapture log;
    for (int frame = 0; frame < 100; ++frame) {
        transport.Feed(1, Written(gold));
        gEngine->UpdateFrame(NetDropLog::kWindowMs);
    }
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"GiveGoldPacket from host 1 dropped: only the server sends it"}));
    wallMs += NetDropLog::kWindowMs;
    gEngine->UpdateFrame(0);
    EXPECT_EQ(log.Count("GiveGoldPacket from host 1: 99 more dropped in the last second: only the server sends it"),
              1u);
    EXPECT_EQ(log.Texts().size(), 2u);
}

// A handler that refuses through the drop log has not applied its packet, whatever other
// threads drop meanwhile; one that refuses nothing has, though another thread drops.
TEST_F(HostileTransportPrintTest, AHandlersRefusalIsNeverSeenAsApplied)
{
    std::vector<std::string> seen;
    NetPacketRegistry::Get().SetAppliedObserver(
        [&](NetPacket& packet, int fromHost) { seen.push_back(packet.GetClassName() + std::to_string(fromHost)); });
    LogCapture log;
    bool refuse = true;
    NetPacketRegistry::Get().SetHandler(ChatPacket::kType, [&](NetPacket& packet, int fromHost) {
        if (refuse)
            LogNetDrop(packet.GetClassName(), fromHost, "refused by its handler");
        else
            std::thread([] { LogNetDrop("Elsewhere", 3, "another thread's drop"); }).join();
    });
    ChatPacket chat;
    const Bytes bytes = Written(chat);
    EXPECT_FALSE(ConnectionManager::Get().HandleIncoming(1, bytes.data(), bytes.size()));
    refuse = false;
    EXPECT_TRUE(ConnectionManager::Get().HandleIncoming(1, bytes.data(), bytes.size()));
    EXPECT_EQ(seen, std::vector<std::string>{"ChatPacket1"});
    EXPECT_TRUE(log.Contains("ChatPacket from host 1 dropped: refused by its handler"));
}

}  // namespace
}  // namespace GAME
