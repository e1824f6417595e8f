#include "Game/skills/ProjectileKinds.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/Skill.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ProjectileAreaEffect, ProjectileBase)
GAME_IMPLEMENT_CLASS(ProjectileArrowLike, ProjectileBase)
GAME_IMPLEMENT_CLASS(ProjectileExploding, ProjectileBase)
GAME_IMPLEMENT_CLASS(ProjectileFireballLike, ProjectileBase)
GAME_IMPLEMENT_CLASS(ProjectileGrenade, ProjectileBase)
GAME_IMPLEMENT_CLASS(ProjectileTelekinesis, ProjectileBase)
GAME_IMPLEMENT_CLASS(ProjectileTerrainFollowing, ProjectileFireballLike)

namespace {

constexpr Vec3 kUp{0.0f, 1.0f, 0.0f};

WorldVec3 PositionOf(const Entity& entity) { return entity.GetCoords().GetPosition(); }

// The projectile's coordinates with a new origin (same region).
WorldCoords MovedTo(const Entity& entity, const Vec3& origin)
{
    Coords coords = entity.GetCoords().GetRegionCoords();
    coords.origin = origin;
    return WorldCoords(entity.GetRegion(), coords);
}

// Places the projectile at its launch coordinates and flies it straight at its aim: the
// target character's hit point, else the info's target point. A point nearer than the
// minimum aim distance is not aimed at (the projectile keeps its facing); a character
// always is. Its flight effect and launch animation start.
void AimedStraightLaunch(ProjectileBase& projectile, float minAimDistance)
{
    const ProjectileInfo& info = projectile.GetInfo();
    World::Get().AddEntity(&projectile, info.launchCoords);
    const Character* target = ObjectManager::Get().GetObject<Character>(info.targetId);
    const WorldVec3 aim = target ? projectile.GetHitPoint(*target) : info.targetPoint;
    const bool farEnough = aim.IsValid() && (aim - PositionOf(projectile)).Length() >= minAimDistance;
    if (target || farEnough)
        projectile.MoveStraightLine(aim);
    else
        projectile.MoveStraightLine();
    projectile.StartFlightFx();
    projectile.StartLaunchAnimation();
}

// Places the projectile at its launch coordinates and throws it, tumbling, in an arc at
// the target entity's position, else at the info's target point. Its flight effect and
// launch animation start.
void BallisticLaunch(ProjectileBase& projectile)
{
    const ProjectileInfo& info = projectile.GetInfo();
    World::Get().AddEntity(&projectile, info.launchCoords);
    const Entity* target = ObjectManager::Get().GetObject<Entity>(info.targetId);
    const WorldVec3 aim = target ? PositionOf(*target) : info.targetPoint;
    projectile.MoveTrajectory(aim, projectile.GetLaunchAngle() * kDegreesToRadians, true);
    projectile.StartFlightFx();
    projectile.StartLaunchAnimation();
}

// Each struck character: an explosion around it (new targets only), its sound, and the
// fragments, which never report it. With `effectPerHit` each hit also shows its own
// impact effect (the grenade). True when any hit exploded.
bool ProcessHits(ProjectileBase& projectile, const std::vector<uint32_t>& hits, bool effectPerHit)
{
    bool anyExploded = false;
    for (uint32_t id : hits) {
        const Character* character = ObjectManager::Get().GetObject<Character>(id);
        if (!character)
            continue;
        const WorldCoords coords = character->GetCoords();
        const bool exploded = projectile.ProcessExplosion(false, coords);
        if (exploded) {
            projectile.PlayExplodingHitSound(coords.GetPosition());
            if (effectPerHit)
                projectile.CreateExploadingImpactFx();
        } else {
            projectile.PlayHitSound(coords.GetPosition());
            if (effectPerHit)
                projectile.CreateImpactFx();
        }
        anyExploded = anyExploded || exploded;
        projectile.ProcessFragmentation(id, coords);
    }
    return anyExploded;
}

enum class FlightResult { kFlyOn, kStopOnHit, kStopAtDistance };

// The flight test of the straight kinds: the piercing roll, the path test, the struck
// characters, and whether the projectile stops on a hit or at the end of its distance.
FlightResult FlightTest(ProjectileBase& projectile)
{
    const bool piercing = projectile.RollPiercing();
    std::vector<uint32_t> hits;
    projectile.ProcessPathTargets(!piercing, hits);
    if (!hits.empty()) {
        if (ProcessHits(projectile, hits, false))
            projectile.CreateExploadingImpactFx();
        else
            projectile.CreateImpactFx();
        if (!piercing)
            return FlightResult::kStopOnHit;
    }
    const float flown = (PositionOf(projectile) - projectile.GetInfo().launchCoords.GetPosition()).Length();
    return flown < projectile.GetDistance() ? FlightResult::kFlyOn : FlightResult::kStopAtDistance;
}

// An effect or other entity made from a record and left in the world at the coordinates;
// an effect emits and ends itself.
void PlaceRecordEntity(const std::string& name, const WorldCoords& coords)
{
    if (name.empty() || !coords.IsValid())
        return;
    ObjectManager& objects = ObjectManager::Get();
    Entity* entity = objects.CreateObjectFromFile<Entity>(name);
    if (!entity)
        return;
    bool placed = false;
    if (auto* effect = DynamicCast<EffectEntity>(entity)) {
        effect->StartEmitting();
        placed = effect->AddToWorld(coords, true);
    } else {
        placed = World::Get().AddEntity(entity, coords);
    }
    if (!placed)
        objects.DestroyObjectEx(entity, "ProjectileKinds", __LINE__);
}

}  // namespace

