// The party manager: questions answered from the client roster, invitations shown one
// dialog at a time, the answers, a leader leaving, and kicking.
#include "EngineFixture.h"
#include "Engine/Entity.h"
#include "Engine/Localization.h"
#include "Game/core/PartyManager.h"
#include "Game/quests/DialogManager.h"

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
        LocalizationManager::Instance().RegisterTags("tagInviteMessage=%s invites you\ntagMessageJoin=%s joined\n");
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
    uint32_t PartyOf(uint32_t id) const { return parties->GetParty(id); }
    // The texts of the dialogs queued, oldest first.
    std::vector<std::u16string> DialogTexts()
    {
        std::vector<std::u16string> texts;
        DialogManager& dialogs = engine->GetDialogManager();
        while (const DialogManager::Dialog* top = dialogs.PeekTopDialog()) {
            texts.push_back(top->text);
            dialogs.RemoveTopDialog();
        }
        return texts;
    }
    void Answer(bool yes)
    {
        engine->GetDialogManager().AddResponse(DialogParty::kPartyInvite, yes);
        parties->Update();
    }
    int SoundPlays() const
    {
        const SoundPak* sound = parties->GetInviteSound();
        return sound ? sound->GetPlayCount() : -1;
    }
    void Watch() { engine->InstallNetworkInterface(&network); }

    PartyManager* parties = nullptr;
    ::testing::NiceMock<MockNetwork> network;
};

TEST_F(PartyManagerTest, QuestionsReadTheRoster)
{
    SetRoster({{kA, kA}, {kB, kA}, {kC, 0}});
    EXPECT_TRUE(parties->AreInPartyTogether(kC, kC));
    EXPECT_FALSE(parties->AreInPartyTogether(kC, 0x40000004));
    EXPECT_TRUE(parties->AreInPartyTogether(kA, kB));
    EXPECT_EQ(parties->GetNumPlayersInParty(0), 1);
    EXPECT_EQ(parties->GetNumInPlayersParty(kB), 2);
    EXPECT_EQ(parties->GetPlayerFaction(kB), kA);
    EXPECT_EQ(parties->GetPlayerFaction(kC), kC);

    std::vector<uint32_t> members{99};
    parties->GetPartyMembers(kC, members);
    EXPECT_EQ(members, std::vector<uint32_t>{kC});
    parties->GetPartyMembers(kB, members);
    EXPECT_EQ(members, (std::vector<uint32_t>{kA, kB}));
    parties->GetPlayersInParty(0, members);
    EXPECT_TRUE(members.empty());
}

TEST_F(PartyManagerTest, MembersNearAPlace)
{
    Region region(1, "Region", {});
    std::vector<PlayerNetBasicInfo> records = Roster({kA, kB, kC});
    for (PlayerNetBasicInfo& record : records)
        record.partyId = kA;
    records[0].position = WorldVec3(&region, {0.0f, 0.0f, 0.0f});
    records[1].position = WorldVec3(&region, {3.0f, 0.0f, 4.0f});   // exactly at the radius
    records[2].position = WorldVec3(&region, {3.0f, 0.0f, 4.1f});
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(records);
    const WorldVec3 where(&region, {0.0f, 0.0f, 0.0f});
    EXPECT_EQ(parties->GetNumPlayersInPartyNear(static_cast<int>(kA), where, 5.0f), 2);
    EXPECT_EQ(parties->GetNumPlayersInPartyNear(0, WorldVec3(&region, {100.0f, 0.0f, 0.0f}), 1.0f), 1);
}

TEST_F(PartyManagerTest, ExperienceMultiplierSumsThePartysShare)
{
    auto* victim = DynamicCast<Character>(ObjectManager::Get().CreateObject("Monster"));
    SetRoster({{kA, kA}, {kB, kA}, {kC, 0}});
    engine->RegisterDamage(victim->GetObjectId(), kA, 30.0f);
    engine->RegisterDamage(victim->GetObjectId(), kB, 10.0f);
    engine->RegisterDamage(victim->GetObjectId(), kC, 60.0f);
    EXPECT_FLOAT_EQ(parties->GetPartyExperienceMultiplier(kB, victim->GetObjectId()), 0.4f);
    EXPECT_FLOAT_EQ(parties->GetPartyExperienceMultiplier(kC, victim->GetObjectId()), 0.6f);
}

TEST_F(PartyManagerTest, InvitationsWaitForTheDialogAndOnlyReachAPlayerWithoutParty)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, 0}, {kA, 0}, {kB, 0}, {kC, 0}});

    parties->HandlePartyInvite(kA, static_cast<int>(kB));   // not this machine's player
    EXPECT_FALSE(parties->IsInvitationDialogOpen());

    parties->HandlePartyInvite(self, static_cast<int>(kA));
    parties->HandlePartyInvite(self, static_cast<int>(kB));
    parties->HandlePartyInvite(self, static_cast<int>(kC));
    EXPECT_TRUE(parties->IsInvitationDialogOpen());
    EXPECT_EQ(parties->GetNumPendingInvitations(), 2u);
    EXPECT_EQ(SoundPlays(), 1);
    const DialogManager::Dialog* shown = engine->GetDialogManager().PeekTopDialog();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->type, kDialogTypeYesNo);
    EXPECT_EQ(shown->party, DialogParty::kPartyInvite);
    EXPECT_EQ(DialogTexts(), std::vector<std::u16string>{u"P268435457 invites you"});

    parties->Update();   // no answer yet
    EXPECT_TRUE(parties->IsInvitationDialogOpen());
}

