// A character in the world: its first update, its frame, the spine tweak, respawning,
// and the skills reached through it.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/DeathHandler.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEvents.h"
#include "Game/skills/AuraManager.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/PFxManager.h"

namespace GAME {

void Character::InitialUpdate()
{
    Actor::InitialUpdate();
    m_spawnPoint = GetCoords();
    // The death handlers are chosen from the record. A manager made before is kept: it
    // may be running.
    if (!m_deathManager)
        m_deathManager = std::make_unique<DeathManager>(this);
    m_deathManager->ChooseHandlers();
    SetAnimation(m_combatManager->GetHandState());
    m_bio->InitialUpdate(*this);

    GameEvent_CreatureSpawn spawn;
    spawn.objectName = GetObjectName();
    spawn.objectId = GetObjectId();
    spawn.isPlayer = IsA<Player>();
    EventManager::Get().Send(spawn, "GameEvent_CreatureSpawn");
    GameEvent_CreatureInitialUpdate initialUpdate;
    initialUpdate.objectId = GetObjectId();
    initialUpdate.objectName = GetObjectName();
    EventManager::Get().Send(initialUpdate, "GameEvent_CreatureInitialUpdate");
}

// A handler may destroy the character inside the death manager's PostProcess: the object
// manager only frees it once the world's walk is over, so the rest of this frame still
// runs on live memory, and the walk makes no further call on it.
void Character::UpdateSelf(int elapsedMs)
{
    Actor::UpdateSelf(elapsedMs);
    m_frameElapsed = 0;
    if (elapsedMs <= 0)
        return;
    m_updateTimer.Update();
    m_frameElapsed = m_updateTimer.GetElapsedTime();
    const int frameElapsed = static_cast<int>(std::min<uint32_t>(m_frameElapsed, INT32_MAX));
    // The count stops at 0: a frame that overshoots does not leave the timer below it.
    if (m_distressCallTimer > 0)
        m_distressCallTimer = std::max(m_distressCallTimer - elapsedMs, 0);
    if (m_pfxBusy)
        m_pfxManager->Update(frameElapsed);

    if (m_lifeState != Character_LifeState_Dead) {
        if (m_actionState == Character_ActionState_Attack && m_rotateTowardsTarget) {
            uint32_t targetId = 0;
            uint32_t skillId = 0;
            WorldVec3 point;
            GetCurrentAttackTarget(targetId, point, skillId);
            if (const Character* target = ObjectManager::Get().GetObject<Character>(targetId))
                point = target->GetCoords().GetPosition();
            if (point.IsValid()) {
                WorldCoords coords = GetCoords();
                RotateTowards(elapsedMs, point - GetCoords().GetPosition(), coords);
            }
        }
        m_combatManager->Update(frameElapsed);
        if (m_aurasBusy)
            m_auraManager->Update(*this, frameElapsed);
        FollowPath(elapsedMs);
        if (gEngine->IsCharacterDataLogEnabled())
            DebugRender();
        if (DeathManager* deathManager = m_deathManager.get()) {
            deathManager->Update(frameElapsed);
            if (deathManager->IsFinished()) {
                if (m_actionHandler)
                    m_actionHandler->Stop();
                deathManager->PostProcess();
            }
        }
        Update_TweakPose(elapsedMs);
    }
    m_playStats.Update(elapsedMs);
}

// The frame's elapsed time is the one UpdateSelf measured, not the walk's.
void Character::PreAnimationUpdate(int)
{
    const int frameElapsed = static_cast<int>(std::min<uint32_t>(m_frameElapsed, INT32_MAX));
    ObjectManager& objects = ObjectManager::Get();
    if (m_lifeState != Character_LifeState_Dead) {
        m_bio->Update(*this, frameElapsed);
        m_skillManager->Update(frameElapsed);
        // The only place a character's controller is updated.
        if (auto* controller = m_controllerLink.Get(m_controllerId))
            controller->Update(frameElapsed);
        return;
    }
    auto* controller = objects.GetObject<ControllerCombat>(m_controllerId);
    if (controller && controller->NeedsDeathUpdate()) {
        m_bio->Update(*this, frameElapsed);
        m_skillManager->Update(frameElapsed);
        controller->DeathUpdate(frameElapsed);
    }
}

void Character::PrefetchFrameUpdate(int stage) const
{
    const auto ask = [](const void* address) { __builtin_prefetch(address); };
    if (stage == 0) {
        const char* self = reinterpret_cast<const char*>(this);
        ask(self + 64);
        ask(&m_combatManager);
        ask(&m_skillManager);
        ask(&m_movementManager);
        ask(&m_controllerLink);
        ask(&m_frameElapsed);
        ask(&m_actionState);
        ask(&m_actionHandler);
        ask(&m_pathingSize);
        ask(&m_maxRotationSpeed);
        return;
    }
    ask(m_bio.get());
    ask(m_skillManager.get());
    ask(m_combatManager.get());
    ask(m_movementManager.get());
    ask(m_actionHandler.get());
    ask(m_controllerLink.Remembered());
}

void Character::Update_TweakPose(int elapsedMs)
{
    const float difference = m_targetSpineCurve - m_currentSpineCurve;
    float step = static_cast<float>(elapsedMs) * 0.001f * m_spineCurveRate;
    if (difference < 0.0f)
        step = -step;
    if (std::fabs(step) <= std::fabs(difference))
        m_currentSpineCurve += step;
    else
        m_currentSpineCurve = m_targetSpineCurve;
}

void Character::SetSpineCurve(float curve)
{
    // A curve that is no number would bend the spine for good: taken as straight.
    if (!std::isfinite(curve))
        curve = 0.0f;
    const float sign = curve < 0.0f ? -1.0f : 1.0f;
    m_targetSpineCurve = sign * std::min(std::fabs(curve), m_maxSpineCurve);
}

void Character::TweakPose()
{
    Actor::TweakPose();
    TweakPose_Breasts();
}

void Character::TweakPose_Breasts()
{
    // At 0 the bone stays as animated; only a support within (0, 1] changes it.
    const float support = m_breastSupport;
    if (!(support > 0.0f) || support > 1.0f)
        return;
    const SkeletalPoseBone* animated = GetPose().FindBone("Bone_Boob");
    if (!animated)
        return;
    SkeletalPose pose = GetPose();
    SkeletalPoseBone& bone = *pose.FindBone("Bone_Boob");
    if (support == 1.0f) {
        bone.rotation = Quaternion();
        bone.position = Vec3{};
    } else {
        // Toward the identity rotation along the shorter way, then normalised; the
        // position toward the parent's origin.
        const float keep = 1.0f - support;
        const float toward = bone.rotation.w < 0.0f ? -support : support;
        Quaternion q(bone.rotation.x * keep, bone.rotation.y * keep, bone.rotation.z * keep,
                     bone.rotation.w * keep + toward);
        const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
        bone.rotation = length > 0.0f ? Quaternion(q.x / length, q.y / length, q.z / length, q.w / length)
                                      : Quaternion();
        bone.position = bone.position * keep;
    }
    SetPose(pose);
}

void Character::StartRespawn(const WorldCoords& coords)
{
    TeleportToLocation(coords);
    m_bio->ReloadValues();
    m_disallowMovement = false;
    if (m_deathManager)
        m_deathManager->Reset();
    // A body that went limp stands up again: its next death makes a fresh rag doll, which
    // is what tells the death handlers it has settled.
    SetPhysicsType(kPhysicsTypeCharacter);
    SetLifeState(Character_LifeState_Respawning);
    // A respawn begun before this one ended leaves no effect behind.
    if (m_spawnEffectId != 0)
        m_pfxManager->RemoveParticleEffect(m_spawnEffectId);
    if (!m_spawnEffect.empty()) {
        m_spawnEffectId = m_pfxManager->AddParticleEffect(m_spawnEffect, "");
        if (m_spawnEffectId != 0)
            m_pfxManager->StartParticleEffect(m_spawnEffectId);
    }
}

// The effect is let go (it dies out through the effect manager) rather than left
// emitting with nobody holding its id.
void Character::StopRespawn()
{
    if (m_spawnEffectId != 0)
        m_pfxManager->RemoveParticleEffect(m_spawnEffectId);
    m_spawnEffectId = 0;
    SetLifeState(Character_LifeState_Alive);
}

// ---- Skills reached through the character ----------------------------------------------

bool Character::StartSkill(uint32_t skillNumber, uint32_t targetId, const WorldVec3& point, uint32_t seed,
                           const TargetLeadingData& leading)
{
    m_bio->BioIsTainted();
    return m_skillManager->StartSkill(skillNumber, targetId, point, seed, leading);
}

bool Character::HandleSkillAnimationCallback(const Name& event, uint32_t skillNumber, uint32_t targetId,
                                             const WorldVec3& point)
{
    return m_skillManager->HandleSkillAnimationCallback(event, skillNumber, targetId, point);
}

void Character::CancelSkillAction(uint32_t skillNumber) { m_skillManager->CancelSkillAction(skillNumber); }

void Character::SkillTargetResult(uint32_t skillNumber, const std::vector<uint32_t>& targets, const WorldCoords& origin,
                                  uint32_t seed, uint32_t weaponId, bool useWeapon, int32_t hitIteration)
{
    m_skillManager->SkillTargetResult(skillNumber, targets, origin, seed, weaponId, useWeapon, hitIteration);
}

void Character::CreateProjectile(uint32_t skillNumber, uint32_t weaponId, const WorldCoords& origin, uint32_t targetId,
                                 const WorldVec3& point, uint32_t projectileId, uint32_t seed, int32_t hitIteration)
{
    m_skillManager->CreateProjectile(skillNumber, weaponId, origin, targetId, point, projectileId, seed, hitIteration);
}

void Character::SkillSpawnObject(uint32_t skillNumber, const WorldCoords& origin, uint32_t targetId,
                                 const std::vector<WorldCoords>& spawnCoords, const std::vector<uint32_t>& spawnIds,
                                 uint32_t value)
{
    m_skillManager->SkillSpawnObject(skillNumber, origin, targetId, spawnCoords, spawnIds, value);
}

void Character::SkillStateUpdateCommand(uint32_t skillNumber, const SkillState& state)
{
    m_skillManager->SkillStateUpdateCommand(skillNumber, state);
}

void Character::SkillActiveStateUpdateCommand(uint32_t skillNumber, const SkillActiveState& state)
{
    m_skillManager->SkillActiveStateUpdateCommand(skillNumber, state);
}

void Character::CreateRemoveSkillBuff(uint32_t skillId, const std::string& buffName, uint32_t level,
                                      const std::string& modifierName1, uint32_t modifierLevel1,
                                      const std::string& modifierName2, uint32_t modifierLevel2,
                                      int32_t timeToLiveMs, uint32_t casterId)
{
    m_bio->BioIsTainted();
    m_skillManager->CreateRemoveSkillBuff(skillId, buffName, level, modifierName1, modifierLevel1, modifierName2,
                                          modifierLevel2, timeToLiveMs, casterId, false);
}

void Character::ActivateSkill(uint32_t skillNumber, const Name& event, uint32_t targetId, const WorldVec3& point)
{
    const uint32_t skillId = m_skillManager->GetSkillIdFromReference(skillNumber);
    if (auto* skill = ObjectManager::Get().GetObject<SkillActivated>(skillId))
        skill->ActivateNow(*this, event, targetId, point);
}

uint32_t Character::GetSkillReferenceNumber(uint32_t skillId) const
{
    return m_skillManager->GetSkillReferenceNumber(skillId);
}

// ---- Skill levels granted by items and buffs ----------------------------------------------

void Character::SetSkillLevelAugment(const std::string& skillName, int levels)
{
    if (levels > 0)
        m_skillManager->SetSkillLevelAugment(skillName, static_cast<uint32_t>(levels));
}

void Character::RemoveSkillLevelAugment(const std::string& skillName, int levels)
{
    if (levels > 0)
        m_skillManager->RemoveSkillLevelAugment(skillName, static_cast<uint32_t>(levels));
}

void Character::SetMasteryLevelAugment(const std::string& masteryName, int levels)
{
    if (levels > 0)
        m_skillManager->SetMasteryAugment(masteryName, static_cast<uint32_t>(levels));
}

void Character::RemoveMasteryLevelAugment(const std::string& masteryName, int levels)
{
    if (levels > 0)
        m_skillManager->RemoveMasteryAugment(masteryName, static_cast<uint32_t>(levels));
}

void Character::SetAllSkillLevelAugment(int levels, const std::string& sourceName)
{
    if (levels > 0)
        m_skillManager->SetAllSkillAugment(static_cast<uint32_t>(levels), sourceName);
}

void Character::RemoveAllSkillLevelAugment(int levels, const std::string& sourceName)
{
    if (levels > 0)
        m_skillManager->RemoveAllSkillAugment(static_cast<uint32_t>(levels), sourceName);
}

}  // namespace GAME
