#include "Game/characters/CharacterActions.h"

#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/characters/DeathHandler.h"

namespace GAME {

namespace {

ControllerBaseCharacter* GetController(const Character& character)
{
    return ObjectManager::Get().GetObject<ControllerBaseCharacter>(character.GetControllerId());
}

// The attack idle, played once from its start.
void PlayAttackIdle(Character& character)
{
    if (AnimationSet* set = character.GetAnimationSet())
        set->PlayAnimation(character, AnimationSet_AttackIdle, Name::noName, 1.0f, false, 0);
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
    if (event != Actor::EndEvent())
        return;
    if (Character* character = GetCharacter())
        PlayAttackIdle(*character);
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

}  // namespace GAME
