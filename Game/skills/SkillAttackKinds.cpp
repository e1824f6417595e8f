#include "Game/skills/SkillAttackKinds.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Game/characters/Monster.h"
#include "Game/items/Weapon.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/SkillPets.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_AttackProjectile, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_AttackProjectileDebuf, Skill_AttackProjectile)
GAME_IMPLEMENT_CLASS(Skill_AttackProjectileSpawnPet, Skill_AttackProjectile)
GAME_IMPLEMENT_CLASS(Skill_AttackProjectileAreaEffect, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_AttackProjectileBurst, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_AttackProjectileRing, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_AttackProjectileFan, Skill_AttackProjectileRing)
GAME_IMPLEMENT_CLASS(Skill_AttackBuff, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_AttackBuffRadius, Skill_AttackBuff)
GAME_IMPLEMENT_CLASS(Skill_AttackInherent, SkillActivated)

namespace {

constexpr Vec3 kUp{0.0f, 1.0f, 0.0f};
// An attack buff reaches a target this far (gap between the bodies).
constexpr float kAttackBuffRange = 20.0f;

SkillProfile_Modifiers ModifiersOf(const Skill& skill)
{
    SkillProfile_Modifiers modifiers;
    skill.GetSkillModifierData(modifiers);
    return modifiers;
}

// A record's shot count, summed with the modifiers', held to the bound.
unsigned LaunchNumber(const SkillProfile_Modifiers& modifiers)
{
    return std::min(modifiers.projectileLaunchNumber, kMaxAttackLaunchNumber);
}

// Milliseconds of a record time in seconds.

// The coordinates turned by `degrees` about the vertical.
WorldCoords TurnedUp(const WorldCoords& coords, float degrees)
{
    return WorldCoords(coords.GetRegion(), TurnedAbout(coords.GetRegionCoords(), kUp, degrees));
}

// At the position, rotation cleared.
WorldCoords Unrotated(const WorldVec3& position)
{
    return WorldCoords(position.GetRegion(), Coords::MakeTranslation(position.GetRegionPosition()));
}

// The projectile under the command's id, filled, seeded and given the skill's modifiers;
// null (logged) when the record makes none or the id is unusable. Not yet launched.
ProjectileBase* MakeProjectile(const SkillActivated& skill, Character& caster, const ProjectileOrder& order)
{
    ProjectileBase* projectile = nullptr;
    // Id 0 would make the projectile under a fresh id of this peer's own: the peers
    // would disagree on it. A taken id makes nothing.
    if (order.objectId != 0 && !order.name.empty())
        projectile = ObjectManager::Get().CreateObjectFromFile<ProjectileBase>(order.name, order.objectId);
    if (!projectile) {
        gEngine->Log(LOG_WARNING, order.failure, order.name.c_str(),
                     (order.logName ? *order.logName : skill.GetObjectName()).c_str());
        return nullptr;
    }
    ProjectileInfo info;
    info.skillId = skill.GetObjectId();
    info.casterId = caster.GetObjectId();
    info.launchCoords = order.launch;
    info.targetId = order.targetId;
    info.targetPoint = order.targetPoint;
    info.passOnValue = order.passOnValue;
    info.team = caster.GetTeam();
    info.piercingChance = ModifiersOf(skill).projectilePiercing + order.piercingBonus;
    info.speedBonus = skill.GetTotalSkillAttribute(SkillAttributeType_ProjectileSpeedModifier);
    info.areaDuration = order.areaDuration;
    info.friends = order.friends;
    projectile->LoadInfo(info, order.seed);
    skill.AddProjectileModifier(projectile);
    if (order.swipeSound)
        projectile->PlaySwipeSound(caster.GetCoords().GetPosition());
    return projectile;
}

void LaunchProjectile(const SkillActivated& skill, Character& caster, const ProjectileOrder& order)
{
    if (ProjectileBase* projectile = MakeProjectile(skill, caster, order))
        projectile->ProjectileGo();
}

ProjectileOrder OrderOf(const std::string& name, const WorldCoords& launch, unsigned targetId,
                        const WorldVec3& targetPoint, unsigned objectId, unsigned seed)
{
    ProjectileOrder order;
    order.name = name;
    order.launch = launch;
    order.targetId = targetId;
    order.targetPoint = targetPoint;
    order.objectId = objectId;
    order.seed = seed;
    return order;
}

// The ids of a peer's spawn command that this peer acts on: at most the bound, each
// non-zero and held by no object yet (a taken id would make nothing, or the wrong thing).
std::vector<uint32_t> UsableSpawnIds(const std::vector<uint32_t>& ids, const char* skillName)
{
    std::vector<uint32_t> usable;
    if (ids.size() > kMaxSpawnedPerCommand)
        gEngine->Log(LOG_WARNING, "%s: a spawn command names %zu objects; only the first %zu are made", skillName,
                     ids.size(), kMaxSpawnedPerCommand);
    const size_t count = std::min(ids.size(), kMaxSpawnedPerCommand);
    usable.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t id = ids[i];
        if (id == 0 || ObjectManager::Get().GetObject(id) ||
            std::find(usable.begin(), usable.end(), id) != usable.end()) {
            gEngine->Log(LOG_WARNING, "%s: spawn id %u is taken or empty; nothing made under it", skillName, id);
            usable.push_back(0);
            continue;
        }
        usable.push_back(id);
    }
    return usable;
}

