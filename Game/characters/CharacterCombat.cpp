// How combat, skills and controllers act on a character, and the feedback it gives:
// attacks taken, involuntary states, fear and taunts, calls for help, dying and death,
// damage, hit and buff effects, bonuses, life and mana, its sounds and its animation
// events.
#include "Game/characters/Character.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/Random.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/skills/AuraManager.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/EffectEntity.h"
#include "Game/world/PFxManager.h"

namespace GAME {

namespace {

constexpr int kSurfaceWater = 7;
constexpr float kFootstepProbeLength = 100.0f;
constexpr float kFootstepProbeAllowance = 0.25f;

const Name& EventStopRotation()
{
    static const Name name("StopRotation");
    return name;
}
const Name& EventLeftFootstep()
{
    static const Name name("L Footstep");
    return name;
}
const Name& EventRightFootstep()
{
    static const Name name("R Footstep");
    return name;
}
const Name& AttachPointTarget()
{
    static const Name name("Target");
    return name;
}

// The damage effect pack shown for a damage type, as an index into the packs (which
// are in record-key order); -1 for a type that has none.
int DamageFxIndex(CombatAttributeType type)
{
    switch (type) {
    case CombatAttributeType_Cold: return 0;
    case CombatAttributeType_Lightning: return 1;
    case CombatAttributeType_Fire: return 2;
    case CombatAttributeType_Poison: return 3;
    case CombatAttributeType_Life: return 4;
    case CombatAttributeType_Bleeding: return 5;
    case CombatAttributeType_AttackSpeed: return 6;
    case CombatAttributeType_SpellCastSpeed: return 7;
    case CombatAttributeType_RunSpeed: return 8;
    case CombatAttributeType_OffensiveAbility: return 9;
    case CombatAttributeType_DefensiveAbility: return 10;
    case CombatAttributeType_OffensiveReduction: return 11;
    case CombatAttributeType_DefensiveReduction: return 12;
    case CombatAttributeType_LifeLeach: return 13;
    case CombatAttributeType_ManaLeach: return 14;
    case CombatAttributeType_Fumble: return 15;
    default: return -1;
    }
}

// The bit of a type in the shown-effects mask; types beyond the mask have none.
uint64_t DamageEffectBit(CombatAttributeType type) { return type < 64 ? uint64_t{1} << type : 0; }

// The foot sound slot of a floor surface (1 grass .. 7 water); -1 for any other.
int FootSoundSlot(int surface)
{
    return surface >= 1 && surface <= 7 ? Character::Sound_FootGrass + (surface - 1) : -1;
}

}  // namespace

// ---- Attacks, bonuses, life and mana -----------------------------------------------------

bool Character::TakeAttack(ParametersCombat& params)
{
    m_bio->BioIsTainted();
    m_playStats.ReceiveHit();
    if (!params.auraName.empty())
        AddAura(params.auraName, false, params.auraLevel);
    return m_combatManager->TakeAttack(params, *m_skillManager);
}

// The life counted as gained is measured before the bonus is given: afterwards the room
// below the limit is already filled and an instant heal would count as nothing.
void Character::TakeBonus(const Bonus& bonus, bool flag, PlayStatsLifeType lifeType)
{
    const float lifeGiven = m_bio->GetBonusLifeAmount(bonus);
    m_bio->BioIsTainted();
    m_bio->TakeBonus(bonus, flag);
    if (bonus.experiencePoints != 0)
        ReceiveExperience(bonus.experiencePoints, false);
    if (bonus.goldPoints != 0)
        AddMoney(bonus.goldPoints);
    if (bonus.attributePoints != 0)
        m_levelControl->AddModifierPoints(bonus.attributePoints);
    if (bonus.skillPoints != 0) {
        m_levelControl->AddSkillPoints(bonus.skillPoints);
        GameEvent_PlayerSkillUp event;
        event.objectId = GetObjectId();
        EventManager::Get().Send(event, "GameEvent_PlayerSkillUp");
    }
    if (!bonus.effectName.empty())
        m_pfxManager->OneShotParticleEffect(bonus.effectName, "");
    m_playStats.GainLife(lifeGiven, lifeType);
}

void Character::SubtractLife(float amount, const PlayStatsDamageType& damageType)
{
    if (m_invincible || m_god)
        return;
    m_bio->SubtractLife(amount);
    m_playStats.TallyDamageReceived(amount, damageType);
}

void Character::SubtractMana(float amount)
{
    if (m_omnipotent)
        return;
    m_bio->SubtractMana(amount);
    m_playStats.UseMana(amount);
}

void Character::AddLifeSlow(float amount, PlayStatsLifeType lifeType)
{
    m_playStats.GainLife(amount, lifeType);
    m_bio->AddLifeSlow(amount);
}

bool Character::ApplyDamage(float amount, const PlayStatsDamageType& damageType, CombatAttributeType combatAttributeType)
{
    return m_combatManager->ApplyDamage(amount, damageType, combatAttributeType);
}

uint32_t Character::AddAura(const std::string& recordName, bool permanent, int32_t seconds)
{
    return m_auraManager->AddAura(*this, recordName, permanent, seconds);
}

void Character::RemoveAura(const std::string& recordName) { m_auraManager->RemoveAura(recordName); }
void Character::RemoveAura(uint32_t auraId) { m_auraManager->RemoveAura(auraId); }

// ---- Involuntary states ------------------------------------------------------------------

void Character::ExecuteStun()
{
    if (m_actionState == Character_ActionState_Stun)
        return;
    if (!m_currentAnimationSet ||
        !m_currentAnimationSet->PlayAnimation(*this, AnimationSet_Stun, Name(), 1.0f, true, 0))
        gEngine->Log(LOG_ERROR, "Failed to start stun animation.");
    SetActionState(Character_ActionState_Stun);
}

void Character::ReleaseStun()
{
    if (m_actionState == Character_ActionState_Stun)
        CharacterStop();
}

void Character::ExecuteImmobilize()
{
    if (m_actionState == Character_ActionState_Immobilize)
        return;
    SetActionState(Character_ActionState_Immobilize);
    if (m_currentAnimationSet)
        m_currentAnimationSet->AdjustAnimation(*this, 0.0f);
}

void Character::ReleaseImmobilize()
{
    if (m_actionState == Character_ActionState_Immobilize)
        CharacterStop();
}

void Character::ExecuteTrap()
{
    m_disallowMovement = true;
    if (m_actionState != Character_ActionState_Trap)
        SetActionState(Character_ActionState_Trap);
}

// Only movement comes back: the state stays Trap until the next action replaces it.
void Character::ReleaseTrap() { m_disallowMovement = false; }

// Stun and trap have their own controller reactions; freeze, petrify and immobilize all
// immobilize.
void Character::StartInvoluntaryEffect(CombatAttributeType type)
{
    auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(m_controllerId);
    if (!controller)
        return;
    switch (type) {
    case CombatAttributeType_Stun: controller->BeginStun(); break;
    case CombatAttributeType_Trap: controller->BeginTrap(); break;
    case CombatAttributeType_Freeze:
    case CombatAttributeType_Petrify:
    case CombatAttributeType_Immobilize: controller->BeginImmobilize(); break;
    default: break;
    }
}

CombatAttributeType Character::GetInvoluntaryEffect() const
{
    return m_combatManager->GetDurationDamageMgr().GetInvoluntaryEffect();
}

void Character::StopInvoluntaryEffect(CombatAttributeType type)
{
    auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(m_controllerId);
    if (!controller)
        return;
    switch (type) {
    case CombatAttributeType_Stun: controller->EndStun(); break;
    case CombatAttributeType_Trap: controller->EndTrap(); break;
    case CombatAttributeType_Freeze:
    case CombatAttributeType_Petrify:
    case CombatAttributeType_Immobilize: controller->EndImmobilize(); break;
    default: break;
    }
}

// ---- Influences on the mind, cooldown and leech -----------------------------------------

void Character::CombatExertInfluenceFear(int durationMs)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(m_controllerId))
        controller->ScareMe(m_combatManager->GetAttackerId(), static_cast<float>(durationMs));
}

