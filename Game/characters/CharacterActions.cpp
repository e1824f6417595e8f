#include "Game/characters/CharacterActions.h"

#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/characters/DeathHandler.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Item.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/world/FixedItem.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

namespace {

ControllerBaseCharacter* GetController(const Character& character)
{
    return ObjectManager::Get().GetObject<ControllerBaseCharacter>(character.GetControllerId());
}

// Plays an animation type of the character's set (unnamed, normal speed, from its start);
// false when it has no set or the type cannot be played.
bool Play(Character& character, AnimationSet_Type type, bool loop)
{
    AnimationSet* set = character.GetAnimationSet();
    return set && set->PlayAnimation(character, type, Name::noName, 1.0f, loop, 0);
}

bool PlayIfAvailable(Character& character, AnimationSet_Type type, bool loop)
{
    AnimationSet* set = character.GetAnimationSet();
    return set && set->PlayAnimationIfAvailable(character, type, Name::noName, 1.0f, loop, 0);
}

// The attack idle, played once from its start.
void PlayAttackIdle(Character& character)
{
    Play(character, AnimationSet_AttackIdle, false);
}

bool IsEnd(const Name& event)
{
    return event == Actor::EndEvent();
}

// Turns the character, upright, to face a point; a point (nearly) where it stands
// leaves it as it is.
void FacePoint(Character& character, const WorldVec3& point)
{
    const WorldCoords& coords = character.GetCoords();
    Vec3 toward = point - coords.GetPosition();
    toward.y = 0.0f;
    if (toward.LengthSquared() <= 0.0001f)
        return;
    const Vec3 eye = coords.GetRegionCoords().origin;
    World::Get().SetCoords(&character,
                           WorldCoords(coords.GetRegion(), Coords::LookAt(eye, eye + toward, Vec3(0.0f, 1.0f, 0.0f))));
}

// A new packet of the kind, naming the acting character.
template <class P>
std::unique_ptr<P> NewPacket(uint32_t characterId)
{
    auto packet = std::make_unique<P>();
    packet->characterId = characterId;
    return packet;
}

// Where the character stands, or nowhere when it is gone.
WorldVec3 PositionOf(const Character* character)
{
    return character ? character->GetCoords().GetPosition() : WorldVec3();
}

}  // namespace

// ---- IdleAction ---------------------------------------------------------------------------

void IdleAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || !character->IsAlive()) {
        Finish();
        return;
    }
    // Already idle: the animation under way goes on until its "End".
    if (character->GetActionState() == Character_ActionState_Idle)
        return;
    character->SetActionState(Character_ActionState_Idle);
    PlayAttackIdle(*character);
}

void IdleAction::AnimationCallback(const Name& event)
{
    if (!IsEnd(event))
        return;
    if (Character* character = GetCharacter())
        PlayAttackIdle(*character);
}

std::unique_ptr<CharacterActionPacket> IdleAction::GetNetPacket() const
{
    auto packet = NewPacket<IdleActionPacket>(GetParentId());
    packet->position = PositionOf(GetCharacter());
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- LongIdleAction -----------------------------------------------------------------------

void LongIdleAction::ResetTransitionTimer()
{
    m_transitionTimer.Reset();
    m_transitionTime = gGameEngine ? gGameEngine->GetRandomGen().IGenerate(m_transitionTimeMin, m_transitionTimeMax)
                                   : m_transitionTimeMin;
}

void LongIdleAction::PlayLongIdle(Character& character)
{
    if (Play(character, AnimationSet_LongIdle, true)) {
        m_phase = Phase_LongIdle;
    } else {
        m_phase = Phase_None;
        Finish();
    }
}

void LongIdleAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || !character->IsAlive()) {
        Finish();
        return;
    }
    character->SetActionState(Character_ActionState_Fidget);
    if (PlayIfAvailable(*character, AnimationSet_IdleTransition, false)) {
        m_phase = Phase_Transition;
        return;
    }
    ResetTransitionTimer();
    PlayLongIdle(*character);
}

void LongIdleAction::AnimationCallback(const Name& event)
{
    if (!IsEnd(event))
        return;
    Character* character = GetCharacter();
    if (!character)
        return;
    switch (m_phase) {
    case Phase_Transition:
    case Phase_Fidget:
        ResetTransitionTimer();
        PlayLongIdle(*character);
        break;
    case Phase_LongIdle:
        m_transitionTimer.Update();
        if (static_cast<int64_t>(m_transitionTimer.GetTotalElapsedTime()) < m_transitionTime)
            break;
        if (PlayIfAvailable(*character, AnimationSet_Fidget, false))
            m_phase = Phase_Fidget;
        else
            ResetTransitionTimer();
        break;
    default:
        Finish();
        break;
    }
}

