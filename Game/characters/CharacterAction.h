// One verb of a character (stand idle, move, attack, pick up, die ...), and the
// numbering of the kinds. Values 2, 17 and 18 belong to no action.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

namespace GAME {

enum CharacterActionType : int32_t {
    CharacterActionType_None = 0,
    CharacterActionType_Idle = 1,
    CharacterActionType_LongIdle = 3,
    CharacterActionType_MoveTo = 4,
    CharacterActionType_Walk = 5,
    CharacterActionType_PickUp = 6,
    CharacterActionType_Use = 7,
    CharacterActionType_Attack = 8,
    CharacterActionType_TakeStun = 9,
    CharacterActionType_Immobilize = 10,
    CharacterActionType_TakeTrap = 11,
    CharacterActionType_Die = 12,
    CharacterActionType_Chat = 13,
    CharacterActionType_PlayAnimation = 14,
    CharacterActionType_Spawn = 15,
    CharacterActionType_Respawn = 16,
    CharacterActionType_EngageNpc = 19,
};

// Whether a requested action may start while another runs: at once (the running one is
// replaced), queued behind it, or refused.
enum CharacterActionPermission : int32_t {
    CharacterActionPermission_Perform = 0,
    CharacterActionPermission_Queue = 1,
    CharacterActionPermission_Refuse = 2,
};

class Name;

// The base of every action; the kinds and their common part derive from it.
class CharacterAction {
public:
    CharacterAction() = default;
    virtual ~CharacterAction() = default;
    CharacterAction(const CharacterAction&) = delete;
    CharacterAction& operator=(const CharacterAction&) = delete;

    // Starts the action.
    virtual void Execute() {}
    // An animation event of the character while the action runs.
    virtual void AnimationCallback(const Name&) {}
    // Ends the action; may run more than once.
    virtual void Finish() {}
    virtual bool IsActive() const { return false; }
    virtual CharacterActionType GetType() const { return CharacterActionType_None; }
    virtual float GetBlendTime() const { return 0.0f; }
};

// Holds the one action a character is running: starts it, forwards animation events to
// it, finishes and destroys it when the next one replaces it. An action handed in while
// another action's Execute runs waits until that Execute has returned.
class CharacterActionHandler {
public:
    CharacterActionHandler();
    // Destroys the current action (without finishing it) and any waiting ones.
    virtual ~CharacterActionHandler();
    CharacterActionHandler(const CharacterActionHandler&) = delete;
    CharacterActionHandler& operator=(const CharacterActionHandler&) = delete;

    // Makes the action current (the handler owns it from now on): the running one is
    // finished and destroyed, then the new one's Execute runs. Null is ignored.
    void Execute(CharacterAction* action);
    // Finishes and destroys the current action, if any.
    void Stop();
    void AnimationCallback(const Name& event);

    bool IsActive() const { return m_currentAction && m_currentAction->IsActive(); }
    CharacterActionType GetActionType() const
    {
        return m_currentAction ? m_currentAction->GetType() : CharacterActionType_None;
    }
    float GetBlendTime() const { return m_currentAction ? m_currentAction->GetBlendTime() : 0.0f; }
    const CharacterAction* GetCurrentAction() const { return m_currentAction.get(); }

private:
    std::unique_ptr<CharacterAction> m_currentAction;
    bool m_executing = false;
    std::deque<std::unique_ptr<CharacterAction>> m_deferredActions;
};

}  // namespace GAME
