// The bundled quest's rewards as they are given: each reward's banner and the quest's
// reward entry, the journal entry its last step writes, and what the player holds then.
// Listens while it lives; the lines carry the frame the host is running.
#pragma once

#include <memory>
#include <vector>

namespace GAME {

class EventHandlerInterface;
struct GameEvent_Reward;
struct GameEvent_ShowTextBanner;
struct GameEvent_UpdateJournal;

class HostQuestRewards {
public:
    explicit HostQuestRewards(const int& frame);
    ~HostQuestRewards();
    HostQuestRewards(const HostQuestRewards&) = delete;
    HostQuestRewards& operator=(const HostQuestRewards&) = delete;

private:
    void OnBanner(const GameEvent_ShowTextBanner& event);
    void OnReward(const GameEvent_Reward& event);
    void OnJournal(const GameEvent_UpdateJournal& event);

    const int& m_frame;
    std::vector<std::unique_ptr<EventHandlerInterface>> m_listeners;
};

}  // namespace GAME
