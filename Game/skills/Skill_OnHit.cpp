#include "Game/skills/Skill_OnHit.h"

#include <cmath>
#include <limits>

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/skills/Skill_Passives.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_OnHitBuffSelf, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_PassiveOnHitBuffSelf, Skill)
GAME_IMPLEMENT_CLASS(Skill_PassiveOnLifeBuffSelf, Skill)
GAME_IMPLEMENT_CLASS(Skill_OnHitAttackRadius, SkillActivated)

namespace skill_on_hit {

// The record's "skillActiveDuration" with the modifiers', in whole milliseconds.
int ActiveDurationMs(const Skill& skill)
{
    SkillProfile_Modifiers modifiers;
    skill.GetSkillModifierData(modifiers);
    return SecondsToMs(modifiers.activeDuration);
}

// A time counted down by a frame, never wrapping below the smallest int.
void CountDown(int32_t& ms, int elapsedMs)
{
    ms = ClampToInt(int64_t{ms} - elapsedMs);
}

}  // namespace skill_on_hit

using skill_on_hit::ActiveDurationMs;
using skill_on_hit::CountDown;

void GiveSkillBonus(const Skill& skill, Character& to)
{
    const SkillProfile* profile = skill.GetSkillProfile();
    if (!profile)
        return;
    Bonus bonus;
    bonus.lifePoints = profile->GetLifeBonus(skill.GetCurrentLevel());
    bonus.manaPoints = profile->GetManaBonus(skill.GetCurrentLevel());
    bonus.effectName = profile->GetBonusEffectName();
    to.TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
}

// ---- The filter's membership ----------------------------------------------------------------

void HeldCombatFilter::Join(Character& owner, CombatFilter* filter)
{
    if (m_holder != &owner.GetCombatManager())
        Leave(filter);
    m_holder = &owner.GetCombatManager();
    m_holder->AddCombatFilter(filter);
}

void HeldCombatFilter::Leave(CombatFilter* filter)
{
    if (m_holder)
        m_holder->RemoveCombatFilter(filter);
    m_holder = nullptr;
}

// ---- Armed toggles --------------------------------------------------------------------------

SkillOnHitArmed::SkillOnHitArmed()
{
    m_primary = false;
    m_secondary = true;
    m_repeatable = false;
}

void SkillOnHitArmed::ActivateNow(Character&, const Name&, unsigned, const WorldVec3&) { FlipSwitch(m_armed); }

bool SkillOnHitArmed::ChanceWon() const
{
    const SkillProfile* profile = GetSkillProfile();
    if (!gGameEngine || !profile)
        return false;
    float chance = profile->GetActivationChance(GetCurrentLevel());
    // Drawn whatever the cooldown: the number of draws is part of what every run repeats.
    const float draw = gGameEngine->GetRandomGen().FGenerate(0.1f, 100.0f);
    if (m_cooldownLeft > 0)
        chance = 0.0f;
    return draw <= chance;
}

void SkillOnHitArmed::CountCooldown(int elapsedMs)
{
    if (m_cooldownLeft > 0)
        CountDown(m_cooldownLeft, elapsedMs);
}

bool SkillOnHitArmed::Disarm()
{
    SkillServicesBase* services = GetServices();
    if (!services || !m_armed)
        return false;
    m_armed = false;
    SetIgnoreMana(false);
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, false, false));
    return true;
}

// ---- Buff on being struck, armed -------------------------------------------------------------

Skill_OnHitBuffSelf::Skill_OnHitBuffSelf() { m_kindText = "^bBuff Self - Activated On Hit"; }

void Skill_OnHitBuffSelf::OnHitActivation(Character&, const ParametersCombat&)
{
    SkillServicesBase* services = GetServices();
    if (!services || !m_armed || m_buffRemaining > 0 || !ChanceWon())
        return;
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, true, true));
    m_buffRemaining = m_buffTotal = ActiveDurationMs(*this);
}

void Skill_OnHitBuffSelf::Update(Character& owner, int elapsedMs)
{
    SkillOnHitArmed::Update(owner, elapsedMs);
    if (SkillServicesBase* services = GetServices()) {
        CountCooldown(elapsedMs);
        if (m_armed && m_buffRemaining > 0) {
            CountDown(m_buffRemaining, elapsedMs);
            if (m_buffRemaining < 1) {
                m_cooldownLeft = TruncateToInt(GetCooldownTime());
                services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, true, false));
            }
        }
    }
    if (m_activeState.active)
        ApplyActiveCosts(owner, elapsedMs);
}

std::optional<unsigned> Skill_OnHitBuffSelf::CollectedLevel() const
{
    if (!m_activeState.transition)
        return std::nullopt;
    return SkillOnHitArmed::CollectedLevel();
}

void Skill_OnHitBuffSelf::CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const
{
    if (m_activeState.transition) {
        CollectOwnCharAttributes(accumulator);
        return;
    }
    const std::optional<unsigned> level = SkillOnHitArmed::CollectedLevel();
    if (m_activeState.active && level)
        if (const SkillProfile* profile = GetSkillProfile())
            profile->GetCharAttributesPenalty(accumulator, *level);
}

