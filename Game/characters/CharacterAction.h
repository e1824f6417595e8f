// One verb of a character (stand idle, move, attack, pick up, die ...), the numbering of
// the kinds, the common base of the kinds, and the handler that runs a character's
// actions one after another. Values 2, 17 and 18 belong to no action.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "Engine/CharacterActionPacket.h"
#include "Engine/World.h"

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

class Character;
class Name;

// What the handler and the controllers ask of every action. The answers here are those
// of an action that does nothing; CharacterActionBase gives the kinds their common part.
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
    // The action waited as a controller's pending action and is dropped unstarted.
    virtual void PendingActionAborted() {}
    virtual bool IsActive() const { return false; }
    // A new packet that replays the action on the other peers, or null.
    virtual std::unique_ptr<CharacterActionPacket> GetNetPacket() const { return nullptr; }
    // Where the character must first run to before the action starts.
    virtual void SetPreMoveData(const WorldVec3&, uint32_t /*targetId*/, uint32_t /*skillNumber*/, float /*speed*/) {}
    // Copies the pre-move data, when the action has any, into the packet.
    virtual void LoadPreMoveData(CharacterActionPacket*) const {}
    virtual bool SupportsNetwork() const { return false; }
    virtual CharacterActionType GetType() const { return CharacterActionType_None; }
    // The action that must run before this one (the run to the pre-move point), or null.
    virtual std::unique_ptr<CharacterAction> GetPreAction() const { return nullptr; }
    virtual float GetBlendTime() const { return 0.0f; }
    // The acting character's object id.
    virtual uint32_t GetParentId() const { return 0; }
    // The kind's name, for debug text.
    virtual const char* ToString() const { return "(unset value)"; }
};

// The common part of every kind: the acting character (by object id, looked up anew by
// each operation, so a character that is gone is simply not found), the kind, whether it
// replays on peers, the running flag, the animation blend time and the pre-move data.
class CharacterActionBase : public CharacterAction {
public:
    explicit CharacterActionBase(uint32_t parentId) : m_parentId(parentId) {}

    void Finish() override { m_active = false; }
    bool IsActive() const override { return m_active; }
    void SetPreMoveData(const WorldVec3& position, uint32_t targetId, uint32_t skillNumber, float speed) override;
    void LoadPreMoveData(CharacterActionPacket* packet) const override;
    bool SupportsNetwork() const override { return m_supportsNetwork; }
    CharacterActionType GetType() const override { return m_type; }
    // With pre-move data and the character present: a run from the character's path
    // position to the pre-move point.
    std::unique_ptr<CharacterAction> GetPreAction() const override;
    float GetBlendTime() const override { return m_blendTime; }
    uint32_t GetParentId() const override { return m_parentId; }

    bool HasPreMoveData() const { return m_hasPreMoveData; }

protected:
    // A kind of action: it replays on peers.
    CharacterActionBase(uint32_t parentId, CharacterActionType type)
        : m_parentId(parentId), m_type(type), m_supportsNetwork(true)
    {
    }
    void SetBlendTime(float milliseconds) { m_blendTime = milliseconds; }
    // The acting character, or null when it is gone.
    Character* GetCharacter() const;

private:
    uint32_t m_parentId;
    CharacterActionType m_type = CharacterActionType_None;
    bool m_supportsNetwork = false;
    bool m_active = true;
    float m_blendTime = 250.0f;
    bool m_hasPreMoveData = false;
    WorldVec3 m_preMovePosition;
    uint32_t m_preMoveTargetId = 0;
    uint32_t m_preMoveSkillNumber = 0;
    float m_preMoveSpeed = 0.0f;
};

// Holds the one action a character is running: starts it, forwards animation events to
// it, finishes and destroys it when the next one replaces it. An action handed in while
// another action's Execute runs waits until that Execute has returned; several such run
// afterwards in the order they came, each replacing the one before. An action that is
// stopped or replaced while its own Execute or AnimationCallback is on the stack is
// finished at once and destroyed only once that call has returned.
class CharacterActionHandler {
public:
    CharacterActionHandler();
    // Destroys the current action (without finishing it), the filter and any waiting ones.
    virtual ~CharacterActionHandler();
    CharacterActionHandler(const CharacterActionHandler&) = delete;
    CharacterActionHandler& operator=(const CharacterActionHandler&) = delete;

    // Keeps the filter (owned), destroying the one held before. No operation of the
    // handler consults it.
    virtual void SetActionFilter(FilterFunction<CharacterAction>* filter);

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
    // "Current Action: " and the current action's name, or "(no text)" without one.
    std::string GetActionAsString() const;
    const CharacterAction* GetCurrentAction() const { return m_currentAction.get(); }

private:
    // Runs one of the action's own calls; the action is not destroyed before it returns.
    template <class Call>
    void CallAction(CharacterAction* action, Call&& call);
    bool IsInCall(const CharacterAction* action) const;

    std::unique_ptr<CharacterAction> m_currentAction;
    std::unique_ptr<FilterFunction<CharacterAction>> m_actionFilter;
    bool m_executing = false;
    std::deque<std::unique_ptr<CharacterAction>> m_deferredActions;
    // The actions whose Execute or AnimationCallback is on the stack, innermost last.
    std::vector<const CharacterAction*> m_inCall;
    // Stopped while in one of their calls: destroyed once no call of theirs is left.
    std::vector<std::unique_ptr<CharacterAction>> m_retired;
};

}  // namespace GAME
