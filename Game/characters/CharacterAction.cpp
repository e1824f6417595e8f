#include "Game/characters/CharacterAction.h"

#include <algorithm>

#include "Engine/CharacterActionPacket.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterActions.h"

namespace GAME {

// ---- CharacterActionBase ------------------------------------------------------------------

Character* CharacterActionBase::GetCharacter() const
{
    return ObjectManager::Get().GetObject<Character>(m_parentId);
}

void CharacterActionBase::SetPreMoveData(const WorldVec3& position, uint32_t targetId, uint32_t skillNumber,
                                         float speed)
{
    m_preMovePosition = position;
    m_preMoveTargetId = targetId;
    m_preMoveSkillNumber = skillNumber;
    m_preMoveSpeed = speed;
    m_hasPreMoveData = true;
}

void CharacterActionBase::LoadPreMoveData(CharacterActionPacket* packet) const
{
    if (!m_hasPreMoveData || !packet)
        return;
    packet->preMoveFlag = 1;
    packet->preMovePosition = m_preMovePosition;
    packet->preMoveTargetId = m_preMoveTargetId;
    packet->preMoveSkillNumber = m_preMoveSkillNumber;
    packet->preMoveSpeed = m_preMoveSpeed;
}

std::unique_ptr<CharacterAction> CharacterActionBase::GetPreAction() const
{
    if (!m_hasPreMoveData)
        return nullptr;
    Character* character = GetCharacter();
    if (!character)
        return nullptr;
    return std::make_unique<MoveToAction>(m_parentId, character->GetPathPosition(), m_preMovePosition,
                                          m_preMoveTargetId, m_preMoveSkillNumber, m_preMoveSpeed);
}

// ---- CharacterActionHandler ---------------------------------------------------------------

CharacterActionHandler::CharacterActionHandler() = default;

CharacterActionHandler::~CharacterActionHandler() = default;

void CharacterActionHandler::SetActionFilter(FilterFunction<CharacterAction>* filter)
{
    m_actionFilter.reset(filter);
}

bool CharacterActionHandler::IsInCall(const CharacterAction* action) const
{
    return std::find(m_inCall.begin(), m_inCall.end(), action) != m_inCall.end();
}

template <class Call>
void CharacterActionHandler::CallAction(CharacterAction* action, Call&& call)
{
    m_inCall.push_back(action);
    call(*action);
    m_inCall.pop_back();
    if (m_retired.empty())
        return;
    // Actions stopped during the call whose own calls have all returned go now. Taken
    // out of the list first: a destructor may not reach this handler again.
    std::vector<std::unique_ptr<CharacterAction>> done;
    for (auto it = m_retired.begin(); it != m_retired.end();) {
        if (IsInCall(it->get())) {
            ++it;
        } else {
            done.push_back(std::move(*it));
            it = m_retired.erase(it);
        }
    }
}

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
        // The action may be stopped during its own Execute (the character stops moving):
        // it then is no longer current, but lives until the call returns.
        CallAction(m_currentAction.get(), [](CharacterAction& running) { running.Execute(); });
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
    if (IsInCall(stopped.get()))
        m_retired.push_back(std::move(stopped));
}

void CharacterActionHandler::AnimationCallback(const Name& event)
{
    if (m_currentAction)
        CallAction(m_currentAction.get(), [&event](CharacterAction& running) { running.AnimationCallback(event); });
}

std::string CharacterActionHandler::GetActionAsString() const
{
    return std::string("Current Action: ") + (m_currentAction ? m_currentAction->ToString() : "(no text)");
}

}  // namespace GAME
