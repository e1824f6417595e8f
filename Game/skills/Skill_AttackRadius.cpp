#include "Game/skills/Skill_AttackRadius.h"

#include <limits>
#include <utility>

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/skills/SkillWalk.h"
#include "Game/world/Lightning.h"

namespace GAME {

// Cast as spells, registered under the activated skills as their siblings are.
GAME_IMPLEMENT_CLASS(Skill_AttackRadius, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_AttackRadiusLightning, SkillActivated)

// ---- The expanding ring ----------------------------------------------------------------------

Skill_AttackRadius::Skill_AttackRadius()
{
    m_kindText = "^bRadius Attack";
    m_primary = true;
    m_secondary = true;
    m_skillType = 1;
}

void Skill_AttackRadius::ActivateNow(Character& caster, const Name&, unsigned targetId, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    const SkillProfile* profile = GetSkillProfile();
    if (!services || !profile)
        return;
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    // A radius that is not a number reaches nobody.
    m_finalRadius = IsFinite(modifiers.targetRadius) ? modifiers.targetRadius : 0.0f;
    StartRing(m_ring, caster, TruncateToInt(profile->GetRadiusTime(GetCurrentLevel())), m_finalRadius);
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, true, false));
    PrimaryActivateSecondarySkills(caster, targetId, m_ring.pendingTargets, m_ring.centre);
}

void Skill_AttackRadius::ReceiveActiveUpdate(Character& caster, const SkillActiveState& state, bool restoring)
{
    SkillActivatedSpell::ReceiveActiveUpdate(caster, state, restoring);
    if (!state.active)
        return;
    if (!restoring) {
        SubtractManaCost();
        StartCooldown();
        const WorldCoords& coords = caster.GetCoords();
        PlayHitSound(coords.GetPosition());
        SkillProfile_Modifiers modifiers;
        GetSkillModifierData(modifiers);
        const SkillProfile* profile = GetSkillProfile();
        CreateVisualEffect(coords, modifiers.targetRadius,
                           profile ? TruncateToInt(profile->GetRadiusTime(GetCurrentLevel())) : 0);
    }
    // The ring is under way; the state says nothing more until the next cast.
    SetActiveState(SkillActiveState(m_activeState.subLevel, false, m_activeState.transition));
}

void Skill_AttackRadius::CreateVisualEffect(const WorldCoords& coords, float radius, int timeMs)
{
    CreateRingEffects(coords, radius, timeMs);
}

void Skill_AttackRadius::Update(Character& caster, int elapsedMs)
{
    SkillActivatedSpell::Update(caster, elapsedMs);
    AdvanceRing(m_ring, elapsedMs, m_finalRadius, true);
}

bool Skill_AttackRadius::SetAvailability(bool ignoreMana, bool ignoreCooldown)
{
    if (!m_ring.pendingTargets.empty()) {
        SetReason(Skill_CoolingDown);
        return false;
    }
    return SkillActivatedSpell::SetAvailability(ignoreMana, ignoreCooldown);
}

void Skill_AttackRadius::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                      const WorldCoords& coords, unsigned seed, unsigned, bool)
{
    StrikeRingTargets(caster, targets, coords, seed);
}

// ---- The lightning strike --------------------------------------------------------------------

Skill_AttackRadiusLightning::Skill_AttackRadiusLightning()
{
    m_kindText = "^bLightning Radius Attack";
    m_primary = true;
    m_secondary = true;
}

void Skill_AttackRadiusLightning::ActivateNow(Character& caster, const Name&, unsigned targetId,
                                              const WorldVec3& targetPoint)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    m_point = targetPoint;
    // The chosen target first (0 when there is none), then the foes around the point.
    std::vector<uint32_t> targets{targetId};
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    if (gGameEngine)
        gGameEngine->GetTargetsInRadius(caster.GetTeam(), m_point, modifiers.targetRadius, targets, 0, false);
    const WorldCoords coords(m_point.GetRegion(), Coords::MakeTranslation(m_point.GetRegionPosition()));
    services->SendTargetResult(GetObjectId(), targets, coords, NewSeed(), targetId, false);
}

void Skill_AttackRadiusLightning::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                               const WorldCoords& coords, unsigned seed, unsigned targetId, bool)
{
    m_primaryTarget = targetId;
    PlayHitSound(caster.GetCoords().GetPosition());
    const Entity* primary = ObjectManager::Get().GetObject<Entity>(m_primaryTarget);
    m_strikeCoords = primary ? primary->GetCoords() : coords;
    CreateVisualEffect(m_strikeCoords);
    m_targets = targets;
    m_seed = seed;
}

void Skill_AttackRadiusLightning::CreateVisualEffect(const WorldCoords& coords)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile)
        return;
    auto* lightning = skill_detail::CreateOwned<Lightning>(profile->GetLightningName());
    if (!lightning)
        return;
    lightning->SetTarget(coords.GetPosition(), coords.GetPosition());
    if (!World::Get().AddEntity(lightning, coords)) {
        skill_detail::DestroyOwned(lightning, __LINE__);
        return;
    }
    m_lightningId = lightning->GetObjectId();
    m_timeoutMs = kLightningTimeoutMs;
}

void Skill_AttackRadiusLightning::Update(Character& caster, int elapsedMs)
{
    SkillActivatedSpell::Update(caster, elapsedMs);
    if (m_lightningId != 0) {
        if (const auto* lightning = ObjectManager::Get().GetObject<Lightning>(m_lightningId)) {
            m_timeoutMs = ClampToInt(int64_t{m_timeoutMs} - elapsedMs);
            if (!lightning->HasReachedTarget() && m_timeoutMs > 0)
                return;
        }
        OnLightningComplete(caster);
    } else if (!m_targets.empty()) {
        OnLightningComplete(caster);
    }
}

void Skill_AttackRadiusLightning::OnLightningComplete(Character& caster)
{
    m_lightningId = 0;
    CreateTargetFx(m_strikeCoords);
    CameraShake();
    // The list as it came: the chosen target heads it and, standing among the foes around
    // the point, is listed and struck a second time; a head of 0 strikes nobody.
    const std::vector<uint32_t> targets = std::move(m_targets);
    m_targets.clear();
    if (targets.empty())
        return;
    // The blow lands where the bolt struck: no effect on each foe of its own.
    ApplyDamageLoop(caster, targets, m_strikeCoords, m_seed, ParametersCombatStyle::None, false, 0, 0.0f, false);
    ActivateSecondarySkills(caster, m_primaryTarget, targets, m_strikeCoords.GetPosition());
}

bool Skill_AttackRadiusLightning::SetAvailability(bool ignoreMana, bool ignoreCooldown)
{
    const bool available = SkillActivatedSpell::SetAvailability(ignoreMana, ignoreCooldown);
    if (m_lightningId != 0 || !m_targets.empty()) {
        SetReason(Skill_CoolingDown);
        return false;
    }
    return available;
}

}  // namespace GAME
