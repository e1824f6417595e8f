#include "Game/quests/DialogManager.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/Localization.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"

namespace GAME {

namespace {

constexpr const char* kSimpleStringFormat = "SimpleStringFormat";

std::u16string PlayerName(uint32_t playerId)
{
    const PlayerManagerClient* players = gGameEngine ? gGameEngine->GetPlayerManagerClient() : nullptr;
    return players ? players->GetPlayerName(playerId) : std::u16string();
}

// The text of a tag box.
std::u16string TagText(const std::string& tag, uint32_t playerId)
{
    LocalizationManager& text = LocalizationManager::Instance();
    if (playerId != 0)
        return text.Format(tag.c_str(), PlayerName(playerId));
    std::u16string tagText;
    if (!text.GetFormat(tag.c_str(), tagText)) {
        gEngine->Log(LOG_WARNING, "DialogManager: unknown text tag \"%s\"", tag.c_str());
        tagText = LocalizationManager::ToWChar(tag);
    }
    // Without the wrapper format the tag's own text is shown, rather than the
    // wrapper's name.
    if (!text.HasTag(kSimpleStringFormat))
        return tagText;
    return text.Format(kSimpleStringFormat, tagText);
}

}  // namespace

void DialogManager::AddDialog(DialogType type, bool flagC, InterestedParty party, const std::u16string& text,
                              bool flagA, bool flagB)
{
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
