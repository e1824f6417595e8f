#include "Game/quests/DialogManager.h"

namespace GAME {

void DialogManager::AddDialog(int, bool, int, const std::string&, bool, bool, bool) {}

void DialogManager::AddDialog(int, bool, int, const std::u16string&, bool, bool, bool) {}

int DialogManager::GetNumResponsesFor(int interestedParty) const
{
    auto it = m_responses.find(interestedParty);
    return it == m_responses.end() ? 0 : static_cast<int>(it->second.size());
}

YesNoResponse DialogManager::GetResponseFor(int interestedParty)
{
    auto it = m_responses.find(interestedParty);
    if (it == m_responses.end() || it->second.empty())
        return YesNoResponse();
    YesNoResponse response = it->second.front();
    it->second.pop_front();
    return response;
}

void DialogManager::AddResponse(int interestedParty, bool answer)
{
    m_responses[interestedParty].push_back(YesNoResponse{answer});
}

}  // namespace GAME
