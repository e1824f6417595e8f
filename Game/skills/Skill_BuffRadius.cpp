#include "Game/skills/Skill_BuffRadius.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_BuffAttackRadiusToggled, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_BuffAttackRadiusDuration, Skill_BuffAttackRadiusToggled)
GAME_IMPLEMENT_CLASS(Skill_BuffRadius, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_BuffRadiusToggled, Skill_BuffRadius)
GAME_IMPLEMENT_CLASS(Skill_BuffOther, SkillActivated)

namespace {

SkillProfile_Modifiers BuffRadiusModifiers(const Skill& skill)
{
    SkillProfile_Modifiers modifiers;
    skill.GetSkillModifierData(modifiers);
    return modifiers;
}

// The record's one-time life and mana bonus with its effect, at the skill's level.
Bonus BuffRadiusBonus(const Skill& skill)
{
    Bonus bonus;
    if (const SkillProfile* profile = skill.GetSkillProfile()) {
        bonus.lifePoints = profile->GetLifeBonus(skill.GetCurrentLevel());
        bonus.manaPoints = profile->GetManaBonus(skill.GetCurrentLevel());
        bonus.effectName = profile->GetBonusEffectName();
    }
    return bonus;
}

// The kinds that hand out a buff record take their resources and numbers from it, not
// from their own record; the buff's name is returned, normalised.
std::string LoadHandedBuff(Skill& skill, const LoadTable& table)
{
    std::string name = GetNormalizedPath(table.GetString("buffSkillName", ""));
    skill.LoadResourcesFrom(name);
    return name;
}

// The characters within the skill's target radius of the user, friends or foes, in the
// world's order, into `out` (emptied first).
void GatherAround(const Skill& skill, const Character& user, bool friends, std::vector<uint32_t>& out)
{
    out.clear();
    const float radius = BuffRadiusModifiers(skill).targetRadius;
    if (gGameEngine && radius > 0.0f)
        gGameEngine->GetTargetsInRadius(user.GetTeam(), user.GetCoords().GetPosition(), radius, out, 0, friends);
}

}  // namespace

// ---- Attack aura ----------------------------------------------------------------------------

Skill_BuffAttackRadiusToggled::Skill_BuffAttackRadiusToggled()
{
    m_kindText = "^bBuff Attack Radius - Toggled";
    m_primary = false;
    m_secondary = true;
    m_repeatable = false;
    m_cooldownOnEnd = true;
}

// While on, whatever its availability (a cooldown from the switch-on makes it unusable).
std::optional<unsigned> Skill_BuffAttackRadiusToggled::CollectedLevel() const
{
    if (!m_activeState.active)
        return std::nullopt;
    return GetCurrentLevel();
}

void Skill_BuffAttackRadiusToggled::SendSwitch(bool on)
{
    if (SkillServicesBase* services = GetServices())
        services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, on, false));
}

void Skill_BuffAttackRadiusToggled::ActivateNow(Character&, const Name&, unsigned, const WorldVec3&)
{
    if (!GetServices())
        return;
    m_switchedOn = !m_switchedOn;
    if (m_switchedOn) {
        m_pulseTimer = m_pulseInterval;   // the first strike one interval after the switch-on
        NotifyUIOnActivate();
    } else {
        NotifyUIOnDeactivate();
    }
    SendSwitch(m_switchedOn);
    SetIgnoreMana(m_switchedOn);
}

void Skill_BuffAttackRadiusToggled::StopSkill(Character&)
{
    if (GetServices() && m_switchedOn) {
        m_switchedOn = false;
        SendSwitch(false);
    }
}

void Skill_BuffAttackRadiusToggled::ReceiveActiveUpdate(Character& user, const SkillActiveState& state,
                                                        bool restoring)
{
    SkillActivatedBuffSelf::ReceiveActiveUpdate(user, state, restoring);
    if (!restoring) {
        ApplyCost(state.active);
        PlayActivatedSounds(user.GetCoords().GetPosition(), state.active);
    }
    ApplyActivatedVisualEffects(user, state.active);
    if (SkillManagerBase* manager = GetManager())
        manager->SetSpeedUpdateNeeded(true);
}