TEST_F(PartyManagerTest, AnInvitationToAPlayerInAPartyIsIgnored)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, kA}, {kA, kA}, {kB, 0}});
    EventCapture events;
    parties->HandlePartyInvite(self, static_cast<int>(kB));
    EXPECT_EQ(events.Count("GameEvent_InviteToParty"), 0u);
    EXPECT_FALSE(parties->IsInvitationDialogOpen());
    EXPECT_EQ(engine->GetDialogManager().GetNumDialog(), 0u);
}

TEST_F(PartyManagerTest, RefusingShowsTheNextOldestAndAcceptingDiscardsTheRest)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, 0}, {kA, 0}, {kB, 0}, {kC, 0}});
    for (uint32_t inviter : {kA, kB, kC})
        parties->HandlePartyInvite(self, static_cast<int>(inviter));
    DialogTexts();
    Watch();
    {
        InSequence order;
        EXPECT_CALL(network, DisplayMessageRemote(kA, self, true, std::string("tagMessageDeny")));
        EXPECT_CALL(network, AddPlayerToParty(self, static_cast<int>(kB)));
        EXPECT_CALL(network, AddPlayerToParty(kB, static_cast<int>(kB)));
    }
    Answer(false);
    EXPECT_TRUE(parties->IsInvitationDialogOpen());
    EXPECT_EQ(parties->GetNumPendingInvitations(), 1u);
    EXPECT_EQ(DialogTexts(), std::vector<std::u16string>{u"P536870914 invites you"});
    EXPECT_EQ(SoundPlays(), 2);

    Answer(true);
    EXPECT_FALSE(parties->IsInvitationDialogOpen());
    EXPECT_EQ(parties->GetNumPendingInvitations(), 0u);
    EXPECT_TRUE(DialogTexts().empty());
}

TEST_F(PartyManagerTest, AcceptingJoinsTheInvitersPartyAndTellsItsMembers)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, 0}, {kA, 0}, {kB, kA}});
    parties->HandlePartyInvite(self, static_cast<int>(kA));
    Answer(true);
    EXPECT_EQ(PartyOf(self), kA);
    EXPECT_EQ(PartyOf(kA), kA);
    EXPECT_EQ(parties->GetNumInPlayersParty(self), 3);
    // The other members hear of it; here both notices arrive on this machine, where two
    // equal notices in a row show as one.
    ASSERT_EQ(engine->GetNumNotifications(), 1u);
    const std::string name = "P" + std::to_string(self) + " joined";
    EXPECT_EQ(engine->TakeTopNotification().texts, std::vector<std::u16string>{std::u16string(name.begin(), name.end())});
}

TEST_F(PartyManagerTest, LeaderLeavingAPartyOfThreeHandsItToTheFirstRemaining)
{
    SetRoster({{kA, kB}, {kB, kB}, {kC, kB}});
    Watch();
    {
        InSequence order;
        EXPECT_CALL(network, AddPlayerToParty(kA, static_cast<int>(kA)));
        EXPECT_CALL(network, AddPlayerToParty(kC, static_cast<int>(kA)));
    }
    EXPECT_CALL(network, AddPlayerToParty(kB, _)).Times(0);
    parties->CleanUpForPlayerLeave(kB);
}

TEST_F(PartyManagerTest, LeaderLeavingAPartyOfTwoLeavesTheOtherAlone)
{
    SetRoster({{kA, kA}, {kB, kA}, {kC, 0}});
    parties->CleanUpForPlayerLeave(kA);
    EXPECT_EQ(PartyOf(kB), 0u);
    EXPECT_EQ(PartyOf(kC), 0u);
    EXPECT_EQ(PartyOf(kA), kA);   // the leaver's record goes with the roster's own update

    parties->CleanUpForPlayerLeave(kC);   // led no party: nothing changes
    EXPECT_EQ(PartyOf(kA), kA);
}

TEST_F(PartyManagerTest, ALeaderJoiningAnotherPartyHandsItsOwnOn)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{kA, self}, {self, self}, {kB, self}, {kC, kC}});
    engine->AddPlayerToParty(self, static_cast<int>(kC));
    EXPECT_EQ(PartyOf(self), kC);
    EXPECT_EQ(PartyOf(kA), kA);
    EXPECT_EQ(PartyOf(kB), kA);
}

TEST_F(PartyManagerTest, OnlyTheLeaderMayKick)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, kA}, {kA, kA}, {kB, kA}});
    Watch();
    EXPECT_CALL(network, AddPlayerToParty(_, _)).Times(0);
    EXPECT_CALL(network, DisplayMessageRemote(_, _, _, _)).Times(0);
    parties->AttemptToKickFromLocalParty(kB);
    parties->AttemptToKickFromLocalParty(self);
    ASSERT_EQ(engine->GetNumNotifications(), 1u);   // two equal notices in a row show as one
    const UINotification notice = engine->TakeTopNotification();
    EXPECT_EQ(notice.type, UINotificationType_PlayerMessage);
    EXPECT_EQ(notice.texts, std::vector<std::u16string>{u"You do not have permission to kick that person."});
}

TEST_F(PartyManagerTest, TheLeaderKickingFromAPartyOfTwoDissolvesIt)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    SetRoster({{self, self}, {kA, self}});
    Watch();
    {
        InSequence order;
        EXPECT_CALL(network, DisplayMessageRemote(self, kA, true, std::string("tagMessageLeave")));
        EXPECT_CALL(network, AddPlayerToParty(self, 0));
        EXPECT_CALL(network, AddPlayerToParty(kA, 0));
    }
    parties->AttemptToKickFromLocalParty(kA);
}

}  // namespace
}  // namespace GAME
