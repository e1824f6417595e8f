#include "Game/quests/QuestRepository.h"

#include "Engine/Engine.h"

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

}  // namespace GAME
