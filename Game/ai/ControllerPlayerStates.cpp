#include "Game/ai/ControllerPlayerStates.h"

#include <cmath>

#include "Engine/Entity.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/Npc.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/Item.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/skills/SkillActivated.h"
#include "Game/world/FixedItem.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

namespace {

// The idle countdown's range, drawn with the game's generator.
constexpr int kPlayerIdleMinMs = 8000;
constexpr int kPlayerIdleMaxMs = 12000;
// A held move click within this angle of the heading waits for the path to run short.
constexpr float kPlayerMoveQueueDegrees = 3.0f;
// The remaining path below which a queued move point is taken.
constexpr float kPlayerMoveQueueLength = 2.5f;

int DrawPlayerIdleCountdown()
{
    return gGameEngine ? gGameEngine->GetRandomGen().IGenerate(kPlayerIdleMinMs, kPlayerIdleMaxMs) : kPlayerIdleMinMs;
}

bool IsEndEvent(const Name& event) { return event == Actor::EndEvent(); }

}  // namespace

// ---- Standing --------------------------------------------------------------------------------

void ControllerPlayerStateStartup::OnBegin() { SetState("LongIdle", ControllerAIStateData()); }

void ControllerPlayerStateIdle::OnBegin()
{
    Idle();
    m_idleCountdown = DrawPlayerIdleCountdown();
}

void ControllerPlayerStateIdle::OnUpdate(int elapsedMs)
{
    Player* player = GetCharacter();
    if (player && player->IsUnderAttack()) {
        // In combat the countdown is drawn anew every frame, so the player stays ready.
        m_idleCountdown = DrawPlayerIdleCountdown();
        return;
    }
    m_idleCountdown -= elapsedMs;
    if (m_idleCountdown <= 0)
        SetState("LongIdle", ControllerAIStateData());
}

void ControllerPlayerStateLongIdle::OnBegin() { LongIdle(); }
void ControllerPlayerStateLongIdle::Attacked(uint32_t) { SetState("Idle", ControllerAIStateData()); }

// ---- Walking to a point ------------------------------------------------------------------------

Vec3 ControllerPlayerStateMoveTo::DirectionTo(const WorldVec3& point) const
{
    Player* player = GetCharacter();
    if (!player)
        return {};
    Vec3 direction = point - player->GetPathPosition();
    direction.y = 0.0f;
    return direction.Unit();
}

void ControllerPlayerStateMoveTo::OnBegin()
{
    const WorldVec3 point = GetPointOfInterest();
    MoveTo(point, 0, 0);
    m_moveDirection = DirectionTo(point);
    m_queuedPoint = WorldVec3();
}

void ControllerPlayerStateMoveTo::OnUpdate(int)
{
    Player* player = GetCharacter();
    const Path* path = player ? player->GetPath() : nullptr;
    if (!path) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    if (m_queuedPoint.IsValid() && path->GetRemainingLength() < kPlayerMoveQueueLength) {
        const WorldVec3 queued = m_queuedPoint;
        m_queuedPoint = WorldVec3();
        DefaultRequestMoveAction(false, false, queued);
    }
}

void ControllerPlayerStateMoveTo::EndOfPathReached() { SetState("Idle", ControllerAIStateData()); }

void ControllerPlayerStateMoveTo::RequestMoveAction(bool inPlace, bool second, const WorldVec3& point)
{
    static const float kCosine = std::cos(kPlayerMoveQueueDegrees * 3.14159265358979f / 180.0f);
    if (point.IsValid() && Dot(DirectionTo(point), m_moveDirection) > kCosine) {
        m_queuedPoint = point;
        return;
    }
    DefaultRequestMoveAction(inPlace, second, point);
}

// ---- Approaching objects ---------------------------------------------------------------------------

void ControllerPlayerStateMoveToActorBase::OnBegin() { MoveTo(GetPointOfInterest(), GetObjectOfState(), GetCurrentSkillID()); }