// ---- area effect ------------------------------------------------------------------------

ProjectileAreaEffect::ProjectileAreaEffect()
{
    m_timer.Reset();
    static_cast<void>(m_timer.GetTotalElapsedTime());
}

void ProjectileAreaEffect::Load(const LoadTable& table)
{
    ProjectileBase::Load(table);
    m_areaEffectName = table.GetString("areaEffect", "");
}

void ProjectileAreaEffect::ProjectileGo()
{
    ProjectileBase::ProjectileGo();
    const ProjectileInfo& info = GetInfo();
    const Entity* target = ObjectManager::Get().GetObject<Entity>(info.targetId);
    const WorldVec3 position = target ? PositionOf(*target) : info.targetPoint;
    if (!position.IsValid()) {
        gEngine->Log(1, "Projectile %u: an area effect has no place to lie; deleted", GetObjectId());
        m_state = kStateStopped;
        DeleteProjectile();
        return;
    }
    Coords coords = info.launchCoords.GetRegionCoords();
    coords.origin = position.GetRegionPosition();
    const WorldCoords place(position.GetRegion(), coords);
    World::Get().AddEntity(this, place);
    // The area duration is bounded by LoadInfo, so the product fits.
    m_lifeTimerMs = info.areaDuration * 1000;
    m_pulseTimerMs = m_pulseIntervalMs < m_lifeTimerMs ? m_pulseIntervalMs : 0;
    StartFlightFx();
    StartLaunchAnimation();
    m_state = kStatePulsing;
    UpdateSelf(0);
    PlaceRecordEntity(m_areaEffectName, place);
}

void ProjectileAreaEffect::UpdateSelf(int elapsedMs)
{
    ProjectileBase::UpdateSelf(elapsedMs);
    m_timer.Update();
    const int elapsed = static_cast<int>(std::min<uint32_t>(m_timer.GetElapsedTime(), 1u << 30));
    m_pulseTimerMs -= elapsed;
    m_lifeTimerMs -= elapsed;
    if (m_state != kStatePulsing || IsDeleted())
        return;
    if (m_lifeTimerMs < 1 && elapsed >= 1) {
        ProjectileStop();
        return;
    }
    if (m_pulseTimerMs < 1) {
        m_pulseTimerMs = m_pulseIntervalMs;
        Pulse();
    }
}

void ProjectileAreaEffect::Pulse()
{
    const WorldCoords coords = GetCoords();
    ProcessExplosion(true, coords);
    SetFilteredTargets({});
    ProcessFragmentation(0, coords);
    ProcessFriendsInArea();
}

void ProjectileAreaEffect::ProcessFriendsInArea()
{
    if (!gGameEngine)
        return;
    const ProjectileInfo& info = GetInfo();
    const WorldCoords coords = GetCoords();
    // By index and by value: a skill told of its friends may attach another modifier.
    for (size_t i = 0; i < GetPiercingEntries().size(); ++i) {
        const ProjectileModifierStruct entry = GetPiercingEntries()[i];
        if (!(entry.explosionRadius > 0.0f))
            continue;
        std::vector<uint32_t> friends;
        gGameEngine->GetTargetsInRadius(info.team, coords.GetPosition(), entry.explosionRadius, friends, 0, true);
        if (friends.empty())
            continue;
        if (Skill* skill = ObjectManager::Get().GetObject<Skill>(entry.skillId))
            skill->TargetFriendInformation(info, coords, std::move(friends));
    }
}

