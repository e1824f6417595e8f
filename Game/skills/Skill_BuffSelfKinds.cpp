#include "Game/skills/Skill_BuffSelfKinds.h"

#include <algorithm>
#include <cmath>

#include "Game/characters/Character.h"
#include "Game/combat/CombatTrace.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_BuffSelfDuration, Skill_BuffSelfToggled)
GAME_IMPLEMENT_CLASS(Skill_BuffSelfShield, Skill_BuffSelfToggled)
GAME_IMPLEMENT_CLASS(Skill_BuffSelfColossus, Skill_BuffSelfDuration)
GAME_IMPLEMENT_CLASS(Skill_BuffSelfImmobilize, Skill_BuffSelfDuration)
GAME_IMPLEMENT_CLASS(Skill_BuffSelfInvulnerable, Skill_BuffSelfDuration)

// ---- Duration -------------------------------------------------------------------------------

Skill_BuffSelfDuration::Skill_BuffSelfDuration()
{
    m_kindText = "^bBuff Self - Duration";
    m_cooldownOnEnd = false;   // the cooldown starts at the switch-on
}

void Skill_BuffSelfDuration::Update(Character& user, int elapsedMs)
{
    Skill_BuffSelfToggled::Update(user, elapsedMs);
    SkillServicesBase* services = GetServices();
    if (!services || !m_switchedOn)
        return;
    m_remaining -= elapsedMs;
    if (m_remaining < 1) {
        m_switchedOn = false;
        services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, false, false));
    }
}

void Skill_BuffSelfDuration::ActivateNow(Character&, const Name&, unsigned, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    m_switchedOn = true;
    m_remaining = m_total = ExactSecondsToMs(modifiers.activeDuration);
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, true, false));
}

// ---- Shield ---------------------------------------------------------------------------------

Skill_BuffSelfShield::Skill_BuffSelfShield() { m_kindText = "^bBuff Self - Shield"; }

void Skill_BuffSelfShield::Update(Character& user, int elapsedMs)
{
    Skill_BuffSelfToggled::Update(user, elapsedMs);
    SkillServicesBase* services = GetServices();
    // Only a shield whose switch has arrived has a pool to spend: the switch-on is applied
    // by its command, after the update that sent it.
    if (services && m_switchedOn && m_activeState.active && m_absorption <= 0.0f) {
        m_switchedOn = false;
        services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, false, false));
    }
}

int Skill_BuffSelfShield::TrackableRemainingTime(unsigned) const { return TruncateToInt(m_absorption); }

int Skill_BuffSelfShield::TrackableTotalTime(unsigned) const { return TruncateToInt(m_absorptionTotal); }

bool Skill_BuffSelfShield::SetAvailability(bool, bool)
{
    if (m_switchedOn) {
        SetReason(Skill_CoolingDown);
        return false;
    }
    return Skill_BuffSelfToggled::SetAvailability(false, false);
}

void Skill_BuffSelfShield::ActivateNow(Character&, const Name&, unsigned, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    m_switchedOn = true;
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, true, false));
}

float Skill_BuffSelfShield::ModifyDamage(float damage, CombatAttributeType type)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || !profile->IsQualifyingDamage(type)) {
        GAME_COMBAT_TRACE(kShieldIgnoredLog, damage);
        return damage;
    }
    // The percent as every filter takes it; the pool is this shield's own.
    damage = ShieldFilterDamage(damage, m_absorptionPercent, 0.0f);
    if (m_absorption <= 0.0f)
        return damage;
    const float absorbed = std::min(damage, m_absorption);
    m_absorption -= absorbed;
    GAME_COMBAT_TRACE(kShieldPoolLog, absorbed, damage, m_absorption);
    return damage - absorbed;
}

// ---- Colossus -------------------------------------------------------------------------------

Skill_BuffSelfColossus::Skill_BuffSelfColossus()
{
    m_kindText = "^bBuff Self - Colossus";
    m_cooldownOnEnd = false;
}

void Skill_BuffSelfColossus::Update(Character& user, int elapsedMs)
{
    Skill_BuffSelfDuration::Update(user, elapsedMs);
    SetCollected(m_passivesSuppressed, m_scaling);
    if (m_scaling)
        Scale(user, elapsedMs, false);
}

void Skill_BuffSelfColossus::ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring)
{
    Skill_BuffSelfToggled::ReceiveActiveUpdate(user, state, restoring);
    const SkillProfile* profile = GetSkillProfile();
    m_scaling = true;
    m_scaleTime = profile ? profile->GetActorScaleTime() : 0;
    // A record without a size of its own keeps the user's.
    const float grown = profile ? profile->GetActorScale() : 0.0f;
    m_targetScale = state.active && grown > 0.0f ? grown : user.GetBaseScale();
    m_scaleDelta = std::fabs(m_targetScale - user.GetCurrentScale());
    if (restoring)
        Scale(user, 0, true);
}

void Skill_BuffSelfColossus::Scale(Character& user, int elapsedMs, bool finish)
{
    if (finish) {
        user.SetScale(m_targetScale);
        m_scaleTime = 0;
        m_scaling = false;
        return;
    }
    // Without a time to change over (no "actorScaleTime") the whole change is one step.
    const float step = m_scaleTime > 0
        ? static_cast<float>(elapsedMs) / static_cast<float>(m_scaleTime) * m_scaleDelta
        : m_scaleDelta;
    const float current = user.GetCurrentScale();
    if (current < m_targetScale) {
        if (current + step < m_targetScale)
            return user.SetScale(current + step);
        user.SetScale(m_targetScale);
        m_scaling = false;
        user.SetExtentsLarge();
    } else if (current > m_targetScale) {
        if (current - step > m_targetScale)
            return user.SetScale(current - step);
        user.SetScale(m_targetScale);
        m_scaling = false;
        user.SetExtentsSmall();
    } else {
        m_scaling = false;
    }
}

// ---- Immobilize -----------------------------------------------------------------------------

Skill_BuffSelfImmobilize::Skill_BuffSelfImmobilize()
{
    m_kindText = "^bBuff Self - Immoblize";
    m_disruptable = false;   // a disruption does not replace its cooldown
}

void Skill_BuffSelfImmobilize::Update(Character& user, int elapsedMs)
{
    Skill_BuffSelfDuration::Update(user, elapsedMs);
    if (m_activeState.active && PulseDue(m_tick, m_tickInterval, elapsedMs))
        HoldPulse(user, CombatAttributeType_Immobilize, m_holdDuration);
}

// ---- Invulnerable ---------------------------------------------------------------------------

Skill_BuffSelfInvulnerable::Skill_BuffSelfInvulnerable() { m_kindText = "^bBuff Self - Invulnerable"; }

bool Skill_BuffSelfInvulnerable::ProvidesInvulnerability(const std::vector<std::string>& attackerRaces)
{
    if (!m_activeState.active)
        return false;
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || profile->GetRacialProfile().empty())
        return true;
    const std::vector<std::string>& protectedRaces = profile->GetRacialProfile();
    return std::any_of(attackerRaces.begin(), attackerRaces.end(), [&](const std::string& race) {
        return std::find(protectedRaces.begin(), protectedRaces.end(), race) != protectedRaces.end();
    });
}

}  // namespace GAME
