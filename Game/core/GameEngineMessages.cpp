// The game engine as the mailbox between the game and the host's user interface:
// tutorial pages, notifications, chat lines, party answers and save requests.
#include "Engine/EventManager.h"
#include "Game/core/GameEngine.h"

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

}  // namespace GAME
