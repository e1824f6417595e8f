#include "Game/skills/ProjectileBase.h"

#include <cstring>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/WeaponTrail.h"
#include "Game/characters/AnimationSet.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ProjectileBase, Actor)

namespace {

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

}  // namespace

ProjectileBase::ProjectileBase() = default;
ProjectileBase::~ProjectileBase() = default;

float ProjectileBase::ReadVelocity(const LoadTable& table)
{
    return table.GetFloat("projectileVelocity", 0.0f);
}

void ProjectileBase::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_velocity = ReadVelocity(table);
}

void ProjectileBase::PreLoad(bool preloadNow) { Actor::PreLoad(preloadNow); }
void ProjectileBase::CollisionCallback(const CollisionData&) {}
bool ProjectileBase::CanCollide(const Entity*) const { return false; }
void ProjectileBase::AnimationCallback(const Name& event) { Actor::AnimationCallback(event); }
void ProjectileBase::UpdateSelf(int elapsedMs) { Actor::UpdateSelf(elapsedMs); }
float ProjectileBase::GetLaunchAngle() const { return m_launchAngle; }
void ProjectileBase::LoadInfo(const ProjectileInfo& info, uint32_t seed)
{
    m_info = info;
    m_random.Seed(seed);
}
void ProjectileBase::AddProjectileModifier(const ProjectileModifierStruct&) {}
void ProjectileBase::ProjectileGo() {}
void ProjectileBase::PlaySwipeSound(const WorldVec3&) {}
void ProjectileBase::NotifyMonsters() {}
WorldVec3 ProjectileBase::GetHitPoint(const Character&) const { return {}; }
void ProjectileBase::MoveStraightLine(const WorldVec3&) {}
void ProjectileBase::MoveStraightLine() {}
void ProjectileBase::MoveTrajectory(const WorldVec3&, float, bool) {}
float ProjectileBase::BallisticSpeed(float, float, float) { return 0.0f; }
void ProjectileBase::ApplyFumbleDamage() {}
void ProjectileBase::StartLaunchAnimation() {}
void ProjectileBase::StartFlightFx() {}
void ProjectileBase::StopFlightFx() {}
bool ProjectileBase::IsFlightFxRunning() const { return false; }
void ProjectileBase::PlayHitSound(const WorldVec3&) {}
void ProjectileBase::PlayExplodingHitSound(const WorldVec3&) {}
void ProjectileBase::PlayDestructSound(const WorldVec3&) {}
void ProjectileBase::PlayBounceSound(const WorldVec3&) {}
void ProjectileBase::CreateImpactFx() {}
void ProjectileBase::CreateExploadingImpactFx() {}
int ProjectileBase::CountWeaponTrails() const { return 0; }
void ProjectileBase::SwitchWeaponTrail(const std::string&) {}
void ProjectileBase::EnableWeaponTrail() {}
void ProjectileBase::DisableWeaponTrail() {}
void ProjectileBase::DeleteProjectile() {}
void ProjectileBase::SetFilteredTargets(const std::vector<uint32_t>&) {}
uint32_t ProjectileBase::FindClosestTarget(const std::vector<uint32_t>&, const WorldVec3&) { return 0; }
float ProjectileBase::GetPiercingModifier(uint32_t) const { return 0.0f; }
bool ProjectileBase::RollPiercing() { return false; }
void ProjectileBase::FilterAndAddKnownTargets(const std::vector<uint32_t>&, std::vector<uint32_t>&,
                                              std::vector<uint32_t>&, bool)
{
}
void ProjectileBase::ProcessPathTargets(bool, std::vector<uint32_t>&) {}
bool ProjectileBase::ProcessExplosion(bool, const WorldCoords&) { return false; }
void ProjectileBase::ProcessFragmentation(uint32_t, const WorldCoords&) {}
void ProjectileBase::GetTargetsAlongPath(std::vector<uint32_t>&, bool) {}
void ProjectileBase::SetFlightVelocity(const Vec3&) {}
void ProjectileBase::DestroyTrails() {}

float ProjectileBase::GetRecordTotalSpeed(const std::string& recordName)
{
    if (recordName.empty())
        return 0.0f;
    const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName);
    if (!table || !SubtreeHasClass(classInfo, table->GetString("Class", "")))
        return 0.0f;
    return TotalSpeed(ReadVelocity(*table), 0.0f);
}

}  // namespace GAME
