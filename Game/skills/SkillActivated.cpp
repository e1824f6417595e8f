#include "Game/skills/SkillActivated.h"

#include <algorithm>
#include <cmath>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Engine/World.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/items/Weapon.h"
#include "Game/world/FxPak.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/RadiusMagic.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/skills/SkillWalk.h"

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

void SkillActivated::CameraShake()
{
    if (m_cameraShakeDuration <= 0.0001f)
        return;
    GameEvent_CameraShake event;
    event.durationMs = m_cameraShakeDuration * 1000.0f;
    event.amplitude = m_cameraShakeAmplitude;
    EventManager::Get().Send(event, "GameEvent_CameraShake");
}

bool SkillActivated::StartCastAnimation(Character& attacker, AnimationSet_Type animation)
{
    if (!IsSkillEnabled())
        return false;
    const SkillManagerBase* manager = GetManager();
    const float speed = manager ? manager->GetSpellCastSpeed() : 1.0f;
    if (StartSpecialAnimation(attacker, speed, false))
        return true;
    return StartNormalAnimation(attacker, animation, Name(), speed, false, 0);
}

WorldVec3 SkillActivated::AimOf(unsigned targetId, const WorldVec3& targetPoint)
{
    if (const Entity* entity = ObjectManager::Get().GetObject<Entity>(targetId))
        return entity->GetCoords().GetPosition();
    return targetPoint;
}

bool SkillActivated::ResolveLeading(const TargetLeadingData& leading, WorldVec3& point)
{
    if (leading.leading == 0)
        return false;
    const WorldVec3 lead = GetTargetLeadingPoint(leading.attackerId, leading.targetId, 0.7f);
    if (!lead.GetRegion())
        return false;
    point = lead;
    return true;
}

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

bool SkillActivated::ExecuteRadiusAttack(Character& attacker, unsigned targetId, const WorldVec3& point) const
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return false;
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    std::vector<unsigned> targets;
    if (targetId != 0 && !IsTargetInRange(attacker, targetId, 20.0f))
        targetId = 0;
    // Only a point within 20 units gathers foes; one farther off strikes the target alone.
    const WorldCoords& coords = attacker.GetCoords();
    if (modifiers.targetRadius > 0.0f && (point - coords.GetPosition()).LengthSquared() < 400.0f && gGameEngine)
        gGameEngine->GetTargetsInRadius(attacker.GetTeam(), point, modifiers.targetRadius, targets, targetId, false);
    if (targetId != 0)
        targets.push_back(targetId);
    if (targets.empty())
        return false;
    services->SendTargetResult(GetObjectId(), targets, coords, NewSeed(), 0, false);
    return true;
}

// ---- Expanding rings -------------------------------------------------------------------------

void SkillActivated::StartRing(ExpandingRing& ring, const Character& owner, int32_t msPerUnit, float radius)
{
    ring.elapsedMs = 0;
    ring.msPerUnit = msPerUnit;
    ring.centre = owner.GetCoords().GetPosition();
    ring.pendingTargets.clear();
    if (gGameEngine)
        gGameEngine->GetTargetsInRadius(owner.GetTeam(), ring.centre, radius, ring.pendingTargets, 0, false);
}

void SkillActivated::AdvanceRing(ExpandingRing& ring, int elapsedMs, float finalRadius, bool drawRing) const
{
    SkillServicesBase* services = GetServices();
    if (ring.pendingTargets.empty() || !services)
        return;
    ring.elapsedMs = ClampToInt(int64_t{ring.elapsedMs} + elapsedMs);
    // A ring that takes no time per unit (or a record's negative time) has its whole
    // radius at once.
    const float reach = ring.msPerUnit >= 1
                            ? std::min(static_cast<float>(ring.elapsedMs) / static_cast<float>(ring.msPerUnit),
                                       finalRadius)
                            : finalRadius;
    if (drawRing && gGameEngine && gGameEngine->GetShowTargetSpheres())
        World::Get().RenderDebugSphere(ring.centre, reach, Color{0.0f, 0.0f, 1.0f, 1.0f});
    std::vector<uint32_t> hits;
    std::erase_if(ring.pendingTargets, [&](uint32_t id) {
        const Character* foe = ObjectManager::Get().GetObject<Character>(id);
        if (!foe || !foe->IsAlive())
            return true;
        if (!(WorldDistance(ring.centre, foe->GetCoords().GetPosition()) <= reach))
            return false;
        hits.push_back(id);
        return true;
    });
    if (!hits.empty()) {
        const WorldCoords centre(ring.centre.GetRegion(), Coords::MakeTranslation(ring.centre.GetRegionPosition()));
        services->ClearHitIteration();
        services->SendTargetResult(GetObjectId(), hits, centre, NewSeed(), 0, false);
    }
    // Whoever stands outside the final radius now was never going to be reached.
    if (reach >= finalRadius)
        ring.pendingTargets.clear();
}