void Character::CombatExertInfluenceConfusion(int) {}

void Character::CombatExertInfluenceTaunt(float value)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(m_controllerId))
        controller->TauntMe(value, m_combatManager->GetAttackerId());
}

void Character::CombatAddCooldownDamage(int durationMs)
{
    m_skillManager->ApplyCooldownDamage(static_cast<float>(durationMs));
}

void Character::CombatAddLifeLeechDamage(float percent) { m_combatManager->ApplyLifeLeech(percent); }

// ---- Damage, hit and buff effects ---------------------------------------------------------

void Character::StartDamageEffect(CombatAttributeType type)
{
    m_damageEffectsShown |= DamageEffectBit(type);
    if (const int index = DamageFxIndex(type); index >= 0)
        m_damageFx[static_cast<size_t>(index)].Enable(true);
}

void Character::StopDamageEffect(CombatAttributeType type)
{
    m_damageEffectsShown &= ~DamageEffectBit(type);
    if (const int index = DamageFxIndex(type); index >= 0)
        m_damageFx[static_cast<size_t>(index)].Enable(false);
}

bool Character::IsDamageEffectShown(CombatAttributeType type) const
{
    return (m_damageEffectsShown & DamageEffectBit(type)) != 0;
}

void Character::ResetAbsEffects()
{
    for (auto& [type, effect] : m_absEffects)
        effect.fired = false;
    m_absEffectsArmed = true;
}

