#include "Game/quests/DialogManager.h"

#include <algorithm>

#include "Game/core/GameEngine.h"
#include "Game/core/foundation/LocalizedText.h"

namespace GAME {

namespace {

// The text of a tag box: with a player, the tag's format filled with the player's name
// (empty when the game engine does not know the player).
std::u16string TagText(const std::string& tag, uint32_t playerId)
{
    if (playerId == 0)
        return SimpleTagText(tag);
    return TagTextWithName(tag, gGameEngine ? gGameEngine->GetPlayerName(playerId) : std::u16string());
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
