// Dialog lines and paks: which line a pak says next, how a line ends (voice or silent
// time), and how the end reaches the caller.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "Engine/GameClock.h"
#include "Engine/Localization.h"
#include "Engine/SoundManager.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/quests/DialogManager.h"
#include "Game/quests/DialogPak.h"
#include "core/EngineFixture.h"

namespace GAME {

namespace {

struct CountingFunctor : DialogCallbackFunctor {
    void operator()(int) override { ++calls; }
    void DestroyThroughOwner() override {}
    int calls = 0;
};

class DialogPakTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        LocalizationManager::Instance().RegisterTags(
            "SimpleStringFormat=%s\nP=primary\nA=a\nB=b\nI=irritated\nG=greeting\nL1=long1\nL2=long2\n");
    }
    void TearDown() override
    {
        for (DialogPak* pak : paks)
            DialogPak::Destroy(pak);
        SoundManager::Get().Reset();
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }
    template <class Pak>
    Pak* Spawn(const std::string& keys)
    {
        const std::string name = "Records/Test/Pak" + std::to_string(paks.size()) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, keys);
        Pak* pak = Pak::Spawn(name);
        paks.push_back(pak);
        return pak;
    }
    // The texts of `count` lines said one after another, each let run to its end.
    static std::vector<std::string> Say(DialogPak& pak, int count, CountingFunctor* done = nullptr)
    {
        std::vector<std::string> said;
        for (int i = 0; i < count; ++i) {
            pak.Speak(done);
            said.push_back(LocalizationManager::ToChar(pak.GetText()));
            pak.Update(Dialog::kSilentTimeMs);
        }
        return said;
    }

    std::vector<DialogPak*> paks;
};

}  // namespace