// Each type shows at most once between two resets: its effect at the "Target" point and
// its sound there.
void Character::FireAbsEffect(CombatAttributeType type)
{
    if (!m_absEffectsArmed)
        return;
    const auto found = m_absEffects.find(type);
    if (found == m_absEffects.end() || found->second.fired)
        return;
    CharacterAbsEffect& effect = found->second;
    effect.fired = true;
    m_pfxManager->OneShotParticleEffect(effect.effect, AttachPointTarget().c_str());
    const WorldVec3 where = GetAttachPointPosition(AttachPointTarget());
    if (effect.sound)
        effect.sound->Play(where, 0, true);
}

bool Character::WasAbsEffectFired(CombatAttributeType type) const
{
    const auto found = m_absEffects.find(type);
    return found != m_absEffects.end() && found->second.fired;
}

void Character::SetCharacterBuffFx(CharacterBuff buff, bool on)
{
    if (!on) {
        StopCharacterBuffFx(buff);
        return;
    }
    if (CharFxPak* pak = GetBuffFx(buff))
        pak->Enable(true);
}

void Character::StopCharacterBuffFx(CharacterBuff buff)
{
    if (CharFxPak* pak = GetBuffFx(buff))
        pak->Enable(false);
}

CharacterBuff Character::ConvertFxBuffName(const std::string& name)
{
    if (name == "Fire")
        return CharacterBuff_Fire;
    if (name == "Poison")
        return CharacterBuff_Poison;
    return CharacterBuff_None;
}

// ---- Calls for help ------------------------------------------------------------------------

void Character::UnderAttack(uint32_t attackerId)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(m_controllerId))
        controller->UnderAttack(attackerId);
    if (ShouldUseDistressCall()) {
        DoDistressCall(attackerId);
        --m_distressCallsLeft;
        m_distressCallTimer = m_distressCallTime;
    }
}

// The cooldown has run out once the timer is down to 0 (a frame may take it below).
bool Character::ShouldUseDistressCall()
{
    return m_distressCall && m_distressCallsLeft > 0 && m_distressCallTimer <= 0;
}

void Character::DoDistressCall(uint32_t attackerId)
{
    const WorldVec3 where = GetPathPosition();
    if (!where.IsValid())
        return;
    // The list is borrowed from the thread's spare and handed back after the calls: a call
    // the allies answer with may come back here, and then finds no spare and makes its own.
    thread_local std::vector<Entity*> spare;
    std::vector<Entity*> found = std::move(spare);
    found.clear();
    World::Get().GetEntitiesInSphere(found, where.GetRegion(), Sphere{where.GetRegionPosition(), m_distressCallRange},
                                     EntityList_Dynamic);
    const Team team = GetTeam();
    for (Entity* entity : found) {
        auto* ally = DynamicCast<Character>(entity);
        if (!ally || ally == this || ally->GetRegion() != where.GetRegion())
            continue;
        if (team.IsFriend(ally->GetTeam()))
            ally->AllyAttacked(GetObjectId(), attackerId);
    }
    spare = std::move(found);
}