std::unique_ptr<CharacterActionPacket> LongIdleAction::GetNetPacket() const
{
    auto packet = NewPacket<LongIdleActionPacket>(GetParentId());
    packet->position = PositionOf(GetCharacter());
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- MoveToAction -------------------------------------------------------------------------

void MoveToAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || !character->IsAlive() || character->DisallowsMovement()) {
        Finish();
        return;
    }
    // Looked up once: the calls below may destroy the controller, never through this
    // pointer's frame (objects are freed at the end of the frame only).
    ControllerBaseCharacter* controller = GetController(*character);
    if (controller)
        controller->SetTarget(m_targetId);

    const float distanceSquared = (character->GetPathPosition() - m_startPosition).LengthSquared();
    if (distanceSquared <= kContinuePathDistanceSquared)
        character->SetPathPositionNotCoords(m_startPosition);
    else
        character->SetPathPosition(m_startPosition);

    character->SetCurrentAttackTarget(m_targetId, m_destination, m_skillNumber);
    character->SkillWarmUp(m_skillNumber, false);
    character->MoveTo(m_destination, GetBlendTime());
    character->PlayLoopingRunningSound();

    if (character->GetActionState() == Character_ActionState_Move)
        return;
    // The run did not start.
    if (controller)
        controller->EndOfPathReached();
    Finish();
}

void MoveToAction::Finish()
{
    if (Character* character = GetCharacter()) {
        character->SkillWarmUp(m_skillNumber, true);
        character->StopLoopingRunningSound();
    }
    CharacterActionBase::Finish();
}

std::unique_ptr<CharacterActionPacket> MoveToAction::GetNetPacket() const
{
    auto packet = NewPacket<MoveToPacket>(GetParentId());
    packet->targetId = m_targetId;
    packet->startLocation = m_startPosition;
    packet->worldLocation = m_destination;
    packet->skillNumber = m_skillNumber;
    packet->speed = m_speed;
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- WalkAction ---------------------------------------------------------------------------

void WalkAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || !character->IsAlive() || character->DisallowsMovement()) {
        Finish();
        return;
    }
    if (ControllerBaseCharacter* controller = GetController(*character))
        controller->SetTarget(m_targetId);
    character->SetCurrentAttackTarget(m_targetId, m_destination, 0);
    character->SetPathPositionNotCoords(m_startPosition);
    // A walk that cannot start stops the character, which stops this action: the
    // handler keeps it alive until this call returns, and nothing here follows it.
    character->WalkTo(m_destination, GetBlendTime());
}

std::unique_ptr<CharacterActionPacket> WalkAction::GetNetPacket() const
{
    auto packet = NewPacket<WalkPacket>(GetParentId());
    packet->targetId = m_targetId;
    packet->startLocation = m_startPosition;
    packet->worldLocation = m_destination;
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- PickUpAction -------------------------------------------------------------------------

void PickUpAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || !character->IsAlive()) {
        Finish();
        return;
    }
    ObjectManager& objects = ObjectManager::Get();
    if (Item* item = objects.GetObject<Item>(m_targetId)) {
        if (!item->IsInWorld()) {
            Finish();
            return;
        }
        character->SetActionState(Character_ActionState_Pickup);
        FacePoint(*character, item->GetCoords().GetPosition());
    } else {
        // A dead character of interest is touched (its loot opens); anything else
        // leaves the action standing.
        Character* body = objects.GetObject<Character>(m_targetId);
        if (!body || body->IsAlive() || !body->IsOfInterest())
            return;
        body->TouchedByPlayer();
    }
    if (Play(*character, AnimationSet_Pickup, false))
        return;
    // A set without a pick-up animation raises neither its "Pickup" nor its "End": the
    // item is taken now and the controller hears the end the animation would have told
    // it, so a state waiting for it goes on instead of waiting for ever.
    Finish();
    if (ControllerBaseCharacter* controller = GetController(*character)) {
        if (objects.GetObject<Item>(m_targetId))
            controller->PickupItem(m_targetId);
        controller->HandleEvent(Actor::EndEvent());
    }
}

void PickUpAction::AnimationCallback(const Name& event)
{
    Character* character = GetCharacter();
    if (!character) {
        Finish();
        return;
    }
    static const Name pickup("Pickup");
    if (IsEnd(event)) {
        Finish();
    } else if (event == pickup) {
        if (ControllerBaseCharacter* controller = GetController(*character))
            controller->PickupItem(m_targetId);
    }
}