void SkillActivated::StrikeRingTargets(Character& owner, const std::vector<uint32_t>& targets,
                                       const WorldCoords& centre, unsigned seed)
{
    if (targets.empty())
        return;
    ApplyDamageLoop(owner, targets, centre, seed, ParametersCombatStyle::None, false, 0, 0.0f);
    ActivateSecondarySkills(owner, 0, targets, centre.GetPosition());
}

void SkillActivated::CreateRingEffects(const WorldCoords& centre, float radius, int timeMs)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile)
        return;
    const Vec3 position = centre.GetRegionCoords().origin;
    if (auto* ring = skill_detail::CreateOwned<RadiusMagic>(profile->GetRadiusMagicName())) {
        ring->SetEffect(radius, static_cast<float>(timeMs));
        ring->SetPhysicsType(0);
        const Vec3 raised{position.x, position.y + 1.0f, position.z};
        if (!World::Get().AddEntity(ring, WorldCoords(centre.GetRegion(), Coords::MakeTranslation(raised))))
            skill_detail::DestroyOwned(ring, __LINE__);
    }
    if (auto* effect = skill_detail::CreateOwned<FxPak>(profile->GetRadiusEffectName()))
        if (!World::Get().AddEntity(effect, WorldCoords(centre.GetRegion(), Coords::MakeTranslation(position))))
            skill_detail::DestroyOwned(effect, __LINE__);
}

void SkillActivated::ApplyMeleeDamage(Character& attacker, const std::vector<uint32_t>& targets,
                                      const WorldCoords& coords, unsigned seed, unsigned weaponId)
{
    const WorldVec3 position = attacker.GetCoords().GetPosition();
    PlayHitSound(position);
    if (ApplyDamageLoop(attacker, targets, coords, seed, ParametersCombatStyle::Probability, true, weaponId, 0.0f) ==
        0)
        return;
    // A landed blow sounds once: the weapon's hit, or the attacker's own attack.
    if (const Weapon* weapon = ObjectManager::Get().GetObject<Weapon>(weaponId))
        weapon->PlayHitSound(position);
    else
        attacker.PlayAttackSound();
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


// A pulse hands the same buff to every friend it finds, once a second for as long as it is
// on: the hand-over is built in a record kept for the thread, whose names keep their
// capacity, so that handing out allocates nothing. A hand-over asked for while one is
// being handed (none is today) builds its own.
void SkillActivated::ApplyBuffOnTarget(Character& caster, Character& target, const std::string& buffName,
                                       int durationMs) const
{
    SkillBuffTransferLease lease;
    SkillBuffTransfer& transfer = *lease;
    FillBuffTransfer(transfer, buffName, GetCurrentLevel(), durationMs, caster.GetObjectId());
    const SkillProfile* profile = GetSkillProfile();
    static const std::vector<Weapon_Type> kAnyWeapon;
    target.ControllerAddSkillBuff(transfer, profile ? profile->GetQualifyingWeapons() : kAnyWeapon,
                                  profile && profile->GetQualifyingDualWeapons());
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

// ---- Spells ------------------------------------------------------------------------------

SkillActivatedSpell::~SkillActivatedSpell()
{
    if (Object* projectile = ObjectManager::Get().GetObject(m_preloadedProjectile))
        ObjectManager::Get().DestroyObjectEx(projectile, __FILE__, __LINE__);
}

void SkillActivatedSpell::PreLoad(bool preloadNow)
{
    SkillActivated::PreLoad(preloadNow);
    if (Object* projectile = ObjectManager::Get().GetObject(m_preloadedProjectile))
        projectile->PreLoad(preloadNow);
}

void SkillActivatedSpell::PreLoadResources()
{
    SkillActivated::PreLoadResources();
    ObjectManager& objects = ObjectManager::Get();
    if (Object* old = objects.GetObject(m_preloadedProjectile))
        objects.DestroyObjectEx(old, __FILE__, __LINE__);
    m_preloadedProjectile = 0;
    const std::string name = GetProjectileName();
    if (name.empty())
        return;
    // One instance held so that the projectile's resources stay loaded.
    if (ProjectileBase* projectile = objects.CreateObjectFromFile<ProjectileBase>(name))
        m_preloadedProjectile = projectile->GetObjectId();
}

bool SkillActivatedSpell::GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point,
                                         bool fromUser, float range) const
{
    const SkillProfile* profile = GetSkillProfile();
    if (profile && profile->GetProjectileTargetGroundOnly()) {
        target = 0;
        return true;
    }
    return GetValidRangedTarget(user, target, point, fromUser, range);
}

bool SkillActivatedSpell::StartAction(Character& attacker, unsigned, const WorldVec3&, unsigned,
                                      const TargetLeadingData& leading)
{
    if (!IsSkillEnabled())
        return false;
    m_leading = leading;
    return StartCastAnimation(attacker, AnimationSet_SpellCast);
}

void SkillActivatedSpell::SwipeAction(Character& attacker, const Name&, unsigned, const WorldVec3&)
{
    PlaySwipeSound(attacker.GetCoords().GetPosition());
}

void SkillActivatedSpell::HitAction(Character& attacker, const Name& event, unsigned targetId,
                                    const WorldVec3& targetPoint)
{
    WorldVec3 lead;
    if (ResolveLeading(m_leading, lead))
        ActivateNow(attacker, event, 0, lead);
    else
        ActivateNow(attacker, event, targetId, targetPoint);
}

// ---- Weapon attacks ----------------------------------------------------------------------

namespace {

Weapon* WeaponOf(uint32_t id) { return ObjectManager::Get().GetObject<Weapon>(id); }

// The hit events of the two hands, made once.
struct HandHitEventNames {
    Name rightHandHit = Name::Create("RightHandHit");
    Name leftHandHit = Name::Create("LeftHandHit");
};

const HandHitEventNames& HandHitEvents()
{
    static const HandHitEventNames names;
    return names;
}

}  // namespace

uint32_t SkillActivated::WeaponOfHitEvent(const Name& event) const
{
    const SkillManagerBase* manager = GetManager();
    if (!manager)
        return 0;
    if (event == HandHitEvents().rightHandHit)
        return manager->GetRightHandWeapon();
    if (event == HandHitEvents().leftHandHit)
        return manager->GetLeftHandWeapon();
    return 0;
}

bool SkillActivated::StrikeWithEventWeapon(Character& user, const Name& event, unsigned targetId,
                                           const WorldVec3& point) const
{
    const SkillManagerBase* manager = GetManager();
    const uint32_t weapon = WeaponOfHitEvent(event);
    if (manager && manager->IsRangedWeapon()) {
        // The user's frame, moved to the event's attach point.
        const WorldCoords launch = WithPosition(user.GetCoords(), GetCoordsFromCallback(user, event).GetPosition());
        return ExecuteRangedAttack(user, launch, targetId, point, weapon);
    }
    return ExecuteMeleeAttack(user, targetId, point, weapon);
}

void SkillActivatedWeapon::Update(Character& character, int elapsedMs)
{
    SkillActivated::Update(character, elapsedMs);
    const SkillManagerBase* manager = GetManager();
    m_rangedWeapon = manager && manager->IsRangedWeapon();
    SetRangeProfile(m_rangedWeapon ? manager->GetWeaponRangeProfile() : Skill_RangeMelee);
}

bool SkillActivatedWeapon::GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point,
                                          bool fromUser, float range) const
{
    if (m_rangedWeapon)
        return GetValidRangedTarget(user, target, point, fromUser, range);
    const SkillProfile* profile = GetSkillProfile();
    return GetValidMeleeTarget(user, target, point, fromUser, range, profile && profile->AllowsWarmUp());
}

