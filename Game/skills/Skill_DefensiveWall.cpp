#include "Game/skills/Skill_DefensiveWall.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/SkillPets.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_DefensiveWall, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_DefensiveGround, Skill_DefensiveWall)

namespace {

const Vec3 kWallUp{0.0f, 1.0f, 0.0f};

// The frame turned by `radians` about the vertical through `pivot` (a position of the
// frame's region): its origin swings round the pivot and its axes turn with it.
Coords WallRotatedAbout(const Coords& frame, const Vec3& pivot, float radians)
{
    WorldCoords rotated(nullptr, frame);
    rotated.RotateAroundPoint(pivot, kWallUp, radians);
    return rotated.GetRegionCoords();
}

// The ring's first place: the centre moved out along x by `distance`, then swung round
// the centre by `radians`.
Coords WallRingStart(const Coords& centre, float distance, float radians)
{
    Coords cursor = centre;
    cursor.origin += Vec3(distance, 0.0f, 0.0f);
    return WallRotatedAbout(cursor, centre.origin, radians);
}

}  // namespace

Skill_DefensiveWall::Skill_DefensiveWall()
{
    m_kindText = "^bDefensive Wall";
    m_skillType = 1;
    m_primary = false;
    m_secondary = true;
    m_repeatable = false;
}

Skill_DefensiveGround::Skill_DefensiveGround() { m_skillType = 0; }

void Skill_DefensiveWall::ActivateNow(Character& owner, const Name&, unsigned targetId, const WorldVec3& targetPoint)
{
    SkillServicesBase* services = GetServices();
    const SkillProfile* profile = GetSkillProfile();
    if (!services || !profile)
        return;
    const unsigned level = GetCurrentLevel();
    const unsigned rings = std::min<unsigned>(profile->GetSpawnObjectsNumberOfRings(level), kMaxWalls);
    const float spacing = profile->GetSpawnObjectsSpacingAngle();
    const float innerDistance = profile->GetSpawnObjectsDistanceInnerCircle();
    const float increment = profile->GetSpawnObjectsDistanceIncrement();
    // A spacing of no angle would put walls on one another without end.
    if (!(spacing > 0.0f) || !std::isfinite(spacing))
        return;

    WorldCoords centre = owner.GetCoords();
    if (GetSkillType() == 0) {
        Coords aimed = centre.GetRegionCoords();
        aimed.origin = targetPoint.GetRegionPosition();
        centre = WorldCoords(targetPoint.GetRegion(), aimed);
    }
    if (!centre.IsValid())
        return;
    const Coords& centreFrame = centre.GetRegionCoords();
    const float step = spacing * kDegreesToRadians;
    const unsigned perRing = static_cast<unsigned>(std::min(360.0f / spacing, static_cast<float>(kMaxWalls)));

    std::vector<WorldCoords> spots;
    std::vector<uint32_t> ids;
    Coords cursor = WallRingStart(centreFrame, innerDistance, 0.0f);
    float ringOffset = 0.0f;
    float ringDistance = innerDistance;
    for (unsigned ring = 0; ring < rings && ids.size() < kMaxWalls; ++ring) {
        for (unsigned wall = 0; wall < perRing && ids.size() < kMaxWalls; ++wall) {
            std::vector<WorldVec3> points;
            if (PathFinder::FillPointSet(WorldVec3(centre.GetRegion(), cursor.origin), {1.0f}, points, true)) {
                const float yaw = gGameEngine ? gGameEngine->GetRandomGen().FGenerate(0.0f, 360.0f) : 0.0f;
                Coords placed = WallRotatedAbout(cursor, cursor.origin, yaw * kDegreesToRadians);
                WorldVec3 position(centre.GetRegion(), placed.origin);
                if (position.TranslateToFloor(Vec3{}))
                    placed.origin = position.GetRegionPosition();
                const uint32_t id = ObjectManager::Get().CreateObjectID();
                if (id == 0)
                    break;
                spots.emplace_back(centre.GetRegion(), placed);
                ids.push_back(id);
            }
            cursor = WallRotatedAbout(cursor, centreFrame.origin, step);
        }
        ringOffset += spacing * 0.5f;
        ringDistance += increment;
        cursor = WallRingStart(centreFrame, ringDistance, ringOffset * kDegreesToRadians);
    }
    if (ids.empty())
        return;   // nowhere to stand: nothing is sent or spent
    services->SendSpawnObject(GetObjectId(), centre, targetId, spots, ids, NewSeed());
    m_wallTimeRemaining = profile->GetSpawnObjectTimeToLive(level);
    m_timed = m_wallTimeRemaining > 0;
    PrimaryActivateSecondarySkills(owner, 0, {}, centre.GetPosition());
}