// The place of index i of a spawn command, or its own coordinates once the list runs out.
const WorldCoords& PlaceAt(const std::vector<WorldCoords>& places, size_t i, const WorldCoords& coords)
{
    return i < places.size() ? places[i] : coords;
}

// The buff kinds take their resources from the buff record "buffSkillName" (normalised),
// not from their own record; the name is returned.
std::string LoadBuffRecord(Skill& skill, const LoadTable& table)
{
    std::string buffName = GetNormalizedPath(table.GetString("buffSkillName", ""));
    skill.LoadResourcesFrom(buffName);
    return buffName;
}

// Every target that resolves gets the buff for "skillActiveDuration", with its effect.
void BuffTargets(SkillActivated& skill, Character& caster, const std::vector<uint32_t>& targets,
                 const std::string& buffName)
{
    if (!targets.empty())
        skill.PlayActivateSound(caster.GetCoords().GetPosition());
    const int durationMs = ExactSecondsToMs(ModifiersOf(skill).activeDuration);
    for (uint32_t id : targets) {
        Character* target = ObjectManager::Get().GetObject<Character>(id);
        if (!target)
            continue;
        skill.CreateTargetFx(target->GetCoords());
        skill.ApplyBuffOnTarget(caster, *target, buffName, durationMs);
    }
}

}  // namespace

void LaunchSkillProjectile(const SkillActivated& skill, Character& caster, const ProjectileOrder& order)
{
    LaunchProjectile(skill, caster, order);
}

// ---- Projectile attack ------------------------------------------------------------------------

Skill_AttackProjectile::Skill_AttackProjectile()
{
    m_kindText = "^bProjectile Attack";
    m_primary = true;
    m_secondary = true;
}

void Skill_AttackProjectile::CreateProjectile(Character& caster, const WorldCoords& launch, unsigned targetId,
                                              const WorldVec3& targetPoint, unsigned, unsigned objectId,
                                              unsigned seed)
{
    PlayHitSound(launch.GetPosition());
    LaunchProjectile(*this, caster, OrderOf(GetProjectileName(), launch, targetId, targetPoint, objectId, seed));
}

void Skill_AttackProjectile::ActivateNow(Character& caster, const Name& event, unsigned targetId,
                                         const WorldVec3& targetPoint)
{
    const WorldCoords launch = WithPosition(caster.GetCoords(), GetCoordsFromCallback(caster, event).GetPosition());
    ExecuteRangedAttack(caster, launch, targetId, targetPoint, 0);
}

// ---- The weapon projectile --------------------------------------------------------------------

