#include "Game/quests/QuestRepository.h"

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
void QuestRepository::RecvConditionSet(const std::vector<uint32_t>&) {}
void QuestRepository::RecvNetMsg(const std::vector<uint32_t>&) {}

}  // namespace GAME
