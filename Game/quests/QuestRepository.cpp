#include "Game/quests/QuestRepository.h"

#include "Engine/Engine.h"
#include "Game/quests/QuestActions.h"

namespace GAME {

QuestRepository* QuestRepository::Get()
{
    static QuestRepository repository;
    return &repository;
}

void QuestRepository::Update(int) {}
void QuestRepository::FireTriggers() {}
void QuestRepository::SimulateRewards() {}
void QuestRepository::FindZombieAnimationCompleteConditions() {}
// Received quest messages are traced on the "Quests" log channel when the host has it on.
void QuestRepository::RecvConditionSet(const std::vector<uint32_t>& values)
{
    gEngine->ChannelLog(LOG_INFO, gEngine->FindLogChannel(kQuestLogChannel),
                        "QuestRepository: condition set received (%zu words)", values.size());
}

void QuestRepository::RecvNetMsg(const std::vector<uint32_t>& values)
{
    gEngine->ChannelLog(LOG_INFO, gEngine->FindLogChannel(kQuestLogChannel),
                        "QuestRepository: message received (%zu words)", values.size());
}

// Characters keep pointers to the actions they show, so an action once added stays: a
// second action with a held id is logged and dropped rather than freeing the first.
void QuestRepository::AddAction(std::unique_ptr<QuestAction> action)
{
    if (!action)
        return;
    if (FindActionById(action->GetId())) {
        gEngine->Log(LOG_WARNING, "QuestRepository: a second action with id %u is ignored", action->GetId());
        return;
    }
    m_actions.push_back(std::move(action));
}

QuestAction* QuestRepository::FindActionById(uint32_t id) const
{
    for (const std::unique_ptr<QuestAction>& action : m_actions)
        if (action->GetId() == id)
            return action.get();
    return nullptr;
}

}  // namespace GAME