TEST_F(DialogPakTest, ANpcSaysItsPrimaryThenTheOthersThenItsIrritation)
{
    const std::string pool = "defaultDialogTextTag,P,\ndialogTextTag1,A,\ndialogTextTag3,B,\n";
    const struct {
        const char* keys;
        std::vector<std::string> expected;   // in order, with {a, b} standing for either order
    } cases[] = {
        {"irritationDialogTextTag,I,\nirritationRoundTrips,1,\n", {"primary", "*", "*", "irritated", "irritated"}},
        {"irritationDialogTextTag,I,\nirritationRoundTrips,0,\n", {"primary", "irritated", "irritated"}},
        {"", {"primary", "*", "*", "*", "*"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        NpcDialogPak* pak = Spawn<NpcDialogPak>(pool + c.keys);
        ASSERT_NE(pak, nullptr);
        CountingFunctor done;
        const std::vector<std::string> said = Say(*pak, static_cast<int>(c.expected.size()), &done);
        EXPECT_EQ(done.calls, static_cast<int>(c.expected.size()));
        for (size_t i = 0; i < said.size(); ++i) {
            if (c.expected[i] != "*") {
                EXPECT_EQ(said[i], c.expected[i]) << i;
            }
        }
        // Every round of the other lines says each of them once.
        for (size_t i = 1; i + 1 < said.size(); i += 2) {
            if (c.expected[i] == "*") {
                EXPECT_EQ((std::set<std::string>{said[i], said[i + 1]}), (std::set<std::string>{"a", "b"}));
            }
        }
    }
    EXPECT_EQ(paks[2]->IsIrritated(), false);
    EXPECT_EQ(static_cast<NpcDialogPak*>(paks[2])->GetRoundTripsLeft(), -1);
    EXPECT_TRUE(paks[1]->IsIrritated());
    paks[1]->ResetIrritation();
    EXPECT_FALSE(paks[1]->IsIrritated());
}

TEST_F(DialogPakTest, ALoneLineIsSaidEveryTimeAndRecordsFillThePak)
{
    NpcDialogPak* pak = Spawn<NpcDialogPak>("defaultDialogTextTag,P,\ndefaultDialogSoundVolume,0.5,\n");
    EXPECT_EQ(Say(*pak, 3), (std::vector<std::string>{"primary", "primary", "primary"}));
    EXPECT_EQ(pak->GetPrimaryDialog()->GetVolume(), 0.5f);
    EXPECT_EQ(pak->GetShortGreetingTimerTime(), 0);   // keys missing from a record read as 0
    EXPECT_EQ(pak->GetResetDistance(), 0.0f);

    NpcDialogPak* empty = NpcDialogPak::Spawn();
    paks.push_back(empty);
    EXPECT_EQ(empty->GetShortGreetingTimerTime(), 10);
    EXPECT_EQ(empty->GetResetDistance(), 10.0f);
    EXPECT_EQ(empty->GetPrimaryDialog(), nullptr);
    CountingFunctor done;
    empty->Speak(&done);   // nothing to say: the caller is not told
    EXPECT_EQ(empty->GetPlaybackTime(), -1);
    EXPECT_EQ(done.calls, 0);
    EXPECT_EQ(NpcDialogPak::Spawn("Records/Test/Missing.dbr"), nullptr);
}

TEST_F(DialogPakTest, ALineEndsWithItsVoiceOrItsSilentTime)
{
    SoundManager::Get().RegisterSoundLength("Voice.wav", 800);
    Dialog voiced;
    voiced.SetAudioFile("Voice.wav");
    CountingFunctor first, second;
    voiced.Speak(&first);
    voiced.Speak(&second);   // already speaking: the first caller stays
    EXPECT_TRUE(voiced.IsSpeaking());
    EXPECT_EQ(voiced.GetPlaybackTime(), 800);
    GameClock::Get().Advance(799);
    voiced.Update(799);
    EXPECT_EQ(first.calls, 0);
    GameClock::Get().Advance(1);
    voiced.Update(1);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 0);
    EXPECT_FALSE(voiced.IsSpeaking());

    Dialog untimed;   // a voice the sound manager cannot time shows like a silent line
    untimed.SetAudioFile("Unknown.wav");
    untimed.Speak(&first);
    EXPECT_FALSE(untimed.IsSpeaking());

    Dialog silent;
    silent.SetTextTag("P");
    silent.Speak(&second);
    silent.Update(Dialog::kSilentTimeMs - 1);
    EXPECT_EQ(second.calls, 0);
    silent.Update(1);
    EXPECT_EQ(second.calls, 1);
    silent.Speak(&second);   // spoken again without a reset: its time is used up
    silent.Update(1);
    EXPECT_EQ(second.calls, 2);
    silent.Reset();
    silent.Speak(&second);
    silent.Update(1);
    EXPECT_EQ(second.calls, 2);
}

TEST_F(DialogPakTest, AMerchantGreetsInModeZeroOrElseSaysItsLongLines)
{
    MerchantDialogPak* greeter =
        Spawn<MerchantDialogPak>("globalDialogTextTag1,G,\nlongDialogTextTag1,L1,\nresetDistance,3,\n");
    EXPECT_EQ(Say(*greeter, 2), (std::vector<std::string>{"greeting", "greeting"}));
    greeter->SetDialogSelector(MerchantDialogPak::kSelectorLong);
    EXPECT_EQ(Say(*greeter, 1), (std::vector<std::string>{"long1"}));
    EXPECT_EQ(greeter->GetResetDistance(), 10.0f);   // not read for merchants

    MerchantDialogPak* plain = Spawn<MerchantDialogPak>("longDialogTextTag2,L1,\nlongDialogTextTag5,L2,\n");
    const std::vector<std::string> said = Say(*plain, 4);
    EXPECT_EQ((std::set<std::string>(said.begin(), said.begin() + 2)), (std::set<std::string>{"long1", "long2"}));
    EXPECT_EQ((std::set<std::string>(said.begin() + 2, said.end())), (std::set<std::string>{"long1", "long2"}));
    plain->SetDialogSelector(MerchantDialogPak::kSelectorGoodbye);
    EXPECT_EQ(Say(*plain, 1), (std::vector<std::string>{""}));   // no goodbye lines

    // Speaking over a line stops it, and its caller hears that it ended.
    CountingFunctor first, second;
    plain->SetDialogSelector(MerchantDialogPak::kSelectorLong);
    plain->Speak(&first);
    plain->Speak(&second);
    EXPECT_EQ(first.calls, 1);
    EXPECT_TRUE(plain->IsPlaying());
    plain->Stop();
    EXPECT_EQ(second.calls, 1);
    EXPECT_FALSE(plain->IsPlaying());
}

}  // namespace GAME

namespace GAME {

TEST_F(DialogPakTest, AManagersBoxNamingAPlayerFillsInTheRosterName)
{
    LocalizationManager::Instance().RegisterTags("tagInvite=%s invites you\n");
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({7}));
    DialogManager& dialogs = engine->GetDialogManager();
    dialogs.AddDialog(kDialogTypeYesNo, false, DialogParty::kPartyInvite, std::string("tagInvite"), true, 7u, true);
    dialogs.AddDialog(kDialogTypeYesNo, false, DialogParty::kPartyInvite, std::string("tagInvite"), true, 8u, true);
    ASSERT_EQ(dialogs.GetNumDialog(), 2u);
    EXPECT_EQ(LocalizationManager::ToChar(dialogs.PeekTopDialog()->text), "P7 invites you");
    dialogs.RemoveTopDialog();
    EXPECT_EQ(LocalizationManager::ToChar(dialogs.PeekTopDialog()->text), " invites you");   // not in the roster
}

}  // namespace GAME