void ControllerPlayerStateMoveToNpc::OnUpdate(int)
{
    if (!ObjectManager::Get().GetObject<Npc>(GetObjectOfState()))
        SetState("Idle", ControllerAIStateData());
}
void ControllerPlayerStateMoveToNpc::EndOfPathReached()
{
    SetState("TalkToNpc", ControllerAIStateData(0, GetObjectOfState(), 0, WorldVec3()));
}
void ControllerPlayerStateMoveToNpc::RequestNpcAction(bool inPlace, bool second, const WorldVec3& point, const Npc* npc)
{
    if (!npc || npc->GetObjectId() != GetObjectOfState())
        DefaultRequestNpcAction(inPlace, second, point, npc);
}

void ControllerPlayerStateMoveToItem::OnUpdate(int)
{
    if (!ObjectManager::Get().GetObject<Item>(GetObjectOfState()))
        SetState("Idle", ControllerAIStateData());
}
void ControllerPlayerStateMoveToItem::EndOfPathReached()
{
    SetState("PickupItem", ControllerAIStateData(0, GetObjectOfState(), 0, WorldVec3()));
}
void ControllerPlayerStateMoveToItem::RequestItemAction(bool inPlace, bool second, const WorldVec3& point,
                                                        const Item* item)
{
    if (!item || item->GetObjectId() != GetObjectOfState())
        DefaultRequestItemAction(inPlace, second, point, item);
}

void ControllerPlayerStateMoveToFixedItem::OnUpdate(int)
{
    if (!ObjectManager::Get().GetObject<FixedItem>(GetObjectOfState()))
        SetState("Idle", ControllerAIStateData());
}
void ControllerPlayerStateMoveToFixedItem::EndOfPathReached()
{
    SetState("UseFixedItem", ControllerAIStateData(0, GetObjectOfState(), 0, WorldVec3()));
}
void ControllerPlayerStateMoveToFixedItem::RequestFixedItemAction(bool inPlace, bool second, const WorldVec3& point,
                                                                  const FixedItem* fixedItem)
{
    if (!fixedItem || fixedItem->GetObjectId() != GetObjectOfState())
        DefaultRequestFixedItemAction(inPlace, second, point, fixedItem);
}

void ControllerPlayerStateMoveToStrategicMovement::OnUpdate(int)
{
    if (!ObjectManager::Get().GetObject<StrategicMovementBase>(GetObjectOfState()))
        SetState("Idle", ControllerAIStateData());
}
void ControllerPlayerStateMoveToStrategicMovement::EndOfPathReached()
{
    SetState("DoStrategicMovement", ControllerAIStateData(0, GetObjectOfState(), 0, WorldVec3()));
}
void ControllerPlayerStateMoveToStrategicMovement::RequestStrategicMovementAction(bool inPlace, bool second,
                                                                                  const WorldVec3& point,
                                                                                  const StrategicMovementBase* marker)
{
    if (!marker || marker->GetObjectId() != GetObjectOfState())
        DefaultRequestStrategicMovementAction(inPlace, second, point, marker);
}

// ---- Acting on objects -----------------------------------------------------------------------------

void ControllerPlayerStateTalkToNpc::OnBegin() { EngageNpc(GetObjectOfState(), false, false); }
void ControllerPlayerStateTalkToNpc::RequestNpcAction(bool inPlace, bool second, const WorldVec3& point, const Npc* npc)
{
    // A held button on the NPC being talked to does not start the talk again.
    if (npc && npc->GetObjectId() == GetObjectOfState() && GetController()->IsCommandRepeated())
        return;
    DefaultRequestNpcAction(inPlace, second, point, npc);
}

void ControllerPlayerStatePickupItem::OnBegin() { PickupItem(GetObjectOfState()); }
void ControllerPlayerStatePickupItem::HandleEvent(const Name& event)
{
    if (IsEndEvent(event))
        SetState("Idle", ControllerAIStateData());
}
void ControllerPlayerStatePickupItem::RequestItemAction(bool inPlace, bool second, const WorldVec3& point,
                                                        const Item* item)
{
    if (!item || item->GetObjectId() != GetObjectOfState())
        DefaultRequestItemAction(inPlace, second, point, item);
}

void ControllerPlayerStateUseFixedItem::OnBegin() { Use(GetObjectOfState()); }
void ControllerPlayerStateUseFixedItem::HandleEvent(const Name& event)
{
    if (IsEndEvent(event))
        SetState("Idle", ControllerAIStateData());
}
void ControllerPlayerStateUseFixedItem::RequestFixedItemAction(bool inPlace, bool second, const WorldVec3& point,
                                                               const FixedItem* fixedItem)
{
    if (!fixedItem || fixedItem->GetObjectId() != GetObjectOfState())
        DefaultRequestFixedItemAction(inPlace, second, point, fixedItem);
}