void SkillActivated::CreateProjectile(Character& attacker, const WorldCoords& launch, unsigned targetId,
                                      const WorldVec3& aimPoint, unsigned weaponId, unsigned projectileId,
                                      unsigned extra)
{
    static const Name kShoot("Shoot");
    const WorldVec3 position = attacker.GetCoords().GetPosition();
    ProjectileOrder order = OrderOf(std::string(), launch, targetId, aimPoint, projectileId, extra);
    order.passOnValue = weaponId;
    order.failure = "Failed to spawn ranged projectile (%s) (%s)";
    std::string weaponName;
    if (const Weapon* weapon = ObjectManager::Get().GetObject<Weapon>(weaponId)) {
        weaponName = weapon->GetObjectName();
        weapon->PlayHitSound(position);
        order.name = weapon->GetProjectileName();
        // An equipped weapon shoots from its own "Shoot" point.
        if (weapon->GetAttachParent())
            order.launch = WithPosition(launch, weapon->GetAttachPointPosition(kShoot));
    }
    order.logName = &weaponName;
    PlayHitSound(position);
    LaunchProjectile(*this, attacker, order);
}

// ---- Projectile debuff ------------------------------------------------------------------------

Skill_AttackProjectileDebuf::Skill_AttackProjectileDebuf()
{
    m_kindText = "^bProjectile Debuf";
    m_repeatable = false;
}

void Skill_AttackProjectileDebuf::Load(const LoadTable& table)
{
    m_projectileNames.clear();
    table.GetStringArray("projectileNames", m_projectileNames);
    m_buffSkillName = LoadBuffRecord(*this, table);
}

std::string Skill_AttackProjectileDebuf::GetProjectileName() const
{
    const unsigned level = GetCurrentLevel();
    if (level == 0 || m_projectileNames.empty())
        return {};
    return m_projectileNames[std::min<size_t>(level - 1, m_projectileNames.size() - 1)];
}

void Skill_AttackProjectileDebuf::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                               const WorldCoords&, unsigned, unsigned, bool)
{
    BuffTargets(*this, caster, targets, m_buffSkillName);
}

// ---- Projectile that spawns pets --------------------------------------------------------------

Skill_AttackProjectileSpawnPet::Skill_AttackProjectileSpawnPet() { m_kindText = "^bProjectile Attack Spawn Pet"; }

void Skill_AttackProjectileSpawnPet::Update(Character& caster, int elapsedMs)
{
    Skill::Update(caster, elapsedMs);
    ForgetDeadPets(m_pets);
    // A monster casts it again only once all its pets are gone.
    if (caster.IsA<Monster>())
        SetSkillEnabled(m_pets.empty());
}

void Skill_AttackProjectileSpawnPet::TargetInformation(const ProjectileInfo& info, const WorldCoords& coords,
                                                       std::vector<uint32_t>)
{
    SkillServicesBase* services = GetServices();
    Character* caster = ObjectManager::Get().GetObject<Character>(info.casterId);
    const SkillProfile* profile = GetSkillProfile();
    if (!caster || !services || !profile)
        return;
    const unsigned count = std::max(profile->GetPetBurstSpawn(GetCurrentLevel()), 1u);
    const std::vector<float> radii(count, GetPetExtents());
    std::vector<WorldVec3> points;
    if (!PathFinder::FillPointSet(coords.GetPosition(), radii, points, true))
        return;
    std::vector<WorldCoords> places;
    std::vector<uint32_t> ids;
    for (const WorldVec3& point : points) {
        Vec3 position = point.GetRegionPosition();
        const float floor = World::Get().GetFloorHeightBelow(point);
        if (std::isfinite(floor))
            position.y = floor;
        places.push_back(Unrotated(WorldVec3(point.GetRegion(), position)));
        ids.push_back(ObjectManager::Get().CreateObjectID());
    }
    services->SendSpawnObject(GetObjectId(), caster->GetCoords(), 0, places, ids, NewSeed());
}