void ProjectileAreaEffect::ProjectileStop()
{
    StopFlightFx();
    CreateImpactFx();
    PlayHitSound(PositionOf(*this));
    m_state = kStateStopped;
    DeleteProjectile();
}

void ProjectileAreaEffect::PlaySwipeSound(const WorldVec3& /*where*/)
{
    ProjectileBase::PlaySwipeSound(GetInfo().targetPoint);
}

// ---- arrow-like -------------------------------------------------------------------------

void ProjectileArrowLike::ProjectileGo()
{
    ProjectileBase::ProjectileGo();
    AimedStraightLaunch(*this, m_minAimDistance);
    m_state = kStateFlying;
    UpdateSelf(0);
}

void ProjectileArrowLike::UpdateSelf(int elapsedMs)
{
    ProjectileBase::UpdateSelf(elapsedMs);
    m_lingerMs -= elapsedMs;
    if (IsDeleted())
        return;
    if (m_state == kStateFlying) {
        switch (FlightTest(*this)) {
        case FlightResult::kStopOnHit:
        case FlightResult::kStopAtDistance:
            ProjectileStop(0);
            break;
        case FlightResult::kFlyOn:
            break;
        }
    } else if (m_state == kStateLingering && m_lingerMs <= 0) {
        StopFlightFx();
        m_state = kStateDeleted;
        DeleteProjectile();
    }
}

void ProjectileArrowLike::ProjectileStop(int lingerMs)
{
    SetLinearVelocity(Vec3{});
    m_lingerMs = lingerMs;
    m_state = kStateLingering;
    StopFlightFx();
}

void ProjectileArrowLike::CollisionCallback(const CollisionData& collision)
{
    ProjectileBase::CollisionCallback(collision);
    if (IsDeleted())
        return;
    if (m_state == kStateFlying)
        UpdateSelf(0);
    if (collision.type == kCollisionStopAtOnce) {
        ProjectileStop(0);
        return;
    }
    ProjectileStop(static_cast<int>(GetMissTime()));
    Penetrate();
}

void ProjectileArrowLike::Penetrate()
{
    const Coords& coords = GetCoords().GetRegionCoords();
    World::Get().SetCoords(this, MovedTo(*this, coords.origin + coords.zAxis * 0.5f));
}

// ---- exploding --------------------------------------------------------------------------

void ProjectileExploding::ProjectileGo()
{
    ProjectileBase::ProjectileGo();
    BallisticLaunch(*this);
    m_state = kStateFlying;
    UpdateSelf(0);
}

void ProjectileExploding::UpdateSelf(int elapsedMs)
{
    ProjectileBase::UpdateSelf(elapsedMs);
    if (m_state != kStateStruck || IsDeleted())
        return;
    const WorldCoords coords = GetCoords();
    PlayHitSound(coords.GetPosition());
    if (ProcessExplosion(true, coords)) {
        PlayExplodingHitSound(coords.GetPosition());
        CreateExploadingImpactFx();
    }
    ProcessFragmentation(0, coords);
    m_state = kStateDeleted;
    DeleteProjectile();
}

void ProjectileExploding::CollisionCallback(const CollisionData& collision)
{
    ProjectileBase::CollisionCallback(collision);
    if (!IsDeleted() && m_state != kStateDeleted)
        ProjectileStop();
}

void ProjectileExploding::ProjectileStop()
{
    SetLinearVelocity(Vec3{});
    StopFlightFx();
    CreateImpactFx();
    m_state = kStateStruck;
}

// ---- fireball-like ----------------------------------------------------------------------

void ProjectileFireballLike::ProjectileGo()
{
    ProjectileBase::ProjectileGo();
    AimedStraightLaunch(*this, m_minAimDistance);
    m_state = kStateFlying;
    UpdateSelf(0);
}

