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
        text.RegisterTags("SimpleStringFormat=[%s]\n"
                          "tagPortal=Open a portal? 100%\n"
                          "tagInvite=%s asks you to join\n");
    }
    void TearDown() override { text.Clear(); }

    std::string TopText() const
    {
        const DialogManager::Dialog* dialog = dialogs.PeekTopDialog();
        return dialog ? LocalizationManager::ToChar(dialog->text) : std::string("<none>");
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
    EXPECT_EQ(dialogs.GetNumResponsesFor(DialogParty::kPortalRequest), 1);
    EXPECT_EQ(dialogs.GetNumResponsesFor(DialogParty::kTeleportConfirm), 0);

    YesNoResponse first = dialogs.GetResponseFor(DialogParty::kBanPlayer);
    EXPECT_EQ(first.party, DialogParty::kBanPlayer);
    EXPECT_TRUE(first.answer);
    // Taking party 4's answer leaves party 5's in place.
    EXPECT_EQ(dialogs.GetNumResponsesFor(DialogParty::kPortalRequest), 1);
    EXPECT_FALSE(dialogs.GetResponseFor(DialogParty::kBanPlayer).answer);
    EXPECT_EQ(dialogs.GetNumResponsesFor(DialogParty::kBanPlayer), 0);

    EXPECT_EQ(dialogs.GetResponseFor(DialogParty::kPortalRequest).party, DialogParty::kPortalRequest);
}

TEST_F(DialogManagerTest, NoAnswerGivesNoForPartyZeroAndChangesNothing)
{
    dialogs.AddResponse(DialogParty::kTeleportConfirm, true);
    const YesNoResponse none = dialogs.GetResponseFor(DialogParty::kPartyInvite);
    EXPECT_EQ(none.party, 0);
    EXPECT_FALSE(none.answer);
    EXPECT_EQ(dialogs.GetNumResponsesFor(DialogParty::kTeleportConfirm), 1);
    EXPECT_TRUE(dialogs.GetResponseFor(DialogParty::kTeleportConfirm).answer);
}

TEST_F(DialogManagerTest, HostSeesBoxesInOrder)
{
    EXPECT_EQ(dialogs.PeekTopDialog(), nullptr);
    dialogs.RemoveTopDialog();   // nothing to remove

    dialogs.AddDialog(kDialogTypeYesNo, false, DialogParty::kPartyInvite, u"first", true, true);
    dialogs.AddDialog(kDialogTypeMessage, true, DialogParty::kNoAnswer, u"second", false, true, false);
    ASSERT_EQ(dialogs.GetNumDialog(), 2u);
    const DialogManager::Dialog* top = dialogs.PeekTopDialog();
    EXPECT_EQ(top->text, u"first");
    EXPECT_EQ(top->type, kDialogTypeYesNo);
    EXPECT_EQ(top->party, DialogParty::kPartyInvite);

    dialogs.RemoveTopDialog();
    top = dialogs.PeekTopDialog();
    EXPECT_EQ(top->text, u"second");
    // The flags are the fifth, the last and the second argument.
    EXPECT_FALSE(top->flagA);
    EXPECT_FALSE(top->flagB);
    EXPECT_TRUE(top->flagC);
    dialogs.RemoveTopDialog();
    EXPECT_EQ(dialogs.GetNumDialog(), 0u);
}

TEST_F(DialogManagerTest, TextFromTags)
{
    // Player id 0: the tag's text through "SimpleStringFormat"; its '%' is not a conversion.
    dialogs.AddDialog(kDialogTypeYesNo, false, DialogParty::kPortalRequest, std::string("tagPortal"), true, 0u, true);
    EXPECT_EQ(TopText(), "[Open a portal? 100%]");
    dialogs.RemoveTopDialog();

    // A player id: the tag's text is the format, the player's name its value (no roster
    // here, so the name is empty).
    dialogs.AddDialog(kDialogTypeYesNo, false, DialogParty::kPartyInvite, std::string("tagInvite"), true, 9u, true);
    EXPECT_EQ(TopText(), " asks you to join");
    dialogs.RemoveTopDialog();

    LogCapture log;
    dialogs.AddDialog(kDialogTypeMessage, false, DialogParty::kNoAnswer, std::string("tagMissing"), true, 0u, true);
    EXPECT_EQ(TopText(), "[tagMissing]");
    EXPECT_TRUE(log.Contains("DialogManager: unknown text tag \"tagMissing\""));
    dialogs.RemoveTopDialog();

    // Without the wrapper format the tag's own text is shown.
    text.Clear();
    text.RegisterTags("tagPortal=Open a portal?\n");
    dialogs.AddDialog(kDialogTypeYesNo, false, DialogParty::kPortalRequest, std::string("tagPortal"), true, 0u, true);
    EXPECT_EQ(TopText(), "Open a portal?");
}

}  // namespace
