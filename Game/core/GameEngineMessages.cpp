// The game engine as the mailbox between the game and the host's user interface:
// tutorial pages, notifications, chat lines, party answers and save requests.
#include <utility>

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/EventManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameUIInterface.h"

namespace GAME {

void GameEngine::ResetTutorialState()
{
    m_tutorialWatch = TutorialWatch();
    m_tutorialUnlockList.clear();
    m_tutorialUnlockBits.assign(kTutorialPageCount, false);
    m_disableTutorialAutoPop = false;
}

void GameEngine::UnlockTutorialPage(unsigned page, bool notify)
{
    if (page >= m_tutorialUnlockBits.size() || m_tutorialUnlockBits[page])
        return;
    m_tutorialUnlockBits[page] = true;
    m_tutorialUnlockList.push_back(page);
    if (notify) {
        GameEvent_TutorialUnlock event;
        event.page = page;
        EventManager::Get().Send(event, "GameEvent_TutorialUnlock");
    }
}

void GameEngine::UnlockAllTutorials()
{
    for (unsigned page = 0; page < static_cast<unsigned>(kTutorialPageCount); ++page)
        UnlockTutorialPage(page, true);
}

// Clear-first empties the queue; an exact repeat of the newest notification is dropped
// so that a condition that holds frame after frame shows once, and so is any past
// kMaxQueuedNotifications waiting.
void GameEngine::QueueNotification(UINotification notification, bool clearFirst)
{
    if (clearFirst)
        m_notifications.clear();
    if (!m_notifications.empty() && m_notifications.back() == notification)
        return;
    if (m_droppedNotifications.Admit(m_notifications.size(), kMaxQueuedNotifications))
        m_notifications.push_back(std::move(notification));
}

void GameEngine::AddUINotificationTag(UINotificationType type, const std::string& tag, bool clearFirst)
{
    AddUINotificationTag(type, std::vector<std::string>{tag}, clearFirst);
}

void GameEngine::AddUINotificationTag(UINotificationType type, const std::vector<std::string>& tags, bool clearFirst)
{
    QueueNotification(UINotification{tags, {}, type}, clearFirst);
}

void GameEngine::AddUINotification(UINotificationType type, const std::u16string& text, bool clearFirst)
{
    AddUINotification(type, std::vector<std::u16string>{text}, clearFirst);
}

void GameEngine::AddUINotification(UINotificationType type, const std::vector<std::u16string>& texts, bool clearFirst)
{
    QueueNotification(UINotification{{}, texts, type}, clearFirst);
}

// The oldest notification; an empty one when none is queued.
UINotification GameEngine::TakeTopNotification()
{
    if (m_notifications.empty())
        return UINotification();
    UINotification top = std::move(m_notifications.front());
    m_notifications.erase(m_notifications.begin());
    return top;
}

void GameEngine::AddChatMessage(const std::u16string& sender, const std::u16string& text, unsigned char channel)
{
    if (m_droppedChatMessages.Admit(m_chatMessages.size(), kMaxQueuedChatMessages))
        m_chatMessages.push_back(ChatMessage{sender, text, channel});
}

void GameEngine::RemovePendingMessages(std::vector<ChatMessage>& out)
{
    out = std::move(m_chatMessages);
    m_chatMessages.clear();
}

void GameEngine::RegisterPartyRequestResponse(uint32_t playerId, bool answer)
{
    if (m_partyRequestResponses.size() >= kMaxPartyRequestResponses) {
        NetPacketRegistry::DropHandled("GameEngine", "party answer of player %u dropped: %zu answers are waiting",
                                       playerId, m_partyRequestResponses.size());
        return;
    }
    m_partyRequestResponses.push_back(PartyRequestResponse{playerId, answer});
}

// The oldest answer; a "no" from nobody (player 0) when none is queued.
PartyRequestResponse GameEngine::GetTopPartyRequestResponse()
{
    if (m_partyRequestResponses.empty())
        return PartyRequestResponse();
    const PartyRequestResponse top = m_partyRequestResponses.front();
    m_partyRequestResponses.erase(m_partyRequestResponses.begin());
    return top;
}

// Saved games belong to the host's interface; without one nothing is saved.
bool GameEngine::SaveGame()
{
    return m_ui && m_ui->SaveGame();
}

bool GameEngine::SaveGame(GameDifficulty difficulty)
{
    return m_ui && m_ui->SaveGame(difficulty);
}

bool GameEngine::SaveQuest(bool flag)
{
    return m_ui && m_ui->SaveQuest(flag);
}

bool GameEngine::BackupGame()
{
    return m_ui && m_ui->BackupGame();
}

bool GameEngine::DisplaySkillReallocationWindow(uint32_t playerId)
{
    return m_ui && m_ui->DisplaySkillReallocationWindow(playerId);
}

// With autosave off the request counts as done.
bool GameEngine::AutoSave()
{
    return !m_autoSave || SaveGame();
}

bool GameEngine::AutoSaveQuest(bool flag)
{
    return !m_autoSave || SaveQuest(flag);
}

}  // namespace GAME
