#include "Game/skills/ProjectileBase.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/Random.h"
#include "Engine/WeaponTrail.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/Skill.h"
#include "Game/world/Decoration.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ProjectileBase, Actor)

namespace {

constexpr Vec3 kUp{0.0f, 1.0f, 0.0f};
constexpr Vec3 kSideAxis{1.0f, 0.0f, 0.0f};
// Longest time to live a record can ask for: a day, far beyond any flight.
constexpr float kMaxTimeToLiveSeconds = 86400.0f;
constexpr int32_t kMaxAreaDurationSeconds = 86400;

const char* const kSoundKeys[] = {"projectileHitSound", "projectileExplodingHitSound", "projectileSwipeSound",
                                  "projectileBounceSound", "projectileDestructSound"};

// True when a class of the subtree under `root` (the root included) bears the name,
// that is, when an object created by that name would be one of root's kind.
bool SubtreeHasClass(const RTTI_ClassInfo& root, const char* name)
{
    if (std::strcmp(root.GetName(), name) == 0)
        return true;
    for (int i = 0; i < root.GetChildCount(); ++i)
        if (SubtreeHasClass(*root.GetChild(i), name))
            return true;
    return false;
}

// True when the object's class or one of its ancestors bears the name (a class this
// library may not register).
bool HasClassNamed(const Object& object, const char* name)
{
    for (const RTTI_ClassInfo* info = &object.GetClassInfo(); info; info = info->GetParent())
        if (std::strcmp(info->GetName(), name) == 0)
            return true;
    return false;
}

// The point in `region`'s space; the point's own local position when it has no region.
Vec3 InRegion(const WorldVec3& point, const Region* region)
{
    if (!point.IsValid() || !region)
        return point.GetRegionPosition();
    return point.ToWorldSpace() - region->GetOffset();
}

// A record number of seconds as whole milliseconds, bounded.
int SecondsToMs(const LoadTable& table, const char* key)
{
    const float seconds = table.GetFloat(key, 0.0f);
    if (!std::isfinite(seconds)) {
        gEngine->Log(1, "Projectile: \"%s\" is not a finite number; 0 used", key);
        return 0;
    }
    return TruncateToInt(std::clamp(seconds, -kMaxTimeToLiveSeconds, kMaxTimeToLiveSeconds) * 1000.0f);
}

// A record or peer number that must be finite: 0 (logged) otherwise.
float FiniteOrZero(float value, const char* what)
{
    if (std::isfinite(value))
        return value;
    gEngine->Log(1, "Projectile: %s is not a finite number; 0 used", what);
    return 0.0f;
}

// A fragment count: one that came from a negative number is 0, one past the bound is cut
// to it (logged).
uint32_t BoundFragmentCount(uint32_t count)
{
    if (count > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        return 0;
    if (count > ProjectileBase::kMaxFragments) {
        gEngine->Log(1, "Projectile: a fragment count of %u is cut to %u", count, ProjectileBase::kMaxFragments);
        return ProjectileBase::kMaxFragments;
    }
    return count;
}

}  // namespace

ProjectileBase::ProjectileBase() = default;

ProjectileBase::~ProjectileBase()
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t& id : m_sounds) {
        if (SoundPak* sound = objects.GetObject<SoundPak>(id))
            objects.DestroyObjectEx(sound, "ProjectileBase", __LINE__);
        id = 0;
    }
    for (uint32_t* id : {&m_impactFxPreload, &m_explodingImpactFxPreload}) {
        if (Object* effect = objects.GetObject(*id))
            objects.DestroyObjectEx(effect, "ProjectileBase", __LINE__);
        *id = 0;
    }
    DestroyTrails();
}

// ---- record -----------------------------------------------------------------------------

float ProjectileBase::ReadVelocity(const LoadTable& table)
{
    return FiniteOrZero(table.GetFloat("projectileVelocity", 0.0f), "\"projectileVelocity\"");
}