void ProjectileFireballLike::UpdateSelf(int elapsedMs)
{
    ProjectileBase::UpdateSelf(elapsedMs);
    if (IsDeleted())
        return;
    if (m_state == kStateFlying) {
        switch (FlightTest(*this)) {
        case FlightResult::kStopAtDistance:
            PlayDestructSound(PositionOf(*this));
            ProjectileStop();
            break;
        case FlightResult::kStopOnHit:
            ProjectileStop();
            break;
        case FlightResult::kFlyOn:
            break;
        }
    } else if (m_state == kStateStopped) {
        m_state = kStateDeleted;
        DeleteProjectile();
    }
}

void ProjectileFireballLike::ProjectileStop()
{
    SetLinearVelocity(Vec3{});
    StopFlightFx();
    m_state = kStateStopped;
}

void ProjectileFireballLike::CollisionCallback(const CollisionData& collision)
{
    ProjectileBase::CollisionCallback(collision);
    if (IsDeleted() || m_state == kStateDeleted)
        return;
    if (m_state == kStateFlying)
        UpdateSelf(0);
    PlayDestructSound(PositionOf(*this));
    ProjectileStop();
}

// ---- grenade ----------------------------------------------------------------------------

void ProjectileGrenade::Load(const LoadTable& table)
{
    ProjectileBase::Load(table);
    m_harmlessInFlight = table.GetBool("harmlessInFlight", false);
}

void ProjectileGrenade::ProjectileGo()
{
    ProjectileBase::ProjectileGo();
    BallisticLaunch(*this);
    m_state = kStateFlying;
    UpdateSelf(0);
}

void ProjectileGrenade::UpdateSelf(int elapsedMs)
{
    ProjectileBase::UpdateSelf(elapsedMs);
    if (IsDeleted())
        return;
    const bool harmless = (m_state == kStateFlying && m_harmlessInFlight) ||
                          (m_state != kStateFlying && m_state != kStateBounced);
    if (harmless) {
        SetLastPathPoint(GetFlightCoords().GetPosition());
        return;
    }
    std::vector<uint32_t> hits;
    ProcessPathTargets(true, hits);
    if (!hits.empty()) {
        ProcessHits(*this, hits, true);
        ProjectileStop();
        return;
    }
    if (m_state == kStateBounced && !IsSimulationEnabled()) {
        const WorldCoords coords = GetCoords();
        if (ProcessExplosion(false, coords)) {
            PlayExplodingHitSound(coords.GetPosition());
            CreateExploadingImpactFx();
        }
        ProcessFragmentation(0, coords);
        ProjectileStop();
    }
}

void ProjectileGrenade::CollisionCallback(const CollisionData& /*collision*/)
{
    if (m_state != kStateBounced)
        PlayBounceSound(PositionOf(*this));
    m_state = kStateBounced;
}

void ProjectileGrenade::ProjectileStop()
{
    SetLinearVelocity(Vec3{});
    StopFlightFx();
    CreateImpactFx();
    m_state = kStateDeleted;
    DeleteProjectile();
}

// ---- telekinesis ------------------------------------------------------------------------

ProjectileTelekinesis::ProjectileTelekinesis() = default;

ProjectileTelekinesis::~ProjectileTelekinesis()
{
    RemovePathObstacles();
    ObjectManager& objects = ObjectManager::Get();
    if (SoundPak* sound = objects.GetObject<SoundPak>(m_initialImpactSound))
        objects.DestroyObjectEx(sound, "ProjectileTelekinesis", __LINE__);
    m_initialImpactSound = 0;
}

void ProjectileTelekinesis::Load(const LoadTable& table)
{
    ProjectileBase::Load(table);
    ObjectManager& objects = ObjectManager::Get();
    if (SoundPak* old = objects.GetObject<SoundPak>(m_initialImpactSound))
        objects.DestroyObjectEx(old, "ProjectileTelekinesis", __LINE__);
    m_initialImpactSound = 0;
    const std::string sound = table.GetString("initialImpactSound", "");
    if (!sound.empty())
        if (const SoundPak* made = objects.CreateObjectFromFile<SoundPak>(sound))
            m_initialImpactSound = made->GetObjectId();
    m_explodeOnFirstImpact = table.GetBool("explodeOnFirstImpact", false);
    m_explosionEffectName = table.GetString("explosionEffect", "");
}

void ProjectileTelekinesis::PreLoad(bool preloadNow)
{
    ProjectileBase::PreLoad(preloadNow);
    if (SoundPak* sound = GetInitialImpactSound())
        sound->PreLoad(preloadNow);
}

