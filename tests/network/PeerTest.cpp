// Games in separate processes that play together over socket pairs: the server and its
// clients each run their frames and report their rosters for the test to compare.
#include <algorithm>
#include <chrono>
#include <list>
#include <thread>

#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerServer.h"
#include "host/HostDispatch.h"
#include "tests/network/GameWireFixture.h"
#include "tests/network/PeerProcess.h"

using namespace GAME;

namespace {

constexpr int kFrameMs = 16;
constexpr int kFrameLimit = 4000;
// Frames a peer keeps playing once it saw what it waited for: more than a heartbeat
// interval of every side.
constexpr int kFramesAfter = 90;
constexpr uint32_t kHost = 0x00000100;
constexpr uint32_t kGuest = 0x10000001;
constexpr uint32_t kThird = 0x20000001;

class PeerTest : public GameWireTest {
protected:
    void SetUp() override
    {
        GameWireTest::SetUp();
        RegisterHostDispatch();
    }
    void TearDown() override
    {
        UnregisterHostDispatch();
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
        GameWireTest::TearDown();
    }

    void Frame()
    {
        gEngine->UpdateFrame(kFrameMs);
        engine->Update(kFrameMs);
    }
    // Runs frames until `done` holds; a frame waits a moment for the other processes.
    bool RunUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < kFrameLimit && !done(); ++i) {
            Frame();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done();
    }
    void KeepPlaying()
    {
        for (int i = 0; i < kFramesAfter; ++i)
            Frame();
    }
    Player* Join(uint32_t id, const std::u16string& name)
    {
        auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", id));
        player->SetPlayerName(name);
        engine->GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());
        return player;
    }
    // A client process on `host` with its own player, linked to the server by a new socket
    // pair; `play` runs once the client has joined and returns the report.
    PeerProcess Client(int host, uint32_t player, const std::u16string& name, const std::function<std::string()>& play)
    {
        int ends[2] = {-1, -1};
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        server.Link(host, ends[0]);
        return PeerProcess(ends[1], [=, this] {
            LogCapture quiet;
            transports.emplace_back();
            transports.back().Link(ConnectionManager::kServerHost, ends[1]);
            ConnectionManager::Get().SetTransport(&transports.back());
            ConnectionManager::Get().SetLocalHostId(host);
            engine->SetAsNetworkClient();
            Join(player, name);
            return play();
        });
    }
    // This process becomes the server of the clients started so far, with the host's player.
    void Serve()
    {
        ConnectionManager::Get().SetTransport(&server);
        engine->SetAsNetworkServer();
        Join(kHost, u"Host");
    }
    // The roster as this machine sees it: id, name and party of each player.
    std::string RosterText() const
    {
        // Clients join at once, so the roster's arrival order differs from run to run:
        // list it by player id.
        std::vector<PlayerNetBasicInfo> records = engine->GetPlayerManagerClient()->GetPlayerInfoCache();
        std::sort(records.begin(), records.end(),
                  [](const PlayerNetBasicInfo& a, const PlayerNetBasicInfo& b) { return a.playerId < b.playerId; });
        std::string text;
        for (const PlayerNetBasicInfo& record : records)
            text += std::to_string(record.playerId) + " " + LocalizationManager::ToChar(record.playerName) +
                    " party " + std::to_string(record.partyId) + "\n";
        return text;
    }
    size_t RosterSize() const { return engine->GetPlayerManagerClient()->GetPlayerInfoCache().size(); }
    uint32_t PartyOf(uint32_t player) const { return engine->GetPartyManager()->GetParty(player); }

    SocketTransport server;
    std::list<SocketTransport> transports;
};

TEST_F(PeerTest, AfterAJoinTheServerAndTheClientHaveBothPlayers)
{
    PeerProcess guest = Client(1, kGuest, u"Guest", [this] {
        RunUntil([this] { return RosterSize() == 2; });
        return RosterText();
    });
    Serve();
    ASSERT_TRUE(RunUntil([&guest] { return guest.IsDone(); }));

    const std::string both = "256 Host party 0\n268435457 Guest party 0\n";
    EXPECT_EQ(guest.GetReport(), both);
    EXPECT_EQ(RosterText(), both);
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetNumberOfPlayers(), 2u);
    EXPECT_EQ(engine->GetPlayerName(kGuest), u"Guest");
}

// The guest accepts the host's invitation: its own roster, the third player's and the
// host's all show the party, and the guest's heartbeats keep it so.
TEST_F(PeerTest, AnAcceptedInvitationIsSeenByItsClientAndOnAThirdHost)
{
    const auto inHostsParty = [this](uint32_t player) { return PartyOf(player) == kHost && PartyOf(kHost) == kHost; };
    PeerProcess guest = Client(1, kGuest, u"Guest", [&, this] {
        RunUntil([&, this] {
            DialogManager& dialogs = engine->GetDialogManager();
            for (; dialogs.PeekTopDialog(); dialogs.RemoveTopDialog())
                dialogs.AddResponse(dialogs.PeekTopDialog()->party, true);
            return RosterSize() == 3 && inHostsParty(kGuest);
        });
        KeepPlaying();
        return RosterText();
    });
    PeerProcess third = Client(2, kThird, u"Third", [&, this] {
        RunUntil([&] { return RosterSize() == 3 && inHostsParty(kGuest); });
        KeepPlaying();
        return RosterText();
    });
    Serve();
    ASSERT_TRUE(RunUntil([this] { return RosterSize() == 3; }));
    engine->InvitePlayerToParty(kGuest, static_cast<int>(kHost));
    ASSERT_TRUE(RunUntil([&] { return guest.IsDone() && third.IsDone(); }));
    KeepPlaying();

    const std::string party = "256 Host party 256\n268435457 Guest party 256\n536870913 Third party 0\n";
    EXPECT_EQ(guest.GetReport(), party);
    EXPECT_EQ(third.GetReport(), party);
    EXPECT_EQ(RosterText(), party);
    for (const PlayerNetBasicInfo& record : engine->GetPlayerManagerServer()->GetPlayerInfos())
        EXPECT_EQ(record.partyId, record.playerId == kThird ? 0u : kHost) << record.playerId;
    ASSERT_EQ(engine->GetNumPartyRequestResponses(), 1u);
    EXPECT_EQ(engine->GetTopPartyRequestResponse().playerId, kGuest);
}

}  // namespace
