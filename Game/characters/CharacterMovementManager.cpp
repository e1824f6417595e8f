#include "Game/characters/CharacterMovementManager.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Random.h"
#include "Engine/World.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/characters/Character.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/AimSolver.h"
#include "Engine/ObjectManager.h"

namespace GAME {

namespace {

// Squared distance in world space; false when either point has no region.
bool DistanceSquared(const WorldVec3& a, const WorldVec3& b, float& out)
{
    if (!a.IsValid() || !b.IsValid())
        return false;
    out = (a - b).LengthSquared();
    return true;
}

// True when both points lie in regions and are further apart than `distance`.
bool FurtherThan(const WorldVec3& a, const WorldVec3& b, float distance)
{
    float squared = 0.0f;
    return DistanceSquared(a, b, squared) && squared > distance * distance;
}

constexpr float kAlreadyThereSquared = 0.25f;   // 0.5 units
constexpr float kNoPathSquared = 0.0001f;       // 0.01 units
constexpr int kMaxBends = 30;
constexpr uint32_t kRenderedFrames = 5;
constexpr float kLocalPathMaxRatio = 1.5f;
constexpr float kLocalPathEndTolerance = 0.1f;
constexpr float kDisturbanceStrength = 2.0f;
constexpr float kCosAvoidAngle = 0.70710678f;   // cos 45 degrees

}  // namespace

CharacterMovementManager::CharacterMovementManager(Character* character) : m_character(character)
{
    m_sparePaths.reserve(kSparePaths);
}

CharacterMovementManager::~CharacterMovementManager() = default;

WorldVec3 CharacterMovementManager::GetPathPosition()
{
    if (!m_pathPosition.IsValid() && m_character)
        m_pathPosition = m_character->GetCoords().GetPosition();
    return m_pathPosition;
}

void CharacterMovementManager::SetPathPosition(const WorldVec3& position)
{
    m_pathPosition = position;
    m_localPathPosition = position;
}

std::unique_ptr<Path> CharacterMovementManager::FindPath(const WorldVec3& from, const WorldVec3& to)
{
    float squared = 0.0f;
    if (!DistanceSquared(from, to, squared) || !(squared > kNoPathSquared))
        return nullptr;
    Vec3 generation;
    float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
    Character::GetPathGenerationParams(generation, a, b, c, d);
    std::unique_ptr<Path> path;
    if (m_sparePaths.empty()) {
        path = std::make_unique<Path>();
    } else {
        path = std::move(m_sparePaths.back());
        m_sparePaths.pop_back();
    }
    if (!World::Get().FindPath(static_cast<float>(m_character->GetSize()), from, to, generation, a, b, c, d, kMaxBends,
                               *path)) {
        Recycle(path);
        return nullptr;
    }
    return path;
}

void CharacterMovementManager::Recycle(std::unique_ptr<Path>& path)
{
    if (path && m_sparePaths.size() < kSparePaths)
        m_sparePaths.push_back(std::move(path));
    path.reset();
}

bool CharacterMovementManager::AlreadyThere(const WorldVec3& /*from*/, const WorldVec3& to)
{
    const WorldVec3 position = GetPathPosition();
    if (position == to)
        return true;
    float squared = 0.0f;
    return DistanceSquared(position, to, squared) && squared < kAlreadyThereSquared;
}

bool CharacterMovementManager::SetNewPathTarget(const WorldVec3& from, const WorldVec3& to, bool& alreadyThere)
{
    alreadyThere = false;
    if (AlreadyThere(from, to)) {
        alreadyThere = true;
        return true;
    }
    Recycle(m_path);
    Recycle(m_localPath);
    if (m_cachedPath && m_cachedFrom == from && m_cachedTo == to)
        m_path = std::move(m_cachedPath);
    else
        m_path = FindPath(from, to);
    if (m_path) {
        m_pathTarget = to;
        SetPathPosition(from);
    }
    return m_path != nullptr;
}

void CharacterMovementManager::UpdatePathPosition(const WorldVec3& position)
{
    if (!m_character->IsMoving())
        return;
    if (!FurtherThan(GetPathPosition(), position, 0.5f))
        return;
    bool alreadyThere = false;
    if (!SetNewPathTarget(position, m_pathTarget, alreadyThere)) {
        m_character->CharacterStopMoving();
    } else if (alreadyThere) {
        if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(m_character->GetControllerId()))
            controller->EndOfPathReached();
    }
}