void ProjectileBase::Load(const LoadTable& table)
{
    Actor::Load(table);
    ObjectManager& objects = ObjectManager::Get();
    m_velocity = ReadVelocity(table);
    m_distance = FiniteOrZero(table.GetFloat("projectileDistance", 0.0f), "\"projectileDistance\"");
    m_hitTimeToLiveMs = SecondsToMs(table, "projectileHitTimeToLive");
    m_missTimeToLiveMs = SecondsToMs(table, "projectileMissTimeToLive");
    for (int i = 0; i < kSoundCount; ++i) {
        if (SoundPak* old = objects.GetObject<SoundPak>(m_sounds[i]))
            objects.DestroyObjectEx(old, "ProjectileBase", __LINE__);
        m_sounds[i] = 0;
        const std::string name = table.GetString(kSoundKeys[i], "");
        if (!name.empty())
            if (const SoundPak* sound = objects.CreateObjectFromFile<SoundPak>(name))
                m_sounds[i] = sound->GetObjectId();
    }
    m_launchAngle = table.GetFloat("launchAngle", 0.0f);
    // The record's value (5.0 when it has none) always replaces the constructor's.
    m_notificationRadius = table.GetFloat("notificationRadius", 5.0f);
    if (!std::isfinite(m_notificationRadius) || m_notificationRadius < 0.0f) {
        gEngine->Log(1, "Projectile: \"notificationRadius\" is not a number of 0 or more; 5.0 used");
        m_notificationRadius = 5.0f;
    }
    m_weaponTrailName = table.GetString("projectileWeaponTrail", "");
    m_flightFxName = table.GetString("projectileFlightFX", "");
    m_flightFx.LoadFX(m_flightFxName);
    m_impactFxName = table.GetString("projectileImpactFX", "");
    m_explodingImpactFxName = table.GetString("projectileExplodingImpactFX", "");
    // The impact effects are made here only to be preloaded; each impact makes its own.
    for (auto [name, id] : {std::pair{&m_impactFxName, &m_impactFxPreload},
                            std::pair{&m_explodingImpactFxName, &m_explodingImpactFxPreload}}) {
        if (Object* old = objects.GetObject(*id))
            objects.DestroyObjectEx(old, "ProjectileBase", __LINE__);
        *id = 0;
        if (!name->empty())
            if (const EffectEntity* effect = objects.CreateObjectFromFile<EffectEntity>(*name))
                *id = effect->GetObjectId();
    }
    m_launchAnimation = std::make_unique<AnimationSingle>();
    m_flightAnimation = std::make_unique<AnimationSingle>();
    const std::string launch = table.GetString("projectileLaunchAnimation", "");
    if (!launch.empty())
        m_launchAnimation->AddAnimation(launch, table.GetFloat("projectileLaunchAnimationSpeed", 0.0f), 1.0f, "");
    const std::string flight = table.GetString("projectileFlightAnimation", "");
    if (!flight.empty())
        m_flightAnimation->AddAnimation(flight, table.GetFloat("projectileFlightAnimationSpeed", 0.0f), 1.0f, "");
}

void ProjectileBase::PreLoad(bool preloadNow)
{
    Actor::PreLoad(preloadNow);
    for (int i = 0; i < kSoundCount; ++i)
        if (SoundPak* sound = Sound(static_cast<SoundIndex>(i)))
            sound->PreLoad(preloadNow);
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : {m_impactFxPreload, m_explodingImpactFxPreload})
        if (Object* effect = objects.GetObject(id))
            effect->PreLoad(preloadNow);
    m_flightFx.PreLoad();
}

float ProjectileBase::GetRecordTotalSpeed(const std::string& recordName)
{
    if (recordName.empty())
        return 0.0f;
    const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName);
    if (!table || !SubtreeHasClass(classInfo, table->GetString("Class", "")))
        return 0.0f;
    return TotalSpeed(ReadVelocity(*table), 0.0f);
}

float ProjectileBase::GetLaunchAngle() const
{
    if (!(m_launchAngle >= kMinLaunchAngle))   // not a number too
        return kMinLaunchAngle;
    return std::min(m_launchAngle, kMaxLaunchAngle);
}

void ProjectileBase::LoadInfo(const ProjectileInfo& info, uint32_t seed)
{
    m_info = info;
    // The info may come from a peer's command: numbers that size or scale are bounded.
    m_info.piercingChance = FiniteOrZero(m_info.piercingChance, "the piercing chance");
    m_info.speedBonus = FiniteOrZero(m_info.speedBonus, "the speed bonus");
    m_info.areaDuration = std::clamp(m_info.areaDuration, 0, kMaxAreaDurationSeconds);
    m_random.Seed(seed);
}

// ---- frame ------------------------------------------------------------------------------