SoundPak* ProjectileTelekinesis::GetInitialImpactSound() const
{
    return ObjectManager::Get().GetObject<SoundPak>(m_initialImpactSound);
}

bool ProjectileTelekinesis::CanCollide(const Entity* other) const
{
    return (other && other->IsA<ProjectileTelekinesis>()) || ProjectileBase::CanCollide(other);
}

void ProjectileTelekinesis::ProjectileFall()
{
    if (!World::Get().AddEntity(this, GetInfo().launchCoords))
        return;
    SetGravity(true);
    SetPhysicsType(kPhysicsTypeDynamic);
    SetLinearVelocity(Vec3{});
    // The tumble comes from the projectile's own generator, so every peer turns it alike.
    const float x = GetRandom().FGenerate(-1.0f, 1.0f);
    const float y = GetRandom().FGenerate(-1.0f, 1.0f);
    const float z = GetRandom().FGenerate(-1.0f, 1.0f);
    SetAngularVelocity(Vec3{x, y, z});
    SetLastPathPoint(PositionOf(*this));
    StartFlightFx();
    StartLaunchAnimation();
    m_state = kStateFalling;
    MutableInfo().team.Set(3, 0);
    UpdateSelf(0);
}

void ProjectileTelekinesis::ProjectileCome(uint32_t holderId)
{
    m_restCoords = GetCoords();
    SetLastPathPoint(m_restCoords.GetPosition());
    StartFlightFx();
    StartLaunchAnimation();
    m_holderId = holderId;
    m_state = kStateCalled;
    m_comeTimerMs = m_comeTimeMs;
    m_initialImpactPlayed = false;
}

void ProjectileTelekinesis::ProjectileGo()
{
    ProjectileBase::ProjectileGo();
    const ProjectileInfo& info = GetInfo();
    const Character* target = ObjectManager::Get().GetObject<Character>(info.targetId);
    MoveToTarget(target ? GetHitPoint(*target) : info.targetPoint);
    SetLastPathPoint(PositionOf(*this));
    StartFlightFx();
    StartLaunchAnimation();
    m_state = kStateThrown;
    MutableInfo().team.Set(1, 0);
    UpdateSelf(0);
}

void ProjectileTelekinesis::MoveToTarget(const WorldVec3& aim)
{
    SetGravity(false);
    SetPhysicsType(kPhysicsTypeDynamic);
    Region* region = GetRegion();
    if (region && aim.IsValid()) {
        const Vec3 from = GetCoords().GetRegionCoords().origin;
        const Vec3 to = aim.GetRegion() == region ? aim.GetRegionPosition() : aim.ToWorldSpace() - region->GetOffset();
        World::Get().SetCoords(this, WorldCoords(region, Coords::LookAt(from, to, kUp)));
    }
    const Coords& coords = GetCoords().GetRegionCoords();
    SetFlightVelocity(coords.zAxis * GetVelocity());
    SetAngularVelocity(coords.xAxis * 8.0f);
}

void ProjectileTelekinesis::FindAndProcessTargets(bool thrown)
{
    if (!gGameEngine)
        return;
    const ProjectileInfo& info = GetInfo();
    const WorldCoords coords = GetFlightCoords();
    const WorldVec3 centre = coords.GetPosition();
    std::vector<uint32_t> found;
    if (thrown)
        gGameEngine->GetAllTargetsInRadius(info.team, centre, GetBoundingRadius(), found, info.casterId);
    else
        gGameEngine->GetTargetsInRadius(info.team, centre, GetBoundingRadius(), found, 0, false);
    std::vector<uint32_t> fresh;
    FilterAndAddKnownTargets(found, m_knownTargets, fresh, false);
    if (fresh.empty())
        return;
    if (Skill* skill = ObjectManager::Get().GetObject<Skill>(info.skillId))
        skill->TargetInformation(info, coords, std::move(fresh));
    PlayHitSound(centre);
}

void ProjectileTelekinesis::UpdateSelf(int elapsedMs)
{
    ProjectileBase::UpdateSelf(elapsedMs);
    if (IsDeleted())
        return;
    if (m_state == kStateThrown || m_state == kStateFalling)
        FindAndProcessTargets(m_state == kStateThrown);
    if (m_state != kStateResting)
        RemovePathObstacles();
    else if (IsSimulationEnabled())
        RemovePathObstacles();
    else if (m_pathObstacles.empty())
        CreatePathObstacle();
    if (m_state == kStateExploded) {
        m_state = kStateDeleted;
        RemovePathObstacles();
        DeleteProjectile();
    }
}