void ControllerPlayerStateDoStrategicMovement::OnBegin() { Use(GetObjectOfState()); }
void ControllerPlayerStateDoStrategicMovement::RequestStrategicMovementAction(bool inPlace, bool second,
                                                                              const WorldVec3& point,
                                                                              const StrategicMovementBase* marker)
{
    if (!marker || marker->GetObjectId() != GetObjectOfState())
        DefaultRequestStrategicMovementAction(inPlace, second, point, marker);
}

// ---- Skills -------------------------------------------------------------------------------------------

namespace {

// Whether the skill in use is warming up: a request then waits for it.
bool PlayerSkillWarmingUp(uint32_t skillId)
{
    const auto* skill = ObjectManager::Get().GetObject<Skill>(skillId);
    return skill && skill->GetWarmUpWasActive();
}

}  // namespace

void ControllerPlayerStateMoveToUseSkill::OnUpdate(int)
{
    const uint32_t targetId = GetObjectOfState();
    if (targetId == 0)
        return;
    const Character* target = ObjectManager::Get().GetObject<Character>(targetId);
    if (!target || !target->IsAlive())
        SetState("Idle", ControllerAIStateData());
}

void ControllerPlayerStateMoveToUseSkill::EndOfPathReached()
{
    const uint32_t targetId = GetObjectOfState();
    SetState("UseSkill", ControllerAIStateData(targetId, targetId, GetCurrentSkillID(), GetController()->GetTargetPoint()));
}

bool ControllerPlayerStateMoveToUseSkill::RequestSkillAction(bool inPlace, bool second, uint32_t skillId,
                                                             const WorldVec3& point, uint32_t& target)
{
    if ((target == GetObjectOfState() && skillId == GetCurrentSkillID()) || PlayerSkillWarmingUp(GetCurrentSkillID()))
        return true;
    return DefaultRequestSkillAction(inPlace, second, skillId, point, target);
}

void ControllerPlayerStateUseSkill::OnBegin()
{
    if (!UseSkillOfState()) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    m_reuseCountdown = kReuseDelayMs;
}

void ControllerPlayerStateUseSkill::OnUpdate(int elapsedMs)
{
    if (m_reuseCountdown > 0)
        m_reuseCountdown -= elapsedMs;
}

void ControllerPlayerStateUseSkill::HandleEvent(const Name& event)
{
    if (!IsEndEvent(event))
        return;
    const Player* player = GetCharacter();
    if (player && player->GetActionState() == Character_ActionState_Attack)
        return;
    SetState("Idle", ControllerAIStateData());
}

float ControllerPlayerStateUseSkill::GetSkillUseTolerance(uint32_t targetId) const
{
    if (targetId != 0 && targetId == GetCurrentEnemy()) {
        const Character* target = ObjectManager::Get().GetObject<Character>(targetId);
        if (target && target->IsMoving())
            return 3.0f;
    }
    return 1.0f;
}

bool ControllerPlayerStateUseSkill::RequestSkillAction(bool inPlace, bool second, uint32_t skillId,
                                                       const WorldVec3& point, uint32_t& target)
{
    const uint32_t currentSkill = GetCurrentSkillID();
    if (PlayerSkillWarmingUp(currentSkill))
        return true;
    if (target == GetCurrentAlly() && skillId == currentSkill && GetController()->IsCommandRepeated()) {
        if (m_reuseCountdown > 0)
            return true;
        const auto* skill = ObjectManager::Get().GetObject<SkillActivated>(currentSkill);
        if (!skill || !skill->IsRepeatable())
            return true;
    }
    m_reuseCountdown = kReuseDelayMs;
    return DefaultRequestSkillAction(inPlace, second, skillId, point, target);
}

void ControllerPlayerStateUseSkill::RequestMoveAction(bool inPlace, bool second, const WorldVec3& point)
{
    if (!GetController()->IsCommandRepeated())
        DefaultRequestMoveAction(inPlace, second, point);
}

// ---- Impairments ------------------------------------------------------------------------------------

