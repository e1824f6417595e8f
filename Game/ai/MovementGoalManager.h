// The points that moving monsters have chosen as their goals, shared by the whole game,
// so that a monster picking a goal steers around those already heading near it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Engine/World.h"

namespace GAME {

class MovementGoalManager {
public:
    // Goals nearer than this (squared) to a wanted point make room around it.
    static constexpr float kCrowdDistanceSquared = 20.0f;

    // The one list of the game.
    static MovementGoalManager& Get();
    MovementGoalManager();
    ~MovementGoalManager();

    // The point the requester should head for instead of `wanted`, recorded as its goal.
    WorldVec3 GetClosestMovePoint(uint32_t requesterId, float radius, const WorldVec3& wanted);
    // Removes the first goal of that character.
    void ReleaseMoveGoal(uint32_t requesterId);
    size_t GetGoalCount() const { return m_goals.size(); }
    void Clear() { m_goals.clear(); }

private:
    struct Goal {
        uint32_t characterId;
        WorldVec3 point;
    };
    std::vector<Goal> m_goals;
    // The obstacles and point lists of one request, kept between requests so that a crowd
    // asking every frame makes no allocation once they are as large as the crowd.
    struct Scratch;
    std::unique_ptr<Scratch> m_scratch;
};

}  // namespace GAME
