// The controller layer that drives a character: the actions it hands the character's
// action handler, the hooks the character calls when something happens to it, and its
// frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Controller.h"
#include "Engine/GameTimer.h"
#include "Engine/ObjectLink.h"
#include "Game/characters/CharacterAction.h"

namespace GAME {

class Character;
class Name;
class WorldCoords;
class WorldVec3;
struct CollisionData;
struct ProjectileInfo;

class ControllerBaseCharacter : public Controller {
    GAME_DECLARE_CLASS(ControllerBaseCharacter)

public:
    ControllerBaseCharacter() = default;
    ~ControllerBaseCharacter() override;

    // Runs once, before the first frame's work.
    virtual void InitialUpdate() { m_started = true; }
    // The frame: the first call runs InitialUpdate; then the timer steps, the action
    // handler is fed, and, while the engine's character data log is on and the character
    // asks for it, the debug lines are drawn.
    virtual void Update(int elapsedMs);
    // Pushes the lines "Object Id: " and "Position: " of the character, when it exists.
    virtual void DebugRender();
    // A trigger this controller listens to fired; nothing at this level.
    virtual void TriggerFired() {}

    // The one entry for every action the controller wants carried out; takes ownership.
    // On a networked game an action that replays on peers is sent to them first; then
    // it is carried out here (LocalHandleAction).
    void HandleAction(CharacterAction* action);
    // Asks CheckAction: carried out now (the pending action is aborted and the queued one
    // dropped; a pre-action runs first and the action waits as the pending one), queued
    // (replacing the queued one) or destroyed. Before the controller has a character (it
    // takes it at the character's first frame) the action is queued; once its character
    // is gone the action is destroyed.
    void LocalHandleAction(CharacterAction* action);
    // Whether an action of that type may start now, be queued or is refused. A character
    // that is no player: a dying one may still attack, a dead or dying one accepts only
    // a respawn. A player: any action while its handler is idle, else the game's action
    // matrix against the running action.
    virtual CharacterActionPermission CheckAction(CharacterActionType type);
    // When the character's handler is idle: the pending action runs, else the queued one
    // (its pre-action first), else, once the controller has started, a new IdleAction.
    virtual void CharacterHandlerUpdate(int elapsedMs);

    // Each replaces (and destroys) the action held before; the getters hand the action
    // over and leave the place empty.
    void SetPendingAction(CharacterAction* action) { m_pendingAction.reset(action); }
    std::unique_ptr<CharacterAction> GetPendingAction() { return std::move(m_pendingAction); }
    void SetQueuedAction(CharacterAction* action) { m_queuedAction.reset(action); }
    std::unique_ptr<CharacterAction> GetQueuedAction() { return std::move(m_queuedAction); }
    const CharacterAction* PeekPendingAction() const { return m_pendingAction.get(); }
    const CharacterAction* PeekQueuedAction() const { return m_queuedAction.get(); }

    // An animation event of the character.
    virtual void HandleEvent(const Name& eventName);

    virtual void SetTarget(uint32_t targetId) { m_targetId = targetId; }
    virtual uint32_t GetTarget() const { return m_targetId; }
    // Brings the character back: it becomes respawning and a RespawnAction to its spawn
    // point goes through HandleAction.
    virtual void RespawnMe();

    // The character's hooks; nothing happens at this level.
    virtual void LowHealth() {}
    virtual void EndOfPathReached() {}
    virtual void LostSlot() {}
    virtual void PickupItem(uint32_t /*itemId*/) {}
    virtual void Teleport(const WorldCoords& coords);
    virtual void ProjectileNotification(uint32_t /*projectileId*/) {}
    virtual void ProjectileCollisionCallback(const ProjectileInfo& info, const CollisionData& collision);

    bool HasStarted() const { return m_started; }

    // Of the ids that are actors, the one standing nearest the point (the first of equals);
    // 0 when none is.
    uint32_t FindClosestActor(const WorldVec3& point, const std::vector<uint32_t>& ids) const;

    // Debug lines drawn above the character: the first 2.5 units over it, each next one
    // 0.3 higher. Flushing draws them and empties the list.
    void PushDebugRenderText(const std::string& line) { m_debugLines.push_back(line); }
    void FlushDebugRender();
    const std::vector<std::string>& GetDebugRenderText() const { return m_debugLines; }
    // The handler's running action, then "Pending Action: " and "Queued Action: ", each
    // with the action's text or "(none)".
    void GetActionsAsStrings(std::vector<std::string>& lines) const;

    // Stepped every frame; it measures game time since the controller was made.
    const GameTimer& GetGameTimer() const { return m_timer; }

protected:
    // The parent when it still exists as a character; null otherwise.
    Character* GetParentCharacter() const;
    // Gives the action to the peers: its packet goes to the clients (server) or to the
    // server (client). An action without a packet sends nothing.
    virtual void SendActionToPeers(const CharacterAction& action);

private:
    // Hands the action to the handler, or its pre-action while it waits as the pending one.
    void ExecuteWithPreAction(CharacterActionHandler& handler, std::unique_ptr<CharacterAction> action);

    // The members every frame reads come first, in as few cache lines as they fit.
    uint32_t m_targetId = 0;
    bool m_started = false;      // set by InitialUpdate; until then an idle handler gets no idle action
    bool m_firstUpdate = true;   // cleared by the first Update
    // The parent, asked for many times a frame; found again only when its id changes or
    // an object has been destroyed since.
    ObjectLink<Character> m_parent;
    GameTimer m_timer;
    std::unique_ptr<CharacterAction> m_pendingAction;
    std::unique_ptr<CharacterAction> m_queuedAction;
    std::vector<std::string> m_debugLines;
};

}  // namespace GAME
