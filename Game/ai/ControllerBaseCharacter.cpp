#include "Game/ai/ControllerBaseCharacter.h"

#include <cmath>
#include <cstdio>

#include "Engine/CharacterActionPacket.h"
#include "Engine/DebugRenderManager.h"
#include "Engine/Engine.h"
#include "Engine/NetworkShim.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerBaseCharacter, Controller)

namespace {
// Where the debug lines stand above the character, and their colour.
constexpr float kDebugTextFirstHeight = 2.5f;
constexpr float kDebugTextLineHeight = 0.3f;
constexpr Color kDebugTextColor{0.2f, 1.0f, 0.2f, 1.0f};
}  // namespace

ControllerBaseCharacter::~ControllerBaseCharacter() = default;

void ControllerBaseCharacter::Update(int elapsedMs)
{
    if (m_firstUpdate) {
        InitialUpdate();
        m_firstUpdate = false;
    }
    m_timer.Update();
    CharacterHandlerUpdate(elapsedMs);
    if (!gEngine || !gEngine->IsCharacterDataLogEnabled())
        return;
    const Character* character = GetParentCharacter();
    if (character && character->DoDebugRender()) {
        DebugRender();
        FlushDebugRender();
    }
}

void ControllerBaseCharacter::DebugRender()
{
    const Character* character = GetParentCharacter();
    if (!character)
        return;
    PushDebugRenderText("Object Id: " + std::to_string(GetParentId()));
    const Vec3 at = character->GetCoords().GetPosition().ToWorldSpace();
    char position[96];
    std::snprintf(position, sizeof(position), "Position: %d, %d, %d", static_cast<int>(at.x), static_cast<int>(at.y),
                  static_cast<int>(at.z));
    PushDebugRenderText(position);
}

void ControllerBaseCharacter::FlushDebugRender()
{
    if (const Character* character = GetParentCharacter()) {
        WorldVec3 at = character->GetCoords().GetPosition();
        Vec3 line = at.GetRegionPosition();
        line.y += kDebugTextFirstHeight;
        for (const std::string& text : m_debugLines) {
            at.SetRegionPosition(line);
            DebugRenderManager::Get().RenderText(at, text, kDebugTextColor);
            line.y += kDebugTextLineHeight;
        }
    }
    m_debugLines.clear();
}

void ControllerBaseCharacter::GetActionsAsStrings(std::vector<std::string>& lines) const
{
    if (const Character* character = GetParentCharacter())
        if (const CharacterActionHandler* handler = character->GetActionHandler())
            lines.push_back(handler->GetActionAsString());
    auto describe = [](const CharacterAction* action) {
        return std::string(action && action->ToString() ? action->ToString() : "(none)");
    };
    lines.push_back("Pending Action: " + describe(m_pendingAction.get()));
    lines.push_back("Queued Action: " + describe(m_queuedAction.get()));
}

uint32_t ControllerBaseCharacter::FindClosestActor(const WorldVec3& point, const std::vector<uint32_t>& ids) const
{
    const Vec3 from = point.ToWorldSpace();
    uint32_t closest = 0;
    float closestDistance = 0.0f;
    for (const uint32_t id : ids) {
        const Actor* actor = ObjectManager::Get().GetObject<Actor>(id);
        if (!actor)
            continue;
        const float distance = (actor->GetCoords().GetPosition().ToWorldSpace() - from).LengthSquared();
        if (closest == 0 || distance < closestDistance) {
            closest = id;
            closestDistance = distance;
        }
    }
    return closest;
}

void ControllerBaseCharacter::RespawnMe()
{
    Character* character = GetParentCharacter();
    if (!character)
        return;
    character->SetLifeState(Character_LifeState_Respawning);
    HandleAction(new RespawnAction(character->GetObjectId(), character->GetSpawnPoint()));
}

void ControllerBaseCharacter::HandleAction(CharacterAction* action)
{
    if (!action)
        return;
    if (gEngine->IsNetworkEnabled() && action->SupportsNetwork())
        SendActionToPeers(*action);
    LocalHandleAction(action);
}