bool CharacterMovementManager::CanMoveTo(const WorldVec3& from, const WorldVec3& to, float maxEndDistance,
                                         float maxLengthRatio)
{
    const WorldVec3 position = GetPathPosition();
    float squared = 0.0f;
    if (DistanceSquared(position, to, squared) && squared < 0.01f)
        return true;
    if (m_cachedPath && m_cachedFrom == from && m_cachedTo == to)
        return true;
    std::unique_ptr<Path> path = FindPath(position, to);
    bool fits = path && path->GetLength() > 0.0f;
    if (fits && maxLengthRatio != 0.0f) {
        const float straight = (to - from).Length();
        fits = straight > 0.0f && !(path->GetLength() / straight > maxLengthRatio);
    }
    if (fits)
        fits = path->GetEnd().IsValid() && !FurtherThan(path->GetEnd(), to, maxEndDistance);
    if (!fits) {
        Recycle(path);
        return false;
    }
    Recycle(m_cachedPath);
    m_cachedPath = std::move(path);
    m_cachedFrom = from;
    m_cachedTo = to;
    return true;
}

WorldVec3 CharacterMovementManager::GetFurthestMoveToPoint(const WorldVec3& target)
{
    return PathFinder::GetFurthestPoint(static_cast<float>(m_character->GetSize()), GetPathPosition(), target);
}

WorldVec3 CharacterMovementManager::GetPointAwayFromGoal(const WorldVec3& goal, float distance)
{
    if (!(distance > 0.0f))
        return goal;
    const WorldVec3 position = GetPathPosition();
    std::unique_ptr<Path> path = FindPath(position, goal);
    if (!path)
        return goal;
    const WorldVec3 away = path->GetLength() >= distance ? path->GetPointAt(path->GetLength() - distance) : position;
    Recycle(path);
    return away;
}

float CharacterMovementManager::CalculateSpeed() const
{
    if (!m_path) {
        gEngine->Log(LOG_ERROR, "Path == NULL for %s", m_character->GetObjectName().c_str());
        return 0.0f;
    }
    const float slowdown = std::max(0.1f, m_character->GetPathSlowdownLength());
    const float motion = m_character->GetMotion().Length();
    const float remaining = m_path->GetRemainingLength();
    if (remaining >= slowdown)
        return motion;
    return std::max(motion * remaining / slowdown, 1.0f);
}

bool CharacterMovementManager::Update(int elapsedMs)
{
    if (m_character->IsMoving())
        m_character->UpdatePath();
    if (m_character->IsMoving()) {
        const float speed = CalculateSpeed();
        CreateLocalPath(elapsedMs, speed);
        if (!MoveDownPath(elapsedMs, speed))
            return false;
    }
    UpdateCharacterPosition(elapsedMs);
    return true;
}

bool CharacterMovementManager::MoveDownPath(int elapsedMs, float speed)
{
    m_localPathPosition = WorldVec3();
    if (!m_path)
        return false;
    GetPathPosition();   // sets the path position where the character stands while it is unset
    m_pathDirection = Vec3();

    const float distance = static_cast<float>(elapsedMs) * 0.001f * speed;
    const float remaining = m_path->GetRemainingLength();
    if (distance > remaining || remaining < closeEnoughToJump) {
        if (m_path->GetEnd().IsValid())
            m_pathPosition = m_path->GetEnd();
        return false;
    }
    const bool ahead = m_path->Advance(distance, m_pathPosition, m_pathDirection);
    if (m_localPath) {
        const float localRemaining = m_localPath->GetRemainingLength();
        const float share = remaining > 0.0f ? localRemaining / remaining * distance : localRemaining;
        if (share > localRemaining || localRemaining < closeEnoughToJump) {
            if (m_localPath->GetEnd().IsValid())
                m_localPathPosition = m_localPath->GetEnd();
        } else {
            m_localPath->Advance(share, m_localPathPosition, m_pathDirection);
        }
    }
    return ahead;
}

void CharacterMovementManager::UpdateCharacterPosition(int elapsedMs)
{
    if (gEngine->GetThirdQuery() || m_character->GetAttachParent())
        return;
    const WorldVec3& position = m_localPathPosition.IsValid() ? m_localPathPosition : m_pathPosition;
    WorldCoords coords = m_character->GetCoords();
    if (position.IsValid()) {
        Coords frame = coords.GetRegionCoords();
        frame.origin = position.GetRegionPosition();
        coords = WorldCoords(position.GetRegion(), frame);
    }
    if (!m_character->IsMoving()) {
        World::Get().SetCoords(m_character, coords);
        return;
    }
    if (m_pathDirection.Length() > 0.0f)
        m_character->RotateTowards(elapsedMs, m_pathDirection, coords);
    else
        World::Get().SetCoords(m_character, coords);
    if (elapsedMs > 0) {
        const float extents = m_character->GetExtents();
        const int splash = m_character->IsA<Player>() ? 1 : 0;
        World::Get().CreateDisturbance(coords.GetPosition(), Vec3(extents, extents, extents), kDisturbanceStrength,
                                       splash);
    }
}

void CharacterMovementManager::ResetLocalPathTimer() { m_localPathTimer = 200 + GAME::rand() % 201; }

