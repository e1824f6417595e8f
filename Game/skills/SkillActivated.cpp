#include "Game/skills/SkillActivated.h"

#include <algorithm>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Game/characters/Character.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SkillActivated, Skill)

SkillActivated::SkillActivated() { m_disruptable = true; }

void SkillActivated::Load(const LoadTable& table)
{
    Skill::Load(table);
    m_cameraShakeDuration = table.GetFloat("cameraShakeDurationSecs", 0.0f);
    m_cameraShakeAmplitude = table.GetFloat("cameraShakeAmplitude", 0.0f);
}

void SkillActivated::ActivateNow(Character&, const Name&, unsigned, const WorldVec3&) { NotifyUIOnActivate(); }

SkillServicesBase* SkillActivated::GetServices() const
{
    const SkillManagerBase* manager = GetManager();
    return manager ? manager->GetSkillServices() : nullptr;
}

uint32_t SkillActivated::NewSeed() { return gGameEngine ? gGameEngine->GetRandomSeed() & 0xffffu : 0u; }

std::string SkillActivated::GetProjectileName() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetProjectileName(GetCurrentLevel()) : std::string();
}

bool SkillActivated::ExecuteRangedAttack(Character& attacker, const WorldCoords& launch, unsigned targetId,
                                         const WorldVec3& aimPoint, unsigned weaponId) const
{
    SkillServicesBase* services = GetServices();
    const SkillProfile* profile = GetSkillProfile();
    if (!services || !profile)
        return false;
    // At least 1 and bounded by the profile, so a record cannot make one use send without
    // limit.
    const unsigned count = profile->GetNumberOfProjectiles();
    if (count == 0)
        return false;
    // The first shot goes at the target (or the aim point), the others at the foes
    // within 1.0 of the aim point, then at spread points.
    std::vector<unsigned> targets{targetId};
    if (count > 1 && gGameEngine) {
        gGameEngine->GetTargetsInRadius(attacker.GetTeam(), aimPoint, 1.0f, targets, targetId, false);
        if (targets.size() > count)
            targets.resize(count);
    }
    const Vec3 toAim = aimPoint - attacker.GetCoords().GetPosition();
    const float spread = std::min(toAim.LengthSquared() * 0.01f, 2.0f);
    const ObjectManager& objects = ObjectManager::Get();
    for (unsigned i = 0; i < count; ++i) {
        const unsigned id = i < targets.size() ? targets[i] : 0;
        WorldVec3 destination = aimPoint;
        const Character* target = objects.GetObject<Character>(id);
        if (target && target->IsAlive()) {
            destination = target->GetCoords().GetPosition();
        } else if (i > 0) {
            // Spread around the aim point; only the sender draws, the point travels.
            const float a = RandFloat(-spread, spread);
            const float b = RandFloat(-0.8f, 0.0f);
            const float c = RandFloat(-spread, spread);
            destination.Translate(Vec3(c, b, a));
        }
        if (i > 0)
            services->ClearHitIteration();
        services->SendCreateProjectile(GetObjectId(), launch, id, destination, NewSeed(), weaponId);
    }
    return true;
}

bool SkillActivated::ExecuteMeleeAttack(Character& attacker, unsigned targetId, const WorldVec3&,
                                        unsigned weaponId) const
{
    SkillServicesBase* services = GetServices();
    if (!services || !gGameEngine)
        return false;
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    std::vector<unsigned> targets;
    if (targetId != 0 && !IsTargetInRange(attacker, targetId, 2.5f))
        targetId = 0;
    const WorldVec3 position = attacker.GetCoords().GetPosition();
    const Vec3 facing = attacker.GetCoords().GetRegionCoords().zAxis;
    if (modifiers.targetAngle == 0.0f) {
        if (targetId == 0) {
            gGameEngine->GetTargetsInCone(attacker.GetTeam(), position, facing, 10.0f, 2.5f, targets, 0, false);
            if (targets.size() >= 2)
                targets.resize(1);
        } else {
            targets.push_back(targetId);
        }
    } else {
        const unsigned n = modifiers.targetNumber;
        if (n == 1 && targetId != 0) {
            targets.push_back(targetId);
        } else {
            gGameEngine->GetTargetsInCone(attacker.GetTeam(), position, facing, modifiers.targetAngle, 3.0f, targets,
                                          targetId, false);
            if (n != 0 && targets.size() >= n) {
                // The chosen target always comes last.
                targets.resize(targetId != 0 ? n - 1 : n);
                if (targetId != 0)
                    targets.push_back(targetId);
            } else if (targetId != 0) {
                targets.push_back(targetId);
            }
        }
    }
    if (targets.empty())
        return false;
    services->SendTargetResult(GetObjectId(), targets, attacker.GetCoords(), NewSeed(), weaponId, true);
    return true;
}

