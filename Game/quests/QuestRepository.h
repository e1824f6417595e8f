// The quests of the game and their state.
#pragma once

#include <cstdint>
#include <vector>

namespace GAME {

// The log channel that traces the repository's work.
inline constexpr const char* kQuestLogChannel = "Quests";

class QuestRepository {
public:
    static QuestRepository* Get();

    void Update(int ms);
    void FireTriggers();
    void SimulateRewards();
    void FindZombieAnimationCompleteConditions();
    void RecvConditionSet(const std::vector<uint32_t>& values);
    void RecvNetMsg(const std::vector<uint32_t>& values);
};

}  // namespace GAME
