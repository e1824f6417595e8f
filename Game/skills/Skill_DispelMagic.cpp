#include "Game/skills/Skill_DispelMagic.h"

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillAttackKinds.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/skills/Skill_OnHit.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_DispelMagic, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_GiveBonus, SkillActivated)

namespace skill_dispel {

void MakeSecondaryOnly(bool& primary, bool& secondary, bool& repeatable)
{
    primary = false;
    secondary = true;
    repeatable = false;
}

// The cast of either skill on the driving peer: without a projectile a target result for
// the target (when `direct` allows it), else a projectile creation from the hand's point.
void Cast(const SkillActivated& skill, SkillServicesBase& services, Character& caster, const Name& event,
          unsigned targetId, const WorldVec3& targetPoint, bool direct, uint32_t seed)
{
    if (skill.GetProjectileName().empty()) {
        if (direct)
            services.SendTargetResult(skill.GetObjectId(), {targetId}, caster.GetCoords(), seed, 0, false);
        return;
    }
    const WorldCoords launch = WithPosition(caster.GetCoords(), skill.GetCoordsFromCallback(caster, event).GetPosition());
    services.SendCreateProjectile(skill.GetObjectId(), launch, targetId, targetPoint, seed, 0);
}

// The projectile of a creation command, carrying the skill's active duration and
// piercing; `friends` makes it look for the caster's friends.
void Launch(SkillActivated& skill, Character& caster, const WorldCoords& launch, unsigned targetId,
            const WorldVec3& targetPoint, unsigned objectId, unsigned extra, uint32_t friends)
{
    skill.PlayHitSound(launch.GetPosition());
    SkillProfile_Modifiers modifiers;
    skill.GetSkillModifierData(modifiers);
    ProjectileOrder order;
    order.name = skill.GetProjectileName();
    order.launch = launch;
    order.targetId = targetId;
    order.targetPoint = targetPoint;
    order.objectId = objectId;
    order.seed = extra;
    order.areaDuration = TruncateToInt(modifiers.activeDuration);
    order.friends = friends;
    LaunchSkillProjectile(skill, caster, order);
}

// Without a projectile the target must be a character (or the friendly search finds one).
bool ValidTarget(const Skill& skill, const Character& user, unsigned& target, const WorldVec3& point,
                 bool fromUser, float range)
{
    const SkillProfile* profile = skill.GetSkillProfile();
    if (profile && !profile->GetProjectileName(skill.GetCurrentLevel()).empty())
        return true;
    if (ObjectManager::Get().GetObject<Character>(target))
        return true;
    return skill.GetValidFriendTarget(user, target, point, fromUser, range);
}

}  // namespace skill_dispel

// ---- Dispel -----------------------------------------------------------------------------

Skill_DispelMagic::Skill_DispelMagic()
{
    m_kindText = "^bDispel Magic";
    m_targetType = SkillTargetType_FriendOrFoe;
    skill_dispel::MakeSecondaryOnly(m_primary, m_secondary, m_repeatable);
}

void Skill_DispelMagic::ActivateNow(Character& caster, const Name& event, unsigned targetId,
                                    const WorldVec3& targetPoint)
{
    if (SkillServicesBase* services = GetServices())
        skill_dispel::Cast(*this, *services, caster, event, targetId, targetPoint,
                           IsTargetInRange(caster, targetId, kDirectRange), NewSeed());
}

void Skill_DispelMagic::CreateProjectile(Character& caster, const WorldCoords& launch, unsigned targetId,
                                         const WorldVec3& targetPoint, unsigned, unsigned objectId, unsigned extra)
{
    skill_dispel::Launch(*this, caster, launch, targetId, targetPoint, objectId, extra, 0);
}

void Skill_DispelMagic::TargetInformation(const ProjectileInfo& info, const WorldCoords&,
                                          std::vector<uint32_t> targets)
{
    if (!targets.empty())
        SendProjectileTargets(info, targets);
}

void Skill_DispelMagic::TargetFriendInformation(const ProjectileInfo& info, const WorldCoords& coords,
                                                std::vector<uint32_t> targets)
{
    Skill_DispelMagic::TargetInformation(info, coords, std::move(targets));
}

void Skill_DispelMagic::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                     const WorldCoords& coords, unsigned seed, unsigned, bool)
{
    if (targets.empty())
        return;
    RandomUniform random;
    random.Seed(seed);
    const SkillProfile* profile = GetSkillProfile();
    for (uint32_t id : targets) {
        Character* target = ObjectManager::Get().GetObject<Character>(id);
        if (!target)
            continue;
        if (caster.GetTeam().IsFriend(target->GetTeam())) {
            target->GetSkillManager().DispelSkillDeBuffs();
            CreateTargetFx(target->GetCoords());
            continue;
        }
        target->GetSkillManager().DispelSkillBuffs();
        ParametersCombat params(random);
        CollectCombatParameters(caster, target, ParametersCombatStyle::None, false, 0, params, 0.0f);
        InitRagDollData(params.ragdollEffect, coords, target->GetCoords());
        CreateTargetFx(target->GetCoords());
        target->TakeAttack(params);
        PlayHitSound(target->GetCoords().GetPosition());
        if (profile && !profile->GetSpellAuraName().empty())
            target->AddAura(profile->GetSpellAuraName(), false,
                            TruncateToInt(profile->GetSpellAuraDuration(GetCurrentLevel())));
    }
    ActivateSecondarySkills(caster, 0, targets, coords.GetPosition());
}

bool Skill_DispelMagic::GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point,
                                       bool fromUser, float range) const
{
    return skill_dispel::ValidTarget(*this, user, target, point, fromUser, range);
}

// ---- Instant bonus -----------------------------------------------------------------------

Skill_GiveBonus::Skill_GiveBonus()
{
    m_kindText = "^bGive Instant Bonus";
    skill_dispel::MakeSecondaryOnly(m_primary, m_secondary, m_repeatable);
}

void Skill_GiveBonus::ActivateNow(Character& caster, const Name& event, unsigned targetId,
                                  const WorldVec3& targetPoint)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    const bool direct = ObjectManager::Get().GetObject<Character>(targetId) &&
                        IsTargetInRange(caster, targetId, Skill_DispelMagic::kDirectRange);
    skill_dispel::Cast(*this, *services, caster, event, targetId, targetPoint, direct, NewSeed());
}

void Skill_GiveBonus::CreateProjectile(Character& caster, const WorldCoords& launch, unsigned targetId,
                                       const WorldVec3& targetPoint, unsigned, unsigned objectId, unsigned extra)
{
    skill_dispel::Launch(*this, caster, launch, targetId, targetPoint, objectId, extra, 1);
}

void Skill_GiveBonus::TargetInformation(const ProjectileInfo& info, const WorldCoords&, std::vector<uint32_t> targets)
{
    if (!targets.empty())
        SendProjectileTargets(info, targets);
}

void Skill_GiveBonus::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                   const WorldCoords& coords, unsigned, unsigned, bool)
{
    if (targets.empty())
        return;
    PlayHitSound(caster.GetCoords().GetPosition());
    for (uint32_t id : targets) {
        Character* target = ObjectManager::Get().GetObject<Character>(id);
        if (!target)
            continue;
        CreateTargetFx(target->GetCoords());
        GiveSkillBonus(*this, *target);
    }
    ActivateSecondarySkills(caster, 0, targets, coords.GetPosition());
}

bool Skill_GiveBonus::GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                                     float range) const
{
    return skill_dispel::ValidTarget(*this, user, target, point, fromUser, range);
}

}  // namespace GAME
