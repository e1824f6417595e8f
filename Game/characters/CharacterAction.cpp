#include "Game/characters/CharacterAction.h"

namespace GAME {

CharacterActionHandler::CharacterActionHandler() = default;

CharacterActionHandler::~CharacterActionHandler() = default;

void CharacterActionHandler::Execute(CharacterAction* action)
{
    std::unique_ptr<CharacterAction> next(action);
    while (next) {
        if (m_executing) {
            // Handed in from inside the running Execute: it follows once that returns.
            m_deferredActions.push_back(std::move(next));
            return;
        }
        m_executing = true;
        Stop();
        m_currentAction = std::move(next);
        m_currentAction->Execute();
        m_executing = false;
        if (m_deferredActions.empty())
            return;
        next = std::move(m_deferredActions.front());
        m_deferredActions.pop_front();
    }
}

void CharacterActionHandler::Stop()
{
    if (!m_currentAction)
        return;
    // Taken out of the handler first: a Finish that hands in a new action finds no
    // current action to stop a second time.
    std::unique_ptr<CharacterAction> stopped = std::move(m_currentAction);
    stopped->Finish();
}

void CharacterActionHandler::AnimationCallback(const Name& event)
{
    if (m_currentAction)
        m_currentAction->AnimationCallback(event);
}

}  // namespace GAME