std::unique_ptr<CharacterActionPacket> PickUpAction::GetNetPacket() const
{
    auto packet = NewPacket<PickUpItemPacket>(GetParentId());
    packet->itemId = m_targetId;
    packet->position = PositionOf(GetCharacter());
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- UseAction ----------------------------------------------------------------------------

void UseAction::Execute()
{
    Character* character = GetCharacter();
    if (character && character->IsAlive()) {
        Object* target = ObjectManager::Get().GetObject(m_targetId);
        if (auto* item = DynamicCast<FixedItem>(target))
            item->RequestToUse(character->GetObjectId());
        else if (auto* mover = DynamicCast<StrategicMovementBase>(target))
            mover->RequestToUse(character->GetObjectId());
    }
    Finish();
}

std::unique_ptr<CharacterActionPacket> UseAction::GetNetPacket() const
{
    auto packet = NewPacket<UseItemPacket>(GetParentId());
    packet->itemId = m_targetId;
    packet->position = PositionOf(GetCharacter());
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- AttackAction -------------------------------------------------------------------------

void AttackAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || !character->IsAlive()) {
        Finish();
        return;
    }
    // A target that is no character (or none) is fine; a dead one is not.
    if (const Character* target = ObjectManager::Get().GetObject<Character>(m_targetId);
        target && !target->IsAlive()) {
        Finish();
        return;
    }
    character->RotateTowardsTarget(true);
    if (!character->StartSkill(m_skillNumber, m_targetId, m_targetPoint, m_seed, m_leadingData)) {
        Finish();
        return;
    }
    character->SetActionState(Character_ActionState_Attack);
    character->SetCurrentAttackTarget(m_targetId, m_targetPoint, m_skillNumber);
}

void AttackAction::AnimationCallback(const Name& event)
{
    Character* character = GetCharacter();
    if (!character)
        return;
    static const Name turnStart("TurnStart");
    static const Name turnEnd("TurnEnd");
    if (event == turnStart) {
        character->RotateTowardsTarget(true);
    } else if (event == turnEnd) {
        character->RotateTowardsTarget(false);
    } else if (character->HandleSkillAnimationCallback(event, m_skillNumber, m_targetId, m_targetPoint)) {
        Finish();   // the skill is done
    }
}

void AttackAction::Finish()
{
    CharacterActionBase::Finish();
    if (Character* character = GetCharacter()) {
        character->SetCurrentAttackTarget(0, WorldVec3(), static_cast<uint32_t>(-1));
        character->RotateTowardsTarget(false);
        character->CancelSkillAction(m_skillNumber);
    }
}

void AttackAction::PendingActionAborted()
{
    if (Character* character = GetCharacter())
        character->CancelSkillAction(m_skillNumber);
}

std::unique_ptr<CharacterActionPacket> AttackAction::GetNetPacket() const
{
    auto packet = NewPacket<AttackPacket>(GetParentId());
    packet->defenderId = m_targetId;
    packet->location = m_targetPoint;
    packet->skillNumber = m_skillNumber;
    packet->seed = m_seed;
    packet->attackerPosition = PositionOf(GetCharacter());
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- TakeStunAction, ImmobilizeAction, TakeTrapAction -------------------------------------

// Their packets name the character only and never carry a pre-move block.

void TakeStunAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || !character->IsAlive()) {
        Finish();
        return;
    }
    character->ExecuteStun();
    character->PlayStunSound();
}

std::unique_ptr<CharacterActionPacket> TakeStunAction::GetNetPacket() const
{
    return NewPacket<TakeStunPacket>(GetParentId());
}

void ImmobilizeAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || !character->IsAlive()) {
        Finish();
        return;
    }
    character->ExecuteImmobilize();
}

std::unique_ptr<CharacterActionPacket> ImmobilizeAction::GetNetPacket() const
{
    return NewPacket<ImmobilizePacket>(GetParentId());
}

void TakeTrapAction::Execute()
{
    if (Character* character = GetCharacter(); character && character->IsAlive())
        character->ExecuteTrap();
    Finish();
}

std::unique_ptr<CharacterActionPacket> TakeTrapAction::GetNetPacket() const
{
    return NewPacket<TakeTrapPacket>(GetParentId());
}

// ---- DieAction ----------------------------------------------------------------------------

void DieAction::Execute()
{
    Character* character = GetCharacter();
    if (!character)
        return;
    character->SetLifeState(Character_LifeState_Dying);
    character->SetActionState(Character_ActionState_Dying);
    if (DeathManager* manager = character->GetDeathManager()) {
        manager->SetObjectIds(m_objectIds);
        manager->Execute();
    }
    character->GetPlayStats().IncrementDeaths();
}

