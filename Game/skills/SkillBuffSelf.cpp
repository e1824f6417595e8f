#include "Game/skills/SkillBuffSelf.h"

#include "Game/characters/Character.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/Bonus.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_BuffSelfToggled, SkillActivated)

Skill_BuffSelfToggled::Skill_BuffSelfToggled()
{
    m_kindText = "^bBuff Self - Toggled";
    m_primary = false;
    m_secondary = true;
    m_repeatable = false;
    m_cooldownOnEnd = true;
}

// The copy holds the buff's values but is in nobody's filters.
Skill_BuffSelfToggled::Skill_BuffSelfToggled(const Skill_BuffSelfToggled& other)
    : SkillActivatedBuffSelf(other), CombatFilter(other), m_switchedOn(other.m_switchedOn),
      m_remaining(other.m_remaining), m_passivesSuppressed(other.m_passivesSuppressed),
      m_absorption(other.m_absorption), m_absorptionTotal(other.m_absorptionTotal),
      m_absorptionPercent(other.m_absorptionPercent)
{
}

Skill_BuffSelfToggled& Skill_BuffSelfToggled::operator=(const Skill_BuffSelfToggled& other)
{
    if (this != &other) {
        SkillActivatedBuffSelf::operator=(other);
        m_switchedOn = other.m_switchedOn;
        m_remaining = other.m_remaining;
        m_passivesSuppressed = other.m_passivesSuppressed;
        m_absorption = other.m_absorption;
        m_absorptionTotal = other.m_absorptionTotal;
        m_absorptionPercent = other.m_absorptionPercent;
    }
    return *this;
}

void Skill_BuffSelfToggled::LeaveFilters()
{
    if (m_filterHolder) {
        m_filterHolder->RemoveCombatFilter(this);
        m_filterHolder = nullptr;
    }
}

void Skill_BuffSelfToggled::Install(Character* user)
{
    SkillActivatedBuffSelf::Install(user);
    if (!user)
        return;
    if (m_filterHolder != &user->GetCombatManager())
        LeaveFilters();
    m_filterHolder = &user->GetCombatManager();
    user->AddCombatFilter(this);   // held once, however often installed
}

void Skill_BuffSelfToggled::UnInstall(Character* user)
{
    LeaveFilters();
    SkillActivatedBuffSelf::UnInstall(user);
}

void Skill_BuffSelfToggled::OnDestroy()
{
    LeaveFilters();
    SkillActivatedBuffSelf::OnDestroy();
}

void Skill_BuffSelfToggled::Update(Character& user, int elapsedMs)
{
    SkillActivatedBuffSelf::Update(user, elapsedMs);
    if (m_activeState.active)
        ApplyActiveCosts(user, elapsedMs);
}

// While on, whatever its availability: a buff whose cooldown runs from its switch-on is
// "disabled" (not usable) for as long as it is on, and must still count.
std::optional<unsigned> Skill_BuffSelfToggled::CollectedLevel() const
{
    if (!Collecting())
        return std::nullopt;
    return GetCurrentLevel();
}

void Skill_BuffSelfToggled::StopSkill(Character&)
{
    SkillServicesBase* services = GetServices();
    if (services && m_switchedOn) {
        m_switchedOn = false;
        services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, false, false));
        NotifyUIOnDeactivate();
    }
    SetCollected(m_passivesSuppressed, false);
}

void Skill_BuffSelfToggled::ActivateNow(Character&, const Name&, unsigned, const WorldVec3&)
{
    FlipSwitch(m_switchedOn);
}

void Skill_BuffSelfToggled::ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring)
{
    SkillActivatedBuffSelf::ReceiveActiveUpdate(user, state, restoring);
    if (!restoring) {
        ApplyCost(state.active);
        const WorldVec3 position = user.GetCoords().GetPosition();
        PlayActivatedSounds(position, state.active);
        if (state.active) {
            CreateTargetFx(user.GetCoords());
            if (const SkillProfile* profile = GetSkillProfile()) {
                Bonus bonus;
                bonus.lifePoints = profile->GetLifeBonus(GetCurrentLevel());
                bonus.manaPoints = profile->GetManaBonus(GetCurrentLevel());
                bonus.effectName = profile->GetBonusEffectName();
                user.TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
            }
            ActivateSecondarySkills(user, GetObjectId(), {GetObjectId()}, position);
        }
    }
    ApplyActivatedVisualEffects(user, state.active);
    if (SkillManagerBase* manager = GetManager())
        manager->SetSpeedUpdateNeeded(true);
    InitializeBuff();
}

void Skill_BuffSelfToggled::InitializeBuff()
{
    const SkillProfile* profile = GetSkillProfile();
    if (m_activeState.active && profile) {
        m_absorption = m_absorptionTotal = profile->GetDamageAbsorption(GetCurrentLevel());
        m_absorptionPercent = profile->GetDamageAbsorptionPercent(GetCurrentLevel());
    } else {
        m_absorption = m_absorptionTotal = m_absorptionPercent = 0.0f;
    }
}

float Skill_BuffSelfToggled::ModifyDamage(float damage, CombatAttributeType type)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || !profile->IsQualifyingDamage(type))
        return damage;
    return ShieldFilterDamage(damage, m_absorptionPercent, m_absorption);
}

}  // namespace GAME