void ProjectileBase::UpdateSelf(int elapsedMs)
{
    Actor::UpdateSelf(elapsedMs);
    if (m_trailSwitchPending) {
        m_trailSwitchPending = 0;
        SwitchWeaponTrail(m_weaponTrailName);
        return;
    }
    if (m_deleted)
        return;
    if (m_notificationTimerMs >= 0)
        m_notificationTimerMs -= elapsedMs;
    if (m_notificationTimerMs < 0) {
        m_notificationTimerMs = m_notificationPeriodMs;
        NotifyMonsters();
    }
}

void ProjectileBase::NotifyMonsters()
{
    const Character* caster = ObjectManager::Get().GetObject<Character>(m_info.casterId);
    const WorldVec3 position = GetCoords().GetPosition();
    if (!caster || !position.IsValid())
        return;
    thread_local std::vector<Entity*> found;
    found.clear();
    World::Get().GetEntitiesInSphere(found, position.GetRegion(),
                                     Sphere{position.GetRegionPosition(), m_notificationRadius}, EntityList_Dynamic);
    const Team team = caster->GetTeam();
    // The list is this function's own: a notified monster's own queries leave it alone.
    for (Entity* entity : found)
        if (Character* character = DynamicCast<Character>(entity))
            if (team.IsFoe(character->GetTeam()))
                character->ProjectileNotification(GetObjectId());
}

void ProjectileBase::CollisionCallback(const CollisionData& collision)
{
    m_animationState = kAnimationNone;
    SetGravity(true);
    SetPhysicsType(0);
    RemoveFromSimulation();
    if (Character* caster = ObjectManager::Get().GetObject<Character>(m_info.casterId))
        caster->ProjectileCollisionCallback(m_info, collision);
}

bool ProjectileBase::CanCollide(const Entity* other) const
{
    return other && (other->IsA<Decoration>() || other->IsA<Tile>() || HasClassNamed(*other, "FixedItemDoor"));
}

void ProjectileBase::AnimationCallback(const Name& event)
{
    Actor::AnimationCallback(event);
    if (event == EndEvent() && m_animationState == kAnimationLaunch) {
        m_animationState = kAnimationFlight;
        if (m_flightAnimation)
            m_flightAnimation->PlayAnimation(*this, Name(), 1.0f, true, 0);
    }
}

void ProjectileBase::StartLaunchAnimation()
{
    m_animationState = kAnimationLaunch;
    if (m_launchAnimation && m_launchAnimation->PlayAnimation(*this, Name(), 1.0f, false, 0))
        return;
    m_animationState = kAnimationFlight;
    if (m_flightAnimation)
        m_flightAnimation->PlayAnimation(*this, Name(), 1.0f, true, 0);
}

// ---- flight -----------------------------------------------------------------------------

void ProjectileBase::ProjectileGo() { m_lastPathPoint = m_info.launchCoords.GetPosition(); }

WorldVec3 ProjectileBase::GetHitPoint(const Character& character) const
{
    return character.GetAttachPointPosition(Name(m_hitPointName));
}

void ProjectileBase::SetFlightVelocity(const Vec3& velocity)
{
    if (!std::isfinite(velocity.x) || !std::isfinite(velocity.y) || !std::isfinite(velocity.z)) {
        gEngine->Log(1, "Projectile %u: launch velocity is not a finite number; it stays still", GetObjectId());
        SetLinearVelocity(Vec3{});
        return;
    }
    SetLinearVelocity(velocity);
}

void ProjectileBase::ApplyFumbleDamage()
{
    const Character* caster = ObjectManager::Get().GetObject<Character>(m_info.casterId);
    if (!caster)
        return;
    const float fumble = caster->GetFumbleDamage();
    const float projectileFumble = caster->GetProjectileFumbleDamage();
    if (fumble <= 0.0f && projectileFumble <= 0.0f)
        return;
    const float r1 = m_random.FGenerate(0.0f, 100.0f);
    const float r2 = m_random.FGenerate(0.0f, 100.0f);
    if (r1 > fumble && r2 > projectileFumble)
        return;
    float yaw = m_random.FGenerate(10.0f, 20.0f);
    float pitch = m_random.FGenerate(5.0f, 10.0f);
    switch (m_random.IGenerate(0, 3)) {
    case 0: yaw = -yaw; break;
    case 1: pitch = -pitch; break;
    case 2: yaw = -yaw; pitch = -pitch; break;
    default: break;
    }
    const Coords turned = TurnedAbout(TurnedAbout(GetCoords().GetRegionCoords(), kUp, yaw), kSideAxis, pitch);
    World::Get().SetCoords(this, WorldCoords(GetRegion(), turned));
}