std::unique_ptr<CharacterActionPacket> DieAction::GetNetPacket() const
{
    auto packet = NewPacket<DiePacket>(GetParentId());
    packet->deathHandlerIds = m_objectIds;
    LoadPreMoveData(packet.get());
    return packet;
}

void DieAction::AnimationCallback(const Name& event)
{
    if (!IsActive())
        return;
    Character* character = GetCharacter();
    if (!character)
        return;
    if (DeathManager* manager = character->GetDeathManager())
        manager->AnimationCallback(event);
}

void DieAction::Finish()
{
    if (Character* character = GetCharacter())
        character->SetLifeState(Character_LifeState_Dead);
    CharacterActionBase::Finish();
}

// ---- ChatAction ---------------------------------------------------------------------------

void ChatAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || !character->IsAlive()) {
        Finish();
        return;
    }
    if (m_chatTargetId == 0)
        return;
    FaceTarget(m_chatTargetId);
    character->SetActionState(Character_ActionState_Chatting);
    Play(*character, AnimationSet_Chat, true);
}

void ChatAction::FaceTarget(uint32_t targetId) const
{
    Character* character = GetCharacter();
    const Character* target = ObjectManager::Get().GetObject<Character>(targetId);
    if (!character || !target || character == target || !character->ShouldRotateWhenChatting())
        return;
    FacePoint(*character, target->GetCoords().GetPosition());
}

void ChatAction::Finish()
{
    CharacterActionBase::Finish();
    if (auto* npc = ObjectManager::Get().GetObject<Npc>(m_chatTargetId))
        npc->OnConversationEnd(GetParentId());
}

std::unique_ptr<CharacterActionPacket> ChatAction::GetNetPacket() const
{
    auto packet = NewPacket<ChatActionPacket>(GetParentId());
    packet->targetId = m_chatTargetId;
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- PlayAnimationAction ------------------------------------------------------------------

void PlayAnimationAction::Execute()
{
    Character* character = GetCharacter();
    if (!character) {
        Finish();
        return;
    }
    AnimationSet* set = character->GetAnimationSet();
    if (!set || !set->PlayAnimation(*character, m_animationType, m_animationName, m_speed, m_loop, m_iteration))
        Finish();
    character->SetActionState(static_cast<Character_ActionState>(2));
}

std::unique_ptr<CharacterActionPacket> PlayAnimationAction::GetNetPacket() const
{
    auto packet = NewPacket<PlayAnimationActionPacket>(GetParentId());
    packet->animationType = static_cast<uint32_t>(m_animationType);
    packet->speedModifier = m_speed;
    packet->loop = m_loop;
    packet->iteration = m_iteration;
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- EngageNpcAction ----------------------------------------------------------------------

void EngageNpcAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || !character->IsAlive()) {
        Finish();
        return;
    }
    if (m_npcId == 0)
        return;
    if (auto* npc = ObjectManager::Get().GetObject<Npc>(m_npcId)) {
        npc->OnPlayerInteract(character->GetObjectId(), m_first, m_second);
        Finish();
    }
}

std::unique_ptr<CharacterActionPacket> EngageNpcAction::GetNetPacket() const
{
    auto packet = NewPacket<EngageNpcPacket>(GetParentId());
    packet->targetId = m_npcId;
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- SpawnAction --------------------------------------------------------------------------

void SpawnAction::Execute()
{
    if (!GetCharacter())
        Finish();
}

void SpawnAction::AnimationCallback(const Name& event)
{
    if (IsEnd(event) && GetCharacter())
        Finish();
}

std::unique_ptr<CharacterActionPacket> SpawnAction::GetNetPacket() const
{
    auto packet = NewPacket<SpawnActionPacket>(GetParentId());
    LoadPreMoveData(packet.get());
    return packet;
}

// ---- RespawnAction ------------------------------------------------------------------------

void RespawnAction::Execute()
{
    Character* character = GetCharacter();
    if (!character || character->IsAlive()) {
        Finish();
        return;
    }
    character->StartRespawn(m_respawnCoords);
    if (!Play(*character, AnimationSet_Respawn, false))
        Finish();
}

void RespawnAction::AnimationCallback(const Name& event)
{
    if (IsEnd(event) && GetCharacter())
        Finish();
}

void RespawnAction::Finish()
{
    if (Character* character = GetCharacter())
        character->StopRespawn();
    CharacterActionBase::Finish();
}

std::unique_ptr<CharacterActionPacket> RespawnAction::GetNetPacket() const
{
    auto packet = NewPacket<RespawnPacket>(GetParentId());
    packet->respawnCoords = m_respawnCoords;
    LoadPreMoveData(packet.get());
    return packet;
}

}  // namespace GAME