float SkillActivatedWeapon::GetRunSpeedAcceleration() const
{
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    return modifiers.speedAcceleration;
}

AnimationSet_Type SkillActivatedWeapon::ChooseAttackAnimation(Character& attacker, unsigned targetId,
                                                              const WorldVec3& targetPoint)
{
    if (!dynamic_cast<Player*>(&attacker))
        return AnimationSet_Attack;
    Vec3 direction = AimOf(targetId, targetPoint) - attacker.GetCoords().GetPosition();
    direction.y = 0.0f;
    if (direction.LengthSquared() <= 0.0f)
        return AnimationSet_Attack;
    direction = direction.Unit();
    const Coords& frame = attacker.GetCoords().GetRegionCoords();
    const float cosine = std::clamp(Dot(direction, frame.zAxis), -1.0f, 1.0f);
    constexpr float kDegreesPerRadian = 57.2957795f;
    if (std::acos(cosine) * kDegreesPerRadian < 45.0f)
        return AnimationSet_Attack;
    attacker.RotateTowardsTarget(true);
    return Dot(direction, frame.xAxis) >= 0.0f ? AnimationSet_AttTurnLeft90 : AnimationSet_AttTurnRight90;
}

bool SkillActivatedWeapon::StartAction(Character& attacker, unsigned targetId, const WorldVec3& targetPoint,
                                       unsigned, const TargetLeadingData& leading)
{
    if (!IsSkillEnabled())
        return false;
    m_leading = leading;
    const SkillManagerBase* manager = GetManager();
    const float speed = manager ? manager->GetAttackSpeed() : 1.0f;
    if (StartSpecialAnimation(attacker, speed, false))
        return true;
    AnimationSet_Type animation = ChooseAttackAnimation(attacker, targetId, targetPoint);
    // A set without the turning attack strikes with its plain one (the attacker has turned
    // all the same): else the use would not start, and a pooled attack's pick would be lost.
    if (animation != AnimationSet_Attack) {
        const AnimationSet* animations = attacker.GetAnimationSet();
        if (animations && !animations->DoesAnimationExist(animation))
            animation = AnimationSet_Attack;
    }
    return StartNormalAnimation(attacker, animation, Name(), speed, false, 0);
}