void Skill_BuffAttackRadiusToggled::Update(Character& user, int elapsedMs)
{
    SkillActivatedBuffSelf::Update(user, elapsedMs);
    if (m_activeState.active)
        ApplyActiveCosts(user, elapsedMs);
    SkillServicesBase* services = GetServices();
    if (!services || !m_switchedOn || !PulseDue(m_pulseTimer, m_pulseInterval, elapsedMs))
        return;
    GatherAround(*this, user, false, m_gathered);
    if (m_gathered.empty())
        return;
    services->ClearHitIteration();
    services->SendTargetResult(GetObjectId(), m_gathered, user.GetCoords(), NewSeed(), 0, false);
}

void Skill_BuffAttackRadiusToggled::TargetResult(Character& user, const std::vector<uint32_t>& targets,
                                                 const WorldCoords& coords, unsigned seed, unsigned, bool)
{
    if (targets.empty())
        return;
    ApplyDamageLoop(user, targets, coords, seed, ParametersCombatStyle::None, false, 0, 0.0f);
    ActivateSecondarySkills(user, 0, targets, coords.GetPosition());
}

Skill_BuffAttackRadiusDuration::Skill_BuffAttackRadiusDuration() { m_cooldownOnEnd = false; }

void Skill_BuffAttackRadiusDuration::ActivateNow(Character&, const Name&, unsigned, const WorldVec3&)
{
    if (!GetServices())
        return;
    m_switchedOn = true;
    m_remaining = m_total = ExactSecondsToMs(BuffRadiusModifiers(*this).activeDuration);
    m_pulseTimer = m_pulseInterval;
    SendSwitch(true);
}

void Skill_BuffAttackRadiusDuration::Update(Character& user, int elapsedMs)
{
    Skill_BuffAttackRadiusToggled::Update(user, elapsedMs);
    if (!GetServices() || !m_switchedOn)
        return;
    m_remaining -= elapsedMs;
    if (m_remaining < 1) {
        m_switchedOn = false;
        SendSwitch(false);
    }
}

// ---- Radius buff ----------------------------------------------------------------------------

Skill_BuffRadius::Skill_BuffRadius()
{
    m_kindText = "^bBuff Other in Radius";
    m_primary = false;
    m_secondary = true;
    m_repeatable = false;
    m_cooldownOnEnd = false;
}

void Skill_BuffRadius::Load(const LoadTable& table)
{
    m_buffSkillName = LoadHandedBuff(*this, table);
    m_isDebuff = ObjectManager::Get().GetRecordOrEmpty(m_buffSkillName).GetInt("debufSkill", 0) != 0;
}

void Skill_BuffRadius::CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const
{
    const SkillProfile* profile = GetSkillProfile();
    if (m_activeState.active && profile)
        profile->GetCharAttributesPenalty(accumulator, GetCurrentLevel());
}

bool Skill_BuffRadius::HandOut(Character& user, SkillServicesBase& services, bool initial)
{
    GatherAround(*this, user, !m_isDebuff, m_gathered);
    if (m_gathered.empty())
        return false;
    services.ClearHitIteration();
    services.SendTargetResult(GetObjectId(), m_gathered, user.GetCoords(), NewSeed(), 0, initial);
    return true;
}

void Skill_BuffRadius::SwitchOff(SkillServicesBase& services)
{
    m_switchedOn = false;
    services.SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, false, false));
}

void Skill_BuffRadius::ActivateNow(Character& user, const Name&, unsigned targetId, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    m_switchedOn = true;
    m_remaining = m_total = ExactSecondsToMs(BuffRadiusModifiers(*this).activeDuration);
    m_pulseTimer = m_pulseInterval;
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, true, false));
    NotifyUIOnActivate();
    HandOut(user, *services, true);
    PrimaryActivateSecondarySkills(user, targetId, m_gathered, user.GetCoords().GetPosition());
}

void Skill_BuffRadius::UpdateSkillController(SkillServicesBase* services, int elapsedMs)
{
    if (!services || !m_switchedOn)
        return;
    m_remaining -= elapsedMs;
    if (m_remaining <= 0 || !QualifyingWeapon())
        SwitchOff(*services);
}

void Skill_BuffRadius::Update(Character& user, int elapsedMs)
{
    SkillActivatedBuffSelf::Update(user, elapsedMs);
    if (SkillServicesBase* services = GetServices()) {
        UpdateSkillController(services, elapsedMs);
        if (m_switchedOn && PulseDue(m_pulseTimer, m_pulseInterval, elapsedMs))
            HandOut(user, *services, false);
    }
    if (m_activeState.active)
        ApplyActiveCosts(user, elapsedMs);
}