void CharacterMovementManager::CreateLocalPath(int elapsedMs, float speed)
{
    if (gEngine->GetFrameCount() - m_character->GetLastRenderedFrame() > kRenderedFrames)
        return;
    const WorldVec3 position = m_character->GetCoords().GetPosition();
    m_localPathTimer -= elapsedMs;
    if (m_localPathTimer <= 0) {
        ResetLocalPathTimer();
        // A detour lives until the next check.
        Recycle(m_localPath);

        // The stretch the character covers in the next two seconds, as wide and high as
        // twice its extents.
        const Coords& facing = m_character->GetCoords().GetRegionCoords();
        const float extents = m_character->GetExtents();
        Coords frame = facing;
        frame.origin = facing.origin + facing.zAxis * speed;
        const OBBox search(OBBox(frame, Vec3(2.0f * extents, 2.0f * extents, speed)).GetABBox());
        // Kept from check to check, so the checks of a frame allocate nothing once the
        // lists have grown to what they hold. The obstacles are in force only for the
        // detour's query; clearing the list detaches any left.
        thread_local std::vector<Entity*> found;
        thread_local std::deque<DynamicObstacle> obstacles;
        found.clear();
        obstacles.clear();
        World::Get().GetEntitiesInBox(found, m_character->GetRegion(), search, EntityList_All);

        for (Entity* entity : found) {
            const Character* other = DynamicCast<Character>(entity);
            if (!other || !ShouldAvoid(*other, speed))
                continue;
            obstacles.emplace_back(other->GetRegion(), other->GetRegionBoundingSphere());
            obstacles.back().Attach();
        }
        if (!obstacles.empty()) {
            std::unique_ptr<Path> detour = FindPath(position, m_pathTarget);
            for (DynamicObstacle& obstacle : obstacles)
                obstacle.Detach();
            obstacles.clear();
            if (detour && m_path) {
                const float mainLength = m_path->GetRemainingLength();
                const bool tooLong = !(mainLength > 0.0f) || detour->GetLength() / mainLength > kLocalPathMaxRatio;
                if (tooLong || FurtherThan(detour->GetStart(), position, kLocalPathEndTolerance) ||
                    FurtherThan(detour->GetEnd(), m_pathTarget, kLocalPathEndTolerance))
                    Recycle(detour);
            }
            m_localPath = std::move(detour);
        }
    }
    // Pulls a character that drifted from its path back onto it.
    if (!m_localPath && FurtherThan(m_pathPosition, position, kLocalPathEndTolerance)) {
        ResetLocalPathTimer();
        m_localPath = FindPath(position, m_pathTarget);
    }
}

bool CharacterMovementManager::ShouldAvoid(const Character& other, float speed) const
{
    if (&other == m_character || !other.IsAlive())
        return false;
    uint32_t targetId = 0, skillId = 0;
    WorldVec3 targetPoint;
    m_character->GetCurrentAttackTarget(targetId, targetPoint, skillId);
    if (other.GetObjectId() == targetId)
        return false;
    // A monster that joined this character follows it: its leader never steps around it.
    if (const Monster* monster = DynamicCast<Monster>(&other))
        if (monster->GetLeader() == m_character->GetObjectId())
            return false;
    if (m_character->NearTarget(other.GetObjectId(), 0.6f))
        return true;

    const WorldVec3 own = m_character->GetCoords().GetPosition();
    const WorldVec3 intercept =
        ComputeInterceptPoint(other.GetCoords().GetPosition(), other.GetMotion(), own, speed, 0.0f);
    if (!intercept.IsValid() || !m_pathTarget.IsValid())
        return false;
    const Vec3 toTarget = (m_pathTarget - own).Unit();
    const Vec3 toIntercept = (intercept - own).Unit();
    return Dot(toTarget, toIntercept) >= kCosAvoidAngle;
}

void CharacterMovementManager::ClearPath()
{
    Recycle(m_path);
    Recycle(m_localPath);
}

void CharacterMovementManager::Reset()
{
    ClearPath();
    SetPathPosition(m_character->GetCoords().GetPosition());
}

void CharacterMovementManager::DebugRender() const
{
    constexpr float kMarkRadius = 0.1f;
    World& world = World::Get();
    if (m_pathPosition.IsValid())
        world.RenderDebugSphere(m_pathPosition, kMarkRadius, Color{0.25f, 1.0f, 0.25f, 1.0f});
    if (m_localPathPosition.IsValid())
        world.RenderDebugSphere(m_localPathPosition, kMarkRadius, Color{0.2f, 0.2f, 1.0f, 1.0f});
    if (m_pathTarget.IsValid())
        world.RenderDebugSphere(m_pathTarget, kMarkRadius, Color{1.0f, 1.0f, 0.0f, 1.0f});
    for (const Path* path : {m_path.get(), m_localPath.get()})
        if (path)
            path->DebugRender();
}

}  // namespace GAME