void SkillActivatedWeapon::SwipeAction(Character& attacker, const Name& event, unsigned, const WorldVec3&)
{
    PlayWeaponSwipeSound(attacker, event);
    PlaySwipeSound(attacker.GetCoords().GetPosition());
    static const Name kRight("SwipeRight");
    static const Name kLeft("SwipeLeft");
    static const Name kBoth("SwipeBoth");
    const SkillManagerBase* manager = GetManager();
    if (!manager)
        return;
    if (event == kRight || event == kBoth)
        if (Weapon* weapon = WeaponOf(manager->GetRightHandWeapon()))
            weapon->EnableWeaponTrail();
    if (event == kLeft || event == kBoth)
        if (Weapon* weapon = WeaponOf(manager->GetLeftHandWeapon()))
            weapon->EnableWeaponTrail();
}

bool SkillActivatedWeapon::EndAction(Character&)
{
    if (const SkillManagerBase* manager = GetManager()) {
        if (Weapon* weapon = WeaponOf(manager->GetRightHandWeapon()))
            weapon->DisableWeaponTrail();
        if (Weapon* weapon = WeaponOf(manager->GetLeftHandWeapon()))
            weapon->DisableWeaponTrail();
    }
    return true;
}

// ---- Buffs on oneself and on friends -----------------------------------------------------

void SkillActivatedBuffSelf::DispellSelfBuff(Character& owner)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || !profile->GetNotDispelSetting())
        StopSkill(owner);
}

bool SkillActivatedBuffSelf::GetValidTarget(const Character& user, unsigned& target, const WorldVec3&, bool,
                                            float) const
{
    target = user.GetObjectId();
    return true;
}

bool SkillActivatedBuffSelf::StartAction(Character& attacker, unsigned, const WorldVec3&, unsigned,
                                         const TargetLeadingData&)
{
    return StartCastAnimation(attacker, AnimationSet_BuffSelf);
}

void SkillActivatedBuffSelf::SwipeAction(Character& attacker, const Name&, unsigned, const WorldVec3&)
{
    PlaySwipeSound(attacker.GetCoords().GetPosition());
}

void SkillActivatedBuffSelf::ApplyCost(bool atCast)
{
    if (atCast) {
        SubtractManaCost();
        if (!m_cooldownOnEnd)
            StartCooldown();
    } else if (m_cooldownOnEnd) {
        StartCooldown();
    }
}

void SkillActivatedBuffSelf::ApplyActiveCosts(Character& owner, int elapsedMs)
{
    SkillManagerBase* manager = GetManager();
    if (!manager)
        return;
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    const float seconds = static_cast<float>(elapsedMs) * 0.001f;
    if (modifiers.activeLifeCost != 0.0f) {
        const float cost = seconds * modifiers.activeLifeCost;
        const float life = owner.GetCurrentLife();
        // The drain never takes the last of the owner's life.
        if (cost < life && life > 1.0f)
            manager->SubtractLife(cost, PlayStatsDamageType{PlayStatsDamageKind_BuffAttackRadius,
                                                            CombatAttributeType_Unknown});
    }
    if (modifiers.activeManaCost != 0.0f) {
        manager->SubtractMana(seconds * modifiers.activeManaCost);
        if (manager->GetCurrentMana() <= 0.0f)
            StopSkill(owner);
    }
}

bool SkillActivatedBuffSelf::FlipSwitch(bool& on)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return false;
    on = !on;
    if (on)
        NotifyUIOnActivate();
    else
        NotifyUIOnDeactivate();
    services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, on, false));
    SetIgnoreMana(on);
    return true;
}

bool SkillActivatedBuffOther::GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point,
                                             bool fromUser, float range) const
{
    return GetValidFriendTarget(user, target, point, fromUser, range);
}

bool SkillActivatedBuffOther::StartAction(Character& attacker, unsigned, const WorldVec3&, unsigned,
                                          const TargetLeadingData&)
{
    return StartCastAnimation(attacker, AnimationSet_BuffOther);
}

void SkillActivatedBuffOther::SwipeAction(Character& attacker, const Name&, unsigned, const WorldVec3&)
{
    PlaySwipeSound(attacker.GetCoords().GetPosition());
}

}  // namespace GAME
