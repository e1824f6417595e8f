// Townsfolk in the bundled run: two villagers driven by their controllers hold a sideline
// conversation the run prints line by line, and when the quest ends its actions hide the
// quest giver and open the village door. On the network the server makes the villagers and
// drives their minds; a client hears of them (and of the quest giver) with the server's other
// characters, stands the door (part of the level on every host, under one id), and its own
// user interface shows the same conversation and runs the same quest actions but the door's:
// the server opens the door and its change reaches the client's. Both hosts print the same.
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
class Region;
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
    // A client's part: the door, the conversation pack and the quest's actions; the
    // villagers are taken as they arrive from the server, and the client's player
    // (`playerId`) engages the quest giver the server sent on the giver's frame, as the
    // server's player does, so that its quest may end too.
    bool StartGuest(uint32_t playerId);
    // After the frame: a state change of a villager, the conversation's next line, the
    // quest's actions once it ended.
    void AfterFrame(int frame);
    void OnQuestComplete(const GameEvent_QuestComplete& event);

private:
    void Talk(int frame);
    // The quest's actions, which learn their targets as they are reported.
    void ReadyActions();
    bool PlaceDoor(Region& region);
    // A client: the villagers the server sent, in the order they came.
    void TakeArrivedVillagers();
    // A client: its player engages the quest giver the server sent.
    void EngageGiver(int frame);

    std::vector<uint32_t> m_villagers;
    std::vector<std::string> m_statesShown;
    uint32_t m_doorId = 0;
    Conversation* m_conversation = nullptr;
    bool m_questEnded = false;
    bool m_actionsFired = false;
    bool m_guest = false;
    uint32_t m_playerId = 0;   // a client's own player
    std::unique_ptr<Action_HideNpc> m_hideGiver;
    std::unique_ptr<Action_OpenDoor> m_openDoor;
    GameEventListener<HostNpc, GameEvent_QuestComplete> m_questListener;
};

}  // namespace GAME