void ProjectileTelekinesis::CollisionCallback(const CollisionData& /*collision*/)
{
    if (!m_initialImpactPlayed) {
        m_initialImpactPlayed = true;
        if (SoundPak* sound = GetInitialImpactSound())
            sound->Play(PositionOf(*this));
    }
    if (m_state == kStateThrown) {
        Explode(true);
    } else if (m_state == kStateFalling) {
        if (m_explodeOnFirstImpact) {
            Explode(true);
        } else {
            StopFlightFx();
            m_state = kStateResting;
            m_holderId = 0;
            m_knownTargets.clear();
            CreateImpactFx();
        }
    }
}

void ProjectileTelekinesis::Explode(bool sound)
{
    SetVisibility(false);
    SetLinearVelocity(Vec3{});
    SetGravity(false);
    SetPhysicsType(0);
    Coords place;
    place.origin = GetCoords().GetRegionCoords().origin;
    PlaceRecordEntity(m_explosionEffectName.empty() ? kDefaultExplosionEffect : m_explosionEffectName,
                      WorldCoords(GetRegion(), place));
    if (sound)
        PlayExplodingHitSound(GetFlightCoords().GetPosition());
    m_state = kStateExploded;
}

void ProjectileTelekinesis::ProjectileStop(bool /*sound*/)
{
    SetGravity(true);
    SetPhysicsType(0);
    SetLinearVelocity(Vec3{});
    StopFlightFx();
    m_state = kStateResting;
    m_holderId = 0;
    m_knownTargets.clear();
}

void ProjectileTelekinesis::Release()
{
    if (m_holderId == 0)
        return;
    m_holderId = 0;
    SetGravity(true);
    SetPhysicsType(kPhysicsTypeDynamic);
}

void ProjectileTelekinesis::OnAddToLevel() { CreatePathObstacle(); }
void ProjectileTelekinesis::OnMoveInLevel() { CreatePathObstacle(); }
void ProjectileTelekinesis::OnRemoveFromLevel() { RemovePathObstacles(); }

void ProjectileTelekinesis::CreatePathObstacle()
{
    RemovePathObstacles();
    Region* region = GetRegion();
    if (!region)
        return;
    m_pathObstacles.push_back(std::make_unique<DynamicObstacle>(region, GetRegionBoundingBox()));
    m_pathObstacles.back()->Attach();
}

void ProjectileTelekinesis::RemovePathObstacles()
{
    // Each obstacle detaches itself as it goes.
    m_pathObstacles.clear();
}

// ---- terrain-following ------------------------------------------------------------------

void ProjectileTerrainFollowing::LoadInfo(const ProjectileInfo& info, uint32_t seed)
{
    ProjectileInfo own = info;
    own.targetPoint = info.launchCoords.GetPosition();
    ProjectileFireballLike::LoadInfo(own, seed);
}

void ProjectileTerrainFollowing::ProjectileGo()
{
    ProjectileFireballLike::ProjectileGo();
    if (IsDeleted())
        return;
    const WorldVec3 launch = GetInfo().launchCoords.GetPosition();
    const float floor = World::Get().GetFloorHeightBelow(launch);
    if (std::isfinite(floor))
        m_hoverHeight = launch.GetRegionPosition().y - floor;
}

void ProjectileTerrainFollowing::UpdateSelf(int elapsedMs)
{
    if (!IsDeleted()) {
        const WorldVec3 position = PositionOf(*this);
        const float floor = World::Get().GetFloorHeightBelow(position);
        if (std::isfinite(floor)) {
            float height = position.GetRegionPosition().y - floor;
            if (std::fabs(height) <= 1.25f * m_hoverHeight)
                height = m_hoverHeight;
            else
                height = (height - m_hoverHeight) * 0.75f + m_hoverHeight;
            Vec3 origin = position.GetRegionPosition();
            origin.y = floor + height;
            World::Get().SetCoords(this, MovedTo(*this, origin));
        }
    }
    ProjectileFireballLike::UpdateSelf(elapsedMs);
}

}  // namespace GAME