void ProjectileBase::MoveStraightLine(const WorldVec3& target)
{
    Region* region = GetRegion();
    if (!region || !target.IsValid()) {
        MoveStraightLine();
        return;
    }
    SetGravity(false);
    SetPhysicsType(kPhysicsTypeDynamic);
    const Vec3 from = GetCoords().GetRegionCoords().origin;
    World::Get().SetCoords(this, WorldCoords(region, Coords::LookAt(from, InRegion(target, region), kUp)));
    ApplyFumbleDamage();
    SetFlightVelocity(GetCoords().GetRegionCoords().zAxis * GetTotalSpeed());
}

void ProjectileBase::MoveStraightLine()
{
    SetGravity(false);
    SetPhysicsType(kPhysicsTypeDynamic);
    ApplyFumbleDamage();
    SetFlightVelocity(GetCoords().GetRegionCoords().zAxis * m_velocity);
}

float ProjectileBase::BallisticSpeed(float angleRadians, float d, float h)
{
    if (d < 0.0001f)
        return 0.0001f;
    const float cosine = std::cos(angleRadians);
    const float denominator = 2.0f * cosine * cosine * (d * std::tan(angleRadians) - h);
    // No arc at this angle reaches a target above it: the root would not be a number.
    if (!(denominator > 0.0f))
        return std::numeric_limits<float>::quiet_NaN();
    const float speed = std::sqrt(d * d * PhysicsEngine::kGravity / denominator);
    return std::isfinite(speed) ? speed : std::numeric_limits<float>::quiet_NaN();
}

void ProjectileBase::MoveTrajectory(const WorldVec3& target, float angleRadians, bool spin)
{
    Region* region = GetRegion();
    if (!region)
        return;
    const Coords& present = GetCoords().GetRegionCoords();
    const Vec3 start = present.origin;
    const Vec3 received = target.IsValid() ? InRegion(target, region) : start;
    Vec3 aim = received;
    if ((aim - start).LengthSquared() <= 0.0001f)
        aim = start + present.zAxis * m_distance;
    Coords facing = Coords::LookAt(start, Vec3{aim.x, start.y, aim.z}, kUp);
    const auto horizontal = [&](const Vec3& point) {
        const float dx = point.x - start.x;
        const float dz = point.z - start.z;
        return std::sqrt(dx * dx + dz * dz);
    };
    float angle = angleRadians;
    float speed = BallisticSpeed(angle, horizontal(aim), aim.y - start.y);
    if (!(speed >= std::min(m_velocity, 5.0f))) {   // too slow, or no arc at all
        angle = 0.1f * kDegreesToRadians;
        speed = BallisticSpeed(angle, horizontal(received), received.y - start.y);
        if (!std::isfinite(speed)) {
            // Out of reach even at a flat arc: thrown straight at the aim point.
            angle = 0.0f;
            speed = m_velocity;
            facing = Coords::LookAt(start, aim, kUp);
        }
    }
    World::Get().SetCoords(this, WorldCoords(region, TurnedAbout(facing, kSideAxis, -RadiansToDegrees(angle))));
    ApplyFumbleDamage();
    SetGravity(true);
    SetPhysicsType(kPhysicsTypeDynamic);
    SetFlightVelocity(GetCoords().GetRegionCoords().zAxis * speed);
    if (spin) {
        // The tumble is for the eye only: drawn from the process-wide source, not the
        // projectile's own generator, so the peers' rolls stay in step.
        const float x = RandFloat(-10.0f, 10.0f);
        const float y = RandFloat(-10.0f, 10.0f);
        const float z = RandFloat(-10.0f, 10.0f);
        SetAngularVelocity(Vec3{x, y, z});
    }
}

// ---- effects and sounds -----------------------------------------------------------------

EffectEntity* ProjectileBase::GetFlightFx() const { return m_flightFx.GetEffect(); }

void ProjectileBase::StartFlightFx()
{
    // The effect rides on the projectile until it is released.
    if (EffectEntity* effect = GetFlightFx(); effect && !effect->IsAttachedTo(this))
        Attach(effect, Coords(), Name());
    m_flightFx.StartFx();
}

