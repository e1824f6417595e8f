// The party manager: questions answered from the client roster, invitations shown one
// dialog at a time, the answers, a leader leaving, and kicking.
#include "EngineFixture.h"
#include "Engine/Entity.h"
#include "Engine/Localization.h"
#include "Game/core/PartyManager.h"

namespace GAME {
namespace {

using ::testing::_;
using ::testing::InSequence;

constexpr uint32_t kA = 0x10000001;
constexpr uint32_t kB = 0x20000002;
constexpr uint32_t kC = 0x30000003;

class PartyManagerTest : public EngineTest {
protected:
    void SetUp() override
    {
        RecordDatabase::Get().RegisterRecord(kPartyInviteSoundRecord, "Class,SoundPak,\n");
        EngineTest::SetUp();
        parties = engine->GetPartyManager();
        LocalizationManager::Instance().RegisterTags("tagInviteMessage=%s invites you\n");
    }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }

    // The roster: these ids, each in the party given beside it (0: none).
    void SetRoster(std::initializer_list<std::pair<uint32_t, uint32_t>> members)
    {
        std::vector<PlayerNetBasicInfo> records;
        for (const auto& [id, party] : members) {
            records.push_back(Roster({id}).front());
            records.back().partyId = party;
        }
        engine->GetPlayerManagerClient()->HandlePlayerUpdate(records);
    }
    // The texts of the dialogs queued, oldest first; the queue is emptied.
    std::vector<std::u16string> TakeDialogTexts()
    {
        std::vector<std::u16string> texts;
        DialogManager& dialogs = engine->GetDialogManager();
        for (; dialogs.PeekTopDialog(); dialogs.RemoveTopDialog())
            texts.push_back(dialogs.PeekTopDialog()->text);
        return texts;
    }
    void Answer(bool yes)
    {
        engine->GetDialogManager().AddResponse(DialogParty::kPartyInvite, yes);
        parties->Update();
    }
    void Watch() { engine->InstallNetworkInterface(&network); }

    PartyManager* parties = nullptr;
    NiceNetwork network;
};

TEST_F(PartyManagerTest, TogetherAndNear)
{
    Region region(1, "Region", {});
    std::vector<PlayerNetBasicInfo> records = Roster({kA, kB, kC});
    records[0].partyId = records[1].partyId = records[2].partyId = kA;
    records[1].position = WorldVec3(&region, {3.0f, 0.0f, 4.0f});   // exactly at the radius
    records[2].position = WorldVec3(&region, {3.0f, 0.0f, 4.1f});
    records[0].position = WorldVec3(&region, {});
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(records);
    EXPECT_EQ(parties->GetNumPlayersInPartyNear(static_cast<int>(kA), WorldVec3(&region, {}), 5.0f), 2);
    EXPECT_EQ(parties->GetNumPlayersInPartyNear(0, WorldVec3(&region, {}), 0.0f), 1);

    EXPECT_TRUE(parties->AreInPartyTogether(kA, kC));
    EXPECT_TRUE(parties->AreInPartyTogether(0x40000004, 0x40000004));   // no record, no party
    EXPECT_FALSE(parties->AreInPartyTogether(0x40000004, 0x50000005));
}

TEST_F(PartyManagerTest, InvitationsQueueBehindTheDialog)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, 0}, {kA, 0}, {kB, 0}, {kC, 0}});
    parties->HandlePartyInvite(kA, static_cast<int>(kB));   // not this machine's player
    EXPECT_FALSE(parties->IsInvitationDialogOpen());

    for (uint32_t inviter : {kA, kB, kC})
        parties->HandlePartyInvite(self, static_cast<int>(inviter));
    EXPECT_EQ(parties->GetNumPendingInvitations(), 2u);
    EXPECT_EQ(parties->GetInviteSound()->GetPlayCount(), 1);
    EXPECT_EQ(engine->GetDialogManager().PeekTopDialog()->party, DialogParty::kPartyInvite);
    EXPECT_EQ(TakeDialogTexts(), std::vector<std::u16string>{u"P268435457 invites you"});
    parties->Update();   // no answer yet
    EXPECT_TRUE(parties->IsInvitationDialogOpen());

    Watch();
    {
        InSequence order;
        EXPECT_CALL(network, DisplayMessageRemote(kA, self, true, std::string("tagMessageDeny")));
        EXPECT_CALL(network, AddPlayerToParty(self, static_cast<int>(kB)));
        EXPECT_CALL(network, AddPlayerToParty(kB, static_cast<int>(kB)));
    }
    Answer(false);   // the next oldest is shown
    EXPECT_EQ(TakeDialogTexts(), std::vector<std::u16string>{u"P536870914 invites you"});
    EXPECT_EQ(parties->GetNumPendingInvitations(), 1u);
    Answer(true);    // the rest are discarded
    EXPECT_FALSE(parties->IsInvitationDialogOpen());
    EXPECT_EQ(parties->GetNumPendingInvitations(), 0u);
    EXPECT_TRUE(TakeDialogTexts().empty());
}

