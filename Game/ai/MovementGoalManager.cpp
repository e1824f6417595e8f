#include "Game/ai/MovementGoalManager.h"

#include <algorithm>
#include <memory>

#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Game/characters/Character.h"

namespace GAME {

MovementGoalManager& MovementGoalManager::Get()
{
    static MovementGoalManager manager;
    return manager;
}

WorldVec3 MovementGoalManager::GetClosestMovePoint(uint32_t requesterId, float radius, const WorldVec3& wanted)
{
    ObjectManager& objects = ObjectManager::Get();
    // Reused between calls: a crowd asks every frame.
    thread_local std::vector<std::unique_ptr<DynamicObstacle>> obstacles;
    obstacles.clear();
    std::erase_if(m_goals, [&](const Goal& goal) {
        Character* character = objects.GetObject<Character>(goal.characterId);
        if (!character || !character->IsAlive() || goal.characterId == requesterId || !character->GetRegion())
            return true;
        if (character->GetRegion() == wanted.GetRegion() && wanted.IsValid() &&
            (goal.point - wanted).LengthSquared() < kCrowdDistanceSquared) {
            const WorldVec3 at = character->GetCoords().GetPosition();
            auto obstacle = std::make_unique<DynamicObstacle>(
                at.GetRegion(), Sphere{at.GetRegionPosition(), character->GetBoundingRadius()});
            obstacle->Attach();
            obstacles.push_back(std::move(obstacle));
        }
        return false;
    });

    WorldVec3 answer = wanted;
    if (!obstacles.empty() && radius >= 0.0f) {
        std::vector<WorldVec3> points;
        if (PathFinder::FillPointSet(wanted, {radius}, points, true) && !points.empty() && points.front().IsValid())
            answer = points.front();
    }
    for (std::unique_ptr<DynamicObstacle>& obstacle : obstacles)
        obstacle->Detach();
    obstacles.clear();
    m_goals.push_back({requesterId, answer});
    return answer;
}

void MovementGoalManager::ReleaseMoveGoal(uint32_t requesterId)
{
    const auto goal = std::find_if(m_goals.begin(), m_goals.end(),
                                   [&](const Goal& entry) { return entry.characterId == requesterId; });
    if (goal != m_goals.end())
        m_goals.erase(goal);
}

}  // namespace GAME
