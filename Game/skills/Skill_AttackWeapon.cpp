#include "Game/skills/Skill_AttackWeapon.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/skills/Skill_Passives.h"

namespace GAME {

// Built on the weapon road, registered under the activated skills as its siblings are.
GAME_IMPLEMENT_CLASS(Skill_AttackWeapon, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_AttackWeaponCharge, Skill_AttackWeapon)
GAME_IMPLEMENT_CLASS(Skill_AttackWeaponRangedSpread, Skill_AttackWeapon)

Skill_AttackWeapon::Skill_AttackWeapon()
{
    m_kindText = "^bWeapon Attack";
    m_primary = true;
    m_secondary = true;
    m_useDefaultWhenOutOfMana = true;
}

void Skill_AttackWeapon::CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const
{
    if (m_warmUpActive)
        CollectOwnCharAttributes(accumulator);
}

void Skill_AttackWeapon::CollectPassiveRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (m_warmUpActive)
        CollectOwnRetaliationAttributes(accumulator);
}

void Skill_AttackWeapon::CollectPassiveDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (m_warmUpActive)
        CollectOwnDefenseAttributes(accumulator);
}

void Skill_AttackWeapon::CollectPassiveRacialBonusDefense(const std::vector<std::string>& races,
                                                          RacialBonus_Defense& bonus) const
{
    if (m_warmUpActive)
        CollectOwnRacialBonusDefense(races, bonus);
}

void Skill_AttackWeapon::TargetResult(Character& attacker, const std::vector<uint32_t>& targets,
                                      const WorldCoords& coords, unsigned seed, unsigned weaponId, bool melee)
{
    if (melee)
        ApplyMeleeDamage(attacker, targets, coords, seed, weaponId);
    else
        ApplyRangedDamage(attacker, targets, coords, seed, weaponId);
    ActivateSecondarySkills(attacker, 0, targets, coords.GetPosition());
    m_warmUpWasActive = false;
}

void Skill_AttackWeapon::Cancel(Character& attacker)
{
    SkillActivatedWeapon::Cancel(attacker);
    if (!m_warmUpWasActive)
        return;
    m_warmUpWasActive = false;
    SubtractManaCost();
    StartCooldown();
}

bool Skill_AttackWeapon::WarmUpStart()
{
    if (!IsSkillEnabled())
        return false;
    const SkillProfile* profile = GetSkillProfile();
    SetCollected(m_warmUpActive, profile && profile->AllowsWarmUp());
    if (!m_warmUpActive)
        return false;
    if (Character* owner = GetManager() ? GetManager()->GetParent() : nullptr) {
        PlayWarmUpSound(owner->GetCoords().GetPosition());
        WarmUpEffect(*owner, true);
    }
    m_warmUpWasActive = true;
    return true;
}

void Skill_AttackWeapon::WarmUpEnd()
{
    if (!m_warmUpActive)
        return;
    SetCollected(m_warmUpActive, false);
    if (Character* owner = GetManager() ? GetManager()->GetParent() : nullptr)
        WarmUpEffect(*owner, false);
}

void Skill_AttackWeapon::ActivateNow(Character& attacker, const Name& event, unsigned targetId,
                                     const WorldVec3& targetPoint)
{
    StrikeWithEventWeapon(attacker, event, targetId, targetPoint);
}

// ---- The charged attack ----------------------------------------------------------------------

Skill_AttackWeaponCharge::Skill_AttackWeaponCharge()
{
    m_kindText = "^bMelee Weapon Attack with Charge";
    m_useDefaultWhenOutOfMana = false;
}

void Skill_AttackWeaponCharge::ActivateNow(Character& attacker, const Name& event, unsigned targetId,
                                           const WorldVec3& targetPoint)
{
    Skill_AttackWeapon::ActivateNow(attacker, event, targetId, targetPoint);
    if (!GetWarmUpWasActive())
        return;
    // A modifier's strike may change the list (a modifier that goes away), so walk a copy.
    const std::vector<uint32_t> modifiers = GetModifiers();
    for (uint32_t id : modifiers)
        if (auto* modifier = ObjectManager::Get().GetObject<Skill_MeleeModifier>(id))
            modifier->ActivateModifierAttack(attacker, targetId, targetPoint);
}

// ---- The ranged spread -----------------------------------------------------------------------

Skill_AttackWeaponRangedSpread::Skill_AttackWeaponRangedSpread() { m_kindText = "^bWeapon Attack - Ranged Spread"; }

void Skill_AttackWeaponRangedSpread::Load(const LoadTable& table)
{
    Skill_AttackWeapon::Load(table);
    // A drift that is not a number would carry into every peer's projectile: the default
    // stands instead.
    const float driftMin = table.GetFloat("driftMin", 0.5f);
    const float driftMax = table.GetFloat("driftMax", 2.0f);
    m_driftMin = IsFinite(driftMin) ? driftMin : 0.5f;
    m_driftMax = IsFinite(driftMax) ? driftMax : 2.0f;
}

bool Skill_AttackWeaponRangedSpread::ExecuteRangedAttack(Character& attacker, const WorldCoords& launch,
                                                         unsigned targetId, const WorldVec3& aimPoint,
                                                         unsigned weaponId) const
{
    SkillServicesBase* services = GetServices();
    const SkillProfile* profile = GetSkillProfile();
    if (!services || !profile)
        return false;
    const unsigned count = profile->GetNumberOfProjectiles();
    if (count == 0)
        return false;
    const WorldVec3 origin = attacker.GetCoords().GetPosition();
    const Coords& frame = attacker.GetCoords().GetRegionCoords();
    // Twice the bow's reach from the body; none when the launch lies in no region.
    const float reach = WorldDistance(origin, launch.GetPosition());
    const float pushOut = IsFinite(reach) ? 2.0f * reach : 0.0f;
    RandomUniform* random = gGameEngine ? &gGameEngine->GetRandomGen() : nullptr;
    for (unsigned i = 0; i < count; ++i) {
        WorldVec3 destination = aimPoint;
        const auto* target = ObjectManager::Get().GetObject<Character>(targetId);
        if (targetId != 0 && target) {
            destination = target->GetCoords().GetPosition();
        } else {
            // An aim too close to the bow would turn the shots back: they go straight
            // ahead instead, a little up.
            if (WorldDistance(origin, destination) < pushOut) {
                destination = origin;
                destination.Translate(frame.zAxis * pushOut + Vec3(0.0f, 1.0f, 0.0f));
            }
            if (i > 0 && random) {
                const float sideways = random->FGenerate(m_driftMin, m_driftMax);
                const float forward = random->FGenerate(m_driftMin, m_driftMax);
                const float side = (i % 2 == 1) ? -1.0f : 1.0f;
                destination.Translate(Vec3(frame.xAxis.x * side * sideways, 0.0f, frame.xAxis.z * side * sideways));
                const float height = random->FGenerate(-0.5f, 0.0f);
                destination.Translate(Vec3(frame.zAxis.x * forward, height, frame.zAxis.z * forward));
            }
        }
        if (i > 0)
            services->ClearHitIteration();
        services->SendCreateProjectile(GetObjectId(), launch, targetId, destination, NewSeed(), weaponId);
        targetId = 0;
    }
    return true;
}

}  // namespace GAME