void SkillActivated::ApplyDamageLoop(Character& attacker, const std::vector<uint32_t>& targets,
                                     const WorldCoords& coords, unsigned seed, ParametersCombatStyle style,
                                     bool useAvailable, unsigned weaponId, float percent)
{
    if (targets.empty())
        return;
    RandomUniform random;
    random.Seed(seed);
    const ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : targets) {
        Character* target = objects.GetObject<Character>(id);
        if (!target || !target->IsAlive())
            continue;
        ParametersCombat params(random);
        CollectCombatParameters(attacker, target, style, useAvailable, weaponId, params, percent);
        InitRagDollData(params.ragdollEffect, coords, target->GetCoords());
        CreateTargetFx(target->GetCoords());
        target->TakeAttack(params);
    }
}

void SkillActivated::ApplyRangedDamage(Character& attacker, const std::vector<uint32_t>& targets,
                                       const WorldCoords& coords, unsigned seed, unsigned weaponId)
{
    ApplyDamageLoop(attacker, targets, coords, seed, ParametersCombatStyle::Projectile, true, weaponId, 0.0f);
}

void SkillActivated::ApplyMeleeDamageInherent(Character& attacker, const std::vector<uint32_t>& targets,
                                              const WorldCoords& coords, unsigned seed)
{
    PlayHitSound(attacker.GetCoords().GetPosition());
    // Several targets share the blow: each takes the whole-number share of 100 percent.
    const float percent = targets.size() > 1 ? static_cast<float>(100 / targets.size()) : 0.0f;
    ApplyDamageLoop(attacker, targets, coords, seed, ParametersCombatStyle::Probability, false, 0, percent);
}

// ---- pool26 ----
void SkillActivated::ApplyMeleeDamage(Character& attacker, const std::vector<uint32_t>& targets,
                                      const WorldCoords& coords, unsigned seed, unsigned weaponId)
{
    PlayHitSound(attacker.GetCoords().GetPosition());
    ApplyDamageLoop(attacker, targets, coords, seed, ParametersCombatStyle::Probability, true, weaponId, 0.0f);
}
// ---- end pool26 ----

void SkillActivated::ApplyBuffOnTarget(Character& caster, Character& target, const std::string& buffName,
                                       int durationMs)
{
    SkillBuffTransfer transfer;
    transfer.buffName = buffName;
    transfer.buffLevel = GetCurrentLevel();
    GetModifierInfo(0, transfer.modifierName1, transfer.modifierLevel1);
    GetModifierInfo(1, transfer.modifierName2, transfer.modifierLevel2);
    transfer.durationMs = durationMs > 0 ? static_cast<uint32_t>(durationMs) : 0u;
    transfer.casterId = caster.GetObjectId();
    const SkillProfile* profile = GetSkillProfile();
    static const std::vector<Weapon_Type> kAnyWeapon;
    target.ControllerAddSkillBuff(transfer, profile ? profile->GetQualifyingWeapons() : kAnyWeapon,
                                  profile && profile->GetQualifyingDualWeapons());
}

void SkillActivated::SendProjectileTargets(const ProjectileInfo& info, const std::vector<uint32_t>& targets) const
{
    const Character* caster = ObjectManager::Get().GetObject<Character>(info.casterId);
    SkillServicesBase* services = GetServices();
    if (!caster || !caster->IsAlive() || !services)
        return;
    services->ClearHitIteration();
    services->SendTargetResult(GetObjectId(), targets, info.launchCoords, NewSeed(), info.passOnValue, false);
}

void SkillActivatedSpell::TargetInformation(const ProjectileInfo& info, const WorldCoords&,
                                            std::vector<uint32_t> targets)
{
    SendProjectileTargets(info, targets);
}

void SkillActivatedSpell::TargetResult(Character& attacker, const std::vector<uint32_t>& targets,
                                       const WorldCoords& coords, unsigned seed, unsigned weaponId, bool)
{
    if (targets.empty())
        return;
    const SkillProfile* profile = GetSkillProfile();
    const bool allDamages = profile && profile->ProjectileUsesAllDamages();
    // A projectile that carries all damages names the skill as its weapon when it has
    // none.
    const unsigned weapon = allDamages && weaponId == 0 ? GetObjectId() : weaponId;
    ApplyDamageLoop(attacker, targets, coords, seed, ParametersCombatStyle::Projectile, allDamages, weapon, 0.0f);
    ActivateSecondarySkills(attacker, 0, targets, coords.GetPosition());
}

void SkillActivatedWeapon::TargetInformation(const ProjectileInfo& info, const WorldCoords&,
                                             std::vector<uint32_t> targets)
{
    SendProjectileTargets(info, targets);
}

}  // namespace GAME