// A peer can send invitations without end: one waits per inviter, and only so many.
TEST_F(PartyManagerTest, WaitingInvitationsAreOnePerInviterAndBounded)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, 0}});
    LogCapture log;
    for (uint32_t inviter = 1; inviter <= 40; ++inviter)
        parties->HandlePartyInvite(self, static_cast<int>(0x10000000u | inviter));
    parties->HandlePartyInvite(self, static_cast<int>(0x10000001u));   // shown already
    parties->HandlePartyInvite(self, static_cast<int>(0x10000002u));   // waiting already
    EXPECT_EQ(parties->GetNumPendingInvitations(), kMaxPendingInvitations);
    EXPECT_EQ(log.Texts().size(), 24u);   // 40 inviters: one shown, 15 waiting
    EXPECT_TRUE(log.Contains("PartyManager: invitation from 268435496 dropped: 15 invitations are waiting"));
}

// The party changes a peer's player may ask of the host are those the party steps make.
TEST_F(PartyManagerTest, PartyChangesAPlayerMayMake)
{
    struct Change {
        uint32_t changer, player, party;
        bool may;
    };
    const auto check = [this](std::initializer_list<Change> changes) {
        for (const Change& c : changes)
            EXPECT_EQ(parties->MayChangeParty(c.changer, c.player, c.party), c.may)
                << c.changer << " moves " << c.player << " to " << c.party;
    };
    constexpr uint32_t kD = 0x40000004;
    constexpr uint32_t kStranger = 0x70000007;
    SetRoster({{kA, kA}, {kB, kA}, {kC, kA}, {kD, 0}});
    parties->NoteInvitation(kB, kD);
    check({
        {kB, kB, 0, true}, {kB, kB, kD, true}, {kB, kB, kStranger, false},   // itself: out, or to a roster party
        {kB, kB, kC, false}, {kD, kD, kB, false},                            // that invited it, none other
        {kA, kB, 0, true}, {kA, kB, kC, true}, {kA, kB, kD, false},          // the leader: its members out, or
        {kA, kD, 0, false},                                                  // to another member
        {kB, kC, 0, false}, {kB, kA, 0, false},                              // a member moves nobody else
        {kB, kD, kD, false},                                                 // not D's party yet
        {kStranger, kStranger, 0, false}, {kA, kStranger, 0, false},         // nobody outside the roster
    });
    // Having joined D's party, B makes D its leader, and nothing else.
    SetRoster({{kA, kA}, {kB, kD}, {kC, kA}, {kD, 0}});
    check({{kB, kD, kD, true}, {kB, kD, kB, false}, {kC, kD, kD, false}});
}

TEST_F(PartyManagerTest, AnInvitationToAPlayerInAPartyIsIgnored)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, kA}, {kA, kA}, {kB, 0}});
    parties->HandlePartyInvite(self, static_cast<int>(kB));
    EXPECT_FALSE(parties->IsInvitationDialogOpen());
    EXPECT_EQ(engine->GetDialogManager().GetNumDialog(), 0u);
}

TEST_F(PartyManagerTest, AcceptingJoinsTheInvitersParty)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, 0}, {kA, 0}, {kB, kA}});
    parties->HandlePartyInvite(self, static_cast<int>(kA));
    Answer(true);
    EXPECT_EQ(parties->GetParty(self), kA);
    EXPECT_EQ(parties->GetParty(kA), kA);
    EXPECT_EQ(parties->GetNumInPlayersParty(self), 3);
}

TEST_F(PartyManagerTest, LeaderLeavingAPartyOfThree)
{
    SetRoster({{kA, kB}, {kB, kB}, {kC, kB}});
    Watch();
    InSequence order;
    EXPECT_CALL(network, AddPlayerToParty(kA, static_cast<int>(kA)));
    EXPECT_CALL(network, AddPlayerToParty(kC, static_cast<int>(kA)));
    parties->CleanUpForPlayerLeave(kB);
}

TEST_F(PartyManagerTest, LeaderLeavingAPartyOfTwo)
{
    SetRoster({{kA, kA}, {kB, kA}, {kC, 0}});
    parties->CleanUpForPlayerLeave(kA);
    EXPECT_EQ(parties->GetParty(kB), 0u);
    EXPECT_EQ(parties->GetParty(kC), 0u);
}

TEST_F(PartyManagerTest, ALeaderJoiningAnotherPartyHandsItsOwnOn)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{kA, self}, {self, self}, {kB, self}, {kC, kC}});
    engine->AddPlayerToParty(self, static_cast<int>(kC));
    EXPECT_EQ(parties->GetParty(self), kC);
    EXPECT_EQ(parties->GetParty(kA), kA);
    EXPECT_EQ(parties->GetParty(kB), kA);
}

TEST_F(PartyManagerTest, KickingNeedsTheLeaderAndDissolvesAPartyOfTwo)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, kA}, {kA, kA}, {kB, kA}});
    Watch();
    EXPECT_CALL(network, AddPlayerToParty(_, _)).Times(0);
    parties->AttemptToKickFromLocalParty(kB);
    ASSERT_EQ(engine->GetNumNotifications(), 1u);
    EXPECT_EQ(engine->TakeTopNotification().texts,
              std::vector<std::u16string>{u"You do not have permission to kick that person."});
    ::testing::Mock::VerifyAndClearExpectations(&network);

    SetRoster({{self, self}, {kA, self}});
    InSequence order;
    EXPECT_CALL(network, DisplayMessageRemote(self, kA, true, std::string("tagMessageLeave")));
    EXPECT_CALL(network, AddPlayerToParty(self, 0));
    EXPECT_CALL(network, AddPlayerToParty(kA, 0));
    parties->AttemptToKickFromLocalParty(kA);
}

}  // namespace
}  // namespace GAME