namespace {

void EnqueueOnPlayer(Player* player, ActorConfigCommand* command)
{
    if (player)
        player->Enqueue(command);
    else
        delete command;
}

}  // namespace

void ControllerPlayerStateImmobilized::OnBegin() { GetController()->Immobilize(); }
void ControllerPlayerStateImmobilized::OnEnd()
{
    EnqueueOnPlayer(GetCharacter(), new ReleaseImmobilizeConfigCmd(GetController()->GetParentId()));
}
void ControllerPlayerStateImmobilized::EndImmobilize() { SetState("Idle", ControllerAIStateData()); }

void ControllerPlayerStateStunned::OnBegin() { TakeStun(); }
void ControllerPlayerStateStunned::OnEnd()
{
    EnqueueOnPlayer(GetCharacter(), new ReleaseStunConfigCmd(GetController()->GetParentId()));
}
void ControllerPlayerStateStunned::EndStun() { SetState("Idle", ControllerAIStateData()); }

void ControllerPlayerStateTrapped::OnBegin() { GetController()->TakeTrap(); }
void ControllerPlayerStateTrapped::OnEnd()
{
    EnqueueOnPlayer(GetCharacter(), new ReleaseTrapConfigCmd(GetController()->GetParentId()));
}
void ControllerPlayerStateTrapped::EndTrap() { SetState("Idle", ControllerAIStateData()); }

bool ControllerPlayerStateTrapped::RequestSkillAction(bool inPlace, bool, uint32_t skillId, const WorldVec3& point,
                                                      uint32_t& target)
{
    Player* player = GetCharacter();
    auto* skill = ObjectManager::Get().GetObject<SkillActivated>(skillId);
    if (!player || !skill)
        return false;
    const uint32_t clicked = target;
    // The caller's target is left as it was.
    uint32_t chosen = target;
    if (!ChooseSkillTarget(skillId, chosen))
        return false;
    unsigned validated = chosen;
    if (skill->GetReason() != Skill_Usable ||
        !skill->GetValidTarget(*player, validated, point, inPlace, 1.5f))
        return false;
    chosen = validated;
    ObjectManager& objects = ObjectManager::Get();
    WorldVec3 aim = point;
    if (Character* targetCharacter = objects.GetObject<Character>(chosen)) {
        aim = targetCharacter->GetPathPosition();
    } else if (clicked != 0) {
        chosen = clicked;
        if (Character* clickedCharacter = objects.GetObject<Character>(clicked))
            aim = clickedCharacter->GetPathPosition();
        else
            chosen = 0;
    }
    if (!inPlace && GetSkillUseTolerance(chosen) + Character::GetTargetDistance(player->GetObjectId(), chosen, skillId) <=
                        WorldDistance(player->GetPathPosition(), aim))
        return false;
    SetState("UseSkillWhileTrapped", ControllerAIStateData(chosen, chosen, skillId, aim));
    GetController()->SetMouseRepeat(chosen, aim);
    return true;
}

void ControllerPlayerStateUseSkillWhileTrapped::OnBegin()
{
    if (!UseSkillOfState())
        SetState("Trapped", ControllerAIStateData());
}
void ControllerPlayerStateUseSkillWhileTrapped::HandleEvent(const Name& event)
{
    if (IsEndEvent(event))
        SetState("Trapped", ControllerAIStateData());
}
void ControllerPlayerStateUseSkillWhileTrapped::EndTrap()
{
    EnqueueOnPlayer(GetCharacter(), new ReleaseTrapConfigCmd(GetController()->GetParentId()));
    SetState("Idle", ControllerAIStateData());
}

// ---- Respawn -------------------------------------------------------------------------------------------

void ControllerPlayerStateRespawning::OnBegin()
{
    Player* player = GetCharacter();
    if (!player)
        return;
    player->SetLifeState(Character_LifeState_Respawning);
    GetController()->HandleAction(new RespawnAction(player->GetObjectId(), player->GetClosestRespawnPoint()));
}
void ControllerPlayerStateRespawning::HandleEvent(const Name& event)
{
    if (IsEndEvent(event))
        SetState("Idle", ControllerAIStateData());
}
void ControllerPlayerStateRespawning::CharacterIsDead() { SetState("Idle", ControllerAIStateData()); }

}  // namespace GAME