void ProjectileBase::StopFlightFx()
{
    m_flightFx.StopFx();
}

bool ProjectileBase::IsFlightFxRunning() const
{
    const EffectEntity* effect = GetFlightFx();
    return effect && effect->IsEmitting();
}

SoundPak* ProjectileBase::Sound(SoundIndex index) const
{
    return ObjectManager::Get().GetObject<SoundPak>(m_sounds[index]);
}

void ProjectileBase::PlaySound(SoundIndex index, const WorldVec3& where, bool follow)
{
    SoundPak* sound = Sound(index);
    if (!sound)
        return;
    sound->Play(where);
    if (follow)
        sound->Track(GetObjectId());
}

void ProjectileBase::PlaySwipeSound(const WorldVec3& where) { PlaySound(kSwipeSound, where, true); }
void ProjectileBase::PlayBounceSound(const WorldVec3& where) { PlaySound(kBounceSound, where, true); }
void ProjectileBase::PlayHitSound(const WorldVec3& where) { PlaySound(kHitSound, where, false); }
void ProjectileBase::PlayExplodingHitSound(const WorldVec3& where) { PlaySound(kExplodingHitSound, where, false); }
void ProjectileBase::PlayDestructSound(const WorldVec3& where) { PlaySound(kDestructSound, where, false); }

void ProjectileBase::CreateEffectAt(const std::string& name)
{
    if (name.empty())
        return;
    EffectEntity* effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(name);
    if (!effect)
        return;
    Coords place;
    place.origin = GetCoords().GetRegionCoords().origin;
    effect->StartEmitting();
    if (!effect->AddToWorld(WorldCoords(GetRegion(), place), true))
        ObjectManager::Get().DestroyObjectEx(effect, "ProjectileBase", __LINE__);
}

void ProjectileBase::CreateImpactFx() { CreateEffectAt(m_impactFxName); }
void ProjectileBase::CreateExploadingImpactFx() { CreateEffectAt(m_explodingImpactFxName); }

// ---- weapon trails ----------------------------------------------------------------------

int ProjectileBase::CountWeaponTrails() const
{
    static const Name anchor1("Anchor1");
    static const Name anchor3("Anchor3");
    if (GetAttachPointOffset(anchor1) == Vec3{})
        return 0;
    return GetAttachPointOffset(anchor3) == Vec3{} ? 1 : 2;
}

WeaponTrail* ProjectileBase::GetWeaponTrail(int index) const
{
    if (index < 0 || index > 1)
        return nullptr;
    return ObjectManager::Get().GetObject<WeaponTrail>(m_trails[index]);
}

void ProjectileBase::DestroyTrails()
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t& id : m_trails) {
        if (WeaponTrail* trail = objects.GetObject<WeaponTrail>(id)) {
            Detach(trail);
            objects.DestroyObjectEx(trail, "ProjectileBase", __LINE__);
        }
        id = 0;
    }
}

void ProjectileBase::SwitchWeaponTrail(const std::string& name)
{
    m_trailCount = CountWeaponTrails();
    DestroyTrails();
    for (int i = 0; i < m_trailCount && !name.empty(); ++i) {
        // A record of another class makes nothing (logged by the object manager).
        WeaponTrail* trail = ObjectManager::Get().CreateObjectFromFile<WeaponTrail>(name);
        if (!trail)
            continue;
        trail->SetPointSetIndex(i);
        trail->SetBBox(GetRegionBoundingBox());
        Attach(trail, Coords(), Name());
        m_trails[i] = trail->GetObjectId();
    }
    EnableWeaponTrail();
}

void ProjectileBase::EnableWeaponTrail()
{
    for (int i = 0; i < 2; ++i)
        if (WeaponTrail* trail = GetWeaponTrail(i))
            trail->Start();
}

void ProjectileBase::DisableWeaponTrail()
{
    for (int i = 0; i < 2; ++i)
        if (WeaponTrail* trail = GetWeaponTrail(i))
            trail->Stop();
}

// ---- end of life ------------------------------------------------------------------------

