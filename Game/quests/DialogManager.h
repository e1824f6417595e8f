// Modal yes/no dialogs and their answers, queued per interested party.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>

namespace GAME {

struct YesNoResponse {
    bool answer = false;
};

class DialogManager {
public:
    // Opens a dialog: type, a flag, the party interested in the answer, the text tag.
    void AddDialog(int type, bool flag, int interestedParty, const std::string& textTag, bool modal, bool withAnswer,
                   bool flag2);
    void AddDialog(int type, bool flag, int interestedParty, const std::u16string& text, bool modal, bool withAnswer,
                   bool flag2);

    int GetNumResponsesFor(int interestedParty) const;
    // The oldest answer for the party, removed from its queue; a default answer when
    // there is none.
    YesNoResponse GetResponseFor(int interestedParty);

    // The host answers the open dialog of a party.
    void AddResponse(int interestedParty, bool answer);

private:
    std::map<int, std::deque<YesNoResponse>> m_responses;
};

}  // namespace GAME
