#include "Game/ai/MovementGoalManager.h"

#include <algorithm>
#include <deque>
#include <optional>

#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Game/characters/Character.h"

namespace GAME {

struct MovementGoalManager::Scratch {
    std::deque<std::optional<DynamicObstacle>> obstacles;
    std::vector<float> radii = std::vector<float>(1);
    std::vector<WorldVec3> points;
};

MovementGoalManager::MovementGoalManager() : m_scratch(std::make_unique<Scratch>()) {}

MovementGoalManager::~MovementGoalManager() = default;

MovementGoalManager& MovementGoalManager::Get()
{
    static MovementGoalManager manager;
    return manager;
}

WorldVec3 MovementGoalManager::GetClosestMovePoint(uint32_t requesterId, float radius, const WorldVec3& wanted)
{
    ObjectManager& objects = ObjectManager::Get();
    std::deque<std::optional<DynamicObstacle>>& obstacles = m_scratch->obstacles;
    size_t used = 0;
    std::erase_if(m_goals, [&](const Goal& goal) {
        Character* character = objects.GetObject<Character>(goal.characterId);
        if (!character || !character->IsAlive() || goal.characterId == requesterId || !character->GetRegion())
            return true;
        if (character->GetRegion() == wanted.GetRegion() && wanted.IsValid() &&
            (goal.point - wanted).LengthSquared() < kCrowdDistanceSquared) {
            const WorldVec3 at = character->GetCoords().GetPosition();
            if (used == obstacles.size())
                obstacles.emplace_back();
            std::optional<DynamicObstacle>& obstacle = obstacles[used++];
            obstacle.emplace(at.GetRegion(), Sphere{at.GetRegionPosition(), character->GetBoundingRadius()});
            obstacle->Attach();
        }
        return false;
    });

    WorldVec3 answer = wanted;
    if (used != 0 && radius >= 0.0f) {
        std::vector<float>& radii = m_scratch->radii;
        std::vector<WorldVec3>& points = m_scratch->points;
        radii[0] = radius;
        points.clear();
        if (PathFinder::FillPointSet(wanted, radii, points, true) && !points.empty() && points.front().IsValid())
            answer = points.front();
    }
    // Newest first: each leaves the end of the world's list as it goes.
    while (used != 0)
        obstacles[--used].reset();
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
