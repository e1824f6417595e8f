// The quests of the game and their state.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Game/quests/QuestActions.h"

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

    // The quests' actions, owned here for the whole game; an id already held keeps its
    // first action (the second is logged and dropped).
    void AddAction(std::unique_ptr<QuestAction> action);
    // Null when no action has the id (a save made with another quest file).
    QuestAction* FindActionById(uint32_t id) const;
    // A new game: no character may still show one of the actions.
    void ClearActions() { m_actions.clear(); }
    // While enabled, actions the quests delay until a conversation run at once.
    void EnableDelayedActions(bool enabled) { m_delayedActionsEnabled = enabled; }
    bool AreDelayedActionsEnabled() const { return m_delayedActionsEnabled; }

private:
    std::vector<std::unique_ptr<QuestAction>> m_actions;
    bool m_delayedActionsEnabled = false;
};

}  // namespace GAME