void Skill_BuffRadius::TargetResult(Character& user, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                                    unsigned, unsigned, bool initial)
{
    const Bonus bonus = initial && !m_isDebuff ? BuffRadiusBonus(*this) : Bonus{};
    bool found = false;
    for (uint32_t id : targets) {
        Character* target = ObjectManager::Get().GetObject<Character>(id);
        if (!target)
            continue;
        found = true;
        if (!initial)
            ApplyBuffOnTarget(user, *target, m_buffSkillName, m_buffDuration);
        else if (!m_isDebuff)
            target->TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
    }
    if (initial && found)
        ActivateSecondarySkills(user, 0, targets, coords.GetPosition());
}

void Skill_BuffRadius::ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring)
{
    SkillActivatedBuffSelf::ReceiveActiveUpdate(user, state, restoring);
    if (!restoring) {
        ApplyCost(state.active);
        PlayActivatedSounds(user.GetCoords().GetPosition(), state.active);
        if (state.active)
            CreateTargetFx(user.GetCoords());
    }
    ApplyActivatedVisualEffects(user, state.active);
    if (SkillManagerBase* manager = GetManager())
        manager->SetSpeedUpdateNeeded(true);
}

void Skill_BuffRadius::StopSkill(Character&)
{
    SkillServicesBase* services = GetServices();
    if (!services || !m_switchedOn)
        return;
    SwitchOff(*services);
    NotifyUIOnDeactivate();
}

Skill_BuffRadiusToggled::Skill_BuffRadiusToggled()
{
    m_kindText = "^bBuff Other in Radius - Toggled";
    m_cooldownOnEnd = true;
}

void Skill_BuffRadiusToggled::ActivateNow(Character& user, const Name&, unsigned, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    m_pulseTimer = m_pulseInterval;
    if (m_switchedOn) {
        SwitchOff(*services);
        NotifyUIOnDeactivate();
        return;
    }
    m_switchedOn = true;
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, true, false));
    NotifyUIOnActivate();
    HandOut(user, *services, true);
}

void Skill_BuffRadiusToggled::UpdateSkillController(SkillServicesBase* services, int)
{
    if (services && m_switchedOn && !QualifyingWeapon())
        SwitchOff(*services);
}

// ---- Buff on others -------------------------------------------------------------------------

Skill_BuffOther::Skill_BuffOther()
{
    m_kindText = "^bBuff Other - Duration";
    m_primary = false;
    m_secondary = true;
    m_repeatable = false;
}

void Skill_BuffOther::Load(const LoadTable& table) { m_buffSkillName = LoadHandedBuff(*this, table); }

bool Skill_BuffOther::IsValidTarget(unsigned id) const
{
    const Character* target = ObjectManager::Get().GetObject<Character>(id);
    return target && !target->GetSkillManager().IsSkillBuffActive(m_buffSkillName);
}

void Skill_BuffOther::ActivateNow(Character& user, const Name&, unsigned targetId, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    std::vector<uint32_t> targets;
    if (BuffRadiusModifiers(*this).targetRadius > 0.0f)
        GatherAround(*this, user, true, targets);
    else if (targetId != 0)
        targets.push_back(targetId);
    if (!targets.empty())
        services->SendTargetResult(GetObjectId(), targets, user.GetCoords(), NewSeed(), 0, false);
}

void Skill_BuffOther::TargetResult(Character& user, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                                   unsigned, unsigned, bool)
{
    if (targets.empty())
        return;
    PlayActivateSound(user.GetCoords().GetPosition());
    const Bonus bonus = BuffRadiusBonus(*this);
    const int durationMs = ExactSecondsToMs(BuffRadiusModifiers(*this).activeDuration);
    for (uint32_t id : targets) {
        Character* target = ObjectManager::Get().GetObject<Character>(id);
        if (!target)
            continue;
        CreateTargetFx(target->GetCoords());
        ApplyBuffOnTarget(user, *target, m_buffSkillName, durationMs);
        target->TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
    }
    ActivateSecondarySkills(user, 0, targets, coords.GetPosition());
}

}  // namespace GAME