void Skill_AttackProjectileSpawnPet::SkillSpawnObject(Character& caster, const WorldCoords& coords, unsigned,
                                                      const std::vector<WorldCoords>& places,
                                                      const std::vector<uint32_t>& ids, unsigned seed)
{
    if (!ids.empty())
        PlayHitSound(coords.GetPosition());
    const std::vector<uint32_t> usable = UsableSpawnIds(ids, GetObjectName().c_str());
    std::vector<uint32_t> made;
    for (size_t i = 0; i < usable.size(); ++i) {
        if (usable[i] == 0)
            continue;
        SpawnPet(caster, PlaceAt(places, i, coords), usable[i], seed);
        made.push_back(usable[i]);
    }
    ActivateSecondarySkills(caster, 0, made, coords.GetPosition());
}

void Skill_AttackProjectileSpawnPet::SpawnPet(Character& caster, const WorldCoords& place, unsigned objectId,
                                              unsigned)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile)
        return;
    const unsigned level = GetCurrentLevel();
    if (Monster* pet = SpawnSkillPet(*this, caster, place, objectId, profile->GetSpawnObject(level),
                                     profile->GetSpawnObjectTimeToLive(level), true))
        m_pets.push_back(pet->GetObjectId());
    const unsigned limit = profile->GetPetLimit(level);
    if (limit != 0 && m_pets.size() > limit)
        ReleaseOnePet(caster);
}

void Skill_AttackProjectileSpawnPet::ReleaseOnePet(Character&)
{
    if (m_pets.empty())
        return;
    const uint32_t oldest = m_pets.front();
    m_pets.erase(m_pets.begin());
    ReleaseSkillPet(oldest);
}

void Skill_AttackProjectileSpawnPet::ReleasePets(Character&)
{
    const std::vector<uint32_t> pets = std::move(m_pets);
    m_pets.clear();
    for (uint32_t id : pets)
        ReleaseSkillPet(id);
}

void Skill_AttackProjectileSpawnPet::StopSkill(Character& caster) { ReleasePets(caster); }

void Skill_AttackProjectileSpawnPet::PreLoadResources()
{
    SkillActivatedSpell::PreLoadResources();
    PreLoadPet();
}

// ---- Area effect ------------------------------------------------------------------------------

Skill_AttackProjectileAreaEffect::Skill_AttackProjectileAreaEffect()
{
    m_kindText = "^bAttack Area Effect";
    m_secondary = true;
}

WorldCoords Skill_AttackProjectileAreaEffect::GetLaunchPoint(Character& caster, const Name& event) const
{
    return WithPosition(caster.GetCoords(), GetCoordsFromCallback(caster, event).GetPosition());
}

void Skill_AttackProjectileAreaEffect::ActivateNow(Character& caster, const Name& event, unsigned targetId,
                                                   const WorldVec3& targetPoint)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    // The count is asked again after every shot; the bound keeps a kind's answer finite.
    for (unsigned i = 0; i < GetNumProjectiles() && i < kMaxAttackLaunchNumber; ++i) {
        const WorldCoords launch = GetLaunchPoint(caster, event);
        if (i > 0)
            services->ClearHitIteration();
        services->SendCreateProjectile(GetObjectId(), launch, targetId, targetPoint, NewSeed(), 0);
    }
}

void Skill_AttackProjectileAreaEffect::CreateProjectile(Character& caster, const WorldCoords& launch,
                                                        unsigned targetId, const WorldVec3& targetPoint,
                                                        unsigned flag, unsigned objectId, unsigned seed)
{
    if (flag != 0)
        PlayHitSound(launch.GetPosition());
    std::string name = GetSpecialProjectileName(objectId);
    if (name.empty())
        name = GetProjectileName();
    ProjectileOrder order = OrderOf(name, launch, targetId, targetPoint, objectId, seed);
    order.areaDuration = TruncateToInt(ModifiersOf(*this).activeDuration);
    ProjectileBase* projectile = MakeProjectile(*this, caster, order);
    if (projectile && !DoSpecialProjectileGo(caster, *projectile))
        projectile->ProjectileGo();
}

// ---- Burst ------------------------------------------------------------------------------------