void Skill_DefensiveWall::SkillSpawnObject(Character& owner, const WorldCoords& centre, unsigned,
                                           const std::vector<WorldCoords>& spots, const std::vector<uint32_t>& ids,
                                           unsigned seed)
{
    if (!ids.empty()) {
        SubtractManaCost();
        StartCooldown();
        PlayHitSound(centre.GetPosition());
        CreateTargetFx(centre);
    }
    ReleaseWalls(owner);
    // A peer's list is bounded by what one cast may make.
    const size_t count = std::min(ids.size(), kMaxWalls);
    for (size_t i = 0; i < count; ++i)
        SpawnWall(owner, i < spots.size() ? spots[i] : centre, ids[i], seed);
    ActivateSecondarySkills(owner, 0, ids, centre.GetPosition());
}

void Skill_DefensiveWall::SpawnWall(Character& owner, const WorldCoords& coords, uint32_t objectId, unsigned)
{
    const SkillProfile* profile = GetSkillProfile();
    const std::string record = profile ? profile->GetSpawnObject(GetCurrentLevel()) : std::string();
    ObjectManager& objects = ObjectManager::Get();
    // Id 0 would be a fresh id of this peer's own, and a taken id is another object's.
    Character* wall = nullptr;
    if (objectId != 0 && !objects.GetObject(objectId) && !record.empty())
        wall = objects.CreateObjectFromFile<Character>(record, objectId);
    if (wall && !World::Get().AddEntity(wall, coords)) {
        objects.DestroyObjectEx(wall, "Skill_DefensiveWall", __LINE__);
        wall = nullptr;
    }
    if (!wall) {
        gEngine->Log(LOG_WARNING, "Failed to spawn wall object (%s)", record.c_str());
        return;
    }
    wall->SetTeam(owner.GetTeam());
    wall->JoinMe(owner.GetObjectId(), -1, false);
    m_walls.push_back(objectId);
}

void Skill_DefensiveWall::ReleaseWalls(Character&)
{
    m_released = false;
    bool first = true;
    for (uint32_t id : m_walls) {
        const Character* wall = ObjectManager::Get().GetObject<Character>(id);
        if (!wall)
            continue;   // gone on its own
        if (first)
            PlayDeactivateSound(wall->GetCoords().GetPosition());
        first = false;
        ReleaseSkillPet(id);
    }
    m_walls.clear();
}

void Skill_DefensiveWall::Update(Character& owner, int elapsedMs)
{
    Skill::Update(owner, elapsedMs);
    SkillServicesBase* services = GetServices();
    if (!services || m_walls.empty())
        return;
    m_wallTimeRemaining = static_cast<int>(
        std::max<int64_t>(static_cast<int64_t>(m_wallTimeRemaining) - elapsedMs, INT32_MIN));
    if (m_wallTimeRemaining < 1 && m_timed && !m_released) {
        m_released = true;
        services->SendSpawnObject(GetObjectId(), owner.GetCoords(), 0, {}, {}, 0);
        PrimaryStopSecondarySkills(owner);
    }
}

void Skill_DefensiveWall::StopSkill(Character& owner)
{
    Skill::StopSkill(owner);
    ReleaseWalls(owner);
    PrimaryStopSecondarySkills(owner);
}

void Skill_DefensiveWall::PreLoadResources()
{
    SkillActivatedSpell::PreLoadResources();
    PreLoadPet();
}

}  // namespace GAME
