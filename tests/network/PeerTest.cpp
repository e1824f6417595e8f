// Games in separate processes that play together over socket pairs: the server and its
// clients each run their frames and report their rosters for the test to compare.
#include "Game/network/PlayerRosterPackets.h"
#include "tests/network/PeerFixture.h"

using namespace GAME;

namespace {

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
// host's all show the party, and the guest's heartbeats keep it so. The guest takes its
// answer at once, and a heartbeat of the server's sent before the server heard it may undo
// the host's party in the guest's roster until the next: a client reports once its roster
// shows the party after playing on.
TEST_F(PeerTest, AnAcceptedInvitationIsSeenByItsClientAndOnAThirdHost)
{
    const std::string party = "256 Host party 256\n268435457 Guest party 256\n536870913 Third party 0\n";
    const auto inHostsParty = [&, this](uint32_t player) {
        return PartyOf(player) == kHost && PartyOf(kHost) == kHost && RosterText() == party;
    };
    PeerProcess guest = Client(1, kGuest, u"Guest", [&, this] {
        RunUntil([&, this] {
            DialogManager& dialogs = engine->GetDialogManager();
            for (; dialogs.PeekTopDialog(); dialogs.RemoveTopDialog())
                dialogs.AddResponse(dialogs.PeekTopDialog()->party, true);
            return RosterSize() == 3 && inHostsParty(kGuest);
        });
        KeepPlaying();
        RunUntil([&] { return inHostsParty(kGuest); });
        return RosterText();
    });
    PeerProcess third = Client(2, kThird, u"Third", [&, this] {
        RunUntil([&] { return RosterSize() == 3 && inHostsParty(kGuest); });
        KeepPlaying();
        RunUntil([&] { return inHostsParty(kGuest); });
        return RosterText();
    });
    Serve();
    ASSERT_TRUE(RunUntil([this] { return RosterSize() == 3; }));
    engine->InvitePlayerToParty(kGuest, static_cast<int>(kHost));
    ASSERT_TRUE(RunUntil([&] { return guest.IsDone() && third.IsDone(); }));
    KeepPlaying();

    EXPECT_EQ(guest.GetReport(), party);
    EXPECT_EQ(third.GetReport(), party);
    EXPECT_EQ(RosterText(), party);
    for (const PlayerNetBasicInfo& record : engine->GetPlayerManagerServer()->GetPlayerInfos())
        EXPECT_EQ(record.partyId, record.playerId == kThird ? 0u : kHost) << record.playerId;
    ASSERT_EQ(engine->GetNumPartyRequestResponses(), 1u);
    EXPECT_EQ(engine->GetTopPartyRequestResponse().playerId, kGuest);
}

// The third host leaves: the server removes its player and tells the guest, which removes
// it alike, its character and its place in the host's party too. The same news forged by
// the guest is dropped by the server.
TEST_F(PeerTest, AClientsLeaveReachesTheOtherClientAndCannotBeForged)
{
    const std::string forgeryDropped = "PlayerLeftPacket from host 1 dropped: only the server sends it";
    PeerProcess guest = Client(1, kGuest, u"Guest", [this] {
        ObjectManager::Get().CreateObject("Player", kThird);   // the guest's image of the third
        RunUntil([this] { return RosterSize() == 3; });
        PlayerLeftPacket forged;
        forged.host = 2;
        ConnectionManager::Get().SendToServer(forged);
        RunUntil([this] { return RosterSize() == 2 && !ObjectManager::Get().GetObject(kThird); });
        return RosterText() + (ObjectManager::Get().GetObject(kThird) ? "third stays" : "third gone");
    });
    PeerProcess third = Client(2, kThird, u"Third", [this] {
        RunUntil([this] {
            DialogManager& dialogs = engine->GetDialogManager();
            for (; dialogs.PeekTopDialog(); dialogs.RemoveTopDialog())
                dialogs.AddResponse(dialogs.PeekTopDialog()->party, true);
            return PartyOf(kThird) == kHost;
        });
        return RosterText();   // and the process ends: its link closes
    });
    server.reportLeaves = true;
    LogCapture log;
    Serve();
    ASSERT_TRUE(RunUntil([&] { return log.Contains(forgeryDropped); }));
    EXPECT_EQ(RosterSize(), 3u);
    engine->InvitePlayerToParty(kThird, static_cast<int>(kHost));
    ASSERT_TRUE(RunUntil([this] { return RosterSize() == 2; }));
    server.reportLeaves = false;   // the guest's own end, to come, is not what is shown
    ASSERT_TRUE(RunUntil([&] { return guest.IsDone() && third.IsDone(); }));

    const std::string two = RosterText();
    EXPECT_EQ(two.find("Third"), std::string::npos) << two;
    EXPECT_EQ(guest.GetReport(), two + "third gone");
    EXPECT_NE(third.GetReport().find("536870913 Third party 256\n"), std::string::npos) << third.GetReport();
    EXPECT_EQ(RosterText(), two);
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetNumberOfPlayers(), 2u);
}

}  // namespace
