#include <gtest/gtest.h>

#include <string>

#include "Engine/Engine.h"
#include "Engine/Localization.h"
#include "Game/quests/DialogManager.h"

using namespace GAME;

namespace {

class DialogManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        text.Clear();
        text.RegisterTags("SimpleStringFormat=[%s]\ntagPortal=Open a portal? 100%\ntagInvite=%s asks you to join\n");
    }
    void TearDown() override { text.Clear(); }

    // The text of the top box, which is then removed.
    std::string TakeTopText()
    {
        const DialogManager::Dialog* dialog = dialogs.PeekTopDialog();
        const std::string result = dialog ? LocalizationManager::ToChar(dialog->text) : "<none>";
        dialogs.RemoveTopDialog();
        return result;
    }
    void AddTag(const char* tag, uint32_t playerId)
    {
        dialogs.AddDialog(kDialogTypeYesNo, false, DialogParty::kPortalRequest, std::string(tag), true, playerId, true);
    }

    LocalizationManager& text = LocalizationManager::Instance();
    DialogManager dialogs;
};

TEST_F(DialogManagerTest, AnswersComeOldestFirstPerParty)
{
    dialogs.AddResponse(DialogParty::kBanPlayer, true);
    dialogs.AddResponse(DialogParty::kPortalRequest, false);
    dialogs.AddResponse(DialogParty::kBanPlayer, false);
    EXPECT_EQ(dialogs.GetNumResponsesFor(DialogParty::kBanPlayer), 2);

    const YesNoResponse first = dialogs.GetResponseFor(DialogParty::kBanPlayer);
    EXPECT_EQ(first.party, DialogParty::kBanPlayer);
    EXPECT_TRUE(first.answer);
    EXPECT_EQ(dialogs.GetNumResponsesFor(DialogParty::kPortalRequest), 1);   // undisturbed
    EXPECT_FALSE(dialogs.GetResponseFor(DialogParty::kBanPlayer).answer);

    // None left: a "no" for party 0, and the other party's answer stays.
    const YesNoResponse none = dialogs.GetResponseFor(DialogParty::kBanPlayer);
    EXPECT_EQ(none.party, 0);
    EXPECT_FALSE(none.answer);
    EXPECT_EQ(dialogs.GetNumResponsesFor(DialogParty::kPortalRequest), 1);
}

TEST_F(DialogManagerTest, HostTakesBoxesInOrderWithTheirFlags)
{
    dialogs.RemoveTopDialog();   // nothing to remove
    dialogs.AddDialog(kDialogTypeYesNo, false, DialogParty::kPartyInvite, u"first", true, true);
    dialogs.AddDialog(kDialogTypeMessage, true, DialogParty::kNoAnswer, u"second", false, true, false);
    EXPECT_EQ(dialogs.GetNumDialog(), 2u);
    EXPECT_EQ(TakeTopText(), "first");
    const DialogManager::Dialog* top = dialogs.PeekTopDialog();
    // The flags are the fifth, the last and the second argument.
    EXPECT_EQ((std::vector<bool>{top->flagA, top->flagB, top->flagC}), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(TakeTopText(), "second");
    EXPECT_EQ(dialogs.PeekTopDialog(), nullptr);
}

// A peer's flood of messages fills the queue to its limit and no further, with two log
// lines in all; once the host takes a box, the next one is queued again.
TEST_F(DialogManagerTest, QueuesAreBoundedAndDropsAreLoggedOnce)
{
    LogCapture log;
    for (size_t i = 0; i < kMaxQueuedDialogs + 500; ++i)
        dialogs.AddDialog(kDialogTypeMessage, false, DialogParty::kNoAnswer, u"spam", true, true);
    for (size_t i = 0; i < kMaxQueuedResponses + 1; ++i)
        dialogs.AddResponse(DialogParty::kMarket, true);
    EXPECT_EQ(dialogs.GetNumDialog(), kMaxQueuedDialogs);
    EXPECT_EQ(static_cast<size_t>(dialogs.GetNumResponsesFor(DialogParty::kMarket)), kMaxQueuedResponses);
    dialogs.RemoveTopDialog();
    dialogs.AddDialog(kDialogTypeMessage, false, DialogParty::kNoAnswer, u"after", true, true);
    EXPECT_EQ(dialogs.GetNumDialog(), kMaxQueuedDialogs);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "DialogManager: a dialog dropped: the queue is full with 64",
                               "DialogManager: an answer dropped: the queue is full with 64",
                               "DialogManager: a dialog: 499 more dropped while the queue was full"}));
}

TEST_F(DialogManagerTest, TextFromTags)
{
    AddTag("tagPortal", 0);   // through "SimpleStringFormat"; the '%' is not a conversion
    EXPECT_EQ(TakeTopText(), "[Open a portal? 100%]");
    AddTag("tagInvite", 9);   // the tag is the format, the (here empty) player name its value
    EXPECT_EQ(TakeTopText(), " asks you to join");

    LogCapture log;
    AddTag("tagMissing", 0);
    EXPECT_EQ(TakeTopText(), "[tagMissing]");
    EXPECT_TRUE(log.Contains("Localization: unknown text tag \"tagMissing\""));

    text.Clear();   // without the wrapper the tag's own text shows
    text.RegisterTags("tagPortal=Open a portal?\n");
    AddTag("tagPortal", 0);
    EXPECT_EQ(TakeTopText(), "Open a portal?");
}

}  // namespace