void Character::AllyAttacked(uint32_t allyId, uint32_t attackerId)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(m_controllerId))
        controller->AllyAttacked(allyId, attackerId);
}

// ---- Dying and death ----------------------------------------------------------------------

void Character::ImDying()
{
    m_combatManager->ImDying();
    m_skillManager->ImDead();
    m_auraManager->Clear(*this);
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(m_controllerId))
        controller->CharacterIsDying();
    if (!m_dyingFxPak.empty())
        if (Entity* effect = DynamicCast<Entity>(ObjectManager::Get().CreateObjectFromFile(m_dyingFxPak)))
            World::Get().AddEntity(effect, GetCoords());
    CharacterIsDying();
}

void Character::CharacterIsDying()
{
    const uint32_t attackerId = m_combatManager->GetAttackerId();
    if (m_distressCallWhenDying)
        DoDistressCall(attackerId);
    GameEvent_CreatureDeath event;
    event.objectName = GetObjectName();
    event.objectId = GetObjectId();
    event.attackerId = attackerId;
    EventManager::Get().Send(event, "GameEvent_CreatureDeath");
}

void Character::ImDead()
{
    m_combatManager->ImDead();
    PhysicsEngine::Get().RemoveEntity(GetObjectId());
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(m_controllerId))
        controller->CharacterIsDead();
    CharacterHasDied();
}

void Character::CharacterHasDied() {}

// ---- Sounds --------------------------------------------------------------------------------

void Character::PlayArmSwipeSound()
{
    if (SoundPak* pak = m_sounds[Sound_Swipe])
        pak->Play(GetCoords().GetPosition(), 0, true);
}

void Character::PlayAttackSound()
{
    if (SoundPak* pak = m_sounds[Sound_Attack])
        pak->Play(GetCoords().GetPosition(), 0, true);
}

void Character::PlayStunSound()
{
    if (SoundPak* pak = m_sounds[Sound_Stun])
        pak->Play(GetCoords().GetPosition(), 0, true);
}

void Character::PlayLootSound()
{
    if (SoundPak* pak = m_sounds[Sound_Loot])
        pak->Play(GetCoords().GetPosition(), 0, true);
}

void Character::PlayImpactSound()
{
    if (RandFloat(0.0f, 100.0f) < m_impactSoundChance)
        if (SoundPak* pak = m_sounds[Sound_Impact])
            pak->Play(GetCoords().GetPosition(), 0, true);
}

void Character::PlayLowHealthSoundIfNeeded(float currentLife)
{
    const float maximum = m_bio->GetTotalCharAttribute(CharAttributeType_Life);
    if (!m_lowHealthTriggered) {
        if (currentLife > maximum * m_lowHealthTriggerLevel * 0.01f)
            return;
        m_lowHealthTriggered = true;
        if (SoundPak* pak = m_sounds[Sound_LowHealth])
            pak->Play(GetCoords().GetPosition(), 0, true);
        if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(m_controllerId))
            controller->LowHealth();
    } else if (currentLife >= maximum * m_lowHealthResetLevel * 0.01f) {
        m_lowHealthTriggered = false;
    }
}

void Character::PlayDeathSound()
{
    static const Name deathSound("deathSound1");
    m_animationSounds.PlaySound(*this, deathSound, GetObjectId());
}

void Character::PlayBodyFallSound(int surface)
{
    static const Name bodyFallSound("bodyFallSound");
    if (surface != kSurfaceWater) {
        m_animationSounds.PlaySound(*this, bodyFallSound, 0);
        return;
    }
    if (SoundPak* pak = m_sounds[Sound_Splash])
        pak->Play(GetAttachPointPosition(AttachPointTarget()), 0, true);
}

void Character::PlayLoopingRunningSound()
{
    SoundPak* pak = m_sounds[Sound_LoopingRunning];
    if (!pak || pak->IsPlaying())
        return;
    pak->Play(GetPathPosition(), 0, false);
    pak->Track(GetObjectId());
}