Skill_AttackProjectileBurst::Skill_AttackProjectileBurst()
{
    m_kindText = "^bProjectile Burst Attack";
    m_secondary = true;
}

void Skill_AttackProjectileBurst::DrawShotTimer()
{
    m_shotTimerMs = gGameEngine ? gGameEngine->GetRandomGen().IGenerate(m_shortestIntervalMs, m_longestIntervalMs)
                                : m_shortestIntervalMs;
}

void Skill_AttackProjectileBurst::ActivateNow(Character& caster, const Name& event, unsigned targetId,
                                              const WorldVec3& targetPoint)
{
    if (SkillServicesBase* services = GetServices()) {
        const WorldVec3 aim = AimOf(targetId, targetPoint);
        const WorldCoords& own = caster.GetCoords();
        const WorldCoords facing(own.GetRegion(),
                                 Coords::LookAlong(own.GetRegionCoords().origin, aim - own.GetPosition(), kUp));
        m_burstCoords = WithPosition(facing, GetCoordsFromCallback(caster, event).GetPosition());
        const SkillProfile_Modifiers modifiers = ModifiersOf(*this);
        m_spread = std::isfinite(modifiers.projectileLaunchRotation) ? modifiers.projectileLaunchRotation : 0.0f;
        m_remainingShots = static_cast<int32_t>(LaunchNumber(modifiers));
        services->SendCreateProjectile(GetObjectId(), m_burstCoords, targetId, aim, NewSeed(), 0);
        --m_remainingShots;
        DrawShotTimer();
    }
    PlayHitSound(caster.GetCoords().GetPosition());
}

void Skill_AttackProjectileBurst::Update(Character& caster, int elapsedMs)
{
    Skill::Update(caster, elapsedMs);
    SkillServicesBase* services = GetServices();
    if (!services || m_remainingShots <= 0)
        return;
    m_shotTimerMs -= elapsedMs;
    if (m_shotTimerMs >= 0)
        return;
    const float yaw =
        gGameEngine ? gGameEngine->GetRandomGen().FGenerate(-m_spread, m_spread) : 0.0f;
    const WorldCoords launch = TurnedUp(m_burstCoords, yaw);
    services->ClearHitIteration();
    services->SendCreateProjectile(GetObjectId(), launch, 0, launch.GetPosition(), NewSeed(), 0);
    --m_remainingShots;
    DrawShotTimer();
}

void Skill_AttackProjectileBurst::StopSkill(Character& caster)
{
    Skill::StopSkill(caster);
    m_remainingShots = 0;
    m_shotTimerMs = 0;
}

void Skill_AttackProjectileBurst::CreateProjectile(Character& caster, const WorldCoords& launch, unsigned targetId,
                                                   const WorldVec3& targetPoint, unsigned, unsigned objectId,
                                                   unsigned seed)
{
    LaunchProjectile(*this, caster, OrderOf(GetProjectileName(), launch, targetId, targetPoint, objectId, seed));
}

// ---- Ring and fan -----------------------------------------------------------------------------

Skill_AttackProjectileRing::Skill_AttackProjectileRing()
{
    m_kindText = "^bProjectile Ring Attack";
    m_secondary = true;
    m_skillType = 1;
}

void Skill_AttackProjectileRing::ActivateNow(Character& caster, const Name&, unsigned, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    Coords centre = caster.GetCoords().GetRegionCoords();
    centre.origin += kUp;
    const WorldCoords raised(caster.GetRegion(), centre);
    const SkillProfile_Modifiers modifiers = ModifiersOf(*this);
    const unsigned count = std::max(LaunchNumber(modifiers), 1u);
    const float rotation = std::isfinite(modifiers.projectileLaunchRotation) ? modifiers.projectileLaunchRotation : 0.0f;
    const float step = rotation / static_cast<float>(count);
    float angle = -(rotation * 0.5f);
    std::vector<WorldCoords> shots;
    std::vector<uint32_t> ids;
    for (unsigned i = 0; i < count; ++i) {
        shots.push_back(TurnedUp(raised, angle));
        angle += step;
        ids.push_back(ObjectManager::Get().CreateObjectID());
    }
    services->SendSpawnObject(GetObjectId(), caster.GetCoords(), 0, shots, ids, NewSeed());
}

