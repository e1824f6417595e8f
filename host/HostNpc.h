// Townsfolk in the bundled run: two villagers driven by their controllers hold a sideline
// conversation the run prints line by line, and when the quest ends its actions hide the
// quest giver and open the village door.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/EventManager.h"

namespace GAME {

class Action_HideNpc;
class Action_OpenDoor;
class Conversation;
struct GameEvent_QuestComplete;

class HostNpc {
public:
    // The frame on which the villagers start talking.
    static constexpr int kConversationFrame = 4;

    HostNpc();
    ~HostNpc();
    // Places the villagers and the door, enables the conversation pack and readies the
    // quest's actions; false when a record makes nothing.
    bool Start();
    // After the frame: a state change of a villager, the conversation's next line, the
    // quest's actions once it ended.
    void AfterFrame(int frame);
    void OnQuestComplete(const GameEvent_QuestComplete& event);

private:
    void Talk(int frame);

    std::vector<uint32_t> m_villagers;
    std::vector<std::string> m_statesShown;
    uint32_t m_doorId = 0;
    Conversation* m_conversation = nullptr;
    bool m_questEnded = false;
    bool m_actionsFired = false;
    std::unique_ptr<Action_HideNpc> m_hideGiver;
    std::unique_ptr<Action_OpenDoor> m_openDoor;
    GameEventListener<HostNpc, GameEvent_QuestComplete> m_questListener;
};

}  // namespace GAME
