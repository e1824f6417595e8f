#include "Game/quests/DialogManager.h"

#include <algorithm>

#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/foundation/LocalizedText.h"

namespace GAME {

namespace {

std::u16string PlayerName(uint32_t playerId)
{
    const PlayerManagerClient* players = gGameEngine ? gGameEngine->GetPlayerManagerClient() : nullptr;
    return players ? players->GetPlayerName(playerId) : std::u16string();
}

// The text of a tag box.
std::u16string TagText(const std::string& tag, uint32_t playerId)
{
    return playerId != 0 ? TagTextWithName(tag, PlayerName(playerId)) : SimpleTagText(tag);
}

}  // namespace

void DialogManager::AddDialog(DialogType type, bool flagC, InterestedParty party, const std::u16string& text,
                              bool flagA, bool flagB)
{
    if (m_droppedDialogs.Admit(m_dialogs.size(), kMaxQueuedDialogs))
        m_dialogs.push_back(Dialog{text, party, type, flagA, flagB, flagC});
}

void DialogManager::AddDialog(DialogType type, bool flagC, InterestedParty party, const std::u16string& text,
                              bool flagA, bool, bool flagB)
{
    AddDialog(type, flagC, party, text, flagA, flagB);
}

void DialogManager::AddDialog(DialogType type, bool flagC, InterestedParty party, const std::string& textTag,
                              bool flagA, uint32_t playerId, bool flagB)
{
    AddDialog(type, flagC, party, TagText(textTag, playerId), flagA, flagB);
}

void DialogManager::RemoveTopDialog()
{
    if (!m_dialogs.empty())
        m_dialogs.erase(m_dialogs.begin());
}

void DialogManager::AddResponse(const YesNoResponse& response)
{
    if (m_droppedResponses.Admit(m_responses.size(), kMaxQueuedResponses))
        m_responses.push_back(response);
}

int DialogManager::GetNumResponsesFor(InterestedParty party) const
{
    return static_cast<int>(std::count_if(m_responses.begin(), m_responses.end(),
                                          [party](const YesNoResponse& response) { return response.party == party; }));
}

DialogManager::YesNoResponse DialogManager::GetResponseFor(InterestedParty party)
{
    auto it = std::find_if(m_responses.begin(), m_responses.end(),
                           [party](const YesNoResponse& response) { return response.party == party; });
    if (it == m_responses.end())
        return YesNoResponse();
    const YesNoResponse response = *it;
    m_responses.erase(it);
    return response;
}

}  // namespace GAME