void Skill_AttackProjectileRing::SkillSpawnObject(Character& caster, const WorldCoords& coords, unsigned,
                                                  const std::vector<WorldCoords>& places,
                                                  const std::vector<uint32_t>& ids, unsigned seed)
{
    if (!ids.empty()) {
        SubtractManaCost();
        StartCooldown();
        PlayHitSound(coords.GetPosition());
    }
    const std::string name = GetProjectileName();
    const std::vector<uint32_t> usable = UsableSpawnIds(ids, GetObjectName().c_str());
    bool first = true;
    for (size_t i = 0; i < usable.size(); ++i) {
        const WorldCoords& launch = PlaceAt(places, i, coords);
        ProjectileOrder order = OrderOf(name, launch, 0, launch.GetPosition(), usable[i], seed);
        order.swipeSound = first;
        if (ProjectileBase* projectile = MakeProjectile(*this, caster, order)) {
            first = false;
            projectile->ProjectileGo();
        }
    }
}

Skill_AttackProjectileFan::Skill_AttackProjectileFan()
{
    m_kindText = "^bProjectile Fan Attack";
    m_skillType = 0;
}

// ---- Attack buff ------------------------------------------------------------------------------

Skill_AttackBuff::Skill_AttackBuff()
{
    m_kindText = "^bNegative Buff Enemy";
    m_secondary = true;
    m_repeatable = false;
}

void Skill_AttackBuff::Load(const LoadTable& table) { m_buffSkillName = LoadBuffRecord(*this, table); }

void Skill_AttackBuff::ActivateNow(Character& caster, const Name&, unsigned targetId, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services || !ObjectManager::Get().GetObject<Entity>(targetId) ||
        !IsTargetInRange(caster, targetId, kAttackBuffRange))
        return;
    services->SendTargetResult(GetObjectId(), {targetId}, caster.GetCoords(), NewSeed(), 0, false);
}

void Skill_AttackBuff::TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords&,
                                    unsigned, unsigned, bool)
{
    BuffTargets(*this, caster, targets, m_buffSkillName);
}

Skill_AttackBuffRadius::Skill_AttackBuffRadius() { m_kindText = "^bNegative Buff Enemies in Radius"; }

void Skill_AttackBuffRadius::ActivateNow(Character& caster, const Name&, unsigned targetId,
                                         const WorldVec3& targetPoint)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    const WorldVec3 centre = AimOf(targetId, targetPoint);
    const float radius = ModifiersOf(*this).targetRadius;
    std::vector<uint32_t> targets;
    if (radius > 0.0f) {
        if (gGameEngine)
            gGameEngine->GetTargetsInRadius(caster.GetTeam(), centre, radius, targets, 0, false);
    } else if (targetId != 0) {
        targets.push_back(targetId);
    }
    if (!targets.empty())
        services->SendTargetResult(GetObjectId(), targets, Unrotated(centre), NewSeed(), 0, false);
}

// ---- Melee without a weapon -------------------------------------------------------------------

Skill_AttackInherent::Skill_AttackInherent()
{
    m_kindText = "^bMelee Attack non weapon";
    m_primary = true;
    m_secondary = true;
}

void Skill_AttackInherent::ActivateNow(Character& caster, const Name& event, unsigned targetId,
                                       const WorldVec3& targetPoint)
{
    SkillActivated::ActivateNow(caster, event, targetId, targetPoint);
    ExecuteMeleeAttack(caster, targetId, targetPoint, 0);
}

void Skill_AttackInherent::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                        const WorldCoords& coords, unsigned seed, unsigned, bool)
{
    ApplyMeleeDamageInherent(caster, targets, coords, seed);
    ActivateSecondarySkills(caster, 0, targets, coords.GetPosition());
}

}  // namespace GAME
