// Modal message boxes and yes/no questions. The game queues a box and goes on; the
// host's user interface shows the top box, removes it, and posts the player's answer
// back tagged with the party that asked, which polls for it in its own update.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/DropTally.h"

namespace GAME {

using DialogType = int32_t;
using InterestedParty = int32_t;

inline constexpr DialogType kDialogTypeMessage = 0;   // a message to acknowledge
inline constexpr DialogType kDialogTypeYesNo = 1;     // a yes/no question

// The most boxes that wait to be shown, and the most answers that wait to be collected.
// Honest play queues a handful; a peer that sends message after message would otherwise
// grow the queue without end, so what comes past the limit is dropped (and logged).
inline constexpr size_t kMaxQueuedDialogs = 64;
inline constexpr size_t kMaxQueuedResponses = 64;

// Who asked, so that each asker collects only its own answers.
namespace DialogParty {
inline constexpr InterestedParty kTeleportConfirm = 0;
inline constexpr InterestedParty kMarket = 1;
inline constexpr InterestedParty kRelicCombine = 2;
inline constexpr InterestedParty kTradeInvite = 3;
inline constexpr InterestedParty kBanPlayer = 4;
inline constexpr InterestedParty kPortalRequest = 5;
inline constexpr InterestedParty kPartyInvite = 6;
inline constexpr InterestedParty kFinalPortal = 7;
inline constexpr InterestedParty kNoAnswer = 12;   // messages that expect no answer
}  // namespace DialogParty

class DialogManager {
public:
    // One queued box. The three flags are kept for the user interface; the game does
    // not read them.
    struct Dialog {
        std::u16string text;
        InterestedParty party = 0;
        DialogType type = kDialogTypeMessage;
        bool flagA = false;   // the fifth argument of AddDialog
        bool flagB = false;   // the last argument
        bool flagC = false;   // the second argument
    };

    struct YesNoResponse {
        InterestedParty party = 0;
        bool answer = false;   // true for yes
    };

    // Queues a box with text that is already localized; dropped (logged) when
    // kMaxQueuedDialogs boxes wait already.
    void AddDialog(DialogType type, bool flagC, InterestedParty party, const std::u16string& text, bool flagA,
                   bool flagB);
    // The same; the sixth argument is not used.
    void AddDialog(DialogType type, bool flagC, InterestedParty party, const std::u16string& text, bool flagA, bool,
                   bool flagB);
    // Queues a box whose text comes from a text tag. With a player id, the tag's text
    // is the format and the player's name its one value; with 0, the tag's text is
    // shown through "SimpleStringFormat".
    void AddDialog(DialogType type, bool flagC, InterestedParty party, const std::string& textTag, bool flagA,
                   uint32_t playerId, bool flagB);

    // The host's side: the boxes in order (the top one first).
    size_t GetNumDialog() const { return m_dialogs.size(); }
    // Null when no box is queued.
    const Dialog* PeekTopDialog() const { return m_dialogs.empty() ? nullptr : &m_dialogs.front(); }
    // Does nothing when no box is queued.
    void RemoveTopDialog();

    // The host answers for a party; dropped (logged) when kMaxQueuedResponses answers
    // wait already.
    void AddResponse(const YesNoResponse& response);
    void AddResponse(InterestedParty party, bool answer) { AddResponse(YesNoResponse{party, answer}); }

    int GetNumResponsesFor(InterestedParty party) const;
    // Removes and returns the party's oldest answer; a "no" for party 0 when it has none.
    YesNoResponse GetResponseFor(InterestedParty party);

private:
    std::vector<Dialog> m_dialogs;
    std::vector<YesNoResponse> m_responses;   // in the order they came
    DropTally m_droppedDialogs{"DialogManager: a dialog"};
    DropTally m_droppedResponses{"DialogManager: an answer"};
};

using YesNoResponse = DialogManager::YesNoResponse;

}  // namespace GAME