void ProjectileBase::DeleteProjectile()
{
    if (m_deleted)
        return;
    m_deleted = true;
    ObjectManager& objects = ObjectManager::Get();
    // A flight effect still showing is left where the projectile ends, to fade out on its
    // own; one that has stopped is destroyed.
    Coords place;
    place.origin = GetCoords().GetRegionCoords().origin;
    m_flightFx.ReleaseFx(WorldCoords(GetRegion(), place));
    World::Get().RemoveEntity(this);
    objects.DestroyObjectEx(this, "ProjectileBase", __LINE__);
}

// ---- hit processing ---------------------------------------------------------------------

void ProjectileBase::AddProjectileModifier(const ProjectileModifierStruct& modifier)
{
    if (m_modifiers.size() >= kMaxModifiers) {
        gEngine->Log(1, "Projectile %u: more than %zu modifiers; the one of skill %u is dropped", GetObjectId(),
                     kMaxModifiers, modifier.skillId);
        return;
    }
    ProjectileModifierStruct bounded = modifier;
    bounded.explosionRadius = FiniteOrZero(bounded.explosionRadius, "an explosion radius");
    bounded.piercingChance = FiniteOrZero(bounded.piercingChance, "a piercing chance");
    bounded.fragmentsMin = BoundFragmentCount(bounded.fragmentsMin);
    bounded.fragmentsMax = BoundFragmentCount(bounded.fragmentsMax);
    m_piercingEntries.push_back(bounded);
    m_modifiers.push_back(std::make_unique<ModifierRecord>());
    ModifierRecord* record = m_modifiers.back().get();
    record->modifier = std::move(bounded);
    const ProjectileModifierStruct& stored = record->modifier;
    if (!stored.fragmentProjectile.empty()) {
        m_fragmentationModifiers.push_back(record);
        // Another skill's fragments only split the projectile; its explosions and path
        // hits are its own projectiles' business.
        if (stored.skillId != m_info.skillId)
            return;
    }
    if (stored.explosionRadius > 0.0f)
        m_explosionModifiers.push_back(record);
    m_pathModifiers.push_back(record);
}

void ProjectileBase::SetFilteredTargets(const std::vector<uint32_t>& ids)
{
    // Every record sits in at least one of the path, explosion and fragmentation lists.
    for (const auto& record : m_modifiers)
        record->knownTargets.insert(record->knownTargets.end(), ids.begin(), ids.end());
}

uint32_t ProjectileBase::FindClosestTarget(const std::vector<uint32_t>& ids, const WorldVec3& point)
{
    uint32_t best = 0;
    float bestDistance = kPositiveInfinity;
    for (uint32_t id : ids) {
        const Entity* entity = ObjectManager::Get().GetObject<Entity>(id);
        if (!entity)
            continue;
        const float distance = (entity->GetCoords().GetPosition() - point).Length() - entity->GetBoundingRadius();
        if (best == 0 || distance < bestDistance) {
            best = id;
            bestDistance = distance;
        }
    }
    return best;
}

float ProjectileBase::GetPiercingModifier(uint32_t skillId) const
{
    float sum = 0.0f;
    for (const ProjectileModifierStruct& entry : m_piercingEntries)
        if (entry.skillId == skillId)
            sum += entry.piercingChance;
    return sum;
}

bool ProjectileBase::RollPiercing()
{
    const float r = m_random.FGenerate(0.1f, 100.0f);
    return r < GetPiercingModifier(m_info.skillId) + m_info.piercingChance;
}

void ProjectileBase::FilterAndAddKnownTargets(const std::vector<uint32_t>& candidates, std::vector<uint32_t>& known,
                                              std::vector<uint32_t>& out, bool firstOnly)
{
    for (uint32_t id : candidates) {
        if (std::find(known.begin(), known.end(), id) != known.end())
            continue;
        known.push_back(id);
        out.push_back(id);
        if (firstOnly)
            return;
    }
}

void ProjectileBase::GetTargetsAlongPath(std::vector<uint32_t>& out, bool firstOnly)
{
    const WorldVec3 current = GetFlightCoords().GetPosition();
    if (!current.IsValid())
        return;
    if (!m_lastPathPoint.IsValid())
        m_lastPathPoint = current;
    const Vec3 travelled = current - m_lastPathPoint;
    const float length = travelled.Length();
    // Standing still, the ray looks one unit along the facing.
    const Vec3 direction = length > 1e-6f ? travelled * (1.0f / length) : GetFlightCoords().GetRegionCoords().zAxis;
    const WorldRay ray{m_lastPathPoint, direction};
    m_lastPathPoint = current;
    if (!gGameEngine)
        return;
    thread_local std::vector<unsigned> found;
    found.clear();
    gGameEngine->GetTargetsAlongRay(m_info.team, ray, std::max(length, 1.0f), found, m_info.casterId,
                                    m_info.friends != 0);
    if (firstOnly && found.size() > 1)
        found.resize(1);
    out.insert(out.end(), found.begin(), found.end());
}