void Skill_OnHitBuffSelf::StopSkill(Character&) { Disarm(); }

void Skill_OnHitBuffSelf::ReceiveActiveUpdate(Character& owner, const SkillActiveState& state, bool restored)
{
    SkillOnHitArmed::ReceiveActiveUpdate(owner, state, restored);
    if (!restored) {
        const WorldVec3 position = owner.GetCoords().GetPosition();
        if (state.transition) {
            ApplyCost(true);
            CreateTargetFx(owner.GetCoords());
            PlayHitSound(position);
        } else {
            PlayActivatedSounds(position, state.active);
        }
    }
    ApplyActivatedVisualEffects(owner, state.active);
    if (SkillManagerBase* manager = GetManager())
        manager->SetSpeedUpdateNeeded(true);
}

// ---- Self-buffs that start by themselves ------------------------------------------------------

void SkillTriggeredSelfBuff::UnInstall(Character* owner)
{
    m_filter.Leave(this);
    Skill::UnInstall(owner);
}

void SkillTriggeredSelfBuff::OnDestroy()
{
    m_filter.Leave(this);
    Skill::OnDestroy();
}

std::optional<unsigned> SkillTriggeredSelfBuff::CollectedLevel() const
{
    if (!m_activeState.active)
        return std::nullopt;
    return Skill::CollectedLevel();
}

void SkillTriggeredSelfBuff::CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const
{
    const std::optional<unsigned> level = CollectedLevel();
    if (!level)
        return;
    if (const SkillProfile* profile = GetSkillProfile())
        profile->GetCharAttributes(accumulator, *level);
    AddModifierCharAttributes(accumulator);
}

void SkillTriggeredSelfBuff::StartBuff(SkillServicesBase& services)
{
    services.SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, true, false));
    m_buffRemaining = m_buffTotal = ActiveDurationMs(*this);
}

// A restored state skips the bonus, the cooldown and the sounds, but the shield follows
// the state on every peer, so that every peer filters a blow alike.
void SkillTriggeredSelfBuff::ReceiveActiveUpdate(Character& owner, const SkillActiveState& state, bool restored)
{
    Skill::ReceiveActiveUpdate(owner, state, restored);
    const SkillProfile* profile = GetSkillProfile();
    const unsigned level = GetCurrentLevel();
    if (state.active) {
        if (!restored) {
            OnBuffStart(owner);
            GiveSkillBonus(*this, owner);
        }
        m_absorption = profile ? profile->GetDamageAbsorption(level) : 0.0f;
        m_absorptionPercent = profile ? profile->GetDamageAbsorptionPercent(level) : 0.0f;
        m_filter.Join(owner, this);
    } else {
        if (!restored)
            StartCooldown();
        m_absorption = m_absorptionPercent = 0.0f;
        m_filter.Leave(this);
    }
    if (!restored)
        PlayActivatedSounds(owner.GetCoords().GetPosition(), state.active);
    ApplyActivatedVisualEffects(owner, state.active);
}

float SkillTriggeredSelfBuff::ModifyDamage(float damage, CombatAttributeType type)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!m_activeState.active || !profile || !profile->IsQualifyingDamage(type))
        return damage;
    return ShieldFilterDamage(damage, m_absorptionPercent, m_absorption);
}

Skill_PassiveOnHitBuffSelf::Skill_PassiveOnHitBuffSelf() { m_kindText = "^bPassive On-Hit Buff Self"; }

void Skill_PassiveOnHitBuffSelf::OnHitActivation(Character&, const ParametersCombat&)
{
    SkillServicesBase* services = GetServices();
    const SkillProfile* profile = GetSkillProfile();
    if (!services || !profile || !gGameEngine || !IsSkillEnabled() || GetCurrentLevel() == 0 || m_buffRemaining > 0)
        return;
    const float chance = profile->GetActivationChance(GetCurrentLevel());
    if (static_cast<float>(gGameEngine->GetRandomGen().IGenerate(0, 100)) <= chance)
        StartBuff(*services);
}

void Skill_PassiveOnHitBuffSelf::Update(Character& owner, int elapsedMs)
{
    SkillTriggeredSelfBuff::Update(owner, elapsedMs);
    SkillServicesBase* services = GetServices();
    if (!services || m_buffRemaining <= 0)
        return;
    CountDown(m_buffRemaining, elapsedMs);
    if (m_buffRemaining < 1)
        services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, false, false));
}

void Skill_PassiveOnHitBuffSelf::StopSkill(Character&)
{
    SkillServicesBase* services = GetServices();
    if (!services || m_buffRemaining <= 0)
        return;
    m_buffRemaining = 0;
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, false, false));
}

Skill_PassiveOnLifeBuffSelf::Skill_PassiveOnLifeBuffSelf() { m_kindText = "^bPassive On-Life Buff Self"; }