void ControllerBaseCharacter::SendActionToPeers(const CharacterAction& action)
{
    const std::unique_ptr<CharacterActionPacket> packet = action.GetNetPacket();
    if (!packet)
        return;
    gEngine->GetNetworkShim()->Send(*packet);
}

void ControllerBaseCharacter::LocalHandleAction(CharacterAction* action)
{
    std::unique_ptr<CharacterAction> owned(action);
    if (!owned)
        return;
    Character* character = GetParentCharacter();
    CharacterActionHandler* handler = character ? character->GetActionHandler() : nullptr;
    if (!handler && GetParentId() == 0) {
        // A character made in this frame takes its controller at its first frame: what
        // reaches the controller before then (a peer's action for a creature its skill
        // has just made here) waits in the queued place and runs at that frame.
        SetQueuedAction(owned.release());
        return;
    }
    if (!handler) {
        gEngine->Log(LOG_WARNING, "ControllerBaseCharacter: Can't execute action because parent does not exist.");
        return;
    }
    switch (CheckAction(owned->GetType())) {
    case CharacterActionPermission_Perform:
        if (std::unique_ptr<CharacterAction> pending = GetPendingAction())
            pending->PendingActionAborted();
        SetQueuedAction(nullptr);
        ExecuteWithPreAction(*handler, std::move(owned));
        break;
    case CharacterActionPermission_Queue:
        SetQueuedAction(owned.release());
        break;
    default:
        break;   // refused: destroyed here
    }
}

void ControllerBaseCharacter::ExecuteWithPreAction(CharacterActionHandler& handler,
                                                   std::unique_ptr<CharacterAction> action)
{
    std::unique_ptr<CharacterAction> preAction = action->GetPreAction();
    if (!preAction) {
        handler.Execute(action.release());
        return;
    }
    // Pending before the pre-action starts: whatever the pre-action sets off finds the
    // places as they will stay.
    SetPendingAction(action.release());
    handler.Execute(preAction.release());
}

CharacterActionPermission ControllerBaseCharacter::CheckAction(CharacterActionType type)
{
    Character* character = GetParentCharacter();
    if (!character)
        return CharacterActionPermission_Refuse;
    if (!ObjectManager::Get().GetObject<Player>(GetParentId())) {
        const Character_LifeState life = character->GetLifeState();
        if (life == Character_LifeState_Dying && type == CharacterActionType_Attack)
            return CharacterActionPermission_Perform;
        if (type != CharacterActionType_Respawn &&
            (life == Character_LifeState_Dead || character->GetActionState() == Character_ActionState_Dying))
            return CharacterActionPermission_Refuse;
        return CharacterActionPermission_Perform;
    }
    const CharacterActionHandler* handler = character->GetActionHandler();
    if (!handler || !handler->IsActive())
        return CharacterActionPermission_Perform;
    if (!gGameEngine)
        return CharacterActionPermission_Refuse;
    return gGameEngine->CheckPlayerAction(type, handler->GetActionType());
}

void ControllerBaseCharacter::CharacterHandlerUpdate(int /*elapsedMs*/)
{
    Character* character = GetParentCharacter();
    CharacterActionHandler* handler = character ? character->GetActionHandler() : nullptr;
    if (!handler || handler->IsActive())
        return;
    if (std::unique_ptr<CharacterAction> pending = GetPendingAction()) {
        handler->Execute(pending.release());
        return;
    }
    if (std::unique_ptr<CharacterAction> queued = GetQueuedAction()) {
        ExecuteWithPreAction(*handler, std::move(queued));
        return;
    }
    if (m_started)
        handler->Execute(new IdleAction(GetParentId()));
}

void ControllerBaseCharacter::HandleEvent(const Name& /*eventName*/) {}

void ControllerBaseCharacter::Teleport(const WorldCoords& /*coords*/) {}

void ControllerBaseCharacter::ProjectileCollisionCallback(const ProjectileInfo& /*info*/,
                                                          const CollisionData& /*collision*/)
{
}

Character* ControllerBaseCharacter::GetParentCharacter() const { return m_parent.Get(GetParentId()); }

}  // namespace GAME