void Character::StopLoopingRunningSound()
{
    SoundPak* pak = m_sounds[Sound_LoopingRunning];
    if (pak && pak->IsPlaying())
        pak->FadeLastPlayedSound(m_loopingRunningSoundFadeTime);
}

void Character::PlayAnimationSound(Actor& actor, const Name& event) { m_animationSounds.PlaySound(actor, event, 0); }

void Character::RegisterNetSound(SoundPak* pak)
{
    if (pak)
        m_netSounds.push_back(pak);
}

// The sound travels as a command: it plays where the command runs, here and on every
// peer its packet reaches.
void Character::PlayNetSound(SoundPak* pak)
{
    if (!pak)
        return;
    for (size_t index = 0; index < m_netSounds.size(); ++index)
        if (m_netSounds[index] == pak) {
            Enqueue(new PlaySoundConfigCmd(GetObjectId(), static_cast<uint32_t>(index)));
            return;
        }
    gEngine->Log(LOG_ERROR, "%s attempted to play an invalid Net Sound.", GetObjectName().c_str());
}

void Character::OnPlayNetSound(uint32_t index)
{
    if (index >= m_netSounds.size()) {
        gEngine->Log(LOG_ERROR, "%s received config cmd to play an invalid Net Sound.", GetObjectName().c_str());
        return;
    }
    m_netSounds[index]->Play(GetCoords().GetPosition(), 0, true);
}

void Character::LoadAnimationSound(const LoadTable& table, const char* soundKey, const char* chanceKey)
{
    LoadAnimationSound(table, soundKey, table.GetFloat(chanceKey, 0.0f));
}

void Character::LoadAnimationSound(const LoadTable& table, const char* soundKey, float chance)
{
    // Most records give few of these sounds: the event's name is made (interned) only for
    // a sound that is added.
    const char* record = table.GetString(soundKey, "");
    if (*record && chance > 0.0f)
        m_animationSounds.AddSound(Name(soundKey), record, chance);
}

// ---- Animation events ------------------------------------------------------------------------

void Character::AnimationCallback(const Name& event)
{
    if (m_currentAnimationSet && m_currentAnimationSet->HandleAnimationCallback(*this, event))
        return;
    if (event == EventStopRotation()) {
        m_rotateTowardsTarget = false;
    } else if (!m_animationSounds.PlaySound(*this, event, 0)) {
        const bool left = event == EventLeftFootstep();
        if (left || event == EventRightFootstep()) {
            // The probe starts twice the height value above the feet; a floor within that
            // height (and a little) is under them.
            const float start = 2.0f * GetHeightValue();
            WorldVec3 from = GetCoords().GetPosition();
            from.Translate(Vec3{0.0f, start, 0.0f});
            FloorHit hit;
            if (World::Get().ProbeFloor(from, kFootstepProbeLength, hit) &&
                hit.distance < start + kFootstepProbeAllowance) {
                const int slot = FootSoundSlot(hit.surface);
                if (SoundPak* pak = slot >= 0 ? m_sounds[static_cast<size_t>(slot)] : nullptr) {
                    pak->Play(GetCoords().GetPosition(), 0, true);
                    pak->Track(GetObjectId());
                }
            }
        } else if (m_actionHandler) {
            m_actionHandler->AnimationCallback(event);
        }
    }
    if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(m_controllerId))
        controller->HandleEvent(event);
    Actor::AnimationCallback(event);
}

// ---- Ambient highlight ----------------------------------------------------------------------

// Underground the sky's ambient light is missing: a dark sky lifts the character a little.
float Character::GetAmbientHighlight() const
{
    const Region* region = GetRegion();
    if (!region || !region->IsUnderground())
        return 0.0f;
    const Color sky = AmbianceManager::Get().GetSkyAmbientColor(0);
    return std::max(0.0f, 0.4f - (sky.red + sky.green + sky.blue) * 0.333f);
}

bool Character::IsUnderAttack() const { return m_combatManager->GetCombatState() != CombatManager_NotInCombat; }

}  // namespace GAME