void Skill_PassiveOnLifeBuffSelf::Update(Character& owner, int elapsedMs)
{
    SkillTriggeredSelfBuff::Update(owner, elapsedMs);
    SkillServicesBase* services = GetServices();
    const SkillProfile* profile = GetSkillProfile();
    const float total = owner.GetTotalCharAttribute(CharAttributeType_Life);
    // A character without a life total has no percent to watch.
    if (!services || !profile || !(total > 0.0f))
        return;
    const float threshold = profile->GetLifeMonitorPercent(GetCurrentLevel());
    // Multiplied first, so that a life of exactly the threshold's share counts as at it
    // (300 of 1000 is 30 percent, not 30.000001).
    const float percent = owner.GetCurrentLife() * 100.0f / total;
    if (!m_triggered) {
        if (percent <= threshold && IsSkillEnabled()) {
            m_triggered = true;
            m_lifeBack = false;
            StartBuff(*services);
        }
        return;
    }
    if (percent > threshold)
        m_lifeBack = true;
    if (!m_lifeBack)
        return;
    CountDown(m_buffRemaining, elapsedMs);
    if (m_buffRemaining <= 0) {
        m_triggered = false;
        services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, false, false));
    }
}

void Skill_PassiveOnLifeBuffSelf::StopSkill(Character&)
{
    SkillServicesBase* services = GetServices();
    if (!services || !m_triggered)
        return;
    m_triggered = m_lifeBack = false;
    m_buffRemaining = 0;
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, false, false));
}

void Skill_PassiveOnLifeBuffSelf::OnBuffStart(Character& owner) { CreateTargetFx(owner.GetCoords()); }

void Skill_PassiveOnLifeBuffSelf::ReceiveActiveUpdate(Character& owner, const SkillActiveState& state, bool restored)
{
    SkillTriggeredSelfBuff::ReceiveActiveUpdate(owner, state, restored);
    if (SkillManagerBase* manager = GetManager())
        manager->SetSpeedUpdateNeeded(true);
}

// ---- The ring on being struck ----------------------------------------------------------------

Skill_OnHitAttackRadius::Skill_OnHitAttackRadius() { m_kindText = "^bAttack Radius - Activated On Hit"; }

void Skill_OnHitAttackRadius::OnHitActivation(Character& owner, const ParametersCombat&)
{
    SkillServicesBase* services = GetServices();
    const SkillProfile* profile = GetSkillProfile();
    if (!services || !profile || !m_armed || !m_ring.pendingTargets.empty() || !ChanceWon())
        return;
    m_cooldownLeft = TruncateToInt(GetCooldownTime());
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    StartRing(m_ring, owner, TruncateToInt(profile->GetRadiusTime(GetCurrentLevel())), modifiers.targetRadius);
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, true, true));
}

void Skill_OnHitAttackRadius::Update(Character& owner, int elapsedMs)
{
    SkillOnHitArmed::Update(owner, elapsedMs);
    if (GetServices()) {
        CountCooldown(elapsedMs);
        // The ring keeps growing until it has caught every foe it set out for.
        AdvanceRing(m_ring, elapsedMs, std::numeric_limits<float>::infinity());
    }
    if (m_activeState.active)
        ApplyActiveCosts(owner, elapsedMs);
}

void Skill_OnHitAttackRadius::TargetResult(Character& owner, const std::vector<uint32_t>& targets,
                                           const WorldCoords& coords, unsigned seed, unsigned, bool)
{
    StrikeRingTargets(owner, targets, coords, seed);
}

std::optional<unsigned> Skill_OnHitAttackRadius::CollectedLevel() const
{
    if (!m_activeState.active)
        return std::nullopt;
    return SkillOnHitArmed::CollectedLevel();
}

void Skill_OnHitAttackRadius::StopSkill(Character&)
{
    if (Disarm())
        NotifyUIOnDeactivate();
}

void Skill_OnHitAttackRadius::ReceiveActiveUpdate(Character& owner, const SkillActiveState& state, bool restored)
{
    SkillOnHitArmed::ReceiveActiveUpdate(owner, state, restored);
    const WorldCoords& coords = owner.GetCoords();
    if (state.transition) {
        if (!restored)
            PlayHitSound(coords.GetPosition());
        SkillProfile_Modifiers modifiers;
        GetSkillModifierData(modifiers);
        const SkillProfile* profile = GetSkillProfile();
        const int time = profile ? TruncateToInt(profile->GetRadiusTime(GetCurrentLevel())) : 0;
        CreateVisualEffect(coords, modifiers.targetRadius, time);
        return;
    }
    if (!restored) {
        ApplyCost(state.active);
        PlayActivatedSounds(coords.GetPosition(), state.active);
    }
    ApplyActivatedVisualEffects(owner, state.active);
}

void Skill_OnHitAttackRadius::CreateVisualEffect(const WorldCoords& centre, float radius, int timeMs)
{
    CreateRingEffects(centre, radius, timeMs);
}

}  // namespace GAME
