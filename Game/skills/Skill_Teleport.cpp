#include "Game/skills/Skill_Teleport.h"

#include <algorithm>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_Teleport, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_RefreshCooldown, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_PlayAttackAnimation, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_PassiveShield, Skill_Passive)

// ---- Teleport ------------------------------------------------------------------------------

Skill_Teleport::Skill_Teleport()
{
    m_kindText = "^bTeleport";
    m_targetType = SkillTargetType_FriendOrFoe;
    m_primary = false;
    m_secondary = true;
    m_skillType = 0;
}

bool Skill_Teleport::GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                                    float range) const
{
    // The foe test clears a target that is no foe; the friend test sees the one given.
    unsigned foe = target;
    if (GetValidRangedTarget(user, foe, point, fromUser, range)) {
        target = foe;
        return true;
    }
    return GetValidFriendTarget(user, target, point, fromUser, range);
}

void Skill_Teleport::ActivateNow(Character& caster, const Name&, unsigned targetId, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services || !ObjectManager::Get().GetObject<Character>(targetId) ||
        !IsTargetInRange(caster, targetId, kTeleportRange))
        return;
    services->SendTargetResult(GetObjectId(), {targetId}, caster.GetCoords(), NewSeed(), 0, false);
}

void Skill_Teleport::TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                                  unsigned, unsigned, bool)
{
    if (targets.empty())
        return;
    if (Character* target = ObjectManager::Get().GetObject<Character>(targets.front())) {
        const WorldCoords there = target->GetCoords();
        const WorldCoords here = caster.GetCoords();
        CreateTargetFx(there);
        CreateTargetFx(here);
        PlayHitSound(there.GetPosition());
        PlayHitSound(here.GetPosition());
        target->TeleportToLocation(here);
        caster.TeleportToLocation(there);
    }
    ActivateSecondarySkills(caster, 0, targets, coords.GetPosition());
}

// ---- Cooldown refresh ----------------------------------------------------------------------

Skill_RefreshCooldown::Skill_RefreshCooldown()
{
    m_kindText = "^bRefresh Cooldown of Skills";
    m_primary = false;
    m_secondary = true;
    m_repeatable = false;
}

void Skill_RefreshCooldown::Load(const LoadTable& table)
{
    SkillActivated::Load(table);
    m_refreshTimes.clear();
    table.GetFloatArray("refreshTime", m_refreshTimes);
}

int Skill_RefreshCooldown::GetRefreshTime(unsigned level) const
{
    return std::max(SecondsToMs(PerLevelValue(m_refreshTimes, level)), 0);
}

void Skill_RefreshCooldown::ActivateNow(Character& caster, const Name&, unsigned, const WorldVec3&)
{
    const WorldCoords& coords = caster.GetCoords();
    PlayHitSound(coords.GetPosition());
    CreateTargetFx(coords);
    SkillManagerBase* manager = GetManager();
    if (!manager)
        return;
    manager->RefreshCooldown(GetRefreshTime(GetCurrentLevel()));
    if (SkillServicesBase* services = manager->GetSkillServices())
        services->SendTargetResult(GetObjectId(), {caster.GetObjectId()}, coords, NewSeed(), 0, false);
}

// Its texts stand beside the other skills' (SkillTexts.cpp).

// ---- Attack animation ----------------------------------------------------------------------

Skill_PlayAttackAnimation::Skill_PlayAttackAnimation()
{
    m_kindText = "^bPlay Attack Animation";
    m_primary = false;
    m_secondary = false;
}

bool Skill_PlayAttackAnimation::StartAction(Character& caster, unsigned, const WorldVec3&, unsigned,
                                            const TargetLeadingData&)
{
    return StartSpecialAnimation(caster, 1.0f, false) ||
           StartNormalAnimation(caster, AnimationSet_Attack, Name(), 1.0f, false, 0);
}

// ---- Passive shield ------------------------------------------------------------------------

Skill_PassiveShield::Skill_PassiveShield() { m_kindText = "^bPassive Shield Skill"; }

void Skill_PassiveShield::TakeLevelValues()
{
    const SkillProfile* profile = GetSkillProfile();
    const unsigned level = GetCurrentLevel();
    m_maxAbsorption = profile ? profile->GetDamageAbsorption(level) : 0.0f;
    m_reductionPercent = profile ? profile->GetDamageAbsorptionPercent(level) : 0.0f;
}

void Skill_PassiveShield::Install(Character* owner)
{
    Skill_Passive::Install(owner);
    TakeLevelValues();
    if (owner)
        m_filter.Join(*owner, this);
}

void Skill_PassiveShield::UnInstall(Character* owner)
{
    m_filter.Leave(this);
    Skill_Passive::UnInstall(owner);
}

void Skill_PassiveShield::OnDestroy()
{
    m_filter.Leave(this);
    Skill_Passive::OnDestroy();
}

void Skill_PassiveShield::Update(Character& owner, int elapsedMs)
{
    Skill_Passive::Update(owner, elapsedMs);
    TakeLevelValues();
}

float Skill_PassiveShield::ModifyDamage(float damage, CombatAttributeType type)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!IsSkillEnabled() || !profile || !profile->IsQualifyingDamage(type))
        return damage;
    return ShieldFilterDamage(damage, m_reductionPercent, m_maxAbsorption);
}

}  // namespace GAME