void ProjectileBase::ProcessPathTargets(bool firstOnly, std::vector<uint32_t>& hits)
{
    std::vector<uint32_t> candidates;
    GetTargetsAlongPath(candidates, false);
    if (candidates.empty() || m_pathModifiers.empty())
        return;
    const WorldCoords coords = GetFlightCoords();
    // By index: a skill told of its targets may attach another modifier.
    for (size_t i = 0; i < m_pathModifiers.size(); ++i) {
        ModifierRecord* record = m_pathModifiers[i];
        std::vector<uint32_t> found;
        FilterAndAddKnownTargets(candidates, record->knownTargets, found, firstOnly);
        const uint32_t skillId = record->modifier.skillId;
        if (skillId == m_info.skillId)
            hits = found;
        if (Skill* skill = ObjectManager::Get().GetObject<Skill>(skillId))
            skill->TargetInformation(m_info, coords, std::move(found));
    }
}

bool ProjectileBase::ProcessExplosion(bool allTargets, const WorldCoords& coords)
{
    if (m_explosionModifiers.empty())
        return false;
    for (size_t i = 0; i < m_explosionModifiers.size(); ++i) {
        ModifierRecord* record = m_explosionModifiers[i];
        std::vector<uint32_t> candidates;
        if (gGameEngine)
            gGameEngine->GetTargetsInRadius(m_info.team, coords.GetPosition(), record->modifier.explosionRadius,
                                            candidates, m_info.casterId, m_info.friends != 0);
        std::vector<uint32_t> targets;
        if (allTargets)
            targets = std::move(candidates);
        else
            FilterAndAddKnownTargets(candidates, record->knownTargets, targets, false);
        if (Skill* skill = ObjectManager::Get().GetObject<Skill>(record->modifier.skillId))
            skill->TargetInformation(m_info, coords, std::move(targets));
    }
    return true;
}

void ProjectileBase::ProcessFragmentation(uint32_t struckId, const WorldCoords& coords)
{
    bool firstFragment = true;
    for (size_t i = 0; i < m_fragmentationModifiers.size(); ++i) {
        // A copy: the fragments' own calls must not reach into this list.
        const ProjectileModifierStruct modifier = m_fragmentationModifiers[i]->modifier;
        const int count = m_random.IGenerate(static_cast<int>(modifier.fragmentsMin),
                                             static_cast<int>(modifier.fragmentsMax));
        if (modifier.fragmentProjectile.empty() || count <= 0)
            continue;
        const int step = 360 / count;
        int angle = 0;
        for (int k = 0; k < count; ++k) {
            angle += step + m_random.IGenerate(-30, 30);
            const WorldCoords turned(coords.GetRegion(),
                                     TurnedAbout(coords.GetRegionCoords(), kUp, static_cast<float>(angle)));
            ProjectileBase* fragment =
                ObjectManager::Get().CreateObjectFromFile<ProjectileBase>(modifier.fragmentProjectile);
            if (!fragment) {
                gEngine->Log(1, "Failed to spawn projectile fragments (%s)", modifier.fragmentProjectile.c_str());
                continue;
            }
            ProjectileInfo info;
            info.skillId = modifier.skillId;
            info.casterId = m_info.casterId;
            info.launchCoords = turned;
            info.targetPoint = turned.GetPosition();
            info.team = m_info.team;
            info.piercingChance = modifier.piercingChance;
            fragment->LoadInfo(info, static_cast<uint32_t>(m_random.IGenerate(1, 32767)));
            ProjectileModifierStruct own;
            own.skillId = modifier.skillId;
            own.explosionRadius = modifier.explosionRadius;
            fragment->AddProjectileModifier(own);
            fragment->SetFilteredTargets({struckId});
            if (firstFragment) {
                fragment->PlaySwipeSound(coords.GetPosition());
                firstFragment = false;
            }
            fragment->ProjectileGo();
        }
    }
}

}  // namespace GAME
